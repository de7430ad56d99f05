// Tests of the elevation of one piece: outline and floor lines, hooks, starter bars and
// the bar schedule, stirrups by zone, the bar list column, title, level marks and zones.
#include <gtest/gtest.h>

#include <string>

#include "piece_fixture.h"

namespace tessaro {
namespace {

using namespace test;

TEST(Outline, WithoutSeatStepsIsARectangleWithTheTopLineOverTheColumn) {
  PieceRun run;
  run.Draw(BaseView1());
  const auto lines = LinesOn(run.drawing, "ContornoCLS");
  ASSERT_EQ(lines.size(), 8u) << "seven outline lines and the cut line";
  ExpectLine(lines[0], 0, 0, 140, 0, 5, "line 1, bottom floor left");
  ExpectLine(lines[1], 180, 0, 320, 0, 5, "line 2, bottom floor right");
  ExpectLine(lines[2], 140, 0, 140, 300, 5, "line 3, left face");
  ExpectLine(lines[3], 180, 0, 180, 300, 5, "line 4, right face");
  ExpectLine(lines[4], 140, 300, 140, 300, 5, "line 5, left seat (no length)");
  ExpectLine(lines[5], 180, 300, 180, 300, 5, "line 6, right seat (no length)");
  ExpectLine(lines[6], 140, 300, 180, 300, 5, "line 7, top floor over the column");
  ExpectLine(lines[7], 120, 150, 200, 150, 6, "section cut at mid-height");
}

TEST(Outline, SeatStepsOnBothSides) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.insetLeft = 20;
  a.insetRight = 30;
  run.Draw(a);
  const auto lines = LinesOn(run.drawing, "ContornoCLS");
  ASSERT_EQ(lines.size(), 8u);
  ExpectLine(lines[0], 0, 0, 140, 0, 5, "line 1, bottom floor left");
  ExpectLine(lines[1], 180, 0, 320, 0, 5, "line 2, bottom floor right");
  ExpectLine(lines[2], 140, 0, 140, 280, 5, "line 3, left face up to the step");
  ExpectLine(lines[3], 180, 0, 180, 270, 5, "line 4, right face up to the step");
  ExpectLine(lines[4], 0, 280, 140, 280, 5, "line 5, left seat");
  ExpectLine(lines[5], 180, 270, 320, 270, 5, "line 6, right seat");
  ExpectLine(lines[6], 0, 300, 320, 300, 5, "line 7, top floor line");
}

TEST(Outline, ViewTwoHasNoCutMark) {
  PieceRun run;
  run.Draw(BaseView2());
  EXPECT_EQ(CountOn(run.drawing, "ContornoCLS"), 7u);
  ExpectLine(LinesOn(run.drawing, "ContornoCLS").at(0), 1350, 0, 1490, 0, 5, "line 1 starts at the view origin");
}

// Single piece: h = 100 - 3 = 97, t = c = 4, Lh = 23; bars at 144, 160, 176.
TEST(Hooks, SinglePieceHasFootAndHeadHooksOnTheCornerBars) {
  PieceRun run;
  run.Draw(BaseView1(0));
  const auto f = LinesOn(run.drawing, "Ferri");
  ASSERT_GE(f.size(), 7u);
  ExpectLine(f[0], 144, -97, 167, -97, 3, "foot hook of bar 0, to the right");
  ExpectLine(f[1], 144, -97, 144, 296, 3, "bar 0");
  ExpectLine(f[2], 144, 296, 167, 296, 3, "head hook of bar 0, to the right");
  ExpectLine(f[3], 160, -97, 160, 296, 3, "bar 1");
  ExpectLine(f[4], 176, -97, 153, -97, 3, "foot hook of bar 2, to the left");
  ExpectLine(f[5], 176, -97, 176, 296, 3, "bar 2");
  ExpectLine(f[6], 176, 296, 153, 296, 3, "head hook of bar 2, to the left");
  ExpectLine(f[7], 144, 2, 176, 2, 3, "first stirrup follows the bars");
}

TEST(Hooks, FirstPieceHasOnlyFootHooksItsBarsComeWithTheNextPiece) {
  PieceRun run;
  run.Draw(BaseView1(1));
  const auto f = LinesOn(run.drawing, "Ferri");
  ASSERT_GE(f.size(), 3u);
  ExpectLine(f[0], 144, -97, 167, -97, 3, "foot hook of bar 0");
  ExpectLine(f[1], 176, -97, 153, -97, 3, "foot hook of bar 2");
  ExpectLine(f[2], 144, 2, 176, 2, 3, "first stirrup");
}

TEST(Hooks, LastPieceHasOnlyHeadHooks) {
  PieceRun run;
  run.Draw(BaseView1(1, 0, 0, 300));
  run.Draw(BaseView1(3, 1, 300, 600));  // h = 0, t = c = 4
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 5u);
  ExpectLine(f[0], 144, 300, 144, 596, 3, "bar 0");
  ExpectLine(f[1], 144, 596, 167, 596, 3, "head hook of bar 0");
  ExpectLine(f[2], 160, 300, 160, 596, 3, "bar 1");
  ExpectLine(f[3], 176, 300, 176, 596, 3, "bar 2");
  ExpectLine(f[4], 176, 596, 153, 596, 3, "head hook of bar 2");
}

