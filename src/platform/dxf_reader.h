// Reading the text of a DXF file into a drawing with dxflib: the structure check that
// tells a DXF file from other files, and the entities and layers the drawing can hold.
#pragma once

#include <string>

#include "platform/drawing.h"
#include "platform/dxf_file.h"

namespace tessaro {

// Reads the DXF text `text` (the whole file) into `drawing`, which should be empty.
// A text that is not ASCII DXF or lacks its closing EOF raises RuntimeError (BadFormat)
// with `source` and the line in the message; `drawing` may then hold part of the file.
DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source);

}  // namespace tessaro
