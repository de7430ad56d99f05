// Tests of reading and loading column stacks, on stacks written by hand into a scratch
// folder and on the example projects: line ends and encodings, the piece record with its
// optional line 10, errors that name file, line, field and text, the stack list, and what
// a load reads, shows and draws, and how a bad file stops it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "column_stack/stack_files.h"
#include "column_stack/stack_load.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "support/piece_files.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

using test::PieceText;

// A scratch column-stack folder per test, with a drawing and a session to load into.
class StackTest : public ::testing::Test {
protected:
  fs::path Write(const fs::path& relative, const std::string& bytes) const { return folder_.Write(relative, bytes); }
  void WritePiece(const std::string& name, const std::map<int, std::string>& lines = {}, int lineCount = 11) {
    test::WritePiece(folder_.path(), name, lines, lineCount);
  }
  void WriteIndex(const std::string& id, const std::string& text) { Write("P" + id + ".pst", text); }
  StackLoadResult Load(const std::string& id, bool reloading = false) {
    return LoadStack(canvas_, session_, folder_.path(), id, reloading);
  }
  // The lines of a layer, of one colour or (-1) of any.
  std::vector<LineGeometry> LinesOn(const std::string& layer, int color = -1) const {
    std::vector<LineGeometry> lines;
    for (const EntityHeader& e : drawing_.Entities()) {
      if (e.type == EntityType::Line && e.layer == drawing_.FindLayer(layer) && (color < 0 || e.color == color)) {
        lines.push_back(drawing_.Line(e));
      }
    }
    return lines;
  }
  // Whether the concrete outline has a vertical face at x that starts at level 0.
  bool HasFace(double x) const {
    for (const LineGeometry& l : LinesOn("ContornoCLS")) {
      if (std::abs(l.start.x - x) < 1e-3 && std::abs(l.end.x - x) < 1e-3 && std::min(l.start.y, l.end.y) == 0) {
        return true;
      }
    }
    return false;
  }

  // The DXF text of stack `id` drawn into a drawing of its own.
  std::string DrawAlone(StackSession& session, const std::string& id) const {
    Drawing drawing;
    Canvas canvas{drawing, NumberFormat{','}};
    LoadStack(canvas, session, folder_.path(), id);
    return DxfText(drawing);
  }

  test::TempFolder folder_;
  Drawing drawing_;
  Canvas canvas_{drawing_, NumberFormat{','}};
  StackSession session_;
};

// ------------------------------------------------------------------ stack files

// UTF-8, with or without its mark, and UTF-16 are the malformed-project table's.
TEST_F(StackTest, ReadTextFileEndsEveryLineInCrLfAndReadsTheDiameterSignInBothEncodings) {
  for (const auto& [bytes, text] : {std::pair<std::string, std::string>{"A\r\nB\r\n", "A\r\nB\r\n"},
                                    {"A\nB", "A\r\nB\r\n"}, {"A\n\nB\n", "A\r\n\r\nB\r\n"}, {"", ""},
                                    {"4\xD8" "16|Passo estremit\xE0 \x80\r\n", "4Ø16|Passo estremità €\r\n"}}) {
    EXPECT_EQ(ReadTextFile(Write("f.pxf", bytes)), text) << bytes;
  }
}

// The fields that the property rows do not show (those are pinned by the stack load tests).
TEST(ReadPieceRecord, ReadsTheFieldsTheRowsDoNotShow) {
  // Extra fields are ignored; flags are Integers first, so 0.5 rounds to 0 and 1.5 to 2.
  const ColumnPiece piece = ReadPieceRecord(
      PieceText({{0, "7|1|1|99"}, {1, "0|0|30|25"}, {2, "1|0|0.5|1.5|0"}, {10, "5|-2.5|90|60|0|80|70|99"}}));
  EXPECT_EQ(piece.pieceCode, 1);
  EXPECT_EQ(piece.barInset3, 30);
  EXPECT_EQ(piece.barInset4, 25);
  EXPECT_EQ(piece.flags, (std::array<bool, 5>{true, false, false, true, false}));
  EXPECT_EQ(piece.line3Value2, 4);
  EXPECT_EQ(piece.line10Value2, 90);
  EXPECT_EQ(piece.endLengths, (std::array<Single, 4>{60, 0, 80, 70}));
}

TEST(ReadPieceRecord, MissingOrShortLineTenLeavesItsValuesAtZero) {
  // Piece text; offset 1, offset 2 and the end lengths read.
  for (const auto& [text, offset1, offset2, endLengths] :
       {std::tuple{PieceText({}, 10), 0.0f, 0.0f, std::array<Single, 4>{0, 0, 0, 0}},
        {PieceText({{10, "5|-3"}}), 5.0f, -3.0f, {0, 0, 0, 0}},
        {PieceText({{10, "x|7||60|1e99|abc|50"}}), 0.0f, 7.0f, {60, 0, 0, 50}}}) {
    const ColumnPiece piece = ReadPieceRecord(text);
    EXPECT_EQ(std::tuple(piece.offset1, piece.offset2, piece.endLengths), std::tuple(offset1, offset2, endLengths));
  }
}

