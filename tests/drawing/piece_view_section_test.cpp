// Tests of the cross-section of view 1: layers, bars and leaders, dimensions, labels, the
// hand-over to the stirrup drawing, and the circular section.
#include <gtest/gtest.h>

#include <string>

#include "piece_fixture.h"
#include "stirrups/section_stirrups.h"

namespace tessaro {
namespace {

using namespace test;

TEST(PieceViewLayers, AreAddedInDrawingOrderAndViewTwoDrawsNoSection) {
  PieceRun run;
  run.Draw(BaseView2());
  EXPECT_EQ(LayerNames(run.drawing), (std::vector<std::string>{"Sezioni", "ContornoCLS", "Ferri", "Testo", "Quote"}));
  EXPECT_EQ(CountOn(run.drawing, "Sezioni"), 0u) << "view 2 selects Sezioni but draws nothing on it";
}

// The single base piece, view 1, counted by hand:
//  Sezioni: label 1 + outline 4 + width bars 3 x (2 circles + leader) + depth bars without
//           corners 2 x 3 + two dimensions 2 x (7 lines + text) + 2 bar labels = 38, then
//           whatever the stirrup drawing draws;
//  ContornoCLS: outline 7 + cut mark (line and two numbers) 3 = 10;
//  Ferri: bars 3 + foot and head hooks 4; stirrups 6 (u = 2..52) + 9 (62, then 80..220
//         below (300 - 0) - 60 - 10 = 230) + 7 from the top (u = 8..68 below 0 + 60 + 10);
//         bar list column: line, tick, h, L and description 5 -> 7 + 22 + 5 = 34;
//  Testo: title 1;  Quote: two level marks 2 x 4 + three zones 3 x (8 + label) = 35.
TEST(PieceViewCounts, SinglePieceViewOnePerLayer) {
  PieceRun run;
  run.Draw(BaseView1());
  EXPECT_EQ(CountOn(run.drawing, "ContornoCLS"), 10u);
  EXPECT_EQ(CountOn(run.drawing, "Ferri"), 34u);
  EXPECT_EQ(CountOn(run.drawing, "Testo"), 1u);
  EXPECT_EQ(CountOn(run.drawing, "Quote"), 35u);

  // The section's own 38 entities, then exactly what the stirrup drawing draws for the
  // twenty values the section hands over.
  Drawing alone;
  Canvas aloneCanvas{alone, NumberFormat{'.'}};
  alone.SetCurrentLayer("Sezioni");
  SectionStirrupInput in;
  in.xi0 = 634, in.yi0 = 124, in.xi1 = 666, in.yi1 = 154;
  in.s1 = 2, in.s2 = 2, in.n1 = 3, in.n2 = 2;
  in.d1 = 1.6f, in.d2 = 1.6f, in.ds = 0.8f, in.W = 40, in.D = 38, in.sx = 16, in.sy = 10;
  in.stirrupColor = 3, in.labelColor = 6, in.textHeight = 8, in.line10Value2 = 0;
  DrawSectionStirrups(aloneCanvas, DrawOptions{}, in);
  const auto section = OnLayer(run.drawing, "Sezioni");
  ASSERT_EQ(section.size(), 38u + alone.EntityCount());
  const auto stirrups = LinesOn(alone, "Sezioni");
  const auto all = LinesOn(run.drawing, "Sezioni");
  const std::size_t ownLines = 4 + 3 + 2 + 14;  // outline, width leaders, depth leaders, dimensions
  ASSERT_EQ(all.size(), ownLines + stirrups.size());
  for (std::size_t i = 0; i < stirrups.size(); ++i) {
    const SeenLine& s = stirrups[i];
    ExpectLine(all[ownLines + i], s.x1, s.y1, s.x2, s.y2, s.color, "stirrup line " + std::to_string(i));
  }
}

TEST(RectangularSection, OutlineBarsLeadersDimensionsAndLabels) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.barsDepth = "2Ø20";  // d2 = 2.0, so e = (2.0 - 1.6) / 2 = 0.2
  run.Draw(a);

