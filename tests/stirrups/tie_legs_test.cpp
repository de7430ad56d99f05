// The tie legs: the strokes of each style in draw order, the worked cut lengths, label texts
// with their spacers, where the displacement goes, and the failures that stop a leg.
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "stirrups/tie_legs.h"
#include "entity_text.h"

namespace tessaro {
namespace {

using test::DescribeAll;
using test::ExpectEntities;
using test::TypeSequence;

struct Fixture {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
};

// A vertical leg between bars at (10, 0) and (10, 40), diameters 1.6 (R = 0.85).
TieLegInput Vertical(Single d1 = 1.6f, Single d2 = 1.6f) {
  TieLegInput in;
  in.xA = 10, in.yA = 0, in.xB = 10, in.yB = 40;
  in.d1 = d1, in.d2 = d2, in.ds = 0.8f;
  return in;
}

// A horizontal leg between bars at (0, 10) and (40, 10).
TieLegInput Horizontal(Single d1 = 1.6f, Single d2 = 1.6f) {
  TieLegInput in = Vertical(d1, d2);
  in.xA = 0, in.yA = 10, in.xB = 40, in.yB = 10;
  return in;
}

bool IsVertical(TieLegMember m) { return std::string(TieLegName(m)).find('V') != std::string::npos; }

TEST(TieLeg, VerticalTangentLegOfTheWorkedExample) {
  Fixture f;
  TieLegInput in = Vertical();
  in.labelFlag = true;
  in.labelCount = 2;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV1, in);
  ExpectEntities(f.drawing, {
      "ARC c21 (10, 0) r0.85 -180..-20",
      "LINE c21 (10.85, 0)-(10.85, 8)",
      "LINE c21 (9.15, 0)-(9.15, 40)",
      "ARC c21 (10, 40) r0.85 20..180",
      "LINE c21 (10.85, 40)-(10.85, 32)",
      "TEXT c6 h8 (9.15, 20) \" 2\xC3\x98" "8   L = 61 (zone critiche)\" Arial",
  });
}

TEST(TieLeg, VerticalAxisLegHasItsHooksBesideTheBars) {
  Fixture f;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV3, Vertical());
  ExpectEntities(f.drawing, {
      "ARC c21 (9.15, 0) r0.85 -160..0",
      "LINE c21 (8.3, 0)-(8.3, 8)",
      "LINE c21 (10, 0)-(10, 40)",
      "ARC c21 (10.85, 40) r0.85 20..180",
      "LINE c21 (11.7, 40)-(11.7, 32)",
  });
}

TEST(TieLeg, HorizontalTangentLegRunsAlongTheTopOfTheBars) {
  Fixture f;
  DrawTieLeg(f.canvas, TieLegMember::TieLegH2, Horizontal());
  ExpectEntities(f.drawing, {
      "ARC c21 (0, 10) r0.85 90..250",
      "LINE c21 (0, 9.15)-(8, 9.15)",
      "LINE c21 (0, 10.85)-(40, 10.85)",
      "ARC c21 (40, 10) r0.85 290..90",
      "LINE c21 (40, 9.15)-(32, 9.15)",
  });
}

TEST(TieLeg, HorizontalAxisLegHasTheLeftHookAboveAndTheRightBelow) {
  Fixture f;
  DrawTieLeg(f.canvas, TieLegMember::TieLegH4, Horizontal());
  ExpectEntities(f.drawing, {
      "ARC c21 (0, 10.85) r0.85 110..270",
      "LINE c21 (0, 11.7)-(8, 11.7)",
      "LINE c21 (0, 10)-(40, 10)",
      "ARC c21 (40, 9.15) r0.85 -70..90",
      "LINE c21 (40, 8.3)-(32, 8.3)",
  });
}

TEST(TieLeg, WithoutLabelEveryMemberDrawsTwoHooksTwoTailsAndTheLeg) {
  for (const TieLegMember m : kAllTieLegs) {
    SCOPED_TRACE(TieLegName(m));
    Fixture f;
    DrawTieLeg(f.canvas, m, IsVertical(m) ? Vertical(2.0f, 1.2f) : Horizontal(2.0f, 1.2f));
    EXPECT_EQ(TypeSequence(f.drawing), "ARC LINE LINE ARC LINE");
    for (const EntityHeader& e : f.drawing.Entities()) EXPECT_EQ(e.color, 21);
  }
}

