// The reader's lines and curves: LINE, CIRCLE, ARC, LWPOLYLINE, POLYLINE, ELLIPSE, SPLINE,
// SOLID, TRACE, 3DFACE, POINT, RAY, XLINE and WIPEOUT.
#include "dxf/reader_internal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace tessaro::dxf_reader {

void Reader::AddLine(const Common& c) {
  LineGeometry line;
  double z0 = 0.0, z1 = 0.0;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: line.start.x = Real(g); break;
      case 20: line.start.y = Real(g); break;
      case 30: z0 = Real(g); break;
      case 11: line.end.x = Real(g); break;
      case 21: line.end.y = Real(g); break;
      case 31: z1 = Real(g); break;
      default: break;
    }
  }
  drawing_.Add(StyleOf(c), line);
  if (z0 != 0.0 || z1 != 0.0) drawing_.SetLastHeights({z0, z1});  // kept for writing back
}

// Circles and arcs in another plane are ellipses seen from above.
void Reader::AddCircle(const Common& c) {
  CircleGeometry circle;
  double z = 0.0;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: circle.center.x = Real(g); break;
      case 20: circle.center.y = Real(g); break;
      case 30: z = Real(g); break;
      case 40: circle.radius = Real(g); break;
      default: break;
    }
  }
  const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
  if (!ocs.Similar()) {
    if (const auto ellipse = ocs.MapCircle(circle.center, z, circle.radius, 0, 360)) drawing_.Add(StyleOf(c), *ellipse);
    return;
  }
  circle.center = ocs.Map(circle.center);
  drawing_.Add(StyleOf(c), circle);
}

void Reader::AddArc(const Common& c) {
  ArcGeometry arc;
  double z = 0.0;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: arc.center.x = Real(g); break;
      case 20: arc.center.y = Real(g); break;
      case 30: z = Real(g); break;
      case 40: arc.radius = Real(g); break;
      case 50: arc.startAngle = Real(g); break;
      case 51: arc.endAngle = Real(g); break;
      default: break;
    }
  }
  const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
  if (!ocs.Similar()) {
    if (const auto ellipse = ocs.MapCircle(arc.center, z, arc.radius, arc.startAngle, arc.endAngle)) {
      drawing_.Add(StyleOf(c), *ellipse);
    }
    return;
  }
  arc.center = ocs.Map(arc.center);
  ocs.MapArc(arc.startAngle, arc.endAngle);
  drawing_.Add(StyleOf(c), arc);
}

void Reader::AddLwPolyline(const Common& c) {
  PolylineGeometry polyline;
  vertices_.clear();
  lwWidths_.clear();
  double elevation = 0.0;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 38: elevation = Real(g); break;
      case 70: polyline.closed = (Int(g) & 1) != 0; break;
      case 43: polyline.width = Real(g); break;
      case 40:
      case 41:
        if (!vertices_.empty()) {
          if (lwWidths_.size() < vertices_.size()) lwWidths_.resize(vertices_.size());
          (g.code == 40 ? lwWidths_[vertices_.size() - 1].start : lwWidths_[vertices_.size() - 1].end) = Real(g);
        }
        break;
      case 10: vertices_.push_back(PolylineVertex{{Real(g), 0.0}, 0.0}); break;
      case 20:
        if (!vertices_.empty()) vertices_.back().point.y = Real(g);
        break;
      case 42:
        if (!vertices_.empty()) vertices_.back().bulge = Real(g);
        break;
      default: break;
    }
  }
  MapVertices(Ocs::Of(c.nx, c.ny, c.nz), elevation, polyline.closed, !lwWidths_.empty());
  if (!lwWidths_.empty()) {
    lwWidths_.resize(vertices_.size());
    drawing_.Add(StyleOf(c), polyline, vertices_, lwWidths_);
    return;
  }
  drawing_.Add(StyleOf(c), polyline, vertices_);
}

// The vertices of a 2-D polyline at elevation `z` of its plane, seen from above; in another
// plane than the drawing's its arcs become runs of lines (unless it has widths by vertex,
// which are one to a vertex).
void Reader::MapVertices(const Ocs& ocs, double z, bool closed, bool widths) {
  if (ocs.kind == Ocs::Kind::Identity) return;
  if (!ocs.Similar() && !widths) StraightenBulges(vertices_, closed);
  for (PolylineVertex& v : vertices_) {
    v.point = ocs.Map(v.point, z);
    if (ocs.Mirrored()) v.bulge = -v.bulge;
  }
}

