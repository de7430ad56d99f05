// Tests of the checks the piece reader makes: the bar and stirrup fields parsed with the
// three spellings of the diameter sign, every bound of the table wired to its own line and
// field, the rules between values, and messages that stay readable.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "column_stack/stack_files.h"
#include "base/errors.h"
#include "os/utf8_path.h"
#include "support/piece_files.h"

namespace tessaro {
namespace {

// The test piece with one field replaced.
std::string PieceWith(int line, int field, const std::string& value) {
  return test::WithField(test::PieceText(), line, field, value);
}
std::string Piece(const std::map<int, std::string>& lines = {}) { return test::PieceText(lines); }

std::optional<StackFileError> ErrorOf(const std::string& text) {
  try {
    ReadPieceRecord(text);
  } catch (const StackFileError& error) {
    return error;
  }
  return std::nullopt;
}

TEST(ParseBarField, ReadsCountAndDiameterWithEverySpellingOfTheSign) {
  // Text, whether the diameter is needed, count and diameter read.
  for (const auto& [text, needed, count, diameter] :
       {std::tuple{"4Ø16", true, 4, 1.6f}, {"4\xC3\x83\xCB\x9C" "16", true, 4, 1.6f}, {" 12 Ø 20 ", true, 12, 2.0f},
        {"2Ø7,5", true, 2, 0.75f}, {"0Ø8", true, 0, 0.8f}, {"3", false, 3, 0.0f}, {"3Ø8", false, 3, 0.8f}}) {
    const BarField bar = ParseBarField(text, needed);
    EXPECT_EQ(std::pair(bar.count, bar.diameter), std::pair(Integer(count), Single(diameter))) << text;
  }
  // The others are the malformed-project table's; a raw byte is the file decoder's business.
  for (const auto& [text, kind] : {std::pair{"4", ErrorKind::MissingData}, {"4.5Ø16", ErrorKind::BadNumber},
                                   {"4\xD8" "16", ErrorKind::BadNumber}, {"40000Ø16", ErrorKind::Overflow}}) {
    try {
      ParseBarField(text);
      ADD_FAILURE() << text << " accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), kind) << error.what();
    }
  }
}

TEST(ReadPieceRecord, KeepsTheParsedFieldsAndShowsTheSignAsØ) {
  const ColumnPiece piece = ReadPieceRecord(PieceWith(6, 0, "5\xC3\x83\xCB\x9C" "20"));
  EXPECT_EQ(piece.barsSide1, "5Ø20");
  EXPECT_EQ(piece.bars1.count, 5);
  EXPECT_EQ(piece.bars1.diameter, 2.0f);
  EXPECT_EQ(piece.bars2.count, 2);
  EXPECT_EQ(piece.stirrups1.diameter, 0.8f);
  // Only the other side's stirrup count is drawn: a lone count is read there.
  EXPECT_EQ(ReadPieceRecord(PieceWith(9, 1, "4")).stirrups2.count, 4);
}

// Every row of the bounds table, just outside its range, is refused naming its own line
// and field; the same piece at the generous ends of every range is read.
TEST(ReadPieceRecord, EveryBoundRefusesItsFieldJustOutside) {
  for (const PieceBound& bound : kPieceBounds) {
    const auto text = [&](double value) {
      const std::string number = std::to_string(value);
      if (bound.part == PieceBound::Part::Count) return number.substr(0, number.find('.')) + "Ø16";
      if (bound.part == PieceBound::Part::Diameter) return std::string("4Ø") + number;
      return number;
    };
    const double below = bound.lowOpen ? bound.low : bound.low - 1;
    for (const double value : {below, bound.high + 1}) {
      SCOPED_TRACE(std::string(bound.name) + " " + text(value));
      const auto error = ErrorOf(PieceWith(bound.line, bound.field, text(value)));
      ASSERT_TRUE(error.has_value()) << "accepted";
      EXPECT_EQ(error->line(), bound.line);
      EXPECT_EQ(error->field(), bound.field);
      EXPECT_EQ(error->text(), text(value));
      EXPECT_NE(std::string(error->what()).find(bound.name), std::string::npos) << error->what();
      EXPECT_EQ(error->problem().kind, ProblemKind::OutOfBounds);
      EXPECT_EQ(error->problem().subject, bound.name);
    }
  }
  // The largest real columns stay well inside.
  const std::string large = Piece({{3, "1000|800|50|-100000|-95000"}, {6, "200Ø40|200Ø40"},
                                   {8, "5000|2|1000"}, {9, "200Ø20|200Ø20"}, {10, "1000|-1000|0|5000|0|0|0"}});
  EXPECT_FALSE(ErrorOf(large).has_value()) << ErrorOf(large)->what();
}

TEST(ReadPieceRecord, RulesBetweenValuesNameTheFieldTheyRefuse) {
  struct Case {
    std::map<int, std::string> lines;
    int line, field;
  };
  for (const Case& c : {Case{{{3, "40|30|4|300|300"}}, 3, 4}, Case{{{3, "40|30|4|300|200"}}, 3, 4},
                        Case{{{3, "40|30|4|0|5001"}}, 3, 4}, Case{{{3, "40|30|15|0|300"}}, 3, 2},
                        Case{{{3, "40|0|20|0|300"}}, 3, 2}, Case{{{3, "40|0|4|0|300"}, {6, "3Ø16|0Ø16"}}, 6, 0}}) {
    const auto error = ErrorOf(Piece(c.lines));
    ASSERT_TRUE(error.has_value()) << Piece(c.lines);
    EXPECT_EQ(error->line(), c.line) << error->what();
    EXPECT_EQ(error->field(), c.field) << error->what();
  }
  EXPECT_FALSE(ErrorOf(Piece({{3, "40|0|4|0|300"}, {6, "4Ø16|0Ø16"}})).has_value());
  // Line 10 keeps its rule: a value that does not read is 0.
  EXPECT_EQ(ReadPieceRecord(Piece({{10, "x|nan|?|||"}})).offset1, 0);
}

// The command line's words for the problems whose words say more than where and what: the
// bounds, the rule between the levels, a file name cut to a readable length.
TEST(DescribeProblem, WordsEachKindWithWhereItIs) {
  const std::string huge(300, 'x');
  Problem bound, top, missing;
  bound.kind = ProblemKind::OutOfBounds, bound.line = 9, bound.field = 0, bound.text = "1Ø16";
  bound.subject = "Staffe lato 1", bound.part = Problem::Part::Count, bound.low = 2, bound.high = 200;
  top.kind = ProblemKind::TopNotAboveBottom, top.line = 3, top.field = 4, top.text = "10", top.other = "20", top.high = 5000;
  missing.kind = ProblemKind::FileNotFound, missing.file = std::filesystem::path("Dis") / (huge + ".pxf");
  EXPECT_EQ(DescribeProblem(bound),
            "line 10 (9 from 0), field 1 (0 from 0): the count of Staffe lato 1 \"1Ø16\" is outside from 2 to 200");
  EXPECT_EQ(DescribeProblem(top), "line 4 (3 from 0), field 5 (4 from 0): Quota finale \"10\" must lie above Quota "
                                  "iniziale \"20\", by at most 5000");
  EXPECT_EQ(DescribeProblem(missing),
            Utf8FromPath(std::filesystem::path("Dis") / PathFromUtf8(std::string(80, 'x') + "\u2026")) +
                ": file not found");
  // Echoed input never stops at a NUL, and a two-byte character is never cut in two.
  EXPECT_EQ(ReadableText(std::string("2\0" "0\t", 4)), "2\\x000\\x09");
  std::string signs;
  for (int i = 0; i < 70; ++i) signs += "Ø";
  EXPECT_EQ(ReadableText(signs, 3), "ØØØ\u2026");
}

}  // namespace
}  // namespace tessaro
