// Tests of the stack and piece file reading: line ends and encodings, the piece record
// with its optional line 10, errors that name line, field and text, the per-stack arrays
// with index gaps, the folder layout with letter-case tolerance, and the stack list.
#include "column_stack/stack_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/encoding.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

const std::string kDiameter(kDiameterSign);

// A scratch folder per test, removed afterwards.
class TempFolder {
public:
  TempFolder() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("tessaro_stack_files_" + std::string(info->name()) + "_" + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

  fs::path Write(const fs::path& relative, std::string_view bytes) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

private:
  fs::path path_;
};

// The lines of a piece file as the design program writes them (line 10 included).
std::vector<std::string> PieceLines() {
  return {
      "7|12|1",                         // stack id, piece number, piece code
      "0|0|30|25",                      // seat-step depths
      "1|0|0|1|0",                      // five flags
      "40|50|4|0|450",                  // sides, cover, bottom and top level
      "0|0",                            // unused
      "0|0",                            // unused
      "4" + kDiameter + "20|2" + kDiameter + "16",  // bars along side 1 and side 2
      "18.85|0.94",                     // steel area and percentage
      "75|10|20",                       // end zone, end and middle spacing
      "3" + kDiameter + "8|2" + kDiameter + "8",    // stirrup legs
      "5|-2.5|90|60|0|80|70",           // offsets, stirrup value, four end lengths
  };
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string PieceWith(int line, std::string replacement) {
  auto lines = PieceLines();
  lines[static_cast<std::size_t>(line)] = std::move(replacement);
  return Join(lines);
}

std::string PieceWithLines(std::size_t count) {
  auto lines = PieceLines();
  lines.resize(count);
  return Join(lines);
}

// ------------------------------------------------------------------ text files

struct LineEndCase {
  const char* name;
  std::string bytes;
  std::string text;
};

TEST(ReadTextFile, EveryLineEndsInCrLfWhateverTheFileUsed) {
  const std::vector<LineEndCase> cases = {
      {"CR LF", "A\r\nB\r\n", "A\r\nB\r\n"},
      {"LF", "A\nB\n", "A\r\nB\r\n"},
      {"no final line end", "A\r\nB", "A\r\nB\r\n"},
      {"LF and no final end", "A\nB", "A\r\nB\r\n"},
      {"lone CR", "A\rB\r", "A\r\nB\r\n"},
      {"empty lines kept", "A\r\n\r\nB\r\n", "A\r\n\r\nB\r\n"},
      {"empty lines with LF", "A\n\nB\n", "A\r\n\r\nB\r\n"},
      {"one empty line", "\r\n", "\r\n"},
      {"empty file", "", ""},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const fs::path file = folder.Write("f.txt", c.bytes);
    EXPECT_EQ(ReadTextFile(file), c.text) << c.name;
  }
}

TEST(ReadTextFile, DiameterSignInEitherEncoding) {
  TempFolder folder;
  // The design program writes Windows-1252: Ø is the single byte 0xD8.
  EXPECT_EQ(ReadTextFile(folder.Write("cp1252.pxf", "4\xD8" "16|2\xD8" "14\r\n")), "4Ø16|2Ø14\r\n");
  // A file saved again as UTF-8 keeps its text instead of turning Ø into "Ã˜".
  EXPECT_EQ(ReadTextFile(folder.Write("utf8.pxf", "4\xC3\x98" "16\r\n")), "4Ø16\r\n");
  EXPECT_EQ(ReadTextFile(folder.Write("bom.pxf", "\xEF\xBB\xBF" "4\xC3\x98" "16\r\n")), "4Ø16\r\n");
  // Other Windows-1252 letters and signs come out as their UTF-8 characters.
  EXPECT_EQ(ReadTextFile(folder.Write("accents.txt", "Passo estremit\xE0 \x80\r\n")), "Passo estremità €\r\n");
}

TEST(ReadTextFile, EmptyPathGivesEmptyTextAndMissingFileNamesThePath) {
  EXPECT_EQ(ReadTextFile(fs::path()), "");
  TempFolder folder;
  const fs::path missing = folder.path() / "P9.pst";
  try {
    ReadTextFile(missing);
    FAIL() << "a missing file must raise";
  } catch (const StackFileError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::FileNotFound);
    EXPECT_EQ(error.file(), missing);
    EXPECT_NE(std::string(error.what()).find("P9.pst"), std::string::npos) << error.what();
  }
}

TEST(SplitLines, SplitsAtCrLfOnly) {
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("A\r\n"), (std::vector<std::string>{"A", ""}));
  EXPECT_EQ(SplitLines("A"), (std::vector<std::string>{"A"}));
  EXPECT_EQ(SplitLines("A\r\n\r\nB\r\n"), (std::vector<std::string>{"A", "", "B", ""}));
  EXPECT_EQ(SplitLines("A\nB"), (std::vector<std::string>{"A\nB"}));
}