  const auto texts = TextsOn(run.drawing, "Sezioni");
  ASSERT_GE(texts.size(), 5u);
  ExpectText(texts[0], 570, 188, 8, "Sezione1-1", 6, "section label at (x1 - 100, y1 + 30)");
  ExpectText(texts[1], 645, 170.5, 6, "40", 4, "width dimension text");
  ExpectText(texts[2], 682, 136, 6, "38", 4, "depth dimension text");
  ExpectText(texts[3], 650, 90, 8, "3Ø16", 6, "width bar label at (x0 + W/2, y0 - W/2 - 10)");
  ExpectText(texts[4], 578, 139, 8, "2Ø20", 6, "depth bar label at (x0 - W/2 - 32, y0 + D/2)");

  const auto lines = LinesOn(run.drawing, "Sezioni");
  ASSERT_GE(lines.size(), 10u);
  ExpectLine(lines[0], 630, 120, 630, 158, 5, "outline, left side");
  ExpectLine(lines[1], 630, 158, 670, 158, 5, "outline, top side");
  ExpectLine(lines[2], 670, 158, 670, 120, 5, "outline, right side");
  ExpectLine(lines[3], 670, 120, 630, 120, 5, "outline, bottom side");
  const double widthBarX[] = {634, 650, 666};
  for (int i = 0; i < 3; ++i) {
    ExpectLine(lines[4 + i], 650, 100, widthBarX[i], 124, 6, "leader of width bar " + std::to_string(i));
  }
  const double depthBarY[] = {134, 144};  // one and two thirds of 124..154, corners excluded
  for (int i = 0; i < 2; ++i) {
    ExpectLine(lines[7 + i], 610, 139, 634.2, depthBarY[i], 6, "leader of depth bar " + std::to_string(i + 1));
  }
  ExpectLine(lines[9], 630, 168, 670, 168, 4, "width dimension line at y1 + 10");
  ExpectLine(lines[16], 680, 120, 680, 158, 4, "depth dimension line at x1 + 10");

  const auto circles = CirclesOn(run.drawing, "Sezioni");
  ASSERT_GE(circles.size(), 10u);
  for (int i = 0; i < 3; ++i) {
    ExpectCircle(circles[2 * i], widthBarX[i], 124, 0.8, 3, "bottom width bar " + std::to_string(i));
    ExpectCircle(circles[2 * i + 1], widthBarX[i], 154, 0.8, 3, "top width bar " + std::to_string(i));
  }
  for (int i = 0; i < 2; ++i) {
    ExpectCircle(circles[6 + 2 * i], 634.2, depthBarY[i], 1.0, 3, "left depth bar " + std::to_string(i + 1));
    ExpectCircle(circles[7 + 2 * i], 665.8, depthBarY[i], 1.0, 3, "right depth bar " + std::to_string(i + 1));
  }
}

TEST(RectangularSection, CornersOnTheDepthFacesMoveTheWidthBarsByMinusE) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.cornersOnWidth = false;  // the depth faces hold the corners
  a.barsWidth = "2Ø16";
  a.barsDepth = "3Ø20";
  run.Draw(a);
  // sx = (666 - 634) / (2 + 1) = 10.6667: bars 1 and 2 at 644.667 and 655.333, moved by
  // -e = -0.2 outwards (y 123.8 and 154.2); sy = (154 - 124) / (3 - 1) = 15.
  const auto circles = CirclesOn(run.drawing, "Sezioni");
  ASSERT_GE(circles.size(), 10u);
  ExpectCircle(circles[0], 644.6667, 123.8, 0.8, 3, "bottom width bar 1");
  ExpectCircle(circles[1], 644.6667, 154.2, 0.8, 3, "top width bar 1");
  ExpectCircle(circles[2], 655.3333, 123.8, 0.8, 3, "bottom width bar 2");
  ExpectCircle(circles[3], 655.3333, 154.2, 0.8, 3, "top width bar 2");
  for (int i = 0; i < 3; ++i) {
    ExpectCircle(circles[4 + 2 * i], 634, 124 + 15 * i, 1.0, 3, "left depth bar " + std::to_string(i));
    ExpectCircle(circles[5 + 2 * i], 666, 124 + 15 * i, 1.0, 3, "right depth bar " + std::to_string(i));
  }
}

