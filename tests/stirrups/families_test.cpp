// The three families of the stirrup drawing: which bars of a tie row receive a leg (every
// cell of the small-count table), where each row member draws its legs, detail and label
// (which also shows what each tie leg member changes: shift, extension, spacer, cut length),
// the tie legs of both styles and the two whole hoops stroke by stroke (the worked lengths
// among them), and for every closed stirrup that its sides meet its corner arcs and where its
// label goes.
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "stirrups/closed_stirrups.h"
#include "stirrups/tie_legs.h"
#include "stirrups/tie_rows.h"
#include "entity_text.h"

namespace tessaro {
namespace {

using enum ClosedStirrupMember;
using enum TieLegMember;
using enum TieRowMember;

// "2,4,5/6": the positions in the order found, then the final index; "-/0" for none.
std::string Show(Integer k, Integer m) {
  const TieSelection s = SelectTieBars(k, m);
  std::string text;
  for (const Integer i : s.positions) text += (text.empty() ? "" : ",") + std::to_string(i);
  return (text.empty() ? "-" : text) + "/" + std::to_string(s.finalIndex);
}

// Row k = 1..6, column m = 2..10.
const char* const kSelection[6][9] = {
    {"2/3", "2/3", "2/4", "3/3", "4/4", "4/4", "5/5", "5/5", "6/6"},
    {"1,2/3", "1,3/4", "2,3/4", "2,4/5", "2,4,5/6", "2,6/7", "2,7/7", "2,8/8", "2,9/9"},
    {"-/0", "1,2,3/4", "1,3,4/5", "2,3,4/5", "2,3,5/6", "2,4,6/7", "2,4,7/8", "2,8,5/5", "2,9,6/6"},
    {"-/0", "-/0", "1,2,3,4/5", "1,2,4,5/6", "2,3,4,5/6", "2,3,5,6/7", "2,4,5,7/8", "2,4,6,8/9", "2,5,7,9/10"},
    {"-/0", "-/0", "-/0", "1,2,3,4,5/6", "1,2,4,5,6/7", "2,3,4,5,6/7", "2,3,4,6,7/8", "2,4,5,6,8/9", "2,4,5,7,9/10"},
    {"-/0", "-/0", "-/0", "-/0", "1,2,3,4,5,6/7", "1,2,3,5,6,7/8", "2,3,4,5,6,7/8", "2,3,4,6,7,8/9", "2,4,5,6,7,9/10"},
};

TEST(TieSelection, EveryCellOfTheSmallCountTableAndLongerRows) {
  for (Integer k = 1; k <= 6; ++k) {
    for (Integer m = 2; m <= 10; ++m) EXPECT_EQ(Show(k, m), kSelection[k - 1][m - 2]) << "k = " << k << ", m = " << m;
  }
  EXPECT_EQ(Show(1, 1), "1/2");  // the single bar gets its leg, the final index is past it
  // d = 8: skips at 1, 3, 5 and at m - 6, m - 4, m - 2, so five legs for k = 4.
  EXPECT_EQ(Show(4, 12), "2,4,7,9,11/12");
}

// Where each leg stroke starts (the tails are 8 long, the legs longer), and each label in [ ].
std::string Legs(const Drawing& d) {
  std::string text;
  for (const EntityHeader& e : d.Entities()) {
    if (e.type == EntityType::Text) text += " [" + d.Text(e).value + "]";
    if (e.type != EntityType::Line) continue;
    const LineGeometry& l = d.Line(e);
    if (std::hypot(l.end.x - l.start.x, l.end.y - l.start.y) > 9) text += " " + test::Pt(l.start);
  }
  return text.empty() ? text : text.substr(1);
}

TEST(TieRow, LegsInPlaceThenTheLabelledDetail) {
  // Corner bars at (0, 0) and (40, 40), bars every 10 cm; width bars of 2.0 (vertical hook
  // radius 1.05), depth bars of 1.2 (horizontal radius 0.65), so the extending legs reach
  // 0.4 past the bar axes. Details 200 to the right.
  const std::string Z = " (zone critiche)]";
  const std::vector<std::tuple<TieRowMember, Integer, Integer, std::string>> rows = {
      // 3 legs, 3 bars: k = 1; m = 1 (leg at 1, final 2) where m skips the corner bars, else
      // m = 3 (leg at 2, final 3). The detail goes to the final index (Y1, Y3: index 0),
      // moved by the member's dy; V1 and V3 take half the offset.
      {TieRowX1, 3, 3, "(8.95, 0) (118.95, 40) [ 1\xC3\x98" "8   L = 63" + Z},
      {TieRowX2, 3, 3, "(18.95, -0.4) (228.95, -10.4) [  1\xC3\x98" "8   L = 64" + Z},
      {TieRowX3, 3, 3, "(10, 0) (120, 40) [ 1\xC3\x98" "8   L = 63" + Z},
      {TieRowX4, 3, 3, "(20, -0.4) (230, -10.4) [  1\xC3\x98" "8   L = 64" + Z},
      {TieRowY1, 3, 3, "(-0.4, 20.65) (199.6, 20.65) [  1\xC3\x98" "8   L = 61" + Z},
      {TieRowY2, 3, 3, "(0, 10.65) (200, 60.65) [  1\xC3\x98" "8   L = 60" + Z},
      {TieRowY3, 3, 3, "(-0.4, 20) (199.6, 20) [ 1\xC3\x98" "8   L = 61" + Z},
      {TieRowY4, 3, 3, "(0, 10) (200, 60) [ 1\xC3\x98" "8   L = 60" + Z},
      // k = 2, m = 6: legs at 2, 4 and 5 while the label says 2.
      {TieRowX4, 4, 6, "(20, -0.4) (40, -0.4) (50, -0.4) (260, -10.4) [  2\xC3\x98" "8   L = 64" + Z},
  };
  for (const auto& [member, legCount, barCount, expected] : rows) {
    test::Sheet s;
    // legCount, barCount, x0, y0, end, spacing, d1, d2, ds, tie and label colours, split, text height, detail offset
    DrawTieRow(s.canvas, member, TieRowInput{legCount, barCount, 0, 0, 40, 10, 2.0f, 1.2f, 0.8f, 21, 6, false, 8, 200});
    EXPECT_EQ(Legs(s.drawing), expected) << TieRowName(member) << ", " << legCount << " legs, " << barCount << " bars";
  }
}

TEST(TieLeg, WorkedShapesOfBothStyles) {
  // Bars of 1.6 (R = 0.85) at (10, 0) and (10, 40), labelled: L = 40 + 16 + RoundHalfEven(5.34) = 61;
  // then unlabelled: the axis style there, both styles between bars at (0, 10) and (40, 10).
  TieLegInput in{10, 0, 10, 40, 1.6f, 1.6f, 0.8f};
  in.labelFlag = true;
  in.labelCount = 2;
  test::Sheet s;
  DrawTieLeg(s.canvas, TieLegV1, in);
  DrawTieLeg(s.canvas, TieLegV3, TieLegInput{10, 0, 10, 40, 1.6f, 1.6f, 0.8f});
  const TieLegInput horizontal{0, 10, 40, 10, 1.6f, 1.6f, 0.8f};
  DrawTieLeg(s.canvas, TieLegH2, horizontal);
  DrawTieLeg(s.canvas, TieLegH4, horizontal);
  EXPECT_EQ(TieLegCutLength(42, 0.85f), 63);  // a 42 cm leg: 42 + 16 + RoundHalfEven(5.34)
  test::ExpectEntities(s.drawing, {
      // First hook arc, its tail and the leg; the second hook arc and its tail; the label.
      "ARC 0 21 10 0 0.85 -180 -20", "LINE 0 21 10.85 0 10.85 8", "LINE 0 21 9.15 0 9.15 40",
      "ARC 0 21 10 40 0.85 20 180", "LINE 0 21 10.85 40 10.85 32",
      "TEXT 0 6 9.15 20 8 0 1 0 0 0 0 0 0 [ 2\xC3\x98" "8   L = 61 (zone critiche)] Arial",
      "ARC 0 21 9.15 0 0.85 -160 0", "LINE 0 21 8.3 0 8.3 8", "LINE 0 21 10 0 10 40",
      "ARC 0 21 10.85 40 0.85 20 180", "LINE 0 21 11.7 40 11.7 32",
      "ARC 0 21 0 10 0.85 90 250", "LINE 0 21 0 9.15 8 9.15", "LINE 0 21 0 10.85 40 10.85",
      "ARC 0 21 40 10 0.85 290 90", "LINE 0 21 40 9.15 32 9.15",
      "ARC 0 21 0 10.85 0.85 110 270", "LINE 0 21 0 11.7 8 11.7", "LINE 0 21 0 10 40 10",
      "ARC 0 21 40 9.15 0.85 -70 90", "LINE 0 21 40 8.3 32 8.3",
  });
}

TEST(ClosedStirrup, HookTopOfTheWorkedExampleAndHookBottom) {
  test::Sheet s;
  ClosedStirrupInput in{0, 0, 30, 50, 2, 2, 0.8f};  // bars at (0, 0) and (30, 50), all of 2
  DrawClosedStirrup(s.canvas, StirrupHookBottom, in);
  in.labelFlag = true;
  DrawClosedStirrup(s.canvas, StirrupHookTop, in);
  test::ExpectEntities(s.drawing, {
      // The sides (bottom, right, top, left), three corners, the hook's two bends, its tails.
      "LINE 0 3 0 -1 30 -1", "LINE 0 3 31 0 31 50", "LINE 0 3 30 51 0 51", "LINE 0 3 -1 50 -1 0",
      "ARC 0 3 30 50 1 0 90", "ARC 0 3 0 0 1 180 270", "ARC 0 3 0 50 1 90 180",
      "ARC 0 3 30 0 1 270 45", "ARC 0 3 30 0 1 225 0",
      "LINE 0 3 31 0 31 8", "LINE 0 3 29 0 29 8",
      // The worked hoop, labelled: L = 2·30 + 2·50 + 16 + RoundHalfEven(2π) = 182.
      "LINE 0 3 0 -1 30 -1", "LINE 0 3 31 0 31 50", "LINE 0 3 30 51 0 51", "LINE 0 3 -1 50 -1 0",
      "ARC 0 3 0 0 1 180 270", "ARC 0 3 30 0 1 270 0", "ARC 0 3 0 50 1 90 180",
      "ARC 0 3 30 50 1 0 135", "ARC 0 3 30 50 1 -45 90",
      "LINE 0 3 31 50 31 42", "LINE 0 3 29 50 29 42",
      "TEXT 0 6 0 -10 8 0 1 0 0 0 0 0 0 [  \xC3\x98" "8   L = 182] Arial",
  });
}

TEST(ClosedStirrup, EveryMemberDrawsElevenStrokesWhoseSidesMeetTheirArcsThenItsLabel) {
  // dA = 2.4 at the corners, dB = 1.6 at the turns of a split part (q = 0.4): a side that
  // misses its arcs shows a corner on the wrong bar or q added on the wrong side. L = 184.
  const std::vector<std::tuple<ClosedStirrupMember, std::string>> labels = {
      {StirrupHookTop, "(0, -10)   "},       {StirrupHookBottom, "(0, -10)      "},
      {StirrupLowerPart, "(0, -10)      "},  {StirrupUpperPart, "(-0.4, 55) "},
      {StirrupRightPart, "(0, 55)      "},   {StirrupLeftPart, "(0, -10.4) "},
  };
  for (const auto& [member, pointAndSpacer] : labels) {
    SCOPED_TRACE(ClosedStirrupName(member));
    test::Sheet s;
    ClosedStirrupInput in{0, 0, 30, 50, 2.4f, 1.6f, 0.8f};
    in.labelFlag = true;
    DrawClosedStirrup(s.canvas, member, in);
    const std::vector<EntityHeader>& e = s.drawing.Entities();
    std::string types, arcEnds;
    for (const EntityHeader& h : e) types += EntityTypeName(h.type)[0];
    ASSERT_EQ(types, "LLLLAAAAALLT");  // four sides, five arcs, two tails, the label
    for (std::size_t i = 4; i < 9; ++i) {
      const ArcGeometry& a = s.drawing.Arc(e[i]);
      for (const double rad : {a.startAngle * std::numbers::pi / 180, a.endAngle * std::numbers::pi / 180})
        arcEnds += test::Pt({a.center.x + a.radius * std::cos(rad), a.center.y + a.radius * std::sin(rad)});
    }
    for (std::size_t side = 0; side < 4; ++side) {
      for (const Point2d& end : {s.drawing.Line(e[side]).start, s.drawing.Line(e[side]).end})
        EXPECT_NE(arcEnds.find(test::Pt(end)), std::string::npos) << "side " << side << " ends on no arc";
    }
    for (const std::size_t tail : {9u, 10u}) {
      // The hook's tails point into the hoop, whose bars span y = 0..50.
      EXPECT_LT(std::abs(s.drawing.Line(e[tail]).end.y - 25), 25) << "tail " << tail << " points out of the hoop";
    }
    EXPECT_EQ(test::Pt(s.drawing.Text(e[11]).position) + " " + s.drawing.Text(e[11]).value,
              pointAndSpacer + "\xC3\x98" "8   L = 184");
  }
}

}  // namespace
}  // namespace tessaro
