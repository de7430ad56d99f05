// Paper sheets: which sheet and scale a drawing gets, where the table goes, and the PDF
// read back with poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <filesystem>
#include <limits>

#include "base/errors.h"
#include "sheets/sheet.h"

using namespace tessaro;
using namespace tessaro::render;

namespace {

struct ChoiceCase {
  double widthCm, heightCm;
  SheetFormat expected;
};

// Drawing areas (mm): A3 380 x 230 landscape, 257 x 353 portrait; A2 554 x 353 and
// 380 x 527; A0 1149 x 774 landscape. 1 cm is 0.5 mm at 1:20, 0.1 mm at 1:100.
const ChoiceCase kChoices[] = {
    {0, 0, {Paper::A3, true, 20}},           // empty drawing
    {760, 460, {Paper::A3, true, 20}},       // exactly the A3 area at 1:20
    {761, 100, {Paper::A3, true, 25}},       // a centimetre too wide: next scale, same sheet
    {300, 1200, {Paper::A3, false, 50}},     // tall: portrait before a bigger sheet
    {400, 3000, {Paper::A3, false, 100}},    // smaller scale on A3 rather than A2 at 1:50
    {400, 4000, {Paper::A2, false, 100}},    // too tall for A3 at 1:100
    {1000, 2000, {Paper::A3, true, 100}},    // 1:100 on A3 before 1:50 on A2
    {11490, 7740, {Paper::A0, true, 100}},   // the biggest standard sheet, just
    {12000, 500, {Paper::A0, true, 200}},    // beyond 1:100 on A0: the next scale of the series
    {40000, 500, {Paper::A0, true, 500}},    // 1:250 is 1600 mm, 1:500 is 800 mm
    {500, 30000, {Paper::A0, true, 500}},    // 1:250 is 1200 mm, taller than A0: 1:500
};

TEST(ChooseSheet, SmallestSheetThenLargestScale) {
  for (const ChoiceCase& c : kChoices) {
    const SheetFormat got = ChooseSheet(c.widthCm, c.heightCm);
    EXPECT_EQ(got, c.expected) << c.widthCm << " x " << c.heightCm << " cm gave " << FormatName(got).toStdString()
                               << " 1:" << got.scale;
  }
}

TEST(ChooseSheet, NonFiniteSizeStillGivesASheet) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ChooseSheet(nan, 10).paper, Paper::A0);
  EXPECT_EQ(ChooseSheet(10, inf).paper, Paper::A0);
}

// A column outline `w` x `h` cm with a label, as a drawing.
Drawing Outline(double w, double h) {
  Drawing d;
  d.SetCurrentLayer("Cls");
  d.AddLine({{0, 0}, {w, 0}}, 5);
  d.AddLine({{w, 0}, {w, h}}, 5);
  d.AddLine({{w, h}, {0, h}}, 5);
  d.AddLine({{0, h}, {0, 0}}, 5);
  d.AddCircle({{w / 2, h / 2}, 2}, 3);
  d.AddText({{5, h / 2}, 10, "ETICHETTA DISEGNO", ""}, 6);
  return d;
}

SheetTable Table(int rows) {
  SheetTable t;
  t.title = QStringLiteral("Distinta ferri");
  t.header = {QStringLiteral("Pos."), QStringLiteral("Forma"), QStringLiteral("L cm")};
  t.rightAligned = {true, false, true};
  for (int r = 1; r <= rows; ++r) {
    t.rows.push_back({QString::number(r), QStringLiteral("riga%1").arg(r), QString::number(100 + r)});
  }
  return t;
}

SheetTitle Title() { return {QStringLiteral("Magazzino"), QStringLiteral("P7"), QDate(2026, 12, 6)}; }

