// The group stream of a DXF file: ASCII DXF with any line end (CR LF, LF or CR) and lines of
// any length, or binary DXF. Values stay views into the file's bytes; numbers are parsed with
// std::from_chars, so no locale is involved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/problem.h"

namespace tessaro {

// One group: its code and its value. In a binary file a numeric value arrives as a number
// (`binaryNumber`); otherwise the value is text.
struct DxfGroup {
  std::string_view text;
  double number = 0.0;
  std::uint32_t where = 0;  // line of the value (ASCII), byte offset (binary); saturates
  std::int16_t code = 0;
  bool binaryNumber = false;
};
static_assert(sizeof(DxfGroup) <= 32);

inline constexpr std::string_view kBinaryDxfSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

class DxfTokenizer {
public:
  // `data` is the whole file (a UTF-8 byte order mark already removed); `source` names it in
  // the problems it raises.
  DxfTokenizer(std::string_view data, std::filesystem::path source);

  // The next group; false at the end of the data, or where the data ends inside a group
  // (CutInsideGroup). A line that should hold a group code and does not comes as a comment
  // (code 999) and is counted (BadCodes).
  bool Next(DxfGroup& group);

  // Appends the groups up to the next group 0 to `out` (cleared first) and puts that group 0
  // in `next`; false when the data ends before one.
  bool Collect(std::vector<DxfGroup>& out, DxfGroup& next);

  bool Binary() const { return binary_; }
  // Lines that should have held a group code and did not, and the last of them (0-based,
  // and its text).
  std::size_t BadCodes() const { return badCodes_; }
  std::size_t LastBadCodeLine() const { return lastBadCodeLine_; }
  std::string_view LastBadCode() const { return lastBadCode_; }
  // Whether the data ended inside a group (a code without its value, a binary value cut).
  bool CutInsideGroup() const { return cutShort_; }
  // Where the data ended or was cut: its last line (0-based), or a byte of a binary file.
  std::size_t End() const { return binary_ ? position_ : line_ - (line_ > 0); }
  std::size_t RemainingBytes() const { return data_.size() - position_; }

  // A problem at `group`: its place (line or byte) and code, and the file.
  Problem At(ProblemKind kind, const DxfGroup& group) const;
  // A problem of the whole file.
  Problem Whole(ProblemKind kind) const;

  // The value as a finite number; one that is not raises ProblemError (DxfBadNumber).
  double Real(const DxfGroup& group) const;
  // The value as a whole number (a fraction cut off), out-of-range values clamped to int; a
  // value that is no number raises ProblemError (DxfBadWholeNumber).
  int Int(const DxfGroup& group) const;

private:
  bool NextLine(std::string_view& line);
  bool NextAscii(DxfGroup& group);
  bool NextBinary(DxfGroup& group);
  bool Cut() {
    cutShort_ = true;
    position_ = data_.size();
    return false;
  }

  std::string_view data_;
  std::filesystem::path source_;
  std::size_t position_ = 0;
  std::size_t line_ = 0;
  bool binary_ = false;
  bool twoByteCodes_ = true;  // binary R13 and later; R12 has one-byte codes
  bool crOnly_ = false;       // lines end in a lone CR (old Macintosh files)
  bool cutShort_ = false;     // the data ended inside a group
  std::size_t badCodes_ = 0;
  std::size_t lastBadCodeLine_ = 0;
  std::string_view lastBadCode_;
};


}  // namespace tessaro
