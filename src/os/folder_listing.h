// Folder listing with a stable order on every system.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessaro {

// Names of the regular files directly in `folder`, sorted case-insensitively (ASCII
// letters folded to upper case, ties broken by the exact bytes), as a Windows folder
// lists them.
// A missing folder raises RuntimeError (FileNotFound).
std::vector<std::string> ListFileNames(const std::filesystem::path& folder);

// Case-insensitive comparison used for that order.
bool FileNameLess(const std::string& a, const std::string& b);

}  // namespace tessaro
