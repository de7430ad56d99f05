// Watches the project's column-stack folder (and its piece folders) while another program
// rewrites it. Changes are reported once the files have stopped changing for a while, so
// a stack rewritten in several steps is read once, after the last one, never half written.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <map>

namespace tessaro::shell {

class FolderWatch final : public QObject {
  Q_OBJECT

public:
  // `settleMs`: how long the files must stay unchanged before a change is reported.
  explicit FolderWatch(int settleMs, QObject* parent = nullptr);

  // Watches `folder` and its direct subfolders; empty or missing: nothing. What the
  // folder holds now is the state later changes are measured against.
  void SetFolder(const QString& folder);
  const QString& Folder() const { return folder_; }

signals:
  // `changed`: the files (paths relative to the folder, '/' separated) added, removed or
  // rewritten since the last report; `added` and `removed` name those that came or went.
  void Changed(const QStringList& changed, const QStringList& added, const QStringList& removed);

private:
  struct Stamp {
    qint64 size = 0;
    qint64 modified = 0;  // ms since the epoch
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  using Snapshot = std::map<QString, Stamp>;

  Snapshot Take();  // and watches every file and folder found
  void Touched();
  void Settle();

  QString folder_;
  QFileSystemWatcher watcher_;
  QTimer settle_;
  Snapshot reported_;   // what the last report (or SetFolder) saw
  Snapshot lastTaken_;  // the snapshot that must hold still for one period
};

}  // namespace tessaro::shell
