// What the window tells the user about DXF files it opens and saves: the status-bar line
// after "Apri dxf" (what was read and drawn, what was skipped, or why the file could not be
// read) and the question before "Salva dxf..." writes a drawing that would lose entities.
#pragma once

#include <QString>
#include <cstddef>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "base/problem.h"
#include "cad/drawing.h"
#include "dxf/file.h"

namespace tessaro::shell {

using EntityCounts = std::map<std::string, std::size_t>;  // DXF type name -> count

// One line: the file name and the reader's summary (what was read and drawn by type, what
// was not drawn, what was worked around and where, the DXF release); `drawn`: what drawing
// the file left out (ExpansionProblems).
QString DxfReadSummary(const QString& fileName, const DxfReadReport& report, const std::vector<Problem>& drawn = {});

// One line saying why `fileName` could not be read.
QString DxfReadFailure(const QString& fileName, const std::exception& error);

// What a read left out of the drawing: the types it does not hold, and the paper space
// (under kPaperSpace).
inline constexpr const char* kPaperSpace = "spazio carta";
EntityCounts DxfReadLosses(const DxfReadReport& report);

// What the drawing would lose in a DXF file: what the read left out when it was opened and
// what the writer leaves out.
EntityCounts DxfSaveLosses(const EntityCounts& lostWhenRead, const Drawing& drawing);

// The question before writing a drawing that loses `losses`; empty when it loses nothing.
QString DxfSaveQuestion(const EntityCounts& losses);

}  // namespace tessaro::shell
