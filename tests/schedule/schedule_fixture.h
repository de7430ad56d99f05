// Hand-made column stacks for the schedule tests: piece files written into a scratch
// folder and loaded with a bar recorder, as the batch tool loads them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "column_stack/stack_load.h"
#include "text/encoding.h"
#include "schedule/schedule.h"

namespace tessaro::testing {

namespace fs = std::filesystem;

// A 40 x 40 piece of stack 7 from 0 to 300 cm, cover 4, 10 bars of 16 mm, stirrups of
// 8 mm every 10 cm over 50 cm at the ends and every 20 cm between; `lines` replaces lines.
inline std::string PieceText(const std::map<int, std::string>& lines) {
  std::string piece[11] = {
      "7|1|0",          // stack id, piece number, piece code
      "0|0|0|0",        // bar insets (seat steps)
      "0|0|0|0|0",      // flags
      "40|40|4|0|300",  // sides, cover, bottom and top level
      "0|0",         "0|0",
      "3Ø16|2Ø16",      // bars along side 1 (corners included) and side 2
      "12|1",           // steel area and percentage
      "50|10|20",       // end zone, end and middle spacing
      "2Ø8|2Ø8",        // stirrup legs along side 1 and side 2
      "0|0|0|0|0|0|0",  // offsets, a value, four end lengths (0 counts as 100)
  };
  for (const auto& [number, text] : lines) piece[number] = text;
  std::string text;
  for (const std::string& line : piece) text += line + "\r\n";
  return text;
}

class ScheduleTest : public ::testing::Test {
protected:
  void SetUp() override { fs::remove_all(folder_); }
  void TearDown() override { fs::remove_all(folder_); }

  void WritePiece(const std::string& name, const std::map<int, std::string>& lines) const {
    const fs::path file = folder_ / "Dis" / (name + ".pxf");
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << Utf8ToCp1252(PieceText(lines));
  }
  void WriteIndex(const std::string& id, const std::vector<std::string>& pieces) const {
    std::string text;
    for (const std::string& piece : pieces) text += piece + "\r\n";
    std::ofstream(folder_ / ("P" + id + ".pst"), std::ios::binary) << text;
  }
  StackSchedule Schedule(const std::string& id) {
    Drawing drawing;
    BarRecorder bars;
    Canvas canvas{drawing, NumberFormat{','}, &bars};
    StackSession session;
    const StackLoadResult result = LoadStack(canvas, session, folder_, id);
    EXPECT_TRUE(result.completed);
    return BuildStackSchedule(id, bars);
  }

  // One folder per test and run, so that runs of two builds side by side keep apart.
  fs::path folder_ = fs::temp_directory_path() /
                     ("tessaro_schedule_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                      "_" + std::to_string(std::random_device{}()));
};

}  // namespace tessaro::testing
