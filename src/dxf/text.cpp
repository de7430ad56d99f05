// Text values at the DXF boundary: encoding to Windows-1252 and decoding back to UTF-8.
#include "dxf/text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "text/encoding.h"

namespace tessaro {

namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

char32_t CodePointOf(std::string_view sequence) {
  static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t cp = static_cast<unsigned char>(sequence[0]) & kLeadMask[sequence.size()];
  for (std::size_t k = 1; k < sequence.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3F);
  return cp;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the four hex digits of \U+XXXX at text[i]; false when they are not there.
bool ReadUnicodeEscape(std::string_view text, std::size_t i, char32_t& cp) {
  if (text.substr(i, 3) != "\\U+" || i + 7 > text.size()) return false;
  cp = 0;
  for (std::size_t k = i + 3; k < i + 7; ++k) {
    const int digit = HexDigit(text[k]);
    if (digit < 0) return false;
    cp = (cp << 4) | static_cast<char32_t>(digit);
  }
  return cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF);
}

// The %%x control codes of AutoCAD texts that stand for a character.
struct ControlCode {
  char letter;
  char32_t character;
};
constexpr std::array<ControlCode, 4> kControlCodes = {{
    {'c', 0x00D8},  // diameter sign
    {'d', 0x00B0},  // degree sign
    {'p', 0x00B1},  // plus-minus sign
    {'%', U'%'},
}};

bool ReadControlCode(std::string_view text, std::size_t i, char32_t& cp) {
  if (text.substr(i, 2) != "%%" || i + 3 > text.size()) return false;
  const char letter = static_cast<char>(text[i + 2] | 0x20);  // either case; '%' stays '%'
  for (const auto& code : kControlCodes) {
    if (code.letter == letter) {
      cp = code.character;
      return true;
    }
  }
  return false;
}

std::string TranslateEscapes(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    if (ReadUnicodeEscape(utf8, i, cp)) {
      AppendUtf8(out, cp);
      i += 7;
    } else if (ReadControlCode(utf8, i, cp)) {
      AppendUtf8(out, cp);
      i += 3;
    } else {
      out += utf8[i++];
    }
  }
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if ((text[i] | 0x20) != (prefix[i] | 0x20)) return false;
  }
  return true;
}

// Cuts an encoded value to kLongestDxfLine bytes, never inside a \U+XXXX escape.
std::string CutToLineLimit(std::string encoded) {
  if (encoded.size() <= kLongestDxfLine) return encoded;
  std::size_t cut = kLongestDxfLine;
  const std::size_t escape = encoded.rfind("\\U+", cut - 1);
  if (escape != std::string::npos && escape + 7 > cut) cut = escape;
  encoded.resize(cut);
  return encoded;
}

}  // namespace

DxfTextEncoding DxfEncodingOf(std::string_view acadVersion, std::string_view codePage) {
  // $ACADVER is "AC" and four digits, so a plain comparison orders the releases.
  if (acadVersion.size() == 6 && StartsWithNoCase(acadVersion, "AC") && acadVersion >= "AC1021") {
    return DxfTextEncoding::Utf8;
  }
  // Only Windows-1252 has a table here: other ANSI code pages are read as it, which keeps
  // their ASCII and most Latin letters.
  if (StartsWithNoCase(codePage, "UTF")) return DxfTextEncoding::Utf8;
  return DxfTextEncoding::Cp1252;
}

std::string EncodeDxfText(std::string_view utf8) { return CutToLineLimit(EncodeDxfTextWhole(utf8)); }

std::string EncodeDxfTextWhole(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = std::min(SequenceLength(lead), utf8.size() - i);
    const std::string_view sequence = utf8.substr(i, length);
    i += length;
    if (lead == '\r' || lead == '\n') {
      out += ' ';
      continue;
    }
    const std::string bytes = Utf8ToCp1252(sequence);
    if (bytes != "?" || sequence == "?" || !IsValidUtf8(sequence)) {
      out += bytes;
      continue;
    }
    const char32_t cp = CodePointOf(sequence);
    if (cp > 0xFFFF) {
      out += '?';  // \U+ takes four hex digits only
      continue;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
  }
  return out;
}

std::string DecodeDxfText(std::string_view bytes, DxfTextEncoding encoding) {
  const bool utf8 = encoding == DxfTextEncoding::Utf8 && IsValidUtf8(bytes);
  return TranslateEscapes(utf8 ? std::string(bytes) : Cp1252ToUtf8(bytes));
}

}  // namespace tessaro
