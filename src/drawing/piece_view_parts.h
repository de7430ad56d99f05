// The pieces DrawPieceView is made of: the values read from the bar and stirrup fields,
// the layout computed once per call, and one function per group of entities.
#pragma once

#include <string>

#include "drawing/piece_view.h"

namespace tessaro {

// Colours (ACI) and text heights of the piece drawing, in one place.
inline constexpr int kOutlineColor = 5;        // concrete outline
inline constexpr int kBarColor = 3;            // bars and stirrups
inline constexpr int kLabelColor = 6;          // leaders, labels and the section-cut mark
inline constexpr int kNoteColor = 4;           // dimensions, level marks, bar schedules
inline constexpr int kTitleColor = 1;
inline constexpr int kTickColor = 0;           // the tick of the bar list column
inline constexpr Single kTextHeight = 8;
inline constexpr Single kDimensionHeight = 6;

// Counts and diameters read from the bar and stirrup fields ("4Ø16": 4 bars of 1.6 cm).
struct PieceFields {
  Integer n1 = 0;       // bars along the width (half the circle's bars for a circular section)
  Integer n2 = 0;       // bars along the depth
  Integer nc = 0;       // bars on the circle, as read (circular section only)
  Single d1 = 0;        // width bar diameter, cm
  Single d2 = 0;        // depth bar diameter, cm
  Integer s1 = 0;       // stirrup legs of the view's side
  Integer s2 = 0;       // stirrup legs of the other side
  Single ds = 0;        // stirrup diameter, cm
  Single e = 0;         // (d2 - d1) / 2: lines up the outer faces of bars of two diameters
  bool circular = false;
};

// Every coordinate and length of one view, in cm; computed once before anything is drawn.
struct PieceLayout {
  // Cross-section.
  Single W = 0, D = 0, c = 0;  // width, depth, cover to the bar axes
  Single x0 = 0, y0 = 0;       // lower-left corner
  Single x1 = 0, y1 = 0;       // upper-right corner
  Single xi0 = 0, yi0 = 0;     // lower-left corner bar axis
  Single xi1 = 0, yi1 = 0;     // upper-right corner bar axis
  Single sx = 0, sy = 0;       // bar spacing along the width and along the depth
  // Elevation.
  Single xv = 0;               // origin of the view
  Single B = 0, T = 0;         // bottom and top level
  Single a8 = 0, a9 = 0;       // depth of the left and right seat step below the top
  Single X0 = 0, X1 = 0;       // left and right face of the column
  Single X2 = 0;               // right end of the floor lines
  Single xl = 0, xr = 0;       // ends of the bottom floor lines
  Single xs = 0, xe = 0;       // ends of the top floor line
  Integer lastBar = 0;         // N: index of the last bar seen in the elevation
  Single t = 0;                // bars stop this far below the top
  Single h = 0;                // bars reach this far below the bottom (first piece)
  Single Lh = 0;               // hook length
  Single Lb = 0;               // starter bar length above the bottom
  Single Ts = 0;               // top of the stirred length
};

// What every drawing step reads; `prev` is the record of this view.
struct PieceContext {
  Canvas& canvas;
  const PieceViewArgs& args;
  const PieceFields& f;
  const PieceLayout& at;
  PreviousPiece& prev;
};

// Reads the four fields; a circular section (depth 0) also takes the width as its depth.
PieceFields ReadPieceFields(PieceViewArgs& args);
PieceLayout ComputeLayout(const PieceViewArgs& args, const PieceFields& f, const PreviousPiece& prev);

void DrawRectangularSection(const PieceContext& ctx, const DrawOptions& options);
void DrawCircularSection(const PieceContext& ctx);

void DrawOutline(const PieceContext& ctx);
void DrawCutMark(const PieceContext& ctx);
void DrawLongitudinalBars(const PieceContext& ctx);
void DrawContinuedBars(const PieceContext& ctx, Single shift);

void DrawElevationStirrups(const PieceContext& ctx);
void DrawJointStirrups(const PieceContext& ctx);
void DrawBarListColumn(const PieceContext& ctx, const StackProfile& stack);
void DrawTitle(const PieceContext& ctx);
void DrawLevelsAndZones(const PieceContext& ctx);

// A Single as the locale's shortest text; a non-finite value raises instead of printing.
std::string SingleText(Single value, const NumberFormat& format);
// Count & "Ø" & diameter in mm, e.g. "4Ø16" (diameter in cm).
std::string BarText(long long count, Single diameter, const NumberFormat& format);
// All longitudinal bars of the piece: "12Ø16", or "4Ø20 + 8Ø16" for two diameters.
std::string BarDescription(const PieceFields& f, const NumberFormat& format);
// Tells the canvas's bar recorder, if any, about the bars BarDescription lists (one mark per
// diameter; a circular section's nc bars as drawn in the section), cut to `cutLength` with
// `hooks` hooks of the piece's hook length.
void RecordBarMarks(const PieceContext& ctx, BarMarkKind kind, const char* member, Single cutLength, int hooks,
                    Single labelX, Single labelY);

}  // namespace tessaro
