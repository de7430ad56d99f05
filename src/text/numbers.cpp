#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <locale>

#include "base/errors.h"
#ifdef _WIN32
#include "os/windows_locale.h"
#endif

namespace tessaro {

namespace {

Integer ToInteger(long value, const char* what) {
  if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max()) {
    Raise(ErrorKind::Overflow, std::string(what) + " overflows a 16-bit Integer");
  }
  return static_cast<Integer>(value);
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string WithSeparator(std::string text, char separator) {
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

}  // namespace

Integer CheckedAdd(Integer a, Integer b) { return ToInteger(long{a} + b, "a sum"); }
Integer CheckedSub(Integer a, Integer b) { return ToInteger(long{a} - b, "a difference"); }
Integer CheckedMul(Integer a, Integer b) { return ToInteger(long{a} * b, "a product"); }

double CheckFinite(double value) {
  if (!std::isfinite(value)) Raise(ErrorKind::InvalidFloat, "a result is not a finite number");
  return value;
}

Integer RoundHalfEven(double value) {
  CheckFinite(value);
  if (value < -32768.5 || value >= 32767.5) Raise(ErrorKind::Overflow, "a value overflows a 16-bit Integer");
  return ToInteger(static_cast<long>(std::nearbyint(value)), "a rounded value");  // default mode: half to even
}

Integer FloorToInteger(double value) {
  CheckFinite(value);
  const double floored = std::floor(value);
  if (floored < -32768.0 || floored > 32767.0) Raise(ErrorKind::Overflow, "a value overflows a 16-bit Integer");
  return static_cast<Integer>(floored);
}

Single ToSingle(double value) {
  CheckFinite(value);
  if (std::fabs(value) > std::numeric_limits<float>::max()) Raise(ErrorKind::Overflow, "a value overflows a Single");
  return static_cast<Single>(value);
}

double Divide(double a, double b) {
  if (b == 0.0) {
    if (a == 0.0) Raise(ErrorKind::Overflow, "zero divided by zero");
    Raise(ErrorKind::DivisionByZero, "division by zero");
  }
  return CheckFinite(a / b);
}

bool TryParseDouble(std::string_view text, double& out) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  std::string normalized(text);
  int separators = 0;
  for (char& c : normalized) {
    if (c == ',' || c == '.') {
      c = '.';
      ++separators;
    }
  }
  if (separators > 1) return false;
  double value = 0.0;
  const char* first = normalized.data();
  const char* last = first + normalized.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return false;
  out = negative ? -value : value;
  return true;
}

double ParseDouble(std::string_view text) {
  double value = 0.0;
  if (!TryParseDouble(text, value)) Raise(ErrorKind::BadNumber, "'" + std::string(text) + "' is not a number");
  return value;
}

Single ParseSingle(std::string_view text) { return ToSingle(ParseDouble(text)); }

Integer ParseInteger(std::string_view text) { return RoundHalfEven(ParseDouble(text)); }

NumberFormat NumberFormat::UserLocale() {
#ifdef _WIN32
  // MinGW's C++ library has no locale but "C": the separator comes from Windows.
  return NumberFormat{UserDecimalSeparator().value_or('.')};
#else
  try {
    const std::locale user("");
    return NumberFormat{std::use_facet<std::numpunct<char>>(user).decimal_point()};
  } catch (const std::exception&) {
    return NumberFormat{};
  }
#endif
}

std::string FormatSingle(double value, const NumberFormat& format) {
  const float single = static_cast<float>(value);
  if (single == 0.0f) return "0";
  char buffer[48];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(single),
                                    std::chars_format::general, 7);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return WithSeparator(std::move(text), format.decimalSeparator);
}

std::string FormatInteger(long long value) { return std::to_string(value); }

// The value as the decimal a person reads: a Single's shortest text when the value is one
// (3.475f is 3.4749999 in binary but "3.475" as written), else the double's.
std::string ShortestDecimal(double value) {
  char buffer[400];  // the largest double has 309 digits before the point
  const bool fitsSingle = std::fabs(value) <= std::numeric_limits<float>::max();
  const float single = fitsSingle ? static_cast<float>(value) : 0.0f;
  const auto result = fitsSingle && static_cast<double>(single) == value
                          ? std::to_chars(buffer, buffer + sizeof buffer, single, std::chars_format::fixed)
                          : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

std::string FormatFixed2(double value, const NumberFormat& format) {
  CheckFinite(value);
  // Rounded half away from zero on the decimal digits, not on the binary value.
  std::string digits = ShortestDecimal(std::fabs(value));
  std::size_t point = digits.find('.');
  if (point == std::string::npos) {
    point = digits.size();
    digits += '.';
  }
  const bool up = digits.size() > point + 3 && digits[point + 3] >= '5';
  digits.resize(point + 3, '0');
  if (up) {
    std::size_t at = digits.size();
    for (;;) {
      if (at == 0) {
        digits.insert(digits.begin(), '1');
        break;
      }
      --at;
      if (digits[at] == '.') continue;
      if (digits[at] != '9') {
        ++digits[at];
        break;
      }
      digits[at] = '0';
    }
  }
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  if (value < 0 && !zero) digits.insert(digits.begin(), '-');  // no "-0.00"
  return WithSeparator(std::move(digits), format.decimalSeparator);
}

std::string FormatFixed(double value, int decimals, const NumberFormat& format) {
  CheckFinite(value);
  if (decimals < 0 || decimals > 6) Raise(ErrorKind::Overflow, "FormatFixed takes 0 to 6 decimals");
  const double scale = std::pow(10.0, decimals);
  double rounded = std::round(value * scale) / scale;  // halves away from zero
  if (rounded == 0.0) rounded = 0.0;                    // no "-0.000"
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
  return WithSeparator(std::string(buffer, result.ptr), format.decimalSeparator);
}

std::string FormatWhole(double value) {
  CheckFinite(value);
  const double rounded = std::round(value);  // halves away from zero
  if (rounded == 0.0) return "";
  char buffer[400];  // beyond long long too: the largest double has 309 digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 0);
  return std::string(buffer, result.ptr);
}

}  // namespace tessaro
