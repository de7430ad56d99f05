// The drawing view: shows the window's drawing on white, zooms and pans it, draws the
// rubber shapes of the pick tools and reports mouse events in drawing coordinates.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cad/drawing.h"
#include "render/qt_text_metrics.h"
#include "render/scene.h"
#include "view/pick_tools.h"
#include "view/view_state.h"

namespace tessaro::view {

class DrawingView final : public QWidget, public ViewTools {
  Q_OBJECT

public:
  explicit DrawingView(const Drawing& drawing, QWidget* parent = nullptr);

  // The view shows the drawing's current entities and layer states. The display list is
  // built again only when the entities changed; a layer switched on or off repaints.
  void Redraw();
  // The next paint draws the whole frame afresh instead of reusing the last one.
  void DiscardFrame() { frame_.valid = false; }
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

  // Dark background (colour 7 white) or white (light colours darkened to stay readable).
  void SetDarkBackground(bool dark);
  bool DarkBackground() const { return dark_; }
  // Marks one shape of the scene's display list as picked; nothing: none.
  void SetHighlight(std::optional<std::uint32_t> shape);
  std::optional<std::uint32_t> Highlight() const { return highlight_; }
  // The measuring line and the snap point under the pointer, drawing units.
  void SetMeasureMarks(std::optional<QLineF> line, std::optional<QPointF> snap);

  // Paints the drawing as the view shows it, on any painter of the given size.
  void PaintTo(QPainter& painter, const QSize& size) const;
  const render::Scene& Scene() const { return *scene_; }

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
  // The last frame painted, in device pixels, and the view it shows: a pan moves its
  // pixels and paints the uncovered strips; a zoom may show it scaled until the new frame
  // is painted.
  struct Frame {
    QImage image;
    ViewState state;
    double textBoxPixels = render::kTextBoxPixels;  // as the whole frame was painted
    bool valid = false;
  };

  void RebuildScene();
  void UpdateFrame(const QSize& device, double ratio);
  void RenderWhole(const QSize& device, double ratio);
  bool MoveFrame(const QTransform& to, double ratio);
  void RenderDeferred();

  void SetView(const ViewState& next);  // remembers the old view for ZoomPrevious
  ViewState ExtentsView() const;
  void ClearRubber();
  void PaintMarks(QPainter& painter) const;

  const Drawing& drawing_;
  ViewState state_;
  std::vector<ViewState> history_;
  bool fitToExtents_ = true;
  QSize fittedSize_;  // the size of the last resize handled
  float zoomInOutPercent_ = 10;
  int pointerState_ = kPointerDefault;
  std::optional<QLineF> rubberLine_;  // drawing units
  std::optional<QRectF> rubberRect_;
  bool dark_ = false;
  std::optional<std::uint32_t> highlight_;
  std::optional<QLineF> measureLine_;
  std::optional<QPointF> snapMark_;

  render::QtTextMetrics metrics_;
  std::unique_ptr<render::Scene> scene_;
  std::optional<std::uint64_t> sceneRevision_;  // the drawing's revision that scene_ shows
  std::optional<Extents> extents_;              // the drawing's (cad/extents.h) at that revision
  std::vector<bool> layerStates_;
  Frame frame_;
  double lastRenderMs_ = 0;   // how long the last whole frame took
  bool renderNow_ = false;    // the deferred paint after a scaled preview is due
  QTimer deferredRender_;
};

}  // namespace tessaro::view
