// A problem with the program's input as a value: what kind it is, where it is (file, line,
// field), the text of the input it is about, and the few values its kind needs. The engine
// makes them; the programs say them in their own words (problem_words.h for the command
// line, Italian in the desktop program), cutting the echoed input to a readable length.
#pragma once

#include <filesystem>
#include <string>

#include "base/errors.h"

namespace tessaro {

enum class ProblemKind {
  FileNotFound,        // `file` does not exist
  FileUnreadable,      // `file` is no regular file or too long; `detail`: the system's reason
  MissingLine,         // `line` is not in the file
  EmptyLine,           // `line` is empty
  MissingField,        // `field` is not on `line`; `text`: the line
  BadNumber,           // `text` is not a number; `subject`: what it should be ("a Single")
  NumberTooLarge,      // `text` is a number beyond `subject`'s range
  BadBarField,         // `text` is no count-Ø-diameter field; `detail`: what is wrong in it
  OutOfBounds,         // `text` (`subject`, its `part`) lies outside low..high
  TopNotAboveBottom,   // Quota finale `text` not above Quota iniziale `other` by at most `high`
  CoverTooLarge,       // the cover `text` is not less than half of `high`, the smaller side
  TooFewCircularBars,  // a circular column with `text` bars, fewer than `low`
  TooManyPieces,       // a stack index file with more than `high` lines; `text`: the first line beyond
  NoPieces,            // a stack index file that lists no piece
  StackNotLoaded,      // the load stopped before the end
  DrawingIncomplete,   // a piece whose drawing skipped a statement: `error`, `detail` say which
  PieceIndexOutside,   // a piece index beyond the stack's arrays (`low`)
  // Reading a DXF file. `line` is where (a byte of a binary file when `inBytes`), `field` the
  // group code, `subject` the type of the entity a problem leaves out.
  DxfEmpty,            // the file holds nothing
  DxfNotDxf,           // `text`, on the first line, is no group code: not a DXF file
  DxfCutShort,         // the file ends at `line` before its EOF: read as far as it is whole
  DxfUnendedSection,   // a section without ENDSEC, ended by the next one at `line`
  DxfBadGroupCode,     // `text` stands where a group code should: the entity is left out
  DxfBadNumber,        // `text` is not a finite number: the entity is left out
  DxfBadWholeNumber,   // `text` is not a whole number: the entity is left out
  DxfTooManyLayers,    // more than `high` layers: not read
  DxfTooManyBlocks,    // more than `high` blocks: not read
  DxfNestTooDeep,      // `low` references to blocks nested deeper than `high`, left out
  DxfBlockCycles,      // `low` references to a block inside itself, left out
  DxfExpansionCapped,  // blocks expanded to `high` shapes; `low` more references left out
};

struct Problem {
  // Which number of a bar field a bound is about.
  enum class Part { Value, Count, Diameter };

  ProblemKind kind = ProblemKind::StackNotLoaded;
  ErrorKind error = ErrorKind::BadFormat;  // the run-time error it stands for
  std::filesystem::path file;              // empty: not about one file
  int line = -1;                           // 0-based, as in the file format; -1: not about a line
  int field = -1;                          // 0-based; -1: not about a field
  std::string text;                        // the input's text, whole (UTF-8)
  std::string other;                       // a second text of the input
  std::string subject;                     // what the text is: a field's name, a type
  Part part = Part::Value;
  double low = 0;
  bool lowOpen = false;
  double high = 0;
  std::string detail;                      // the engine's own reason (not input)
  bool inBytes = false;                    // `line` is a byte offset (binary DXF)
};

// A problem raised: what() gives it in the command line's words (DescribeProblem).
class ProblemError : public RuntimeError {
public:
  explicit ProblemError(Problem problem);
  const Problem& problem() const { return problem_; }

private:
  Problem problem_;
};

}  // namespace tessaro
