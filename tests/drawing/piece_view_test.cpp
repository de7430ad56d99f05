// Tests of the piece view: layers and entity counts, the cross-section, the elevation with
// its outline, bars, hooks, stirrups, bar list column, zones and levels, the joint with the
// piece below, and how a call fails.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "drawing_probe.h"
#include "base/errors.h"
#include "stirrups/section_stirrups.h"

namespace tessaro {
namespace {

using namespace test;
constexpr auto kLine = EntityType::Line;
constexpr auto kCircle = EntityType::Circle;
constexpr auto kText = EntityType::Text;

// Heights of the horizontal lines drawn from x1 to x2: the stirrups of the base piece run
// from 144 to 176, the joint stirrups from the last bar below to the first.
std::vector<double> Heights(const std::vector<Seen>& lines, double x1, double x2) {
  std::vector<double> y;
  for (const Seen& l : lines) {
    if (l.x == x1 && l.x2 == x2 && l.y == l.y2) y.push_back(l.y);
  }
  return y;
}

std::vector<std::string> Values(const std::vector<Seen>& texts) {
  std::vector<std::string> v;
  for (const Seen& t : texts) v.push_back(t.text);
  return v;
}

// The single base piece, view 1, counted by hand:
//  Sezioni: label 1 + outline 4 + width bars 3 x (2 circles + leader) + depth bars without
//           corners 2 x 3 + two dimensions 2 x (7 lines + text) + 2 bar labels = 38, then
//           exactly what the stirrup drawing draws from the values the section hands over;
//  ContornoCLS: outline 7 + cut mark (line and two numbers) 3 = 10;
//  Ferri: bars 3 + foot and head hooks 4; stirrups 6 (u = 2..52) + 9 (62, then 80..220
//         below (300 - 0) - 60 - 10 = 230) + 7 from the top (u = 8..68 below 0 + 60 + 10);
//         bar list column: line, tick, h, L and description 5 -> 7 + 22 + 5 = 34;
//  Testo: title 1;  Quote: two level marks 2 x 4 + three zones 3 x (8 + label) = 35; the
//         zones at X1 + 50 = 230 below 60, up to 300 - 60, to 300, each labelled at its
//         middle less 15, 2 to the right.
// View 2 draws nothing on Sezioni and no cut mark.
TEST(PieceView, LayersAndEntityCountsPerLayer) {
  PieceRun run;
  run.Draw(BaseView1());
  EXPECT_EQ(CountOn(run.drawing, "ContornoCLS"), 10u);
  EXPECT_EQ(CountOn(run.drawing, "Ferri"), 34u);
  EXPECT_EQ(CountOn(run.drawing, "Testo"), 1u);
  EXPECT_EQ(CountOn(run.drawing, "Quote"), 35u);
  ExpectPresent(Read(run.drawing, "Quote", kLine),
                {{230, 0, 230, 60, 4}, {230, 60, 230, 240, 4}, {230, 240, 230, 300, 4}});
  ExpectInOrder(Read(run.drawing, "Quote", kText), 2, {{232, 27, 6, 0, 4, "60"}, {232, 15, 6, 0, 4, "Ø8 / 10cm"},
                                                       {232, 147, 6, 0, 4, "180"}, {232, 135, 6, 0, 4, "Ø8 / 20cm"},
                                                       {232, 267, 6, 0, 4, "60"}, {232, 255, 6, 0, 4, "Ø8 / 10cm"}});
  PieceRun alone;
  alone.drawing.SetCurrentLayer("Sezioni");
  DrawSectionStirrups(alone.canvas, DrawOptions{},
                      SectionStirrupInput{.xi0 = 634, .yi0 = 124, .xi1 = 666, .yi1 = 154, .s1 = 2, .s2 = 2,
                                          .n1 = 3, .n2 = 2, .d1 = 1.6f, .d2 = 1.6f, .ds = 0.8f, .W = 40, .D = 38,
                                          .sx = 16, .sy = 10});
  EXPECT_EQ(CountOn(run.drawing, "Sezioni"), 38u + alone.drawing.EntityCount());
  PieceRun view2;
  view2.Draw(BaseView2());
  EXPECT_EQ(CountOn(view2.drawing, "Sezioni") + CountOn(view2.drawing, "ContornoCLS"), 0u + 7u);
}

// The base piece with 2Ø20 on the depth: e = (2.0 - 1.6) / 2 = 0.2 moves those bars so their
// outer faces line up with the corner bars'. Width bars with corners every 16 from 634, at
// yi0 = 124 and yi1 = 154, each led to from (650, 100); depth bars at sy = 30 / 3 = 10 above
// 124, at 634 + e and 666 - e, led to from (610, 139). Labels below and left of the section.
TEST(PieceView, RectangularSectionBarsLeadersAndLabels) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.barsDepth = {2, 2.0f};
  run.Draw(a);
  const auto lines = Read(run.drawing, "Sezioni", kLine);
  ExpectInOrder(lines, 0, {{630, 120, 630, 158, 5}, {630, 158, 670, 158, 5}, {670, 158, 670, 120, 5},
                           {670, 120, 630, 120, 5}, {650, 100, 634, 124, 6}, {650, 100, 650, 124, 6},
                           {650, 100, 666, 124, 6}, {610, 139, 634.2, 134, 6}, {610, 139, 634.2, 144, 6}});
  ExpectInOrder(Read(run.drawing, "Sezioni", kCircle), 0,
                {{634, 124, 0.8, 0, 3}, {634, 154, 0.8, 0, 3}, {650, 124, 0.8, 0, 3}, {650, 154, 0.8, 0, 3},
                 {666, 124, 0.8, 0, 3}, {666, 154, 0.8, 0, 3}, {634.2, 134, 1, 0, 3}, {665.8, 134, 1, 0, 3},
                 {634.2, 144, 1, 0, 3}, {665.8, 144, 1, 0, 3}});
  ExpectPresent(Read(run.drawing, "Sezioni", kText),
                {{570, 188, 8, 0, 6, "Sezione1-1"}, {650, 90, 8, 0, 6, "3Ø16"}, {578, 139, 8, 0, 6, "2Ø20"}});
}

// A zone spacing of 0 would stack stirrups on one spot until the counter overflows: each
// zone stops after its first stirrup (bottom at 2, top at T + 2), the middle zone steps by 20.
TEST(Elevation, ZeroEndSpacingStopsEachZoneAfterItsFirstStirrup) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.endSpacing = 0;
  run.Draw(a);
  EXPECT_EQ(Heights(Read(run.drawing, "Ferri", kLine), 144, 176),
            (std::vector<double>{2, 2, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 302}));
}

