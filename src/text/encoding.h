// Text encodings at the program's edges: the files of the design program and the DXF
// files are Windows-1252; inside the program every string is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessaro {

// The diameter sign Ø (U+00D8) in UTF-8; byte 0xD8 in Windows-1252.
inline constexpr std::string_view kDiameterSign = "\xC3\x98";

std::string Cp1252ToUtf8(std::string_view bytes);

// Characters without a Windows-1252 code become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// UTF-16 text (after its byte-order mark) as UTF-8, little-endian unless `bigEndian`; an
// unpaired surrogate becomes U+FFFD and an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Whether two texts are the same but for the case of ASCII letters ("Muri" is "MURI");
// other bytes, UTF-8 ones included, must be equal.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace tessaro
