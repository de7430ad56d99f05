// The drawing view widget.
#include "shell/drawing_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "render/paint_sink.h"

namespace tessaro::shell {
using render::PaintDrawing;
using render::QPainterSink;
namespace {

constexpr std::size_t kHistoryDepth = 100;
constexpr double kExtentsMargin = 0.03;  // of the view, on each side
// What an empty drawing shows: the limits 0,0 - 100,100.
const QRectF kDefaultLimits(0, 0, 100, 100);

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

DrawingView::DrawingView(const Drawing& drawing, QWidget* parent) : QWidget(parent), drawing_(drawing) {
  setObjectName(QStringLiteral("DXFReader1"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(50, 50);
  state_ = ExtentsView();
}

void DrawingView::Redraw() { update(); }

ViewState DrawingView::ExtentsView() const {
  QRectF area = kDefaultLimits;
  if (auto box = drawing_.ComputeExtents()) {
    area = QRectF(QPointF(box->min.x, box->min.y), QPointF(box->max.x, box->max.y));
  }
  return FitArea(area, size(), kExtentsMargin, state_.scale);
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

void DrawingView::PaintTo(QPainter& painter, const QSize& size) const {
  const QTransform toView = ViewTransform(state_, size);
  const QRectF visible = toView.inverted().mapRect(QRectF(QPointF(0, 0), size));
  QPainterSink sink(painter, toView);
  PaintDrawing(drawing_, sink, &visible);
}

void DrawingView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  PaintTo(painter, size());
  if (!rubberRect_ && !rubberLine_) return;
  const QTransform toView = ViewTransform(state_, size());
  painter.setPen(QPen(Qt::darkGray, 0, Qt::DashLine));
  painter.setBrush(Qt::NoBrush);
  if (rubberRect_) painter.drawRect(toView.mapRect(*rubberRect_));
  if (rubberLine_) painter.drawLine(toView.map(*rubberLine_));
}

void DrawingView::resizeEvent(QResizeEvent*) {
  // A view that shows the whole drawing keeps showing it whole; others keep their centre.
  if (fitToExtents_) state_ = ExtentsView();
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

}  // namespace tessaro::shell
