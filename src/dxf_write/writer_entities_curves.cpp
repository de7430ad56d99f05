// The writer's curves and areas: LWPOLYLINE, ELLIPSE, SPLINE, HATCH, SOLID, TRACE, 3DFACE,
// POINT, RAY, XLINE and WIPEOUT, through GroupWriter; and which of them DXF can hold.
#include "dxf_write/writer_internal.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "dxf/text.h"

namespace tessaro::dxf_writer {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSmallestEllipseRatio = 1e-6;  // what CAD programs accept

bool IsZero(const Point2d& p) { return p.x == 0.0 && p.y == 0.0; }

}  // namespace

// An ellipse whose ratio is above 1 turned into the same curve with its axes swapped.
EllipseGeometry NormalEllipse(EllipseGeometry g) {
  if (g.ratio > 1.0) {
    g.majorAxis = {-g.majorAxis.y * g.ratio, g.majorAxis.x * g.ratio};
    g.ratio = 1.0 / g.ratio;
    g.startParam -= kPi / 2;
    g.endParam -= kPi / 2;
  }
  return g;
}

// Whether a spline has the points and knots its degree needs (what CAD programs refuse).
bool SplineIsWhole(const SplineGeometry& g) {
  if (g.degree < 1) return false;
  const std::size_t order = static_cast<std::size_t>(g.degree) + 1;
  if (!g.controlPoints.empty()) {
    return g.controlPoints.size() >= order && g.knots.size() >= g.controlPoints.size() + order &&
           (g.weights.empty() || g.weights.size() == g.controlPoints.size());
  }
  return g.fitPoints.size() >= std::max<std::size_t>(order > 2 ? order - 2 : 0, 2);
}

// The bounding box of a wipeout's frame, or nothing when it has no area.
std::optional<Extents> FrameBox(const WipeoutGeometry& g) {
  if (g.frame.size() < 3) return std::nullopt;
  Extents box{g.frame.front(), g.frame.front()};
  for (const auto& p : g.frame) {
    box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y)};
    box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y)};
  }
  if (!(box.max.x > box.min.x && box.max.y > box.min.y)) return std::nullopt;
  return box;
}

// The extrusion of an entity in the drawing's plane, (0, 0, 1).
void EntityRecords::WriteUpExtrusion() {
  out_.Real(210, 0.0);
  out_.Real(220, 0.0);
  out_.Real(230, 1.0);
}

void EntityRecords::WritePolyline(const EntityHeader& e) {
  const auto& g = drawing_.Polyline(e);
  const auto vertices = drawing_.Vertices(g);
  const auto heights = drawing_.Heights(e);
  if (heights.size() == vertices.size() && !heights.empty()) {
    Write3dPolyline(e, vertices, heights);
    return;
  }
  const auto widths = drawing_.Widths(g);
  Head(e, "LWPOLYLINE", "AcDbPolyline");
  out_.Int(90, static_cast<long long>(vertices.size()));
  out_.Int(70, g.closed ? 1 : 0);
  out_.Real(43, g.width);
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    out_.Real(10, vertices[i].point.x);
    out_.Real(20, vertices[i].point.y);
    if (widths.size() == vertices.size()) {  // widths by vertex
      out_.Real(40, widths[i].start);
      out_.Real(41, widths[i].end);
    }
    if (vertices[i].bulge != 0.0) out_.Real(42, vertices[i].bulge);
  }
}

// A 3-D polyline: POLYLINE, a VERTEX for each point, SEQEND, the last two owned by the first.
void EntityRecords::Write3dPolyline(const EntityHeader& e, std::span<const PolylineVertex> vertices,
                                    std::span<const double> heights) {
  const std::uint32_t handle = Head(e, "POLYLINE", "AcDb3dPolyline");
  out_.Int(66, 1);
  out_.Point(10, 0.0, 0.0);
  out_.Int(70, drawing_.Polyline(e).closed ? 9 : 8);
  const std::uint32_t blockOwner = owner_;
  owner_ = handle;
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    Head(e, "VERTEX", "AcDbVertex");
    out_.Subclass("AcDb3dPolylineVertex");
    out_.Real(10, vertices[i].point.x);
    out_.Real(20, vertices[i].point.y);
    out_.Real(30, heights[i]);
    out_.Int(70, 32);
  }
  out_.String(0, "SEQEND");
  out_.Handle();
  out_.Hex(330, handle);
  out_.Subclass("AcDbEntity");
  out_.String(8, layerNames_[e.layer]);
  owner_ = blockOwner;
}

void EntityRecords::WriteEllipse(const EntityHeader& e) {
  const EllipseGeometry g = NormalEllipse(drawing_.Ellipse(e));
  Head(e, "ELLIPSE", "AcDbEllipse");
  out_.Point(10, g.center.x, g.center.y);
  out_.Point(11, g.majorAxis.x, g.majorAxis.y);
  out_.Real(40, g.ratio);
  out_.Real(41, g.startParam);
  out_.Real(42, g.endParam);
}

