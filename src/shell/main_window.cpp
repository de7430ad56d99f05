// The main window: building it, start-up, close, the settings it keeps, the property pane
// reload and the DXF file commands.
#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>
#include <QGuiApplication>
#include <QScreen>
#include <new>

#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "os/atomic_file.h"
#include "view/drawing_view.h"
#include "shell/command_keys.h"
#include "shell/dxf_feedback.h"
#include "shell/file_watch.h"
#include "shell/message_box.h"
#include "view/pick_tools.h"
#include "shell/problem_words.h"
#include "shell/property_grid.h"
#include "shell/settings_store.h"

namespace tessaro::shell {
namespace {

const QString kStartCaption = QStringLiteral("Visualizzatore DXF Pilastri");
const QString kViewerCaption = QStringLiteral("Visualizzatore DXF");
const QString kVersionText = QStringLiteral("Vers. 2.0.0");
const QString kStartError = QStringLiteral("Errore caricamento visualizzatore pilastri!");
const QString kSaveQuestion = QStringLiteral("Vuoi salvare il disegno corrente?");
const QString kChooseStackEntry = QStringLiteral("Scegli pilastrata...");
const QString kNoLayersEntry = QStringLiteral("Layer Dxf");
const QString kSaveTitle = QStringLiteral("Salva File DXF");
const QString kWindowLayoutKey = QStringLiteral("ZeraDav_pil");
const QString kWindowLayoutSection = QStringLiteral("LayoutDXFPil");

QRect AvailableArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

}  // namespace

MainWindow::MainWindow(const ShellSetup& setup, QWidget* parent) : QMainWindow(parent), setup_(setup) {
  if (setup_.messages == nullptr) ownMessages_ = std::make_unique<QtMessageBoxes>(this);
  if (setup_.files == nullptr) ownFiles_ = std::make_unique<QtFileDialogs>(this);
  messages_ = setup_.messages != nullptr ? setup_.messages : ownMessages_.get();
  files_ = setup_.files != nullptr ? setup_.files : ownFiles_.get();
  if (setup_.printing == nullptr) ownPrinting_ = std::make_unique<QtPrintDialogs>(this);
  printing_ = setup_.printing != nullptr ? setup_.printing : ownPrinting_.get();

  setObjectName(QStringLiteral("frmMain"));
  view_ = new DrawingView(drawing_, this);
  setCentralWidget(view_);
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  CreatePropertiesPane();
  CreateSchedulePane();
  CreateCheckPane();
  CreatePickPane();
  CreateProjectParts();
  ConnectView();
  resize(1280, 800);  // the design placement, used until settings exist
}

MainWindow::~MainWindow() {
  // The base destructor still hides and deletes the children, which emit signals; none
  // of them may reach this window's handlers once its own members are gone.
  if (hookedWindow_) hookedWindow_->removeEventFilter(this);
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

QLabel* MainWindow::ProblemText() const { return problemText_; }

QAction* MainWindow::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::CreateActions() {
  for (const Command& command : CommandTable()) {
    if (command.kind != CommandKind::Button && command.kind != CommandKind::Checkable) continue;
    if (command.handler == nullptr) continue;
    auto* action = new QAction(QString::fromUtf8(command.caption), this);
    action->setObjectName(QString::fromLatin1(*command.name != '\0' ? command.name : "cmd") +
                          QString::number(command.id));
    action->setData(command.id);
    action->setCheckable(command.kind == CommandKind::Checkable);
    const int id = command.id;
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = action;
  }
  for (const auto& [id, keys] : CommandShortcuts()) Action(id)->setShortcuts(keys);
  // A tool tip rather than a status tip, which would hide the version text while shown.
  Action(kCmdHelp)->setToolTip(QStringLiteral("Info"));
}

void MainWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  file->addAction(Action(kCmdOpenProject));
  recentProjects_ = file->addMenu(QStringLiteral("Progetti recenti"));
  file->addAction(Action(kCmdOpenDxf));
  recentDxf_ = file->addMenu(QStringLiteral("File DXF recenti"));
  file->addAction(Action(kCmdSaveDxf));
  file->addAction(Action(kCmdReload));
  file->addSeparator();
  for (int id : {kCmdExportSchedule, kCmdExportBvbs, kCmdExportPdf, kCmdProjectData}) file->addAction(Action(id));
  QMenu* outputs = file->addMenu(QStringLiteral("Opzioni di generazione"));
  outputs->setObjectName(QStringLiteral("BatchOutputsMenu"));
  outputs->setToolTipsVisible(true);
  for (int id : {kCmdBatchSchedule, kCmdBatchBvbs, kCmdBatchPdf, kCmdBatchXlsx, kCmdBatchMarks, kCmdSheetColour}) {
    outputs->addAction(Action(id));
  }
  file->addSeparator();
  file->addAction(Action(kCmdSheetColour));  // the same choice for the export and the print
  file->addAction(Action(kCmdPrint));
  file->addAction(Action(kCmdPrintPreview));
  file->addSeparator();
  file->addAction(Action(kCmdExit));
  QMenu* view = menuBar()->addMenu(QStringLiteral("Visualizza"));
  for (int id : {kCmdZoomExtents, kCmdZoomWindow, kCmdPan, kCmdZoomIn, kCmdZoomOut, kCmdZoomPrevious}) {
    view->addAction(Action(id));
  }
  view->addSeparator();
  view->addAction(Action(kCmdMeasure));
  view->addAction(Action(kCmdDarkBackground));
  view->addSeparator();
  view->addAction(Action(kCmdProperties));
  view->addAction(Action(kCmdSchedulePane));
  menuBar()->addAction(Action(kCmdHelp));
  // An open menu takes the wheel away from the drawing until the pointer comes back.
  for (QMenu* menu : {file, view}) {
    connect(menu, &QMenu::aboutToShow, this, [this] { state_.viewEnabled = false; });
  }
}

void MainWindow::CreateToolBars() {
  auto makeCombo = [this](const char* name, int minimumWidth) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setMinimumWidth(minimumWidth);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return combo;
  };
  QToolBar* bar = addToolBar(QStringLiteral("Visualizza"));
  bar->setObjectName(QStringLiteral("IDR2_VISUALIZZA"));
  quoteBox_ = makeCombo("ID_QUOTE", 80);
  quoteBox_->setPlaceholderText(QStringLiteral("quote"));
  quoteBox_->setToolTip(QStringLiteral("quote"));
  stackList_ = makeCombo("ID_BOXTRAVATE", 170);
  stackList_->setToolTip(QStringLiteral("Pilastrata"));
  bar->addWidget(quoteBox_);
  bar->addWidget(stackList_);
  for (int id : {kCmdGenerateAll, kCmdZoomExtents, kCmdZoomWindow, kCmdPan, kCmdZoomIn, kCmdZoomOut,
                 kCmdZoomPrevious, kCmdHelp}) {
    bar->addAction(Action(id));
  }
  // Only a choice made in the list loads a stack; setting the entry from code does not.
  connect(stackList_, &QComboBox::activated, this, [this](int) { RunCommand(kCmdStackList); });

