// bench_view_open: what the desktop program does when a DXF file is opened, timed step by
// step (read; display list, index and overview; first paint at full extents into a
// 1600x1000 view), and with --frames the time per frame at full extents, at 10x and 100x
// and while panning, median and 95th percentile. A frame is what the screen gets at once
// (for a large drawing, cut from its overview); "exact after" is how long a view left still
// waits for its exact frame, painted on the view's own thread. The peak memory and the
// side-by-side comparison with another CAD program come from run-view-bench, which runs
// this under /usr/bin/time -v.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "cad/extents.h"
#include "dxf/file.h"
#include "display/display_list.h"
#include "render/scene.h"
#include "view/prepared_scene.h"
#include "view/drawing_view.h"

namespace {

using tessaro::Drawing;
using tessaro::view::DrawingView;

const QSize kViewSize(1600, 1000);
constexpr int kFrames = 25;

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

struct Stats {
  double median;
  double p95;
};

Stats StatsOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) {
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5))];
  };
  return {at(0.5), at(0.95)};
}

// One frame as the screen gets it: the view paints (or reuses) its frame and hands it on.
double Frame(DrawingView& view, QImage& screen, bool afresh) {
  if (afresh) view.DiscardFrame();
  QElapsedTimer t;
  t.start();
  QPainter p(&screen);
  view.render(&p);
  return Ms(t);
}

void Report(const char* what, const std::vector<double>& ms) {
  const Stats s = StatsOf(ms);
  std::printf("  %-30s median %8.2f ms   p95 %8.2f ms\n", what, s.median, s.p95);
}

// How long a view left still after a frame made afresh waits for its exact frame.
void ReportExact(const char* what, DrawingView& view, QImage& screen) {
  std::vector<double> ms;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer t;
    t.start();
    Frame(view, screen, true);
    while (!view.FrameExact() && t.elapsed() < 60'000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    ms.push_back(Ms(t));
  }
  Report(what, ms);
}

void Frames(DrawingView& view, QImage& screen) {
  const tessaro::view::ViewState extents = view.State();
  std::vector<double> ms;
  for (int i = 0; i < kFrames; ++i) ms.push_back(Frame(view, screen, true));
  Report("full extents", ms);
  ReportExact("  exact after", view, screen);

  for (const double zoom : {10.0, 100.0}) {
    const double w = kViewSize.width() / extents.scale / zoom / 2, h = kViewSize.height() / extents.scale / zoom / 2;
    view.ZoomWindow(static_cast<float>(extents.centerX - w), static_cast<float>(extents.centerY - h),
                    static_cast<float>(extents.centerX + w), static_cast<float>(extents.centerY + h));
    ms.clear();
    for (int i = 0; i < kFrames; ++i) ms.push_back(Frame(view, screen, true));
    Report(zoom == 10.0 ? "10x zoom" : "100x zoom", ms);
    ReportExact("  exact after", view, screen);
  }
  for (const double zoom : {1.0, 10.0}) {
    view.ZoomExtents();
    if (zoom > 1) view.ZoomIn(), view.SetZoomInOutPercent(900), view.ZoomIn(), view.SetZoomInOutPercent(10);
    Frame(view, screen, true);
    ms.clear();
    const double step = 25 / view.State().scale;  // 25 pixels a frame, diagonally
    for (int i = 0; i < kFrames; ++i) {
      view.PanView(0, 0, static_cast<float>(step), static_cast<float>(step * 0.6));
      ms.push_back(Frame(view, screen, false));
    }
    Report(zoom == 1.0 ? "panning at extents" : "panning at ~10x", ms);
    QElapsedTimer t;
    t.start();
    while (!view.FrameExact() && t.elapsed() < 60'000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::printf("    %-28s %8.2f ms\n", "exact after the last", Ms(t));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_view_open FILE.dxf [--frames]\n");
    return 2;
  }
  const bool frames = argc > 2 && std::strcmp(argv[2], "--frames") == 0;
  QElapsedTimer total;
  total.start();
  Drawing drawing;
  DrawingView view(drawing);
  view.resize(kViewSize);
  QImage screen(kViewSize, QImage::Format_RGB32);

  // As the window's load thread does it, here on the main thread to time its steps.
  QElapsedTimer step;
  step.start();
  const tessaro::DxfReadReport report = tessaro::ReadDxfFile(drawing, std::filesystem::path(argv[1]));
  const double readMs = Ms(step);
  step.restart();
  std::optional<tessaro::view::PreparedScene> prepared =
      tessaro::view::PrepareScene(drawing, false, kViewSize, 1.0);
  const double listMs = Ms(step);
  step.restart();
  view.ShowPrepared(std::move(*prepared));
  view.ZoomExtents();
  {
    QPainter p(&screen);
    view.render(&p);
  }
  const double paintMs = Ms(step);
  std::printf("view_open: %s\n", argv[1]);
  std::printf("  entities read %zu, drawn %zu, shapes %zu\n", report.entitiesRead, drawing.EntityCount(),
              view.Scene().List().Shapes().size());
  std::printf("  read                %9.1f ms\n", readMs);
  std::printf("  list+index+overview %9.1f ms%s\n", listMs, view.Overview() != nullptr ? "" : " (no overview)");
  std::printf("  first paint         %9.1f ms\n", paintMs);
  std::printf("  open + first paint  %9.1f ms\n", Ms(total));
  if (frames) {
    {
      // The list step again, in its parts: flattening, the index and texts, the overview
      // (not in a plain open, whose peak memory is measured).
      step.restart();
      tessaro::DisplayList list = tessaro::FlattenDrawing(drawing);
      const double flattenMs = Ms(step);
      step.restart();
      const tessaro::render::Scene scene(std::move(list));
      const double indexMs = Ms(step);
      step.restart();
      const auto made = tessaro::view::MakeOverview(
          scene, drawing.Layers(), false,
          tessaro::view::ExtentsState(tessaro::DrawnExtents(drawing), QSizeF(kViewSize), 1.0), kViewSize, 1.0);
      std::printf("  (list again: flatten %.1f ms, index and texts %.1f ms, overview %.1f ms, %.0f MB)\n", flattenMs,
                  indexMs, Ms(step), made ? static_cast<double>(made->overview->Bytes()) / 1e6 : 0.0);
    }
    Frames(view, screen);
  }
  return 0;
}
