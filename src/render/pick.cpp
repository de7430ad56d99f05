// Picking, snapping and measuring on a display list.
#include "render/pick.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace tessaro::render {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double Length(double x, double y) { return std::hypot(x, y); }

double ToSegment(Point2d p, Point2d a, Point2d b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double length2 = vx * vx + vy * vy;
  const double t = length2 > 0 ? std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / length2, 0.0, 1.0) : 0.0;
  return Length(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

bool Inside(std::span<const Point2d> polygon, Point2d p) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point2d& a = polygon[i];
    const Point2d& b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

bool WholeCircle(const ArcShape& arc) { return arc.endAngle - arc.startAngle >= 360.0; }

// The arc's sweep, counter-clockwise from its start, in (0, 360].
double Sweep(const ArcShape& arc) {
  if (WholeCircle(arc)) return 360.0;
  double sweep = std::fmod(arc.endAngle - arc.startAngle, 360.0);
  if (sweep <= 0) sweep += 360.0;
  return sweep;
}

Point2d OnArc(const ArcShape& arc, double degrees) {
  return {arc.center.x + arc.radius * std::cos(degrees * kDegree), arc.center.y + arc.radius * std::sin(degrees * kDegree)};
}

bool LayerOn(std::span<const Layer> layers, LayerIndex layer) {
  return static_cast<std::size_t>(layer) >= layers.size() || layers[layer].on;
}

Extents Around(Point2d at, double tolerance) {
  return Extents{{at.x - tolerance, at.y - tolerance}, {at.x + tolerance, at.y + tolerance}};
}

}  // namespace

double DistanceToShape(const DisplayList& list, const Shape& shape, Point2d at) {
  switch (shape.kind) {
    case ShapeKind::Segment:
    case ShapeKind::Polyline:
    case ShapeKind::Fill: {
      const auto points = list.PointsOf(shape);
      if (points.empty()) return std::numeric_limits<double>::infinity();
      if (shape.kind == ShapeKind::Fill && points.size() > 2 && Inside(points, at)) return 0.0;
      double best = Length(at.x - points[0].x, at.y - points[0].y);
      for (std::size_t i = 1; i < points.size(); ++i) best = std::min(best, ToSegment(at, points[i - 1], points[i]));
      if ((shape.closed || shape.kind == ShapeKind::Fill) && points.size() > 2) {
        best = std::min(best, ToSegment(at, points.back(), points.front()));
      }
      return best;
    }
    case ShapeKind::Arc: {
      const ArcShape& arc = list.Arc(shape);
      double angle = std::atan2(at.y - arc.center.y, at.x - arc.center.x) / kDegree;
      double fromStart = std::fmod(angle - arc.startAngle, 360.0);
      if (fromStart < 0) fromStart += 360.0;
      if (WholeCircle(arc) || fromStart <= Sweep(arc)) {
        return std::abs(Length(at.x - arc.center.x, at.y - arc.center.y) - arc.radius);
      }
      const Point2d a = OnArc(arc, arc.startAngle), b = OnArc(arc, arc.startAngle + Sweep(arc));
      return std::min(Length(at.x - a.x, at.y - a.y), Length(at.x - b.x, at.y - b.y));
    }
    case ShapeKind::Text: {
      const double dx = std::max({shape.box.min.x - at.x, 0.0, at.x - shape.box.max.x});
      const double dy = std::max({shape.box.min.y - at.y, 0.0, at.y - shape.box.max.y});
      return Length(dx, dy);
    }
    case ShapeKind::Dot: {
      const Point2d p = list.PointsOf(shape)[0];
      return Length(at.x - p.x, at.y - p.y);
    }
    case ShapeKind::Ray: {
      const auto p = list.PointsOf(shape);  // the base and the unit direction
      double t = (at.x - p[0].x) * p[1].x + (at.y - p[0].y) * p[1].y;
      if (!shape.closed) t = std::max(t, 0.0);
      return Length(at.x - (p[0].x + t * p[1].x), at.y - (p[0].y + t * p[1].y));
    }
  }
  return std::numeric_limits<double>::infinity();
}

