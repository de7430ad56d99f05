// The points curves are drawn through.
#include "cad/curves.h"

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

namespace tessaro {

double WrapSpan(double span, double period) {
  if (!std::isfinite(span)) return 0.0;
  const double wrapped = std::fmod(span, period);
  return wrapped < 0 ? wrapped + period : wrapped;
}

int CurvePieces(double sweepRadians, int perTurn) {
  const double n = std::ceil(std::abs(sweepRadians) / (2 * kCurvePi) * perTurn);
  if (!std::isfinite(n)) return 1;
  return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(perTurn)));
}

BulgeArc BulgeArcOf(Point2d from, Point2d to, double bulge) {
  const double sweep = 4.0 * std::atan(bulge);  // signed, radians
  const double chord = std::hypot(to.x - from.x, to.y - from.y);
  const double radius = chord / (2.0 * std::sin(std::abs(sweep) / 2.0));
  // Center: from the chord's middle, along its normal.
  const double mx = (from.x + to.x) / 2, my = (from.y + to.y) / 2;
  const double nx = -(to.y - from.y) / chord, ny = (to.x - from.x) / chord;
  const double h = radius * std::cos(sweep / 2.0) * (sweep > 0 ? 1 : -1);
  const Point2d center{mx + nx * h, my + ny * h};
  return {center, radius, std::atan2(from.y - center.y, from.x - center.x), sweep};
}

void AppendBulge(std::vector<Point2d>& out, Point2d from, Point2d to, double bulge) {
  if (bulge == 0.0 || !std::isfinite(bulge) || (from.x == to.x && from.y == to.y)) {
    out.push_back(to);
    return;
  }
  const auto [center, radius, start, sweep] = BulgeArcOf(from, to, bulge);
  const int n = CurvePieces(sweep, 64);
  for (int k = 1; k < n; ++k) {
    const double t = start + sweep * k / n;
    out.push_back({center.x + radius * std::cos(t), center.y + radius * std::sin(t)});
  }
  out.push_back(to);
}

void AppendPolyline(std::vector<Point2d>& out, std::span<const PolylineVertex> v, bool closed) {
  if (v.empty()) return;
  out.push_back(v[0].point);
  for (std::size_t i = 1; i < v.size(); ++i) AppendBulge(out, v[i - 1].point, v[i].point, v[i - 1].bulge);
  if (closed && v.back().bulge != 0) {
    AppendBulge(out, v.back().point, v[0].point, v.back().bulge);
    out.pop_back();
  }
}

void AppendEllipse(std::vector<Point2d>& out, Point2d center, Point2d major, double ratio, double start, double end) {
  const Point2d minor{-major.y * ratio, major.x * ratio};
  double sweep = end - start;
  if (!std::isfinite(sweep) || !std::isfinite(start)) return;
  if (sweep <= 0 || sweep > 2 * kCurvePi + 1e-9) {
    sweep = WrapSpan(sweep, 2 * kCurvePi);
    if (sweep == 0) sweep = 2 * kCurvePi;
  }
  const int n = std::max(2, CurvePieces(sweep, 96));
  for (int k = 0; k <= n; ++k) {
    const double t = start + sweep * k / n;
    out.push_back({center.x + std::cos(t) * major.x + std::sin(t) * minor.x,
                   center.y + std::cos(t) * major.y + std::sin(t) * minor.y});
  }
}

