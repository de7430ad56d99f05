// Every entity type of the drawing model written to DXF: the file passes ezdxf's audit, and
// ezdxf reads back the same layers, blocks and entities by type with the same key geometry
// (rotations, bulges, block names, insert transforms, attributes). Entities that a DXF file
// cannot hold are left out, counted, and the rest of the file stays clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <span>
#include <string>

#include "dxf/file.h"
#include "dxf/reader.h"
#include "dxf_write/writer.h"
#include "support/entity_list.h"
#include "support/ezdxf.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// What ezdxf lists of a file we wrote: the layer table, and what a DXF file can hold.
constexpr test::ListOptions kAsDxf{.layers = true, .onlyWhatDxfHolds = true};

// ---- a drawing with every type ------------------------------------------------------------

// Every entity type, with rotations, bulges, alignments, scales, arrays, attributes, nested
// blocks, a dimension and its block, true colours and layer colours; values not short in
// binary; texts with letters Windows-1252 has and lacks.
Drawing EveryType() {
  Drawing d;
  const LayerIndex zero = d.AddLayer("0");
  const LayerIndex walls = d.AddLayer("Muri");
  const LayerIndex notes = d.AddLayer("Note \xC3\xA8");
  const LayerIndex hidden = d.AddLayer("Nascosto");
  d.SetLayerLook(walls, 5, std::nullopt, false);
  d.SetLayerLook(notes, 30, 0x3366CC, false);
  d.SetLayerLook(hidden, 8, std::nullopt, true);
  d.SetLayerOn(hidden, false);
  const EntityStyle onWalls{walls, 256, std::nullopt};
  const EntityStyle onNotes{notes, 3, 0xFF8000};

  const BlockIndex window = d.AddBlock("Finestra", {10, 5});
  d.OpenBlock(window);
  d.Add(EntityStyle{zero, 0, std::nullopt}, LineGeometry{{0, 0}, {120, 0}});
  d.Add(EntityStyle{zero, 0, std::nullopt}, ArcGeometry{{60, 0}, 60, 0, 180});
  d.Add(EntityStyle{zero, 256, std::nullopt}, TextGeometry{.position = {0, -10}, .height = 5, .value = "F1"});
  d.CloseBlock();
  const BlockIndex group = d.AddBlock("Gruppo", {0, 0});
  d.OpenBlock(group);
  d.Add(EntityStyle{zero, 0, std::nullopt}, InsertGeometry{.block = window, .position = {0, 0}, .rotation = 90});
  d.Add(EntityStyle{zero, 0, std::nullopt}, CircleGeometry{{5, 5}, 2.5});
  d.CloseBlock();
  const BlockIndex dimBlock = d.AddBlock("*D1", {0, 0});
  d.OpenBlock(dimBlock);
  d.Add(onWalls, LineGeometry{{0, 0}, {300, 0}});
  d.Add(onWalls, SolidGeometry{.corners = {{0, 0}, {5, 1}, {5, -1}, {5, -1}}});
  d.Add(onWalls, MTextGeometry{.position = {150, 5}, .height = 10, .attachment = 8, .value = "300"});
  d.CloseBlock();

  d.Add(onWalls, LineGeometry{{0, 0}, {12.7, 30.1}});
  d.Add(onNotes, CircleGeometry{{2.5, 7.1}, 0.8});
  d.Add(onWalls, ArcGeometry{{10, 20}, 3.75, 270, 90});
  d.Add(onNotes, TextGeometry{.position = {1.5, 2}, .height = 2.5, .value = "4\xC3\x98" "16 \xE2\x88\x85", .style = "Romans",
                              .rotation = 30, .widthFactor = 0.8, .oblique = 15});
  d.Add(onNotes, TextGeometry{.position = {0, 0}, .height = 3, .value = "centro", .rotation = -45, .hAlign = 1,
                              .vAlign = 2, .alignPoint = {50, 60}});
  d.Add(onNotes, TextGeometry{.position = {0, 10}, .height = 3, .value = "fit", .hAlign = 5, .alignPoint = {40, 10}});
  const PolylineVertex vertices[] = {{{0, 0}, 0}, {{100, 0}, 0.41421356}, {{100, 100}, -1}, {{0, 100}, 0}};
  d.Add(onWalls, PolylineGeometry{.closed = true, .width = 0.5}, vertices);
  d.Add(onWalls, PolylineGeometry{}, std::span(vertices, 2));
  d.Add(onWalls, EllipseGeometry{{50, 50}, {30, 10}, 0.4, 0.5, 4.0});
  d.Add(onWalls, EllipseGeometry{{-50, 50}, {0, 20}, 0.25});
  d.Add(onWalls, SplineGeometry{.degree = 3,
                                .knots = {0, 0, 0, 0, 1, 1, 1, 1},
                                .controlPoints = {{0, 0}, {10, 20}, {30, 20}, {40, 0}}});
  d.Add(onWalls, SplineGeometry{.degree = 2,
                                .knots = {0, 0, 0, 1, 1, 1},
                                .controlPoints = {{0, 0}, {10, 10}, {20, 0}},
                                .weights = {1, 0.7071, 1}});
  d.Add(onWalls, SplineGeometry{.degree = 3, .fitPoints = {{0, 0}, {5, 5}, {10, 0}, {15, 5}}});
  std::string longText = "Prima riga\\Pseconda riga con \xE2\x82\xAC e \xE2\x88\x85:";
  for (int k = 0; k < 60; ++k) longText += " parola\xC3\xA8" + std::to_string(k);
  d.Add(onNotes, MTextGeometry{.position = {0, -50}, .height = 2.5, .width = 80, .rotation = 10, .attachment = 5,
                               .value = longText, .style = "Romans"});
  d.Add(onWalls, InsertGeometry{.block = window, .position = {200, 100}, .xScale = -1, .yScale = 2, .rotation = 33,
                                .attributes = 2});
  d.Add(onNotes, AttribGeometry{.text = {.position = {205, 95}, .height = 2, .value = "F-01", .rotation = 33}, .tag = "SIGLA"});
  d.Add(onNotes, AttribGeometry{.text = {.position = {205, 90}, .height = 2, .value = "nascosto"}, .tag = "NOTA", .invisible = true});
  d.Add(onWalls, InsertGeometry{.block = window, .position = {500, 0}, .columns = 3, .rows = 2, .columnSpacing = 150,
                                .rowSpacing = 80});
  d.Add(onWalls, InsertGeometry{.block = group, .position = {-100, -100}, .xScale = 0.5, .yScale = 0.5});
  d.Add(onWalls, DimensionGeometry{.block = dimBlock, .definitionPoint = {300, -20}, .textPoint = {150, -15},
                                   .dimensionType = 32 | 1, .measurement = 300, .style = "Quote"});
  d.Add(onNotes, LeaderGeometry{.vertices = {{0, 0}, {10, 10}, {30, 10}}});
  HatchGeometry solid{.solid = true, .pattern = "SOLID"};
  solid.loops.push_back(HatchLoop{.flags = 1, .isPolyline = true, .polyline = {{{0, 0}, 0}, {{10, 0}, 0.5}, {{10, 10}, 0}}});
  d.Add(onWalls, solid);
  HatchGeometry pattern{.pattern = "ANSI31"};
  HatchLoop edges{.flags = 1};
  edges.edges.push_back(HatchLineEdge{{0, 0}, {10, 0}});
  edges.edges.push_back(HatchArcEdge{{10, 5}, 5, 270, 90, true});
  edges.edges.push_back(HatchEllipseEdge{{5, 10}, {5, 0}, 0.5, 0, 180, true});
  edges.edges.push_back(SplineGeometry{.degree = 2, .knots = {0, 0, 0, 1, 1, 1}, .controlPoints = {{0, 10}, {-3, 5}, {0, 0}}});
  pattern.loops.push_back(edges);
  d.Add(onWalls, pattern);
  d.Add(onWalls, SolidGeometry{.kind = SolidKind::Solid, .corners = {{0, 0}, {1, 0}, {0, 1}, {1, 1}}});
  d.Add(onWalls, SolidGeometry{.kind = SolidKind::Trace, .corners = {{0, 0}, {2, 0}, {0, 2}, {2, 2}}});
  d.Add(onWalls, SolidGeometry{.kind = SolidKind::Face3d, .invisibleEdges = 5, .corners = {{0, 0}, {3, 0}, {3, 3}, {0, 3}}});
  d.Add(onNotes, PointGeometry{{7.5, -2.25}});
  d.Add(onWalls, RayGeometry{{1, 2}, {3, 4}, false});
  d.Add(onWalls, RayGeometry{{-1, -2}, {0, 0.5}, true});
  d.Add(onWalls, WipeoutGeometry{{{0, 0}, {40, 0}, {40, 20}, {10, 30}}});
  d.Add(EntityStyle{hidden, 256, std::nullopt}, LineGeometry{{0, 0}, {1, 1}});
  return d;
}

class DxfWriterTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!test::HaveEzdxf()) GTEST_SKIP() << "no python3 to run ezdxf";
  }
  test::TempFolder folder_;
};

// Read by our reader and written again, a file keeps what the reader drew: the rewritten
// file passes the audit and ezdxf lists the same as the drawing read.
void ExpectRoundTrip(const fs::path& source, const fs::path& folder) {
  SCOPED_TRACE(source.filename().string());
  Drawing drawing;
  try {
    ReadDxfFile(drawing, source);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "our reader refused it: " << error.what();
    return;
  }
  const fs::path again = folder / ("again_" + source.filename().string());
  WriteDxfFile(drawing, again);
  test::EzdxfAuditClean(again);
  test::ExpectSameListing(test::EzdxfListing(again), test::ListDrawing(drawing, kAsDxf));
}

// Every type read back by ezdxf, then by our reader and written again.
TEST_F(DxfWriterTest, EveryTypeReadsBackInEzdxfWithItsGeometryAndPassesTheAudit) {
  const Drawing drawing = EveryType();
  EXPECT_TRUE(EntitiesLeftOut(drawing).empty());
  const fs::path dxf = folder_ / "every_type.dxf";
  WriteDxfFile(drawing, dxf);
  test::EzdxfAuditClean(dxf);
  test::ExpectSameListing(test::EzdxfListing(dxf), test::ListDrawing(drawing, kAsDxf));
  ExpectRoundTrip(dxf, folder_.path());
}

