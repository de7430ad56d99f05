// One-pixel lines and dots written straight into 32-bit image memory. Endpoints go to the
// pixel that holds them and the pixels between follow from those two whole-number points
// alone, so a line gives the same pixels wherever a frame puts it and however the frame is
// cut into strips and bands: a frame moved by a pan matches one painted afresh. Clipping
// skips to the part inside the target, so a line far longer than the view costs only what
// it shows.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <cmath>
#include <cstdint>

namespace tessaro::render {

// Cuts the segment from `a` to `b` to `r` (Liang-Barsky); false when it misses it.
bool CutSegmentTo(QPointF& a, QPointF& b, const QRectF& r);

class PixelTarget {
public:
  // `image` must be 32 bits a pixel (RGB32 or ARGB32 premultiplied) and outlive the target.
  explicit PixelTarget(QImage& image);

  static bool Supports(const QImage& image) { return image.depth() == 32; }

  void SetColor(QRgb rgb) { color_ = 0xFF000000u | rgb; }
  // Whole pixels added to every point after it is rounded down: moving a frame by whole
  // pixels then changes no rounding.
  void SetOrigin(std::int64_t x, std::int64_t y) {
    originX_ = x;
    originY_ = y;
  }
  void Line(QPointF a, QPointF b);
  // Joined lines through `points`; runs of points in one pixel cost one step.
  void Polyline(const QPointF* points, int count, bool closed);
  void Dot(QPointF at);

private:
  // The line between two pixels, both ends included.
  void PixelLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
  std::int64_t PixelX(double x) const { return static_cast<std::int64_t>(std::floor(x)) + originX_; }
  std::int64_t PixelY(double y) const { return static_cast<std::int64_t>(std::floor(y)) + originY_; }

  void Pixel(std::int64_t x, std::int64_t y) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
      reinterpret_cast<std::uint32_t*>(bits_ + y * stride_)[x] = color_;
    }
  }

  uchar* bits_;
  qsizetype stride_;
  std::int64_t width_;
  std::int64_t height_;
  std::uint32_t color_ = 0xFF000000u;
  std::int64_t originX_ = 0;
  std::int64_t originY_ = 0;
};

}  // namespace tessaro::render
