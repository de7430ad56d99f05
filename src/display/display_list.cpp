// The display list's pools and the flattening of the drawing's entities into shapes.
#include "display/display_list.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <variant>

#include "display/mtext.h"

namespace tessaro {
namespace {

Extents BoxOfPoints(std::span<const Point2d> points) {
  Extents box{points.front(), points.front()};
  for (const Point2d& p : points) {
    box.min.x = std::min(box.min.x, p.x);
    box.min.y = std::min(box.min.y, p.y);
    box.max.x = std::max(box.max.x, p.x);
    box.max.y = std::max(box.max.y, p.y);
  }
  return box;
}

bool Finite(const Extents& box) {
  return std::isfinite(box.min.x) && std::isfinite(box.min.y) && std::isfinite(box.max.x) && std::isfinite(box.max.y);
}

// The box of the points; nothing when there are none or one is not a finite number.
std::optional<Extents> FiniteBoxOf(std::span<const Point2d> points) {
  if (points.empty()) return std::nullopt;
  for (const Point2d& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return std::nullopt;
  }
  return BoxOfPoints(points);
}

std::uint32_t Index32(std::size_t index) {
  if (index > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("display list too large");
  return static_cast<std::uint32_t>(index);
}


}  // namespace

void DisplayList::Push(ShapeKind kind, bool closed, LayerIndex layer, ShapeColor color, std::size_t index,
                       std::size_t count, const Extents& box) {
  shapes_.push_back(Shape{kind, closed, layer, color, Index32(index), Index32(count), box});
}

// Shapes with a coordinate that is not a finite number (a file's extreme values, scaled) are
// left out: a painter could do nothing sensible with them.
void DisplayList::AddSegment(LayerIndex layer, ShapeColor color, Point2d a, Point2d b) {
  const Point2d both[2] = {a, b};
  const auto box = FiniteBoxOf(both);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.push_back(a);
  points_.push_back(b);
  Push(ShapeKind::Segment, false, layer, color, first, 2, *box);
}

void DisplayList::AddPolyline(LayerIndex layer, ShapeColor color, std::span<const Point2d> points, bool closed) {
  const auto box = FiniteBoxOf(points);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), points.begin(), points.end());
  Push(ShapeKind::Polyline, closed, layer, color, first, points.size(), *box);
}

void DisplayList::AddArc(LayerIndex layer, ShapeColor color, const ArcShape& arc) {
  const Extents box{{arc.center.x - arc.radius, arc.center.y - arc.radius},
                    {arc.center.x + arc.radius, arc.center.y + arc.radius}};
  if (!Finite(box) || !std::isfinite(arc.startAngle) || !std::isfinite(arc.endAngle)) return;
  Push(ShapeKind::Arc, false, layer, color, arcs_.size(), 1, box);
  arcs_.push_back(arc);
}

void DisplayList::AddText(LayerIndex layer, ShapeColor color, TextShape text, const Extents& box) {
  if (!Finite(box) || !std::isfinite(text.height) || !std::isfinite(text.rotation)) return;
  Push(ShapeKind::Text, false, layer, color, texts_.size(), 1, box);
  texts_.push_back(std::move(text));
}

void DisplayList::AddFill(LayerIndex layer, ShapeColor color, std::span<const Point2d> polygon) {
  const auto box = FiniteBoxOf(polygon);
  if (!box) return;
  const std::size_t first = points_.size();
  points_.insert(points_.end(), polygon.begin(), polygon.end());
  Push(ShapeKind::Fill, true, layer, color, first, polygon.size(), *box);
}

void DisplayList::AddDot(LayerIndex layer, ShapeColor color, Point2d at) {
  if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
  const std::size_t first = points_.size();
  points_.push_back(at);
  Push(ShapeKind::Dot, false, layer, color, first, 1, Extents{at, at});
}

std::optional<Extents> DisplayList::Bounds() const {
  if (shapes_.empty()) return std::nullopt;
  Extents all = shapes_.front().box;
  for (const Shape& s : shapes_) {
    all.min.x = std::min(all.min.x, s.box.min.x);
    all.min.y = std::min(all.min.y, s.box.min.y);
    all.max.x = std::max(all.max.x, s.box.max.x);
    all.max.y = std::max(all.max.y, s.box.max.y);
  }
  return all;
}

