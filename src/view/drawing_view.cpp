// The drawing view widget.
#include "view/drawing_view.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <thread>
#include <type_traits>

#include "cad/extents.h"
#include "display/display_list.h"
#include "view/measure_tool.h"

namespace tessaro::view {
namespace {

// A whole frame slower than this shows the old frame scaled first after a zoom step, and
// paints the new one once the wheel has rested this long.
constexpr double kPreviewAfterMs = 40.0;
constexpr int kDeferredRenderMs = 60;

// The layers' on/off states: switching a layer repaints from the same display list.
std::vector<bool> LayerStates(const Drawing& drawing) {
  std::vector<bool> states;
  states.reserve(drawing.Layers().size());
  for (const Layer& layer : drawing.Layers()) states.push_back(layer.on);
  return states;
}

// Moves the pixels of a 32-bit image by (dx, dy) in place; what is uncovered keeps old pixels.
void ScrollImage(QImage& image, int dx, int dy) {
  const int w = image.width(), h = image.height();
  const int count = w - std::abs(dx);
  const int from = std::max(0, -dx), to = std::max(0, dx);
  auto moveRow = [&](int y) {
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y + dy));
    const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::memmove(row + to, src + from, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
  };
  // Rows moving down are copied bottom first, so none is overwritten before it moves.
  if (dy > 0) {
    for (int y = h - 1 - dy; y >= 0; --y) moveRow(y);
  } else {
    for (int y = -dy; y < h; ++y) moveRow(y);
  }
}

int RenderThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)); }

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
  RebuildScene();
  state_ = ExtentsView();
  deferredRender_.setSingleShot(true);
  deferredRender_.setInterval(kDeferredRenderMs);
  connect(&deferredRender_, &QTimer::timeout, this, &DrawingView::RenderDeferred);
}

void DrawingView::RebuildScene() {
  FlattenOptions options;
  options.metrics = &metrics_;  // MTEXT wrapped with the fonts the view draws with
  scene_ = std::make_unique<render::Scene>(FlattenDrawing(drawing_, options));
  extents_ = DrawnExtents(drawing_);
  scene_->SetBackground(dark_ ? render::Background::Dark : render::Background::White);
  highlight_.reset();  // its shape number means nothing in the new list
  sceneRevision_ = drawing_.Revision();
  layerStates_ = LayerStates(drawing_);
  frame_.valid = false;
}

void DrawingView::Redraw() {
  if (drawing_.Revision() != sceneRevision_) {
    RebuildScene();
  } else if (std::vector<bool> layers = LayerStates(drawing_); layers != layerStates_) {
    layerStates_ = std::move(layers);
    frame_.valid = false;
  }
  update();
}

void DrawingView::RenderDeferred() {
  renderNow_ = true;
  update();
}

ViewState DrawingView::ExtentsView() const {
  QRectF area = kDefaultLimits;
  const auto box = drawing_.Revision() == sceneRevision_ ? extents_ : DrawnExtents(drawing_);
  if (box) {
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
  const QTransform toView = PaintTransform(state_, size);
  const QRectF visible = toView.inverted().mapRect(QRectF(QPointF(-1, -1), size + QSize(2, 2)));
  scene_->Paint(painter, drawing_.Layers(), toView, &visible);
}

void DrawingView::RenderWhole(const QSize& device, double ratio) {
  QElapsedTimer clock;
  clock.start();
  if (frame_.image.size() != device) frame_.image = QImage(device, QImage::Format_RGB32);
  const QTransform toDevice = PaintTransform(state_, size(), ratio);
  frame_.textBoxPixels = scene_->TextBoxPixels(toDevice.inverted().mapRect(QRectF(frame_.image.rect())));
  scene_->Render(frame_.image, drawing_.Layers(), toDevice, frame_.image.rect(), RenderThreads(),
                 frame_.textBoxPixels);
  frame_.state = state_;
  frame_.valid = true;
  lastRenderMs_ = static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// A pan at the same scale: the frame's pixels move by whole pixels and only the strips
// they uncover are painted. False when nothing of the old frame can be kept.
bool DrawingView::MoveFrame(const QTransform& to, double ratio) {
  const QTransform from = PaintTransform(frame_.state, size(), ratio);
  QImage& image = frame_.image;
  const QRect all = image.rect();
  const double moveX = to.dx() - from.dx();
  const double moveY = to.dy() - from.dy();
  if (std::abs(moveX) >= all.width() || std::abs(moveY) >= all.height()) return false;
  // Texts drawn as boxes in a crowded view stay so while it pans, or the strips would
  // not match the rest; a view that stops or starts being crowded is painted afresh.
  if (scene_->TextBoxPixels(to.inverted().mapRect(QRectF(all))) != frame_.textBoxPixels) return false;
  const int dx = static_cast<int>(moveX);
  const int dy = static_cast<int>(moveY);
  ScrollImage(image, dx, dy);
  const auto& layers = drawing_.Layers();
  const int threads = RenderThreads();
  // The columns uncovered on the left or right, then the rows above or below the rest.
  const QRect columns = dx > 0 ? QRect(0, 0, dx, all.height()) : QRect(all.width() + dx, 0, -dx, all.height());
  if (dx != 0) scene_->Render(image, layers, to, columns, threads, frame_.textBoxPixels);
  const int left = dx > 0 ? dx : 0;
  const int width = all.width() - std::abs(dx);
  const QRect rows = dy > 0 ? QRect(left, 0, width, dy) : QRect(left, all.height() + dy, width, -dy);
  if (dy != 0) scene_->Render(image, layers, to, rows, threads, frame_.textBoxPixels);
  frame_.state = state_;
  return true;
}

void DrawingView::UpdateFrame(const QSize& device, double ratio) {
  // A drawing changed without a Redraw still shows as it is now.
  if (drawing_.Revision() != sceneRevision_) RebuildScene();
  if (!frame_.valid || frame_.image.size() != device || renderNow_) {
    RenderWhole(device, ratio);
  } else if (frame_.state.scale == state_.scale) {
    if (frame_.state != state_ && !MoveFrame(PaintTransform(state_, size(), ratio), ratio)) RenderWhole(device, ratio);
  } else if (lastRenderMs_ < kPreviewAfterMs) {
    RenderWhole(device, ratio);
  }
  renderNow_ = false;
}

void DrawingView::paintEvent(QPaintEvent*) {
  const double ratio = devicePixelRatioF();
  const QSize device(qRound(width() * ratio), qRound(height() * ratio));
  UpdateFrame(device, ratio);
  QPainter painter(this);
  if (frame_.state == state_) {
    painter.drawImage(QRectF(rect()), frame_.image);
  } else {
    // A zoom step on a slow drawing: the last frame scaled to the new view at once, the
    // new frame when the wheel rests.
    painter.fillRect(rect(), QColor(render::BackgroundRgb(dark_ ? render::Background::Dark : render::Background::White)));
    const QTransform oldToNew = ViewTransform(frame_.state, size()).inverted() * ViewTransform(state_, size());
    painter.setTransform(oldToNew);
    painter.drawImage(QRectF(rect()), frame_.image);
    painter.resetTransform();
    deferredRender_.start();
  }
  PaintMarks(painter);
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

void DrawingView::SetDarkBackground(bool dark) {
  if (dark == dark_) return;
  dark_ = dark;
  scene_->SetBackground(dark_ ? render::Background::Dark : render::Background::White);
  frame_.valid = false;
  update();
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