// A last piece from 300 to 600 whose section changed: Lb = min(100, 600 - 300 - 4) = 100,
// so each bar gets its starter bar and the piece bar, and bar 0 the schedule at X0 - 350.
TEST(StarterBars, ChangedSectionGetsStarterBarsAndTheBarSchedule) {
  PieceRun run;
  PieceViewArgs a = BaseView1(3, 1, 300, 600);
  a.sectionChanged = true;
  run.Draw(a);
  const auto f = run.NewLines("Ferri");
  ASSERT_GE(f.size(), 14u);
  ExpectLine(f[0], 144, 200, 144, 400, 3, "starter bar 0 from B - 100 to B + Lb");
  ExpectLine(f[1], -210, 200, -210, 400, 3, "bar schedule line");
  ExpectLine(f[2], 144, 300, 144, 596, 3, "bar 0 of the piece");
  ExpectLine(f[3], 144, 300, 144, 596, 3, "bar 0 again, as for every last piece");
  ExpectLine(f[4], 144, 596, 167, 596, 3, "head hook of bar 0");
  ExpectLine(f[5], 160, 200, 160, 400, 3, "starter bar 1");
  const auto t = run.NewTexts("Ferri");
  ASSERT_GE(t.size(), 2u);
  ExpectText(t[0], -205, 255, 8, "L = 200", 4, "schedule length at (X0 - 345, B - h - 45)");
  ExpectText(t[1], -205, 270, 8, "10Ø16", 4, "schedule description (2 x 3 + 2 x 2 bars)");
}

TEST(StarterBars, ShortPieceGetsOnlyStarterBarsAndNoSchedule) {
  PieceRun run;
  PieceViewArgs a = BaseView1(2, 1, 300, 380);  // Lb = min(100, 80 - 0) = 80
  a.sectionChanged = true;
  run.Draw(a);
  const auto f = run.NewLines("Ferri");
  ExpectLine(f.at(0), 144, 200, 144, 380, 3, "starter bar 0 up to B + 80");
  ExpectLine(f.at(1), 160, 200, 160, 380, 3, "starter bar 1");
  ExpectLine(f.at(2), 176, 200, 176, 380, 3, "starter bar 2 (and no schedule line at X0 - 350 before it)");
  EXPECT_TRUE(run.NewTexts("Ferri").size() == 2u) << "only the bar list labels, no schedule texts";
}

// Single piece: E = 60, s = 10, m = 20, Ts = 300.
TEST(Stirrups, ThreeZonesOfTheSinglePiece) {
  PieceRun run;
  run.Draw(BaseView1());
  const auto f = LinesOn(run.drawing, "Ferri");
  const std::vector<double> y = {2,   12,  22,  32,  42,  52,                        // end zone, u = j x 10 + 2
                                 62,  80,  100, 120, 140, 160, 180, 200, 220,        // middle, below 230
                                 292, 282, 272, 262, 252, 242, 232};                 // from the top, u < 70
  ASSERT_GE(f.size(), 7 + y.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    ExpectLine(f[7 + i], 144, y[i], 176, y[i], 3, "stirrup " + std::to_string(i));
  }
}

