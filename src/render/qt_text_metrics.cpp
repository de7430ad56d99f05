#include "render/qt_text_metrics.h"

#include <QFontMetricsF>
#include <QString>

namespace tessaro::render {

double QtTextMetrics::Advance(std::string_view text, const FontFace& face) const {
  const std::string key = face.family + (face.bold ? "|b" : "|") + (face.italic ? "i" : "");
  std::shared_ptr<const TextFont> font;
  {
    const std::lock_guard lock(mutex_);
    auto& held = fonts_[key];
    if (!held) held = std::make_shared<const TextFont>(face);
    font = held;
  }
  const QFontMetricsF metrics(font->Font());
  return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) /
         font->CapHeight();
}

}  // namespace tessaro::render
