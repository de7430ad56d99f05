// The flattening of a drawing into a display list, shared by the files that flatten the
// entity families (flatten.cpp, flatten_styles.cpp, flatten_text.cpp): not for use outside src/display.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/block_references.h"
#include "cad/curves.h"
#include "cad/drawing.h"
#include "display/display_list.h"
#include "display/line_pattern.h"

namespace tessaro::flatten {

constexpr double kPi = 3.14159265358979323846;
// Entity visits and array cells the expansion of blocks may make, besides kMaxExpandedShapes:
// an array of arrays of empty blocks draws nothing but could otherwise keep it busy for hours.
constexpr std::size_t kMaxVisits = 50'000'000;

// x' = a·x + b·y + c, y' = d·x + e·y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
  bool identity = true;

  Point2d operator()(Point2d p) const {
    if (identity) return p;
    return {a * p.x + b * p.y + c, d * p.x + e * p.y + f};
  }
  Point2d Linear(Point2d v) const { return {a * v.x + b * v.y, d * v.x + e * v.y}; }
  double Det() const { return a * e - b * d; }
  // A rotation and a uniform scale, perhaps mirrored: circles stay circles.
  bool Similar() const {
    const double scale = std::max({std::abs(a), std::abs(b), std::abs(d), std::abs(e), 1e-300});
    const double tol = 1e-9 * scale;
    return (std::abs(a - e) <= tol && std::abs(b + d) <= tol) || (std::abs(a + e) <= tol && std::abs(b - d) <= tol);
  }
  Affine Then(const Affine& inner) const {  // this ∘ inner
    if (inner.identity) return *this;
    if (identity) return inner;
    Affine m;
    m.identity = false;
    m.a = a * inner.a + b * inner.d;
    m.b = a * inner.b + b * inner.e;
    m.c = a * inner.c + b * inner.f + c;
    m.d = d * inner.a + e * inner.d;
    m.e = d * inner.b + e * inner.e;
    m.f = d * inner.c + e * inner.f + f;
    return m;
  }
  static Affine Translate(double x, double y) {
    Affine m;
    m.c = x, m.f = y, m.identity = x == 0 && y == 0;
    return m;
  }
  static Affine RotateScale(double degrees, double sx, double sy) {
    const double r = degrees * kPi / 180.0;
    const double cs = std::cos(r), sn = std::sin(r);
    Affine m;
    m.a = cs * sx, m.b = -sn * sy, m.d = sn * sx, m.e = cs * sy;
    m.identity = degrees == 0 && sx == 1 && sy == 1;
    return m;
  }
};

inline double AngleOf(Point2d v) { return std::atan2(v.y, v.x) * 180.0 / kPi; }
inline Point2d Direction(double degrees) {
  const double r = degrees * kPi / 180.0;
  return {std::cos(r), std::sin(r)};
}

// Flattens one drawing; its member functions live in flatten.cpp (the walk, blocks and the
// shapes of lines, curves, hatches and the other simple entities) and flatten_text.cpp
// (texts). Curves are drawn through the points of cad/curves.h.
class Flattener {
public:
  Flattener(const Drawing& drawing, const FlattenOptions& options)
      : drawing_(drawing),
        layers_(drawing.Layers()),
        path_(drawing),
        maxShapes_(options.maxShapes),
        progress_(options.progress),
        metrics_(options.metrics ? options.metrics : &estimated_),
        cancel_(options.cancel),
        maxExpanded_(options.maxExpandedShapes) {
    layerZero_ = drawing.FindLayer("0");
    for (const LineType& type : drawing.Styles().LineTypes()) anyPattern_ = anyPattern_ || type.Length() > 0;
    for (const Layer& layer : drawing.Layers()) layerDashed_.push_back(drawing.Styles().Pattern(layer.lineType) != nullptr);
    ownLineStyles_ = drawing.Styles().HasEntityLineStyles();
  }

