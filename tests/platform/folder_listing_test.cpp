// The folder listing's order: letters compared without case, as a Windows folder lists them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/errors.h"
#include "platform/folder_listing.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

TEST(FolderListing, ListsFilesOnlyInCaseInsensitiveOrder) {
  const fs::path folder = fs::temp_directory_path() / ("tessaro_folder_listing_" + std::to_string(std::random_device{}()));
  fs::remove_all(folder);
  fs::create_directories(folder / "Dis");
  for (const char* name : {"p10.pst", "P2.pst", "a.pst", "B.pst"}) std::ofstream(folder / name) << "x";
  EXPECT_EQ(ListFileNames(folder), (std::vector<std::string>{"a.pst", "B.pst", "p10.pst", "P2.pst"}));
  fs::remove_all(folder);
}

TEST(FolderListing, MissingFolderIsFileNotFound) {
  try {
    ListFileNames(fs::temp_directory_path() / "tessaro_no_such_folder_here");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::FileNotFound);
  }
}

TEST(FileNameLess, FoldsAsciiLettersAndBreaksTiesByBytes) {
  EXPECT_TRUE(FileNameLess("abc", "ABD"));
  EXPECT_FALSE(FileNameLess("ABD", "abc"));
  EXPECT_TRUE(FileNameLess("ABC", "abc"));  // a tie without case: exact bytes decide
  EXPECT_FALSE(FileNameLess("abc", "ABC"));
  EXPECT_TRUE(FileNameLess("a", "a0"));
}

}  // namespace
}  // namespace tessaro
