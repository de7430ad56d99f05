// "Apri dxf": a file read at once, or a large one on a thread of its own with a progress
// bar in the status bar, which Escape stops; the window goes on meanwhile.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <exception>

#include "dxf/file.h"
#include "shell/dxf_feedback.h"
#include "shell/main_window.h"
#include "view/drawing_loader.h"
#include "view/drawing_view.h"

namespace tessaro::shell {
namespace {

// Files from this size on are read on a thread of their own: below it a read keeps the
// window waiting for a fraction of a second at most.
constexpr qint64 kBackgroundOpenBytes = 8 * 1024 * 1024;
const QString kOpenTitle = QStringLiteral("Apri File DXF");

}  // namespace

void MainWindow::CreateLoadParts() {
  loader_ = new view::DrawingLoader(this);
  connect(loader_, &view::DrawingLoader::Progress, this, [this](int percent) { loadBar_->setValue(percent); });
  connect(loader_, &view::DrawingLoader::Finished, this, &MainWindow::DxfLoadFinished);
  loadBar_ = new QProgressBar(this);
  loadBar_->setObjectName(QStringLiteral("pbApertura"));
  loadBar_->setRange(0, 100);
  loadBar_->setMaximumWidth(220);
  loadBar_->setToolTip(QStringLiteral("Esc per annullare"));
  loadBar_->hide();
  // No taller than the texts beside it: the status bar keeps its height.
  loadBar_->setMaximumHeight(dxfStatus_->sizeHint().height());
  statusBar()->addPermanentWidget(loadBar_);
  stopLoad_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  stopLoad_->setEnabled(false);
  connect(stopLoad_, &QShortcut::activated, this, &MainWindow::CancelDxfLoad);
}

bool MainWindow::DxfLoading() const { return loader_->Running(); }

void MainWindow::OpenDxf() {
  const QString path = files_->GetOpen({kOpenTitle, Places().OpenFolder(), QString(), kDxfSuffix, kDxfFilter});
  if (path.isEmpty()) return;
  OpenDxfFile(path);
}

void MainWindow::OpenDxfFile(const QString& path) {
  CancelDxfLoad();  // the file asked for last is the one shown
  const QFileInfo info(path);
  if (info.isFile() && info.size() >= kBackgroundOpenBytes) {
    loadingPath_ = path;
    dxfStatus_->setText(QStringLiteral("Apertura di %1...").arg(info.fileName()));
    loadBar_->setValue(0);
    loadBar_->show();
    stopLoad_->setEnabled(true);
    loader_->Start(ToPath(path), view_->DarkBackground(), view_->size(), view_->devicePixelRatioF());
    return;
  }
  DxfReadReport report;
  try {
    report = ReadDxfFile(drawing_, ToPath(path));
  } catch (const std::exception& error) {
    // Said in the status bar; the drawing, its name and the caption stay as they were.
    dxfStatus_->setText(DxfReadFailure(info.fileName(), error));
    throw;
  }
  ShowReadDxf(path, report);
}

// The drawing read is on show: what the read said, no schedule nor stack problem, the
// whole drawing in view, the caption and the recent files.
void MainWindow::ShowReadDxf(const QString& path, const DxfReadReport& report) {
  lostWhenRead_ = DxfReadLosses(report);
  view_->Redraw();  // the display list now: what drawing the file left out is said with the rest
  dxfStatus_->setText(DxfReadSummary(QFileInfo(path).fileName(), report, ExpansionProblems(view_->Scene().List())));
  SetSchedule(std::nullopt);  // the drawing is no stack's any more
  lastLoadProblem_.reset();   // nor is the stack's problem
  ShowLoadProblem();
  view_->ZoomExtents();
  state_.drawingName = QFileInfo(path).fileName();
  stackList_->setCurrentIndex(-1);
  setWindowTitle(kDrawingCaption + state_.drawingName);
  state_.drawingName.clear();
  lastDxfPath_ = path;
  WriteLastDxfFolder(QFileInfo(path).absolutePath());
  RecentList(kRecentDxfKey).Add(path);
  FillRecentMenus();
}

void MainWindow::DxfLoadFinished() {
  loadBar_->hide();
  stopLoad_->setEnabled(false);
  const QString path = loadingPath_;
  const QString name = QFileInfo(path).fileName();
  loadingPath_.clear();
  std::optional<view::LoadedDrawing> loaded = loader_->TakeDrawing();
  if (loaded) {
    drawing_.Swap(loaded->drawing);
    view_->ShowPrepared(std::move(loaded->prepared));
    ShowReadDxf(path, loaded->report);
    FillLayerList(1);
    view_->Redraw();
  } else if (const std::exception_ptr error = loader_->Error()) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      dxfStatus_->setText(DxfReadFailure(name, e));
    }
  } else {
    dxfStatus_->setText(QStringLiteral("Apertura di %1 annullata").arg(name));
  }
}

void MainWindow::CancelDxfLoad() {
  if (loader_ != nullptr) loader_->Cancel();
}

}  // namespace tessaro::shell
