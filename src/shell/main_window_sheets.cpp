// The drawn stack beyond the screen: the "Distinta ferri" pane, the schedule, BVBS and PDF
// exports through the file dialogs, and printing with its preview.
#include <QDir>
#include <QDockWidget>
#include <QHeaderView>
#include <QPrinter>
#include <QTableWidget>

#include "project/project_data.h"
#include "sheets/schedule_table.h"
#include "shell/check_pane.h"
#include "shell/project_data_dialog.h"
#include "sheets/sheet.h"
#include "sheets/stack_sheet.h"
#include "schedule/bvbs.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"

namespace tessaro::shell {
namespace {

const QString kScheduleTitle = QStringLiteral("Esporta distinta ferri");
const QString kBvbsTitle = QStringLiteral("Esporta file BVBS");
const QString kPdfTitle = QStringLiteral("Esporta PDF");
const QString kCsvFilter = QStringLiteral("Distinta ferri CSV (*.csv *.CSV);;All (*.*)");
const QString kBvbsFilter = QStringLiteral("File BVBS (*.abs *.ABS);;All (*.*)");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf *.PDF);;All (*.*)");
const QString kWriteFailed = QStringLiteral("Impossibile scrivere il file\n%1\n\n%2");

QPageSize PageSizeOf(render::Paper paper) {
  switch (paper) {
    case render::Paper::A3: return QPageSize(QPageSize::A3);
    case render::Paper::A2: return QPageSize(QPageSize::A2);
    case render::Paper::A1: return QPageSize(QPageSize::A1);
    case render::Paper::A0: return QPageSize(QPageSize::A0);
  }
  return QPageSize(QPageSize::A3);
}

}  // namespace

void MainWindow::CreateSchedulePane() {
  schedulePane_ = new QDockWidget(QStringLiteral("Distinta ferri"), this);
  schedulePane_->setObjectName(QStringLiteral("SchedulePane"));
  scheduleTable_ = new QTableWidget(schedulePane_);
  scheduleTable_->setObjectName(QStringLiteral("ScheduleTable"));
  scheduleTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  scheduleTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
  scheduleTable_->verticalHeader()->setVisible(false);
  scheduleTable_->verticalHeader()->setDefaultSectionSize(scheduleTable_->fontMetrics().height() + 6);
  scheduleTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  scheduleTable_->setWordWrap(false);
  schedulePane_->setWidget(scheduleTable_);
  // Under the drawing, which is wider than tall, and as wide as the table's columns want;
  // the properties pane keeps the window's whole height.
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
  addDockWidget(Qt::BottomDockWidgetArea, schedulePane_);
  resizeDocks({schedulePane_}, {220}, Qt::Vertical);
  connect(schedulePane_, &QDockWidget::visibilityChanged, this,
          [this](bool) { Action(kCmdSchedulePane)->setChecked(!schedulePane_->isHidden()); });
  Action(kCmdSchedulePane)->setChecked(true);
  SetSchedule(std::nullopt);
}

void MainWindow::SetSchedule(std::optional<StackSchedule> schedule) {
  schedule_ = std::move(schedule);
  if (checkPane_ != nullptr) checkPane_->SetFindings(nullptr);  // until the checks of this drawing come
  const bool drawn = schedule_.has_value();
  for (int id : {kCmdExportSchedule, kCmdExportBvbs, kCmdExportPdf, kCmdPrint, kCmdPrintPreview}) {
    Action(id)->setEnabled(drawn);
  }
  scheduleTable_->clear();
  scheduleTable_->setRowCount(0);
  scheduleTable_->setEnabled(drawn);
  if (!drawn) {
    schedulePane_->setWindowTitle(QStringLiteral("Distinta ferri"));
    scheduleTable_->setColumnCount(0);
    return;
  }
  const render::SheetTable table = render::ScheduleTable(*schedule_, NumberFormat::UserLocale());
  schedulePane_->setWindowTitle(QStringLiteral("Distinta ferri - Pilastrata ") + FromUtf8(schedule_->stackId));
  scheduleTable_->setColumnCount(static_cast<int>(table.header.size()));
  scheduleTable_->setHorizontalHeaderLabels(table.header);
  scheduleTable_->setRowCount(static_cast<int>(table.rows.size()));
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const bool emphasis = r < table.emphasis.size() && table.emphasis[r];
    for (qsizetype c = 0; c < table.rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(table.rows[r][c]);
      const auto column = static_cast<std::size_t>(c);
      const bool right = column < table.rightAligned.size() && table.rightAligned[column];
      item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
      if (emphasis) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
      }
      scheduleTable_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
}

void MainWindow::ToggleSchedulePane() {
  const bool show = schedulePane_->isHidden();
  schedulePane_->setVisible(show);
  Action(kCmdSchedulePane)->setChecked(show);
}

