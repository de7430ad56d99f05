// Line types and widths in the flattening: dashes by the entity's line type (its own, its
// layer's or its block's) at $LTSCALE times its own scale, and polylines with widths filled.
#include "display/flatten_internal.h"
#include "display/wide_polyline.h"

namespace tessaro::flatten {

LineTypeIndex Flattener::ResolvedLineType(const EntityHeader& e, LayerIndex layer, const Context& ctx,
                                          double& scale) const {
  const EntityLineStyle own = drawing_.Styles().HasEntityLineStyles() ? drawing_.LineStyle(e) : EntityLineStyle{};
  scale = own.scale;
  LineTypeIndex type = own.lineType;
  if (type == kLineTypeByLayer) type = layer < layers_.size() ? layers_[layer].lineType : kLineTypeContinuous;
  if (type == kLineTypeByBlock) {
    type = ctx.blockLineType;
    scale *= ctx.blockLineScale;
  }
  return type;
}

const LineType* Flattener::PatternOf(const EntityHeader& e, LayerIndex layer, const Context& ctx, double& scale) const {
  if (!MayDash(layer)) return nullptr;
  const LineTypeIndex type = ResolvedLineType(e, layer, ctx, scale);
  scale *= drawing_.Styles().GlobalScale();
  return drawing_.Styles().Pattern(type);
}

void Flattener::AddDashes(LayerIndex layer, ShapeColor color, const Context& ctx, const DashedPath& dashes) {
  for (const auto& run : dashes.runs) {
    points_ = run;
    MapPoints(ctx.m);
    AddPoints(layer, color, false, false);
  }
  for (const Point2d& dot : dashes.dots) list_.AddDot(layer, color, ctx.m(dot));
}

void Flattener::Stroke(const EntityHeader& e, LayerIndex layer, ShapeColor color, const Context& ctx, bool closed) {
  double scale = 1.0;
  if (const LineType* type = PatternOf(e, layer, ctx, scale)) {
    if (const auto dashes = DashPath(points_, closed, type->pattern, scale)) {
      AddDashes(layer, color, ctx, *dashes);
      return;
    }
  }
  MapPoints(ctx.m);
  AddPoints(layer, color, closed, false);
}

bool Flattener::AddWidePolyline(LayerIndex layer, ShapeColor color, const Context& ctx, const PolylineGeometry& p) {
  const auto widths = drawing_.Widths(p);
  if (!HasWidth(widths, p.width)) return false;
  for (auto& fill : WidePolylineFills(drawing_.Vertices(p), p.closed, widths, p.width)) {
    points_ = std::move(fill);
    MapPoints(ctx.m);
    AddPoints(layer, color, true, true);
  }
  return true;
}

}  // namespace tessaro::flatten
