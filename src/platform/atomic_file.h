// Writing a file so that readers see either the old file or the whole new one: the text
// goes to a temporary file beside the target, which then replaces the target in one step.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace tessaro {

// Hands the new content to the file, in order, one block at a time.
using FileBlockSink = std::function<void(std::string_view block)>;

// Calls `produce` with a sink that writes into a temporary file beside `path`, then puts
// that file in place of `path`. If `produce` throws, or the file cannot be written or put
// in place, the temporary file is removed and an earlier file at `path` stays as it was.
// Raises RuntimeError (FileIo) naming `what` (e.g. "DXF file") and the reason.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view what,
                         const std::function<void(const FileBlockSink&)>& produce);

}  // namespace tessaro
