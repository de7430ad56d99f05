// Builds the label texts of the closed-stirrup and tie-leg details.
#include "stirrups/stirrup_label.h"

#include "text/encoding.h"
#include "stirrups/single_math.h"

namespace tessaro {

std::string StirrupLabel(std::string_view spacer, std::optional<Integer> count, Single ds, Integer cutLength,
                         const NumberFormat& numbers) {
  std::string text(spacer);
  if (count) text += FormatInteger(*count);
  text += kDiameterSign;
  text += FormatSingle(single_math::Times(ds, 10), numbers);
  text += "   L = ";
  text += FormatInteger(cutLength);
  return text;
}

}  // namespace tessaro
