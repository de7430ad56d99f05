// The drawing view: the transform (y up in the drawing, down on screen), the ACI colours,
// what gets painted (layers that are off are not), and the zoom, pan and history.
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "shell/aci_colors.h"
#include "shell/drawing_view.h"
#include "shell/view_state.h"
#include "shell_test_support.h"

using namespace tessaro;
using namespace tessaro::shell;

namespace {

// Two layers: a square outline on "Sezioni", a circle, an arc and a text on "Testi".
Drawing SampleDrawing() {
  Drawing d;
  d.SetCurrentLayer("Sezioni");
  d.AddLine({{0, 0}, {100, 0}}, 3);
  d.AddLine({{100, 0}, {100, 100}}, 3);
  d.SetCurrentLayer("Testi");
  d.AddCircle({{50, 50}, 10}, 5);
  d.AddArc({{50, 50}, 20, 0, 90}, 6);
  d.AddText({{10, 90}, 5, "Pilastrata 1", "Arial"}, 1);
  return d;
}

constexpr QSize kViewSize(400, 300);

}  // namespace

class DrawingViewTest : public QObject {
  Q_OBJECT

private slots:
  void transform_puts_y_up() {
    const ViewState state{50, 50, 2};
    const QTransform t = ViewTransform(state, kViewSize);
    QCOMPARE(t.map(QPointF(50, 50)), QPointF(200, 150));  // the centre in the middle
    QCOMPARE(t.map(QPointF(60, 50)), QPointF(220, 150));  // x to the right
    QCOMPARE(t.map(QPointF(50, 60)), QPointF(200, 130));  // y up: towards the top of the screen
    QCOMPARE(ViewToDrawing(state, kViewSize, QPointF(220, 130)), QPointF(60, 60));
  }

  void fit_area_shows_all_of_it() {
    const ViewState s = FitArea(QRectF(QPointF(0, 0), QPointF(200, 100)), kViewSize, 0.0, 1.0);
    QCOMPARE(s.scale, 2.0);  // width decides: 400 px / 200 units
    QCOMPARE(QPointF(s.centerX, s.centerY), QPointF(100, 50));
    // A point keeps the scale and only centres.
    const ViewState p = FitArea(QRectF(QPointF(7, 8), QPointF(7, 8)), kViewSize, 0.0, 3.0);
    QCOMPARE(p.scale, 3.0);
    QCOMPARE(QPointF(p.centerX, p.centerY), QPointF(7, 8));
  }

  void zoom_about_keeps_the_anchor_in_place() {
    const ViewState s{0, 0, 1};
    const QPointF anchor(100, 40);
    const QPointF before = ViewTransform(s, kViewSize).map(anchor);
    const ViewState z = ZoomAbout(s, 1.06, anchor);
    QCOMPARE(z.scale, 1.06);
    const QPointF after = ViewTransform(z, kViewSize).map(anchor);
    QVERIFY(qAbs(before.x() - after.x()) < 1e-9 && qAbs(before.y() - after.y()) < 1e-9);
  }

  void aci_colours_data() {
    QTest::addColumn<int>("aci");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("1 red") << 1 << QColor(255, 0, 0);
    QTest::newRow("2 yellow") << 2 << QColor(255, 255, 0);
    QTest::newRow("3 green") << 3 << QColor(0, 255, 0);
    QTest::newRow("4 cyan") << 4 << QColor(0, 255, 255);
    QTest::newRow("5 blue") << 5 << QColor(0, 0, 255);
    QTest::newRow("6 magenta") << 6 << QColor(255, 0, 255);
    QTest::newRow("7 black on white") << 7 << QColor(0, 0, 0);
    QTest::newRow("8 grey") << 8 << QColor(128, 128, 128);
    QTest::newRow("9 light grey") << 9 << QColor(192, 192, 192);
    QTest::newRow("0 by block") << 0 << QColor(0, 0, 0);
    QTest::newRow("10 red of the wheel") << 10 << QColor(255, 0, 0);
    QTest::newRow("30 orange-yellow") << 30 << QColor(255, 127, 0);
    QTest::newRow("250 darkest grey") << 250 << QColor(51, 51, 51);
    QTest::newRow("256 by layer") << 256 << QColor(0, 0, 0);
  }

  void aci_colours() {
    QFETCH(int, aci);
    QFETCH(QColor, colour);
    const QColor got = AciColor(aci);
    // The hue wheel is computed: allow one step of rounding.
    QVERIFY2(qAbs(got.red() - colour.red()) <= 1 && qAbs(got.green() - colour.green()) <= 1 &&
                 qAbs(got.blue() - colour.blue()) <= 1,
             qPrintable(got.name()));
  }

  void aci_21_is_a_pale_orange_distinct_from_green() {
    const QColor tie = AciColor(21);
    QVERIFY(tie.red() == 255 && tie.green() > 127 && tie.blue() > 100);
  }

