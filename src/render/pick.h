// Finding what lies under a point of the drawing: the shape a click picks, the point a
// measurement snaps to (end points, mid points, centres), and the distance between two
// points. Works on a display list and its index; no painting, no widgets.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "display/display_list.h"
#include "render/shape_index.h"

namespace tessaro::render {

// Distance from `at` to the shape's outline (0 inside a fill or a text's box).
double DistanceToShape(const DisplayList& list, const Shape& shape, Point2d at);

// The shape nearest to `at`, within `tolerance` drawing units, on a layer that is on (a
// layer beyond `layers` counts as on). Of shapes equally near, the one drawn last (on top).
std::optional<std::uint32_t> PickShape(const DisplayList& list, const ShapeIndex& index,
                                       std::span<const Layer> layers, Point2d at, double tolerance);

enum class SnapKind : std::uint8_t { End, Middle, Centre, Insertion };

struct SnapPoint {
  Point2d at;
  SnapKind kind;
};

// The snap points of a shape: the ends and middles of segments and polyline sides, the
// ends, middle and centre of an arc (the centre of a circle), a text's insertion point, a
// dot's place, the base of a ray or an xline.
void SnapPointsOf(const DisplayList& list, const Shape& shape, std::vector<SnapPoint>& out);

// The snap point nearest to `at` within `tolerance`, over the shapes on layers that are on.
std::optional<SnapPoint> Snap(const DisplayList& list, const ShapeIndex& index, std::span<const Layer> layers,
                              Point2d at, double tolerance);

struct Measurement {
  double distance = 0.0;
  double dx = 0.0;
  double dy = 0.0;
  double angle = 0.0;  // degrees counter-clockwise from the x axis, in [0, 360)
};
Measurement Measure(Point2d from, Point2d to);

}  // namespace tessaro::render
