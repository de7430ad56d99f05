#include "render/overview_pyramid.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tessaro::render {
namespace {
constexpr int kBands = 16;        // a level is rendered in bands, so stopping waits for one band
constexpr int kMaxSide = 16'384;  // pixels a side of one level
constexpr double kMaxStretch = 2.0;
}  // namespace

OverviewPyramid::OverviewPyramid(const Scene& scene, std::vector<Layer> layers, double baseScale,
                                 long long maxPixels)
    : scene_(scene), layers_(std::move(layers)), baseScale_(baseScale) {
  const auto bounds = scene.List().Bounds();
  if (!bounds || !(baseScale > 0) || !std::isfinite(baseScale)) return;
  const double w = bounds->max.x - bounds->min.x, h = bounds->max.y - bounds->min.y;
  long long total = 0;
  for (double scale = baseScale;; scale *= 2) {
    const double pw = std::ceil(w * scale) + 2, ph = std::ceil(h * scale) + 2;
    if (!std::isfinite(pw) || !std::isfinite(ph) || pw > kMaxSide || ph > kMaxSide) break;
    total += static_cast<long long>(pw) * static_cast<long long>(ph);
    if (total > maxPixels) break;
    Level level;
    level.scale = scale;
    level.image = QImage(static_cast<int>(pw), static_cast<int>(ph), QImage::Format_RGB32);
    if (level.image.isNull()) break;
    // The bounds' top-left corner one pixel in from the image's.
    level.toImage = QTransform(scale, 0, 0, -scale, 1 - bounds->min.x * scale, 1 + bounds->max.y * scale);
    levels_.push_back(std::move(level));
  }
  if (!levels_.empty()) worker_ = std::thread([this] { Build(); });
}

OverviewPyramid::~OverviewPyramid() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void OverviewPyramid::Build() {
  for (std::size_t k = 0; k < levels_.size(); ++k) {
    Level& level = levels_[k];
    const int height = level.image.height();
    const QRectF all = level.toImage.inverted().mapRect(QRectF(level.image.rect()));
    const double boxPixels = scene_.TextBoxPixels(all);
    for (int band = 0; band < kBands; ++band) {
      if (stop_) return;
      const int top = height * band / kBands, bottom = height * (band + 1) / kBands;
      scene_.Render(level.image, layers_, level.toImage, QRect(0, top, level.image.width(), bottom - top), 1,
                    boxPixels);
    }
    ready_ = static_cast<int>(k + 1);
  }
}

bool OverviewPyramid::Paint(QImage& image, const QTransform& toDevice) const {
  const int ready = ready_.load();
  const double scale = std::abs(toDevice.m11());
  if (ready == 0 || toDevice.m12() != 0 || toDevice.m21() != 0 || !(scale > 0)) return false;
  // The finest ready level no finer than the frame (its pixels are stretched, never dropped).
  const Level* best = nullptr;
  for (int k = 0; k < ready; ++k) {
    if (levels_[k].scale <= scale * 1.0001) best = &levels_[k];
  }
  if (best == nullptr || scale / best->scale > kMaxStretch) return false;
  // Level pixels to device pixels.
  const QTransform levelToDevice = best->toImage.inverted() * toDevice;
  image.fill(best->image.pixel(0, 0));  // the paper: the level's margin pixel
  QPainter painter(&image);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const QRectF source = levelToDevice.inverted().mapRect(QRectF(image.rect())).intersected(QRectF(best->image.rect()));
  if (source.isEmpty()) return true;
  painter.drawImage(levelToDevice.mapRect(source), best->image, source);
  return true;
}

}  // namespace tessaro::render
