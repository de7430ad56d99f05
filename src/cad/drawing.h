// The in-memory drawing: layers in the order first added, model-space entities in draw order,
// and block definitions that inserts and dimensions refer to. Units are drawing units
// (centimetres of the structure), y points up, angles are degrees counter-clockwise as in DXF,
// colours are AutoCAD Color Index numbers (256 by layer, 0 by block), text is UTF-8.
// Geometry is held in world coordinates: a reader resolves the object coordinate system of
// 2-D entities before it adds them, so an extrusion of (0,0,-1) arrives mirrored already.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "cad/styles.h"

namespace tessaro {

struct Point2d {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point2d&, const Point2d&) = default;
};

// New types are only ever added at the end: the numbers are stable.
enum class EntityType : std::uint8_t {
  Line,
  Circle,
  Arc,
  Text,
  Polyline,   // LWPOLYLINE and 2-D POLYLINE
  Ellipse,    // whole ellipse or elliptical arc
  Spline,
  MText,
  Attrib,     // an attribute of the insert just before it in the same entity list
  Insert,     // INSERT and MINSERT
  Dimension,  // drawn through its block
  Leader,
  Hatch,
  Solid,      // SOLID, TRACE and 3DFACE (see SolidGeometry::kind)
  Point,
  Ray,        // RAY and XLINE (see RayGeometry::infinite)
  Wipeout,
};
inline constexpr std::size_t kEntityTypeCount = 17;

// The DXF name of the type: "LINE", "CIRCLE", ..., "LWPOLYLINE", "INSERT", "SOLID", "RAY".
const char* EntityTypeName(EntityType type);

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

// A one-line text. With the defaults it stands left-aligned on its baseline at `position`,
// horizontal. `hAlign` and `vAlign` are the DXF codes 72 (0 left, 1 center, 2 right,
// 3 aligned, 4 middle, 5 fit) and 73 (0 baseline, 1 bottom, 2 middle, 3 top); for any
// alignment but left/baseline the text stands at `alignPoint` (for aligned and fit texts it
// runs from `position` to `alignPoint`). `generation` holds DXF code 71: 2 backward,
// 4 upside down.
struct TextGeometry {
  Point2d position;
  double height = 0.0;
  std::string value{};  // UTF-8, control codes (%%c, %%d, ...) resolved
  std::string style{};
  double rotation = 0.0;     // degrees
  double widthFactor = 1.0;  // relative character width
  double oblique = 0.0;      // degrees from upright
  std::uint8_t hAlign = 0;
  std::uint8_t vAlign = 0;
  std::uint8_t generation = 0;
  Point2d alignPoint{};
};

// A vertex of a polyline: `bulge` is the tangent of a quarter of the included angle of the
// arc to the next vertex (positive counter-clockwise, 0 straight).
struct PolylineVertex {
  Point2d point;
  double bulge = 0.0;
  friend bool operator==(const PolylineVertex&, const PolylineVertex&) = default;
};

// The vertices live in the drawing's shared pool: Drawing::Vertices(polyline).
struct PolylineGeometry {
  std::uint32_t firstVertex = 0;
  std::uint32_t vertexCount = 0;
  bool closed = false;
  double width = 0.0;  // constant width (DXF code 43), filled
  // Per-vertex widths, in the drawing's pool of widths (Drawing::Widths), when the
  // polyline has any: one per vertex, or none (kNoWidths).
  std::uint32_t firstWidth = kNoWidths;
  static constexpr std::uint32_t kNoWidths = 0xFFFFFFFFu;
};

// The width of a polyline at the start and at the end of the segment from its vertex
// (DXF codes 40 and 41).
struct VertexWidth {
  double start = 0.0;
  double end = 0.0;
};

