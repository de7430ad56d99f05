// The DXF reader's state, shared by the files that read its sections and its entity
// families (reader.cpp, reader_entities_*.cpp): not for use outside src/dxf.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/problem.h"
#include "cad/drawing.h"
#include "dxf/ocs.h"
#include "dxf/reader.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"

namespace tessaro::dxf_reader {


inline std::string_view TrimValue(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

// ---- entity kinds -------------------------------------------------------------------

enum class Kind : std::uint8_t {
  Line, Circle, Arc, Text, LwPolyline, Polyline, Ellipse, Spline, Helix, MText, Attrib, Attdef, Insert,
  Dimension, ArcDimension, RadialDimension, Leader, Hatch, Solid, Trace, Face3d, Point, Ray, XLine, Wipeout,
  Vertex, Seqend, AcadTable, Other,
};
constexpr std::size_t kKindCount = static_cast<std::size_t>(Kind::Other) + 1;
constexpr std::array<std::string_view, kKindCount> kKindNames = {
    "LINE",      "CIRCLE",        "ARC",  "TEXT",   "LWPOLYLINE", "POLYLINE", "ELLIPSE",
    "SPLINE",    "HELIX",         "MTEXT", "ATTRIB", "ATTDEF",     "INSERT",   "DIMENSION",
    "ARC_DIMENSION", "LARGE_RADIAL_DIMENSION", "LEADER", "HATCH", "SOLID", "TRACE", "3DFACE",
    "POINT",     "RAY",           "XLINE", "WIPEOUT", "VERTEX",    "SEQEND",   "ACAD_TABLE", "",
};

inline Kind KindOf(std::string_view name) {
  if (name == "LINE") return Kind::Line;  // the common ones first
  if (name == "LWPOLYLINE") return Kind::LwPolyline;
  for (std::size_t k = 0; k + 1 < kKindCount; ++k) {
    if (kKindNames[k] == name) return static_cast<Kind>(k);
  }
  return Kind::Other;
}

// What every entity says of itself besides its geometry.
struct Common {
  std::string_view layer = "0";
  int color = 256;
  std::optional<std::uint32_t> trueColor;
  bool paperSpace = false;
  bool invisible = false;
  double nx = 0, ny = 0, nz = 1;
  std::string_view lineType{};  // code 6: empty for by layer
  double lineTypeScale = 1.0;    // code 48
};

using Groups = std::vector<DxfGroup>;

// A file with more layers or blocks than the drawing can number: not read at all (not a
// ProblemError, which an entity's reading turns into a note).
struct TooMany {
  Problem problem;
};

// More blocks than a block index can number.
constexpr std::size_t kMaxBlocks = 0xFFFFFFF0u;

// Reads one file into a drawing; its member functions live in reader.cpp (sections, tables,
// blocks and the entity loop) and in reader_entities_*.cpp (one file per entity family).
class Reader {
public:
  Reader(std::string_view data, Drawing& drawing, const std::filesystem::path& source, DxfReadReport& report,
         const DxfReadProgress& progress)
      : tok_(data, source), drawing_(drawing), report_(report), progress_(progress), size_(data.size()) {
    report_.binary = tok_.Binary();
    // Room for what the file can hold, so that the pools are not copied as they grow; pages
    // of it that are never written cost no memory.
    drawing_.Reserve(data.size() / 128);
  }

  void Run();

private:
  enum class Space { Model, Block, Paper, Skip };

  // Reads the groups after `next` up to the following group 0, which becomes `next`. A file
  // that ends before that is read as far as it is whole: `next` becomes EOF, the cut is
  // noted, and false returned, with `out` emptied when the data ended inside a group. A line
  // that is no group code is noted against the record (`next` before the call).
  bool Collect(Groups& out, DxfGroup& next) {
    const std::size_t badBefore = tok_.BadCodes();
    const std::string_view record = TrimValue(next.text);
    const bool whole = tok_.Collect(out, next);
    if (progress_ && (++collected_ & 4095) == 0) TellProgress();
    if (tok_.BadCodes() != badBefore) {
      Problem p = tok_.Whole(ProblemKind::DxfBadGroupCode);
      p.line = static_cast<int>(std::min<std::size_t>(tok_.LastBadCodeLine(), 0x7FFFFFFF));
      p.text = std::string(tok_.LastBadCode());
      p.subject = std::string(record);
      Note(std::move(p));
    }
    if (whole) return true;
    if (!cutShort_) {
      cutShort_ = true;
      Problem p = tok_.Whole(ProblemKind::DxfCutShort);
      p.line = static_cast<int>(std::min<std::size_t>(tok_.End(), 0x7FFFFFFF));
      Note(std::move(p));
    }
    if (tok_.CutInsideGroup()) out.clear();  // else the groups so far are whole
    next = DxfGroup{};
    next.text = "EOF";
    return false;
  }
  void TellProgress() const {
    const double share = size_ == 0 ? 1.0 : 1.0 - static_cast<double>(tok_.RemainingBytes()) / static_cast<double>(size_);
    if (!progress_(share)) throw DxfReadStopped();
  }
  void Note(Problem problem) {
    if (report_.problems.size() < DxfReadReport::kMaxProblems) report_.problems.push_back(std::move(problem));
  }
  // Runs `read` (a record of a table or a block's head); a value it cannot take is noted
  // against `subject` and the record left out.
  template <class F>
  void Guarded(std::string_view subject, F&& read) {
    try {
      read();
    } catch (const ProblemError& e) {
      Problem p = e.problem();
      p.subject = std::string(subject);
      Note(std::move(p));
    }
  }

  std::string Decode(std::string_view bytes) const { return DecodeDxfValue(bytes, utf8_, codePageTable_); }

  double Real(const DxfGroup& g) const { return tok_.Real(g); }
  int Int(const DxfGroup& g) const { return tok_.Int(g); }

  // reader.cpp: header, tables, blocks and the entity loop
  void ReadHeader();
  void ReadTables(DxfGroup& next);
  void ReadLayer();
  void ReadLineType();
  void ReadTextStyle();
  void AddModelAttdef(const Common& c);
  void AddMesh(const Common& c);
  void AddPolyfaceWires(const Common& c, int flags, int m, int n, const std::vector<std::array<double, 3>>& points,
                        const std::vector<std::array<int, 4>>& faces);
  LayerIndex LayerFor(std::string_view raw);
  void NameKey(std::string_view raw);
  BlockIndex BlockFor(std::string_view raw);
  void ReadBlocks(DxfGroup& next);
  void ReadEntityList(DxfGroup& next, bool inBlock);
  void ReadEntity(std::string_view name, DxfGroup& next);
  void ReadEntityGroups(std::string_view name, DxfGroup& next);
  void TakeCommon(const DxfGroup& g, Common& c) const;
  EntityStyle StyleOf(const Common& c);
  void SkipFollowers(DxfGroup& next);
  void Finish();
  void CountInkless();  // reader_ink.cpp
  void CountDrawn(Kind kind) {
    if (space_ != Space::Model) return;
    if (kind != Kind::Other) ++drawn_[static_cast<std::size_t>(kind)];
  }
  void CountSkipped(std::string_view name) {
    if (space_ == Space::Model) ++skipped_[std::string(name)];
  }

  // reader_entities_curves.cpp: lines, curves, solids, points, rays, wipeouts
  void AddLine(const Common& c);
  void AddCircle(const Common& c);
  void AddArc(const Common& c);
  void AddLwPolyline(const Common& c);
  void MapVertices(const Ocs& ocs, double z, bool closed, bool widths);
  bool AddPolyline(const Common& c, DxfGroup& next);
  void AddEllipse(const Common& c);
  SplineGeometry ReadSpline(std::size_t first, std::size_t last);
  void AddSolid(const Common& c, Kind kind);
  void AddPoint(const Common& c);
  void AddRay(const Common& c, bool infinite);
  void AddWipeout(const Common& c);
  void AddSpline(const Common& c) { drawing_.Add(StyleOf(c), ReadSpline(0, groups_.size())); }

  // reader_entities_annotations.cpp: texts, attributes, inserts, dimensions, leaders
  TextGeometry ReadText(const Common& c, bool attribute, std::string* tag, int* flags);
  void AddText(const Common& c, bool attribute);
  void AddMText(const Common& c);
  void AddInsert(const Common& c, DxfGroup& next);
  bool AddDimension(const Common& c);
  void AddLeader(const Common& c);

  // reader_entities_hatch.cpp: hatches and their boundary paths
  void AddHatch(const Common& c);
  HatchEdge ReadEdge(int type, std::size_t first, std::size_t last);
  static void MapHatch(HatchGeometry& hatch, const Ocs& ocs, double z);
  std::optional<std::uint32_t> ReadPatternLines(HatchGeometry& hatch, std::size_t i);

  DxfTokenizer tok_;
  Drawing& drawing_;
  DxfReadReport& report_;
  const DxfReadProgress& progress_;
  std::size_t size_;
  std::size_t collected_ = 0;
  Groups groups_;
  std::vector<PolylineVertex> vertices_;
  std::vector<VertexWidth> lwWidths_;
  std::string codePage_;
  bool utf8_ = false;
  const char16_t* codePageTable_ = nullptr;  // a code page other than Windows-1252
  Space space_ = Space::Model;
  std::string key_;
  std::unordered_map<std::string, LayerIndex> layerByRaw_;
  std::unordered_map<std::string, BlockIndex> blockByRaw_;
  bool haveLastLayer_ = false;
  std::string_view lastLayerRaw_;
  LayerIndex lastLayer_ = 0;
  std::array<std::size_t, kKindCount> drawn_{};
  std::unordered_map<std::string, std::size_t> skipped_;
  std::unordered_map<std::string, std::size_t> otherDrawn_;  // MESH
  bool cutShort_ = false;
  // Model-space entities counted as drawn that may draw nothing (by their place in the
  // drawing's entities): looked at again once the blocks are all read.
  std::vector<std::pair<std::size_t, Kind>> mayBeInkless_;
  std::unordered_map<std::string, LineTypeIndex> lineTypeByRaw_;
};

}  // namespace tessaro::dxf_reader
