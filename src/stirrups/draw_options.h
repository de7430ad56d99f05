// The two drawing options that change how stirrups and ties are laid out. Both start off;
// the window's option commands and the batch tool's flags set them.
#pragma once

namespace tessaro {

struct DrawOptions {
  // Split layout: two overlapping closed stirrups where the section allows it, and the
  // second (closer) set of detail offsets.
  bool option1 = false;
  // Tie style: true = tangent (legs tangent to the bars, hooks wrap them),
  // false = axis (legs through the bar axes, hooks beside the bars).
  bool option2 = false;
};

}  // namespace tessaro
