// What the drawing view shows of a drawing, made where it costs the window nothing (on a
// thread of its own, while a file is read): the display list's scene, the drawing's
// extents and, for a large drawing, its overview with the exact frame of the view at the
// extents it was made from.
#pragma once

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "cad/drawing.h"
#include "render/overview.h"
#include "render/scene.h"
#include "view/view_state.h"

namespace tessaro::view {

// What one shape in view costs a frame painted directly, in shapes: a text costs this many.
inline constexpr std::size_t kTextPaintWeight = 8;
// A drawing of more shapes than this gets an overview: a frame of all of it costs more
// than a frame may (about 10 ms of a 2-core machine).
inline constexpr std::size_t kOverviewShapes = 40'000;

// The threads a frame is painted on.
int PaintThreads();

// The weight of the shapes in `area` (drawing units), counting no further than `limit`.
std::size_t PaintWeight(const render::Scene& scene, const QRectF& area, std::size_t limit);

// The layers' on/off states: switching a layer repaints from the same display list.
std::vector<bool> LayerStates(const Drawing& drawing);

// A frame as the scene paints it for a still view, and the text size it drew as boxes.
struct ExactFrame {
  QImage image;
  ViewState state;
  double textBoxPixels = render::kTextBoxPixels;
};

// The device pixels of a view of `viewSize` at `ratio` device pixels to a view pixel.
QSize DevicePixels(const QSize& viewSize, double ratio);

// The exact frame of `state` for a view of `viewSize` at `ratio`. Nothing when `stop` is
// set before it is whole.
std::optional<ExactFrame> PaintFrame(const render::Scene& scene, std::span<const Layer> layers, const ViewState& state,
                                     const QSize& viewSize, double ratio, render::Background background,
                                     const std::atomic<bool>* stop = nullptr);

struct PreparedScene {
  std::shared_ptr<const render::Scene> scene;
  std::optional<Extents> extents;
  // For a large drawing: its overview, from the exact frame of the view at its extents, with
  // the layer states and the background it shows.
  std::shared_ptr<const render::Overview> overview;
  ExactFrame overviewFrame;
  std::vector<bool> overviewLayers;
  bool overviewDark = false;
};

// The scene and the extents of `drawing`, and for more than kOverviewShapes shapes its
// overview for a view of `viewSize` at `ratio`. `progress` hears the share done (0 to 1)
// now and then; once `stop` is set the work ends early and nothing comes back.
std::optional<PreparedScene> PrepareScene(const Drawing& drawing, bool dark, const QSize& viewSize, double ratio,
                                          const std::atomic<bool>* stop = nullptr,
                                          const std::function<void(double)>& progress = {});

// The overview of a scene: its frame at `state`, which should show the whole drawing.
struct MadeOverview {
  std::shared_ptr<const render::Overview> overview;
  ExactFrame frame;
};
std::optional<MadeOverview> MakeOverview(const render::Scene& scene, std::span<const Layer> layers, bool dark,
                                         const ViewState& state, const QSize& viewSize, double ratio,
                                         const std::atomic<bool>* stop = nullptr);

}  // namespace tessaro::view
