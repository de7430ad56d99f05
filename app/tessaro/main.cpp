// The desktop program: `tessaro [PROJECT | FILE.dxf]`, the whole command line being the
// project folder or a DXF file to show.
// Two environment variables serve the screenshot script: TESSARO_STACK chooses a stack at
// start, TESSARO_SCREENSHOT names a PNG to grab the window into before quitting.
#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QTranslator>
#include <exception>

#include "render/headless.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "shell/settings_store.h"

namespace {

constexpr int kScreenshotDelayMs = 800;  // lets the window settle at its final size

void ScheduleScreenshot(tessaro::shell::MainWindow& window, const QString& file) {
  QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file] {
    const bool saved = window.grab().save(file, "PNG");
    QCoreApplication::exit(saved ? 0 : 1);
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  tessaro::render::KeepRegexJitOff();  // the view paints and opens files on threads of its own
  QApplication app(argc, argv);
  // The program speaks Italian, and so do Qt's own dialogs and buttons (Sì/No/Annulla,
  // the file dialogs), whatever the system's language.
  QTranslator qtTranslations;
  tessaro::shell::InstallQtItalianTranslations(qtTranslations);
  QCoreApplication::setOrganizationName(tessaro::shell::kApplicationTitle);
  QCoreApplication::setApplicationName(tessaro::shell::kApplicationTitle);

  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  tessaro::shell::ShellSetup setup;
  setup.commandLine = arguments.join(QLatin1Char(' '));
  setup.programFolder = QCoreApplication::applicationDirPath();
  // A .dxf file instead of a project folder (a drawing opened from the desktop): the
  // program starts without a project and shows that drawing.
  QString dxfFile;
  const QFileInfo named(setup.commandLine);
  if (named.suffix().compare(QStringLiteral("dxf"), Qt::CaseInsensitive) == 0 && named.isFile()) {
    dxfFile = setup.commandLine;
    setup.commandLine.clear();
    setup.drawingOnly = true;  // no project to list stacks from, nor to complain about
  }

  tessaro::shell::MainWindow window(setup);
  window.Start();
  window.show();
  if (!dxfFile.isEmpty()) {
    try {
      window.OpenDxfFile(dxfFile);
    } catch (const std::exception&) {
      // The status bar names the file and why it could not be read.
    }
  }

  const QString stack = qEnvironmentVariable("TESSARO_STACK");
  if (!stack.isEmpty()) window.ChooseStack(stack);
  const QString screenshot = qEnvironmentVariable("TESSARO_SCREENSHOT");
  if (!screenshot.isEmpty()) ScheduleScreenshot(window, screenshot);
  return QApplication::exec();
}
