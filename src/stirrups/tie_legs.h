// The eight tie legs: a straight bar from a bar on one face to the bar on the opposite
// face, hooked round both, drawn in place or as a labelled detail that states the leg
// count, the diameter and the cut length. Lengths in cm, angles in degrees.
#pragma once

#include <cstdint>

#include "primitives/primitives.h"

namespace tessaro {

// V = vertical legs (rows along the width), H = horizontal legs (rows along the depth).
// 1, 2: tangent style (leg tangent to the bars, hooks wrap them);
// 3, 4: axis style (leg through the bar axes, hooks beside the bars).
enum class TieLegMember : std::uint8_t {
  TieLegV1, TieLegV2, TieLegV3, TieLegV4,
  TieLegH1, TieLegH2, TieLegH3, TieLegH4,
};

inline constexpr TieLegMember kAllTieLegs[] = {
    TieLegMember::TieLegV1, TieLegMember::TieLegV2, TieLegMember::TieLegV3, TieLegMember::TieLegV4,
    TieLegMember::TieLegH1, TieLegMember::TieLegH2, TieLegMember::TieLegH3, TieLegMember::TieLegH4,
};

const char* TieLegName(TieLegMember member);

struct TieLegInput {
  Single xA = 0, yA = 0;    // axis of the bar at the first end (bottom, or left)
  Single xB = 0, yB = 0;    // axis of the bar at the second end (xB = xA, or yB = yA)
  Single d1 = 0, d2 = 0;    // diameters of the width bars and of the depth bars
  Single ds = 0;            // tie diameter, written in the label only
  Single dx = 0, dy = 0;    // displacement of the whole shape
  bool labelFlag = false;   // draw the label (the detail copy)
  int color = 21;           // leg, hooks and tails
  int labelColor = 6;
  bool regularFlag = true;  // an in-place leg; a zero-length one fails in the axis style
  Integer labelCount = 0;   // the count written in the label
  Single textHeight = 8;
  long legsInPlace = 0;     // legs the row placed in the section: the bar schedule's count
};

// Draws, in this order: first hook arc, first tail, leg, second hook arc, second tail,
// and the label when labelFlag is set. Overflow and non-finite results raise
// RuntimeError; entities drawn before stay.
void DrawTieLeg(Canvas& canvas, TieLegMember member, const TieLegInput& in);

// The cut length of a leg drawn `legLength` long with hooks of radius `hookRadius`:
// RoundHalfEven(legLength + 16 + RoundHalfEven(hookRadius × 2π)), the two 8 cm tails included.
Integer TieLegCutLength(Single legLength, Single hookRadius);

}  // namespace tessaro
