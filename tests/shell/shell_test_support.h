// What the window tests share: answers for the dialogs, a recording paint sink, settings
// kept in a temporary folder and copies of the example projects to work on.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

#include "shell/dialogs.h"
#include "shell/paint_sink.h"

namespace tessaro::shell::testing {

// Records every question and message; answers questions from a queue (Yes when empty).
class FakeMessages final : public MessageBoxes {
public:
  struct Shown {
    QString title;
    QString text;
    bool question = false;
    bool withCancel = false;
    MessageIcon icon = MessageIcon::None;
  };
  std::deque<Answer> answers;
  std::vector<Shown> shown;

  Answer Ask(const QString& title, const QString& text, bool withCancel) override;
  void Tell(const QString& title, const QString& text, MessageIcon icon) override;
  QStringList Texts() const;
};

// Records every request; returns the next queued path ("" = cancelled, also when empty).
class FakeFileDialogs final : public FileDialogs {
public:
  std::deque<QString> openAnswers;
  std::deque<QString> saveAnswers;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;

  QString GetOpen(const FileDialogRequest& request) override;
  QString GetSave(const FileDialogRequest& request) override;
};

// Remembers what would have been painted, one text line per entity.
class RecordingSink final : public PaintSink {
public:
  QStringList painted;
  void Line(const LineGeometry& line, int aci) override;
  void Arc(const ArcGeometry& arc, int aci) override;
  void Circle(const CircleGeometry& circle, int aci) override;
  void Text(const TextGeometry& text, int aci) override;
};

// Points QSettings of this process at a fresh temporary folder (INI files) under the
// organization "TessaroTest"; the user's own settings are never read or written.
class TemporarySettings {
public:
  TemporarySettings();
  ~TemporarySettings();
  QString Folder() const { return dir_.path(); }
  // Every key of the application's settings file, "group/key=value".
  QStringList Dump() const;

private:
  QTemporaryDir dir_;
};

// A copy of examples/<name> in a temporary folder (with an empty "Disegni" folder when
// asked), so tests may add, break and write files.
class ExampleProject {
public:
  ExampleProject(const QString& name, bool withDrawingsFolder);
  QString Folder() const { return dir_.path() + QStringLiteral("/project"); }
  QString DrawingsFolder() const { return Folder() + QStringLiteral("/Disegni"); }
  bool ok() const { return ok_; }

private:
  QTemporaryDir dir_;
  bool ok_ = false;
};

QString SourceDir();

}  // namespace tessaro::shell::testing
