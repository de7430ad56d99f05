// Every entity type of the drawing model written to DXF: the file passes ezdxf's audit, and
// ezdxf reads back the same layers, blocks and entities by type with the same key geometry
// (rotations, bulges, block names, insert transforms, attributes). Entities that a DXF file
// cannot hold are left out, counted, and the rest of the file stays clean.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <span>
#include <string>

#include "dxf/file.h"
#include "dxf/writer.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// ---- the listing dxf_listing.py makes, from the drawing ----------------------------------

std::string N(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return std::string(text) == "-0" ? "0" : text;
}
std::string Xy(const Point2d& p) { return N(p.x) + " " + N(p.y); }

std::string TextFields(const TextGeometry& t) {
  return Xy(t.position) + " " + N(t.height) + " " + N(t.rotation) + " " + N(t.widthFactor) + " " + N(t.oblique) + " " +
         std::to_string(t.hAlign) + " " + std::to_string(t.vAlign) + " " + Xy(t.alignPoint) + " [" + t.value + "] " +
         (t.style.empty() ? "Arial" : t.style);
}

std::string Head(const Drawing& d, const EntityHeader& e, const std::string& type) {
  std::string line = type + " " + d.Layers()[e.layer].name + " " + std::to_string(e.color);
  if (const auto rgb = d.TrueColor(e)) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " #%06X", *rgb);
    line += hex;
  }
  return line;
}

