// tessaro-batch --pdf in-process: a sheet beside every written drawing, none for a stack
// that is not written, and a sheet that cannot be written reported without losing the rest.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <sstream>

#include "batch/batch.h"
#include "batch/batch_pdf.h"

using namespace tessaro;
namespace fs = std::filesystem;

namespace {

QString PdfText(const fs::path& file) {
  QProcess p;
  p.start(QStringLiteral(TESSARO_PDFTOTEXT), {QString::fromStdString(file.string()), QStringLiteral("-")});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) ADD_FAILURE() << "pdftotext failed on " << file;
  return QString::fromUtf8(p.readAllStandardOutput());
}

class BatchPdfTest : public ::testing::Test {
protected:
  QTemporaryDir dir_;
  fs::path project_ = fs::path(dir_.path().toStdString()) / "Magazzino";
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
    const QString text = PdfText(pdf);
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
