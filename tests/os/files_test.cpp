// The atomic writer: a file replaced whole or not at all. Reading hostile input files, the
// folder listing's order and the removal of a killed run's temporary files are checked
// end to end by tests/e2e/malformed_projects.py and the column-stack tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/errors.h"
#include "os/atomic_file.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// A write that fails half-way, or whose target is taken by a folder, leaves the earlier file
// and no temporary file; one that succeeds replaces the file whole.
TEST(WriteFileAtomically, ReplacesWholeOrLeavesTheEarlierFile) {
  const test::TempFolder folder;
  folder.Write("P1.dxf", "earlier drawing");
  const auto half = [](const FileBlockSink& sink) {
    sink("half a drawing");
    Raise(ErrorKind::InvalidFloat, "stopped");
  };
  EXPECT_THROW(WriteFileAtomically(folder / "P1.dxf", "DXF file", half), RuntimeError);
  EXPECT_EQ(test::ReadBytes(folder / "P1.dxf"), "earlier drawing");
  fs::create_directories(folder / "taken.dxf" / "inside");
  EXPECT_THROW(WriteFileAtomically(folder / "taken.dxf", "DXF file", [](const FileBlockSink& sink) { sink("x"); }),
               RuntimeError);
  EXPECT_TRUE(fs::is_directory(folder / "taken.dxf" / "inside"));
  try {
    WriteFileAtomically(folder / "Disegni" / "P2.dxf", "DXF file", [](const FileBlockSink& sink) { sink("x"); });
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const RuntimeError& error) {  // the path and a reason after it
    const std::string message = error.what();
    const std::string missing = (folder / "Disegni" / "P2.dxf").string();
    EXPECT_GT(message.size(), message.find(missing) + missing.size() + 4) << message;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "a temporary file left behind";
  WriteFileAtomically(folder / "P1.dxf", "DXF file", [](const FileBlockSink& sink) {
    sink("0\r\n");
    sink("EOF\r\n");
  });
  EXPECT_EQ(test::ReadBytes(folder / "P1.dxf"), "0\r\nEOF\r\n");
}

}  // namespace
}  // namespace tessaro
