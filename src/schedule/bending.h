// How every bar the drawing labels is bent: one table of rules (hook angle, tail, mandrel)
// and the shape those rules give a mark, from the geometry the drawing placed: closed
// stirrups and ties wrap the bars they hold, their hooks turn by the rule.
//
// Legs are outside dimensions in mm. At a bend, each straight leg runs past the point
// where the bend starts by the mandrel radius plus the bar diameter (ri + d): at a right
// angle that is the corner of the outer faces; at a hook it is the hook measured to the
// outside of the bend. The developed length, the cut length, is then
//   L = sum of the legs - sum over the bends of (2 (ri + d) - (ri + d/2) × angle in radians).
// A curved leg (a hoop) gives its length along the bar axis, with the same (ri + d) at
// each bent end, and its outside radius.
#pragma once

#include <array>
#include <vector>

#include "primitives/bar_marks.h"

namespace tessaro {

struct BendingRule {
  BarMarkKind kind;
  double hookAngle;      // degrees at each hooked end; 0: hooks as drawn (90) or none
  double tailDiameters;  // the least straight tail after a hook, in bar diameters
  bool tailAtLeastDrawn; // and never shorter than the tail the drawing's length assumes
};

// Closed stirrups, ties and hoops of seismic columns: 135° hooks with tails of at least
// 10 diameters (NTC 2018 §7.4.6.2.2, EC8 §5.4.3.2.2). Longitudinal bars keep the 90°
// hooks and the length the elevation gives them.
inline constexpr std::array<BendingRule, 5> kBendingRules = {{
    {BarMarkKind::LongitudinalBars, 90, 0, false},
    {BarMarkKind::StarterBars, 0, 0, false},
    {BarMarkKind::ClosedStirrup, 135, 10, true},
    {BarMarkKind::TieLeg, 135, 10, true},
    {BarMarkKind::CircularHoop, 135, 10, true},
}};

// Mandrel diameters, EC2 Table 8.1N: 4 Ø up to Ø16, 7 Ø above.
struct MandrelRule {
  double small = 4;
  double large = 7;
  double limitMm = 16;
};
inline constexpr MandrelRule kMandrelRule{};

const BendingRule& BendingRuleOf(BarMarkKind kind);

// Mandrel diameter in mm for a bar diameter in mm.
double MandrelDiameter(double diameterMm);

// The straight tail after a hook of this mark, in mm (0 for a mark without hooks).
double TailLength(const BarMark& mark);

// One leg of a bent shape and the bend after it (degrees, counter-clockwise positive; 0
// after the last leg). Lengths in mm; radius > 0 marks a curved leg (its outside radius).
struct BendLeg {
  double length = 0;
  double angle = 0;
  double radius = 0;
};

// What takes off the sum of the legs at a bend of `angle` degrees, in mm.
double BendDeduction(double angleDegrees, double diameterMm, double mandrelMm);

// The developed length of legs measured as above, in mm.
double DevelopedLength(const std::vector<BendLeg>& legs, double diameterMm, double mandrelMm);

struct BentShape {
  std::vector<BendLeg> legs;  // each rounded to the millimetre
  double mandrelMm = 0;
  double tailMm = 0;
  double cutLengthMm = 0;     // developed length of the rounded legs, to the millimetre
};

// The shape of a mark by the rules. Bars keep the length the drawing gives them; `hooks`
// comes back 0 when the hooks would leave no straight part.
BentShape ShapeOf(const BarMark& mark, int& hooks);

}  // namespace tessaro
