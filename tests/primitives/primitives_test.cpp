// Tests of the entity primitives, the level and dimension annotations and the small
// numeric utilities that every drawing routine draws with.
#include "primitives/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "drawing/drawing_probe.h"

namespace tessaro {
namespace {

using namespace test;

struct PrimitivesTest : ::testing::Test {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{'.'}};
  void SetUp() override { drawing.SetCurrentLayer("Quote"); }
  std::vector<Seen> Lines() const { return Read(drawing, "Quote", EntityType::Line); }
  std::vector<Seen> Texts() const { return Read(drawing, "Quote", EntityType::Text); }
};

// Standing on (100, 350) with height 8: a vertical and a slanted stroke of L = 7, the top
// line from x - L to x + 5 x 8, the text at y + L + 3.5 as "#0.00 m" with the canvas's
// decimal separator.
TEST_F(PrimitivesTest, LevelMarkStrokesAndTexts) {
  DrawLevelMark(canvas, 100, 350, 3.5f, 8, 4);
  ExpectInOrder(Lines(), 0, {{100, 350, 100, 357, 4}, {100, 350, 107, 357, 4}, {93, 357, 140, 357, 4}});
  const std::pair<Single, const char*> rows[] = {{3.5f, "3.50 m"}, {0, "0.00 m"}, {-1.25f, "-1.25 m"}};
  for (const auto& [level, text] : rows) {
    DrawLevelMark(canvas, 100, 350, level, 8, 4);
    ExpectInOrder({Texts().back()}, 0, {{100, 360.5, 8, 0, 4, text}});
  }
  canvas.numbers = NumberFormat{','};
  DrawLevelMark(canvas, 100, 350, 3.5f, 8, 4);
  EXPECT_EQ(Texts().back().text, "3,50 m");
}

// The line, then at each end a tick 4 across and two arrow strokes 2 along and 1.5 across;
// the label at (mid - 5, y + 2.5) is scale x true length rounded to a whole number, empty
// when that is 0; a scale of 0 labels the true length and is handed back as 1.
TEST_F(PrimitivesTest, DimensionLinesAndLabel) {
  Single scale = 1;
  DrawHorizontalDimension(canvas, 10, 20, 50, 20, 4, scale, 6);
  ExpectInOrder(Lines(), 0, {{10, 20, 50, 20, 4}, {10, 18, 10, 22, 4}, {10, 20, 12, 21.5, 4}, {10, 20, 12, 18.5, 4},
                             {50, 18, 50, 22, 4}, {50, 20, 48, 21.5, 4}, {50, 20, 48, 18.5, 4}});
  ExpectInOrder(Texts(), 0, {{25, 22.5, 6, 0, 4, "40"}});
  // From (0, 0) to (x2, y2) at a scale: the label and the scale handed back.
  const std::tuple<Single, Single, Single, const char*, Single> rows[] = {
      {37, 0, 0, "37", 1}, {12.6f, 0, 1, "13", 1}, {0.2f, 0, 1, "", 1}, {3, 4, 2, "10", 2}};
  for (const auto& [x2, y2, scaleIn, label, scaleAfter] : rows) {
    scale = scaleIn;
    DrawHorizontalDimension(canvas, 0, 0, x2, y2, 4, scale, 6);
    EXPECT_EQ(Texts().back().text, label) << "length " << x2 << ", " << y2 << " at scale " << scaleIn;
    EXPECT_EQ(scale, scaleAfter) << label;
  }
  EXPECT_EQ(drawing.EntityCount(), 5u * 8u) << "seven lines and the label each, even when degenerate";
}

TEST(NumericUtilities, TiesReturnTheSecondAndParallelLinesMeetAtTheOrigin) {
  // 0.0 and -0.0 compare equal but are told apart by their sign.
  EXPECT_TRUE(std::signbit(MinOf(0.0f, -0.0f)));
  EXPECT_TRUE(std::signbit(MaxOf(0.0f, -0.0f)));
  // y = x with y = 4 - x; horizontal with vertical; parallel; two verticals.
  const Point2 rows[][5] = {{{0, 0}, {1, 1}, {0, 4}, {4, 0}, {2, 2}},
                            {{140, -8}, {180, -8}, {176, 300}, {176, 100}, {176, -8}},
                            {{0, 0}, {1, 1}, {0, 5}, {1, 6}, {0, 0}},
                            {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 0}}};
  for (const auto& r : rows) {
    const Point2 got = IntersectLines(r[0], r[1], r[2], r[3]);
    EXPECT_TRUE(std::abs(got[0] - r[4][0]) < 1e-3 && std::abs(got[1] - r[4][1]) < 1e-3)
        << "row " << &r - rows << ": got (" << got[0] << ", " << got[1] << ")";
  }
}

}  // namespace
}  // namespace tessaro
