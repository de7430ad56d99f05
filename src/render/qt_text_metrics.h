// Text widths from the fonts the painter really uses, for laying out MTEXT in the engine.
#pragma once

#include <QFont>
#include <mutex>
#include <unordered_map>
#include <string>

#include "display/text_metrics.h"

namespace tessaro::render {

// QFontMetricsF of the face's family (Arial when it names none or the system lacks it),
// bold and italic as the face says. Safe to use from several threads.
class QtTextMetrics final : public TextMetrics {
public:
  double Advance(std::string_view text, const FontFace& face) const override;

  // The font a face is drawn with, at the painter's pixel size.
  static QFont FontOf(const FontFace& face);

private:
  struct Entry {
    QFont font;
    double capHeight = 1.0;
  };
  mutable std::mutex mutex_;
  mutable std::unordered_map<std::string, Entry> fonts_;
};

}  // namespace tessaro::render
