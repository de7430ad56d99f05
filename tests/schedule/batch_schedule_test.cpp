// The schedule files of the batch tool on the example projects and on generated ones:
// every "L = " text of each drawing has its row in the schedule (or is a finding of the
// checks: a mark never placed), every BVBS record reads back with a good check value and
// legs that develop its length, every stirrup and tie wraps the bars the piece file puts
// in its section, asking for schedules and checks leaves the drawings byte for byte as
// they were, and a stack that is not written gets no schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "batch/batch.h"
#include "check/check.h"
#include "dxf/file.h"
#include "schedule/bvbs.h"
#include "schedule_fixture.h"

namespace tessaro::testing {
namespace {

using test::ReadBytes;

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size()) {
    parts.push_back(text.substr(from, at - from));
  }
  parts.push_back(text.substr(from));
  return parts;
}

// The values written after "L = " in the drawing's texts.
std::multiset<std::string> LabelledLengths(const fs::path& dxf) {
  Drawing drawing;
  ReadDxfFile(drawing, dxf);
  std::multiset<std::string> lengths;
  for (const EntityHeader& e : drawing.Entities()) {
    if (e.type != EntityType::Text) continue;
    const std::string& text = drawing.Text(e).value;
    const std::size_t at = text.find("L = ");
    if (at == std::string::npos) continue;
    const std::size_t from = at + 4;
    lengths.insert(text.substr(from, text.find(' ', from) - from));
  }
  return lengths;
}

struct CsvRow {
  std::string shape;
  std::string count;
  std::string length;
  std::string drawingLength;
};

// The rows of a stack's schedule, up to the blank line before the totals.
std::vector<CsvRow> ScheduleRows(const fs::path& csv, char fieldSeparator) {
  const std::vector<std::string> lines = Split(ReadBytes(csv), "\r\n");
  std::vector<CsvRow> rows;
  for (std::size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
    const std::vector<std::string> fields = Split(lines[i], std::string(1, fieldSeparator));
    EXPECT_EQ(fields.size(), 11u) << lines[i];
    if (fields.size() == 11) rows.push_back({fields[3], fields[5], fields[6], fields[7]});
  }
  return rows;
}

// Every record of the file reads back whole, and its legs, measured outside, develop its
// length: each bend of w degrees on a mandrel s takes 2 (s/2 + d) - (s/2 + d/2) |w| π/180
// off their sum (the rounding of each leg to the mm is all that may differ).
void CheckBvbs(const fs::path& abs, const std::vector<CsvRow>& rows) {
  const std::vector<std::string> lines = Split(ReadBytes(abs), "\r\n");
  ASSERT_TRUE(lines.back().empty()) << "the last record has no line end";
  std::size_t records = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    std::string error;
    const auto fields = ReadBvbsRecord(lines[i], error);
    ASSERT_TRUE(fields) << error << ": " << lines[i];
    EXPECT_TRUE(fields->checksumOk) << lines[i];
    const double d = std::stod(fields->Header('d'));
    const double ri = std::stod(fields->Header('s')) / 2;
    double developed = 0;
    for (const auto& [length, angle] : fields->legs) {
      EXPECT_GT(length, 0) << lines[i];
      developed += length;
      if (angle != 0) developed -= 2 * (ri + d) - (ri + d / 2) * std::fabs(angle) * 3.14159265358979 / 180;
    }
    EXPECT_NEAR(developed, std::stod(fields->Header('l')), 0.5 + 1e-9) << lines[i];
    ++records;
  }
  EXPECT_EQ(records, rows.size());
}

// What a piece file puts in its section: sides, cover (to the bar axes), the width bars'
// diameter (those at the corners) and the stirrups', in cm.
struct PieceSection {
  double W = 0, D = 0, c = 0, d1 = 0, ds = 0;
};


// A number of a piece file: "4,5" or "4.5".
double Decimal(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return std::stod(text);
}

// The diameter (cm) of "4Ø16": what follows the diameter sign, in mm.
double DiameterOf(const std::string& text) { return Decimal(text.substr(text.find_first_of("\xD8") + 1)) / 10; }

