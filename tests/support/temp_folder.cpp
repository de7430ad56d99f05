#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace tessaro::test {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempFolder::TempFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "test";
  std::mt19937_64 random(std::random_device{}() ^
                         static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  // create_directory says false when the name is taken: then another name.
  for (;;) {
    path_ = fs::temp_directory_path() / ("tessaro_" + name + "_" + std::to_string(random() % 1000000000));
    if (fs::create_directory(path_)) break;
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path TempFolder::Write(const fs::path& relative, std::string_view bytes) const {
  WriteBytes(path_ / relative, bytes);
  return path_ / relative;
}

}  // namespace tessaro::test
