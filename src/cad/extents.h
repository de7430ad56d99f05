// The one extents of a drawing: the box of what it draws. The zoom to the whole drawing,
// the DXF header ($EXTMIN, $EXTMAX) and the framing of a drawing in a picture all take it
// from here.
#pragma once

#include <optional>

#include "cad/drawing.h"

namespace tessaro {

// The box of everything model space draws, whatever the layer states: curves by the points
// they are drawn through (an arc by its own sweep, a bulge by its arc), texts by the box the
// flattening gives them (cad/text_layout.h: the estimated width, not the insertion point),
// inserts and dimensions through their blocks, each block measured once and placed as a
// box: exact for a block moved and scaled, a little wider than what it draws for one turned;
// a text in a mirrored block counts mirrored, as it is drawn. XLINEs and RAYs run without
// end and count for nothing, as do empty blocks and a shape with a coordinate that is not a
// finite number (nothing draws it). Nothing when nothing is drawn.
std::optional<Extents> DrawnExtents(const Drawing& drawing);

}  // namespace tessaro
