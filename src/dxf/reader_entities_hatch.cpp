// The reader's HATCH: its boundary paths, polylines or edges, read in sequence.
#include "dxf/reader_internal.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <variant>

namespace tessaro::dxf_reader {

// HATCH: its boundary paths in their order; groups are read in sequence because the same
// codes mean different things in different places.
void Reader::AddHatch(const Common& c) {
  HatchGeometry hatch;
  const std::size_t n = groups_.size();
  std::size_t i = 0;
  const auto at = [&](int code) { return i < n && groups_[i].code == code; };
  // Up to the number of loops (91): pattern name and solid fill.
  double elevation = 0.0;
  for (; i < n && groups_[i].code != 91; ++i) {
    if (groups_[i].code == 2) hatch.pattern = Decode(TrimValue(groups_[i].text));
    if (groups_[i].code == 70) hatch.solid = Int(groups_[i]) == 1;
    if (groups_[i].code == 30) elevation = Real(groups_[i]);
  }
  if (i >= n) {
    drawing_.Add(StyleOf(c), std::move(hatch));
    return;
  }
  const std::int64_t loops = std::max(0, Int(groups_[i++]));
  for (std::int64_t l = 0; l < loops && i < n; ++l) {
    while (i < n && groups_[i].code != 92) ++i;
    if (i >= n) break;
    HatchLoop loop;
    loop.flags = static_cast<std::uint32_t>(Int(groups_[i++]));
    loop.isPolyline = (loop.flags & 2) != 0;
    if (loop.isPolyline) {
      // 72 has bulges, 73 closed, 93 vertex count, then 10/20 (42) per vertex.
      std::int64_t count = 0;
      for (; i < n && groups_[i].code != 10; ++i) {
        if (groups_[i].code == 73) loop.closed = Int(groups_[i]) != 0;
        if (groups_[i].code == 93) count = std::max(0, Int(groups_[i]));
        if (groups_[i].code == 92 || groups_[i].code == 97) break;
      }
      for (std::int64_t v = 0; v < count && at(10); ++v) {
        PolylineVertex vertex;
        vertex.point.x = Real(groups_[i++]);
        if (at(20)) vertex.point.y = Real(groups_[i++]);
        if (at(42)) vertex.bulge = Real(groups_[i++]);
        loop.polyline.push_back(vertex);
      }
    } else {
      std::int64_t edges = 0;
      if (at(93)) edges = std::max(0, Int(groups_[i++]));
      for (std::int64_t e = 0; e < edges && at(72); ++e) {
        const int type = Int(groups_[i++]);
        const std::size_t start = i;
        // The edge's groups run to the next 72 (another edge), 92 (another loop) or 97
        // (the loop's source objects).
        std::size_t end = i;
        if (type == 4) {
          // A spline edge holds 97 (fit point count) itself; its groups end at the next
          // edge or loop, or at the source-object count after its fit data.
          std::int64_t fits = 0;
          while (end < n && groups_[end].code != 72 && groups_[end].code != 92) {
            if (groups_[end].code == 97) {
              fits = std::max(0, Int(groups_[end]));
              ++end;
              std::int64_t taken = 0;
              while (end < n && taken < 2 * fits && (groups_[end].code == 11 || groups_[end].code == 21)) {
                ++end, ++taken;
              }
              while (end < n && (groups_[end].code == 12 || groups_[end].code == 22 || groups_[end].code == 13 ||
                                 groups_[end].code == 23)) {
                ++end;
              }
              break;
            }
            ++end;
          }
        } else {
          while (end < n && groups_[end].code != 72 && groups_[end].code != 92 && groups_[end].code != 97) ++end;
        }
        loop.edges.push_back(ReadEdge(type, start, end));
        i = end;
      }
    }
    hatch.loops.push_back(std::move(loop));
  }
  const std::optional<std::uint32_t> firstColor = ReadPatternLines(hatch, i);
  const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
  if (ocs.kind != Ocs::Kind::Identity) MapHatch(hatch, ocs, elevation);
  EntityStyle style = StyleOf(c);
  if (firstColor) style.trueColor = firstColor;  // a gradient: solid in its first colour
  drawing_.Add(style, std::move(hatch));
}

HatchEdge Reader::ReadEdge(int type, std::size_t first, std::size_t last) {
  const auto value = [&](int code, double fallback) {
    for (std::size_t k = first; k < last; ++k) {
      if (groups_[k].code == code) return Real(groups_[k]);
    }
    return fallback;
  };
  const auto flag = [&](int code) {
    for (std::size_t k = first; k < last; ++k) {
      if (groups_[k].code == code) return Int(groups_[k]) != 0;
    }
    return true;
  };
  switch (type) {
    case 2:
      return HatchArcEdge{{value(10, 0), value(20, 0)}, value(40, 0), value(50, 0), value(51, 360), flag(73)};
    case 3:
      return HatchEllipseEdge{{value(10, 0), value(20, 0)}, {value(11, 1), value(21, 0)}, value(40, 1),
                              value(50, 0), value(51, 360), flag(73)};
    case 4: {
      SplineGeometry s;
      s.degree = std::clamp(static_cast<int>(value(94, 3)), 1, 25);
      for (std::size_t k = first; k < last; ++k) {
        const DxfGroup& g = groups_[k];
        if (g.code == 40) s.knots.push_back(Real(g));
        if (g.code == 42) s.weights.push_back(Real(g));
        if (g.code == 10) s.controlPoints.push_back({Real(g), 0.0});
        if (g.code == 20 && !s.controlPoints.empty()) s.controlPoints.back().y = Real(g);
        if (g.code == 11) s.fitPoints.push_back({Real(g), 0.0});
        if (g.code == 21 && !s.fitPoints.empty()) s.fitPoints.back().y = Real(g);
        if (g.code == 74) s.periodic = Int(g) != 0;
      }
      return s;
    }
    default: return HatchLineEdge{{value(10, 0), value(20, 0)}, {value(11, 0), value(21, 0)}};
  }
}

// After the loops: the pattern's angle (52) and scale (41), its lines (78 of them: 53 angle,
// 43/44 base, 45/46 offset, 79 dashes of 49), and a gradient (450) with its first colour
// (the first 421 after the count of colours, 453), which is returned.
std::optional<std::uint32_t> Reader::ReadPatternLines(HatchGeometry& hatch, std::size_t i) {
  const std::size_t n = groups_.size();
  std::optional<std::uint32_t> firstColor;
  bool colors = false;
  for (; i < n; ++i) {
    const DxfGroup& g = groups_[i];
    switch (g.code) {
      case 52: hatch.patternAngle = Real(g); break;
      case 41: hatch.patternScale = Real(g); break;
      case 53: hatch.patternLines.emplace_back().angle = Real(g); break;
      case 43:
        if (!hatch.patternLines.empty()) hatch.patternLines.back().base.x = Real(g);
        break;
      case 44:
        if (!hatch.patternLines.empty()) hatch.patternLines.back().base.y = Real(g);
        break;
      case 45:
        if (!hatch.patternLines.empty()) hatch.patternLines.back().offset.x = Real(g);
        break;
      case 46:
        if (!hatch.patternLines.empty()) hatch.patternLines.back().offset.y = Real(g);
        break;
      case 49:
        if (!hatch.patternLines.empty()) hatch.patternLines.back().dashes.push_back(Real(g));
        break;
      case 450: hatch.gradient = Int(g) != 0; break;
      case 453: colors = true; break;
      case 421:
        if (colors && !firstColor) firstColor = static_cast<std::uint32_t>(Int(g)) & 0xFFFFFFu;
        break;
      default: break;
    }
  }
  if (hatch.gradient) hatch.solid = true;  // drawn solid in its first colour
  if (hatch.solid) hatch.patternLines.clear();
  return hatch.gradient ? firstColor : std::nullopt;
}

void Reader::MapHatch(HatchGeometry& hatch, const Ocs& ocs, double z) {
  if (!ocs.Similar()) {
    // Another plane: its arcs are elliptical arcs seen from above, drawn as runs of lines.
    for (HatchPatternLine& line : hatch.patternLines) {
      line.base = ocs.Map(line.base, z);
      line.offset = ocs.MapVector(line.offset);
      line.angle = ocs.MapAngle(line.angle);
    }
    for (HatchLoop& loop : hatch.loops) {
      if (loop.isPolyline) StraightenBulges(loop.polyline, loop.closed);
      for (PolylineVertex& v : loop.polyline) v.point = ocs.Map(v.point, z);
      std::vector<HatchEdge> edges;
      for (const HatchEdge& edge : loop.edges) MapHatchEdge(edge, ocs, edges);
      loop.edges = std::move(edges);
    }
    return;
  }
  const bool mirrored = ocs.Mirrored();
  for (HatchPatternLine& line : hatch.patternLines) {
    line.base = ocs.Map(line.base);
    line.offset = ocs.Map(line.offset);
    line.angle = ocs.MapAngle(line.angle);
  }
  for (HatchLoop& loop : hatch.loops) {
    for (PolylineVertex& v : loop.polyline) {
      v.point = ocs.Map(v.point);
      if (mirrored) v.bulge = -v.bulge;
    }
    for (HatchEdge& edge : loop.edges) {
      if (auto* l = std::get_if<HatchLineEdge>(&edge)) {
        l->start = ocs.Map(l->start);
        l->end = ocs.Map(l->end);
      } else if (auto* a = std::get_if<HatchArcEdge>(&edge)) {
        a->center = ocs.Map(a->center);
        a->startAngle = ocs.MapAngle(a->startAngle);
        a->endAngle = ocs.MapAngle(a->endAngle);
        if (mirrored) a->counterClockwise = !a->counterClockwise;
      } else if (auto* e = std::get_if<HatchEllipseEdge>(&edge)) {
        e->center = ocs.Map(e->center);
        e->majorAxis = ocs.Map(e->majorAxis);
        if (mirrored) {
          e->startAngle = -e->startAngle;
          e->endAngle = -e->endAngle;
          e->counterClockwise = !e->counterClockwise;
        }
      } else if (auto* s = std::get_if<SplineGeometry>(&edge)) {
        for (Point2d& p : s->controlPoints) p = ocs.Map(p);
        for (Point2d& p : s->fitPoints) p = ocs.Map(p);
      }
    }
  }
}

}  // namespace tessaro::dxf_reader