  addToolBarBreak();  // layers and options on a second row, so no bar is cut short
  QToolBar* layers = addToolBar(QStringLiteral("Layer"));
  layers->setObjectName(QStringLiteral("LayerBar"));
  layerList_ = makeCombo("LayerList", 190);
  layerList_->setToolTip(QStringLiteral("Layer del disegno"));
  layers->addWidget(layerList_);
  layers->addAction(Action(kCmdLayerSwitch));
  // The other lists are commands too: a choice in them goes through the one dispatch.
  connect(layerList_, &QComboBox::activated, this, [this](int) { RunCommand(kCmdLayerList); });
  connect(quoteBox_, &QComboBox::activated, this, [this](int) { RunCommand(kCmdQuote); });

  QToolBar* options = addToolBar(QStringLiteral("Opzioni"));
  options->setObjectName(QStringLiteral("OptionBar"));
  options->addAction(Action(kCmdSingleStirrups));
  options->addAction(Action(kCmdSplitStirrups));
  options->addSeparator();
  options->addAction(Action(kCmdTiesOnAxis));
  options->addAction(Action(kCmdTiesTangent));
  options->addSeparator();
  options->addAction(Action(kCmdStatusBar));
}

void MainWindow::CreateStatusBar() {
  statusText_ = new QLabel(this);
  statusText_->setObjectName(QStringLiteral("sbStatusBarPanel1"));
  statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
  statusBar()->addWidget(statusText_);
  // Long texts must not widen the window: the two labels take the room there is, cut short
  // with "...", and show the whole text in a box when clicked (what a file read worked
  // around, a stack's problem).
  auto* dxfStatus = new ElidedLabel(this);
  dxfStatus->setObjectName(QStringLiteral("sbStatusBarPanel2"));
  connect(dxfStatus, &ElidedLabel::Clicked, this,
          [this] { messages_->Tell(kApplicationTitle, dxfStatus_->text(), MessageIcon::Information); });
  dxfStatus_ = dxfStatus;
  statusBar()->addWidget(dxfStatus_, 1);
  problemText_ = new ElidedLabel(this);
  problemText_->setObjectName(QStringLiteral("sbStatusBarProblem"));
  problemText_->hide();  // until a stack is drawn only in part
  connect(problemText_, &ElidedLabel::Clicked, this, &MainWindow::ShowProblemWhole);
  statusBar()->addWidget(problemText_, 1);
  CreateLoadParts();
  Action(kCmdStatusBar)->setChecked(true);
}