QString MainWindow::AskExportPath(const QString& title, const QString& fileName, const QString& suffix,
                                  const QString& filter) {
  // Beside the project's drawings when that folder exists.
  const QString drawings = state_.projectFolder + QStringLiteral("/Disegni");
  const QString folder = QDir(drawings).exists() ? drawings : state_.projectFolder;
  return files_->GetSave({title, folder, fileName, suffix, filter});
}

void MainWindow::ReportWriteError(const QString& path, const std::exception& error) {
  messages_->Tell(kApplicationTitle, kWriteFailed.arg(QDir::toNativeSeparators(path), QString::fromUtf8(error.what())),
                  MessageIcon::Critical);
}

void MainWindow::ExportScheduleCommand() {
  if (!schedule_) return;
  const QString path = AskExportPath(kScheduleTitle, FromUtf8(ScheduleCsvName(schedule_->stackId)),
                                     QStringLiteral("csv"), kCsvFilter);
  if (path.isEmpty()) return;
  try {
    WriteScheduleCsv(ToPath(path), *schedule_, NumberFormat::WithSeparator(','));
    NoteWritten(path);
  } catch (const std::exception& error) {
    ReportWriteError(path, error);
  }
}

void MainWindow::ExportBvbsCommand() {
  if (!schedule_) return;
  const QString path =
      AskExportPath(kBvbsTitle, FromUtf8(BvbsFileName(schedule_->stackId)), QStringLiteral("abs"), kBvbsFilter);
  if (path.isEmpty()) return;
  BvbsOptions options;
  options.project = QDir(state_.projectFolder).dirName().toStdString();
  try {
    WriteBvbs(ToPath(path), *schedule_, options);
    NoteWritten(path);
  } catch (const std::exception& error) {
    ReportWriteError(path, error);
  }
}

namespace {

render::SheetPlan PlanOf(const Drawing& drawing, const StackSchedule& schedule, const QString& projectFolder,
                         bool colour) {
  return render::StackSheetPlan(drawing, schedule, QDir(projectFolder).dirName(), NumberFormat::UserLocale(),
                                QDate::currentDate(), ReadProjectData(ToPath(projectFolder)).data, {colour});
}

}  // namespace

void MainWindow::ProjectDataCommand() {
  const ProjectDataRead read = ReadProjectData(ToPath(state_.projectFolder));
  ProjectDataDialog dialog(read.data, DescribeProjectDataProblems(read), this);
  if (dialog.exec() != QDialog::Accepted) return;
  const QString path = QDir(state_.projectFolder).filePath(QString::fromUtf8(kProjectDataFileName.data()));
  try {
    WriteProjectData(ToPath(state_.projectFolder), dialog.Data());
  } catch (const std::exception& error) {
    ReportWriteError(path, error);
  }
}

void MainWindow::ExportPdfCommand() {
  if (!schedule_) return;
  const QString name = render::StackSheetName(schedule_->stackId);
  const QString path = AskExportPath(kPdfTitle, name + QStringLiteral(".pdf"), QStringLiteral("pdf"), kPdfFilter);
  if (path.isEmpty()) return;
  try {
    render::WriteSheetPdf(ToPath(path), PlanOf(drawing_, *schedule_, state_.projectFolder, batchOutputs_.colour), name);
    NoteWritten(path);
  } catch (const std::exception& error) {
    ReportWriteError(path, error);
  }
}

void MainWindow::PrintSheet(QPrinter& printer) {
  if (!schedule_) return;
  const render::SheetPlan plan = PlanOf(drawing_, *schedule_, state_.projectFolder, batchOutputs_.colour);
  QPainter painter;
  if (!painter.begin(&printer)) return;
  // Each sheet page on one printer page, scaled to the paper the user chose.
  for (int page = 0; page < plan.PageCount(); ++page) {
    if (page > 0) printer.newPage();
    plan.PaintPage(painter, page, QRectF(0, 0, printer.width(), printer.height()));
  }
  painter.end();
}

namespace {

// A printer set up for the sheet the drawing goes on.
void SetUpForSheet(QPrinter& printer, const render::SheetFormat& format, const QString& documentName) {
  printer.setDocName(documentName);
  printer.setPageSize(PageSizeOf(format.paper));
  printer.setPageOrientation(format.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

}  // namespace

void MainWindow::PrintCommand() {
  if (!schedule_) return;
  QPrinter printer(QPrinter::HighResolution);
  SetUpForSheet(printer, PlanOf(drawing_, *schedule_, state_.projectFolder, batchOutputs_.colour).Format(),
                render::StackSheetName(schedule_->stackId));
  if (!printing_->SetUpPrinter(printer)) return;
  PrintSheet(printer);
}

void MainWindow::PrintPreviewCommand() {
  if (!schedule_) return;
  QPrinter printer(QPrinter::HighResolution);
  SetUpForSheet(printer, PlanOf(drawing_, *schedule_, state_.projectFolder, batchOutputs_.colour).Format(),
                render::StackSheetName(schedule_->stackId));
  printing_->Preview(printer, [this](QPrinter& target) { PrintSheet(target); });
}

}  // namespace tessaro::shell
