// The schedules of the batch tool on generated projects with a bit of everything, in every
// drawing option: asking for schedules and checks leaves the drawings byte for byte as they
// were, every "L = " text of each drawing has its row in the schedule (or is a finding of
// the checks: a mark never placed), and every stirrup and tie wraps the bars the piece file
// puts in its section. The example projects' schedule files are read back by schedule_e2e.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "batch/batch.h"
#include "check/check.h"
#include "dxf/file.h"
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

TEST_F(ScheduleTest, GeneratedProjectsScheduleEveryLabelledLength) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const fs::path project = folder_ / ("project" + std::to_string(seed));
    test::GenerateProject(project, seed, 25);
    for (const DrawOptions draw : {DrawOptions{false, false}, {true, false}, {false, true}, {true, true}}) {
      BatchOptions options;
      options.project = project;
      options.draw = draw;
      options.numbers = options.csvNumbers = NumberFormat{draw.option2 ? '.' : ','};
      options.writerThreads = 1;
      std::ostringstream log;
      const fs::path without = folder_ / "without" / std::to_string(seed), with = folder_ / "with" / std::to_string(seed);
      options.outDir = without;
      RunBatch(options, log);
      options.outDir = with;
      options.schedule = options.bvbs = options.check = true;
      const BatchSummary summary = RunBatch(options, log);
      ASSERT_GT(summary.written, 0);
      EXPECT_EQ(summary.schedules.size(), static_cast<std::size_t>(summary.written));
      for (const StackSchedule& schedule : summary.schedules) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " stack " + schedule.stackId);
        const std::string dxf = "Pilastrata_" + schedule.stackId + ".dxf";
        EXPECT_EQ(ReadBytes(with / dxf), ReadBytes(without / dxf)) << "the schedule changed the drawing";
        std::set<std::string> scheduled;
        for (const ScheduleRow& row : schedule.rows) {
          if (row.drawingLength > 0) scheduled.insert(FormatSingle(row.drawingLength, options.numbers));
        }
        // A mark labelled and never placed has no row: the check reports it instead.
        const std::string report = ReadBytes(with / CheckFileName(schedule.stackId));
        for (std::size_t at = 0; (at = report.find(" L = ", at)) != std::string::npos; at += 5) {
          scheduled.insert(report.substr(at + 5, report.find(':', at) - at - 5));
        }
        const std::multiset<std::string> labelled = LabelledLengths(with / dxf);
        EXPECT_EQ(std::set<std::string>(labelled.begin(), labelled.end()), scheduled);
        CheckWraps(schedule, StackSections(project, schedule.stackId), draw.option1);
      }
    }
  }
}

}  // namespace
}  // namespace tessaro::testing
