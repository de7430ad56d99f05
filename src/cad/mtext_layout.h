// MTEXT laid out as CAD programs lay it out: paragraphs (\P) wrapped at spaces to the
// text's reference width by the widths of a TextMetrics, with its inline codes honoured:
// fonts with bold and italic (\f...|b1|i1;), heights (\H), width factors (\W), slant (\Q),
// colours (\C, \c), stacked fractions (\S), tabs (^I), and groups in braces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "cad/text_metrics.h"

namespace tessaro {

// A piece of one line in one format. `x` is from the line's left end, `rise` above its
// baseline (stacked fractions), both in drawing units.
struct MTextRun {
  std::string text;
  double x = 0.0;
  double rise = 0.0;
  double height = 0.0;
  double widthFactor = 1.0;
  double oblique = 0.0;
  FontFace face;
  std::optional<std::int16_t> aci;   // \C: an ACI colour of its own (0 by block, 256 by layer)
  std::optional<std::uint32_t> rgb;  // \c: a true colour of its own
};

// A fraction's bar, from x0 to x1 at `rise` above the baseline.
struct MTextRule {
  double x0 = 0.0;
  double x1 = 0.0;
  double rise = 0.0;
};

struct MTextLine {
  double width = 0.0;     // from the left end of the first run to the right end of the last
  double baseline = 0.0;  // below the top of the text (positive down)
  std::vector<MTextRun> runs;
  std::vector<MTextRule> rules;
};

struct MTextLayout {
  std::vector<MTextLine> lines;
  double width = 0.0;   // of the widest line
  double height = 0.0;  // from the top of the first line to the baseline of the last
};

// Lays out `mtext` with its text in `face` (from its style) and widths from `metrics`.
MTextLayout LayoutMText(const MTextGeometry& mtext, const FontFace& face, const TextMetrics& metrics);

}  // namespace tessaro
