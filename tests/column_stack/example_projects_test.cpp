// The example projects in examples/ read without error, keep the bytes the design program
// writes, and together hold every feature their README promises to the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "column_stack/stack_files.h"
#include "platform/encoding.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

fs::path ProjectStacks(const char* project) { return fs::path(TESSARO_SOURCE_DIR) / "examples" / project / "Pilastri"; }

struct ReadPiece {
  ColumnPiece record;
  std::string text;
};

struct ReadStack {
  std::string id;
  StackArrays arrays;
  std::vector<ReadPiece> pieces;
};

// Both passes of a load over one stack, as the stack load runs them.
ReadStack ReadWholeStack(const fs::path& folder, const std::string& id) {
  ReadStack stack{id, {}, {}};
  const auto names = SplitLines(ReadTextFile(StackIndexPath(folder, id)));
  stack.arrays.Reset(static_cast<Single>(names.size()) - 1);
  Single firstSide1 = 0, firstSide2 = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) continue;
    const fs::path file = PieceFilePath(folder, names[i]);
    try {
      const std::string text = ReadTextFile(file);
      ReadPieceSummary(text, firstSide1, firstSide2, static_cast<Integer>(i), stack.arrays);
      stack.pieces.push_back({ReadPieceRecord(text), text});
    } catch (const StackFileError& error) {
      throw error.file().empty() ? error.WithFile(file) : error;
    }
  }
  return stack;
}

std::vector<ReadStack> ReadProject(const char* project) {
  std::vector<ReadStack> stacks;
  for (const std::string& id : ListColumnStacks(ProjectStacks(project))) {
    try {
      stacks.push_back(ReadWholeStack(ProjectStacks(project), id));
    } catch (const StackFileError& error) {
      ADD_FAILURE() << project << " stack " << id << ": " << error.Describe();
    }
  }
  return stacks;
}

// "4Ø16" → {4, 16}.
std::pair<int, int> CountAndDiameter(const std::string& field) {
  const auto sign = field.find(kDiameterSign);
  EXPECT_NE(sign, std::string::npos) << field;
  if (sign == std::string::npos) return {0, 0};
  return {std::stoi(field.substr(0, sign)), std::stoi(field.substr(sign + kDiameterSign.size()))};
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ExampleProjects, ListTheirStacksInWindowsOrder) {
  EXPECT_EQ(ListColumnStacks(ProjectStacks("Magazzino")), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(ListColumnStacks(ProjectStacks("Polo_Logistico")),
            (std::vector<std::string>{"1", "10", "11", "12", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(ExampleProjects, EveryStackReadsAndHangsTogether) {
  for (const char* project : {"Magazzino", "Polo_Logistico"}) {
    for (const ReadStack& stack : ReadProject(project)) {
      SCOPED_TRACE(std::string(project) + " stack " + stack.id);
      ASSERT_FALSE(stack.pieces.empty());
      EXPECT_EQ(stack.arrays.lastPieceIndex, static_cast<Single>(stack.pieces.size()));
      const std::size_t last = stack.pieces.size() - 1;
      for (std::size_t i = 0; i < stack.pieces.size(); ++i) {
        const ColumnPiece& piece = stack.pieces[i].record;
        EXPECT_EQ(std::to_string(piece.stackId), stack.id);
        EXPECT_EQ(piece.pieceCode, last == 0 ? 0 : i == 0 ? 1 : i == last ? 3 : 2) << "piece " << i;
        EXPECT_GT(piece.topLevel, piece.bottomLevel);
        if (i > 0) {
          EXPECT_EQ(piece.bottomLevel, stack.pieces[i - 1].record.topLevel) << "piece " << i;
        }
        EXPECT_LT(2 * piece.endZoneLength, piece.topLevel - piece.bottomLevel) << "piece " << i;
        EXPECT_GE(CountAndDiameter(piece.barsSide1).first, piece.side2 == 0 ? 6 : 2);
        CountAndDiameter(piece.barsSide2);
        const auto [legs1, stirrupDiameter] = CountAndDiameter(piece.stirrupsSide1);
        const auto legs2 = CountAndDiameter(piece.stirrupsSide2);
        EXPECT_EQ(legs2.second, stirrupDiameter);
        if (piece.side2 != 0) {
          EXPECT_LE(legs1, CountAndDiameter(piece.barsSide1).first) << "more legs than bars on side 1";
          EXPECT_LE(legs2.first, CountAndDiameter(piece.barsSide2).first + 2) << "more legs than bars on side 2";
        }
      }
    }
  }
}

TEST(ExampleProjects, FilesKeepTheBytesOfTheDesignProgram) {
  int withSign = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(TESSARO_SOURCE_DIR) / "examples")) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".pst" && extension != ".pxf") continue;
    SCOPED_TRACE(entry.path().string());
    const std::string bytes = Bytes(entry.path());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "LF without CR at byte " << i;
      }
    }
    EXPECT_EQ(bytes.find("\xC3\x98"), std::string::npos) << "Ø written as UTF-8";
    if (bytes.find('\xD8') != std::string::npos) ++withSign;
  }
  EXPECT_GT(withSign, 20);
}

