// The stirrup dispatcher: for sections narrower than deep, square and wider than deep, with
// the split option off and on and either tie style, which closed stirrups and tie rows are
// drawn with which inputs, how many entities that makes and where the details land.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "stirrups/closed_stirrups.h"
#include "stirrups/section_stirrups.h"
#include "stirrups/tie_rows.h"
#include "entity_text.h"

namespace tessaro {
namespace {

using enum ClosedStirrupMember;
using enum TieRowMember;

enum class Shape { Tall, Square, Wide };

// Tall (and Square, W = D = 40): corner bars (4, 4) and (26, 46), w = 22, h = 42, n1 = 3
// bars every 11 along the width, n2 = 2 every 14 along the depth. Wide: corner bars (4, 4)
// and (46, 26), n1 = 5 every 10.5, n2 = 3 every 11. Offsets either way: A = 122, B = -42,
// T = 427; A2 = 44, B2 = -84, T2 = 96.8.
SectionStirrupInput Section(Shape shape, Integer s1, Integer s2, Single line10Value2 = 0) {
  // xi0, yi0, xi1, yi1, s1, s2, n1, n2, d1, d2, ds, W, D, sx, sy
  SectionStirrupInput in = shape == Shape::Wide
                               ? SectionStirrupInput{4, 4, 46, 26, s1, s2, 5, 3, 1.6f, 1.4f, 0.8f, 50, 30, 10.5f, 11}
                               : SectionStirrupInput{4, 4, 26, 46, s1, s2, 3, 2, 1.6f, 1.4f, 0.8f, 30, 50, 11, 14};
  if (shape == Shape::Square) in.W = 40, in.D = 40;
  in.line10Value2 = line10Value2;
  return in;
}

struct Scenario {
  const char* name;
  SectionStirrupInput in;
  bool option1;
  std::size_t entities;  // with either tie style
  // Closed stirrups drawn in place over (xA, yA)-(xB, yB), then as the detail moved by (dx, dy).
  std::vector<std::tuple<ClosedStirrupMember, Single, Single, Single, Single, Single, Single>> hoops;
  Integer bars[2];       // the bar counts of the width row and of the depth row
  bool split[2];
  Single offset[2];
};

// The drawing the dispatcher must make, built from the family members directly.
Drawing Expected(const Scenario& c, bool tangent) {
  const SectionStirrupInput& in = c.in;
  const bool wide = in.W > in.D;
  test::Sheet e;
  for (const auto& [member, xA, yA, xB, yB, dx, dy] : c.hoops) {
    // dA at the corners: the width bars' diameter when W <= D, the depth bars' when W > D.
    ClosedStirrupInput s{xA, yA, xB, yB, wide ? in.d2 : in.d1, wide ? in.d1 : in.d2, in.ds};
    DrawClosedStirrup(e.canvas, member, s);
    s.dx = dx, s.dy = dy, s.labelFlag = true;
    DrawClosedStirrup(e.canvas, member, s);
  }
  const TieRowMember rows[2][2][2] = {{{TieRowX3, TieRowY3}, {TieRowX1, TieRowY1}},
                                      {{TieRowX4, TieRowY4}, {TieRowX2, TieRowY2}}};
  for (int r = 0; r < 2; ++r) {
    TieRowInput row;
    row.legCount = r == 0 ? in.s1 : in.s2, row.barCount = c.bars[r];
    row.x0 = in.xi0, row.y0 = in.yi0, row.end = r == 0 ? in.yi1 : in.xi1, row.spacing = r == 0 ? in.sx : in.sy;
    row.d1 = in.d1, row.d2 = in.d2, row.ds = in.ds, row.splitFlag = c.split[r], row.detailOffset = c.offset[r];
    DrawTieRow(e.canvas, rows[wide][tangent][r], row);
  }
  return std::move(e.drawing);
}

TEST(SectionStirrups, DrawsTheExpectedMembersInOrder) {
  const std::vector<Scenario> scenarios = {
      // |Line10Value2| up to 45 keeps c1 = n1, c2 = n2; beyond, only the intermediate bars.
      {"tall, one hoop, Line10Value2 = 45", Section(Shape::Tall, 3, 3, 45), false, 45,
       {{StirrupHookTop, 4, 4, 26, 46, 122, -42}}, {3, 2}, {false, false}, {427, 213.5f}},
      {"square: the hook at the top, Line10Value2 = -45", Section(Shape::Square, 3, 3, -45), false, 45,
       {{StirrupHookTop, 4, 4, 26, 46, 122, -42}}, {3, 2}, {false, false}, {427, 213.5f}},
      {"tall, Line10Value2 = -45.5", Section(Shape::Tall, 3, 3, -45.5f), false, 35,
       {{StirrupHookTop, 4, 4, 26, 46, 122, -42}}, {1, 0}, {false, false}, {427, 213.5f}},
      {"tall, split option but s2 < 4", Section(Shape::Tall, 3, 3), true, 45,
       {{StirrupHookTop, 4, 4, 26, 46, 44, -84}}, {3, 2}, {false, false}, {96.8f, 48.4f}},
      // 23 = the hoop in place (11 strokes) and its detail (11 strokes and the label).
      {"tall, s1 = s2 = 2: only the hoop", Section(Shape::Tall, 2, 2), true, 23,
       {{StirrupHookTop, 4, 4, 26, 46, 44, -84}}, {3, 2}, {false, false}, {96.8f, 48.4f}},
      // Each part spans n2 = 2 spaces of 14 from its own end: yM = 32, yN = 18.
      {"tall, split along the depth", Section(Shape::Tall, 3, 5), true, 68,
       {{StirrupLowerPart, 4, 4, 26, 32, 22, -84}, {StirrupUpperPart, 4, 18, 26, 46, 42, -64}},
       {3, 2}, {false, true}, {96.8f, 48.4f}},
      {"wide, one hoop", Section(Shape::Wide, 3, 3), false, 40,
       {{StirrupHookBottom, 4, 4, 46, 26, 183, -42}}, {3, 1}, {false, false}, {213.5f, 213.5f}},
      {"wide, split option but s1 < 4", Section(Shape::Wide, 3, 3), true, 40,
       {{StirrupHookBottom, 4, 4, 46, 26, 44, -84}}, {3, 1}, {false, false}, {48.4f, 48.4f}},
      // Each part spans 3 spaces of 10.5 from its own side.
      {"wide, split along the width", Section(Shape::Wide, 5, 3), true, 63,
       {{StirrupRightPart, 14.5f, 4, 46, 26, 44, 84}, {StirrupLeftPart, 4, 4, 35.5f, 26, 84, 44}},
       {3, 1}, {true, false}, {96.8f, 96.8f}},
  };
  for (const Scenario& c : scenarios) {
    for (const bool tangent : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (tangent ? ", tangent ties" : ", axis ties"));
      test::Sheet s;
      DrawSectionStirrups(s.canvas, DrawOptions{c.option1, tangent}, c.in);
      test::ExpectEntities(s.drawing, test::ListEntities(Expected(c, tangent)));
      EXPECT_EQ(s.drawing.EntityCount(), c.entities);
    }
  }
}

TEST(SectionStirrups, OverflowStopsTheSectionAndKeepsWhatWasDrawn) {
  SectionStirrupInput in = Section(Shape::Tall, 3, 3);
  in.xi1 = 20000, in.yi1 = 20000;  // the hoop's cut length leaves 16 bits
  test::Sheet s;
  EXPECT_THROW(DrawSectionStirrups(s.canvas, DrawOptions{}, in), RuntimeError);
  EXPECT_EQ(s.drawing.EntityCount(), 22u);  // the hoop in place and the strokes of its detail
}

}  // namespace
}  // namespace tessaro
