// Tests of the load of a column stack on small stacks written by hand into a temporary
// folder: what is cleared, read, shown and drawn, and how errors stop or are skipped.
#include "column_stack/stack_load.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// One piece file, field by field as the design program writes it (Windows-1252, so the
// diameter sign is the byte D8).
struct PieceSpec {
  std::string head = "7|1|0";  // StackId|PieceNumber|PieceCode
  std::string insets = "0|0|0|0";
  std::string side1 = "40", side2 = "30", cover = "4", bottom = "0", top = "300";
  std::string bars1 = "3\xD8"
                      "16",
              bars2 = "2\xD8"
                      "16";
  std::string steel = "12.06|1.005";
  std::string zones = "50|10|20";  // EndZoneLength|EndSpacing|MidSpacing
  std::string stirrups = "2\xD8"
                         "8|2\xD8"
                         "8";
  std::optional<std::string> line10 = "0|0|0|0|0|0|0";

  std::string Text() const {
    std::ostringstream out;
    out << head << "\r\n"
        << insets << "\r\n0|0|0|0|0\r\n"
        << side1 << '|' << side2 << '|' << cover << '|' << bottom << '|' << top << "\r\n0|0\r\n0|0\r\n"
        << bars1 << '|' << bars2 << "\r\n"
        << steel << "\r\n"
        << zones << "\r\n"
        << stirrups << "\r\n";
    if (line10) out << *line10 << "\r\n";
    return out.str();
  }
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A column-stack folder of its own for every test.
class StackLoadTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / ("tessaro_stack_load_" + std::string(info->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "Dis");
  }
  void TearDown() override { fs::remove_all(folder_); }

  void WritePiece(const std::string& name, const PieceSpec& piece) {
    WriteFile(folder_ / "Dis" / (name + ".pxf"), piece.Text());
  }
  void WriteIndex(const std::string& id, const std::string& text) { WriteFile(folder_ / ("P" + id + ".pst"), text); }

  StackLoadResult Load(const std::string& id, bool reloading = false) {
    return LoadStack(canvas_, session_, folder_, id, reloading);
  }

  fs::path folder_;
  Drawing drawing_;
  Canvas canvas_{drawing_, NumberFormat{','}};
  StackSession session_;
};

// Lines of a layer (colour `color`, or any colour with -1).
std::vector<LineGeometry> LinesOn(const Drawing& drawing, const std::string& layer, int color = -1) {
  std::vector<LineGeometry> lines;
  const auto index = drawing.FindLayer(layer);
  if (!index) return lines;
  for (const EntityHeader& e : drawing.Entities()) {
    if (e.type == EntityType::Line && e.layer == *index && (color < 0 || e.color == color)) {
      lines.push_back(drawing.Line(e));
    }
  }
  return lines;
}

// Whether the layer holds a vertical line at x whose lower end is at y.
bool HasVerticalLine(const Drawing& drawing, const std::string& layer, double x, double y) {
  for (const LineGeometry& l : LinesOn(drawing, layer)) {
    const bool vertical = std::abs(l.start.x - x) < 1e-3 && std::abs(l.end.x - x) < 1e-3;
    if (vertical && std::abs(std::min(l.start.y, l.end.y) - y) < 1e-3) return true;
  }
  return false;
}

// The upper end of the longest of the layer's vertical lines at x whose lower end is at
// y (a floor line of no length there is no face); NaN if none.
double TopOfVerticalLine(const Drawing& drawing, const std::string& layer, double x, double y) {
  double top = std::nan("");
  for (const LineGeometry& l : LinesOn(drawing, layer)) {
    const bool vertical = std::abs(l.start.x - x) < 1e-3 && std::abs(l.end.x - x) < 1e-3;
    if (vertical && std::abs(std::min(l.start.y, l.end.y) - y) < 1e-3) {
      const double end = std::max(l.start.y, l.end.y);
      if (std::isnan(top) || end > top) top = end;
    }
  }
  return top;
}