TEST_F(StackTest, StackFolderFollowsTheLayoutToleratesLetterCaseAndListsStacksInAStableOrder) {
  const fs::path& folder = folder_.path();
  // A name that does not exist stays as the layout names it, for the error message.
  EXPECT_EQ(PieceFilePath(folder, "X"), folder / "Dis" / "X.pxf");
  const fs::path lower = Write("p3.PST", "");
  const fs::path piece = Write(fs::path("DIS") / "pil3_A.PXF", "");
  // The same file, whatever spelling names it (Windows finds it as asked, in any case).
  EXPECT_TRUE(fs::equivalent(StackIndexPath(folder, "3"), lower));
  EXPECT_TRUE(fs::equivalent(PieceFilePath(folder, "PIL3_a"), piece));
  for (const char* name : {"Q3.PST", "P12.pst", "readme.txt", "P.pst", "P10.pst", "P1.pst.bak", "P7.Pst"}) {
    Write(name, "");
  }
  fs::create_directories(folder_ / "P99.pst");  // folders are not stacks
  EXPECT_EQ(ListColumnStacks(folder), (std::vector<std::string>{"", "10", "12", "3", "7", "3"}));
  EXPECT_THROW(ListColumnStacks(folder_ / "Pilastri"), RuntimeError);
}

// ------------------------------------------------------------------ stack load

TEST_F(StackTest, OnePieceGivesItsRowsWithTheCommaSeparatorButNotWhenReloaded) {
  WritePiece("A", {{0, "12|3|0"}, {3, "40,5|30|4|-12.5|287.5"}, {8, "50|7,5|20"}, {10, "2.5|-3|0|0|0|0|0"}});
  WriteIndex("12", "A\r\n");
  const StackLoadResult result = Load("12");
  // Kind (category, sub-category, number, text), depth, caption and value of every row.
  std::string rows;
  for (const PropertyRow& row : result.rows) {
    rows += "CSNT"[static_cast<int>(row.kind)] + std::to_string(row.depth) + " " + row.caption + "=" + row.value + "|";
  }
  EXPECT_EQ(rows,
            "C0 Pilastro 3=|N1 ID pilastrata=12|T1 Lato 1=40,5 cm|T1 Lato 2=30 cm|T1 Quota iniziale=-12,5 cm|"
            "T1 Quota finale=287,5 cm|S1 Ferri longitudinali=|T2 Ferri lato 1=3Ø16|T2 Ferri lato 2=2Ø16|"
            "T2 Area acciaio totale=12,06 cm|T2 Percentuale acciaio=1,005 %|S1 Staffe=|T2 Staffe lato 1=2Ø8|"
            "T2 Staffe lato 2=2Ø8|T2 Passo estremità=7,5 cm|T2 Lunghezza per passo estremità=50 cm|"
            "T2 Passo zona centrale=20 cm|S1 Disassamenti=|T2 Disassamento lato 1=2,5 cm|T2 Disassamento lato 2=-3 cm|");
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.drawingName, "Pilastrata_12");
  // Reloading after an edit draws again but leaves the grid as it is.
  const StackLoadResult reloaded = Load("12", /*reloadingAfterEdit=*/true);
  EXPECT_TRUE(reloaded.completed);
  EXPECT_TRUE(reloaded.rows.empty());
}

TEST_F(StackTest, MissingIndexLeavesTheDrawingAndEmptyIndexClearsIt) {
  AddLine(canvas_, 0, 0, 10, 10, 1);
  const StackLoadResult missing = Load("404");
  EXPECT_FALSE(missing.indexFound);
  ASSERT_TRUE(missing.problem);
  EXPECT_EQ(missing.problem->file().filename(), "P404.pst");
  EXPECT_EQ(drawing_.EntityCount(), 1u);

  WriteIndex("0", "");
  const StackLoadResult empty = Load("0");
  EXPECT_TRUE(empty.completed);
  EXPECT_EQ(drawing_.EntityCount(), 0u);
  EXPECT_FALSE(empty.drawingName);
  EXPECT_EQ(session_.arrays.side1, std::vector<Single>{0});  // the single index 0
}

