// tessaro-dxf end to end: the built program on a small hand-written drawing (a red line
// across, a blue circle, a text, a polyline and an image it does not draw) for its report, its PNG and PDF pictures,
// and its exit status on wrong command lines and unreadable files.
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

#include "dxf_tool.h"

namespace {

// Group codes and values, one pair a line.
const char* const kDrawing =
    "0\nSECTION\n2\nENTITIES\n"
    "0\nLINE\n8\n0\n62\n1\n10\n0\n20\n0\n11\n200\n21\n100\n"
    "0\nCIRCLE\n8\nMuri\n62\n5\n10\n150\n20\n30\n40\n10\n"
    "0\nTEXT\n8\n0\n10\n10\n20\n80\n40\n8\n1\nPianta\n"
    "0\nLWPOLYLINE\n8\n0\n90\n2\n10\n0\n20\n0\n10\n5\n20\n5\n"
    "0\nIMAGE\n8\n0\n10\n0\n20\n0\n"
    "0\nENDSEC\n0\nEOF\n";

struct Result {
  int status;
  QString out;
  QString err;
};

Result RunTool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TESSARO_DXF_TOOL), args);
  p.waitForFinished(60000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class DxfToolTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString drawing_;

private slots:
  void initTestCase() {
    drawing_ = dir_.filePath("pianta.dxf");
    QFile f(drawing_);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kDrawing) > 0);
  }

  void info_counts_by_type() {
    std::ostringstream out, err;
    QCOMPARE(tessaro::dxftool::Run({"info", drawing_.toStdString()}, out, err), tessaro::dxftool::kExitOk);
    const QString text = QString::fromStdString(out.str());
    for (const char* line : {"entities read: 5", "entities drawn: 4", "  LINE 1", "  CIRCLE 1", "  TEXT 1",
                             "  LWPOLYLINE 1", "entities skipped: 1", "  IMAGE 1", "extents: 0,0 - 200,100"}) {
      QVERIFY2(text.contains(QLatin1String(line) + '\n'),
               qPrintable(QStringLiteral("no \"%1\" in\n%2").arg(line, text)));
    }
  }

  // The same for scripts, with the problems a damaged file had (here a cut-off copy).
  void info_json() {
    const QString cut = dir_.filePath("tronco.dxf");
    QFile f(cut);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(kDrawing).left(QByteArray(kDrawing).indexOf("0\nIMAGE")));
    f.close();
    const Result r = RunTool({"info", "--json", cut});
    QCOMPARE(r.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o["read"].toInt(), 4);
    QCOMPARE(o["drawnTypes"].toObject()["CIRCLE"].toInt(), 1);
    QCOMPARE(o["extents"].toArray(), QJsonArray({0, 0, 200, 100}));
    QCOMPARE(o["warnings"].toArray().size(), 1);
    QVERIFY2(o["warnings"].toArray()[0].toString().endsWith("tronco.dxf, line 56: the file ends before its EOF"),
             qPrintable(r.out));
  }

  // A window of the model fills the picture: only the circle (150,30 r10) is in this one.
  void render_window() {
    const QString png = dir_.filePath("finestra.png");
    QCOMPARE(RunTool({"render", drawing_, png, "--size", "100x100", "--window", "138,18,162,42"}).status, 0);
    const QImage image(png);
    int blue = 0, red = 0;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        blue += image.pixel(x, y) == qRgb(0, 0, 255);
        red += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 60;
      }
    }
    QVERIFY(blue > 150);  // a circle about 83 pixels across
    QCOMPARE(red, 0);
    QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 255));
  }

  // The drawing fills the picture with a margin, y up: the red line runs from the lower
  // left to the upper right, the blue circle sits right of the middle, the rest is white.
  void render_png_and_pdf() {
    const QString png = dir_.filePath("pianta.png");
    const Result r = RunTool({"render", drawing_, png, "--size", "400x200"});
    QCOMPARE(r.status, 0);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(400, 200));
    auto isRed = [&](int x, int y) {
      for (int dy = -1; dy <= 1; ++dy) {
        const QRgb c = image.pixel(x, y + dy);
        if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) return true;
      }
      return false;
    };
    QVERIFY(isRed(200, 100));  // the middle of the line
    QVERIFY(isRed(40, 180) || isRed(41, 180) || isRed(39, 180));
    QCOMPARE(image.pixel(380, 20), qRgb(255, 255, 255));
    int blue = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x)
        if (image.pixel(x, y) == qRgb(0, 0, 255)) ++blue;
    QVERIFY(blue > 20);
    const QString pdf = dir_.filePath("pianta.pdf");
    QCOMPARE(RunTool({"render", drawing_, pdf}).status, 0);
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-");
  }

  void failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("/nonexistent/none.dxf");
    QTest::newRow("no command") << QStringList{} << 2 << "no command given";
    QTest::newRow("unknown command") << QStringList{"show"} << 2 << "unknown command \"show\"";
    QTest::newRow("info without a file") << QStringList{"info"} << 2 << "info needs exactly one DXF file";
    QTest::newRow("render without output") << QStringList{"render", "a.dxf"} << 2 << "a DXF file and an output file";
    QTest::newRow("wrong output type") << QStringList{"render", "a.dxf", "a.jpg"} << 2 << "must end in .png or .pdf";
    QTest::newRow("bad size") << QStringList{"render", "a.dxf", "a.png", "--size", "0x10"} << 2 << "expected WxH";
    QTest::newRow("size too large") << QStringList{"render", "a.dxf", "a.png", "--size", "20000x20000"} << 2
                                    << "more than 50 million pixels";
    QTest::newRow("size without value") << QStringList{"render", "a.dxf", "a.png", "--size"} << 2 << "needs a value";
    QTest::newRow("bad window") << QStringList{"render", "a.dxf", "a.png", "--window", "1,2,3,2"} << 2
                                << "expected X0,Y0,X1,Y1";
    QTest::newRow("missing file") << QStringList{"info", missing} << 1 << QDir::toNativeSeparators(missing);
    QTest::newRow("unwritable output") << QStringList{"render", "@DRAWING", "/nonexistent/x.png"} << 1
                                       << "/nonexistent/x.png: cannot write";
  }
  void failures() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    args.replaceInStrings("@DRAWING", drawing_);
    const Result r = RunTool(args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
  }

  // A file that is not DXF says so and leaves an earlier picture as it was.
  void not_dxf_keeps_the_old_picture() {
    const QString bad = dir_.filePath("note.dxf");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("hello\n") > 0);
    f.close();
    const QString png = dir_.filePath("keep.png");
    QCOMPARE(RunTool({"render", drawing_, png, "--size", "50x50"}).status, 0);
    const Result r = RunTool({"render", bad, png});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QLatin1String("note.dxf")), qPrintable(r.err));
    QCOMPARE(QImage(png).size(), QSize(50, 50));
  }
};

QTEST_MAIN(DxfToolTest)
#include "dxf_tool_test.moc"
