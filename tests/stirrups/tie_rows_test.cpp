// The tie rows: where the in-place legs go, where the detail copy lands and what its label
// counts, and the rows that draw nothing or only the detail.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "stirrups/tie_rows.h"
#include "entity_text.h"

namespace tessaro {
namespace {

using test::DescribeAll;

struct Fixture {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
};

// Corner bars at (0, 0) and (40, 40), bars every 10 cm, all of 1.6 (hook radius 0.85).
TieRowInput Row(Integer legCount, Integer barCount) {
  TieRowInput in;
  in.legCount = legCount;
  in.barCount = barCount;
  in.x0 = 0, in.y0 = 0;
  in.end = 40;
  in.spacing = 10;
  in.d1 = 1.6f, in.d2 = 1.6f, in.ds = 0.8f;
  in.detailOffset = 200;
  return in;
}

// The leg line of every leg drawn: each leg is five strokes (the leg third), its detail
// copy a sixth, the label.
std::vector<std::string> LegLines(const Drawing& d) {
  std::vector<std::string> legs;
  const std::vector<std::string> all = DescribeAll(d);
  for (std::size_t i = 0; i + 2 < all.size();) {
    legs.push_back(all[i + 2]);
    i += 5;
    if (i < all.size() && d.Entities()[i].type == EntityType::Text) ++i;
  }
  return legs;
}

std::vector<std::string> Labels(const Drawing& d) {
  std::vector<std::string> texts;
  for (const EntityHeader& e : d.Entities()) {
    if (e.type == EntityType::Text) texts.push_back(d.Text(e).value);
  }
  return texts;
}

TEST(TieRow, WideSectionRowWithTwoLegsOverThreeBars) {
  // k = 4 - 2 = 2, m = 3: legs at bars 1 and 3, the detail at the final index 4, moved by
  // the whole offset (TieLegV2) and 10 down.
  Fixture f;
  DrawTieRow(f.canvas, TieRowMember::TieRowX2, Row(4, 3));
  EXPECT_EQ(LegLines(f.drawing), (std::vector<std::string>{
                                     "LINE c21 (9.15, 0)-(9.15, 40)",
                                     "LINE c21 (29.15, 0)-(29.15, 40)",
                                     "LINE c21 (239.15, -10)-(239.15, 30)",
                                 }));
  EXPECT_EQ(Labels(f.drawing), std::vector<std::string>{"  2\xC3\x98" "8   L = 61 (zone critiche)"});
  EXPECT_EQ(f.drawing.EntityCount(), 16u);
}

TEST(TieRow, MoreLegsPlacedThanTheLabelCounts) {
  // k = 2, m = 6: legs at 2, 4 and 5 while the label says 2.
  Fixture f;
  DrawTieRow(f.canvas, TieRowMember::TieRowX4, Row(4, 6));
  EXPECT_EQ(LegLines(f.drawing), (std::vector<std::string>{
                                     "LINE c21 (20, 0)-(20, 40)",
                                     "LINE c21 (40, 0)-(40, 40)",
                                     "LINE c21 (50, 0)-(50, 40)",
                                     "LINE c21 (260, -10)-(260, 30)",
                                 }));
  ASSERT_EQ(Labels(f.drawing).size(), 1u);
  EXPECT_EQ(Labels(f.drawing)[0].substr(0, 3), "  2");
}

TEST(TieRow, DepthRowsOfTheFirstKindPutTheDetailOnTheCornerRow) {
  // TieRowY1: k = 2, m = 5 (d = 3): legs at 2 and 4; detail at index 0, moved (200, 20).
  Fixture f;
  DrawTieRow(f.canvas, TieRowMember::TieRowY1, Row(4, 5));
  EXPECT_EQ(LegLines(f.drawing), (std::vector<std::string>{
                                     "LINE c21 (0, 20.85)-(40, 20.85)",
                                     "LINE c21 (0, 40.85)-(40, 40.85)",
                                     "LINE c21 (200, 20.85)-(240, 20.85)",
                                 }));
  EXPECT_EQ(Labels(f.drawing), std::vector<std::string>{"  2\xC3\x98" "8   L = 61 (zone critiche)"});
}

TEST(TieRow, DetailIndexAndOffsetOfEveryMember) {
  // legCount 3, barCount 3. Rows counting m = barCount - 2 get k = 1, m = 1: leg at 1,
  // final 2; the others k = 1, m = 3: leg at 2, final 3. Detail label point by member.
  struct Case {
    TieRowMember member;
    const char* detailLeg;
  };
  const std::vector<Case> cases = {
      {TieRowMember::TieRowX1, "LINE c21 (119.15, 40)-(119.15, 80)"},   // x 20 + 200/2, dy 40
      {TieRowMember::TieRowX2, "LINE c21 (229.15, -10)-(229.15, 30)"},  // x 30 + 200, dy -10
      {TieRowMember::TieRowX3, "LINE c21 (120, 40)-(120, 80)"},
      {TieRowMember::TieRowX4, "LINE c21 (230, -10)-(230, 30)"},
      {TieRowMember::TieRowY1, "LINE c21 (200, 20.85)-(240, 20.85)"},  // index 0, dy 20
      {TieRowMember::TieRowY2, "LINE c21 (200, 60.85)-(240, 60.85)"},  // y 20, dy 40
      {TieRowMember::TieRowY3, "LINE c21 (200, 20)-(240, 20)"},
      {TieRowMember::TieRowY4, "LINE c21 (200, 60)-(240, 60)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TieRowName(c.member));
    Fixture f;
    DrawTieRow(f.canvas, c.member, Row(3, 3));
    ASSERT_EQ(f.drawing.EntityCount(), 11u);
    EXPECT_EQ(DescribeAll(f.drawing)[7], c.detailLeg);
  }
}

TEST(TieRow, FewerThanThreeLegsDrawNothing) {
  for (const TieRowMember m : kAllTieRows) {
    SCOPED_TRACE(TieRowName(m));
    Fixture f;
    DrawTieRow(f.canvas, m, Row(2, 6));
    EXPECT_EQ(f.drawing.EntityCount(), 0u);
  }
}

TEST(TieRow, SplitRowsNeedFiveLegs) {
  Fixture f;
  TieRowInput in = Row(4, 6);
  in.splitFlag = true;
  DrawTieRow(f.canvas, TieRowMember::TieRowY3, in);
  EXPECT_EQ(f.drawing.EntityCount(), 0u);
  in.legCount = 5;  // k = 1, m = 6: the middle bar 4
  DrawTieRow(f.canvas, TieRowMember::TieRowY3, in);
  EXPECT_EQ(LegLines(f.drawing), (std::vector<std::string>{"LINE c21 (0, 40)-(40, 40)",
                                                           "LINE c21 (200, 20)-(240, 20)"}));
}

TEST(TieRow, MoreLegsThanBarsDrawOnlyTheDetailAtTheCornerRow) {
  // k = 4, m = 2 (d < 0): no leg in place; the detail at index 0 still says 4.
  Fixture f;
  DrawTieRow(f.canvas, TieRowMember::TieRowX3, Row(6, 4));
  EXPECT_EQ(LegLines(f.drawing), std::vector<std::string>{"LINE c21 (100, 40)-(100, 80)"});
  EXPECT_EQ(Labels(f.drawing), std::vector<std::string>{" 4\xC3\x98" "8   L = 61 (zone critiche)"});
}

TEST(TieRow, OverflowInTheDetailKeepsTheLegsAlreadyDrawn) {
  Fixture f;
  TieRowInput in = Row(4, 4);  // k = 2, m = 2: legs at 1 and 2
  in.end = 40000;                                      // L of the detail overflows
  try {
    DrawTieRow(f.canvas, TieRowMember::TieRowX1, in);
    FAIL() << "the detail's cut length should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(f.drawing.EntityCount(), 15u);  // two legs and the detail's five strokes
}

}  // namespace
}  // namespace tessaro
