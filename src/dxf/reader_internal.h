// The DXF reader's state, shared by the files that read its sections and its entity
// families (reader.cpp, reader_entities_*.cpp): not for use outside src/dxf.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cad/drawing.h"
#include "dxf/reader.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"

namespace tessaro::dxf_reader {

constexpr double kPi = 3.14159265358979323846;

inline std::string_view TrimValue(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

// ---- object coordinate systems ----------------------------------------------------

// The plane of a 2-D entity, by its extrusion: x and y of the entity's own coordinates mapped
// to world x and y (the arbitrary axis algorithm, seen from above).
struct Ocs {
  enum class Kind { Identity, MirrorX, General } kind = Kind::Identity;
  double a = 1, b = 0, c = 0, d = 1;  // world x = a·x + b·y, world y = c·x + d·y

  static Ocs Of(double nx, double ny, double nz) {
    Ocs ocs;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0) || !std::isfinite(length)) return ocs;
    nx /= length, ny /= length, nz /= length;
    if (std::abs(nx) < 1e-12 && std::abs(ny) < 1e-12) {
      if (nz < 0) {
        ocs.kind = Kind::MirrorX;
        ocs.a = -1;
      }
      return ocs;
    }
    double ax = 0, ay = 0, az = 0;  // Ax = (Wy or Wz) × N
    if (std::abs(nx) < 1.0 / 64 && std::abs(ny) < 1.0 / 64) {
      ax = nz, ay = 0, az = -nx;  // (0,1,0) × N
    } else {
      ax = -ny, ay = nx, az = 0;  // (0,0,1) × N
    }
    const double la = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= la, ay /= la, az /= la;
    const double bx = ny * az - nz * ay, by = nz * ax - nx * az;  // Ay = N × Ax
    ocs.kind = Kind::General;
    ocs.a = ax, ocs.b = bx, ocs.c = ay, ocs.d = by;
    return ocs;
  }

  bool Mirrored() const { return a * d - b * c < 0; }
  Point2d Map(Point2d p) const {
    if (kind == Kind::Identity) return p;
    if (kind == Kind::MirrorX) return {-p.x, p.y};
    return {a * p.x + b * p.y, c * p.x + d * p.y};
  }
  // A direction angle in degrees.
  double MapAngle(double degrees) const {
    if (kind == Kind::Identity) return degrees;
    if (kind == Kind::MirrorX) return 180.0 - degrees;
    const double r = degrees * kPi / 180.0;
    const Point2d v = Map({std::cos(r), std::sin(r)});
    return std::atan2(v.y, v.x) * 180.0 / kPi;
  }
  // A counter-clockwise arc from start to end, in degrees: a mirror swaps its ends.
  void MapArc(double& start, double& end) const {
    if (kind == Kind::Identity) return;
    const double s = MapAngle(start), e = MapAngle(end);
    if (Mirrored()) {
      start = e, end = s;
    } else {
      start = s, end = e;
    }
  }
};

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
};

using Groups = std::vector<DxfGroup>;

// More blocks than a block index can number.
constexpr std::size_t kMaxBlocks = 0xFFFFFFF0u;

// Reads one file into a drawing; its member functions live in reader.cpp (sections, tables,
// blocks and the entity loop) and in reader_entities_*.cpp (one file per entity family).
class Reader {
public:
  Reader(std::string_view data, Drawing& drawing, const std::string& source, DxfReadReport& report,
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

  // Reads the groups after `next` up to the following group 0, which becomes `next`.
  void Collect(Groups& out, DxfGroup& next) {
    if (!tok_.Collect(out, next)) tok_.Fail("it is cut short (no EOF at the end)");
    if (progress_ && (++collected_ & 4095) == 0) TellProgress();
  }
  void TellProgress() const {
    const double share = size_ == 0 ? 1.0 : 1.0 - static_cast<double>(tok_.RemainingBytes()) / static_cast<double>(size_);
    if (!progress_(share)) throw DxfReadStopped();
  }

  std::string Decode(std::string_view bytes) const { return DecodeDxfValue(bytes, utf8_, codePageTable_); }

  double Real(const DxfGroup& g) const { return tok_.Real(g); }
  int Int(const DxfGroup& g) const { return tok_.Int(g); }

  // reader.cpp: header, tables, blocks and the entity loop
  void ReadHeader();
  void ReadTables(DxfGroup& next);
  void ReadLayer();
  LayerIndex LayerFor(std::string_view raw);
  void NameKey(std::string_view raw);
  BlockIndex BlockFor(std::string_view raw);
  void ReadBlocks(DxfGroup& next);
  void ReadEntityList(DxfGroup& next, bool inBlock);
  void ReadEntity(std::string_view name, DxfGroup& next);
  void TakeCommon(const DxfGroup& g, Common& c) const;
  EntityStyle StyleOf(const Common& c);
  void SkipFollowers(DxfGroup& next);
  void Finish();
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
  void MapVertices(const Ocs& ocs);
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
  static void MapHatch(HatchGeometry& hatch, const Ocs& ocs);

  DxfTokenizer tok_;
  Drawing& drawing_;
  DxfReadReport& report_;
  const DxfReadProgress& progress_;
  std::size_t size_;
  std::size_t collected_ = 0;
  Groups groups_;
  std::vector<PolylineVertex> vertices_;
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
};

}  // namespace tessaro::dxf_reader
