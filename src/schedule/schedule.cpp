// The bar schedule of a stack, built from the recorder the drawing filled: counts per
// piece from the stirrup levels of the elevation, the shape of every mark bent by the
// rules (schedule/bending.h), and the totals per diameter and per stack.
#include "schedule/schedule.h"

#include <cmath>
#include <map>

namespace tessaro {

namespace {

constexpr double kSteelDensity = 7850;  // kg/m³
constexpr double kPi = 3.14159265358979323846;

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

}  // namespace

bool ScheduleRow::LengthDiffers() const {
  return drawingLength > 0 && std::fabs(double{drawingLength} - cutLength) > 1 + 1e-6;
}

long MarkCount(const BarMark& mark, long endLevels, long middleLevels) {
  switch (mark.kind) {
    case BarMarkKind::ClosedStirrup:
    case BarMarkKind::CircularHoop: return mark.count * (endLevels + middleLevels);
    case BarMarkKind::TieLeg: return mark.count * endLevels;
    default: return mark.count;
  }
}

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
      const long count = MarkCount(m, endLevels, piece.middleLevels);
      if (count <= 0) continue;
      ScheduleRow row;
      row.pieceIndex = piece.index;
      row.pieceNumber = piece.number;
      row.mark = std::to_string(++mark);
      row.kind = m.kind;
      int hooks = m.hooks;
      BentShape shape = ShapeOf(m, hooks);
      row.legs = std::move(shape.legs);
      row.mandrelMm = shape.mandrelMm;
      row.tailMm = shape.tailMm;
      row.shape = ShapeText(m, hooks);
      row.diameterMm = MillimetresOf(m.diameter);
      row.count = count;
      row.cutLength = static_cast<Single>(shape.cutLengthMm / 10);
      // A hoop's label (the "staffe" note) states no length.
      row.drawingLength = m.hasLabel && m.kind != BarMarkKind::CircularHoop ? m.cutLength : Single{0};
      row.hasLabel = m.hasLabel;
      row.labelX = m.labelX;
      row.labelY = m.labelY;
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
