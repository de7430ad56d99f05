// Text values at the DXF boundary: program strings (UTF-8) become the bytes of a
// Windows-1252 DXF file, and the bytes of a file read (in its code page) become UTF-8, with
// the escapes CAD programs use for other characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro {

// How the text bytes of a DXF file are encoded, from its $ACADVER and $DWGCODEPAGE.
enum class DxfTextEncoding { Cp1252, Utf8 };

// R2007 (AC1021) and newer files are UTF-8 whatever their code page says; older ones
// use their code page: Windows-1252 unless it names UTF-8.
DxfTextEncoding DxfEncodingOf(std::string_view acadVersion, std::string_view codePage);

// The longest value line we write: some DXF readers cannot take a line of 1024 bytes or
// more (they stop advancing and never return).
inline constexpr std::size_t kLongestDxfLine = 1000;

// UTF-8 to Windows-1252 bytes for an R2000 file: a character without a Windows-1252 code
// becomes \U+XXXX, line breaks (which would split a DXF value) become blanks, and the
// result is cut to kLongestDxfLine bytes.
std::string EncodeDxfText(std::string_view utf8);

// The same without the cut, for values that are written in pieces (multi-line texts).
std::string EncodeDxfTextWhole(std::string_view utf8);

// Decodes the bytes of a DXF text value to UTF-8: as UTF-8 when `utf8` and they are, else in
// `codePage` (a table of DxfCodePageTable) or Windows-1252 when there is none; then \U+XXXX and
// the control codes %%c, %%d, %%p, %%%, %%nnn translated, and %%u, %%o (underline, overline
// switches) dropped.
std::string DecodeDxfValue(std::string_view bytes, bool utf8, const char16_t* codePage = nullptr);

}  // namespace tessaro
