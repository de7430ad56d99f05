// The overview's levels: the frame it was made from, then halves of it.
#include "render/overview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tessaro::render {
namespace {

constexpr int kCoarsestPixels = 128;  // no level smaller than this on its long side

double PixelsPerUnit(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }

// Of two values of a colour channel, the one further from the background's.
inline std::uint32_t Further(std::uint32_t a, std::uint32_t b, std::uint32_t background) {
  const auto away = [background](std::uint32_t v) { return v > background ? v - background : background - v; };
  return away(b) > away(a) ? b : a;
}

// Of four pixels, channel by channel, the value that stands out most from the background.
inline std::uint32_t Strongest(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, QRgb background) {
  std::uint32_t out = 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    const std::uint32_t bg = (background >> shift) & 0xFF;
    const std::uint32_t v = Further(Further((a >> shift) & 0xFF, (b >> shift) & 0xFF, bg),
                                    Further((c >> shift) & 0xFF, (d >> shift) & 0xFF, bg), bg);
    out |= v << shift;
  }
  return out;
}

QImage Halved(const QImage& from, QRgb background) {
  const int w = (from.width() + 1) / 2, h = (from.height() + 1) / 2;
  QImage to(w, h, QImage::Format_RGB32);
  if (to.isNull()) return to;
  for (int y = 0; y < h; ++y) {
    const auto* top = reinterpret_cast<const std::uint32_t*>(from.constScanLine(2 * y));
    const auto* bottom =
        reinterpret_cast<const std::uint32_t*>(from.constScanLine(std::min(2 * y + 1, from.height() - 1)));
    auto* out = reinterpret_cast<std::uint32_t*>(to.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int right = std::min(2 * x + 1, from.width() - 1);
      out[x] = Strongest(top[2 * x], top[right], bottom[2 * x], bottom[right], background);
    }
  }
  return to;
}

}  // namespace

Overview::Overview(QImage frame, const QTransform& toFrame, Background background)
    : background_(BackgroundRgb(background)) {
  if (frame.isNull() || !toFrame.isInvertible()) return;
  if (frame.format() != QImage::Format_RGB32) frame = frame.convertToFormat(QImage::Format_RGB32);
  levels_.push_back(Level{std::move(frame), toFrame});
  while (std::max(levels_.back().image.width(), levels_.back().image.height()) > kCoarsestPixels) {
    const Level& last = levels_.back();
    Level next{Halved(last.image, background_), last.toLevel * QTransform::fromScale(0.5, 0.5)};
    if (next.image.isNull()) break;
    levels_.push_back(std::move(next));
  }
}

double Overview::FinestPixelsPerUnit() const { return levels_.empty() ? 0.0 : PixelsPerUnit(levels_.front().toLevel); }

void Overview::Paint(QPainter& painter, const QTransform& toDevice, const QRect& target) const {
  painter.fillRect(target, QColor(background_));
  if (levels_.empty() || !toDevice.isInvertible()) return;
  const double device = PixelsPerUnit(toDevice);
  const Level* level = &levels_.front();
  for (const Level& l : levels_) {
    if (PixelsPerUnit(l.toLevel) >= device) level = &l;
  }
  const QTransform toTarget = level->toLevel.inverted() * toDevice;  // level pixels to device
  if (!toTarget.isInvertible()) return;
  // The level's pixels that land in the target, a pixel more each side.
  const QRectF wanted = toTarget.inverted().mapRect(QRectF(target)).adjusted(-1, -1, 1, 1);
  const QRect source = wanted.toAlignedRect().intersected(level->image.rect());
  if (source.isEmpty()) return;
  painter.save();
  painter.setClipRect(target);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setTransform(toTarget, true);
  painter.drawImage(QRectF(source), level->image, QRectF(source));
  painter.restore();
}

std::size_t Overview::Bytes() const {
  std::size_t bytes = 0;
  for (const Level& l : levels_) bytes += static_cast<std::size_t>(l.image.sizeInBytes());
  return bytes;
}

}  // namespace tessaro::render