// What an opened file says of itself goes back into the file written from it: its units and
// base point, its line types by layer and by entity with their scales, its fonts, its 3-D
// polylines, heights and widths by vertex.
TEST_F(DxfWriterTest, WhatAnOpenedFileSaysOfItselfIsWrittenBack) {
  const std::string source =
      "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n6\n9\n$INSBASE\n10\n1\n20\n2\n30\n0\n9\n$LTSCALE\n40\n0.5\n"
      "0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLTYPE\n0\nLTYPE\n2\nTratteggio\n73\n2\n49\n2\n49\n-1\n"
      "0\nENDTAB\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nAssi\n6\nTratteggio\n0\nENDTAB\n0\nTABLE\n2\nSTYLE\n"
      "0\nSTYLE\n2\nNota\n3\ntimesbd.ttf\n1001\nACAD\n1000\nTimes New Roman\n1071\n33554432\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nAssi\n10\n0\n20\n0\n30\n1\n11\n5\n21\n0\n31\n2\n"
      "0\nLINE\n6\nTratteggio\n48\n2\n11\n5\n21\n5\n0\nTEXT\n7\nNota\n40\n1\n1\nx\n"
      "0\nPOLYLINE\n66\n1\n70\n8\n0\nVERTEX\n10\n0\n20\n0\n30\n0\n70\n32\n0\nVERTEX\n10\n1\n20\n1\n30\n3\n70\n32\n"
      "0\nSEQEND\n0\nLWPOLYLINE\n90\n2\n10\n0\n20\n0\n40\n2\n41\n0\n10\n9\n20\n0\n0\nENDSEC\n0\nEOF\n";
  Drawing opened;
  ReadDxfText(source, opened, "aperto.dxf");
  const fs::path dxf = folder_ / "salvato.dxf";
  WriteDxfFile(opened, dxf);
  test::EzdxfAuditClean(dxf);
  test::ExpectSameListing(test::EzdxfListing(dxf), test::ListDrawing(opened, kAsDxf));
  Drawing again;
  ReadDxfFile(again, dxf);
  const auto header = [&](const char* name) {
    const HeaderVariable* v = again.Styles().FindHeaderVariable(name);
    std::string values;
    for (const auto& [code, text] : v != nullptr ? v->groups : decltype(v->groups){}) values += text + " ";
    return values;
  };
  EXPECT_EQ(header("$INSUNITS"), "6 ");
  EXPECT_EQ(header("$INSBASE"), "1 2 0 ");
  EXPECT_EQ(again.Styles().GlobalScale(), 0.5);
  const auto dashed = again.Styles().FindLineType("Tratteggio");
  ASSERT_TRUE(dashed);
  EXPECT_EQ(again.Styles().LineTypes()[*dashed].pattern, (std::vector<double>{2, -1}));
  EXPECT_EQ(again.Layers()[*again.FindLayer("Assi")].lineType, *dashed);
  EXPECT_EQ(again.LineStyle(again.Entities()[1]), (EntityLineStyle{*dashed, 2.0}));
  const TextStyle* style = again.Styles().FindTextStyle("Nota");
  ASSERT_NE(style, nullptr);
  EXPECT_TRUE(style->bold);
  EXPECT_EQ(style->family, "Times New Roman");
  const auto lines = test::ListEntities(again);
  EXPECT_EQ(lines[0], "LINE Assi 256 0 0 5 0 z: 1 2");
  EXPECT_EQ(lines[3], "POLYLINE 0 256 0 0 0 0 1 1 3");
  EXPECT_EQ(again.Widths(again.Polyline(again.Entities()[4])).size(), 2u);
}