std::string Describe(const Drawing& d, std::span<const EntityHeader> list, std::size_t& i) {
  const EntityHeader& e = list[i];
  switch (e.type) {
    case EntityType::Line: return Head(d, e, "LINE") + " " + Xy(d.Line(e).start) + " " + Xy(d.Line(e).end);
    case EntityType::Circle: return Head(d, e, "CIRCLE") + " " + Xy(d.Circle(e).center) + " " + N(d.Circle(e).radius);
    case EntityType::Arc: {
      const auto& g = d.Arc(e);
      return Head(d, e, "ARC") + " " + Xy(g.center) + " " + N(g.radius) + " " + N(g.startAngle) + " " + N(g.endAngle);
    }
    case EntityType::Text: return Head(d, e, "TEXT") + " " + TextFields(d.Text(e));
    case EntityType::Polyline: {
      const auto& g = d.Polyline(e);
      std::string line = Head(d, e, "LWPOLYLINE") + " " + (g.closed ? "1 " : "0 ") + N(g.width);
      for (const auto& v : d.Vertices(g)) line += " " + Xy(v.point) + " " + N(v.bulge);
      return line;
    }
    case EntityType::Ellipse: {
      const auto& g = d.Ellipse(e);
      return Head(d, e, "ELLIPSE") + " " + Xy(g.center) + " " + Xy(g.majorAxis) + " " + N(g.ratio) + " " +
             N(g.startParam) + " " + N(g.endParam);
    }
    case EntityType::Spline: {
      const auto& g = d.Spline(e);
      return Head(d, e, "SPLINE") + " " + std::to_string(g.degree) + " " + (g.closed ? "1 " : "0 ") +
             std::to_string(g.controlPoints.size()) + " " + std::to_string(g.knots.size()) + " " +
             std::to_string(g.fitPoints.size()) + " " + std::to_string(g.weights.size()) + " " +
             Xy(g.controlPoints.empty() ? g.fitPoints.front() : g.controlPoints.front());
    }
    case EntityType::MText: {
      const auto& g = d.MText(e);
      return Head(d, e, "MTEXT") + " " + Xy(g.position) + " " + N(g.height) + " " + N(g.width) + " " + N(g.rotation) +
             " " + std::to_string(g.attachment) + " [" + g.value + "] " + (g.style.empty() ? "Arial" : g.style);
    }
    case EntityType::Insert: {
      const auto& g = d.Insert(e);
      std::string line = Head(d, e, "INSERT") + " " + d.Blocks()[g.block].name + " " + Xy(g.position) + " " +
                         N(g.xScale) + " " + N(g.yScale) + " " + N(g.rotation) + " " + std::to_string(g.columns) + " " +
                         std::to_string(g.rows) + " " + N(g.columnSpacing) + " " + N(g.rowSpacing);
      while (i + 1 < list.size()) {
        const auto& a = d.Attrib(list[++i]);
        line += " | ATTRIB " + a.tag + " " + (a.invisible ? "1 " : "0 ") + TextFields(a.text);
      }
      return line;
    }
    case EntityType::Dimension: {
      const auto& g = d.Dimension(e);
      return Head(d, e, "DIMENSION") + " " + d.Blocks()[g.block].name + " " + Xy(g.definitionPoint) + " " +
             Xy(g.textPoint) + " " + std::to_string(g.dimensionType) + " " + (g.style.empty() ? "Standard" : g.style);
    }
    case EntityType::Leader: {
      std::string line = Head(d, e, "LEADER") + (d.Leader(e).arrowhead ? " 1" : " 0");
      for (const auto& p : d.Leader(e).vertices) line += " " + Xy(p);
      return line;
    }
    case EntityType::Hatch: {
      const auto& g = d.Hatch(e);
      std::string line = Head(d, e, "HATCH") + " " + (g.solid ? "1 " : "0 ") + g.pattern + " ";
      static constexpr const char* kEdgeNames[] = {"LINE", "ARC", "ELLIPSE", "SPLINE"};
      for (std::size_t k = 0; k < g.loops.size(); ++k) {
        const auto& loop = g.loops[k];
        if (k > 0) line += " / ";
        if (loop.isPolyline) {
          line += loop.closed ? "P1" : "P0";
          for (const auto& v : loop.polyline) line += " " + Xy(v.point) + " " + N(v.bulge);
        } else {
          line += "E";
          for (const auto& edge : loop.edges) line += std::string(" ") + kEdgeNames[edge.index()];
        }
      }
      return line;
    }
    case EntityType::Solid: {
      const auto& g = d.Solid(e);
      static constexpr const char* kNames[] = {"SOLID", "TRACE", "3DFACE"};
      std::string line = Head(d, e, kNames[static_cast<int>(g.kind)]);
      for (const auto& p : g.corners) line += " " + Xy(p);
      if (g.kind == SolidKind::Face3d) line += " " + std::to_string(g.invisibleEdges);
      return line;
    }
    case EntityType::Point: return Head(d, e, "POINT") + " " + Xy(d.Point(e).position);
    case EntityType::Ray: {
      const auto& g = d.Ray(e);
      const double length = std::hypot(g.direction.x, g.direction.y);
      return Head(d, e, g.infinite ? "XLINE" : "RAY") + " " + Xy(g.base) + " " +
             Xy({g.direction.x / length, g.direction.y / length});
    }
    case EntityType::Wipeout: {
      std::string line = Head(d, e, "WIPEOUT");
      const auto& frame = d.Wipeout(e).frame;
      for (const auto& p : frame) line += " " + Xy(p);
      if (!(frame.front() == frame.back())) line += " " + Xy(frame.front());
      return line;
    }
    case EntityType::Attrib: break;
  }
  return "?";
}

// The lines of the entities of a list that a DXF file holds, an insert with the attributes
// it takes (as many as it counts and follow it).
std::vector<std::string> Lines(const Drawing& d, const std::vector<EntityHeader>& list) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const EntityHeader& e = list[i];
    std::size_t attributes = 0;
    if (e.type == EntityType::Insert) {
      while (attributes < d.Insert(e).attributes && i + 1 + attributes < list.size() &&
             list[i + 1 + attributes].type == EntityType::Attrib) {
        ++attributes;
      }
    }
    if (e.type != EntityType::Attrib && DxfCanHold(d, e)) {
      std::vector<EntityHeader> one(list.begin() + static_cast<std::ptrdiff_t>(i),
                                    list.begin() + static_cast<std::ptrdiff_t>(i + 1 + attributes));
      std::size_t k = 0;
      lines.push_back(Describe(d, one, k));
    }
    i += attributes;
  }
  return lines;
}