TEST(TieLeg, LabelSpacerCountDiameterAndLengthOfEveryMember) {
  // Equal diameters: no extension, every leg is 40 long and L = 40 + 16 + 5 = 61.
  const std::vector<std::pair<TieLegMember, std::string>> expected = {
      {TieLegMember::TieLegV1, " "}, {TieLegMember::TieLegV2, "  "}, {TieLegMember::TieLegV3, " "},
      {TieLegMember::TieLegV4, "  "}, {TieLegMember::TieLegH1, "  "}, {TieLegMember::TieLegH2, "  "},
      {TieLegMember::TieLegH3, " "}, {TieLegMember::TieLegH4, " "},
  };
  for (const auto& [m, spacer] : expected) {
    SCOPED_TRACE(TieLegName(m));
    Fixture f;
    TieLegInput in = IsVertical(m) ? Vertical() : Horizontal();
    in.labelFlag = true;
    in.labelCount = 3;
    in.ds = 1;
    in.labelColor = 6;
    in.textHeight = 5;
    DrawTieLeg(f.canvas, m, in);
    ASSERT_EQ(f.drawing.EntityCount(), 6u);
    const EntityHeader& label = f.drawing.Entities()[5];
    ASSERT_EQ(label.type, EntityType::Text);
    EXPECT_EQ(f.drawing.Text(label).value, spacer + "3\xC3\x98" "10   L = 61 (zone critiche)");
    EXPECT_EQ(f.drawing.Text(label).height, 5);
    EXPECT_EQ(f.drawing.Text(label).style, "Arial");
    EXPECT_EQ(label.color, 6);
  }
}

TEST(TieLeg, LabelOfTheSixtyThreeExample) {
  // Leg 42, R = 0.85, two legs of 8 mm: L = CInt(42 + 16 + CInt(5.34)) = 63.
  Fixture f;
  TieLegInput in = Vertical();
  in.yB = 42;
  in.labelFlag = true;
  in.labelCount = 2;
  in.ds = 0.8f;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV1, in);
  EXPECT_EQ(f.drawing.Text(f.drawing.Entities()[5]).value, " 2\xC3\x98" "8   L = 63 (zone critiche)");
}

TEST(TieLeg, DiameterUsesTheCanvasDecimalSeparator) {
  Fixture f;
  f.canvas.numbers = NumberFormat::WithSeparator(',');
  TieLegInput in = Vertical();
  in.labelFlag = true;
  in.labelCount = 1;
  in.ds = 0.65f;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV1, in);
  EXPECT_EQ(f.drawing.Text(f.drawing.Entities()[5]).value, " 1\xC3\x98" "6,5   L = 61 (zone critiche)");
}

TEST(TieLeg, CutLengthRoundsHalvesToEven) {
  EXPECT_EQ(TieLegCutLength(40, 0.85f), 61);
  EXPECT_EQ(TieLegCutLength(42, 0.85f), 63);
  EXPECT_EQ(TieLegCutLength(40.5f, 0.85f), 62);  // 61.5
  EXPECT_EQ(TieLegCutLength(41.5f, 0.85f), 62);  // 62.5
  EXPECT_EQ(TieLegCutLength(40, 0.75f), 61);     // CInt(4.71) = 5
}

TEST(TieLeg, ExtendingMembersReachPastTheBarAxesByHalfTheDiameterDifference) {
  // d1 = 2.0, d2 = 1.2: e = 0.4, vertical R = 1.05, horizontal R = 0.65.
  Fixture f;
  TieLegInput in = Vertical(2.0f, 1.2f);
  in.labelFlag = true;
  in.labelCount = 1;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV2, in);
  const std::vector<std::string> lines = DescribeAll(f.drawing);
  EXPECT_EQ(lines[0], "ARC c21 (10, -0.4) r1.05 -180..-20");
  EXPECT_EQ(lines[2], "LINE c21 (8.95, -0.4)-(8.95, 40.4)");
  // L = CInt(40.8 + 16 + CInt(6.6)) = 64.
  EXPECT_EQ(lines[5], "TEXT c6 h8 (8.95, 20) \"  1\xC3\x98" "8   L = 64 (zone critiche)\" Arial");

  Fixture g;
  DrawTieLeg(g.canvas, TieLegMember::TieLegH3, Horizontal(2.0f, 1.2f));
  EXPECT_EQ(DescribeAll(g.drawing)[2], "LINE c21 (-0.4, 10)-(40.4, 10)");
}

