// The column-stack folder's watch.
#include "shell/file_watch.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace tessaro::shell {

FolderWatch::FolderWatch(int settleMs, QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(settleMs);
  connect(&settle_, &QTimer::timeout, this, &FolderWatch::Settle);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::Touched);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &FolderWatch::Touched);
}

void FolderWatch::SetFolder(const QString& folder) {
  settle_.stop();
  if (const QStringList watched = watcher_.files() + watcher_.directories(); !watched.isEmpty()) {
    watcher_.removePaths(watched);
  }
  folder_ = folder;
  reported_ = lastTaken_ = Take();
}

FolderWatch::Snapshot FolderWatch::Take() {
  Snapshot snapshot;
  if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) return snapshot;
  QStringList toWatch{folder_};
  const QDir root(folder_);
  // The folder's own files and those of its subfolders (the pieces), one level down.
  QDirIterator it(folder_, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
  QStringList folders{folder_};
  while (it.hasNext()) {
    it.next();
    if (it.fileInfo().isDir()) folders << it.filePath();
  }
  for (const QString& folder : folders) {
    if (folder != folder_) toWatch << folder;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
      snapshot[root.relativeFilePath(file.filePath())] = {file.size(),
                                                          file.lastModified().toMSecsSinceEpoch()};
      toWatch << file.filePath();
    }
  }
  // A file replaced by a rename is a new file to the watcher: it is watched again.
  const QStringList watched = watcher_.files() + watcher_.directories();
  toWatch.removeIf([&](const QString& path) { return watched.contains(path); });
  if (!toWatch.isEmpty()) watcher_.addPaths(toWatch);
  return snapshot;
}

void FolderWatch::Touched() {
  if (!settle_.isActive()) lastTaken_ = Take();
  settle_.start();
}

void FolderWatch::Settle() {
  Snapshot now = Take();
  if (now != lastTaken_) {  // still being written: wait for another quiet period
    lastTaken_ = std::move(now);
    settle_.start();
    return;
  }
  QStringList changed, added, removed;
  for (const auto& [name, stamp] : now) {
    auto old = reported_.find(name);
    if (old == reported_.end()) {
      added << name;
      changed << name;
    } else if (!(old->second == stamp)) {
      changed << name;
    }
  }
  for (const auto& [name, stamp] : reported_) {
    if (!now.contains(name)) {
      removed << name;
      changed << name;
    }
  }
  reported_ = std::move(now);
  if (!changed.isEmpty()) emit Changed(changed, added, removed);
}

}  // namespace tessaro::shell
