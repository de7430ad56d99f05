// Checked Single arithmetic for the stirrup geometry: each result is the float that the
// operation gives, and a result outside float's range or not finite raises, so a broken
// coordinate or length stops the drawing instead of reaching a DXF file.
#pragma once

#include "text/numbers.h"

namespace tessaro::single_math {

// Widening both operands to double and narrowing once gives the correctly rounded float
// result (the exact sum or product of two floats fits a double), plus the range check.
inline Single Plus(Single a, double b) { return ToSingle(double{a} + b); }
inline Single Minus(Single a, double b) { return ToSingle(double{a} - b); }
inline Single Times(Single a, double b) { return ToSingle(double{a} * b); }

}  // namespace tessaro::single_math
