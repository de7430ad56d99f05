// The drawing's checks on hand-made stacks with known faults: each fault is reported, by
// stack, piece, view and mark, and nothing else is, apart from the labels' L, which the
// bent shapes differ from on every stirrup and tie: those once per pair of lengths in the
// stack, naming every mark that has it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "check/check.h"
#include "schedule_fixture.h"

namespace tessaro::testing {
namespace {

class CheckTest : public ScheduleTest {
protected:
  std::vector<Finding> Findings(const std::string& id) {
    Drawing drawing;
    BarRecorder bars;
    Canvas canvas{drawing, NumberFormat{','}, &bars};
    StackSession session;
    EXPECT_TRUE(LoadStack(canvas, session, folder_.path(), id).completed);
    schedule_ = BuildStackSchedule(id, bars);
    return CheckStack(id, bars, schedule_);
  }
  StackSchedule schedule_;
};

struct Expected {
  FindingKind kind;
  FindingView view;
  const char* mark;
  double stated, expected;
  const char* text;  // the end of its line
};

TEST_F(CheckTest, KnownFaultsAreReportedAndNothingElse) {
  using F = FindingKind;
  using V = FindingView;
  using Lines = std::map<int, std::string>;
  struct Case {
    const char* name;
    std::vector<Lines> pieces;  // bottom first
    std::vector<Expected> expected;
  } cases[] = {
      // Three bars across and four tie legs: the width row labels 2 legs but finds no
      // intermediate bar to put them on (k = 2, m = 1).
      {"tie never placed", {{{3, "30|50|4|0|300"}, {6, "3Ø16|2Ø16"}, {9, "4Ø8|2Ø8"}}},
       {{F::NeverPlaced, V::Section, "spillo Ø8 L = 63", 630, 0,
         "spillo Ø8 L = 63: etichettato ma mai posto nella sezione (conteggio 0)"}}},
      // A circle of 8 bars: the bar list counts both halves on both faces, 2·4 + 2·4.
      {"circular bar list", {{{3, "50|0|4|0|300"}, {6, "8Ø16|8Ø16"}, {9, "2Ø8|2Ø8"}}},
       {{F::BarListCount, V::Elevation, "2", 16, 8, "pos. 2: l'elenco ferri dice 16Ø16, la sezione ne pone 8"}}},
      // Two diameters on a circle: the list's second one, which the circle never places, is
      // named by its label.
      {"circular bar list of two diameters", {{{3, "50|0|4|0|300"}, {6, "8Ø16|4Ø14"}, {9, "2Ø8|2Ø8"}}},
       {{F::BarListCount, V::Elevation, "ferri Ø14 L = 463", 8, 0,
         "ferri Ø14 L = 463: l'elenco ferri dice 8Ø14, la sezione ne pone 0"}}},
      // Stirrups of 10: the drawing's 80 mm tails are short of 10 Ø = 100 on the hoop.
      {"tails of 10 mm stirrups", {{{9, "2Ø10|2Ø10"}}},
       {{F::TailShort, V::Section, "1", 80, 100, "pos. 1: coda disegnata 80 mm, la regola vuole 100 mm (uncino a 135°, 10 Ø)"}}},
      // Cover 2 to the bar axes: 20 - 8 - 8 = 4 mm to the stirrup.
      {"cover", {{{3, "40|40|2|0|300"}}},
       {{F::CoverShort, V::Section, "1", 4, 20, "pos. 1: copriferro alla staffa 4 mm, minimo 20 mm"}}},
      // Two storeys alike with ties: each label's L once, naming both pieces.
      {"two storeys alike",
       {{{3, "50|50|4|0|300"}, {6, "5Ø16|3Ø16"}, {9, "5Ø8|5Ø8"}},
        {{3, "50|50|4|300|600"}, {6, "5Ø16|3Ø16"}, {9, "5Ø8|5Ø8"}}},
       {}},
      {"a clean piece", {{}}, {}},
  };
  int stack = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = std::to_string(++stack);
    std::vector<std::string> names;
    for (std::size_t p = 0; p < c.pieces.size(); ++p) {
      Lines lines = c.pieces[p];
      const int code = c.pieces.size() == 1 ? 0 : p == 0 ? 1 : 3;
      lines[0] = id + "|" + std::to_string(p + 1) + "|" + std::to_string(code);
      names.push_back("S" + id + "_" + std::to_string(p));
      WritePiece(names.back(), lines);
    }
    WriteIndex(id, names);
    std::vector<Finding> findings = Findings(id);
    // The labels' L: one finding per pair of lengths more than 1 cm apart, with every mark.
    using Lengths = std::tuple<double, double, Single>;
    std::map<Lengths, std::vector<std::string>> differing, reported;
    for (const ScheduleRow& row : schedule_.rows) {
      if (row.drawingLength > 0 && std::fabs(double{row.drawingLength} - row.cutLength) > 1 + 1e-6) {
        differing[{double{row.drawingLength} * 10, double{row.cutLength} * 10, row.diameterMm}].push_back(row.mark);
      }
    }
    for (const Finding& f : findings) {
      if (f.kind != FindingKind::LengthDiffers) continue;
      std::vector<std::string> marks{f.mark};
      for (const Finding::Place& at : f.alsoAt) marks.push_back(at.mark);
      EXPECT_TRUE(reported.emplace(Lengths{f.stated, f.expected, f.diameterMm}, marks).second) << FindingText(f);
      if (c.pieces.size() == 2) {
        EXPECT_NE(FindingText(f).find(", pilastri 1, 2 (sezione), pos. "), std::string::npos) << FindingText(f);
      }
    }
    EXPECT_EQ(reported, differing);
    if (c.pieces.size() == 2) {
      EXPECT_EQ(reported.size(), 2u);  // the stirrup's and the ties'
    }
    std::erase_if(findings, [](const Finding& f) { return f.kind == FindingKind::LengthDiffers; });
    ASSERT_EQ(findings.size(), c.expected.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const Finding& f = findings[i];
      const Expected& e = c.expected[i];
      EXPECT_EQ(f.kind, e.kind);
      EXPECT_EQ(f.stackId, id);
      EXPECT_EQ(f.pieceNumber, 1);
      EXPECT_EQ(f.view, e.view);
      EXPECT_EQ(f.mark, e.mark);
      EXPECT_EQ(f.stated, e.stated);
      EXPECT_EQ(f.expected, e.expected);
      const std::string text = FindingText(f);
      EXPECT_EQ(text.substr(0, 13 + id.size()), "Pilastrata " + id + ", ") << text;
      EXPECT_TRUE(text.ends_with(e.text)) << text;
    }
  }
}

// The report file: a heading with the count, then the lines.
TEST(CheckReport, HeadingThenOneLinePerFinding) {
  Finding f;
  f.kind = FindingKind::NeverPlaced;
  f.stackId = "9";
  f.pieceNumber = 18;
  f.mark = "spillo Ø10 L = 93";
  EXPECT_EQ(CheckReportText("9", {}), "Verifica pilastrata 9: nessun rilievo\r\n");
  EXPECT_EQ(CheckReportText("9", {f}),
            "Verifica pilastrata 9: 1 rilievi\r\n"
            "Pilastrata 9, pilastro 18 (sezione), spillo Ø10 L = 93: etichettato ma mai posto nella sezione "
            "(conteggio 0)\r\n");
  EXPECT_EQ(CheckFileName("9"), "Verifica_9.txt");
}

}  // namespace
}  // namespace tessaro::testing