// Every layer and entity of a drawing as text, to compare two drawings whole.
std::string Dump(const Drawing& d) {
  std::ostringstream out;
  for (const Layer& layer : d.Layers()) out << "layer " << layer.name << ' ' << layer.on << '\n';
  for (const EntityHeader& e : d.Entities()) {
    out << EntityTypeName(e.type) << ' ' << e.layer << ' ' << e.color;
    switch (e.type) {
      case EntityType::Line: {
        const auto& g = d.Line(e);
        out << ' ' << g.start.x << ' ' << g.start.y << ' ' << g.end.x << ' ' << g.end.y;
        break;
      }
      case EntityType::Circle: {
        const auto& g = d.Circle(e);
        out << ' ' << g.center.x << ' ' << g.center.y << ' ' << g.radius;
        break;
      }
      case EntityType::Arc: {
        const auto& g = d.Arc(e);
        out << ' ' << g.center.x << ' ' << g.center.y << ' ' << g.radius << ' ' << g.startAngle << ' ' << g.endAngle;
        break;
      }
      case EntityType::Text: {
        const auto& g = d.Text(e);
        out << ' ' << g.position.x << ' ' << g.position.y << ' ' << g.height << ' ' << g.value << ' ' << g.style;
        break;
      }
    }
    out << '\n';
  }
  return out.str();
}

// --------------------------------------------------------------------------------------
// Property rows, name, caption and layer list

TEST_F(StackLoadTest, OnePieceGivesItsRowsWithTheLocaleSeparator) {
  PieceSpec piece;
  piece.head = "12|3|0";
  piece.side1 = "40,5";
  piece.bottom = "-12.5";
  piece.top = "287.5";
  piece.zones = "50|7,5|20";
  piece.line10 = "2.5|-3|0|0|0|0|0";
  WritePiece("A", piece);
  WriteIndex("12", "A\r\n");

  const StackLoadResult result = Load("12");

  using K = PropertyRow::Kind;
  const std::vector<PropertyRow> expected{
      {K::Category, 0, "Pilastro 3", ""},
      {K::Number, 1, "ID pilastrata", "12"},
      {K::Text, 1, "Lato 1", "40,5 cm"},
      {K::Text, 1, "Lato 2", "30 cm"},
      {K::Text, 1, "Quota iniziale", "-12,5 cm"},
      {K::Text, 1, "Quota finale", "287,5 cm"},
      {K::SubCategory, 1, "Ferri longitudinali", ""},
      {K::Text, 2, "Ferri lato 1", "3\xC3\x98" "16"},
      {K::Text, 2, "Ferri lato 2", "2\xC3\x98" "16"},
      {K::Text, 2, "Area acciaio totale", "12,06 cm"},
      {K::Text, 2, "Percentuale acciaio", "1,005 %"},
      {K::SubCategory, 1, "Staffe", ""},
      {K::Text, 2, "Staffe lato 1", "2\xC3\x98" "8"},
      {K::Text, 2, "Staffe lato 2", "2\xC3\x98" "8"},
      {K::Text, 2, "Passo estremit\xC3\xA0", "7,5 cm"},
      {K::Text, 2, "Lunghezza per passo estremit\xC3\xA0", "50 cm"},
      {K::Text, 2, "Passo zona centrale", "20 cm"},
      {K::SubCategory, 1, "Disassamenti", ""},
      {K::Text, 2, "Disassamento lato 1", "2,5 cm"},
      {K::Text, 2, "Disassamento lato 2", "-3 cm"},
  };
  ASSERT_EQ(result.rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].caption);
    EXPECT_EQ(result.rows[i].kind, expected[i].kind);
    EXPECT_EQ(result.rows[i].depth, expected[i].depth);
    EXPECT_EQ(result.rows[i].caption, expected[i].caption);
    EXPECT_EQ(result.rows[i].value, expected[i].value);
  }
  EXPECT_TRUE(result.indexFound);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.piecesShown, 1);
  EXPECT_EQ(result.drawingName, "Pilastrata_12");
  EXPECT_EQ(result.caption, "Visualizzatore DXF -  Pilastrata_12");
  const std::vector<std::string> layers{"Sezioni  (ON)", "ContornoCLS  (ON)", "Ferri  (ON)", "Testo  (ON)",
                                        "Quote  (ON)"};
  EXPECT_EQ(result.layerEntries, layers);
}

TEST_F(StackLoadTest, RowsOfEveryPieceFollowOneAnother) {
  PieceSpec first, second;
  first.head = "5|1|1";
  second.head = "5|2|3";
  second.bottom = "300";
  second.top = "600";
  WritePiece("A", first);
  WritePiece("B", second);
  WriteIndex("5", "A\r\nB\r\n");

  const StackLoadResult result = Load("5");

  ASSERT_EQ(result.rows.size(), 40u);
  EXPECT_EQ(result.rows[0].caption, "Pilastro 1");
  EXPECT_EQ(result.rows[20].caption, "Pilastro 2");
  EXPECT_EQ(result.rows[25].value, "600 cm");
}

