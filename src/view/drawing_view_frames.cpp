// The drawing view's frames: the scene and its overview, a frame painted directly or cut
// from the overview and the last exact frame, a pan that moves the frame's pixels, and the
// exact frame painted on the view's own thread once the view rests.
#include <QElapsedTimer>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "view/drawing_view.h"

namespace tessaro::view {
namespace {

// What a frame is taken to cost, per shape, at a zoom no frame was painted at yet: enough
// that a large drawing is cut from its overview until painting it has been timed.
constexpr double kUntimedMsPerWeight = 0.1;

double PixelsPerUnit(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }
int ZoomStep(double pixelsPerUnit) { return static_cast<int>(std::floor(std::log2(pixelsPerUnit) * 2)); }
double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

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

}  // namespace

render::Background DrawingView::BackgroundKind() const {
  return dark_ ? render::Background::Dark : render::Background::White;
}

void DrawingView::RebuildScene() {
  std::optional<PreparedScene> prepared = PrepareScene(drawing_, dark_, QSize(), 1.0);
  UseScene(std::move(prepared->scene), prepared->extents);
}

// What frames show changed (layer states, background): the frame on show stays, marked
// stale, for previews of a large drawing until the new one is painted.
void DrawingView::DropFrames() {
  refineWork_.Stop();
  refineTimer_.stop();
  ++frameSerial_;
  if (frame_.valid) stale_ = frame_;
  frame_.valid = false;
  exact_.valid = false;
}

const DrawingView::Frame* DrawingView::PreviewSource() const {
  if (exact_.valid) return &exact_;
  return stale_.valid && stale_.image.size() == DevicePixels(size(), devicePixelRatioF()) ? &stale_ : nullptr;
}

void DrawingView::UseScene(std::shared_ptr<const render::Scene> scene, std::optional<Extents> extents) {
  overviewWork_.Stop();
  DropFrames();
  stale_ = Frame{};  // a frame of another drawing tells nothing of this one
  scene_ = std::move(scene);
  extents_ = extents;
  ++sceneSerial_;
  highlight_.reset();  // its shape number means nothing in the new list
  sceneRevision_ = drawing_.Revision();
  layerStates_ = LayerStates(drawing_);
  overview_.reset();
  pending_.reset();
  msPerWeight_.clear();
}

void DrawingView::ShowPrepared(PreparedScene prepared) {
  UseScene(std::move(prepared.scene), prepared.extents);
  if (prepared.overview) {
    UseOverview(std::move(prepared.overview), std::move(prepared.overviewFrame),
                OverviewKey{sceneSerial_, std::move(prepared.overviewLayers), prepared.overviewDark});
  }
  UpdateOverview();
  update();
}

DrawingView::OverviewKey DrawingView::CurrentOverviewKey() const { return {sceneSerial_, layerStates_, dark_}; }

const render::Overview* DrawingView::UsableOverview() const {
  return overview_ && overviewKey_ == CurrentOverviewKey() ? overview_.get() : nullptr;
}

void DrawingView::UseOverview(std::shared_ptr<const render::Overview> overview, ExactFrame frame, OverviewKey key) {
  overview_ = std::move(overview);
  overviewFrame_ = std::move(frame);
  overviewKey_ = std::move(key);
  pending_.reset();
}

// A drawing too large to paint within a frame gets an overview of what it shows now: the
// view at the drawing's extents, painted on the view's own thread. Until it comes, frames
// are cut from the last frame (exact or stale) or, without one, painted directly.
void DrawingView::UpdateOverview() {
  if (scene_->List().Shapes().size() <= kOverviewShapes) {
    overviewWork_.Stop();
    overview_.reset();
    pending_.reset();
    return;
  }
  const OverviewKey key = CurrentOverviewKey();
  if ((overview_ && overviewKey_ == key) || (pending_ && *pending_ == key) || size().isEmpty()) return;
  pending_ = key;
  pendingState_ = ExtentsView();
  pendingSize_ = size();
  const double ratio = devicePixelRatioF();
  overviewWork_.Start([this, scene = scene_, layers = drawing_.Layers(), dark = dark_, key, state = pendingState_,
                       viewSize = pendingSize_, ratio](const std::atomic<bool>& stop) {
    std::optional<MadeOverview> made = MakeOverview(*scene, layers, dark, state, viewSize, ratio, &stop);
    if (!made) return;
    auto shared = std::make_shared<MadeOverview>(std::move(*made));
    QMetaObject::invokeMethod(
        this,
        [this, shared, key] {
          if (!pending_ || !(*pending_ == key)) return;
          UseOverview(std::move(shared->overview), std::move(shared->frame), key);
          emit OverviewReady();
          update();
        },
        Qt::QueuedConnection);
  });
}

void DrawingView::Redraw() {
  if (drawing_.Revision() != sceneRevision_) {
    RebuildScene();
    UpdateOverview();
  } else if (std::vector<bool> layers = LayerStates(drawing_); layers != layerStates_) {
    layerStates_ = std::move(layers);
    DropFrames();
    UpdateOverview();
  }
  update();
}

void DrawingView::SetDarkBackground(bool dark) {
  if (dark == dark_) return;
  dark_ = dark;
  DropFrames();
  UpdateOverview();
  update();
}

void DrawingView::PaintTo(QPainter& painter, const QSize& size) const {
  const QTransform toView = PaintTransform(state_, size);
  const QRectF visible = toView.inverted().mapRect(QRectF(QPointF(-1, -1), size + QSize(2, 2)));
  scene_->Paint(painter, drawing_.Layers(), toView, &visible, std::nullopt, BackgroundKind());
}

// The weight of what the areas show (drawing units; empty ones show nothing) when painting
// them should take no longer than the frame budget at this zoom; nothing otherwise. A
// small drawing is always quick.
std::optional<std::size_t> DrawingView::QuickWeight(std::initializer_list<QRectF> areas, double pixelsPerUnit) const {
  const std::size_t shapes = scene_->List().Shapes().size();
  if (shapes <= kOverviewShapes) return shapes;
  const auto timed = msPerWeight_.find(ZoomStep(pixelsPerUnit));
  const double msPerWeight = timed != msPerWeight_.end() ? timed->second : kUntimedMsPerWeight;
  const auto limit = static_cast<std::size_t>(frameBudgetMs_ / std::max(msPerWeight, 1e-9));
  std::size_t weight = 0;
  for (const QRectF& area : areas) {
    if (area.isEmpty()) continue;
    weight += PaintWeight(*scene_, area, limit - std::min(weight, limit));
    if (weight > limit) return std::nullopt;
  }
  return weight;
}

// What a frame cost, to foresee the next ones at this zoom: a dearer one counts at once,
// a cheaper one a little.
void DrawingView::Learn(double pixelsPerUnit, std::size_t weight, double milliseconds) {
  const double cost = milliseconds / static_cast<double>(std::max<std::size_t>(weight, 1));
  const auto [at, fresh] = msPerWeight_.try_emplace(ZoomStep(pixelsPerUnit), cost);
  if (!fresh) at->second = cost > at->second ? cost : 0.7 * at->second + 0.3 * cost;
}

void DrawingView::RenderWhole(const QSize& device, double ratio, std::size_t weight) {
  QElapsedTimer clock;
  clock.start();
  if (frame_.image.size() != device || !frame_.image.isDetached()) frame_.image = QImage(device, QImage::Format_RGB32);
  const QTransform toDevice = PaintTransform(state_, size(), ratio);
  frame_.textBoxPixels = scene_->TextBoxPixels(toDevice.inverted().mapRect(QRectF(frame_.image.rect())));
  scene_->Render(frame_.image, drawing_.Layers(), toDevice, frame_.image.rect(),
                 render::RenderOptions{PaintThreads(), frame_.textBoxPixels, BackgroundKind(), nullptr});
  frame_.state = state_;
  frame_.valid = true;
  frame_.exact = true;
  exact_ = frame_;
  stale_ = Frame{};
  Learn(PixelsPerUnit(toDevice), weight, Ms(clock));
}

// A pan at the same scale: the frame's pixels move by whole pixels and only the strips
// they uncover are painted, from the scene when that is quick (the frame then stays as
// exact as it was), otherwise cut like a preview. False when nothing of the old frame can
// be kept.
bool DrawingView::MoveFrame(const QTransform& to, double ratio) {
  const QTransform from = PaintTransform(frame_.state, size(), ratio);
  const QRect all = frame_.image.rect();
  const double moveX = to.dx() - from.dx();
  const double moveY = to.dy() - from.dy();
  if (std::abs(moveX) >= all.width() || std::abs(moveY) >= all.height()) return false;
  const int dx = static_cast<int>(moveX);
  const int dy = static_cast<int>(moveY);
  // The columns uncovered on the left or right, then the rows above or below the rest.
  const QRect columns = dx > 0 ? QRect(0, 0, dx, all.height()) : QRect(all.width() + dx, 0, -dx, all.height());
  const int left = dx > 0 ? dx : 0;
  const int width = all.width() - std::abs(dx);
  const QRect rows = dy > 0 ? QRect(left, 0, width, dy) : QRect(left, all.height() + dy, width, -dy);
  const QTransform toDrawing = to.inverted();
  const double pixelsPerUnit = PixelsPerUnit(to);
  // Texts drawn as boxes in a crowded view stay so while it pans, or the strips would not
  // match the rest; a view that stops or starts being crowded is painted afresh.
  const bool sameTexts = scene_->TextBoxPixels(toDrawing.mapRect(QRectF(all))) == frame_.textBoxPixels;
  std::optional<std::size_t> weight;
  if (frame_.exact && sameTexts) {
    weight = QuickWeight({dx != 0 ? toDrawing.mapRect(QRectF(columns)) : QRectF(),
                          dy != 0 ? toDrawing.mapRect(QRectF(rows)) : QRectF()},
                         pixelsPerUnit);
  }
  const bool exact = weight.has_value();
  // A preview needs something to be cut from; without it the frame is painted afresh.
  if (!exact && !UsableOverview() && PreviewSource() == nullptr) return false;
  if (!exact && scene_->List().Shapes().size() <= kOverviewShapes) return false;
  if (exact) {
    exact_.image = QImage();  // the same pixels as the frame, moved with it below
  } else {
    exact_.image.detach();  // the last exact frame keeps its pixels where they were
  }
  ScrollImage(frame_.image, dx, dy);
  if (exact) {
    QElapsedTimer clock;
    clock.start();
    const auto& layers = drawing_.Layers();
    const render::RenderOptions options{PaintThreads(), frame_.textBoxPixels, BackgroundKind(), nullptr};
    if (dx != 0) scene_->Render(frame_.image, layers, to, columns, options);
    if (dy != 0) scene_->Render(frame_.image, layers, to, rows, options);
    Learn(pixelsPerUnit, *weight, Ms(clock));
  } else {
    QPainter painter(&frame_.image);
    if (dx != 0) PaintPreview(painter, to, columns, ratio);
    if (dy != 0) PaintPreview(painter, to, rows, ratio);
  }
  frame_.state = state_;
  frame_.exact = exact;
  if (exact) {
    exact_ = frame_;
  } else {
    refineWork_.Stop();
    refineTimer_.start();
  }
  return true;
}

// What is known of the view at once: the overview, and over it the last exact frame (or,
// while the overview is being made again, the stale one) moved and scaled where it shows
// more detail.
void DrawingView::PaintPreview(QPainter& painter, const QTransform& to, const QRect& target, double ratio) const {
  const render::Overview* overview = UsableOverview();
  const Frame* known = PreviewSource();
  if (overview != nullptr && known == &stale_) known = nullptr;
  const bool useExact = known != nullptr && (!overview || known->state.scale * ratio > overview->FinestPixelsPerUnit());
  QTransform exactTo;  // the known frame's pixels to the device
  bool covered = false;
  if (useExact) {
    exactTo = PaintTransform(known->state, size(), ratio).inverted() * to;
    covered = exactTo.mapRect(QRectF(known->image.rect())).contains(QRectF(target));
  }
  if (overview != nullptr && !covered) {
    overview->Paint(painter, to, target);
  } else if (!covered) {
    painter.fillRect(target, QColor(render::BackgroundRgb(BackgroundKind())));
  }
  if (useExact) {
    painter.save();
    painter.setClipRect(target);
    painter.setTransform(exactTo, true);
    painter.drawImage(QPointF(0, 0), known->image);
    painter.restore();
  }
}

void DrawingView::Preview(const QSize& device, double ratio) {
  // The frame on show is painted over when no other frame holds its pixels.
  QImage image = frame_.image.size() == device && frame_.image.isDetached() ? std::move(frame_.image)
                                                                             : QImage(device, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    PaintPreview(painter, PaintTransform(state_, size(), ratio), image.rect(), ratio);
  }
  frame_.image = std::move(image);
  frame_.state = state_;
  frame_.valid = true;
  frame_.exact = false;
  refineWork_.Stop();
  refineTimer_.start();
}

// The exact frame of the view when one is at hand: the last painted, or the overview's own.
bool DrawingView::TakeKnownFrame(const QSize& device) {
  if (!(exact_.valid && exact_.state == state_ && exact_.image.size() == device)) {
    if (!(UsableOverview() && overviewFrame_.state == state_ && overviewFrame_.image.size() == device)) return false;
    exact_ = Frame{overviewFrame_.image, overviewFrame_.state, overviewFrame_.textBoxPixels, true, true};
  }
  frame_ = exact_;
  refineTimer_.stop();
  return true;
}

void DrawingView::UpdateFrame(const QSize& device, double ratio) {
  // A drawing changed without a Redraw still shows as it is now.
  if (drawing_.Revision() != sceneRevision_) {
    RebuildScene();
    UpdateOverview();
  }
  if (exact_.valid && exact_.image.size() != device) exact_.valid = false;
  const bool same = frame_.valid && frame_.image.size() == device && frame_.state == state_;
  if (same && frame_.exact) return;
  if (TakeKnownFrame(device)) return;
  if (same) return;  // a preview whose exact frame is on its way
  if (frame_.valid && frame_.image.size() == device && frame_.state.scale == state_.scale &&
      MoveFrame(PaintTransform(state_, size(), ratio), ratio)) {
    return;
  }
  const QTransform to = PaintTransform(state_, size(), ratio);
  const QRectF area = to.inverted().mapRect(QRectF(QRect(QPoint(0, 0), device)));
  const std::optional<std::size_t> weight = QuickWeight({area}, PixelsPerUnit(to));
  if (weight || (!UsableOverview() && PreviewSource() == nullptr)) {
    RenderWhole(device, ratio, weight.value_or(scene_->List().Shapes().size()));
  } else {
    Preview(device, ratio);
  }
}

// The exact frame of the view as it rests, painted on the view's thread from copies of what
// it needs; a view that moves on stops it.
void DrawingView::StartRefine() {
  if (!frame_.valid || FrameExact()) return;
  if (pending_ && pendingState_ == state_ && pendingSize_ == size()) return;  // it brings this frame
  const double ratio = devicePixelRatioF();
  refineWork_.Start([this, scene = scene_, layers = drawing_.Layers(), state = state_, viewSize = size(), ratio,
                     background = BackgroundKind(), serial = frameSerial_](const std::atomic<bool>& stop) {
    QElapsedTimer clock;
    clock.start();
    std::optional<ExactFrame> frame = PaintFrame(*scene, layers, state, viewSize, ratio, background, &stop);
    if (!frame) return;
    const double ms = Ms(clock);
    const QTransform to = PaintTransform(state, viewSize, ratio);
    const std::size_t weight = PaintWeight(*scene, to.inverted().mapRect(QRectF(frame->image.rect())), SIZE_MAX);
    auto shared = std::make_shared<ExactFrame>(std::move(*frame));
    QMetaObject::invokeMethod(
        this,
        [this, shared, serial, ppu = PixelsPerUnit(to), weight, ms] {
          if (serial == frameSerial_) Learn(ppu, weight, ms);
          TakeRefined(std::move(*shared), serial);
        },
        Qt::QueuedConnection);
  });
}

void DrawingView::TakeRefined(ExactFrame frame, std::uint64_t serial) {
  const QSize device = DevicePixels(size(), devicePixelRatioF());
  if (serial != frameSerial_ || frame.image.size() != device) return;
  exact_ = Frame{std::move(frame.image), frame.state, frame.textBoxPixels, true, true};
  stale_ = Frame{};
  if (exact_.state != state_) return;  // the view moved on: the frame still helps its previews
  frame_ = exact_;
  emit FrameRefined();
  update();
}

void DrawingView::paintEvent(QPaintEvent*) {
  const double ratio = devicePixelRatioF();
  UpdateFrame(DevicePixels(size(), ratio), ratio);
  QPainter painter(this);
  painter.drawImage(QRectF(rect()), frame_.image);
  PaintMarks(painter);
}

}  // namespace tessaro::view
