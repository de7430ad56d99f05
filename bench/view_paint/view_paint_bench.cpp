// How long the drawing view takes to paint a 20,000-entity drawing into an offscreen
// image, next to the floor of painting the same number of plain lines with QPainter
// directly in the same run. Reports milliseconds per paint (best of several runs).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "view/drawing_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using tessaro::Drawing;

constexpr int kEntities = 20'000;
constexpr int kRuns = 15;
const QSize kImageSize(1600, 1000);

// Shaped like a big stack drawing: mostly lines (bars, stirrups, outlines, dimensions),
// some circles and arcs (bars in section, hooks), some texts (labels, levels), several
// layers and colours, spread over a tall area the way elevations stand side by side.
Drawing MakeDrawing() {
  Drawing d;
  d.Reserve(kEntities);
  const char* layers[] = {"Sezioni", "Ferri", "Staffe", "Quote", "Testi", "Cls"};
  const int colours[] = {1, 3, 4, 5, 6, 21};
  for (int i = 0; i < kEntities; ++i) {
    d.SetCurrentLayer(layers[i % 6]);
    const double x = (i % 400) * 7.0;
    const double y = (i / 400) * 60.0;
    const int c = colours[i % 6];
    switch (i % 20) {
      case 0: d.AddCircle({{x, y}, 1.6}, c); break;
      case 1: d.AddArc({{x, y}, 3.0, 0, 135}, c); break;
      case 2: d.AddText({{x, y}, 8.0, "4\xC3\x98" "16 L=450", "Arial"}, c); break;
      default: d.AddLine({{x, y}, {x + 5.0, y + 40.0}}, c); break;
    }
  }
  return d;
}

template <class F>
double BestMillisecondsOf(F&& work) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const Drawing drawing = MakeDrawing();
  tessaro::view::DrawingView view(drawing);
  view.resize(kImageSize);
  view.ZoomExtents();

  QImage image(kImageSize, QImage::Format_ARGB32_Premultiplied);
  const double viewMs = BestMillisecondsOf([&] {
    image.fill(Qt::white);
    QPainter painter(&image);
    view.PaintTo(painter, kImageSize);
  });

  // The floor: the same count of lines, already in pixels, one pen, straight to QPainter.
  std::vector<QLineF> lines;
  lines.reserve(kEntities);
  for (int i = 0; i < kEntities; ++i) {
    const double x = (i % 400) * 4.0;
    const double y = (i / 400) * 20.0;
    lines.emplace_back(x, y, x + 3.0, y + 14.0);
  }
  const double floorMs = BestMillisecondsOf([&] {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  });

  std::printf("view_paint: %d entities into a %dx%d image, best of %d\n", kEntities, kImageSize.width(),
              kImageSize.height(), kRuns);
  std::printf("  drawing view paint     %8.2f ms\n", viewMs);
  std::printf("  plain QPainter lines   %8.2f ms (baseline)\n", floorMs);
  std::printf("  ratio                  %8.2f\n", viewMs / floorMs);
  return 0;
}
