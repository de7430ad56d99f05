// The command table of the main window and the handlers it dispatches to: every menu
// item, tool-bar button and combo box acts through RunCommand(id).
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <algorithm>
#include <array>
#include <sstream>

#include "batch/batch.h"
#include "batch/batch_pdf.h"
#include "column_stack/stack_files.h"
#include "view/drawing_view.h"
#include "shell/check_pane.h"
#include "shell/problem_words.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"

namespace tessaro::shell {
namespace {

using K = CommandKind;
using M = MainWindow;

const QString kBatchQuestion = QStringLiteral(
    "Attenzione : \r\nil salvataggio in automatico sovrascriverà  i disegni esistenti.\r\nprocedere comunque?");
const QString kBatchCancelledByUser = QStringLiteral("Azione annullata.");
const QString kBatchDone = QStringLiteral("Salvataggio correttamente effettuato.");
const QString kBatchTitle = QStringLiteral("Dxf pilastri");
const QString kBatchStoppedFormat = QStringLiteral("Generazione interrotta. Disegni salvati: %1.");
const QString kBatchFailedFormat = QStringLiteral("Generazione non riuscita:\n%1");
const QString kBatchIncompleteFormat = QStringLiteral(
    "Attenzione: disegni salvati %1 su %2.\nNon salvate (resta il disegno precedente):\n%3");
const QString kLayoutKey = QStringLiteral("ZeraDav_pil");
const QString kLayoutSection = QStringLiteral("LayoutDXFPil");
const QString kBatchLayoutKey = QStringLiteral("ZeraDav");
const QString kBatchLayoutSection = QStringLiteral("LayoutDXF");
constexpr int kLayerSuffixLength = 6;  // "  (ON)" and " (OFF)"

const QString kInfoTitle = QStringLiteral("Motore DXF - Tessaro");
const QString kInfoText = QStringLiteral(
    "La lettura, l'elaborazione e la scrittura dei file DXF di questo programma si basano sul motore DXF "
    "di Tessaro, scritto per questo programma: legge i disegni DXF dei programmi CAD "
    "e ne rende disponibili le informazioni geometriche per l'elaborazione e l'analisi, e scrive file DXF "
    "R2000 che ogni programma CAD apre; è pensato per applicazioni di ingegneria, topografia e automazione "
    "industriale.\n\n"
    "Maggiori informazioni sul motore DXF di Tessaro: il file README.md che accompagna il programma.");


}  // namespace

std::span<const Command> MainWindow::CommandTable() {
  // id, symbolic name, caption, kind, handler. Captions of commands without a name say what
  // the control does.
  static constexpr std::array kCommands = {
      Command{kCmdStatusBar, "", "Barra di stato", K::Checkable, &M::ToggleStatusBar},
      Command{kCmdViewToolBar, "IDR2_VISUALIZZA", "Visualizza", K::ToolBar, nullptr},
      Command{kCmdZoomExtents, "ID2_VISUALIZZA_ZOOMESTENDI", "Zoom Estendi", K::Button, &M::ZoomExtentsCommand},
      Command{kCmdZoomWindow, "ID2_VISUALIZZA_ZOOMFINESTRA", "Zoom Finestra", K::Button, &M::ZoomWindowCommand},
      Command{kCmdZoomIn, "ID2_VISUALIZZA_ZOOMPI", "Zoom più", K::Button, &M::ZoomInCommand},
      Command{kCmdZoomOut, "ID2_VISUALIZZA_ZOOMMENO", "Zoom meno", K::Button, &M::ZoomOutCommand},
      Command{kCmdZoomPrevious, "ID2_VISUALIZZA_ZOOMPRECEDENTE", "Zoom Precedente", K::Button, &M::ZoomPreviousCommand},
      Command{kCmdHelp, "ID2_HELP", "Help", K::Button, &M::ShowInfo},
      Command{kCmdExit, "ID2_EMPTY_ESCI", "Esci", K::Button, &M::Exit},
      Command{kCmdPanUnused, "ID_VISUALIZZA_PAN", "", K::Button, nullptr},
      Command{kCmdPan, "ID2_VISUALIZZA_PAN", "Pan", K::Button, &M::PanCommand},
      Command{kCmdStackList, "ID_BOXTRAVATE", "Pilastrata", K::ComboBox, &M::ChooseStackCommand},
      Command{kCmdStackBarResource, "IDR_TRAVATE", "", K::Resource, nullptr},
      Command{kCmdUntitledResource, "IDR_UNTITLED", "", K::Resource, nullptr},
      Command{kCmdStackXyUnused, "ID_TRAVATEXY", "", K::Button, nullptr},
      Command{kCmdGenerateAll, "ID_GENDXF", "Genera dxf", K::Button, &M::GenerateAll},
      Command{kCmdFileMenu, "ID_FILE", "File", K::Menu, nullptr},
      Command{kCmdOpenDxf, "ID_APRIDXF", "Apri dxf...", K::Button, &M::OpenDxfCommand},
      Command{kCmdFileMenuResource, "IDR_FILE", "", K::Resource, nullptr},
      Command{kCmdSaveDxf, "ID_SALVADXF", "Salva dxf...", K::Button, &M::SaveDxfCommand},
      Command{kCmdQuote, "ID_QUOTE", "quote", K::ComboBox, nullptr},
      Command{kCmdProperties, "ID_PROPRIET", "Proprietà", K::Checkable, &M::ToggleProperties},
      Command{kCmdLayerList, "", "Layer", K::ComboBox, nullptr},
      Command{kCmdLayerSwitch, "", "Accendi/spegni layer", K::Button, &M::SwitchLayer},
      Command{kCmdUnused1049, "", "", K::Button, nullptr},
      Command{kCmdSingleStirrups, "", "Staffe singole", K::Checkable, &M::FlipOption1},
      Command{kCmdSplitStirrups, "", "Staffe doppie (sdoppiate)", K::Checkable, &M::FlipOption1},
      Command{kCmdTiesOnAxis, "", "Spilli in asse", K::Checkable, &M::FlipOption2},
      Command{kCmdTiesTangent, "", "Spilli tangenti", K::Checkable, &M::FlipOption2},
      Command{kCmdExportSchedule, "", "Esporta distinta ferri...", K::Button, &M::ExportScheduleCommand},
      Command{kCmdExportBvbs, "", "Esporta BVBS...", K::Button, &M::ExportBvbsCommand},
      Command{kCmdExportPdf, "", "Esporta PDF...", K::Button, &M::ExportPdfCommand},
      Command{kCmdPrint, "", "Stampa...", K::Button, &M::PrintCommand},
      Command{kCmdPrintPreview, "", "Anteprima di stampa...", K::Button, &M::PrintPreviewCommand},
      Command{kCmdSchedulePane, "", "Distinta ferri", K::Checkable, &M::ToggleSchedulePane},
      Command{kCmdBatchSchedule, "", "Distinta ferri (CSV)", K::Checkable, &M::FlipBatchSchedule},
      Command{kCmdBatchBvbs, "", "File BVBS", K::Checkable, &M::FlipBatchBvbs},
      Command{kCmdBatchPdf, "", "Tavola PDF", K::Checkable, &M::FlipBatchPdf},
      Command{kCmdBatchXlsx, "", "Distinta di progetto (XLSX)", K::Checkable, &M::FlipBatchXlsx},
      Command{kCmdBatchMarks, "", "Posizioni nel DXF (layer Posizioni)", K::Checkable, &M::FlipBatchMarks},
      Command{kCmdSheetColour, "", "Tavole a colori", K::Checkable, &M::FlipSheetColour},
      Command{kCmdProjectData, "", "Dati progetto...", K::Button, &M::ProjectDataCommand},
      Command{kCmdOpenProject, "", "Apri progetto...", K::Button, &M::OpenProjectCommand},
      Command{kCmdReload, "", "Ricarica", K::Button, &M::ReloadCommand},
      Command{kCmdMeasure, "", "Misura", K::Checkable, &M::MeasureCommand},
      Command{kCmdDarkBackground, "", "Sfondo scuro", K::Checkable, &M::ToggleDarkBackground},
  };
  return kCommands;
}

void MainWindow::RunCommand(int id) {
  for (const Command& command : CommandTable()) {
    if (command.id != id || command.handler == nullptr) continue;
    try {
      (this->*command.handler)();
    } catch (const std::exception&) {
      // A failing command leaves the window as it is; the user sees the drawing unchanged.
    }
  }
  if (id == kCmdExit) return;
  view_->Redraw();
  ShowPrompt();  // a tool the command armed says what to click
}

void MainWindow::ToggleStatusBar() {
  const bool show = statusBar()->isHidden();
  statusBar()->setVisible(show);
  Action(kCmdStatusBar)->setChecked(show);
}

void MainWindow::ZoomExtentsCommand() { view_->ZoomExtents(); }
void MainWindow::ZoomWindowCommand() { view::StartZoomWindow(state_.pick, *view_); }
void MainWindow::PanCommand() { view::StartPan(state_.pick, *view_); }
void MainWindow::ZoomPreviousCommand() { view_->ZoomPrevious(); }

void MainWindow::ZoomInCommand() {
  view_->SetZoomInOutPercent(10);
  view_->ZoomIn();
}

void MainWindow::ZoomOutCommand() {
  view_->ZoomOut();  // with the step in force, then back to the menu's step
  view_->SetZoomInOutPercent(10);
}

void MainWindow::ShowInfo() { messages_->Tell(kInfoTitle, kInfoText, MessageIcon::Information); }

void MainWindow::Exit() { close(); }

void MainWindow::ChooseStackCommand() {
  state_.viewEnabled = false;
  state_.currentStackId = stackList_->currentText();
  ReloadPropertyPane(kLayoutKey, kLayoutSection);
}

bool MainWindow::ChooseStack(const QString& stackId) {
  for (int i = 1; i < stackList_->count(); ++i) {
    if (stackList_->itemText(i) != stackId) continue;
    stackList_->setCurrentIndex(i);
    RunCommand(kCmdStackList);
    return true;
  }
  return false;
}

// The option buttons carry no stack name, so the current stack is drawn again as it is.
void MainWindow::FlipOption1() {
  state_.options().option1 = !state_.options().option1;
  ShowOptionChecks();
  state_.viewEnabled = false;
  ReloadPropertyPane(kLayoutKey, kLayoutSection);
}

void MainWindow::FlipOption2() {
  state_.options().option2 = !state_.options().option2;
  ShowOptionChecks();
  state_.viewEnabled = false;
  ReloadPropertyPane(kLayoutKey, kLayoutSection);
}

// The position marks come and go with a new drawing of the stack.
void MainWindow::FlipPositionMarks() {
  state_.viewEnabled = false;
  ReloadPropertyPane(kLayoutKey, kLayoutSection);
}

void MainWindow::OpenDxfCommand() {
  OpenDxf();
  FillLayerList(1);
}

void MainWindow::SaveDxfCommand() { SaveDxfAs(); }

void MainWindow::ToggleProperties() {
  const bool show = pane_->isHidden();
  pane_->setVisible(show);
  Action(kCmdProperties)->setChecked(show);
}

void MainWindow::SwitchLayer() {
  const int entry = layerList_->currentIndex() + 1;
  if (entry < 1) return;
  const QString text = layerList_->currentText();
  if (text.size() >= kLayerSuffixLength) {
    // The suffix goes by length, so a layer whose own name ends like a suffix keeps it.
    const std::string name = text.left(text.size() - kLayerSuffixLength).toStdString();
    if (auto layer = drawing_.FindLayer(name)) drawing_.SetLayerOn(*layer, !drawing_.Layers()[*layer].on);
  }
  FillLayerList(entry);
  view_->Redraw();
}

void MainWindow::FlipBatchSchedule() {
  batchOutputs_.schedule = !batchOutputs_.schedule;
  KeepBatchOutputs();
}

void MainWindow::FlipBatchBvbs() {
  batchOutputs_.bvbs = !batchOutputs_.bvbs;
  KeepBatchOutputs();
}

void MainWindow::FlipBatchPdf() {
  batchOutputs_.pdf = !batchOutputs_.pdf;
  KeepBatchOutputs();
}

void MainWindow::FlipBatchXlsx() {
  batchOutputs_.xlsx = !batchOutputs_.xlsx;
  KeepBatchOutputs();
}

void MainWindow::FlipBatchMarks() {
  batchOutputs_.marks = !batchOutputs_.marks;
  KeepBatchOutputs();
}

void MainWindow::FlipSheetColour() {
  batchOutputs_.colour = !batchOutputs_.colour;
  KeepBatchOutputs();
}

void MainWindow::KeepBatchOutputs() {
  ShowBatchOutputChecks();
  auto settings = OpenSettings();
  WriteBatchOutputs(*settings, batchOutputs_);
}

void MainWindow::ShowBatchOutputChecks() {
  const std::pair<int, bool> checks[] = {
      {kCmdBatchSchedule, batchOutputs_.schedule}, {kCmdBatchBvbs, batchOutputs_.bvbs},
      {kCmdBatchPdf, batchOutputs_.pdf},           {kCmdBatchXlsx, batchOutputs_.xlsx},
      {kCmdBatchMarks, batchOutputs_.marks},       {kCmdSheetColour, batchOutputs_.colour},
  };
  for (const auto& [id, on] : checks) Action(id)->setChecked(on);
  Action(kCmdBatchSchedule)
      ->setToolTip(QStringLiteral("Genera dxf scrive anche Distinta_<id>.csv e Distinta_progetto.csv"));
  Action(kCmdBatchBvbs)->setToolTip(QStringLiteral("Genera dxf scrive anche Pilastrata_<id>.abs"));
  Action(kCmdBatchPdf)->setToolTip(QStringLiteral("Genera dxf scrive anche Pilastrata_<id>.pdf"));
  Action(kCmdBatchXlsx)->setToolTip(QStringLiteral("Genera dxf scrive anche Distinta_progetto.xlsx"));
  Action(kCmdBatchMarks)
      ->setToolTip(QStringLiteral("Genera dxf scrive i numeri di posizione della distinta nel DXF, layer Posizioni"));
  Action(kCmdSheetColour)
      ->setToolTip(QStringLiteral("Tavole PDF e stampa nei colori del disegno invece che in bianco e nero"));
  // Without the library the workbook cannot be written, nor the sheets without Qt Gui.
  Action(kCmdBatchXlsx)->setEnabled(XlsxAvailable());
  Action(kCmdBatchPdf)->setEnabled(PdfAvailable());
}

namespace {

// Why a stack of the batch or a file beside it was not written, as the window says it.
QString BatchProblemText(const BatchProblem& problem) {
  const QString name = QStringLiteral("Pilastrata_") + FromUtf8(problem.stackId) + QStringLiteral(": ");
  const QString reason = FromUtf8(ReadableText(problem.reason, 300));
  switch (problem.step) {
    case BatchProblem::Step::Draw:
      if (problem.outOfMemory) return name + QStringLiteral("memoria esaurita durante il disegno");
      if (!problem.indexFound) return name + QStringLiteral("file della pilastrata non trovato");
      if (problem.load) return name + ItalianProblem(*problem.load);
      return name + reason;
    case BatchProblem::Step::WriteDrawing:
      return name + QStringLiteral("salvataggio non riuscito (") + reason + QLatin1Char(')');
    case BatchProblem::Step::WriteSheet:
      return name + QStringLiteral("tavola PDF non salvata (") + reason + QLatin1Char(')');
    case BatchProblem::Step::WriteSchedule:
      return name + QStringLiteral("distinta ferri non salvata (") + reason + QLatin1Char(')');
    case BatchProblem::Step::WriteCheck:
      return name + QStringLiteral("verifica non salvata (") + reason + QLatin1Char(')');
    case BatchProblem::Step::WriteProjectSchedule:
      return QStringLiteral("Distinta_progetto.csv non salvata (") + reason + QLatin1Char(')');
  }
  return name + reason;
}

}  // namespace

// The batch of the command line, run on the window: each stack is chosen in the list and
// shown as it is drawn, and every whole drawing is written into the project's drawings
// folder (made when missing) with the files the generation options ask for and its check
// report; the "Verifica" pane then lists the findings of every stack of the run.
void MainWindow::GenerateAll() {
  if (messages_->Ask(kApplicationTitle, kBatchQuestion, false) != Answer::Yes) {
    messages_->Tell(kApplicationTitle, kBatchCancelledByUser, MessageIcon::None);
    return;
  }
  CancelDxfLoad();  // the batch shows its stacks' drawings
  BatchOptions options;
  options.project = ToPath(state_.projectFolder);
  for (int i = 1; i < stackList_->count(); ++i) options.stacks.push_back(stackList_->itemText(i).toStdString());
  options.draw = state_.options();
  options.schedule = batchOutputs_.schedule;
  options.bvbs = batchOutputs_.bvbs;
  options.pdf = batchOutputs_.pdf && PdfAvailable();
  options.pdfColour = batchOutputs_.colour;
  options.xlsx = batchOutputs_.xlsx && XlsxAvailable();
  options.marks = batchOutputs_.marks;
  BatchSummary summary;
  std::vector<Finding> findings;  // of every stack of the run, in stack order
  if (!options.stacks.empty()) {
    // Its own scope: the progress dialog is gone before the final message shows.
    QProgressDialog progress(QStringLiteral("Generazione dei disegni delle pilastrate..."),
                             QStringLiteral("Annulla"), 0, static_cast<int>(options.stacks.size()), this);
    progress.setWindowTitle(kBatchTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);  // shown at once, so the batch can be stopped from the first stack
    BatchHooks hooks;
    hooks.session = &state_.session;
    hooks.schedules = true;  // the schedule pane shows each whole stack
    hooks.beforeStack = [&](std::size_t number, std::size_t, const std::string& id) {
      progress.setValue(static_cast<int>(number) - 1);
      if (progress.wasCanceled()) return false;
      const int entry = stackList_->findText(FromUtf8(id), Qt::MatchExactly | Qt::MatchCaseSensitive);
      if (entry >= 1) stackList_->setCurrentIndex(entry);
      state_.viewEnabled = false;
      state_.currentStackId = FromUtf8(id);
      progress.setLabelText(QStringLiteral("Pilastrata %1").arg(state_.currentStackId));
      return true;
    };
    hooks.stackDrawn = [&](const BatchStack& stack) {
      RenewPropertyGrid(kBatchLayoutKey, kBatchLayoutSection);
      lostWhenRead_.clear();
      dxfStatus_->clear();
      Drawing shown = stack.drawing;  // the batch writes its own; swapped in, so the view sees a new one
      drawing_.Swap(shown);
      ShowStackLoad(stack.load, stack.id, stack.schedule);
      if (stack.findings != nullptr) findings.insert(findings.end(), stack.findings->begin(), stack.findings->end());
      lastLoadDrew_ = stack.load.drawingName.has_value();
      view_->Redraw();
    };
    std::ostringstream report;  // the command line's words; the window says its own below
    try {
      summary = RunBatch(options, report, hooks);
    } catch (const std::exception& error) {
      messages_->Tell(kBatchTitle, kBatchFailedFormat.arg(FromUtf8(ReadableText(error.what(), 300))),
                      MessageIcon::Critical);
      return;
    }
    checkPane_->SetFindings(&findings, QStringLiteral("Genera dxf"));
    if (!findings.empty()) checkPane_->raise();
  }
  QStringList problems;
  for (const BatchProblem& problem : summary.stackProblems) problems << BatchProblemText(problem);
  if (summary.stopped) {
    messages_->Tell(kBatchTitle, kBatchStoppedFormat.arg(summary.written), MessageIcon::Information);
  } else if (problems.isEmpty()) {
    messages_->Tell(kBatchTitle, kBatchDone, MessageIcon::Information);
  } else {
    const QString text = kBatchIncompleteFormat.arg(summary.written).arg(summary.stacks).arg(problems.join('\n'));
    messages_->Tell(kBatchTitle, text, MessageIcon::Warning);
  }
}

}  // namespace tessaro::shell