// ------------------------------------------------------------------ piece record

TEST(ReadPieceRecord, ReadsEveryFieldOfACompleteFile) {
  const ColumnPiece piece = ReadPieceRecord(Join(PieceLines()));
  EXPECT_EQ(piece.stackId, 7);
  EXPECT_EQ(piece.pieceNumber, 12);
  EXPECT_EQ(piece.pieceCode, 1);
  EXPECT_EQ(piece.barInset3, 30);
  EXPECT_EQ(piece.barInset4, 25);
  EXPECT_EQ(piece.flags, (std::array<bool, 5>{true, false, false, true, false}));
  EXPECT_EQ(piece.side1, 40);
  EXPECT_EQ(piece.side2, 50);
  EXPECT_EQ(piece.line3Value2, 4);
  EXPECT_EQ(piece.bottomLevel, 0);
  EXPECT_EQ(piece.topLevel, 450);
  EXPECT_EQ(piece.barsSide1, "4Ø20");
  EXPECT_EQ(piece.barsSide2, "2Ø16");
  EXPECT_FLOAT_EQ(piece.steelArea, 18.85f);
  EXPECT_FLOAT_EQ(piece.steelPercent, 0.94f);
  EXPECT_EQ(piece.endZoneLength, 75);
  EXPECT_EQ(piece.endSpacing, 10);
  EXPECT_EQ(piece.midSpacing, 20);
  EXPECT_EQ(piece.stirrupsSide1, "3Ø8");
  EXPECT_EQ(piece.stirrupsSide2, "2Ø8");
  EXPECT_EQ(piece.offset1, 5);
  EXPECT_EQ(piece.offset2, -2.5f);
  EXPECT_EQ(piece.line10Value2, 90);
  EXPECT_EQ(piece.endLengths, (std::array<Single, 4>{60, 0, 80, 70}));
}

TEST(ReadPieceRecord, ItalianDecimalCommaAndBlanksAroundNumbers) {
  const ColumnPiece piece = ReadPieceRecord(PieceWith(3, " 40,5 |50|3,5|-12,25|450"));
  EXPECT_EQ(piece.side1, 40.5f);
  EXPECT_EQ(piece.line3Value2, 3.5f);
  EXPECT_EQ(piece.bottomLevel, -12.25f);
  EXPECT_FLOAT_EQ(ReadPieceRecord(PieceWith(7, "18,85|0,94")).steelArea, 18.85f);
}

TEST(ReadPieceRecord, IntegerFieldsRoundHalfToEven) {
  const struct {
    const char* text;
    Integer expected;
  } cases[] = {{"2.5", 2}, {"3,5", 4}, {"-0.5", 0}, {"-1.5", -2}, {"2.4999", 2}, {"32767", 32767}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadPieceRecord(PieceWith(0, std::string(c.text) + "|1|0")).stackId, c.expected) << c.text;
  }
  // Flags are Integers first: 0.5 rounds to 0 and so is false, 1.5 to 2 and is true.
  EXPECT_EQ(ReadPieceRecord(PieceWith(2, "0.5|1.5|-1|0,4|2")).flags,
            (std::array<bool, 5>{false, true, true, false, true}));
}

TEST(ReadPieceRecord, ExtraFieldsAndLinesAfterLineTenAreIgnored) {
  auto lines = PieceLines();
  lines[0] += "|99|abc";
  lines[6] += "|not read";
  lines[10] += "|1|2|x";
  lines.push_back("garbage|line");
  lines.push_back("");
  const ColumnPiece piece = ReadPieceRecord(Join(lines));
  EXPECT_EQ(piece.pieceCode, 1);
  EXPECT_EQ(piece.barsSide2, "2Ø16");
  EXPECT_EQ(piece.endLengths, (std::array<Single, 4>{60, 0, 80, 70}));
}