// Points c + cos(t)·majorAxis + sin(t)·minorAxis for t from startParam to endParam (radians,
// counter-clockwise), the minor axis being the major one turned 90° counter-clockwise and
// scaled by `ratio`. A whole ellipse runs from 0 to 2π.
struct EllipseGeometry {
  Point2d center;
  Point2d majorAxis{};   // from the center to the end of the major axis
  double ratio = 1.0;  // minor / major, in (0, 1]
  double startParam = 0.0;
  double endParam = 6.283185307179586;
};

// A B-spline (NURBS when `weights` is not empty) by control points and knots, or, when it
// has no control points, by the fit points it passes through.
struct SplineGeometry {
  int degree = 3;
  bool closed = false;
  bool periodic = false;
  std::vector<double> knots{};
  std::vector<Point2d> controlPoints{};
  std::vector<double> weights{};  // empty, or one per control point
  std::vector<Point2d> fitPoints{};
};

// Multi-line text. `value` keeps the DXF inline formatting (\P paragraphs, \f, \H, {...});
// LayoutMText (cad/mtext_layout.h) lays it out. `attachment` is DXF code 71:
// 1 top left ... 9 bottom right. `width` is the reference column width (0 none).
struct MTextGeometry {
  Point2d position;
  double height = 0.0;
  double width = 0.0;
  double rotation = 0.0;  // degrees, from the x direction or the rotation code
  double lineSpacing = 1.0;
  std::uint8_t attachment = 1;
  std::string value{};  // UTF-8 with inline formatting codes
  std::string style{};
  bool mirrored = false;  // its plane seen from below (extrusion 0,0,-1): letters and lines mirrored
};

// An attribute value shown with its insert.
struct AttribGeometry {
  TextGeometry text;
  std::string tag{};
  bool invisible = false;
};

using BlockIndex = std::uint32_t;

// A block placed at `position`: scaled, then rotated, then moved; a MINSERT repeats it in a
// grid of `columns` by `rows` (spacings along the rotated axes). `attributes` counts the
// Attrib entities that follow the insert in the same entity list.
struct InsertGeometry {
  BlockIndex block = 0;
  Point2d position;
  double xScale = 1.0;
  double yScale = 1.0;
  double rotation = 0.0;  // degrees
  std::uint16_t columns = 1;
  std::uint16_t rows = 1;
  double columnSpacing = 0.0;
  double rowSpacing = 0.0;
  std::uint32_t attributes = 0;
};

// A dimension, drawn by its (anonymous) block, which holds the lines, arrows and text the
// CAD program made of it. The other fields keep what the file said of it.
struct DimensionGeometry {
  BlockIndex block = 0;
  Point2d blockOffset{};      // code 12: where the block's origin goes (usually 0,0)
  Point2d definitionPoint{};  // code 10
  Point2d textPoint{};        // code 11
  std::uint8_t dimensionType = 0;  // code 70
  double measurement = 0.0;        // code 42
  std::string text{};                // code 1: "" or "<>" is the measurement
  std::string style{};
};

struct LeaderGeometry {
  std::vector<Point2d> vertices{};
  bool arrowhead = true;
};

// Boundary paths of a hatch: a polyline, or edges of four kinds joined end to end.
struct HatchLineEdge {
  Point2d start;
  Point2d end;
};
struct HatchArcEdge {
  Point2d center;
  double radius = 0.0;
  double startAngle = 0.0;  // degrees
  double endAngle = 360.0;
  bool counterClockwise = true;
};
struct HatchEllipseEdge {
  Point2d center;
  Point2d majorAxis{};
  double ratio = 1.0;
  double startAngle = 0.0;  // degrees
  double endAngle = 360.0;
  bool counterClockwise = true;
};
using HatchEdge = std::variant<HatchLineEdge, HatchArcEdge, HatchEllipseEdge, SplineGeometry>;

struct HatchLoop {
  std::uint32_t flags = 0;  // DXF code 92: 1 external, 2 polyline, 16 outermost, ...
  bool isPolyline = false;
  bool closed = true;
  std::vector<PolylineVertex> polyline{};  // isPolyline
  std::vector<HatchEdge> edges{};          // otherwise
};