  DisplayList Run();

private:
  struct Context {
    Affine m;
    std::optional<LayerIndex> insertLayer;  // inside a block: the layer entities on "0" take
    ShapeColor blockColor{7, 0};
    LineTypeIndex blockLineType = kLineTypeContinuous;  // what "by block" entities take
    double blockLineScale = 1.0;
    int depth = 0;
  };

  // flatten.cpp
  bool Full();
  bool ExpansionSpent();
  ShapeColor LayerColor(LayerIndex layer) const;
  LayerIndex EffectiveLayer(const EntityHeader& e, const Context& ctx) const;
  ShapeColor ColorOf(const EntityHeader& e, LayerIndex layer, const Context& ctx) const;
  void Walk(const std::vector<EntityHeader>& entities, const Context& ctx);
  void AddPoints(LayerIndex layer, ShapeColor color, bool closed, bool fill);
  void MapPoints(const Affine& m);
  void AddCircleOrArc(LayerIndex layer, ShapeColor color, const Context& ctx, Point2d center, double radius,
                      double start, double end, bool whole);
  void Expand(BlockIndex index, const Affine& placement, LayerIndex layer, ShapeColor color, const Context& ctx,
              const EntityHeader& insert);

  // flatten_styles.cpp: line types and widths
  const LineType* PatternOf(const EntityHeader& e, LayerIndex layer, const Context& ctx, double& scale) const;
  LineTypeIndex ResolvedLineType(const EntityHeader& e, LayerIndex layer, const Context& ctx, double& scale) const;
  // Draws points_ (entity coordinates) dashed by the entity's line type, or whole.
  void Stroke(const EntityHeader& e, LayerIndex layer, ShapeColor color, const Context& ctx, bool closed);
  bool AddWidePolyline(LayerIndex layer, ShapeColor color, const Context& ctx, const PolylineGeometry& p);
  void AddDashes(LayerIndex layer, ShapeColor color, const Context& ctx, const DashedPath& dashes);
  void Flatten(const EntityHeader& e, const Context& ctx);

  void AddHatch(LayerIndex layer, ShapeColor color, const Context& ctx, const HatchGeometry& h);

  // flatten_text.cpp
  std::uint16_t StyleFace(const std::string& style);
  void AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, const TextGeometry& t);
  void AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, TextShape shape);
  void AddMText(LayerIndex layer, ShapeColor color, const Context& ctx, const MTextGeometry& m);

  const Drawing& drawing_;
  const std::vector<Layer>& layers_;
  std::optional<LayerIndex> layerZero_;
  BlockPath path_;
  std::size_t maxShapes_;
  const std::function<void(double)>& progress_;
  DisplayList list_;
  std::vector<Point2d> points_;
  std::size_t visits_ = 0;  // by the expansion of blocks
  std::size_t checks_ = 0;  // of the cancel flag
  bool stopped_ = false;
  const TextMetrics* metrics_;
  const std::atomic<bool>* cancel_;
  EstimatedTextMetrics estimated_;
  bool anyPattern_ = false;
  std::vector<bool> layerDashed_;  // by layer: its line type has dashes
  bool ownLineStyles_ = false;     // some entity has a line type or scale of its own
  // Whether an entity may be dashed: by its own line type, or by its layer's.
  bool MayDash(LayerIndex layer) const {
    return anyPattern_ && (ownLineStyles_ || (layer < layerDashed_.size() && layerDashed_[layer]));
  }
  std::unordered_map<std::string, std::uint16_t> styleFaces_;  // text style name -> face
  bool cancelled_ = false;
  // The expansion of blocks: shapes made by finished expansions from model space, where the
  // one under way began, visits made, and references left out once kMaxExpandedShapes or
  // kMaxVisits is spent.
  std::size_t maxExpanded_;
  std::size_t expanded_ = 0;
  std::size_t expansionStart_ = 0;
  bool expanding_ = false;
  bool spent_ = false;
  std::size_t overBudget_ = 0;
};

}  // namespace tessaro::flatten