// Diameter 50, cover 5, 8Ø20: C = (655, 120), R = 25, the stirrup at R - c + d1/2 = 21, bars
// on a circle of radius 20 from the left, clockwise, 45 degrees apart (k = 20 cos 45).
TEST(PieceView, CircularSection) {
  PieceRun run;
  const PieceViewArgs a{.stackId = 7, .pieceNumber = 1, .width = 50, .depth = 0, .topLevel = 300,
                        .barsWidth = {8, 2.0f}, .barsDepth = {8, 2.0f}, .endZoneLength = 60, .endSpacing = 10,
                        .midSpacing = 15, .stirrups = {1, 0.8f}, .otherStirrups = {1, 0.8f}, .cover = 5,
                        .endValue = 100};
  EXPECT_EQ(run.Draw(a).depth, 50) << "the caller's depth becomes the diameter";
  EXPECT_EQ(CountOn(run.drawing, "Sezioni"), 21u) << "label, 2 circles, 8 bars, dimension 8, 2 labels";
  const double k = 14.142136;
  ExpectInOrder(Read(run.drawing, "Sezioni", kCircle), 0,
                {{655, 120, 25, 0, 5}, {655, 120, 21, 0, 3}, {635, 120, 1, 0, 3}, {655 - k, 120 + k, 1, 0, 3},
                 {655, 140, 1, 0, 3}, {655 + k, 120 + k, 1, 0, 3}, {675, 120, 1, 0, 3},
                 {655 + k, 120 - k, 1, 0, 3}, {655, 100, 1, 0, 3}, {655 - k, 120 - k, 1, 0, 3}});
  ExpectInOrder(Read(run.drawing, "Sezioni", kText), 0,
                {{580, 200, 8, 0, 6, "Sezione1-1"}, {650, 182.5, 6, 0, 4, "50"}, {655, 85, 8, 0, 6, "8Ø20"},
                 {573, 153, 8, 0, 6, "staffe : Ø8/15 cm"}});
}


