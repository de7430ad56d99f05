// The main window of the desktop program: menus and tool bars whose commands all go
// through one dispatch on their numeric id, the drawing view, the "Proprietà" pane with
// the property grid, the status bar, start-up, close and the settings it keeps.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>
#include <optional>
#include <span>

#include "cad/drawing.h"
#include "schedule/schedule.h"
#include "shell/dialogs.h"
#include "view/measure_tool.h"
#include "shell/recent_files.h"
#include "shell/settings_store.h"
#include "shell/shell_state.h"

class QComboBox;
class QDockWidget;
class QLabel;
class QAction;
class QPrinter;
class QTableWidget;
class QMenu;
class QProgressBar;
class QShortcut;

namespace tessaro {
struct DxfReadReport;
}  // namespace tessaro

namespace tessaro::view {
class DrawingView;
class DrawingLoader;
}  // namespace tessaro::view

namespace tessaro::shell {

using view::DrawingView;
using view::MeasureState;

// Texts of the window that more than one of its files use.
inline const QString kDrawingCaption = QStringLiteral("Visualizzatore DXF -  ");  // two blanks after the dash
// "DXF File (*.DXF)|*.dxf|All (*.*)|*.*" in Qt's filter syntax.
inline const QString kDxfFilter = QStringLiteral("DXF File (*.DXF *.dxf);;All (*.*)");
inline const QString kDxfSuffix = QStringLiteral("dxf");

class CheckPane;
class ElidedLabel;
class FolderWatch;
class PropertyGrid;
class MainWindow;

// Command ids of the menus, tool bars and their controls.
enum CommandId : int {
  kCmdStatusBar = 2,
  kCmdViewToolBar = 1020,
  kCmdZoomExtents = 1021,
  kCmdZoomWindow = 1024,
  kCmdZoomIn = 1025,
  kCmdZoomOut = 1026,
  kCmdZoomPrevious = 1027,
  kCmdHelp = 1029,
  kCmdExit = 1031,
  kCmdPanUnused = 1032,
  kCmdPan = 1033,
  kCmdStackList = 1034,
  kCmdStackBarResource = 1035,
  kCmdUntitledResource = 1036,
  kCmdStackXyUnused = 1037,
  kCmdGenerateAll = 1038,
  kCmdFileMenu = 1039,
  kCmdOpenDxf = 1040,
  kCmdFileMenuResource = 1041,
  kCmdSaveDxf = 1042,
  kCmdQuote = 1043,
  kCmdProperties = 1044,
  kCmdLayerList = 1047,
  kCmdLayerSwitch = 1048,
  kCmdUnused1049 = 1049,
  kCmdSingleStirrups = 1055,
  kCmdSplitStirrups = 1057,
  kCmdTiesOnAxis = 1058,
  kCmdTiesTangent = 1059,
  // The drawn stack on paper and for the plant.
  kCmdExportSchedule = 1070,
  kCmdExportBvbs = 1071,
  kCmdExportPdf = 1072,
  kCmdPrint = 1073,
  kCmdPrintPreview = 1074,
  kCmdSchedulePane = 1075,
  // What "Genera dxf" writes beside each drawing.
  kCmdBatchSchedule = 1076,
  kCmdBatchBvbs = 1077,
  kCmdBatchPdf = 1078,
  kCmdProjectData = 1079,
  // Projects and files that change, and the viewer's own tools.
  kCmdOpenProject = 1080,
  kCmdReload = 1081,
  kCmdMeasure = 1082,
  kCmdDarkBackground = 1083,
  // More of what "Genera dxf" writes, and the sheets' colours (export and print too).
  kCmdBatchXlsx = 1084,
  kCmdBatchMarks = 1085,
  kCmdSheetColour = 1086,
};

enum class CommandKind { Button, Checkable, ComboBox, Menu, ToolBar, Resource };

struct Command {
  int id;
  const char* name;     // symbolic name of the id, "" when it has none
  const char* caption;  // UTF-8; "" when the control shows none
  CommandKind kind;
  void (MainWindow::*handler)();  // nullptr: the command does nothing
};

// What the window is started with. Null dialog interfaces mean the real Qt dialogs.
struct ShellSetup {
  QString commandLine;    // all arguments joined by a blank; empty: the program's folder
  QString programFolder;  // where the program lives; initial folder of the file dialogs
  MessageBoxes* messages = nullptr;
  FileDialogs* files = nullptr;
  PrintDialogs* printing = nullptr;
  int watchSettleMs = 400;  // how long the stack files must rest before they are read again
  bool drawingOnly = false;  // started to show a DXF file: no project, so no stacks are listed
};

class MainWindow final : public QMainWindow {
  Q_OBJECT

public:
  explicit MainWindow(const ShellSetup& setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up steps after the widgets exist; false when one failed (the message
  // "Errore caricamento visualizzatore pilastri!" has then been shown).
  bool Start();

  // Runs the command with this id as if its control had been used.
  void RunCommand(int id);
  static std::span<const Command> CommandTable();

  // The mouse-wheel entry: finds the control under the pointer (screen coordinates) and
  // zooms the drawing when it is the view area.
  void MouseWheel(int mouseKeys, int rotation, int globalX, int globalY);
  void DXFReaderZoom(int mouseKeys, int rotation, int globalX, int globalY);

  // Re-creates the property grid and loads and draws the current stack.
  void ReloadPropertyPane(const QString& key, const QString& section);

  void OpenDxf();
  void SaveDxfAs();
  void SilentSaveDxf();

  // Access for tests and the screenshot option.
  ShellState& State() { return state_; }
  Drawing& CurrentDrawing() { return drawing_; }
  DrawingView* View() const { return view_; }
  PropertyGrid* Grid() const { return grid_; }
  QComboBox* StackList() const { return stackList_; }
  QComboBox* LayerList() const { return layerList_; }
  QComboBox* QuoteBox() const { return quoteBox_; }
  QAction* Action(int id) const;
  QDockWidget* PropertiesPane() const { return pane_; }
  QLabel* StatusText() const { return statusText_; }
  // The status-bar panel that shows why the stack on screen is not whole ("" when it is).
  QLabel* ProblemText() const;
  // What the last "Apri dxf" read, or why it could not; empty once a stack is drawn.
  QLabel* DxfStatusText() const { return dxfStatus_; }
  QDockWidget* SchedulePane() const { return schedulePane_; }
  QTableWidget* ScheduleTable() const { return scheduleTable_; }
  CheckPane* Checks() const { return checkPane_; }
  // The bar schedule of the drawn stack; nothing when no stack is drawn.
  const std::optional<StackSchedule>& Schedule() const { return schedule_; }
  // Chooses the stack-list entry with this text, as a user would; false when absent.
  bool ChooseStack(const QString& stackId);

  // A project chosen in the window: its stacks listed and watched, nothing drawn yet.
  void OpenProject(const QString& folder);
  // Reads a DXF file into the view, as "Apri dxf..." does once a file is chosen. A large
  // file is read on a thread of its own while the window goes on: a bar in the status bar
  // shows how far it got and Escape stops it; the view shows it when it is whole.
  void OpenDxfFile(const QString& path);
  // Whether a DXF file is being read on its own thread.
  bool DxfLoading() const;
  QMenu* RecentProjectsMenu() const { return recentProjects_; }
  QMenu* RecentDxfMenu() const { return recentDxf_; }
  FolderWatch* Watch() const { return watch_; }
  // What the last click picked, or the last measurement.
  QLabel* PickInfo() const { return pickInfo_; }
  QDockWidget* PickPane() const { return pickPane_; }
  const MeasureState& Measure() const { return measure_; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // Building the window.
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreateStatusBar();
  void CreatePropertiesPane();
  void ConnectView();
  void StartUpSteps();
  void InstallWheelHook();

  // Command handlers (one per row of the command table).
  void ToggleStatusBar();
  void ZoomExtentsCommand();
  void ZoomWindowCommand();
  void ZoomInCommand();
  void ZoomOutCommand();
  void ZoomPreviousCommand();
  void ShowInfo();
  void Exit();
  void PanCommand();
  void ChooseStackCommand();
  void GenerateAll();
  void OpenDxfCommand();
  void SaveDxfCommand();
  void ToggleProperties();
  void SwitchLayer();
  void FlipOption1();
  void FlipOption2();
  void ExportScheduleCommand();
  void ExportBvbsCommand();
  void ExportPdfCommand();
  void PrintCommand();
  void PrintPreviewCommand();
  void ToggleSchedulePane();
  void OpenProjectCommand();
  void ReloadCommand();
  void MeasureCommand();
  void ToggleDarkBackground();

  // Reading DXF files, a large one on its own thread (main_window_open.cpp).
  void CreateLoadParts();
  void ShowReadDxf(const QString& path, const DxfReadReport& report);
  void DxfLoadFinished();
  void CancelDxfLoad();

  // Projects, recent lists, files that change and notes (main_window_project.cpp).
  void CreateProjectParts();
  void FillRecentMenus();
  void RefreshStackList();
  void OnStackFilesChanged(const QStringList& changed, const QStringList& added, const QStringList& removed);
  void ReloadCurrentStack(const QString& note);
  void NoteWritten(const QString& path);
  void ShowProblemWhole();
  DialogPlaces Places() const;
  // The pick and measure tools (main_window_measure.cpp).
  void CreatePickPane();
  void ShowPrompt();
  double PickTolerance() const;
  void PickAt(float x, float y);
  void MeasureAt(float x, float y, bool click);
  void FlipBatchSchedule();
  void FlipBatchBvbs();
  void FlipBatchPdf();
  void FlipBatchXlsx();
  void FlipBatchMarks();
  void FlipSheetColour();

  // Shared steps.
  void LoadCurrentStack(bool& drawn);
  void ShowStackLoad(const StackLoadResult& result, const std::string& id, std::optional<StackSchedule> schedule);
  void RenewPropertyGrid(const QString& key, const QString& section);
  void ShowBatchOutputChecks();
  void KeepBatchOutputs();
  void ShowLoadProblem();
  void ShowOptionChecks();
  void FillColumnStackList();
  void FillLayerList(int selectEntry);
  void SetLayerEntries(const QStringList& entries, int selectEntry);
  bool SaveDrawingTo(const QString& path);
  void SaveLayout(const QString& key, const QString& section);
  void RestoreLayout(const QString& key, const QString& section);
  void WriteClosingSettings();
  void OnViewMouseDown(int button, int shift, float x, float y);
  void OnViewMouseMove(int button, int shift, float x, float y);
  void OnViewMouseUp(int button, int shift, float x, float y);

  // The schedule pane and the sheet commands (main_window_sheets.cpp).
  void CreateSchedulePane();
  void CreateCheckPane();  // "Verifica", tabbed with "Distinta ferri"
  // The checks of the stack just drawn, and its position marks when asked for.
  void ShowChecks(const std::string& id, const BarRecorder& bars);
  void FlipPositionMarks();
  void SetSchedule(std::optional<StackSchedule> schedule);
  QString AskExportPath(const QString& title, const QString& fileName, const QString& suffix, const QString& filter);
  void ReportWriteError(const QString& path, const std::exception& error);
  void PrintSheet(QPrinter& printer);
  void ProjectDataCommand();

  ShellSetup setup_;
  std::unique_ptr<MessageBoxes> ownMessages_;
  std::unique_ptr<FileDialogs> ownFiles_;
  MessageBoxes* messages_;
  FileDialogs* files_;
  std::unique_ptr<PrintDialogs> ownPrinting_;
  PrintDialogs* printing_;

  ShellState state_;
  Drawing drawing_;
  DrawingView* view_ = nullptr;
  QDockWidget* pane_ = nullptr;
  PropertyGrid* grid_ = nullptr;
  QComboBox* quoteBox_ = nullptr;
  QComboBox* stackList_ = nullptr;
  QComboBox* layerList_ = nullptr;
  QLabel* statusText_ = nullptr;
  ElidedLabel* problemText_ = nullptr;
  QLabel* dxfStatus_ = nullptr;
  view::DrawingLoader* loader_ = nullptr;
  QProgressBar* loadBar_ = nullptr;
  QShortcut* stopLoad_ = nullptr;  // Escape, while a file is read on its own thread
  QString loadingPath_;
  std::map<std::string, std::size_t> lostWhenRead_;  // what the read left out of the drawing shown
  QDockWidget* schedulePane_ = nullptr;
  QTableWidget* scheduleTable_ = nullptr;
  std::optional<StackSchedule> schedule_;
  CheckPane* checkPane_ = nullptr;
  std::map<int, QAction*> actions_;
  QPointer<QWindow> hookedWindow_;
  BatchOutputs batchOutputs_;
  bool lastLoadDrew_ = false;  // the last ReloadPropertyPane drew at least one piece
  // Why the last load's drawing is not whole, in Italian; nullopt when it is whole or
  // when no stack index was found (nothing was drawn).
  std::optional<QString> lastLoadProblem_;

  FolderWatch* watch_ = nullptr;
  QMenu* recentProjects_ = nullptr;
  QMenu* recentDxf_ = nullptr;
  QString lastDxfPath_;  // the DXF file on screen, read again by "Ricarica"
  QDockWidget* pickPane_ = nullptr;
  QLabel* pickInfo_ = nullptr;
  MeasureState measure_;
  bool promptShown_ = false;
};

}  // namespace tessaro::shell
