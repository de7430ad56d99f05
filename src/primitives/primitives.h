// The entity primitives, the level and dimension annotations and the small numeric
// utilities that every drawing routine draws with. All coordinates are Singles in drawing
// units (cm), angles are degrees counter-clockwise, colours are ACI numbers. Entities go
// on the drawing's current layer. A non-finite coordinate raises InvalidFloat before
// anything is added, so no broken entity reaches a DXF file.
#pragma once

#include <array>
#include <string_view>

#include "cad/drawing.h"
#include "base/errors.h"
#include "text/numbers.h"
#include "primitives/bar_marks.h"

namespace tessaro {

// Where the drawing routines draw: the drawing and the number format of its texts, and,
// when the caller wants a bar schedule, the recorder of the bars the drawing labels.
struct Canvas {
  Drawing& drawing;
  NumberFormat numbers;
  BarRecorder* bars = nullptr;
  SkippedErrors skipped{};  // failing statements the drawing skipped and went on after
};

// Index 0 = x, index 1 = y.
using Point2 = std::array<Single, 2>;

inline constexpr std::string_view kDefaultTextStyle = "Arial";

void AddLine(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color);
void AddCircle(Canvas& canvas, Single cx, Single cy, Single radius, int color);
void AddArc(Canvas& canvas, Single cx, Single cy, Single radius, Single startAngle, Single endAngle, int color);
// An empty style name gives the style "Arial".
void AddText(Canvas& canvas, Single x, Single y, Single height, std::string_view text, int color,
             std::string_view styleName = {});

// A level marker standing on (x, y), labelled with `level` as "#0.00" & " m".
void DrawLevelMark(Canvas& canvas, Single x, Single y, Single level, Single height, int color);

// Dimensions labelled with scale × length as "####". A zero scale becomes 1, in the
// caller's variable too.
void DrawHorizontalDimension(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color, Single& scale,
                             Single textHeight);
void DrawVerticalDimension(Canvas& canvas, Single x1, Single y1, Single x2, Single y2, int color, Single& scale,
                           Single textHeight);

// a when a < b, else b (a tie returns b).
template <class T>
T MinOf(T a, T b) {
  return a < b ? a : b;
}
// a when a > b, else b (a tie returns b).
template <class T>
T MaxOf(T a, T b) {
  return a > b ? a : b;
}

// pt + (dx, dy), each coordinate rounded to 6 decimal places.
Point2 OffsetPoint(const Point2& pt, Single dx, Single dy);

// {slope, intercept, 1} for a line that is not vertical; {x, 1, 0} for a vertical line;
// {0, 0, 0} when the two points coincide.
std::array<Single, 3> LineCoefficients(const Point2& p1, const Point2& p2);

// Intersection of the line p1-p2 with the line p3-p4; (0, 0) for parallel lines.
Point2 IntersectLines(const Point2& p1, const Point2& p2, const Point2& p3, const Point2& p4);

bool IsEven(Integer n);
// Remainder of the truncated division a / b (sign of a); b = 0 raises DivisionByZero.
Single ModuloOf(Integer a, Integer b);

}  // namespace tessaro
