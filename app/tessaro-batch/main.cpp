// tessaro-batch: writes the drawings of a project's column stacks as DXF files.
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch.h"
#ifdef _WIN32
#include "os/windows_console.h"
#endif

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef SIGPIPE
  // A closed output (tessaro-batch ... | head -1) must not end the run half-way: writes to
  // it fail quietly and the drawings are still written.
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef _WIN32
  // The arguments come from the wide command line, so that a project folder such as
  // "Progetto Città" arrives whole whatever the ANSI code page; messages are UTF-8, and a
  // console shows them as such.
  const tessaro::Utf8ConsoleOutput console;
  const std::vector<std::string> args = tessaro::CommandLineArguments();
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  tessaro::BatchOptions options;
  try {
    options = tessaro::ParseCommandLine(args);
  } catch (const tessaro::UsageError& error) {
    std::cerr << "tessaro-batch: " << error.what() << "\n\n" << tessaro::UsageText();
    return 2;
  }
  if (options.help) {
    std::cout << tessaro::UsageText();
    return 0;
  }
  try {
    const tessaro::BatchSummary summary = tessaro::RunBatch(options, std::cerr);
    std::cout << summary.outDir.string() << '\n';
    return summary.problems.empty() ? 0 : 1;  // a skipped stack or a file beside a drawing not written
  } catch (const std::exception& error) {
    std::cerr << "tessaro-batch: " << error.what() << '\n';
    return 1;
  }
}
