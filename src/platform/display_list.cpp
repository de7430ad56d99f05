// The display list's pools and the flattening of the drawing's entities into shapes.
#include "platform/display_list.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

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

std::uint32_t Index32(std::size_t index) {
  if (index > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("display list too large");
  return static_cast<std::uint32_t>(index);
}

// Text width is unknown without a font: a generous guess keeps a text from vanishing early.
Extents EstimatedTextBox(const TextGeometry& text) {
  const double width = text.height * static_cast<double>(text.value.size());
  return Extents{text.position, Point2d{text.position.x + width, text.position.y + text.height}};
}

ShapeColor AciOf(int color) { return ShapeColor{static_cast<std::int16_t>(color), 0}; }

}  // namespace

void DisplayList::Push(ShapeKind kind, bool closed, LayerIndex layer, ShapeColor color, std::size_t index,
                       std::size_t count, const Extents& box) {
  shapes_.push_back(Shape{kind, closed, layer, color, Index32(index), Index32(count), box});
}

void DisplayList::AddSegment(LayerIndex layer, ShapeColor color, Point2d a, Point2d b) {
  const std::size_t first = points_.size();
  points_.push_back(a);
  points_.push_back(b);
  Push(ShapeKind::Segment, false, layer, color, first, 2, BoxOfPoints({points_.data() + first, 2}));
}

void DisplayList::AddPolyline(LayerIndex layer, ShapeColor color, std::span<const Point2d> points, bool closed) {
  if (points.empty()) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), points.begin(), points.end());
  Push(ShapeKind::Polyline, closed, layer, color, first, points.size(), BoxOfPoints(points));
}

void DisplayList::AddArc(LayerIndex layer, ShapeColor color, const ArcShape& arc) {
  const Extents box{{arc.center.x - arc.radius, arc.center.y - arc.radius},
                    {arc.center.x + arc.radius, arc.center.y + arc.radius}};
  Push(ShapeKind::Arc, false, layer, color, arcs_.size(), 1, box);
  arcs_.push_back(arc);
}

void DisplayList::AddText(LayerIndex layer, ShapeColor color, TextShape text, const Extents& box) {
  Push(ShapeKind::Text, false, layer, color, texts_.size(), 1, box);
  texts_.push_back(std::move(text));
}

void DisplayList::AddFill(LayerIndex layer, ShapeColor color, std::span<const Point2d> polygon) {
  if (polygon.empty()) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), polygon.begin(), polygon.end());
  Push(ShapeKind::Fill, true, layer, color, first, polygon.size(), BoxOfPoints(polygon));
}

void DisplayList::AddDot(LayerIndex layer, ShapeColor color, Point2d at) {
  const std::size_t first = points_.size();
  points_.push_back(at);
  Push(ShapeKind::Dot, false, layer, color, first, 1, Extents{at, at});
}

std::optional<Extents> DisplayList::Bounds() const {
  if (shapes_.empty()) return std::nullopt;
  Extents all = shapes_.front().box;
  for (const Shape& s : shapes_) {
    all.min.x = std::min(all.min.x, s.box.min.x);
    all.min.y = std::min(all.min.y, s.box.min.y);
    all.max.x = std::max(all.max.x, s.box.max.x);
    all.max.y = std::max(all.max.y, s.box.max.y);
  }
  return all;
}

void DisplayList::Clear() {
  shapes_.clear();
  points_.clear();
  arcs_.clear();
  texts_.clear();
}

void DisplayList::Reserve(std::size_t shapes, std::size_t points) {
  shapes_.reserve(shapes);
  points_.reserve(points);
}

DisplayList FlattenDrawing(const Drawing& drawing) {
  DisplayList list;
  list.Reserve(drawing.EntityCount(), 2 * drawing.EntityCount());
  for (const EntityHeader& e : drawing.Entities()) {
    const ShapeColor color = AciOf(e.color);
    switch (e.type) {
      case EntityType::Line: {
        const LineGeometry& l = drawing.Line(e);
        list.AddSegment(e.layer, color, l.start, l.end);
        break;
      }
      case EntityType::Circle: {
        const CircleGeometry& c = drawing.Circle(e);
        list.AddArc(e.layer, color, ArcShape{c.center, c.radius, 0.0, 360.0});
        break;
      }
      case EntityType::Arc: {
        const ArcGeometry& a = drawing.Arc(e);
        list.AddArc(e.layer, color, ArcShape{a.center, a.radius, a.startAngle, a.endAngle});
        break;
      }
      case EntityType::Text: {
        const TextGeometry& t = drawing.Text(e);
        TextShape shape;
        shape.position = t.position;
        shape.height = t.height;
        shape.value = t.value;
        list.AddText(e.layer, color, std::move(shape), EstimatedTextBox(t));
        break;
      }
    }
  }
  return list;
}

}  // namespace tessaro
