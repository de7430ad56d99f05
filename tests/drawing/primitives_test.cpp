// Tests of the entity primitives, the level and dimension annotations and the small
// numeric utilities that every drawing routine draws with.
#include "drawing/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "drawing_probe.h"
#include "platform/errors.h"

namespace tessaro {
namespace {

using test::ExpectLine;
using test::ExpectText;
using test::LinesOn;
using test::TextsOn;

struct PrimitivesTest : ::testing::Test {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{'.'}};
  void SetUp() override { drawing.SetCurrentLayer("Quote"); }
};

TEST_F(PrimitivesTest, TextTakesArialForAnEmptyStyleAndTheGivenStyleOtherwise) {
  AddText(canvas, 1, 2, 8, "a", 6);
  AddText(canvas, 1, 2, 8, "b", 6, "Standard");
  const auto texts = TextsOn(drawing, "Quote");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].style, "Arial");
  EXPECT_EQ(texts[1].style, "Standard");
}

TEST_F(PrimitivesTest, EntitiesGoOnTheCurrentLayer) {
  AddLine(canvas, 0, 0, 1, 1, 3);
  drawing.SetCurrentLayer("Ferri");
  AddCircle(canvas, 0, 0, 1, 3);
  AddArc(canvas, 0, 0, 1, 0, 90, 3);
  EXPECT_EQ(test::CountOn(drawing, "Quote"), 1u);
  EXPECT_EQ(test::CountOn(drawing, "Ferri"), 2u);
}

TEST_F(PrimitivesTest, NonFiniteCoordinateRaisesAndAddsNothing) {
  const Single inf = std::numeric_limits<Single>::infinity();
  EXPECT_THROW(AddLine(canvas, 0, 0, inf, 1, 3), RuntimeError);
  EXPECT_THROW(AddText(canvas, std::nanf(""), 0, 8, "x", 3), RuntimeError);
  EXPECT_EQ(drawing.EntityCount(), 0u);
}

TEST_F(PrimitivesTest, LevelMarkStrokesAndText) {
  // L = 7, W = 5 x 8 = 40, standing on (100, 350).
  DrawLevelMark(canvas, 100, 350, 3.5f, 8, 4);
  const auto lines = LinesOn(drawing, "Quote");
  ASSERT_EQ(lines.size(), 3u);
  ExpectLine(lines[0], 100, 350, 100, 357, 4, "vertical stroke");
  ExpectLine(lines[1], 100, 350, 107, 357, 4, "slanted stroke");
  ExpectLine(lines[2], 93, 357, 140, 357, 4, "top line");
  const auto texts = TextsOn(drawing, "Quote");
  ASSERT_EQ(texts.size(), 1u);
  ExpectText(texts[0], 100, 360.5, 8, "3.50 m", 4, "level text");
}

TEST_F(PrimitivesTest, LevelMarkTextOfZeroAndOfANegativeLevel) {
  DrawLevelMark(canvas, 0, 0, 0, 8, 4);
  DrawLevelMark(canvas, 0, 0, -1.25f, 8, 4);
  const auto texts = TextsOn(drawing, "Quote");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].value, "0.00 m");
  EXPECT_EQ(texts[1].value, "-1.25 m");
}

TEST_F(PrimitivesTest, LevelMarkUsesTheDecimalSeparatorOfTheCanvas) {
  canvas.numbers = NumberFormat{','};
  DrawLevelMark(canvas, 0, 0, 3.5f, 8, 4);
  EXPECT_EQ(TextsOn(drawing, "Quote").at(0).value, "3,50 m");
}

TEST_F(PrimitivesTest, HorizontalDimensionLinesInOrderAndLabel) {
  Single scale = 1;
  DrawHorizontalDimension(canvas, 10, 20, 50, 20, 4, scale, 6);
  const auto lines = LinesOn(drawing, "Quote");
  ASSERT_EQ(lines.size(), 7u);
  ExpectLine(lines[0], 10, 20, 50, 20, 4, "dimension line");
  ExpectLine(lines[1], 10, 18, 10, 22, 4, "start tick");
  ExpectLine(lines[2], 10, 20, 12, 21.5, 4, "start arrow, upper stroke");
  ExpectLine(lines[3], 10, 20, 12, 18.5, 4, "start arrow, lower stroke");
  ExpectLine(lines[4], 50, 18, 50, 22, 4, "end tick");
  ExpectLine(lines[5], 50, 20, 48, 21.5, 4, "end arrow, upper stroke");
  ExpectLine(lines[6], 50, 20, 48, 18.5, 4, "end arrow, lower stroke");
  const auto texts = TextsOn(drawing, "Quote");
  ASSERT_EQ(texts.size(), 1u);
  ExpectText(texts[0], 25, 22.5, 6, "40", 4, "dimension label");  // ((10+50)/2 - 5, 20 + 2.5)
}

TEST_F(PrimitivesTest, VerticalDimensionLinesInOrderAndLabel) {
  Single scale = 1;
  DrawVerticalDimension(canvas, 5, 0, 5, 30, 4, scale, 6);
  const auto lines = LinesOn(drawing, "Quote");
  ASSERT_EQ(lines.size(), 7u);
  ExpectLine(lines[0], 5, 0, 5, 30, 4, "dimension line");
  ExpectLine(lines[1], 3, 0, 7, 0, 4, "start tick");
  ExpectLine(lines[2], 5, 0, 3.5, 2, 4, "start arrow, left stroke");
  ExpectLine(lines[3], 5, 0, 6.5, 2, 4, "start arrow, right stroke");
  ExpectLine(lines[4], 3, 30, 7, 30, 4, "end tick");
  ExpectLine(lines[5], 5, 30, 3.5, 28, 4, "end arrow, left stroke");
  ExpectLine(lines[6], 5, 30, 6.5, 28, 4, "end arrow, right stroke");
  ExpectText(TextsOn(drawing, "Quote").at(0), 7, 12, 6, "30", 4, "dimension label");  // (5 + 2, 15 - 3)
}