void MainWindow::CreatePropertiesPane() {
  pane_ = new QDockWidget(QStringLiteral("Proprietà"), this);
  pane_->setObjectName(QStringLiteral("PropertiesPane"));
  grid_ = new PropertyGrid(pane_);
  pane_->setWidget(grid_);
  addDockWidget(Qt::LeftDockWidgetArea, pane_);
  resizeDocks({pane_}, {380}, Qt::Horizontal);
  connect(pane_, &QDockWidget::visibilityChanged, this,
          [this](bool) { Action(kCmdProperties)->setChecked(!pane_->isHidden()); });
  Action(kCmdProperties)->setChecked(true);
}

void MainWindow::ConnectView() {
  connect(view_, &DrawingView::ViewMouseDown, this, &MainWindow::OnViewMouseDown);
  connect(view_, &DrawingView::ViewMouseMove, this, &MainWindow::OnViewMouseMove);
  connect(view_, &DrawingView::ViewMouseUp, this, &MainWindow::OnViewMouseUp);
  connect(view_, &DrawingView::ExtentsRequested, this, [this] { view_->ZoomExtents(); });
  connect(view_, &DrawingView::ViewActivated, this, [this] { state_.viewEnabled = true; });
}

bool MainWindow::Start() {
  state_.options() = DrawOptions{};
  try {
    StartUpSteps();
    return true;
  } catch (const std::exception&) {
    messages_->Tell(kApplicationTitle, kStartError, MessageIcon::None);
    return false;
  }
}

void MainWindow::StartUpSteps() {
  state_.projectFolder = setup_.commandLine.isEmpty() ? setup_.programFolder : setup_.commandLine;
  state_.columnStackFolder = QString::fromStdU16String(ColumnStackFolderOf(ToPath(state_.projectFolder)).u16string());
  statusText_->setText(kVersionText);
  {
    auto settings = OpenSettings();
    const QRect placement = KeepOnScreen(ReadPlacement(*settings, QRect(x(), y(), width(), height())), AvailableArea());
    move(placement.topLeft());
    resize(placement.size());
  }
  RestoreLayout(kWindowLayoutKey, kWindowLayoutSection);
  {
    auto settings = OpenSettings();
    batchOutputs_ = ReadBatchOutputs(*settings);
  }
  ShowBatchOutputChecks();
  setWindowTitle(kStartCaption + state_.drawingName);
  ShowOptionChecks();
  stackList_->clear();
  stackList_->addItem(kChooseStackEntry);
  stackList_->setCurrentIndex(0);
  SetLayerEntries({kNoLayersEntry}, 1);
  InstallWheelHook();
  state_.viewEnabled = true;
  ReloadPropertyPane(kWindowLayoutKey, kWindowLayoutSection);  // no stack chosen: draws nothing
  view_->Redraw();
  if (!setup_.drawingOnly) {
    FillColumnStackList();
    watch_->SetFolder(state_.columnStackFolder);
  }
  if (!setup_.commandLine.isEmpty()) RecentList(kRecentProjectsKey).Add(state_.projectFolder);
  FillRecentMenus();
}