TEST_F(StackLoadTest, ReloadingAfterAnEditDrawsTheSameAndAddsNoRows) {
  WritePiece("A", PieceSpec{});
  WriteIndex("1", "A\r\n");
  const StackLoadResult first = Load("1");
  const std::string firstDrawing = Dump(drawing_);

  const StackLoadResult again = Load("1", /*reloading=*/true);

  EXPECT_EQ(first.rows.size(), 20u);
  EXPECT_TRUE(again.rows.empty());
  EXPECT_TRUE(again.completed);
  EXPECT_EQ(Dump(drawing_), firstDrawing);
}

TEST(LayerListEntries, OnLayersGetTwoBlanksOffLayersOne) {
  Drawing drawing;
  drawing.AddLayer("Ferri");
  drawing.AddLayer("Quote");
  drawing.SetLayerOn("Quote", false);
  EXPECT_EQ(LayerListEntries(drawing), (std::vector<std::string>{"Ferri  (ON)", "Quote (OFF)"}));
}

// --------------------------------------------------------------------------------------
// The index file: missing, empty, with gaps

TEST_F(StackLoadTest, MissingIndexFileClearsNothing) {
  Canvas canvas{drawing_, {}};
  AddLine(canvas, 0, 0, 10, 10, 1);

  const StackLoadResult result = Load("404");

  EXPECT_FALSE(result.indexFound);
  EXPECT_FALSE(result.completed);
  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->kind(), ErrorKind::FileNotFound);
  EXPECT_EQ(result.problem->file().filename(), "P404.pst");
  EXPECT_EQ(drawing_.EntityCount(), 1u);
  EXPECT_FALSE(result.drawingName);
  EXPECT_FALSE(result.caption);
}

TEST_F(StackLoadTest, EmptyIndexFileClearsTheDrawingAndDrawsNothing) {
  Canvas canvas{drawing_, {}};
  AddLine(canvas, 0, 0, 10, 10, 1);
  WriteIndex("0", "");

  const StackLoadResult result = Load("0");

  EXPECT_TRUE(result.indexFound);
  EXPECT_TRUE(result.completed);
  EXPECT_FALSE(result.problem);
  EXPECT_EQ(drawing_.EntityCount(), 0u);
  EXPECT_EQ(result.piecesShown, 0);
  EXPECT_FALSE(result.drawingName);
  EXPECT_EQ(session_.arrays.lastPieceIndex, -1);
}

TEST_F(StackLoadTest, EmptyFirstLineKeepsTheViewOffsetAndMeasuresFromZero) {
  session_.view2Offset = 777;
  PieceSpec piece;
  piece.head = "1|1|0";
  piece.side1 = "40";
  WritePiece("A", piece);
  WriteIndex("1", "\r\nA\r\n");

  const StackLoadResult result = Load("1");

  EXPECT_TRUE(result.completed);
  EXPECT_EQ(session_.view2Offset, 777);
  EXPECT_EQ(session_.arrays.lastPieceIndex, 2);
  // Piece 1 differs from a piece 0 of side 0 by -40; centred (K1 = 0.5), its left face
  // moves from 140 to 140 - 20.
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 120, 0));
  EXPECT_FALSE(HasVerticalLine(drawing_, "ContornoCLS", 140, 0));
}

struct OffsetCase {
  const char* side1;
  Single view2Offset;
};

void PrintTo(const OffsetCase& c, std::ostream* out) { *out << "Side1 " << c.side1; }

class View2OffsetTest : public StackLoadTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(View2OffsetTest, FollowsSide1OfTheFirstPiece) {
  PieceSpec piece;
  piece.side1 = GetParam().side1;
  WritePiece("A", piece);
  WriteIndex("1", "A\r\n");

  Load("1");

  EXPECT_EQ(session_.view2Offset, GetParam().view2Offset);
  // View 2's left face stands at 140 from its offset.
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 140 + GetParam().view2Offset, 0));
}

