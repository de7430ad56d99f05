// A drawing flattened for painting: the visible entities of model space, blocks expanded,
// each turned into one of a few shapes that a painter draws directly. Units are drawing
// units, y up, angles degrees counter-clockwise; colours are resolved (no "by layer" or
// "by block" left). Shapes keep the drawing's draw order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/problem.h"
#include "cad/block_references.h"
#include "cad/drawing.h"
#include "cad/text_layout.h"
#include "cad/text_metrics.h"

namespace tessaro {

enum class ShapeKind : std::uint8_t {
  Segment,   // two points
  Polyline,  // a run of points, open or closed
  Arc,       // circular arc, or a whole circle
  Text,      // one line of text
  Fill,      // a closed polygon, filled
  Dot,       // a point entity
  Ray,       // a RAY from its first point along its second (a unit direction), without end;
             // both ways (`closed`) an XLINE. Its box runs to infinity the ways it goes.
};

// An AutoCAD Color Index (1..255), or a true colour when `aci` is 0.
struct ShapeColor {
  std::int16_t aci = 7;
  std::uint32_t rgb = 0;  // 0xRRGGBB, used when aci == 0
  friend bool operator==(const ShapeColor&, const ShapeColor&) = default;
};

// The colour of the paper, whatever it is: a fill of it masks what was drawn before (WIPEOUT).
inline constexpr ShapeColor kPaperColor{-1, 0};

struct Shape {
  ShapeKind kind;
  bool closed;       // Polyline: the last point joins the first; Fill: always
  LayerIndex layer;  // the layer whose on/off state shows or hides the shape
  ShapeColor color;
  std::uint32_t index;  // Segment, Polyline, Fill, Dot, Ray: first point; Arc, Text: pool index
  std::uint32_t count;  // Polyline, Fill: number of points; others 2 (Segment, Ray) or 1
  Extents box;          // bounding box in drawing units
};

// Counter-clockwise from startAngle to endAngle, as in DXF: an end below the start runs
// through 0 degrees. A whole circle when endAngle - startAngle is 360 or more.
struct ArcShape {
  Point2d center;
  double radius = 0.0;
  double startAngle = 0.0;
  double endAngle = 360.0;
};

class DisplayList {
public:
  void AddSegment(LayerIndex layer, ShapeColor color, Point2d a, Point2d b);
  void AddPolyline(LayerIndex layer, ShapeColor color, std::span<const Point2d> points, bool closed);
  void AddArc(LayerIndex layer, ShapeColor color, const ArcShape& arc);
  // `box` is the text's estimated extent (the engine has no font metrics).
  void AddText(LayerIndex layer, ShapeColor color, TextShape text, const Extents& box);
  void AddFill(LayerIndex layer, ShapeColor color, std::span<const Point2d> polygon);
  void AddDot(LayerIndex layer, ShapeColor color, Point2d at);
  // A ray from `base` along `direction` (of any length but 0), both ways when `bothWays`.
  void AddRay(LayerIndex layer, ShapeColor color, Point2d base, Point2d direction, bool bothWays);

  const std::vector<Shape>& Shapes() const { return shapes_; }
  std::span<const Point2d> PointsOf(const Shape& s) const { return {points_.data() + s.index, s.count}; }
  const ArcShape& Arc(const Shape& s) const { return arcs_[s.index]; }
  const TextShape& Text(const Shape& s) const { return texts_[s.index]; }
  // The fonts texts are drawn in, the first the painter's default ({}); Face gives the
  // index of a font, adding it when new (the last index stands for any beyond it).
  const std::vector<FontFace>& Faces() const { return faces_; }
  std::uint16_t Face(const FontFace& face);

  void Clear();
  void Reserve(std::size_t shapes, std::size_t points);

  // Set when FlattenDrawing stopped at its cap on shapes (a block array too large to show
  // whole); the list then holds what came before the cap.
  bool Truncated() const { return truncated_; }
  void SetTruncated(bool truncated) { truncated_ = truncated; }
  // What the expansion of blocks left out: references nested deeper than kMaxBlockDepth,
  // references inside their own block, and references past kMaxExpandedShapes.
  struct LeftOut {
    std::size_t tooDeep = 0;
    std::size_t cycles = 0;
    std::size_t overBudget = 0;
    std::size_t budget = 0;  // the shapes expansion was given (FlattenOptions::maxExpandedShapes)
  };
  const LeftOut& LeftOutReferences() const { return leftOut_; }
  void SetLeftOut(const LeftOut& leftOut) { leftOut_ = leftOut; }
  // Whether the flattening was cancelled part way.
  bool Cancelled() const { return cancelled_; }
  void SetCancelled(bool cancelled) { cancelled_ = cancelled; }

private:
  void Push(ShapeKind kind, bool closed, LayerIndex layer, ShapeColor color, std::size_t index,
            std::size_t count, const Extents& box);

  std::vector<Shape> shapes_;
  std::vector<Point2d> points_;
  std::vector<ArcShape> arcs_;
  std::vector<TextShape> texts_;
  std::vector<FontFace> faces_{FontFace{}};
  bool truncated_ = false;
  bool cancelled_ = false;
  LeftOut leftOut_;
};

// The display list of the drawing's model space: every entity, blocks expanded, curves that
// are not circular arcs turned into polylines fine enough to look smooth at any zoom a user
// reaches. Layer on/off states are not applied here: the painter reads them from the
// drawing, so switching a layer needs no new list.
// Inserts are expanded with their transforms (nested, arrays, mirrored; a circle scaled
// unevenly becomes an ellipse); entities on layer "0" inside a block take the layer of the
// insert, colours "by block" the insert's colour. At most `maxShapes` shapes are made (see
// DisplayList::Truncated).
inline constexpr std::size_t kMaxFlattenedShapes = 20'000'000;
DisplayList FlattenDrawing(const Drawing& drawing, std::size_t maxShapes = kMaxFlattenedShapes);

// How a flattening goes: its caps on shapes in all and on shapes of expanded blocks, the
// text widths MTEXT is wrapped by (an estimate without them), a flag that stops it part
// way when set from another thread, and who hears now and then the share of model space
// done (0 to 1).
struct FlattenOptions {
  std::size_t maxShapes = kMaxFlattenedShapes;
  std::size_t maxExpandedShapes = kMaxExpandedShapes;
  const TextMetrics* metrics = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  std::function<void(double share)> progress{};
};
DisplayList FlattenDrawing(const Drawing& drawing, const FlattenOptions& options);

// What the flattening left out of `list`, as problems to report (DxfNestTooDeep,
// DxfExpansionCapped; references inside their own block are the reader's to report).
std::vector<Problem> ExpansionProblems(const DisplayList& list);

}  // namespace tessaro