// Steps of 20 and 30: Ts = 270, the middle zone stops below 270 - 60 - 10 = 200 and the
// top zone runs while u < 30 + 60 + 10 = 100.
TEST(Stirrups, SeatStepsShortenTheMiddleAndLengthenTheTopZone) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.insetLeft = 20;
  a.insetRight = 30;
  run.Draw(a);
  const auto f = LinesOn(run.drawing, "Ferri");
  const std::vector<double> y = {2,   12,  22,  32,  42,  52,  62,  80,  100, 120, 140, 160,
                                 180, 292, 282, 272, 262, 252, 242, 232, 222, 212, 202};
  ASSERT_EQ(f.size(), 7 + y.size() + 2);
  for (std::size_t i = 0; i < y.size(); ++i) {
    ExpectLine(f[7 + i], 144, y[i], 176, y[i], 3, "stirrup " + std::to_string(i));
  }
}

TEST(BarListColumn, SinglePieceLineTickAndLabels) {
  PieceRun run;
  run.Draw(BaseView1());
  // xc = 140 + 4 - 450 = -306; L = (300 - 4) - (0 - 97) + 2 x 23 = 439; yM = -97 + 150 = 53.
  const auto f = LinesOn(run.drawing, "Ferri");
  ASSERT_EQ(f.size(), 31u);
  ExpectLine(f[29], -306, -97, -306, 296, 3, "bar list line from B - h to T - t");
  ExpectLine(f[30], -326, 0, -286, 0, 0, "tick at the bottom level");
  const auto t = TextsOn(run.drawing, "Ferri");
  ASSERT_EQ(t.size(), 3u);
  ExpectText(t[0], -326, -48.5, 8, "97", 4, "extension h at (xc - 20, B - h/2)");
  ExpectText(t[1], -301, 53, 8, "L = 439", 4, "length L");
  ExpectText(t[2], -301, 68, 8, "10Ø16", 4, "bar description");
}

struct FirstPieceColumnCase {
  const char* name;
  std::vector<Single> side1;  // per-stack arrays, last element the padding 0
  std::vector<Single> tops;
  std::vector<SeenLine> lines;  // after the tick is left out
  std::vector<std::string> texts;
};

