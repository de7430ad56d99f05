// DXF files: what we write reads back unchanged, passes ezdxf's audit and reads the same
// in ezdxf; files from elsewhere are decoded and their unknown entities counted; failed
// reads and writes leave the drawing and any earlier file as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/dxf_file.h"
#include "platform/dxf_writer.h"
#include "platform/errors.h"

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace tessaro {
namespace {

namespace fs = std::filesystem;

const std::string kDiameter = "\xC3\x98";

// A drawing with every entity type, layers off and on, the colours BYBLOCK and BYLAYER,
// values that are not short in binary, and texts with Ø, €, ° and a character (∅) that
// Windows-1252 lacks.
Drawing SampleDrawing() {
  Drawing d;
  d.SetCurrentLayer("Cls");
  d.AddLine({{0, 0}, {12.7f, 30}}, 5);
  d.AddLine({{-3.3f, 0.1f}, {1234.567f, -0.001f}}, 0);
  d.SetCurrentLayer("Ferri");
  d.AddCircle({{2.5f, 7.1f}, 0.8f}, 3);
  d.AddArc({{10, 20}, 3.75f, 270, 90}, 21);
  d.SetCurrentLayer("Testi \xC3\xA8");
  d.AddText({{1.5f, 2}, 2.5f, "4" + kDiameter + "16", "Arial"}, 6);
  d.AddText({{1.5f, -5}, 3, "\xE2\x82\xAC 12 30\xC2\xB0 \xE2\x88\x85", "STANDARD"}, 256);
  d.SetCurrentLayer("Ferri");
  d.AddLine({{1e-5f, 3e5f}, {0.3f, 1.0f / 3}}, 3);
  d.SetLayerOn("Ferri", false);
  return d;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// DXF text from (group code, value) pairs.
std::string Groups(std::initializer_list<std::pair<int, std::string>> groups) {
  std::string text;
  for (const auto& [code, value] : groups) text += std::to_string(code) + "\n" + value + "\n";
  return text;
}

struct CommandResult {
  int status = -1;
  std::string output;
};

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char chunk[4096];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
  result.status = pclose(pipe);
  return result;
}

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

class DxfFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Named by the test and a random tag: builds of several configurations may run their
    // tests at the same time.
    folder_ = fs::temp_directory_path() /
              ("tessaro_dxf_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(std::random_device{}()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::vector<std::string> FolderContents() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
};

// ---- round trip -------------------------------------------------------------------------

// Every value of the drawing is a widened Single, and is written as the shortest text of
// that Single: it reads back as the same Single.
void ExpectSameEntity(const Drawing& a, const EntityHeader& ea, const Drawing& b, const EntityHeader& eb) {
  const auto same = [](double x, double y) { return static_cast<float>(x) == static_cast<float>(y); };
  const auto samePoint = [&](Point2d p, Point2d q) { return same(p.x, q.x) && same(p.y, q.y); };
  ASSERT_EQ(ea.type, eb.type);
  EXPECT_EQ(a.Layers()[ea.layer].name, b.Layers()[eb.layer].name);
  EXPECT_EQ(ea.color, eb.color);
  switch (ea.type) {
    case EntityType::Line:
      EXPECT_TRUE(samePoint(a.Line(ea).start, b.Line(eb).start));
      EXPECT_TRUE(samePoint(a.Line(ea).end, b.Line(eb).end));
      break;
    case EntityType::Circle:
      EXPECT_TRUE(samePoint(a.Circle(ea).center, b.Circle(eb).center));
      EXPECT_TRUE(same(a.Circle(ea).radius, b.Circle(eb).radius));
      break;
    case EntityType::Arc:
      EXPECT_TRUE(samePoint(a.Arc(ea).center, b.Arc(eb).center));
      EXPECT_TRUE(same(a.Arc(ea).radius, b.Arc(eb).radius));
      EXPECT_TRUE(same(a.Arc(ea).startAngle, b.Arc(eb).startAngle));
      EXPECT_TRUE(same(a.Arc(ea).endAngle, b.Arc(eb).endAngle));
      break;
    case EntityType::Text:
      EXPECT_TRUE(samePoint(a.Text(ea).position, b.Text(eb).position));
      EXPECT_TRUE(same(a.Text(ea).height, b.Text(eb).height));
      EXPECT_EQ(a.Text(ea).value, b.Text(eb).value);
      EXPECT_EQ(a.Text(ea).style, b.Text(eb).style);
      break;
  }
}

TEST_F(DxfFileTest, RoundTripKeepsEveryEntityLayerAndText) {
  const Drawing original = SampleDrawing();
  const fs::path path = folder_ / "sample.dxf";
  WriteDxfFile(original, path);

  Drawing read;
  const DxfReadReport report = ReadDxfFile(read, path);
  EXPECT_EQ(report.entitiesRead, original.EntityCount());
  EXPECT_TRUE(report.skippedTypes.empty());

  // Every DXF file holds layer "0": a drawing without one gains it, in first place.
  ASSERT_EQ(read.Layers().size(), original.Layers().size() + 1);
  EXPECT_EQ(read.Layers()[0].name, "0");
  for (std::size_t i = 0; i < original.Layers().size(); ++i) {
    EXPECT_EQ(read.Layers()[i + 1].name, original.Layers()[i].name);
    EXPECT_EQ(read.Layers()[i + 1].on, original.Layers()[i].on) << original.Layers()[i].name;
  }
  ASSERT_EQ(read.EntityCount(), original.EntityCount());
  for (std::size_t i = 0; i < original.EntityCount(); ++i) {
    SCOPED_TRACE(i);
    ExpectSameEntity(original, original.Entities()[i], read, read.Entities()[i]);
  }
}

TEST_F(DxfFileTest, FileIsTheDxfTextAndAReadWriteReadIsStable) {
  const Drawing original = SampleDrawing();
  const fs::path path = folder_ / "a.dxf";
  WriteDxfFile(original, path);
  EXPECT_EQ(ReadBytes(path), DxfText(original));

  Drawing once;
  ReadDxfFile(once, path);
  WriteDxfFile(once, folder_ / "b.dxf");
  Drawing twice;
  ReadDxfFile(twice, folder_ / "b.dxf");
  EXPECT_EQ(DxfText(once), DxfText(twice));
}

TEST_F(DxfFileTest, EmptyDrawingWritesAFileWithLayerZeroOnly) {
  const fs::path path = folder_ / "empty.dxf";
  WriteDxfFile(Drawing{}, path);
  Drawing read;
  read.AddLine({{0, 0}, {1, 1}}, 1);
  EXPECT_EQ(ReadDxfFile(read, path).entitiesRead, 0u);
  EXPECT_EQ(read.EntityCount(), 0u);
  ASSERT_EQ(read.Layers().size(), 1u);
  EXPECT_EQ(read.Layers()[0].name, "0");
}

// ---- what the file says -----------------------------------------------------------------

// The value that follows the header variable `name`.
std::string HeaderValue(const std::string& dxf, const std::string& name) {
  std::istringstream lines(dxf);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == name) {
      std::getline(lines, line);  // group code
      std::getline(lines, line);
      return line;
    }
  }
  return "(missing)";
}