// What the larger project promises in examples/README.md, checked against its files.
TEST(ExampleProjects, LargerProjectUsesEveryFeatureOfTheDrawing) {
  std::set<int> codes, legs, barsAlongSide;
  bool circular = false, narrow = false, square = false, wide = false, sectionChanges = false;
  bool oneSeat = false, twoSeats = false, offset1 = false, offset2 = false, negativeOffset = false;
  bool mixedDiameters = false, olderLayout = false, decimalComma = false, bigLine10Value2 = false;
  for (const ReadStack& stack : ReadProject("Polo_Logistico")) {
    for (std::size_t i = 0; i < stack.pieces.size(); ++i) {
      const ColumnPiece& p = stack.pieces[i].record;
      codes.insert(p.pieceCode);
      const auto bars1 = CountAndDiameter(p.barsSide1);
      const auto bars2 = CountAndDiameter(p.barsSide2);
      circular |= p.side2 == 0;
      if (p.side2 != 0) {
        narrow |= p.side1 < p.side2;
        square |= p.side1 == p.side2;
        wide |= p.side1 > p.side2;
        barsAlongSide.insert({bars1.first, bars2.first + 2});
        legs.insert({CountAndDiameter(p.stirrupsSide1).first, CountAndDiameter(p.stirrupsSide2).first});
        mixedDiameters |= bars1.second != bars2.second;
      }
      if (i > 0) {
        const ColumnPiece& below = stack.pieces[i - 1].record;
        sectionChanges |= below.side1 != p.side1 || below.side2 != p.side2;
      }
      for (const auto& [left, right] : {std::pair{p.barInset1, p.barInset2}, std::pair{p.barInset3, p.barInset4}}) {
        oneSeat |= (left == 0) != (right == 0);
        twoSeats |= left != 0 && right != 0;
      }
      offset1 |= p.offset1 != 0;
      offset2 |= p.offset2 != 0;
      negativeOffset |= p.offset1 < 0 || p.offset2 < 0;
      olderLayout |= SplitLines(stack.pieces[i].text).size() == 11;  // ten lines and the empty tail
      decimalComma |= stack.pieces[i].text.find(',') != std::string::npos;
      bigLine10Value2 |= p.line10Value2 > 45;
    }
  }
  EXPECT_EQ(codes, (std::set<int>{0, 1, 2, 3}));
  EXPECT_TRUE(circular && narrow && square && wide && sectionChanges);
  EXPECT_TRUE(oneSeat && twoSeats);
  EXPECT_TRUE(offset1 && offset2 && negativeOffset);
  EXPECT_TRUE(mixedDiameters && olderLayout && decimalComma && bigLine10Value2);
  for (int count = 2; count <= 6; ++count) EXPECT_TRUE(legs.count(count)) << count << " stirrup legs";
  EXPECT_EQ(*barsAlongSide.begin(), 2);
  EXPECT_EQ(*barsAlongSide.rbegin(), 8);
}

}  // namespace
}  // namespace tessaro
