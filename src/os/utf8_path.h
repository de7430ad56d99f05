// Paths to and from UTF-8 text, the same on every system. A path built from a plain
// std::string is read in the C library's narrow encoding, which on Windows is the ANSI
// code page, not UTF-8: "Città" would become a different folder there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace tessaro
