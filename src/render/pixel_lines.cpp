// Bresenham's line between the two endpoint pixels, with the run clipped arithmetically.
#include "render/pixel_lines.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessaro::render {
namespace {

// Device coordinates beyond this are cut back first (to keep the arithmetic in 64 bits);
// only lines running millions of pixels past the view ever meet it.
constexpr double kFar = 1e9;

// Floor of a / b for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Cuts the segment to the square of side 2 kFar (Liang-Barsky); false when it misses it.
bool CutToFar(QPointF& a, QPointF& b) {
  double t0 = 0, t1 = 1;
  const double d[2] = {b.x() - a.x(), b.y() - a.y()};
  const double p[2] = {a.x(), a.y()};
  for (int axis = 0; axis < 2; ++axis) {
    for (const double edge : {-kFar, kFar}) {
      const double q = edge < 0 ? p[axis] - edge : edge - p[axis];
      const double r = edge < 0 ? -d[axis] : d[axis];
      if (r == 0) {
        if (q < 0) return false;
        continue;
      }
      const double t = q / r;
      if (r < 0) t0 = std::max(t0, t);
      else t1 = std::min(t1, t);
    }
  }
  if (t0 > t1) return false;
  const QPointF from = a;
  a = from + (b - from) * t0;
  b = from + (b - from) * t1;
  return true;
}

}  // namespace

PixelTarget::PixelTarget(QImage& image)
    : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()), height_(image.height()) {}

void PixelTarget::Dot(QPointF at) {
  if (!(std::abs(at.x()) < kFar && std::abs(at.y()) < kFar)) return;
  Pixel(static_cast<std::int64_t>(std::floor(at.x())) + originX_,
        static_cast<std::int64_t>(std::floor(at.y())) + originY_);
}

void PixelTarget::Line(QPointF a, QPointF b) {
  if (!(std::abs(a.x()) < kFar && std::abs(a.y()) < kFar && std::abs(b.x()) < kFar && std::abs(b.y()) < kFar)) {
    if (!std::isfinite(a.x() + a.y() + b.x() + b.y()) || !CutToFar(a, b)) return;
  }
  std::int64_t x0 = static_cast<std::int64_t>(std::floor(a.x())) + originX_;
  std::int64_t y0 = static_cast<std::int64_t>(std::floor(a.y())) + originY_;
  std::int64_t x1 = static_cast<std::int64_t>(std::floor(b.x())) + originX_;
  std::int64_t y1 = static_cast<std::int64_t>(std::floor(b.y())) + originY_;
  // Along the longer axis ("major", u) one pixel a step; the other ("minor", v) follows.
  const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
  if (steep) {
    std::swap(x0, y0);
    std::swap(x1, y1);
  }
  if (x1 < x0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  const std::int64_t du = x1 - x0, dv = y1 - y0;
  const std::int64_t uSize = steep ? height_ : width_, vSize = steep ? width_ : height_;
  // Steps t in [0, du] land on u = x0 + t, v = y0 + floor((2 t dv + du) / (2 du)).
  std::int64_t first = std::max<std::int64_t>(0, -x0), last = std::min<std::int64_t>(du, uSize - 1 - x0);
  if (dv != 0 && first <= last) {
    // The steps whose v lies in the target, found in floating point and widened by two:
    // each pixel is still tested below, the estimate only skips what cannot show.
    const double slope = static_cast<double>(du) / static_cast<double>(dv);
    const double tLow = (static_cast<double>(-1 - y0)) * slope, tHigh = (static_cast<double>(vSize - y0)) * slope;
    const double lo = std::min(tLow, tHigh) - 2, hi = std::max(tLow, tHigh) + 2;
    first = std::max(first, static_cast<std::int64_t>(std::max(lo, -1.0)));
    last = std::min(last, static_cast<std::int64_t>(std::min(hi, static_cast<double>(du) + 1)));
  } else if (y0 < 0 || y0 >= vSize) {
    return;
  }
  const std::int64_t twoDu = 2 * std::max<std::int64_t>(du, 1);
  for (std::int64_t t = std::max<std::int64_t>(first, 0); t <= last; ++t) {
    const std::int64_t v = y0 + FloorDiv(2 * t * dv + du, twoDu);
    if (steep) Pixel(v, x0 + t);
    else Pixel(x0 + t, v);
  }
}

}  // namespace tessaro::render
