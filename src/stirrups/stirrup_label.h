// The label texts of the stirrup details: spacer, count, diameter sign, diameter in mm
// and cut length, as the plant floor reads them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/numbers.h"

namespace tessaro {

// spacer [count] Ø <ds × 10> "   L = " <cutLength>; `ds` in cm, written in mm without
// trailing zeros (0.8 gives 8).
std::string StirrupLabel(std::string_view spacer, std::optional<Integer> count, Single ds, Integer cutLength,
                         const NumberFormat& numbers);

}  // namespace tessaro
