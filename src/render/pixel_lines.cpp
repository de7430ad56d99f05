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


}  // namespace

bool CutSegmentTo(QPointF& a, QPointF& b, const QRectF& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const QPointF from = a;
  a = from + (b - from) * t0;
  b = from + (b - from) * t1;
  return true;
}

PixelTarget::PixelTarget(QImage& image)
    : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()), height_(image.height()) {}

void PixelTarget::Dot(QPointF at) {
  if (!(std::abs(at.x()) < kFar && std::abs(at.y()) < kFar)) return;
  Pixel(PixelX(at.x()), PixelY(at.y()));
}

void PixelTarget::Line(QPointF a, QPointF b) {
  if (!(std::abs(a.x()) < kFar && std::abs(a.y()) < kFar && std::abs(b.x()) < kFar && std::abs(b.y()) < kFar)) {
    if (!std::isfinite(a.x() + a.y() + b.x() + b.y()) || !CutSegmentTo(a, b, QRectF(-kFar, -kFar, 2 * kFar, 2 * kFar))) return;
  }
  PixelLine(PixelX(a.x()), PixelY(a.y()), PixelX(b.x()), PixelY(b.y()));
}

void PixelTarget::Polyline(const QPointF* points, int count, bool closed) {
  for (int i = 0; i < count; ++i) {
    if (!(std::abs(points[i].x()) < kFar && std::abs(points[i].y()) < kFar)) {
      // Far points need cutting first: segment by segment.
      for (int j = 1; j < count; ++j) Line(points[j - 1], points[j]);
      if (closed && count > 2) Line(points[count - 1], points[0]);
      return;
    }
  }
  if (count == 0) return;
  std::int64_t x = PixelX(points[0].x()), y = PixelY(points[0].y());
  const std::int64_t firstX = x, firstY = y;
  Pixel(x, y);
  for (int i = 1; i < count; ++i) {
    const std::int64_t nx = PixelX(points[i].x()), ny = PixelY(points[i].y());
    if (nx == x && ny == y) continue;
    PixelLine(x, y, nx, ny);
    x = nx;
    y = ny;
  }
  if (closed && count > 2 && (x != firstX || y != firstY)) PixelLine(x, y, firstX, firstY);
}

void PixelTarget::PixelLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
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
  // v(t) = y0 + q where q = floor(num / 2du) and num = 2 t dv + du, kept as q and the
  // remainder r and stepped by 2 dv: one division a line, not one a pixel.
  const std::int64_t twoDu = 2 * std::max<std::int64_t>(du, 1);
  const std::int64_t start = std::max<std::int64_t>(first, 0);
  if (start > last) return;
  std::int64_t q = FloorDiv(2 * start * dv + du, twoDu);
  std::int64_t r = 2 * start * dv + du - q * twoDu;
  const std::int64_t stepR = 2 * dv;
  for (std::int64_t t = start; t <= last; ++t) {
    if (steep) Pixel(y0 + q, x0 + t);
    else Pixel(x0 + t, y0 + q);
    r += stepR;
    if (r >= twoDu) {
      r -= twoDu;
      ++q;
    } else if (r < 0) {
      r += twoDu;
      --q;
    }
  }
}

}  // namespace tessaro::render
