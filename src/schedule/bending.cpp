// The bending rules and the bent shape of every kind of mark.
#include "schedule/bending.h"

#include <algorithm>
#include <cmath>

namespace tessaro {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Drawing lengths are floats in cm: to the tenth of a millimetre, 1.6 cm is 16 mm exactly.
double Mm(double centimetres) { return std::round(centimetres * 100) / 10; }

// Every leg to the millimetre, and the length those legs develop.
BentShape Finish(std::vector<BendLeg> legs, double diameterMm, double mandrelMm, double tailMm) {
  for (BendLeg& leg : legs) leg.length = std::round(leg.length);
  BentShape shape;
  shape.cutLengthMm = std::round(DevelopedLength(legs, diameterMm, mandrelMm));
  shape.legs = std::move(legs);
  shape.mandrelMm = mandrelMm;
  shape.tailMm = tailMm;
  return shape;
}

// A bar of the elevation: its length is the drawing's; the hooks are outside dimensions
// and the straight part takes what the bends use.
BentShape BarShape(const BarMark& mark, int& hooks) {
  const double d = Mm(mark.diameter);
  const double mandrel = MandrelDiameter(d);
  const double length = Mm(mark.cutLength);
  const double hook = Mm(mark.hook);
  if (hooks > 0 && !(hook > 0 && length - hooks * hook > 0)) hooks = 0;
  if (mark.kind == BarMarkKind::StarterBars) hooks = 0;
  if (hooks == 0) return Finish({{length, 0, 0}}, d, mandrel, 0);
  const double straight = length - hooks * hook + hooks * BendDeduction(90, d, mandrel);
  if (hooks == 1) return Finish({{hook, 90, 0}, {straight, 0, 0}}, d, mandrel, 0);
  return Finish({{hook, 90, 0}, {straight, 90, 0}, {hook, 0, 0}}, d, mandrel, 0);
}

}  // namespace

const BendingRule& BendingRuleOf(BarMarkKind kind) {
  return *std::find_if(kBendingRules.begin(), kBendingRules.end(),
                       [&](const BendingRule& rule) { return rule.kind == kind; });
}

double MandrelDiameter(double diameterMm) {
  diameterMm = std::round(diameterMm * 10) / 10;
  return (diameterMm <= kMandrelRule.limitMm ? kMandrelRule.small : kMandrelRule.large) * diameterMm;
}

double TailLength(const BarMark& mark) {
  const BendingRule& rule = BendingRuleOf(mark.kind);
  if (rule.tailDiameters <= 0) return 0;
  const double byDiameter = rule.tailDiameters * Mm(mark.diameter);
  // To the millimetre: 10 × 0.8 cm is 80 mm, not a float a hair above it.
  return std::round(rule.tailAtLeastDrawn ? std::max(byDiameter, Mm(mark.drawnTail)) : byDiameter);
}

double BendDeduction(double angleDegrees, double diameterMm, double mandrelMm) {
  if (angleDegrees == 0) return 0;
  const double ri = mandrelMm / 2;
  return 2 * (ri + diameterMm) - (ri + diameterMm / 2) * std::fabs(angleDegrees) * kPi / 180;
}

double DevelopedLength(const std::vector<BendLeg>& legs, double diameterMm, double mandrelMm) {
  double length = 0;
  for (const BendLeg& leg : legs) length += leg.length - BendDeduction(leg.angle, diameterMm, mandrelMm);
  return length;
}

BentShape ShapeOf(const BarMark& mark, int& hooks) {
  const BendingRule& rule = BendingRuleOf(mark.kind);
  if (mark.kind == BarMarkKind::LongitudinalBars || mark.kind == BarMarkKind::StarterBars) {
    return BarShape(mark, hooks);
  }
  hooks = 2;
  const double ds = Mm(mark.diameter);
  const double mandrel = MandrelDiameter(ds);
  const double tail = TailLength(mark);
  const double reach = mandrel / 2 + ds;  // what a leg runs past the start of a bend
  const double hook = rule.hookAngle;
  const double tailLeg = tail + reach;
  // Outside sides: the axis distance, the bars held and the stirrup on both sides.
  const double a = Mm(mark.axisA) + Mm(mark.barA) + 2 * ds;
  const double b = Mm(mark.axisB) + Mm(mark.barB) + 2 * ds;
  switch (mark.kind) {
    case BarMarkKind::ClosedStirrup:
      return Finish({{tailLeg, hook, 0}, {a, 90, 0}, {b, 90, 0}, {a, 90, 0}, {b, hook, 0}, {tailLeg, 0, 0}}, ds,
                    mandrel, tail);
    case BarMarkKind::TieLeg:
      return Finish({{tailLeg, hook, 0}, {a, mark.oppositeHooks ? -hook : hook, 0}, {tailLeg, 0, 0}}, ds, mandrel,
                    tail);
    case BarMarkKind::CircularHoop: {
      // A full turn round the bars, closed by two hooks into the core.
      const double axisRadius = (Mm(mark.axisA) + Mm(mark.barA) + ds) / 2;
      const double arc = 2 * kPi * axisRadius + 2 * reach;
      return Finish({{tailLeg, hook, 0}, {arc, hook, axisRadius + ds / 2}, {tailLeg, 0, 0}}, ds, mandrel, tail);
    }
    default: break;
  }
  return {};
}

}  // namespace tessaro