void DisplayList::Clear() {
  shapes_.clear();
  points_.clear();
  arcs_.clear();
  texts_.clear();
  truncated_ = false;
}

void DisplayList::Reserve(std::size_t shapes, std::size_t points) {
  shapes_.reserve(shapes);
  points_.reserve(points);
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxInsertDepth = 32;
// Insert expansions and entity visits a flattening may make before it stops: an array of
// arrays of empty blocks draws nothing but could otherwise keep it busy for hours.
constexpr std::size_t kMaxVisits = 100'000'000;

// x' = a·x + b·y + c, y' = d·x + e·y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
  bool identity = true;

  Point2d operator()(Point2d p) const {
    if (identity) return p;
    return {a * p.x + b * p.y + c, d * p.x + e * p.y + f};
  }
  Point2d Linear(Point2d v) const { return {a * v.x + b * v.y, d * v.x + e * v.y}; }
  double Det() const { return a * e - b * d; }
  // A rotation and a uniform scale, perhaps mirrored: circles stay circles.
  bool Similar() const {
    const double scale = std::max({std::abs(a), std::abs(b), std::abs(d), std::abs(e), 1e-300});
    const double tol = 1e-9 * scale;
    return (std::abs(a - e) <= tol && std::abs(b + d) <= tol) || (std::abs(a + e) <= tol && std::abs(b - d) <= tol);
  }
  Affine Then(const Affine& inner) const {  // this ∘ inner
    if (inner.identity) return *this;
    if (identity) return inner;
    Affine m;
    m.identity = false;
    m.a = a * inner.a + b * inner.d;
    m.b = a * inner.b + b * inner.e;
    m.c = a * inner.c + b * inner.f + c;
    m.d = d * inner.a + e * inner.d;
    m.e = d * inner.b + e * inner.e;
    m.f = d * inner.c + e * inner.f + f;
    return m;
  }
  static Affine Translate(double x, double y) {
    Affine m;
    m.c = x, m.f = y, m.identity = x == 0 && y == 0;
    return m;
  }
  static Affine RotateScale(double degrees, double sx, double sy) {
    const double r = degrees * kPi / 180.0;
    const double cs = std::cos(r), sn = std::sin(r);
    Affine m;
    m.a = cs * sx, m.b = -sn * sy, m.d = sn * sx, m.e = cs * sy;
    m.identity = degrees == 0 && sx == 1 && sy == 1;
    return m;
  }
};

double AngleOf(Point2d v) { return std::atan2(v.y, v.x) * 180.0 / kPi; }
Point2d Direction(double degrees) {
  const double r = degrees * kPi / 180.0;
  return {std::cos(r), std::sin(r)};
}

// An angle span brought into [0, period): no loop, whatever the values a file gave.
double Wrap(double span, double period) {
  if (!std::isfinite(span)) return 0.0;
  const double wrapped = std::fmod(span, period);
  return wrapped < 0 ? wrapped + period : wrapped;
}

int SegmentsFor(double sweepRadians, int perTurn) {
  const double n = std::ceil(std::abs(sweepRadians) / (2 * kPi) * perTurn);
  if (!std::isfinite(n)) return 1;
  return static_cast<int>(std::clamp(n, 1.0, static_cast<double>(perTurn)));
}

// Appends the points after `from` of the arc of a polyline segment with `bulge` to `to`.
void AppendBulge(std::vector<Point2d>& out, Point2d from, Point2d to, double bulge) {
  if (bulge == 0.0 || !std::isfinite(bulge) || (from.x == to.x && from.y == to.y)) {
    out.push_back(to);
    return;
  }
  const double sweep = 4.0 * std::atan(bulge);  // signed, radians
  const double chord = std::hypot(to.x - from.x, to.y - from.y);
  const double radius = chord / (2.0 * std::sin(std::abs(sweep) / 2.0));
  // Center: from the chord's middle, along its normal.
  const double mx = (from.x + to.x) / 2, my = (from.y + to.y) / 2;
  const double nx = -(to.y - from.y) / chord, ny = (to.x - from.x) / chord;
  const double h = radius * std::cos(sweep / 2.0) * (sweep > 0 ? 1 : -1);
  const Point2d center{mx + nx * h, my + ny * h};
  const double start = std::atan2(from.y - center.y, from.x - center.x);
  const int n = SegmentsFor(sweep, 64);
  for (int k = 1; k < n; ++k) {
    const double t = start + sweep * k / n;
    out.push_back({center.x + radius * std::cos(t), center.y + radius * std::sin(t)});
  }
  out.push_back(to);
}

