// The single-byte Windows code pages a DXF file may name in $DWGCODEPAGE, besides
// Windows-1252 (which text/encoding.h decodes).
#pragma once

#include <string_view>

namespace tessaro {

// The characters of the bytes 0x80..0xFF (128 entries) of the code page that a
// $DWGCODEPAGE value names ("ANSI_1250", "ANSI_1251", "ANSI_1253" to "ANSI_1258",
// "ANSI_874"); nothing for Windows-1252 and for code pages without a table here.
const char16_t* DxfCodePageTable(std::string_view codePage);

}  // namespace tessaro
