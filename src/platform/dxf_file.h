// DXF files of a drawing: ASCII DXF R2000 with Windows-1252 text, written atomically,
// and read back into a drawing (lines, circles, arcs and texts with their layers).
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>

#include "platform/drawing.h"

namespace tessaro {

// Writes the drawing to `path` through a temporary file in the same folder that is then
// renamed over the target: a failure leaves an earlier file intact. Raises RuntimeError
// (FileIo) with the reason when the file cannot be written, and (InvalidFloat) when the
// drawing holds a value that is not a finite number.
void WriteDxfFile(const Drawing& drawing, const std::filesystem::path& path);

// The DXF text of the drawing, as WriteDxfFile writes it.
std::string DxfText(const Drawing& drawing);

struct DxfReadReport {
  std::size_t entitiesRead = 0;
  std::map<std::string, std::size_t> skippedTypes;  // entity type name -> count
};

// Replaces `drawing` with the file's layers and entities. A file that is missing, not DXF
// or cut short raises RuntimeError (FileNotFound, FileIo or BadFormat) and leaves
// `drawing` as it was.
DxfReadReport ReadDxfFile(Drawing& drawing, const std::filesystem::path& path);

}  // namespace tessaro
