// The wide command line and console output through the Win32 API (shell32, kernel32).
#include "os/windows_console.h"

#ifdef _WIN32

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <iostream>
#include <memory>
#include <utility>

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

namespace {

// The length of `text` less an unfinished UTF-8 sequence at its end.
std::size_t WholeCharacters(std::string_view text) {
  const std::size_t size = text.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(text[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

}  // namespace

Utf16LineBuffer::int_type Utf16LineBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  pending_.push_back(traits_type::to_char_type(c));
  if (c == '\n') Flush();
  return c;
}

std::streamsize Utf16LineBuffer::xsputn(const char* text, std::streamsize count) {
  const std::string_view added(text, static_cast<std::size_t>(count));
  pending_.append(added);
  if (added.find('\n') != std::string_view::npos) Flush();
  return count;
}

int Utf16LineBuffer::sync() {
  Flush();
  return 0;
}

void Utf16LineBuffer::Flush() {
  const std::size_t whole = WholeCharacters(pending_);
  if (whole == 0) return;
  sink_(WideFromUtf8(std::string_view(pending_).substr(0, whole)));
  pending_.erase(0, whole);
}

Utf8ConsoleOutput::Utf8ConsoleOutput() {
  for (const auto& [stream, id] : {std::pair<std::ostream*, DWORD>{&std::cout, STD_OUTPUT_HANDLE},
                                   std::pair<std::ostream*, DWORD>{&std::cerr, STD_ERROR_HANDLE}}) {
    const HANDLE console = GetStdHandle(id);
    DWORD mode = 0;
    if (console == nullptr || console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) continue;
    stream->flush();
    auto buffer = std::make_unique<Utf16LineBuffer>([console](std::wstring_view text) {
      while (!text.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 16384));
        if (!WriteConsoleW(console, text.data(), chunk, &written, nullptr) || written == 0) return;
        text.remove_prefix(written);
      }
    });
    std::streambuf* earlier = stream->rdbuf(buffer.get());
    redirects_.push_back({stream, earlier, std::move(buffer)});
  }
}

Utf8ConsoleOutput::~Utf8ConsoleOutput() {
  for (Redirect& redirect : redirects_) {
    redirect.stream->flush();
    redirect.stream->rdbuf(redirect.earlier);
  }
}

}  // namespace tessaro

#endif  // _WIN32
