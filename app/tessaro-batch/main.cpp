// tessaro-batch: writes the drawings of a project's column stacks as DXF files.
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "batch.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A closed output (tessaro-batch ... | head -1) must not end the run half-way: writes to
  // it fail quietly and the drawings are still written.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
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
