// The painter: the spatial index against a brute-force scan on random boxes, the level of
// detail chosen by size on the device, where a text stands for each alignment, colours,
// and a frame split between threads giving the pixels of a frame painted on one.
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>

#include "render/pixel_lines.h"
#include "render/scene.h"
#include "render/shape_index.h"

using namespace tessaro;
using namespace tessaro::render;

namespace {

// Boxes of every size from points to a quarter of the area, some of them degenerate
// (horizontal and vertical lines), over an area of 1000 x 1000; a few rays and xlines,
// whose boxes run to infinity.
DisplayList RandomLines(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> at(0, 1000);
  std::uniform_real_distribution<double> length(0, 1);
  DisplayList list;
  for (int i = 0; i < count; ++i) {
    const Point2d a{at(random), at(random)};
    const double l = std::pow(length(random), 4) * 250;
    const double angle = length(random) * 6.28;
    Point2d b{a.x + l * std::cos(angle), a.y + l * std::sin(angle)};
    if (i % 7 == 0) b.y = a.y;
    if (i % 11 == 0) b.x = a.x;
    if (i % 1000 == 999) {
      list.AddRay(0, ShapeColor{1, 0}, a, {b.x - a.x + 1e-3, b.y - a.y}, i % 2000 == 999);
      continue;
    }
    list.AddSegment(static_cast<LayerIndex>(i % 3), ShapeColor{static_cast<std::int16_t>(1 + i % 9), 0}, a, b);
  }
  return list;
}

std::vector<std::uint32_t> BruteForce(const DisplayList& list, const Extents& area) {
  std::vector<std::uint32_t> hits;
  for (std::uint32_t i = 0; i < list.Shapes().size(); ++i) {
    const Extents& b = list.Shapes()[i].box;
    if (b.min.x <= area.max.x && b.max.x >= area.min.x && b.min.y <= area.max.y && b.max.y >= area.min.y)
      hits.push_back(i);
  }
  return hits;
}

Shape BoxShape(ShapeKind kind, double w, double h) {
  return Shape{kind, false, 0, ShapeColor{}, 0, 1, Extents{{0, 0}, {w, h}}};
}

TextShape Text(TextHAlign h, TextVAlign v, double rotation = 0, double widthFactor = 1, double oblique = 0,
               double fitWidth = 0) {
  TextShape t;
  t.position = {100, 50};
  t.height = 10;
  t.rotation = rotation;
  t.widthFactor = widthFactor;
  t.oblique = oblique;
  t.fitWidth = fitWidth;
  t.hAlign = h;
  t.vAlign = v;
  t.value = "Ab";
  return t;
}

bool Near(QPointF a, QPointF b) { return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6; }

}  // namespace

class RenderTest : public QObject {
  Q_OBJECT

private slots:
  void index_finds_exactly_the_boxes_that_meet() {
    for (const int count : {0, 1, 15, 16, 17, 257, 5000, 40000}) {
      const DisplayList list = RandomLines(count, 7u + static_cast<unsigned>(count));
      const ShapeIndex index(list.Shapes());
      std::mt19937 random(42);
      std::uniform_real_distribution<double> at(-100, 1100);
      std::uniform_real_distribution<double> size(0, 1);
      std::vector<std::uint32_t> found;
      for (int q = 0; q < 200; ++q) {
        const double x = at(random), y = at(random);
        const double s = std::pow(size(random), 3) * 1200;
        const Extents area{{x, y}, {x + s, y + s * (q % 3 == 0 ? 0 : 1)}};  // some areas are lines
        index.Query(area, found);
        QCOMPARE(found, BruteForce(list, area));
      }
      index.Query(Extents{{-1e9, -1e9}, {1e9, 1e9}}, found);  // everything, in draw order
      QCOMPARE(found.size(), list.Shapes().size());
      QVERIFY(std::is_sorted(found.begin(), found.end()));
    }
  }

