// Flattening a drawing for painting: inserts placed (nested, arrays, mirrored, scaled
// unevenly), layer "0" and "by block" inherited, curves tessellated through their points, texts
// aligned, multi-line texts split, solid hatches filled, and the caps against block bombs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "base/problem_words.h"
#include "cad/extents.h"
#include "display/display_list.h"
#include "dxf/reader.h"

namespace tessaro {
namespace {

std::string Num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", std::abs(v) < 1e-6 ? 0.0 : v);
  return buffer;
}
std::string Pt(Point2d p) { return Num(p.x) + "," + Num(p.y); }

// One line per shape: kind, layer name, colour, and its points or arc or text.
std::string Describe(const Drawing& d, const DisplayList& list) {
  std::string out;
  for (const Shape& s : list.Shapes()) {
    static const char* kKinds[] = {"segment", "polyline", "arc", "text", "fill", "dot", "ray"};
    out += std::string(kKinds[static_cast<int>(s.kind)]) + " " + d.Layers()[s.layer].name + " " +
           (s.color.aci != 0 ? std::to_string(s.color.aci) : "#" + std::to_string(s.color.rgb)) + ":";
    if (s.kind == ShapeKind::Arc) {
      const ArcShape& a = list.Arc(s);
      out += " " + Pt(a.center) + " r" + Num(a.radius) + " " + Num(a.startAngle) + ".." + Num(a.endAngle);
    } else if (s.kind == ShapeKind::Text) {
      const TextShape& t = list.Text(s);
      out += " [" + t.value + "] " + Pt(t.position) + " h" + Num(t.height) + " rot" + Num(t.rotation) + " al" +
             std::to_string(static_cast<int>(t.hAlign)) + std::to_string(static_cast<int>(t.vAlign));
      if (t.fitWidth != 0) out += " fit" + Num(t.fitWidth);
      if (t.widthFactor != 1) out += " w" + Num(t.widthFactor);
    } else if (s.count <= 6) {
      for (const Point2d& p : list.PointsOf(s)) out += " " + Pt(p);
      if (s.closed && (s.kind == ShapeKind::Polyline || s.kind == ShapeKind::Ray)) out += " closed";
    } else {
      const auto points = list.PointsOf(s);
      out += " " + std::to_string(s.count) + " points " + Pt(points.front()) + " .. " + Pt(points.back());
      if (s.closed && s.kind == ShapeKind::Polyline) out += " closed";
    }
    out += "\n";
  }
  return out;
}

std::string Dxf(const std::string& entities, const std::string& blocks = "") {
  std::string text = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nRossi\n62\n1\n0\nLAYER\n2\nVerdi\n62\n"
                     "3\n420\n65280\n0\nENDTAB\n0\nENDSEC\n";
  if (!blocks.empty()) text += "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n";
  return text + "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::string Flatten(const std::string& dxf, std::size_t maxShapes = kMaxFlattenedShapes, bool* truncated = nullptr) {
  Drawing d;
  ReadDxfText(dxf, d, "test.dxf");
  const DisplayList list = FlattenDrawing(d, maxShapes);
  if (truncated != nullptr) *truncated = list.Truncated();
  return Describe(d, list);
}

// A block "B" with base (1,0): a line on layer 0 by block, an arc on Rossi by layer, a circle.
const std::string kBlockB =
    "0\nBLOCK\n2\nB\n10\n1\n20\n0\n0\nLINE\n8\n0\n62\n0\n10\n1\n20\n0\n11\n2\n21\n0\n"
    "0\nARC\n8\nRossi\n10\n1\n20\n0\n40\n1\n50\n0\n51\n90\n0\nCIRCLE\n8\n0\n10\n1\n20\n0\n40\n0.5\n0\nENDBLK\n";

TEST(Flatten, InsertsArePlacedWithTheirLayerAndColour) {
  const struct {
    const char* name;
    std::string insert;
    std::string expected;
  } cases[] = {
      {"moved and rotated", "0\nINSERT\n8\nVerdi\n62\n5\n2\nB\n10\n10\n20\n10\n50\n90\n",
       "segment Verdi 5: 10,10 10,11\narc Rossi 1: 10,10 r1 90..180\narc Verdi #65280: 10,10 r0.5 0..360\n"},
      {"mirrored", "0\nINSERT\n2\nB\n10\n0\n20\n0\n41\n-1\n",
       "segment 0 7: 0,0 -1,0\narc Rossi 1: 0,0 r1 90..180\narc 0 7: 0,0 r0.5 0..360\n"},
      {"scaled unevenly: the circle becomes an ellipse", "0\nINSERT\n2\nB\n41\n2\n42\n1\n",
       "segment 0 7: 0,0 2,0\npolyline Rossi 1: 25 points 2,0 .. 0,1\npolyline 0 7: 96 points 1,0 .. 0.9979,-0.0327 closed\n"},
      {"an array of two by two", "0\nINSERT\n2\nB\n70\n2\n71\n2\n44\n10\n45\n20\n",
       "segment 0 7: 0,0 1,0\narc Rossi 1: 0,0 r1 0..90\narc 0 7: 0,0 r0.5 0..360\n"
       "segment 0 7: 10,0 11,0\narc Rossi 1: 10,0 r1 0..90\narc 0 7: 10,0 r0.5 0..360\n"
       "segment 0 7: 0,20 1,20\narc Rossi 1: 0,20 r1 0..90\narc 0 7: 0,20 r0.5 0..360\n"
       "segment 0 7: 10,20 11,20\narc Rossi 1: 10,20 r1 0..90\narc 0 7: 10,20 r0.5 0..360\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Flatten(Dxf(c.insert, kBlockB)), c.expected);
  }
}

TEST(Flatten, NestedInsertsCyclesAndArraysStopInTime) {
  // C holds B twice, moved; A holds C at (100,0). A itself inserted once.
  const std::string blocks = kBlockB + "0\nBLOCK\n2\nC\n0\nINSERT\n2\nB\n10\n1\n0\nINSERT\n2\nB\n10\n1\n20\n5\n0\nENDBLK\n" +
                             "0\nBLOCK\n2\nA\n0\nINSERT\n2\nC\n10\n100\n0\nENDBLK\n";
  const std::string nested = Flatten(Dxf("0\nINSERT\n2\nA\n", blocks));
  EXPECT_EQ(nested.substr(0, nested.find('\n')), "segment 0 7: 101,0 102,0");
  EXPECT_NE(nested.find("segment 0 7: 101,5 102,5"), std::string::npos) << nested;

  // A cycle draws what is not part of it, once.
  const std::string cycle = "0\nBLOCK\n2\nX\n0\nPOINT\n0\nINSERT\n2\nY\n0\nENDBLK\n0\nBLOCK\n2\nY\n0\nINSERT\n2\nX\n0\nENDBLK\n";
  EXPECT_EQ(Flatten(Dxf("0\nINSERT\n2\nX\n", cycle)), "dot 0 7: 0,0\n");

  // An array of 65535 by 65535 inserts of a block of arrays: stopped at the cap, and said so.
  const std::string bomb = "0\nBLOCK\n2\nP\n0\nPOINT\n0\nENDBLK\n0\nBLOCK\n2\nQ\n0\nINSERT\n2\nP\n70\n65535\n71\n65535\n0\nENDBLK\n";
  bool truncated = false;
  const std::string shapes = Flatten(Dxf("0\nINSERT\n2\nQ\n70\n65535\n71\n65535\n", bomb), 1000, &truncated);
  EXPECT_TRUE(truncated);
  EXPECT_EQ(std::count(shapes.begin(), shapes.end(), '\n'), 1000);

  // Within the budget of expanded shapes: the references past it are counted, not walked,
  // reported, and model space drawn to its end (the point after the bomb).
  Drawing d;
  ReadDxfText(Dxf("0\nINSERT\n2\nQ\n70\n65535\n71\n65535\n0\nPOINT\n10\n7\n", bomb), d, "test.dxf");
  FlattenOptions budget;
  budget.maxExpandedShapes = 1000;
  const DisplayList capped = FlattenDrawing(d, budget);
  EXPECT_FALSE(capped.Truncated());
  EXPECT_EQ(capped.Shapes().size(), 1001u);
  ASSERT_EQ(ExpansionProblems(capped).size(), 1u);  // the rest of the first array, the other arrays
  EXPECT_EQ(DescribeProblem(ExpansionProblems(capped)[0]),
            "blocks expanded to their limit of 1000 shapes: 8589671449 more block references left out");

  // Blocks nested deeper than the limit are left out, counted and reported, not a stack overflow.
  std::string deep;
  for (int i = 0; i < 5000; ++i) {
    deep += "0\nBLOCK\n2\nD" + std::to_string(i) + "\n0\nPOINT\n0\nINSERT\n2\nD" + std::to_string(i + 1) + "\n0\nENDBLK\n";
  }
  Drawing nest;
  ReadDxfText(Dxf("0\nINSERT\n2\nD0\n", deep), nest, "test.dxf");
  const DisplayList dots = FlattenDrawing(nest);
  EXPECT_EQ(dots.Shapes().size(), 32u);
  EXPECT_EQ(dots.LeftOutReferences().tooDeep, 1u);
  ASSERT_EQ(ExpansionProblems(dots).size(), 1u);
  EXPECT_EQ(DescribeProblem(ExpansionProblems(dots)[0]), "1 block references nested deeper than 32 left out");
}

TEST(Flatten, CurvesTextsAndFills) {
  const struct {
    const char* name;
    std::string entities;
    std::string expected;
  } cases[] = {
      {"bulge of a half circle", "0\nLWPOLYLINE\n10\n0\n20\n0\n42\n1\n10\n2\n20\n0\n",
       "polyline 0 7: 33 points 0,0 .. 2,0\n"},
      {"closed polyline", "0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n10\n1\n20\n0\n10\n1\n20\n1\n",
       "polyline 0 7: 0,0 1,0 1,1 closed\n"},
      {"elliptical arc", "0\nELLIPSE\n10\n0\n20\n0\n11\n2\n21\n0\n40\n0.5\n41\n0\n42\n1.5707963\n",
       "polyline 0 7: 25 points 2,0 .. 0,1\n"},
      {"clamped spline ends on its end points",
       "0\nSPLINE\n71\n2\n40\n0\n40\n0\n40\n0\n40\n1\n40\n1\n40\n1\n10\n0\n20\n0\n10\n1\n20\n2\n10\n2\n20\n0\n",
       "polyline 0 7: 25 points 0,0 .. 2,0\n"},
      {"spline with broken knots still drawn", "0\nSPLINE\n71\n3\n40\n5\n40\n1\n10\n0\n20\n0\n10\n4\n20\n0\n",
       "polyline 0 7: 17 points 0,0 .. 4,0\n"},
      {"centred text", "0\nTEXT\n10\n0\n20\n0\n11\n5\n21\n5\n40\n2\n1\nA\n72\n1\n",
       "text 0 7: [A] 5,5 h2 rot0 al10\n"},
      {"middle text", "0\nTEXT\n11\n5\n21\n5\n40\n2\n1\nA\n72\n4\n73\n0\n", "text 0 7: [A] 5,5 h2 rot0 al12\n"},
      {"fit text", "0\nTEXT\n10\n0\n20\n0\n11\n0\n21\n8\n40\n2\n1\nAB\n72\n5\n",
       "text 0 7: [AB] 0,0 h2 rot90 al00 fit8\n"},
      {"multi-line text, attached at the middle centre",
       "0\nMTEXT\n10\n0\n20\n0\n40\n3\n71\n5\n1\n{\\fArial|b1;Uno}\\PDue\\P\\H2x;Tre\n",
       // Each line centred by its width; the line of twice the height steps 5/3 of its own height.
       "text 0 7: [Uno] -4.131,6 h3 rot0 al00\ntext 0 7: [Due] -3.825,1 h3 rot0 al00\n"
       "text 0 7: [Tre] -7.65,-9 h6 rot0 al00\n"},
      {"solid hatch with an island is one polygon",
       "0\nHATCH\n2\nSOLID\n70\n1\n91\n2\n92\n2\n72\n0\n73\n1\n93\n3\n10\n0\n20\n0\n10\n9\n20\n0\n10\n0\n20\n9\n97\n0\n"
       "92\n2\n72\n0\n73\n1\n93\n3\n10\n1\n20\n1\n10\n2\n20\n1\n10\n1\n20\n2\n97\n0\n",
       "fill 0 7: 9 points 0,0 .. 0,0\n"},
      {"pattern hatch is its boundary",
       "0\nHATCH\n2\nANSI31\n70\n0\n91\n1\n92\n1\n93\n2\n72\n1\n10\n0\n20\n0\n11\n4\n21\n0\n72\n1\n10\n4\n20\n0\n11\n0\n21\n0\n97\n0\n",
       "polyline 0 7: 0,0 4,0 4,0 0,0 closed\n"},
      {"solid corners in drawing order", "0\nSOLID\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n1\n13\n1\n23\n1\n",
       "fill 0 7: 0,0 1,0 1,1 0,1\n"},
      {"ray and xline by base and direction", "0\nRAY\n10\n5\n20\n0\n11\n0\n21\n3\n0\nXLINE\n10\n0\n20\n0\n11\n-2\n21\n0\n",
       "ray 0 7: 5,0 0,1\nray 0 7: 0,0 -1,0 closed\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Flatten(Dxf(c.entities)), c.expected);
  }
}

// Values at the ends of the range: every shape is made in one pass, none loops on an angle.
TEST(Flatten, ExtremeValuesEndAtOnce) {
  const std::string blocks = "0\nBLOCK\n2\nE\n0\nARC\n40\n1\n50\n1e308\n51\n-1e308\n0\nENDBLK\n";
  const std::string entities =
      "0\nINSERT\n2\nE\n41\n-1\n0\nINSERT\n2\nE\n41\n1e308\n42\n-1e308\n50\n1e308\n"
      "0\nARC\n40\n1\n50\n-1e308\n51\n1e308\n0\nELLIPSE\n11\n1\n40\n0.5\n41\n-1e308\n42\n1e308\n"
      "0\nLWPOLYLINE\n10\n0\n20\n0\n42\n1e308\n10\n1\n20\n0\n42\n-1e-308\n10\n2\n20\n0\n"
      "0\nHATCH\n70\n0\n91\n1\n92\n1\n93\n1\n72\n2\n10\n0\n20\n0\n40\n1\n50\n1e308\n51\n-1e308\n73\n0\n"
      "0\nSPLINE\n71\n99\n40\n1e308\n40\n-1e308\n10\n0\n20\n0\n10\n1e308\n20\n-1e308\n41\n0\n41\n-1\n";
  Drawing d;
  ReadDxfText(Dxf(entities, blocks), d, "test.dxf");
  const DisplayList list = FlattenDrawing(d);
  EXPECT_GE(list.Shapes().size(), 3u) << Describe(d, list);
  const auto box = DrawnExtents(d);
  ASSERT_TRUE(box.has_value());
  EXPECT_TRUE(std::isfinite(box->min.x) && std::isfinite(box->max.y)) << Describe(d, list);
}

// One measure of what is drawn: the extents of a drawing are the boxes of the shapes it
// flattens into (texts by the same estimated width), rays and xlines left out of both.
TEST(Flatten, ShapeBoxesMakeTheDrawnExtents) {
  const std::string blocks = "0\nBLOCK\n2\nB\n10\n1\n20\n1\n0\nTEXT\n10\n0\n20\n0\n40\n1\n1\nInside\n0\nENDBLK\n";
  const std::string entities =
      "0\nTEXT\n10\n0\n20\n0\n11\n40\n21\n0\n40\n2.5\n50\n30\n1\nRuotato\n72\n2\n"
      "0\nMTEXT\n10\n-20\n20\n10\n40\n3\n71\n9\n1\nUno\\Pdue righe\n"
      "0\nLWPOLYLINE\n10\n0\n20\n-5\n42\n1\n10\n10\n20\n-5\n"
      "0\nELLIPSE\n10\n50\n20\n0\n11\n3\n21\n4\n40\n0.5\n41\n0.3\n42\n4\n"
      "0\nSPLINE\n71\n3\n10\n0\n20\n20\n10\n5\n20\n30\n10\n10\n20\n10\n10\n15\n20\n25\n"
      "0\nINSERT\n2\nB\n10\n60\n20\n40\n41\n2\n42\n3\n"
      "0\nXLINE\n10\n0\n20\n0\n11\n1\n21\n1\n";
  Drawing d;
  ReadDxfText(Dxf(entities, blocks), d, "test.dxf");
  const DisplayList list = FlattenDrawing(d);
  std::optional<Extents> shapes;
  for (const Shape& s : list.Shapes()) {
    if (s.kind == ShapeKind::Ray) continue;
    if (!shapes) shapes = s.box;
    shapes->min = {std::min(shapes->min.x, s.box.min.x), std::min(shapes->min.y, s.box.min.y)};
    shapes->max = {std::max(shapes->max.x, s.box.max.x), std::max(shapes->max.y, s.box.max.y)};
  }
  const auto drawn = DrawnExtents(d);
  ASSERT_TRUE(shapes && drawn) << Describe(d, list);
  EXPECT_NEAR(drawn->min.x, shapes->min.x, 1e-9);
  EXPECT_NEAR(drawn->min.y, shapes->min.y, 1e-9);
  EXPECT_NEAR(drawn->max.x, shapes->max.x, 1e-9);
  EXPECT_NEAR(drawn->max.y, shapes->max.y, 1e-9);
}

}  // namespace
}  // namespace tessaro
