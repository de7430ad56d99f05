// The tie-leg family as one routine: a member table says the direction, the style, how
// much of the horizontal displacement is used, whether the ends reach past the bar axes
// and the label spacer; the shape functions give the five strokes of each style.
#include "stirrups/tie_legs.h"

#include <array>
#include <cmath>
#include <string_view>

#include "stirrups/single_math.h"
#include "stirrups/stirrup_label.h"
#include "stirrups/strokes.h"

namespace tessaro {

using namespace single_math;

namespace {

enum class Direction { Vertical, Horizontal };
enum class Style { Tangent, Axis };

struct TieLegTraits {
  TieLegMember member;
  const char* name;
  Direction direction;
  Style style;
  double shift;            // factor on dx: V1 and V3 place their detail at half of it
  bool extends;            // ends reach e = |d1 - d2| / 2 past the bar axes
  std::string_view spacer; // before the count in the label
};

constexpr std::array<TieLegTraits, 8> kTieLegs = {{
    {TieLegMember::TieLegV1, "TieLegV1", Direction::Vertical, Style::Tangent, 0.5, false, " "},
    {TieLegMember::TieLegV2, "TieLegV2", Direction::Vertical, Style::Tangent, 1.0, true, "  "},
    {TieLegMember::TieLegV3, "TieLegV3", Direction::Vertical, Style::Axis, 0.5, false, " "},
    {TieLegMember::TieLegV4, "TieLegV4", Direction::Vertical, Style::Axis, 1.0, true, "  "},
    {TieLegMember::TieLegH1, "TieLegH1", Direction::Horizontal, Style::Tangent, 1.0, true, "  "},
    {TieLegMember::TieLegH2, "TieLegH2", Direction::Horizontal, Style::Tangent, 1.0, false, "  "},
    {TieLegMember::TieLegH3, "TieLegH3", Direction::Horizontal, Style::Axis, 1.0, true, " "},
    {TieLegMember::TieLegH4, "TieLegH4", Direction::Horizontal, Style::Axis, 1.0, false, " "},
}};

const TieLegTraits& Traits(TieLegMember member) { return kTieLegs[static_cast<std::size_t>(member)]; }

constexpr Single kTail = 8;  // cm, each hook tail

// The five strokes in draw order, where the label goes and the leg length as drawn.
struct LegShape {
  ArcStroke firstHook;
  LineStroke firstTail;
  LineStroke leg;
  ArcStroke secondHook;
  LineStroke secondTail;
  Single labelX = 0, labelY = 0;
  Single length = 0;
};

// Ends of a vertical leg: X, and Y0 (bottom) / Y1 (top).
LegShape VerticalTangent(Single X, Single Y0, Single Y1, Single R) {
  LegShape s;
  s.firstHook = {X, Y0, R, -180, -20};
  s.firstTail = {Plus(X, R), Y0, Plus(X, R), Plus(Y0, kTail)};
  s.leg = {Minus(X, R), Y0, Minus(X, R), Y1};
  s.secondHook = {X, Y1, R, 20, 180};
  s.secondTail = {Plus(X, R), Y1, Plus(X, R), Minus(Y1, kTail)};
  s.labelX = Minus(X, R);
  s.labelY = Plus(Y0, Times(Minus(Y1, Y0), 0.5));
  return s;
}

LegShape VerticalAxis(Single X, Single Y0, Single Y1, Single R) {
  const Single R2 = Times(R, 2);
  LegShape s;
  s.firstHook = {Minus(X, R), Y0, R, -160, 0};
  s.firstTail = {Minus(X, R2), Y0, Minus(X, R2), Plus(Y0, kTail)};
  s.leg = {X, Y0, X, Y1};
  s.secondHook = {Plus(X, R), Y1, R, 20, 180};
  s.secondTail = {Plus(X, R2), Y1, Plus(X, R2), Minus(Y1, kTail)};
  s.labelX = X;
  s.labelY = Minus(Y1, Times(Minus(Y1, Y0), 0.5));
  return s;
}

// Ends of a horizontal leg: Y, and XL (left) / XR (right).
LegShape HorizontalTangent(Single Y, Single XL, Single XR, Single R) {
  LegShape s;
  s.firstHook = {XL, Y, R, 90, 250};
  s.firstTail = {XL, Minus(Y, R), Plus(XL, kTail), Minus(Y, R)};
  s.leg = {XL, Plus(Y, R), XR, Plus(Y, R)};
  s.secondHook = {XR, Y, R, 290, 90};
  s.secondTail = {XR, Minus(Y, R), Minus(XR, kTail), Minus(Y, R)};
  s.labelX = XR;
  s.labelY = Y;
  return s;
}

LegShape HorizontalAxis(Single Y, Single XL, Single XR, Single R) {
  const Single R2 = Times(R, 2);
  LegShape s;
  s.firstHook = {XL, Plus(Y, R), R, 110, 270};
  s.firstTail = {XL, Plus(Y, R2), Plus(XL, kTail), Plus(Y, R2)};
  s.leg = {XL, Y, XR, Y};
  s.secondHook = {XR, Minus(Y, R), R, -70, 90};
  s.secondTail = {XR, Minus(Y, R2), Minus(XR, kTail), Minus(Y, R2)};
  s.labelX = XR;
  s.labelY = Y;
  return s;
}

LegShape ShapeOf(const TieLegTraits& t, const TieLegInput& in, Single R) {
  const Single e = t.extends ? ToSingle(std::fabs(double{in.d1} - in.d2) * 0.5) : Single{0};
  if (t.direction == Direction::Vertical) {
    const Single X = Plus(in.xA, Times(in.dx, t.shift));
    const Single Y0 = Plus(Minus(in.yA, e), in.dy);
    const Single Y1 = Plus(Plus(in.yB, e), in.dy);
    LegShape s = t.style == Style::Tangent ? VerticalTangent(X, Y0, Y1, R) : VerticalAxis(X, Y0, Y1, R);
    s.length = Minus(Y1, Y0);
    return s;
  }
  const Single Y = Plus(in.yA, in.dy);
  const Single XL = Minus(Plus(in.xA, Times(in.dx, t.shift)), e);
  const Single XR = Plus(Plus(in.xB, Times(in.dx, t.shift)), e);
  LegShape s = t.style == Style::Tangent ? HorizontalTangent(Y, XL, XR, R) : HorizontalAxis(Y, XL, XR, R);
  s.length = Minus(XR, XL);
  return s;
}

// The hook wraps a bar with 1 mm of clearance.
Single HookRadius(Single barDiameter) { return ToSingle((double{barDiameter} + 0.1) * 0.5); }

// The axis style registers the leg's inclination, atan(bar diameter / length), with each
// in-place entity. Our entities keep no such value, but the division is kept so that a
// zero-length in-place leg still fails before anything of it is drawn.
void CheckInclination(const TieLegTraits& t, const TieLegInput& in, Single length) {
  if (t.style != Style::Axis || !in.regularFlag) return;
  const Single diameter = t.direction == Direction::Vertical ? in.d1 : in.d2;
  CheckFinite(std::atan(Divide(diameter, length)));
}

}  // namespace

const char* TieLegName(TieLegMember member) { return Traits(member).name; }

// Single + Integer is a Single: every partial sum is rounded to float before the last RoundHalfEven,
// which decides a length whose float sum lands just below a half.
Integer TieLegCutLength(Single legLength, Single hookRadius) {
  const Integer hooks = RoundHalfEven(double{hookRadius} * 6.283185308);
  return RoundHalfEven(Plus(Plus(legLength, 2 * kTail), hooks));
}

void DrawTieLeg(Canvas& canvas, TieLegMember member, const TieLegInput& in) {
  const TieLegTraits& t = Traits(member);
  const Single R = HookRadius(t.direction == Direction::Vertical ? in.d1 : in.d2);
  const LegShape s = ShapeOf(t, in, R);
  CheckInclination(t, in, s.length);

  Draw(canvas, s.firstHook, in.color);
  Draw(canvas, s.firstTail, in.color);
  Draw(canvas, s.leg, in.color);
  Draw(canvas, s.secondHook, in.color);
  Draw(canvas, s.secondTail, in.color);
  if (!in.labelFlag) return;

  const Integer cutLength = TieLegCutLength(s.length, R);
  const std::string label =
      StirrupLabel(t.spacer, in.labelCount, in.ds, cutLength, canvas.numbers) + " (zone critiche)";
  AddText(canvas, s.labelX, s.labelY, in.textHeight, label, in.labelColor);
  if (canvas.bars != nullptr) {
    BarMark mark;
    mark.kind = BarMarkKind::TieLeg;
    mark.member = t.name;
    mark.diameter = in.ds;
    mark.count = in.legsInPlace;
    mark.cutLength = cutLength;
    mark.sideA = s.length;
    mark.hook = R;
    mark.oppositeHooks = t.style == Style::Axis;
    canvas.bars->AddMark(mark);
  }
}

}  // namespace tessaro
