// Reading a DXF file into a drawing, and what the read found. Writing is in dxf_write/.
#pragma once

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/problem.h"
#include "cad/drawing.h"

namespace tessaro {

// What a read found. Counts are of model-space entities by their DXF type name (POLYLINE
// with its vertices, INSERT with its attributes count once); entities inside block
// definitions are counted apart.
struct DxfReadReport {
  std::size_t entitiesRead = 0;                     // model-space entities in the drawing
  std::map<std::string, std::size_t> drawnTypes;    // type name -> count, read and drawn
  std::map<std::string, std::size_t> skippedTypes;  // type name -> count, read and not drawn
  std::size_t paperSpaceSkipped = 0;                // paper-space entities, left out
  // Model-space meshes (MESH, polyface and polygon-mesh POLYLINE) drawn and kept as their
  // edges, 3-D LINEs: a file written from the drawing holds those lines instead.
  std::map<std::string, std::size_t> keptAsEdges;
  std::size_t blocks = 0;                           // block definitions
  std::size_t blockEntities = 0;                    // entities inside them
  std::size_t insertCycles = 0;                     // blocks that insert themselves (not drawn)
  std::string version;                              // $ACADVER, e.g. "AC1015"; "" when absent
  bool binary = false;                              // binary DXF
  // What the read worked around, where (the first kMaxProblems): a file cut short, a section
  // without its end, entities left out for bad data.
  std::vector<Problem> problems;
  std::size_t entitiesLeftOut = 0;  // entities left out for bad data, in all
  static constexpr std::size_t kMaxProblems = 50;

  // The release of `version`: "R12", "R2000", ... "R2018"; "" when unknown.
  std::string Release() const;
  std::size_t SkippedCount() const;
  // "LINE 120, ARC 4, TEXT 1" (largest counts first, then by name).
  static std::string CountList(const std::map<std::string, std::size_t>& counts);
};

// Hears now and then the share of a file read so far (0 to 1); answering false stops the
// read, which then throws DxfReadStopped.
using DxfReadProgress = std::function<bool(double share)>;

struct DxfReadStopped : std::exception {
  const char* what() const noexcept override { return "DXF read stopped"; }
};

// Replaces `drawing` with the file's layers and entities, as far as the file is whole (see
// DxfReadReport::problems). A file that is missing, unreadable or not DXF raises ProblemError
// (FileNotFound, FileUnreadable, DxfEmpty, DxfNotDxf, ...) and leaves `drawing` as it was,
// as does a read that `progress` stops.
DxfReadReport ReadDxfFile(Drawing& drawing, const std::filesystem::path& path, const DxfReadProgress& progress = {});

}  // namespace tessaro
