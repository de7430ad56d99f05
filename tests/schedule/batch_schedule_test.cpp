// The schedule files of the batch tool on the example projects and on generated ones:
// every "L = " text of each drawing has its row in the CSV schedule with the same value,
// every BVBS record reads back with a good check value and legs that make its length,
// asking for them leaves the drawings byte for byte as they were, and a stack that is not
// written gets no schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "batch/batch.h"
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
};

// The rows of a stack's schedule, up to the blank line before the totals.
std::vector<CsvRow> ScheduleRows(const fs::path& csv, char fieldSeparator) {
  const std::vector<std::string> lines = Split(ReadBytes(csv), "\r\n");
  std::vector<CsvRow> rows;
  for (std::size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
    const std::vector<std::string> fields = Split(lines[i], std::string(1, fieldSeparator));
    EXPECT_EQ(fields.size(), 9u) << lines[i];
    if (fields.size() == 9) rows.push_back({fields[3], fields[5], fields[6]});
  }
  return rows;
}

// Every record of the file reads back whole, and its legs add up to its length.
void CheckBvbs(const fs::path& abs, const std::vector<CsvRow>& rows) {
  const std::vector<std::string> lines = Split(ReadBytes(abs), "\r\n");
  ASSERT_TRUE(lines.back().empty()) << "the last record has no line end";
  std::size_t records = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    std::string error;
    const auto fields = ReadBvbsRecord(lines[i], error);
    ASSERT_TRUE(fields) << error << ": " << lines[i];
    EXPECT_TRUE(fields->checksumOk) << lines[i];
    double sum = 0;
    for (const auto& [length, angle] : fields->legs) {
      EXPECT_GT(length, 0) << lines[i];
      sum += length;
    }
    EXPECT_EQ(sum, std::stod(fields->Header('l'))) << lines[i];
    ++records;
  }
  const auto bent = std::count_if(rows.begin(), rows.end(),
                                  [](const CsvRow& r) { return r.shape != "staffa circolare" && r.count != "0"; });
  EXPECT_EQ(records, static_cast<std::size_t>(bent));
}

class BatchScheduleTest : public ScheduleTest {
protected:
  BatchSummary Run(const fs::path& project, const fs::path& out, DrawOptions draw, char decimal, bool schedule) {
    BatchOptions options;
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
      ++run;
      const BatchSummary summary = Run(project, with, draw, decimal, true);
      Run(project, without, draw, decimal, false);
      ASSERT_GT(summary.written, 0);
      EXPECT_EQ(summary.schedules.size(), static_cast<std::size_t>(summary.written));
      EXPECT_TRUE(fs::exists(with / "Distinta_progetto.csv"));
      for (const StackSchedule& schedule : summary.schedules) {
        SCOPED_TRACE(project.filename().string() + " stack " + schedule.stackId + " run " + std::to_string(run));
        const std::string dxf = "Pilastrata_" + schedule.stackId + ".dxf";
        EXPECT_EQ(ReadBytes(with / dxf), ReadBytes(without / dxf)) << "the schedule changed the drawing";
        const std::vector<CsvRow> rows = ScheduleRows(with / ScheduleCsvName(schedule.stackId), fieldSeparator);
        std::set<std::string> scheduled;
        for (const CsvRow& row : rows) {
          if (row.shape != "staffa circolare") scheduled.insert(row.length);
        }
        const std::multiset<std::string> labelled = LabelledLengths(with / dxf);
        EXPECT_EQ(std::set<std::string>(labelled.begin(), labelled.end()), scheduled);
        CheckBvbs(with / BvbsFileName(schedule.stackId), rows);
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
