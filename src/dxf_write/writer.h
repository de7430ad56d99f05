// The DXF text of a drawing (ASCII DXF R2000, Windows-1252), produced into a buffer that is
// handed on in large blocks rather than value by value.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "cad/drawing.h"

namespace tessaro {

// Receives the DXF text, in order, one block at a time.
using DxfBlockSink = std::function<void(std::string_view block)>;

// Writes the whole file, handing the text to `sink` in blocks of about a megabyte. Every
// entity type of the drawing is written, polylines as LWPOLYLINE; what DXF cannot hold as
// the drawing has it (see EntitiesLeftOut) is left out.
void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink);

// The entities, of model space and of the blocks, that WriteDxf leaves out because a DXF
// file cannot hold them as they are (a leader of one point, a spline short of knots, an
// ellipse without an axis, a ray without a direction, a wipeout without area, an attribute
// that no insert takes, an insert or a dimension that makes a block contain itself), counted
// by DXF type name.
std::map<std::string, std::size_t> EntitiesLeftOut(const Drawing& drawing);

// Whether a DXF file can hold the entity as the drawing has it (an attribute can, when it
// follows its insert).
bool DxfCanHold(const Drawing& drawing, const EntityHeader& entity);

// The DXF type an entity is written as: SOLID, TRACE or 3DFACE, RAY or XLINE, LWPOLYLINE
// for every polyline, otherwise EntityTypeName.
std::string_view DxfTypeName(const Drawing& drawing, const EntityHeader& entity);

// The shortest text that reads back as `value`: a value that is exactly a float (every
// drawing value is a widened Single) is written as that float, so 12.7f gives "12.7".
std::string FormatDxfReal(double value);

// Writes the drawing to `path` through a temporary file in the same folder that is then
// renamed over the target: a failure leaves an earlier file intact. Raises RuntimeError
// (FileIo) with the reason when the file cannot be written, and (InvalidFloat) when the
// drawing holds a value that is not a finite number.
void WriteDxfFile(const Drawing& drawing, const std::filesystem::path& path);

// The DXF text of the drawing, as WriteDxfFile writes it.
std::string DxfText(const Drawing& drawing);

}  // namespace tessaro
