// Windows-1252 at the edges and UTF-8 inside, and the DXF text escapes built on them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "dxf/text.h"
#include "text/encoding.h"

namespace tessaro {
namespace {

using Rows = std::initializer_list<std::pair<std::string, std::string>>;

TEST(Cp1252, EveryByteRoundTripsAndWhatHasNoCodeBecomesAQuestionMark) {
  EXPECT_EQ(Utf8ToCp1252(kDiameterSign), "\xD8");
  EXPECT_EQ(Cp1252ToUtf8("4\xD8" "16"), "4" + std::string(kDiameterSign) + "16");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // the euro, from the 0x80-0x9F block
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(one))) << byte;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << byte;
  }
  // U+2205 (empty set), a cut sequence, an overlong '/', a surrogate.
  for (const auto& [utf8, expected] : Rows{{"\xE2\x88\x85", "?"}, {"a\xC3", "a?"}, {"\xC0\xAF", "??"},
                                           {"\xED\xA0\x80", "???"}}) {
    EXPECT_EQ(Utf8ToCp1252(utf8), expected) << utf8;
  }
  EXPECT_TRUE(IsValidUtf8("\xC3\x98\xE2\x82\xAC\xF0\x9F\x98\x80"));
  for (const char* broken : {"\xD8", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(IsValidUtf8(broken)) << broken;
  }
}

// What the writer puts in a DXF value: Windows-1252, \U+XXXX for the rest, no line breaks.
TEST(DxfTextCodec, EncodesToCp1252WithEscapesAndNoLineBreaks) {
  for (const auto& [utf8, expected] : Rows{{"4\xC3\x98" "16", "4\xD8" "16"}, {"\xE2\x88\x85 5", "\\U+2205 5"},
                                           {"a\nb\r\nc", "a b  c"},
                                           {"\xF0\x9F\x98\x80", "?"}}) {  // beyond what \U+XXXX can say
    EXPECT_EQ(EncodeDxfText(utf8), expected) << utf8;
  }
}

TEST(DxfTextCodec, EncodingFollowsVersionThenCodePage) {
  EXPECT_EQ(DxfEncodingOf("AC1015", "ANSI_1252"), DxfTextEncoding::Cp1252);
  EXPECT_EQ(DxfEncodingOf("AC1009", "ANSI_1250"), DxfTextEncoding::Cp1252);
  EXPECT_EQ(DxfEncodingOf("AC1021", "ANSI_1252"), DxfTextEncoding::Utf8);
  EXPECT_EQ(DxfEncodingOf("AC1015", "UTF-8"), DxfTextEncoding::Utf8);
}

}  // namespace
}  // namespace tessaro
