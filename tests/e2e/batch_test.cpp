// Tests of the batch tool's library: the command line, and that the writer threads and a
// missing project do what the program promises.
#include "batch/batch.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

TEST(ParseCommandLine, ReadsEveryOptionAndStackIdsUpToTheNextOption) {
  const BatchOptions o = ParseCommandLine({"--split-stirrups", "proj", "--stack", "3", "4", "--out", "dir",
                                           "--tangent-ties", "--stack", "7", "--decimal-separator", ",",
                                           "--schedule", "--bvbs", "--steel-grade", "B500B"});
  EXPECT_EQ(o.project, fs::path("proj"));
  EXPECT_EQ(o.stacks, (std::vector<std::string>{"3", "4", "7"}));
  EXPECT_EQ(o.outDir, fs::path("dir"));
  EXPECT_TRUE(o.draw.option1);
  EXPECT_TRUE(o.draw.option2);
  EXPECT_EQ(o.numbers.decimalSeparator, ',');
  EXPECT_TRUE(o.schedule && o.bvbs);
  EXPECT_EQ(o.bvbsOptions.steelGrade, "B500B");
  const BatchOptions defaults = ParseCommandLine({"proj"});
  EXPECT_TRUE(defaults.stacks.empty());
  EXPECT_FALSE(defaults.outDir);
  EXPECT_FALSE(defaults.draw.option1 || defaults.draw.option2 || defaults.schedule || defaults.bvbs);
  EXPECT_TRUE(defaults.check && !defaults.strict);  // the check on every run; its findings fail only --strict
  EXPECT_TRUE(ParseCommandLine({"proj", "--strict", "--check"}).strict);
  EXPECT_THROW(ParseCommandLine({"proj", "--steel-grade"}), UsageError);
  EXPECT_TRUE(ParseCommandLine({"p", "--help"}).help);
}

// Every file is made from its own drawing alone: writing on the drawing thread or on two
// writer threads gives the same bytes.
TEST(RunBatch, WriterThreadsDoNotChangeTheFiles) {
  const test::TempFolder out;
  BatchOptions options;
  options.project = fs::path(TESSARO_SOURCE_DIR) / "examples" / "Magazzino";
  options.numbers = NumberFormat{'.'};
  std::ostringstream log;
  for (const int threads : {0, 2}) {
    options.writerThreads = threads;
    options.outDir = out / std::to_string(threads);
    EXPECT_EQ(RunBatch(options, log).written, 3) << log.str();
  }
  for (const auto& file : fs::directory_iterator(out / "0")) {
    EXPECT_EQ(test::ReadBytes(file.path()), test::ReadBytes(out / "2" / file.path().filename())) << file.path();
  }
  options.project = out / "no_such_project";
  EXPECT_THROW(RunBatch(options, log), RuntimeError);
}

}  // namespace
}  // namespace tessaro
