// AutoCAD Color Index numbers as screen colours for a white background.
#pragma once

#include <QColor>

namespace tessaro::render {

// 1..9 are the standard colours with 7 (white/black) shown black; 10..249 are the 24 hues
// of 15 degrees with five shades each, full and half saturation; 250..255 are greys.
// 0 (by block), 256 (by layer) and anything out of range are black.
QColor AciColor(int aci);

}  // namespace tessaro::render
