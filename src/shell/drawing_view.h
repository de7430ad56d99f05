// The drawing view: shows the window's drawing on white, zooms and pans it, draws the
// rubber shapes of the pick tools and reports mouse events in drawing coordinates.
#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "platform/drawing.h"
#include "shell/pick_tools.h"
#include "shell/view_state.h"

namespace tessaro::shell {

class DrawingView final : public QWidget, public ViewTools {
  Q_OBJECT

public:
  explicit DrawingView(const Drawing& drawing, QWidget* parent = nullptr);

  // The view shows the drawing's current entities and layer states.
  void Redraw();
  // The whole drawing fits the view, and keeps fitting it while the view is resized
  // until another zoom or pan.
  void ZoomExtents();
  // Scale by ZoomInOutPercent, about the middle of the view or about a drawing point.
  void ZoomIn(std::optional<QPointF> anchor = std::nullopt);
  void ZoomOut(std::optional<QPointF> anchor = std::nullopt);
  // Back to the view before the last zoom or pan; nothing when there is none.
  void ZoomPrevious();
  float ZoomInOutPercent() const { return zoomInOutPercent_; }
  void SetZoomInOutPercent(float percent) { zoomInOutPercent_ = percent; }

  // ViewTools
  void ZoomWindow(Single x1, Single y1, Single x2, Single y2) override;
  void PanView(Single x1, Single y1, Single x2, Single y2) override;
  void DrawRubberRectangle(Single x1, Single y1, Single x2, Single y2) override;
  void DrawRubberLine(Single x1, Single y1, Single x2, Single y2) override;
  int PointerState() const override { return pointerState_; }
  void SetPointerState(int state) override;
  void ClearRubberShapes() override { ClearRubber(); }

  const ViewState& State() const { return state_; }
  QPointF ToDrawing(const QPointF& pixel) const;
  QPointF ToPixel(const QPointF& drawingPoint) const;

  // Paints the drawing as the view shows it, on any painter of the given size.
  void PaintTo(QPainter& painter, const QSize& size) const;

signals:
  // Buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x, y drawing units.
  void ViewMouseDown(int button, int shift, float x, float y);
  void ViewMouseMove(int button, int shift, float x, float y);
  void ViewMouseUp(int button, int shift, float x, float y);
  // A double click asks for the whole drawing.
  void ExtentsRequested();
  // The pointer came into the view: it may act on the drawing again.
  void ViewActivated();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

private:
  void SetView(const ViewState& next);  // remembers the old view for ZoomPrevious
  ViewState ExtentsView() const;
  void ClearRubber();

  const Drawing& drawing_;
  ViewState state_;
  std::vector<ViewState> history_;
  bool fitToExtents_ = true;
  float zoomInOutPercent_ = 10;
  int pointerState_ = kPointerDefault;
  std::optional<QLineF> rubberLine_;  // drawing units
  std::optional<QRectF> rubberRect_;
};

}  // namespace tessaro::shell
