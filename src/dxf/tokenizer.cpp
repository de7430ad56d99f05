#include "dxf/tokenizer.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "base/errors.h"

namespace tessaro {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

enum class BinaryKind { Text, Real, Int16, Int32, Int64, Byte, Chunk };

// The value type of a group code in binary DXF, from the DXF reference's code ranges.
BinaryKind BinaryKindOf(int code) {
  if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
      (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059)) {
    return BinaryKind::Real;
  }
  if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
      (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070)) {
    return BinaryKind::Int16;
  }
  if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 449) ||
      code == 1071) {
    return BinaryKind::Int32;
  }
  if ((code >= 160 && code <= 169) || (code >= 450 && code <= 459)) return BinaryKind::Int64;
  if (code >= 290 && code <= 299) return BinaryKind::Byte;
  if ((code >= 310 && code <= 319) || code == 1004) return BinaryKind::Chunk;
  return BinaryKind::Text;
}

template <class T>
T LittleEndian(const unsigned char* p) {
  std::uint64_t value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = (value << 8) | p[i];
  T out;
  if constexpr (sizeof(T) == sizeof(std::uint64_t)) {
    std::memcpy(&out, &value, sizeof out);
  } else {
    const auto narrow = static_cast<std::make_unsigned_t<T>>(value);
    std::memcpy(&out, &narrow, sizeof out);
  }
  return out;
}

constexpr double kPowersOf10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The usual value, [-]digits[.digits] with at most 15 digits, read exactly: the digits make
// an integer below 2^53 and one division by an exact power of ten rounds correctly.
bool FastReal(std::string_view text, double& value) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && *p == ' ') ++p;
  while (end > p && (end[-1] == ' ' || end[-1] == '\r' || end[-1] == '\t')) --end;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  int digits = 0, decimals = 0;
  for (; p < end && IsDigit(*p); ++p, ++digits) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  if (p < end && *p == '.') {
    for (++p; p < end && IsDigit(*p); ++p, ++digits, ++decimals) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  if (p != end || digits == 0 || digits > 15) return false;
  const double magnitude = static_cast<double>(mantissa) / kPowersOf10[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

// A group code: blanks, up to nine digits, blanks.
bool FastCode(std::string_view text, int& code) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && *p == ' ') ++p;
  int value = 0, digits = 0;
  for (; p < end && IsDigit(*p) && digits < 9; ++p, ++digits) value = value * 10 + (*p - '0');
  while (p < end && (*p == ' ' || *p == '\r' || *p == '\t')) ++p;
  if (p != end || digits == 0) return false;
  code = value;
  return true;
}

