// The ACI palette: a fixed table for the first nine numbers, the hue wheel computed from
// the index for the rest, so the table cannot drift from the rule it follows.
#include "render/aci_colors.h"

#include <array>

namespace tessaro::render {
namespace {

constexpr std::array<QRgb, 10> kStandard = {
    qRgb(0, 0, 0),        // 0 by block
    qRgb(255, 0, 0),      // 1 red
    qRgb(255, 255, 0),    // 2 yellow
    qRgb(0, 255, 0),      // 3 green
    qRgb(0, 255, 255),    // 4 cyan
    qRgb(0, 0, 255),      // 5 blue
    qRgb(255, 0, 255),    // 6 magenta
    qRgb(0, 0, 0),        // 7 white on black screens, black on ours
    qRgb(128, 128, 128),  // 8 dark grey
    qRgb(192, 192, 192),  // 9 light grey
};

constexpr std::array<QRgb, 6> kGreys = {qRgb(51, 51, 51),    qRgb(91, 91, 91),    qRgb(132, 132, 132),
                                        qRgb(173, 173, 173), qRgb(214, 214, 214), qRgb(255, 255, 255)};

// Brightness of the five shades of one hue (index ending 0-1, 2-3, ... 8-9).
constexpr std::array<double, 5> kShadeValue = {1.0, 0.65, 0.5, 0.3, 0.15};

QColor HueWheelColor(int aci) {
  const int hueStep = aci / 10 - 1;  // 0..23, 15 degrees apart, starting at red
  const int shade = (aci % 10) / 2;
  const bool halfSaturation = (aci % 2) == 1;
  return QColor::fromHsvF(static_cast<float>(hueStep * 15) / 360.0f, halfSaturation ? 0.5f : 1.0f,
                          static_cast<float>(kShadeValue[shade]));
}

}  // namespace

QColor AciColor(int aci) {
  if (aci >= 0 && aci <= 9) return QColor(kStandard[aci]);
  if (aci >= 10 && aci <= 249) return HueWheelColor(aci);
  if (aci >= 250 && aci <= 255) return QColor(kGreys[aci - 250]);
  return QColor(Qt::black);
}

QRgb BackgroundRgb(Background background) {
  return background == Background::Dark ? qRgb(33, 40, 48) : qRgb(255, 255, 255);
}

QRgb ScreenRgb(QRgb color, Background background) {
  const int r = qRed(color), g = qGreen(color), b = qBlue(color);
  if (background == Background::Dark) return r == 0 && g == 0 && b == 0 ? qRgb(255, 255, 255) : color;
  // Luma of the sRGB values, 0..255; above kReadableLuma a line on white is hard to see.
  constexpr double kReadableLuma = 150.0;
  const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
  if (luma <= kReadableLuma) return color;
  const double f = kReadableLuma / luma;
  return qRgb(static_cast<int>(r * f), static_cast<int>(g * f), static_cast<int>(b * f));
}

}  // namespace tessaro::render