// Single piece 0..300, E = 60, s = 10, m = 20. The outline: floor lines left and right of
// the column, its faces up to the seats, the seats (no length without steps), the top floor
// line, then the cut at mid-height. Stirrups at u = j x 10 + 2 below 60, then the middle zone
// from 62 by 20 below Ts - 60 - 10, then T - u for u = 8, 18, .. below max(steps) + 60 + 10:
// Ts = 300 without steps, 270 with steps of 20 and 30, which also get their dimensions.
TEST(Elevation, OutlineStirrupsAndTextsWithAndWithoutSeatSteps) {
  // Steps left and right; the outline; the stirrup heights; the texts on Quote.
  const std::tuple<Single, Single, std::vector<Seen>, std::vector<double>, std::vector<std::string>> cases[] = {
      {0, 0,
       {{0, 0, 140, 0, 5}, {180, 0, 320, 0, 5}, {140, 0, 140, 300, 5}, {180, 0, 180, 300, 5},
        {140, 300, 140, 300, 5}, {180, 300, 180, 300, 5}, {140, 300, 180, 300, 5}, {120, 150, 200, 150, 6}},
       {2, 12, 22, 32, 42, 52, 62, 80, 100, 120, 140, 160, 180, 200, 220, 292, 282, 272, 262, 252, 242, 232},
       {"0.00 m", "3.00 m", "60", "Ø8 / 10cm", "180", "Ø8 / 20cm", "60", "Ø8 / 10cm"}},
      {20, 30,
       {{0, 0, 140, 0, 5}, {180, 0, 320, 0, 5}, {140, 0, 140, 280, 5}, {180, 0, 180, 270, 5},
        {0, 280, 140, 280, 5}, {180, 270, 320, 270, 5}, {0, 300, 320, 300, 5}},
       {2, 12, 22, 32, 42, 52, 62, 80, 100, 120, 140, 160, 180, 292, 282, 272, 262, 252, 242, 232, 222, 212, 202},
       {"0.00 m", "3.00 m", "30", "20", "60", "Ø8 / 10cm", "150", "Ø8 / 20cm", "60", "Ø8 / 10cm"}},
  };
  for (const auto& [left, right, outline, stirrups, quoteTexts] : cases) {
    SCOPED_TRACE(left);
    PieceRun run;
    run.Draw(Stepped(BaseView1(), left, right));
    ExpectInOrder(Read(run.drawing, "ContornoCLS", kLine), 0, outline);
    EXPECT_EQ(Heights(Read(run.drawing, "Ferri", kLine), 144, 176), stirrups);
    EXPECT_EQ(Values(Read(run.drawing, "Quote", kText)), quoteTexts);
  }
}

// Bars at 144, 160, 176 from B - h (h = 97 below a first piece, 0 above one) up to T - t
// (t = c = 4 under the top of a last piece), hooks of Lh = 23 turned inwards. A changed
// section adds a starter bar from B - 100 to B + Lb, Lb = min(100, T - B - t); only when
// Lb = 100 does the bar of the piece follow, and bar 0 then gets the schedule at X0 - 350.
TEST(Elevation, BarsHooksAndStarterBars) {
  const std::pair<PieceViewArgs, std::vector<Seen>> cases[] = {
      {BaseView1(0),  // foot hook, bar, head hook; bar; foot hook, bar, head hook; stirrup
       {{144, -97, 167, -97, 3}, {144, -97, 144, 296, 3}, {144, 296, 167, 296, 3}, {160, -97, 160, 296, 3},
        {176, -97, 153, -97, 3}, {176, -97, 176, 296, 3}, {176, 296, 153, 296, 3}, {144, 2, 176, 2, 3}}},
      {BaseView1(1),  // first piece: foot hooks, the bars come with the next piece; stirrup
       {{144, -97, 167, -97, 3}, {176, -97, 153, -97, 3}, {144, 2, 176, 2, 3}}},
      {BaseView1(3, 1, 300, 600),  // last piece: bar, head hook; bar; bar, head hook
       {{144, 300, 144, 596, 3}, {144, 596, 167, 596, 3}, {160, 300, 160, 596, 3}, {176, 300, 176, 596, 3},
        {176, 596, 153, 596, 3}}},
  };
  for (const auto& [args, lines] : cases) {
    SCOPED_TRACE("piece code " + std::to_string(args.pieceCode));
    PieceRun run;
    run.Draw(args);
    ExpectInOrder(run.New("Ferri", kLine), 0, lines);
  }
}


