// The drawing view: the two-point pick tools (every press, move and release sequence is run
// on a recording view and compared with what the view was asked to do), the ACI colours,
// pan, zoom window and history, and a pan that reuses the last frame's pixels.
// Fitting, zoom steps and the wheel's anchor are checked through the main window.
#include <QImage>
#include <QtTest>

#include "display/display_list.h"
#include "render/aci_colors.h"
#include "render/scene.h"
#include "view/drawing_view.h"
#include "view/pick_tools.h"
#include "view/prepared_scene.h"
#include "view/view_state.h"

using namespace tessaro;
using namespace tessaro::view;
using namespace tessaro::render;

namespace {

class RecordingView final : public ViewTools {
public:
  QStringList calls;
  int pointer = kPointerDefault;

  void ZoomWindow(float x1, float y1, float x2, float y2) override { Record("ZoomWindow", x1, y1, x2, y2); }
  void PanView(float x1, float y1, float x2, float y2) override { Record("PanView", x1, y1, x2, y2); }
  void DrawRubberRectangle(float x1, float y1, float x2, float y2) override { Record("Rect", x1, y1, x2, y2); }
  void DrawRubberLine(float x1, float y1, float x2, float y2) override { Record("Line", x1, y1, x2, y2); }
  int PointerState() const override { return pointer; }
  void SetPointerState(int state) override { pointer = state; }
  void Record(const char* what, float x1, float y1, float x2, float y2) {
    calls << QStringLiteral("%1 %2,%3 %4,%5").arg(QLatin1String(what)).arg(x1).arg(y1).arg(x2).arg(y2);
  }
};

// A script of events: "D4" press middle, "D2" press right, "U x y" release, "M x y" move,
// "m x y" move over a disabled view, "W" command zoom window, "P" command pan.
void Play(const QString& script, PickState& pick, RecordingView& view) {
  for (const QString& step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QStringList f = step.trimmed().split(QLatin1Char(' '));
    const QString op = f[0];
    if (op == QLatin1String("W")) StartZoomWindow(pick, view);
    if (op == QLatin1String("P")) StartPan(pick, view);
    if (op.startsWith(QLatin1Char('D'))) ViewMouseDown(pick, view, op.mid(1).toInt());
    if (op == QLatin1String("U")) ViewMouseUp(pick, view, f[1].toFloat(), f[2].toFloat());
    if (op.toUpper() == QLatin1String("M"))
      ViewMouseMove(pick, view, op == QLatin1String("M"), f[1].toFloat(), f[2].toFloat());
  }
}

}  // namespace

class DrawingViewTest : public QObject {
  Q_OBJECT

private slots:
  void pick_sequences() {
    const int idle = kPointerIdle, picking = kPointerPicking, plain = kPointerDefault;
    const std::tuple<QString, QString, int> cases[] = {  // script, calls, pointer after
        // Middle button: the release takes the first point, the next click zooms.
        {"D4; U 10 20; M 30 40; D1; U 50 60", "Rect 10,20 30,40|ZoomWindow 10,20 50,60", idle},
        // Right button: the release takes the first point, the next release pans.
        {"D2; U 1 2; M 3 4; U 5 6", "Line 1,2 3,4|PanView 1,2 5,6", idle},
        {"D1; U 1 1; M 2 2", "", idle},  // the left button alone does nothing
        // Pan armed, then a zoom window by the middle button: its release first takes the
        // window's point, then the armed pan acts from that point to itself; the window goes on.
        {"D2; U 5 5; D4; U 8 9; M 12 13; U 20 30", "PanView 8,9 8,9|Rect 8,9 12,13|ZoomWindow 8,9 20,30", idle},
        // Both commands: one release takes both points, the next acts.
        {"W; P; U 1 1; M 2 2; U 3 3", "Rect 1,1 2,2|Line 1,1 2,2|ZoomWindow 1,1 3,3|PanView 1,1 3,3", idle},
        {"D2; M 1 1", "", picking},  // a waiting pick keeps its cross-hair on a move
        {"P; U 1 1", "", picking},   // pan's first point shows the cross-hair
        {"D4; U 1 1; U 2 2; D2; U 3 3; U 4 4", "ZoomWindow 1,1 2,2|PanView 3,3 4,4", idle},
        {"D2; U 1 1; U 2 2; m 3 3", "PanView 1,1 2,2", plain}};  // over a disabled view: the default pointer
    for (const auto& [script, calls, pointer] : cases) {
      PickState pick;
      RecordingView view;
      Play(script, pick, view);
      QCOMPARE(view.calls.join('|'), calls);
      QCOMPARE(view.pointer, pointer);
      // A tool still armed is exactly when the cross-hair shows.
      const bool armed = pick.windowPickPending || pick.windowPickActive || pick.panPickPending || pick.panPickActive;
      QCOMPARE(armed, pointer == kPointerPicking);
    }
  }
  // 7 is black on our white background; 21 (ties) is a pale orange of the computed hue wheel.
  void aci_colours() {
    QStringList names;
    for (int aci : {1, 7, 8, 21, 250, 256}) names << AciColor(aci).name();
    QCOMPARE(names, (QStringList{"#ff0000", "#000000", "#808080", "#ff9f7f", "#333333", "#000000"}));
  }

