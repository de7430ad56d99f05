// Windows behaviour: the wide command line, UTF-8 paths, replacing a DXF that another
// program holds open, and a batch over a project whose folder name has a space and an
// accented letter and whose folders are spelled in other letter cases.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "column_stack/stack_files.h"
#include "os/atomic_file.h"
#include "base/errors.h"
#include "os/folder_listing.h"
#include "os/utf8_path.h"
#include "os/windows_console.h"
#include "os/windows_files.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

const std::string kCitta = "Progetto Citt\xC3\xA0";  // "Progetto Città"

using test::ReadBytes;
using test::WriteBytes;

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(Utf8FromPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// A handle on a file, as a CAD program holds the drawing it shows.
class HeldOpen {
public:
  HeldOpen(const fs::path& path, DWORD share)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)) {}
  ~HeldOpen() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
  HANDLE handle_;
};

// Removes a folder with everything in it at any depth (std::filesystem::remove_all reads
// folders through the C runtime, which stops at 260 characters).
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

class WindowsTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / PathFromUtf8(std::string("tessaro ") + test->name() + " \xC3\x98");
    RemoveTree(ExtendedLengthPath(folder_));
    fs::create_directories(folder_);
  }
  void TearDown() override { RemoveTree(ExtendedLengthPath(folder_)); }
  fs::path folder_;
};

TEST(SplitCommandLine, FollowsWindowsQuotingAndKeepsEveryLetter) {
  for (const auto& [line, args] : std::initializer_list<std::pair<std::wstring, std::vector<std::string>>>{
           {L"", {}},
           {L"C:\\Progetti\\Magazzino", {"C:\\Progetti\\Magazzino"}},
           {L"\"Z:\\tmp\\Progetto Citt\u00E0\" --out D:\\Disegni", {"Z:\\tmp\\" + kCitta, "--out", "D:\\Disegni"}},
           {L"\"C:\\Fine con barra\\\\\" --stack 3", {"C:\\Fine con barra\\", "--stack", "3"}},
           {L"a\\\\\\\"b \"\" \u00D8\u0141", {"a\\\"b", "", "\xC3\x98\xC5\x81"}}}) {
    EXPECT_EQ(SplitCommandLine(line), args) << Utf8FromWide(line);
  }
}

TEST(Utf8Path, NamesTheSameFileAsTheWideName) {
  for (const std::string& name : {std::string("Magazzino"), kCitta, std::string("4\xC3\x98" "16 \xE2\x82\xAC")}) {
    EXPECT_EQ(PathFromUtf8(name).wstring(), WideFromUtf8(name)) << name;
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
    // The narrow form the engine puts in its messages is UTF-8 too.
    EXPECT_EQ(PathFromUtf8(name).string(), name);
  }
}

// Console output: UTF-8 handed on as UTF-16 at line ends and flushes, never a character cut
// in two, however the writes split it.
TEST(Utf16LineBuffer, HandsOnWholeCharactersAtLineEndsAndFlushes) {
  // The writes ("|" flushes) and what is handed on: a line, pieces up to the line end, a
  // flush inside a character, a three-byte character cut twice, two lines in one write, a
  // flush without anything.
  for (const auto& [writes, expected] : std::initializer_list<std::pair<std::vector<std::string>, std::vector<std::wstring>>>{
           {{"stack 2 of 3: 2\n"}, {L"stack 2 of 3: 2\n"}},
           {{"Progetto ", "Citt\xC3\xA0", "\n"}, {L"Progetto Citt\u00E0\n"}},
           {{"4\xC3", "|", "\x98" "16\n"}, {L"4", L"\u00D816\n"}},
           {{"\xE2", "|", "\x82", "|", "\xAC\n"}, {L"\u20AC\n"}},
           {{"a\nb\n"}, {L"a\nb\n"}},
           {{"|"}, {}}}) {
    std::vector<std::wstring> handed;
    {
      Utf16LineBuffer buffer([&](std::wstring_view text) { handed.emplace_back(text); });
      std::ostream out(&buffer);
      for (const std::string& write : writes) write == "|" ? out.flush() : out << write;
    }
    EXPECT_EQ(handed, expected) << writes.front();
  }
}

