// Reading input files that may be hostile (only regular files, a size cap, never a wait),
// the atomic writer and its temporary files, and the folder listing's order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/errors.h"
#include "os/atomic_file.h"
#include "os/file_read.h"
#include "os/folder_listing.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tessaro {
namespace {

namespace fs = std::filesystem;

TEST(ReadRegularFile, ReadsRegularFilesUpToTheCapAndRefusesEverythingElseAtOnce) {
  const test::TempFolder folder;
  EXPECT_EQ(ReadRegularFile(folder.Write("a.pxf", std::string("a\0b", 3)), 3), std::string("a\0b", 3));
  fs::create_directories(folder / "folder.pxf");
  struct Case {
    fs::path path;
    std::uintmax_t cap;
    ErrorKind kind;
    const char* says;
  };
  std::vector<Case> cases{
      {folder / "missing.pxf", 10, ErrorKind::FileNotFound, "file not found"},
      {folder / "a.pxf", 2, ErrorKind::FileIo, "longer than 2 bytes"},
      {folder / "folder.pxf", 10, ErrorKind::FileIo, "folder"},
  };
#ifndef _WIN32
  // A FIFO with no writer and a device that never ends would block or never stop.
  ASSERT_EQ(::mkfifo((folder / "fifo.pxf").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", folder / "zero.pxf");
  cases.push_back({folder / "fifo.pxf", 10, ErrorKind::FileIo, "pipe (FIFO)"});
  cases.push_back({folder / "zero.pxf", 10, ErrorKind::FileIo, "device"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    try {
      ReadRegularFile(c.path, c.cap);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), c.kind);
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.path.string()), std::string::npos) << error.what();
    }
  }
}

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

TEST(RemoveStaleTemporaryFiles, RemovesOnlyFilesThatCarryTheMark) {
  const test::TempFolder folder;
  folder.Write("Pilastrata_1.dxf.tessaro-tmp-4242", "left by a killed run");
  folder.Write("Pilastrata_2.dxf.tessaro-tmp-7", "left by a killed run");
  folder.Write("Pilastrata_1.dxf", "a drawing");
  folder.Write("notes.tmp", "someone's file");
  fs::create_directories(folder / "x.tessaro-tmp-1");  // not a file: left alone
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder.path()), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3);
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder / "missing"), 0);
}

// Letters compared without case, as a Windows folder lists them; a tie without case is
// settled by the exact bytes.
TEST(FolderListing, ListsFilesOnlyComparedWithoutCaseThenByBytes) {
  const test::TempFolder folder;
  fs::create_directories(folder / "Dis");
  for (const char* name : {"p10.pst", "P2.pst", "a.pst", "B.pst"}) folder.Write(name, "x");
  EXPECT_EQ(ListFileNames(folder.path()), (std::vector<std::string>{"a.pst", "B.pst", "p10.pst", "P2.pst"}));
  EXPECT_THROW(ListFileNames(folder / "missing"), RuntimeError);
  EXPECT_TRUE(FileNameLess("ABC", "abc"));
  EXPECT_FALSE(FileNameLess("abc", "ABC"));
}

}  // namespace
}  // namespace tessaro
