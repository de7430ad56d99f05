// The tie-row family as one routine with a member table (row direction, tie leg, how k
// and m are counted, where the detail goes), and the bar selection that all rows share.
#include "stirrups/tie_rows.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "stirrups/single_math.h"

namespace tessaro {

using namespace single_math;

namespace {

enum class RowDirection { Width, Depth };

struct TieRowTraits {
  TieRowMember member;
  const char* name;
  RowDirection direction;
  TieLegMember leg;
  bool kFollowsSplit;   // k = legCount - 4 when splitFlag, else legCount - 2
  bool mSkipsCorners;   // m = barCount - 2, else m = barCount
  Single detailDy;
  bool detailAtFinal;   // detail copy at the final index, else at index 0
};

constexpr std::array<TieRowTraits, 8> kTieRows = {{
    {TieRowMember::TieRowX1, "TieRowX1", RowDirection::Width, TieLegMember::TieLegV1, false, true, 40, true},
    {TieRowMember::TieRowX2, "TieRowX2", RowDirection::Width, TieLegMember::TieLegV2, true, false, -10, true},
    {TieRowMember::TieRowX3, "TieRowX3", RowDirection::Width, TieLegMember::TieLegV3, false, true, 40, true},
    {TieRowMember::TieRowX4, "TieRowX4", RowDirection::Width, TieLegMember::TieLegV4, true, false, -10, true},
    {TieRowMember::TieRowY1, "TieRowY1", RowDirection::Depth, TieLegMember::TieLegH1, true, false, 20, false},
    {TieRowMember::TieRowY2, "TieRowY2", RowDirection::Depth, TieLegMember::TieLegH2, false, true, 40, true},
    {TieRowMember::TieRowY3, "TieRowY3", RowDirection::Depth, TieLegMember::TieLegH3, true, false, 20, false},
    {TieRowMember::TieRowY4, "TieRowY4", RowDirection::Depth, TieLegMember::TieLegH4, false, true, 40, true},
}};

const TieRowTraits& Traits(TieRowMember member) { return kTieRows[static_cast<std::size_t>(member)]; }

// The selection loop: i runs from 1 while i <= m. At each turn every advance group is
// tested once, in order, and steps i by one when it holds i (so a position reached by an
// advance is not tested again by the same group); then the loop may stop at m; otherwise
// i receives a leg.
struct SelectionLoop {
  std::vector<std::vector<Integer>> advanceGroups;
  bool stopAtLast = true;
};

Integer RunLoop(Integer m, const SelectionLoop& loop, const std::function<void(Integer)>& onBar) {
  Integer i = 1;
  while (i <= m) {
    for (const std::vector<Integer>& group : loop.advanceGroups) {
      if (std::find(group.begin(), group.end(), i) != group.end()) i = CheckedAdd(i, 1);
    }
    if (loop.stopAtLast && i == m) return i;
    onBar(i);
    i = CheckedAdd(i, 1);
  }
  return i;
}

// floor(n / 2) + 1, the half taken as a double.
Integer MiddleOf(Integer n) { return CheckedAdd(FloorToInteger(n / 2.0), 1); }

// Fixed placements, no loop: the listed positions; the final index is the last one.
Integer Place(std::initializer_list<Integer> positions, const std::function<void(Integer)>& onBar) {
  Integer last = 0;
  for (const Integer i : positions) {
    onBar(i);
    last = i;
  }
  return last;
}

}  // namespace

const char* TieRowName(TieRowMember member) { return Traits(member).name; }
TieLegMember TieLegOf(TieRowMember member) { return Traits(member).leg; }

TieRowCounts CountTieRow(TieRowMember member, Integer legCount, Integer barCount, bool splitFlag) {
  const TieRowTraits& t = Traits(member);
  const Integer kLess = t.kFollowsSplit && splitFlag ? 4 : 2;
  return {CheckedSub(legCount, kLess), t.mSkipsCorners ? CheckedSub(barCount, 2) : barCount};
}

Integer ForEachSelectedBar(Integer k, Integer m, const std::function<void(Integer)>& onBar) {
  const Integer d = CheckedSub(m, k);
  if (d < 0) return 0;
  if (d == 0) return RunLoop(m, {{}, false}, onBar);
  if (d == 1) return RunLoop(m, {{{MiddleOf(k)}}, false}, onBar);
  if (d == 2) return RunLoop(m, {{{1}}, true}, onBar);
  if (d == 3) return RunLoop(m, {{{1, MiddleOf(m)}}, true}, onBar);
  // From four spare positions on, a single leg goes to the middle bar.
  if (k == 1) return Place({MiddleOf(m)}, onBar);
  if (d == 4) return RunLoop(m, {{{CheckedSub(m, 2), 1, 3}}, true}, onBar);
  if (d == 5) return RunLoop(m, {{{1, 3}, {MiddleOf(m)}, {CheckedSub(m, 2)}}, true}, onBar);
  if (k == 2) return Place({2, CheckedSub(m, 1)}, onBar);
  if (k == 3) return Place({2, CheckedSub(m, 1), MiddleOf(m)}, onBar);
  return RunLoop(m, {{{1, 3, 5}, {CheckedSub(m, 6), CheckedSub(m, 4), CheckedSub(m, 2)}}, true}, onBar);
}

TieSelection SelectTieBars(Integer k, Integer m) {
  TieSelection selection;
  selection.finalIndex = ForEachSelectedBar(k, m, [&](Integer i) { selection.positions.push_back(i); });
  return selection;
}

namespace {

// The leg of bar index i, undisplaced and unlabelled.
TieLegInput LegAt(const TieRowTraits& t, const TieRowInput& in, Integer i) {
  TieLegInput leg;
  if (t.direction == RowDirection::Width) {
    const Single x = Plus(Times(Single(i), in.spacing), in.x0);
    leg.xA = x, leg.yA = in.y0, leg.xB = x, leg.yB = in.end;
  } else {
    const Single y = Plus(Times(Single(i), in.spacing), in.y0);
    leg.xA = in.x0, leg.yA = y, leg.xB = in.end, leg.yB = y;
  }
  leg.d1 = in.d1, leg.d2 = in.d2, leg.ds = in.ds;
  leg.color = in.tieColor, leg.labelColor = in.labelColor, leg.textHeight = in.textHeight;
  return leg;
}

}  // namespace

void DrawTieRow(Canvas& canvas, TieRowMember member, const TieRowInput& in) {
  const TieRowTraits& t = Traits(member);
  const TieRowCounts counts = CountTieRow(member, in.legCount, in.barCount, in.splitFlag);
  if (counts.k < 1) return;

  long placed = 0;
  const Integer finalIndex = ForEachSelectedBar(counts.k, counts.m, [&](Integer i) {
    TieLegInput leg = LegAt(t, in, i);
    leg.regularFlag = true;
    DrawTieLeg(canvas, t.leg, leg);
    ++placed;
  });

  TieLegInput detail = LegAt(t, in, t.detailAtFinal ? finalIndex : Integer{0});
  detail.dx = in.detailOffset;
  detail.dy = t.detailDy;
  detail.labelFlag = true;
  detail.regularFlag = false;
  detail.labelCount = counts.k;
  detail.legsInPlace = placed;
  DrawTieLeg(canvas, t.leg, detail);
}

}  // namespace tessaro