  // A pan moves the last frame's pixels and paints only the strips it uncovers: the same
  // pixels as a frame painted afresh, whichever way and however far the view moves (the
  // view shows about 300 x 225 drawing units: right, left and up, down a fraction of a
  // pixel, diagonally, most of the view).
  void pan_reuses_the_frame() {
    Drawing d;
    for (int i = 0; i < 3000; ++i) {
      const double x = (i * 37) % 1000, y = (i * 91) % 700;
      d.SetCurrentLayer(i % 2 ? "Ferri" : "Testi");
      switch (i % 4) {
        case 0: d.AddLine({{x, y}, {x + (i % 50), y + (i % 30) - 15}}, 1 + i % 7); break;
        case 1: d.AddCircle({{x, y}, 1.0 + i % 9}, 3); break;
        case 2: d.AddArc({{x, y}, 5.0 + i % 13, double(i % 360), double((i * 7) % 360)}, 5); break;
        default: d.AddText({{x, y}, 4.0 + i % 5, "4\xC3\x98" "16", "Arial"}, 7); break;
      }
    }
    DrawingView view(d);
    view.resize(320, 240);
    QImage whole;
    for (const QPointF move : {QPointF(37, 0), QPointF(-23.3, 11.7), QPointF(0, -0.4), QPointF(101.5, -64.25), QPointF(280, 10)}) {
      view.ZoomWindow(100, 100, 400, 325);
      view.grab();
      view.PanView(0, 0, static_cast<float>(move.x()), static_cast<float>(move.y()));
      const QImage moved = view.grab().toImage();
      view.DiscardFrame();
      whole = view.grab().toImage();
      QCOMPARE(moved.size(), QSize(320, 240));
      QCOMPARE(moved, whole);
    }
    // Switching a layer off repaints without it from the same display list.
    const auto* list = &view.Scene().List();
    d.SetLayerOn("Testi", false);
    view.Redraw();
    QCOMPARE(&view.Scene().List(), list);
    QVERIFY(view.grab().toImage() != whole);
  }

  // A large drawing shows frames cut from its overview while painting them would be slow,
  // and its exact frame once the view rests: the pixels of a frame painted afresh, after a
  // zoom and after a pan.
  void a_still_view_shows_its_exact_frame() {
    Drawing d;
    for (int i = 0; i < 50000; ++i) {
      const double x = (i * 37) % 1000, y = (i * 91) % 700;
      d.SetCurrentLayer(i % 2 ? "Ferri" : "Testi");
      if (i % 10 == 0) d.AddText({{x, y}, 4.0 + i % 5, "4\xC3\x98" "16", "Arial"}, 7);
      else d.AddLine({{x, y}, {x + (i % 50), y + (i % 30) - 15}}, 1 + i % 7);
    }
    DrawingView view(d);
    view.resize(320, 240);
    view.ShowPrepared(*PrepareScene(d, false, view.size(), view.devicePixelRatioF()));
    view.ZoomExtents();
    view.grab();
    QVERIFY(view.FrameExact());  // the frame the overview was made from
    const auto afresh = [&view] {
      view.SetFrameBudget(1e9);
      view.DiscardFrame();
      const QImage image = view.grab().toImage();
      view.SetFrameBudget(0);
      return image;
    };
    view.SetFrameBudget(0);  // nothing is quick: every new view is cut first
    view.ZoomWindow(100, 100, 400, 325);
    view.grab();
    QVERIFY(!view.FrameExact());
    QTRY_VERIFY(view.FrameExact());
    QCOMPARE(view.grab().toImage(), afresh());
    view.PanView(0, 0, 37, -11.7);
    view.grab();
    QVERIFY(!view.FrameExact());
    QTRY_VERIFY(view.FrameExact());
    QCOMPARE(view.grab().toImage(), afresh());
    // A layer switched off, and on again over the whole drawing (whose frame comes with
    // the new overview): the old frame stands in until the new one is painted.
    for (const bool extents : {false, true}) {
      if (extents) view.ZoomExtents();
      d.SetLayerOn("Testi", extents);
      view.Redraw();
      view.grab();
      QVERIFY(!view.FrameExact());
      QTRY_VERIFY(view.FrameExact());
      QCOMPARE(view.grab().toImage(), afresh());
    }
  }

  // The zoom window itself is checked through the main window, with real mouse events.
  void pan_and_history() {
    Drawing d;
    DrawingView view(d);
    const ViewState start = view.State();
    view.PanView(0, 0, 10, 5);  // the drawing follows the pointer
    const ViewState panned{start.centerX - 10, start.centerY - 5, start.scale};
    QCOMPARE(view.State(), panned);
    view.ZoomWindow(0, 0, 40, 30);
    view.ZoomPrevious();
    QCOMPARE(view.State(), panned);
    view.ZoomPrevious();
    QCOMPARE(view.State(), start);
  }
};

QTEST_MAIN(DrawingViewTest)
#include "drawing_view_test.moc"