// A family of parallel pattern lines through `base`, repeated every `offset`, dashed by
// `dashes` (DXF codes 53, 43/44, 45/46 and 49, in drawing units as the file holds them).
struct HatchPatternLine {
  double angle = 0.0;  // degrees
  Point2d base{};
  Point2d offset{};
  std::vector<double> dashes{};  // positive a dash, negative a gap, 0 a dot; none: solid
};

struct HatchGeometry {
  bool solid = false;  // a solid fill; otherwise its pattern lines (the boundary when none)
  std::string pattern{};
  std::vector<HatchLoop> loops{};
  std::vector<HatchPatternLine> patternLines{};
  double patternAngle = 0.0;  // DXF code 52, degrees, as read (the lines have it applied)
  double patternScale = 1.0;  // DXF code 41, as read (the lines have it applied)
  bool gradient = false;      // a gradient fill, drawn solid in its first colour
};

enum class SolidKind : std::uint8_t { Solid, Trace, Face3d };

// Corners in file order: a SOLID or TRACE is filled through corners 0, 1, 3, 2; a 3DFACE is
// the outline 0, 1, 2, 3 (edges whose bit is set in `invisibleEdges` left out).
struct SolidGeometry {
  SolidKind kind = SolidKind::Solid;
  std::uint8_t invisibleEdges = 0;
  Point2d corners[4]{};
};

struct PointGeometry {
  Point2d position;
};

// A ray from `base` along `direction`; an XLINE (`infinite`) runs both ways.
struct RayGeometry {
  Point2d base{};
  Point2d direction{};
  bool infinite = false;
};

// A wipeout drawn as its frame: the clipping boundary in world coordinates.
struct WipeoutGeometry {
  std::vector<Point2d> frame{};
};

using LayerIndex = std::uint16_t;

struct Layer {
  std::string name{};
  bool on = true;
  std::int16_t color = 7;  // ACI of the layer (positive)
  bool frozen = false;
  std::optional<std::uint32_t> trueColor{};  // 0xRRGGBB, when the layer has one
  LineTypeIndex lineType = kLineTypeByLayer;  // in Drawing::Styles(); continuous when not there
};

// What every entity carries besides its geometry; `index` points into the pool of its type.
// `trueColor` is 0, or the 1-based number of the entity's true colour in
// Drawing::TrueColors() (`color` then holds the nearest ACI for readers that ignore it).
struct EntityHeader {
  EntityType type;
  LayerIndex layer;
  std::int16_t color;
  std::uint16_t trueColor;
  std::uint32_t index;
};
static_assert(sizeof(EntityHeader) == 12);

// How a new entity looks: its layer, its ACI colour (256 by layer, 0 by block) and an
// optional true colour (0xRRGGBB).
struct EntityStyle {
  LayerIndex layer = 0;
  int color = 256;
  std::optional<std::uint32_t> trueColor{};
  EntityLineStyle line{};
};

// A block definition. Its entities are in block coordinates: an insert moves `base` to its
// position. Anonymous blocks (names starting with '*') hold dimensions and hatches.
struct Block {
  std::string name{};
  Point2d base{};
  LayerIndex layer = 0;
  std::uint16_t flags = 0;  // DXF code 70
  std::vector<EntityHeader> entities{};
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
  // Colour (ACI, or a true colour 0xRRGGBB) and frozen state of a layer.
  void SetLayerLook(LayerIndex layer, int color, std::optional<std::uint32_t> trueColor, bool frozen);

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

  // Blocks. A name the drawing holds returns the existing block. While a block is open,
  // every Add... below (and the ...On ones above) goes into its definition instead of model
  // space.
  BlockIndex AddBlock(std::string_view name, Point2d base);
  std::optional<BlockIndex> FindBlock(std::string_view name) const;
  const std::vector<Block>& Blocks() const { return blocks_; }
  Block& MutableBlock(BlockIndex block) {
    ++revision_;
    return blocks_.at(block);
  }
  void OpenBlock(BlockIndex block);
  void CloseBlock();