// POLYLINE with its VERTEX entities up to SEQEND. 2-D polylines are drawn with their widths,
// 3-D ones and polygon and polyface meshes as wireframes seen from above.
bool Reader::AddPolyline(const Common& c, DxfGroup& next) {
  int flags = 0, meshM = 0, meshN = 0;
  double width = 0.0, endWidth = 0.0, elevation = 0.0;
  bool haveWidth = false;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 30: elevation = Real(g); break;
      case 70: flags = Int(g); break;
      case 40: width = Real(g), haveWidth = true; break;
      case 41: endWidth = Real(g), haveWidth = true; break;
      case 71: meshM = Int(g); break;
      case 72: meshN = Int(g); break;
      default: break;
    }
  }
  const Common head = c;
  vertices_.clear();
  std::vector<VertexWidth> widths;
  std::vector<double> heights;  // of a 3-D polyline's vertices
  bool anyWidth = false;
  // Meshes: their vertices in 3-D and a polyface's faces (1-based vertex numbers, negative
  // for an invisible edge).
  std::vector<std::array<double, 3>> points;
  std::vector<std::array<int, 4>> faces;
  while (TrimValue(next.text) == "VERTEX") {
    if (!Collect(groups_, next)) break;
    PolylineVertex v;
    double z = 0.0;
    VertexWidth w{haveWidth ? width : 0.0, haveWidth ? endWidth : 0.0};
    int vertexFlags = 0;
    std::array<int, 4> face{};
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: v.point.x = Real(g); break;
        case 20: v.point.y = Real(g); break;
        case 30: z = Real(g); break;
        case 40: w.start = Real(g), anyWidth = true; break;
        case 41: w.end = Real(g), anyWidth = true; break;
        case 42: v.bulge = Real(g); break;
        case 70: vertexFlags = Int(g); break;
        case 71: case 72: case 73: case 74: face[static_cast<std::size_t>(g.code - 71)] = Int(g); break;
        default: break;
      }
    }
    if ((vertexFlags & 16) != 0) continue;  // a spline frame's control point
    if ((flags & (16 | 64)) != 0) {
      if ((vertexFlags & 128) != 0 && (vertexFlags & 64) == 0) {
        faces.push_back(face);
      } else {
        points.push_back({v.point.x, v.point.y, z});
      }
      continue;
    }
    vertices_.push_back(v);
    widths.push_back(w);
    heights.push_back(z);
  }
  if (TrimValue(next.text) == "SEQEND") Collect(groups_, next);
  if (head.invisible) return false;
  if ((flags & (16 | 64)) != 0) {  // a mesh: its wireframe seen from above
    AddPolyfaceWires(head, flags, meshM, meshN, points, faces);
    if (space_ == Space::Model) ++report_.keptAsEdges["POLYLINE"];
    return true;
  }
  PolylineGeometry polyline;
  polyline.closed = (flags & 1) != 0;
  polyline.width = haveWidth && width == endWidth ? width : 0.0;
  if (anyWidth || (haveWidth && width != endWidth)) {
    if ((flags & 8) == 0) MapVertices(Ocs::Of(head.nx, head.ny, head.nz), elevation, polyline.closed, true);
    drawing_.Add(StyleOf(head), polyline, vertices_, widths);
    return true;
  }
  if ((flags & 8) == 0) {
    MapVertices(Ocs::Of(head.nx, head.ny, head.nz), elevation, polyline.closed, false);
  } else {
    for (PolylineVertex& v : vertices_) v.bulge = 0.0;
  }
  drawing_.Add(StyleOf(head), polyline, vertices_);
  if ((flags & 8) != 0) drawing_.SetLastHeights(std::move(heights));  // a 3-D polyline stays one
  return true;
}

// An ellipse's centre and major axis are in world coordinates; its minor axis is the
// extrusion × the major axis: seen from above, any plane gives an ellipse again.
void Reader::AddEllipse(const Common& c) {
  EllipseGeometry e;
  double majorZ = 0.0;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: e.center.x = Real(g); break;
      case 20: e.center.y = Real(g); break;
      case 11: e.majorAxis.x = Real(g); break;
      case 21: e.majorAxis.y = Real(g); break;
      case 31: majorZ = Real(g); break;
      case 40: e.ratio = Real(g); break;
      case 41: e.startParam = Real(g); break;
      case 42: e.endParam = Real(g); break;
      default: break;
    }
  }
  const double length = std::sqrt(c.nx * c.nx + c.ny * c.ny + c.nz * c.nz);
  if (length > 0 && std::isfinite(length) && (std::abs(c.nx) > 1e-12 || std::abs(c.ny) > 1e-12 || c.nz < 0)) {
    const double nx = c.nx / length, ny = c.ny / length, nz = c.nz / length;
    const Point2d minor{(ny * majorZ - nz * e.majorAxis.y) * e.ratio, (nz * e.majorAxis.x - nx * majorZ) * e.ratio};
    const auto seen = EllipseOfConjugates(e.center, e.majorAxis, minor, e.startParam, e.endParam);
    if (!seen) return;
    e = *seen;
  }
  drawing_.Add(StyleOf(c), e);
}

