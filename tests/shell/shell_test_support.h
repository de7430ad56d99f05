// What the window tests share: answers for the dialogs, settings kept in a temporary
// folder, copies of the example projects to work on, and a window built on them.
#pragma once

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"

namespace tessaro::shell::testing {

// Logs every question and message as "<kind> title: text"; answers questions from a
// queue (Yes when empty).
class FakeMessages final : public MessageBoxes {
public:
  QList<Answer> answers;
  QStringList log;

  Answer Ask(const QString& title, const QString& text, bool withCancel) override {
    log << (withCancel ? QStringLiteral("Ask+Cancel ") : QStringLiteral("Ask ")) + title + QStringLiteral(": ") + text;
    return answers.isEmpty() ? Answer::Yes : answers.takeFirst();
  }
  void Tell(const QString& title, const QString& text, MessageIcon icon) override {
    const QStringList kinds{"Tell", "Info", "Question", "Critical", "Warning"};
    log << kinds[int(icon)] + QLatin1Char(' ') + title + ": " + text;
  }
};

// Records every open and save request; returns the next queued path ("" = cancelled).
class FakeFileDialogs final : public FileDialogs {
public:
  QStringList answers;
  std::vector<FileDialogRequest> requests;

  QString GetOpen(const FileDialogRequest& request) override { return GetSave(request); }
  QString GetFolder(const FileDialogRequest& request) override { return GetSave(request); }
  QString GetSave(const FileDialogRequest& request) override {
    requests.push_back(request);
    return answers.isEmpty() ? QString() : answers.takeFirst();
  }
};

// Prints to PDF files instead of printers: the set-up answers from a queue (a file name to
// print to, or "" for cancel), the preview paints into `previewFile`.
class FakePrintDialogs final : public PrintDialogs {
public:
  QStringList answers;
  QString previewFile;
  int setUps = 0;
  int previews = 0;
  QPageLayout offered;  // the page set-up the printer came with

  bool SetUpPrinter(QPrinter& printer) override {
    ++setUps;
    offered = printer.pageLayout();
    const QString file = answers.isEmpty() ? QString() : answers.takeFirst();
    if (file.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
  }
  void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override {
    ++previews;
    offered = printer.pageLayout();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(previewFile);
    paint(printer);
  }
};

// Points QSettings of this process at a fresh temporary folder (INI files) under the
// organization "TessaroTest"; the user's own settings are never read or written.
class TemporarySettings {
public:
  TemporarySettings() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TessaroTest"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
  }
  QString Folder() const { return dir_.path(); }
  QString Value(const QString& key) const { return OpenSettings()->value(key).toString(); }

private:
  QTemporaryDir dir_;
};

// A copy of examples/Magazzino in a temporary folder (with an empty "Disegni" folder when
// asked), so tests may add, break and write files.
class ExampleProject {
public:
  explicit ExampleProject(bool withDrawingsFolder) {
    const QString from = QStringLiteral(TESSARO_SOURCE_DIR "/examples/Magazzino");
    QDir().mkpath(withDrawingsFolder ? DrawingsFolder() : Folder());
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString target = Folder() + it.next().mid(from.size());
      it.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(it.filePath(), target);
    }
  }
  QString Folder() const { return dir_.path() + QStringLiteral("/project"); }
  QString DrawingsFolder() const { return Folder() + QStringLiteral("/Disegni"); }

private:
  QTemporaryDir dir_;
};

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
inline void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}
// Stack 3 of the example project made to stop at its last piece: its line 7 (bar fields)
// replaced by `bars`. Gives the piece file's path.
inline QString BreakLastPiece(const QString& projectFolder, const QByteArray& bars) {
  const QString piece = projectFolder + QStringLiteral("/Pilastri/Dis/Pil3_3.pxf");
  QList<QByteArray> lines = ReadFile(piece).split('\n');
  lines[6] = bars + '\r';
  WriteFile(piece, lines.join('\n'));
  return piece;
}

// A started window on a project folder, with its dialogs answered by the test.
struct Harness {
  FakeMessages messages;
  FakeFileDialogs files;
  FakePrintDialogs printing;
  QTemporaryDir programFolder;
  std::unique_ptr<MainWindow> window;
  bool started = false;

  // Shown on the screen when asked.
  explicit Harness(const QString& projectFolder, bool show = false, bool drawingOnly = false)
      : window(std::make_unique<MainWindow>(
            ShellSetup{projectFolder, programFolder.path(), &messages, &files, &printing, 400, drawingOnly})) {
    started = window->Start();
    if (!show) return;
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window never showed");
  }
  MainWindow& w() { return *window; }
};

}  // namespace tessaro::shell::testing
