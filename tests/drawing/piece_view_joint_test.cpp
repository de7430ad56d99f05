// Tests of the joint between two pieces of a stack: the previous-piece record, the bars
// continued from the piece below (section changed and unchanged, both views, the view-2
// shift) and the joint stirrups.
#include <gtest/gtest.h>

#include <string>

#include "piece_fixture.h"

namespace tessaro {
namespace {

using namespace test;

// Piece 0 of a two-piece stack, 0 to 300, code 1, end zone 50 at spacing 10; seat steps
// 20 on the left in view 1 and 15 on the right in view 2.
void DrawFirstPiece(PieceRun& run) {
  PieceViewArgs v1 = BaseView1(1, 0, 0, 300);
  v1.endZoneLength = 50;
  v1.insetLeft = 20;
  run.Draw(v1);
  PieceViewArgs v2 = BaseView2(1, 0, 0, 300);
  v2.endZoneLength = 50;
  v2.insetRight = 15;
  run.Draw(v2);
}

void ExpectRecord(const PreviousPiece& got, const PreviousPiece& want, const std::string& view) {
  EXPECT_EQ(got.endZoneLength, want.endZoneLength) << view << " end zone length";
  EXPECT_EQ(got.insetLeft, want.insetLeft) << view << " left inset";
  EXPECT_EQ(got.insetRight, want.insetRight) << view << " right inset";
  EXPECT_EQ(got.endSpacing, want.endSpacing) << view << " end spacing";
  EXPECT_EQ(got.barCount, want.barCount) << view << " bar count";
  EXPECT_NEAR(got.barSpacing, want.barSpacing, kTol) << view << " bar spacing";
  EXPECT_EQ(got.leftFace, want.leftFace) << view << " left face";
  EXPECT_EQ(got.barLastIndex, want.barLastIndex) << view << " last bar index";
  EXPECT_EQ(got.top, want.top) << view << " top";
  EXPECT_EQ(got.baseMark, want.baseMark) << view << " base mark";
}

TEST(PreviousPieceRecord, IsWrittenForEachViewAfterItsCall) {
  PieceRun run;
  DrawFirstPiece(run);
  // View 1: n1 = 3, sx = 16, X0 = 140, last index n1 - 1, top T, base 0 - (100 - 3).
  ExpectRecord(run.state.view1, {50, 20, 0, 10, 3, 16, 140, 2, 300, -97}, "view 1");
  // View 2: n1 = 2, sx = 10, X0 = 1490, last index n1 + 1, top T - t with t = max(0, 15).
  ExpectRecord(run.state.view2, {50, 0, 15, 10, 2, 10, 1490, 3, 285, -97}, "view 2");
}

// Piece 1, 300 to 600, code 3, same section. Its lines on Ferri: bars and head hooks 5,
// continued bars 3, stirrups 22, joint stirrups, then the bar list column.
TEST(Joint, ViewOneSectionUnchangedRunsTheBarsOnWithoutHooks) {
  PieceRun run;
  DrawFirstPiece(run);
  run.Draw(BaseView1(3, 1, 300, 600));
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 38u);
  // yk = 300 + 100; q = (40 - 8) / (3 - 1) = 16, so each bar ends where it started.
  for (int i = 0; i < 3; ++i) {
    const double x = 144 + 16 * i;
    ExpectLine(f[5 + i], x, 400, x, -97, 3, "continued bar " + std::to_string(i));
  }
  // sp = 10, Ep = 50, ap = max(20, 0) = 20: u = 8, 18, ..., 78 below B, from the last
  // bar of the piece below (140 + 4 + 2 x 16 = 176) to its first (144).
  for (int k = 0; k < 8; ++k) {
    const double y = 300 - (8 + 10 * k);
    ExpectLine(f[30 + k], 176, y, 144, y, 3, "joint stirrup " + std::to_string(k + 1));
  }
  EXPECT_NE(f[38].y1, f[38].y2) << "no ninth joint stirrup at B - 88";
}

TEST(Joint, ShortLastPieceRunsTheBarsOnOnlyToItsTopLessCover) {
  PieceRun run;
  DrawFirstPiece(run);
  run.Draw(BaseView1(3, 1, 300, 380));  // B + 100 is above T: yk = 380 - 4
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 8u);
  for (int i = 0; i < 3; ++i) {
    const double x = 144 + 16 * i;
    ExpectLine(f[5 + i], x, 376, x, -97, 3, "continued bar " + std::to_string(i));
  }
}