void EntityRecords::WriteSpline(const EntityHeader& e) {
  const auto& g = drawing_.Spline(e);
  const bool byControlPoints = !g.controlPoints.empty();
  const bool rational = byControlPoints && !g.weights.empty();
  Head(e, "SPLINE", "AcDbSpline");
  WriteUpExtrusion();
  out_.Int(70, 8 | (g.closed ? 1 : 0) | (g.periodic ? 2 : 0) | (rational ? 4 : 0));  // 8: planar
  out_.Int(71, g.degree);
  out_.Int(72, byControlPoints ? static_cast<long long>(g.knots.size()) : 0);
  out_.Int(73, static_cast<long long>(g.controlPoints.size()));
  out_.Int(74, static_cast<long long>(g.fitPoints.size()));
  out_.Real(42, 1e-10);
  out_.Real(43, 1e-10);
  if (!g.fitPoints.empty()) out_.Real(44, 1e-10);
  if (byControlPoints) {
    for (double knot : g.knots) out_.Real(40, knot);
    if (rational) {
      for (double weight : g.weights) out_.Real(41, weight);
    }
  }
  for (const auto& p : g.controlPoints) out_.Point(10, p.x, p.y);
  for (const auto& p : g.fitPoints) out_.Point(11, p.x, p.y);
}

void EntityRecords::WriteHatchSpline(const SplineGeometry& s) {
  const bool rational = !s.weights.empty() && s.weights.size() == s.controlPoints.size();
  out_.Int(94, s.degree);
  out_.Int(73, rational ? 1 : 0);
  out_.Int(74, s.periodic ? 1 : 0);
  out_.Int(95, static_cast<long long>(s.knots.size()));
  out_.Int(96, static_cast<long long>(s.controlPoints.size()));
  for (double knot : s.knots) out_.Real(40, knot);
  for (const auto& p : s.controlPoints) {
    out_.Real(10, p.x);
    out_.Real(20, p.y);
  }
  if (rational) {
    for (double weight : s.weights) out_.Real(42, weight);
  }
}

void EntityRecords::WriteHatchLoop(const HatchLoop& loop) {
  constexpr std::uint32_t kPolylineLoop = 2;
  if (loop.isPolyline) {
    const bool bulges = std::any_of(loop.polyline.begin(), loop.polyline.end(), [](const auto& v) { return v.bulge != 0.0; });
    out_.Int(92, loop.flags | kPolylineLoop);
    out_.Int(72, bulges ? 1 : 0);
    out_.Int(73, loop.closed ? 1 : 0);
    out_.Int(93, static_cast<long long>(loop.polyline.size()));
    for (const auto& v : loop.polyline) {
      out_.Real(10, v.point.x);
      out_.Real(20, v.point.y);
      if (bulges) out_.Real(42, v.bulge);
    }
  } else {
    out_.Int(92, loop.flags & ~kPolylineLoop);
    out_.Int(93, static_cast<long long>(loop.edges.size()));
    for (const auto& edge : loop.edges) {
      if (const auto* line = std::get_if<HatchLineEdge>(&edge)) {
        out_.Int(72, 1);
        out_.Real(10, line->start.x);
        out_.Real(20, line->start.y);
        out_.Real(11, line->end.x);
        out_.Real(21, line->end.y);
      } else if (const auto* arc = std::get_if<HatchArcEdge>(&edge)) {
        out_.Int(72, 2);
        out_.Real(10, arc->center.x);
        out_.Real(20, arc->center.y);
        out_.Real(40, arc->radius);
        out_.Real(50, arc->startAngle);
        out_.Real(51, arc->endAngle);
        out_.Int(73, arc->counterClockwise ? 1 : 0);
      } else if (const auto* ellipse = std::get_if<HatchEllipseEdge>(&edge)) {
        out_.Int(72, 3);
        out_.Real(10, ellipse->center.x);
        out_.Real(20, ellipse->center.y);
        out_.Real(11, ellipse->majorAxis.x);
        out_.Real(21, ellipse->majorAxis.y);
        out_.Real(40, ellipse->ratio);
        out_.Real(50, ellipse->startAngle);
        out_.Real(51, ellipse->endAngle);
        out_.Int(73, ellipse->counterClockwise ? 1 : 0);
      } else if (const auto* spline = std::get_if<SplineGeometry>(&edge)) {
        out_.Int(72, 4);
        WriteHatchSpline(*spline);
      }
    }
  }
  out_.Int(97, 0);  // no source boundary objects
}

