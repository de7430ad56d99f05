// Test helpers that read a drawing back layer by layer and compare entities with values
// worked out by hand, and the small hand-made column pieces the piece view tests draw.
//
// The base piece: section 40 x 38 (Side1 x Side2), cover 4, bars 3Ø16 on side 1 and
// 2Ø16 on side 2, stirrups 2Ø8 both ways, end zone 60 at spacing 10, middle spacing 20,
// EndValue 100, stack 7, levels 0 to 300, no seat steps. Worked out once by hand:
//   view 1: W = 40, D = 38, x0 = 630, y0 = 0 + 300 x 0.4 = 120, x1 = 670, y1 = 158,
//           bar axes xi0 = 634, xi1 = 666, yi0 = 124, yi1 = 154,
//           sx = (666 - 634) / (3 - 1) = 16, sy = (154 - 124) / (2 + 1) = 10,
//           X0 = 140, X1 = 180, X2 = 2 x 140 + 40 = 320, Lh = min(40, 38) - 15 = 23,
//           bars at x = 144, 160, 176, from B - h = 0 - (100 - 3) = -97;
//   view 2: W = 38, D = 40, n1 = 2 without corners: sx = (38 - 8) / (2 + 1) = 10,
//           X0 = 140 + 1350 = 1490, bars i = 0..3 at x = 1494, 1504, 1514, 1524.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/piece_view.h"

namespace tessaro::test {

// One entity read back, in drawing units: a line from (x, y) to (x2, y2); a circle at
// (x, y) with radius x2; a text at (x, y) with height x2 saying `text`.
struct Seen {
  double x, y, x2, y2;
  int color;
  std::string text = "";
};

inline bool Same(const Seen& a, const Seen& b) {
  const auto near = [](double p, double q) { return std::abs(p - q) < 1e-3; };
  return near(a.x, b.x) && near(a.y, b.y) && near(a.x2, b.x2) && near(a.y2, b.y2) && a.color == b.color &&
         a.text == b.text;
}

inline std::ostream& operator<<(std::ostream& o, const Seen& e) {
  return o << "(" << e.x << ", " << e.y << ", " << e.x2 << ", " << e.y2 << ") colour " << e.color << " '" << e.text
           << "'";
}

// The entities of one type on a layer in drawing order, from the entity numbered `from` on
// (so that a test can look only at what the last call added).
inline std::vector<Seen> Read(const Drawing& d, std::string_view layer, EntityType type, std::size_t from = 0) {
  std::vector<Seen> out;
  const auto index = d.FindLayer(layer);
  for (std::size_t i = from; index && i < d.Entities().size(); ++i) {
    const EntityHeader& e = d.Entities()[i];
    if (e.layer != *index || e.type != type) continue;
    if (type == EntityType::Line) {
      const LineGeometry& g = d.Line(e);
      out.push_back({g.start.x, g.start.y, g.end.x, g.end.y, e.color, ""});
    } else if (type == EntityType::Circle) {
      out.push_back({d.Circle(e).center.x, d.Circle(e).center.y, d.Circle(e).radius, 0, e.color, ""});
    } else {
      const TextGeometry& g = d.Text(e);
      out.push_back({g.position.x, g.position.y, g.height, 0, e.color, g.value});
    }
  }
  return out;
}

inline std::size_t CountOn(const Drawing& d, std::string_view layer) {
  const auto index = d.FindLayer(layer);
  std::size_t n = 0;
  for (const EntityHeader& e : d.Entities()) n += index == e.layer;
  return n;
}

// got[from], got[from + 1], ... are the entities of `want`, in that order.
inline void ExpectInOrder(const std::vector<Seen>& got, std::size_t from, const std::vector<Seen>& want) {
  ASSERT_GE(got.size(), from + want.size()) << "too few entities";
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_TRUE(Same(got[from + i], want[i])) << "entity " << from + i << ": got " << got[from + i] << ", expected "
                                              << want[i];
  }
}

// Each entity of `want` is somewhere among `got`, where the drawing order is not the point.
inline void ExpectPresent(const std::vector<Seen>& got, const std::vector<Seen>& want) {
  for (const Seen& w : want) {
    bool found = false;
    for (const Seen& g : got) found = found || Same(g, w);
    EXPECT_TRUE(found) << "missing: " << w;
  }
}

// Piece `index` of the stack (code 0 only, 1 first, 2 middle, 3 last) from `bottom` to `top`.
// `changed`: the section of this piece differs from that of the piece below.
inline PieceViewArgs BaseView1(Integer code = 0, Integer index = 0, Single bottom = 0, Single top = 300,
                               bool changed = false) {
  return PieceViewArgs{.stackId = 7, .pieceNumber = CheckedAdd(index, 1), .pieceCode = code,
                       .width = 40, .depth = 38, .bottomLevel = bottom, .topLevel = top,
                       .barsWidth = {3, 1.6f}, .barsDepth = {2, 1.6f}, .endZoneLength = 60, .endSpacing = 10,
                       .midSpacing = 20, .stirrups = {2, 0.8f}, .otherStirrups = {2, 0.8f}, .cover = 4,
                       .pieceIndex = index, .endValue = 100, .sectionChanged = changed};
}

inline PieceViewArgs BaseView2(Integer code = 0, Integer index = 0, Single bottom = 0, Single top = 300) {
  PieceViewArgs a = BaseView1(code, index, bottom, top);
  a.viewOffset = 1350;
  a.width = 38;
  a.depth = 40;
  std::swap(a.barsWidth, a.barsDepth);
  a.firstView = a.drawSection = a.cornersOnWidth = false;
  return a;
}

inline PieceViewArgs Stepped(PieceViewArgs a, Single left, Single right) {
  a.insetLeft = left;
  a.insetRight = right;
  return a;
}

// A drawing, the state of the views and the per-stack arrays, as the stack load keeps them.
struct PieceRun {
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{'.'}};
  PieceViewState state;
  std::vector<Single> side1{40, 0};
  std::vector<Single> side2{38, 0};
  std::vector<Single> tops{300, 0};
  std::size_t mark = 0;  // entity count before the last call

  // Draws one view of a piece and gives back the arguments as the call left them.
  PieceViewArgs Draw(PieceViewArgs args) {
    mark = drawing.EntityCount();
    const auto last = static_cast<Single>(tops.size()) - 1;
    DrawPieceView(canvas, state, DrawOptions{}, StackProfile{side1, side2, tops, last}, args);
    return args;
  }
  // What the last call added to a layer.
  std::vector<Seen> New(std::string_view layer, EntityType type) const { return Read(drawing, layer, type, mark); }
};

}  // namespace tessaro::test