// The sections of a stack's pieces, by piece number.
std::map<Integer, PieceSection> StackSections(const fs::path& project, const std::string& id) {
  std::map<Integer, PieceSection> sections;
  const fs::path folder = project / "Pilastri";
  for (const std::string& name : Split(ReadBytes(folder / ("P" + id + ".pst")), "\r\n")) {
    if (name.empty()) continue;
    const std::vector<std::string> lines = Split(ReadBytes(folder / "Dis" / (name + ".pxf")), "\r\n");
    const std::vector<std::string> head = Split(lines[0], "|"), sides = Split(lines[3], "|");
    const std::vector<std::string> bars = Split(lines[6], "|"), stirrups = Split(lines[9], "|");
    sections[std::stoi(head[1])] = {Decimal(sides[0]), Decimal(sides[1]), Decimal(sides[2]),
                                    DiameterOf(bars[0]), DiameterOf(stirrups[0])};
  }
  return sections;
}

// Every stirrup, tie and hoop wraps the bars of its section, outside, by at most 10 mm
// more: W - 2c + d1 + 2 ds across, D - 2c + d1 + 2 ds up (the other bars' faces line up
// with the corner bars'); split stirrups (their sides depend on the bar spacing) are left
// to the hand-worked tests.
void CheckWraps(const StackSchedule& schedule, const std::map<Integer, PieceSection>& sections, bool split) {
  for (const ScheduleRow& row : schedule.rows) {
    if (!sections.count(row.pieceNumber)) continue;
    const PieceSection& p = sections.at(row.pieceNumber);
    const double across = (p.W - 2 * p.c + p.d1 + 2 * p.ds) * 10;
    const double up = (p.D - 2 * p.c + p.d1 + 2 * p.ds) * 10;
    const auto wraps = [](double side, double need) { return side >= need - 0.5 && side <= need + 10; };
    SCOPED_TRACE("piece " + std::to_string(row.pieceNumber) + " pos. " + row.mark);
    if (row.kind == BarMarkKind::ClosedStirrup && !split) {
      ASSERT_EQ(row.legs.size(), 6u);
      EXPECT_TRUE(wraps(row.legs[1].length, across)) << row.legs[1].length << " for " << across;
      EXPECT_TRUE(wraps(row.legs[2].length, up)) << row.legs[2].length << " for " << up;
    } else if (row.kind == BarMarkKind::TieLeg) {
      ASSERT_EQ(row.legs.size(), 3u);
      EXPECT_TRUE(wraps(row.legs[1].length, across) || wraps(row.legs[1].length, up))
          << row.legs[1].length << " for " << across << " or " << up;
    } else if (row.kind == BarMarkKind::CircularHoop) {
      ASSERT_EQ(row.legs.size(), 3u);
      EXPECT_TRUE(wraps(2 * row.legs[1].radius, across)) << row.legs[1].radius << " for " << across;
    }
  }
}

class BatchScheduleTest : public ScheduleTest {
protected:
  BatchSummary Run(const fs::path& project, const fs::path& out, DrawOptions draw, char decimal, bool schedule,
                   bool marks = false) {
    BatchOptions options;
    options.check = schedule;
    options.marks = marks;
    options.csvNumbers = NumberFormat{decimal};
    options.project = project;
    options.outDir = out;
    options.draw = draw;
    options.numbers = NumberFormat{decimal};
    options.schedule = schedule;
    options.bvbs = schedule;
    options.writerThreads = 1;
    std::ostringstream log;
    return RunBatch(options, log);
  }

  // The drawing with position marks is the plain one plus, on the layer "Posizioni", a
  // circle and a number for every row that has a label.
  static void CheckMarks(const fs::path& marked, const fs::path& plain, const StackSchedule& schedule) {
    Drawing a, b;
    ReadDxfFile(a, marked);
    ReadDxfFile(b, plain);
    const auto layer = a.FindLayer("Posizioni");
    ASSERT_TRUE(layer);
    std::multiset<std::string> numbers;
    std::size_t circles = 0, others = 0;
    for (const EntityHeader& e : a.Entities()) {
      if (e.layer != *layer) {
        ++others;
      } else if (e.type == EntityType::Circle) {
        ++circles;
      } else if (e.type == EntityType::Text) {
        numbers.insert(a.Text(e).value);
      }
    }
    std::multiset<std::string> labelled;
    for (const ScheduleRow& row : schedule.rows) {
      if (row.hasLabel) labelled.insert(row.mark);
    }
    EXPECT_EQ(others, b.Entities().size());
    EXPECT_EQ(circles, labelled.size());
    EXPECT_EQ(numbers, labelled);
  }