  // Every entity type, with its full look.
  void Add(const EntityStyle& style, const LineGeometry& line);
  void Add(const EntityStyle& style, const CircleGeometry& circle);
  void Add(const EntityStyle& style, const ArcGeometry& arc);
  void Add(const EntityStyle& style, TextGeometry text);
  // The vertices are copied into the shared pool; `polyline`'s first/count are set here.
  void Add(const EntityStyle& style, PolylineGeometry polyline, std::span<const PolylineVertex> vertices);
  // A polyline whose vertices have widths of their own (one per vertex).
  void Add(const EntityStyle& style, PolylineGeometry polyline, std::span<const PolylineVertex> vertices,
           std::span<const VertexWidth> widths);
  void Add(const EntityStyle& style, const EllipseGeometry& ellipse);
  void Add(const EntityStyle& style, SplineGeometry spline);
  void Add(const EntityStyle& style, MTextGeometry mtext);
  void Add(const EntityStyle& style, AttribGeometry attrib);
  void Add(const EntityStyle& style, const InsertGeometry& insert);
  void Add(const EntityStyle& style, DimensionGeometry dimension);
  void Add(const EntityStyle& style, LeaderGeometry leader);
  void Add(const EntityStyle& style, HatchGeometry hatch);
  void Add(const EntityStyle& style, const SolidGeometry& solid);
  void Add(const EntityStyle& style, const PointGeometry& point);
  void Add(const EntityStyle& style, const RayGeometry& ray);
  void Add(const EntityStyle& style, WipeoutGeometry wipeout);

  // Model space.
  std::size_t EntityCount() const { return headers_.size(); }
  const std::vector<EntityHeader>& Entities() const { return headers_; }

  // Geometry of an entity of model space or of a block.
  const LineGeometry& Line(const EntityHeader& e) const { return lines_[e.index]; }
  const CircleGeometry& Circle(const EntityHeader& e) const { return circles_[e.index]; }
  const ArcGeometry& Arc(const EntityHeader& e) const { return arcs_[e.index]; }
  const TextGeometry& Text(const EntityHeader& e) const { return texts_[e.index]; }
  const PolylineGeometry& Polyline(const EntityHeader& e) const { return polylines_[e.index]; }
  std::span<const PolylineVertex> Vertices(const PolylineGeometry& p) const {
    return {vertices_.data() + p.firstVertex, p.vertexCount};
  }
  // The per-vertex widths of a polyline: empty when it has none.
  std::span<const VertexWidth> Widths(const PolylineGeometry& p) const {
    if (p.firstWidth == PolylineGeometry::kNoWidths) return {};
    return {widths_.data() + p.firstWidth, p.vertexCount};
  }
  const EllipseGeometry& Ellipse(const EntityHeader& e) const { return ellipses_[e.index]; }
  const SplineGeometry& Spline(const EntityHeader& e) const { return splines_[e.index]; }
  const MTextGeometry& MText(const EntityHeader& e) const { return mtexts_[e.index]; }
  const AttribGeometry& Attrib(const EntityHeader& e) const { return attribs_[e.index]; }
  const InsertGeometry& Insert(const EntityHeader& e) const { return inserts_[e.index]; }
  const DimensionGeometry& Dimension(const EntityHeader& e) const { return dimensions_[e.index]; }
  const LeaderGeometry& Leader(const EntityHeader& e) const { return leaders_[e.index]; }
  const HatchGeometry& Hatch(const EntityHeader& e) const { return hatches_[e.index]; }
  const SolidGeometry& Solid(const EntityHeader& e) const { return solids_[e.index]; }
  const PointGeometry& Point(const EntityHeader& e) const { return points_[e.index]; }
  const RayGeometry& Ray(const EntityHeader& e) const { return rays_[e.index]; }
  const WipeoutGeometry& Wipeout(const EntityHeader& e) const { return wipeouts_[e.index]; }