std::string TypesOf(const Drawing& d, const std::vector<EntityHeader>& list) {
  std::string types;
  for (const auto& line : Lines(d, list)) types += (types.empty() ? "" : " ") + line.substr(0, line.find(' '));
  return types;
}

std::string Listing(const Drawing& d) {
  std::string out;
  if (!d.FindLayer("0")) out += "LAYER 0 7 on 0\n";  // every DXF file has it
  for (const auto& layer : d.Layers()) {
    if (layer.name == "Defpoints") continue;  // ezdxf adds its own
    const int color = layer.color >= 1 && layer.color <= 255 ? layer.color : 7;
    out += "LAYER " + layer.name + " " + std::to_string(color) + (layer.on ? " on " : " off ") +
           (layer.frozen ? "1" : "0");
    if (layer.trueColor) {
      char hex[16];
      std::snprintf(hex, sizeof hex, " #%06X", *layer.trueColor);
      out += hex;
    }
    out += "\n";
  }
  for (const auto& block : d.Blocks()) out += "BLOCK " + block.name + " " + Xy(block.base) + " : " + TypesOf(d, block.entities) + "\n";
  for (const auto& line : Lines(d, d.Entities())) out += line + "\n";
  return out;
}

// Two listings are the same when they differ at most in the last digit of a number: values
// that are exactly a Single are written as its shortest text (see FormatDxfReal), which may
// round the other way at the sixth digit.
bool SameNumber(const std::string& a, const std::string& b) {
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  if (a.empty() || b.empty() || *endA != '\0' || *endB != '\0') return false;
  return std::fabs(x - y) <= 2e-6 * std::max({1.0, std::fabs(x), std::fabs(y)});
}

