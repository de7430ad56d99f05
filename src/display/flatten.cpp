// The walk over a drawing's entities and blocks, and the entities that flatten into a few
// shapes directly: lines, circles and arcs, polylines, ellipses, splines, hatches, solids,
// points, rays, wipeouts.
#include "display/flatten_internal.h"
#include "display/hatch_pattern.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tessaro::flatten {

DisplayList Flattener::Run() {
  list_.Reserve(drawing_.EntityCount(), 2 * drawing_.EntityCount());
  Context top;
  const auto& entities = drawing_.Entities();
  // Model space in runs, so that progress is heard between them.
  constexpr std::size_t kRun = 16384;
  for (std::size_t first = 0; first < entities.size() && !Full(); first += kRun) {
    if (progress_) progress_(static_cast<double>(first) / static_cast<double>(entities.size()));
    for (std::size_t i = first; i < std::min(first + kRun, entities.size()); ++i) {
      if (Full()) break;
      Flatten(entities[i], top);
    }
  }
  list_.SetTruncated(stopped_ && !cancelled_);
  list_.SetCancelled(cancelled_);
  list_.SetLeftOut({path_.TooDeep(), path_.Cycles(), overBudget_, maxExpanded_});
  return std::move(list_);
}

bool Flattener::Full() {
  if (stopped_) return true;
  if (list_.Shapes().size() >= maxShapes_) stopped_ = true;
  if (cancel_ != nullptr && (++checks_ & 1023) == 0 && cancel_->load(std::memory_order_relaxed)) {
    stopped_ = cancelled_ = true;
  }
  return stopped_;
}

// Whether the expansion of blocks has used its shapes or visits: what is still to expand is
// then left out, while model space's own entities are still drawn.
bool Flattener::ExpansionSpent() {
  if (!spent_) {
    const std::size_t made = expanded_ + (expanding_ ? list_.Shapes().size() - expansionStart_ : 0);
    spent_ = made >= maxExpanded_ || visits_ >= kMaxVisits;
  }
  return spent_;
}

ShapeColor Flattener::LayerColor(LayerIndex layer) const {
  if (layer >= layers_.size()) return {7, 0};
  const Layer& l = layers_[layer];
  if (l.trueColor) return {0, *l.trueColor};
  return {l.color, 0};
}

LayerIndex Flattener::EffectiveLayer(const EntityHeader& e, const Context& ctx) const {
  if (ctx.insertLayer && layerZero_ && e.layer == *layerZero_) return *ctx.insertLayer;
  return e.layer;
}

ShapeColor Flattener::ColorOf(const EntityHeader& e, LayerIndex layer, const Context& ctx) const {
  if (e.trueColor != 0) {
    if (const auto rgb = drawing_.TrueColor(e)) return {0, *rgb};
  }
  if (e.color == 256) return LayerColor(layer);
  if (e.color == 0) return ctx.blockColor;
  return {e.color, 0};
}

void Flattener::Walk(const std::vector<EntityHeader>& entities, const Context& ctx) {
  for (std::size_t i = 0; i < entities.size(); ++i) {
    if (Full()) return;
    if (ctx.depth > 0) {
      ++visits_;
      if (ExpansionSpent()) {
        // The rest of the block is left out: its references are counted for the report.
        for (; i < entities.size(); ++i) {
          const EntityHeader& e = entities[i];
          if (e.type == EntityType::Insert) {
            overBudget_ += static_cast<std::size_t>(drawing_.Insert(e).rows) * drawing_.Insert(e).columns;
          } else if (e.type == EntityType::Dimension) {
            ++overBudget_;
          }
        }
        return;
      }
    }
    Flatten(entities[i], ctx);
  }
}

void Flattener::AddPoints(LayerIndex layer, ShapeColor color, bool closed, bool fill) {
  if (points_.empty()) return;
  if (fill) {
    list_.AddFill(layer, color, points_);
  } else if (points_.size() == 2 && !closed) {
    list_.AddSegment(layer, color, points_[0], points_[1]);
  } else {
    list_.AddPolyline(layer, color, points_, closed);
  }
}

void Flattener::MapPoints(const Affine& m) {
  if (m.identity) return;
  for (Point2d& p : points_) p = m(p);
}

void Flattener::AddCircleOrArc(LayerIndex layer, ShapeColor color, const Context& ctx, Point2d center, double radius,
                               double start, double end, bool whole) {
  const Affine& m = ctx.m;
  if (m.identity) {
    list_.AddArc(layer, color, ArcShape{center, radius, start, end});
    return;
  }
  if (m.Similar()) {
    const double scale = std::sqrt(std::abs(m.Det()));
    ArcShape arc{m(center), radius * scale, 0.0, 360.0};
    if (!whole) {
      const double s = AngleOf(m.Linear(Direction(start))), e = AngleOf(m.Linear(Direction(end)));
      const double sweep = WrapSpan(end - start, 360.0);
      if (m.Det() < 0) {
        arc.startAngle = e, arc.endAngle = e + sweep;
      } else {
        arc.startAngle = s, arc.endAngle = s + sweep;
      }
    }
    list_.AddArc(layer, color, arc);
    return;
  }
  // Scaled unevenly: an ellipse.
  points_.clear();
  double s = start * kPi / 180, e = end * kPi / 180;
  if (whole) s = 0, e = 2 * kPi;
  AppendEllipse(points_, center, {radius, 0}, 1.0, s, e);
  if (whole && points_.size() > 1) points_.pop_back();  // closed: the first point again
  MapPoints(m);
  AddPoints(layer, color, whole, false);
}

