// Tests of the batch tool's library: the command line, and runs over a small project
// written by hand (what is written, what is skipped and said, one thread against two).
#include "batch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dxf_file.h"
#include "platform/errors.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// --------------------------------------------------------------------------------------
// Command line

TEST(ParseCommandLine, ProjectAloneTakesTheDefaults) {
  const BatchOptions o = ParseCommandLine({"proj"});
  EXPECT_EQ(o.project, fs::path("proj"));
  EXPECT_TRUE(o.stacks.empty());
  EXPECT_FALSE(o.outDir);
  EXPECT_FALSE(o.draw.option1);
  EXPECT_FALSE(o.draw.option2);
}

TEST(ParseCommandLine, EveryOption) {
  const BatchOptions o = ParseCommandLine({"--split-stirrups", "proj", "--stack", "3", "--out", "dir",
                                           "--tangent-ties", "--decimal-separator", ","});
  EXPECT_EQ(o.project, fs::path("proj"));
  EXPECT_EQ(o.stacks, (std::vector<std::string>{"3"}));
  EXPECT_EQ(o.outDir, fs::path("dir"));
  EXPECT_TRUE(o.draw.option1);
  EXPECT_TRUE(o.draw.option2);
  EXPECT_EQ(o.numbers.decimalSeparator, ',');
}

TEST(ParseCommandLine, StackTakesSeveralIdsOrRepeats) {
  EXPECT_EQ(ParseCommandLine({"proj", "--stack", "1", "2", "--out", "d", "--stack", "7"}).stacks,
            (std::vector<std::string>{"1", "2", "7"}));
  // A positional argument after an option that ends the ID list is the project.
  const BatchOptions o = ParseCommandLine({"--stack", "1", "--tangent-ties", "proj"});
  EXPECT_EQ(o.project, fs::path("proj"));
  EXPECT_EQ(o.stacks, (std::vector<std::string>{"1"}));
}

TEST(ParseCommandLine, UsageErrors) {
  const std::vector<std::vector<std::string>> bad{
      {},                                        // no project
      {"a", "b"},                                // two projects
      {"p", "--stack"},                          // option without its value
      {"p", "--out"},
      {"p", "--decimal-separator", ";"},         // not a decimal separator
      {"p", "--decimal-separator", ",,"},
      {"p", "--frobnicate"},                     // unknown option
      {"--stack", "1", "2", "p"},                // p is a third ID: no project
  };
  for (const auto& args : bad) {
    std::string joined;
    for (const auto& a : args) joined += a + ' ';
    EXPECT_THROW(ParseCommandLine(args), UsageError) << joined;
  }
  EXPECT_TRUE(ParseCommandLine({"p", "--help"}).help);
}

// --------------------------------------------------------------------------------------
// Runs over a hand-made project

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A piece file with a 40 x 30 section; `side2` may be broken on purpose.
std::string PieceText(int stack, int number, int code, int bottom, int top, const std::string& side2 = "30") {
  std::ostringstream out;
  out << stack << '|' << number << '|' << code << "\r\n0|0|0|0\r\n0|0|0|0|0\r\n40|" << side2 << "|4|" << bottom
      << '|' << top << "\r\n0|0\r\n0|0\r\n4\xD8"
      << "16|3\xD8"
      << "16\r\n20|1.5\r\n50|10|20\r\n2\xD8"
      << "8|2\xD8"
      << "8\r\n0|0|0|0|0|0|0\r\n";
  return out.str();
}

class BatchRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    project_ = fs::temp_directory_path() / ("tessaro_batch_" + std::string(info->name()));
    fs::remove_all(project_);
    const fs::path stacks = project_ / "Pilastri";
    // Stack 1: two pieces; stack 2: one piece; stack 3: broken in its second piece;
    // stack 4: an empty index file.
    WriteFile(stacks / "Dis" / "p1a.pxf", PieceText(1, 1, 1, 0, 300));
    WriteFile(stacks / "Dis" / "p1b.pxf", PieceText(1, 2, 3, 300, 600));
    WriteFile(stacks / "Dis" / "p2a.pxf", PieceText(2, 1, 0, 0, 350));
    WriteFile(stacks / "Dis" / "p3a.pxf", PieceText(3, 1, 1, 0, 300));
    WriteFile(stacks / "Dis" / "p3b.pxf", PieceText(3, 2, 3, 300, 600, "3x"));
    WriteFile(stacks / "P1.pst", "p1a\r\np1b\r\n");
    WriteFile(stacks / "P2.pst", "p2a\r\n");
    WriteFile(stacks / "P3.pst", "p3a\r\np3b\r\n");
    WriteFile(stacks / "P4.pst", "");
  }
  void TearDown() override { fs::remove_all(project_); }

  BatchSummary Run(BatchOptions options, std::string* log = nullptr) {
    options.project = project_;
    options.numbers = NumberFormat{'.'};
    std::ostringstream out;
    const BatchSummary summary = RunBatch(options, out);
    if (log) *log = out.str();
    return summary;
  }

  fs::path project_;
};

