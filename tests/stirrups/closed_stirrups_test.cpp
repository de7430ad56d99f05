// The closed stirrups: the worked hoop stroke by stroke, the stroke order of every member,
// that every side meets its corner arcs, the label spacers and points, and the cut lengths.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "stirrups/closed_stirrups.h"
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

// Bars at (0, 0) and (30, 50).
ClosedStirrupInput Hoop(Single dA, Single dB) {
  ClosedStirrupInput in;
  in.xA = 0, in.yA = 0, in.xB = 30, in.yB = 50;
  in.dA = dA, in.dB = dB, in.ds = 0.8f;
  return in;
}

TEST(ClosedStirrup, HookTopOfTheWorkedExample) {
  Fixture f;
  ClosedStirrupInput in = Hoop(2, 2);
  in.labelFlag = true;
  DrawClosedStirrup(f.canvas, ClosedStirrupMember::StirrupHookTop, in);
  ExpectEntities(f.drawing, {
      "LINE c3 (0, -1)-(30, -1)",
      "LINE c3 (31, 0)-(31, 50)",
      "LINE c3 (30, 51)-(0, 51)",
      "LINE c3 (-1, 50)-(-1, 0)",
      "ARC c3 (0, 0) r1 180..270",
      "ARC c3 (30, 0) r1 270..0",
      "ARC c3 (0, 50) r1 90..180",
      "ARC c3 (30, 50) r1 0..135",
      "ARC c3 (30, 50) r1 -45..90",
      "LINE c3 (31, 50)-(31, 42)",
      "LINE c3 (29, 50)-(29, 42)",
      "TEXT c6 h8 (0, -10) \"  \xC3\x98" "8   L = 182\" Arial",
  });
}

TEST(ClosedStirrup, DisplacementMovesTheWholeShape) {
  Fixture f;
  ClosedStirrupInput in = Hoop(2, 2);
  in.dx = 100;
  in.dy = -50;
  in.labelFlag = true;
  DrawClosedStirrup(f.canvas, ClosedStirrupMember::StirrupHookTop, in);
  const std::vector<std::string> lines = DescribeAll(f.drawing);
  EXPECT_EQ(lines[0], "LINE c3 (100, -51)-(130, -51)");
  EXPECT_EQ(lines[8], "ARC c3 (130, 0) r1 -45..90");
  EXPECT_EQ(lines[11], "TEXT c6 h8 (100, -60) \"  \xC3\x98" "8   L = 182\" Arial");
}

TEST(ClosedStirrup, HookBottomHasItsHookAtTheLowerRight) {
  Fixture f;
  DrawClosedStirrup(f.canvas, ClosedStirrupMember::StirrupHookBottom, Hoop(2, 2));
  ExpectEntities(f.drawing, {
      "LINE c3 (0, -1)-(30, -1)",
      "LINE c3 (31, 0)-(31, 50)",
      "LINE c3 (30, 51)-(0, 51)",
      "LINE c3 (-1, 50)-(-1, 0)",
      "ARC c3 (30, 50) r1 0..90",
      "ARC c3 (0, 0) r1 180..270",
      "ARC c3 (0, 50) r1 90..180",
      "ARC c3 (30, 0) r1 270..45",
      "ARC c3 (30, 0) r1 225..0",
      "LINE c3 (31, 0)-(31, 8)",
      "LINE c3 (29, 0)-(29, 8)",
  });
}

TEST(ClosedStirrup, LeftPartTurnsRoundTheInnerBarsOnItsRight) {
  // rA = 1.2 at the left corners, rB = 0.8 at the right: q = 0.4.
  Fixture f;
  DrawClosedStirrup(f.canvas, ClosedStirrupMember::StirrupLeftPart, Hoop(2.4f, 1.6f));
  ExpectEntities(f.drawing, {
      "LINE c3 (0, -1.2)-(30, -1.2)",
      "LINE c3 (30.8, -0.4)-(30.8, 50.4)",
      "LINE c3 (30, 51.2)-(0, 51.2)",
      "LINE c3 (-1.2, 50)-(-1.2, 0)",
      "ARC c3 (0, 0) r1.2 135..270",
      "ARC c3 (0, 0) r1.2 180..-45",
      "ARC c3 (30, -0.4) r0.8 270..0",
      "ARC c3 (30, 50.4) r0.8 0..90",
      "ARC c3 (0, 50) r1.2 90..180",
      "LINE c3 (-1.2, 0)-(-1.2, 8)",
      "LINE c3 (1.2, 0)-(1.2, 8)",
  });
}

TEST(ClosedStirrup, WithoutLabelEveryMemberDrawsFourSidesFiveArcsTwoTails) {
  for (const ClosedStirrupMember m : kAllClosedStirrups) {
    SCOPED_TRACE(ClosedStirrupName(m));
    Fixture f;
    DrawClosedStirrup(f.canvas, m, Hoop(2.4f, 1.6f));
    EXPECT_EQ(TypeSequence(f.drawing), "LINE LINE LINE LINE ARC ARC ARC ARC ARC LINE LINE");
    for (const EntityHeader& e : f.drawing.Entities()) EXPECT_EQ(e.color, 3);
  }
}