// First piece (code 1) of a two-piece stack, 0 to 300: h = 97, xc = -306,
// L = (300 + 100) - (0 - 97) + 23 - k = 520 - k, yM = -97 + 497 / 2 = 151.5.
TEST(BarListColumn, FirstPieceRunsOnOrHooksWhenTheNextSectionChanges) {
  const std::vector<FirstPieceColumnCase> cases = {
      {"next unchanged: up to T + 100", {40, 40, 0}, {300, 600, 0},
       {{-306, -97, -306, 400, 3}}, {"97", "L = 520", "10Ø16"}},
      {"next unchanged, top piece ends at 350: up to 350 - c", {40, 40, 0}, {300, 350, 0},
       {{-306, -97, -306, 346, 3}}, {"97", "L = 520", "10Ø16"}},
      {"next changed: hooked at T - 2, L less 87", {40, 30, 0}, {300, 600, 0},
       {{-306, -97, -306, 298, 3}, {-306, 298, -283, 298, 3}}, {"23", "97", "L = 433", "10Ø16"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PieceRun run;
    run.side1 = c.side1;
    run.side2 = {38, 38, 0};
    run.tops = c.tops;
    run.lastPieceIndex = 2;
    run.Draw(BaseView1(1));
    auto f = LinesOn(run.drawing, "Ferri");
    // Foot hooks 2 + stirrups, then the column lines and the tick.
    const std::size_t first = f.size() - c.lines.size() - 1;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      const SeenLine& e = c.lines[i];
      ExpectLine(f[first + i], e.x1, e.y1, e.x2, e.y2, e.color, "column line " + std::to_string(i));
    }
    ExpectLine(f.back(), -326, 0, -286, 0, 0, "tick");
    std::vector<std::string> texts;
    for (const auto& t : TextsOn(run.drawing, "Ferri")) texts.push_back(t.value);
    EXPECT_EQ(texts, c.texts);
    const auto t = TextsOn(run.drawing, "Ferri");
    EXPECT_NEAR(t[t.size() - 2].y, 151.5, kTol) << "L written at yM";
  }
}

// A middle piece (code 2, index 1: odd, so xc = 140 + 4 - 550 = -406) of a three-piece
// stack, 300 to 600: h = 0; yE = 700, or the top piece's top less c when that is lower;
// L = yE - 300, yM = 300 + (700 - 300) / 2 = 500.
TEST(BarListColumn, MiddlePieceEndsAtTheTopOfTheStack) {
  for (const Single stackTop : {Single{900}, Single{650}}) {
    SCOPED_TRACE(stackTop);
    PieceRun run;
    run.side1 = {40, 40, 40, 0};
    run.side2 = {38, 38, 38, 0};
    run.tops = {300, 600, stackTop, 0};
    run.lastPieceIndex = 3;
    run.Draw(BaseView1(1, 0, 0, 300));
    run.Draw(BaseView1(2, 1, 300, 600));
    const double yE = stackTop == 900 ? 700 : 646;
    ExpectLine(run.NewLines("Ferri").back(), -406, 300, -406, yE, 3, "column line of the middle piece");
    const auto t = run.NewTexts("Ferri");
    ASSERT_EQ(t.size(), 2u);
    ExpectText(t[0], -401, 500, 8, "L = " + std::to_string(static_cast<int>(yE) - 300), 4, "length L = yE - B");
  }
}

struct LastPieceColumnCase {
  const char* name;
  bool sectionChanged;
  Single top;
  SeenLine line;
  std::string length;
};

// The last piece (code 3, index 1: xc = -406) from 300: h = 0, t = 4, Lh = 23.
TEST(BarListColumn, LastPieceAddsTheStarterLengthUnlessItsBarsStartedBelow) {
  const LastPieceColumnCase cases[] = {
      // (600 - 4) - 300 + 23 + 100
      {"section unchanged", false, 600, {-406, 300, -406, 596, 3}, "L = 419"},
      // Lb = 100: the piece's own bars carry it: 296 + 23
      {"section changed, long piece", true, 600, {-406, 300, -406, 596, 3}, "L = 319"},
      // Lb = 76 < 100: drawn from B - 100; 76 + 23 + 100
      {"section changed, short piece", true, 380, {-406, 200, -406, 376, 3}, "L = 199"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PieceRun run;
    PieceViewArgs a = BaseView1(3, 1, 300, c.top);
    a.sectionChanged = c.sectionChanged;
    run.Draw(a);
    const SeenLine& e = c.line;
    ExpectLine(run.NewLines("Ferri").back(), e.x1, e.y1, e.x2, e.y2, e.color, "bar list line");
    const auto t = run.NewTexts("Ferri");
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2].value, c.length);
    EXPECT_NEAR(t[t.size() - 2].y, 300 + (c.top - 300) * 0.5, kTol) << "yM = (B - h) + (T - B) / 2";
  }
}

TEST(Title, OncePerViewUnderTheFirstPiece) {
  PieceRun run;
  run.Draw(BaseView1(1, 0, 0, 300));
  run.Draw(BaseView2(1, 0, 0, 300));
  run.Draw(BaseView1(3, 1, 300, 600));
  run.Draw(BaseView2(3, 1, 300, 600));
  const auto t = TextsOn(run.drawing, "Testo");
  ASSERT_EQ(t.size(), 2u);
  ExpectText(t[0], 0, -50, 16, "Pilastrata  7", 1, "title of view 1 at (xv, B - 50)");
  ExpectText(t[1], 1350, -50, 16, "Pilastrata  7", 1, "title of view 2");
}

TEST(Levels, SinglePieceHasBothMarksInMetres) {
  PieceRun run;
  run.Draw(BaseView1(0, 0, 0, 350));
  const auto t = TextsOn(run.drawing, "Quote");
  ASSERT_GE(t.size(), 2u);
  ExpectText(t[0], 310, 10.5, 8, "0.00 m", 4, "bottom mark at (X2 - 10, B)");
  ExpectText(t[1], 170, 360.5, 8, "3.50 m", 4, "top mark at (X1 - 10, T) when there is no right step");
}

