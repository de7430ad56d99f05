// DXF files: what we write reads back unchanged, passes ezdxf's audit and reads the same
// in ezdxf; files from elsewhere are decoded and their unknown entities counted; failed
// reads and writes leave the drawing and any earlier file as they were.
#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale>
#include <random>
#include <vector>

#include "dxf/file.h"
#include "dxf/writer.h"
#include "base/errors.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

const std::string kDiameter = "\xC3\x98";

// Every entity type, a layer off, the colours BYBLOCK and BYLAYER, values that are not
// short in binary, and texts with Ø, €, ° and a character (∅) that Windows-1252 lacks.
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

void WriteBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// DXF text from (group code, value) pairs, with Windows line ends as other programs write them.
std::string Groups(std::initializer_list<std::pair<int, std::string>> groups) {
  std::string text;
  for (const auto& [code, value] : groups) text += std::to_string(code) + "\r\n" + value + "\r\n";
  return text;
}

std::vector<double> ValuesOf(const Drawing& d, const EntityHeader& e) {
  switch (e.type) {
    case EntityType::Line: return {d.Line(e).start.x, d.Line(e).start.y, d.Line(e).end.x, d.Line(e).end.y};
    case EntityType::Circle: return {d.Circle(e).center.x, d.Circle(e).center.y, d.Circle(e).radius};
    case EntityType::Arc: return {d.Arc(e).center.x, d.Arc(e).center.y, d.Arc(e).radius, d.Arc(e).startAngle, d.Arc(e).endAngle};
    case EntityType::Text: return {d.Text(e).position.x, d.Text(e).position.y, d.Text(e).height};
    default: return {};
  }
}

// One line per layer and per entity, in order: a failing comparison shows which one differs.
// Values are the shortest texts of their Singles: every value of a drawing is a widened Single.
std::string Listing(const Drawing& d, bool withGeometry = true) {
  std::string out;
  char value[32];
  for (const auto& layer : d.Layers()) out += "LAYER " + layer.name + (layer.on ? " on\n" : " off\n");
  for (const auto& e : d.Entities()) {
    out += std::string(EntityTypeName(e.type)) + " " + d.Layers()[e.layer].name + " " + std::to_string(e.color);
    if (e.type == EntityType::Text) out += " " + d.Text(e).value + " " + d.Text(e).style;
    for (double v : withGeometry ? ValuesOf(d, e) : std::vector<double>{}) {
      out += " " + std::string(value, std::to_chars(value, value + sizeof value, static_cast<float>(v)).ptr);
    }
    out += "\n";
  }
  return out;
}

template <class F>
ErrorKind FailureOf(F&& statement, std::string* message = nullptr) {
  try {
    statement();
  } catch (const RuntimeError& e) {
    if (message != nullptr) *message = e.what();
    return e.kind();
  }
  ADD_FAILURE() << "no RuntimeError raised";
  return ErrorKind::Overflow;
}

