// How much of a picture is in colour: its pixels whose channels lie more than 60 apart (grey
// and black-and-white pictures have none). For the tests of the sheets' plot styles.
#pragma once

#include <QColor>
#include <QImage>
#include <algorithm>

namespace tessaro::test {

inline int ColouredPixels(const QImage& image) {
  int coloured = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
    }
  }
  return coloured;
}

}  // namespace tessaro::test