TEST(ReadPieceRecord, OptionalLineTenDefaultsToZero) {
  const struct {
    const char* name;
    std::string text;
    Single offset1, offset2, line10Value2;
    std::array<Single, 4> endLengths;
  } cases[] = {
      {"ten lines", PieceWithLines(10), 0, 0, 0, {0, 0, 0, 0}},
      {"ten lines, no final line end", Join(PieceLines()).substr(0, PieceWithLines(10).size() - 2), 0, 0, 0,
       {0, 0, 0, 0}},
      {"empty line 10", PieceWith(10, ""), 0, 0, 0, {0, 0, 0, 0}},
      {"two fields", PieceWith(10, "5|-3"), 5, -3, 0, {0, 0, 0, 0}},
      {"bad fields left at 0", PieceWith(10, "x|7||60|1e99|abc|50"), 0, 7, 0, {60, 0, 0, 50}},
      {"comma decimals", PieceWith(10, "2,5|0|45,5"), 2.5f, 0, 45.5f, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    ColumnPiece piece;
    ASSERT_NO_THROW(piece = ReadPieceRecord(c.text)) << c.name;
    EXPECT_EQ(piece.offset1, c.offset1) << c.name;
    EXPECT_EQ(piece.offset2, c.offset2) << c.name;
    EXPECT_EQ(piece.line10Value2, c.line10Value2) << c.name;
    EXPECT_EQ(piece.endLengths, c.endLengths) << c.name;
    EXPECT_EQ(piece.topLevel, 450) << c.name;
  }
}

struct BadPieceCase {
  const char* name;
  std::string text;
  ErrorKind kind;
  int line;
  int field;
  std::string failedText;
};

TEST(ReadPieceRecord, ErrorsInLinesZeroToNineNameLineFieldAndText) {
  const BadPieceCase cases[] = {
      {"letters in a Single", PieceWith(3, "40|50|abc|0|450"), ErrorKind::TypeMismatch, 3, 2, "abc"},
      {"empty Single", PieceWith(8, "75||20"), ErrorKind::TypeMismatch, 8, 1, ""},
      {"two separators", PieceWith(7, "1.000,5|0"), ErrorKind::TypeMismatch, 7, 0, "1.000,5"},
      {"Integer overflow", PieceWith(0, "7|40000|1"), ErrorKind::Overflow, 0, 1, "40000"},
      {"Integer overflow after rounding", PieceWith(0, "32767.5|1|1"), ErrorKind::Overflow, 0, 0, "32767.5"},
      {"flag that is no number", PieceWith(2, "1|0|si|1|0"), ErrorKind::TypeMismatch, 2, 2, "si"},
      {"missing field", PieceWith(9, "3" + kDiameter + "8"), ErrorKind::SubscriptOutOfRange, 9, 1,
       "3" + kDiameter + "8"},
      {"empty line has no field 0", PieceWith(6, ""), ErrorKind::SubscriptOutOfRange, 6, 0, ""},
      {"missing line 8", PieceWithLines(8), ErrorKind::SubscriptOutOfRange, 8, 0, ""},
      {"empty file", "", ErrorKind::SubscriptOutOfRange, 0, 0, ""},
  };
  for (const auto& c : cases) {
    try {
      ReadPieceRecord(c.text);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const StackFileError& error) {
      EXPECT_EQ(error.kind(), c.kind) << c.name;
      EXPECT_EQ(error.line(), c.line) << c.name;
      EXPECT_EQ(error.field(), c.field) << c.name;
      EXPECT_EQ(error.text(), c.failedText) << c.name;
      EXPECT_TRUE(error.file().empty()) << c.name;
    }
  }
}

TEST(StackFileError, DescribesFileLineAndFieldForPeople) {
  try {
    ReadPieceRecord(PieceWith(3, "40|50|abc|0|450"));
    FAIL() << "no error";
  } catch (const StackFileError& error) {
    const StackFileError located = error.WithFile(fs::path("Dis") / "P1a.pxf");
    EXPECT_EQ(located.file(), fs::path("Dis") / "P1a.pxf");
    EXPECT_EQ(located.kind(), ErrorKind::TypeMismatch);
    EXPECT_EQ(located.line(), 3);
    EXPECT_EQ(located.text(), "abc");
    const std::string text = located.Describe();
    EXPECT_NE(text.find("P1a.pxf, line 4 (3 from 0), field 3 (2 from 0): \"abc\" is not a Single"),
              std::string::npos)
        << text;
    EXPECT_EQ(text, located.what());
  }
  try {
    ReadPieceRecord(PieceWith(0, "7|40000|1"));
    FAIL() << "no error";
  } catch (const StackFileError& error) {
    EXPECT_EQ(error.Describe(), "line 1 (0 from 0), field 2 (1 from 0): \"40000\" is out of range for a 16-bit Integer");
  }
  try {
    ReadPieceRecord(PieceWithLines(9));
    FAIL() << "no error";
  } catch (const StackFileError& error) {
    EXPECT_EQ(error.Describe(), "line 10 (9 from 0), field 1 (0 from 0): the line is missing");
  }
}

// ------------------------------------------------------------------ per-stack arrays

TEST(StackArrays, ResetSizesEveryArrayOneBeyondTheLastIndex) {
  StackArrays arrays;
  arrays.Reset(3);
  EXPECT_EQ(arrays.lastPieceIndex, 3);
  for (const auto* array : {&arrays.side1, &arrays.side2, &arrays.topLevel, &arrays.offset1, &arrays.offset2,
                            &arrays.side1Diff, &arrays.side2Diff}) {
    EXPECT_EQ(*array, std::vector<Single>(5, 0));
  }
  arrays.side1[2] = 7;
  arrays.Reset(-1);  // an empty index file: the single index 0
  EXPECT_EQ(arrays.side1, std::vector<Single>{0});
  EXPECT_EQ(arrays.Profile().side1.size(), 1u);
  EXPECT_EQ(arrays.Profile().lastPieceIndex, -1);
}

// Runs the first pass of a load over an index text, as the stack load does.
StackArrays FirstPass(const std::string& indexText, const std::map<std::string, std::string>& pieces,
                      Single& firstSide1, Single& firstSide2) {
  const auto lines = SplitLines(indexText);
  StackArrays arrays;
  arrays.Reset(static_cast<Single>(lines.size()) - 1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].empty()) {
      ReadPieceSummary(pieces.at(lines[i]), firstSide1, firstSide2, static_cast<Integer>(i), arrays);
    }
  }
  return arrays;
}

