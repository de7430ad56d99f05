// AutoCAD Color Index numbers as screen colours for a white background.
#pragma once

#include <QColor>

namespace tessaro::render {

// 1..9 are the standard colours with 7 (white/black) shown black; 10..249 are the 24 hues
// of 15 degrees with five shades each, full and half saturation; 250..255 are greys.
// 0 (by block), 256 (by layer) and anything out of range are black.
QColor AciColor(int aci);

// The screen's background. On white, colours too light to read (yellow, light greys,
// white itself) are darkened to a readable shade of their hue; on dark, black (colour 7)
// is drawn white, as CAD programs show it.
enum class Background { White, Dark };
QRgb BackgroundRgb(Background background);
QRgb ScreenRgb(QRgb color, Background background);

}  // namespace tessaro::render