TEST_F(BatchRunTest, WritesGoodStacksAndReportsTheOthers) {
  std::string log;
  const BatchSummary s = Run({}, &log);

  EXPECT_EQ(s.stacks, 4);
  EXPECT_EQ(s.written, 2);
  EXPECT_EQ(s.skipped, 2);
  EXPECT_EQ(s.outDir, project_ / "Disegni");
  EXPECT_TRUE(fs::exists(project_ / "Disegni" / "Pilastrata_1.dxf"));
  EXPECT_TRUE(fs::exists(project_ / "Disegni" / "Pilastrata_2.dxf"));
  EXPECT_FALSE(fs::exists(project_ / "Disegni" / "Pilastrata_3.dxf"));
  EXPECT_FALSE(fs::exists(project_ / "Disegni" / "Pilastrata_4.dxf"));
  EXPECT_GT(s.entities, 0u);
  EXPECT_EQ(s.bytes, fs::file_size(project_ / "Disegni" / "Pilastrata_1.dxf") +
                         fs::file_size(project_ / "Disegni" / "Pilastrata_2.dxf"));

  ASSERT_EQ(s.problems.size(), 2u);
  EXPECT_NE(s.problems[0].find("stack 3 not written"), std::string::npos) << s.problems[0];
  EXPECT_NE(s.problems[0].find("p3b.pxf"), std::string::npos) << s.problems[0];
  EXPECT_NE(s.problems[0].find("line 4"), std::string::npos) << s.problems[0];
  EXPECT_NE(s.problems[1].find("lists no pieces"), std::string::npos) << s.problems[1];
  for (const char* expected : {"stack 1 of 4: 1", "stack 4 of 4: 4", "2 written, 2 skipped"}) {
    EXPECT_NE(log.find(expected), std::string::npos) << expected << " missing in\n" << log;
  }
}

TEST_F(BatchRunTest, OneThreadAndThreeWriteTheSameBytes) {
  BatchOptions one, two;
  one.writerThreads = 0;
  two.writerThreads = 2;
  one.outDir = project_ / "one";
  two.outDir = project_ / "two";
  Run(one);
  Run(two);
  for (const char* name : {"Pilastrata_1.dxf", "Pilastrata_2.dxf"}) {
    const std::string bytes = ReadFile(project_ / "one" / name);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, ReadFile(project_ / "two" / name)) << name;
  }
}

TEST_F(BatchRunTest, EachFileHoldsItsOwnStack) {
  BatchOptions options;
  options.stacks = {"2", "1"};
  Run(options);
  Drawing drawing;
  ReadDxfFile(drawing, project_ / "Disegni" / "Pilastrata_2.dxf");
  bool title = false;
  for (const EntityHeader& e : drawing.Entities()) {
    if (e.type == EntityType::Text && drawing.Text(e).value == "Pilastrata  2") title = true;
  }
  EXPECT_TRUE(title);
}

TEST_F(BatchRunTest, ABrokenStackLeavesAnEarlierFileAndSaysSo) {
  WriteFile(project_ / "Disegni" / "Pilastrata_3.dxf", "earlier");
  BatchOptions options;
  options.stacks = {"3"};
  const BatchSummary s = Run(options);
  EXPECT_EQ(s.written, 0);
  EXPECT_EQ(ReadFile(project_ / "Disegni" / "Pilastrata_3.dxf"), "earlier");
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_NE(s.problems[0].find("was left as it was"), std::string::npos) << s.problems[0];
}

TEST_F(BatchRunTest, NamedStacksGoInListOrderAndUnknownOnesAreReported) {
  BatchOptions options;
  options.stacks = {"9", "2", "1"};
  std::string log;
  const BatchSummary s = Run(options, &log);
  EXPECT_EQ(s.written, 2);
  EXPECT_EQ(s.skipped, 1);
  EXPECT_LT(log.find("stack 1 of 3: 1"), log.find("stack 2 of 3: 2"));
  EXPECT_NE(log.find("stack 3 of 3: 9"), std::string::npos);
  EXPECT_NE(log.find("P9.pst"), std::string::npos);
}

TEST(BatchRun, AProjectWithoutStacksFolderFails) {
  BatchOptions options;
  options.project = fs::temp_directory_path() / "tessaro_batch_no_such_project";
  std::ostringstream log;
  EXPECT_THROW(RunBatch(options, log), RuntimeError);
}

}  // namespace
}  // namespace tessaro
