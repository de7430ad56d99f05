// The stirrup dispatcher: for a section narrower than deep and one wider than deep, with
// the split option off and on and either tie style, which closed stirrups and tie rows are
// drawn, with which inputs, how many entities that makes and where the details land.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "stirrups/closed_stirrups.h"
#include "stirrups/section_stirrups.h"
#include "stirrups/tie_rows.h"
#include "entity_text.h"

namespace tessaro {
namespace {

using CSM = ClosedStirrupMember;
using TRM = TieRowMember;

// W <= D: corner bars (4, 4) and (26, 46), w = 22, h = 42; 3 bars along the width every
// 11, 2 along the depth every 14. Offsets: A = 122, B = -42, T = 427; A2 = 44, B2 = -84,
// T2 = 96.8. Row counts c1 = 3, c2 = 2.
SectionStirrupInput Tall(Integer s2) {
  SectionStirrupInput in;
  in.xi0 = 4, in.yi0 = 4, in.xi1 = 26, in.yi1 = 46;
  in.s1 = 3, in.s2 = s2;
  in.n1 = 3, in.n2 = 2;
  in.d1 = 1.6f, in.d2 = 1.4f, in.ds = 0.8f;
  in.W = 30, in.D = 50;
  in.sx = 11, in.sy = 14;
  return in;
}

// W > D: corner bars (4, 4) and (46, 26), w = 42, h = 22, the same offsets; 5 bars along
// the width every 10.5, 3 along the depth every 11. Row counts c1 = 3, c2 = 1.
SectionStirrupInput Wide(Integer s1) {
  SectionStirrupInput in;
  in.xi0 = 4, in.yi0 = 4, in.xi1 = 46, in.yi1 = 26;
  in.s1 = s1, in.s2 = 3;
  in.n1 = 5, in.n2 = 3;
  in.d1 = 1.6f, in.d2 = 1.4f, in.ds = 0.8f;
  in.W = 50, in.D = 30;
  in.sx = 10.5f, in.sy = 11;
  return in;
}

// The same drawing built by calling the family members directly, in the order and with
// the inputs the dispatcher must use.
struct Expected {
  explicit Expected(const SectionStirrupInput& input) : in(input) {}

  const SectionStirrupInput& in;
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};

  void StirrupTwice(CSM member, Single xA, Single yA, Single xB, Single yB, Single dA, Single dB, Single detailDx,
                    Single detailDy) {
    ClosedStirrupInput s{xA, yA, xB, yB, dA, dB, in.ds, 0, 0, false, 3, 6, 8};
    DrawClosedStirrup(canvas, member, s);
    s.dx = detailDx, s.dy = detailDy, s.labelFlag = true;
    DrawClosedStirrup(canvas, member, s);
  }

