// Tests of reading input files that may be hostile (only regular files, a size cap, never a
// wait) and of the temporary files of the atomic writer (their name, their removal).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "os/atomic_file.h"
#include "base/errors.h"
#include "os/file_read.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tessaro {
namespace {

namespace fs = std::filesystem;

class InputFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
    return folder_ / name;
  }
  // The kind and message of the error a read raises.
  static std::pair<ErrorKind, std::string> Failure(const fs::path& path, std::uintmax_t cap) {
    try {
      ReadRegularFile(path, cap);
    } catch (const RuntimeError& error) {
      return {error.kind(), error.what()};
    }
    ADD_FAILURE() << "no error for " << path;
    return {ErrorKind::BadFormat, ""};
  }
  // A folder of this test's own: CTest runs the tests of this file side by side.
  const fs::path folder_ =
      fs::temp_directory_path() /
      ("tessaro_input_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
       std::to_string(std::random_device{}()));
};

TEST_F(InputFilesTest, ReadsRegularFilesUpToTheCapAndRefusesEverythingElseAtOnce) {
  EXPECT_EQ(ReadRegularFile(Write("a.pxf", std::string("a\0b", 3)), 3), std::string("a\0b", 3));
  fs::create_directories(folder_ / "folder.pxf");
  struct Case {
    fs::path path;
    std::uintmax_t cap;
    ErrorKind kind;
    const char* says;
  };
  std::vector<Case> cases{
      {folder_ / "missing.pxf", 10, ErrorKind::FileNotFound, "file not found"},
      {folder_ / "a.pxf", 2, ErrorKind::FileIo, "longer than 2 bytes"},
      {folder_ / "folder.pxf", 10, ErrorKind::FileIo, "folder"},
  };
#ifndef _WIN32
  // A FIFO with no writer and a device that never ends would block or never stop.
  ASSERT_EQ(::mkfifo((folder_ / "fifo.pxf").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", folder_ / "zero.pxf");
  cases.push_back({folder_ / "fifo.pxf", 10, ErrorKind::FileIo, "pipe (FIFO)"});
  cases.push_back({folder_ / "zero.pxf", 10, ErrorKind::FileIo, "device"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const auto [kind, message] = Failure(c.path, c.cap);
    EXPECT_EQ(kind, c.kind);
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_NE(message.find(c.path.string()), std::string::npos) << message;
  }
}

TEST_F(InputFilesTest, TemporaryFilesCarryTheMarkAndOnlyThoseAreRemoved) {
  // A writer stopped half-way leaves its temporary file; what is beside it stays.
  try {
    WriteFileAtomically(folder_ / "P1.dxf", "DXF file", [](const FileBlockSink& sink) {
      sink("half a drawing");
      Raise(ErrorKind::InvalidFloat, "stopped");
    });
  } catch (const RuntimeError&) {
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 0) << "the failed write left its temporary file";
  Write("Pilastrata_1.dxf.tessaro-tmp-4242", "left by a killed run");
  Write("Pilastrata_2.dxf.tessaro-tmp-7", "left by a killed run");
  Write("Pilastrata_1.dxf", "a drawing");
  Write("notes.tmp", "someone's file");
  fs::create_directories(folder_ / "x.tessaro-tmp-1");  // not a file: left alone
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder_), 2);
  EXPECT_TRUE(fs::exists(folder_ / "Pilastrata_1.dxf"));
  EXPECT_TRUE(fs::exists(folder_ / "notes.tmp"));
  EXPECT_TRUE(fs::exists(folder_ / "x.tessaro-tmp-1"));
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder_ / "missing"), 0);

  WriteFileAtomically(folder_ / "P1.dxf", "DXF file", [](const FileBlockSink& sink) {
    sink("0\r\n");
    sink("EOF\r\n");
  });
  std::ifstream in(folder_ / "P1.dxf", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0\r\nEOF\r\n");
}

}  // namespace
}  // namespace tessaro
