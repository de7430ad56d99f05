// The extents walk: every entity by the points it is drawn through, blocks by their boxes,
// each measured once however often it is placed.
#include "cad/extents.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "cad/block_references.h"
#include "cad/curves.h"
#include "cad/text_layout.h"

namespace tessaro {
namespace {

bool Finite(Point2d p) { return std::isfinite(p.x) && std::isfinite(p.y); }

struct Box {
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  bool Empty() const { return !(minX <= maxX); }
  void Take(double x, double y) {
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
  }
  void Take(Point2d p) { Take(p.x, p.y); }
  // A shape counts whole or not at all: one that holds a value that is not a finite number
  // is not drawn.
  void TakeAll(std::span<const Point2d> points) {
    if (!std::all_of(points.begin(), points.end(), Finite)) return;
    for (Point2d p : points) Take(p);
  }
  void Take(const Extents& e) {
    const Point2d corners[2] = {e.min, e.max};
    TakeAll(corners);
  }
  bool Holds(const Box& b) const { return minX <= b.minX && minY <= b.minY && maxX >= b.maxX && maxY >= b.maxY; }
};

// A box that holds a polyline whatever its bulges, found without the points of its arcs:
// each segment's chord grown by how far its arc strays from it (its sagitta, up to a half
// circle; twice its radius beyond). When the extents hold it already, the arcs' points
// can add nothing.
Box LooseBox(std::span<const PolylineVertex> v, bool closed) {
  Box box;
  const std::size_t n = v.size();
  for (std::size_t i = 0; i < n; ++i) {
    box.Take(v[i].point);
    if (i + 1 == n && !closed) break;
    const double b = std::abs(v[i].bulge);
    if (b == 0 || !std::isfinite(b)) continue;
    const Point2d from = v[i].point, to = v[(i + 1) % n].point;
    const double chord = std::hypot(to.x - from.x, to.y - from.y);
    const double grow = b <= 1 ? chord * b / 2 : chord * (1 + b * b) / (2 * b);
    for (const Point2d p : {from, to}) {
      box.Take(p.x - grow, p.y - grow);
      box.Take(p.x + grow, p.y + grow);
    }
  }
  return box;
}

// The box of an arc counter-clockwise from `start` to `end` degrees (a whole circle when
// they are 360 or more apart, or equal): its ends and the quadrant points it passes.
void TakeArc(Box& box, Point2d center, double radius, double start, double end) {
  if (!std::isfinite(start) || !std::isfinite(end)) return;
  double sweep = end - start;
  if (sweep < 360.0 && sweep > -360.0) {
    sweep = std::fmod(sweep, 360.0);
    if (sweep <= 0) sweep += 360.0;
  }
  const double degree = std::numbers::pi / 180.0;
  const auto at = [&](double a) {
    return Point2d{center.x + radius * std::cos(a * degree), center.y + radius * std::sin(a * degree)};
  };
  std::vector<Point2d> points;
  if (sweep >= 360.0 || sweep <= -360.0) {
    points = {{center.x - radius, center.y - radius}, {center.x + radius, center.y + radius}};
  } else {
    points = {at(start), at(start + sweep)};
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
      double from = std::fmod(quadrant * 90.0 - start, 360.0);
      if (from < 0) from += 360.0;
      if (from <= sweep) {
        const double c[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        points.push_back({center.x + radius * c[quadrant][0], center.y + radius * c[quadrant][1]});
      }
    }
  }
  box.TakeAll(points);
}

class ExtentsWalker {
public:
  explicit ExtentsWalker(const Drawing& drawing)
      : drawing_(drawing), blockBoxes_(drawing.Blocks().size()), measured_(drawing.Blocks().size(), false),
        path_(drawing) {}

  Box Of(const std::vector<EntityHeader>& entities, int depth) {
    Box box;
    for (const EntityHeader& e : entities) Add(box, e, depth);
    return box;
  }

private:
  // The box of a block drawn at `depth`, measured when first met; a block the walk does not
  // go into (too deep, or drawing itself) contributes nothing.
  const Box& BlockBox(BlockIndex block, int depth) {
    static const Box kEmpty;
    if (!path_.Enter(block, depth)) return kEmpty;
    if (!measured_[block]) {
      blockBoxes_[block] = Of(drawing_.Blocks()[block].entities, depth + 1);
      measured_[block] = true;
    }
    path_.Leave(block);
    return blockBoxes_[block];
  }

