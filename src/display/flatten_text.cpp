// Texts and multi-line texts as text shapes, placed by their alignment and transformed with
// the block they are in.
#include "display/flatten_internal.h"
#include "display/mtext_layout.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>


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
  TextShape shape;
  shape.height = t.height;
  shape.rotation = t.rotation;
  shape.widthFactor = t.widthFactor;
  shape.oblique = t.oblique;
  shape.value = t.value;
  shape.position = t.position;
  shape.backward = (t.generation & 2) != 0;
  shape.upsideDown = (t.generation & 4) != 0;
  shape.face = StyleFace(t.style);
  const bool simple = t.hAlign == 0 && t.vAlign == 0;
  if (!simple) {
    switch (t.hAlign) {
      case 1: shape.hAlign = TextHAlign::Center; break;
      case 2: shape.hAlign = TextHAlign::Right; break;
      case 4: shape.hAlign = TextHAlign::Center, shape.vAlign = TextVAlign::Middle; break;
      default: break;
    }
    if (t.hAlign != 4) shape.vAlign = static_cast<TextVAlign>(std::min<int>(t.vAlign, 3));
    if (t.hAlign == 3 || t.hAlign == 5) {  // aligned, fit: from the first point to the second
      shape.vAlign = TextVAlign::Baseline;
      const Point2d run{t.alignPoint.x - t.position.x, t.alignPoint.y - t.position.y};
      shape.fitWidth = std::hypot(run.x, run.y);
      if (shape.fitWidth > 0) shape.rotation = AngleOf(run);
      // Aligned: the height follows the width, as the letters keep their shape.
      const double advance = metrics_->Advance(t.value, list_.Faces()[shape.face]) * t.widthFactor;
      if (t.hAlign == 3 && shape.fitWidth > 0 && advance > 0) shape.height = shape.fitWidth / advance;
    } else {
      shape.position = t.alignPoint;
    }
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
  // Width is unknown without a font: a generous guess keeps a text from vanishing early.
  const double width =
      shape.fitWidth > 0 ? shape.fitWidth : shape.height * shape.widthFactor * static_cast<double>(shape.value.size());
  double x0 = 0, y0 = 0;
  if (shape.hAlign == TextHAlign::Center) x0 = -width / 2;
  if (shape.hAlign == TextHAlign::Right) x0 = -width;
  if (shape.vAlign == TextVAlign::Middle) y0 = -shape.height / 2;
  if (shape.vAlign == TextVAlign::Top) y0 = -shape.height;
  Extents box;
  if (shape.rotation == 0 && x0 == 0 && y0 == 0 && shape.widthFactor == 1.0) {
    box = Extents{shape.position, Point2d{shape.position.x + width, shape.position.y + shape.height}};
  } else {
    const Point2d u = Direction(shape.rotation), v{-u.y, u.x};
    box = Extents{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    for (const double x : {x0, x0 + width}) {
      for (const double y : {y0, y0 + shape.height}) {
        const Point2d p{shape.position.x + u.x * x + v.x * y, shape.position.y + u.y * x + v.y * y};
        box.min.x = std::min(box.min.x, p.x), box.min.y = std::min(box.min.y, p.y);
        box.max.x = std::max(box.max.x, p.x), box.max.y = std::max(box.max.y, p.y);
      }
    }
  }
  list_.AddText(layer, color, std::move(shape), box);
}

// MTEXT laid out by LayoutMText (wrapped to its width with the metrics given), each run of
// one format a text of its own, placed from the attachment point.
void Flattener::AddMText(LayerIndex layer, ShapeColor color, const Context& ctx, const MTextGeometry& m) {
  const std::uint16_t styleFace = StyleFace(m.style);
  const MTextLayout layout = LayoutMText(m, list_.Faces()[styleFace], *metrics_);
  const int row = (m.attachment - 1) / 3, column = (m.attachment - 1) % 3;
  const double top = row == 0 ? 0.0 : row == 1 ? layout.height / 2 : layout.height;
  // Seen from below its plane, lines stack the other way and every letter is mirrored.
  const Point2d u = Direction(m.rotation), v = m.mirrored ? Point2d{u.y, -u.x} : Point2d{-u.y, u.x};
  const auto at = [&](double x, double y) { return Point2d{m.position.x + u.x * x + v.x * y, m.position.y + u.y * x + v.y * y}; };
  for (const MTextLine& line : layout.lines) {
    const double left = column == 0 ? 0.0 : column == 1 ? -line.width / 2 : -line.width;
    const double baseline = top - line.baseline;
    for (const MTextRun& run : line.runs) {
      if (run.text.empty()) continue;
      TextShape shape;
      shape.position = at(left + run.x, baseline + run.rise);
      shape.height = run.height;
      shape.rotation = m.rotation;
      shape.widthFactor = run.widthFactor;
      shape.oblique = run.oblique;
      shape.face = list_.Face(run.face);
      shape.upsideDown = m.mirrored;
      shape.value = run.text;
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
      list_.AddSegment(layer, color, ctx.m(at(left + rule.x0, baseline + rule.rise)),
                       ctx.m(at(left + rule.x1, baseline + rule.rise)));
    }
  }
}

}  // namespace tessaro::flatten
