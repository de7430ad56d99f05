// The words of the command-line tools for a Problem: "FILE, line 9 (8 from 0), field 3
// (2 from 0): "x" is not a Single". Input echoed in them is cut to a readable length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/problem.h"

namespace tessaro {

// Echoed input is cut after this many characters.
inline constexpr std::size_t kEchoedCharacters = 80;

// A text from the input as a message shows it: control characters (a NUL among them)
// written as \xNN, and cut after `maxCharacters` characters with "…" so that a huge field
// never fills a message. A UTF-8 sequence is never cut in two.
std::string ReadableText(std::string_view text, std::size_t maxCharacters = kEchoedCharacters);

// A file as a message names it: its folder, and its name as ReadableText gives it (a name
// made from a line of the input may be of any length).
std::string ProblemFileText(const std::filesystem::path& file);

// Whether a problem is about a DXF file (its place is a line from 1 or a byte, and a group code).
bool IsDxfProblem(ProblemKind kind);

// The problem in the command line's words, with where it is.
std::string DescribeProblem(const Problem& problem);

// Only what is wrong, without the file, line and field.
std::string ProblemMessage(const Problem& problem);

}  // namespace tessaro