TEST_F(PrimitivesTest, ZeroScaleLabelsTheTrueLengthAndBecomesOne) {
  Single horizontal = 0;
  Single vertical = 0;
  DrawHorizontalDimension(canvas, 0, 0, 37, 0, 4, horizontal, 6);
  DrawVerticalDimension(canvas, 0, 0, 0, 12, 4, vertical, 6);
  EXPECT_EQ(horizontal, 1);
  EXPECT_EQ(vertical, 1);
  const auto texts = TextsOn(drawing, "Quote");
  EXPECT_EQ(texts.at(0).value, "37");
  EXPECT_EQ(texts.at(1).value, "12");
}

TEST_F(PrimitivesTest, DimensionLabelIsTheScaledLengthRounded) {
  Single one = 1;
  Single two = 2;
  DrawHorizontalDimension(canvas, 0, 0, 12.6f, 0, 4, one, 6);  // 12.6 -> "13"
  DrawHorizontalDimension(canvas, 0, 0, 0.2f, 0, 4, one, 6);   // 0.2 rounds to 0 -> ""
  DrawHorizontalDimension(canvas, 0, 0, 3, 4, 4, two, 6);      // 2 x 5 (slanted, true length) -> "10"
  const auto texts = TextsOn(drawing, "Quote");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].value, "13");
  EXPECT_EQ(texts[1].value, "") << "a label that rounds to 0 is empty, but still drawn";
  EXPECT_EQ(texts[2].value, "10");
  EXPECT_EQ(test::LinesOn(drawing, "Quote").size(), 21u) << "a degenerate dimension still draws its 7 lines";
}

TEST(NumericUtilities, MinOfAndMaxOfReturnTheSecondArgumentOnATie) {
  // The two arguments are equal but distinguishable: 0.0 and -0.0 compare equal.
  EXPECT_TRUE(std::signbit(MinOf(0.0f, -0.0f)));
  EXPECT_FALSE(std::signbit(MinOf(-0.0f, 0.0f)));
  EXPECT_TRUE(std::signbit(MaxOf(0.0f, -0.0f)));
  EXPECT_EQ(MinOf(2, 2), 2);
  EXPECT_EQ(MinOf(1.5f, 2.0f), 1.5f);
  EXPECT_EQ(MaxOf(1.5f, 2.0f), 2.0f);
}

TEST(NumericUtilities, OffsetPointRoundsToSixDecimals) {
  const Point2 p = OffsetPoint({10, 20}, 0.12345678f, -0.0000004f);
  EXPECT_FLOAT_EQ(p[0], 10.123457f);
  EXPECT_FLOAT_EQ(p[1], 20.0f);
}

TEST(NumericUtilities, LineCoefficientsOfSlopedVerticalAndDegenerateLines) {
  const auto sloped = LineCoefficients({0, 1}, {2, 5});  // y = 2x + 1
  EXPECT_FLOAT_EQ(sloped[0], 2);
  EXPECT_FLOAT_EQ(sloped[1], 1);
  EXPECT_EQ(sloped[2], 1);
  const auto vertical = LineCoefficients({3, 0}, {3, 9});
  EXPECT_FLOAT_EQ(vertical[0], 3);
  EXPECT_EQ(vertical[1], 1);
  EXPECT_EQ(vertical[2], 0);
  const auto point = LineCoefficients({3, 4}, {3, 4});
  EXPECT_EQ(point, (std::array<Single, 3>{0, 0, 0}));
}

TEST(NumericUtilities, IntersectLinesCases) {
  // Two sloped lines: y = x and y = -x + 4 meet at (2, 2).
  const Point2 crossing = IntersectLines({0, 0}, {1, 1}, {0, 4}, {4, 0});
  EXPECT_FLOAT_EQ(crossing[0], 2);
  EXPECT_FLOAT_EQ(crossing[1], 2);
  // Horizontal at y = -8 with the vertical x = 176, in both orders.
  const Point2 a = IntersectLines({140, -8}, {180, -8}, {176, 300}, {176, 100});
  EXPECT_FLOAT_EQ(a[0], 176);
  EXPECT_FLOAT_EQ(a[1], -8);
  const Point2 b = IntersectLines({176, 300}, {176, 100}, {140, -8}, {180, -8});
  EXPECT_FLOAT_EQ(b[0], 176);
  EXPECT_FLOAT_EQ(b[1], -8);
  // Parallel sloped lines and two vertical lines give (0, 0).
  EXPECT_EQ(IntersectLines({0, 0}, {1, 1}, {0, 5}, {1, 6}), (Point2{0, 0}));
  EXPECT_EQ(IntersectLines({1, 0}, {1, 1}, {2, 0}, {2, 1}), (Point2{0, 0}));
}

TEST(NumericUtilities, IsEvenAndModuloOfFollowTheSignOfTheDividend) {
  EXPECT_TRUE(IsEven(0));
  EXPECT_TRUE(IsEven(-4));
  EXPECT_FALSE(IsEven(3));
  EXPECT_FALSE(IsEven(-3));
  EXPECT_EQ(ModuloOf(-7, 3), -1);
  EXPECT_EQ(ModuloOf(7, -3), 1);
  EXPECT_THROW(ModuloOf(5, 0), RuntimeError);
}

}  // namespace
}  // namespace tessaro