  // By size on the device: a line under a pixel is a dot, a long flat or one pixel tall one
  // drawn, any shape zoomed out below a pixel a dot; a text 0.8 px high a line, 1.5 px a box,
  // 2 px drawn, smaller than a pixel a dot; crowded texts are boxes sooner.
  void level_of_detail() {
    QVERIFY(ShapeDetail(BoxShape(ShapeKind::Text, 40, 10), 10, 0.4, kCrowdedTextPixels) == Detail::TextBox);
    const ShapeKind line = ShapeKind::Segment, text = ShapeKind::Text;
    const std::tuple<ShapeKind, double, double, double, double, Detail> cases[] = {  // w, h, cap height, px/unit
        {line, 0.9, 0.5, 0, 1, Detail::Dot},         {line, 30, 0, 0, 1, Detail::Full},
        {line, 0, 1, 0, 1, Detail::Full},            {line, 10, 10, 0, 0.05, Detail::Dot},
        {text, 40, 10, 10, 0.08, Detail::TextLine},  {text, 40, 10, 10, 0.15, Detail::TextBox},
        {text, 40, 10, 10, 0.2, Detail::Full},       {text, 4, 1, 1, 0.2, Detail::Dot}};
    for (const auto& [kind, width, height, capHeight, pixelsPerUnit, detail] : cases) {
      QCOMPARE(int(ShapeDetail(BoxShape(kind, width, height), capHeight, pixelsPerUnit)), int(detail));
    }
  }

  // Which point of the text (font units: x along the baseline, y down) lands on the
  // text's position, for each alignment; and how turning, stretching and slanting move it.
  void text_placement() {
    using H = TextHAlign;
    using V = TextVAlign;
    // The text; the point of the text in font units ("advance fraction, what height"); where
    // it lands in drawing units, relative to the position (a negative number: that many of
    // the text's advance).
    const std::tuple<TextShape, QString, QPointF> cases[] = {
        {Text(H::Left, V::Baseline), "0 base", {0, 0}},     // the start of the baseline
        {Text(H::Center, V::Baseline), "0.5 base", {0, 0}}, {Text(H::Right, V::Baseline), "1 base", {0, 0}},
        {Text(H::Left, V::Top), "0 cap", {0, 0}},           {Text(H::Center, V::Middle), "0.5 halfcap", {0, 0}},
        {Text(H::Right, V::Bottom), "1 descent", {0, 0}},
        {Text(H::Left, V::Baseline), "0 cap", {0, 10}},      // the cap height is the text height
        {Text(H::Left, V::Baseline, 90), "1 base", {0, -1}},  // turned 90: the baseline runs up
        {Text(H::Left, V::Baseline, 0, 1, 45), "0 cap", {10, 10}},  // oblique 45: the top leans by its height
        {Text(H::Left, V::Baseline, 0, 1, 0, 80), "1 base", {80, 0}},    // fit width 80
        {Text(H::Center, V::Baseline, 0, 1, 0, 80), "1 base", {40, 0}},  // fit and centred: 40 each side
        {Text(H::Left, V::Baseline, 0, 2), "1 base", {-2, 0}}};          // width factor 2
    for (const auto& [text, fontPoint, expected] : cases) {
      const TextFont font;
      const double advance = 250;
      const QStringList f = fontPoint.split(' ');
      const double y = f[1] == "base" ? 0 : f[1] == "cap" ? -font.CapHeight() : f[1] == "halfcap" ? -font.CapHeight() / 2
                                                                                                 : font.Descent();
      const QPointF at = TextToDrawing(text, advance, font).map(QPointF(f[0].toDouble() * advance, y));
      const double advanceUnits = advance * text.height / font.CapHeight();
      QPointF want = expected;
      if (want.x() < 0) want.setX(-want.x() * advanceUnits);
      if (want.y() < 0) want.setY(-want.y() * advanceUnits);
      QVERIFY2(Near(at - QPointF(text.position.x, text.position.y), want),
               qPrintable(QStringLiteral("%1: got %2,%3").arg(fontPoint).arg(at.x()).arg(at.y())));
    }
  }

  // A line drawn into a small image is exactly the part of the same line drawn into a big
  // one that the small image covers, wherever the small one sits: no rounding depends on
  // where a frame is cut or moved. Lines far longer than the image stay cheap and exact.
  void pixel_lines_are_cut_exactly() {
    // Shallow, steep and backwards, diagonal, horizontal, one pixel, a million pixels long.
    for (const QLineF& line : {QLineF(3.2, 7.9, 390.4, 151.3), QLineF(201.7, 398.2, 180.1, 0.6), QLineF(0.5, 0.5, 399.5, 399.5),
                               QLineF(-50, 100.5, 450, 100.5), QLineF(99.2, 99.9, 99.7, 99.1),
                               QLineF(-1e6, -999800.3, 1e6, 1000200.6)}) {
      QImage big(400, 400, QImage::Format_RGB32);
      big.fill(Qt::white);
      PixelTarget whole(big);
      whole.Line(line.p1(), line.p2());
      QImage blank(400, 400, QImage::Format_RGB32);
      blank.fill(Qt::white);
      QVERIFY(big != blank);
      for (const QPoint corner : {QPoint(0, 0), QPoint(37, 91), QPoint(150, 150), QPoint(333, 13)}) {
        QImage small(67, 53, QImage::Format_RGB32);
        small.fill(Qt::white);
        PixelTarget part(small);
        part.SetOrigin(-corner.x(), -corner.y());
        part.Line(line.p1(), line.p2());
        QCOMPARE(small, big.copy(QRect(corner, small.size())));
      }
    }
  }