QString Run(const char* program, const QStringList& args) {
  if (*program == '\0') ADD_FAILURE() << "poppler-utils missing: run scripts/setup";
  QProcess p;
  p.start(QString::fromUtf8(program), args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) {
    ADD_FAILURE() << program << " failed: " << p.readAllStandardError().toStdString();
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfInfo(const QString& file) { return Run(TESSARO_PDFINFO, {file}); }
QString PageText(const QString& file, int page) {
  return Run(TESSARO_PDFTOTEXT, {"-f", QString::number(page), "-l", QString::number(page), file, "-"});
}

class SheetPdfTest : public ::testing::Test {
protected:
  QTemporaryDir dir_;
  QString Write(const SheetPlan& plan, const QString& name = QStringLiteral("sheet.pdf")) {
    const QString path = dir_.filePath(name);
    WriteSheetPdf(path.toStdString(), plan, QStringLiteral("Pilastrata_P7"));
    return path;
  }
};

TEST_F(SheetPdfTest, OnePageWithTitleBlockAndTableBesideTheDrawing) {
  const Drawing drawing = Outline(60, 1000);  // 200 mm tall at 1:50: A3 landscape, room beside
  const SheetPlan plan(drawing, Title(), Table(5));
  ASSERT_EQ(plan.Format(), (SheetFormat{Paper::A3, true, 50}));
  ASSERT_TRUE(plan.TableBesideDrawing());
  const QString file = Write(plan);
  const QString info = PdfInfo(file);
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << info.toStdString();
  // Whole points, as the PDF stores them; pdfinfo knows them as A3.
  EXPECT_TRUE(info.contains(QStringLiteral("1191 x 842 pts (A3)"))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("Tessaro 2.0.0"))) << info.toStdString();  // creator
  const QString text = PageText(file, 1);
  for (const char* expected : {"Progetto", "Magazzino", "Pilastrata", "P7", "Formato", "A3 orizzontale", "Scala",
                               "1:50", "06/12/2026", "Foglio", "1 di 1", "Programma", "Tessaro 2.0.0",
                               "Distinta ferri", "Forma", "riga5", "105", "ETICHETTA DISEGNO"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << "missing " << expected << " in\n" << text.toStdString();
  }
}

TEST_F(SheetPdfTest, TableThatDoesNotFitGoesOnPagesOfItsOwn) {
  const Drawing drawing = Outline(700, 400);  // fills A3 landscape at 1:20: no room beside
  const SheetPlan plan(drawing, Title(), Table(120));
  ASSERT_EQ(plan.Format(), (SheetFormat{Paper::A3, true, 20}));
  ASSERT_FALSE(plan.TableBesideDrawing());
  ASSERT_GE(plan.PageCount(), 3);  // 120 rows of 5 mm do not fit one 230 mm area
  const QString file = Write(plan);
  EXPECT_TRUE(PdfInfo(file).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(plan.PageCount()))));
  EXPECT_FALSE(PageText(file, 1).contains(QStringLiteral("riga1\n")));
  int rowsSeen = 0;
  for (int page = 2; page <= plan.PageCount(); ++page) {
    const QString text = PageText(file, page);
    EXPECT_TRUE(text.contains(QStringLiteral("Forma"))) << "header repeated on page " << page;
    EXPECT_TRUE(text.contains(QStringLiteral("%1 di %2").arg(page).arg(plan.PageCount())));
    for (int r = 1; r <= 120; ++r) rowsSeen += text.contains(QRegularExpression(QStringLiteral("\\briga%1\\b").arg(r)));
  }
  EXPECT_EQ(rowsSeen, 120);  // every row once, none lost at a page break
}

TEST_F(SheetPdfTest, DrawingStaysInsideItsAreaAtItsScale) {
  const Drawing drawing = Outline(300, 1200);
  const SheetPlan plan(drawing, Title(), SheetTable{});
  EXPECT_EQ(plan.PageCount(), 1);
  const QRectF r = plan.DrawingRectMm();
  EXPECT_NEAR(r.width(), 300 * 10.0 / plan.Format().scale, 1e-9);
  EXPECT_NEAR(r.height(), 1200 * 10.0 / plan.Format().scale, 1e-9);
  EXPECT_GE(r.left(), 20.0);
  EXPECT_LE(r.bottom(), plan.PaperMm().height() - 10.0 - 32.0);  // above the title block
}

TEST_F(SheetPdfTest, FailedWriteKeepsTheEarlierFile) {
  const Drawing drawing = Outline(100, 100);
  const SheetPlan plan(drawing, Title(), Table(2));
  EXPECT_THROW(WriteSheetPdf(dir_.filePath(QStringLiteral("missing/sheet.pdf")).toStdString(), plan, {}),
               RuntimeError);
  const QString path = dir_.filePath(QStringLiteral("old.pdf"));
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("earlier");
  old.close();
  Write(plan, QStringLiteral("old.pdf"));
  QFile replaced(path);
  ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
  EXPECT_TRUE(replaced.readAll().startsWith("%PDF-"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.pdf")});  // no leftovers
}

}  // namespace
