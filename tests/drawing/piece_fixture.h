// Small hand-made column pieces and a run that draws them, for the piece view tests.
//
// The base piece: section 40 x 38 (Side1 x Side2), cover 4, bars 3Ø16 on side 1 and
// 2Ø16 on side 2, stirrups 2Ø8 both ways, end zone 60 at spacing 10, middle spacing 20,
// EndValue 100, stack 7, levels 0 to 300, no seat steps. Worked out once by hand:
//   view 1: W = 40, D = 38, x0 = 630, y0 = 0 + 300 x 0.4 = 120, x1 = 670, y1 = 158,
//           bar axes xi0 = 634, xi1 = 666, yi0 = 124, yi1 = 154,
//           sx = (666 - 634) / (3 - 1) = 16, sy = (154 - 124) / (2 + 1) = 10,
//           X0 = 140, X1 = 180, X2 = 2 x 140 + 40 = 320, Lh = min(40, 38) - 15 = 23,
//           bars at x = 144, 160, 176;
//   view 2: W = 38, D = 40, n1 = 2 without corners: sx = (38 - 8) / (2 + 1) = 10,
//           X0 = 140 + 1350 = 1490, bars i = 0..3 at x = 1494, 1504, 1514, 1524.
#pragma once

#include <string>
#include <vector>

#include "drawing/piece_view.h"
#include "drawing_probe.h"

namespace tessaro::test {

inline PieceViewArgs BaseView1(Integer pieceCode = 0, Integer pieceIndex = 0, Single bottom = 0, Single top = 300) {
  PieceViewArgs a;
  a.stackId = 7;
  a.pieceNumber = CheckedAdd(pieceIndex, 1);
  a.pieceCode = pieceCode;
  a.pieceIndex = pieceIndex;
  a.width = 40;
  a.depth = 38;
  a.bottomLevel = bottom;
  a.topLevel = top;
  a.barsWidth = "3Ø16";
  a.barsDepth = "2Ø16";
  a.endZoneLength = 60;
  a.endSpacing = 10;
  a.midSpacing = 20;
  a.stirrups = "2Ø8";
  a.otherStirrups = "2Ø8";
  a.cover = 4;
  a.firstView = a.drawSection = a.cornersOnWidth = true;
  a.endValue = 100;
  return a;
}

inline PieceViewArgs BaseView2(Integer pieceCode = 0, Integer pieceIndex = 0, Single bottom = 0, Single top = 300) {
  PieceViewArgs a = BaseView1(pieceCode, pieceIndex, bottom, top);
  a.viewOffset = 1350;
  a.width = 38;
  a.depth = 40;
  a.barsWidth = "2Ø16";
  a.barsDepth = "3Ø16";
  a.firstView = a.drawSection = a.cornersOnWidth = false;
  return a;
}

// A drawing, the state of the views and the per-stack arrays, as the stack load keeps them.
struct PieceRun {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{'.'}};
  PieceViewState state;
  DrawOptions options;
  std::vector<Single> side1{40, 0};
  std::vector<Single> side2{38, 0};
  std::vector<Single> tops{300, 0};
  Single lastPieceIndex = 1;
  std::size_t mark = 0;  // entity count before the last call

  StackProfile Stack() const { return StackProfile{side1, side2, tops, lastPieceIndex}; }

  void Draw(PieceViewArgs& args) {
    mark = drawing.EntityCount();
    DrawPieceView(canvas, state, options, Stack(), args);
  }
  void Draw(PieceViewArgs&& args) { Draw(args); }

  // What the last call added to a layer.
  std::vector<SeenLine> NewLines(std::string_view layer) const { return LinesOn(drawing, layer, mark); }
  std::vector<SeenText> NewTexts(std::string_view layer) const { return TextsOn(drawing, layer, mark); }
  std::vector<SeenCircle> NewCircles(std::string_view layer) const { return CirclesOn(drawing, layer, mark); }
  std::size_t NewCount(std::string_view layer) const { return CountOn(drawing, layer, mark); }
};

}  // namespace tessaro::test
