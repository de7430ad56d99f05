// The walk over a drawing's entities and blocks, and the entities that flatten into a few
// shapes directly: lines, circles and arcs, polylines, ellipses, splines, hatches, solids,
// points, rays, wipeouts.
#include "display/flatten_internal.h"

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
    if (progress_ && !progress_(static_cast<double>(first) / static_cast<double>(entities.size()))) {
      stopped_ = true;
      break;
    }
    for (std::size_t i = first; i < std::min(first + kRun, entities.size()); ++i) {
      ++visits_;
      if (Full()) break;
      Flatten(entities[i], top);
    }
  }
  list_.SetTruncated(stopped_);
  return std::move(list_);
}

bool Flattener::Full() {
  if (!stopped_ && (list_.Shapes().size() >= maxShapes_ || visits_ >= kMaxVisits)) stopped_ = true;
  return stopped_;
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
  for (const EntityHeader& e : entities) {
    ++visits_;
    if (Full()) return;
    Flatten(e, ctx);
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

void Flattener::Expand(BlockIndex index, const Affine& placement, LayerIndex layer, ShapeColor color,
                       const Context& ctx) {
  if (!path_.Enter(index, ctx.depth)) return;
  Context inner;
  inner.m = ctx.m.Then(placement);
  inner.insertLayer = layer;
  inner.blockColor = color;
  inner.depth = ctx.depth + 1;
  Walk(drawing_.Blocks()[index].entities, inner);
  path_.Leave(index);
}

void Flattener::AddHatch(LayerIndex layer, ShapeColor color, const Context& ctx, const HatchGeometry& h) {
  // A solid fill is one polygon of all loops, each closed and joined back to the first point:
  // with the even-odd rule the islands stay empty and the joins have no area.
  std::vector<Point2d> all;
  for (const HatchLoop& loop : h.loops) {
    points_.clear();
    AppendHatchLoop(points_, loop);
    if (points_.empty()) continue;
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
}

void Flattener::Flatten(const EntityHeader& e, const Context& ctx) {
  const LayerIndex layer = EffectiveLayer(e, ctx);
  const ShapeColor color = ColorOf(e, layer, ctx);
  const Affine& m = ctx.m;
  const Drawing& d = drawing_;
  switch (e.type) {
    case EntityType::Line: {
      const LineGeometry& l = d.Line(e);
      list_.AddSegment(layer, color, m(l.start), m(l.end));
      break;
    }
    case EntityType::Circle: {
      const CircleGeometry& c = d.Circle(e);
      AddCircleOrArc(layer, color, ctx, c.center, c.radius, 0.0, 360.0, true);
      break;
    }
    case EntityType::Arc: {
      const ArcGeometry& a = d.Arc(e);
      AddCircleOrArc(layer, color, ctx, a.center, a.radius, a.startAngle, a.endAngle, false);
      break;
    }
    case EntityType::Text: AddTextShape(layer, color, ctx, d.Text(e)); break;
    case EntityType::Attrib:
      if (!d.Attrib(e).invisible) AddTextShape(layer, color, ctx, d.Attrib(e).text);
      break;
    case EntityType::Polyline: {
      const PolylineGeometry& p = d.Polyline(e);
      points_.clear();
      AppendPolyline(points_, d.Vertices(p), p.closed);
      MapPoints(m);
      AddPoints(layer, color, p.closed && points_.size() > 1, false);
      break;
    }
    case EntityType::Ellipse: {
      const EllipseGeometry& el = d.Ellipse(e);
      points_.clear();
      const bool whole = std::abs(el.endParam - el.startParam) >= 2 * kPi - 1e-9;
      AppendEllipse(points_, el.center, el.majorAxis, el.ratio, el.startParam, el.endParam);
      if (whole && !points_.empty()) points_.pop_back();
      MapPoints(m);
      AddPoints(layer, color, whole, false);
      break;
    }
    case EntityType::Spline: {
      const SplineGeometry& s = d.Spline(e);
      points_.clear();
      AppendSpline(points_, s);
      MapPoints(m);
      AddPoints(layer, color, s.closed && s.controlPoints.empty(), false);
      break;
    }
    case EntityType::MText: AddMText(layer, color, ctx, d.MText(e)); break;
    case EntityType::Insert: {
      const InsertGeometry& in = d.Insert(e);
      if (in.block >= d.Blocks().size() || d.Blocks()[in.block].entities.empty()) break;
      const Point2d base = d.Blocks()[in.block].base;
      const Affine rotate = Affine::RotateScale(in.rotation, 1.0, 1.0);
      const Affine scale = Affine::RotateScale(0.0, in.xScale, in.yScale).Then(Affine::Translate(-base.x, -base.y));
      for (int row = 0; row < in.rows; ++row) {
        for (int column = 0; column < in.columns; ++column) {
          ++visits_;
          if (Full()) return;
          const Affine placement = Affine::Translate(in.position.x, in.position.y)
                                       .Then(rotate)
                                       .Then(Affine::Translate(column * in.columnSpacing, row * in.rowSpacing))
                                       .Then(scale);
          Expand(in.block, placement, layer, color, ctx);
        }
      }
      break;
    }
    case EntityType::Dimension: {
      const DimensionGeometry& dim = d.Dimension(e);
      if (dim.block >= d.Blocks().size()) break;
      const Point2d base = d.Blocks()[dim.block].base;
      Expand(dim.block, Affine::Translate(dim.blockOffset.x - base.x, dim.blockOffset.y - base.y), layer, color, ctx);
      break;
    }
    case EntityType::Leader: {
      const LeaderGeometry& l = d.Leader(e);
      points_.assign(l.vertices.begin(), l.vertices.end());
      MapPoints(m);
      AddPoints(layer, color, false, false);
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
      points_ = d.Wipeout(e).frame;
      MapPoints(m);
      AddPoints(layer, color, true, false);
      break;
    }
  }
}

}  // namespace tessaro::flatten

namespace tessaro {

DisplayList FlattenDrawing(const Drawing& drawing, std::size_t maxShapes, const FlattenProgress& progress) {
  return flatten::Flattener(drawing, maxShapes, progress).Run();
}

}  // namespace tessaro