void MainWindow::InstallWheelHook() {
  winId();  // the native window must exist to watch its events
  if (QWindow* window = windowHandle(); window != nullptr && hookedWindow_ != window) {
    window->installEventFilter(this);
    hookedWindow_ = window;
  }
}

void MainWindow::ShowOptionChecks() {
  const DrawOptions& o = state_.options();
  Action(kCmdSplitStirrups)->setChecked(o.option1);
  Action(kCmdSingleStirrups)->setChecked(!o.option1);
  Action(kCmdTiesTangent)->setChecked(o.option2);
  Action(kCmdTiesOnAxis)->setChecked(!o.option2);
  for (int id : {kCmdSingleStirrups, kCmdSplitStirrups, kCmdTiesOnAxis, kCmdTiesTangent}) {
    Action(id)->setEnabled(true);
  }
}

void MainWindow::FillColumnStackList() {
  stackList_->clear();
  stackList_->addItem(kChooseStackEntry);
  stackList_->setCurrentIndex(0);
  for (const std::string& id : ListColumnStacks(ToPath(state_.columnStackFolder))) {
    stackList_->addItem(FromUtf8(id));
  }
  stackList_->setCurrentIndex(0);
}

void MainWindow::SetLayerEntries(const QStringList& entries, int selectEntry) {
  layerList_->clear();
  layerList_->addItems(entries);
  if (selectEntry >= 1 && selectEntry <= layerList_->count()) layerList_->setCurrentIndex(selectEntry - 1);
}

void MainWindow::FillLayerList(int selectEntry) {
  QStringList entries;
  for (const Layer& layer : drawing_.Layers()) {
    entries << FromUtf8(layer.name) + (layer.on ? QStringLiteral("  (ON)") : QStringLiteral(" (OFF)"));
  }
  SetLayerEntries(entries, selectEntry);
}

void MainWindow::SaveLayout(const QString& key, const QString& section) {
  auto settings = OpenSettings();
  WriteLayout(*settings, key, section, saveState());
}

void MainWindow::RestoreLayout(const QString& key, const QString& section) {
  auto settings = OpenSettings();
  const QByteArray layout = ReadLayout(*settings, key, section);
  if (!layout.isEmpty()) restoreState(layout);
}

void MainWindow::ReloadPropertyPane(const QString& key, const QString& section) {
  RenewPropertyGrid(key, section);
  bool drawn = false;
  LoadCurrentStack(drawn);
  lastLoadDrew_ = drawn;
  view_->Redraw();
}

void MainWindow::RenewPropertyGrid(const QString& key, const QString& section) {
  SaveLayout(key, section);
  // A new stack always comes with a new, empty grid.
  auto* fresh = new PropertyGrid(pane_);
  pane_->setWidget(fresh);
  delete grid_;
  grid_ = fresh;
  RestoreLayout(key, section);
  pane_->show();
}

void MainWindow::LoadCurrentStack(bool& drawn) {
  CancelDxfLoad();  // the stack's drawing replaces what a read under way would show
  lostWhenRead_.clear();
  dxfStatus_->clear();
  BarRecorder bars;
  Canvas canvas{drawing_, NumberFormat::UserLocale(), &bars};
  StackLoadResult result;
  const std::filesystem::path folder = ToPath(state_.columnStackFolder);
  const std::string id = state_.currentStackId.toStdString();
  lastLoadProblem_.reset();
  try {
    result = LoadStack(canvas, state_.session, folder, id);
  } catch (const std::bad_alloc&) {
    // The drawing keeps what was drawn; the stack is reported as not whole.
    lastLoadProblem_ = QStringLiteral("memoria esaurita durante il disegno");
    ShowLoadProblem();
    SetSchedule(std::nullopt);
    return;
  } catch (const std::exception&) {
    return;  // a load ends silently at its first error
  }
  std::optional<StackSchedule> schedule;
  if (result.drawingName && !LoadProblemOf(result, StackIndexPath(folder, id))) {
    schedule = BuildStackSchedule(id, bars);
  }
  ShowStackLoad(result, id, std::move(schedule));
  if (result.indexFound) ShowChecks(id, bars);
  drawn = result.drawingName.has_value();
}

