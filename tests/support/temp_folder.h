// A fresh folder of its own for each test, removed when the test ends: tests run in
// parallel, and builds side by side, without meeting in a shared name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro::test {

std::string ReadBytes(const std::filesystem::path& file);
// Writes `bytes` to `file`, making the folders on its way.
void WriteBytes(const std::filesystem::path& file, std::string_view bytes);

class TempFolder {
public:
  TempFolder();  // named after the running test
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const;

private:
  std::filesystem::path path_;
};

}  // namespace tessaro::test
