// Replacing and listing files through the Win32 API, at any path length.
#include "os/windows_files.h"

#ifdef _WIN32

#include <windows.h>

#include "base/errors.h"
#include "os/windows_console.h"

namespace tessaro {
namespace {

// Whether another handle on `path` denies sharing delete access, which replacing needs:
// opening it for deletion, sharing everything, then fails with a sharing violation.
bool HeldOpenElsewhere(const std::filesystem::path& path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE handle = CreateFileW(ExtendedLengthPath(path).c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
    message.pop_back();
  }
  if (message.empty()) return "Windows error " + std::to_string(error);
  return Utf8FromWide(message);
}

}  // namespace

std::string ReplaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  const std::wstring source = ExtendedLengthPath(from);
  const std::wstring target = ExtendedLengthPath(to);
  if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return "";
  const DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return kOpenInAnotherProgram;
  if (error != ERROR_ACCESS_DENIED) return SystemMessage(error);
  // Denied is what a file that another program holds open gives, and what a read-only
  // file or a folder of that name give. The folder itself takes new files: the temporary
  // file was just made there.
  if (HeldOpenElsewhere(to)) return kOpenInAnotherProgram;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return "a folder has that name";
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return "the file is read-only";
  }
  // Held open in a way the check above cannot see (sharing delete access), or a right denied.
  return SystemMessage(error) + " (the file may be open in another program)";
}

std::wstring ExtendedLengthPath(const std::filesystem::path& path) {
  if (path.native().starts_with(L"\\\\?\\")) return path.native();
  std::error_code ignored;
  std::wstring text = std::filesystem::absolute(path, ignored).make_preferred().native();
  if (text.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + text.substr(2);
  return L"\\\\?\\" + text;
}

std::vector<std::string> FileNamesIn(const std::filesystem::path& folder) {
  std::wstring pattern = ExtendedLengthPath(folder);
  if (!pattern.ends_with(L'\\')) pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  std::vector<std::string> names;
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return names;  // a drive's root folder without files
    Raise(ErrorKind::FileNotFound, "cannot list the folder " + folder.string() + ": " + SystemMessage(error));
  }
  do {
    if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
      names.push_back(Utf8FromWide(entry.cFileName));
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

}  // namespace tessaro

#endif  // _WIN32
