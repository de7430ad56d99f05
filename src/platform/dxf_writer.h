// The DXF text of a drawing (ASCII DXF R2000, Windows-1252), produced (the tables through
// dxflib) into a buffer that is handed on in large blocks rather than value by value.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/drawing.h"

namespace tessaro {

// Receives the DXF text, in order, one block at a time.
using DxfBlockSink = std::function<void(std::string_view block)>;

// Writes the whole file, handing the text to `sink` in blocks of about a megabyte.
void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink);

// The shortest text that reads back as `value`: a value that is exactly a float (every
// drawing value is a widened Single) is written as that float, so 12.7f gives "12.7".
std::string FormatDxfReal(double value);

}  // namespace tessaro
