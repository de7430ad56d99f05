// DXF files of a drawing: the atomic write through a temporary file and the read that
// leaves the drawing untouched unless the whole file was read.
#include "platform/dxf_file.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "platform/dxf_reader.h"
#include "platform/dxf_writer.h"
#include "platform/errors.h"

namespace tessaro {

namespace {

namespace fs = std::filesystem;

std::string ErrnoReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("unknown reason");
}

[[noreturn]] void RaiseWriteError(const fs::path& path, const std::string& reason) {
  Raise(ErrorKind::FileIo, "Cannot write the DXF file " + path.string() + ": " + reason);
}

// A name beside the target that no other writer picks: the rename then stays within
// one folder (one file system) and replaces the target in one step.
fs::path TemporaryPathFor(const fs::path& target) {
  std::random_device device;
  const unsigned long tag = (static_cast<unsigned long>(device()) << 16) ^ device();
  fs::path temporary = target;
  temporary += ".tmp" + std::to_string(tag);
  return temporary;
}

void WriteTemporaryFile(const Drawing& drawing, const fs::path& temporary, const fs::path& target) {
  errno = 0;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) RaiseWriteError(target, ErrnoReason(errno));
  WriteDxf(
      drawing,
      [&](std::string_view block) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        if (!out) RaiseWriteError(target, ErrnoReason(errno));
      });
  out.close();
  if (!out) RaiseWriteError(target, ErrnoReason(errno));
}

std::string ReadWholeFile(const fs::path& path) {
  std::error_code error;
  const bool exists = fs::exists(path, error);
  if (!exists) Raise(ErrorKind::FileNotFound, "DXF file not found: " + path.string());
  if (fs::is_directory(path, error)) Raise(ErrorKind::FileIo, "Cannot read " + path.string() + ": it is a folder");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) Raise(ErrorKind::FileIo, "Cannot read " + path.string() + ": " + ErrnoReason(errno));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) Raise(ErrorKind::FileIo, "Cannot read " + path.string() + ": " + ErrnoReason(errno));
  return text;
}

}  // namespace

void WriteDxfFile(const Drawing& drawing, const fs::path& path) {
  const fs::path temporary = TemporaryPathFor(path);
  try {
    WriteTemporaryFile(drawing, temporary, path);
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) RaiseWriteError(path, error.message());
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

std::string DxfText(const Drawing& drawing) {
  // Room for a typical record per entity up front: growing the string as it fills copies
  // the text over and over, which took longer than making it.
  constexpr std::size_t kBytesPerEntity = 160;
  constexpr std::size_t kTablesBytes = 16 * 1024;
  std::string text;
  text.reserve(kTablesBytes + kBytesPerEntity * drawing.EntityCount());
  WriteDxf(drawing, [&text](std::string_view block) { text.append(block); });
  return text;
}

DxfReadReport ReadDxfFile(Drawing& drawing, const fs::path& path) {
  Drawing fresh;
  DxfReadReport report = ReadDxfText(ReadWholeFile(path), fresh, path.string());
  drawing.Swap(fresh);
  return report;
}

}  // namespace tessaro
