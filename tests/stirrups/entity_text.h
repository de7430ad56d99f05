// What the stirrup tests share: a drawing with its canvas, points as "(x, y)", and an
// entity-by-entity comparison in the lines of the shared entity lister.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/primitives.h"
#include "support/entity_list.h"

namespace tessaro::test {

struct Sheet {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
};

inline std::string Pt(Point2d p) { return "(" + Number(p.x) + ", " + Number(p.y) + ")"; }

// Compares entity by entity and names the first index that differs.
inline void ExpectEntities(const Drawing& actual, const std::vector<std::string>& expected) {
  const std::vector<std::string> lines = ListEntities(actual);
  for (std::size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    ASSERT_EQ(lines[i], expected[i]) << "entity " << i;
  }
  EXPECT_EQ(lines.size(), expected.size()) << "number of entities";
}

}  // namespace tessaro::test
