// Windows-1252 at the edges and UTF-8 inside, and the DXF text escapes built on them.
#include <gtest/gtest.h>

#include "platform/dxf_text.h"
#include "platform/encoding.h"

namespace tessaro {
namespace {

TEST(Cp1252, DiameterSignAndEuroRoundTrip) {
  EXPECT_EQ(Utf8ToCp1252(kDiameterSign), "\xD8");
  EXPECT_EQ(Cp1252ToUtf8("\xD8"), kDiameterSign);
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Cp1252ToUtf8("4\xD8" "16"), "4\xC3\x98" "16");
  EXPECT_EQ(Utf8ToCp1252("Pilastro \xC2\xB0 \xC3\xA8"), "Pilastro \xB0 \xE8");
}

TEST(Cp1252, EveryByteRoundTrips) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    const std::string utf8 = Cp1252ToUtf8(one);
    EXPECT_TRUE(IsValidUtf8(utf8)) << byte;
    EXPECT_EQ(Utf8ToCp1252(utf8), one) << byte;
  }
}

TEST(Cp1252, CharactersWithoutACodeAndBrokenUtf8BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("\xE2\x88\x85"), "?");  // U+2205 empty set
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");         // cut sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");      // overlong '/'
}

TEST(Utf8, ValidityCheck) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xC3\x98\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xD8"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

TEST(DxfTextCodec, EncodesToCp1252WithUnicodeEscapesForTheRest) {
  EXPECT_EQ(EncodeDxfText("4\xC3\x98" "16"), "4\xD8" "16");
  EXPECT_EQ(EncodeDxfText("\xE2\x88\x85 5"), "\\U+2205 5");
  EXPECT_EQ(EncodeDxfText("a\nb\r\nc"), "a b  c");
  EXPECT_EQ(EncodeDxfText("\xF0\x9F\x98\x80"), "?");  // beyond what \U+XXXX can say
  EXPECT_EQ(EncodeDxfText("?"), "?");
}

TEST(DxfTextCodec, DecodesCodePageEscapesAndControlCodes) {
  const auto cp1252 = DxfTextEncoding::Cp1252;
  EXPECT_EQ(DecodeDxfText("4\xD8" "16", cp1252), "4\xC3\x98" "16");
  EXPECT_EQ(DecodeDxfText("%%c12 %%C8", cp1252), "\xC3\x98" "12 \xC3\x98" "8");
  EXPECT_EQ(DecodeDxfText("30%%d %%p0.5 100%%%", cp1252), "30\xC2\xB0 \xC2\xB1" "0.5 100%");
  EXPECT_EQ(DecodeDxfText("\\U+00D8 \\U+2205", cp1252), "\xC3\x98 \xE2\x88\x85");
  EXPECT_EQ(DecodeDxfText("\\U+00G8 \\U+12 %%u", cp1252), "\\U+00G8 \\U+12 %%u");  // not escapes
  EXPECT_EQ(DecodeDxfText("4\xC3\x98" "16", DxfTextEncoding::Utf8), "4\xC3\x98" "16");
  EXPECT_EQ(DecodeDxfText("4\xD8" "16", DxfTextEncoding::Utf8), "4\xC3\x98" "16");  // not UTF-8 after all
}

TEST(DxfTextCodec, EveryEncodedTextDecodesToItself) {
  for (const char* text : {"4\xC3\x98" "16", "\xE2\x88\x85 \xE2\x82\xAC", "Staffe \xC3\x98" "8/20", ""}) {
    EXPECT_EQ(DecodeDxfText(EncodeDxfText(text), DxfTextEncoding::Cp1252), text);
  }
}

TEST(DxfTextCodec, EncodingFollowsVersionThenCodePage) {
  EXPECT_EQ(DxfEncodingOf("AC1015", "ANSI_1252"), DxfTextEncoding::Cp1252);
  EXPECT_EQ(DxfEncodingOf("AC1015", ""), DxfTextEncoding::Cp1252);
  EXPECT_EQ(DxfEncodingOf("AC1009", "ANSI_1250"), DxfTextEncoding::Cp1252);
  EXPECT_EQ(DxfEncodingOf("AC1021", "ANSI_1252"), DxfTextEncoding::Utf8);
  EXPECT_EQ(DxfEncodingOf("AC1032", ""), DxfTextEncoding::Utf8);
  EXPECT_EQ(DxfEncodingOf("AC1015", "UTF-8"), DxfTextEncoding::Utf8);
}

}  // namespace
}  // namespace tessaro
