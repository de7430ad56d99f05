// The six closed stirrups: the rectangular hoop round the corner bars of the section (hook
// at the upper or lower right) and the four parts of the split layout, where two
// overlapping hoops share the section. Drawn in place or as a labelled detail with the
// diameter and the cut length. Lengths in cm, angles in degrees counter-clockwise.
#pragma once

#include <cstdint>

#include "primitives/primitives.h"

namespace tessaro {

enum class ClosedStirrupMember : std::uint8_t {
  StirrupHookTop,     // whole section, hook at the upper right
  StirrupHookBottom,  // whole section, hook at the lower right
  StirrupLowerPart,   // lower part of a split along the depth
  StirrupUpperPart,   // upper part of a split along the depth
  StirrupRightPart,   // right part of a split along the width
  StirrupLeftPart,    // left part of a split along the width
};

inline constexpr ClosedStirrupMember kAllClosedStirrups[] = {
    ClosedStirrupMember::StirrupHookTop,   ClosedStirrupMember::StirrupHookBottom,
    ClosedStirrupMember::StirrupLowerPart, ClosedStirrupMember::StirrupUpperPart,
    ClosedStirrupMember::StirrupRightPart, ClosedStirrupMember::StirrupLeftPart,
};

const char* ClosedStirrupName(ClosedStirrupMember member);

struct ClosedStirrupInput {
  Single xA = 0, yA = 0;   // axis of the lower-left bar enclosed
  Single xB = 0, yB = 0;   // axis of the upper-right bar enclosed
  Single dA = 0;           // diameter of the bars at the section's corners
  Single dB = 0;           // diameter of the bars where a split part turns (split parts only)
  Single ds = 0;           // stirrup diameter, written in the label only
  Single dx = 0, dy = 0;   // displacement of the whole shape
  bool labelFlag = false;  // draw the label (the detail copy)
  int color = 3;
  int labelColor = 6;
  Single textHeight = 8;
  // For the bar schedule: the diameter of the bars each pair of sides holds (the width
  // sides, the depth sides), as placed in the section; 0 takes dA (dA and dB halved
  // along the side a split part is split along).
  Single heldA = 0;
  Single heldB = 0;
};

// Draws, in this order: the four sides (bottom, right, top, left), five arcs (three
// corners and the two bends of the hook), the two hook tails, and the label when
// labelFlag is set. Overflow and non-finite results raise RuntimeError; entities drawn
// before stay.
void DrawClosedStirrup(Canvas& canvas, ClosedStirrupMember member, const ClosedStirrupInput& in);

// The cut length of the member's shape for these inputs (16-bit, halves to even).
Integer ClosedStirrupCutLength(ClosedStirrupMember member, const ClosedStirrupInput& in);

}  // namespace tessaro
