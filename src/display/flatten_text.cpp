// Texts and multi-line texts as text shapes, placed by their alignment (cad/text_layout.h)
// and transformed with the block they are in.
#include "display/flatten_internal.h"
#include "cad/mtext_layout.h"

#include <cmath>
#include <utility>

#include "cad/text_layout.h"

namespace tessaro::flatten {

// The font of a text style, by name (the painter's default for a style the drawing lacks).
std::uint16_t Flattener::StyleFace(const std::string& style) {
  if (drawing_.Styles().TextStyles().empty()) return 0;
  if (const auto found = styleFaces_.find(style); found != styleFaces_.end()) return found->second;
  std::uint16_t face = 0;
  if (const TextStyle* s = drawing_.Styles().FindTextStyle(style)) {
    FontFace font = FaceOfFont(s->family.empty() ? s->fontFile : s->family);
    font.bold = font.bold || s->bold;
    font.italic = font.italic || s->italic;
    face = list_.Face(font);
  }
  styleFaces_.emplace(style, face);
  return face;
}

void Flattener::AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, const TextGeometry& t) {
  TextShape shape = PlacedText(t);
  shape.face = StyleFace(t.style);
  if (t.hAlign == 3 && shape.fitWidth > 0) {
    // Aligned: the height follows the width, as the letters keep their shape.
    const double advance = metrics_->Advance(t.value, list_.Faces()[shape.face]) * t.widthFactor;
    if (advance > 0) shape.height = shape.fitWidth / advance;
  }
  AddTextShape(layer, color, ctx, std::move(shape));
}

void Flattener::AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, TextShape shape) {
  const Affine& m = ctx.m;
  if (!m.identity) {
    const Point2d along = m.Linear(Direction(shape.rotation));
    const double alongScale = std::hypot(along.x, along.y);
    const double acrossScale = alongScale > 0 ? std::abs(m.Det()) / alongScale : 0.0;
    shape.position = m(shape.position);
    if (alongScale > 0) shape.rotation = AngleOf(along);
    // A mirrored block mirrors its texts: along their baseline the text still runs as the
    // transform takes it, across it the other way.
    if (m.Det() < 0) shape.upsideDown = !shape.upsideDown;
    shape.height *= acrossScale;
    if (acrossScale > 0) shape.widthFactor *= alongScale / acrossScale;
    shape.fitWidth *= alongScale;
  }
  const Extents box = EstimatedTextBox(shape);
  list_.AddText(layer, color, std::move(shape), box);
}

// MTEXT laid out by LayoutMText (wrapped to its width with the metrics given), each run of
// one format a text of its own, placed from the attachment point.
void Flattener::AddMText(LayerIndex layer, ShapeColor color, const Context& ctx, const MTextGeometry& m) {
  const std::uint16_t styleFace = StyleFace(m.style);
  const MTextLayout layout = LayoutMText(m, list_.Faces()[styleFace], *metrics_);
  const MTextPlacement place(m, layout);
  for (const MTextLine& line : layout.lines) {
    for (const MTextRun& run : line.runs) {
      if (run.text.empty()) continue;
      TextShape shape = PlacedMTextRun(m, place, line, run);
      shape.face = list_.Face(run.face);
      ShapeColor own = color;
      if (run.rgb) {
        own = {0, *run.rgb};
      } else if (run.aci) {
        own = *run.aci == 0 ? ctx.blockColor : *run.aci == 256 ? LayerColor(layer) : ShapeColor{*run.aci, 0};
      }
      AddTextShape(layer, own, ctx, std::move(shape));
      if (Full()) return;
    }
    for (const MTextRule& rule : line.rules) {
      list_.AddSegment(layer, color, ctx.m(place.At(line, rule.x0, rule.rise)), ctx.m(place.At(line, rule.x1, rule.rise)));
    }
  }
}

}  // namespace tessaro::flatten