TEST(TieLeg, WithEqualDiametersExtendingMembersDrawTheSameLegAsTheirTwins) {
  const std::vector<std::pair<TieLegMember, TieLegMember>> twins = {
      {TieLegMember::TieLegV1, TieLegMember::TieLegV2}, {TieLegMember::TieLegV3, TieLegMember::TieLegV4},
      {TieLegMember::TieLegH2, TieLegMember::TieLegH1}, {TieLegMember::TieLegH4, TieLegMember::TieLegH3}};
  for (const auto& [plain, extending] : twins) {
    SCOPED_TRACE(std::string(TieLegName(plain)) + " vs " + TieLegName(extending));
    Fixture a, b;
    const TieLegInput in = IsVertical(plain) ? Vertical() : Horizontal();
    DrawTieLeg(a.canvas, plain, in);
    DrawTieLeg(b.canvas, extending, in);
    EXPECT_EQ(DescribeAll(a.drawing), DescribeAll(b.drawing));
  }
}

TEST(TieLeg, VerticalOnesAndThreesUseHalfTheHorizontalDisplacement) {
  const std::vector<std::pair<TieLegMember, const char*>> expectedLeg = {
      {TieLegMember::TieLegV1, "LINE c21 (59.15, -10)-(59.15, 30)"},
      {TieLegMember::TieLegV2, "LINE c21 (109.15, -10)-(109.15, 30)"},
      {TieLegMember::TieLegV3, "LINE c21 (60, -10)-(60, 30)"},
      {TieLegMember::TieLegV4, "LINE c21 (110, -10)-(110, 30)"},
      {TieLegMember::TieLegH1, "LINE c21 (100, 0.85)-(140, 0.85)"},
      {TieLegMember::TieLegH2, "LINE c21 (100, 0.85)-(140, 0.85)"},
      {TieLegMember::TieLegH3, "LINE c21 (100, 0)-(140, 0)"},
      {TieLegMember::TieLegH4, "LINE c21 (100, 0)-(140, 0)"},
  };
  for (const auto& [m, leg] : expectedLeg) {
    SCOPED_TRACE(TieLegName(m));
    Fixture f;
    TieLegInput in = IsVertical(m) ? Vertical() : Horizontal();
    in.dx = 100;
    in.dy = -10;
    DrawTieLeg(f.canvas, m, in);
    EXPECT_EQ(DescribeAll(f.drawing)[2], leg);
  }
}

TEST(TieLeg, ZeroLengthInPlaceAxisLegFailsBeforeDrawing) {
  for (const TieLegMember m : {TieLegMember::TieLegV3, TieLegMember::TieLegH4}) {
    SCOPED_TRACE(TieLegName(m));
    Fixture f;
    TieLegInput in = Vertical();
    in.xB = in.xA, in.yB = in.yA;
    try {
      DrawTieLeg(f.canvas, m, in);
      FAIL() << "the inclination of a zero-length leg divides by zero";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::DivisionByZero);
    }
    EXPECT_EQ(f.drawing.EntityCount(), 0u);
  }
}

TEST(TieLeg, ZeroLengthDetailCopyOrTangentLegIsDrawn) {
  Fixture f;
  TieLegInput in = Vertical();
  in.yB = in.yA;
  in.regularFlag = false;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV3, in);
  in.regularFlag = true;
  DrawTieLeg(f.canvas, TieLegMember::TieLegV1, in);
  EXPECT_EQ(f.drawing.EntityCount(), 10u);
}

TEST(TieLeg, CutLengthOverflowKeepsTheStrokesAlreadyDrawn) {
  Fixture f;
  TieLegInput in = Vertical();
  in.yB = 40000;
  in.labelFlag = true;
  try {
    DrawTieLeg(f.canvas, TieLegMember::TieLegV1, in);
    FAIL() << "L beyond 32767 should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(TypeSequence(f.drawing), "ARC LINE LINE ARC LINE");
}

TEST(TieLeg, NonFiniteCoordinateRaisesBeforeDrawing) {
  Fixture f;
  TieLegInput in = Vertical();
  in.dy = std::numeric_limits<Single>::infinity();
  EXPECT_THROW(DrawTieLeg(f.canvas, TieLegMember::TieLegV2, in), RuntimeError);
  EXPECT_EQ(f.drawing.EntityCount(), 0u);
}

}  // namespace
}  // namespace tessaro
