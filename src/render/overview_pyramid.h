// An overview pyramid: a scene pre-rendered at a few scales (each twice the one before) on
// a worker thread, once per display list and layer state, so a view far out can show a
// frame by scaling pixels instead of drawing every shape; the view paints the exact frame
// once it stops moving.
#pragma once

#include <QImage>
#include <QTransform>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "cad/drawing.h"
#include "render/scene.h"

namespace tessaro::render {

class OverviewPyramid {
public:
  // Starts rendering `scene` (which must outlive the pyramid) with `layers` on a worker
  // thread: level k at `baseScale` * 2^k device pixels per drawing unit, for as many levels
  // as fit in `maxPixels` in all.
  OverviewPyramid(const Scene& scene, std::vector<Layer> layers, double baseScale,
                  long long maxPixels = kDefaultMaxPixels);
  ~OverviewPyramid();  // stops the worker between bands and waits for it
  OverviewPyramid(const OverviewPyramid&) = delete;
  OverviewPyramid& operator=(const OverviewPyramid&) = delete;

  // Paints the frame with transform `toDevice` (a scale and a move, y flipped) into
  // `image` from the finest level that is ready and not finer than the frame, stretched by
  // at most twice; false (and nothing painted) when there is none.
  bool Paint(QImage& image, const QTransform& toDevice) const;

  bool Ready() const { return ready_.load() > 0; }
  double BaseScale() const { return baseScale_; }
  const std::vector<Layer>& Layers() const { return layers_; }

  static constexpr long long kDefaultMaxPixels = 40'000'000;

private:
  struct Level {
    QImage image;
    QTransform toImage;  // drawing units to the level's pixels
    double scale = 0.0;  // pixels per drawing unit
  };

  void Build();

  const Scene& scene_;
  std::vector<Layer> layers_;
  double baseScale_;
  std::vector<Level> levels_;
  std::atomic<int> ready_{0};  // levels finished, from the coarsest
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace tessaro::render
