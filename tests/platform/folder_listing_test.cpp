// The folder listing's order: letters compared without case, as a Windows folder lists them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "base/errors.h"
#include "os/folder_listing.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

TEST(FolderListing, ListsFilesOnlyComparedWithoutCaseThenByBytes) {
  const fs::path folder = fs::temp_directory_path() / ("tessaro_listing_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder / "Dis");
  for (const char* name : {"p10.pst", "P2.pst", "a.pst", "B.pst"}) std::ofstream(folder / name) << "x";
  EXPECT_EQ(ListFileNames(folder), (std::vector<std::string>{"a.pst", "B.pst", "p10.pst", "P2.pst"}));
  fs::remove_all(folder);
  EXPECT_THROW(ListFileNames(folder), RuntimeError);  // now missing
  EXPECT_TRUE(FileNameLess("ABC", "abc"));  // a tie without case: exact bytes decide
  EXPECT_FALSE(FileNameLess("abc", "ABC"));
}

}  // namespace
}  // namespace tessaro