// Where an arc starts or ends.
std::vector<Point2d> ArcEnds(const ArcGeometry& a) {
  const double kDeg = 3.14159265358979 / 180;
  return {{a.center.x + a.radius * std::cos(a.startAngle * kDeg), a.center.y + a.radius * std::sin(a.startAngle * kDeg)},
          {a.center.x + a.radius * std::cos(a.endAngle * kDeg), a.center.y + a.radius * std::sin(a.endAngle * kDeg)}};
}

TEST(ClosedStirrup, EverySideEndsWhereACornerArcEnds) {
  // With different radii at the corners and the turns, a side that misses its arc shows a
  // corner placed on the wrong bar or a q added on the wrong side.
  const char* const kSideNames[] = {"bottom", "right", "top", "left"};
  for (const ClosedStirrupMember m : kAllClosedStirrups) {
    Fixture f;
    DrawClosedStirrup(f.canvas, m, Hoop(2.4f, 1.6f));
    const auto& entities = f.drawing.Entities();
    std::vector<Point2d> arcEnds;
    for (std::size_t i = 4; i < 9; ++i) {
      for (const Point2d& p : ArcEnds(f.drawing.Arc(entities[i]))) arcEnds.push_back(p);
    }
    for (std::size_t side = 0; side < 4; ++side) {
      const LineGeometry& line = f.drawing.Line(entities[side]);
      for (const Point2d& end : {line.start, line.end}) {
        bool meets = false;
        for (const Point2d& p : arcEnds) meets = meets || std::hypot(p.x - end.x, p.y - end.y) < 1e-4;
        EXPECT_TRUE(meets) << ClosedStirrupName(m) << ": the " << kSideNames[side] << " side end "
                           << test::Pt(end) << " meets no arc";
      }
    }
  }
}

TEST(ClosedStirrup, LabelSpacerAndPointOfEveryMember) {
  // dA = 2.4, dB = 1.6 (q = 0.4); every shape measures L = 184.
  const std::vector<std::tuple<ClosedStirrupMember, std::string, std::string>> expected = {
      {ClosedStirrupMember::StirrupHookTop, "  ", "(0, -10)"},
      {ClosedStirrupMember::StirrupHookBottom, "     ", "(0, -10)"},
      {ClosedStirrupMember::StirrupLowerPart, "     ", "(0, -10)"},
      {ClosedStirrupMember::StirrupUpperPart, "", "(-0.4, 55)"},
      {ClosedStirrupMember::StirrupRightPart, "     ", "(0, 55)"},
      {ClosedStirrupMember::StirrupLeftPart, "", "(0, -10.4)"},
  };
  for (const auto& [m, spacer, point] : expected) {
    SCOPED_TRACE(ClosedStirrupName(m));
    Fixture f;
    ClosedStirrupInput in = Hoop(2.4f, 1.6f);
    in.labelFlag = true;
    in.labelColor = 6;
    DrawClosedStirrup(f.canvas, m, in);
    ASSERT_EQ(f.drawing.EntityCount(), 12u);
    EXPECT_EQ(test::DescribeAll(f.drawing)[11],
              "TEXT c6 h8 " + point + " \"" + spacer + "\xC3\x98" "8   L = 184\" Arial");
  }
}

TEST(ClosedStirrup, CutLengths) {
  // Whole hoop: 2·30 + 2·50 + 16 + CInt(2π·1) = 182.
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookTop, Hoop(2, 2)), 182);
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookBottom, Hoop(2, 2)), 182);
  // Radius 0.75: the whole hoop rounds 2π·0.75 = 4.71 to 5, a split part rounds each
  // π·0.75 = 2.36 to 2, so with q = 0 the parts come out one shorter.
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookTop, Hoop(1.5f, 1.5f)), 181);
  for (const ClosedStirrupMember m : {ClosedStirrupMember::StirrupLowerPart, ClosedStirrupMember::StirrupUpperPart,
                                      ClosedStirrupMember::StirrupRightPart, ClosedStirrupMember::StirrupLeftPart}) {
    SCOPED_TRACE(ClosedStirrupName(m));
    EXPECT_EQ(ClosedStirrupCutLength(m, Hoop(1.5f, 1.5f)), 180);
  }
  // q goes to the width for a split along the depth and to the height for one along the
  // width: q = 1 (dA = 4, dB = 2) gives 2·1 more either way; 2π·2 → 13 vs π·2 + π·1 → 6 + 3.
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookTop, Hoop(4, 2)), 189);
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupLowerPart, Hoop(4, 2)), 187);
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupLeftPart, Hoop(4, 2)), 187);
}

TEST(ClosedStirrup, CutLengthRoundsHalvesToEven) {
  ClosedStirrupInput in = Hoop(2, 2);
  in.xB = 30.25f;  // 60.5 + 100 + 16 + 6 = 182.5
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookTop, in), 182);
  in.xB = 31.25f;  // 184.5
  EXPECT_EQ(ClosedStirrupCutLength(ClosedStirrupMember::StirrupHookTop, in), 184);
}

TEST(ClosedStirrup, CutLengthOverflowKeepsTheElevenStrokes) {
  Fixture f;
  ClosedStirrupInput in = Hoop(2, 2);
  in.xB = 10000, in.yB = 10000;
  in.labelFlag = true;
  try {
    DrawClosedStirrup(f.canvas, ClosedStirrupMember::StirrupHookTop, in);
    FAIL() << "L = 40022 should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(f.drawing.EntityCount(), 11u);
}

}  // namespace
}  // namespace tessaro