class DxfFileTest : public ::testing::Test {
protected:
  // Named by the test and a random tag: several build configurations may run tests at once.
  void SetUp() override {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = fs::temp_directory_path() / ("tessaro_dxf_" + test + "_" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

// ---- what we write ----------------------------------------------------------------------

// A global locale whose decimal separator is a comma, as an Italian user's would be.
struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

// Numbers are read and written without the locale: under a comma locale every value must
// come back right, and both locales must stay as they were.
TEST_F(DxfFileTest, RoundTripKeepsEveryEntityLayerAndTextWhateverTheLocale) {
  const Drawing original = SampleDrawing();
  const fs::path path = folder_ / "sample.dxf";
  WriteDxfFile(original, path);
  EXPECT_EQ(ReadBytes(path), DxfText(original));

  const std::locale savedGlobal;
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  const char* chosen = std::setlocale(LC_ALL, "C.UTF-8");
  const std::string expectedC = chosen != nullptr ? chosen : savedC;
  std::locale::global(std::locale(std::locale(), new CommaDecimals));
  Drawing read;
  read.AddLine({{7, 7}, {8, 8}}, 1);  // replaced by the file's content
  const DxfReadReport report = ReadDxfFile(read, path);
  const char decimalPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  const std::string cLocale = std::setlocale(LC_ALL, nullptr);
  std::locale::global(savedGlobal);
  std::setlocale(LC_ALL, savedC.c_str());

  EXPECT_EQ(decimalPoint, ',');
  EXPECT_EQ(cLocale, expectedC);
  EXPECT_EQ(report.entitiesRead, original.EntityCount());
  EXPECT_TRUE(report.skippedTypes.empty());
  EXPECT_EQ(Listing(read), "LAYER 0 on\n" + Listing(original));  // every DXF file has a layer "0"
}

// The bytes a CAD program reads: R2000, Windows-1252 texts and layer names, layers off as
// negative colours, one entity as handle, layer, colour, then its values as shortest texts.
TEST(DxfText, FileSaysVersionCodePageUnitsExtentsAndWindows1252Texts) {
  const std::string dxf = DxfText(SampleDrawing());
  const std::string pieces[] = {
      "$ACADVER\n  1\nAC1015\n", "$DWGCODEPAGE\n  3\nANSI_1252\n", "$INSUNITS\n 70\n5\n",
      "$EXTMIN\n 10\n-3.3\n 20\n-5\n", "$EXTMAX\n 10\n1234.567\n 20\n300000\n",
      "$HANDSEED\n  5\n3D\n",  // one above the last handle in the file
      "  2\nFerri\n 70\n0\n 62\n-7\n", "  2\nCls\n 70\n0\n 62\n7\n", "\nTesti \xE8\n",
      "\n4\xD8" "16\n", "\n\x80 12 30\xB0 \\U+2205\n",
      "  0\nLINE\n  5\n36\n100\nAcDbEntity\n  8\nCls\n 62\n5\n370\n-1\n 48\n1\n  6\nBYLAYER\n"
      "100\nAcDbLine\n 10\n0\n 20\n0\n 30\n0\n 11\n12.7\n 21\n30\n 31\n0\n  0\nLINE\n"};
  for (const std::string& piece : pieces) EXPECT_NE(dxf.find(piece), std::string::npos) << piece;
  EXPECT_EQ(dxf.find(kDiameter), std::string::npos);  // no UTF-8 left
  EXPECT_EQ(dxf.substr(dxf.size() - 8), "  0\nEOF\n");
}

TEST(DxfText, ValuesAreTheShortestTextsThatReadBackTheSame) {
  const std::pair<double, const char*> rows[] = {
      {12.7f, "12.7"}, {0.1f, "0.1"}, {30.0, "30"}, {-0.0, "0"}, {0.1, "0.1"}, {1.0 / 3, "0.3333333333333333"},
      {16777217.0, "16777217"}, {1e-5f, "0.00001"}, {3e5f, "300000"}, {-1234.567f, "-1234.567"},
      {1e300, "1e+300"}, {1e-30f, "1e-30"}};
  for (const auto& [value, expected] : rows) EXPECT_EQ(FormatDxfReal(value), expected) << expected;
}

// ezdxf, the reference reader, hands texts over raw, with AutoCAD's \U+XXXX escapes left in,
// and adds a "Defpoints" layer of its own.
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
        text += ' ' + e.dxf.style
    print(e.dxftype(), e.dxf.layer, e.dxf.color, end=text + '\n')
)";

TEST_F(DxfFileTest, WrittenFilesPassEzdxfAuditAndReadTheSameThere) {
  const std::string python = TESSARO_PYTHON3;
  if (python.empty() || !fs::exists(python)) GTEST_SKIP() << "no python3";
  WriteBytes(folder_ / "listing.py", kEzdxfListing);
  Drawing withLayerZero;
  withLayerZero.AddCircle({{0, 0}, 1}, 7);
  for (const auto& [name, drawing] : {std::pair{"sample", SampleDrawing()}, std::pair{"empty", Drawing{}},
                                      std::pair{"with_layer_zero", withLayerZero}}) {
    SCOPED_TRACE(name);
    const fs::path dxf = folder_ / (std::string(name) + ".dxf");
    WriteDxfFile(drawing, dxf);
    const auto run = [&](const std::string& args) {
      const fs::path out = folder_ / "out.txt";
      const int status = std::system(("\"" + python + "\" " + args + " \"" + dxf.string() + "\" > \"" +
                                      out.string() + "\" 2>&1").c_str());
      EXPECT_EQ(status, 0) << ReadBytes(out);
      return ReadBytes(out);
    };
    EXPECT_NE(run("-m ezdxf audit").find("No errors found."), std::string::npos);
    const std::string zero = drawing.FindLayer("0") ? "" : "LAYER 0 on\n";
    EXPECT_EQ(run("\"" + (folder_ / "listing.py").string() + "\""), zero + Listing(drawing, false));
  }
}

// Other programs' readers choke on value lines of 1024 bytes or more: we write no such line.
TEST_F(DxfFileTest, LongTextsAreCutToWhatTheReaderTakes) {
  Drawing drawing;
  drawing.AddText({{0, 0}, 1, std::string(1500, 'x'), "Arial"}, 1);
  drawing.AddText({{0, 0}, 1, std::string(998, 'y') + "\xE2\x88\x85", "Arial"}, 1);  // no half escape
  WriteDxfFile(drawing, folder_ / "long.dxf");
  ReadDxfFile(drawing, folder_ / "long.dxf");
  EXPECT_EQ(Listing(drawing, false), "LAYER 0 on\nTEXT 0 1 " + std::string(1000, 'x') + " Arial\nTEXT 0 1 " +
                                         std::string(998, 'y') + " Arial\n");
}

// ---- files from elsewhere ---------------------------------------------------------------

// CRLF lines, code-page texts and escapes, a layer off and one frozen, an entity on a layer
// the table lacks, a block, and lines of any length.
TEST_F(DxfFileTest, ReadsFilesFromElsewhereAndCountsWhatTheySkip) {
  WriteBytes(folder_ / "in.dxf",
             Groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"},
                     {3, "ANSI_1252"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"},
                     {70, "2"}, {0, "LAYER"}, {2, "Barre \xD8"}, {70, "0"}, {62, "-3"}, {6, "CONTINUOUS"},
                     {0, "LAYER"}, {2, "Gelato"}, {70, "1"}, {62, "4"}, {6, "CONTINUOUS"}, {0, "ENDTAB"},
                     {0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "Dettaglio"}, {70, "0"},
                     {10, "0"}, {20, "0"}, {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"},
                     {0, "ENDBLK"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"},
                     {0, "TEXT"}, {8, "Barre \xD8"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "4\xD8" "16"},
                     {0, "TEXT"}, {8, "Gelato"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "%%c8 30%%d %%p1 \\U+2205"},
                     {0, "LINE"}, {8, "NotInTable"}, {10, "0"}, {20, "0"}, {11, "1.5"}, {21, "2"}, {62, "3"},
                     {0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
                     {0, "LWPOLYLINE"}, {8, "0"}, {90, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
                     {0, "MTEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, std::string(5000, 'm')},
                     {0, "POLYLINE"}, {8, "0"}, {66, "1"}, {0, "VERTEX"}, {8, "0"}, {10, "0"}, {20, "0"},
                     {0, "VERTEX"}, {8, "0"}, {10, "1"}, {20, "0"}, {0, "SEQEND"},
                     {0, "INSERT"}, {8, "0"}, {2, "Dettaglio"}, {10, "5"}, {20, "5"},
                     {0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"}, {1, std::string(1200, 't')},
                     {0, "CIRCLE"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "3"}, {0, "ENDSEC"}, {0, "EOF"}}));
  Drawing read;
  const DxfReadReport report = ReadDxfFile(read, folder_ / "in.dxf");
  EXPECT_EQ(report.entitiesRead, 10u);  // not the line inside the block
  const std::map<std::string, std::size_t> drawn = {{"CIRCLE", 1}, {"INSERT", 1}, {"LINE", 1},    {"LWPOLYLINE", 2},
                                                    {"MTEXT", 1},  {"POLYLINE", 1}, {"TEXT", 3}};
  EXPECT_EQ(report.drawnTypes, drawn);
  EXPECT_TRUE(report.skippedTypes.empty());
  EXPECT_EQ(Listing(read), "LAYER Barre \xC3\x98 off\nLAYER Gelato off\nLAYER 0 on\nLAYER NotInTable on\n"
                           "TEXT Barre \xC3\x98 256 4\xC3\x98" "16  1 2 2.5\n"
                           "TEXT Gelato 256 \xC3\x98" "8 30\xC2\xB0 \xC2\xB1" "1 \xE2\x88\x85  1 2 2.5\n"
                           "LINE NotInTable 3 0 0 1.5 2\n"
                           "LWPOLYLINE 0 256\nLWPOLYLINE 0 256\nMTEXT 0 256\nLWPOLYLINE 0 256\nINSERT 0 256\n"
                           "TEXT 0 256 " + std::string(1200, 't') + "  0 0 1\n"
                           "CIRCLE 0 256 0 0 3\n");

  // From R2007 on, texts are UTF-8 whatever the code page says.
  const std::string text = "4" + kDiameter + "16 \xE2\x88\x85";
  WriteBytes(folder_ / "r2007.dxf",
             Groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1021"}, {9, "$DWGCODEPAGE"},
                     {3, "ANSI_1252"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "TEXT"}, {8, "0"},
                     {10, "0"}, {20, "0"}, {40, "1"}, {1, text}, {0, "ENDSEC"}, {0, "EOF"}}));
  ReadDxfFile(read, folder_ / "r2007.dxf");
  EXPECT_EQ(Listing(read), "LAYER 0 on\nTEXT 0 256 " + text + "  0 0 1\n");
}

// ---- failures ---------------------------------------------------------------------------

TEST_F(DxfFileTest, FailedReadsRaiseAndLeaveTheDrawingAsItWas) {
  const std::string good = DxfText(SampleDrawing());
  const std::pair<const char*, std::string> notDxf[] = {
      {"cut.dxf", good.substr(0, good.size() / 2)}, {"no_eof.dxf", good.substr(0, good.size() - 8)},
      {"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)}, {"empty.dxf", ""},
      {"notes.txt", "Pilastrata P1\nnot a drawing\n"}};
  Drawing drawing = SampleDrawing();
  std::string message;
  for (const auto& [name, bytes] : notDxf) {
    WriteBytes(folder_ / name, bytes);
    EXPECT_EQ(FailureOf([&] { ReadDxfFile(drawing, folder_ / name); }, &message), ErrorKind::BadFormat) << name;
  }
  EXPECT_NE(message.find("notes.txt is not a readable DXF file: line 1"), std::string::npos) << message;
  EXPECT_EQ(FailureOf([&] { ReadDxfFile(drawing, folder_ / "missing.dxf"); }), ErrorKind::FileNotFound);
  EXPECT_EQ(FailureOf([&] { ReadDxfFile(drawing, folder_); }), ErrorKind::FileIo);
  EXPECT_EQ(Listing(drawing), Listing(SampleDrawing()));
}

TEST_F(DxfFileTest, FailedWritesLeaveTheEarlierFileAndNoTemporaryFile) {
  Drawing broken = SampleDrawing();
  broken.AddCircle({{1, 1}, std::nan("")}, 3);  // fails once the temporary file is half written
  WriteBytes(folder_ / "p.dxf", "earlier drawing");
  EXPECT_EQ(FailureOf([&] { WriteDxfFile(broken, folder_ / "p.dxf"); }), ErrorKind::InvalidFloat);
  EXPECT_EQ(ReadBytes(folder_ / "p.dxf"), "earlier drawing");

  fs::create_directories(folder_ / "taken.dxf" / "inside");
  EXPECT_EQ(FailureOf([&] { WriteDxfFile(SampleDrawing(), folder_ / "taken.dxf"); }), ErrorKind::FileIo);
  EXPECT_TRUE(fs::is_directory(folder_ / "taken.dxf" / "inside"));

  std::string message;
  const std::string missing = (folder_ / "Disegni" / "P1.dxf").string();
  EXPECT_EQ(FailureOf([&] { WriteDxfFile(SampleDrawing(), missing); }, &message), ErrorKind::FileIo);
  EXPECT_GT(message.size(), message.find(missing) + missing.size() + 4) << "no path and reason: " << message;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 2) << "a temporary file left behind";

  WriteDxfFile(SampleDrawing(), folder_ / "p.dxf");
  EXPECT_EQ(ReadBytes(folder_ / "p.dxf"), DxfText(SampleDrawing()));
}

}  // namespace
}  // namespace tessaro
