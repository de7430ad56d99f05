// Reading a DXF file: the read that leaves the drawing untouched unless the whole file was read.
#include "dxf/file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "dxf/reader.h"
#include "base/errors.h"

namespace tessaro {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Unreadable(const fs::path& path, ProblemKind kind, std::string detail) {
  Problem p;
  p.kind = kind;
  p.error = kind == ProblemKind::FileNotFound ? ErrorKind::FileNotFound : ErrorKind::FileIo;
  p.file = path;
  p.detail = std::move(detail);
  throw ProblemError(std::move(p));
}

std::string ErrnoReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("unknown reason");
}

// The whole file in one read. Only a regular file is read: a FIFO or a device would make the
// read wait or never end.
std::string ReadWholeFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) Unreadable(path, ProblemKind::FileNotFound, "");
  if (fs::is_directory(status)) Unreadable(path, ProblemKind::FileUnreadable, "it is a folder");
  if (!fs::is_regular_file(status)) Unreadable(path, ProblemKind::FileUnreadable, "it is not a regular file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) Unreadable(path, ProblemKind::FileUnreadable, ErrnoReason(errno));
  const std::uintmax_t size = fs::file_size(path, error);
  std::string text;
  if (!error && size < std::string().max_size()) text.resize(static_cast<std::size_t>(size));
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  // A file that grew since its size was taken: the rest too.
  if (in) text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) Unreadable(path, ProblemKind::FileUnreadable, ErrnoReason(errno));
  return text;
}

}  // namespace

std::string DxfReadReport::Release() const {
  static constexpr std::pair<std::string_view, std::string_view> kReleases[] = {
      {"AC1006", "R10"},   {"AC1009", "R12"},   {"AC1012", "R13"},   {"AC1014", "R14"},   {"AC1015", "R2000"},
      {"AC1018", "R2004"}, {"AC1021", "R2007"}, {"AC1024", "R2010"}, {"AC1027", "R2013"}, {"AC1032", "R2018"}};
  for (const auto& [code, release] : kReleases) {
    if (version == code) return std::string(release);
  }
  return "";
}

std::size_t DxfReadReport::SkippedCount() const {
  std::size_t total = 0;
  for (const auto& [name, count] : skippedTypes) total += count;
  return total;
}

std::string DxfReadReport::CountList(const std::map<std::string, std::size_t>& counts) {
  std::vector<std::pair<std::string, std::size_t>> sorted(counts.begin(), counts.end());
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string out;
  for (const auto& [name, count] : sorted) {
    if (!out.empty()) out += ", ";
    out += name + " " + std::to_string(count);
  }
  return out;
}

DxfReadReport ReadDxfFile(Drawing& drawing, const fs::path& path, const DxfReadProgress& progress) {
  Drawing fresh;
  DxfReadReport report = ReadDxfText(ReadWholeFile(path), fresh, path, progress);
  drawing.Swap(fresh);
  return report;
}

}  // namespace tessaro
