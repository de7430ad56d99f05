// PDF sheets for the batch: the render library's sheet where Qt Gui is built, a clear
// refusal where it is not.
#include "batch/batch_pdf.h"

#include "base/errors.h"

#ifdef TESSARO_BATCH_PDF
#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <cstdio>

#include "render/headless.h"
#include "sheets/sheet.h"
#include "sheets/stack_sheet.h"
#endif

namespace tessaro {

std::string PdfFileName(std::string_view stackId) { return "Pilastrata_" + std::string(stackId) + ".pdf"; }

#ifdef TESSARO_BATCH_PDF

bool PdfAvailable() { return true; }

struct PdfSupport::Impl {
  int argc = 1;
  char name[16] = "tessaro-batch";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
};

PdfSupport::PdfSupport() : impl_(std::make_unique<Impl>()) {
  if (QCoreApplication::instance() != nullptr) return;
  // No window is ever shown: the headless platform needs no display. Qt's own notes about
  // the desktop session (no runtime folder, no fonts configuration) mean nothing to a batch
  // run and would bury its report: only Qt's errors reach stderr.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  render::UseSystemFontsWhenHeadless();
  render::KeepRegexJitOff();  // the sheets are painted on the writer threads
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  impl_->app = std::make_unique<QGuiApplication>(impl_->argc, impl_->argv);
}

PdfSupport::~PdfSupport() = default;

int WriteStackPdf(const std::filesystem::path& path, const Drawing& drawing, const StackSchedule& schedule,
                  const SheetData& sheet, const NumberFormat& numbers) {
  const QString projectName = QString::fromUtf8(sheet.project.data(), static_cast<qsizetype>(sheet.project.size()));
  const render::SheetPlan plan = render::StackSheetPlan(drawing, schedule, projectName, numbers, QDate::currentDate(),
                                                        sheet.data, {sheet.colour});
  render::WriteSheetPdf(path, plan, render::StackSheetName(schedule.stackId));
  return static_cast<int>(plan.DroppedTexts().size());
}

#else

bool PdfAvailable() { return false; }

struct PdfSupport::Impl {};
PdfSupport::PdfSupport() = default;
PdfSupport::~PdfSupport() = default;

int WriteStackPdf(const std::filesystem::path& path, const Drawing&, const StackSchedule&, const SheetData&,
                  const NumberFormat&) {
  Raise(ErrorKind::FileIo, path.string() + ": this tessaro-batch was built without Qt and writes no PDF");
}

#endif

}  // namespace tessaro
