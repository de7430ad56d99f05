// The questions, messages and file dialogs of the window, behind two small interfaces so
// that tests can answer them; the Qt implementations show the real dialogs.
#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QTranslator;
class QWidget;

namespace tessaro::shell {

enum class Answer { Yes, No, Cancel };
enum class MessageIcon { None, Information, Question, Critical, Warning };

class MessageBoxes {
public:
  virtual ~MessageBoxes() = default;
  // Yes/No, or Yes/No/Cancel when `withCancel`; question icon.
  virtual Answer Ask(const QString& title, const QString& text, bool withCancel) = 0;
  // OK button only.
  virtual void Tell(const QString& title, const QString& text, MessageIcon icon) = 0;
};

// How a file dialog is set up before it is shown.
struct FileDialogRequest {
  QString title;
  QString initialFolder;
  QString fileName;       // proposed name, may be empty
  QString defaultSuffix;  // added when the user types a name without one
  QString filter;         // Qt syntax: "DXF File (*.DXF *.dxf);;All (*.*)"
};

class FileDialogs {
public:
  virtual ~FileDialogs() = default;
  // The chosen file's full path; empty when the dialog was cancelled.
  virtual QString GetOpen(const FileDialogRequest& request) = 0;
  // Asks before replacing an existing file.
  virtual QString GetSave(const FileDialogRequest& request) = 0;
  // An existing folder (title and initial folder of the request); empty when cancelled.
  virtual QString GetFolder(const FileDialogRequest&) { return {}; }
};

// The printer set-up and the print preview.
class PrintDialogs {
public:
  virtual ~PrintDialogs() = default;
  // Lets the user choose and set up the printer, starting from its settings; false when
  // cancelled.
  virtual bool SetUpPrinter(QPrinter& printer) = 0;
  // Shows the pages that `paint` paints on a printer, from which the user may print them.
  virtual void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;
};
// Loads Qt's own Italian translations (Debian's qt6-translations-l10n, built into the program
// or else the system's) into `translator` and installs it, so that standard buttons and
// dialogs speak Italian (Sì, No, Annulla, the file dialogs). False when there are none.
bool InstallQtItalianTranslations(QTranslator& translator);

class QtMessageBoxes final : public MessageBoxes {
public:
  explicit QtMessageBoxes(QWidget* parent) : parent_(parent) {}
  Answer Ask(const QString& title, const QString& text, bool withCancel) override;
  void Tell(const QString& title, const QString& text, MessageIcon icon) override;

private:
  QWidget* parent_;
};

class QtFileDialogs final : public FileDialogs {
public:
  explicit QtFileDialogs(QWidget* parent) : parent_(parent) {}
  QString GetOpen(const FileDialogRequest& request) override;
  QString GetSave(const FileDialogRequest& request) override;
  QString GetFolder(const FileDialogRequest& request) override;

private:
  QWidget* parent_;
};

class QtPrintDialogs final : public PrintDialogs {
public:
  explicit QtPrintDialogs(QWidget* parent) : parent_(parent) {}
  bool SetUpPrinter(QPrinter& printer) override;
  void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;

private:
  QWidget* parent_;
};

}  // namespace tessaro::shell