// SPLINE groups from `first` on (a hatch edge passes its own range).
SplineGeometry Reader::ReadSpline(std::size_t first, std::size_t last) {
  SplineGeometry s;
  for (std::size_t i = first; i < last; ++i) {
    const DxfGroup& g = groups_[i];
    if (g.code == 100 && TrimValue(g.text) == "AcDbHelix") break;  // the helix's own axis follows
    switch (g.code) {
      case 70: {
        const int flags = Int(g);
        s.closed = (flags & 1) != 0;
        s.periodic = (flags & 2) != 0;
        break;
      }
      case 71: s.degree = std::clamp(Int(g), 1, 25); break;
      case 40: s.knots.push_back(Real(g)); break;
      case 41: s.weights.push_back(Real(g)); break;
      case 10: s.controlPoints.push_back({Real(g), 0.0}); break;
      case 20:
        if (!s.controlPoints.empty()) s.controlPoints.back().y = Real(g);
        break;
      case 11: s.fitPoints.push_back({Real(g), 0.0}); break;
      case 21:
        if (!s.fitPoints.empty()) s.fitPoints.back().y = Real(g);
        break;
      default: break;
    }
  }
  return s;
}

void Reader::AddSolid(const Common& c, Kind kind) {
  SolidGeometry solid;
  solid.kind = kind == Kind::Solid ? SolidKind::Solid : kind == Kind::Trace ? SolidKind::Trace : SolidKind::Face3d;
  bool haveFourth = false;
  double z = 0.0;
  std::array<double, 4> heights{};
  for (const DxfGroup& g : groups_) {
    if (g.code == 30) z = Real(g);
    if (g.code >= 30 && g.code <= 33) heights[static_cast<std::size_t>(g.code - 30)] = Real(g);
    if (g.code >= 10 && g.code <= 13) solid.corners[g.code - 10].x = Real(g);
    if (g.code >= 20 && g.code <= 23) solid.corners[g.code - 20].y = Real(g);
    if (g.code == 13 || g.code == 23) haveFourth = true;
    if (g.code == 70 && kind == Kind::Face3d) solid.invisibleEdges = static_cast<std::uint8_t>(Int(g) & 15);
  }
  if (!haveFourth) solid.corners[3] = solid.corners[2];
  if (kind != Kind::Face3d) {
    const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
    for (Point2d& p : solid.corners) p = ocs.Map(p, z);
  }
  drawing_.Add(StyleOf(c), solid);
  if (!haveFourth) heights[3] = heights[2];
  if (kind == Kind::Face3d && heights != std::array<double, 4>{}) {
    drawing_.SetLastHeights({heights.begin(), heights.end()});
  }
}

void Reader::AddPoint(const Common& c) {
  PointGeometry point;
  double z = 0.0;
  for (const DxfGroup& g : groups_) {
    if (g.code == 10) point.position.x = Real(g);
    if (g.code == 20) point.position.y = Real(g);
    if (g.code == 30) z = Real(g);
  }
  drawing_.Add(StyleOf(c), point);
  if (z != 0.0) drawing_.SetLastHeights({z});
}

void Reader::AddRay(const Common& c, bool infinite) {
  RayGeometry ray;
  ray.infinite = infinite;
  ray.direction = {1, 0};
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: ray.base.x = Real(g); break;
      case 20: ray.base.y = Real(g); break;
      case 11: ray.direction.x = Real(g); break;
      case 21: ray.direction.y = Real(g); break;
      default: break;
    }
  }
  drawing_.Add(StyleOf(c), ray);
}

void Reader::AddWipeout(const Common& c) {
  Point2d insert, u{1, 0}, v{0, 1}, size{1, 1};
  int clipType = 1;
  std::vector<Point2d> clip;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 10: insert.x = Real(g); break;
      case 20: insert.y = Real(g); break;
      case 11: u.x = Real(g); break;
      case 21: u.y = Real(g); break;
      case 12: v.x = Real(g); break;
      case 22: v.y = Real(g); break;
      case 13: size.x = Real(g); break;
      case 23: size.y = Real(g); break;
      case 71: clipType = Int(g); break;
      case 14: clip.push_back({Real(g), 0.0}); break;
      case 24:
        if (!clip.empty()) clip.back().y = Real(g);
        break;
      default: break;
    }
  }
  if (clip.size() < 2) clip = {{-0.5, -0.5}, {size.x - 0.5, size.y - 0.5}};
  if (clipType == 1 || clip.size() == 2) {
    const Point2d p0 = clip[0], p1 = clip[1];
    clip = {p0, {p1.x, p0.y}, p1, {p0.x, p1.y}};
  }
  // The clipping path's origin is the image's top left corner, y running down.
  const Point2d origin{insert.x + 0.5 * u.x - 0.5 * v.x, insert.y + 0.5 * u.y - 0.5 * v.y};
  WipeoutGeometry wipeout;
  wipeout.frame.reserve(clip.size());
  for (const Point2d& p : clip) {
    const double down = size.y - p.y;
    wipeout.frame.push_back({origin.x + u.x * p.x + v.x * down, origin.y + u.y * p.x + v.y * down});
  }
  drawing_.Add(StyleOf(c), std::move(wipeout));
}

}  // namespace tessaro::dxf_reader
