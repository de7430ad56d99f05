// Replacing a file on Windows, where a file that another program holds open (a DXF in a
// CAD program) cannot be replaced: the reason then says so in words a user acts on,
// instead of the system's "Access is denied".
#pragma once

#ifdef _WIN32

#include <filesystem>
#include <string>
#include <vector>

namespace tessaro {

// The reason given when the target is held open by another program.
inline constexpr const char* kOpenInAnotherProgram =
    "the file is open in another program; close it there and try again";

// Puts `from` in place of `to` in one step (MoveFileExW, replacing an existing `to`).
// Returns "" when done, else why not; `from` is then left where it was.
std::string ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to);

// The names (UTF-8) of the regular files directly in `folder`, in no particular order.
// Folders of any path length are listed (the C runtime's directory reading stops at 260
// characters). A folder that does not exist or cannot be read raises RuntimeError
// (FileNotFound) with the reason.
std::vector<std::string> FileNamesIn(const std::filesystem::path& folder);

// `path` made absolute in the \\?\ form that Windows takes at any length.
std::wstring ExtendedLengthPath(const std::filesystem::path& path);

}  // namespace tessaro

#endif  // _WIN32