// Piece 1 narrower (W = 30, shifted by 5: X0 = 145) with the section changed.
TEST(Joint, ViewOneSectionChangedStopsTheBarsBelowWithHooks) {
  PieceRun run;
  DrawFirstPiece(run);
  PieceViewArgs a = BaseView1(3, 1, 300, 600);
  a.width = 30;
  a.elevationShift = 5;
  a.sectionChanged = true;
  run.Draw(a);
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 47u);
  // Bars of the piece: 5 + 3 + 4 lines with starter bars and the schedule line, then
  // the bars below from PrevTop - 2 to the base mark, hooks Lh = min(30, 38) - 15 = 15.
  ExpectLine(f[12], 144, 298, 144, -97, 3, "bar 0 of the piece below");
  ExpectLine(f[13], 144, 298, 159, 298, 3, "hook of bar 0 at B - 2, to the right");
  ExpectLine(f[14], 160, 298, 160, -97, 3, "bar 1 of the piece below");
  ExpectLine(f[15], 176, 298, 176, -97, 3, "bar 2 of the piece below");
  ExpectLine(f[16], 176, 298, 161, 298, 3, "hook of bar 2, to the left");
  ExpectLine(f[17], 149, 302, 171, 302, 3, "first stirrup of the narrower piece");
  // The joint stirrups keep the width of the bars below (144..176), wider than 149..171.
  for (int k = 0; k < 8; ++k) {
    const double y = 300 - (8 + 10 * k);
    ExpectLine(f[39 + k], 176, y, 144, y, 3, "joint stirrup " + std::to_string(k + 1));
  }
}

TEST(Joint, ViewTwoSectionUnchanged) {
  PieceRun run;
  DrawFirstPiece(run);
  run.Draw(BaseView2(3, 1, 300, 600));
  EXPECT_EQ(run.state.view2Shift, 0) << "G = 0 x 0.5";
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 39u);
  // Bars i = 0..3 of the piece below at 1490 + 4 + 10 i, from 100 above B to the base mark.
  for (int i = 0; i < 4; ++i) {
    const double x = 1494 + 10 * i;
    ExpectLine(f[6 + i], x, 400, x, -97, 3, "continued bar " + std::to_string(i));
  }
  // ap = max(0, 15) = 15: u = 8..68 (78 is not below 15 + 50 + 10 = 75).
  for (int k = 0; k < 7; ++k) {
    const double y = 300 - (8 + 10 * k);
    ExpectLine(f[32 + k], 1524, y, 1494, y, 3, "joint stirrup " + std::to_string(k + 1));
  }
}

struct ShiftCase {
  Single offsetChange;
  Single shift;  // G = 8 x 0.5 for no offset change, else 8 - 2 |offset change|
};

// Piece 1 of view 2 is 30 wide instead of 38 (side change 8), shifted by 4: X0 = 1494.
TEST(Joint, ViewTwoSectionChangedUsesTheShift) {
  for (const ShiftCase c : {ShiftCase{0, 4}, ShiftCase{-1.5f, 5}}) {
    SCOPED_TRACE(c.offsetChange);
    PieceRun run;
    DrawFirstPiece(run);
    PieceViewArgs a = BaseView2(3, 1, 300, 600);
    a.width = 30;
    a.elevationShift = 4;
    a.sectionChanged = true;
    a.prevSideChange = 8;
    a.prevOffsetChange = c.offsetChange;
    run.Draw(a);
    EXPECT_EQ(run.state.view2Shift, c.shift);
    const auto f = run.NewLines("Ferri");
    ASSERT_GE(f.size(), 20u);
    // After 14 lines of this piece's bars: x = 1494 + 4 + 10 i - G, from the base mark to
    // B - 2, hooks of Lh = min(30, 40) - 15 = 15 on bars 0 and 3.
    const double x0 = 1498 - c.shift;
    ExpectLine(f[14], x0, -97, x0, 298, 3, "bar 0 of the piece below");
    ExpectLine(f[15], x0, 298, x0 + 15, 298, 3, "hook of bar 0");
    ExpectLine(f[16], x0 + 10, -97, x0 + 10, 298, 3, "bar 1 of the piece below");
    ExpectLine(f[17], x0 + 20, -97, x0 + 20, 298, 3, "bar 2 of the piece below");
    ExpectLine(f[18], x0 + 30, -97, x0 + 30, 298, 3, "bar 3 of the piece below");
    ExpectLine(f[19], x0 + 30, 298, x0 + 15, 298, 3, "hook of bar 3");
  }
}

// sp = 0: u = 0 x 1 - 2 = -2 is drawn (at B + 2); the next u is -2 again, below 0, and
// ends the loop.
TEST(Joint, NoEndSpacingBelowGivesOneJointStirrup) {
  PieceRun run;
  DrawFirstPiece(run);
  run.state.view1.endSpacing = 0;
  run.Draw(BaseView1(3, 1, 300, 600));
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 32u);
  ExpectLine(f[30], 176, 302, 144, 302, 3, "the one joint stirrup");
  EXPECT_NE(f[31].y1, f[31].y2) << "then the bar list column, no second joint stirrup";
}

TEST(Joint, FirstPieceKeepsTheViewTwoShift) {
  PieceRun run;
  run.state.view2Shift = 9;
  PieceViewArgs a = BaseView2(1, 0);
  a.prevSideChange = 8;
  run.Draw(a);
  EXPECT_EQ(run.state.view2Shift, 9);
}

TEST(Joint, FirstPieceReadsNoRecordForItsFloorLines) {
  PieceRun run;
  run.state.view1.insetLeft = 20;  // left over from another stack
  run.state.view1.insetRight = 30;
  run.Draw(BaseView1(1));
  const auto outline = LinesOn(run.drawing, "ContornoCLS");
  ExpectLine(outline.at(0), 0, 0, 140, 0, 5, "line 1 keeps its length");
  ExpectLine(outline.at(1), 180, 0, 320, 0, 5, "line 2 keeps its length");
}

}  // namespace
}  // namespace tessaro
