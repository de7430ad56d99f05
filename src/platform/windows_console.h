// The Windows console and command line: the arguments as the wide command line holds them
// (the narrow argv of main has only what the ANSI code page can spell), and messages
// written as UTF-8 that cmd.exe shows as such.
#pragma once

#ifdef _WIN32

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

// While it lives, the console of this process shows what is written to it as UTF-8
// ("à", "Ø" read right); the console's earlier code page comes back afterwards, so the
// cmd.exe window that started the program is left as it was. Without a console (output
// to a file or a pipe) it does nothing: the bytes are UTF-8 either way.
class Utf8ConsoleOutput {
public:
  Utf8ConsoleOutput();
  ~Utf8ConsoleOutput();
  Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
  Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

private:
  unsigned earlierCodePage_ = 0;  // 0: not changed
};

}  // namespace tessaro

#endif  // _WIN32