void Flattener::Expand(BlockIndex index, const Affine& placement, LayerIndex layer, ShapeColor color, const Context& ctx,
                       const EntityHeader& insert) {
  if (index >= drawing_.Blocks().size() || drawing_.Blocks()[index].entities.empty()) return;
  if (ExpansionSpent()) {
    ++overBudget_;
    return;
  }
  // Nests deeper than followed and cycles are left out, and counted by the path.
  if (!path_.Enter(index, ctx.depth)) return;
  const bool fromModel = ctx.depth == 0;
  if (fromModel) {
    expanding_ = true;
    expansionStart_ = list_.Shapes().size();
  }
  Context inner;
  inner.m = ctx.m.Then(placement);
  inner.insertLayer = layer;
  inner.blockColor = color;
  inner.depth = ctx.depth + 1;
  inner.blockLineType = ResolvedLineType(insert, layer, ctx, inner.blockLineScale);
  Walk(drawing_.Blocks()[index].entities, inner);
  path_.Leave(index);
  if (fromModel) {
    expanded_ += list_.Shapes().size() - expansionStart_;
    expanding_ = false;
  }
}

void Flattener::AddHatch(LayerIndex layer, ShapeColor color, const Context& ctx, const HatchGeometry& h) {
  // A solid fill is one polygon of all loops, each closed and joined back to the first point:
  // with the even-odd rule the islands stay empty and the joins have no area.
  std::vector<Point2d> all;
  // A pattern: its lines cut to the loops (in the hatch's own coordinates, then placed); the
  // boundary only when the pattern cannot be drawn (no lines, or far too fine).
  const bool pattern = !h.solid && !h.patternLines.empty();
  std::vector<std::vector<Point2d>> loops;
  for (const HatchLoop& loop : h.loops) {
    points_.clear();
    AppendHatchLoop(points_, loop);
    if (points_.empty()) continue;
    if (pattern) {
      loops.push_back(points_);
      continue;
    }
    MapPoints(ctx.m);
    if (h.solid) {
      const bool first = all.empty();
      all.insert(all.end(), points_.begin(), points_.end());
      if (!(points_.back() == points_.front())) all.push_back(points_.front());
      if (!first) all.push_back(all.front());
    } else {
      AddPoints(layer, color, true, false);
    }
  }
  if (h.solid && !all.empty()) list_.AddFill(layer, color, all);
  if (!pattern) return;
  if (const auto dashes = HatchPatternDashes(loops, h.patternLines)) {
    AddDashes(layer, color, ctx, *dashes);
    return;
  }
  for (auto& boundary : loops) {
    points_ = std::move(boundary);
    MapPoints(ctx.m);
    AddPoints(layer, color, true, false);
  }
}

