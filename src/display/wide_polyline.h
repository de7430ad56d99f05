// Polylines with widths as CAD programs fill them: each segment a band around its centre
// line (arcs following their bulge), its width running from the segment's start width to
// its end width, corners between bands filled.
#pragma once

#include <span>
#include <vector>

#include "cad/drawing.h"

namespace tessaro {

// The filled polygons of a polyline whose widths are `widths` (one per vertex) or, when
// that is empty, `constantWidth` everywhere. Segments of width zero at both ends are left
// out (the caller draws the centre line for a polyline without any width).
std::vector<std::vector<Point2d>> WidePolylineFills(std::span<const PolylineVertex> vertices, bool closed,
                                                    std::span<const VertexWidth> widths, double constantWidth);

// Whether a polyline has a width that makes ink wider than its centre line.
bool HasWidth(std::span<const VertexWidth> widths, double constantWidth);

}  // namespace tessaro
