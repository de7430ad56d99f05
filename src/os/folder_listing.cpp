#include "os/folder_listing.h"

#include <algorithm>

#include "base/errors.h"
#ifdef _WIN32
#include "os/windows_files.h"
#endif

namespace tessaro {

namespace {
// Windows orders names by their upper-case form, which puts "PA" before "P_1".
char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool FileNameLess(const std::string& a, const std::string& b) {
  const auto folded = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y)); });
  const auto reverse = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(),
      [](char x, char y) { return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y)); });
  if (folded != reverse) return folded;
  return a < b;
}

std::vector<std::string> ListFileNames(const std::filesystem::path& folder) {
#ifdef _WIN32
  // MinGW's directory iterator stops at paths of 260 characters; Windows lists any folder.
  std::vector<std::string> names = FileNamesIn(folder);
#else
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) Raise(ErrorKind::FileNotFound, "cannot list the folder " + folder.string() + ": " + error.message());
  std::vector<std::string> names;
  for (const auto& entry : it) {
    std::error_code ignored;
    if (entry.is_regular_file(ignored)) names.push_back(entry.path().filename().string());
  }
#endif
  std::sort(names.begin(), names.end(), FileNameLess);
  return names;
}

}  // namespace tessaro