  void Row(TRM member, Integer legCount, Integer barCount, Single end, Single spacing, bool split, Single offset) {
    TieRowInput r;
    r.legCount = legCount, r.barCount = barCount;
    r.x0 = in.xi0, r.y0 = in.yi0, r.end = end, r.spacing = spacing;
    r.d1 = in.d1, r.d2 = in.d2, r.ds = in.ds;
    r.tieColor = 21, r.labelColor = 6, r.splitFlag = split, r.textHeight = 8, r.detailOffset = offset;
    DrawTieRow(canvas, member, r);
  }
};

struct Scenario {
  const char* name;
  SectionStirrupInput input;
  bool option1;
  std::size_t entityCount;  // the same for both tie styles
  std::function<void(Expected&, bool tangent)> calls;
};

std::vector<Scenario> Scenarios() {
  return {
      {"TallOneHoop", Tall(3), false, 45,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookTop, 4, 4, 26, 46, 1.6f, 1.4f, 122, -42);
         e.Row(tangent ? TRM::TieRowX1 : TRM::TieRowX3, 3, 3, 46, 11, false, 427);
         e.Row(tangent ? TRM::TieRowY1 : TRM::TieRowY3, 3, 2, 26, 14, false, 213.5f);
       }},
      {"TallOneHoopTooManyDepthLegs", Tall(5), false, 40,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookTop, 4, 4, 26, 46, 1.6f, 1.4f, 122, -42);
         e.Row(tangent ? TRM::TieRowX1 : TRM::TieRowX3, 3, 3, 46, 11, false, 427);
         e.Row(tangent ? TRM::TieRowY1 : TRM::TieRowY3, 5, 2, 26, 14, false, 213.5f);
       }},
      {"TallSplitOptionButTooFewDepthLegs", Tall(3), true, 45,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookTop, 4, 4, 26, 46, 1.6f, 1.4f, 44, -84);
         e.Row(tangent ? TRM::TieRowX1 : TRM::TieRowX3, 3, 3, 46, 11, false, 96.8f);
         e.Row(tangent ? TRM::TieRowY1 : TRM::TieRowY3, 3, 2, 26, 14, false, 48.4f);
       }},
      {"TallSplitAlongTheDepth", Tall(5), true, 68,
       [](Expected& e, bool tangent) {
         // Each part spans n2 = 2 spaces of 14 from its own end: yM = 32, yN = 18.
         e.StirrupTwice(CSM::StirrupLowerPart, 4, 4, 26, 32, 1.6f, 1.4f, 22, -84);
         e.StirrupTwice(CSM::StirrupUpperPart, 4, 18, 26, 46, 1.6f, 1.4f, 42, -64);
         e.Row(tangent ? TRM::TieRowX1 : TRM::TieRowX3, 3, 3, 46, 11, false, 96.8f);
         e.Row(tangent ? TRM::TieRowY1 : TRM::TieRowY3, 5, 2, 26, 14, true, 48.4f);
       }},
      {"WideOneHoop", Wide(3), false, 40,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookBottom, 4, 4, 46, 26, 1.4f, 1.6f, 183, -42);
         e.Row(tangent ? TRM::TieRowX2 : TRM::TieRowX4, 3, 3, 26, 10.5f, false, 213.5f);
         e.Row(tangent ? TRM::TieRowY2 : TRM::TieRowY4, 3, 1, 46, 11, false, 213.5f);
       }},
      {"WideOneHoopFiveWidthLegs", Wide(5), false, 50,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookBottom, 4, 4, 46, 26, 1.4f, 1.6f, 183, -42);
         e.Row(tangent ? TRM::TieRowX2 : TRM::TieRowX4, 5, 3, 26, 10.5f, false, 213.5f);
         e.Row(tangent ? TRM::TieRowY2 : TRM::TieRowY4, 3, 1, 46, 11, false, 213.5f);
       }},
      {"WideSplitOptionButTooFewWidthLegs", Wide(3), true, 40,
       [](Expected& e, bool tangent) {
         e.StirrupTwice(CSM::StirrupHookBottom, 4, 4, 46, 26, 1.4f, 1.6f, 44, -84);
         e.Row(tangent ? TRM::TieRowX2 : TRM::TieRowX4, 3, 3, 26, 10.5f, false, 48.4f);
         e.Row(tangent ? TRM::TieRowY2 : TRM::TieRowY4, 3, 1, 46, 11, false, 48.4f);
       }},
      {"WideSplitAlongTheWidth", Wide(5), true, 63,
       [](Expected& e, bool tangent) {
         // Each part spans 3 spaces of 10.5 = 31.5 from its own side.
         e.StirrupTwice(CSM::StirrupRightPart, 14.5f, 4, 46, 26, 1.4f, 1.6f, 44, 84);
         e.StirrupTwice(CSM::StirrupLeftPart, 4, 4, 35.5f, 26, 1.4f, 1.6f, 84, 44);
         e.Row(tangent ? TRM::TieRowX2 : TRM::TieRowX4, 5, 3, 26, 10.5f, true, 96.8f);
         e.Row(tangent ? TRM::TieRowY2 : TRM::TieRowY4, 3, 1, 46, 11, false, 96.8f);
       }},
  };
}

struct Case {
  Scenario scenario;
  bool tangent;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.scenario.name << (c.tangent ? ", tangent ties" : ", axis ties");
}

class Dispatch : public ::testing::TestWithParam<Case> {};

