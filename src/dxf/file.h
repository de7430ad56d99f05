// DXF files of a drawing: ASCII DXF R2000 with Windows-1252 text, written atomically,
// and read back into a drawing (lines, circles, arcs and texts with their layers).
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cad/drawing.h"

namespace tessaro {

// Writes the drawing to `path` through a temporary file in the same folder that is then
// renamed over the target: a failure leaves an earlier file intact. Raises RuntimeError
// (FileIo) with the reason when the file cannot be written, and (InvalidFloat) when the
// drawing holds a value that is not a finite number.
void WriteDxfFile(const Drawing& drawing, const std::filesystem::path& path);

// The DXF text of the drawing, as WriteDxfFile writes it.
std::string DxfText(const Drawing& drawing);

// A problem a read worked around: the file cut short (read up to `where`), a section
// without its end, an entity left out for a line that holds no group code or for a value
// that is not a finite number. `where` is the line (ASCII) or byte (binary), 0 when unknown;
// `entity` the type of the entity left out.
struct DxfReadNote {
  enum class Kind : std::uint8_t { CutShort, UnendedSection, BadGroupCode, BadValue };
  Kind kind = Kind::CutShort;
  std::size_t where = 0;
  std::string entity{};
  std::string detail{};  // the reason in the reader's words (English), for logs and tools
};

// What a read found. Counts are of model-space entities by their DXF type name (POLYLINE
// with its vertices, INSERT with its attributes count once); entities inside block
// definitions are counted apart.
struct DxfReadReport {
  std::size_t entitiesRead = 0;                     // model-space entities in the drawing
  std::map<std::string, std::size_t> drawnTypes;    // type name -> count, read and drawn
  std::map<std::string, std::size_t> skippedTypes;  // type name -> count, read and not drawn
  std::size_t paperSpaceSkipped = 0;                // paper-space entities, left out
  std::size_t blocks = 0;                           // block definitions
  std::size_t blockEntities = 0;                    // entities inside them
  std::size_t insertCycles = 0;                     // blocks that insert themselves (not drawn)
  std::string version;                              // $ACADVER, e.g. "AC1015"; "" when absent
  bool binary = false;                              // binary DXF
  std::vector<DxfReadNote> notes;                   // what was worked around (the first kMaxNotes)
  std::size_t entitiesLeftOut = 0;                  // entities left out for bad data
  static constexpr std::size_t kMaxNotes = 50;

  // The release of `version`: "R12", "R2000", ... "R2018"; "" when unknown.
  std::string Release() const;
  std::size_t SkippedCount() const;
  // "LINE 120, ARC 4, TEXT 1" (largest counts first, then by name).
  static std::string CountList(const std::map<std::string, std::size_t>& counts);
};

// Replaces `drawing` with the file's layers and entities. A file that is missing, not DXF
// or cut short raises RuntimeError (FileNotFound, FileIo or BadFormat) and leaves
// `drawing` as it was.
DxfReadReport ReadDxfFile(Drawing& drawing, const std::filesystem::path& path);

}  // namespace tessaro
