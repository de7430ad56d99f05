// The temporary file beside the target, and the rename that replaces the target.
#include "platform/atomic_file.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "platform/errors.h"
#ifdef _WIN32
#include "platform/windows_files.h"
#endif

namespace tessaro {
namespace {

namespace fs = std::filesystem;

std::string ErrnoReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("unknown reason");
}

[[noreturn]] void RaiseWriteError(std::string_view what, const fs::path& path, const std::string& reason) {
  Raise(ErrorKind::FileIo, "Cannot write the " + std::string(what) + " " + path.string() + ": " + reason);
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

void WriteTemporaryFile(const fs::path& temporary, const fs::path& target, std::string_view what,
                        const std::function<void(const FileBlockSink&)>& produce) {
  errno = 0;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  if (!out) RaiseWriteError(what, target, ErrnoReason(errno));
  produce([&](std::string_view block) {
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!out) RaiseWriteError(what, target, ErrnoReason(errno));
  });
  out.close();
  if (!out) RaiseWriteError(what, target, ErrnoReason(errno));
}

}  // namespace

void WriteFileAtomically(const fs::path& path, std::string_view what,
                         const std::function<void(const FileBlockSink&)>& produce) {
  const fs::path temporary = TemporaryPathFor(path);
  try {
    WriteTemporaryFile(temporary, path, what, produce);
#ifdef _WIN32
    // Windows cannot replace a file another program holds open: the reason says so.
    const std::string refused = ReplaceFileWith(temporary, path);
    if (!refused.empty()) RaiseWriteError(what, path, refused);
#else
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) RaiseWriteError(what, path, error.message());
#endif
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

}  // namespace tessaro