bool ParseReal(std::string_view text, double& value) {
  if (FastReal(text, value)) return true;
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

DxfTokenizer::DxfTokenizer(std::string_view data, std::filesystem::path source)
    : data_(data), source_(std::move(source)) {
  if (data_.substr(0, kBinaryDxfSentinel.size()) == kBinaryDxfSentinel) {
    binary_ = true;
    position_ = kBinaryDxfSentinel.size();
    // The first group is 0/SECTION: its code takes two bytes (zero, zero) from R13 on, one
    // byte before.
    twoByteCodes_ = data_.size() >= position_ + 2 && data_[position_] == 0 && data_[position_ + 1] == 0;
    return;
  }
  // Lines end in LF or CR LF, unless the first line end is a CR that no LF follows.
  const std::size_t end = data_.find_first_of("\r\n");
  crOnly_ = end != std::string_view::npos && data_[end] == '\r' && (end + 1 >= data_.size() || data_[end + 1] != '\n');
}

Problem DxfTokenizer::Whole(ProblemKind kind) const {
  Problem p;
  p.kind = kind;
  p.error = ErrorKind::BadFormat;
  p.file = source_;
  p.inBytes = binary_;
  return p;
}

Problem DxfTokenizer::At(ProblemKind kind, const DxfGroup& group) const {
  Problem p = Whole(kind);
  // The value's line, from 0 (`where` counts from 1); the group's first byte.
  p.line = static_cast<int>(std::min<std::size_t>(binary_ ? group.where : group.where - (group.where > 0), 0x7FFFFFFF));
  p.field = group.code;
  return p;
}

bool DxfTokenizer::NextLine(std::string_view& line) {
  if (position_ >= data_.size()) return false;
  const char* begin = data_.data() + position_;
  const char* end = data_.data() + data_.size();
  const char stop = crOnly_ ? '\r' : '\n';
  // DXF lines are mostly a few bytes long: a plain loop beats a library call per line, and
  // memchr takes over for a long one.
  const char* p = begin;
  const char* quick = std::min(end, begin + 32);
  while (p < quick && *p != stop) ++p;
  if (p == quick && p < end) {
    const void* found = std::memchr(p, stop, static_cast<std::size_t>(end - p));
    p = found != nullptr ? static_cast<const char*>(found) : end;
  }
  const auto length = static_cast<std::size_t>(p - begin);
  line = std::string_view(begin, length);
  if (!crOnly_ && length > 0 && line.back() == '\r') line.remove_suffix(1);
  position_ += p < end ? length + 1 : length;
  ++line_;
  return true;
}

bool DxfTokenizer::Next(DxfGroup& group) { return binary_ ? NextBinary(group) : NextAscii(group); }

bool DxfTokenizer::Collect(std::vector<DxfGroup>& out, DxfGroup& next) {
  out.clear();
  DxfGroup g;
  while (binary_ ? NextBinary(g) : NextAscii(g)) {
    if (g.code == 0) {
      next = g;
      return true;
    }
    out.push_back(g);
  }
  return false;
}

bool DxfTokenizer::NextAscii(DxfGroup& group) {
  std::string_view codeLine;
  // Blank lines after the last group (some programs end the file with one) are no group.
  do {
    if (!NextLine(codeLine)) return false;
  } while (position_ >= data_.size() && TrimBlanks(codeLine).empty());
  int value = 0;
  bool good = true;
  if (!FastCode(codeLine, value)) {
    const std::string_view code = TrimBlanks(codeLine);
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    good = !code.empty() && error == std::errc() && end == code.data() + code.size();
  }
  if (!good || value < 0 || value > 32767) {
    // Not a group code: the pair is read as a comment (code 999), and counted, so that the
    // reader leaves out the entity it belongs to and goes on with the next.
    ++badCodes_;
    lastBadCodeLine_ = line_ - 1;
    lastBadCode_ = TrimBlanks(codeLine);
    value = 999;
  }
  group.code = static_cast<std::int16_t>(value);
  group.binaryNumber = false;
  if (!NextLine(group.text)) {
    // A code without its value: the data ends before the group does. A lone 0 ends the
    // record before it, which is whole.
    cutShort_ = value != 0;
    return false;
  }
  group.where = static_cast<std::uint32_t>(std::min<std::size_t>(line_, 0xFFFFFFFFu));
  return true;
}

bool DxfTokenizer::NextBinary(DxfGroup& group) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_.data());
  // Data that ends inside a group, or a group code no group can have, ends the reading there:
  // binary data cannot be followed past a damage.
  const auto fits = [&](std::size_t n) { return data_.size() - position_ >= n; };
  if (position_ >= data_.size()) return false;
  const std::size_t start = position_;
  int code = 0;
  if (twoByteCodes_) {
    if (!fits(2)) return Cut();
    code = LittleEndian<std::uint16_t>(bytes + position_);
    position_ += 2;
  } else {
    code = bytes[position_++];
    if (code == 255) {
      if (!fits(2)) return Cut();
      code = LittleEndian<std::uint16_t>(bytes + position_);
      position_ += 2;
    }
  }
  if (code > 32767) {
    position_ = start;
    return Cut();
  }
  group.code = static_cast<std::int16_t>(code);
  group.where = static_cast<std::uint32_t>(std::min<std::size_t>(start, 0xFFFFFFFFu));
  group.binaryNumber = true;
  group.text = {};
  switch (BinaryKindOf(code)) {
    case BinaryKind::Real:
      if (!fits(8)) return Cut();
      group.number = LittleEndian<double>(bytes + position_);
      position_ += 8;
      break;
    case BinaryKind::Int16:
      if (!fits(2)) return Cut();
      group.number = LittleEndian<std::int16_t>(bytes + position_);
      position_ += 2;
      break;
    case BinaryKind::Int32:
      if (!fits(4)) return Cut();
      group.number = LittleEndian<std::int32_t>(bytes + position_);
      position_ += 4;
      break;
    case BinaryKind::Int64:
      if (!fits(8)) return Cut();
      group.number = static_cast<double>(LittleEndian<std::int64_t>(bytes + position_));
      position_ += 8;
      break;
    case BinaryKind::Byte:
      if (!fits(1)) return Cut();
      group.number = bytes[position_];
      position_ += 1;
      break;
    case BinaryKind::Chunk: {
      if (!fits(1)) return Cut();
      const std::size_t length = bytes[position_];
      if (!fits(1 + length)) return Cut();
      group.binaryNumber = false;
      group.text = data_.substr(position_ + 1, length);
      position_ += 1 + length;
      break;
    }
    case BinaryKind::Text: {
      const void* nul = std::memchr(data_.data() + position_, '\0', data_.size() - position_);
      if (nul == nullptr) return Cut();
      const auto length = static_cast<std::size_t>(static_cast<const char*>(nul) - (data_.data() + position_));
      group.binaryNumber = false;
      group.text = data_.substr(position_, length);
      position_ += length + 1;
      break;
    }
  }
  return true;
}

double DxfTokenizer::Real(const DxfGroup& group) const {
  if (group.binaryNumber) {
    if (!std::isfinite(group.number)) {
      Problem p = At(ProblemKind::DxfBadNumber, group);
      p.text = std::isnan(group.number) ? "nan" : group.number > 0 ? "inf" : "-inf";
      throw ProblemError(std::move(p));
    }
    return group.number;
  }
  double value = 0.0;
  if (!ParseReal(group.text, value)) {
    Problem p = At(ProblemKind::DxfBadNumber, group);
    p.text = std::string(TrimBlanks(group.text));
    throw ProblemError(std::move(p));
  }
  return value;
}

int DxfTokenizer::Int(const DxfGroup& group) const {
  constexpr std::int64_t kLow = std::numeric_limits<int>::min(), kHigh = std::numeric_limits<int>::max();
  double value = 0.0;
  if (group.binaryNumber) {
    value = group.number;
  } else {
    double fast = 0.0;
    if (FastReal(group.text, fast) && fast >= -1e9 && fast <= 1e9) return static_cast<int>(fast);
    const std::string_view text = TrimBlanks(group.text);
    long long whole = 0;
    const char* first = text.data() + (!text.empty() && text.front() == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), whole);
    if (error == std::errc() && end == text.data() + text.size() && first != end) {
      return static_cast<int>(whole < kLow ? kLow : whole > kHigh ? kHigh : whole);
    }
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? static_cast<int>(kLow) : static_cast<int>(kHigh);
    if (!ParseReal(text, value)) {
      Problem p = At(ProblemKind::DxfBadWholeNumber, group);
      p.text = std::string(text);
      throw ProblemError(std::move(p));
    }
  }
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(kLow)) return static_cast<int>(kLow);
  if (value >= static_cast<double>(kHigh)) return static_cast<int>(kHigh);
  return static_cast<int>(value);
}

}  // namespace tessaro
