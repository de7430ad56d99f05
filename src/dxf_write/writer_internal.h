// The DXF writer's shared parts, for the files that write the sections (writer.cpp) and the
// entity families (writer_entities*.cpp): not for use outside src/dxf.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "cad/drawing.h"
#include "dxf_write/writer.h"

namespace tessaro::dxf_writer {

// Handles of the fixed records; the others are numbered from kFirstFreeHandle in the
// order they are written.
constexpr std::uint32_t kFirstFreeHandle = 0x30;
constexpr std::uint32_t kBlockRecordTableHandle = 0x1;
constexpr std::uint32_t kLayerTableHandle = 0x2;
constexpr std::uint32_t kStyleTableHandle = 0x3;
constexpr std::uint32_t kLinetypeTableHandle = 0x5;
constexpr std::uint32_t kViewTableHandle = 0x6;
constexpr std::uint32_t kUcsTableHandle = 0x7;
constexpr std::uint32_t kViewportTableHandle = 0x8;
constexpr std::uint32_t kAppidTableHandle = 0x9;
constexpr std::uint32_t kDimStyleTableHandle = 0xA;
constexpr std::uint32_t kRootDictionaryHandle = 0xC;
constexpr std::uint32_t kGroupDictionaryHandle = 0xD;
constexpr std::uint32_t kPlotStyleDictionaryHandle = 0xE;
constexpr std::uint32_t kPlotStylePlaceholderHandle = 0xF;  // the plot style every layer names
constexpr std::uint32_t kLayerZeroHandle = 0x10;
constexpr std::uint32_t kAcadAppidHandle = 0x12;
constexpr std::uint32_t kFirstLinetypeHandle = 0x14;          // BYBLOCK, BYLAYER, CONTINUOUS
constexpr std::uint32_t kPaperSpaceRecordHandle = 0x1B;
constexpr std::uint32_t kPaperSpaceBlockHandle = 0x1C;         // and its ENDBLK, 0x1D
constexpr std::uint32_t kModelSpaceRecordHandle = 0x1F;
constexpr std::uint32_t kModelSpaceBlockHandle = 0x20;         // and its ENDBLK, 0x21
constexpr std::uint32_t kStandardDimStyleHandle = 0x27;

constexpr int kLayerColor = 7;             // white/black, negative when the layer is off
constexpr int kLineweightDefault = -3;     // group 370 of a layer
constexpr int kInsunitsCentimetres = 5;
constexpr std::string_view kStandardStyle = "STANDARD";
constexpr std::string_view kArialStyle = "Arial";

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Writes `value` as FormatDxfReal does, at `out`, which has room for kRealRoom bytes; returns
// the end. This runs for nearly every value of the file, so it makes no string.
constexpr std::size_t kRealRoom = 64;
char* PutDxfReal(char* out, double value);

// An upper-case hexadecimal handle.
inline char* PutHex(char* out, std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char digits[8];
  char* start = digits + sizeof digits;
  do {
    *--start = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  const auto length = static_cast<std::size_t>(digits + sizeof digits - start);
  std::memcpy(out, start, length);
  return out + length;
}

inline char* PutText(char* out, std::string_view text) {
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// "nan" or "inf" in a file would make CAD programs refuse it: fail the write instead.
inline void RequireFinite(int gc, double value) {
  if (!std::isfinite(value)) {
    Raise(ErrorKind::InvalidFloat, "the DXF value of group code " + std::to_string(gc) + " is not a finite number");
  }
}

// The groups of the file (a code right-aligned in three columns, as CAD programs write it,
// then the value, each on its line) gathered in a block that goes to the sink whenever it
// is full: handing on each value by itself made writing many times slower. Records that
// are written often go straight into the block through Room and Advance.
class GroupWriter {
public:
  explicit GroupWriter(std::size_t blockBytes) : block_(blockBytes) {}

  // Hands on what is buffered, then sends the text that follows to `sink`.
  void SendTo(const DxfBlockSink* sink) {
    Flush();
    sink_ = sink;
  }
  void Flush() {
    if (used_ > 0) (*sink_)(std::string_view(block_.data(), used_));
    used_ = 0;
  }

  // Where the next `bytes` bytes at most go; Advance then tells where they ended.
  char* Room(std::size_t bytes) {
    if (used_ + bytes > block_.size()) {
      Flush();
      if (bytes > block_.size()) block_.resize(bytes);
    }
    return block_.data() + used_;
  }
  void Advance(const char* end) { used_ = static_cast<std::size_t>(end - block_.data()); }

  std::uint32_t TakeHandle() { return nextHandle_++; }
  std::uint32_t NextHandle() const { return nextHandle_; }

  void String(int gc, std::string_view value) { Put(gc, value); }
  void Int(int gc, long long value) {
    char* p = Code(Room(kCodeRoom + 24), gc);
    p = std::to_chars(p, p + 24, value).ptr;
    *p++ = '\n';
    Advance(p);
  }
  void Real(int gc, double value) {
    RequireFinite(gc, value);
    char* p = PutDxfReal(Code(Room(kCodeRoom + kRealRoom), gc), value);
    *p++ = '\n';
    Advance(p);
  }
  void Hex(int gc, std::uint32_t handle) {
    char digits[8];
    Put(gc, std::string_view(digits, static_cast<std::size_t>(PutHex(digits, handle) - digits)));
  }
  // A new handle under group 5; returns it.
  std::uint32_t Handle() {
    const std::uint32_t handle = TakeHandle();
    Hex(5, handle);
    return handle;
  }
  // x, y and z = 0 under gc, gc + 10 and gc + 20.
  void Point(int gc, double x, double y) {
    Real(gc, x);
    Real(gc + 10, y);
    Real(gc + 20, 0.0);
  }
  void Subclass(std::string_view name) { Put(100, name); }

  // Group 0 of a table, its handle, marker and count; EndTable closes it.
  void Table(std::string_view name, std::uint32_t handle, std::size_t count) {
    String(0, "TABLE");
    String(2, name);
    Hex(5, handle);
    Subclass("AcDbSymbolTable");
    Int(70, static_cast<long long>(count));
  }
  void EndTable() { String(0, "ENDTAB"); }
  // Group 0 of a table record, its handle (a new one when 0) and its two subclass markers.
  void TableRecord(std::string_view type, std::uint32_t handle, std::string_view subclass) {
    String(0, type);
    if (handle == 0) Handle();
    else Hex(5, handle);
    Subclass("AcDbSymbolTableRecord");
    Subclass(subclass);
  }
  void Section(std::string_view name) {
    String(0, "SECTION");
    String(2, name);
  }
  void EndSection() { String(0, "ENDSEC"); }

private:
  static constexpr std::size_t kCodeRoom = 16;  // padding, the digits of a group code, two line ends

  // The group code at `p`, right-aligned in three columns, and its line end.
  static char* Code(char* p, int gc) {
    char digits[8];
    const char* digitsEnd = std::to_chars(digits, digits + sizeof digits, gc).ptr;
    for (auto width = digitsEnd - digits; width < 3; ++width) *p++ = ' ';
    p = std::copy(static_cast<const char*>(digits), digitsEnd, p);
    *p++ = '\n';
    return p;
  }

  void Put(int gc, std::string_view value) {
    char* p = PutText(Code(Room(kCodeRoom + value.size()), gc), value);
    *p++ = '\n';
    Advance(p);
  }

  std::vector<char> block_;
  std::size_t used_ = 0;
  const DxfBlockSink* sink_ = nullptr;
  std::uint32_t nextHandle_ = kFirstFreeHandle;
};

// Where each entity of a list goes: an insert takes the attributes that follow it (as many
// as it counts and the list holds), and an attribute that no insert takes is left out.
// `write(entity, attributes)` gets every entity that is written, `skip(entity)` the others.
template <class Write, class Skip>
void WalkEntities(std::span<const EntityHeader> list, const Drawing& drawing, Write&& write, Skip&& skip) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const EntityHeader& entity = list[i];
    if (entity.type == EntityType::Attrib) {
      skip(entity);
      continue;
    }
    std::size_t attributes = 0;
    if (entity.type == EntityType::Insert) {
      const std::size_t wanted = drawing.Insert(entity).attributes;
      while (attributes < wanted && i + 1 + attributes < list.size() &&
             list[i + 1 + attributes].type == EntityType::Attrib) {
        ++attributes;
      }
    }
    const auto taken = list.subspan(i + 1, attributes);
    if (!write(entity, taken)) {
      skip(entity);
      for (const auto& attribute : taken) skip(attribute);
    }
    i += attributes;
  }
}

// writer.cpp: the names of the tables
std::vector<std::string> StyleNames(const Drawing& drawing);
std::vector<std::string> EncodedLayerNames(const Drawing& drawing);
std::vector<std::string> EncodedBlockNames(const Drawing& drawing);

// writer_entities.cpp: which entities are written
bool Holds(const Drawing& drawing, const EntityHeader& e, std::optional<BlockIndex> owner,
           const std::vector<std::uint32_t>& cycleParts);

// writer_entities_curves.cpp: what the curves need to be written
EllipseGeometry NormalEllipse(EllipseGeometry g);
std::optional<Extents> FrameBox(const WipeoutGeometry& g);

// Every record of the ENTITIES section and of the blocks. LINE, CIRCLE, ARC and TEXT, nearly
// all of a piece drawing, go straight into the block (a call and a string per value made the
// text of a drawing several times slower than writing it); the others through GroupWriter.
// The records are written in writer_entities.cpp (the straight ones), writer_entities_curves.cpp
// and writer_entities_annotations.cpp.
class EntityRecords {
public:
  EntityRecords(GroupWriter& out, const Drawing& drawing, const std::vector<std::string>& layerNames,
                const std::vector<std::string>& blockNames, const std::vector<std::string>& lineTypeNames);