TEST(DxfText, HeaderNamesVersionCodePageUnitsAndExtents) {
  const std::string dxf = DxfText(SampleDrawing());
  EXPECT_EQ(HeaderValue(dxf, "$ACADVER"), "AC1015");
  EXPECT_EQ(HeaderValue(dxf, "$DWGCODEPAGE"), "ANSI_1252");
  EXPECT_EQ(HeaderValue(dxf, "$INSUNITS"), "5");
  EXPECT_NE(dxf.find("$EXTMIN\n 10\n-3.3\n 20\n-5\n"), std::string::npos);
  EXPECT_NE(dxf.find("$EXTMAX\n 10\n1234.567\n 20\n300000\n"), std::string::npos);
  EXPECT_EQ(dxf.substr(dxf.size() - 8), "  0\nEOF\n");
}

TEST(DxfText, TextsAreWindows1252WithTheRawDiameterByte) {
  const std::string dxf = DxfText(SampleDrawing());
  EXPECT_NE(dxf.find("\n4\xD8" "16\n"), std::string::npos);
  EXPECT_NE(dxf.find("\n\x80 12 30\xB0 \\U+2205\n"), std::string::npos);
  EXPECT_NE(dxf.find("\nTesti \xE8\n"), std::string::npos);  // layer names too
  EXPECT_EQ(dxf.find(kDiameter), std::string::npos);       // no UTF-8 left
}

