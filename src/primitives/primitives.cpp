#include "primitives/primitives.h"

#include <cmath>
#include <string>

#include "base/errors.h"

namespace tessaro {

namespace {

void RequireFinite(std::initializer_list<Single> values) {
  for (const Single v : values) CheckFinite(v);
}

double Round6(double value) { return std::round(value * 1e6) / 1e6; }

}  // namespace

void AddLine(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color) {
  RequireFinite({x1, y1, x2, y2});
  canvas.drawing.AddLine(LineGeometry{{x1, y1}, {x2, y2}}, color);
}

void AddCircle(Canvas& canvas, Single cx, Single cy, Single radius, int color) {
  RequireFinite({cx, cy, radius});
  canvas.drawing.AddCircle(CircleGeometry{{cx, cy}, radius}, color);
}

void AddArc(Canvas& canvas, Single cx, Single cy, Single radius, Single startAngle, Single endAngle, int color) {
  RequireFinite({cx, cy, radius, startAngle, endAngle});
  canvas.drawing.AddArc(ArcGeometry{{cx, cy}, radius, startAngle, endAngle}, color);
}

void AddText(Canvas& canvas, Single x, Single y, Single height, std::string_view text, int color,
             std::string_view styleName) {
  RequireFinite({x, y, height});
  const std::string_view style = styleName.empty() ? kDefaultTextStyle : styleName;
  canvas.drawing.AddText(TextGeometry{{x, y}, height, std::string(text), std::string(style)}, color);
}

void DrawLevelMark(Canvas& canvas, Single x, Single y, Single level, Single height, int color) {
  const Single stroke = 7;
  const Single width = 5 * height;
  AddLine(canvas, x, y, x, y + stroke, color);
  AddLine(canvas, x, y, x + stroke, y + stroke, color);
  AddLine(canvas, x - stroke, y + stroke, x + width, y + stroke, color);
  AddText(canvas, x, y + 10.5f, height, FormatFixed2(level, canvas.numbers) + " m", color);
}

namespace {

std::string DimensionLabel(Single x1, Single y1, Single x2, Single y2, Single& scale) {
  if (scale == 0) scale = 1;
  const double dx = double{x2} - x1;
  const double dy = double{y2} - y1;
  return FormatWhole(double{scale} * std::sqrt(dx * dx + dy * dy));
}

}  // namespace

void DrawHorizontalDimension(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color, Single& scale,
                             Single textHeight) {
  const std::string label = DimensionLabel(x1, y1, x2, y2, scale);
  AddLine(canvas, x1, y1, x2, y2, color);
  AddLine(canvas, x1, y1 - 2, x1, y1 + 2, color);
  AddLine(canvas, x1, y1, x1 + 2, y1 + 1.5f, color);
  AddLine(canvas, x1, y1, x1 + 2, y1 - 1.5f, color);
  AddLine(canvas, x2, y2 - 2, x2, y2 + 2, color);
  AddLine(canvas, x2, y2, x2 - 2, y2 + 1.5f, color);
  AddLine(canvas, x2, y2, x2 - 2, y2 - 1.5f, color);
  AddText(canvas, ToSingle((double{x1} + x2) * 0.5 - 5), ToSingle((double{y1} + y2) * 0.5 + 2.5), textHeight, label,
          color);
}

void DrawVerticalDimension(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color, Single& scale,
                           Single textHeight) {
  const std::string label = DimensionLabel(x1, y1, x2, y2, scale);
  AddLine(canvas, x1, y1, x2, y2, color);
  AddLine(canvas, x1 - 2, y1, x1 + 2, y1, color);
  AddLine(canvas, x1, y1, x1 - 1.5f, y1 + 2, color);
  AddLine(canvas, x1, y1, x1 + 1.5f, y1 + 2, color);
  AddLine(canvas, x2 - 2, y2, x2 + 2, y2, color);
  AddLine(canvas, x2, y2, x2 - 1.5f, y2 - 2, color);
  AddLine(canvas, x2, y2, x2 + 1.5f, y2 - 2, color);
  AddText(canvas, ToSingle((double{x1} + x2) * 0.5 + 2), ToSingle((double{y1} + y2) * 0.5 - 3), textHeight, label,
          color);
}

Point2 OffsetPoint(const Point2& pt, Single dx, Single dy) {
  return {ToSingle(Round6(double{pt[0]} + dx)), ToSingle(Round6(double{pt[1]} + dy))};
}

std::array<Single, 3> LineCoefficients(const Point2& p1, const Point2& p2) {
  const double a = double{p2[1]} - p1[1];
  const double b = double{p1[0]} - p2[0];
  const double c = -a * p1[0] + (double{p2[0]} - p1[0]) * p1[1];
  if (b != 0) return {ToSingle(-a / b), ToSingle(-c / b), 1};
  if (a != 0) return {ToSingle(-c / a), 1, 0};
  return {0, 0, 0};
}

Point2 IntersectLines(const Point2& p1, const Point2& p2, const Point2& p3, const Point2& p4) {
  const auto first = LineCoefficients(p1, p2);
  const auto second = LineCoefficients(p3, p4);
  const bool firstSloped = first[2] != 0;
  const bool secondSloped = second[2] != 0;
  if (firstSloped && secondSloped) {
    if (first[0] == second[0]) return {0, 0};
    const double x = (double{second[1]} - first[1]) / (double{first[0]} - second[0]);
    return {ToSingle(x), ToSingle(first[0] * x + first[1])};
  }
  if (firstSloped) return {second[0], ToSingle(double{first[0]} * second[0] + first[1])};
  if (secondSloped) return {first[0], ToSingle(double{second[0]} * first[0] + second[1])};
  return {0, 0};
}

bool IsEven(Integer n) { return ModuloOf(n, 2) == 0; }

Single ModuloOf(Integer a, Integer b) {
  if (b == 0) Raise(ErrorKind::DivisionByZero, "remainder of a division by zero");
  if (a == -32768 && b == -1) Raise(ErrorKind::Overflow, "remainder overflows a 16-bit Integer");
  return static_cast<Single>(a % b);
}

}  // namespace tessaro