TEST(Levels, BottomMarkMovesLeftWhenTheFloorLineEndsAtTheColumn) {
  PieceRun run;
  PieceViewArgs first = BaseView1(1, 0, 0, 300);
  first.insetLeft = 20;
  first.insetRight = 30;
  run.Draw(first);
  run.Draw(BaseView1(3, 1, 300, 600));
  const auto outline = run.NewLines("ContornoCLS");
  ExpectLine(outline.at(0), 140, 300, 140, 300, 5, "line 1 has no length below a left step");
  ExpectLine(outline.at(1), 180, 300, 180, 300, 5, "line 2 has no length below a right step");
  // xr = X1 = 180, so the marker stands at 180 - 125 - 10 = 45.
  ExpectLine(run.NewLines("Quote").at(0), 45, 300, 45, 307, 4, "bottom marker, vertical stroke");
  EXPECT_EQ(run.NewTexts("Quote").at(0).value, "3.00 m");
  EXPECT_EQ(run.NewTexts("Quote").at(1).value, "6.00 m");
}

TEST(Levels, SeatStepDimensionsRightThenLeft) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.insetLeft = 20;
  a.insetRight = 30;
  run.Draw(a);
  const auto q = LinesOn(run.drawing, "Quote");
  ASSERT_GE(q.size(), 20u);
  ExpectLine(q[6], 340, 270, 340, 300, 4, "right step dimension at X2 + 20");
  ExpectLine(q[13], -20, 280, -20, 300, 4, "left step dimension at xv - 20");
  const auto t = TextsOn(run.drawing, "Quote");
  EXPECT_EQ(t.at(2).value, "30");
  EXPECT_EQ(t.at(3).value, "20");
}

// Single piece, Ts = 300 > 2 x 60: three zones at X1 + 50 = 230 with their labels.
TEST(StirrupZones, ThreeZonesWithTheirSpacings) {
  PieceRun run;
  run.Draw(BaseView1());
  const auto q = LinesOn(run.drawing, "Quote");
  ASSERT_EQ(q.size(), 6u + 21u);
  ExpectLine(q[6], 230, 0, 230, 60, 4, "end zone at the bottom");
  ExpectLine(q[13], 230, 60, 230, 240, 4, "middle zone");
  ExpectLine(q[20], 230, 240, 230, 300, 4, "end zone at the top");
  const auto t = TextsOn(run.drawing, "Quote");
  ASSERT_EQ(t.size(), 8u);
  ExpectText(t[2], 232, 27, 6, "60", 4, "bottom zone length");
  ExpectText(t[3], 232, 15, 6, "Ø8 / 10cm", 4, "bottom zone label at B + E/2 - 15");
  ExpectText(t[4], 232, 147, 6, "180", 4, "middle zone length");
  ExpectText(t[5], 232, 135, 6, "Ø8 / 20cm", 4, "middle zone label");
  ExpectText(t[6], 232, 267, 6, "60", 4, "top zone length");
  ExpectText(t[7], 232, 255, 6, "Ø8 / 10cm", 4, "top zone label at Ts - E/2 - 15");
}

TEST(StirrupZones, ShortPieceHasOneZoneWithTheEndSpacing) {
  PieceRun run;
  run.Draw(BaseView1(0, 0, 0, 100));  // 2 x 60 >= 100
  const auto q = LinesOn(run.drawing, "Quote");
  ASSERT_EQ(q.size(), 6u + 7u);
  ExpectLine(q[6], 230, 0, 230, 100, 4, "one zone over the stirred length");
  const auto t = TextsOn(run.drawing, "Quote");
  ASSERT_EQ(t.size(), 4u);
  ExpectText(t[2], 232, 47, 6, "100", 4, "zone length");
  ExpectText(t[3], 232, 35, 6, "Ø8 / 10cm", 4, "zone label at B + (Ts - B)/2 - 15");
}

TEST(StirrupZones, SeatStepsShortenTheStirredLength) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.insetLeft = 20;
  a.insetRight = 30;  // Ts = min(280, 270) = 270
  run.Draw(a);
  const auto t = TextsOn(run.drawing, "Quote");
  ASSERT_EQ(t.size(), 10u);
  EXPECT_EQ(t[5].value, "Ø8 / 10cm");
  EXPECT_NEAR(t[7].y, 120, kTol) << "middle label at 60 + (270 - 60 - 60) / 2 - 15";
  EXPECT_NEAR(t[9].y, 225, kTol) << "top label at 270 - 30 - 15";
  EXPECT_EQ(t[8].value, "60");
}

}  // namespace
}  // namespace tessaro