std::optional<std::uint32_t> PickShape(const DisplayList& list, const ShapeIndex& index,
                                       std::span<const Layer> layers, Point2d at, double tolerance) {
  std::vector<std::uint32_t> near;
  index.Query(Around(at, tolerance), near);
  std::optional<std::uint32_t> best;
  double bestDistance = tolerance;
  for (std::uint32_t i : near) {  // ascending: a later shape of equal distance wins
    const Shape& shape = list.Shapes()[i];
    if (!LayerOn(layers, shape.layer)) continue;
    const double d = DistanceToShape(list, shape, at);
    if (d <= bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

void SnapPointsOf(const DisplayList& list, const Shape& shape, std::vector<SnapPoint>& out) {
  auto middle = [](Point2d a, Point2d b) { return Point2d{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  switch (shape.kind) {
    case ShapeKind::Segment:
    case ShapeKind::Polyline:
    case ShapeKind::Fill: {
      const auto points = list.PointsOf(shape);
      for (std::size_t i = 0; i < points.size(); ++i) {
        out.push_back({points[i], SnapKind::End});
        if (i > 0) out.push_back({middle(points[i - 1], points[i]), SnapKind::Middle});
      }
      if ((shape.closed || shape.kind == ShapeKind::Fill) && points.size() > 2) {
        out.push_back({middle(points.back(), points.front()), SnapKind::Middle});
      }
      break;
    }
    case ShapeKind::Arc: {
      const ArcShape& arc = list.Arc(shape);
      out.push_back({arc.center, SnapKind::Centre});
      if (!WholeCircle(arc)) {
        out.push_back({OnArc(arc, arc.startAngle), SnapKind::End});
        out.push_back({OnArc(arc, arc.startAngle + Sweep(arc)), SnapKind::End});
        out.push_back({OnArc(arc, arc.startAngle + Sweep(arc) / 2), SnapKind::Middle});
      }
      break;
    }
    case ShapeKind::Text: out.push_back({list.Text(shape).position, SnapKind::Insertion}); break;
    case ShapeKind::Dot: out.push_back({list.PointsOf(shape)[0], SnapKind::End}); break;
    case ShapeKind::Ray: out.push_back({list.PointsOf(shape)[0], SnapKind::End}); break;
  }
}

std::optional<SnapPoint> Snap(const DisplayList& list, const ShapeIndex& index, std::span<const Layer> layers,
                              Point2d at, double tolerance) {
  std::vector<std::uint32_t> near;
  // A circle's centre lies away from its outline: circles are found by their boxes, which
  // hold the centre, and the centre then counts like any other point.
  index.Query(Around(at, tolerance), near);
  std::optional<SnapPoint> best;
  double bestDistance = tolerance;
  std::vector<SnapPoint> points;
  for (std::uint32_t i : near) {
    const Shape& shape = list.Shapes()[i];
    if (!LayerOn(layers, shape.layer)) continue;
    points.clear();
    SnapPointsOf(list, shape, points);
    for (const SnapPoint& p : points) {
      const double d = Length(p.at.x - at.x, p.at.y - at.y);
      if (d <= bestDistance) {
        bestDistance = d;
        best = p;
      }
    }
  }
  return best;
}

Measurement Measure(Point2d from, Point2d to) {
  Measurement m;
  m.dx = to.x - from.x;
  m.dy = to.y - from.y;
  m.distance = Length(m.dx, m.dy);
  m.angle = std::atan2(m.dy, m.dx) / kDegree;
  if (m.angle < 0) m.angle += 360.0;
  if (m.angle >= 360.0) m.angle -= 360.0;
  return m;
}

}  // namespace tessaro::render