  // The corners of `inner` (block units) placed: moved from `base`, scaled, shifted along
  // the block's own axes, turned and moved to `at`.
  static void AddPlaced(Box& box, const Box& inner, Point2d base, Point2d at, double sx, double sy, double rotation,
                        Point2d shift) {
    if (inner.Empty()) return;
    const double radians = rotation * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const double xs[2] = {inner.minX, inner.maxX}, ys[2] = {inner.minY, inner.maxY};
    Point2d corners[4];
    int n = 0;
    for (double x : xs) {
      for (double y : ys) {
        const double lx = (x - base.x) * sx + shift.x, ly = (y - base.y) * sy + shift.y;
        corners[n++] = {at.x + c * lx - s * ly, at.y + s * lx + c * ly};
      }
    }
    box.TakeAll(corners);
  }

  void TakePoints(Box& box) {
    box.TakeAll(points_);
    points_.clear();
  }

  void Add(Box& box, const EntityHeader& e, int depth) {
    const Drawing& d = drawing_;
    switch (e.type) {
      case EntityType::Line: {
        const Point2d ends[2] = {d.Line(e).start, d.Line(e).end};
        box.TakeAll(ends);
        break;
      }
      case EntityType::Circle: {
        const auto& c = d.Circle(e);
        TakeArc(box, c.center, c.radius, 0.0, 360.0);
        break;
      }
      case EntityType::Arc: {
        const auto& a = d.Arc(e);
        TakeArc(box, a.center, a.radius, a.startAngle, a.endAngle);
        break;
      }
      case EntityType::Text: box.Take(EstimatedTextBox(PlacedText(d.Text(e)))); break;
      case EntityType::Attrib:
        if (!d.Attrib(e).invisible) box.Take(EstimatedTextBox(PlacedText(d.Attrib(e).text)));
        break;
      case EntityType::MText:
        for (const TextShape& line : PlacedMTextRuns(d.MText(e))) box.Take(EstimatedTextBox(line));
        break;
      case EntityType::Polyline: {
        const PolylineGeometry& p = d.Polyline(e);
        const auto vertices = d.Vertices(p);
        if (box.Holds(LooseBox(vertices, p.closed))) break;
        AppendPolyline(points_, vertices, p.closed);
        TakePoints(box);
        break;
      }
      case EntityType::Ellipse: {
        const auto& el = d.Ellipse(e);
        AppendEllipse(points_, el.center, el.majorAxis, el.ratio, el.startParam, el.endParam);
        TakePoints(box);
        break;
      }
      case EntityType::Spline:
        AppendSpline(points_, d.Spline(e));
        TakePoints(box);
        break;
      case EntityType::Insert: {
        const auto& in = d.Insert(e);
        if (in.block >= d.Blocks().size()) break;
        const Box& inner = BlockBox(in.block, depth);
        const Point2d base = d.Blocks()[in.block].base;
        // The grid's corner cells hold its extremes.
        const double cols = std::max(0, in.columns - 1) * in.columnSpacing;
        const double rows = std::max(0, in.rows - 1) * in.rowSpacing;
        for (double cx : {0.0, cols}) {
          for (double ry : {0.0, rows}) {
            AddPlaced(box, inner, base, in.position, in.xScale, in.yScale, in.rotation, Point2d{cx, ry});
          }
        }
        break;
      }
      case EntityType::Dimension: {
        const auto& dim = d.Dimension(e);
        if (dim.block >= d.Blocks().size()) break;
        AddPlaced(box, BlockBox(dim.block, depth), d.Blocks()[dim.block].base, dim.blockOffset, 1, 1, 0, {});
        break;
      }
      case EntityType::Leader: box.TakeAll(d.Leader(e).vertices); break;
      case EntityType::Hatch:
        for (const HatchLoop& loop : d.Hatch(e).loops) {
          AppendHatchLoop(points_, loop);
          TakePoints(box);
        }
        break;
      case EntityType::Solid: box.TakeAll(d.Solid(e).corners); break;
      case EntityType::Point: {
        const Point2d at[1] = {d.Point(e).position};
        box.TakeAll(at);
        break;
      }
      case EntityType::Ray: break;  // no end: it would be the whole plane
      case EntityType::Wipeout: box.TakeAll(d.Wipeout(e).frame); break;
    }
  }

  const Drawing& drawing_;
  std::vector<Box> blockBoxes_;
  std::vector<bool> measured_;
  BlockPath path_;
  std::vector<Point2d> points_;  // the run of the curve being measured
};

}  // namespace

std::optional<Extents> DrawnExtents(const Drawing& drawing) {
  ExtentsWalker walker(drawing);
  const Box box = walker.Of(drawing.Entities(), 0);
  if (box.Empty()) return std::nullopt;
  return Extents{{box.minX, box.minY}, {box.maxX, box.maxY}};
}

}  // namespace tessaro
