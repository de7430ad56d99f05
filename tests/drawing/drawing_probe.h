// Test helpers that read a drawing back layer by layer and compare entities with values
// worked out by hand, naming the entity that is wrong.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drawing.h"

namespace tessaro::test {

struct SeenLine {
  double x1, y1, x2, y2;
  int color;
};
struct SeenCircle {
  double x, y, r;
  int color;
};
struct SeenText {
  double x, y, height;
  std::string value;
  std::string style;
  int color;
};

// The entities of a layer in drawing order, from the entity numbered `from` on (so that a
// test can look only at what the last call added).
inline std::vector<EntityHeader> OnLayer(const Drawing& d, std::string_view layer, std::size_t from = 0) {
  std::vector<EntityHeader> out;
  const auto index = d.FindLayer(layer);
  if (!index) return out;
  const auto& all = d.Entities();
  for (std::size_t i = from; i < all.size(); ++i) {
    if (all[i].layer == *index) out.push_back(all[i]);
  }
  return out;
}

inline std::size_t CountOn(const Drawing& d, std::string_view layer, std::size_t from = 0) {
  return OnLayer(d, layer, from).size();
}

inline std::vector<SeenLine> LinesOn(const Drawing& d, std::string_view layer, std::size_t from = 0) {
  std::vector<SeenLine> out;
  for (const EntityHeader& e : OnLayer(d, layer, from)) {
    if (e.type != EntityType::Line) continue;
    const LineGeometry& g = d.Line(e);
    out.push_back({g.start.x, g.start.y, g.end.x, g.end.y, e.color});
  }
  return out;
}

inline std::vector<SeenCircle> CirclesOn(const Drawing& d, std::string_view layer, std::size_t from = 0) {
  std::vector<SeenCircle> out;
  for (const EntityHeader& e : OnLayer(d, layer, from)) {
    if (e.type != EntityType::Circle) continue;
    const CircleGeometry& g = d.Circle(e);
    out.push_back({g.center.x, g.center.y, g.radius, e.color});
  }
  return out;
}

inline std::vector<SeenText> TextsOn(const Drawing& d, std::string_view layer, std::size_t from = 0) {
  std::vector<SeenText> out;
  for (const EntityHeader& e : OnLayer(d, layer, from)) {
    if (e.type != EntityType::Text) continue;
    const TextGeometry& g = d.Text(e);
    out.push_back({g.position.x, g.position.y, g.height, g.value, g.style, e.color});
  }
  return out;
}

inline std::vector<std::string> LayerNames(const Drawing& d) {
  std::vector<std::string> names;
  for (const Layer& l : d.Layers()) names.push_back(l.name);
  return names;
}

inline std::string Show(const SeenLine& l) {
  std::ostringstream s;
  s << "(" << l.x1 << ", " << l.y1 << ")-(" << l.x2 << ", " << l.y2 << ") colour " << l.color;
  return s.str();
}

constexpr double kTol = 1e-3;

inline bool Near(double a, double b) { return a - b < kTol && b - a < kTol; }

// `what` names the entity in the failure message ("outline line 3", "joint stirrup 2").
inline void ExpectLine(const SeenLine& got, double x1, double y1, double x2, double y2, int color,
                       const std::string& what) {
  const bool same = Near(got.x1, x1) && Near(got.y1, y1) && Near(got.x2, x2) && Near(got.y2, y2) && got.color == color;
  EXPECT_TRUE(same) << what << ": got " << Show(got) << ", expected " << Show({x1, y1, x2, y2, color});
}

inline void ExpectCircle(const SeenCircle& got, double x, double y, double r, int color, const std::string& what) {
  EXPECT_TRUE(Near(got.x, x) && Near(got.y, y) && Near(got.r, r) && got.color == color)
      << what << ": got centre (" << got.x << ", " << got.y << ") r " << got.r << " colour " << got.color
      << ", expected (" << x << ", " << y << ") r " << r << " colour " << color;
}

inline void ExpectText(const SeenText& got, double x, double y, double height, const std::string& value, int color,
                       const std::string& what) {
  EXPECT_EQ(got.value, value) << what;
  EXPECT_TRUE(Near(got.x, x) && Near(got.y, y) && Near(got.height, height) && got.color == color)
      << what << " '" << got.value << "': got (" << got.x << ", " << got.y << ") height " << got.height << " colour "
      << got.color << ", expected (" << x << ", " << y << ") height " << height << " colour " << color;
  EXPECT_EQ(got.style, "Arial") << what;
}

}  // namespace tessaro::test
