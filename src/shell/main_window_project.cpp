// The project side of the window: opening a project from the window, the recent lists,
// dropped folders and files, the stack folder followed while another program rewrites it,
// reloading by hand, the dark background and the notes the status bar gives.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <algorithm>

#include "column_stack/stack_files.h"
#include "view/drawing_view.h"
#include "shell/file_watch.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"

namespace tessaro::shell {
namespace {

const QString kOpenProjectTitle = QStringLiteral("Apri progetto");
const QString kNoStackFolder =
    QStringLiteral("La cartella\n%1\nnon contiene la cartella \"Pilastri\" delle pilastrate: nessuna pilastrata da "
                   "mostrare.");
const QString kLayoutKey = QStringLiteral("ZeraDav_pil");
const QString kLayoutSection = QStringLiteral("LayoutDXFPil");
constexpr int kNoteMs = 10000;  // how long a note stays in the status bar

// The local file or folder a drop carries, if it is a folder or a DXF file.
QString DroppedPath(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QString path = data->urls().constFirst().toLocalFile();
  const QFileInfo info(path);
  if (info.isDir()) return path;
  if (info.isFile() && info.suffix().compare(QStringLiteral("dxf"), Qt::CaseInsensitive) == 0) return path;
  return {};
}

}  // namespace

void MainWindow::CreateProjectParts() {
  watch_ = new FolderWatch(setup_.watchSettleMs, this);
  connect(watch_, &FolderWatch::Changed, this, &MainWindow::OnStackFilesChanged);
  setAcceptDrops(true);
  const bool dark = OpenSettings()->value(QStringLiteral("Settings/DarkBackground")).toBool();
  view_->SetDarkBackground(dark);
  Action(kCmdDarkBackground)->setChecked(dark);
  FillRecentMenus();  // usable even when start-up stops early
}

DialogPlaces MainWindow::Places() const {
  return {state_.projectFolder, setup_.programFolder, ReadLastDxfFolder()};
}

void MainWindow::FillRecentMenus() {
  auto fill = [this](QMenu* menu, const QString& key, auto open) {
    // An entry may be the one whose click is being handled: it goes once that is done.
    for (QAction* old : menu->actions()) {
      menu->removeAction(old);
      old->deleteLater();
    }
    const QStringList entries = RecentList(key).Entries();
    for (const QString& entry : entries) {
      QAction* action = menu->addAction(QDir::toNativeSeparators(entry));
      connect(action, &QAction::triggered, this, [this, entry, key, open] {
        if (!QFileInfo::exists(entry)) {
          RecentList(key).Remove(entry);
          statusBar()->showMessage(QStringLiteral("Non trovato: ") + QDir::toNativeSeparators(entry), kNoteMs);
          FillRecentMenus();
          return;
        }
        try {
          (this->*open)(entry);
        } catch (const std::exception&) {
          // said in the status bar by the open itself
        }
      });
    }
    menu->menuAction()->setEnabled(!entries.isEmpty());
  };
  fill(recentProjects_, kRecentProjectsKey, &MainWindow::OpenProject);
  fill(recentDxf_, kRecentDxfKey, &MainWindow::OpenDxfFile);
}

void MainWindow::OpenProjectCommand() {
  const QString start = state_.projectFolder.isEmpty() ? setup_.programFolder : state_.projectFolder;
  const QString folder = files_->GetFolder({kOpenProjectTitle, start, QString(), QString(), QString()});
  if (!folder.isEmpty()) OpenProject(folder);
}

void MainWindow::OpenProject(const QString& folder) {
  state_.projectFolder = QDir::cleanPath(folder);
  state_.columnStackFolder =
      QString::fromStdU16String(ColumnStackFolderOf(ToPath(state_.projectFolder)).u16string());
  state_.currentStackId.clear();
  state_.drawingName.clear();
  lastDxfPath_.clear();
  CancelDxfLoad();
  drawing_.Clear();
  lostWhenRead_.clear();
  lastLoadProblem_.reset();
  ShowLoadProblem();
  SetSchedule(std::nullopt);
  view_->SetHighlight(std::nullopt);
  setWindowTitle(QStringLiteral("Visualizzatore DXF Pilastri"));
  ReloadPropertyPane(kLayoutKey, kLayoutSection);  // no stack chosen: an empty grid
  SetLayerEntries({QStringLiteral("Layer Dxf")}, 1);
  view_->ZoomExtents();
  watch_->SetFolder(state_.columnStackFolder);
  try {
    FillColumnStackList();
  } catch (const std::exception&) {
    stackList_->clear();
    stackList_->addItem(QStringLiteral("Scegli pilastrata..."));
    messages_->Tell(kApplicationTitle, kNoStackFolder.arg(QDir::toNativeSeparators(state_.projectFolder)),
                    MessageIcon::Warning);
    return;
  }
  RecentList(kRecentProjectsKey).Add(state_.projectFolder);
  FillRecentMenus();
  statusBar()->showMessage(QStringLiteral("Progetto aperto: ") + QDir::toNativeSeparators(state_.projectFolder),
                           kNoteMs);
}

void MainWindow::RefreshStackList() {
  const QString chosen = stackList_->currentIndex() > 0 ? stackList_->currentText() : QString();
  FillColumnStackList();
  const int at = chosen.isEmpty() ? -1 : stackList_->findText(chosen);
  if (at > 0) stackList_->setCurrentIndex(at);
}

void MainWindow::OnStackFilesChanged(const QStringList& changed, const QStringList& added, const QStringList& removed) {
  auto isIndex = [](const QString& name) { return !name.contains(QLatin1Char('/')) && name.endsWith(QStringLiteral(".pst"), Qt::CaseInsensitive); };
  if (std::any_of(added.begin(), added.end(), isIndex) || std::any_of(removed.begin(), removed.end(), isIndex)) {
    try {
      RefreshStackList();
    } catch (const std::exception&) {
      // the folder went away: the list stays as it was
    }
  }
  if (state_.currentStackId.isEmpty() || stackList_->currentIndex() < 1) return;
  // The stack on screen: its index file, or any piece file (they sit in the folders below).
  const QString index = QFileInfo(QString::fromStdU16String(
                                      StackIndexPath(ToPath(state_.columnStackFolder), state_.currentStackId.toStdString())
                                          .u16string()))
                            .fileName();
  const bool mine = std::any_of(changed.begin(), changed.end(), [&](const QString& name) {
    return name.compare(index, Qt::CaseInsensitive) == 0 || name.contains(QLatin1Char('/'));
  });
  if (mine) ReloadCurrentStack(QStringLiteral("Pilastrata %1 ridisegnata: i suoi file sono cambiati").arg(state_.currentStackId));
}

void MainWindow::ReloadCurrentStack(const QString& note) {
  state_.viewEnabled = false;
  ReloadPropertyPane(kLayoutKey, kLayoutSection);
  state_.viewEnabled = true;
  // A note hides the status bar's panels while shown: short when a problem waits there.
  statusBar()->showMessage(note, lastLoadProblem_ ? kNoteMs / 3 : kNoteMs);
}

void MainWindow::ReloadCommand() {
  RefreshStackList();
  if (!state_.currentStackId.isEmpty() && stackList_->currentIndex() > 0) {
    ReloadCurrentStack(QStringLiteral("Pilastrata %1 ricaricata").arg(state_.currentStackId));
  } else if (!lastDxfPath_.isEmpty()) {
    OpenDxfFile(lastDxfPath_);
    FillLayerList(1);
  }
}

void MainWindow::ToggleDarkBackground() {
  const bool dark = !view_->DarkBackground();
  view_->SetDarkBackground(dark);
  Action(kCmdDarkBackground)->setChecked(dark);
  OpenSettings()->setValue(QStringLiteral("Settings/DarkBackground"), dark);
}

void MainWindow::NoteWritten(const QString& path) {
  statusBar()->showMessage(QStringLiteral("Scritto: ") + QDir::toNativeSeparators(path), kNoteMs);
}

void MainWindow::ShowProblemWhole() {
  if (!problemText_->text().isEmpty()) messages_->Tell(kApplicationTitle, problemText_->text(), MessageIcon::Warning);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DroppedPath(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  try {
    if (QFileInfo(path).isDir()) {
      OpenProject(path);
    } else {
      OpenDxfFile(path);
      FillLayerList(1);
    }
  } catch (const std::exception&) {
    // a file that cannot be read is said in the status bar
  }
  view_->Redraw();
}

}  // namespace tessaro::shell
