// The two kinds of stroke a stirrup or tie shape is made of, computed first and then drawn
// through the primitives, so each shape is a small table of coordinates.
#pragma once

#include "primitives/primitives.h"

namespace tessaro {

// A straight piece from (x1, y1) to (x2, y2), in cm.
struct LineStroke {
  Single x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// An arc centred (cx, cy), counter-clockwise from startAngle to endAngle (degrees).
struct ArcStroke {
  Single cx = 0, cy = 0, radius = 0, startAngle = 0, endAngle = 0;
};

inline void Draw(Canvas& canvas, const LineStroke& s, int color) { AddLine(canvas, s.x1, s.y1, s.x2, s.y2, color); }

inline void Draw(Canvas& canvas, const ArcStroke& s, int color) {
  AddArc(canvas, s.cx, s.cy, s.radius, s.startAngle, s.endAngle, color);
}

}  // namespace tessaro