// A DXF held open without delete sharing cannot be replaced: the error says so, the file
// keeps its content and no temporary file is left beside it. A read-only file is named as such.
TEST_F(WindowsTest, AFileThatCannotBeReplacedIsLeftAsItWasWithTheReason) {
  const fs::path target = folder_ / "Pilastrata_1.dxf";
  const struct {
    const char* name;
    DWORD share;
    bool readOnly;
    const char* reason;
  } rows[] = {
      {"held, sharing read", FILE_SHARE_READ, false, kOpenInAnotherProgram},
      {"held, sharing read and write", FILE_SHARE_READ | FILE_SHARE_WRITE, false, kOpenInAnotherProgram},
      {"read-only", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true, "the file is read-only"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteBytes(target, "earlier");
    if (row.readOnly) SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    {
      const HeldOpen cad(target, row.share);
      ASSERT_TRUE(cad.ok());
      try {
        WriteFileAtomically(target, "DXF file", [](const FileBlockSink& sink) { sink("new drawing"); });
        ADD_FAILURE() << "the file was replaced";
      } catch (const RuntimeError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::FileIo);
        EXPECT_NE(std::string(error.what()).find(row.reason), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(Utf8FromPath(target)), std::string::npos) << error.what();
      }
    }
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), "earlier");
    EXPECT_EQ(NamesIn(folder_), std::vector<std::string>{"Pilastrata_1.dxf"});
    // Once the other program lets go, the same write goes through.
    WriteFileAtomically(target, "DXF file", [](const FileBlockSink& sink) { sink("new drawing"); });
    EXPECT_EQ(ReadBytes(target), "new drawing");
  }
  fs::create_directory(folder_ / "Pilastrata_2.dxf");
  EXPECT_THROW(
      try {
        WriteFileAtomically(folder_ / "Pilastrata_2.dxf", "DXF file", [](const FileBlockSink& sink) { sink("x"); });
      } catch (const RuntimeError& error) {
        EXPECT_NE(std::string(error.what()).find("a folder has that name"), std::string::npos) << error.what();
        throw;
      },
      RuntimeError);
  EXPECT_EQ(NamesIn(folder_), (std::vector<std::string>{"Pilastrata_1.dxf", "Pilastrata_2.dxf"}));
}

// Folders deeper than the 260 characters where the C runtime's directory reading stops.
TEST_F(WindowsTest, ListsAFolderOfAnyPathLength) {
  fs::path deep = folder_;
  while (deep.native().size() < 300) deep /= PathFromUtf8("cartella lunga \xC3\xA0");
  fs::create_directories(deep / "Dis");
  for (const char* name : {"P2.pst", "p10.PST", "P1.pst", "note.txt"}) WriteBytes(deep / name, "");
  EXPECT_EQ(ListFileNames(deep), (std::vector<std::string>{"note.txt", "P1.pst", "p10.PST", "P2.pst"}));
  EXPECT_EQ(ListColumnStacks(deep), (std::vector<std::string>{"1", "10", "2"}));
  EXPECT_THROW(ListFileNames(deep / "missing"), RuntimeError);
}

// The example project copied into "Progetto Città", its folders spelled PILASTRI and dis:
// the batch finds them (Windows ignores letter case), reports the one drawing a CAD program
// holds open and writes the others.
TEST_F(WindowsTest, BatchGoesOnPastADrawingThatIsOpenInAnotherProgram) {
  const fs::path project = folder_ / PathFromUtf8(kCitta);
  const fs::path examples = fs::path(TESSARO_SOURCE_DIR) / "examples" / "Magazzino" / "Pilastri";
  fs::create_directories(project / "PILASTRI" / "dis");
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.is_regular_file()) fs::copy_file(entry.path(), project / "PILASTRI" / entry.path().filename());
  }
  for (const auto& entry : fs::directory_iterator(examples / "Dis")) {
    fs::copy_file(entry.path(), project / "PILASTRI" / "dis" / entry.path().filename());
  }
  const fs::path drawings = project / "Disegni";
  fs::create_directories(drawings);
  WriteBytes(drawings / "Pilastrata_2.dxf", "earlier");

  BatchOptions options = ParseCommandLine(SplitCommandLine(L"\"" + project.wstring() + L"\""));
  options.numbers = NumberFormat{'.'};
  std::ostringstream log;
  BatchSummary summary;
  {
    const HeldOpen cad(drawings / "Pilastrata_2.dxf", FILE_SHARE_READ);
    ASSERT_TRUE(cad.ok());
    summary = RunBatch(options, log);
  }
  EXPECT_EQ(summary.written, 2) << log.str();
  EXPECT_EQ(summary.skipped, 1) << log.str();
  ASSERT_EQ(summary.problems.size(), 1u);
  EXPECT_NE(summary.problems[0].find("stack 2 not written"), std::string::npos) << summary.problems[0];
  EXPECT_NE(summary.problems[0].find(kOpenInAnotherProgram), std::string::npos) << summary.problems[0];
  EXPECT_NE(summary.problems[0].find(kCitta), std::string::npos) << summary.problems[0];
  EXPECT_EQ(ReadBytes(drawings / "Pilastrata_2.dxf"), "earlier");
  // Stack 2's check report goes with its drawing: neither is written.
  EXPECT_EQ(NamesIn(drawings), (std::vector<std::string>{"Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf",
                                                         "Verifica_1.txt", "Verifica_3.txt"}));
}

}  // namespace
}  // namespace tessaro
