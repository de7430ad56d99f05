// The files of a project's column stacks, as the structural-design program writes them:
// one stack index file per stack (piece-file names, bottom piece first) and one piece
// file per piece (11 lines of "|"-separated fields, Windows-1252 text).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/piece_view.h"
#include "base/errors.h"
#include "base/problem.h"
#include "base/problem_words.h"
#include "text/numbers.h"

namespace tessaro {

// A problem in a stack file, raised: the Problem says what and where (`line` and `field`
// 0-based as in the file format, -1 when not about a line or field; `text` the text that
// did not convert). what() gives it in the command line's words.
class StackFileError : public RuntimeError {
public:
  explicit StackFileError(Problem problem);
  const Problem& problem() const { return problem_; }
  const std::filesystem::path& file() const { return problem_.file; }
  int line() const { return problem_.line; }
  int field() const { return problem_.field; }
  const std::string& text() const { return problem_.text; }
  // The same error, naming the file it came from (the piece readers see only text).
  StackFileError WithFile(std::filesystem::path file) const;

private:
  Problem problem_;
};

// Files longer than these are refused: a stack index file lists a few dozen names and a
// piece file holds 11 short lines.
inline constexpr std::uintmax_t kMaxIndexFileBytes = 1 << 20;
inline constexpr std::uintmax_t kMaxPieceFileBytes = 64 << 10;
// Lines of a stack index file (pieces of one stack, empty lines included).
inline constexpr std::size_t kMaxIndexLines = 200;

// The bounds of the values a piece file may hold: one row per checked value. A value
// outside is refused with its line, field and text. `low` is allowed unless `lowOpen`;
// `high` is allowed. The rules between values (top above bottom, the cover inside the
// section, the bars a circular column needs) are written beside the check.
struct PieceBound {
  using Part = Problem::Part;  // a number field, or a bar field's count or diameter (mm)
  int line;
  int field;
  Part part;
  const char* name;
  double low;
  bool lowOpen;
  double high;
};

inline constexpr PieceBound kPieceBounds[] = {
    {1, 0, PieceBound::Part::Value, "seat step depth", 0, false, 5000},
    {1, 1, PieceBound::Part::Value, "seat step depth", 0, false, 5000},
    {1, 2, PieceBound::Part::Value, "seat step depth", 0, false, 5000},
    {1, 3, PieceBound::Part::Value, "seat step depth", 0, false, 5000},
    {3, 0, PieceBound::Part::Value, "Lato 1", 0, true, 1000},
    {3, 1, PieceBound::Part::Value, "Lato 2", 0, false, 1000},  // 0: a circular column
    {3, 2, PieceBound::Part::Value, "bar cover", 0, true, 50},
    {3, 3, PieceBound::Part::Value, "Quota iniziale", -100000, false, 100000},
    {3, 4, PieceBound::Part::Value, "Quota finale", -100000, false, 100000},
    {6, 0, PieceBound::Part::Count, "Ferri lato 1", 2, false, 200},
    {6, 0, PieceBound::Part::Diameter, "Ferri lato 1", 0, true, 100},
    {6, 1, PieceBound::Part::Count, "Ferri lato 2", 0, false, 200},
    {6, 1, PieceBound::Part::Diameter, "Ferri lato 2", 0, true, 100},
    {8, 0, PieceBound::Part::Value, "Lunghezza per passo estremit\xC3\xA0", 0, true, 5000},
    {8, 1, PieceBound::Part::Value, "Passo estremit\xC3\xA0", 2, false, 1000},
    {8, 2, PieceBound::Part::Value, "Passo zona centrale", 2, false, 1000},
    {9, 0, PieceBound::Part::Count, "Staffe lato 1", 2, false, 200},
    {9, 0, PieceBound::Part::Diameter, "Staffe lato 1", 0, true, 100},
    {9, 1, PieceBound::Part::Count, "Staffe lato 2", 2, false, 200},
    {9, 1, PieceBound::Part::Diameter, "Staffe lato 2", 0, true, 100},
    {10, 0, PieceBound::Part::Value, "Disassamento lato 1", -1000, false, 1000},
    {10, 1, PieceBound::Part::Value, "Disassamento lato 2", -1000, false, 1000},
    {10, 2, PieceBound::Part::Value, "line 10 value 2", -10000, false, 10000},
    {10, 3, PieceBound::Part::Value, "end length", 0, false, 5000},
    {10, 4, PieceBound::Part::Value, "end length", 0, false, 5000},
    {10, 5, PieceBound::Part::Value, "end length", 0, false, 5000},
    {10, 6, PieceBound::Part::Value, "end length", 0, false, 5000},
};
// Rules between values.
inline constexpr double kMaxPieceHeight = 5000;    // Quota finale - Quota iniziale, > 0
inline constexpr Integer kMinCircularBars = 4;     // Ferri lato 1 of a circular column (Lato 2 = 0)
// The cover is less than half the smaller side, so that the bars lie inside the section.

// One piece file, read whole.
struct ColumnPiece {
  Integer stackId = 0;
  Integer pieceNumber = 0;
  Integer pieceCode = 0;
  Single barInset1 = 0, barInset2 = 0, barInset3 = 0, barInset4 = 0;
  std::array<bool, 5> flags{};
  Single side1 = 0;
  Single side2 = 0;  // 0 for a circular column (diameter side1)
  Single line3Value2 = 0;  // bar cover: face to bar axis
  Single bottomLevel = 0;
  Single topLevel = 0;
  std::array<Single, 2> line4{};
  std::array<Single, 2> line5{};
  std::string barsSide1;  // UTF-8, e.g. "4Ø16", shown as written
  std::string barsSide2;
  BarField bars1;         // barsSide1 as parsed: what the drawing uses
  BarField bars2;
  Single steelArea = 0;
  Single steelPercent = 0;
  Single endZoneLength = 0;
  Single endSpacing = 0;
  Single midSpacing = 0;
  std::string stirrupsSide1;
  std::string stirrupsSide2;
  BarField stirrups1;
  BarField stirrups2;
  Single offset1 = 0;
  Single offset2 = 0;
  Single line10Value2 = 0;
  std::array<Single, 4> endLengths{};  // line 10 fields 3..6, 0 when missing
};

// The per-stack arrays, indexes 0 .. lastPieceIndex + 1, rebuilt at every load.
struct StackArrays {
  std::vector<Single> side1, side2, topLevel, offset1, offset2, side1Diff, side2Diff;
  Single lastPieceIndex = -1;

