// Qt message boxes and file dialogs behind the window's dialog interfaces.
#include "shell/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTranslator>

namespace tessaro::shell {
namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// A box with a short text is narrower than its title bar needs ("Azione annullata." cut
// the title to "Te...ro"): the text is given room for the title, the buttons of the title
// bar and some margin.
void KeepTitleWhole(QMessageBox& box) {
  constexpr int kTitleBarExtra = 120;  // the title bar's icon and buttons, and the frame
  const int needed = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarExtra;
  box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }").arg(needed));
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title, request.initialFolder, request.filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (!request.fileName.isEmpty()) dialog.selectFile(QDir(request.initialFolder).filePath(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

bool InstallQtItalianTranslations(QTranslator& translator) {
  // Built into the program where the build had them (always so on Windows), else the system's.
  const auto load = [&translator](const QString& folder) {
    return translator.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                           folder);
  };
  if (!load(QStringLiteral(":/qt_translations")) && !load(QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

Answer QtMessageBoxes::Ask(const QString& title, const QString& text, bool withCancel) {
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::Question, title, text, buttons, parent_);
  KeepTitleWhole(box);
  switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return withCancel ? Answer::Cancel : Answer::No;  // closing the box without a choice
  }
}

void QtMessageBoxes::Tell(const QString& title, const QString& text, MessageIcon icon) {
  QMessageBox box(ToQt(icon), title, text, QMessageBox::Ok, parent_);
  KeepTitleWhole(box);
  box.exec();
}

QString QtFileDialogs::GetOpen(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::GetSave(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

bool QtPrintDialogs::SetUpPrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, parent_);
  dialog.setWindowTitle(QStringLiteral("Stampa"));
  return dialog.exec() == QDialog::Accepted;
}

void QtPrintDialogs::Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
  QPrintPreviewDialog dialog(&printer, parent_);
  dialog.setWindowTitle(QStringLiteral("Anteprima di stampa"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* p) { paint(*p); });
  dialog.exec();
}

}  // namespace tessaro::shell