TEST(ReadPieceSummary, EmptyIndexLineKeepsItsIndexAndLeavesZeros) {
  auto b = PieceLines();
  b[3] = "30|45|4|450|900";
  b[10] = "3|-4";
  const std::map<std::string, std::string> pieces = {{"A", Join(PieceLines())}, {"B", Join(b)}};
  Single firstSide1 = -1, firstSide2 = -1;
  const StackArrays arrays = FirstPass("A\r\n\r\nB\r\n", pieces, firstSide1, firstSide2);
  EXPECT_EQ(arrays.lastPieceIndex, 3);
  EXPECT_EQ(firstSide1, 40);
  EXPECT_EQ(firstSide2, 50);
  EXPECT_EQ(arrays.side1, (std::vector<Single>{40, 0, 30, 0, 0}));
  EXPECT_EQ(arrays.side2, (std::vector<Single>{50, 0, 45, 0, 0}));
  EXPECT_EQ(arrays.topLevel, (std::vector<Single>{450, 0, 900, 0, 0}));
  EXPECT_EQ(arrays.offset1, (std::vector<Single>{5, 0, 3, 0, 0}));
  EXPECT_EQ(arrays.offset2, (std::vector<Single>{-2.5f, 0, -4, 0, 0}));
  EXPECT_EQ(arrays.side1Diff, (std::vector<Single>{0, 0, 10, 0, 0}));
  EXPECT_EQ(arrays.side2Diff, (std::vector<Single>{0, 0, 5, 0, 0}));
}

TEST(ReadPieceSummary, FirstLineEmptyLeavesTheFirstSidesAlone) {
  Single firstSide1 = 0, firstSide2 = 0;
  const StackArrays arrays = FirstPass("\r\nA\r\n", {{"A", Join(PieceLines())}}, firstSide1, firstSide2);
  EXPECT_EQ(arrays.lastPieceIndex, 2);
  EXPECT_EQ(firstSide1, 0);
  EXPECT_EQ(arrays.side1Diff, (std::vector<Single>{0, -40, 0, 0}));
  EXPECT_EQ(arrays.side2Diff, (std::vector<Single>{0, -50, 0, 0}));
}

TEST(ReadPieceSummary, EmptyIndexFileGivesOneElementOfZeros) {
  Single firstSide1 = 0, firstSide2 = 0;
  const StackArrays arrays = FirstPass("", {}, firstSide1, firstSide2);
  EXPECT_EQ(arrays.lastPieceIndex, -1);
  EXPECT_EQ(arrays.side1, std::vector<Single>{0});
  EXPECT_EQ(arrays.side2Diff, std::vector<Single>{0});
}

