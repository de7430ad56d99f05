// The closed-stirrup family as one routine: a member table gives each shape's strokes,
// its label point, its length rule and its label spacer; drawing order, colours and the
// label are common to all six.
#include "stirrups/closed_stirrups.h"

#include <array>
#include <string_view>

#include "stirrups/single_math.h"
#include "stirrups/stirrup_label.h"
#include "stirrups/strokes.h"

namespace tessaro {

using namespace single_math;

namespace {

// The displaced bar axes and the radii the hoop runs at. A corner that turns round a bar
// of radius rB is centred q further out along the side it closes, so the sides stay straight.
struct Frame {
  Single X1, X2, Y1, Y2;
  Single rA, rB, q;
};

Frame FrameOf(const ClosedStirrupInput& in) {
  Frame f{};
  f.X1 = Plus(in.xA, in.dx);
  f.X2 = Plus(in.xB, in.dx);
  f.Y1 = Plus(in.yA, in.dy);
  f.Y2 = Plus(in.yB, in.dy);
  f.rA = Times(in.dA, 0.5);
  f.rB = Times(in.dB, 0.5);
  f.q = Minus(f.rA, f.rB);
  return f;
}

constexpr Single kTail = 8;  // cm, each hook tail

struct Outline {
  std::array<LineStroke, 4> sides;  // bottom, right, top, left
  std::array<ArcStroke, 5> arcs;
  std::array<LineStroke, 2> tails;
};

// Sides at distance rA from the corner-bar axes, shared by the two whole-section hoops.
std::array<LineStroke, 4> WholeSides(const Frame& f) {
  return {{{f.X1, Minus(f.Y1, f.rA), f.X2, Minus(f.Y1, f.rA)},
           {Plus(f.X2, f.rA), f.Y1, Plus(f.X2, f.rA), f.Y2},
           {f.X2, Plus(f.Y2, f.rA), f.X1, Plus(f.Y2, f.rA)},
           {Minus(f.X1, f.rA), f.Y2, Minus(f.X1, f.rA), f.Y1}}};
}

// The two tails of a hook at the right, centred (x, y), outer tail first: hanging down
// (direction -1, upper hook) or standing up (direction 1, lower hook).
std::array<LineStroke, 2> Tails(Single x, Single y, Single r, Single direction) {
  const Single end = Plus(y, Times(kTail, direction));
  return {{{Plus(x, r), y, Plus(x, r), end}, {Minus(x, r), y, Minus(x, r), end}}};
}

Outline HookTop(const Frame& f) {
  return {WholeSides(f),
          {{{f.X1, f.Y1, f.rA, 180, 270},
            {f.X2, f.Y1, f.rA, 270, 0},
            {f.X1, f.Y2, f.rA, 90, 180},
            {f.X2, f.Y2, f.rA, 0, 135},
            {f.X2, f.Y2, f.rA, -45, 90}}},
          Tails(f.X2, f.Y2, f.rA, -1)};
}

Outline HookBottom(const Frame& f) {
  return {WholeSides(f),
          {{{f.X2, f.Y2, f.rA, 0, 90},
            {f.X1, f.Y1, f.rA, 180, 270},
            {f.X1, f.Y2, f.rA, 90, 180},
            {f.X2, f.Y1, f.rA, 270, 45},
            {f.X2, f.Y1, f.rA, 225, 0}}},
          Tails(f.X2, f.Y1, f.rA, 1)};
}

Outline LowerPart(const Frame& f) {
  return {{{{f.X1, Minus(f.Y1, f.rA), f.X2, Minus(f.Y1, f.rA)},
            {Plus(f.X2, f.rA), f.Y1, Plus(f.X2, f.rA), f.Y2},
            {Plus(f.X2, f.q), Plus(f.Y2, f.rB), Minus(f.X1, f.q), Plus(f.Y2, f.rB)},
            {Minus(f.X1, f.rA), f.Y2, Minus(f.X1, f.rA), f.Y1}}},
          {{{f.X1, f.Y1, f.rA, 180, 270},
            {f.X2, f.Y1, f.rA, 270, 45},
            {f.X2, f.Y1, f.rA, -135, 0},
            {Minus(f.X1, f.q), f.Y2, f.rB, 90, 180},
            {Plus(f.X2, f.q), f.Y2, f.rB, 0, 90}}},
          Tails(f.X2, f.Y1, f.rA, 1)};
}

Outline UpperPart(const Frame& f) {
  return {{{{Minus(f.X1, f.q), Minus(f.Y1, f.rB), Plus(f.X2, f.q), Minus(f.Y1, f.rB)},
            {Plus(f.X2, f.rA), f.Y1, Plus(f.X2, f.rA), f.Y2},
            {f.X2, Plus(f.Y2, f.rA), f.X1, Plus(f.Y2, f.rA)},
            {Minus(f.X1, f.rA), f.Y2, Minus(f.X1, f.rA), f.Y1}}},
          {{{Minus(f.X1, f.q), f.Y1, f.rB, 180, 270},
            {Plus(f.X2, f.q), f.Y1, f.rB, 270, 0},
            {f.X1, f.Y2, f.rA, 90, 180},
            {f.X2, f.Y2, f.rA, 0, 135},
            {f.X2, f.Y2, f.rA, -45, 90}}},
          Tails(f.X2, f.Y2, f.rA, -1)};
}

Outline RightPart(const Frame& f) {
  return {{{{f.X1, Minus(f.Y1, f.rA), f.X2, Minus(f.Y1, f.rA)},
            {Plus(f.X2, f.rA), f.Y1, Plus(f.X2, f.rA), f.Y2},
            {f.X2, Plus(f.Y2, f.rA), f.X1, Plus(f.Y2, f.rA)},
            {Minus(f.X1, f.rB), Plus(f.Y2, f.q), Minus(f.X1, f.rB), Minus(f.Y1, f.q)}}},
          {{{f.X1, Minus(f.Y1, f.q), f.rB, 180, 270},
            {f.X2, f.Y1, f.rA, 270, 45},
            {f.X2, f.Y1, f.rA, -135, 0},
            {f.X1, Plus(f.Y2, f.q), f.rB, 90, 180},
            {f.X2, f.Y2, f.rA, 0, 90}}},
          Tails(f.X2, f.Y1, f.rA, 1)};
}

Outline LeftPart(const Frame& f) {
  return {{{{f.X1, Minus(f.Y1, f.rA), f.X2, Minus(f.Y1, f.rA)},
            {Plus(f.X2, f.rB), Minus(f.Y1, f.q), Plus(f.X2, f.rB), Plus(f.Y2, f.q)},
            {f.X2, Plus(f.Y2, f.rA), f.X1, Plus(f.Y2, f.rA)},
            {Minus(f.X1, f.rA), f.Y2, Minus(f.X1, f.rA), f.Y1}}},
          {{{f.X1, f.Y1, f.rA, 135, 270},
            {f.X1, f.Y1, f.rA, 180, -45},
            {f.X2, Minus(f.Y1, f.q), f.rB, 270, 0},
            {f.X2, Plus(f.Y2, f.q), f.rB, 0, 90},
            {f.X1, f.Y2, f.rA, 90, 180}}},
          // Hook at the lower left: the outer tail comes first, on the left.
          {{{Minus(f.X1, f.rA), f.Y1, Minus(f.X1, f.rA), Plus(f.Y1, kTail)},
            {Plus(f.X1, f.rA), f.Y1, Plus(f.X1, f.rA), Plus(f.Y1, kTail)}}}};
}

struct LabelPoint {
  Single x, y;
};

LabelPoint BelowLeft(const Frame& f) { return {f.X1, Minus(f.Y1, 10)}; }
LabelPoint AboveShiftedLeft(const Frame& f) { return {Minus(f.X1, f.q), Plus(f.Y2, 5)}; }
LabelPoint AboveLeft(const Frame& f) { return {f.X1, Plus(f.Y2, 5)}; }
LabelPoint BelowShifted(const Frame& f) { return {f.X1, Minus(Minus(f.Y1, f.q), 10)}; }

// Which extra length the hoop's bends add and along which side a split part gains q.
enum class LengthRule { Whole, SplitAlongDepth, SplitAlongWidth };

struct ClosedStirrupTraits {
  ClosedStirrupMember member;
  const char* name;
  Outline (*outline)(const Frame&);
  LabelPoint (*labelPoint)(const Frame&);
  LengthRule length;
  std::string_view spacer;
};

constexpr std::array<ClosedStirrupTraits, 6> kClosedStirrups = {{
    {ClosedStirrupMember::StirrupHookTop, "StirrupHookTop", HookTop, BelowLeft, LengthRule::Whole, "  "},
    {ClosedStirrupMember::StirrupHookBottom, "StirrupHookBottom", HookBottom, BelowLeft, LengthRule::Whole, "     "},
    {ClosedStirrupMember::StirrupLowerPart, "StirrupLowerPart", LowerPart, BelowLeft, LengthRule::SplitAlongDepth,
     "     "},
    {ClosedStirrupMember::StirrupUpperPart, "StirrupUpperPart", UpperPart, AboveShiftedLeft,
     LengthRule::SplitAlongDepth, ""},
    {ClosedStirrupMember::StirrupRightPart, "StirrupRightPart", RightPart, AboveLeft, LengthRule::SplitAlongWidth,
     "     "},
    {ClosedStirrupMember::StirrupLeftPart, "StirrupLeftPart", LeftPart, BelowShifted, LengthRule::SplitAlongWidth,
     ""},
}};

const ClosedStirrupTraits& Traits(ClosedStirrupMember member) {
  return kClosedStirrups[static_cast<std::size_t>(member)];
}

// The two sides the length counts twice: between the bar axes, a split part gaining q.
struct Sides {
  Single a, b;
};

Sides SidesOf(LengthRule rule, const Frame& f) {
  Sides s{Minus(f.X2, f.X1), Minus(f.Y2, f.Y1)};
  if (rule == LengthRule::SplitAlongDepth) s.a = Plus(s.a, f.q);
  if (rule == LengthRule::SplitAlongWidth) s.b = Plus(s.b, f.q);
  return s;
}

Integer CutLength(LengthRule rule, const Frame& f) {
  const auto [a, b] = SidesOf(rule, f);
  if (rule == LengthRule::Whole) {
    const Integer bends = RoundHalfEven(double{f.rA} * 6.283185308);
    return RoundHalfEven(Plus(Plus(Plus(Times(a, 2), Times(b, 2)), 2 * kTail), bends));
  }
  // Each half-turn is rounded on its own, even when both radii are equal.
  const Integer bendsA = RoundHalfEven(double{f.rA} * 3.141592654);
  const Integer bendsB = RoundHalfEven(double{f.rB} * 3.141592654);
  // Single arithmetic throughout: each partial sum is a float, as in the hoop's geometry.
  return RoundHalfEven(Plus(Plus(Plus(Plus(Times(a, 2), Times(b, 2)), 2 * kTail), bendsA), bendsB));
}

}  // namespace

const char* ClosedStirrupName(ClosedStirrupMember member) { return Traits(member).name; }

Integer ClosedStirrupCutLength(ClosedStirrupMember member, const ClosedStirrupInput& in) {
  return CutLength(Traits(member).length, FrameOf(in));
}

void DrawClosedStirrup(Canvas& canvas, ClosedStirrupMember member, const ClosedStirrupInput& in) {
  const ClosedStirrupTraits& t = Traits(member);
  const Frame f = FrameOf(in);
  const Outline outline = t.outline(f);
  for (const LineStroke& side : outline.sides) Draw(canvas, side, in.color);
  for (const ArcStroke& arc : outline.arcs) Draw(canvas, arc, in.color);
  for (const LineStroke& tail : outline.tails) Draw(canvas, tail, in.color);
  if (!in.labelFlag) return;

  const Integer cutLength = CutLength(t.length, f);
  const LabelPoint at = t.labelPoint(f);
  AddText(canvas, at.x, at.y, in.textHeight, StirrupLabel(t.spacer, std::nullopt, in.ds, cutLength, canvas.numbers),
          in.labelColor);
  if (canvas.bars != nullptr) {
    const Sides sides = SidesOf(t.length, f);
    BarMark mark;
    mark.kind = BarMarkKind::ClosedStirrup;
    mark.member = t.name;
    mark.diameter = in.ds;
    mark.count = 1;
    mark.cutLength = cutLength;
    mark.sideA = sides.a;
    mark.sideB = sides.b;
    mark.hook = f.rA;
    canvas.bars->AddMark(mark);
  }
}

}  // namespace tessaro