void AppendEllipse(std::vector<Point2d>& out, Point2d center, Point2d major, double ratio, double start, double end) {
  const Point2d minor{-major.y * ratio, major.x * ratio};
  double sweep = end - start;
  if (!std::isfinite(sweep) || !std::isfinite(start)) return;
  if (sweep <= 0 || sweep > 2 * kPi + 1e-9) {
    sweep = Wrap(sweep, 2 * kPi);
    if (sweep == 0) sweep = 2 * kPi;
  }
  const int n = std::max(2, SegmentsFor(sweep, 96));
  for (int k = 0; k <= n; ++k) {
    const double t = start + sweep * k / n;
    out.push_back({center.x + std::cos(t) * major.x + std::sin(t) * minor.x,
                   center.y + std::cos(t) * major.y + std::sin(t) * minor.y});
  }
}

// Points along a B-spline (rational when weights are given), or through its fit points.
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

class Flattener {
public:
  Flattener(const Drawing& drawing, std::size_t maxShapes)
      : drawing_(drawing), layers_(drawing.Layers()), onStack_(drawing.Blocks().size(), 0), maxShapes_(maxShapes) {
    layerZero_ = drawing.FindLayer("0");
    if (const auto box = drawing.ComputeExtents()) {
      center_ = {(box->min.x + box->max.x) / 2, (box->min.y + box->max.y) / 2};
      radius_ = std::hypot(box->max.x - box->min.x, box->max.y - box->min.y) / 2;
      if (!std::isfinite(radius_)) radius_ = 0;
    }
  }

  DisplayList Run() {
    list_.Reserve(drawing_.EntityCount(), 2 * drawing_.EntityCount());
    Context top;
    Walk(drawing_.Entities(), top);
    list_.SetTruncated(stopped_);
    return std::move(list_);
  }

private:
  struct Context {
    Affine m;
    std::optional<LayerIndex> insertLayer;  // inside a block: the layer entities on "0" take
    ShapeColor blockColor{7, 0};
    int depth = 0;
  };

  bool Full() {
    if (!stopped_ && (list_.Shapes().size() >= maxShapes_ || visits_ >= kMaxVisits)) stopped_ = true;
    return stopped_;
  }

  ShapeColor LayerColor(LayerIndex layer) const {
    if (layer >= layers_.size()) return {7, 0};
    const Layer& l = layers_[layer];
    if (l.trueColor) return {0, *l.trueColor};
    return {l.color, 0};
  }

  LayerIndex EffectiveLayer(const EntityHeader& e, const Context& ctx) const {
    if (ctx.insertLayer && layerZero_ && e.layer == *layerZero_) return *ctx.insertLayer;
    return e.layer;
  }

  ShapeColor ColorOf(const EntityHeader& e, LayerIndex layer, const Context& ctx) const {
    if (e.trueColor != 0) {
      if (const auto rgb = drawing_.TrueColor(e)) return {0, *rgb};
    }
    if (e.color == 256) return LayerColor(layer);
    if (e.color == 0) return ctx.blockColor;
    return {e.color, 0};
  }

  void Walk(const std::vector<EntityHeader>& entities, const Context& ctx) {
    for (const EntityHeader& e : entities) {
      ++visits_;
      if (Full()) return;
      Flatten(e, ctx);
    }
  }

  void AddPoints(LayerIndex layer, ShapeColor color, bool closed, bool fill) {
    if (points_.empty()) return;
    if (fill) {
      list_.AddFill(layer, color, points_);
    } else if (points_.size() == 2 && !closed) {
      list_.AddSegment(layer, color, points_[0], points_[1]);
    } else {
      list_.AddPolyline(layer, color, points_, closed);
    }
  }