// What a load gives the window: the problem, the schedule, the grid rows, the name, the
// caption and the layer list; the view shows the drawing whole once the load completed.
void MainWindow::ShowStackLoad(const StackLoadResult& result, const std::string& id,
                               std::optional<StackSchedule> schedule) {
  // A stack that was found and drawn (even in part) replaces the problem on show; the
  // schedule is shown for a whole drawing only, since an incomplete one would miss bars.
  lastLoadProblem_.reset();
  if (result.indexFound) {
    const auto problem = LoadProblemOf(result, StackIndexPath(ToPath(state_.columnStackFolder), id));
    if (problem) lastLoadProblem_ = ItalianProblem(problem->problem());
    ShowLoadProblem();
    SetSchedule(result.drawingName && !problem ? std::move(schedule) : std::nullopt);
  }
  grid_->AppendRows(result.rows);
  if (result.drawingName) state_.drawingName = FromUtf8(*result.drawingName);
  if (result.drawingName) {
    // The caption and the layer list follow the drawing once a piece is shown.
    setWindowTitle(state_.drawingName.isEmpty() ? kViewerCaption : kDrawingCaption + state_.drawingName);
    FillLayerList(1);
  }
  if (result.completed) {
    view_->Redraw();
    view_->ZoomExtents();
  }
}

void MainWindow::ShowLoadProblem() {
  problemText_->setText(lastLoadProblem_ ? QStringLiteral("Pilastrata %1 incompleta: %2")
                                               .arg(state_.currentStackId, *lastLoadProblem_)
                                         : QString());
  problemText_->setToolTip(problemText_->text());
  problemText_->setVisible(lastLoadProblem_.has_value());  // else the file line has the room
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Escape puts an armed zoom window, pan or measure back to rest, and stops a file being
  // read on its own thread.
  if (event->key() == Qt::Key_Escape) {
    CancelDxfLoad();
    view::CancelPicks(state_.pick, *view_);
    measure_ = {};
    view_->SetMeasureMarks(std::nullopt, std::nullopt);
    ShowPrompt();
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::SaveDxfAs() {
  // A stack drawn only in part is said first, as the batch's report says it.
  if (lastLoadProblem_ && !state_.drawingName.isEmpty() &&
      messages_->Ask(kSaveTitle, PartialSaveQuestion(state_.currentStackId, *lastLoadProblem_), false) != Answer::Yes) {
    return;
  }
  // A stack's drawing goes beside the project's drawings; a file opened goes where it came from.
  const QString folder = state_.drawingName.isEmpty() ? Places().OpenFolder() : Places().DrawingsFolder();
  const QString path = files_->GetSave({kSaveTitle, folder, state_.drawingName, kDxfSuffix, kDxfFilter});
  if (path.isEmpty()) return;
  const QString question = DxfSaveQuestion(DxfSaveLosses(lostWhenRead_, drawing_));
  if (!question.isEmpty() && messages_->Ask(kSaveTitle, question, false) != Answer::Yes) return;
  WriteDxfFile(drawing_, ToPath(path));
  WriteLastDxfFolder(QFileInfo(path).absolutePath());
  NoteWritten(path);
}

void MainWindow::SilentSaveDxf() {
  if (state_.drawingName.isEmpty()) return;
  const std::filesystem::path folder = DrawingsFolderOf(ToPath(state_.projectFolder));
  const std::filesystem::path path = folder / ToPath(state_.drawingName + QStringLiteral(".dxf"));
  WriteDxfFile(drawing_, path);
  NoteWritten(QString::fromStdU16String(path.u16string()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  const Answer answer = messages_->Ask(kApplicationTitle, kSaveQuestion, true);
  if (answer == Answer::Cancel) {
    event->ignore();
    return;
  }
  if (answer == Answer::Yes) {
    try {
      SaveDxfAs();
    } catch (const std::exception&) {
      // a failed save does not keep the program open
    }
  }
  WriteClosingSettings();
  event->accept();
}

void MainWindow::WriteClosingSettings() {
  SaveLayout(kWindowLayoutKey, kWindowLayoutSection);
  if (isMinimized()) return;  // a minimized window keeps the placement saved before
  auto settings = OpenSettings();
  WritePlacement(*settings, QRect(x(), y(), width(), height()));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  view_->ZoomExtents();
}

}  // namespace tessaro::shell