TEST(DxfText, HandSeedIsAboveEveryHandleAndHandlesAreUnique) {
  const std::string dxf = DxfText(SampleDrawing());
  std::istringstream lines(dxf);
  std::string code;
  std::string value;
  std::vector<unsigned long> handles;
  bool seedFollows = false;
  while (std::getline(lines, code) && std::getline(lines, value)) {
    const bool handle = code == "  5" || code == "105";
    if (handle && !seedFollows) handles.push_back(std::stoul(value, nullptr, 16));
    seedFollows = value == "$HANDSEED";
  }
  const unsigned long seed = std::stoul(HeaderValue(dxf, "$HANDSEED"), nullptr, 16);
  ASSERT_GT(handles.size(), SampleDrawing().EntityCount());
  EXPECT_GT(seed, *std::max_element(handles.begin(), handles.end()));
  std::sort(handles.begin(), handles.end());
  EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
}

TEST(DxfText, LayersOffHaveNegativeColours) {
  const std::string dxf = DxfText(SampleDrawing());
  EXPECT_NE(dxf.find("  2\nFerri\n 70\n0\n 62\n-7\n"), std::string::npos);
  EXPECT_NE(dxf.find("  2\nCls\n 70\n0\n 62\n7\n"), std::string::npos);
}

// One entity as it appears in the file: handle, layer, colour, then the geometry as the
// shortest texts of its Singles.
TEST(DxfText, ALineEntityReadsAsExpected) {
  Drawing drawing;
  drawing.SetCurrentLayer("Ferri");
  drawing.AddLine({{0, 0.1f}, {12.7f, 30}}, 3);
  const std::string dxf = DxfText(drawing);
  const std::string expected =
      "  0\nLINE\n"
      "  5\n34\n"
      "100\nAcDbEntity\n"
      "  8\nFerri\n"
      " 62\n3\n"
      "370\n-1\n"
      " 48\n1\n"
      "  6\nBYLAYER\n"
      "100\nAcDbLine\n"
      " 10\n0\n 20\n0.1\n 30\n0\n"
      " 11\n12.7\n 21\n30\n 31\n0\n"
      "  0\nENDSEC\n";
  EXPECT_NE(dxf.find(expected), std::string::npos) << dxf.substr(dxf.find("ENTITIES"), 400);
}

TEST(FormatDxfReal, ShortestTextThatReadsBackTheSameValue) {
  EXPECT_EQ(FormatDxfReal(static_cast<double>(12.7f)), "12.7");
  EXPECT_EQ(FormatDxfReal(static_cast<double>(0.1f)), "0.1");
  EXPECT_EQ(FormatDxfReal(30.0), "30");
  EXPECT_EQ(FormatDxfReal(-0.0), "0");
  EXPECT_EQ(FormatDxfReal(0.1), "0.1");                      // a double that is no float
  EXPECT_EQ(FormatDxfReal(1.0 / 3), "0.3333333333333333");    // ditto
  EXPECT_EQ(FormatDxfReal(16777217.0), "16777217");            // beyond float's integers
  EXPECT_EQ(FormatDxfReal(static_cast<double>(1e-5f)), "0.00001");
  EXPECT_EQ(FormatDxfReal(static_cast<double>(3e5f)), "300000");  // not 3e+05
  EXPECT_EQ(FormatDxfReal(static_cast<double>(-1234.567f)), "-1234.567");
  EXPECT_EQ(FormatDxfReal(1e300), "1e+300");
  EXPECT_EQ(FormatDxfReal(static_cast<double>(1e-30f)), "1e-30");
}

// ---- ezdxf, the reference reader --------------------------------------------------------

bool HavePython() { return std::string(TESSARO_PYTHON3).size() > 0 && fs::exists(TESSARO_PYTHON3); }