TEST(ReadPieceSummary, ReadsOnlyLineThreeAndLineTen) {
  StackArrays arrays;
  arrays.Reset(1);
  Single firstSide1 = 0, firstSide2 = 0;
  // A bad line 0 or a missing line 9 do not matter to the first pass ...
  EXPECT_NO_THROW(ReadPieceSummary(PieceWith(0, "x|y|z"), firstSide1, firstSide2, 0, arrays));
  EXPECT_NO_THROW(ReadPieceSummary(PieceWithLines(4), firstSide1, firstSide2, 0, arrays));
  EXPECT_EQ(arrays.offset1[0], 0);  // ... and line 10 is optional here too
  // ... but line 3 does, with the field named.
  try {
    ReadPieceSummary(PieceWith(3, "40|50|4|0|alto"), firstSide1, firstSide2, 1, arrays);
    FAIL() << "no error";
  } catch (const StackFileError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::TypeMismatch);
    EXPECT_EQ(error.line(), 3);
    EXPECT_EQ(error.field(), 4);
    EXPECT_EQ(error.text(), "alto");
  }
  // Field 2 of line 3 (the cover) is not read by the first pass.
  EXPECT_NO_THROW(ReadPieceSummary(PieceWith(3, "40|50|?|0|450"), firstSide1, firstSide2, 1, arrays));
  // Indexes run to lastPieceIndex + 1 (2 here); beyond that is an error, not a write out of bounds.
  EXPECT_NO_THROW(ReadPieceSummary(Join(PieceLines()), firstSide1, firstSide2, 2, arrays));
  EXPECT_THROW(ReadPieceSummary(Join(PieceLines()), firstSide1, firstSide2, 3, arrays), StackFileError);
}

// ------------------------------------------------------------------ folder layout

TEST(StackPaths, FollowTheFolderLayout) {
  TempFolder folder;
  const fs::path index = folder.Write("P12.pst", "A\r\n");
  const fs::path piece = folder.Write(fs::path("Dis") / "P12_1.pxf", "");
  EXPECT_EQ(StackIndexPath(folder.path(), "12"), index);
  EXPECT_EQ(PieceFilePath(folder.path(), "P12_1"), piece);
  // Paths that do not exist stay as the layout names them, for the error message.
  EXPECT_EQ(StackIndexPath(folder.path(), "4"), folder.path() / "P4.pst");
  EXPECT_EQ(PieceFilePath(folder.path(), "X"), folder.path() / "Dis" / "X.pxf");
  EXPECT_EQ(StackIndexPath(folder.path() / "missing", ""), folder.path() / "missing" / "P.pst");
}

TEST(StackPaths, FallBackToANameThatDiffersOnlyInLetterCase) {
  TempFolder folder;
  const fs::path index = folder.Write("p3.PST", "");
  const fs::path piece = folder.Write(fs::path("DIS") / "pil3_A.PXF", "");
  EXPECT_EQ(StackIndexPath(folder.path(), "3"), index);
  EXPECT_EQ(PieceFilePath(folder.path(), "PIL3_a"), piece);
  // A folder named like the file is not taken for it.
  fs::create_directories(folder.path() / "p5.pst");
  EXPECT_EQ(StackIndexPath(folder.path(), "5"), folder.path() / "P5.pst");
  EXPECT_EQ(ReadTextFile(StackIndexPath(folder.path(), "3")), "");
}

TEST(ListColumnStacks, EntriesLoseFirstCharacterAndLastFourInCaseInsensitiveOrder) {
  TempFolder folder;
  for (const char* name : {"Q3.PST", "P12.pst", "readme.txt", "P.pst", "p2.pst", "P10.pst", "P1.pst.bak", "pst",
                           "Xpst", "P7.Pst"}) {
    folder.Write(name, "");
  }
  fs::create_directories(folder.path() / "P99.pst");  // folders are not listed
  fs::create_directories(folder.path() / "Dis");
  EXPECT_EQ(ListColumnStacks(folder.path()), (std::vector<std::string>{"", "10", "12", "2", "7", "3", ""}));
}

TEST(ListColumnStacks, MissingFolderRaisesFileNotFound) {
  TempFolder folder;
  try {
    ListColumnStacks(folder.path() / "Pilastri");
    FAIL() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.kind(), ErrorKind::FileNotFound);
  }
}

}  // namespace
}  // namespace tessaro
