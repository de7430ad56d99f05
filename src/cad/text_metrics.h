// How wide text is: the engine has no fonts, so whoever draws (the renderer, with the fonts
// it really uses) gives the widths through this interface; without one an estimate stands in.
#pragma once

#include <string>
#include <string_view>

namespace tessaro {

// A font by family name (empty: the painter's default) and style.
struct FontFace {
  std::string family{};
  bool bold = false;
  bool italic = false;
  friend bool operator==(const FontFace&, const FontFace&) = default;
};

class TextMetrics {
public:
  virtual ~TextMetrics() = default;
  // The advance of `text` (UTF-8, one line) in `face`, for a cap height of 1 and a width
  // factor of 1.
  virtual double Advance(std::string_view text, const FontFace& face) const = 0;
};

// Widths without a font: an average character of a sans-serif face.
class EstimatedTextMetrics final : public TextMetrics {
public:
  double Advance(std::string_view text, const FontFace& face) const override;
};

// The font a text style's font file or family name stands for: "arial.ttf" -> Arial,
// "timesbd.ttf" -> Times New Roman bold, "romans.shx" -> the painter's default (a stroke
// font), "Times New Roman" as it is.
FontFace FaceOfFont(std::string_view fontFile);

}  // namespace tessaro
