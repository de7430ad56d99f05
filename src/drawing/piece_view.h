// One view of one column piece: in view 1 the cross-section with its bars, stirrups,
// labels and dimensions; in both views the elevation with outline, bars and hooks,
// stirrups by zone, the joint to the piece below, the bar list column, title and levels.
#pragma once

#include <span>
#include <string>

#include "primitives/primitives.h"
#include "stirrups/draw_options.h"

namespace tessaro {

// What a view remembers of the piece it drew last, so that the next piece of the same
// view joins its bars, stirrups and floor lines to it.
struct PreviousPiece {
  Single endZoneLength = 0;
  Single insetLeft = 0;
  Single insetRight = 0;
  Single endSpacing = 0;
  Single barCount = 0;
  Single barSpacing = 0;
  Single leftFace = 0;
  Integer barLastIndex = 0;
  Single top = 0;
  Single baseMark = 0;
};

// State of the piece drawing that outlives one call and one stack: never reset, so a
// stack drawn after another starts from what the last one left.
struct PieceViewState {
  PreviousPiece view1;
  PreviousPiece view2;
  Single view2Shift = 0;  // G: shift of the continued bars of view 2
};

// The per-stack arrays that the bar list column of view 1 reads (indexes 0 .. last + 1).
struct StackProfile {
  std::span<const Single> side1;
  std::span<const Single> side2;
  std::span<const Single> topLevel;
  Single lastPieceIndex = -1;
};

// A bar or stirrup field as the piece reader parsed it: "4Ø16" is 4 bars of 1.6 cm.
struct BarField {
  Integer count = 0;
  Single diameter = 0;  // cm
};

// The 30 inputs of a view (the drawing itself comes as the canvas). DrawPieceView may
// change them, as its by-reference arguments allow: a circular section sets `depth` to
// the diameter. Callers that bound these values to a piece record copy them back.
struct PieceViewArgs {
  Single sizeDiff = 0;          // 2: side of the first piece minus that of this piece
  Single elevationShift = 0;    // 3: sizeDiff times the centring factor
  Single viewOffset = 0;        // 4: horizontal offset of the whole view
  Integer stackId = 0;          // 5
  Integer pieceNumber = 0;      // 6
  Integer pieceCode = 0;        // 7: 0 only piece, 1 first, 3 last, other = in between
  Single insetLeft = 0;         // 8: depth of the left seat step below the top
  Single insetRight = 0;        // 9: depth of the right seat step below the top
  Single width = 0;             // 10: section width in this view
  Single depth = 0;             // 11: section depth; 0 = circular, diameter = width
  Single bottomLevel = 0;       // 12
  Single topLevel = 0;          // 13
  BarField barsWidth;           // 14: e.g. 4Ø16 as {4, 1.6}
  BarField barsDepth;           // 15
  Single endZoneLength = 0;     // 16
  Single endSpacing = 0;        // 17
  Single midSpacing = 0;        // 18
  BarField stirrups;            // 19: stirrups of the view's side
  BarField otherStirrups;       // 20: only its count is used
  Single cover = 0;             // 21: face to bar axis
  Integer pieceIndex = 0;       // 22
  bool firstView = true;        // 23
  bool drawSection = true;      // 24
  bool cornersOnWidth = true;   // 25: also selects the previous-piece record
  Single line10Value2 = 0;      // 26
  Single endValue = 100;        // 27: smallest of the four end lengths
  bool sectionChanged = false;  // 28
  Single prevSideChange = 0;    // 29
  Single prevOffsetChange = 0;  // 30
};

// Draws one view. Until the elevation stirrups begin, a RuntimeError ends the call and
// reaches the caller (entities already added stay); from there on failing statements
// are skipped and the previous-piece record is still written.
void DrawPieceView(Canvas& canvas, PieceViewState& state, const DrawOptions& options, const StackProfile& stack,
                   PieceViewArgs& args);

}  // namespace tessaro
