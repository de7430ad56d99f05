// The position numbers of the schedule beside the labels of the drawing: where they go,
// and the circled numbers on their own layer.
#include <map>
#include <utility>

#include "schedule/schedule.h"

namespace tessaro {

namespace {

constexpr std::string_view kLayer = "Posizioni";
constexpr Single kRadius = 6;       // cm, the circle
constexpr Single kTextHeight = 5;   // cm
constexpr Single kGap = 8;          // cm, from the label's anchor to the circle's centre
constexpr int kColor = 1;           // red on screen, black on a plot by colour

}  // namespace

std::vector<PositionMark> PositionMarks(const StackSchedule& schedule, Single step) {
  std::vector<PositionMark> marks;
  std::map<std::pair<Single, Single>, int> atAnchor;  // rows already beside a label
  for (const ScheduleRow& row : schedule.rows) {
    if (!row.hasLabel) continue;
    const int before = atAnchor[{row.labelX, row.labelY}]++;
    marks.push_back({row.mark, row.labelX - kGap - before * step, row.labelY + kRadius / 2});
  }
  return marks;
}

void DrawPositionMarks(Drawing& drawing, const StackSchedule& schedule) {
  const LayerIndex layer = drawing.AddLayer(kLayer);
  for (const PositionMark& mark : PositionMarks(schedule)) {
    drawing.AddCircleOn(layer, CircleGeometry{{mark.x, mark.y}, kRadius}, kColor);
    // Left-aligned, so the number is centred by its width (about 0.7 of the height a digit).
    TextGeometry text;
    const double width = kTextHeight * 0.7 * static_cast<double>(mark.position.size());
    text.position = {mark.x - width / 2, mark.y - kTextHeight / 2.0};
    text.height = kTextHeight;
    text.value = mark.position;
    text.style = "Arial";
    drawing.AddTextOn(layer, std::move(text), kColor);
  }
}

}  // namespace tessaro