  // Thousands of small texts in view are boxes, in the whole frame and in every part of
  // it painted apart with the whole frame's choice; a few of them are letters.
  void crowded_texts_are_boxes_in_every_part() {
    DisplayList list;
    for (int i = 0; i < 2500; ++i) {
      TextShape t = Text(TextHAlign::Left, TextVAlign::Baseline);
      t.position = {double(i % 50) * 8, double(i / 50) * 8};
      t.height = 3.5;
      list.AddText(0, ShapeColor{7, 0}, t, Extents{t.position, {t.position.x + 7, t.position.y + 3.5}});
    }
    const Scene scene(std::move(list));
    QCOMPARE(scene.TextBoxPixels(QRectF(0, 0, 400, 400)), kCrowdedTextPixels);
    QCOMPARE(scene.TextBoxPixels(QRectF(0, 0, 40, 40)), kTextBoxPixels);
    const QTransform t(1, 0, 0, -1, 0, 400);
    QImage whole(400, 400, QImage::Format_RGB32), parts(400, 400, QImage::Format_RGB32);
    scene.Render(whole, {}, t, whole.rect());
    scene.Render(parts, {}, t, QRect(0, 0, 400, 130), 1, kCrowdedTextPixels);
    scene.Render(parts, {}, t, QRect(0, 130, 400, 270), 2, kCrowdedTextPixels);
    QCOMPARE(parts, whole);
  }

  // A ray runs from its base to the edge of any view, an xline from edge to edge, however
  // far the view is zoomed in or out; strips painted apart match the whole frame.
  void rays_reach_the_edges_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("far out") << 1e-4;
    QTest::newRow("1:1") << 1.0;
    QTest::newRow("far in") << 1e5;
  }
  void rays_reach_the_edges() {
    QFETCH(double, scale);
    DisplayList list;
    list.AddRay(0, ShapeColor{1, 0}, {0, 0}, {1, 0.25}, false);  // red, to the right
    list.AddRay(0, ShapeColor{5, 0}, {0, 0}, {0.25, 1}, true);   // blue, up and down
    const Scene scene(std::move(list));
    const QTransform t(scale, 0, 0, -scale, 100.5, 100.5);
    QImage whole(201, 201, QImage::Format_RGB32), parts(201, 201, QImage::Format_RGB32);
    scene.Render(whole, {}, t, whole.rect(), 1);
    const auto has = [&](QRgb colour, QRect edge) {
      for (int y = edge.top(); y <= edge.bottom(); ++y)
        for (int x = edge.left(); x <= edge.right(); ++x)
          if (whole.pixel(x, y) == colour) return true;
      return false;
    };
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    QVERIFY(has(red, QRect(200, 0, 1, 201)) && !has(red, QRect(0, 0, 1, 201)));
    QVERIFY(has(blue, QRect(0, 0, 201, 1)) && has(blue, QRect(0, 200, 201, 1)));
    scene.Render(parts, {}, t, QRect(0, 0, 201, 70), 1);
    scene.Render(parts, {}, t, QRect(0, 70, 201, 131), 1);
    QCOMPARE(parts, whole);
  }

  // Bands painted by two threads give the pixels one thread paints; a layer switched off
  // leaves out its shapes with the same scene.
  void threads_and_layers() {
    for (const double scale : {0.4, 4.0}) {  // extents, zoomed in
      const Scene scene(RandomLines(30000, 3));
      const QTransform t(scale, 0, 0, -scale, -10, 420);
      QImage one(400, 400, QImage::Format_RGB32), two(400, 400, QImage::Format_RGB32);
      std::vector<Layer> layers{{"a", true}, {"b", true}, {"c", true}};
      scene.Render(one, layers, t, one.rect(), 1);
      scene.Render(two, layers, t, two.rect(), 2);
      QCOMPARE(one, two);
      layers[1].on = false;
      scene.Render(two, layers, t, two.rect(), 2);
      QVERIFY(one != two);
      layers[1].on = true;
      scene.Render(two, layers, t, two.rect(), 2);
      QCOMPARE(one, two);
    }
  }
};

QTEST_MAIN(RenderTest)
#include "render_test.moc"
