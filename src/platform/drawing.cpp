#include "platform/drawing.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tessaro {

const char* EntityTypeName(EntityType type) {
  switch (type) {
    case EntityType::Line: return "LINE";
    case EntityType::Circle: return "CIRCLE";
    case EntityType::Arc: return "ARC";
    case EntityType::Text: return "TEXT";
  }
  return "?";
}

LayerIndex Drawing::AddLayer(std::string_view name) {
  if (const auto found = FindLayer(name)) return *found;
  if (layers_.size() >= 0xFFFF) throw std::length_error("too many layers");
  layers_.push_back(Layer{std::string(name), true});
  return static_cast<LayerIndex>(layers_.size() - 1);
}

void Drawing::SetCurrentLayer(std::string_view name) { current_ = AddLayer(name); }

std::optional<LayerIndex> Drawing::FindLayer(std::string_view name) const {
  for (std::size_t i = 0; i < layers_.size(); ++i) {
    if (layers_[i].name == name) return static_cast<LayerIndex>(i);
  }
  return std::nullopt;
}

void Drawing::SetLayerOn(LayerIndex layer, bool on) { layers_.at(layer).on = on; }

bool Drawing::SetLayerOn(std::string_view name, bool on) {
  const auto found = FindLayer(name);
  if (!found) return false;
  layers_[*found].on = on;
  return true;
}

LayerIndex Drawing::EnsureCurrentLayer() {
  if (layers_.empty()) current_ = AddLayer("0");
  return current_;
}

void Drawing::Push(EntityType type, LayerIndex layer, int color, std::size_t index) {
  headers_.push_back(EntityHeader{type, layer, static_cast<std::int16_t>(color), static_cast<std::uint32_t>(index)});
}

void Drawing::AddLine(const LineGeometry& line, int color) { AddLineOn(EnsureCurrentLayer(), line, color); }
void Drawing::AddCircle(const CircleGeometry& circle, int color) { AddCircleOn(EnsureCurrentLayer(), circle, color); }
void Drawing::AddArc(const ArcGeometry& arc, int color) { AddArcOn(EnsureCurrentLayer(), arc, color); }
void Drawing::AddText(TextGeometry text, int color) { AddTextOn(EnsureCurrentLayer(), std::move(text), color); }

void Drawing::AddLineOn(LayerIndex layer, const LineGeometry& line, int color) {
  lines_.push_back(line);
  Push(EntityType::Line, layer, color, lines_.size() - 1);
}

void Drawing::AddCircleOn(LayerIndex layer, const CircleGeometry& circle, int color) {
  circles_.push_back(circle);
  Push(EntityType::Circle, layer, color, circles_.size() - 1);
}

void Drawing::AddArcOn(LayerIndex layer, const ArcGeometry& arc, int color) {
  arcs_.push_back(arc);
  Push(EntityType::Arc, layer, color, arcs_.size() - 1);
}

void Drawing::AddTextOn(LayerIndex layer, TextGeometry text, int color) {
  texts_.push_back(std::move(text));
  Push(EntityType::Text, layer, color, texts_.size() - 1);
}

void Drawing::Clear() {
  layers_.clear();
  current_ = 0;
  headers_.clear();
  lines_.clear();
  circles_.clear();
  arcs_.clear();
  texts_.clear();
}

void Drawing::Reserve(std::size_t entities) { headers_.reserve(entities); }

void Drawing::Swap(Drawing& other) noexcept {
  layers_.swap(other.layers_);
  std::swap(current_, other.current_);
  headers_.swap(other.headers_);
  lines_.swap(other.lines_);
  circles_.swap(other.circles_);
  arcs_.swap(other.arcs_);
  texts_.swap(other.texts_);
}

std::optional<Extents> Drawing::ComputeExtents() const {
  if (headers_.empty()) return std::nullopt;
  Extents box{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
  const auto take = [&box](double x, double y) {
    box.min.x = std::min(box.min.x, x);
    box.min.y = std::min(box.min.y, y);
    box.max.x = std::max(box.max.x, x);
    box.max.y = std::max(box.max.y, y);
  };
  for (const auto& line : lines_) {
    take(line.start.x, line.start.y);
    take(line.end.x, line.end.y);
  }
  for (const auto& circle : circles_) {
    take(circle.center.x - circle.radius, circle.center.y - circle.radius);
    take(circle.center.x + circle.radius, circle.center.y + circle.radius);
  }
  for (const auto& arc : arcs_) {
    take(arc.center.x - arc.radius, arc.center.y - arc.radius);
    take(arc.center.x + arc.radius, arc.center.y + arc.radius);
  }
  for (const auto& text : texts_) {
    take(text.position.x, text.position.y);
    take(text.position.x, text.position.y + text.height);
  }
  return box;
}

}  // namespace tessaro
