// The tessaro-dxf commands, as a library so that tests run them in-process:
//   info FILE                            entities read, drawn and skipped by type, extents
//   render FILE OUT.png|OUT.pdf [--size WxH]   model space at full extents, white paper
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tessaro::dxftool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the file could not be read or the output written
inline constexpr int kExitUsage = 2;    // the command line is wrong

std::string UsageText();

// Runs the command given by `args` (without the program name). Needs a QGuiApplication
// for `render`. Results go to `out`, problems to `err`; returns the exit status.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tessaro::dxftool
