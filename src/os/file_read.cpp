// The kind check before the open, the non-blocking open, and the capped read.
#include "os/file_read.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "base/errors.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaro {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void RaiseRead(const fs::path& path, std::string_view reason) {
  Raise(ErrorKind::FileIo, "cannot read " + path.string() + ": " + std::string(reason));
}

std::string KindName(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory: return "it is a folder, not a file";
    case fs::file_type::fifo: return "it is a pipe (FIFO), not a file";
    case fs::file_type::character:
    case fs::file_type::block: return "it is a device, not a file";
    case fs::file_type::socket: return "it is a socket, not a file";
    default: return "it is not a regular file";
  }
}

std::string TooLong(std::uintmax_t maxBytes) {
  return "the file is longer than " + std::to_string(maxBytes) + " bytes, more than such a file can hold";
}

#ifdef _WIN32

std::string ReadOpenedFile(const fs::path& path, std::uintmax_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) RaiseRead(path, "the file cannot be opened");
  std::string bytes;
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) RaiseRead(path, TooLong(maxBytes));
  }
  if (in.bad()) RaiseRead(path, "the read failed");
  return bytes;
}

#else

// Closes the descriptor on every way out.
class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

std::string ReadOpenedFile(const fs::path& path, std::uintmax_t maxBytes) {
  // O_NONBLOCK: a FIFO put in place between the check and the open still cannot block.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) RaiseRead(path, std::generic_category().message(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) RaiseRead(path, std::generic_category().message(errno));
  if (!S_ISREG(info.st_mode)) RaiseRead(path, "it is not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) RaiseRead(path, TooLong(maxBytes));
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseRead(path, std::generic_category().message(errno));
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    // A file that grows while it is read is still held to the cap.
    if (bytes.size() > maxBytes) RaiseRead(path, TooLong(maxBytes));
  }
  return bytes;
}

#endif

}  // namespace

std::string ReadRegularFile(const fs::path& path, std::uintmax_t maxBytes) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    Raise(ErrorKind::FileNotFound, "file not found: " + path.string());
  }
  if (error) RaiseRead(path, error.message());
  if (status.type() != fs::file_type::regular) RaiseRead(path, KindName(status.type()));
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > maxBytes) RaiseRead(path, TooLong(maxBytes));
  return ReadOpenedFile(path, maxBytes);
}

}  // namespace tessaro
