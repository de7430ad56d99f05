// Texts placed by their alignment, and the box a text is taken to cover.
#include "cad/text_layout.h"

#include <algorithm>
#include <cmath>
#include <utility>


namespace tessaro {
namespace {

constexpr double kPi = 3.14159265358979323846;

Point2d Direction(double degrees) {
  const double r = degrees * kPi / 180.0;
  return {std::cos(r), std::sin(r)};
}

}  // namespace

TextShape PlacedText(const TextGeometry& t) {
  TextShape shape;
  shape.height = t.height;
  shape.rotation = t.rotation;
  shape.widthFactor = t.widthFactor;
  shape.oblique = t.oblique;
  shape.value = t.value;
  shape.position = t.position;
  shape.backward = (t.generation & 2) != 0;
  shape.upsideDown = (t.generation & 4) != 0;
  if (t.hAlign == 0 && t.vAlign == 0) return shape;
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
    if (shape.fitWidth > 0) shape.rotation = std::atan2(run.y, run.x) * 180.0 / kPi;
  } else {
    shape.position = t.alignPoint;
  }
  return shape;
}

MTextPlacement::MTextPlacement(const MTextGeometry& m, const MTextLayout& layout)
    : origin_(m.position), along_(Direction(m.rotation)) {
  // Seen from below its plane, lines stack the other way and every letter is mirrored.
  up_ = m.mirrored ? Point2d{along_.y, -along_.x} : Point2d{-along_.y, along_.x};
  const int row = (m.attachment - 1) / 3;
  column_ = (m.attachment - 1) % 3;
  top_ = row == 0 ? 0.0 : row == 1 ? layout.height / 2 : layout.height;
}

Point2d MTextPlacement::At(const MTextLine& line, double x, double rise) const {
  const double left = column_ == 0 ? 0.0 : column_ == 1 ? -line.width / 2 : -line.width;
  const double u = left + x, v = top_ - line.baseline + rise;
  return {origin_.x + along_.x * u + up_.x * v, origin_.y + along_.y * u + up_.y * v};
}

TextShape PlacedMTextRun(const MTextGeometry& m, const MTextPlacement& place, const MTextLine& line,
                         const MTextRun& run) {
  TextShape shape;
  shape.position = place.At(line, run.x, run.rise);
  shape.height = run.height;
  shape.rotation = m.rotation;
  shape.widthFactor = run.widthFactor;
  shape.oblique = run.oblique;
  shape.upsideDown = m.mirrored;
  shape.value = run.text;
  return shape;
}

std::vector<TextShape> PlacedMTextRuns(const MTextGeometry& m) {
  const MTextLayout layout = LayoutMText(m, FontFace{}, EstimatedTextMetrics{});
  const MTextPlacement place(m, layout);
  std::vector<TextShape> out;
  for (const MTextLine& line : layout.lines) {
    for (const MTextRun& run : line.runs) {
      if (!run.text.empty()) out.push_back(PlacedMTextRun(m, place, line, run));
    }
  }
  return out;
}

Extents EstimatedTextBox(const TextShape& shape) {
  // A generous guess: a text's box is never smaller than its letters, so it does not vanish
  // from a view, nor from the extents, while some of it still shows.
  const double width =
      shape.fitWidth > 0 ? shape.fitWidth : shape.height * shape.widthFactor * static_cast<double>(shape.value.size());
  double x0 = 0, y0 = 0;
  if (shape.hAlign == TextHAlign::Center) x0 = -width / 2;
  if (shape.hAlign == TextHAlign::Right) x0 = -width;
  if (shape.vAlign == TextVAlign::Middle) y0 = -shape.height / 2;
  if (shape.vAlign == TextVAlign::Top) y0 = -shape.height;
  if (shape.rotation == 0 && x0 == 0 && y0 == 0 && shape.widthFactor == 1.0) {
    return Extents{shape.position, Point2d{shape.position.x + width, shape.position.y + shape.height}};
  }
  const Point2d u = Direction(shape.rotation), v{-u.y, u.x};
  Extents box{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
  for (const double x : {x0, x0 + width}) {
    for (const double y : {y0, y0 + shape.height}) {
      const Point2d p{shape.position.x + u.x * x + v.x * y, shape.position.y + u.y * x + v.y * y};
      box.min.x = std::min(box.min.x, p.x), box.min.y = std::min(box.min.y, p.y);
      box.max.x = std::max(box.max.x, p.x), box.max.y = std::max(box.max.y, p.y);
    }
  }
  return box;
}

}  // namespace tessaro
