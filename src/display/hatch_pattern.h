// The pattern lines of a hatch: each family of parallel lines cut to the inside of the
// hatch's boundary (even-odd, so islands stay empty) and dashed by its own pattern.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "cad/drawing.h"
#include "display/line_pattern.h"

namespace tessaro {

// The most pattern segments one hatch makes before the rest is left out (a pattern far too
// fine for its area): the caller then draws the boundary.
inline constexpr std::size_t kMaxHatchSegments = 200'000;

// `loops` are the closed boundary paths in the coordinates of `lines`. Returns the dashes and
// dots, or nothing when the pattern would make more than kMaxHatchSegments segments or has
// a line whose offset is zero across the lines.
std::optional<DashedPath> HatchPatternDashes(std::span<const std::vector<Point2d>> loops,
                                             std::span<const HatchPatternLine> lines);

}  // namespace tessaro
