// The drawing's checks on hand-made stacks with known faults: each fault is reported, by
// stack, piece, view and mark, and nothing else is (apart from the labels' L, which the
// bent shapes differ from on every stirrup and tie).
#include <gtest/gtest.h>

#include <algorithm>

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
    EXPECT_TRUE(LoadStack(canvas, session, folder_, id).completed);
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
  struct Case {
    const char* name;
    std::map<int, std::string> lines;
    std::vector<Expected> expected;
  } cases[] = {
      // Three bars across and four tie legs: the width row labels 2 legs but finds no
      // intermediate bar to put them on (k = 2, m = 1).
      {"tie never placed", {{3, "30|50|4|0|300"}, {6, "3Ø16|2Ø16"}, {9, "4Ø8|2Ø8"}},
       {{F::NeverPlaced, V::Section, "spillo Ø8 L = 63", 630, 0,
         "spillo Ø8 L = 63: etichettato ma mai posto nella sezione (conteggio 0)"}}},
      // A circle of 8 bars: the bar list counts both halves on both faces, 2·4 + 2·4.
      {"circular bar list", {{3, "50|0|4|0|300"}, {6, "8Ø16|8Ø16"}, {9, "2Ø8|2Ø8"}},
       {{F::BarListCount, V::Elevation, "2", 16, 8, "pos. 2: l'elenco ferri dice 16Ø16, la sezione ne pone 8"}}},
      // Stirrups of 10: the drawing's 80 mm tails are short of 10 Ø = 100 on the hoop.
      {"tails of 10 mm stirrups", {{9, "2Ø10|2Ø10"}},
       {{F::TailShort, V::Section, "1", 80, 100, "pos. 1: coda disegnata 80 mm, la regola vuole 100 mm (uncino a 135°, 10 Ø)"}}},
      // Cover 2 to the bar axes: 20 - 8 - 8 = 4 mm to the stirrup.
      {"cover", {{3, "40|40|2|0|300"}},
       {{F::CoverShort, V::Section, "1", 4, 20, "pos. 1: copriferro alla staffa 4 mm, minimo 20 mm"}}},
      {"a clean piece", {}, {}},
  };
  int stack = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = std::to_string(++stack);
    std::map<int, std::string> lines = c.lines;
    lines[0] = id + "|1|0";
    WritePiece("S" + id, lines);
    WriteIndex(id, {"S" + id});
    std::vector<Finding> findings = Findings(id);
    // Every labelled stirrup or tie row is reported with its label's L and no other row.
    for (const ScheduleRow& row : schedule_.rows) {
      const bool labelledTransverse = row.hasLabel && row.kind != BarMarkKind::LongitudinalBars &&
                                      row.kind != BarMarkKind::StarterBars;
      const auto reported = std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.kind == FindingKind::LengthDiffers && f.mark == row.mark;
      });
      EXPECT_EQ(reported, labelledTransverse ? 1 : 0) << "pos. " << row.mark;
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