  void MapPoints(const Affine& m) {
    if (m.identity) return;
    for (Point2d& p : points_) p = m(p);
  }

  void AddCircleOrArc(LayerIndex layer, ShapeColor color, const Context& ctx, Point2d center, double radius,
                      double start, double end, bool whole) {
    const Affine& m = ctx.m;
    if (m.identity) {
      list_.AddArc(layer, color, ArcShape{center, radius, start, end});
      return;
    }
    if (m.Similar()) {
      const double scale = std::sqrt(std::abs(m.Det()));
      ArcShape arc{m(center), radius * scale, 0.0, 360.0};
      if (!whole) {
        const double s = AngleOf(m.Linear(Direction(start))), e = AngleOf(m.Linear(Direction(end)));
        const double sweep = Wrap(end - start, 360.0);
        if (m.Det() < 0) {
          arc.startAngle = e, arc.endAngle = e + sweep;
        } else {
          arc.startAngle = s, arc.endAngle = s + sweep;
        }
      }
      list_.AddArc(layer, color, arc);
      return;
    }
    // Scaled unevenly: an ellipse.
    points_.clear();
    double s = start * kPi / 180, e = end * kPi / 180;
    if (whole) s = 0, e = 2 * kPi;
    AppendEllipse(points_, center, {radius, 0}, 1.0, s, e);
    if (whole && points_.size() > 1) points_.pop_back();  // closed: the first point again
    MapPoints(m);
    AddPoints(layer, color, whole, false);
  }

