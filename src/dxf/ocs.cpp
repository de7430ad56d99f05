#include "dxf/ocs.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

namespace tessaro::dxf_reader {

Ocs Ocs::Of(double nx, double ny, double nz) {
  Ocs ocs;
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0) || !std::isfinite(length)) return ocs;
  nx /= length, ny /= length, nz /= length;
  if (std::abs(nx) < 1e-12 && std::abs(ny) < 1e-12) {
    if (nz < 0) {
      ocs.kind = Kind::MirrorX;
      ocs.a = -1;
    }
    return ocs;
  }
  double ax = 0, ay = 0, az = 0;  // Ax = (Wy or Wz) × N
  if (std::abs(nx) < 1.0 / 64 && std::abs(ny) < 1.0 / 64) {
    ax = nz, ay = 0, az = -nx;  // (0,1,0) × N
  } else {
    ax = -ny, ay = nx, az = 0;  // (0,0,1) × N
  }
  const double la = std::sqrt(ax * ax + ay * ay + az * az);
  ax /= la, ay /= la, az /= la;
  const double bx = ny * az - nz * ay, by = nz * ax - nx * az;  // Ay = N × Ax
  ocs.kind = Kind::General;
  ocs.a = ax, ocs.b = bx, ocs.c = ay, ocs.d = by, ocs.e = nx, ocs.f = ny;
  return ocs;
}

double Ocs::MapAngle(double degrees) const {
  if (kind == Kind::Identity) return degrees;
  if (kind == Kind::MirrorX) return 180.0 - degrees;
  const double r = degrees * kPi / 180.0;
  const Point2d v = MapVector({std::cos(r), std::sin(r)});
  return std::atan2(v.y, v.x) * 180.0 / kPi;
}

void Ocs::MapArc(double& start, double& end) const {
  if (kind == Kind::Identity) return;
  const double s = MapAngle(start), e = MapAngle(end);
  if (Mirrored()) {
    start = e, end = s;
  } else {
    start = s, end = e;
  }
}

std::optional<EllipseGeometry> Ocs::MapCircle(Point2d center, double z, double radius, double start,
                                              double end) const {
  double sweep = std::fmod(end - start, 360.0);
  if (!(sweep > 0)) sweep += 360.0;
  const double from = start * kPi / 180.0;
  return EllipseOfConjugates(Map(center, z), MapVector({radius, 0}), MapVector({0, radius}), from,
                             from + sweep * kPi / 180.0);
}

std::optional<EllipseGeometry> EllipseOfConjugates(Point2d c, Point2d u, Point2d v, double start, double end) {
  const auto dot = [](Point2d p, Point2d q) { return p.x * q.x + p.y * q.y; };
  const auto at = [&](double t) { return Point2d{u.x * std::cos(t) + v.x * std::sin(t), u.y * std::cos(t) + v.y * std::sin(t)}; };
  // The parameter of the major axis: where the half-diameter is longest.
  double t0 = 0.5 * std::atan2(2 * dot(u, v), dot(u, u) - dot(v, v));
  Point2d major = at(t0), minor = at(t0 + kPi / 2);
  if (dot(minor, minor) > dot(major, major)) {
    t0 += kPi / 2;
    std::swap(major, minor);
    minor = {-minor.x, -minor.y};
  }
  const double length = std::hypot(major.x, major.y);
  if (!(length > 0) || !std::isfinite(length)) return std::nullopt;
  EllipseGeometry e;
  e.center = c;
  e.majorAxis = major;
  e.ratio = std::clamp(std::hypot(minor.x, minor.y) / length, 1e-9, 1.0);
  // The minor axis turned +90° from the major one keeps the sense of t; turned -90°, it
  // runs backwards.
  const bool reversed = major.x * minor.y - major.y * minor.x < 0;
  e.startParam = reversed ? t0 - end : start - t0;
  e.endParam = reversed ? t0 - start : end - t0;
  return e;
}

void StraightenBulges(std::vector<PolylineVertex>& vertices, bool closed) {
  std::vector<PolylineVertex> out;
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const PolylineVertex& v = vertices[i];
    out.push_back({v.point, 0.0});
    if (v.bulge == 0.0 || !std::isfinite(v.bulge) || (i + 1 == n && !closed)) continue;
    const Point2d p = v.point, q = vertices[(i + 1) % n].point;
    const double chord = std::hypot(q.x - p.x, q.y - p.y);
    if (!(chord > 0)) continue;
    const double sweep = 4.0 * std::atan(v.bulge);
    const double radius = chord / (2.0 * std::sin(std::abs(sweep) / 2.0));
    const double h = radius * std::cos(sweep / 2.0) * (sweep > 0 ? 1 : -1);
    const Point2d c{(p.x + q.x) / 2 - (q.y - p.y) / chord * h, (p.y + q.y) / 2 + (q.x - p.x) / chord * h};
    const double from = std::atan2(p.y - c.y, p.x - c.x);
    const int pieces = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (2 * kPi) * 64)), 2, 64);
    for (int k = 1; k < pieces; ++k) {
      const double t = from + sweep * k / pieces;
      out.push_back({{c.x + radius * std::cos(t), c.y + radius * std::sin(t)}, 0.0});
    }
  }
  vertices = std::move(out);
}

void MapHatchEdge(const HatchEdge& edge, const Ocs& ocs, std::vector<HatchEdge>& out) {
  std::vector<Point2d> run;
  // Points of c + cos(t)·u + sin(t)·v for t from s to e (radians), a clockwise edge giving
  // its angles mirrored, as the flattening reads them.
  const auto curve = [&](Point2d c, Point2d u, Point2d v, double s, double e, bool ccw) {
    if (!ccw) s = -s, e = -e;
    double sweep = std::fmod(ccw ? e - s : s - e, 2 * kPi);
    if (!(sweep > 0)) sweep += 2 * kPi;
    for (int k = 0; k <= 64; ++k) {
      const double t = ccw ? s + sweep * k / 64 : s - sweep * k / 64;
      run.push_back({c.x + u.x * std::cos(t) + v.x * std::sin(t), c.y + u.y * std::cos(t) + v.y * std::sin(t)});
    }
  };
  constexpr double kDegree = kPi / 180.0;
  if (const auto* l = std::get_if<HatchLineEdge>(&edge)) {
    out.push_back(HatchLineEdge{ocs.Map(l->start), ocs.Map(l->end)});
    return;
  }
  if (const auto* a = std::get_if<HatchArcEdge>(&edge)) {
    curve(a->center, {a->radius, 0}, {0, a->radius}, a->startAngle * kDegree, a->endAngle * kDegree, a->counterClockwise);
  } else if (const auto* el = std::get_if<HatchEllipseEdge>(&edge)) {
    const Point2d minor{-el->majorAxis.y * el->ratio, el->majorAxis.x * el->ratio};
    curve(el->center, el->majorAxis, minor, el->startAngle * kDegree, el->endAngle * kDegree, el->counterClockwise);
  } else if (const auto* sp = std::get_if<SplineGeometry>(&edge)) {
    SplineGeometry mapped = *sp;
    for (Point2d& p : mapped.controlPoints) p = ocs.Map(p);
    for (Point2d& p : mapped.fitPoints) p = ocs.Map(p);
    out.push_back(std::move(mapped));
    return;
  }
  for (std::size_t k = 1; k < run.size(); ++k) out.push_back(HatchLineEdge{ocs.Map(run[k - 1]), ocs.Map(run[k])});
}

}  // namespace tessaro::dxf_reader
