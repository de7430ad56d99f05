// Wide command line and console code page through the Win32 API (shell32, kernel32).
#include "platform/windows_console.h"

#ifdef _WIN32

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <memory>

namespace tessaro {

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
  return out;
}

namespace {

// The arguments after the first (the program name) of a command line, as UTF-8.
std::vector<std::string> ArgumentsAfterProgramName(const wchar_t* commandLine) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(commandLine, &count), &LocalFree);
  std::vector<std::string> args;
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(argv.get()[i]));
  return args;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::wstring_view commandLine) {
  // The program name is read by other rules than the arguments, and an empty line gives
  // this program's own path: a placeholder name keeps both out.
  return ArgumentsAfterProgramName((L"x " + std::wstring(commandLine)).c_str());
}

std::vector<std::string> CommandLineArguments() { return ArgumentsAfterProgramName(GetCommandLineW()); }

Utf8ConsoleOutput::Utf8ConsoleOutput() {
  DWORD mode = 0;
  const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                       GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
  if (!console) return;
  const UINT earlier = GetConsoleOutputCP();
  if (earlier != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) earlierCodePage_ = earlier;
}

Utf8ConsoleOutput::~Utf8ConsoleOutput() {
  if (earlierCodePage_ != 0) SetConsoleOutputCP(earlierCodePage_);
}

}  // namespace tessaro

#endif  // _WIN32