// The public sample files the reader is tested on, from other CAD programs and libraries.
TEST_F(DxfWriterTest, EveryCorpusFileReadByUsIsWrittenAgainTheSame) {
  const fs::path corpus = fs::path(TESSARO_SOURCE_DIR) / "tests" / "dxf_corpus";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    std::string extension = entry.path().extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (entry.is_regular_file() && extension == ".dxf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) ExpectRoundTrip(file, folder_.path());
}

// What a DXF file cannot hold is left out and counted; the file stays clean and $HANDSEED
// stays above every handle.
TEST_F(DxfWriterTest, EntitiesDxfCannotHoldAreLeftOutCountedAndTheFileStaysClean) {
  Drawing d;
  const EntityStyle style{d.AddLayer("0"), 256, std::nullopt};
  const BlockIndex block = d.AddBlock("B", {0, 0});
  d.OpenBlock(block);
  d.Add(style, LeaderGeometry{.vertices = {{0, 0}}});
  d.Add(style, AttribGeometry{.text = {.position = {0, 0}, .height = 1, .value = "orfano"}, .tag = "T"});
  d.CloseBlock();
  d.Add(style, LineGeometry{{0, 0}, {1, 1}});
  d.Add(style, LeaderGeometry{.vertices = {{0, 0}}});
  d.Add(style, SplineGeometry{.degree = 3, .knots = {0, 1}, .controlPoints = {{0, 0}, {1, 1}, {2, 0}, {3, 1}}});
  d.Add(style, SplineGeometry{.degree = 3, .fitPoints = {{0, 0}}});
  d.Add(style, EllipseGeometry{{0, 0}, {0, 0}, 0.5});
  d.Add(style, EllipseGeometry{{0, 0}, {1, 0}, 0.0});
  d.Add(style, RayGeometry{{0, 0}, {0, 0}, true});
  d.Add(style, WipeoutGeometry{{{0, 0}, {1, 0}, {2, 0}}});
  d.Add(style, AttribGeometry{.text = {.position = {0, 0}, .height = 1, .value = "orfano"}, .tag = "T"});
  d.Add(style, InsertGeometry{.block = block, .position = {0, 0}, .attributes = 1});  // its attribute is not there
  d.Add(style, CircleGeometry{{0, 0}, 1});
  const std::map<std::string, std::size_t> expected = {{"ATTRIB", 2}, {"ELLIPSE", 2}, {"LEADER", 2},
                                                       {"SPLINE", 2}, {"WIPEOUT", 1}, {"XLINE", 1}};
  EXPECT_EQ(EntitiesLeftOut(d), expected);
  const fs::path dxf = folder_ / "left_out.dxf";
  WriteDxfFile(d, dxf);
  test::EzdxfAuditClean(dxf);
  const std::string listing = test::EzdxfListing(dxf);
  EXPECT_NE(listing.find("BLOCK B 0 0\nLINE "), std::string::npos) << listing;
  EXPECT_NE(listing.find("\nLINE "), std::string::npos);
  EXPECT_NE(listing.find("\nINSERT 0 256 B "), std::string::npos);
  EXPECT_NE(listing.find("\nCIRCLE "), std::string::npos);
  EXPECT_EQ(listing.find("LEADER"), std::string::npos);
}

// Blocks that insert each other, or themselves, would contain themselves: those inserts are
// left out (CAD programs refuse the file), the blocks and every other insert stay.
TEST_F(DxfWriterTest, InsertsThatMakeABlockContainItselfAreLeftOut) {
  Drawing d;
  const EntityStyle style{d.AddLayer("0"), 256, std::nullopt};
  const BlockIndex a = d.AddBlock("A", {0, 0});
  const BlockIndex b = d.AddBlock("B", {0, 0});
  const BlockIndex c = d.AddBlock("C", {0, 0});
  const BlockIndex leaf = d.AddBlock("Foglia", {0, 0});
  const auto insert = [&](BlockIndex block) { d.Add(style, InsertGeometry{.block = block, .position = {1, 2}}); };
  d.OpenBlock(a);
  insert(b);
  insert(leaf);
  d.CloseBlock();
  d.OpenBlock(b);
  insert(a);
  d.Add(style, LineGeometry{{0, 0}, {1, 0}});
  d.CloseBlock();
  d.OpenBlock(c);
  insert(c);
  insert(leaf);
  d.CloseBlock();
  d.OpenBlock(leaf);
  d.Add(style, CircleGeometry{{0, 0}, 1});
  d.CloseBlock();
  insert(a);
  insert(c);
  EXPECT_EQ(EntitiesLeftOut(d), (std::map<std::string, std::size_t>{{"INSERT", 3}}));
  const fs::path dxf = folder_ / "cycles.dxf";
  WriteDxfFile(d, dxf);
  test::EzdxfAuditClean(dxf);
  const std::string listing = test::EzdxfListing(dxf);
  test::ExpectSameListing(listing.substr(listing.find("BLOCK A")),
                          "BLOCK A 0 0\n  INSERT 0 256 Foglia 1 2 1 1 0 1 1 0 0\n"
                          "BLOCK B 0 0\n  LINE 0 256 0 0 1 0\n"
                          "BLOCK C 0 0\n  INSERT 0 256 Foglia 1 2 1 1 0 1 1 0 0\n"
                          "BLOCK Foglia 0 0\n  CIRCLE 0 256 0 0 1\n"
                          "INSERT 0 256 A 1 2 1 1 0 1 1 0 0\nINSERT 0 256 C 1 2 1 1 0 1 1 0 0\n");
}

// Values are the shortest texts that read back the same; whole numbers and hundredths take
// their own digit writer: every width and sign.
TEST(DxfWriterNumbers, ValuesAreTheShortestTextsThatReadBackTheSame) {
  const std::pair<double, const char*> rows[] = {
      {12.7f, "12.7"}, {0.1f, "0.1"}, {-0.0, "0"}, {1.0 / 3, "0.3333333333333333"}, {16777217.0, "16777217"},
      {1e-5f, "0.00001"}, {3e5f, "300000"}, {1e300, "1e+300"}, {1e-30f, "1e-30"},
      {7, "7"},         {-7, "-7"},         {10, "10"},          {99, "99"},          {100, "100"},
      {-1234, "-1234"}, {65535, "65535"},   {123456789, "123456789"}, {-999999999999999, "-999999999999999"},
      {0.5f, "0.5"},    {-10.05f, "-10.05"}, {99.99f, "99.99"},   {1000.01f, "1000.01"}, {-65535.5f, "-65535.5"}};
  for (const auto& [value, expected] : rows) EXPECT_EQ(FormatDxfReal(value), expected) << expected;
}

// An ellipse given with its ratio above 1 is the same curve with its axes swapped.
TEST(DxfWriterEllipse, ARatioAboveOneIsWrittenWithTheAxesSwapped) {
  Drawing d;
  d.Add(EntityStyle{d.AddLayer("0"), 256, std::nullopt}, EllipseGeometry{{0, 0}, {10, 0}, 2.0, 0.0, 1.0});
  const std::string text = DxfText(d);
  const std::string record = text.substr(text.find("AcDbEllipse"));
  EXPECT_NE(record.find(" 11\n0\n 21\n20\n 31\n0\n 40\n0.5\n 41\n-1.5707963267948966\n 42\n-0.5707963267948966\n"),
            std::string::npos)
      << record;
}

// Multi-line text goes in pieces of 250 bytes at most, never cut inside an escape.
TEST(DxfWriterMText, LongTextGoesInPiecesNeverCutInsideAnEscape) {
  Drawing d;
  std::string value;
  for (int k = 0; k < 200; ++k) value += "ab\xE2\x88\x85";  // \U+2205 escapes at every 9th byte
  d.Add(EntityStyle{d.AddLayer("0"), 256, std::nullopt}, MTextGeometry{.position = {0, 0}, .height = 1, .value = value});
  const std::string text = DxfText(d);
  std::string joined;
  for (std::size_t at = text.find("AcDbMText"); at != std::string::npos;) {
    const std::size_t code = text.find("\n  3\n", at);
    const std::size_t last = text.find("\n  1\n", at);
    const bool more = code != std::string::npos && code < last;
    const std::size_t start = (more ? code : last) + 5;
    const std::size_t end = text.find('\n', start);
    const std::string piece = text.substr(start, end - start);
    EXPECT_LE(piece.size(), 250u);
    for (std::size_t k = piece.find('\\'); k != std::string::npos; k = piece.find('\\', k + 1)) {
      EXPECT_LE(k + 7, piece.size()) << "cut inside an escape: " << piece;
    }
    joined += piece;
    at = more ? end : std::string::npos;
  }
  std::string expected;
  for (int k = 0; k < 200; ++k) expected += "ab\\U+2205";
  EXPECT_EQ(joined, expected);
}

}  // namespace
}  // namespace tessaro
