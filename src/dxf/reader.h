// Reading DXF into a drawing: ASCII DXF R12 to R2018 and binary DXF, streamed group by
// group. Model-space entities go into the drawing, block definitions into its blocks;
// paper-space entities are left out and counted, as are entity types the drawing cannot show.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "cad/drawing.h"
#include "dxf/file.h"

namespace tessaro {

// Reads the DXF text `text` (the whole file) into `drawing`, which should be empty, as far
// as it is whole: what was worked around is in the report's problems, each naming `source`.
// A text that is empty or not DXF raises ProblemError (BadFormat); `drawing` may then hold
// part of the file. `progress` as for ReadDxfFile.
DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::filesystem::path& source,
                          const DxfReadProgress& progress = {});

}  // namespace tessaro
