// Texts placed by their alignment, and the box a text is taken to cover.
#include "cad/text_layout.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "cad/mtext.h"

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

std::vector<TextShape> PlacedMTextLines(const MTextGeometry& m) {
  const std::vector<std::string> lines = PlainMTextLines(m.value);
  const double step = m.height * (5.0 / 3.0) * (m.lineSpacing > 0 ? m.lineSpacing : 1.0);
  const double total = m.height + step * static_cast<double>(lines.size() - 1);
  const int row = (m.attachment - 1) / 3, column = (m.attachment - 1) % 3;
  // Baseline of the first line, below the attachment point.
  double first = -m.height;
  if (row == 1) first = total / 2 - m.height;
  if (row == 2) first = total - m.height;
  const Point2d u = Direction(m.rotation), v{-u.y, u.x};
  std::vector<TextShape> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const double y = first - step * static_cast<double>(i);
    TextShape shape;
    shape.position = {m.position.x + v.x * y, m.position.y + v.y * y};
    shape.height = m.height;
    shape.rotation = m.rotation;
    shape.hAlign = column == 0 ? TextHAlign::Left : column == 1 ? TextHAlign::Center : TextHAlign::Right;
    shape.value = lines[i];
    out.push_back(std::move(shape));
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
