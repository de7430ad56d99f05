// Reading DXF into a drawing: ASCII DXF R12 to R2018 and binary DXF, streamed group by
// group. Model-space entities go into the drawing, block definitions into its blocks;
// paper-space entities are left out and counted, as are entity types the drawing cannot show.
#pragma once

#include <string>
#include <string_view>

#include "cad/drawing.h"
#include "dxf/file.h"

namespace tessaro {

// Reads the DXF text `text` (the whole file) into `drawing`, which should be empty.
// A text that is not DXF, is cut short or holds a value that is not what its group code
// needs raises RuntimeError (BadFormat) with `source`, the line (or byte) and the text in the
// message; `drawing` may then hold part of the file.
// `progress` as for ReadDxfFile.
DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source,
                          const DxfReadProgress& progress = {});

}  // namespace tessaro