  // Sizes every array to lastPieceIndex + 2 elements, all 0.
  void Reset(Single lastPieceIndex);
  StackProfile Profile() const;
};

// The whole file as UTF-8 text, every line followed by CR LF (CR LF or LF line ends in
// the file; a last line without an end is read too). The bytes are Windows-1252, UTF-8,
// or UTF-16 with a byte-order mark. An empty path gives "". A missing file raises
// StackFileError (FileNotFound); a file that is no regular file or is longer than
// `maxBytes` raises StackFileError (FileIo).
std::string ReadTextFile(const std::filesystem::path& path, std::uintmax_t maxBytes = kMaxPieceFileBytes);

// A bar or stirrup field, "4Ø16": a whole count, the diameter sign and the diameter in mm.
// The sign is accepted as Windows-1252 or UTF-8 (both "Ø" once decoded) and as UTF-8 bytes
// read as Windows-1252 ("Ã˜"). Without `diameterNeeded` a lone count is enough. Raises
// RuntimeError (BadNumber, MissingData) saying what is wrong; the bounds are
// checked by the piece reader.
BarField ParseBarField(std::string_view text, bool diameterNeeded = true);

// The text of a stack or piece file from its bytes, as ReadTextFile gives it.
std::string TextOfFileBytes(std::string_view bytes);

// Splits at CR LF; "" gives no elements, "A\r\n" gives {"A", ""}.
std::vector<std::string> SplitLines(std::string_view text);

// First pass over a piece: stores element `index` of the arrays. Errors in lines 0-9 are
// raised as StackFileError (without a file name: the caller adds it).
void ReadPieceSummary(std::string_view text, Single& firstSide1, Single& firstSide2, Integer index,
                      StackArrays& arrays);

// Second pass: the whole record. Errors in lines 0-9 raise StackFileError; line 10
// problems leave the affected values at 0.
ColumnPiece ReadPieceRecord(std::string_view text);

// The folders of a project: PROJECT/Pilastri (stack files) and PROJECT/Disegni (drawings),
// or a folder whose name differs only in letter case when the exact one does not exist.
std::filesystem::path ColumnStackFolderOf(const std::filesystem::path& project);
std::filesystem::path DrawingsFolderOf(const std::filesystem::path& project);

// Paths of the folder layout: FOLDER/P<id>.pst and FOLDER/Dis/<name>.pxf. When the exact
// name does not exist, a file whose name differs only in letter case is used.
std::filesystem::path StackIndexPath(const std::filesystem::path& columnStackFolder, std::string_view stackId);
std::filesystem::path PieceFilePath(const std::filesystem::path& columnStackFolder, std::string_view pieceName);

// The stack identifiers of a folder, in list order: every file whose name ends in "pst"
// (any case), less its first character and its last four. A missing folder raises
// RuntimeError (FileNotFound).
std::vector<std::string> ListColumnStacks(const std::filesystem::path& columnStackFolder);

}  // namespace tessaro