  // Writes the entities of model space or of block `owner` that the file can hold; those of
  // a block name its record (`ownerRecord`) as their owner, which readers need to tie an
  // insert's attributes to it there. (Model space leaves owners to the reader, as it always
  // has.)
  void WriteList(std::span<const EntityHeader> list, std::optional<BlockIndex> owner, std::uint32_t ownerRecord);

  bool Writable(const EntityHeader& e) const { return DxfCanHold(drawing_, e); }

  // The handles a written entity takes: its own, its attributes' and their SEQEND (a 3-D
  // polyline: its vertices' and their SEQEND).
  static std::uint32_t HandlesOf(const Drawing& drawing, const EntityHeader& e,
                                 std::span<const EntityHeader> attributes) {
    if (e.type == EntityType::Polyline) {
      const auto heights = drawing.Heights(e);
      if (!heights.empty() && heights.size() == drawing.Polyline(e).vertexCount) {
        return 2 + static_cast<std::uint32_t>(heights.size());
      }
    }
    return 1 + static_cast<std::uint32_t>(attributes.size()) + (attributes.empty() ? 0 : 1);
  }

  // Dimension styles other than Standard that dimensions name, as written.
  static std::string DimStyleName(const std::string& style);

private:
  // writer_entities.cpp: the dispatch, and the records written straight into the block
  // (LINE, CIRCLE, ARC, TEXT, ATTRIB)
  bool Write(const EntityHeader& e, std::span<const EntityHeader> attributes);
  char* Head(const EntityHeader& entity, std::string_view type, std::string_view subclass, std::size_t extra);
  void WriteLine(const EntityHeader& e);
  void WriteCircle(const EntityHeader& e);
  void WriteArc(const EntityHeader& e);
  char* TextBody(const TextGeometry& g, const EntityHeader& e, std::string_view type, std::size_t extra);
  void WriteText(const TextGeometry& g, const EntityHeader& e);
  void WriteAttrib(const EntityHeader& e);
  std::uint32_t Head(const EntityHeader& e, std::string_view type, std::string_view subclass);