INSTANTIATE_TEST_SUITE_P(Sides, View2OffsetTest,
                         ::testing::Values(OffsetCase{"40", 1350}, OffsetCase{"150", 1350},
                                           OffsetCase{"150.5", 1500}, OffsetCase{"200", 1500}));

// --------------------------------------------------------------------------------------
// EndValue: the smallest end length, 0 counting as 100

struct EndValueCase {
  const char* name;
  std::optional<std::string> line10;
  Single endValue;
};

void PrintTo(const EndValueCase& c, std::ostream* out) { *out << c.name; }

class EndValueTest : public StackLoadTest, public ::testing::WithParamInterface<EndValueCase> {};

TEST_P(EndValueTest, SetsHowFarTheBarsOfTheFirstPieceReachBelowIt) {
  PieceSpec piece;
  piece.head = "1|1|0";
  piece.bottom = "100";
  piece.line10 = GetParam().line10;
  WritePiece("A", piece);
  WriteIndex("1", "A\r\n");

  Load("1");

  // A single piece's bars and hooks start EndValue - 3 below its bottom level.
  double lowest = 1e9;
  for (const LineGeometry& l : LinesOn(drawing_, "Ferri", 3)) lowest = std::min({lowest, l.start.y, l.end.y});
  EXPECT_FLOAT_EQ(lowest, 100 - (GetParam().endValue - 3));
}

INSTANTIATE_TEST_SUITE_P(Lengths, EndValueTest,
                         ::testing::Values(EndValueCase{"NoLine10", std::nullopt, 100},
                                           EndValueCase{"AllZero", "0|0|0|0|0|0|0", 100},
                                           EndValueCase{"TwoFieldsOnly", "1|2", 100},
                                           EndValueCase{"SmallestOfFour", "0|0|0|60|0|80|70", 60},
                                           EndValueCase{"ZeroIsNotSmallest", "0|0|0|0|90|0|95", 90}),
                         [](const auto& info) { return std::string(info.param.name); });

// --------------------------------------------------------------------------------------
// Errors: stop at the first bad file, keep what was drawn

TEST_F(StackLoadTest, BadFieldInTheSecondPassKeepsEarlierPiecesDrawn) {
  PieceSpec first, second;
  first.head = "5|1|1";
  second.head = "5|2|3";
  second.bottom = "300";
  second.top = "600";
  second.steel = "12.06|abc";  // line 7 is read in the second pass only
  WritePiece("A", first);
  WritePiece("B", second);
  WriteIndex("5", "A\r\nB\r\n");

  const StackLoadResult result = Load("5");

  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.piecesShown, 1);
  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->file(), folder_ / "Dis" / "B.pxf");
  EXPECT_EQ(result.problem->line(), 7);
  EXPECT_EQ(result.problem->field(), 1);
  EXPECT_EQ(result.problem->text(), "abc");
  EXPECT_EQ(result.rows.size(), 20u);
  EXPECT_GT(drawing_.EntityCount(), 0u);
  EXPECT_EQ(result.drawingName, "Pilastrata_5");
  const std::string described = result.problem->Describe();
  EXPECT_NE(described.find("B.pxf"), std::string::npos) << described;
  EXPECT_NE(described.find("line 8"), std::string::npos) << described;
}

TEST_F(StackLoadTest, BadFieldInTheFirstPassLeavesTheDrawingCleared) {
  PieceSpec first, second;
  second.side2 = "3O";
  WritePiece("A", first);
  WritePiece("B", second);
  WriteIndex("5", "A\r\nB\r\n");
  Canvas canvas{drawing_, {}};
  AddLine(canvas, 0, 0, 10, 10, 1);

  const StackLoadResult result = Load("5");

  EXPECT_TRUE(result.indexFound);
  EXPECT_FALSE(result.completed);
  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->file(), folder_ / "Dis" / "B.pxf");
  EXPECT_EQ(result.problem->line(), 3);
  EXPECT_EQ(result.problem->field(), 1);
  EXPECT_EQ(drawing_.EntityCount(), 0u);
  EXPECT_TRUE(result.rows.empty());
}

TEST_F(StackLoadTest, MissingPieceFileNamesIt) {
  WritePiece("A", PieceSpec{});
  WriteIndex("5", "A\r\nGone\r\n");

  const StackLoadResult result = Load("5");

  ASSERT_TRUE(result.problem);
  EXPECT_EQ(result.problem->kind(), ErrorKind::FileNotFound);
  EXPECT_EQ(result.problem->file().filename(), "Gone.pxf");
  EXPECT_EQ(drawing_.EntityCount(), 0u);
}

