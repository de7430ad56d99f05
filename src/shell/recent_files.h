// What the window remembers of where the user was: the last projects and DXF files opened
// (newest first, kept in the settings) and the folders the file dialogs start in.
#pragma once

#include <QString>
#include <QStringList>

namespace tessaro::shell {

inline constexpr int kRecentCapacity = 8;
inline const QString kRecentProjectsKey = QStringLiteral("Recent/Projects");
inline const QString kRecentDxfKey = QStringLiteral("Recent/DxfFiles");

// `list` with `path` in front: an entry naming the same file or folder (after cleaning the
// path) moves up instead of showing twice; at most `capacity` entries stay.
QStringList WithRecent(const QStringList& list, const QString& path, int capacity = kRecentCapacity);

// A recent list under one settings key.
class RecentList {
public:
  explicit RecentList(QString key) : key_(std::move(key)) {}
  QStringList Entries() const;
  void Add(const QString& path);
  void Remove(const QString& path);

private:
  QString key_;
};

// Where the dialogs start. Each takes the first of its folders that exists.
struct DialogPlaces {
  QString projectFolder;
  QString programFolder;
  QString lastDxfFolder;  // folder of the last DXF file opened or saved; may be empty

  // The project's drawings folder ("Disegni"), else the project folder, else the program's.
  QString DrawingsFolder() const;
  // Opening a DXF file: where the last one was, else the drawings folder.
  QString OpenFolder() const;
};

// The folder of the last DXF file opened or saved, kept in the settings.
QString ReadLastDxfFolder();
void WriteLastDxfFolder(const QString& folder);

}  // namespace tessaro::shell
