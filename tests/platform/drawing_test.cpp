// The in-memory drawing: one layer per name, the current layer, entities in draw order,
// extents, clearing, and a footprint that keeps a million lines well under 100 MB.
#include <gtest/gtest.h>

#include "platform/drawing.h"

namespace tessaro {
namespace {

TEST(DrawingLayers, AddingANameTwiceKeepsTheFirstLayerAndItsState) {
  Drawing drawing;
  const LayerIndex ferri = drawing.AddLayer("Ferri");
  drawing.AddLayer("Cls");
  drawing.SetLayerOn(ferri, false);
  EXPECT_EQ(drawing.AddLayer("Ferri"), ferri);
  ASSERT_EQ(drawing.Layers().size(), 2u);
  EXPECT_EQ(drawing.Layers()[0].name, "Ferri");
  EXPECT_FALSE(drawing.Layers()[0].on);
  EXPECT_TRUE(drawing.Layers()[1].on);
  EXPECT_FALSE(drawing.SetLayerOn("Missing", false));
  EXPECT_TRUE(drawing.SetLayerOn("Ferri", true));
  EXPECT_TRUE(drawing.Layers()[0].on);
  EXPECT_EQ(drawing.FindLayer("Cls"), LayerIndex{1});
  EXPECT_FALSE(drawing.FindLayer("cls").has_value());  // names are exact
}

TEST(DrawingLayers, EntitiesGoOnTheCurrentLayer) {
  Drawing drawing;
  drawing.AddLine({{0, 0}, {1, 1}}, 3);  // no layer yet: "0" is made for it
  drawing.SetCurrentLayer("Ferri");
  drawing.AddCircle({{0, 0}, 2}, 3);
  drawing.SetCurrentLayer("0");
  drawing.AddArc({{0, 0}, 2, 0, 90}, 5);
  ASSERT_EQ(drawing.Layers().size(), 2u);
  EXPECT_EQ(drawing.Layers()[0].name, "0");
  const auto& entities = drawing.Entities();
  ASSERT_EQ(entities.size(), 3u);
  EXPECT_EQ(entities[0].layer, 0);
  EXPECT_EQ(entities[1].layer, 1);
  EXPECT_EQ(entities[2].layer, 0);
  EXPECT_EQ(drawing.CurrentLayer(), 0);
}

TEST(DrawingEntities, KeepDrawOrderTypeColourAndGeometry) {
  Drawing drawing;
  drawing.AddText({{1, 2}, 2.5, "4\xC3\x98" "16", "Arial"}, 6);
  drawing.AddLine({{0, 0}, {10, 5}}, 3);
  drawing.AddArc({{1, 1}, 4, 30, 120}, 21);
  const auto& e = drawing.Entities();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].type, EntityType::Text);
  EXPECT_EQ(e[1].type, EntityType::Line);
  EXPECT_EQ(e[2].type, EntityType::Arc);
  EXPECT_EQ(e[2].color, 21);
  EXPECT_EQ(drawing.Text(e[0]).value, "4\xC3\x98" "16");
  EXPECT_EQ(drawing.Line(e[1]).end, (Point2d{10, 5}));
  EXPECT_EQ(drawing.Arc(e[2]).endAngle, 120);
  EXPECT_STREQ(EntityTypeName(EntityType::Circle), "CIRCLE");
}

TEST(DrawingExtents, CoverLinesCirclesAndTextHeights) {
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

TEST(DrawingClear, RemovesEntitiesAndLayers) {
  Drawing drawing;
  drawing.SetCurrentLayer("Ferri");
  drawing.AddLine({{0, 0}, {1, 1}}, 3);
  drawing.Clear();
  EXPECT_EQ(drawing.EntityCount(), 0u);
  EXPECT_TRUE(drawing.Layers().empty());
  drawing.AddLine({{0, 0}, {1, 1}}, 3);
  EXPECT_EQ(drawing.Layers()[0].name, "0");  // a fresh start, not the old current layer
}

TEST(DrawingSwap, ExchangesWholeDrawings) {
  Drawing a;
  Drawing b;
  a.SetCurrentLayer("A");
  a.AddLine({{0, 0}, {1, 1}}, 3);
  a.Swap(b);
  EXPECT_EQ(a.EntityCount(), 0u);
  EXPECT_EQ(b.EntityCount(), 1u);
  EXPECT_EQ(b.Layers()[0].name, "A");
}

// The footprint of a line: its header and its geometry, nothing per entity on the heap.
TEST(DrawingFootprint, AMillionLinesFitWellUnder100MB) {
  const std::size_t perLine = sizeof(EntityHeader) + sizeof(LineGeometry);
  EXPECT_LE(perLine, 48u);
  EXPECT_LT(perLine * 1'000'000 * 2, 100u * 1000 * 1000);  // even with vectors at double capacity
}

}  // namespace
}  // namespace tessaro
