// The in-memory drawing: one layer per name, the current layer, entities in draw order,
// extents, clearing and the revision a view follows.
#include <gtest/gtest.h>

#include "cad/drawing.h"

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

TEST(Drawing, ExtentsCoverLinesCirclesAndTextHeights) {
  Drawing drawing;
  EXPECT_FALSE(drawing.ComputeExtents().has_value());
  drawing.AddLine({{-5, 2}, {10, 3}}, 1);
  drawing.AddCircle({{20, 0}, 4}, 1);
  drawing.AddText({{0, 30}, 2.5, "x", "Arial"}, 1);
  const auto box = drawing.ComputeExtents();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->min, (Point2d{-5, -4}));
  EXPECT_EQ(box->max, (Point2d{24, 32.5}));
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
