// The number conventions: checked 16-bit arithmetic, half-to-even rounding, lenient
// parsing with either decimal separator, and the drawing's number-to-text patterns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/errors.h"
#include "platform/numbers.h"

namespace tessaro {
namespace {

template <class F>
ErrorKind KindOf(F&& statement) {
  try {
    statement();
  } catch (const RuntimeError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no RuntimeError raised";
  return ErrorKind::BadFormat;
}

TEST(CheckedArithmetic, StaysExactInsideTheRange) {
  EXPECT_EQ(CheckedAdd(32766, 1), 32767);
  EXPECT_EQ(CheckedSub(-32767, 1), -32768);
  EXPECT_EQ(CheckedMul(-128, 256), -32768);
  EXPECT_EQ(CheckedMul(181, 181), 32761);
}

TEST(CheckedArithmetic, RaisesOverflowJustOutsideTheRange) {
  EXPECT_EQ(KindOf([] { CheckedAdd(32767, 1); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CheckedSub(-32768, 1); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CheckedMul(-128, -256); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CheckedMul(182, 181); }), ErrorKind::Overflow);
}

TEST(CInt, RoundsHalvesToTheEvenNumber) {
  const struct {
    double value;
    Integer expected;
  } rows[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {2.5001, 3}, {-0.4, 0}};
  for (const auto& row : rows) EXPECT_EQ(CInt(row.value), row.expected) << row.value;
}

TEST(CInt, AcceptsTheRangeEdgesAndRejectsBeyond) {
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768.5), -32768);  // the half goes to the even -32768
  EXPECT_EQ(KindOf([] { CInt(32767.5); }), ErrorKind::Overflow);  // would be 32768
  EXPECT_EQ(KindOf([] { CInt(-32768.51); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CInt(std::nan("")); }), ErrorKind::InvalidFloat);
  EXPECT_EQ(KindOf([] { CInt(INFINITY); }), ErrorKind::InvalidFloat);
}

TEST(IntOfAndCSng, FloorAndNarrowWithChecks) {
  EXPECT_EQ(IntOf(-1.5), -2);
  EXPECT_EQ(IntOf(2.99), 2);
  EXPECT_EQ(KindOf([] { IntOf(32768.0); }), ErrorKind::Overflow);
  EXPECT_EQ(CSng(12.7), 12.7f);
  EXPECT_EQ(KindOf([] { CSng(1e39); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CSng(std::nan("")); }), ErrorKind::InvalidFloat);
}

TEST(Divide, TellsZeroDivisorsApart) {
  EXPECT_DOUBLE_EQ(Divide(7.0, 2.0), 3.5);
  EXPECT_EQ(KindOf([] { Divide(1.0, 0.0); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(KindOf([] { Divide(0.0, 0.0); }), ErrorKind::Overflow);
}

TEST(ParseDouble, TakesEitherSeparatorAndSurroundingBlanks) {
  const struct {
    const char* text;
    double expected;
  } rows[] = {{"12.5", 12.5}, {"12,5", 12.5}, {"  -3,25 ", -3.25}, {"\t7\r\n", 7.0}, {"+4", 4.0},
              {"0,0", 0.0},   {".5", 0.5},    {"1e3", 1000.0},     {"-0.001", -0.001}};
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(ParseDouble(row.text), row.expected) << row.text;
}

TEST(ParseDouble, RejectsTextsThatAreNotOneNumber) {
  for (const char* text : {"", "   ", "abc", "1.2.3", "1,2.3", "1 000", "12a", "--1", "+-1", "-", "nan", "inf", "0x10"}) {
    double out = 0.0;
    EXPECT_FALSE(TryParseDouble(text, out)) << "'" << text << "'";
    EXPECT_EQ(KindOf([&] { ParseDouble(text); }), ErrorKind::TypeMismatch) << "'" << text << "'";
  }
}

TEST(ParseIntegerAndSingle, RoundAndCheckTheirRanges) {
  EXPECT_EQ(ParseInteger(" 2,5 "), 2);
  EXPECT_EQ(ParseInteger("3.5"), 4);
  EXPECT_EQ(KindOf([] { ParseInteger("40000"); }), ErrorKind::Overflow);
  EXPECT_EQ(ParseSingle("12,7"), 12.7f);
  EXPECT_EQ(KindOf([] { ParseSingle("1e40"); }), ErrorKind::Overflow);
}

TEST(FormatSingle, GivesTheShortestTextWithTheChosenSeparator) {
  const NumberFormat comma = NumberFormat::WithSeparator(',');
  const NumberFormat point = NumberFormat::WithSeparator('.');
  EXPECT_EQ(FormatSingle(30, comma), "30");
  EXPECT_EQ(FormatSingle(12.5, comma), "12,5");
  EXPECT_EQ(FormatSingle(12.5, point), "12.5");
  EXPECT_EQ(FormatSingle(16.0000002f, comma), "16");
  EXPECT_EQ(FormatSingle(0.1f, point), "0.1");
  EXPECT_EQ(FormatSingle(-0.0, point), "0");
  EXPECT_EQ(FormatSingle(1234567, point), "1234567");
  EXPECT_EQ(FormatSingle(1e8, point), "1E+08");
  EXPECT_EQ(FormatSingle(-2.54f, comma), "-2,54");
}

TEST(FormatFixed2, WritesTwoDecimalsAndAnIntegerDigit) {
  const NumberFormat point = NumberFormat::WithSeparator('.');
  EXPECT_EQ(FormatFixed2(3.5, point), "3.50");
  EXPECT_EQ(FormatFixed2(-1.25, point), "-1.25");
  EXPECT_EQ(FormatFixed2(0, point), "0.00");
  EXPECT_EQ(FormatFixed2(-0.001, point), "0.00");
  EXPECT_EQ(FormatFixed2(0.5, NumberFormat::WithSeparator(',')), "0,50");
  EXPECT_EQ(FormatFixed2(1234.567, point), "1234.57");
}

TEST(FormatFixed2AndWhole, HandleMagnitudesBeyondEveryIntegerType) {
  const NumberFormat point = NumberFormat::WithSeparator('.');
  const std::string big = FormatFixed2(1e300, point);
  EXPECT_EQ(big.size(), 304u);
  EXPECT_EQ(big.substr(0, 2), "10");
  EXPECT_EQ(big.substr(big.size() - 3), ".00");
  EXPECT_EQ(FormatWhole(1e20), "100000000000000000000");
  EXPECT_EQ(FormatWhole(-1e20), "-100000000000000000000");
  EXPECT_EQ(KindOf([] { FormatFixed2(INFINITY, NumberFormat{}); }), ErrorKind::InvalidFloat);
}

TEST(FormatWhole, RoundsAndLeavesZeroEmpty) {
  EXPECT_EQ(FormatWhole(12.6), "13");
  EXPECT_EQ(FormatWhole(0.4), "");
  EXPECT_EQ(FormatWhole(-0.4), "");
  EXPECT_EQ(FormatWhole(0.5), "1");
  EXPECT_EQ(FormatWhole(-7.5), "-8");
  EXPECT_EQ(FormatWhole(40000), "40000");
  EXPECT_EQ(KindOf([] { FormatWhole(std::nan("")); }), ErrorKind::InvalidFloat);
}

TEST(FormatInteger, WritesPlainDigits) {
  EXPECT_EQ(FormatInteger(-3), "-3");
  EXPECT_EQ(FormatInteger(12), "12");
}

}  // namespace
}  // namespace tessaro
