// The regional settings through GetLocaleInfoEx.
#include "os/windows_locale.h"

#ifdef _WIN32

#include <windows.h>

namespace tessaro {

std::optional<char> UserDecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) return std::nullopt;
  if (separator[1] == L'\0' && (separator[0] == L'.' || separator[0] == L',')) return static_cast<char>(separator[0]);
  return std::nullopt;
}

}  // namespace tessaro

#endif  // _WIN32
