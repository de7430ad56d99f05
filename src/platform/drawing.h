// The in-memory drawing: layers in the order first added and entities in draw order.
// Units are drawing units (centimetres of the structure), y points up, angles are degrees
// counter-clockwise as in DXF, colours are AutoCAD Color Index numbers, text is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

struct Point2d {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point2d&, const Point2d&) = default;
};

enum class EntityType : std::uint8_t { Line, Circle, Arc, Text };

const char* EntityTypeName(EntityType type);  // "LINE", "CIRCLE", "ARC", "TEXT"

struct LineGeometry {
  Point2d start;
  Point2d end;
};

struct CircleGeometry {
  Point2d center;
  double radius = 0.0;
};

// Runs counter-clockwise from startAngle to endAngle, in degrees.
struct ArcGeometry {
  Point2d center;
  double radius = 0.0;
  double startAngle = 0.0;
  double endAngle = 0.0;
};

// Left-aligned on its baseline at `position`, horizontal.
struct TextGeometry {
  Point2d position;
  double height = 0.0;
  std::string value;  // UTF-8
  std::string style;
};

struct Layer {
  std::string name;
  bool on = true;
};

using LayerIndex = std::uint16_t;

// What every entity carries besides its geometry; `index` points into the pool of its type.
struct EntityHeader {
  EntityType type;
  LayerIndex layer;
  std::int16_t color;
  std::uint32_t index;
};

struct Extents {
  Point2d min;
  Point2d max;
};

class Drawing {
public:
  // Layers. Adding a name the drawing holds keeps the existing layer (and its state).
  LayerIndex AddLayer(std::string_view name);
  // Selects the layer that new entities go on; a name not held yet is added first.
  void SetCurrentLayer(std::string_view name);
  LayerIndex CurrentLayer() const { return current_; }
  const std::vector<Layer>& Layers() const { return layers_; }
  std::optional<LayerIndex> FindLayer(std::string_view name) const;
  void SetLayerOn(LayerIndex layer, bool on);
  // Sets the state of the named layer; false when the drawing has no such layer.
  bool SetLayerOn(std::string_view name, bool on);

  // Entities go on the current layer (a drawing without layers gets layer "0" first).
  void AddLine(const LineGeometry& line, int color);
  void AddCircle(const CircleGeometry& circle, int color);
  void AddArc(const ArcGeometry& arc, int color);
  void AddText(TextGeometry text, int color);

  // Entities on an explicit layer, as a DXF file gives them.
  void AddLineOn(LayerIndex layer, const LineGeometry& line, int color);
  void AddCircleOn(LayerIndex layer, const CircleGeometry& circle, int color);
  void AddArcOn(LayerIndex layer, const ArcGeometry& arc, int color);
  void AddTextOn(LayerIndex layer, TextGeometry text, int color);

  std::size_t EntityCount() const { return headers_.size(); }
  const std::vector<EntityHeader>& Entities() const { return headers_; }
  const LineGeometry& Line(const EntityHeader& e) const { return lines_[e.index]; }
  const CircleGeometry& Circle(const EntityHeader& e) const { return circles_[e.index]; }
  const ArcGeometry& Arc(const EntityHeader& e) const { return arcs_[e.index]; }
  const TextGeometry& Text(const EntityHeader& e) const { return texts_[e.index]; }

  // Removes every entity and layer.
  void Clear();

  // Bounding box of all entities (texts by their insertion point and height);
  // nothing when the drawing is empty.
  std::optional<Extents> ComputeExtents() const;

  void Reserve(std::size_t entities);
  void Swap(Drawing& other) noexcept;

private:
  LayerIndex EnsureCurrentLayer();
  void Push(EntityType type, LayerIndex layer, int color, std::size_t index);

  std::vector<Layer> layers_;
  LayerIndex current_ = 0;
  std::vector<EntityHeader> headers_;
  std::vector<LineGeometry> lines_;
  std::vector<CircleGeometry> circles_;
  std::vector<ArcGeometry> arcs_;
  std::vector<TextGeometry> texts_;
};

}  // namespace tessaro
