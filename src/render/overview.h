// A picture of a whole drawing at a few scales, made once for a scene, its layer states and
// a background: a view that moves a large drawing, or shows more of it than can be painted
// shape by shape within a frame, cuts its frames from here at once and has the exact frame
// painted when it rests. The finest level is an exact frame of the whole drawing (the view
// at its extents); each coarser one halves the one above, keeping of every two by two pixels
// the one that stands out most from the background, so that thin lines stay as visible as
// the scene paints them.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <vector>

#include "render/aci_colors.h"

namespace tessaro::render {

class Overview {
public:
  // From `frame`, painted through `toFrame` (drawing units to its pixels) on `background`.
  Overview(QImage frame, const QTransform& toFrame, Background background);

  // Paints what the overview shows of the device rectangle `target` seen through
  // `toDevice`, from the level just finer than the device (the finest when the device is
  // finer still), pixel by nearest pixel; the background where it shows nothing.
  void Paint(QPainter& painter, const QTransform& toDevice, const QRect& target) const;

  // The pixels a drawing unit takes in the finest level.
  double FinestPixelsPerUnit() const;
  std::size_t Bytes() const;

private:
  struct Level {
    QImage image;
    QTransform toLevel;  // drawing units to its pixels
  };
  std::vector<Level> levels_;  // finest first
  QRgb background_;
};

}  // namespace tessaro::render
