// The group stream of a DXF file: ASCII DXF with any line end (CR LF, LF or CR) and lines of
// any length, or binary DXF. Values stay views into the file's bytes; numbers are parsed with
// std::from_chars, so no locale is involved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  // error messages.
  DxfTokenizer(std::string_view data, const std::string& source);

  // The next group; false at the end of the data. A group code that is not a number, or a
  // code without its value, raises RuntimeError (BadFormat).
  bool Next(DxfGroup& group);

  // Appends the groups up to the next group 0 to `out` (cleared first) and puts that group 0
  // in `next`; false when the data ends before one.
  bool Collect(std::vector<DxfGroup>& out, DxfGroup& next);

  bool Binary() const { return binary_; }
  std::size_t RemainingBytes() const { return data_.size() - position_; }

  // "line 12" or "byte 345": where a group is, for messages.
  std::string Where(const DxfGroup& group) const;
  const std::string& Source() const { return source_; }

  // The value as a finite number; one that is not raises RuntimeError (BadFormat) naming the
  // line, the code and the text.
  double Real(const DxfGroup& group) const;
  // The value as a whole number (a fraction cut off), out-of-range values clamped to int.
  int Int(const DxfGroup& group) const;

  [[noreturn]] void Fail(const std::string& what) const;
  [[noreturn]] void Fail(const DxfGroup& group, const std::string& what) const;

private:
  bool NextLine(std::string_view& line);
  bool NextAscii(DxfGroup& group);
  bool NextBinary(DxfGroup& group);

  std::string_view data_;
  std::string source_;
  std::size_t position_ = 0;
  std::size_t line_ = 0;
  bool binary_ = false;
  bool twoByteCodes_ = true;  // binary R13 and later; R12 has one-byte codes
  bool crOnly_ = false;       // lines end in a lone CR (old Macintosh files)
};

// Shortens a text for a message: at most 40 bytes, never a NUL.
std::string Excerpt(std::string_view text);

}  // namespace tessaro
