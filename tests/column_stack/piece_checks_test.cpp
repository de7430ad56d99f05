// Tests of the checks the piece reader makes: the bar and stirrup fields parsed with the
// three spellings of the diameter sign, every bound of the table wired to its own line and
// field, the rules between values, and messages that stay readable.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "column_stack/stack_files.h"
#include "base/errors.h"
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
  struct Case {
    const char* text;
    bool diameterNeeded;
    Integer count;
    Single diameter;
  };
  for (const Case& c : {Case{"4Ø16", true, 4, 1.6f}, Case{"4\xC3\x83\xCB\x9C" "16", true, 4, 1.6f},
                        Case{" 12 Ø 20 ", true, 12, 2.0f}, Case{"2Ø7,5", true, 2, 0.75f}, Case{"0Ø8", true, 0, 0.8f},
                        Case{"3", false, 3, 0.0f}, Case{"3Ø8", false, 3, 0.8f}}) {
    SCOPED_TRACE(c.text);
    const BarField bar = ParseBarField(c.text, c.diameterNeeded);
    EXPECT_EQ(bar.count, c.count);
    EXPECT_EQ(bar.diameter, c.diameter);
  }
  struct Bad {
    const char* text;
    ErrorKind kind;
  };
  for (const Bad& b : {Bad{"4", ErrorKind::MissingData}, Bad{"", ErrorKind::BadNumber},
                       Bad{"xØ16", ErrorKind::BadNumber}, Bad{"4Øa", ErrorKind::BadNumber},
                       Bad{"4.5Ø16", ErrorKind::BadNumber}, Bad{"4Ø16Ø8", ErrorKind::BadNumber},
                       Bad{"4Ø16x", ErrorKind::BadNumber}, Bad{"40000Ø16", ErrorKind::Overflow},
                       Bad{"4\xD8" "16", ErrorKind::BadNumber}}) {  // a raw byte: the file decoder's business
    SCOPED_TRACE(b.text);
    try {
      ParseBarField(b.text);
      ADD_FAILURE() << "accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), b.kind) << error.what();
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

// The command line's words for each kind of problem a piece file can have, with the echoed
// input and a file name made from the input cut to a readable length.
TEST(DescribeProblem, WordsEachKindWithWhereItIs) {
  const std::string huge(300, 'x');
  const std::string cut = std::string(80, 'x') + "\u2026";
  struct Case {
    Problem problem;
    std::string expected;
  };
  const auto make = [](ProblemKind kind, int line, int field, std::string text) {
    Problem p;
    p.kind = kind;
    p.line = line;
    p.field = field;
    p.text = std::move(text);
    return p;
  };
  Problem bound = make(ProblemKind::OutOfBounds, 9, 0, "1Ø16");
  bound.subject = "Staffe lato 1";
  bound.part = Problem::Part::Count;
  bound.low = 2;
  bound.high = 200;
  Problem number = make(ProblemKind::BadNumber, 3, 0, huge);
  number.subject = "a Single";
  Problem top = make(ProblemKind::TopNotAboveBottom, 3, 4, "10");
  top.other = "20";
  top.high = 5000;
  Problem missing = make(ProblemKind::FileNotFound, -1, -1, "");
  missing.file = std::filesystem::path("Dis") / (huge + ".pxf");
  const Case cases[] = {
      {make(ProblemKind::MissingLine, 10, 0, ""), "line 11 (10 from 0), field 1 (0 from 0): the line is missing"},
      {bound, "line 10 (9 from 0), field 1 (0 from 0): the count of Staffe lato 1 \"1Ø16\" is outside from 2 to 200"},
      {number, "line 4 (3 from 0), field 1 (0 from 0): \"" + cut + "\" is not a Single"},
      {top, "line 4 (3 from 0), field 5 (4 from 0): Quota finale \"10\" must lie above Quota iniziale \"20\", by at "
            "most 5000"},
      {missing, (std::filesystem::path("Dis") / cut).string() + ": file not found"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeProblem(c.problem), c.expected);
}

TEST(StackFileError, MessagesStayReadableAndNeverStopAtANul) {
  EXPECT_EQ(ReadableText(std::string("2\0" "0\t", 4)), "2\\x000\\x09");
  EXPECT_EQ(ReadableText(std::string(100, '9')), std::string(80, '9') + "\u2026");
  std::string signs;
  for (int i = 0; i < 70; ++i) signs += "Ø";
  EXPECT_EQ(ReadableText(signs, 3), "ØØØ\u2026");  // a two-byte character is never cut in two
  const auto error = ErrorOf(PieceWith(8, 2, std::string("1\0" "0", 3) + std::string(5000, '7')));
  ASSERT_TRUE(error.has_value());
  const std::string message = error->what();
  EXPECT_LT(message.size(), 200u) << message;
  EXPECT_EQ(message.find('\0'), std::string::npos);
  EXPECT_NE(message.find("line 9 (8 from 0), field 3 (2 from 0): \"1\\x000777"), std::string::npos) << message;
}

TEST(TextOfFileBytes, ReadsUtf16WithItsByteOrderMark) {
  const std::string little("\xFF\xFE" "4\0\xD8\0" "8\0\r\0\n\0" "1\0", 14);
  const std::string big("\xFE\xFF\0" "4\0\xD8\0" "8\0\r\0\n\0" "1", 14);
  EXPECT_EQ(TextOfFileBytes(little), "4Ø8\r\n1\r\n");
  EXPECT_EQ(TextOfFileBytes(big), "4Ø8\r\n1\r\n");
  EXPECT_EQ(TextOfFileBytes(std::string("\xFF\xFE\x00\xD8", 4)), "\xEF\xBF\xBD\r\n");  // a lone surrogate
}

}  // namespace
}  // namespace tessaro