void ExpectCleanAudit(const fs::path& dxf) {
  const CommandResult audit = RunCommand(std::string("\"") + TESSARO_PYTHON3 + "\" -m ezdxf audit " + Quoted(dxf));
  EXPECT_EQ(audit.status, 0) << audit.output;
  EXPECT_NE(audit.output.find("No errors found."), std::string::npos) << audit.output;
}

// ezdxf adds a "Defpoints" layer of its own, and hands texts over raw, with AutoCAD's
// \U+XXXX escapes left in.
constexpr const char* kEzdxfListing = R"(import re, sys, ezdxf
sys.stdout.reconfigure(encoding='utf-8')
doc = ezdxf.readfile(sys.argv[1])
for layer in doc.layers:
    if layer.dxf.name != 'Defpoints':
        print('LAYER', layer.dxf.name, 'on' if layer.is_on() else 'off')
for e in doc.modelspace():
    text = ''
    if e.dxftype() == 'TEXT':
        text = ' ' + re.sub(r'\\U\+([0-9A-Fa-f]{4})', lambda m: chr(int(m.group(1), 16)), e.dxf.text)
    print(e.dxftype(), e.dxf.layer, e.dxf.color, end=text + '\n')
)";

// The same listing from our drawing, in the terms ezdxf uses.
std::string ExpectedListing(const Drawing& d) {
  std::string out = d.FindLayer("0") ? "" : "LAYER 0 on\n";
  for (const auto& layer : d.Layers()) out += "LAYER " + layer.name + (layer.on ? " on\n" : " off\n");
  for (const auto& e : d.Entities()) {
    out += std::string(EntityTypeName(e.type)) + " " + d.Layers()[e.layer].name + " " + std::to_string(e.color);
    out += e.type == EntityType::Text ? " " + d.Text(e).value + "\n" : "\n";
  }
  return out;
}

TEST_F(DxfFileTest, WrittenFilesPassEzdxfAuditAndReadTheSameThere) {
  if (!HavePython()) GTEST_SKIP() << "no python3";
  const fs::path script = folder_ / "listing.py";
  WriteBytes(script, kEzdxfListing);
  Drawing empty;
  Drawing withZero;
  withZero.AddCircle({{0, 0}, 1}, 7);
  for (const auto& [name, drawing] : {std::pair{"sample", SampleDrawing()}, std::pair{"empty", empty},
                                      std::pair{"with_layer_zero", withZero}}) {
    SCOPED_TRACE(name);
    const fs::path dxf = folder_ / (std::string(name) + ".dxf");
    WriteDxfFile(drawing, dxf);
    ExpectCleanAudit(dxf);
    const CommandResult listing = RunCommand(std::string("\"") + TESSARO_PYTHON3 + "\" " + Quoted(script) + " " + Quoted(dxf));
    EXPECT_EQ(listing.status, 0) << listing.output;
    EXPECT_EQ(listing.output, ExpectedListing(drawing));
  }
}

// ---- files from elsewhere ---------------------------------------------------------------

TEST_F(DxfFileTest, ReadsCodePageTextsEscapesAndLayerStates) {
  const std::string dxf =
      Groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1252"},
              {0, "ENDSEC"}, {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "2"},
              {0, "LAYER"}, {2, "Barre \xD8"}, {70, "0"}, {62, "-3"}, {6, "CONTINUOUS"},
              {0, "LAYER"}, {2, "Gelato"}, {70, "1"}, {62, "4"}, {6, "CONTINUOUS"},
              {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"},
              {0, "TEXT"}, {8, "Barre \xD8"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "4\xD8" "16"},
              {0, "TEXT"}, {8, "Barre \xD8"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "%%c8 30%%d %%p1 \\U+2205"},
              {0, "LINE"}, {8, "NotInTable"}, {10, "0"}, {20, "0"}, {11, "1,5"}, {21, "2"},
              {0, "ENDSEC"}, {0, "EOF"}});
  WriteBytes(folder_ / "in.dxf", dxf);
  Drawing read;
  ReadDxfFile(read, folder_ / "in.dxf");
  ASSERT_EQ(read.Layers().size(), 3u);
  EXPECT_EQ(read.Layers()[0].name, "Barre " + kDiameter);
  EXPECT_FALSE(read.Layers()[0].on);  // negative colour
  EXPECT_FALSE(read.Layers()[1].on);  // frozen
  EXPECT_EQ(read.Layers()[2].name, "NotInTable");
  ASSERT_EQ(read.EntityCount(), 3u);
  EXPECT_EQ(read.Text(read.Entities()[0]).value, "4" + kDiameter + "16");
  EXPECT_EQ(read.Text(read.Entities()[1]).value, kDiameter + "8 30\xC2\xB0 \xC2\xB1" "1 \xE2\x88\x85");
  EXPECT_EQ(read.Entities()[0].color, 256);  // BYLAYER is kept as it is
  EXPECT_EQ(read.Entities()[2].layer, 2);
}