TEST(RectangularSection, LabelAndCutMarkNameThePieceIndexPlusOne) {
  PieceRun run;
  run.Draw(BaseView1(2, 2, 600, 900));
  EXPECT_EQ(TextsOn(run.drawing, "Sezioni").at(0).value, "Sezione3-3");
  const auto mark = TextsOn(run.drawing, "ContornoCLS");
  ASSERT_EQ(mark.size(), 2u);
  ExpectText(mark[0], 100, 750, 8, "3", 6, "cut mark number left (X0 - 40, ym)");
  ExpectText(mark[1], 210, 750, 8, "3", 6, "cut mark number right (X1 + 30, ym)");
}

// Diameter 50, cover 5, 8Ø20: C = (655, 120), R = 25, bars on a circle of radius 20 from
// the left, clockwise, 45 degrees apart.
TEST(CircularSection, BarsOnTheCircleLabelsAndTheDiameterHandedBack) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.width = 50;
  a.depth = 0;
  a.cover = 5;
  a.barsWidth = "8Ø20";
  a.barsDepth = "8Ø20";
  a.stirrups = "1Ø8";
  a.otherStirrups = "1Ø8";
  a.midSpacing = 15;
  run.Draw(a);
  EXPECT_EQ(a.depth, 50) << "the caller's depth becomes the diameter";
  EXPECT_EQ(CountOn(run.drawing, "Sezioni"), 21u) << "label, 2 circles, 8 bars, dimension 8, 2 labels";

  const auto circles = CirclesOn(run.drawing, "Sezioni");
  ASSERT_EQ(circles.size(), 10u);
  ExpectCircle(circles[0], 655, 120, 25, 5, "concrete outline");
  ExpectCircle(circles[1], 655, 120, 21, 3, "stirrup circle R - c + d1/2");
  const double k = 14.142136;  // 20 x cos 45
  const double bars[8][2] = {{635, 120},         {655 - k, 120 + k}, {655, 140}, {655 + k, 120 + k},
                             {675, 120},         {655 + k, 120 - k}, {655, 100}, {655 - k, 120 - k}};
  for (int i = 0; i < 8; ++i) {
    ExpectCircle(circles[2 + i], bars[i][0], bars[i][1], 1.0, 3, "bar " + std::to_string(i) + " on the circle");
  }
  const auto texts = TextsOn(run.drawing, "Sezioni");
  ASSERT_EQ(texts.size(), 4u);
  ExpectText(texts[0], 580, 200, 8, "Sezione1-1", 6, "section label");
  ExpectText(texts[1], 650, 182.5, 6, "50", 4, "diameter dimension");
  ExpectText(texts[2], 655, 85, 8, "8Ø20", 6, "bar label with all bars of the circle");
  ExpectText(texts[3], 573, 153, 8, "staffe : Ø8/15 cm", 6, "stirrup label");
}

TEST(CircularSection, ElevationBarsUseHalfTheCircleAndTheSectionSpacing) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.width = 50;
  a.depth = 0;
  a.cover = 5;
  a.barsWidth = "8Ø20";
  run.Draw(a);
  // n1 = Int(8 / 2) = 4, sx = (675 - 635) / 3 = 13.333; X0 = 140, bars at 145 + i x sx.
  const auto ferri = LinesOn(run.drawing, "Ferri");
  const double x[] = {145, 158.3333, 171.6667, 185};
  // i = 0: foot hook, bar, head hook; 1 and 2: bar; 3: foot hook, bar, head hook.
  ExpectLine(ferri[1], x[0], -97, x[0], 295, 3, "bar 0");
  ExpectLine(ferri[3], x[1], -97, x[1], 295, 3, "bar 1");
  ExpectLine(ferri[4], x[2], -97, x[2], 295, 3, "bar 2");
  ExpectLine(ferri[6], x[3], -97, x[3], 295, 3, "bar 3 at X1 - c");
}

}  // namespace
}  // namespace tessaro
