#include "display/hatch_pattern.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tessaro {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Dot(Point2d a, Point2d b) { return a.x * b.x + a.y * b.y; }

}  // namespace

std::optional<DashedPath> HatchPatternDashes(std::span<const std::vector<Point2d>> loops,
                                             std::span<const HatchPatternLine> lines) {
  DashedPath out;
  std::size_t made = 0;
  std::vector<double> crossings;
  for (const HatchPatternLine& line : lines) {
    const double radians = line.angle * kPi / 180.0;
    const Point2d u{std::cos(radians), std::sin(radians)}, n{-u.y, u.x};
    const double spacing = Dot(line.offset, n), shift = Dot(line.offset, u);
    if (!std::isfinite(spacing) || !std::isfinite(shift) || !std::isfinite(radians)) continue;
    if (std::abs(spacing) < 1e-12) return std::nullopt;
    // The rows that meet the boundary, by their distance along the normal.
    double lo = INFINITY, hi = -INFINITY;
    for (const auto& loop : loops) {
      for (const Point2d& p : loop) {
        const double d = Dot({p.x - line.base.x, p.y - line.base.y}, n);
        lo = std::min(lo, d), hi = std::max(hi, d);
      }
    }
    if (!(lo <= hi)) continue;
    const double first = std::ceil(std::min(lo / spacing, hi / spacing));
    const double last = std::floor(std::max(lo / spacing, hi / spacing));
    if (!std::isfinite(first) || !std::isfinite(last) || last - first > static_cast<double>(kMaxHatchSegments)) {
      return std::nullopt;
    }
    for (double k = first; k <= last; k += 1.0) {
      // Row k passes through `origin`, where its dash pattern starts.
      const Point2d origin{line.base.x + k * line.offset.x, line.base.y + k * line.offset.y};
      const double level = k * spacing;
      crossings.clear();
      for (const auto& loop : loops) {
        const std::size_t m = loop.size();
        for (std::size_t i = 0; i < m; ++i) {
          const Point2d a = loop[i], b = loop[(i + 1) % m];
          const double da = Dot({a.x - line.base.x, a.y - line.base.y}, n) - level;
          const double db = Dot({b.x - line.base.x, b.y - line.base.y}, n) - level;
          // Half-open on the edge's ends so a vertex on the row counts once.
          if ((da > 0) == (db > 0)) continue;
          const double t = da / (da - db);
          const Point2d at{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
          crossings.push_back(Dot({at.x - origin.x, at.y - origin.y}, u));
        }
      }
      std::sort(crossings.begin(), crossings.end());
      for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const double s = crossings[i], e = crossings[i + 1];
        if (!(e > s)) continue;
        const Point2d from{origin.x + u.x * s, origin.y + u.y * s}, to{origin.x + u.x * e, origin.y + u.y * e};
        const std::size_t before = out.runs.size() + out.dots.size();
        if (line.dashes.empty()) {
          out.runs.push_back({from, to});
        } else {
          double period = 0.0;
          for (const double d : line.dashes) period += std::abs(d);
          if (!(period > 0) || !std::isfinite(period)) {
            out.runs.push_back({from, to});
          } else {
            if ((e - s) / period * static_cast<double>(line.dashes.size()) >
                static_cast<double>(kMaxHatchSegments - made)) {
              return std::nullopt;
            }
            // The pattern repeats from the row's origin: start it where this piece begins.
            const double phase = s - std::floor(s / period) * period;
            DashSegment(from, to, line.dashes, 1.0, phase, out);
          }
        }
        made += out.runs.size() + out.dots.size() - before;
        if (made > kMaxHatchSegments) return std::nullopt;
      }
    }
  }
  return out;
}

}  // namespace tessaro
