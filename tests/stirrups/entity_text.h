// Shared helpers of the stirrup tests: one readable line per drawing entity
// ("LINE c21 (9.15, 0)-(9.15, 40)") so a failing comparison names the stroke that differs,
// coordinates rounded to 1e-4 to hide float noise.
#pragma once

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/primitives.h"

namespace tessaro::test {

// A drawing with its canvas, the default number format.
struct Sheet {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
};

inline std::string Num(double v) {
  std::ostringstream text;
  text << std::round(v * 1e4) / 1e4 + 0.0;  // adding +0 turns -0 into 0
  return text.str();
}

inline std::string Pt(Point2d p) { return "(" + Num(p.x) + ", " + Num(p.y) + ")"; }

inline std::string Describe(const Drawing& d, const EntityHeader& e) {
  const std::string head = std::string(EntityTypeName(e.type)) + " c" + std::to_string(e.color) + " ";
  if (e.type == EntityType::Line) return head + Pt(d.Line(e).start) + "-" + Pt(d.Line(e).end);
  if (e.type == EntityType::Arc) {
    const ArcGeometry& a = d.Arc(e);
    return head + Pt(a.center) + " r" + Num(a.radius) + " " + Num(a.startAngle) + ".." + Num(a.endAngle);
  }
  if (e.type != EntityType::Text) return head;  // the stirrups draw no circles
  const TextGeometry& t = d.Text(e);
  return head + "h" + Num(t.height) + " " + Pt(t.position) + " \"" + t.value + "\" " + t.style;
}

inline std::vector<std::string> DescribeAll(const Drawing& d) {
  std::vector<std::string> lines;
  for (const EntityHeader& e : d.Entities()) lines.push_back(Describe(d, e));
  return lines;
}

// Compares entity by entity and names the first index that differs.
inline void ExpectEntities(const Drawing& actual, const std::vector<std::string>& expected) {
  const std::vector<std::string> lines = DescribeAll(actual);
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    ASSERT_EQ(lines[i], expected[i]) << "entity " << i;
  }
  EXPECT_EQ(lines.size(), expected.size()) << "number of entities";
}

}  // namespace tessaro::test
