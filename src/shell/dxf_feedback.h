// What the window tells the user about DXF files it opens and saves: the status-bar line
// after "Apri dxf" (what was read and drawn, what was skipped, or why the file could not be
// read) and the question before "Salva dxf..." writes a drawing that would lose entities.
#pragma once

#include <QString>
#include <cstddef>
#include <exception>
#include <map>
#include <string>

#include "platform/drawing.h"
#include "platform/dxf_file.h"

namespace tessaro::shell {

using EntityCounts = std::map<std::string, std::size_t>;  // DXF type name -> count

// One line: "pianta.dxf: 12 entità disegnate (LINE 10, CIRCLE 2); 3 saltate (3DSOLID 3)",
// types by falling count.
QString DxfReadSummary(const QString& fileName, const Drawing& drawing, const DxfReadReport& report);

// One line saying why `fileName` could not be read.
QString DxfReadFailure(const QString& fileName, const std::exception& error);

// What the drawing would lose in a DXF file: what the reader skipped when it was opened and
// what the writer leaves out.
EntityCounts DxfSaveLosses(const EntityCounts& skippedWhenRead, const Drawing& drawing);

// The question before writing a drawing that loses `losses`; empty when it loses nothing.
QString DxfSaveQuestion(const EntityCounts& losses);

}  // namespace tessaro::shell