// The bar list column at xc = X0 + c - 450 (even piece index) or - 550 (odd), the cut length
// L at (xc + 5, yM), the description 15 above:
//  single 0..300: L = 296 - (-97) + 2 x 23 = 439, yM = -97 + 300 / 2; tick at B;
//  first of two, 0..300: runs on to T + 100,
//    L = 400 + 97 + 23 = 520, yM = -97 + 497 / 2; when the next section changes it is hooked
//    at T - 2: L = 433, and the hook length 23 written beside it;
//  last 300..T: L = (T - 4) - 300 + 23 + 100 for the starter bars of the piece below; when
//    its own section changed and Lb = 100 that 100 is not added, with Lb = 76 it is drawn
//    from B - 100: 76 + 23 + 100 = 199. The schedule of the changed piece says L = 100 + Lb.
TEST(Elevation, BarListColumnCutLengthAndDescription) {
  // The piece; the per-stack side 1 and tops, the last element the padding 0; the column
  // line (or its hook when the next piece changes); all texts the call adds on Ferri; yM.
  const std::tuple<PieceViewArgs, std::vector<Single>, std::vector<Single>, Seen, std::vector<std::string>, double>
      cases[] = {
      {BaseView1(0), {40, 0}, {300, 0}, {-326, 0, -286, 0, 0}, {"97", "L = 439", "10Ø16"}, 53},
      {BaseView1(1), {40, 40, 0}, {300, 600, 0}, {-306, -97, -306, 400, 3}, {"97", "L = 520", "10Ø16"}, 151.5},
      {BaseView1(1), {40, 30, 0}, {300, 600, 0}, {-306, 298, -283, 298, 3}, {"23", "97", "L = 433", "10Ø16"}, 151.5},
      {BaseView1(3, 1, 300, 600), {40, 0}, {300, 0}, {-406, 300, -406, 596, 3}, {"L = 419", "10Ø16"}, 450},
      {BaseView1(3, 1, 300, 600, true), {40, 0}, {300, 0}, {-406, 300, -406, 596, 3},
       {"L = 200", "10Ø16", "L = 319", "10Ø16"}, 450},
      {BaseView1(3, 1, 300, 380, true), {40, 0}, {300, 0}, {-406, 200, -406, 376, 3}, {"L = 199", "10Ø16"}, 340},
  };
  for (const auto& [args, side1, tops, line, values, yM] : cases) {
    const std::string length = values.at(values.size() - 2);
    SCOPED_TRACE(length);
    PieceRun run;
    run.side1 = side1;
    run.side2.assign(side1.size() - 1, 38);
    run.side2.push_back(0);
    run.tops = tops;
    run.Draw(args);
    ExpectPresent(run.New("Ferri", kLine), {line});
    const auto texts = run.New("Ferri", kText);
    EXPECT_EQ(Values(texts), values);
    const double xc = args.pieceIndex == 0 ? -306 : -406;
    ExpectInOrder(texts, texts.size() - 2, {{xc + 5, yM, 8, 0, 4, length}, {xc + 5, yM + 15, 8, 0, 4, "10Ø16"}});
  }
}

// Ts = 100 <= 2 x 60: one zone at the end spacing, dimensioned at X1 + 50 = 230 with its
// label at (232, 100 / 2 - 15); level marks at (X2 - 10, B) and (X1 - 10, T).
TEST(Elevation, OneStirrupZoneAndLevelMarks) {
  PieceRun run;
  run.Draw(BaseView1(0, 0, 0, 100));
  ExpectInOrder(Read(run.drawing, "Quote", kText), 0, {{310, 10.5, 8, 0, 4, "0.00 m"}, {170, 110.5, 8, 0, 4, "1.00 m"},
                                                       {232, 47, 6, 0, 4, "100"}, {232, 35, 6, 0, 4, "Ø8 / 10cm"}});
  ExpectPresent(Read(run.drawing, "Quote", kLine), {{230, 0, 230, 100, 4}});
}

