// The temporary file beside the target, its flush to the disk, and the rename that
// replaces the target.
#include "os/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "base/errors.h"
#ifdef _WIN32
#include <io.h>

#include "os/windows_files.h"
#else
#include <fcntl.h>
#include <unistd.h>
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

// A name beside the target that no other writer picks and that says whose it is: the
// rename then stays within one folder (one file system) and replaces the target in one
// step, and a file left by a killed writer is recognised and removed later.
fs::path TemporaryPathFor(const fs::path& target) {
  std::random_device device;
  const unsigned long tag = (static_cast<unsigned long>(device()) << 16) ^ device();
  fs::path temporary = target;
  temporary += std::string(kTemporaryFileMark) + std::to_string(tag);
  return temporary;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForWriting(const fs::path& path) {
#ifdef _WIN32
  return File(_wfopen(path.c_str(), L"wb"));
#else
  return File(std::fopen(path.c_str(), "wb"));
#endif
}

// The written data on the disk, not only in the system's cache: after a power cut the
// renamed file is the whole new one, never an empty or partial one.
bool SyncToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;  // FlushFileBuffers
#else
  return ::fsync(fileno(file)) == 0;
#endif
}

// The rename itself on the disk (the folder's entry); systems without it need nothing.
void SyncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#endif
}

void WriteTemporaryFile(const fs::path& temporary, const fs::path& target, std::string_view what,
                        const std::function<void(const FileBlockSink&)>& produce) {
  errno = 0;
  File out = OpenForWriting(temporary);
  if (!out) RaiseWriteError(what, target, ErrnoReason(errno));
  produce([&](std::string_view block) {
    errno = 0;
    if (std::fwrite(block.data(), 1, block.size(), out.get()) != block.size()) {
      RaiseWriteError(what, target, ErrnoReason(errno));
    }
  });
  errno = 0;
  if (!SyncToDisk(out.get())) RaiseWriteError(what, target, ErrnoReason(errno));
  errno = 0;
  if (std::fclose(out.release()) != 0) RaiseWriteError(what, target, ErrnoReason(errno));
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
    SyncFolder(path.parent_path());
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

int RemoveStaleTemporaryFiles(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return 0;
  int removed = 0;
  for (const auto& entry : it) {
    std::error_code ignored;
    if (!entry.is_regular_file(ignored)) continue;
    const std::string name = entry.path().filename().string();
    if (name.find(kTemporaryFileMark) == std::string::npos) continue;
    if (fs::remove(entry.path(), ignored)) ++removed;
  }
  return removed;
}

}  // namespace tessaro
