// The schedule files of the batch tool on the example projects and on generated ones:
// every "L = " text of each drawing has its row in the CSV schedule with the same value,
// every BVBS record reads back with a good check value and legs that make its length,
// asking for them leaves the drawings byte for byte as they were, and a stack that is not
// written gets no schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "batch/batch.h"
#include "dxf/file.h"
#include "schedule/bvbs.h"
#include "schedule_fixture.h"

namespace tessaro::testing {
namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

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
  const std::vector<std::string> lines = Split(ReadAll(csv), "\r\n");
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
  const std::vector<std::string> lines = Split(ReadAll(abs), "\r\n");
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

// A project of `stacks` stacks of 1 to 4 storeys with a bit of everything: circular and
// rectangular sections that shrink upward, seat steps, two bar diameters, 2 to 6 stirrup
// legs, the row-count switch of line 10; a fixed seed per project.
void GenerateProject(const fs::path& project, unsigned seed, int stacks) {
  const fs::path folder = project / "Pilastri";
  fs::create_directories(folder / "Dis");
  std::minstd_rand random(seed);
  const auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
  for (int s = 1; s <= stacks; ++s) {
    const int pieces = pick(1, 4);
    const bool circular = pick(0, 5) == 0;
    int side1 = pick(6, 14) * 5;
    int side2 = circular ? 0 : pick(6, 14) * 5;
    std::string index;
    for (int p = 0; p < pieces; ++p) {
      const int code = pieces == 1 ? 0 : p == 0 ? 1 : p == pieces - 1 ? 3 : 2;
      const int inset = code == 0 || code == 3 || pick(0, 1) == 0 ? 0 : 30;
      const int d1 = pick(0, 2) == 0 ? 20 : 16;
      const int d2 = pick(0, 3) == 0 ? 14 : d1;
      const std::string name = "S" + std::to_string(s) + "_" + std::to_string(p + 1);
      std::map<int, std::string> lines{
          {0, std::to_string(s) + "|" + std::to_string(p + 1) + "|" + std::to_string(code)},
          {1, std::to_string(inset) + "|0|" + std::to_string(inset) + "|0"},
          {3, std::to_string(side1) + "|" + std::to_string(side2) + "|4|" + std::to_string(p * 320) + "|" +
                  std::to_string((p + 1) * 320)},
          {6, std::to_string(circular ? pick(6, 12) : pick(2, 6)) + "Ø" + std::to_string(d1) + "|" +
                  std::to_string(pick(0, 4)) + "Ø" + std::to_string(d2)},
          {8, std::to_string(pick(4, 8) * 10) + "|" + std::to_string(pick(1, 2) * 5) + "|" +
                  std::to_string(pick(3, 5) * 5)},
          {9, std::to_string(pick(2, 6)) + "Ø" + std::to_string(pick(0, 1) == 0 ? 8 : 10) + "|" +
                  std::to_string(pick(2, 6)) + "Ø8"},
          {10, "0|0|" + std::to_string(pick(0, 3) == 0 ? 50 : 0) + "|" + std::to_string(pick(0, 2) * 40) + "|0|0|0"},
      };
      std::ofstream(folder / "Dis" / (name + ".pxf"), std::ios::binary) << Utf8ToCp1252(PieceText(lines));
      index += name + "\r\n";
      if (pick(0, 2) == 0 && side1 > 30) side1 -= 5;
      if (!circular && pick(0, 2) == 0 && side2 > 30) side2 -= 5;
    }
    std::ofstream(folder / ("P" + std::to_string(s) + ".pst"), std::ios::binary) << index;
  }
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
        EXPECT_EQ(ReadAll(with / dxf), ReadAll(without / dxf)) << "the schedule changed the drawing";
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
    GenerateProject(project, seed, 25);
    CheckProject(project);
  }
}

TEST_F(BatchScheduleTest, AStackNotWrittenGetsNoScheduleAndTheProjectTotalsLeaveItOut) {
  WritePiece("A", {});
  WriteIndex("1", {"A"});
  WriteIndex("2", {"missing"});
  const fs::path project = folder_.parent_path() / (folder_.filename().string() + "_project");
  fs::remove_all(project);
  fs::create_directories(project);
  fs::rename(folder_, project / "Pilastri");
  const fs::path out = project / "out";
  const BatchSummary summary = Run(project, out, {}, ',', true);
  fs::remove_all(project);
  EXPECT_EQ(summary.written, 1);
  EXPECT_EQ(summary.skipped, 1);
  ASSERT_EQ(summary.schedules.size(), 1u);
  EXPECT_EQ(summary.schedules[0].stackId, "1");
}

TEST(BatchCommandLine, ScheduleOptions) {
  const BatchOptions options =
      ParseCommandLine({"proj", "--schedule", "--bvbs", "--steel-grade", "B500B", "--stack", "3"});
  EXPECT_TRUE(options.schedule);
  EXPECT_TRUE(options.bvbs);
  EXPECT_EQ(options.bvbsOptions.steelGrade, "B500B");
  EXPECT_EQ(options.stacks, std::vector<std::string>{"3"});
  EXPECT_FALSE(ParseCommandLine({"proj"}).schedule);
  EXPECT_THROW(ParseCommandLine({"proj", "--steel-grade"}), UsageError);
}

}  // namespace
}  // namespace tessaro::testing
