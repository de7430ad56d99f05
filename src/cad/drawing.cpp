#include "cad/drawing.h"

#include <algorithm>
#include <stdexcept>

namespace tessaro {

namespace {

constexpr const char* kTypeNames[kEntityTypeCount] = {
    "LINE",   "CIRCLE",    "ARC",       "TEXT",   "LWPOLYLINE", "ELLIPSE", "SPLINE", "MTEXT",  "ATTRIB",
    "INSERT", "DIMENSION", "LEADER",    "HATCH",  "SOLID",      "POINT",   "RAY",    "WIPEOUT",
};

}  // namespace

const char* EntityTypeName(EntityType type) {
  const auto n = static_cast<std::size_t>(type);
  return n < kEntityTypeCount ? kTypeNames[n] : "?";
}

LayerIndex Drawing::AddLayer(std::string_view name) {
  if (const auto found = FindLayer(name)) return *found;
  if (layers_.size() >= 0xFFFF) throw std::length_error("too many layers");
  layers_.push_back(Layer{std::string(name), true});
  const auto index = static_cast<LayerIndex>(layers_.size() - 1);
  layerByName_.emplace(std::string(name), index);
  return index;
}

void Drawing::SetCurrentLayer(std::string_view name) { current_ = AddLayer(name); }

std::optional<LayerIndex> Drawing::FindLayer(std::string_view name) const {
  const auto found = layerByName_.find(std::string(name));
  if (found == layerByName_.end()) return std::nullopt;
  return found->second;
}

void Drawing::SetLayerOn(LayerIndex layer, bool on) { layers_.at(layer).on = on; }

bool Drawing::SetLayerOn(std::string_view name, bool on) {
  const auto found = FindLayer(name);
  if (!found) return false;
  layers_[*found].on = on;
  return true;
}

void Drawing::SetLayerLook(LayerIndex layer, int color, std::optional<std::uint32_t> trueColor, bool frozen) {
  ++revision_;
  Layer& l = layers_.at(layer);
  l.color = static_cast<std::int16_t>(std::clamp(color, 1, 255));
  l.trueColor = trueColor;
  l.frozen = frozen;
}

LayerIndex Drawing::EnsureCurrentLayer() {
  if (layers_.empty()) current_ = AddLayer("0");
  return current_;
}

std::uint16_t Drawing::TrueColorSlot(std::optional<std::uint32_t> rgb) {
  if (!rgb) return 0;
  const std::uint32_t value = *rgb & 0xFFFFFFu;
  if (const auto found = trueColorSlot_.find(value); found != trueColorSlot_.end()) return found->second;
  if (trueColors_.size() >= 0xFFFF) return 0;  // more colours than slots: the ACI stands in
  trueColors_.push_back(value);
  const auto slot = static_cast<std::uint16_t>(trueColors_.size());
  trueColorSlot_.emplace(value, slot);
  return slot;
}

std::optional<std::uint32_t> Drawing::TrueColor(const EntityHeader& e) const {
  if (e.trueColor == 0 || e.trueColor > trueColors_.size()) return std::nullopt;
  return trueColors_[e.trueColor - 1];
}

void Drawing::Push(EntityType type, LayerIndex layer, int color, std::size_t index) {
  ++revision_;
  if (index > 0xFFFFFFFFu) throw std::length_error("too many entities");
  const EntityHeader header{type, layer, static_cast<std::int16_t>(color), 0, static_cast<std::uint32_t>(index)};
  lastType_ = static_cast<std::uint8_t>(type);
  lastIndex_ = static_cast<std::uint32_t>(index);
  if (openBlock_) {
    blocks_[*openBlock_].entities.push_back(header);
  } else {
    headers_.push_back(header);
  }
}

void Drawing::Push(EntityType type, const EntityStyle& style, std::size_t index) {
  Push(type, style.layer, style.color, index);
  if (style.trueColor) {
    auto& list = openBlock_ ? blocks_[*openBlock_].entities : headers_;
    list.back().trueColor = TrueColorSlot(style.trueColor);
  }
  if (!(style.line == EntityLineStyle{})) {
    styles_.SetEntityLineStyle(static_cast<std::uint8_t>(type), static_cast<std::uint32_t>(index), style.line);
  }
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

BlockIndex Drawing::AddBlock(std::string_view name, Point2d base) {
  if (const auto found = FindBlock(name)) return *found;
  if (blocks_.size() >= 0xFFFFFFFEu) throw std::length_error("too many blocks");
  ++revision_;
  blocks_.push_back(Block{std::string(name), base, 0, 0, {}});
  const auto index = static_cast<BlockIndex>(blocks_.size() - 1);
  blockByName_.emplace(std::string(name), index);
  return index;
}

std::optional<BlockIndex> Drawing::FindBlock(std::string_view name) const {
  const auto found = blockByName_.find(std::string(name));
  if (found == blockByName_.end()) return std::nullopt;
  return found->second;
}

void Drawing::OpenBlock(BlockIndex block) {
  if (block >= blocks_.size()) throw std::out_of_range("no such block");
  openBlock_ = block;
}

void Drawing::CloseBlock() { openBlock_.reset(); }

void Drawing::Add(const EntityStyle& style, const LineGeometry& line) {
  lines_.push_back(line);
  Push(EntityType::Line, style, lines_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const CircleGeometry& circle) {
  circles_.push_back(circle);
  Push(EntityType::Circle, style, circles_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const ArcGeometry& arc) {
  arcs_.push_back(arc);
  Push(EntityType::Arc, style, arcs_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, TextGeometry text) {
  texts_.push_back(std::move(text));
  Push(EntityType::Text, style, texts_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, PolylineGeometry polyline, std::span<const PolylineVertex> vertices) {
  if (vertices_.size() + vertices.size() > 0xFFFFFFFFu) throw std::length_error("too many vertices");
  polyline.firstVertex = static_cast<std::uint32_t>(vertices_.size());
  polyline.vertexCount = static_cast<std::uint32_t>(vertices.size());
  vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
  polylines_.push_back(polyline);
  Push(EntityType::Polyline, style, polylines_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, PolylineGeometry polyline, std::span<const PolylineVertex> vertices,
                  std::span<const VertexWidth> widths) {
  if (widths.size() != vertices.size()) throw std::invalid_argument("one width per vertex");
  if (widths_.size() + widths.size() > 0xFFFFFFFEu) throw std::length_error("too many vertices");
  polyline.firstWidth = static_cast<std::uint32_t>(widths_.size());
  widths_.insert(widths_.end(), widths.begin(), widths.end());
  Add(style, polyline, vertices);
}
void Drawing::Add(const EntityStyle& style, const EllipseGeometry& ellipse) {
  ellipses_.push_back(ellipse);
  Push(EntityType::Ellipse, style, ellipses_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, SplineGeometry spline) {
  splines_.push_back(std::move(spline));
  Push(EntityType::Spline, style, splines_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, MTextGeometry mtext) {
  mtexts_.push_back(std::move(mtext));
  Push(EntityType::MText, style, mtexts_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, AttribGeometry attrib) {
  attribs_.push_back(std::move(attrib));
  Push(EntityType::Attrib, style, attribs_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const InsertGeometry& insert) {
  inserts_.push_back(insert);
  Push(EntityType::Insert, style, inserts_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, DimensionGeometry dimension) {
  dimensions_.push_back(std::move(dimension));
  Push(EntityType::Dimension, style, dimensions_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, LeaderGeometry leader) {
  leaders_.push_back(std::move(leader));
  Push(EntityType::Leader, style, leaders_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, HatchGeometry hatch) {
  hatches_.push_back(std::move(hatch));
  Push(EntityType::Hatch, style, hatches_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const SolidGeometry& solid) {
  solids_.push_back(solid);
  Push(EntityType::Solid, style, solids_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const PointGeometry& point) {
  points_.push_back(point);
  Push(EntityType::Point, style, points_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, const RayGeometry& ray) {
  rays_.push_back(ray);
  Push(EntityType::Ray, style, rays_.size() - 1);
}
void Drawing::Add(const EntityStyle& style, WipeoutGeometry wipeout) {
  wipeouts_.push_back(std::move(wipeout));
  Push(EntityType::Wipeout, style, wipeouts_.size() - 1);
}

void Drawing::Clear() {
  Drawing empty;
  Swap(empty);
}

void Drawing::Reserve(std::size_t entities) {
  headers_.reserve(entities);
  lines_.reserve(entities);
}

void Drawing::Swap(Drawing& other) noexcept {
  layers_.swap(other.layers_);
  layerByName_.swap(other.layerByName_);
  std::swap(current_, other.current_);
  headers_.swap(other.headers_);
  blocks_.swap(other.blocks_);
  blockByName_.swap(other.blockByName_);
  std::swap(openBlock_, other.openBlock_);
  trueColors_.swap(other.trueColors_);
  trueColorSlot_.swap(other.trueColorSlot_);
  lines_.swap(other.lines_);
  circles_.swap(other.circles_);
  arcs_.swap(other.arcs_);
  texts_.swap(other.texts_);
  polylines_.swap(other.polylines_);
  vertices_.swap(other.vertices_);
  widths_.swap(other.widths_);
  std::swap(styles_, other.styles_);
  ellipses_.swap(other.ellipses_);
  splines_.swap(other.splines_);
  mtexts_.swap(other.mtexts_);
  attribs_.swap(other.attribs_);
  inserts_.swap(other.inserts_);
  dimensions_.swap(other.dimensions_);
  leaders_.swap(other.leaders_);
  hatches_.swap(other.hatches_);
  solids_.swap(other.solids_);
  points_.swap(other.points_);
  rays_.swap(other.rays_);
  wipeouts_.swap(other.wipeouts_);
  // The contents changed places; each drawing's revision stays its own and moves on.
  ++revision_;
  ++other.revision_;
}

}  // namespace tessaro