TEST_F(StackLoadTest, AFailingViewIsSkippedAndThePieceGoesOn) {
  PieceSpec piece;
  piece.bars1 = "3";  // no diameter sign: view 1 ends before drawing anything
  WritePiece("A", piece);
  WriteIndex("1", "A\r\n");

  const StackLoadResult result = Load("1");

  EXPECT_TRUE(result.completed);
  EXPECT_FALSE(result.problem);
  EXPECT_EQ(result.rows.size(), 20u);
  EXPECT_EQ(result.caption, "Visualizzatore DXF -  Pilastrata_1");
}

// --------------------------------------------------------------------------------------
// Arguments passed by reference

TEST_F(StackLoadTest, CircularPieceGivesViewTwoTheDiameterAsWidth) {
  PieceSpec piece;
  piece.head = "1|1|0";
  piece.side1 = "50";
  piece.side2 = "0";
  piece.bars1 = "8\xD8"
                "16";
  WritePiece("A", piece);
  WriteIndex("1", "A\r\n");

  Load("1");

  // View 2 (offset 1350) shows an elevation 50 wide: faces at 1490 and 1540.
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 1490, 0));
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 1540, 0));
  // View 1 too, at 140 and 190.
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 140, 0));
  EXPECT_TRUE(HasVerticalLine(drawing_, "ContornoCLS", 190, 0));
}

TEST_F(StackLoadTest, OffsetBelowPieceZeroSwapsTheStepsOfViewTwoAndTurnsItsCentring) {
  PieceSpec first, second;
  first.head = "1|1|1";
  first.side2 = "60";
  second.head = "1|2|3";
  second.side2 = "50";
  second.bottom = "300";
  second.top = "600";
  second.insets = "0|30|0|0";  // BarInset2 = 30: the right step of view 2, unless swapped
  second.line10 = "-5|0|0|0|0|0|0";
  WritePiece("A", first);
  WritePiece("B", second);
  WriteIndex("1", "A\r\nB\r\n");

  Load("1");

  // Sign1 = -1: K2 = 0.5 - (-5 x -1) / 10 = 0, so view 2's left face stays at 1350 + 140;
  // the 30 cm step moves to the left face (argument 8), the right face runs to the top.
  EXPECT_DOUBLE_EQ(TopOfVerticalLine(drawing_, "ContornoCLS", 1490, 300), 570);
  EXPECT_DOUBLE_EQ(TopOfVerticalLine(drawing_, "ContornoCLS", 1540, 300), 600);
}

// --------------------------------------------------------------------------------------
// The session carries over from one stack to the next

TEST_F(StackLoadTest, StacksInARowMatchStacksOneAfterAnother) {
  PieceSpec wide, small1, small2;
  wide.side1 = "200";
  wide.head = "1|1|0";
  small1.head = "2|1|1";
  small2.head = "2|2|3";
  small2.bottom = "300";
  small2.top = "600";
  small2.side1 = "35";
  WritePiece("W", wide);
  WritePiece("S1", small1);
  WritePiece("S2", small2);
  WriteIndex("1", "W\r\n");
  WriteIndex("2", "\r\nS1\r\nS2\r\n");  // an empty first line keeps the view-2 offset of stack 1

  // As in the window: one drawing, stack 1 then stack 2.
  Load("1");
  Load("2");
  const std::string inTheWindow = Dump(drawing_);

  // As in the batch: a fresh drawing per stack, one session for the run.
  StackSession batchSession;
  for (const char* id : {"1", "2"}) {
    Drawing fresh;
    Canvas canvas{fresh, NumberFormat{','}};
    LoadStack(canvas, batchSession, folder_, id);
    if (std::string(id) == "2") {
      EXPECT_EQ(Dump(fresh), inTheWindow);
    }
  }

  // Without stack 1 before it, stack 2 comes out differently.
  StackSession freshSession;
  Drawing alone;
  Canvas canvas{alone, NumberFormat{','}};
  LoadStack(canvas, freshSession, folder_, "2");
  EXPECT_NE(Dump(alone), inTheWindow);
  EXPECT_EQ(freshSession.view2Offset, 0);
  EXPECT_EQ(batchSession.view2Offset, 1500);
}

}  // namespace
}  // namespace tessaro
