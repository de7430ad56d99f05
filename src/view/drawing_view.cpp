// The drawing view widget: zoom, pan, the tools' marks and the mouse (its frames are in
// drawing_view_frames.cpp).
#include "view/drawing_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "cad/extents.h"
#include "view/measure_tool.h"

namespace tessaro::view {
namespace {

constexpr std::size_t kHistoryDepth = 100;
constexpr int kRefineAfterMs = 50;  // the view rests this long before its exact frame is painted
constexpr double kFrameBudgetMs = 8.0;

int ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
  }
}

int ButtonsCode(Qt::MouseButtons buttons) {
  int code = 0;
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    if (buttons.testFlag(b)) code |= ButtonCode(b);
  }
  return code;
}

int ShiftCode(Qt::KeyboardModifiers keys) {
  return (keys.testFlag(Qt::ShiftModifier) ? 1 : 0) | (keys.testFlag(Qt::ControlModifier) ? 2 : 0) |
         (keys.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

DrawingView::DrawingView(const Drawing& drawing, QWidget* parent)
    : QWidget(parent), drawing_(drawing), frameBudgetMs_(kFrameBudgetMs) {
  setObjectName(QStringLiteral("DXFReader1"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(50, 50);
  RebuildScene();
  state_ = ExtentsView();
  refineTimer_.setSingleShot(true);
  refineTimer_.setInterval(kRefineAfterMs);
  connect(&refineTimer_, &QTimer::timeout, this, &DrawingView::StartRefine);
}

ViewState DrawingView::ExtentsView() const {
  return ExtentsState(drawing_.Revision() == sceneRevision_ ? extents_ : DrawnExtents(drawing_), size(), state_.scale);
}

void DrawingView::SetView(const ViewState& next) {
  if (next == state_) return;
  history_.push_back(state_);
  if (history_.size() > kHistoryDepth) history_.erase(history_.begin());
  state_ = next;
  update();
}

void DrawingView::ZoomExtents() {
  SetView(ExtentsView());
  fitToExtents_ = true;
}

void DrawingView::ZoomIn(std::optional<QPointF> anchor) {
  const QPointF at = anchor.value_or(QPointF(state_.centerX, state_.centerY));
  SetView(ZoomAbout(state_, 1.0 + zoomInOutPercent_ / 100.0, at));
  fitToExtents_ = false;
}

void DrawingView::ZoomOut(std::optional<QPointF> anchor) {
  const QPointF at = anchor.value_or(QPointF(state_.centerX, state_.centerY));
  SetView(ZoomAbout(state_, 1.0 / (1.0 + zoomInOutPercent_ / 100.0), at));
  fitToExtents_ = false;
}

void DrawingView::ZoomPrevious() {
  if (history_.empty()) return;
  state_ = history_.back();
  history_.pop_back();
  fitToExtents_ = false;
  update();
}

void DrawingView::ZoomWindow(Single x1, Single y1, Single x2, Single y2) {
  ClearRubber();
  SetView(FitArea(QRectF(QPointF(x1, y1), QPointF(x2, y2)), size(), 0.0, state_.scale));
  fitToExtents_ = false;
}

void DrawingView::PanView(Single x1, Single y1, Single x2, Single y2) {
  ClearRubber();
  SetView(PanBy(state_, QPointF(x1, y1), QPointF(x2, y2)));
  fitToExtents_ = false;
}

void DrawingView::DrawRubberRectangle(Single x1, Single y1, Single x2, Single y2) {
  rubberRect_ = QRectF(QPointF(x1, y1), QPointF(x2, y2));
  update();
}

void DrawingView::DrawRubberLine(Single x1, Single y1, Single x2, Single y2) {
  rubberLine_ = QLineF(x1, y1, x2, y2);
  update();
}

void DrawingView::ClearRubber() {
  rubberRect_.reset();
  rubberLine_.reset();
  update();
}

void DrawingView::SetPointerState(int state) {
  pointerState_ = state;
  switch (state) {
    case kPointerPicking: setCursor(Qt::CrossCursor); break;
    case kPointerIdle: setCursor(Qt::ArrowCursor); break;
    default: unsetCursor(); break;
  }
}

QPointF DrawingView::ToDrawing(const QPointF& pixel) const { return ViewToDrawing(state_, size(), pixel); }

QPointF DrawingView::ToPixel(const QPointF& drawingPoint) const {
  return ViewTransform(state_, size()).map(drawingPoint);
}

void DrawingView::PaintMarks(QPainter& painter) const {
  const QTransform toView = ViewTransform(state_, size());
  const QColor mark = dark_ ? QColor(120, 190, 255) : QColor(0, 90, 200);
  if (highlight_ && *highlight_ < scene_->List().Shapes().size()) {
    painter.setPen(QPen(QColor(255, 120, 0), 3));
    painter.setBrush(Qt::NoBrush);
    const QRectF area = toView.inverted().mapRect(QRectF(rect()));
    painter.drawPath(toView.map(ShapeOutline(scene_->List(), scene_->List().Shapes()[*highlight_], area)));
  }
  // The zoom window's band: an outline with a light fill, so it shows on any drawing.
  if (rubberRect_) {
    QColor fill = mark;
    fill.setAlpha(40);
    painter.setPen(QPen(mark, 1, Qt::DashLine));
    painter.setBrush(fill);
    painter.drawRect(toView.mapRect(*rubberRect_));
  }
  painter.setBrush(Qt::NoBrush);
  if (rubberLine_) {
    painter.setPen(QPen(mark, 1, Qt::DashLine));
    painter.drawLine(toView.map(*rubberLine_));
  }
  if (measureLine_) {
    painter.setPen(QPen(mark, 2));
    painter.drawLine(toView.map(*measureLine_));
  }
  if (snapMark_) {
    painter.setPen(QPen(QColor(0, 170, 0), 2));
    painter.drawRect(QRectF(toView.map(*snapMark_) - QPointF(5, 5), QSizeF(10, 10)));
  }
}

void DrawingView::SetHighlight(std::optional<std::uint32_t> shape) {
  highlight_ = shape;
  update();
}

void DrawingView::SetMeasureMarks(std::optional<QLineF> line, std::optional<QPointF> snap) {
  measureLine_ = line;
  snapMark_ = snap;
  update();
}

void DrawingView::resizeEvent(QResizeEvent*) {
  // A view that shows the whole drawing keeps showing it whole; others keep their centre.
  // Qt also sends the event unchanged when a hidden view is rendered: nothing to fit then.
  if (size() == fittedSize_) return;
  fittedSize_ = size();
  if (fitToExtents_) state_ = ExtentsView();
  UpdateOverview();  // one that could not be made while the view had no size
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
  const QPointF p = ToDrawing(event->position());
  emit ViewActivated();
  emit ViewMouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), static_cast<float>(p.x()),
                     static_cast<float>(p.y()));
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = ToDrawing(event->position());
  emit ViewMouseMove(ButtonsCode(event->buttons()), ShiftCode(event->modifiers()), static_cast<float>(p.x()),
                     static_cast<float>(p.y()));
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF p = ToDrawing(event->position());
  emit ViewMouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()), static_cast<float>(p.x()),
                   static_cast<float>(p.y()));
}

void DrawingView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Only the left button: a second middle or right press must still arm its tool.
  if (event->button() == Qt::LeftButton) {
    emit ExtentsRequested();
  } else {
    mousePressEvent(event);
  }
}

void DrawingView::enterEvent(QEnterEvent*) { emit ViewActivated(); }

}  // namespace tessaro::view
