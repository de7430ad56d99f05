// Painting a drawing: the entity walk with layer visibility, and the QPainter output.
#include "render/paint_sink.h"

#include <QFontMetricsF>
#include <cmath>

#include "render/aci_colors.h"

namespace tessaro::render {
namespace {

QRectF BoxOf(const Drawing& drawing, const EntityHeader& e) {
  switch (e.type) {
    case EntityType::Line: {
      const auto& l = drawing.Line(e);
      return QRectF(QPointF(l.start.x, l.start.y), QPointF(l.end.x, l.end.y)).normalized();
    }
    case EntityType::Circle: {
      const auto& c = drawing.Circle(e);
      return QRectF(c.center.x - c.radius, c.center.y - c.radius, 2 * c.radius, 2 * c.radius);
    }
    case EntityType::Arc: {
      const auto& a = drawing.Arc(e);
      return QRectF(a.center.x - a.radius, a.center.y - a.radius, 2 * a.radius, 2 * a.radius);
    }
    case EntityType::Text: {
      // Width is unknown without a font; a generous guess keeps texts from vanishing early.
      const auto& t = drawing.Text(e);
      const double width = t.height * static_cast<double>(t.value.size());
      return QRectF(t.position.x, t.position.y, width, t.height);
    }
    default: break;  // the entity walk draws these four types only
  }
  return {};
}

bool Overlaps(const QRectF& box, const QRectF& visible) {
  // Inclusive test: a horizontal or vertical line has an empty box but must still show.
  return box.left() <= visible.right() && box.right() >= visible.left() && box.top() <= visible.bottom() &&
         box.bottom() >= visible.top();
}

constexpr double kFontPixelSize = 100.0;  // texts are drawn at this size and scaled
constexpr double kSmallestTextPixels = 1.0;

}  // namespace

void PaintDrawing(const Drawing& drawing, PaintSink& sink, const QRectF* visible) {
  const auto& layers = drawing.Layers();
  for (const EntityHeader& e : drawing.Entities()) {
    if (e.layer < layers.size() && !layers[e.layer].on) continue;
    if (visible != nullptr && !Overlaps(BoxOf(drawing, e), *visible)) continue;
    switch (e.type) {
      case EntityType::Line: sink.Line(drawing.Line(e), e.color); break;
      case EntityType::Circle: sink.Circle(drawing.Circle(e), e.color); break;
      case EntityType::Arc: sink.Arc(drawing.Arc(e), e.color); break;
      case EntityType::Text: sink.Text(drawing.Text(e), e.color); break;
      default: break;  // the display list's painter (render/scene.h) draws every type
    }
  }
}

QPainterSink::QPainterSink(QPainter& painter, const QTransform& toView)
    : painter_(painter), toView_(toView), pixelsPerUnit_(std::hypot(toView.m11(), toView.m12())),
      font_(QStringLiteral("Arial")) {
  font_.setPixelSize(static_cast<int>(kFontPixelSize));
  fontCapHeight_ = QFontMetricsF(font_).capHeight();
  if (fontCapHeight_ <= 0) fontCapHeight_ = kFontPixelSize * 0.7;
  painter_.save();
  painter_.resetTransform();
  painter_.setBrush(Qt::NoBrush);
  painter_.setFont(font_);
}

QPainterSink::~QPainterSink() { painter_.restore(); }

void QPainterSink::UseColor(int aci) {
  if (aci == currentAci_) return;
  currentAci_ = aci;
  QPen pen(AciColor(aci));
  pen.setWidth(0);  // cosmetic: one pixel at every zoom
  painter_.setPen(pen);
}

void QPainterSink::Line(const LineGeometry& line, int aci) {
  UseColor(aci);
  painter_.drawLine(QLineF(Map(line.start), Map(line.end)));
}

void QPainterSink::Circle(const CircleGeometry& circle, int aci) {
  UseColor(aci);
  const double r = circle.radius * pixelsPerUnit_;
  painter_.drawEllipse(Map(circle.center), r, r);
}

void QPainterSink::Arc(const ArcGeometry& arc, int aci) {
  UseColor(aci);
  const double r = arc.radius * pixelsPerUnit_;
  const QPointF c = Map(arc.center);
  double span = std::fmod(arc.endAngle - arc.startAngle, 360.0);
  if (span <= 0) span += 360.0;
  // On screen y points down, but Qt measures arc angles counter-clockwise as seen, which is
  // the drawing's sense too: the DXF angles pass through unchanged.
  painter_.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), static_cast<int>(std::lround(arc.startAngle * 16)),
                   static_cast<int>(std::lround(span * 16)));
}

void QPainterSink::Text(const TextGeometry& text, int aci) {
  const double pixels = text.height * pixelsPerUnit_;
  if (pixels < kSmallestTextPixels) return;
  UseColor(aci);
  const double k = pixels / fontCapHeight_;
  const QPointF at = Map(text.position);
  // Texts are drawn at one font size and scaled, so every zoom gives the same shapes.
  painter_.setTransform(QTransform(k, 0, 0, k, at.x(), at.y()));
  painter_.drawText(QPointF(0, 0), QString::fromUtf8(text.value.data(), static_cast<qsizetype>(text.value.size())));
  painter_.resetTransform();
}

}  // namespace tessaro::render
