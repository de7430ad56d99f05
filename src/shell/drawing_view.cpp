// The drawing view widget.
#include "shell/drawing_view.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/display_list.h"

namespace tessaro::shell {
namespace {

// A whole frame slower than this shows the old frame scaled first after a zoom step, and
// paints the new one once the wheel has rested this long.
constexpr double kPreviewAfterMs = 40.0;
constexpr int kDeferredRenderMs = 60;

// FNV-1a over the bytes of trivially copyable values.
class Fingerprint {
public:
  template <class T>
  void Add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (unsigned char b : bytes) hash_ = (hash_ ^ b) * 0x100000001b3ULL;
  }
  void Add(const std::string& text) {
    Add(text.size());
    for (char c : text) Add(c);
  }
  std::uint64_t Value() const { return hash_; }

private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// What the display list is made of: entities, their geometry and the layer names. Reading
// a million entities takes a few milliseconds, far less than building the list again.
std::uint64_t ContentFingerprint(const Drawing& drawing) {
  Fingerprint f;
  for (const Layer& layer : drawing.Layers()) f.Add(layer.name);
  f.Add(drawing.EntityCount());
  for (const EntityHeader& e : drawing.Entities()) {
    f.Add(e.type);
    f.Add(e.layer);
    f.Add(e.color);
    f.Add(e.index);
    switch (e.type) {
      case EntityType::Line: f.Add(drawing.Line(e)); break;
      case EntityType::Circle: f.Add(drawing.Circle(e)); break;
      case EntityType::Arc: f.Add(drawing.Arc(e)); break;
      case EntityType::Text: {
        const TextGeometry& t = drawing.Text(e);
        f.Add(t.position);
        f.Add(t.height);
        f.Add(t.value);
        break;
      }
      default: break;
    }
  }
  return f.Value();
}

std::uint64_t LayerFingerprint(const Drawing& drawing) {
  Fingerprint f;
  for (const Layer& layer : drawing.Layers()) f.Add(layer.on);
  return f.Value();
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
  state_ = ExtentsView();
  RebuildScene();
  deferredRender_.setSingleShot(true);
  deferredRender_.setInterval(kDeferredRenderMs);
  connect(&deferredRender_, &QTimer::timeout, this, &DrawingView::RenderDeferred);
}

void DrawingView::RebuildScene() {
  scene_ = std::make_unique<render::Scene>(FlattenDrawing(drawing_));
  sceneFingerprint_ = ContentFingerprint(drawing_);
  layerFingerprint_ = LayerFingerprint(drawing_);
  frame_.valid = false;
}

void DrawingView::Redraw() {
  if (ContentFingerprint(drawing_) != sceneFingerprint_) {
    RebuildScene();
  } else if (const std::uint64_t layers = LayerFingerprint(drawing_); layers != layerFingerprint_) {
    layerFingerprint_ = layers;
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
  const QTransform toView = PaintTransform(state_, size);
  const QRectF visible = toView.inverted().mapRect(QRectF(QPointF(-1, -1), size + QSize(2, 2)));
  scene_->Paint(painter, drawing_.Layers(), toView, &visible);
}

void DrawingView::RenderWhole(const QSize& device, double ratio) {
  QElapsedTimer clock;
  clock.start();
  if (frame_.image.size() != device) frame_.image = QImage(device, QImage::Format_RGB32);
  scene_->Render(frame_.image, drawing_.Layers(), PaintTransform(state_, size(), ratio), frame_.image.rect(),
                 RenderThreads());
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
  const int dx = static_cast<int>(moveX);
  const int dy = static_cast<int>(moveY);
  const QImage old = image.copy();
  {
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(dx, dy), old);
  }
  const auto& layers = drawing_.Layers();
  const int threads = RenderThreads();
  // The columns uncovered on the left or right, then the rows above or below the rest.
  const QRect columns = dx > 0 ? QRect(0, 0, dx, all.height()) : QRect(all.width() + dx, 0, -dx, all.height());
  if (dx != 0) scene_->Render(image, layers, to, columns, threads);
  const int left = dx > 0 ? dx : 0;
  const int width = all.width() - std::abs(dx);
  const QRect rows = dy > 0 ? QRect(left, 0, width, dy) : QRect(left, all.height() + dy, width, -dy);
  if (dy != 0) scene_->Render(image, layers, to, rows, threads);
  frame_.state = state_;
  return true;
}

void DrawingView::UpdateFrame(const QSize& device, double ratio) {
  if (drawing_.EntityCount() != scene_->List().Shapes().size() && ContentFingerprint(drawing_) != sceneFingerprint_) {
    RebuildScene();
  }
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
    painter.fillRect(rect(), Qt::white);
    const QTransform oldToNew = ViewTransform(frame_.state, size()).inverted() * ViewTransform(state_, size());
    painter.setTransform(oldToNew);
    painter.drawImage(QRectF(rect()), frame_.image);
    painter.resetTransform();
    deferredRender_.start();
  }
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