// A pattern keeps its name; its lines are not held in the drawing, so it is written as
// the boundary with that name.
void EntityRecords::WriteHatch(const EntityHeader& e) {
  const auto& g = drawing_.Hatch(e);
  Head(e, "HATCH", "AcDbHatch");
  out_.Point(10, 0.0, 0.0);
  WriteUpExtrusion();
  out_.String(2, g.pattern.empty() ? (g.solid ? "SOLID" : "_USER") : EncodeDxfText(g.pattern));
  out_.Int(70, g.solid ? 1 : 0);
  out_.Int(71, 0);  // not associative
  out_.Int(91, static_cast<long long>(g.loops.size()));
  for (const auto& loop : g.loops) WriteHatchLoop(loop);
  out_.Int(75, 1);  // odd parity
  out_.Int(76, 1);  // predefined pattern
  if (!g.solid) {
    out_.Real(52, 0.0);
    out_.Real(41, 1.0);
    out_.Int(77, 0);
    out_.Int(78, 0);
  }
  out_.Int(98, 0);
}

void EntityRecords::WriteSolid(const EntityHeader& e) {
  const auto& g = drawing_.Solid(e);
  const bool face = g.kind == SolidKind::Face3d;
  Head(e, DxfTypeName(drawing_, e), face ? "AcDbFace" : "AcDbTrace");
  const auto z = drawing_.Heights(e);
  for (std::size_t i = 0; i < 4; ++i) {
    const int code = 10 + static_cast<int>(i);
    out_.Real(code, g.corners[i].x);
    out_.Real(code + 10, g.corners[i].y);
    out_.Real(code + 20, z.size() == 4 ? z[i] : 0.0);
  }
  if (face) out_.Int(70, g.invisibleEdges & 0x0F);
}

void EntityRecords::WritePoint(const EntityHeader& e) {
  const auto& g = drawing_.Point(e);
  Head(e, "POINT", "AcDbPoint");
  const auto z = drawing_.Heights(e);
  out_.Real(10, g.position.x);
  out_.Real(20, g.position.y);
  out_.Real(30, z.size() == 1 ? z[0] : 0.0);
}

void EntityRecords::WriteRay(const EntityHeader& e) {
  const auto& g = drawing_.Ray(e);
  const double length = std::hypot(g.direction.x, g.direction.y);
  Head(e, DxfTypeName(drawing_, e), g.infinite ? "AcDbXline" : "AcDbRay");
  out_.Point(10, g.base.x, g.base.y);
  out_.Point(11, g.direction.x / length, g.direction.y / length);
}

// A wipeout is an image of one pixel stretched over its frame's box, clipped by the frame
// in pixel coordinates (origin at the top left, closed).
void EntityRecords::WriteWipeout(const EntityHeader& e) {
  const auto& g = drawing_.Wipeout(e);
  const Extents box = *FrameBox(g);
  const double width = box.max.x - box.min.x;
  const double height = box.max.y - box.min.y;
  Head(e, "WIPEOUT", "AcDbWipeout");
  out_.Int(90, 0);
  out_.Point(10, box.min.x, box.min.y);
  out_.Point(11, width, 0.0);
  out_.Point(12, 0.0, height);
  out_.Real(13, 1.0);
  out_.Real(23, 1.0);
  out_.Hex(340, 0);
  out_.Int(70, 7);
  out_.Int(280, 1);
  out_.Int(281, 50);
  out_.Int(282, 50);
  out_.Int(283, 0);
  out_.Hex(360, 0);
  out_.Int(71, 2);  // a polygon
  const bool closed = g.frame.front() == g.frame.back();
  out_.Int(91, static_cast<long long>(g.frame.size() + (closed ? 0 : 1)));
  const auto pixel = [&](const Point2d& p) {
    out_.Real(14, (p.x - box.min.x) / width - 0.5);
    out_.Real(24, 0.5 - (p.y - box.min.y) / height);
  };
  for (const auto& p : g.frame) pixel(p);
  if (!closed) pixel(g.frame.front());
}

}  // namespace tessaro::dxf_writer

namespace tessaro {

bool DxfCanHold(const Drawing& drawing, const EntityHeader& e) {
  switch (e.type) {
    case EntityType::Polyline: return drawing.Polyline(e).vertexCount >= 1;
    case EntityType::Ellipse: {
      const auto g = dxf_writer::NormalEllipse(drawing.Ellipse(e));
      return !dxf_writer::IsZero(g.majorAxis) && g.ratio >= dxf_writer::kSmallestEllipseRatio;
    }
    case EntityType::Spline: return dxf_writer::SplineIsWhole(drawing.Spline(e));
    case EntityType::Insert: return drawing.Insert(e).block < drawing.Blocks().size();
    case EntityType::Dimension: return drawing.Dimension(e).block < drawing.Blocks().size();
    case EntityType::Leader: return drawing.Leader(e).vertices.size() >= 2;
    case EntityType::Ray: return !dxf_writer::IsZero(drawing.Ray(e).direction);
    case EntityType::Wipeout: return dxf_writer::FrameBox(drawing.Wipeout(e)).has_value();
    default: return true;
  }
}

}  // namespace tessaro
