// Hand-made column stacks for the schedule tests, loaded with a bar recorder as the batch
// tool loads them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "column_stack/stack_load.h"
#include "schedule/schedule.h"
#include "support/piece_files.h"
#include "support/temp_folder.h"

namespace tessaro::testing {

namespace fs = std::filesystem;

class ScheduleTest : public ::testing::Test {
protected:
  void WritePiece(const std::string& name, const std::map<int, std::string>& lines) const {
    test::WritePiece(folder_.path(), name, lines);
  }
  void WriteIndex(const std::string& id, const std::vector<std::string>& pieces) const {
    test::WriteIndex(folder_.path(), id, pieces);
  }
  StackSchedule Schedule(const std::string& id) {
    Drawing drawing;
    BarRecorder bars;
    Canvas canvas{drawing, NumberFormat{','}, &bars};
    StackSession session;
    const StackLoadResult result = LoadStack(canvas, session, folder_.path(), id);
    EXPECT_TRUE(result.completed);
    return BuildStackSchedule(id, bars);
  }

  test::TempFolder folder_;
};

}  // namespace tessaro::testing
