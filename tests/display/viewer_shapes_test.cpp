// The pieces the view draws real drawings with: dashes by line type, hatch pattern lines,
// wide polylines and MTEXT wrapped to its width.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "display/hatch_pattern.h"
#include "display/line_pattern.h"
#include "cad/mtext_layout.h"
#include "display/wide_polyline.h"

namespace tessaro {
namespace {

double InkLength(const DashedPath& d) {
  double length = 0;
  for (const auto& run : d.runs) {
    for (std::size_t i = 1; i < run.size(); ++i) length += std::hypot(run[i].x - run[i - 1].x, run[i].y - run[i - 1].y);
  }
  return length;
}

TEST(LinePattern, DashesRunOnAcrossCornersAndScale) {
  struct Case {
    const char* what;
    std::vector<Point2d> path;
    bool closed;
    std::vector<double> pattern;
    double scale;
    std::size_t runs, dots;
    double ink;
  };
  const std::vector<Case> cases = {
      {"dash 2 gap 1 on 10", {{0, 0}, {10, 0}}, false, {2, -1}, 1, 4, 0, 7},
      {"scaled by 2", {{0, 0}, {10, 0}}, false, {2, -1}, 2, 2, 0, 8},
      // 3 + 3 along an L: the second dash turns the corner at (3,0)... runs (0..2),(3..5 over the corner)
      {"across a corner", {{0, 0}, {4, 0}, {4, 4}}, false, {2, -1}, 1, 3, 0, 6},
      {"dots and gaps", {{0, 0}, {4, 0}}, false, {0, -1}, 1, 0, 5, 0},
      {"closed square", {{0, 0}, {4, 0}, {4, 4}, {0, 4}}, true, {3, -1}, 1, 4, 0, 12},
  };
  for (const Case& c : cases) {
    const auto d = DashPath(c.path, c.closed, c.pattern, c.scale);
    ASSERT_TRUE(d) << c.what;
    EXPECT_EQ(d->runs.size(), c.runs) << c.what;
    EXPECT_EQ(d->dots.size(), c.dots) << c.what;
    EXPECT_NEAR(InkLength(*d), c.ink, 1e-9) << c.what;
  }
  // The dash over the corner keeps its corner point: it is one run of three points.
  const auto corner = DashPath(std::vector<Point2d>{{0, 0}, {4, 0}, {4, 4}}, false, std::vector<double>{2, -1}, 1);
  EXPECT_EQ(corner->runs[1].size(), 3u);
  // Continuous: an empty or zero pattern, a bad scale, or a pattern too fine for the path.
  const std::vector<Point2d> line{{0, 0}, {1e6, 0}};
  EXPECT_FALSE(DashPath(line, false, std::vector<double>{}, 1));
  EXPECT_FALSE(DashPath(line, false, std::vector<double>{0, 0}, 1));
  EXPECT_FALSE(DashPath(line, false, std::vector<double>{1, -1}, NAN));
  EXPECT_FALSE(DashPath(line, false, std::vector<double>{1, -1}, 1e-3));
}

TEST(HatchPattern, LinesStayInsideTheBoundaryAndOutOfIslands) {
  const std::vector<std::vector<Point2d>> square = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
  const std::vector<std::vector<Point2d>> holed = {square[0], {{4, 4}, {6, 4}, {6, 6}, {4, 6}}};
  const HatchPatternLine horizontal{0, {0, 0.5}, {0, 1}, {}};
  const HatchPatternLine dashed{0, {0, 0.5}, {0, 1}, {1, -1}};
  const HatchPatternLine diagonal{45, {0, 0}, {-std::sqrt(0.5), std::sqrt(0.5)}, {}};
  struct Case {
    const char* what;
    std::vector<std::vector<Point2d>> loops;
    HatchPatternLine line;
    double ink;
  };
  const std::vector<Case> cases = {
      {"ten rows across a square", square, horizontal, 100},
      {"an island leaves its rows' middle empty", holed, horizontal, 100 - 2 * 2},
      {"dashes half the rows", square, dashed, 50},
      {"diagonals cover the square's area / spacing", square, diagonal, 100},
  };
  for (const Case& c : cases) {
    const std::vector<HatchPatternLine> lines{c.line};
    const auto d = HatchPatternDashes(c.loops, lines);
    ASSERT_TRUE(d) << c.what;
    EXPECT_NEAR(InkLength(*d), c.ink, 0.05 * c.ink) << c.what;
    for (const auto& run : d->runs) {
      for (const Point2d& p : run) {
        EXPECT_TRUE(p.x >= -1e-9 && p.x <= 10 + 1e-9 && p.y >= -1e-9 && p.y <= 10 + 1e-9) << c.what;
      }
    }
  }
  // A pattern too fine for its area is refused (the caller draws the boundary).
  const std::vector<HatchPatternLine> fine{HatchPatternLine{0, {0, 0}, {0, 1e-6}, {}}};
  EXPECT_FALSE(HatchPatternDashes(square, fine));
}

double Area(const std::vector<Point2d>& p) {
  double a = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const Point2d& u = p[i];
    const Point2d& v = p[(i + 1) % p.size()];
    a += u.x * v.y - v.x * u.y;
  }
  return std::abs(a) / 2;
}

TEST(WidePolyline, BandsFollowWidthsAndBulges) {
  struct Case {
    const char* what;
    std::vector<PolylineVertex> v;
    bool closed;
    std::vector<VertexWidth> widths;
    double constant;
    double bandArea;  // of the segments' bands (corners apart)
  };
  const double pi = 3.14159265358979;
  const std::vector<Case> cases = {
      {"constant width", {{{0, 0}, 0}, {{10, 0}, 0}}, false, {}, 2, 20},
      {"an arrow tapering to a point", {{{0, 0}, 0}, {{10, 0}, 0}}, false, {{2, 0}, {0, 0}}, 0, 10},
      // Two half circles of radius 1, width 1: a ring from radius 0.5 to 1.5.
      {"a dot of two bulges", {{{0, 0}, 1}, {{2, 0}, 1}}, true, {}, 1, pi * (1.5 * 1.5 - 0.5 * 0.5)},
      {"no width: nothing to fill", {{{0, 0}, 0}, {{10, 0}, 0}}, false, {}, 0, 0},
  };
  for (const Case& c : cases) {
    const auto fills = WidePolylineFills(c.v, c.closed, c.widths, c.constant);
    double area = 0;
    for (const auto& f : fills) {
      if (f.size() > 3) area += Area(f);  // the corners' triangles apart
    }
    EXPECT_NEAR(area, c.bandArea, 0.01 * std::max(1.0, c.bandArea)) << c.what;
    EXPECT_EQ(HasWidth(c.widths, c.constant), c.bandArea > 0) << c.what;
  }
}

TEST(MTextLayout, WrapsAtSpacesToItsWidthAndHonoursCodes) {
  const EstimatedTextMetrics metrics;
  const auto lay = [&](const char* value, double width) {
    MTextGeometry m;
    m.height = 1;
    m.width = width;
    m.value = value;
    return LayoutMText(m, FontFace{}, metrics);
  };
  const auto lineText = [](const MTextLine& line) {
    std::string s;
    for (const MTextRun& r : line.runs) s += r.text;
    return s;
  };
  struct Case {
    const char* what;
    const char* value;
    double width;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"no width: paragraphs only", "aaa bbb ccc\\Pddd", 0, {"aaa bbb ccc", "ddd"}},
      {"wrapped at spaces", "aaa bbb ccc", 7, {"aaa bbb", "ccc"}},
      {"a word wider than the column stands alone", "aaaaaaaaaaaa b", 3, {"aaaaaaaaaaaa", "b"}},
      {"formatting codes are not text", "{\\fArial|b1;aaa} {\\C1;bbb}", 0, {"aaabbb"}},
      {"a stacked fraction: its two parts", "x \\S1/2;", 0, {"x12"}},
      {"codes of alignment, width, slant, tracking and indents", "\\A1;\\W0.8;\\Q15;\\T1.1;\\pxi-3,l3;x", 0, {"x"}},
      {"escaped braces and backslash; an unended code takes the rest", "\\\\\\{\\}\\fArial", 0, {"\\{}"}},
  };
  for (const Case& c : cases) {
    const MTextLayout l = lay(c.value, c.width);
    ASSERT_EQ(l.lines.size(), c.lines.size()) << c.what;
    for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(lineText(l.lines[i]), c.lines[i]) << c.what;
    for (const MTextLine& line : l.lines) {
      if (c.width > 0 && line.runs.size() > 1) {
        EXPECT_LE(line.width, c.width * 1.001) << c.what;
      }
    }
  }
  const MTextLayout styled = lay("{\\fArial|b1|i1;B}{\\C1;R}{\\H2x;T}", 0);
  ASSERT_EQ(styled.lines[0].runs.size(), 3u);
  EXPECT_TRUE(styled.lines[0].runs[0].face.bold && styled.lines[0].runs[0].face.italic);
  EXPECT_EQ(styled.lines[0].runs[1].aci, std::optional<std::int16_t>(1));
  EXPECT_DOUBLE_EQ(styled.lines[0].runs[2].height, 2.0);
  // Lines step 5/3 of the height; the first baseline hangs one height below the top.
  const MTextLayout two = lay("a\\Pb", 0);
  EXPECT_DOUBLE_EQ(two.lines[0].baseline, 1.0);
  EXPECT_NEAR(two.lines[1].baseline - two.lines[0].baseline, 5.0 / 3.0, 1e-12);
  EXPECT_EQ(FaceOfFont("arialbd.ttf"), (FontFace{"Arial", true, false}));
  EXPECT_EQ(FaceOfFont("romans.shx"), FontFace{});
}

}  // namespace
}  // namespace tessaro
