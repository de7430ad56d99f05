// The display list's pools of shapes, points, arcs and texts (the flattening is in flatten*.cpp).
#include "display/display_list.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>
#include <variant>

namespace tessaro {
namespace {

Extents BoxOfPoints(std::span<const Point2d> points) {
  Extents box{points.front(), points.front()};
  for (const Point2d& p : points) {
    box.min.x = std::min(box.min.x, p.x);
    box.min.y = std::min(box.min.y, p.y);
    box.max.x = std::max(box.max.x, p.x);
    box.max.y = std::max(box.max.y, p.y);
  }
  return box;
}

bool Finite(const Extents& box) {
  return std::isfinite(box.min.x) && std::isfinite(box.min.y) && std::isfinite(box.max.x) && std::isfinite(box.max.y);
}

// The box of the points; nothing when there are none or one is not a finite number.
std::optional<Extents> FiniteBoxOf(std::span<const Point2d> points) {
  if (points.empty()) return std::nullopt;
  for (const Point2d& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return std::nullopt;
  }
  return BoxOfPoints(points);
}

std::uint32_t Index32(std::size_t index) {
  if (index > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("display list too large");
  return static_cast<std::uint32_t>(index);
}


}  // namespace

void DisplayList::Push(ShapeKind kind, bool closed, LayerIndex layer, ShapeColor color, std::size_t index,
                       std::size_t count, const Extents& box) {
  shapes_.push_back(Shape{kind, closed, layer, color, Index32(index), Index32(count), box});
}

// Shapes with a coordinate that is not a finite number (a file's extreme values, scaled) are
// left out: a painter could do nothing sensible with them.
void DisplayList::AddSegment(LayerIndex layer, ShapeColor color, Point2d a, Point2d b) {
  const Point2d both[2] = {a, b};
  const auto box = FiniteBoxOf(both);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.push_back(a);
  points_.push_back(b);
  Push(ShapeKind::Segment, false, layer, color, first, 2, *box);
}

void DisplayList::AddPolyline(LayerIndex layer, ShapeColor color, std::span<const Point2d> points, bool closed) {
  const auto box = FiniteBoxOf(points);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), points.begin(), points.end());
  Push(ShapeKind::Polyline, closed, layer, color, first, points.size(), *box);
}

void DisplayList::AddArc(LayerIndex layer, ShapeColor color, const ArcShape& arc) {
  const Extents box{{arc.center.x - arc.radius, arc.center.y - arc.radius},
                    {arc.center.x + arc.radius, arc.center.y + arc.radius}};
  if (!Finite(box) || !std::isfinite(arc.startAngle) || !std::isfinite(arc.endAngle)) return;
  Push(ShapeKind::Arc, false, layer, color, arcs_.size(), 1, box);
  arcs_.push_back(arc);
}

void DisplayList::AddText(LayerIndex layer, ShapeColor color, TextShape text, const Extents& box) {
  if (!Finite(box) || !std::isfinite(text.height) || !std::isfinite(text.rotation)) return;
  Push(ShapeKind::Text, false, layer, color, texts_.size(), 1, box);
  texts_.push_back(std::move(text));
}

void DisplayList::AddFill(LayerIndex layer, ShapeColor color, std::span<const Point2d> polygon) {
  const auto box = FiniteBoxOf(polygon);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), polygon.begin(), polygon.end());
  Push(ShapeKind::Fill, true, layer, color, first, polygon.size(), *box);
}

void DisplayList::AddDot(LayerIndex layer, ShapeColor color, Point2d at) {
  if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
  const std::size_t first = points_.size();
  points_.push_back(at);
  Push(ShapeKind::Dot, false, layer, color, first, 1, Extents{at, at});
}

void DisplayList::AddRay(LayerIndex layer, ShapeColor color, Point2d base, Point2d direction, bool bothWays) {
  const double length = std::hypot(direction.x, direction.y);
  if (!std::isfinite(base.x) || !std::isfinite(base.y) || !(length > 0) || !std::isfinite(length)) return;
  const Point2d unit{direction.x / length, direction.y / length};
  // Along each axis the ray reaches from its base to infinity the way it runs (both ways
  // for a line), or stays at the base's coordinate when it runs across it.
  const auto reach = [bothWays](double at, double step, double& lo, double& hi) {
    lo = hi = at;
    if (step > 0 || (bothWays && step != 0)) hi = INFINITY;
    if (step < 0 || (bothWays && step != 0)) lo = -INFINITY;
  };
  Extents box;
  reach(base.x, unit.x, box.min.x, box.max.x);
  reach(base.y, unit.y, box.min.y, box.max.y);
  const std::size_t first = points_.size();
  points_.push_back(base);
  points_.push_back(unit);
  Push(ShapeKind::Ray, bothWays, layer, color, first, 2, box);
}

std::uint16_t DisplayList::Face(const FontFace& face) {
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    if (faces_[i] == face) return static_cast<std::uint16_t>(i);
  }
  if (faces_.size() > 0xFFFF) return 0xFFFF;
  faces_.push_back(face);
  return static_cast<std::uint16_t>(faces_.size() - 1);
}

void DisplayList::Clear() {
  shapes_.clear();
  points_.clear();
  arcs_.clear();
  texts_.clear();
  truncated_ = cancelled_ = false;
  leftOut_ = {};
  faces_.assign(1, FontFace{});
}

void DisplayList::Reserve(std::size_t shapes, std::size_t points) {
  shapes_.reserve(shapes);
  points_.reserve(points);
}

std::vector<Problem> ExpansionProblems(const DisplayList& list) {
  std::vector<Problem> problems;
  const DisplayList::LeftOut& left = list.LeftOutReferences();
  const auto add = [&](ProblemKind kind, std::size_t count, double high) {
    if (count == 0) return;
    Problem p;
    p.kind = kind;
    p.low = static_cast<double>(count);
    p.high = high;
    problems.push_back(std::move(p));
  };
  add(ProblemKind::DxfNestTooDeep, left.tooDeep, kMaxBlockDepth);
  add(ProblemKind::DxfExpansionCapped, left.overBudget, static_cast<double>(left.budget));
  return problems;
}

}  // namespace tessaro
