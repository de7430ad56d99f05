// The corpus of real DXF files in tests/dxf_corpus (from CAD programs, DXF libraries and
// ezdxf): each one reads without error, its model-space entities by type are what ezdxf finds
// (counts.txt), and it flattens to shapes with finite bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cad/extents.h"
#include "display/display_list.h"
#include "dxf/file.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(TESSARO_SOURCE_DIR) / "tests" / "dxf_corpus";

std::string CountsOf(const DxfReadReport& report) {
  std::map<std::string, std::size_t> all = report.drawnTypes;
  for (const auto& [type, count] : report.skippedTypes) all[type] += count;
  std::string out;
  for (const auto& [type, count] : all) out += " " + type + "=" + std::to_string(count);
  return out;
}

TEST(DxfCorpus, EveryFileReadsWithTheCountsEzdxfFinds) {
  std::ifstream counts(kCorpus / "counts.txt");
  ASSERT_TRUE(counts) << "no counts.txt in " << kCorpus;
  std::string line;
  int files = 0;
  while (std::getline(counts, line)) {
    const std::string name = line.substr(0, line.find(' '));
    const std::string expected = line.substr(name.size());
    SCOPED_TRACE(name);
    Drawing drawing;
    DxfReadReport report;
    try {
      report = ReadDxfFile(drawing, kCorpus / name);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    EXPECT_EQ(CountsOf(report), expected);
    const DisplayList list = FlattenDrawing(drawing);
    EXPECT_FALSE(list.Truncated());
    if (const auto box = DrawnExtents(drawing)) {
      EXPECT_TRUE(std::isfinite(box->min.x) && std::isfinite(box->min.y) && std::isfinite(box->max.x) &&
                  std::isfinite(box->max.y));
    }
    ++files;
  }
  EXPECT_GE(files, 40);
}

// What the files hold beyond the counts: a layer switched off, a table drawn through its block.
TEST(DxfCorpus, LayerStateAndTablesThroughTheirBlocks) {
  Drawing drawing;
  EXPECT_EQ(ReadDxfFile(drawing, kCorpus / "generated_r2018.dxf").paperSpaceSkipped, 1u);
  EXPECT_FALSE(drawing.Layers()[drawing.FindLayer("Spento").value()].on);
  EXPECT_EQ(ReadDxfFile(drawing, kCorpus / "acad_table_simple.dxf").drawnTypes.at("ACAD_TABLE"), 1u);
  EXPECT_GT(FlattenDrawing(drawing).Shapes().size(), 10u);
}

}  // namespace
}  // namespace tessaro
