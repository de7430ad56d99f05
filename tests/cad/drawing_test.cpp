// The in-memory drawing: one layer per name, the current layer, entities in draw order,
// extents, clearing and the revision a view follows.
#include <gtest/gtest.h>

#include <functional>

#include "cad/drawing.h"
#include "cad/extents.h"

namespace tessaro {
namespace {

TEST(Drawing, AddingALayerNameTwiceKeepsTheFirstLayerAndItsState) {
  Drawing drawing;
  const LayerIndex ferri = drawing.AddLayer("Ferri");
  drawing.AddLayer("Cls");
  drawing.SetLayerOn(ferri, false);
  EXPECT_EQ(drawing.AddLayer("Ferri"), ferri);
  ASSERT_EQ(drawing.Layers().size(), 2u);
  EXPECT_FALSE(drawing.Layers()[ferri].on);
  EXPECT_FALSE(drawing.SetLayerOn("Missing", false));
  EXPECT_FALSE(drawing.FindLayer("cls").has_value());  // names are exact
}

TEST(Drawing, EntitiesKeepDrawOrderLayerColourAndGeometryUntilCleared) {
  Drawing drawing;
  drawing.AddLine({{0, 0}, {10, 5}}, 3);  // no layer yet: "0" is made for it
  drawing.SetCurrentLayer("Ferri");
  drawing.AddText({{1, 2}, 2.5, "4\xC3\x98" "16", "Arial"}, 6);
  drawing.SetCurrentLayer("0");
  drawing.AddArc({{1, 1}, 4, 30, 120}, 21);
  ASSERT_EQ(drawing.Layers().size(), 2u);
  const auto& e = drawing.Entities();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].type, EntityType::Text);
  EXPECT_EQ(e[1].layer, 1);
  EXPECT_EQ(e[2].layer, 0);
  EXPECT_EQ(e[2].color, 21);
  EXPECT_EQ(drawing.Line(e[0]).end, (Point2d{10, 5}));
  EXPECT_EQ(drawing.Text(e[1]).value, "4\xC3\x98" "16");
  EXPECT_EQ(drawing.Arc(e[2]).endAngle, 120);

  drawing.SetCurrentLayer("Ferri");
  drawing.Clear();
  EXPECT_EQ(drawing.EntityCount(), 0u);
  drawing.AddLine({{0, 0}, {1, 1}}, 3);
  ASSERT_EQ(drawing.Layers().size(), 1u);
  EXPECT_EQ(drawing.Layers()[0].name, "0");  // a fresh start, not the old current layer
}

// The extents are what is drawn: an arc by its sweep, a text by its estimated box around
// its alignment point, nothing for rays, xlines and empty blocks however far away.
TEST(Drawing, ExtentsAreWhatIsDrawn) {
  EXPECT_FALSE(DrawnExtents(Drawing()).has_value());
  const EntityStyle style;
  const struct {
    const char* name;
    std::function<void(Drawing&)> add;
    Extents expected;
  } cases[] = {
      {"a quarter arc", [&](Drawing& d) { d.Add(style, ArcGeometry{{0, 0}, 10, 0, 90}); }, {{0, 0}, {10, 10}}},
      {"an arc through 0 degrees", [&](Drawing& d) { d.Add(style, ArcGeometry{{0, 0}, 10, 270, 0}); },
       {{0, -10}, {10, 0}}},
      {"a centred text",
       [&](Drawing& d) {
         TextGeometry t{{0, 0}, 2, "AB"};
         t.hAlign = 1;
         t.alignPoint = {10, 0};
         d.Add(style, t);
       },
       {{8, 0}, {12, 2}}},
      {"a line, a ray, an xline and an empty block far off",
       [&](Drawing& d) {
         d.Add(style, LineGeometry{{1, 2}, {3, 4}});
         d.Add(style, RayGeometry{{1e6, 0}, {1, 0}, false});
         d.Add(style, RayGeometry{{0, -1e6}, {1, 1}, true});
         const BlockIndex empty = d.AddBlock("E", {0, 0});
         InsertGeometry far;
         far.block = empty;
         far.position = {-1e6, 0};
         d.Add(style, far);
       },
       {{1, 2}, {3, 4}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing drawing;
    c.add(drawing);
    const auto box = DrawnExtents(drawing);
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->min.x, c.expected.min.x, 1e-9);
    EXPECT_NEAR(box->min.y, c.expected.min.y, 1e-9);
    EXPECT_NEAR(box->max.x, c.expected.max.x, 1e-9);
    EXPECT_NEAR(box->max.y, c.expected.max.y, 1e-9);
  }
}

// A view keeps a flattened copy while the revision stands still: every change of what the
// drawing shows moves it, switching a layer does not, and a drawing swapped in for another
// of the same size still counts as new.
TEST(Drawing, RevisionMovesWithWhatTheDrawingShows) {
  Drawing drawing;
  std::uint64_t seen = drawing.Revision();
  const auto moved = [&] {
    const bool changed = drawing.Revision() != seen;
    seen = drawing.Revision();
    return changed;
  };
  drawing.AddLine({{0, 0}, {1, 1}}, 1);
  EXPECT_TRUE(moved());
  drawing.SetLayerOn(LayerIndex{0}, false);
  EXPECT_FALSE(moved());
  drawing.SetLayerLook(LayerIndex{0}, 3, std::nullopt, false);
  EXPECT_TRUE(moved());
  drawing.AddBlock("B", {0, 0});
  EXPECT_TRUE(moved());
  Drawing other;
  other.AddLine({{5, 5}, {6, 6}}, 1);
  drawing.Swap(other);
  EXPECT_TRUE(moved());
  drawing.Clear();
  EXPECT_TRUE(moved());
}

}  // namespace
}  // namespace tessaro
