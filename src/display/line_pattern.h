// Dashing lines by a line type's pattern: the pattern runs on along a polyline across its
// corners, as CAD programs draw it, starting at the first point.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "cad/drawing.h"

namespace tessaro {

// The dashes of a path, as runs of points (each a dash, corners included) and dots.
struct DashedPath {
  std::vector<std::vector<Point2d>> runs;
  std::vector<Point2d> dots;
};

// The most dashes one path is cut into: a pattern too fine for its path (a dense line type
// at a small scale on a long line) draws the path continuous instead, as it looks anyway.
inline constexpr std::size_t kMaxDashesPerPath = 20'000;

// Dashes `path` (closed: back to its first point) by `pattern` (dash lengths, positive a
// dash, negative a gap, 0 a dot) times `scale`. Returns nothing when the path should be drawn
// continuous: an empty or zero-length pattern, a scale that is not a positive finite
// number, or more than kMaxDashesPerPath dashes.
std::optional<DashedPath> DashPath(std::span<const Point2d> path, bool closed, std::span<const double> pattern,
                                   double scale);

// The dashes of the straight run from `from` to `to` by `pattern` (times `scale`) with the
// pattern's start `phase` units before `from` (phase >= 0); appended to `out` as segments
// and dots. The caller bounds the count (pattern length against the run's length).
void DashSegment(Point2d from, Point2d to, std::span<const double> pattern, double scale, double phase,
                 DashedPath& out);

}  // namespace tessaro
