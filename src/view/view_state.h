// Zoom and pan of the drawing view as one small value, and the one function that turns it
// into the drawing-to-screen transform. Drawing units are centimetres with y up; the screen
// has y down: the flip happens in ViewTransform and nowhere else.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <optional>

#include "cad/drawing.h"

namespace tessaro::view {

struct ViewState {
  double centerX = 50.0;  // drawing point shown at the middle of the view, drawing units
  double centerY = 50.0;
  double scale = 1.0;     // screen pixels per drawing unit
  friend bool operator==(const ViewState&, const ViewState&) = default;
};

// Drawing coordinates (y up) to view pixels (y down).
QTransform ViewTransform(const ViewState& state, const QSizeF& viewSize);

// The transform a frame is painted with, on a device of `devicePixelRatio` pixels per view
// pixel: ViewTransform with its offset rounded to whole device pixels, so two views that
// differ only by a pan differ by whole pixels and a frame can be moved instead of repainted.
QTransform PaintTransform(const ViewState& state, const QSizeF& viewSize, double devicePixelRatio = 1.0);

// Pixel position in the view to drawing coordinates.
QPointF ViewToDrawing(const ViewState& state, const QSizeF& viewSize, const QPointF& pixel);

// The state that shows `area` (drawing units, any corner order) whole and centred, with
// `marginFraction` of the view left free on each side. A degenerate area keeps the scale
// along its empty direction(s) and only centres.
ViewState FitArea(const QRectF& area, const QSizeF& viewSize, double marginFraction, double currentScale);

// The state that shows the drawing's extents whole with a margin of 3% of the view on each
// side; without extents (an empty drawing), the limits 0,0 - 100,100.
ViewState ExtentsState(const std::optional<Extents>& extents, const QSizeF& viewSize, double currentScale);

// Scales by `factor` keeping the drawing point `anchor` at the same place on screen.
ViewState ZoomAbout(const ViewState& state, double factor, const QPointF& anchor);

// Moves the view so the drawing point `from` ends up where `to` is now.
ViewState PanBy(const ViewState& state, const QPointF& from, const QPointF& to);

}  // namespace tessaro::view
