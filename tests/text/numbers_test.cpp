// The number conventions: checked 16-bit arithmetic, half-to-even rounding, lenient
// parsing with either decimal separator, and the drawing's number-to-text patterns.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "base/errors.h"
#include "text/numbers.h"

namespace tessaro {
namespace {

const NumberFormat kComma = NumberFormat::WithSeparator(',');
const NumberFormat kPoint = NumberFormat::WithSeparator('.');
const std::string kOverflow = "raises overflow";
const std::string kInvalid = "raises invalid floating-point result";
const std::string kMismatch = "raises not a number";

// A value as the shortest text that reads back the same, so that rows compare exactly.
std::string TextOf(const std::string& text) { return text; }
template <class Number>
std::string TextOf(Number value) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// What a statement gives: its value as text, or "raises <kind>".
template <class F>
std::string Outcome(F statement) {
  try {
    return TextOf(statement());
  } catch (const RuntimeError& e) {
    return std::string("raises ") + ErrorKindName(e.kind());
  }
}

template <class In, class F>
void ExpectOutcomes(F fn, std::initializer_list<std::pair<In, std::string>> rows) {
  for (const auto& [input, expected] : rows) EXPECT_EQ(Outcome([&] { return fn(input); }), expected) << input;
}

TEST(Numbers, ArithmeticAndConversionsStayExactInRangeAndRaiseBeyond) {
  EXPECT_EQ(Outcome([] { return CheckedAdd(32766, 1); }), "32767");
  EXPECT_EQ(Outcome([] { return CheckedAdd(32767, 1); }), kOverflow);
  EXPECT_EQ(Outcome([] { return CheckedSub(-32767, 1); }), "-32768");
  EXPECT_EQ(Outcome([] { return CheckedSub(-32768, 1); }), kOverflow);
  EXPECT_EQ(Outcome([] { return CheckedMul(-128, 256); }), "-32768");
  EXPECT_EQ(Outcome([] { return CheckedMul(-128, -256); }), kOverflow);
  // Conversions round halves to the even number and check the range afterwards.
  ExpectOutcomes<double>(RoundHalfEven, {{2.5, "2"}, {3.5, "4"}, {-2.5, "-2"}, {-3.5, "-4"}, {0.5, "0"}, {2.5001, "3"},
                        {-32768.5, "-32768"}, {32767.5, kOverflow}, {NAN, kInvalid}, {INFINITY, kInvalid}});
  ExpectOutcomes<double>(FloorToInteger, {{-1.5, "-2"}, {2.99, "2"}, {32768.0, kOverflow}});
  ExpectOutcomes<double>(ToSingle, {{12.7, "12.7"}, {1e39, kOverflow}, {NAN, kInvalid}});
  EXPECT_EQ(Outcome([] { return Divide(7, 2); }), "3.5");
  EXPECT_EQ(Outcome([] { return Divide(1, 0); }), "raises division by zero");
  EXPECT_EQ(Outcome([] { return Divide(0, 0); }), kOverflow);
}

TEST(Numbers, ParsingTakesEitherSeparatorAndBlanksAroundOneNumber) {
  ExpectOutcomes<const char*>(ParseDouble, {{"12.5", "12.5"}, {"12,5", "12.5"}, {"  -3,25 ", "-3.25"}, {"\t7\r\n", "7"},
                               {"+4", "4"}, {".5", "0.5"}, {"1e3", "1000"}, {"", kMismatch}, {"   ", kMismatch},
                               {"1.2.3", kMismatch}, {"1,2.3", kMismatch}, {"1 000", kMismatch}, {"12a", kMismatch},
                               {"+-1", kMismatch}, {"-", kMismatch}, {"nan", kMismatch}, {"0x10", kMismatch}});
  ExpectOutcomes<const char*>(ParseInteger, {{" 2,5 ", "2"}, {"3.5", "4"}, {"40000", kOverflow}});
  ExpectOutcomes<const char*>(ParseSingle, {{"12,7", "12.7"}, {"1e40", kOverflow}});
}

TEST(Numbers, FormatsGiveTheDrawingsTexts) {
  const auto single = [](double v) { return FormatSingle(v, kComma); };
  ExpectOutcomes<double>(single, {{30.0, "30"}, {12.5, "12,5"}, {16.0000002f, "16"}, {-0.0, "0"},
                          {1234567.0, "1234567"}, {1e8, "1E+08"}, {-2.54f, "-2,54"}});
  EXPECT_EQ(FormatSingle(0.1f, kPoint), "0.1");
  const auto fixed2 = [](double v) { return FormatFixed2(v, kPoint); };
  ExpectOutcomes<double>(fixed2, {{3.5, "3.50"}, {-1.25, "-1.25"}, {0.0, "0.00"}, {-0.001, "0.00"},
                          {1234.567, "1234.57"}, {1e20, "100000000000000000000.00"}, {INFINITY, kInvalid}});
  EXPECT_EQ(FormatFixed2(0.5, kComma), "0,50");
  // A level in cm as the drawing gives it, ToSingle(cm * 0.01): half centimetres round up.
  ExpectOutcomes<double>(fixed2, {{ToSingle(347.5 * 0.01), "3.48"}, {ToSingle(100.5 * 0.01), "1.01"},
                          {ToSingle(-347.5 * 0.01), "-3.48"}, {ToSingle(347.4 * 0.01), "3.47"}, {9.995f, "10.00"},
                          {99.999, "100.00"}, {0.004, "0.00"}, {0.005f, "0.01"}, {12.0f, "12.00"}});
  EXPECT_EQ(FormatFixed2(1e300, kPoint).size(), 304u);  // every digit, beyond every integer type
  const auto fixed3 = [](double v) { return FormatFixed(v, 3, kComma); };
  ExpectOutcomes<double>(fixed3, {{0.5879, "0,588"}, {12.0, "12,000"}, {-0.0001, "0,000"}, {0.0625, "0,063"},
                          {NAN, kInvalid}});
  EXPECT_EQ(FormatFixed(62.785, 0, kPoint), "63");
  EXPECT_THROW(FormatFixed(1, 7, kPoint), RuntimeError);
  ExpectOutcomes<double>(FormatWhole, {{12.6, "13"}, {0.4, ""}, {-0.4, ""}, {0.5, "1"}, {-7.5, "-8"},
                               {-1e20, "-100000000000000000000"}, {NAN, kInvalid}});
}

}  // namespace
}  // namespace tessaro
