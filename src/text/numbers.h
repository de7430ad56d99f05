// Number conventions of the whole program, in one place: Singles are float, Integers are
// 16-bit with checked arithmetic, whole-number conversion rounds half to even, and numbers
// become text with the locale's decimal separator and the two drawing patterns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro {

using Single = float;
using Integer = std::int16_t;

// Checked 16-bit arithmetic; a result outside -32768..32767 raises ErrorKind::Overflow.
Integer CheckedAdd(Integer a, Integer b);
Integer CheckedSub(Integer a, Integer b);
Integer CheckedMul(Integer a, Integer b);

// Nearest whole number, a half to the even number, as a 16-bit Integer.
// Out of range raises Overflow; a non-finite value raises InvalidFloat.
Integer RoundHalfEven(double value);

// Rounds down (towards minus infinity), as a 16-bit Integer.
Integer FloorToInteger(double value);

// Narrows to a Single; a magnitude beyond float's range raises Overflow and a
// non-finite value raises InvalidFloat.
Single ToSingle(double value);

// Raises InvalidFloat unless the value is finite; returns it otherwise.
double CheckFinite(double value);

// a / b; b = 0 raises DivisionByZero (0 / 0 raises Overflow).
double Divide(double a, double b);

// Text to number. Blanks around the number are allowed and either '.' or ',' is the
// decimal separator; no thousands separators. Failure raises BadNumber.
double ParseDouble(std::string_view text);
Single ParseSingle(std::string_view text);
Integer ParseInteger(std::string_view text);  // rounds half to even, may raise Overflow
bool TryParseDouble(std::string_view text, double& out);

// How numbers become text. The decimal separator defaults to the user's locale.
struct NumberFormat {
  char decimalSeparator = '.';

  static NumberFormat UserLocale();
  static NumberFormat WithSeparator(char separator) { return NumberFormat{separator}; }
};

// The shortest text of a Single with up to 7 significant digits: 30 gives "30",
// 12.5 gives "12,5" with a comma separator, 1E+08 for large magnitudes.
std::string FormatSingle(double value, const NumberFormat& format);

// A whole number as text ("-3", "12").
std::string FormatInteger(long long value);

// Pattern "#0.00": two decimals, at least one integer digit (3.5 gives "3.50"). The value is
// first written as a decimal (a Single as its shortest text), then rounded half away from
// zero: 3.475f gives "3.48" and 1.005f "1.01", as a draftsman reads them.
std::string FormatFixed2(double value, const NumberFormat& format);

// A fixed number of decimals (0 to 6), halves away from zero, no "-0": the quantities
// of the bar schedule (3 decimals: 1.234 kg).
std::string FormatFixed(double value, int decimals, const NumberFormat& format);

// Pattern "####": rounded to a whole number; a value that rounds to 0 gives "".
std::string FormatWhole(double value);

}  // namespace tessaro
