// The drawing view: shows the window's drawing on white, zooms and pans it, draws the
// rubber shapes of the pick tools and reports mouse events in drawing coordinates. A frame
// that would take longer to paint than a frame may is cut from the drawing's overview
// (render/overview.h) and from the last exact frame, and the exact frame is painted on a
// thread of its own once the view rests: what a still view shows is always the exact frame.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "cad/drawing.h"
#include "render/overview.h"
#include "render/scene.h"
#include "view/background_work.h"
#include "view/pick_tools.h"
#include "view/prepared_scene.h"
#include "view/view_state.h"

namespace tessaro::view {

class DrawingView final : public QWidget, public ViewTools {
  Q_OBJECT

public:
  explicit DrawingView(const Drawing& drawing, QWidget* parent = nullptr);

  // The view shows the drawing's current entities and layer states. The display list is
  // built again only when the entities changed; a layer switched on or off repaints.
  void Redraw();
  // Shows what PrepareScene made of the drawing the view's drawing now holds (swapped in
  // after a read on another thread), instead of building it again.
  void ShowPrepared(PreparedScene prepared);
  // The next paint makes the whole frame afresh instead of reusing the last one (or the
  // last exact one).
  void DiscardFrame() {
    frame_.valid = false;
    exact_.valid = false;
  }
  // Whether the frame on show is the exact picture of the view, not one cut from the
  // overview or from an earlier frame while the exact one is being painted.
  bool FrameExact() const { return frame_.valid && frame_.exact && frame_.state == state_; }
  // A frame of a large drawing is painted directly when that should take no longer than
  // this; otherwise it is cut from the overview and the last exact frame first. What a
  // frame costs is learnt from the frames painted, zoom by zoom.
  void SetFrameBudget(double milliseconds) { frameBudgetMs_ = milliseconds; }
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
  const render::Overview* Overview() const { return overview_.get(); }

signals:
  // Buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x, y drawing units.
  void ViewMouseDown(int button, int shift, float x, float y);
  void ViewMouseMove(int button, int shift, float x, float y);
  void ViewMouseUp(int button, int shift, float x, float y);
  // A double click asks for the whole drawing.
  void ExtentsRequested();
  // The pointer came into the view: it may act on the drawing again.
  void ViewActivated();
  // The exact frame painted on the view's own thread is on show.
  void FrameRefined();
  // The overview of the drawing is ready: frames that would be slow are cut from it.
  void OverviewReady();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

private:
  // A frame in device pixels and the view it shows: a pan moves its pixels and paints the
  // strips it uncovers.
  struct Frame {
    QImage image;
    ViewState state;
    double textBoxPixels = render::kTextBoxPixels;  // as the whole frame was painted
    bool valid = false;
    bool exact = false;  // painted from the scene, not cut from the overview or moved from a preview
  };
  // What the overview was painted with: a scene, its layer states and the background.
  struct OverviewKey {
    std::uint64_t scene = 0;
    std::vector<bool> layers;
    bool dark = false;
    friend bool operator==(const OverviewKey&, const OverviewKey&) = default;
  };

  void RebuildScene();
  void UseScene(std::shared_ptr<const render::Scene> scene, std::optional<Extents> extents);
  OverviewKey CurrentOverviewKey() const;
  const render::Overview* UsableOverview() const;
  void UseOverview(std::shared_ptr<const render::Overview> overview, ExactFrame frame, OverviewKey key);
  void UpdateOverview();
  void DropFrames();
  const Frame* PreviewSource() const;
  void UpdateFrame(const QSize& device, double ratio);
  bool TakeKnownFrame(const QSize& device);
  void RenderWhole(const QSize& device, double ratio, std::size_t weight);
  bool MoveFrame(const QTransform& to, double ratio);
  void Preview(const QSize& device, double ratio);
  void PaintPreview(QPainter& painter, const QTransform& to, const QRect& target, double ratio) const;
  std::optional<std::size_t> QuickWeight(std::initializer_list<QRectF> areas, double pixelsPerUnit) const;
  void Learn(double pixelsPerUnit, std::size_t weight, double milliseconds);
  void StartRefine();
  void TakeRefined(ExactFrame frame, std::uint64_t serial);
  render::Background BackgroundKind() const;

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

  std::shared_ptr<const render::Scene> scene_;  // shared with the work on the view's threads
  std::uint64_t sceneSerial_ = 0;               // one more for every scene
  std::optional<std::uint64_t> sceneRevision_;  // the drawing's revision that scene_ shows
  std::optional<Extents> extents_;              // the drawing's (cad/extents.h) at that revision
  std::vector<bool> layerStates_;
  std::shared_ptr<const render::Overview> overview_;
  OverviewKey overviewKey_;             // what overview_ shows
  ExactFrame overviewFrame_;            // the exact frame it was made from
  std::optional<OverviewKey> pending_;  // what the overview under way will show
  ViewState pendingState_;              // and the view of the frame it is made from
  QSize pendingSize_;
  Frame frame_;  // on show
  Frame exact_;  // the last exact frame of what the view shows now: previews are cut from it
  Frame stale_;  // the frame on show before the layer states or the background changed
  // Moves whenever what frames show changes (scene, layer states, background): a frame
  // painted on the view's thread for an older one is dropped.
  std::uint64_t frameSerial_ = 0;
  double frameBudgetMs_;
  std::map<int, double> msPerWeight_;  // what painting costs, by half steps of the zoom's log2
  QTimer refineTimer_;  // the exact frame is painted once the view rests this long
  // Last, so that they stop (and their threads end) before anything above goes.
  BackgroundWork refineWork_;
  BackgroundWork overviewWork_;
};

}  // namespace tessaro::view
