// Reading the input files of a project without ever waiting on them or taking in more
// than they can sensibly hold: only regular files are read, up to a size cap.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tessaro {

// The bytes of the regular file `path` (a link to one is followed). A missing file raises
// RuntimeError (FileNotFound); a folder, FIFO, device or socket, a file longer than
// `maxBytes`, or a failed read raise RuntimeError (FileIo) with a message that says which.
// A FIFO or device is refused before it is opened, and the file is opened without
// blocking where the system allows, so that nothing can make the read wait.
std::string ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

}  // namespace tessaro
