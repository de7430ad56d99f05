// The system's font folder.
#include "os/system_fonts.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace tessaro {

#ifdef _WIN32

std::filesystem::path SystemFontFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  const UINT length = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (length == 0 || length >= folder.size()) return {};
  folder.resize(length);
  return std::filesystem::path(folder) / L"Fonts";
}

#else

std::filesystem::path SystemFontFolder() { return {}; }

#endif

}  // namespace tessaro
