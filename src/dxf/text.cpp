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

// Cuts an encoded value to kLongestDxfLine bytes, never inside a \U+XXXX escape.
std::string CutToLineLimit(std::string encoded) {
  if (encoded.size() <= kLongestDxfLine) return encoded;
  std::size_t cut = kLongestDxfLine;
  const std::size_t escape = encoded.rfind("\\U+", cut - 1);
  if (escape != std::string::npos && escape + 7 > cut) cut = escape;
  encoded.resize(cut);
  return encoded;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char32_t Cp1252CodePoint(unsigned char byte) {
  const std::string utf8 = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
  char32_t cp = 0;
  if (utf8.size() == 1) return static_cast<unsigned char>(utf8[0]);
  if (utf8.size() == 2) return ((utf8[0] & 0x1F) << 6) | (utf8[1] & 0x3F);
  if (utf8.size() == 3) cp = ((utf8[0] & 0x0F) << 12) | ((utf8[1] & 0x3F) << 6) | (utf8[2] & 0x3F);
  return cp;
}

// \U+XXXX and the %% control codes, in text already UTF-8; %%nnn is a byte of the code page.
std::string TranslateCodes(std::string_view text, const char16_t* codePage) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\\' && text.substr(i, 3) == "\\U+" && i + 7 <= text.size()) {
      char32_t cp = 0;
      bool ok = true;
      for (std::size_t k = i + 3; k < i + 7; ++k) {
        const int digit = HexDigit(text[k]);
        ok = ok && digit >= 0;
        cp = (cp << 4) | static_cast<char32_t>(digit < 0 ? 0 : digit);
      }
      if (ok && cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        AppendUtf8(out, cp);
        i += 7;
        continue;
      }
    }
    if (text[i] == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      const char letter = static_cast<char>(text[i + 2] | 0x20);
      char32_t cp = 0;
      std::size_t length = 3;
      if (letter == 'c') cp = 0x00D8;
      if (letter == 'd') cp = 0x00B0;
      if (letter == 'p') cp = 0x00B1;
      if (text[i + 2] == '%') cp = U'%';
      if (letter == 'u' || letter == 'o' || letter == 'k') {  // underline, overline, strike switches
        i += 3;
        continue;
      }
      if (cp == 0 && i + 4 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 2])) &&
          std::isdigit(static_cast<unsigned char>(text[i + 3])) && std::isdigit(static_cast<unsigned char>(text[i + 4]))) {
        const int code = (text[i + 2] - '0') * 100 + (text[i + 3] - '0') * 10 + (text[i + 4] - '0');
        if (code > 0 && code < 256) {
          cp = codePage != nullptr && code >= 0x80 ? codePage[code - 0x80] : Cp1252CodePoint(static_cast<unsigned char>(code));
          length = 5;
        }
      }
      if (cp != 0) {
        AppendUtf8(out, cp);
        i += length;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace

DxfTextEncoding DxfEncodingOf(std::string_view acadVersion, std::string_view codePage) {
  // $ACADVER is "AC" and four digits, so a plain comparison orders the releases.
  if (acadVersion.size() == 6 && StartsWithIgnoringCase(acadVersion, "AC") && acadVersion >= "AC1021") {
    return DxfTextEncoding::Utf8;
  }
  // Only Windows-1252 has a table here: other ANSI code pages are read as it, which keeps
  // their ASCII and most Latin letters.
  if (StartsWithIgnoringCase(codePage, "UTF")) return DxfTextEncoding::Utf8;
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

std::string DecodeDxfValue(std::string_view bytes, bool utf8, const char16_t* codePage) {
  bool plain = true;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '%' || c == '\\') {
      plain = false;
      break;
    }
  }
  if (plain) return std::string(bytes);
  if (utf8 && IsValidUtf8(bytes)) return TranslateCodes(bytes, nullptr);
  if (codePage == nullptr) return TranslateCodes(Cp1252ToUtf8(bytes), nullptr);
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(text, byte < 0x80 ? char32_t{byte} : char32_t{codePage[byte - 0x80]});
  }
  return TranslateCodes(text, codePage);
}

}  // namespace tessaro