  // The entity's true colour 0xRRGGBB, if it has one.
  std::optional<std::uint32_t> TrueColor(const EntityHeader& e) const;
  const std::vector<std::uint32_t>& TrueColors() const { return trueColors_; }

  // Line types, entities' own line styles and header variables.
  const DrawingStyles& Styles() const { return styles_; }
  DrawingStyles& MutableStyles() {
    ++revision_;
    return styles_;
  }
  // The heights (z) of the points of the entity added last, for writing it back in 3-D:
  // LINE its two ends, POLYLINE its vertices (a 3-D polyline), 3DFACE its corners, POINT
  // its one; and of any entity (none when it lies in the drawing's plane).
  void SetLastHeights(std::vector<double> z) { styles_.SetHeights(lastType_, lastIndex_, std::move(z)); }
  std::span<const double> Heights(const EntityHeader& e) const {
    return styles_.Heights(static_cast<std::uint8_t>(e.type), e.index);
  }
  EntityLineStyle LineStyle(const EntityHeader& e) const {
    return styles_.EntityLine(static_cast<std::uint8_t>(e.type), e.index);
  }
  void SetLayerLineType(LayerIndex layer, LineTypeIndex lineType) {
    ++revision_;
    layers_.at(layer).lineType = lineType;
  }

  // Removes every entity, block and layer.
  void Clear();

  // Changes whenever what the drawing shows changes (an entity, block or layer look added,
  // the drawing cleared or swapped), but not when a layer is switched on or off: a view
  // that keeps a flattened copy rebuilds it only when this moves.
  std::uint64_t Revision() const { return revision_; }

  // Room for this many entities (and as many lines) without moving them as they come.
  void Reserve(std::size_t entities);
  void Swap(Drawing& other) noexcept;

private:
  LayerIndex EnsureCurrentLayer();
  void Push(EntityType type, LayerIndex layer, int color, std::size_t index);
  void Push(EntityType type, const EntityStyle& style, std::size_t index);
  std::uint16_t TrueColorSlot(std::optional<std::uint32_t> rgb);

  std::vector<Layer> layers_;
  std::unordered_map<std::string, LayerIndex> layerByName_;
  LayerIndex current_ = 0;
  std::vector<EntityHeader> headers_;
  std::vector<Block> blocks_;
  std::unordered_map<std::string, BlockIndex> blockByName_;
  std::optional<BlockIndex> openBlock_;
  std::vector<std::uint32_t> trueColors_;
  std::unordered_map<std::uint32_t, std::uint16_t> trueColorSlot_;

  std::uint64_t revision_ = 0;
  std::uint8_t lastType_ = 0;  // the entity added last, by its type and pool index
  std::uint32_t lastIndex_ = 0;
  std::vector<LineGeometry> lines_;
  std::vector<CircleGeometry> circles_;
  std::vector<ArcGeometry> arcs_;
  std::vector<TextGeometry> texts_;
  std::vector<PolylineGeometry> polylines_;
  std::vector<PolylineVertex> vertices_;
  std::vector<VertexWidth> widths_;
  DrawingStyles styles_;
  std::vector<EllipseGeometry> ellipses_;
  std::vector<SplineGeometry> splines_;
  std::vector<MTextGeometry> mtexts_;
  std::vector<AttribGeometry> attribs_;
  std::vector<InsertGeometry> inserts_;
  std::vector<DimensionGeometry> dimensions_;
  std::vector<LeaderGeometry> leaders_;
  std::vector<HatchGeometry> hatches_;
  std::vector<SolidGeometry> solids_;
  std::vector<PointGeometry> points_;
  std::vector<RayGeometry> rays_;
  std::vector<WipeoutGeometry> wipeouts_;
};

}  // namespace tessaro
