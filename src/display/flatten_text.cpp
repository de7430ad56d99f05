// Texts and multi-line texts as text shapes, placed by their alignment (cad/text_layout.h)
// and transformed with the block they are in.
#include "display/flatten_internal.h"

#include <cmath>
#include <utility>

#include "cad/text_layout.h"

namespace tessaro::flatten {

void Flattener::AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, const TextGeometry& t) {
  AddTextShape(layer, color, ctx, PlacedText(t));
}

void Flattener::AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, TextShape shape) {
  const Affine& m = ctx.m;
  if (!m.identity) {
    const Point2d along = m.Linear(Direction(shape.rotation));
    const double alongScale = std::hypot(along.x, along.y);
    const double acrossScale = alongScale > 0 ? std::abs(m.Det()) / alongScale : 0.0;
    shape.position = m(shape.position);
    if (alongScale > 0) shape.rotation = AngleOf(along);
    shape.height *= acrossScale;
    if (acrossScale > 0) shape.widthFactor *= alongScale / acrossScale;
    shape.fitWidth *= alongScale;
  }
  const Extents box = EstimatedTextBox(shape);
  list_.AddText(layer, color, std::move(shape), box);
}

void Flattener::AddMText(LayerIndex layer, ShapeColor color, const Context& ctx, const MTextGeometry& m) {
  for (TextShape& line : PlacedMTextLines(m)) {
    AddTextShape(layer, color, ctx, std::move(line));
    if (Full()) return;
  }
}

}  // namespace tessaro::flatten
