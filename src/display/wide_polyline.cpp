#include "display/wide_polyline.h"

#include <algorithm>
#include <cmath>

#include "cad/curves.h"

namespace tessaro {
namespace {

// A centre-line point with its half width and direction of travel.
struct Station {
  Point2d at;
  double half = 0.0;
  Point2d along{1, 0};
};

Point2d Unit(Point2d v) {
  const double length = std::hypot(v.x, v.y);
  return length > 0 ? Point2d{v.x / length, v.y / length} : Point2d{1, 0};
}

// The stations of the segment from `a` to `b` with `bulge`, widths from `w0` to `w1`.
std::vector<Station> SegmentStations(Point2d a, Point2d b, double bulge, double w0, double w1) {
  std::vector<Station> out;
  const double chord = std::hypot(b.x - a.x, b.y - a.y);
  if (!(chord > 0)) return out;
  if (bulge == 0.0 || !std::isfinite(bulge)) {
    const Point2d u = Unit({b.x - a.x, b.y - a.y});
    out.push_back({a, w0 / 2, u});
    out.push_back({b, w1 / 2, u});
    return out;
  }
  const auto [c, radius, start, sweep] = BulgeArcOf(a, b, bulge);
  const int n = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (2 * 3.14159265358979) * 64)), 2, 64);
  for (int k = 0; k <= n; ++k) {
    const double t = static_cast<double>(k) / n, angle = start + sweep * t;
    const Point2d p = k == 0 ? a : k == n ? b : Point2d{c.x + radius * std::cos(angle), c.y + radius * std::sin(angle)};
    const Point2d tangent = sweep > 0 ? Point2d{-std::sin(angle), std::cos(angle)} : Point2d{std::sin(angle), -std::cos(angle)};
    out.push_back({p, (w0 + (w1 - w0) * t) / 2, tangent});
  }
  return out;
}

std::vector<Point2d> Band(const std::vector<Station>& s) {
  std::vector<Point2d> polygon;
  polygon.reserve(2 * s.size());
  for (const Station& st : s) polygon.push_back({st.at.x - st.along.y * st.half, st.at.y + st.along.x * st.half});
  for (auto it = s.rbegin(); it != s.rend(); ++it) {
    polygon.push_back({it->at.x + it->along.y * it->half, it->at.y - it->along.x * it->half});
  }
  return polygon;
}

// The corner between two bands meeting at one vertex: the wedges between their ends on both
// sides (a bevel), as two triangles sharing the vertex.
void AddCorner(std::vector<std::vector<Point2d>>& fills, const Station& p, const Station& q) {
  if (!(p.half > 0) || !(q.half > 0)) return;
  const auto left = [](const Station& s) { return Point2d{s.at.x - s.along.y * s.half, s.at.y + s.along.x * s.half}; };
  const auto right = [](const Station& s) { return Point2d{s.at.x + s.along.y * s.half, s.at.y - s.along.x * s.half}; };
  fills.push_back({q.at, left(p), left(q)});
  fills.push_back({q.at, right(q), right(p)});
}

}  // namespace

bool HasWidth(std::span<const VertexWidth> widths, double constantWidth) {
  if (widths.empty()) return std::isfinite(constantWidth) && constantWidth > 0;
  return std::any_of(widths.begin(), widths.end(), [](const VertexWidth& w) {
    return (std::isfinite(w.start) && w.start > 0) || (std::isfinite(w.end) && w.end > 0);
  });
}

std::vector<std::vector<Point2d>> WidePolylineFills(std::span<const PolylineVertex> vertices, bool closed,
                                                    std::span<const VertexWidth> widths, double constantWidth) {
  std::vector<std::vector<Point2d>> fills;
  const std::size_t n = vertices.size();
  if (n < 2) return fills;
  const auto width = [&](std::size_t i, bool end) {
    const double w = widths.empty() ? constantWidth : end ? widths[i].end : widths[i].start;
    return std::isfinite(w) && w > 0 ? w : 0.0;
  };
  const std::size_t segments = closed ? n : n - 1;
  std::vector<Station> previous;
  std::vector<Station> first;
  for (std::size_t i = 0; i < segments; ++i) {
    const std::size_t j = (i + 1) % n;
    const double w0 = width(i, false), w1 = width(i, true);
    std::vector<Station> s = SegmentStations(vertices[i].point, vertices[j].point, vertices[i].bulge, w0, w1);
    if (s.empty()) continue;
    if (w0 > 0 || w1 > 0) fills.push_back(Band(s));
    // The corner with the band before: the wedge between their ends, on both sides.
    if (!previous.empty()) AddCorner(fills, previous.back(), s.front());
    if (first.empty()) first = s;
    previous = std::move(s);
  }
  if (closed && !previous.empty() && !first.empty()) AddCorner(fills, previous.back(), first.front());
  return fills;
}

}  // namespace tessaro
