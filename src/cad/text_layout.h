// Where the lines of a text stand and the ground they are taken to cover. Without a font
// the width of a text is an estimate (its height times its width factor per character,
// which no usual font exceeds): the flattening gives each text shape this box and the
// extents count texts by it, so both agree without knowing the font.
#pragma once

#include <string>
#include <vector>

#include "cad/drawing.h"
#include "cad/mtext_layout.h"

namespace tessaro {

enum class TextHAlign : std::uint8_t { Left, Center, Right };
enum class TextVAlign : std::uint8_t { Baseline, Bottom, Middle, Top };

// One line of text standing at `position` as its alignment says: the painter, which knows
// the font, places the text around that point. `height` is the cap height in drawing
// units; `fitWidth` > 0 stretches or squeezes the text to that width (DXF "aligned" and
// "fit" texts). `oblique` slants it, degrees from upright.
struct TextShape {
  Point2d position;
  double height = 0.0;
  double rotation = 0.0;
  double widthFactor = 1.0;
  double oblique = 0.0;
  double fitWidth = 0.0;
  TextHAlign hAlign = TextHAlign::Left;
  TextVAlign vAlign = TextVAlign::Baseline;
  bool backward = false;    // mirrored along its baseline (DXF generation flag 2)
  bool upsideDown = false;  // mirrored across its baseline (flag 4)
  std::uint16_t face = 0;   // which of the flattened drawing's fonts: 0 the painter's default
  std::string value;        // UTF-8, control codes already resolved
};

// A TEXT (or an attribute's text) as one line placed by its alignment codes.
TextShape PlacedText(const TextGeometry& text);

// Where the lines of a laid-out MTEXT stand in the drawing: from its attachment point, along
// its rotation, lines stacking down its plane as seen (up when it is seen from below).
class MTextPlacement {
public:
  MTextPlacement(const MTextGeometry& mtext, const MTextLayout& layout);
  // The point `x` along `line` from its left end and `rise` above its baseline.
  Point2d At(const MTextLine& line, double x, double rise) const;

private:
  Point2d origin_;
  Point2d along_;
  Point2d up_;
  double top_ = 0.0;
  int column_ = 0;
};

// A run of a laid-out MTEXT as a text shape in its place (its font and colour are the caller's).
TextShape PlacedMTextRun(const MTextGeometry& mtext, const MTextPlacement& place, const MTextLine& line,
                         const MTextRun& run);

// The runs of an MTEXT that hold something, laid out with widths estimated without a font,
// each a text shape in its place (what the extents count; the flattening lays MTEXT out
// with the painter's fonts).
std::vector<TextShape> PlacedMTextRuns(const MTextGeometry& mtext);

// The box the line is taken to cover: from its baseline up its height, along its direction
// for its estimated width (its fit width when it has one), around its position as aligned.
Extents EstimatedTextBox(const TextShape& text);

}  // namespace tessaro