TEST_P(Dispatch, DrawsTheExpectedMembersInOrder) {
  const Case& c = GetParam();
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  DrawSectionStirrups(canvas, DrawOptions{c.scenario.option1, c.tangent}, c.scenario.input);

  Expected expected{c.scenario.input};
  c.scenario.calls(expected, c.tangent);
  test::ExpectSameDrawing(drawing, expected.drawing);
  EXPECT_EQ(drawing.EntityCount(), c.scenario.entityCount);
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (const Scenario& s : Scenarios()) {
    cases.push_back({s, true});
    cases.push_back({s, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Sections, Dispatch, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.scenario.name) +
                                  (info.param.tangent ? "_TangentTies" : "_AxisTies");
                         });

std::vector<std::string> LabelPoints(const Drawing& d) {
  std::vector<std::string> points;
  for (const EntityHeader& e : d.Entities()) {
    if (e.type == EntityType::Text) points.push_back(test::Pt(d.Text(e).position) + " " + d.Text(e).value);
  }
  return points;
}

TEST(SectionStirrups, DetailsOfATallSectionLandBesideIt) {
  // Hoop detail at (A, B) = (122, -42); both tie details near x = 26 + T / 2 = 239.5.
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  DrawSectionStirrups(canvas, DrawOptions{false, false}, Tall(3));
  EXPECT_EQ(LabelPoints(drawing), (std::vector<std::string>{
                                      "(126, -48)   \xC3\x98" "8   L = 149",
                                      "(239.5, 65)  1\xC3\x98" "8   L = 63 (zone critiche)",
                                      "(239.6, 24)  1\xC3\x98" "8   L = 43 (zone critiche)",
                                  }));
}

TEST(SectionStirrups, SplitAlongTheWidthGivesBothRowsTheWholeOffset) {
  // Width detail at the final index 3: x = 4 + 3 * 10.5 + T2 = 132.3 (tangent label at x - R).
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  DrawSectionStirrups(canvas, DrawOptions{true, true}, Wide(5));
  const std::vector<std::string> labels = LabelPoints(drawing);
  ASSERT_EQ(labels.size(), 4u);
  EXPECT_EQ(labels[2].substr(0, labels[2].find(')') + 1), "(131.45, 5)");
  // The depth detail on the corner row y = 4 + 0: x from 4 + 96.8 to 46 + 96.8.
  EXPECT_EQ(labels[3].substr(0, labels[3].find(')') + 1), "(142.8, 44)");
}

TEST(SectionStirrups, SquareSectionUsesTheHookAtTheTop) {
  SectionStirrupInput in = Tall(3);
  in.W = 40, in.D = 40;
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  DrawSectionStirrups(canvas, DrawOptions{}, in);
  EXPECT_EQ(test::Describe(drawing, drawing.Entities()[8]), "ARC c3 (26, 46) r0.8 -45..90");
}

TEST(SectionStirrups, OuterStirrupOnlyDrawsTheHoopAndItsDetail) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "W > D" : "W <= D");
    SectionStirrupInput in = wide ? Wide(2) : Tall(2);
    in.s1 = 2, in.s2 = 2;
    Drawing drawing;
    Canvas canvas{drawing, NumberFormat{}};
    DrawSectionStirrups(canvas, DrawOptions{true, true}, in);
    EXPECT_EQ(drawing.EntityCount(), 23u);
    for (const EntityHeader& e : drawing.Entities()) EXPECT_NE(e.color, 21);
  }
}

TEST(SectionStirrups, PieceValueOfFortyFiveStillCountsTheCornerBars) {
  struct ValueCase {
    Single line10Value2;
    std::size_t entities;
  };
  // 45: c1 = 3, c2 = 2 as without it (45 entities). Beyond 45 either way: c1 = 1, c2 = 0,
  // both rows have more legs than bars and draw only their details (35).
  for (const ValueCase& v : {ValueCase{45, 45}, ValueCase{-45, 45}, ValueCase{45.5f, 35}, ValueCase{-45.5f, 35}}) {
    SCOPED_TRACE("Line10Value2 = " + std::to_string(v.line10Value2));
    SectionStirrupInput in = Tall(3);
    in.line10Value2 = v.line10Value2;
    Drawing drawing;
    Canvas canvas{drawing, NumberFormat{}};
    DrawSectionStirrups(canvas, DrawOptions{}, in);
    EXPECT_EQ(drawing.EntityCount(), v.entities);
  }
}

TEST(SectionStirrups, OverflowStopsTheSectionAndKeepsWhatWasDrawn) {
  SectionStirrupInput in = Tall(3);
  in.xi1 = 20000, in.yi1 = 20000;  // the hoop's cut length leaves 16 bits
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  try {
    DrawSectionStirrups(canvas, DrawOptions{}, in);
    FAIL() << "the hoop's cut length should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(drawing.EntityCount(), 22u);  // the hoop in place and the strokes of its detail
}

}  // namespace
}  // namespace tessaro
