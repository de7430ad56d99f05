// Where the lines of a text stand and the ground they are taken to cover. Without a font
// the width of a text is an estimate (its height times its width factor per character,
// which no usual font exceeds): the flattening gives each text shape this box and the
// extents count texts by it, so both agree without knowing the font.
#pragma once

#include <string>
#include <vector>

#include "cad/drawing.h"

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
  std::string value;  // UTF-8, control codes already resolved
};

// A TEXT (or an attribute's text) as one line placed by its alignment codes.
TextShape PlacedText(const TextGeometry& text);

// The lines of an MTEXT that hold something, each placed by the attachment point.
std::vector<TextShape> PlacedMTextLines(const MTextGeometry& mtext);

// The box the line is taken to cover: from its baseline up its height, along its direction
// for its estimated width (its fit width when it has one), around its position as aligned.
Extents EstimatedTextBox(const TextShape& text);

}  // namespace tessaro
