// The object coordinate system of a 2-D entity, by its extrusion (the arbitrary axis
// algorithm), seen from above: a plane that is not the drawing's own shows its circles as
// ellipses, its arcs as elliptical arcs, and its elevation moves it sideways.
#pragma once

#include <optional>
#include <vector>

#include "cad/drawing.h"

namespace tessaro::dxf_reader {

inline constexpr double kPi = 3.14159265358979323846;

struct Ocs {
  // The drawing's own plane, the same seen from below (x mirrored), or any other.
  enum class Kind { Identity, MirrorX, General } kind = Kind::Identity;
  // world x = a·x + b·y + e·z, world y = c·x + d·y + f·z (z: the elevation).
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  static Ocs Of(double nx, double ny, double nz);

  bool Mirrored() const { return a * d - b * c < 0; }
  // Whether circles stay circles: the plane is the drawing's, or seen from below.
  bool Similar() const { return kind != Kind::General; }
  Point2d Map(Point2d p, double z = 0.0) const {
    if (kind == Kind::Identity) return p;
    if (kind == Kind::MirrorX) return {-p.x, p.y};
    return {a * p.x + b * p.y + e * z, c * p.x + d * p.y + f * z};
  }
  Point2d MapVector(Point2d v) const { return kind == Kind::General ? Point2d{a * v.x + b * v.y, c * v.x + d * v.y} : Map(v); }
  // A direction angle in degrees.
  double MapAngle(double degrees) const;
  // A counter-clockwise arc from start to end, in degrees: a mirror swaps its ends.
  void MapArc(double& start, double& end) const;
  // A circle or arc (degrees; a whole circle from 0 to 360) of the plane as seen from above.
  std::optional<EllipseGeometry> MapCircle(Point2d center, double z, double radius, double start, double end) const;
};

// The ellipse c + cos(t)·u + sin(t)·v for t from start to end (radians, counter-clockwise),
// u and v any two conjugate half-diameters, as an ellipse of major and minor axes; nothing
// when it has no length at all.
std::optional<EllipseGeometry> EllipseOfConjugates(Point2d c, Point2d u, Point2d v, double start, double end);

// Arcs of a polyline (by their bulges) replaced by runs of straight segments: for a plane
// that shows them as elliptical arcs.
void StraightenBulges(std::vector<PolylineVertex>& vertices, bool closed);

// A hatch boundary edge in a plane seen from above: arcs and elliptical arcs become runs of
// straight edges (appended to `out`), the rest is mapped as it is.
void MapHatchEdge(const HatchEdge& edge, const Ocs& ocs, std::vector<HatchEdge>& out);

}  // namespace tessaro::dxf_reader