void ExpectSameListing(const std::string& actual, const std::string& expected) {
  std::istringstream actualLines(actual);
  std::istringstream expectedLines(expected);
  std::string a;
  std::string e;
  int line = 0;
  while (true) {
    const bool moreA = static_cast<bool>(std::getline(actualLines, a));
    const bool moreE = static_cast<bool>(std::getline(expectedLines, e));
    ++line;
    if (!moreA && !moreE) return;
    std::istringstream wordsA(a);
    std::istringstream wordsE(e);
    std::string wa;
    std::string we;
    bool same = moreA == moreE;
    while (same) {
      const bool nextA = static_cast<bool>(wordsA >> wa);
      const bool nextE = static_cast<bool>(wordsE >> we);
      if (!nextA || !nextE) {
        same = nextA == nextE;
        break;
      }
      same = wa == we || SameNumber(wa, we);
    }
    if (!same) {
      ADD_FAILURE() << "line " << line << " differs\n  ezdxf:   " << a << "\n  drawing: " << e;
      return;
    }
  }
}

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

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class DxfWriterTest : public ::testing::Test {
public:
  void SetUp() override {
    python_ = TESSARO_PYTHON3;
    if (python_.empty() || !fs::exists(python_)) GTEST_SKIP() << "no python3";
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = fs::temp_directory_path() / ("tessaro_dxfw_" + test + "_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    if (!folder_.empty()) fs::remove_all(folder_);
  }

  // The output of python3 with `args`; the exit status must be 0.
  std::string Python(const std::string& args) {
    const fs::path out = folder_ / "out.txt";
    const int status = std::system(("\"" + python_ + "\" " + args + " > \"" + out.string() + "\" 2>&1").c_str());
    EXPECT_EQ(status, 0) << ReadBytes(out);
    return ReadBytes(out);
  }
  std::string Audit(const fs::path& dxf) { return Python("-m ezdxf audit \"" + dxf.string() + "\""); }
  std::string EzdxfListing(const fs::path& dxf) {
    return Python("\"" TESSARO_SOURCE_DIR "/tests/platform/dxf_listing.py\" \"" + dxf.string() + "\"");
  }

protected:
  std::string python_;
  fs::path folder_;
};

TEST_F(DxfWriterTest, EveryTypeReadsBackInEzdxfWithItsGeometryAndPassesTheAudit) {
  const Drawing drawing = EveryType();
  EXPECT_TRUE(EntitiesLeftOut(drawing).empty());
  const fs::path dxf = folder_ / "every_type.dxf";
  WriteDxfFile(drawing, dxf);
  EXPECT_NE(Audit(dxf).find("No errors found."), std::string::npos) << Audit(dxf);
  EXPECT_EQ(EzdxfListing(dxf), Listing(drawing));
}

// Read by our reader and written again, a file keeps what the reader drew: the rewritten
// file passes the audit and ezdxf lists the same as the drawing read.
void ExpectRoundTrip(DxfWriterTest& test, const fs::path& source, const fs::path& folder) {
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
  const std::string audit = test.Audit(again);
  EXPECT_NE(audit.find("No errors found."), std::string::npos) << audit;
  ExpectSameListing(test.EzdxfListing(again), Listing(drawing));
}

TEST_F(DxfWriterTest, WhatOurReaderReadsIsWrittenAgainTheSame) {
  WriteDxfFile(EveryType(), folder_ / "every_type.dxf");
  ExpectRoundTrip(*this, folder_ / "every_type.dxf", folder_);
}

// Files of three releases as another DXF library writes them.
TEST_F(DxfWriterTest, FilesOfAnotherLibraryReadByUsAreWrittenAgainTheSame) {
  Python("\"" TESSARO_SOURCE_DIR "/tests/platform/dxf_samples.py\" \"" + folder_.string() + "\"");
  for (const char* version : {"R12", "R2000", "R2018"}) {
    ExpectRoundTrip(*this, folder_ / ("ezdxf_" + std::string(version) + ".dxf"), folder_);
  }
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
  for (const auto& file : files) ExpectRoundTrip(*this, file, folder_);
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
  EXPECT_NE(Audit(dxf).find("No errors found."), std::string::npos) << Audit(dxf);
  const std::string listing = EzdxfListing(dxf);
  EXPECT_NE(listing.find("BLOCK B 0 0 : \n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("\nLINE "), std::string::npos);
  EXPECT_NE(listing.find("\nINSERT 0 256 B "), std::string::npos);
  EXPECT_NE(listing.find("\nCIRCLE "), std::string::npos);
  EXPECT_EQ(listing.find("LEADER"), std::string::npos);
}

// A drawing of random entities of every type on random layers and in random blocks
// (inserts with attributes among them), with values a DXF file cannot hold: zero sizes,
// ratios and directions, short or broken splines, orphan attributes, inserts of missing
// blocks, colours and alignments out of range.
class RandomDrawing {
public:
  explicit RandomDrawing(unsigned seed) : rng_(seed) {
    layers_ = {d_.AddLayer("0"), d_.AddLayer("A"), d_.AddLayer("B b")};
    d_.SetLayerLook(layers_[1], Pick(300) - 20, Chance(2) ? std::optional<std::uint32_t>(rng_() & 0xFFFFFF) : std::nullopt,
                    Chance(2));
    for (int b = 0; b < 4; ++b) {
      blocks_.push_back(d_.AddBlock((Chance(4) ? "*X" : "Blk") + std::to_string(b), At()));
    }
    for (const BlockIndex block : blocks_) {
      d_.OpenBlock(block);
      AddEntities();
      d_.CloseBlock();
    }
    AddEntities();
  }
  const Drawing& drawing() const { return d_; }

private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }
  double Real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(rng_); }
  Point2d At() { return {Chance(4) ? 0.0 : Real(-100, 100), Real(-100, 100)}; }
  EntityStyle Style() {
    return {layers_[static_cast<std::size_t>(Pick(3))], Pick(258),
            Chance(3) ? std::optional<std::uint32_t>(rng_()) : std::nullopt};
  }
  TextGeometry Text(std::string value) {
    return {.position = At(), .height = Real(0, 5), .value = std::move(value), .style = Chance(2) ? "" : "S1",
            .rotation = Real(-720, 720), .widthFactor = Real(0, 3), .oblique = Real(-80, 80),
            .hAlign = static_cast<std::uint8_t>(Pick(7)), .vAlign = static_cast<std::uint8_t>(Pick(5)),
            .generation = static_cast<std::uint8_t>(Pick(3) * 2), .alignPoint = At()};
  }
  SplineGeometry Spline() {
    SplineGeometry s{.degree = Pick(5)};
    for (int k = Pick(8); k > 0; --k) s.controlPoints.push_back(At());
    for (int k = Pick(14); k > 0; --k) s.knots.push_back(static_cast<double>(s.knots.size()));
    if (Chance(2)) s.weights.assign(s.controlPoints.size(), Real(0.1, 2));
    if (Chance(2)) {
      for (int k = Pick(6); k > 0; --k) s.fitPoints.push_back(At());
    }
    return s;
  }
  HatchLoop Loop() {
    HatchLoop loop{.flags = static_cast<std::uint32_t>(Pick(20)), .isPolyline = Chance(2), .closed = Chance(2)};
    for (int k = Pick(5); k > 0; --k) {
      if (loop.isPolyline) {
        loop.polyline.push_back({At(), Real(-1, 1)});
        continue;
      }
      switch (Pick(4)) {
        case 0: loop.edges.push_back(HatchLineEdge{At(), At()}); break;
        case 1: loop.edges.push_back(HatchArcEdge{At(), Real(0, 5), Real(0, 360), Real(0, 360), Chance(2)}); break;
        case 2: loop.edges.push_back(HatchEllipseEdge{At(), At(), Real(0, 1), Real(0, 360), Real(0, 360), Chance(2)}); break;
        default: loop.edges.push_back(Spline()); break;
      }
    }
    return loop;
  }

  void AddEntities() {
    for (int i = 30 + Pick(30); i > 0; --i) {
      switch (Pick(17)) {
        case 0: d_.Add(Style(), LineGeometry{At(), At()}); break;
        case 1: d_.Add(Style(), CircleGeometry{At(), Chance(5) ? 0.0 : Real(0, 10)}); break;
        case 2: d_.Add(Style(), ArcGeometry{At(), Real(0, 10), Real(-400, 400), Real(-400, 400)}); break;
        case 3: d_.Add(Style(), Text(Chance(3) ? "" : "t\xC3\xA8st")); break;
        case 4: {
          std::vector<PolylineVertex> vertices;
          for (int k = Pick(6); k > 0; --k) vertices.push_back({At(), Chance(2) ? Real(-3, 3) : 0.0});
          d_.Add(Style(), PolylineGeometry{.closed = Chance(2), .width = Real(0, 2)}, vertices);
          break;
        }
        case 5: d_.Add(Style(), EllipseGeometry{At(), At(), Real(0, 3), Real(-7, 7), Real(-7, 7)}); break;
        case 6: d_.Add(Style(), Spline()); break;
        case 7: {
          const std::string value = std::string(static_cast<std::size_t>(Pick(600)), 'x') + "\\P\xE2\x88\x85";
          d_.Add(Style(), MTextGeometry{.position = At(), .height = Real(0, 5), .width = Real(0, 50),
                                        .rotation = Real(-360, 360), .attachment = static_cast<std::uint8_t>(Pick(12)),
                                        .value = value});
          break;
        }
        case 8: {
          const BlockIndex block = blocks_[static_cast<std::size_t>(Pick(4))] + (Chance(10) ? 100u : 0u);
          d_.Add(Style(), InsertGeometry{.block = block, .position = At(), .xScale = Real(-2, 2), .yScale = Real(-2, 2),
                                         .rotation = Real(-360, 360), .columns = static_cast<std::uint16_t>(Pick(3)),
                                         .rows = static_cast<std::uint16_t>(Pick(3)), .columnSpacing = Real(0, 5),
                                         .rowSpacing = Real(0, 5), .attributes = static_cast<std::uint32_t>(Pick(3))});
          for (int k = Pick(3); k > 0; --k) {
            d_.Add(Style(), AttribGeometry{.text = Text("v"), .tag = Chance(2) ? "" : "TAG", .invisible = Chance(2)});
          }
          break;
        }
        case 9:
          d_.Add(Style(), DimensionGeometry{.block = blocks_[static_cast<std::size_t>(Pick(4))], .definitionPoint = At(),
                                            .textPoint = At(), .dimensionType = static_cast<std::uint8_t>(Pick(7) | (Pick(2) * 32)),
                                            .measurement = Real(0, 9), .text = Chance(2) ? "<>" : "",
                                            .style = Chance(2) ? "" : "DS" + std::to_string(Pick(2))});
          break;
        case 10: {
          LeaderGeometry leader{.arrowhead = Chance(2)};
          for (int k = Pick(5); k > 0; --k) leader.vertices.push_back(At());
          d_.Add(Style(), leader);
          break;
        }
        case 11: {
          HatchGeometry hatch{.solid = Chance(2), .pattern = Chance(2) ? "" : "ANSI31"};
          for (int k = Pick(3); k > 0; --k) hatch.loops.push_back(Loop());
          d_.Add(Style(), hatch);
          break;
        }
        case 12:
          d_.Add(Style(), SolidGeometry{.kind = static_cast<SolidKind>(Pick(3)),
                                        .invisibleEdges = static_cast<std::uint8_t>(Pick(16)),
                                        .corners = {At(), At(), At(), At()}});
          break;
        case 13: d_.Add(Style(), PointGeometry{At()}); break;
        case 14: d_.Add(Style(), RayGeometry{At(), Chance(4) ? Point2d{} : At(), Chance(2)}); break;
        case 15: {
          WipeoutGeometry wipeout;
          for (int k = Pick(6); k > 0; --k) wipeout.frame.push_back(At());
          d_.Add(Style(), wipeout);
          break;
        }
        default: d_.Add(Style(), AttribGeometry{.text = Text("orfano"), .tag = "T"}); break;
      }
    }
  }

  std::mt19937 rng_;
  Drawing d_;
  std::vector<LayerIndex> layers_;
  std::vector<BlockIndex> blocks_;
};

TEST_F(DxfWriterTest, RandomDrawingsWithBrokenValuesGiveCleanFiles) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const fs::path dxf = folder_ / ("random_" + std::to_string(seed) + ".dxf");
    WriteDxfFile(RandomDrawing(seed).drawing(), dxf);
    const std::string audit = Audit(dxf);
    EXPECT_NE(audit.find("No errors found."), std::string::npos) << audit;
  }
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
  EXPECT_NE(Audit(dxf).find("No errors found."), std::string::npos) << Audit(dxf);
  const std::string listing = EzdxfListing(dxf);
  for (const char* line : {"BLOCK A 0 0 : INSERT\n", "BLOCK B 0 0 : LINE\n", "BLOCK C 0 0 : INSERT\n",
                           "BLOCK Foglia 0 0 : CIRCLE\n", "INSERT 0 256 A 1 2", "INSERT 0 256 C 1 2"}) {
    EXPECT_NE(listing.find(line), std::string::npos) << line << "\n" << listing;
  }
}

// Whole numbers and hundredths take their own digit writer: every width and sign.
TEST(DxfWriterNumbers, WholeNumbersAndHundredthsHaveTheirDigits) {
  const std::pair<double, const char*> rows[] = {
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
