// The eight tie rows: which intermediate bars of a row along the width (vertical legs)
// or along the depth (horizontal legs) receive a tie leg, and the labelled detail copy of
// that leg. The selection is a pure function so it can be checked position by position.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "primitives/primitives.h"
#include "stirrups/tie_legs.h"

namespace tessaro {

// X = width rows (vertical legs at x = x0 + i × spacing), Y = depth rows (horizontal legs
// at y = y0 + i × spacing).
enum class TieRowMember : std::uint8_t {
  TieRowX1, TieRowX2, TieRowX3, TieRowX4,
  TieRowY1, TieRowY2, TieRowY3, TieRowY4,
};

inline constexpr TieRowMember kAllTieRows[] = {
    TieRowMember::TieRowX1, TieRowMember::TieRowX2, TieRowMember::TieRowX3, TieRowMember::TieRowX4,
    TieRowMember::TieRowY1, TieRowMember::TieRowY2, TieRowMember::TieRowY3, TieRowMember::TieRowY4,
};

const char* TieRowName(TieRowMember member);
TieLegMember TieLegOf(TieRowMember member);

// k: legs to place (the count the label states); m: bar positions 1..m to choose from.
struct TieRowCounts {
  Integer k = 0;
  Integer m = 0;
};

// The member's k and m. 16-bit arithmetic: leaving the range raises Overflow.
TieRowCounts CountTieRow(TieRowMember member, Integer legCount, Integer barCount, bool splitFlag);

// The positions that receive a leg, in the order found, and the final index of the
// selection (where the detail copy of most rows goes). The number of positions may differ
// from k: the rules follow the row, not the label.
struct TieSelection {
  std::vector<Integer> positions;
  Integer finalIndex = 0;
};

TieSelection SelectTieBars(Integer k, Integer m);

// The same selection reported one position at a time, as it is found; returns the final
// index. An overflow of the running index raises after the positions already reported.
Integer ForEachSelectedBar(Integer k, Integer m, const std::function<void(Integer)>& onBar);

struct TieRowInput {
  Integer legCount = 0;     // s1 (width rows) or s2 (depth rows)
  Integer barCount = 0;     // c1 or c2
  Single x0 = 0, y0 = 0;    // axis of the lower-left corner bar (xi0, yi0)
  Single end = 0;           // where each leg ends: yi1 for width rows, xi1 for depth rows
  Single spacing = 0;       // sx or sy
  Single d1 = 0, d2 = 0;    // diameters of the width bars and of the depth bars
  Single ds = 0;            // tie diameter
  int tieColor = 21;
  int labelColor = 6;
  bool splitFlag = false;   // the section uses the split layout along this row's direction
  Single textHeight = 8;
  Single detailOffset = 0;  // horizontal displacement of the detail copy
};

// k < 1: draws nothing. Otherwise a leg in place at every selected position, then the
// labelled detail copy (count k) at the member's detail index, displaced by
// (detailOffset, the member's detail dy).
void DrawTieRow(Canvas& canvas, TieRowMember member, const TieRowInput& in);

}  // namespace tessaro