  static constexpr std::size_t kFixedRoom = 512;  // every record's fixed text, with room to spare
  static constexpr std::size_t kRealsRoom = 10 * kRealRoom;

  // The check GroupWriter::Real makes, in the order the values are written.
  static void Finite(std::initializer_list<double> values, std::initializer_list<int> codes) {
    const int* gc = codes.begin();
    for (double value : values) RequireFinite(*gc++, value);
  }

  [[gnu::always_inline]] static char* Real(char* p, std::string_view code, double value) {
    p = PutDxfReal(PutText(p, code), value);
    *p++ = '\n';
    return p;
  }

  // The centre and radius that circles and arcs share.
  [[gnu::always_inline]] static char* Round(char* p, const Point2d& center, double radius) {
    p = Real(p, " 10\n", center.x);
    p = Real(p, " 20\n", center.y);
    p = PutText(p, " 30\n0\n");
    return Real(p, " 40\n", radius);
  }

  // writer_entities_curves.cpp: polylines, ellipses, splines, hatches, solids, points, rays,
  // wipeouts, through GroupWriter
  void WriteUpExtrusion();
  void WritePolyline(const EntityHeader& e);
  void Write3dPolyline(const EntityHeader& e, std::span<const PolylineVertex> vertices, std::span<const double> heights);
  void WriteEllipse(const EntityHeader& e);
  void WriteSpline(const EntityHeader& e);
  void WriteHatchSpline(const SplineGeometry& s);
  void WriteHatchLoop(const HatchLoop& loop);
  void WriteHatch(const EntityHeader& e);
  void WriteSolid(const EntityHeader& e);
  void WritePoint(const EntityHeader& e);
  void WriteRay(const EntityHeader& e);
  void WriteWipeout(const EntityHeader& e);

  // writer_entities_annotations.cpp: multi-line texts, inserts, dimensions, leaders
  void WriteMText(const EntityHeader& e);
  void WriteInsert(const EntityHeader& e, std::span<const EntityHeader> attributes);
  void WriteDimension(const EntityHeader& e);
  void WriteLeader(const EntityHeader& e);

  GroupWriter& out_;
  const Drawing& drawing_;
  const std::vector<std::string>& layerNames_;
  const std::vector<std::string>& blockNames_;
  const std::vector<std::string>& lineTypeNames_;  // by index; "" written as CONTINUOUS
  // An entity's own line type and scale as its groups 6 and 48 say them: BYLAYER, BYBLOCK or
  // a name of the table.
  std::string_view LineTypeOf(const EntityHeader& e, double& scale) const;
  std::vector<std::uint32_t> cycleParts_;  // see BlockCycleParts (cad/block_references.h)
  std::uint32_t owner_ = 0;                 // the owner handle written with each record, 0 none
  std::vector<std::string> layerParts_;  // "100 AcDbEntity 8 <layer> 62" with their line ends
  std::string encodedValue_;             // room for texts that are not plain ASCII
  std::string encodedStyle_;
  std::string encodedTag_;
};

}  // namespace tessaro::dxf_writer
