// The files of a project's column stacks, as the structural-design program writes them:
// one stack index file per stack (piece-file names, bottom piece first) and one piece
// file per piece (11 lines of "|"-separated fields, Windows-1252 text).
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/piece_view.h"
#include "platform/errors.h"
#include "platform/numbers.h"

namespace tessaro {

// A problem in a stack file, with what a person needs to find it. `line` and `field` are
// 0-based as in the file format (-1 when not about a line or field); `text` is the text
// that did not convert.
class StackFileError : public RuntimeError {
public:
  StackFileError(ErrorKind kind, const std::string& message, std::filesystem::path file, int line, int field,
                 std::string text);
  const std::filesystem::path& file() const { return file_; }
  int line() const { return line_; }
  int field() const { return field_; }
  const std::string& text() const { return text_; }
  // "FILE, line N (1-based), field F: MESSAGE" for people.
  std::string Describe() const;
  // The same error, naming the file it came from (the piece readers see only text).
  StackFileError WithFile(std::filesystem::path file) const;

private:
  std::string message_;
  std::filesystem::path file_;
  int line_;
  int field_;
  std::string text_;
};

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
  std::string barsSide1;  // UTF-8, e.g. "4Ø16"
  std::string barsSide2;
  Single steelArea = 0;
  Single steelPercent = 0;
  Single endZoneLength = 0;
  Single endSpacing = 0;
  Single midSpacing = 0;
  std::string stirrupsSide1;
  std::string stirrupsSide2;
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
// the file; a last line without an end is read too). An empty path gives "". A missing
// file raises StackFileError (FileNotFound).
std::string ReadTextFile(const std::filesystem::path& path);

// Splits at CR LF; "" gives no elements, "A\r\n" gives {"A", ""}.
std::vector<std::string> SplitLines(std::string_view text);

// First pass over a piece: stores element `index` of the arrays. Errors in lines 0-9 are
// raised as StackFileError (without a file name: the caller adds it).
void ReadPieceSummary(std::string_view text, Single& firstSide1, Single& firstSide2, Integer index,
                      StackArrays& arrays);

// Second pass: the whole record. Errors in lines 0-9 raise StackFileError; line 10
// problems leave the affected values at 0.
ColumnPiece ReadPieceRecord(std::string_view text);

// Paths of the folder layout: FOLDER/P<id>.pst and FOLDER/Dis/<name>.pxf. When the exact
// name does not exist, a file whose name differs only in letter case is used.
std::filesystem::path StackIndexPath(const std::filesystem::path& columnStackFolder, std::string_view stackId);
std::filesystem::path PieceFilePath(const std::filesystem::path& columnStackFolder, std::string_view pieceName);

// The stack identifiers of a folder, in list order: every file whose name ends in "pst"
// (any case), less its first character and its last four. A missing folder raises
// RuntimeError (FileNotFound).
std::vector<std::string> ListColumnStacks(const std::filesystem::path& columnStackFolder);

}  // namespace tessaro
