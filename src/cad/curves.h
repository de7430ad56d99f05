// The points a curve is drawn through: a bulged polyline segment, an ellipse, a spline, a
// hatch boundary edge. The flattening draws these runs and the extents measure them, so a
// curve covers the same ground wherever it is looked at. Angles in radians unless said.
#pragma once

#include <span>
#include <vector>

#include "cad/drawing.h"

namespace tessaro {

inline constexpr double kCurvePi = 3.14159265358979323846;

// An angle span brought into [0, period): no loop, whatever the values a file gave.
double WrapSpan(double span, double period);

// Pieces for a sweep, `perTurn` a whole turn, at least 1.
int CurvePieces(double sweepRadians, int perTurn);

// The circle a polyline segment from `from` to `to` with a non-zero `bulge` runs on: its
// centre and radius, the angle of `from` on it and the signed sweep to `to` (radians).
struct BulgeArc {
  Point2d center;
  double radius = 0.0;
  double start = 0.0;
  double sweep = 0.0;
};
BulgeArc BulgeArcOf(Point2d from, Point2d to, double bulge);

// Appends the points after `from` of the arc of a polyline segment with `bulge` to `to`.
void AppendBulge(std::vector<Point2d>& out, Point2d from, Point2d to, double bulge);
// The points of a polyline: its vertices with the arcs of their bulges between them (the
// closing one too when it is closed; the first point is not repeated at the end).
void AppendPolyline(std::vector<Point2d>& out, std::span<const PolylineVertex> vertices, bool closed);
// The points of an elliptical arc from parameter `start` to `end` (see EllipseGeometry).
void AppendEllipse(std::vector<Point2d>& out, Point2d center, Point2d major, double ratio, double start, double end);
// Points along a B-spline (rational when weights are given), or through its fit points.
void AppendSpline(std::vector<Point2d>& out, const SplineGeometry& s);
// The points of one edge of a hatch boundary.
void AppendHatchEdge(std::vector<Point2d>& out, const HatchEdge& edge);
// The points of a hatch boundary loop: its polyline (closed, bulges followed) or its edges.
void AppendHatchLoop(std::vector<Point2d>& out, const HatchLoop& loop);

}  // namespace tessaro