TEST_F(DxfFileTest, ReadsR2007TextsAsUtf8) {
  const std::string dxf = Groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1021"}, {9, "$DWGCODEPAGE"},
                                  {3, "ANSI_1252"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "TEXT"},
                                  {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, "4" + kDiameter + "16"},
                                  {0, "ENDSEC"}, {0, "EOF"}});
  WriteBytes(folder_ / "r2007.dxf", dxf);
  Drawing read;
  ReadDxfFile(read, folder_ / "r2007.dxf");
  ASSERT_EQ(read.EntityCount(), 1u);
  EXPECT_EQ(read.Text(read.Entities()[0]).value, "4" + kDiameter + "16");
}

TEST_F(DxfFileTest, CountsAndSkipsEntityTypesTheDrawingCannotHold) {
  const std::string dxf = Groups({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "Dettaglio"}, {70, "0"},
                                  {10, "0"}, {20, "0"}, {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"},
                                  {21, "1"}, {0, "ENDBLK"}, {0, "ENDSEC"},
                                  {0, "SECTION"}, {2, "ENTITIES"},
                                  {0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
                                  {0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
                                  {0, "MTEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, "x"},
                                  {0, "POLYLINE"}, {8, "0"}, {66, "1"}, {0, "VERTEX"}, {8, "0"}, {10, "0"},
                                  {20, "0"}, {0, "VERTEX"}, {8, "0"}, {10, "1"}, {20, "0"}, {0, "SEQEND"},
                                  {0, "INSERT"}, {8, "0"}, {2, "Dettaglio"}, {10, "5"}, {20, "5"},
                                  {0, "CIRCLE"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"},
                                  {0, "ENDSEC"}, {0, "EOF"}});
  WriteBytes(folder_ / "mixed.dxf", dxf);
  Drawing read;
  const DxfReadReport report = ReadDxfFile(read, folder_ / "mixed.dxf");
  EXPECT_EQ(report.entitiesRead, 1u);  // the circle; the line is part of a block
  ASSERT_EQ(read.EntityCount(), 1u);
  EXPECT_EQ(read.Entities()[0].type, EntityType::Circle);
  const std::map<std::string, std::size_t> expected = {{"INSERT", 1}, {"LWPOLYLINE", 2}, {"MTEXT", 1}, {"POLYLINE", 1}};
  EXPECT_EQ(report.skippedTypes, expected);
}

TEST_F(DxfFileTest, ReadsCrLfFilesWithPaddedGroupCodes) {
  std::string dxf = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nCIRCLE\r\n  8\r\n0\r\n 10\r\n1\r\n 20\r\n2\r\n"
                    " 40\r\n3\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  WriteBytes(folder_ / "crlf.dxf", dxf);
  Drawing read;
  EXPECT_EQ(ReadDxfFile(read, folder_ / "crlf.dxf").entitiesRead, 1u);
  EXPECT_EQ(read.Circle(read.Entities()[0]).radius, 3.0);
}

// dxflib never returns from a line of 1024 bytes or more: we write no such line, and cut
// those of other files before dxflib sees them.
TEST_F(DxfFileTest, LongTextsAreCutToWhatTheReaderTakes) {
  Drawing drawing;
  drawing.AddText({{0, 0}, 1, std::string(1500, 'x'), "Arial"}, 1);
  drawing.AddText({{0, 0}, 1, std::string(998, 'y') + "\xE2\x88\x85", "Arial"}, 1);  // no half escape
  WriteDxfFile(drawing, folder_ / "long.dxf");
  Drawing read;
  ReadDxfFile(read, folder_ / "long.dxf");
  ASSERT_EQ(read.EntityCount(), 2u);
  EXPECT_EQ(read.Text(read.Entities()[0]).value, std::string(1000, 'x'));
  EXPECT_EQ(read.Text(read.Entities()[1]).value, std::string(998, 'y'));
}

TEST_F(DxfFileTest, ReadsAFileWithALineLongerThanDxflibTakes) {
  const std::string dxf = Groups({{0, "SECTION"}, {2, "ENTITIES"}, {0, "MTEXT"}, {8, "0"}, {1, std::string(5000, 'm')},
                                  {0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, std::string(1200, 't')},
                                  {0, "ENDSEC"}, {0, "EOF"}});
  WriteBytes(folder_ / "long.dxf", dxf);
  Drawing read;
  const DxfReadReport report = ReadDxfFile(read, folder_ / "long.dxf");
  EXPECT_EQ(report.skippedTypes.at("MTEXT"), 1u);
  ASSERT_EQ(read.EntityCount(), 1u);
  EXPECT_EQ(read.Text(read.Entities()[0]).value, std::string(1000, 't'));
}

// ---- failures ---------------------------------------------------------------------------

ErrorKind ReadFailure(Drawing& drawing, const fs::path& path, std::string* message = nullptr) {
  try {
    ReadDxfFile(drawing, path);
  } catch (const RuntimeError& e) {
    if (message != nullptr) *message = e.what();
    return e.kind();
  }
  ADD_FAILURE() << "the read of " << path << " did not fail";
  return ErrorKind::Overflow;
}

TEST_F(DxfFileTest, FailedReadsLeaveTheDrawingAsItWas) {
  const std::string good = DxfText(SampleDrawing());
  WriteBytes(folder_ / "notes.txt", "Pilastrata P1\nnot a drawing\n");
  WriteBytes(folder_ / "cut.dxf", good.substr(0, good.size() / 2));
  WriteBytes(folder_ / "no_eof.dxf", good.substr(0, good.size() - 8));
  WriteBytes(folder_ / "binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22));
  WriteBytes(folder_ / "empty.dxf", "");

  Drawing drawing = SampleDrawing();
  const std::string before = DxfText(drawing);
  std::string message;
  EXPECT_EQ(ReadFailure(drawing, folder_ / "notes.txt", &message), ErrorKind::BadFormat);
  EXPECT_NE(message.find("notes.txt"), std::string::npos) << message;
  EXPECT_NE(message.find("line 1"), std::string::npos) << message;
  for (const char* name : {"cut.dxf", "no_eof.dxf", "binary.dxf", "empty.dxf"}) {
    EXPECT_EQ(ReadFailure(drawing, folder_ / name), ErrorKind::BadFormat) << name;
  }
  EXPECT_EQ(ReadFailure(drawing, folder_ / "missing.dxf"), ErrorKind::FileNotFound);
  EXPECT_EQ(ReadFailure(drawing, folder_), ErrorKind::FileIo);
  EXPECT_EQ(DxfText(drawing), before);
}

ErrorKind WriteFailure(const Drawing& drawing, const fs::path& path, std::string* message = nullptr) {
  try {
    WriteDxfFile(drawing, path);
  } catch (const RuntimeError& e) {
    if (message != nullptr) *message = e.what();
    return e.kind();
  }
  ADD_FAILURE() << "the write of " << path << " did not fail";
  return ErrorKind::Overflow;
}

TEST_F(DxfFileTest, WriteIntoAMissingFolderFailsWithThePathAndReason) {
  std::string message;
  const fs::path target = folder_ / "Disegni" / "Pilastrata_P1.dxf";
  EXPECT_EQ(WriteFailure(SampleDrawing(), target, &message), ErrorKind::FileIo);
  EXPECT_NE(message.find(target.string()), std::string::npos) << message;
  EXPECT_GT(message.size(), message.find(target.string()) + target.string().size() + 4) << "no reason given";
  EXPECT_TRUE(FolderContents().empty());
}

TEST_F(DxfFileTest, WriteOverAFolderFailsAndLeavesItAndNoTemporaryFile) {
  fs::create_directories(folder_ / "taken.dxf" / "inside");
  EXPECT_EQ(WriteFailure(SampleDrawing(), folder_ / "taken.dxf"), ErrorKind::FileIo);
  EXPECT_TRUE(fs::is_directory(folder_ / "taken.dxf" / "inside"));
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"taken.dxf"});
}

// A target name at the file system's limit leaves no room for the temporary name beside
// it: the write fails before the target is touched.
TEST_F(DxfFileTest, FailedWriteLeavesTheEarlierFileIntact) {
  const fs::path target = folder_ / (std::string(250, 'p') + ".dxf");
  WriteBytes(target, "earlier drawing");
  if (!fs::exists(target)) GTEST_SKIP() << "this file system takes no name this long";
  EXPECT_EQ(WriteFailure(SampleDrawing(), target), ErrorKind::FileIo);
  EXPECT_EQ(ReadBytes(target), "earlier drawing");
  EXPECT_EQ(FolderContents().size(), 1u);
}

// A value that is not a number fails the write once the temporary file is half written.
TEST_F(DxfFileTest, DrawingWithANonFiniteValueFailsAndLeavesTheEarlierFile) {
  const fs::path target = folder_ / "p.dxf";
  WriteBytes(target, "earlier drawing");
  Drawing broken = SampleDrawing();
  broken.AddCircle({{1, 1}, std::nan("")}, 3);
  EXPECT_EQ(WriteFailure(broken, target), ErrorKind::InvalidFloat);
  EXPECT_EQ(ReadBytes(target), "earlier drawing");
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"p.dxf"});
}

TEST_F(DxfFileTest, WriteReplacesAnEarlierFile) {
  const fs::path target = folder_ / "p.dxf";
  WriteBytes(target, "earlier drawing");
  WriteDxfFile(SampleDrawing(), target);
  EXPECT_EQ(ReadBytes(target), DxfText(SampleDrawing()));
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"p.dxf"});
}

