// Writing a file so that readers see either the old file or the whole new one: the text
// goes to a temporary file beside the target, is flushed to the disk, and then replaces
// the target in one step.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace tessaro {

// Hands the new content to the file, in order, one block at a time.
using FileBlockSink = std::function<void(std::string_view block)>;

// The mark in the name of every temporary file: "<name>.tessaro-tmp-<tag>".
inline constexpr std::string_view kTemporaryFileMark = ".tessaro-tmp-";

// Calls `produce` with a sink that writes into a temporary file beside `path`, flushes it
// to the disk, then puts that file in place of `path`. If `produce` throws, or the file
// cannot be written or put in place, the temporary file is removed and an earlier file at
// `path` stays as it was. Raises RuntimeError (FileIo) naming `what` (e.g. "DXF file")
// and the reason.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view what,
                         const std::function<void(const FileBlockSink&)>& produce);

// Removes the temporary files that a writer stopped half-way (a killed process) left in
// `folder`: regular files whose name holds kTemporaryFileMark. Returns how many were
// removed; a folder that cannot be listed gives 0.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace tessaro
