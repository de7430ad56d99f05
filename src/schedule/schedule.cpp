// The bar schedule of a stack, built from the recorder the drawing filled: counts per
// piece from the stirrup levels of the elevation, lengths as the labels show them, the
// shape of every mark as legs and bends, and the totals per diameter and per stack.
#include "schedule/schedule.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tessaro {

namespace {

constexpr double kSteelDensity = 7850;  // kg/m³
constexpr double kPi = 3.14159265358979323846;
constexpr double kTail = 8;  // cm, each hook tail of the stirrups and ties

Single MillimetresOf(Single centimetres) { return static_cast<Single>(double{centimetres} * 10); }

std::string ShapeText(const BarMark& mark, int hooks) {
  switch (mark.kind) {
    case BarMarkKind::LongitudinalBars:
      if (hooks == 0) return "barra diritta";
      return hooks == 1 ? "barra con 1 uncino" : "barra con 2 uncini";
    case BarMarkKind::StarterBars: return "barra di ripresa";
    case BarMarkKind::ClosedStirrup: return "staffa chiusa";
    case BarMarkKind::TieLeg: return "spillo";
    case BarMarkKind::CircularHoop: return "staffa circolare";
  }
  return "";
}

// A straight bar, or one with hooks at 90 degrees on the same side (a U with two).
// Hooks that would leave no straight part are not counted: the bar is then straight.
std::vector<BendLeg> BarLegs(double length, double hook, int& hooks) {
  if (hooks > 0 && !(hook > 0 && length - hooks * hook > 0)) hooks = 0;
  const double straight = length - hooks * hook;
  if (hooks == 0) return {{length, 0}};
  if (hooks == 1) return {{hook, 90}, {straight, 0}};
  return {{hook, 90}, {straight, 90}, {hook, 0}};
}

// Tail, 135 degrees, the four sides at 90 degrees, 135 degrees, tail. What the bends add
// to the sides between the bar axes is shared among the four sides.
std::vector<BendLeg> ClosedStirrupLegs(double length, double a, double b) {
  const double bends = (length - 2 * a - 2 * b - 2 * kTail) / 4;
  return {{kTail, 135}, {a + bends, 90}, {b + bends, 90}, {a + bends, 90}, {b + bends, 135}, {kTail, 0}};
}

// Tail, hook, leg, hook, tail: the hooks turn the same way when they stand on the same
// side of the leg, opposite ways otherwise. The hooks' arcs go to the leg.
std::vector<BendLeg> TieLegLegs(double length, bool oppositeHooks) {
  return {{kTail, 180}, {length - 2 * kTail, oppositeHooks ? -180.0 : 180.0}, {kTail, 0}};
}

std::vector<BendLeg> LegsOf(const BarMark& mark, int& hooks) {
  const double length = mark.cutLength;
  switch (mark.kind) {
    case BarMarkKind::LongitudinalBars: return BarLegs(length, mark.hook, hooks);
    case BarMarkKind::StarterBars: hooks = 0; return {{length, 0}};
    case BarMarkKind::ClosedStirrup: return ClosedStirrupLegs(length, mark.sideA, mark.sideB);
    case BarMarkKind::TieLeg: return TieLegLegs(length, mark.oppositeHooks);
    case BarMarkKind::CircularHoop: return {{length, 0}};
  }
  return {};
}

// How many of this mark the piece holds, from the levels its elevation drew.
long CountOf(const BarMark& mark, long endLevels, long middleLevels) {
  switch (mark.kind) {
    case BarMarkKind::ClosedStirrup:
    case BarMarkKind::CircularHoop: return mark.count * (endLevels + middleLevels);
    case BarMarkKind::TieLeg: return mark.count * endLevels;
    default: return mark.count;
  }
}

}  // namespace

double UnitWeight(Single diameterMm) {
  const double d = double{diameterMm} / 1000;  // m
  return kSteelDensity * kPi * d * d / 4;
}

StackSchedule BuildStackSchedule(std::string_view stackId, const BarRecorder& recorder) {
  StackSchedule schedule;
  schedule.stackId = std::string(stackId);
  const std::vector<BarRecorder::Piece>& pieces = recorder.Pieces();
  std::map<Single, DiameterTotal> totals;
  int mark = 0;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const BarRecorder::Piece& piece = pieces[p];
    // The joint stirrups drawn under the next piece are this piece's top-end stirrups.
    const long joint = p + 1 < pieces.size() ? pieces[p + 1].jointLevels : 0;
    const long endLevels = piece.endLevels + joint;
    for (const BarMark& m : piece.marks) {
      ScheduleRow row;
      row.pieceIndex = piece.index;
      row.pieceNumber = piece.number;
      row.mark = std::to_string(++mark);
      row.kind = m.kind;
      int hooks = m.hooks;
      row.legs = LegsOf(m, hooks);
      row.shape = ShapeText(m, hooks);
      row.diameterMm = MillimetresOf(m.diameter);
      row.count = CountOf(m, endLevels, piece.middleLevels);
      row.cutLength = m.cutLength;
      row.unitWeight = UnitWeight(row.diameterMm);
      row.totalWeight = row.count * (double{row.cutLength} / 100) * row.unitWeight;
      DiameterTotal& total = totals[row.diameterMm];
      total.diameterMm = row.diameterMm;
      total.count += row.count;
      total.length += row.count * (double{row.cutLength} / 100);
      total.weight += row.totalWeight;
      schedule.totalWeight += row.totalWeight;
      schedule.rows.push_back(std::move(row));
    }
  }
  for (const auto& [diameter, total] : totals) schedule.diameters.push_back(total);
  return schedule;
}

}  // namespace tessaro
