// The two-point view tools: every button press, move and release sequence below is run on
// a recording view and compared with what the view was asked to do.
#include <QtTest>

#include "shell/pick_tools.h"

using namespace tessaro::shell;

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

private:
  void Record(const char* what, float x1, float y1, float x2, float y2) {
    calls << QStringLiteral("%1 %2,%3 %4,%5").arg(QLatin1String(what)).arg(x1).arg(y1).arg(x2).arg(y2);
  }
};

// A script of events: "D4" press middle, "D2" press right, "U x y" release, "M x y" move,
// "W" command zoom window, "P" command pan.
void Play(const QString& script, PickState& pick, RecordingView& view, bool viewEnabled = true) {
  for (const QString& step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QStringList f = step.trimmed().split(QLatin1Char(' '));
    const QString op = f[0];
    if (op == QLatin1String("W")) StartZoomWindow(pick, view);
    if (op == QLatin1String("P")) StartPan(pick, view);
    if (op.startsWith(QLatin1Char('D'))) ViewMouseDown(pick, view, op.mid(1).toInt());
    if (op == QLatin1String("U")) ViewMouseUp(pick, view, f[1].toFloat(), f[2].toFloat());
    if (op == QLatin1String("M")) ViewMouseMove(pick, view, viewEnabled, f[1].toFloat(), f[2].toFloat());
  }
}

}  // namespace

class PickToolsTest : public QObject {
  Q_OBJECT

private slots:
  void sequences_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("pointer");

    QTest::newRow("middle button: release takes the first point, next click zooms")
        << "D4; U 10 20; M 30 40; D1; U 50 60"
        << QStringList{"Rect 10,20 30,40", "ZoomWindow 10,20 50,60"} << int(kPointerIdle);
    QTest::newRow("right button: release takes the first point, next release pans")
        << "D2; U 1 2; M 3 4; U 5 6" << QStringList{"Line 1,2 3,4", "PanView 1,2 5,6"} << int(kPointerIdle);
    QTest::newRow("zoom window command waits for a release, then a second one")
        << "W; U 0 0; U 100 50" << QStringList{"ZoomWindow 0,0 100,50"} << int(kPointerIdle);
    QTest::newRow("pan command") << "P; U 7 7; U 9 9" << QStringList{"PanView 7,7 9,9"} << int(kPointerIdle);
    QTest::newRow("left button alone does nothing") << "D1; U 1 1; M 2 2" << QStringList{} << int(kPointerIdle);
    // The middle release first takes the window's point (step 2), then the armed pan acts
    // from that same point to itself (step 3): the view does not move; the window goes on.
    QTest::newRow("pan armed, then a zoom window by the middle button")
        << "D2; U 5 5; D4; U 8 9; M 12 13; U 20 30"
        << QStringList{"PanView 8,9 8,9", "Rect 8,9 12,13", "ZoomWindow 8,9 20,30"} << int(kPointerIdle);
    QTest::newRow("both commands armed: one release takes both points")
        << "W; P; U 1 1; M 2 2; U 3 3"
        << QStringList{"Rect 1,1 2,2", "Line 1,1 2,2", "ZoomWindow 1,1 3,3", "PanView 1,1 3,3"} << int(kPointerIdle);
    QTest::newRow("a waiting pick keeps its cross-hair while the mouse moves")
        << "D2; M 1 1" << QStringList{} << int(kPointerPicking);
    QTest::newRow("pan's first point shows the cross-hair") << "P; U 1 1" << QStringList{} << int(kPointerPicking);
  }

  void sequences() {
    QFETCH(QString, script);
    QFETCH(QStringList, calls);
    QFETCH(int, pointer);
    PickState pick;
    RecordingView view;
    Play(script, pick, view);
    QCOMPARE(view.calls, calls);
    QCOMPARE(view.pointer, pointer);
  }

  void tools_end_idle() {
    PickState pick;
    RecordingView view;
    Play("D4; U 1 1; U 2 2; D2; U 3 3; U 4 4", pick, view);
    QVERIFY(!pick.windowPickPending && !pick.windowPickActive && !pick.panPickPending && !pick.panPickActive);
  }

  void moving_over_a_disabled_view_shows_the_default_pointer() {
    PickState pick;
    RecordingView view;
    view.pointer = kPointerIdle;
    Play("M 1 1", pick, view, /*viewEnabled=*/false);
    QCOMPARE(view.pointer, int(kPointerDefault));
  }
};

QTEST_APPLESS_MAIN(PickToolsTest)
#include "pick_tools_test.moc"
