// One readable line per drawing entity ("LINE c21 (9.15, 0)-(9.15, 40)"), so that a failing
// comparison names the stroke that differs; coordinates are rounded to 1e-4 to hide float noise.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/drawing.h"

namespace tessaro::test {

inline std::string Num(double v) {
  double r = std::round(v * 1e4) / 1e4;
  if (r == 0) r = 0;  // no "-0"
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", r);
  return buffer;
}

inline std::string Pt(Point2d p) { return "(" + Num(p.x) + ", " + Num(p.y) + ")"; }

inline std::string Describe(const Drawing& d, const EntityHeader& e) {
  const std::string head = std::string(EntityTypeName(e.type)) + " c" + std::to_string(e.color) + " ";
  switch (e.type) {
    case EntityType::Line:
      return head + Pt(d.Line(e).start) + "-" + Pt(d.Line(e).end);
    case EntityType::Arc: {
      const ArcGeometry& a = d.Arc(e);
      return head + Pt(a.center) + " r" + Num(a.radius) + " " + Num(a.startAngle) + ".." + Num(a.endAngle);
    }
    case EntityType::Circle:
      return head + Pt(d.Circle(e).center) + " r" + Num(d.Circle(e).radius);
    case EntityType::Text: {
      const TextGeometry& t = d.Text(e);
      return head + "h" + Num(t.height) + " " + Pt(t.position) + " \"" + t.value + "\" " + t.style;
    }
  }
  return head;
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
    EXPECT_EQ(lines[i], expected[i]) << "entity " << i;
  }
  EXPECT_EQ(lines.size(), expected.size()) << "number of entities";
}

inline void ExpectSameDrawing(const Drawing& actual, const Drawing& expected) {
  ExpectEntities(actual, DescribeAll(expected));
}

// "LINE LINE ARC ..." of the entities from `from` on.
inline std::string TypeSequence(const Drawing& d, std::size_t from = 0) {
  std::string s;
  for (std::size_t i = from; i < d.Entities().size(); ++i) {
    if (!s.empty()) s += ' ';
    s += EntityTypeName(d.Entities()[i].type);
  }
  return s;
}

}  // namespace tessaro::test
