// Recent lists and dialog folders.
#include "shell/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "shell/settings_store.h"

namespace tessaro::shell {
namespace {

const QString kLastDxfFolderKey = QStringLiteral("Recent/LastDxfFolder");

QString Cleaned(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

}  // namespace

QStringList WithRecent(const QStringList& list, const QString& path, int capacity) {
  const QString entry = Cleaned(path);
  QStringList result{entry};
  for (const QString& old : list) {
    if (result.size() >= capacity) break;
    if (Cleaned(old) != entry) result << old;
  }
  return result;
}

QStringList RecentList::Entries() const { return OpenSettings()->value(key_).toStringList(); }

void RecentList::Add(const QString& path) { OpenSettings()->setValue(key_, WithRecent(Entries(), path)); }

void RecentList::Remove(const QString& path) {
  QStringList entries = Entries();
  entries.removeIf([&](const QString& e) { return Cleaned(e) == Cleaned(path); });
  OpenSettings()->setValue(key_, entries);
}

QString DialogPlaces::DrawingsFolder() const {
  if (!projectFolder.isEmpty()) {
    const QString drawings = QDir(projectFolder).filePath(QStringLiteral("Disegni"));
    if (IsFolder(drawings)) return drawings;
    if (IsFolder(projectFolder)) return projectFolder;
  }
  return programFolder;
}

QString DialogPlaces::OpenFolder() const { return IsFolder(lastDxfFolder) ? lastDxfFolder : DrawingsFolder(); }

QString ReadLastDxfFolder() { return OpenSettings()->value(kLastDxfFolderKey).toString(); }

void WriteLastDxfFolder(const QString& folder) { OpenSettings()->setValue(kLastDxfFolderKey, folder); }

}  // namespace tessaro::shell
