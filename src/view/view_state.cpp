// The zoom and pan arithmetic of the drawing view.
#include "view/view_state.h"

#include <algorithm>
#include <cmath>

namespace tessaro::view {
namespace {

// Keeps the scale where painting stays numerically sane whatever the user does.
constexpr double kMinScale = 1e-6;
constexpr double kMaxScale = 1e6;

double ClampScale(double scale) {
  if (!std::isfinite(scale)) return 1.0;
  return std::clamp(scale, kMinScale, kMaxScale);
}

}  // namespace

QTransform ViewTransform(const ViewState& state, const QSizeF& viewSize) {
  QTransform t;
  t.translate(viewSize.width() / 2.0, viewSize.height() / 2.0);
  t.scale(state.scale, -state.scale);  // the only y flip
  t.translate(-state.centerX, -state.centerY);
  return t;
}

QTransform PaintTransform(const ViewState& state, const QSizeF& viewSize, double devicePixelRatio) {
  const QTransform t = ViewTransform(state, viewSize) * QTransform::fromScale(devicePixelRatio, devicePixelRatio);
  return QTransform(t.m11(), t.m12(), t.m21(), t.m22(), std::round(t.dx()), std::round(t.dy()));
}

QPointF ViewToDrawing(const ViewState& state, const QSizeF& viewSize, const QPointF& pixel) {
  return ViewTransform(state, viewSize).inverted().map(pixel);
}

ViewState FitArea(const QRectF& area, const QSizeF& viewSize, double marginFraction, double currentScale) {
  const QRectF box = area.normalized();
  const double usableWidth = viewSize.width() * (1.0 - 2.0 * marginFraction);
  const double usableHeight = viewSize.height() * (1.0 - 2.0 * marginFraction);
  double scale = currentScale;
  if (box.width() > 0 && box.height() > 0) {
    scale = std::min(usableWidth / box.width(), usableHeight / box.height());
  } else if (box.width() > 0) {
    scale = usableWidth / box.width();
  } else if (box.height() > 0) {
    scale = usableHeight / box.height();
  }
  if (usableWidth <= 0 || usableHeight <= 0) scale = currentScale;
  return ViewState{box.center().x(), box.center().y(), ClampScale(scale)};
}

ViewState ExtentsState(const std::optional<Extents>& extents, const QSizeF& viewSize, double currentScale) {
  constexpr double kMargin = 0.03;
  QRectF area(0, 0, 100, 100);
  if (extents) area = QRectF(QPointF(extents->min.x, extents->min.y), QPointF(extents->max.x, extents->max.y));
  return FitArea(area, viewSize, kMargin, currentScale);
}

ViewState ZoomAbout(const ViewState& state, double factor, const QPointF& anchor) {
  const double scale = ClampScale(state.scale * factor);
  const double kept = state.scale / scale;  // how much of the anchor-to-centre distance stays
  return ViewState{anchor.x() + (state.centerX - anchor.x()) * kept, anchor.y() + (state.centerY - anchor.y()) * kept,
                   scale};
}

ViewState PanBy(const ViewState& state, const QPointF& from, const QPointF& to) {
  return ViewState{state.centerX - (to.x() - from.x()), state.centerY - (to.y() - from.y()), state.scale};
}

}  // namespace tessaro::view
