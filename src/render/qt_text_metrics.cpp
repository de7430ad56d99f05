#include "render/qt_text_metrics.h"

#include <QFontMetricsF>
#include <QString>

namespace tessaro::render {
namespace {
constexpr int kPixelSize = 100;
}

QFont QtTextMetrics::FontOf(const FontFace& face) {
  QFont font(face.family.empty() ? QStringLiteral("Arial") : QString::fromStdString(face.family));
  font.setPixelSize(kPixelSize);
  font.setBold(face.bold);
  font.setItalic(face.italic);
  return font;
}

double QtTextMetrics::Advance(std::string_view text, const FontFace& face) const {
  const std::string key = face.family + (face.bold ? "|b" : "") + (face.italic ? "|i" : "");
  Entry entry;
  {
    std::lock_guard lock(mutex_);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
      Entry made;
      made.font = FontOf(face);
      const QFontMetricsF metrics(made.font);
      made.capHeight = metrics.capHeight() > 0 ? metrics.capHeight() : kPixelSize * 0.7;
      found = fonts_.emplace(key, made).first;
    }
    entry = found->second;
  }
  const QFontMetricsF metrics(entry.font);
  return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) /
         entry.capHeight;
}

}  // namespace tessaro::render