void AppendSpline(std::vector<Point2d>& out, const SplineGeometry& s) {
  const auto& cps = s.controlPoints;
  const std::size_t n = cps.size();
  if (n == 0) {
    // Centripetal-free Catmull-Rom through the fit points.
    const auto& f = s.fitPoints;
    if (f.size() < 3) {
      out.insert(out.end(), f.begin(), f.end());
      return;
    }
    const std::size_t m = f.size();
    const auto at = [&](std::ptrdiff_t i) {
      if (s.closed) return f[static_cast<std::size_t>((i % static_cast<std::ptrdiff_t>(m) + static_cast<std::ptrdiff_t>(m)) % static_cast<std::ptrdiff_t>(m))];
      return f[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, static_cast<std::ptrdiff_t>(m) - 1))];
    };
    const std::size_t spans = s.closed ? m : m - 1;
    constexpr int kSteps = 8;
    out.push_back(f[0]);
    for (std::size_t i = 0; i < spans; ++i) {
      const auto ii = static_cast<std::ptrdiff_t>(i);
      const Point2d p0 = at(ii - 1), p1 = at(ii), p2 = at(ii + 1), p3 = at(ii + 2);
      for (int k = 1; k <= kSteps; ++k) {
        const double t = static_cast<double>(k) / kSteps, t2 = t * t, t3 = t2 * t;
        out.push_back({0.5 * (2 * p1.x + (-p0.x + p2.x) * t + (2 * p0.x - 5 * p1.x + 4 * p2.x - p3.x) * t2 +
                              (-p0.x + 3 * p1.x - 3 * p2.x + p3.x) * t3),
                       0.5 * (2 * p1.y + (-p0.y + p2.y) * t + (2 * p0.y - 5 * p1.y + 4 * p2.y - p3.y) * t2 +
                              (-p0.y + 3 * p1.y - 3 * p2.y + p3.y) * t3)});
      }
    }
    return;
  }
  int p = std::clamp(s.degree, 1, 25);
  if (n < 2) {
    out.insert(out.end(), cps.begin(), cps.end());
    return;
  }
  if (static_cast<std::size_t>(p) >= n) p = static_cast<int>(n - 1);
  const std::size_t p_ = static_cast<std::size_t>(p);
  std::vector<double> knots = s.knots;
  bool validKnots = knots.size() == n + p_ + 1;
  for (std::size_t i = 1; validKnots && i < knots.size(); ++i) {
    validKnots = std::isfinite(knots[i]) && knots[i] >= knots[i - 1];
  }
  if (!validKnots || knots[p_] >= knots[n]) {  // an open uniform (clamped) vector instead
    knots.assign(n + p_ + 1, 0.0);
    for (std::size_t i = 0; i < knots.size(); ++i) {
      knots[i] = i <= p_ ? 0.0 : i >= n ? static_cast<double>(n - p_) : static_cast<double>(i - p_);
    }
  }
  bool rational = s.weights.size() == n;
  for (std::size_t i = 0; rational && i < n; ++i) rational = s.weights[i] > 0 && std::isfinite(s.weights[i]);
  const double lo = knots[p_], hi = knots[n];
  const int samples = static_cast<int>(std::clamp<std::size_t>(n * 8, 16, 4000));
  std::vector<double> wx(p_ + 1), wy(p_ + 1), ww(p_ + 1);
  std::size_t span = p_;
  for (int k = 0; k <= samples; ++k) {
    const double u = k == samples ? hi : lo + (hi - lo) * k / samples;
    while (span + 1 < n && knots[span + 1] <= u) ++span;
    // de Boor on the homogeneous points of the span.
    for (std::size_t j = 0; j <= p_; ++j) {
      const std::size_t i = span - p_ + j;
      const double w = rational ? s.weights[i] : 1.0;
      wx[j] = cps[i].x * w, wy[j] = cps[i].y * w, ww[j] = w;
    }
    for (std::size_t r = 1; r <= p_; ++r) {
      for (std::size_t j = p_; j >= r; --j) {
        const std::size_t i = span - p_ + j;
        const double denominator = knots[i + p_ + 1 - r] - knots[i];
        const double alpha = denominator > 0 ? (u - knots[i]) / denominator : 0.0;
        wx[j] = (1 - alpha) * wx[j - 1] + alpha * wx[j];
        wy[j] = (1 - alpha) * wy[j - 1] + alpha * wy[j];
        ww[j] = (1 - alpha) * ww[j - 1] + alpha * ww[j];
      }
    }
    if (ww[p_] != 0) out.push_back({wx[p_] / ww[p_], wy[p_] / ww[p_]});
  }
}

void AppendHatchEdge(std::vector<Point2d>& out, const HatchEdge& edge) {
  if (const auto* l = std::get_if<HatchLineEdge>(&edge)) {
    out.push_back(l->start);
    out.push_back(l->end);
  } else if (const auto* a = std::get_if<HatchArcEdge>(&edge)) {
    double s = a->startAngle, e = a->endAngle;
    if (!a->counterClockwise) s = -s, e = -e;  // clockwise edges give their angles mirrored
    double sweep = WrapSpan(e - s, 360.0);
    if (std::abs(a->endAngle - a->startAngle) >= 360) sweep = 360;
    const int n = std::max(2, CurvePieces(sweep * kCurvePi / 180, 72));
    for (int k = 0; k <= n; ++k) {
      double t = (s + sweep * k / n) * kCurvePi / 180;
      if (!a->counterClockwise) t = -t;
      out.push_back({a->center.x + a->radius * std::cos(t), a->center.y + a->radius * std::sin(t)});
    }
  } else if (const auto* el = std::get_if<HatchEllipseEdge>(&edge)) {
    const double s = el->startAngle * kCurvePi / 180, e = el->endAngle * kCurvePi / 180;
    const double sign = el->counterClockwise ? 1.0 : -1.0;
    AppendEllipse(out, el->center, el->majorAxis, el->ratio, sign * s, sign * e);
  } else if (const auto* sp = std::get_if<SplineGeometry>(&edge)) {
    AppendSpline(out, *sp);
  }
}

void AppendHatchLoop(std::vector<Point2d>& out, const HatchLoop& loop) {
  if (!loop.isPolyline) {
    for (const HatchEdge& edge : loop.edges) AppendHatchEdge(out, edge);
    return;
  }
  const auto& v = loop.polyline;
  if (v.empty()) return;
  out.push_back(v[0].point);
  for (std::size_t i = 1; i < v.size(); ++i) AppendBulge(out, v[i - 1].point, v[i].point, v[i - 1].bulge);
  if (v.size() > 2 || v.back().bulge != 0) AppendBulge(out, v.back().point, v[0].point, v.back().bulge);
}

}  // namespace tessaro
