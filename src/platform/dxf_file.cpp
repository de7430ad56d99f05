// DXF files of a drawing: the atomic write, and the read that leaves the drawing untouched
// unless the whole file was read.
#include "platform/dxf_file.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/dxf_reader.h"
#include "platform/dxf_writer.h"
#include "platform/errors.h"

namespace tessaro {

namespace {

namespace fs = std::filesystem;

std::string ErrnoReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("unknown reason");
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
  WriteFileAtomically(path, "DXF file", [&](const FileBlockSink& sink) { WriteDxf(drawing, sink); });
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
