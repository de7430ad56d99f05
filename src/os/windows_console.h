// The Windows console and command line: the arguments as the wide command line holds them
// (the narrow argv of main has only what the ANSI code page can spell), and messages
// written as UTF-8 that a console shows as such.
#pragma once

#ifdef _WIN32

#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// The arguments after the program name of a wide command line, split by Windows' rules
// (quotes, backslashes before quotes), as UTF-8.
std::vector<std::string> SplitCommandLine(std::wstring_view commandLine);

// The arguments after the program name of this process, as UTF-8.
std::vector<std::string> CommandLineArguments();

// UTF-16 text as UTF-8, and back; unpaired surrogates and bad bytes become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

// A stream buffer that hands UTF-8 text on as UTF-16, whole characters only: at each line
// end and each flush, what has come so far less an unfinished character at its end.
class Utf16LineBuffer : public std::streambuf {
public:
  using Sink = std::function<void(std::wstring_view)>;
  explicit Utf16LineBuffer(Sink sink) : sink_(std::move(sink)) {}
  ~Utf16LineBuffer() override { Flush(); }

protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

private:
  void Flush();

  Sink sink_;
  std::string pending_;
};

// While it lives, std::cout and std::cerr write to a console (when they are one) through
// WriteConsoleW, so that "Città" and "4Ø16" read right in cmd.exe whatever the console's
// code page: bytes handed to a console one at a time, as the C runtime does, are each
// read as a character of that code page. Output to a file or a pipe stays UTF-8 bytes.
class Utf8ConsoleOutput {
public:
  Utf8ConsoleOutput();
  ~Utf8ConsoleOutput();
  Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
  Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

private:
  struct Redirect {
    std::ostream* stream;
    std::streambuf* earlier;
    std::unique_ptr<Utf16LineBuffer> buffer;
  };
  std::vector<Redirect> redirects_;
};

}  // namespace tessaro

#endif  // _WIN32
