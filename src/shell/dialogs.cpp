// Qt message boxes and file dialogs behind the window's dialog interfaces.
#include "shell/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTranslator>

#include "shell/message_box.h"

namespace tessaro::shell {
namespace {

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
  MessageDialog box(parent_, title, text, MessageIcon::Question,
                    withCancel ? MessageDialog::Buttons::YesNoCancel : MessageDialog::Buttons::YesNo);
  box.exec();
  if (box.Result() == Answer::Cancel && !withCancel) return Answer::No;  // closed without a choice
  return box.Result();
}

void QtMessageBoxes::Tell(const QString& title, const QString& text, MessageIcon icon) {
  MessageDialog box(parent_, title, text, icon, MessageDialog::Buttons::Ok);
  box.exec();
}

QString QtFileDialogs::GetOpen(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::GetSave(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

QString QtFileDialogs::GetFolder(const FileDialogRequest& request) {
  return QFileDialog::getExistingDirectory(parent_, request.title, request.initialFolder);
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
