// The transverse reinforcement of a rectangular cross-section: the closed stirrup (or two
// overlapping ones) and the rows of tie legs, each drawn in place and as a labelled detail.
#pragma once

#include "primitives/primitives.h"
#include "stirrups/draw_options.h"

namespace tessaro {

// The inputs of one section, in the order the piece drawing hands them over.
struct SectionStirrupInput {
  Single xi0 = 0, yi0 = 0;  // axis of the lower-left corner bar
  Single xi1 = 0, yi1 = 0;  // axis of the upper-right corner bar
  Integer s1 = 0;           // stirrup legs met along the width (vertical legs)
  Integer s2 = 0;           // stirrup legs met along the depth (horizontal legs)
  Integer n1 = 0;           // bars along the width
  Integer n2 = 0;           // bars along the depth
  Single d1 = 0, d2 = 0;    // bar diameters of the width and depth bars (cm)
  Single ds = 0;            // stirrup diameter (cm)
  Single W = 0, D = 0;      // width and depth of the section
  Single sx = 0, sy = 0;    // bar spacing along the width and along the depth
  int stirrupColor = 3;
  int labelColor = 6;
  Single textHeight = 8;
  Single line10Value2 = 0;  // piece value that chooses the row counts
};

// Draws the closed stirrups first, then the width row, then the depth row. Errors
// (overflow, non-finite results) propagate; entities already drawn stay.
void DrawSectionStirrups(Canvas& canvas, const DrawOptions& options, const SectionStirrupInput& in);

}  // namespace tessaro