// ---- dxflib's process-wide side effects -------------------------------------------------

// A global locale whose decimal separator is a comma, as an Italian user's would be.
struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST_F(DxfFileTest, ReadsNumbersWhateverTheLocaleAndPutsTheLocaleBack) {
  const Drawing original = SampleDrawing();
  const fs::path path = folder_ / "p.dxf";
  WriteDxfFile(original, path);
  const std::locale savedGlobal;
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  const char* chosen = std::setlocale(LC_ALL, "C.UTF-8");
  const std::string expectedC = chosen != nullptr ? chosen : savedC;
  std::locale::global(std::locale(std::locale(), new CommaDecimals));

  Drawing read;
  ReadDxfFile(read, path);
  const char decimalPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  const std::string cLocale = std::setlocale(LC_ALL, nullptr);
  std::locale::global(savedGlobal);
  std::setlocale(LC_ALL, savedC.c_str());

  EXPECT_EQ(decimalPoint, ',');
  EXPECT_EQ(cLocale, expectedC);
  const auto& line = read.Line(read.Entities()[0]);
  EXPECT_EQ(static_cast<float>(line.end.x), 12.7f);
  EXPECT_EQ(static_cast<float>(read.Circle(read.Entities()[2]).radius), 0.8f);
}

// Each read switches the global locale for dxflib and back: reads on several threads at
// once must neither see one another's switch nor leave the classic locale behind.
TEST_F(DxfFileTest, ReadsOnSeveralThreadsAtOnceReadTheSameAndRestoreTheLocale) {
  const fs::path path = folder_ / "p.dxf";
  const Drawing original = SampleDrawing();
  WriteDxfFile(original, path);
  const std::locale savedGlobal;
  std::locale::global(std::locale(std::locale(), new CommaDecimals));
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < mismatches.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 25; ++round) {
        Drawing read;
        ReadDxfFile(read, path);
        if (read.EntityCount() != original.EntityCount() ||
            read.Line(read.Entities()[0]).end.x != 12.7) {
          ++mismatches[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  const char decimalPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  std::locale::global(savedGlobal);
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
  EXPECT_EQ(decimalPoint, ',');
}

}  // namespace
}  // namespace tessaro
