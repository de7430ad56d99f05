// The headless platform's fonts, and what the programs set before Qt starts.
#include "render/headless.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <filesystem>

#include "os/system_fonts.h"

namespace tessaro::render {

void UseSystemFontsWhenHeadless() {
  if (qEnvironmentVariableIsSet("QT_QPA_FONTDIR")) return;
  const std::filesystem::path folder = SystemFontFolder();
  if (folder.empty()) return;
  qputenv("QT_QPA_FONTDIR", QString::fromStdU16String(folder.u16string()).toLocal8Bit());
}

void KeepRegexJitOff() {
  qputenv("QT_ENABLE_REGEXP_JIT", "0");
}

}  // namespace tessaro::render
