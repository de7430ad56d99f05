// Paper sheets read back with poppler (pdfinfo, pdftotext -bbox): every sheet of the
// example projects and of a generated one on ISO pages, no text under 2.5 mm, no two
// texts over each other, the drawing's L beside a cut length more than 1 cm off it, every
// position mark circled beside its label, views at their scales; the title block's project
// data; black and white unless colour is asked for; and the sheets tessaro-batch --pdf writes.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include "batch/batch.h"
#include "batch/batch_pdf.h"
#include "column_stack/stack_files.h"
#include "column_stack/stack_load.h"
#include "render/scene.h"
#include "sheets/sheet.h"
#include "sheets/stack_sheet.h"
#include "support/coloured_pixels.h"
#include "support/piece_files.h"
#include "support/temp_folder.h"

using namespace tessaro;
using namespace tessaro::render;
namespace fs = std::filesystem;

namespace {

constexpr double kPt = 25.4 / 72;  // mm per PDF point

QString RunTool(const char* program, const QStringList& args) {
  if (*program == '\0') ADD_FAILURE() << "poppler-utils missing: run scripts/setup";
  QProcess p;
  p.start(QString::fromUtf8(program), args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) {
    ADD_FAILURE() << program << " failed: " << p.readAllStandardError().toStdString();
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

struct Word {
  int page;
  QRectF box;  // mm
  QString text;
};

std::vector<Word> Words(const QString& pdf) {
  const QString html = RunTool(TESSARO_PDFTOTEXT, {"-bbox", pdf, "-"});
  std::vector<Word> words;
  int page = -1;
  static const QRegularExpression pattern(
      QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
  for (auto it = pattern.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    if (m.captured(0).startsWith(QStringLiteral("<page"))) {
      ++page;
      continue;
    }
    const QRectF box(QPointF(m.captured(1).toDouble() * kPt, m.captured(2).toDouble() * kPt),
                     QPointF(m.captured(3).toDouble() * kPt, m.captured(4).toDouble() * kPt));
    words.push_back({page, box, m.captured(5)});
  }
  return words;
}

// The height pdftotext gives a word whose capitals are `capMm` tall: the font's line
// (ascent and descent) in the proportion of its capitals, as the sheet's font has them.
double LineHeightOfCaps(double capMm) {
  const TextFont font;
  const QFontMetricsF m(font.Font());
  return capMm * (m.ascent() + m.descent()) / m.capHeight();
}

// Every check of one stack's sheets; `what` names the stack in failures.
void CheckSheets(const SheetPlan& plan, const StackSchedule& schedule, const QString& pdf, const std::string& what) {
  // Pages: as many as the plan has, each an ISO size (whole points, as the PDF stores them).
  const QString info = RunTool(TESSARO_PDFINFO, {"-f", "1", "-l", QString::number(plan.PageCount()), pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(plan.PageCount())))) << what;
  static const QRegularExpression sizes(QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"));
  int pages = 0;
  for (auto it = sizes.globalMatch(info); it.hasNext(); ++pages) {
    const auto m = it.next();
    const double w = m.captured(1).toDouble() * kPt, h = m.captured(2).toDouble() * kPt;
    const double shortSide = std::min(w, h), longSide = std::max(w, h);
    bool iso = false;
    for (const auto& [s, l] : {std::pair{297.0, 420.0}, {420.0, 594.0}, {594.0, 841.0}, {841.0, 1189.0}}) {
      iso = iso || (std::fabs(shortSide - s) < 1 && std::fabs(longSide - l) < 1);
    }
    EXPECT_TRUE(iso) << what << ": page " << pages + 1 << " is " << w << " x " << h << " mm";
  }
  EXPECT_EQ(pages, plan.PageCount()) << what;

  const std::vector<Word> words = Words(pdf);
  ASSERT_FALSE(words.empty()) << what;
  const double least = LineHeightOfCaps(2.5) * 0.98;
  for (const Word& w : words) {
    EXPECT_GE(w.box.height(), least) << what << ": \"" << w.text.toStdString() << "\" on page " << w.page + 1 << " is "
                                     << w.box.height() << " mm high";
  }
  for (std::size_t a = 0; a < words.size(); ++a) {
    for (std::size_t b = a + 1; b < words.size(); ++b) {
      if (words[a].page != words[b].page) continue;
      const QRectF common = words[a].box.intersected(words[b].box);
      EXPECT_FALSE(common.width() > 0.05 && common.height() > 0.05)
          << what << ": \"" << words[a].text.toStdString() << "\" and \"" << words[b].text.toStdString()
          << "\" overlap on page " << words[a].page + 1;
    }
  }

  // A row whose drawing's L is more than 1 cm off its cut length shows both, the drawing's
  // right after the cut length on the same line of the table.
  for (const ScheduleRow& row : schedule.rows) {
    if (!row.LengthDiffers()) continue;
    const QString cut = QString::fromStdString(FormatSingle(row.cutLength, NumberFormat{','}));
    const QString drawn = QString::fromStdString(FormatSingle(row.drawingLength, NumberFormat{','}));
    const auto onLine = [](const Word& a, const Word& b) {
      return a.page == b.page && std::fabs(a.box.center().y() - b.box.center().y()) < 0.5;
    };
    const bool both = std::any_of(words.begin(), words.end(), [&](const Word& c) {
      return c.text == cut && std::any_of(words.begin(), words.end(), [&](const Word& d) {
               return d.text == drawn && onLine(c, d) && d.box.left() > c.box.right() &&
                      std::none_of(words.begin(), words.end(), [&](const Word& between) {
                        return onLine(c, between) && between.box.left() > c.box.right() &&
                               between.box.right() < d.box.left();
                      });
             });
    });
    EXPECT_TRUE(both) << what << ": position " << row.mark << " does not show L " << cut.toStdString() << " and "
                      << drawn.toStdString();
  }

  // Every mark of the schedule circled on a view, its number read back inside the circle.
  std::set<QString> circled;
  for (const SheetMarkPlace& m : plan.Marks()) {
    const bool read = std::any_of(words.begin(), words.end(), [&](const Word& w) {
      return w.page == m.page && w.text == m.mark && m.circle.contains(w.box.center());
    });
    EXPECT_TRUE(read) << what << ": mark " << m.mark.toStdString() << " not found in its circle";
    circled.insert(m.mark);
  }
  for (const ScheduleRow& row : schedule.rows) {
    EXPECT_TRUE(circled.count(QString::fromStdString(row.mark))) << what << ": position " << row.mark << " not on a view";
  }
  // Views: the two elevations and one section per piece, elevations at 1:50, sections at
  // 1:20 or 1:25, each inside the paper.
  std::set<int> pieces;
  for (const ScheduleRow& row : schedule.rows) pieces.insert(row.pieceIndex);
  QStringList captions;
  for (const SheetViewPlace& v : plan.Views()) captions << v.caption;
  EXPECT_EQ(captions.filter(QRegularExpression(QStringLiteral("^Sezione\\d+-\\d+$"))).size(),
            static_cast<qsizetype>(pieces.size()))
      << what << ": " << captions.join(", ").toStdString();
  EXPECT_EQ(captions.filter(QRegularExpression(QStringLiteral("^Prospetto [12]$"))).size(), 2) << what;
  for (const SheetViewPlace& v : plan.Views()) {
    const bool section = v.caption.startsWith(QStringLiteral("Sezione"));
    EXPECT_TRUE(section ? (v.scale == 20 || v.scale == 25) : v.scale == 50) << what << ": " << v.caption.toStdString()
                                                                             << " at 1:" << v.scale;
    EXPECT_TRUE(QRectF(QPointF(0, 0), plan.PaperMm()).contains(v.frame)) << what;
  }
  EXPECT_TRUE(plan.DroppedTexts().isEmpty()) << what << ": " << plan.DroppedTexts().join(" | ").toStdString();
}

// Stacks a plant meets: one storey, tall ones of 6 and 9 storeys, square and deep
// sections, a circular one, sections that shrink upward; bars of 20 and 16 mm.
void GenerateProject(const fs::path& project) {
  const fs::path stacks = project / "Pilastri";
  const std::array<int, 5> kStacks[] = {{1, 40, 40, 3, 2}, {6, 60, 45, 4, 3}, {9, 50, 50, 5, 4}, {3, 50, 0, 8, 0}, {2, 90, 30, 5, 2}};
  const auto n = [](int value) { return std::to_string(value); };
  int id = 0;
  for (auto [pieces, side1, side2, bars1, bars2] : kStacks) {
    std::vector<std::string> names;
    for (int p = 0; p < pieces; ++p) {
      const int code = pieces == 1 ? 0 : p == 0 ? 1 : p == pieces - 1 ? 3 : 2, inset = code == 0 || code == 3 ? 0 : 30;
      names.push_back("G" + n(id + 1) + "_" + n(p + 1));
      test::WritePiece(stacks, names.back(),
                       {{0, "1|" + n(p + 1) + "|" + n(code)}, {1, n(inset) + "|0|" + n(inset) + "|0"},
                        {3, n(side1) + "|" + n(side2) + "|4|" + n(p * 320) + "|" + n((p + 1) * 320)},
                        {6, n(bars1) + "Ø20|" + n(bars2) + "Ø16"}, {7, "30.5|1.2"}, {8, "60|10|20"}, {9, "3Ø8|2Ø8"},
                        {10, "0|0|0|80|0|0|0"}});
      if (p % 2 == 1 && side1 > 35) side1 -= 5;
    }
    test::WriteIndex(stacks, n(++id), names);
  }
}

class SheetPdfTest : public ::testing::Test {
protected:
  test::TempFolder temp_;
  fs::path Folder() const { return temp_.path(); }

  // Every stack of the project, drawn, scheduled, on its sheets and checked.
  void CheckProject(const fs::path& project) {
    StackSession session;
    const fs::path stacks = project / "Pilastri";
    int checked = 0;
    for (const std::string& id : ListColumnStacks(stacks)) {
      Drawing drawing;
      BarRecorder bars;
      Canvas canvas{drawing, NumberFormat{','}, &bars};
      if (!IsWhole(LoadStack(canvas, session, stacks, id))) continue;
      const StackSchedule schedule = BuildStackSchedule(id, bars);
      const SheetPlan plan = StackSheetPlan(drawing, schedule, QStringLiteral("P"), NumberFormat{','});
      const QString pdf = QString::fromStdString((Folder() / ("Pilastrata_" + id + ".pdf")).string());
      WriteSheetPdf(pdf.toStdString(), plan, pdf);
      CheckSheets(plan, schedule, pdf, project.filename().string() + " stack " + id);
      ++checked;
    }
    EXPECT_GE(checked, 3) << project;
  }
};

TEST_F(SheetPdfTest, ExampleProjectSheetsAreReadable) {
  if (*TESSARO_PDFTOTEXT == '\0') GTEST_SKIP() << "poppler's tools do not run here (a Windows build)";
  for (const char* example : {"Magazzino", "Polo_Logistico"}) CheckProject(fs::path(TESSARO_SOURCE_DIR) / "examples" / example);
}

TEST_F(SheetPdfTest, GeneratedProjectSheetsAreReadable) {
  if (*TESSARO_PDFTOTEXT == '\0') GTEST_SKIP() << "poppler's tools do not run here (a Windows build)";
  GenerateProject(Folder() / "Generato");
  CheckProject(Folder() / "Generato");
}

// A drawing of one stack with its title block's data, painted black and white and in colour.
TEST_F(SheetPdfTest, TitleBlockDataAndPlotStyles) {
  if (*TESSARO_PDFTOTEXT == '\0') GTEST_SKIP() << "poppler's tools do not run here (a Windows build)";
  const fs::path project = Folder() / "Titolo";
  GenerateProject(project);
  Drawing drawing;
  BarRecorder bars;
  Canvas canvas{drawing, NumberFormat{','}, &bars};
  StackSession session;
  ASSERT_TRUE(IsWhole(LoadStack(canvas, session, project / "Pilastri", "2")));
  const StackSchedule schedule = BuildStackSchedule("2", bars);
  const ProjectData data = ParseProjectData("Numero disegno = T-017\nRevisione = B\nCalcestruzzo = C35/45\n"
                                            "Acciaio = B450C\nCopriferro = 35 mm\nProgettista = Ing. Rossi\n"
                                            "Committente = Logistica Nord\n", "Dati_progetto.ini").data;
  const QDate date(2026, 12, 6);
  const SheetPlan plan = StackSheetPlan(drawing, schedule, QStringLiteral("Titolo"), NumberFormat{','}, date, data);
  ASSERT_GE(plan.PageCount(), 2);  // six storeys at 1:50 and six sections at 1:20
  const QString pdf = QString::fromStdString((Folder() / "t.pdf").string());
  WriteSheetPdf(pdf.toStdString(), plan, pdf);
  for (int page = 1; page <= plan.PageCount(); ++page) {
    const QString text = RunTool(TESSARO_PDFTOTEXT, {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    for (const QString& expected :
         {QStringLiteral("T-017"), QStringLiteral("C35/45"), QStringLiteral("B450C"), QStringLiteral("35 mm"),
          QStringLiteral("Ing. Rossi"), QStringLiteral("Logistica Nord"), QStringLiteral("06/12/2026"),
          QStringLiteral("Foglio"), QStringLiteral("%1 di %2").arg(page).arg(plan.PageCount())}) {
      EXPECT_TRUE(text.contains(expected)) << "page " << page << ": " << expected.toStdString();
    }
  }
  // Painted at 2 px/mm: no coloured pixel in black and white, the drawing's colours on request.
  const auto colouredPixels = [&](const SheetPlan& p) {
    QImage image((p.PaperMm() * 2).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    p.PaintPage(painter, 0, QRectF(image.rect()));
    painter.end();
    return test::ColouredPixels(image);
  };
  EXPECT_EQ(colouredPixels(plan), 0);
  EXPECT_GT(colouredPixels(StackSheetPlan(drawing, schedule, QStringLiteral("Titolo"), NumberFormat{','}, date, data,
                                          {.colour = true})),
            100);
}

// tessaro-batch --pdf in-process: a sheet beside every written drawing, none for a stack
// that is not written, and a sheet that cannot be written reported without losing the rest.
class BatchPdfTest : public ::testing::Test {
protected:
  test::TempFolder dir_;
  fs::path project_ = dir_ / "Magazzino";
  fs::path out_ = project_ / "Disegni";

  void SetUp() override {
    fs::copy(fs::path(TESSARO_SOURCE_DIR) / "examples" / "Magazzino", project_, fs::copy_options::recursive);
  }
  BatchSummary Run(std::vector<std::string> args) {
    args.insert(args.begin(), project_.string());
    std::ostringstream log;
    return RunBatch(ParseCommandLine(args), log);
  }
};

TEST_F(BatchPdfTest, SheetBesideEveryWrittenDrawing) {
  if (*TESSARO_PDFTOTEXT == '\0') GTEST_SKIP() << "poppler's tools do not run here (a Windows build)";
  ASSERT_TRUE(PdfAvailable());
  const BatchSummary summary = Run({"--pdf", "--stack", "3", "1", "9"});
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(summary.skipped, 1);  // stack 9 has no files
  for (const char* id : {"1", "3"}) {
    const fs::path pdf = out_ / PdfFileName(id);
    ASSERT_TRUE(fs::exists(pdf)) << pdf;
    const QString text = RunTool(TESSARO_PDFTOTEXT, {QString::fromStdString(pdf.string()), QStringLiteral("-")});
    const QString title = QStringLiteral("Distinta ferri - Pilastrata %1").arg(id);
    for (const QString& expected : {QStringLiteral("Magazzino"), title, QStringLiteral("Totale pilastrata"),
                                    QStringLiteral("Tessaro 2.0.0")}) {
      EXPECT_TRUE(text.contains(expected)) << id << ": " << expected.toStdString();
    }
  }
  EXPECT_FALSE(fs::exists(out_ / PdfFileName("2")));  // not asked for
  EXPECT_FALSE(fs::exists(out_ / PdfFileName("9")));  // not written
}

TEST_F(BatchPdfTest, SheetThatCannotBeWrittenIsReported) {
  fs::create_directories(out_ / PdfFileName("2"));  // a folder where the sheet should go
  const BatchSummary summary = Run({"--pdf"});
  EXPECT_EQ(summary.written, 3);  // the drawings still
  ASSERT_EQ(summary.problems.size(), 1u);
  EXPECT_NE(summary.problems[0].find("stack 2: sheet not written"), std::string::npos) << summary.problems[0];
  EXPECT_TRUE(fs::exists(out_ / PdfFileName("1")));
  EXPECT_TRUE(fs::exists(out_ / PdfFileName("3")));
}

}  // namespace