// The piece below, 0..300, end zone 50 at spacing 10, bars down to -97; seat steps 20 left
// in view 1 (bars 144, 160, 176), 15 right in view 2 (bars 1494 + 10 i, top 300 - 15).
// This piece, 300..600, is 30 wide when its section changed.
//  unchanged: the bars run on from B + 100 down to -97;
//  changed, view 1: they stop at their top - 2 with hooks of min(30, 38) - 15 = 15;
//  changed, view 2: from -97 up to B - 2 at 1498 + 10 i - G, G = 8 - 2 |offset change| = 5;
//  joint stirrups from the last bar below to the first at B - u, u = 8, 18, .. while
//    u < max(steps) + 50 + 10: 20 in view 1 gives B - 8 .. B - 78, 15 in view 2 B - 8 .. B - 68.
// The title comes once per view, under the first piece at (xv, B - 50).
TEST(PieceView, JointWithThePieceBelow) {
  const std::vector<double> v1 = {292, 282, 272, 262, 252, 242, 232, 222};
  const std::tuple<bool, bool, std::vector<Seen>> cases[] = {
      {false, false, {{144, 400, 144, -97, 3}, {160, 400, 160, -97, 3}, {176, 400, 176, -97, 3}}},
      {false, true,
       {{144, 298, 144, -97, 3}, {144, 298, 159, 298, 3}, {160, 298, 160, -97, 3}, {176, 298, 176, -97, 3},
        {176, 298, 161, 298, 3}}},
      {true, false,
       {{1494, 400, 1494, -97, 3}, {1504, 400, 1504, -97, 3}, {1514, 400, 1514, -97, 3}, {1524, 400, 1524, -97, 3}}},
      {true, true,
       {{1493, -97, 1493, 298, 3}, {1493, 298, 1508, 298, 3}, {1503, -97, 1503, 298, 3},
        {1513, -97, 1513, 298, 3}, {1523, -97, 1523, 298, 3}, {1523, 298, 1508, 298, 3}}},
  };
  for (const auto& [view2, changed, barsBelow] : cases) {
    SCOPED_TRACE(std::string(view2 ? "view 2" : "view 1") + (changed ? ", changed" : ", unchanged"));
    PieceRun run;
    PieceViewArgs below1 = Stepped(BaseView1(1, 0, 0, 300), 20, 0);
    PieceViewArgs below2 = Stepped(BaseView2(1, 0, 0, 300), 0, 15);
    below1.endZoneLength = below2.endZoneLength = 50;
    run.Draw(below1);
    run.Draw(below2);
    PieceViewArgs a = view2 ? BaseView2(3, 1, 300, 600) : BaseView1(3, 1, 300, 600);
    if (changed) {
      a.sectionChanged = true;
      a.width = 30;
      a.elevationShift = view2 ? 4 : 5;
      a.prevSideChange = 8;
      a.prevOffsetChange = -1.5f;
    }
    run.Draw(a);
    const auto lines = run.New("Ferri", kLine);
    ExpectPresent(lines, barsBelow);
    const std::vector<double> joint(v1.begin(), v1.end() - (view2 ? 1 : 0));
    EXPECT_EQ(Heights(lines, view2 ? 1524 : 176, view2 ? 1494 : 144), joint);
    EXPECT_EQ(run.state.view2Shift, changed ? 5 : 0);
    ExpectInOrder(Read(run.drawing, "Testo", kText), 0,
                  {{0, -50, 16, 0, 1, "Pilastrata  7"}, {1350, -50, 16, 0, 1, "Pilastrata  7"}});
  }
}

// From the stirrups on a failing statement is skipped and the view finished: missing
// per-stack arrays fail the bar list column's look-ahead, the next piece is taken as
// unchanged (the column runs up to T + 100) and the title, levels, zones and record still come.
TEST(PieceView, ErrorsFromTheStirrupsOnAreSkipped) {
  PieceRun run;
  run.side1 = run.side2 = run.tops = {};
  run.Draw(BaseView1(1));
  ExpectPresent(Read(run.drawing, "Ferri", kLine), {{-306, -97, -306, 400, 3}});
  EXPECT_EQ(CountOn(run.drawing, "Testo") + CountOn(run.drawing, "Quote"), 1u + 4u + 27u);
  EXPECT_EQ(run.state.view1.leftFace, 140);
}

}  // namespace
}  // namespace tessaro
