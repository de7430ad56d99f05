// Making a view's scene, frames and overview: the same steps on the window's thread, on the
// view's own threads and on a thread of a file's read.
#include "view/prepared_scene.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "cad/extents.h"
#include "display/display_list.h"
#include "render/qt_text_metrics.h"

namespace tessaro::view {

int PaintThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)); }

std::vector<bool> LayerStates(const Drawing& drawing) {
  std::vector<bool> states;
  states.reserve(drawing.Layers().size());
  for (const Layer& layer : drawing.Layers()) states.push_back(layer.on);
  return states;
}

std::size_t PaintWeight(const render::Scene& scene, const QRectF& area, std::size_t limit) {
  const QRectF a = area.normalized();
  const Extents box{{a.left(), a.top()}, {a.right(), a.bottom()}};
  std::size_t weight = 0;
  const auto& shapes = scene.List().Shapes();
  scene.Index().ForEachIn(box, [&](std::uint32_t i) {
    weight += shapes[i].kind == ShapeKind::Text ? kTextPaintWeight : 1;
    return weight <= limit;
  });
  return weight;
}

QSize DevicePixels(const QSize& viewSize, double ratio) {
  return QSize(static_cast<int>(std::lround(viewSize.width() * ratio)),
               static_cast<int>(std::lround(viewSize.height() * ratio)));
}

std::optional<ExactFrame> PaintFrame(const render::Scene& scene, std::span<const Layer> layers, const ViewState& state,
                                     const QSize& viewSize, double ratio, render::Background background,
                                     const std::atomic<bool>* stop) {
  ExactFrame frame;
  frame.state = state;
  frame.image = QImage(DevicePixels(viewSize, ratio), QImage::Format_RGB32);
  if (frame.image.isNull()) return std::nullopt;
  const QTransform toDevice = PaintTransform(state, viewSize, ratio);
  frame.textBoxPixels = scene.TextBoxPixels(toDevice.inverted().mapRect(QRectF(frame.image.rect())));
  scene.Render(frame.image, layers, toDevice, frame.image.rect(),
               render::RenderOptions{PaintThreads(), frame.textBoxPixels, background, stop});
  if (stop != nullptr && stop->load()) return std::nullopt;
  return frame;
}

std::optional<MadeOverview> MakeOverview(const render::Scene& scene, std::span<const Layer> layers, bool dark,
                                         const ViewState& state, const QSize& viewSize, double ratio,
                                         const std::atomic<bool>* stop) {
  const auto background = dark ? render::Background::Dark : render::Background::White;
  std::optional<ExactFrame> frame = PaintFrame(scene, layers, state, viewSize, ratio, background, stop);
  if (!frame) return std::nullopt;
  MadeOverview made;
  made.overview = std::make_shared<const render::Overview>(frame->image, PaintTransform(state, viewSize, ratio), background);
  made.frame = std::move(*frame);
  return made;
}

std::optional<PreparedScene> PrepareScene(const Drawing& drawing, bool dark, const QSize& viewSize, double ratio,
                                          const std::atomic<bool>* stop, const std::function<void(double)>& progress) {
  // Shares of the work, about as a million entities spend them.
  constexpr double kFlatten = 0.45, kIndex = 0.6;
  const auto tell = [&](double share) {
    if (progress) progress(share);
    return stop == nullptr || !stop->load();
  };
  const render::QtTextMetrics metrics;  // MTEXT wrapped with the fonts the view draws with
  FlattenOptions options;
  options.metrics = &metrics;
  options.cancel = stop;
  options.progress = [&](double share) { tell(kFlatten * share); };
  DisplayList list = FlattenDrawing(drawing, options);
  if (!tell(kFlatten)) return std::nullopt;
  PreparedScene prepared;
  prepared.extents = DrawnExtents(drawing);
  const std::size_t shapes = list.Shapes().size();
  prepared.scene = std::make_shared<const render::Scene>(std::move(list));
  if (!tell(kIndex)) return std::nullopt;
  if (shapes > kOverviewShapes && !viewSize.isEmpty()) {
    const ViewState state = ExtentsState(prepared.extents, viewSize, 1.0);
    std::optional<MadeOverview> made = MakeOverview(*prepared.scene, drawing.Layers(), dark, state, viewSize, ratio, stop);
    if (!made) return std::nullopt;
    prepared.overview = std::move(made->overview);
    prepared.overviewFrame = std::move(made->frame);
    prepared.overviewLayers = LayerStates(drawing);
    prepared.overviewDark = dark;
  }
  if (!tell(1.0)) return std::nullopt;
  return prepared;
}

}  // namespace tessaro::view