  // Draws the project with and without schedules in every drawing option and checks
  // every written stack.
  void CheckProject(const fs::path& project) {
    const DrawOptions everyOption[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    int run = 0;
    for (const DrawOptions& draw : everyOption) {
      const char decimal = run % 2 == 0 ? ',' : '.';
      const char fieldSeparator = decimal == ',' ? ';' : ',';
      const fs::path with = folder_ / ("with" + std::to_string(run));
      const fs::path without = folder_ / ("without" + std::to_string(run));
      const fs::path marked = folder_ / ("marks" + std::to_string(run));
      ++run;
      const BatchSummary summary = Run(project, with, draw, decimal, true);
      Run(project, without, draw, decimal, false);
      Run(project, marked, draw, decimal, false, true);
      ASSERT_GT(summary.written, 0);
      EXPECT_EQ(summary.schedules.size(), static_cast<std::size_t>(summary.written));
      EXPECT_TRUE(fs::exists(with / "Distinta_progetto.csv"));
      for (const StackSchedule& schedule : summary.schedules) {
        SCOPED_TRACE(project.filename().string() + " stack " + schedule.stackId + " run " + std::to_string(run));
        const std::string dxf = "Pilastrata_" + schedule.stackId + ".dxf";
        EXPECT_EQ(ReadBytes(with / dxf), ReadBytes(without / dxf)) << "the schedule changed the drawing";
        const std::vector<CsvRow> rows = ScheduleRows(with / ScheduleCsvName(schedule.stackId), fieldSeparator);
        ASSERT_EQ(rows.size(), schedule.rows.size());
        std::set<std::string> scheduled;
        for (std::size_t i = 0; i < rows.size(); ++i) {
          const ScheduleRow& row = schedule.rows[i];
          if (row.drawingLength > 0) scheduled.insert(FormatSingle(row.drawingLength, NumberFormat{decimal}));
          // "L disegno" stands where the cut length is more than 1 cm off the label.
          EXPECT_EQ(rows[i].drawingLength.empty(), std::fabs(double{row.drawingLength} - row.cutLength) <= 1 + 1e-6 ||
                                                        row.drawingLength == 0)
              << rows[i].length << " " << rows[i].drawingLength;
        }
        // A mark labelled and never placed has no row: the check reports it instead.
        const std::string report = ReadBytes(with / CheckFileName(schedule.stackId));
        for (std::size_t at = 0; (at = report.find(" L = ", at)) != std::string::npos; at += 5) {
          scheduled.insert(report.substr(at + 5, report.find(':', at) - at - 5));
        }
        const std::multiset<std::string> labelled = LabelledLengths(with / dxf);
        EXPECT_EQ(std::set<std::string>(labelled.begin(), labelled.end()), scheduled);
        CheckBvbs(with / BvbsFileName(schedule.stackId), rows);
        CheckWraps(schedule, StackSections(project, schedule.stackId), draw.option1);
        CheckMarks(marked / dxf, without / dxf, schedule);
      }
    }
  }
};

TEST_F(BatchScheduleTest, ExampleProjectsScheduleEveryLabelledLength) {
  for (const char* name : {"Magazzino", "Polo_Logistico"}) CheckProject(fs::path(TESSARO_SOURCE_DIR) / "examples" / name);
}

TEST_F(BatchScheduleTest, GeneratedProjectsScheduleEveryLabelledLength) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const fs::path project = folder_ / ("project" + std::to_string(seed));
    test::GenerateProject(project, seed, 25);
    CheckProject(project);
  }
}

TEST_F(BatchScheduleTest, AStackNotWrittenGetsNoScheduleAndTheProjectTotalsLeaveItOut) {
  const fs::path project = folder_ / "project";
  test::WritePiece(project / "Pilastri", "A");
  test::WriteIndex(project / "Pilastri", "1", {"A"});
  test::WriteIndex(project / "Pilastri", "2", {"missing"});
  const BatchSummary summary = Run(project, project / "out", {}, ',', true);
  EXPECT_EQ(summary.written, 1);
  EXPECT_EQ(summary.skipped, 1);
  ASSERT_EQ(summary.schedules.size(), 1u);
  EXPECT_EQ(summary.schedules[0].stackId, "1");
}

}  // namespace
}  // namespace tessaro::testing