void Flattener::Flatten(const EntityHeader& e, const Context& ctx) {
  const LayerIndex layer = EffectiveLayer(e, ctx);
  const ShapeColor color = ColorOf(e, layer, ctx);
  const Affine& m = ctx.m;
  const Drawing& d = drawing_;
  switch (e.type) {
    case EntityType::Line: {
      const LineGeometry& l = d.Line(e);
      if (MayDash(layer)) {
        points_ = {l.start, l.end};
        Stroke(e, layer, color, ctx, false);
      } else {
        list_.AddSegment(layer, color, m(l.start), m(l.end));
      }
      break;
    }
    case EntityType::Circle: {
      const CircleGeometry& c = d.Circle(e);
      double scale = 1.0;
      if (MayDash(layer) && PatternOf(e, layer, ctx, scale)) {
        points_.clear();
        AppendEllipse(points_, c.center, {c.radius, 0}, 1.0, 0, 2 * kPi);
        points_.pop_back();
        Stroke(e, layer, color, ctx, true);
      } else {
        AddCircleOrArc(layer, color, ctx, c.center, c.radius, 0.0, 360.0, true);
      }
      break;
    }
    case EntityType::Arc: {
      const ArcGeometry& a = d.Arc(e);
      double scale = 1.0;
      if (MayDash(layer) && PatternOf(e, layer, ctx, scale)) {
        points_.clear();
        const double start = a.startAngle * kPi / 180;
        double sweep = WrapSpan(a.endAngle - a.startAngle, 360.0) * kPi / 180;
        if (sweep == 0) sweep = 2 * kPi;
        AppendEllipse(points_, a.center, {a.radius, 0}, 1.0, start, start + sweep);
        Stroke(e, layer, color, ctx, false);
      } else {
        AddCircleOrArc(layer, color, ctx, a.center, a.radius, a.startAngle, a.endAngle, false);
      }
      break;
    }
    case EntityType::Text: AddTextShape(layer, color, ctx, d.Text(e)); break;
    case EntityType::Attrib:
      if (!d.Attrib(e).invisible) AddTextShape(layer, color, ctx, d.Attrib(e).text);
      break;
    case EntityType::Polyline: {
      const PolylineGeometry& p = d.Polyline(e);
      if (d.Vertices(p).empty()) break;
      if (AddWidePolyline(layer, color, ctx, p)) break;
      points_.clear();
      AppendPolyline(points_, d.Vertices(p), p.closed);
      Stroke(e, layer, color, ctx, p.closed && points_.size() > 1);
      break;
    }
    case EntityType::Ellipse: {
      const EllipseGeometry& el = d.Ellipse(e);
      points_.clear();
      const bool whole = std::abs(el.endParam - el.startParam) >= 2 * kPi - 1e-9;
      AppendEllipse(points_, el.center, el.majorAxis, el.ratio, el.startParam, el.endParam);
      if (whole && !points_.empty()) points_.pop_back();
      Stroke(e, layer, color, ctx, whole);
      break;
    }
    case EntityType::Spline: {
      const SplineGeometry& s = d.Spline(e);
      points_.clear();
      AppendSpline(points_, s);
      Stroke(e, layer, color, ctx, s.closed && s.controlPoints.empty());
      break;
    }
    case EntityType::MText: AddMText(layer, color, ctx, d.MText(e)); break;
    case EntityType::Insert: {
      const InsertGeometry& in = d.Insert(e);
      if (in.block >= d.Blocks().size() || d.Blocks()[in.block].entities.empty()) break;
      const Point2d base = d.Blocks()[in.block].base;
      const Affine rotate = Affine::RotateScale(in.rotation, 1.0, 1.0);
      const Affine scale = Affine::RotateScale(0.0, in.xScale, in.yScale).Then(Affine::Translate(-base.x, -base.y));
      const std::size_t cells = static_cast<std::size_t>(in.rows) * in.columns;
      for (std::size_t cell = 0; cell < cells; ++cell) {
        if (Full()) return;
        ++visits_;
        // Once the expansion is spent the cells left are counted, not walked (there may be
        // billions of them).
        if (ExpansionSpent()) {
          overBudget_ += cells - cell;
          break;
        }
        const double row = static_cast<double>(cell / in.columns), column = static_cast<double>(cell % in.columns);
        const Affine placement = Affine::Translate(in.position.x, in.position.y)
                                     .Then(rotate)
                                     .Then(Affine::Translate(column * in.columnSpacing, row * in.rowSpacing))
                                     .Then(scale);
        Expand(in.block, placement, layer, color, ctx, e);
      }
      break;
    }
    case EntityType::Dimension: {
      const DimensionGeometry& dim = d.Dimension(e);
      if (dim.block >= d.Blocks().size()) break;
      const Point2d base = d.Blocks()[dim.block].base;
      Expand(dim.block, Affine::Translate(dim.blockOffset.x - base.x, dim.blockOffset.y - base.y), layer, color, ctx,
             e);
      break;
    }
    case EntityType::Leader: {
      const LeaderGeometry& l = d.Leader(e);
      points_.assign(l.vertices.begin(), l.vertices.end());
      Stroke(e, layer, color, ctx, false);
      break;
    }
    case EntityType::Hatch: AddHatch(layer, color, ctx, d.Hatch(e)); break;
    case EntityType::Solid: {
      const SolidGeometry& s = d.Solid(e);
      if (s.kind == SolidKind::Face3d) {
        points_.assign(std::begin(s.corners), std::end(s.corners));
        MapPoints(m);
        if (s.invisibleEdges == 0) {
          AddPoints(layer, color, true, false);
        } else {
          const std::vector<Point2d> corners = points_;
          for (int k = 0; k < 4; ++k) {
            if ((s.invisibleEdges & (1 << k)) == 0) list_.AddSegment(layer, color, corners[k], corners[(k + 1) % 4]);
          }
        }
      } else {
        points_ = {s.corners[0], s.corners[1], s.corners[3], s.corners[2]};
        MapPoints(m);
        AddPoints(layer, color, true, true);
      }
      break;
    }
    case EntityType::Point: list_.AddDot(layer, color, m(d.Point(e).position)); break;
    case EntityType::Ray: {
      const RayGeometry& r = d.Ray(e);
      list_.AddRay(layer, color, m(r.base), m.Linear(r.direction), r.infinite);
      break;
    }
    case EntityType::Wipeout: {
      // A fill of the paper's colour: it hides what was drawn before it.
      points_ = d.Wipeout(e).frame;
      MapPoints(m);
      if (points_.size() >= 3) AddPoints(layer, kPaperColor, true, true);
      break;
    }
  }
}

}  // namespace tessaro::flatten

namespace tessaro {

DisplayList FlattenDrawing(const Drawing& drawing, std::size_t maxShapes) {
  FlattenOptions options;
  options.maxShapes = maxShapes;
  return flatten::Flattener(drawing, options).Run();
}

DisplayList FlattenDrawing(const Drawing& drawing, const FlattenOptions& options) {
  return flatten::Flattener(drawing, options).Run();
}

}  // namespace tessaro
