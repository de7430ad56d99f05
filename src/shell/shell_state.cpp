// Text and path conversions between Qt and the engine, which speaks UTF-8 and std::filesystem.
#include "shell/shell_state.h"

namespace tessaro::shell {

// UTF-16 goes to the path's native encoding without passing through a local code page.
std::filesystem::path ToPath(const QString& text) { return std::filesystem::path(text.toStdU16String()); }

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tessaro::shell