  void AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, const TextGeometry& t) {
    TextShape shape;
    shape.height = t.height;
    shape.rotation = t.rotation;
    shape.widthFactor = t.widthFactor;
    shape.oblique = t.oblique;
    shape.value = t.value;
    shape.position = t.position;
    const bool simple = t.hAlign == 0 && t.vAlign == 0;
    if (!simple) {
      switch (t.hAlign) {
        case 1: shape.hAlign = TextHAlign::Center; break;
        case 2: shape.hAlign = TextHAlign::Right; break;
        case 4: shape.hAlign = TextHAlign::Center, shape.vAlign = TextVAlign::Middle; break;
        default: break;
      }
      if (t.hAlign != 4) shape.vAlign = static_cast<TextVAlign>(std::min<int>(t.vAlign, 3));
      if (t.hAlign == 3 || t.hAlign == 5) {  // aligned, fit: from the first point to the second
        shape.vAlign = TextVAlign::Baseline;
        const Point2d run{t.alignPoint.x - t.position.x, t.alignPoint.y - t.position.y};
        shape.fitWidth = std::hypot(run.x, run.y);
        if (shape.fitWidth > 0) shape.rotation = AngleOf(run);
      } else {
        shape.position = t.alignPoint;
      }
    }
    AddTextShape(layer, color, ctx, std::move(shape));
  }

  void AddTextShape(LayerIndex layer, ShapeColor color, const Context& ctx, TextShape shape) {
    const Affine& m = ctx.m;
    if (!m.identity) {
      const Point2d along = m.Linear(Direction(shape.rotation));
      const double alongScale = std::hypot(along.x, along.y);
      const double acrossScale = alongScale > 0 ? std::abs(m.Det()) / alongScale : 0.0;
      shape.position = m(shape.position);
      if (alongScale > 0) shape.rotation = AngleOf(along);
      shape.height *= acrossScale;
      if (acrossScale > 0) shape.widthFactor *= alongScale / acrossScale;
      shape.fitWidth *= alongScale;
    }
    // Width is unknown without a font: a generous guess keeps a text from vanishing early.
    const double width =
        shape.fitWidth > 0 ? shape.fitWidth : shape.height * shape.widthFactor * static_cast<double>(shape.value.size());
    double x0 = 0, y0 = 0;
    if (shape.hAlign == TextHAlign::Center) x0 = -width / 2;
    if (shape.hAlign == TextHAlign::Right) x0 = -width;
    if (shape.vAlign == TextVAlign::Middle) y0 = -shape.height / 2;
    if (shape.vAlign == TextVAlign::Top) y0 = -shape.height;
    Extents box;
    if (shape.rotation == 0 && x0 == 0 && y0 == 0 && shape.widthFactor == 1.0) {
      box = Extents{shape.position, Point2d{shape.position.x + width, shape.position.y + shape.height}};
    } else {
      const Point2d u = Direction(shape.rotation), v{-u.y, u.x};
      box = Extents{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
      for (const double x : {x0, x0 + width}) {
        for (const double y : {y0, y0 + shape.height}) {
          const Point2d p{shape.position.x + u.x * x + v.x * y, shape.position.y + u.y * x + v.y * y};
          box.min.x = std::min(box.min.x, p.x), box.min.y = std::min(box.min.y, p.y);
          box.max.x = std::max(box.max.x, p.x), box.max.y = std::max(box.max.y, p.y);
        }
      }
    }
    list_.AddText(layer, color, std::move(shape), box);
  }

  void AddMText(LayerIndex layer, ShapeColor color, const Context& ctx, const MTextGeometry& m) {
    const std::vector<std::string> lines = PlainMTextLines(m.value);
    const double step = m.height * (5.0 / 3.0) * (m.lineSpacing > 0 ? m.lineSpacing : 1.0);
    const double total = m.height + step * static_cast<double>(lines.size() - 1);
    const int row = (m.attachment - 1) / 3, column = (m.attachment - 1) % 3;
    // Baseline of the first line, below the attachment point.
    double first = -m.height;
    if (row == 1) first = total / 2 - m.height;
    if (row == 2) first = total - m.height;
    const Point2d u = Direction(m.rotation), v{-u.y, u.x};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      const double y = first - step * static_cast<double>(i);
      TextShape shape;
      shape.position = {m.position.x + v.x * y, m.position.y + v.y * y};
      shape.height = m.height;
      shape.rotation = m.rotation;
      shape.hAlign = column == 0 ? TextHAlign::Left : column == 1 ? TextHAlign::Center : TextHAlign::Right;
      shape.value = lines[i];
      AddTextShape(layer, color, ctx, std::move(shape));
      if (Full()) return;
    }
  }

  void AddHatch(LayerIndex layer, ShapeColor color, const Context& ctx, const HatchGeometry& h) {
    // A solid fill is one polygon of all loops, each closed and joined back to the first point:
    // with the even-odd rule the islands stay empty and the joins have no area.
    std::vector<Point2d> all;
    for (const HatchLoop& loop : h.loops) {
      points_.clear();
      if (loop.isPolyline) {
        const auto& v = loop.polyline;
        if (v.empty()) continue;
        points_.push_back(v[0].point);
        for (std::size_t i = 1; i < v.size(); ++i) AppendBulge(points_, v[i - 1].point, v[i].point, v[i - 1].bulge);
        if (v.size() > 2 || v.back().bulge != 0) AppendBulge(points_, v.back().point, v[0].point, v.back().bulge);
      } else {
        for (const HatchEdge& edge : loop.edges) AppendEdge(edge);
      }
      if (points_.empty()) continue;
      MapPoints(ctx.m);
      if (h.solid) {
        const bool first = all.empty();
        all.insert(all.end(), points_.begin(), points_.end());
        if (!(points_.back() == points_.front())) all.push_back(points_.front());
        if (!first) all.push_back(all.front());
      } else {
        AddPoints(layer, color, true, false);
      }
    }
    if (h.solid && !all.empty()) list_.AddFill(layer, color, all);
  }

  void AppendEdge(const HatchEdge& edge) {
    if (const auto* l = std::get_if<HatchLineEdge>(&edge)) {
      points_.push_back(l->start);
      points_.push_back(l->end);
    } else if (const auto* a = std::get_if<HatchArcEdge>(&edge)) {
      double s = a->startAngle, e = a->endAngle;
      if (!a->counterClockwise) s = -s, e = -e;  // clockwise edges give their angles mirrored
      double sweep = Wrap(e - s, 360.0);
      if (std::abs(a->endAngle - a->startAngle) >= 360) sweep = 360;
      const int n = std::max(2, SegmentsFor(sweep * kPi / 180, 72));
      for (int k = 0; k <= n; ++k) {
        double t = (s + sweep * k / n) * kPi / 180;
        if (!a->counterClockwise) t = -t;
        points_.push_back({a->center.x + a->radius * std::cos(t), a->center.y + a->radius * std::sin(t)});
      }
    } else if (const auto* el = std::get_if<HatchEllipseEdge>(&edge)) {
      double s = el->startAngle * kPi / 180, e = el->endAngle * kPi / 180;
      if (el->counterClockwise) {
        AppendEllipse(points_, el->center, el->majorAxis, el->ratio, s, e);
      } else {
        const std::size_t mark = points_.size();
        AppendEllipse(points_, el->center, el->majorAxis, el->ratio, -s, -e);
        (void)mark;
      }
    } else if (const auto* sp = std::get_if<SplineGeometry>(&edge)) {
      AppendSpline(points_, *sp);
    }
  }

  void Expand(BlockIndex index, const Affine& placement, LayerIndex layer, ShapeColor color, const Context& ctx) {
    if (index >= drawing_.Blocks().size() || ctx.depth >= kMaxInsertDepth || onStack_[index] != 0) return;
    const Block& block = drawing_.Blocks()[index];
    if (block.entities.empty()) return;
    Context inner;
    inner.m = ctx.m.Then(placement);
    inner.insertLayer = layer;
    inner.blockColor = color;
    inner.depth = ctx.depth + 1;
    onStack_[index] = 1;
    Walk(block.entities, inner);
    onStack_[index] = 0;
  }

  void Flatten(const EntityHeader& e, const Context& ctx) {
    const LayerIndex layer = EffectiveLayer(e, ctx);
    const ShapeColor color = ColorOf(e, layer, ctx);
    const Affine& m = ctx.m;
    const Drawing& d = drawing_;
    switch (e.type) {
      case EntityType::Line: {
        const LineGeometry& l = d.Line(e);
        list_.AddSegment(layer, color, m(l.start), m(l.end));
        break;
      }
      case EntityType::Circle: {
        const CircleGeometry& c = d.Circle(e);
        AddCircleOrArc(layer, color, ctx, c.center, c.radius, 0.0, 360.0, true);
        break;
      }
      case EntityType::Arc: {
        const ArcGeometry& a = d.Arc(e);
        AddCircleOrArc(layer, color, ctx, a.center, a.radius, a.startAngle, a.endAngle, false);
        break;
      }
      case EntityType::Text: AddTextShape(layer, color, ctx, d.Text(e)); break;
      case EntityType::Attrib:
        if (!d.Attrib(e).invisible) AddTextShape(layer, color, ctx, d.Attrib(e).text);
        break;
      case EntityType::Polyline: {
        const PolylineGeometry& p = d.Polyline(e);
        const auto v = d.Vertices(p);
        if (v.empty()) break;
        points_.clear();
        points_.push_back(v[0].point);
        for (std::size_t i = 1; i < v.size(); ++i) AppendBulge(points_, v[i - 1].point, v[i].point, v[i - 1].bulge);
        bool closed = p.closed;
        if (p.closed && v.back().bulge != 0) {
          AppendBulge(points_, v.back().point, v[0].point, v.back().bulge);
          points_.pop_back();
        }
        if (points_.size() == 1) closed = false;
        MapPoints(m);
        AddPoints(layer, color, closed, false);
        break;
      }
      case EntityType::Ellipse: {
        const EllipseGeometry& el = d.Ellipse(e);
        points_.clear();
        const bool whole = std::abs(el.endParam - el.startParam) >= 2 * kPi - 1e-9;
        AppendEllipse(points_, el.center, el.majorAxis, el.ratio, el.startParam, el.endParam);
        if (whole && !points_.empty()) points_.pop_back();
        MapPoints(m);
        AddPoints(layer, color, whole, false);
        break;
      }
      case EntityType::Spline: {
        const SplineGeometry& s = d.Spline(e);
        points_.clear();
        AppendSpline(points_, s);
        MapPoints(m);
        AddPoints(layer, color, s.closed && s.controlPoints.empty(), false);
        break;
      }
      case EntityType::MText: AddMText(layer, color, ctx, d.MText(e)); break;
      case EntityType::Insert: {
        const InsertGeometry& in = d.Insert(e);
        if (in.block >= d.Blocks().size() || d.Blocks()[in.block].entities.empty()) break;
        const Point2d base = d.Blocks()[in.block].base;
        const Affine rotate = Affine::RotateScale(in.rotation, 1.0, 1.0);
        const Affine scale = Affine::RotateScale(0.0, in.xScale, in.yScale).Then(Affine::Translate(-base.x, -base.y));
        for (int row = 0; row < in.rows; ++row) {
          for (int column = 0; column < in.columns; ++column) {
            ++visits_;
            if (Full()) return;
            const Affine placement = Affine::Translate(in.position.x, in.position.y)
                                         .Then(rotate)
                                         .Then(Affine::Translate(column * in.columnSpacing, row * in.rowSpacing))
                                         .Then(scale);
            Expand(in.block, placement, layer, color, ctx);
          }
        }
        break;
      }
      case EntityType::Dimension: {
        const DimensionGeometry& dim = d.Dimension(e);
        if (dim.block >= d.Blocks().size()) break;
        const Point2d base = d.Blocks()[dim.block].base;
        Expand(dim.block, Affine::Translate(dim.blockOffset.x - base.x, dim.blockOffset.y - base.y), layer, color, ctx);
        break;
      }
      case EntityType::Leader: {
        const LeaderGeometry& l = d.Leader(e);
        points_.assign(l.vertices.begin(), l.vertices.end());
        MapPoints(m);
        AddPoints(layer, color, false, false);
        break;
      }
      case EntityType::Hatch: AddHatch(layer, color, ctx, d.Hatch(e)); break;
      case EntityType::Solid: {
        const SolidGeometry& s = d.Solid(e);
        if (s.kind == SolidKind::Face3d) {
          points_.assign(std::begin(s.corners), std::end(s.corners));
          MapPoints(m);
          if (s.invisibleEdges == 0) {
            AddPoints(layer, color, true, false);
          } else {
            const std::vector<Point2d> corners = points_;
            for (int k = 0; k < 4; ++k) {
              if ((s.invisibleEdges & (1 << k)) == 0) list_.AddSegment(layer, color, corners[k], corners[(k + 1) % 4]);
            }
          }
        } else {
          points_ = {s.corners[0], s.corners[1], s.corners[3], s.corners[2]};
          MapPoints(m);
          AddPoints(layer, color, true, true);
        }
        break;
      }
      case EntityType::Point: list_.AddDot(layer, color, m(d.Point(e).position)); break;
      case EntityType::Ray: {
        const RayGeometry& r = d.Ray(e);
        const Point2d base = m(r.base);
        Point2d dir = m.Linear(r.direction);
        const double length = std::hypot(dir.x, dir.y);
        if (!(length > 0) || !std::isfinite(length)) break;
        dir = {dir.x / length, dir.y / length};
        // Far enough past the drawing's extents to leave the view at any zoom that shows it.
        const double reach = std::hypot(base.x - center_.x, base.y - center_.y) + 10 * radius_ + 1;
        const Point2d end{base.x + dir.x * reach, base.y + dir.y * reach};
        const Point2d start = r.infinite ? Point2d{base.x - dir.x * reach, base.y - dir.y * reach} : base;
        list_.AddSegment(layer, color, start, end);
        break;
      }
      case EntityType::Wipeout: {
        points_ = d.Wipeout(e).frame;
        MapPoints(m);
        AddPoints(layer, color, true, false);
        break;
      }
    }
  }

  const Drawing& drawing_;
  const std::vector<Layer>& layers_;
  std::optional<LayerIndex> layerZero_;
  std::vector<std::uint8_t> onStack_;
  std::size_t maxShapes_;
  DisplayList list_;
  std::vector<Point2d> points_;
  std::size_t visits_ = 0;
  bool stopped_ = false;
  Point2d center_;
  double radius_ = 0;
};

}  // namespace

DisplayList FlattenDrawing(const Drawing& drawing, std::size_t maxShapes) {
  return Flattener(drawing, maxShapes).Run();
}


}  // namespace tessaro