// The first pass fills the per-stack arrays; an empty index line keeps its place with
// zeros, and a piece is compared with the last one drawn below it.
TEST_F(StackTest, AnIndexGapKeepsItsPlaceInTheStackArrays) {
  WritePiece("A", {{10, "5|-2.5"}});
  WritePiece("B", {{3, "30|45|4|300|600"}, {10, "3|-4"}});
  WriteIndex("1", "A\r\n\r\nB\r\n");
  EXPECT_TRUE(Load("1").completed);
  const StackArrays& arrays = session_.arrays;
  EXPECT_EQ(arrays.lastPieceIndex, 3);
  EXPECT_EQ(arrays.side1, (std::vector<Single>{40, 0, 30, 0, 0}));
  EXPECT_EQ(arrays.topLevel, (std::vector<Single>{300, 0, 600, 0, 0}));
  EXPECT_EQ(arrays.offset1, (std::vector<Single>{5, 0, 3, 0, 0}));
  EXPECT_EQ(arrays.side1Diff, (std::vector<Single>{0, 0, 10, 0, 0}));
  EXPECT_EQ(arrays.side2Diff, (std::vector<Single>{0, 0, -15, 0, 0}));
  // Past the last index nothing is written, whatever a caller passes.
  Single firstSide1 = 0, firstSide2 = 0;
  EXPECT_THROW(ReadPieceSummary(PieceText(), firstSide1, firstSide2, 5, session_.arrays), StackFileError);
}

TEST_F(StackTest, ViewTwoOffsetFollowsSide1OfTheFirstPiece) {
  const struct {
    const char* side1;
    Single offset;
  } rows[] = {{"40", 1350}, {"150", 1350}, {"150.5", 1500}, {"200", 1500}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("Side1 ") + row.side1);
    WritePiece("A", {{3, std::string(row.side1) + "|30|4|0|300"}});
    WriteIndex("1", "A\r\n");
    Load("1");
    EXPECT_EQ(session_.view2Offset, row.offset);
    EXPECT_TRUE(HasFace(140 + row.offset));  // view 2's left face stands 140 past its offset
  }
}

TEST_F(StackTest, EndValueIsTheSmallestEndLengthWithZeroCountingAsHundred) {
  const struct {
    const char* name;
    int lineCount;
    std::string line10;
    Single endValue;
  } rows[] = {{"no line 10", 10, "", 100},
              {"smallest of four, zero not counted", 11, "0|0|0|80|0|90|60", 60}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WritePiece("A", {{3, "40|30|4|100|400"}, {10, row.line10}}, row.lineCount);
    WriteIndex("1", "A\r\n");
    Load("1");
    // A single piece's bars (colour 3) start EndValue - 3 below its bottom level.
    double lowest = 1e9;
    for (const LineGeometry& l : LinesOn("Ferri", 3)) lowest = std::min({lowest, l.start.y, l.end.y});
    EXPECT_FLOAT_EQ(lowest, 100 - (row.endValue - 3));
  }
}

TEST_F(StackTest, ABadFieldStopsTheLoadNamingFileLineAndField) {
  const struct {
    const char* name;
    int line;
    std::string text;
    int field, piecesShown;
  } rows[] = {
      // Line 7 is read in the second pass only: the first piece stays drawn.
      {"second pass", 7, "12.06|abc", 1, 1},
      // Line 3 is read in the first pass, before anything is drawn.
      {"first pass", 3, "40|3O|4|300|600", 1, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WritePiece("A", {{0, "5|1|1"}});
    WritePiece("B", {{row.line, row.text}, {0, "5|2|3"}, {3, "40|30|4|300|600"}});  // the row's line wins
    WriteIndex("5", "A\r\nB\r\n");
    const StackLoadResult result = Load("5");
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.piecesShown, row.piecesShown);
    EXPECT_EQ(result.rows.size(), 20u * row.piecesShown);
    EXPECT_EQ(drawing_.EntityCount() > 0, row.piecesShown > 0);
    ASSERT_TRUE(result.problem);
    EXPECT_EQ(result.problem->file(), folder_ / "Dis" / "B.pxf");
    EXPECT_EQ(result.problem->line(), row.line);
    EXPECT_EQ(result.problem->field(), row.field);
  }
}

// The window draws stacks into one drawing with one session; the batch gives each stack
// a fresh drawing but keeps the session. Stack 2 must come out the same both ways.
TEST_F(StackTest, OneSessionAcrossTwoStacksEqualsDrawingThemOneAfterAnother) {
  WritePiece("W", {{0, "1|1|0"}, {3, "200|30|4|0|300"}});
  WritePiece("S1", {{0, "2|1|1"}});
  WritePiece("S2", {{0, "2|2|3"}, {3, "35|30|4|300|600"}});
  WriteIndex("1", "W\r\n");
  WriteIndex("2", "\r\nS1\r\nS2\r\n");  // an empty first line keeps stack 1's view-2 offset
  Load("1");
  Load("2");
  StackSession batch, fresh;
  DrawAlone(batch, "1");
  EXPECT_EQ(DrawAlone(batch, "2"), DxfText(drawing_));
  EXPECT_NE(DrawAlone(fresh, "2"), DxfText(drawing_)) << "stack 1 made no difference: the test proves nothing";
}

}  // namespace
}  // namespace tessaro
