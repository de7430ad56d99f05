// The user's number settings on Windows, where the C++ library of MinGW knows only the
// "C" locale: an Italian Windows writes 2,5 where std::locale("") would say 2.5.
#pragma once

#ifdef _WIN32

#include <optional>

namespace tessaro {

// The decimal separator of the user's regional settings, when it is '.' or ','.
std::optional<char> UserDecimalSeparator();

}  // namespace tessaro

#endif  // _WIN32