  void paints_every_entity_of_layers_that_are_on() {
    Drawing d = SampleDrawing();
    testing::RecordingSink sink;
    PaintDrawing(d, sink);
    QCOMPARE(sink.painted, (QStringList{"LINE 0 0 100 0 c3", "LINE 100 0 100 100 c3", "CIRCLE 50 50 r10 c5",
                                        "ARC 50 50 r20 0-90 c6", "TEXT 10 90 h5 Pilastrata 1 c1"}));
    d.SetLayerOn("Testi", false);
    sink.painted.clear();
    PaintDrawing(d, sink);
    QCOMPARE(sink.painted, (QStringList{"LINE 0 0 100 0 c3", "LINE 100 0 100 100 c3"}));
  }

  void leaves_out_what_lies_outside_the_view() {
    const Drawing d = SampleDrawing();
    testing::RecordingSink sink;
    const QRectF corner(-10, -10, 5, 5);  // touches nothing
    PaintDrawing(d, sink, &corner);
    QVERIFY(sink.painted.isEmpty());
    const QRectF bottom(20, -5, 10, 10);  // crosses the bottom line only
    PaintDrawing(d, sink, &bottom);
    QCOMPARE(sink.painted, QStringList{"LINE 0 0 100 0 c3"});
  }

  // An arc from 0 to 90 degrees runs counter-clockwise: on screen it lies up and right
  // of its centre, never below it.
  void arcs_run_counter_clockwise_on_screen() {
    Drawing d;
    d.AddArc({{0, 0}, 40, 0, 90}, 7);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      QPainterSink sink(painter, ViewTransform(ViewState{0, 0, 2}, image.size()));
      PaintDrawing(d, sink);
    }
    auto darkIn = [&](int x0, int y0, int x1, int y1) {
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
          if (qGray(image.pixel(x, y)) < 128) return true;
      return false;
    };
    QVERIFY(darkIn(101, 0, 200, 99));     // upper right quadrant
    QVERIFY(!darkIn(0, 102, 200, 200));   // nothing below the centre
    QVERIFY(!darkIn(0, 0, 99, 99));       // nothing upper left
  }

  void zoom_pan_and_history() {
    Drawing d = SampleDrawing();
    DrawingView view(d);
    view.resize(kViewSize);
    view.ZoomExtents();
    const ViewState extents = view.State();
    QVERIFY(extents.scale > 0);

    view.SetZoomInOutPercent(10);
    view.ZoomIn();
    QCOMPARE(view.State().scale, extents.scale * 1.1);
    view.ZoomOut();
    QVERIFY(qAbs(view.State().scale - extents.scale) < 1e-9);

    view.PanView(0, 0, 10, 5);
    QCOMPARE(view.State().centerX, extents.centerX - 10);
    QCOMPARE(view.State().centerY, extents.centerY - 5);

    view.ZoomWindow(0, 0, 40, 30);
    QCOMPARE(view.State().scale, 10.0);  // 400 px / 40 units and 300 px / 30 units
    QCOMPARE(QPointF(view.State().centerX, view.State().centerY), QPointF(20, 15));

    view.ZoomPrevious();  // back to after the pan
    QCOMPARE(view.State().centerX, extents.centerX - 10);
    view.ZoomPrevious();
    view.ZoomPrevious();
    view.ZoomPrevious();
    QCOMPARE(view.State(), extents);
  }

  void an_empty_drawing_shows_the_limits() {
    Drawing d;
    DrawingView view(d);
    view.resize(100, 100);
    view.ZoomExtents();
    QCOMPARE(QPointF(view.State().centerX, view.State().centerY), QPointF(50, 50));
  }

  void pointer_state_sets_the_cursor() {
    Drawing d;
    DrawingView view(d);
    view.SetPointerState(kPointerPicking);
    QCOMPARE(view.cursor().shape(), Qt::CrossCursor);
    view.SetPointerState(kPointerIdle);
    QCOMPARE(view.cursor().shape(), Qt::ArrowCursor);
    view.SetPointerState(kPointerDefault);
    QCOMPARE(view.PointerState(), int(kPointerDefault));
  }

  void mouse_events_arrive_in_drawing_units() {
    Drawing d;
    DrawingView view(d);
    view.resize(kViewSize);
    view.ZoomWindow(0, 0, 40, 30);  // 10 px per unit, centre 20,15
    QList<QList<QVariant>> downs;
    connect(&view, &DrawingView::ViewMouseUp, this,
            [&](int button, int, float x, float y) { downs.push_back({button, x, y}); });
    QTest::mouseRelease(&view, Qt::MiddleButton, {}, QPoint(300, 50));
    QCOMPARE(downs.size(), 1);
    QCOMPARE(downs[0][0].toInt(), int(kMiddleButton));
    QCOMPARE(downs[0][1].toFloat(), 30.0f);
    QCOMPARE(downs[0][2].toFloat(), 25.0f);
  }
};

QTEST_MAIN(DrawingViewTest)
#include "drawing_view_test.moc"
