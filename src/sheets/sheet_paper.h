// Drawing on paper in millimetres: texts sized by their capitals and black pens, shared by
// the sheet, its title block and its table.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QString>

namespace tessaro::render {

// Texts on paper: a font at one size, scaled so its capitals are `height` mm tall.
class PaperFont {
public:
  explicit PaperFont(bool bold) : font_(QStringLiteral("Arial")) {
    font_.setPixelSize(100);
    font_.setBold(bold);
    const QFontMetricsF metrics(font_);
    capHeight_ = metrics.capHeight() > 0 ? metrics.capHeight() : 70.0;
  }
  double Width(const QString& text, double height) const {
    return QFontMetricsF(font_).horizontalAdvance(text) * height / capHeight_;
  }
  // `text` cut with "…" to fit `width` mm at `height`.
  QString Elided(const QString& text, double height, double width) const {
    return QFontMetricsF(font_).elidedText(text, Qt::ElideRight, width * capHeight_ / height);
  }
  // Baseline at `at`; `align` Qt::AlignLeft, AlignRight or AlignHCenter.
  void Draw(QPainter& painter, QPointF at, double height, const QString& text, Qt::Alignment align) const {
    const double k = height / capHeight_;
    double x = 0;
    if (align & Qt::AlignRight) x = -QFontMetricsF(font_).horizontalAdvance(text);
    if (align & Qt::AlignHCenter) x = -QFontMetricsF(font_).horizontalAdvance(text) / 2;
    painter.save();
    painter.translate(at);
    painter.scale(k, k);
    painter.setFont(font_);
    painter.drawText(QPointF(x, 0), text);
    painter.restore();
  }

private:
  QFont font_;
  double capHeight_;
};

inline QPen PaperPen(double mm, QColor colour = Qt::black) {
  QPen pen(colour);
  pen.setWidthF(mm);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

inline constexpr double kThinLine = 0.18;
inline constexpr double kMediumLine = 0.35;

}  // namespace tessaro::render
