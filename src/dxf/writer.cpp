// Writes a drawing as ASCII DXF R2000: header, tables, blocks, entities and objects, with
// handles and subclass markers; numbers in their shortest round-trip text.
#include "dxf/writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <variant>
#include <vector>

#include "dxf/text.h"
#include "base/errors.h"

namespace tessaro {

namespace {

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

// The block for a drawing: the size of its whole file when that is less than a megabyte.
// A batch writes hundreds of small files, and a megabyte block for each (zeroed, and
// mapped fresh from the system every time) cost more than making their text.
std::size_t BlockBytesFor(const Drawing& drawing) {
  constexpr std::size_t kTablesBytes = 16 * 1024;
  constexpr std::size_t kBytesPerEntity = 160;  // a LINE record with its numbers
  return std::min(kBlockBytes, kTablesBytes + kBytesPerEntity * drawing.EntityCount());
}

// Writes `value` as FormatDxfReal does, at `out`, which has room for kRealRoom bytes; returns
// the end. This runs for nearly every value of the file, so it makes no string.
constexpr std::size_t kRealRoom = 64;
char* PutDxfReal(char* out, double value);

// An upper-case hexadecimal handle.
char* PutHex(char* out, std::uint32_t value) {
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

char* PutText(char* out, std::string_view text) {
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// "nan" or "inf" in a file would make CAD programs refuse it: fail the write instead.
void RequireFinite(int gc, double value) {
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

bool EqualsNoCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

// Text styles: STANDARD and Arial always, then any other style a text, an attribute or a
// multi-line text names, in model space and then in the blocks.
std::vector<std::string> StyleNames(const Drawing& drawing) {
  std::vector<std::string> names = {std::string(kStandardStyle), std::string(kArialStyle)};
  const auto sameName = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return (x | 0x20) == (y | 0x20); });
  };
  const std::string* previous = nullptr;  // texts mostly share their style: skip repeats
  const auto add = [&](const std::string& raw) {
    if (previous != nullptr && *previous == raw) return;
    previous = &raw;
    const std::string style = EncodeDxfText(raw);
    if (style.empty()) return;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, style); })) {
      names.push_back(style);
    }
  };
  const auto addFrom = [&](const std::vector<EntityHeader>& list) {
    for (const auto& entity : list) {
      switch (entity.type) {
        case EntityType::Text: add(drawing.Text(entity).style); break;
        case EntityType::Attrib: add(drawing.Attrib(entity).text.style); break;
        case EntityType::MText: add(drawing.MText(entity).style); break;
        default: break;
      }
    }
  };
  addFrom(drawing.Entities());
  for (const auto& block : drawing.Blocks()) addFrom(block.entities);
  return names;
}

// The layer names as they are written, in the drawing's order.
std::vector<std::string> EncodedLayerNames(const Drawing& drawing) {
  std::vector<std::string> names;
  names.reserve(drawing.Layers().size());
  for (const auto& layer : drawing.Layers()) names.push_back(layer.name.empty() ? "0" : EncodeDxfText(layer.name));
  return names;
}

// A text value as EncodeDxfText gives it, without its per-character work for the texts a
// drawing holds: plain ASCII comes out unchanged and is used in place; ASCII with Latin-1
// letters and signs (U+00A0 to U+00FF, the Ø of every bar) becomes those bytes of
// Windows-1252, in `encoded`. Anything else (line breaks, other characters, broken UTF-8,
// texts near the line limit) goes through EncodeDxfText itself.
std::string_view DxfTextOf(const std::string& utf8, std::string& encoded) {
  const auto isPlain = [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != '\r' && c != '\n'; };
  if (utf8.size() > kLongestDxfLine) {
    encoded = EncodeDxfText(utf8);
    return encoded;
  }
  if (std::all_of(utf8.begin(), utf8.end(), isPlain)) return utf8;
  encoded.clear();
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (isPlain(c)) {
      encoded += c;
      continue;
    }
    const auto lead = static_cast<unsigned char>(c);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
    const unsigned codePoint = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
    if ((lead != 0xC2 && lead != 0xC3) || (next & 0xC0u) != 0x80 || codePoint < 0xA0) {
      encoded = EncodeDxfText(utf8);
      return encoded;
    }
    encoded += static_cast<char>(codePoint);
    ++i;
  }
  return encoded;
}

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

constexpr double kPi = 3.14159265358979323846;
constexpr double kSmallestEllipseRatio = 1e-6;  // what CAD programs accept

bool IsZero(const Point2d& p) { return p.x == 0.0 && p.y == 0.0; }

// An ellipse whose ratio is above 1 turned into the same curve with its axes swapped.
EllipseGeometry NormalEllipse(EllipseGeometry g) {
  if (g.ratio > 1.0) {
    g.majorAxis = {-g.majorAxis.y * g.ratio, g.majorAxis.x * g.ratio};
    g.ratio = 1.0 / g.ratio;
    g.startParam -= kPi / 2;
    g.endParam -= kPi / 2;
  }
  return g;
}

// Whether a spline has the points and knots its degree needs (what CAD programs refuse).
bool SplineIsWhole(const SplineGeometry& g) {
  if (g.degree < 1) return false;
  const std::size_t order = static_cast<std::size_t>(g.degree) + 1;
  if (!g.controlPoints.empty()) {
    return g.controlPoints.size() >= order && g.knots.size() >= g.controlPoints.size() + order &&
           (g.weights.empty() || g.weights.size() == g.controlPoints.size());
  }
  return g.fitPoints.size() >= std::max<std::size_t>(order > 2 ? order - 2 : 0, 2);
}

// The bounding box of a wipeout's frame, or nothing when it has no area.
std::optional<Extents> FrameBox(const WipeoutGeometry& g) {
  if (g.frame.size() < 3) return std::nullopt;
  Extents box{g.frame.front(), g.frame.front()};
  for (const auto& p : g.frame) {
    box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y)};
    box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y)};
  }
  if (!(box.max.x > box.min.x && box.max.y > box.min.y)) return std::nullopt;
  return box;
}

}  // namespace

bool DxfCanHold(const Drawing& drawing, const EntityHeader& e) {
  switch (e.type) {
    case EntityType::Polyline: return drawing.Polyline(e).vertexCount >= 1;
    case EntityType::Ellipse: {
      const auto g = NormalEllipse(drawing.Ellipse(e));
      return !IsZero(g.majorAxis) && g.ratio >= kSmallestEllipseRatio;
    }
    case EntityType::Spline: return SplineIsWhole(drawing.Spline(e));
    case EntityType::Insert: return drawing.Insert(e).block < drawing.Blocks().size();
    case EntityType::Dimension: return drawing.Dimension(e).block < drawing.Blocks().size();
    case EntityType::Leader: return drawing.Leader(e).vertices.size() >= 2;
    case EntityType::Ray: return !IsZero(drawing.Ray(e).direction);
    case EntityType::Wipeout: return FrameBox(drawing.Wipeout(e)).has_value();
    default: return true;
  }
}

namespace {

// The strongly connected parts of the graph of blocks that insert blocks: an insert inside
// block B of a block of B's own part makes B contain itself, which CAD programs refuse.
// Iterative (a file may nest blocks thousands deep), linear in blocks and inserts.
std::vector<std::uint32_t> BlockCycleParts(const Drawing& drawing) {
  const std::size_t count = drawing.Blocks().size();
  std::vector<std::vector<std::uint32_t>> inserted(count);
  for (std::size_t b = 0; b < count; ++b) {
    for (const auto& e : drawing.Blocks()[b].entities) {
      if (e.type == EntityType::Insert && drawing.Insert(e).block < count) inserted[b].push_back(drawing.Insert(e).block);
    }
  }
  constexpr std::uint32_t kUnseen = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> order(count, kUnseen), low(count, 0), part(count, kUnseen), stack;
  std::vector<bool> onStack(count, false);
  std::uint32_t seen = 0;
  std::uint32_t parts = 0;
  struct Frame {
    std::uint32_t block;
    std::size_t next;
  };
  std::vector<Frame> calls;
  const auto enter = [&](std::uint32_t b) {
    order[b] = low[b] = seen++;
    stack.push_back(b);
    onStack[b] = true;
    calls.push_back({b, 0});
  };
  for (std::uint32_t start = 0; start < count; ++start) {
    if (order[start] != kUnseen) continue;
    enter(start);
    while (!calls.empty()) {
      const std::uint32_t b = calls.back().block;
      if (calls.back().next < inserted[b].size()) {
        const std::uint32_t c = inserted[b][calls.back().next++];
        if (order[c] == kUnseen) enter(c);
        else if (onStack[c]) low[b] = std::min(low[b], order[c]);
        continue;
      }
      calls.pop_back();
      if (!calls.empty()) low[calls.back().block] = std::min(low[calls.back().block], low[b]);
      if (low[b] != order[b]) continue;
      std::uint32_t member = kUnseen;
      do {
        member = stack.back();
        stack.pop_back();
        onStack[member] = false;
        part[member] = parts;
      } while (member != b);
      ++parts;
    }
  }
  return part;
}

// Whether the writer writes an entity of the list of `owner` (a block, or model space):
// what DXF can hold, less the inserts that would make a block contain itself.
bool Holds(const Drawing& drawing, const EntityHeader& e, std::optional<BlockIndex> owner,
           const std::vector<std::uint32_t>& cycleParts) {
  if (e.type <= EntityType::Text) return true;  // lines, circles, arcs and texts always
  if (!DxfCanHold(drawing, e)) return false;
  return !(owner && e.type == EntityType::Insert && cycleParts[*owner] == cycleParts[drawing.Insert(e).block]);
}

// The names blocks are written under: their own where DXF allows it, otherwise (empty,
// a layout's name, or one that another block has already taken) an anonymous one.
std::vector<std::string> EncodedBlockNames(const Drawing& drawing) {
  std::vector<std::string> names;
  std::vector<std::string> taken = {"*model_space", "*paper_space"};
  const auto lower = [](std::string name) {
    for (char& c : name) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
  };
  std::size_t anonymous = 0;
  for (const auto& block : drawing.Blocks()) {
    std::string name = EncodeDxfText(block.name);
    const bool layout = lower(name).rfind("*paper_space", 0) == 0 || lower(name).rfind("*model_space", 0) == 0;
    while (name.empty() || layout || std::find(taken.begin(), taken.end(), lower(name)) != taken.end()) {
      name = "*U" + std::to_string(++anonymous);
      if (std::find(taken.begin(), taken.end(), lower(name)) == taken.end()) break;
    }
    taken.push_back(lower(name));
    names.push_back(std::move(name));
  }
  return names;
}

// Every record of the ENTITIES section and of the blocks. LINE, CIRCLE, ARC and TEXT, nearly
// all of a piece drawing, go straight into the block (a call and a string per value made the
// text of a drawing several times slower than writing it); the others through GroupWriter.
class EntityRecords {
public:
  EntityRecords(GroupWriter& out, const Drawing& drawing, const std::vector<std::string>& layerNames,
                const std::vector<std::string>& blockNames)
      : out_(out),
        drawing_(drawing),
        layerNames_(layerNames),
        blockNames_(blockNames),
        cycleParts_(BlockCycleParts(drawing)) {
    layerParts_.reserve(layerNames.size());
    for (const auto& name : layerNames) layerParts_.push_back("100\nAcDbEntity\n  8\n" + name + "\n 62\n");
  }

  // Writes the entities of model space or of block `owner` that the file can hold; those of
  // a block name its record (`ownerRecord`) as their owner, which readers need to tie an
  // insert's attributes to it there. (Model space leaves owners to the reader, as it always
  // has.)
  void WriteList(std::span<const EntityHeader> list, std::optional<BlockIndex> owner, std::uint32_t ownerRecord) {
    owner_ = ownerRecord;
    WalkEntities(
        list, drawing_,
        [&](const EntityHeader& e, std::span<const EntityHeader> attributes) {
          return Holds(drawing_, e, owner, cycleParts_) && Write(e, attributes);
        },
        [](const EntityHeader&) {});
  }

  bool Writable(const EntityHeader& e) const { return DxfCanHold(drawing_, e); }

  // The handles a written entity takes: its own, its attributes' and their SEQEND.
  static std::uint32_t HandlesOf(std::span<const EntityHeader> attributes) {
    return 1 + static_cast<std::uint32_t>(attributes.size()) + (attributes.empty() ? 0 : 1);
  }

private:
  // Writes an entity that Holds; false for an attribute, which goes with its insert.
  bool Write(const EntityHeader& e, std::span<const EntityHeader> attributes) {
    switch (e.type) {
      case EntityType::Line: WriteLine(e); break;
      case EntityType::Circle: WriteCircle(e); break;
      case EntityType::Arc: WriteArc(e); break;
      case EntityType::Text: WriteText(drawing_.Text(e), e); break;
      case EntityType::Polyline: WritePolyline(e); break;
      case EntityType::Ellipse: WriteEllipse(e); break;
      case EntityType::Spline: WriteSpline(e); break;
      case EntityType::MText: WriteMText(e); break;
      case EntityType::Attrib: return false;  // only after its insert
      case EntityType::Insert: WriteInsert(e, attributes); break;
      case EntityType::Dimension: WriteDimension(e); break;
      case EntityType::Leader: WriteLeader(e); break;
      case EntityType::Hatch: WriteHatch(e); break;
      case EntityType::Solid: WriteSolid(e); break;
      case EntityType::Point: WritePoint(e); break;
      case EntityType::Ray: WriteRay(e); break;
      case EntityType::Wipeout: WriteWipeout(e); break;
    }
    return true;
  }

  // ---- straight into the block ----

  static constexpr std::size_t kFixedRoom = 512;  // every record's fixed text, with room to spare
  static constexpr std::size_t kRealsRoom = 10 * kRealRoom;

  // The check GroupWriter::Real makes, in the order the values are written.
  static void Finite(std::initializer_list<double> values, std::initializer_list<int> codes) {
    const int* gc = codes.begin();
    for (double value : values) RequireFinite(*gc++, value);
  }

  // Entity type and handle, attributes and the first subclass marker; `extra` is the room
  // the record's texts take beyond its fixed text and numbers.
  char* Head(const EntityHeader& entity, std::string_view type, std::string_view subclass, std::size_t extra) {
    const std::string& layer = layerParts_[entity.layer];
    char* p = out_.Room(kFixedRoom + kRealsRoom + layer.size() + extra);
    p = PutText(p, type);
    p = PutHex(p, out_.TakeHandle());
    *p++ = '\n';
    if (owner_ != 0) {
      p = PutHex(PutText(p, "330\n"), owner_);
      *p++ = '\n';
    }
    p = PutText(p, layer);
    p = std::to_chars(p, p + 8, static_cast<int>(entity.color)).ptr;
    if (const auto rgb = entity.trueColor != 0 ? drawing_.TrueColor(entity) : std::nullopt) {
      p = PutText(p, "\n420\n");
      p = std::to_chars(p, p + 16, static_cast<long long>(*rgb & 0xFFFFFFu)).ptr;
    }
    p = PutText(p, "\n370\n-1\n 48\n1\n  6\nBYLAYER\n");
    return PutText(p, subclass);
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

  void WriteLine(const EntityHeader& e) {
    const auto& g = drawing_.Line(e);
    Finite({g.start.x, g.start.y, g.end.x, g.end.y}, {10, 20, 11, 21});
    char* p = Head(e, "  0\nLINE\n  5\n", "100\nAcDbLine\n", 0);
    p = Real(p, " 10\n", g.start.x);
    p = Real(p, " 20\n", g.start.y);
    p = PutText(p, " 30\n0\n");
    p = Real(p, " 11\n", g.end.x);
    p = Real(p, " 21\n", g.end.y);
    out_.Advance(PutText(p, " 31\n0\n"));
  }

  void WriteCircle(const EntityHeader& e) {
    const auto& g = drawing_.Circle(e);
    Finite({g.center.x, g.center.y, g.radius}, {10, 20, 40});
    char* p = Head(e, "  0\nCIRCLE\n  5\n", "100\nAcDbCircle\n", 0);
    out_.Advance(Round(p, g.center, g.radius));
  }

  void WriteArc(const EntityHeader& e) {
    const auto& g = drawing_.Arc(e);
    Finite({g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle}, {10, 20, 40, 50, 51});
    char* p = Head(e, "  0\nARC\n  5\n", "100\nAcDbCircle\n", 0);
    p = PutText(Round(p, g.center, g.radius), "100\nAcDbArc\n");
    p = Real(p, " 50\n", g.startAngle);
    out_.Advance(Real(p, " 51\n", g.endAngle));
  }

  // The groups TEXT and ATTRIB share, from the position to the second point; `type` is the
  // record's head up to its handle.
  char* TextBody(const TextGeometry& g, const EntityHeader& e, std::string_view type, std::size_t extra) {
    Finite({g.position.x, g.position.y, g.height, g.rotation, g.widthFactor, g.oblique, g.alignPoint.x, g.alignPoint.y},
           {10, 20, 40, 50, 41, 51, 11, 21});
    const std::string_view value = DxfTextOf(g.value, encodedValue_);
    const std::string_view style = g.style.empty() ? kArialStyle : DxfTextOf(g.style, encodedStyle_);
    char* p = Head(e, type, "100\nAcDbText\n", value.size() + style.size() + extra);
    p = Real(p, " 10\n", g.position.x);
    p = Real(p, " 20\n", g.position.y);
    p = PutText(p, " 30\n0\n");
    p = Real(p, " 40\n", g.height);
    p = PutText(PutText(p, "  1\n"), value);
    const bool plain = g.rotation == 0.0 && g.widthFactor == 1.0 && g.oblique == 0.0 && g.generation == 0 &&
                       g.hAlign == 0 && g.alignPoint.x == 0.0 && g.alignPoint.y == 0.0;
    if (plain) {  // the texts of a piece drawing: the same groups, written whole
      p = PutText(PutText(p, "\n 50\n0\n 41\n1\n  7\n"), style);
      return PutText(p, "\n 71\n0\n 72\n0\n 11\n0\n 21\n0\n 31\n0\n");
    }
    p = Real(PutText(p, "\n"), " 50\n", g.rotation);
    p = Real(p, " 41\n", g.widthFactor);
    if (g.oblique != 0.0) p = Real(p, " 51\n", g.oblique);
    p = PutText(PutText(p, "  7\n"), style);
    p = PutText(p, "\n 71\n");
    p = std::to_chars(p, p + 4, static_cast<int>(g.generation)).ptr;
    p = PutText(p, "\n 72\n");
    p = std::to_chars(p, p + 4, static_cast<int>(g.hAlign)).ptr;
    p = Real(PutText(p, "\n"), " 11\n", g.alignPoint.x);
    p = Real(p, " 21\n", g.alignPoint.y);
    return PutText(p, " 31\n0\n");
  }

  void WriteText(const TextGeometry& g, const EntityHeader& e) {
    char* p = TextBody(g, e, "  0\nTEXT\n  5\n", 0);
    p = PutText(p, "100\nAcDbText\n 73\n");
    p = std::to_chars(p, p + 4, static_cast<int>(g.vAlign)).ptr;
    *p++ = '\n';
    out_.Advance(p);
  }

  void WriteAttrib(const EntityHeader& e) {
    const AttribGeometry& g = drawing_.Attrib(e);
    const std::string_view tag = DxfTextOf(g.tag, encodedTag_);
    char* p = TextBody(g.text, e, "  0\nATTRIB\n  5\n", tag.size());
    p = PutText(PutText(p, "100\nAcDbAttribute\n  2\n"), tag);
    p = PutText(p, g.invisible ? "\n 70\n1\n 74\n" : "\n 70\n0\n 74\n");
    p = std::to_chars(p, p + 4, static_cast<int>(g.text.vAlign)).ptr;
    *p++ = '\n';
    out_.Advance(p);
  }

  // ---- through GroupWriter ----

  // Returns the entity's handle.
  std::uint32_t Head(const EntityHeader& e, std::string_view type, std::string_view subclass) {
    out_.String(0, type);
    const std::uint32_t handle = out_.Handle();
    if (owner_ != 0) out_.Hex(330, owner_);
    out_.Subclass("AcDbEntity");
    out_.String(8, layerNames_[e.layer]);
    out_.Int(62, e.color);
    if (const auto rgb = drawing_.TrueColor(e)) out_.Int(420, *rgb & 0xFFFFFFu);
    out_.Int(370, -1);
    out_.Real(48, 1.0);
    out_.String(6, "BYLAYER");
    out_.Subclass(subclass);
    return handle;
  }

  // The extrusion of an entity in the drawing's plane, (0, 0, 1).
  void WriteUpExtrusion() {
    out_.Real(210, 0.0);
    out_.Real(220, 0.0);
    out_.Real(230, 1.0);
  }

  void WritePolyline(const EntityHeader& e) {
    const auto& g = drawing_.Polyline(e);
    const auto vertices = drawing_.Vertices(g);
    Head(e, "LWPOLYLINE", "AcDbPolyline");
    out_.Int(90, static_cast<long long>(vertices.size()));
    out_.Int(70, g.closed ? 1 : 0);
    out_.Real(43, g.width);
    for (const auto& v : vertices) {
      out_.Real(10, v.point.x);
      out_.Real(20, v.point.y);
      if (v.bulge != 0.0) out_.Real(42, v.bulge);
    }
  }

  void WriteEllipse(const EntityHeader& e) {
    const EllipseGeometry g = NormalEllipse(drawing_.Ellipse(e));
    Head(e, "ELLIPSE", "AcDbEllipse");
    out_.Point(10, g.center.x, g.center.y);
    out_.Point(11, g.majorAxis.x, g.majorAxis.y);
    out_.Real(40, g.ratio);
    out_.Real(41, g.startParam);
    out_.Real(42, g.endParam);
  }

  void WriteSpline(const EntityHeader& e) {
    const auto& g = drawing_.Spline(e);
    const bool byControlPoints = !g.controlPoints.empty();
    const bool rational = byControlPoints && !g.weights.empty();
    Head(e, "SPLINE", "AcDbSpline");
    WriteUpExtrusion();
    out_.Int(70, 8 | (g.closed ? 1 : 0) | (g.periodic ? 2 : 0) | (rational ? 4 : 0));  // 8: planar
    out_.Int(71, g.degree);
    out_.Int(72, byControlPoints ? static_cast<long long>(g.knots.size()) : 0);
    out_.Int(73, static_cast<long long>(g.controlPoints.size()));
    out_.Int(74, static_cast<long long>(g.fitPoints.size()));
    out_.Real(42, 1e-10);
    out_.Real(43, 1e-10);
    if (!g.fitPoints.empty()) out_.Real(44, 1e-10);
    if (byControlPoints) {
      for (double knot : g.knots) out_.Real(40, knot);
      if (rational) {
        for (double weight : g.weights) out_.Real(41, weight);
      }
    }
    for (const auto& p : g.controlPoints) out_.Point(10, p.x, p.y);
    for (const auto& p : g.fitPoints) out_.Point(11, p.x, p.y);
  }

  // The text goes in pieces of at most 250 bytes (code 3, the last one code 1), never cut
  // inside an escape such as \U+00D8 or \P.
  void WriteMText(const EntityHeader& e) {
    const auto& g = drawing_.MText(e);
    Head(e, "MTEXT", "AcDbMText");
    out_.Point(10, g.position.x, g.position.y);
    out_.Real(40, g.height);
    out_.Real(41, g.width);
    out_.Int(71, g.attachment >= 1 && g.attachment <= 9 ? g.attachment : 1);
    out_.Int(72, 1);  // left to right
    constexpr std::size_t kPiece = 250;
    const std::string text = EncodeDxfTextWhole(g.value);
    std::size_t at = 0;
    while (text.size() - at > kPiece) {
      std::size_t end = at + kPiece;
      const std::size_t escape = text.rfind('\\', end - 1);
      if (escape != std::string::npos && escape >= at + kPiece - 7 && escape > at) end = escape;
      out_.String(3, std::string_view(text).substr(at, end - at));
      at = end;
    }
    out_.String(1, std::string_view(text).substr(at));
    out_.String(7, g.style.empty() ? std::string(kArialStyle) : EncodeDxfText(g.style));
    out_.Real(50, g.rotation);
    out_.Int(73, 1);  // at least the spacing given
    out_.Real(44, g.lineSpacing);
  }

  void WriteInsert(const EntityHeader& e, std::span<const EntityHeader> attributes) {
    const auto& g = drawing_.Insert(e);
    const std::uint32_t handle = Head(e, "INSERT", "AcDbBlockReference");
    if (!attributes.empty()) out_.Int(66, 1);
    out_.String(2, blockNames_[g.block]);
    out_.Point(10, g.position.x, g.position.y);
    out_.Real(41, g.xScale);
    out_.Real(42, g.yScale);
    out_.Real(43, 1.0);
    out_.Real(50, g.rotation);
    if (g.columns > 1 || g.rows > 1) {
      out_.Int(70, std::max<int>(g.columns, 1));
      out_.Int(71, std::max<int>(g.rows, 1));
      out_.Real(44, g.columnSpacing);
      out_.Real(45, g.rowSpacing);
    }
    if (attributes.empty()) return;
    // The attributes and their end belong to the insert.
    const std::uint32_t blockOwner = owner_;
    owner_ = handle;
    for (const auto& attribute : attributes) WriteAttrib(attribute);
    out_.String(0, "SEQEND");
    out_.Handle();
    out_.Hex(330, owner_);
    owner_ = blockOwner;
    out_.Subclass("AcDbEntity");
    out_.String(8, layerNames_[e.layer]);
  }

  // The dimension draws through its block; the points that only its kind has are not held
  // in the drawing, so the record gives the common ones.
  void WriteDimension(const EntityHeader& e) {
    const auto& g = drawing_.Dimension(e);
    Head(e, "DIMENSION", "AcDbDimension");
    out_.String(2, blockNames_[g.block]);
    out_.Point(10, g.definitionPoint.x, g.definitionPoint.y);
    out_.Point(11, g.textPoint.x, g.textPoint.y);
    out_.Point(12, g.blockOffset.x, g.blockOffset.y);
    out_.Int(70, g.dimensionType);
    out_.String(1, EncodeDxfText(g.text));
    out_.String(3, DimStyleName(g.style));
    out_.Real(42, g.measurement);
    switch (g.dimensionType & 0x0F) {
      case 0:
        out_.Subclass("AcDbAlignedDimension");
        out_.Subclass("AcDbRotatedDimension");
        break;
      case 1: out_.Subclass("AcDbAlignedDimension"); break;
      case 2: out_.Subclass("AcDb2LineAngularDimension"); break;
      case 3: out_.Subclass("AcDbDiametricDimension"); break;
      case 4: out_.Subclass("AcDbRadialDimension"); break;
      case 5: out_.Subclass("AcDb3PointAngularDimension"); break;
      case 6: out_.Subclass("AcDbOrdinateDimension"); break;
      default: break;
    }
  }

  void WriteLeader(const EntityHeader& e) {
    const auto& g = drawing_.Leader(e);
    Head(e, "LEADER", "AcDbLeader");
    out_.String(3, "Standard");
    out_.Int(71, g.arrowhead ? 1 : 0);
    out_.Int(72, 0);  // straight segments
    out_.Int(73, 3);  // no annotation
    out_.Int(74, 0);
    out_.Int(75, 0);
    out_.Real(40, 0.0);
    out_.Real(41, 0.0);
    out_.Int(76, static_cast<long long>(g.vertices.size()));
    for (const auto& p : g.vertices) out_.Point(10, p.x, p.y);
  }

  void WriteHatchSpline(const SplineGeometry& s) {
    const bool rational = !s.weights.empty() && s.weights.size() == s.controlPoints.size();
    out_.Int(94, s.degree);
    out_.Int(73, rational ? 1 : 0);
    out_.Int(74, s.periodic ? 1 : 0);
    out_.Int(95, static_cast<long long>(s.knots.size()));
    out_.Int(96, static_cast<long long>(s.controlPoints.size()));
    for (double knot : s.knots) out_.Real(40, knot);
    for (const auto& p : s.controlPoints) {
      out_.Real(10, p.x);
      out_.Real(20, p.y);
    }
    if (rational) {
      for (double weight : s.weights) out_.Real(42, weight);
    }
  }

  void WriteHatchLoop(const HatchLoop& loop) {
    constexpr std::uint32_t kPolylineLoop = 2;
    if (loop.isPolyline) {
      const bool bulges = std::any_of(loop.polyline.begin(), loop.polyline.end(), [](const auto& v) { return v.bulge != 0.0; });
      out_.Int(92, loop.flags | kPolylineLoop);
      out_.Int(72, bulges ? 1 : 0);
      out_.Int(73, loop.closed ? 1 : 0);
      out_.Int(93, static_cast<long long>(loop.polyline.size()));
      for (const auto& v : loop.polyline) {
        out_.Real(10, v.point.x);
        out_.Real(20, v.point.y);
        if (bulges) out_.Real(42, v.bulge);
      }
    } else {
      out_.Int(92, loop.flags & ~kPolylineLoop);
      out_.Int(93, static_cast<long long>(loop.edges.size()));
      for (const auto& edge : loop.edges) {
        if (const auto* line = std::get_if<HatchLineEdge>(&edge)) {
          out_.Int(72, 1);
          out_.Real(10, line->start.x);
          out_.Real(20, line->start.y);
          out_.Real(11, line->end.x);
          out_.Real(21, line->end.y);
        } else if (const auto* arc = std::get_if<HatchArcEdge>(&edge)) {
          out_.Int(72, 2);
          out_.Real(10, arc->center.x);
          out_.Real(20, arc->center.y);
          out_.Real(40, arc->radius);
          out_.Real(50, arc->startAngle);
          out_.Real(51, arc->endAngle);
          out_.Int(73, arc->counterClockwise ? 1 : 0);
        } else if (const auto* ellipse = std::get_if<HatchEllipseEdge>(&edge)) {
          out_.Int(72, 3);
          out_.Real(10, ellipse->center.x);
          out_.Real(20, ellipse->center.y);
          out_.Real(11, ellipse->majorAxis.x);
          out_.Real(21, ellipse->majorAxis.y);
          out_.Real(40, ellipse->ratio);
          out_.Real(50, ellipse->startAngle);
          out_.Real(51, ellipse->endAngle);
          out_.Int(73, ellipse->counterClockwise ? 1 : 0);
        } else if (const auto* spline = std::get_if<SplineGeometry>(&edge)) {
          out_.Int(72, 4);
          WriteHatchSpline(*spline);
        }
      }
    }
    out_.Int(97, 0);  // no source boundary objects
  }

  // A pattern keeps its name; its lines are not held in the drawing, so it is written as
  // the boundary with that name.
  void WriteHatch(const EntityHeader& e) {
    const auto& g = drawing_.Hatch(e);
    Head(e, "HATCH", "AcDbHatch");
    out_.Point(10, 0.0, 0.0);
    WriteUpExtrusion();
    out_.String(2, g.pattern.empty() ? (g.solid ? "SOLID" : "_USER") : EncodeDxfText(g.pattern));
    out_.Int(70, g.solid ? 1 : 0);
    out_.Int(71, 0);  // not associative
    out_.Int(91, static_cast<long long>(g.loops.size()));
    for (const auto& loop : g.loops) WriteHatchLoop(loop);
    out_.Int(75, 1);  // odd parity
    out_.Int(76, 1);  // predefined pattern
    if (!g.solid) {
      out_.Real(52, 0.0);
      out_.Real(41, 1.0);
      out_.Int(77, 0);
      out_.Int(78, 0);
    }
    out_.Int(98, 0);
  }

  void WriteSolid(const EntityHeader& e) {
    const auto& g = drawing_.Solid(e);
    const bool face = g.kind == SolidKind::Face3d;
    Head(e, DxfTypeName(drawing_, e), face ? "AcDbFace" : "AcDbTrace");
    for (int i = 0; i < 4; ++i) out_.Point(10 + i, g.corners[i].x, g.corners[i].y);
    if (face) out_.Int(70, g.invisibleEdges & 0x0F);
  }

  void WritePoint(const EntityHeader& e) {
    const auto& g = drawing_.Point(e);
    Head(e, "POINT", "AcDbPoint");
    out_.Point(10, g.position.x, g.position.y);
  }

  void WriteRay(const EntityHeader& e) {
    const auto& g = drawing_.Ray(e);
    const double length = std::hypot(g.direction.x, g.direction.y);
    Head(e, DxfTypeName(drawing_, e), g.infinite ? "AcDbXline" : "AcDbRay");
    out_.Point(10, g.base.x, g.base.y);
    out_.Point(11, g.direction.x / length, g.direction.y / length);
  }

  // A wipeout is an image of one pixel stretched over its frame's box, clipped by the frame
  // in pixel coordinates (origin at the top left, closed).
  void WriteWipeout(const EntityHeader& e) {
    const auto& g = drawing_.Wipeout(e);
    const Extents box = *FrameBox(g);
    const double width = box.max.x - box.min.x;
    const double height = box.max.y - box.min.y;
    Head(e, "WIPEOUT", "AcDbWipeout");
    out_.Int(90, 0);
    out_.Point(10, box.min.x, box.min.y);
    out_.Point(11, width, 0.0);
    out_.Point(12, 0.0, height);
    out_.Real(13, 1.0);
    out_.Real(23, 1.0);
    out_.Hex(340, 0);
    out_.Int(70, 7);
    out_.Int(280, 1);
    out_.Int(281, 50);
    out_.Int(282, 50);
    out_.Int(283, 0);
    out_.Hex(360, 0);
    out_.Int(71, 2);  // a polygon
    const bool closed = g.frame.front() == g.frame.back();
    out_.Int(91, static_cast<long long>(g.frame.size() + (closed ? 0 : 1)));
    const auto pixel = [&](const Point2d& p) {
      out_.Real(14, (p.x - box.min.x) / width - 0.5);
      out_.Real(24, 0.5 - (p.y - box.min.y) / height);
    };
    for (const auto& p : g.frame) pixel(p);
    if (!closed) pixel(g.frame.front());
  }

public:
  // Dimension styles other than Standard that dimensions name, as written.
  static std::string DimStyleName(const std::string& style) {
    return style.empty() ? std::string("Standard") : EncodeDxfText(style);
  }

private:
  GroupWriter& out_;
  const Drawing& drawing_;
  const std::vector<std::string>& layerNames_;
  const std::vector<std::string>& blockNames_;
  std::vector<std::uint32_t> cycleParts_;  // see BlockCycleParts
  std::uint32_t owner_ = 0;                 // the owner handle written with each record, 0 none
  std::vector<std::string> layerParts_;  // "100 AcDbEntity 8 <layer> 62" with their line ends
  std::string encodedValue_;             // room for texts that are not plain ASCII
  std::string encodedStyle_;
  std::string encodedTag_;
};

class DxfDocumentWriter {
public:
  DxfDocumentWriter(const Drawing& drawing, const DxfBlockSink& sink)
      : drawing_(drawing),
        sink_(sink),
        out_(BlockBytesFor(drawing)),
        layerNames_(EncodedLayerNames(drawing)),
        blockNames_(EncodedBlockNames(drawing)),
        records_(out_, drawing, layerNames_, blockNames_) {}

  void Write() {
    // $HANDSEED goes in the header but depends on the handles the tables take: write the
    // tables aside first, then the header, then the tables and entities in file order.
    std::string tables;
    const DxfBlockSink toTables = [&tables](std::string_view block) { tables.append(block); };
    out_.SendTo(&toTables);
    WriteTables();
    WriteBlocks();
    std::uint32_t handleSeed = out_.NextHandle();
    WalkEntities(
        drawing_.Entities(), drawing_,
        [&](const EntityHeader& e, std::span<const EntityHeader> attributes) {
          if (!Holds(drawing_, e, std::nullopt, {})) return false;
          handleSeed += EntityRecords::HandlesOf(attributes);
          return true;
        },
        [](const EntityHeader&) {});

    out_.SendTo(&sink_);
    WriteHeader(handleSeed);
    out_.Flush();
    sink_(tables);
    WriteEntities();
    WriteObjects();
    out_.String(0, "EOF");
    out_.Flush();
    if (out_.NextHandle() != handleSeed) throw std::logic_error("DXF handle count out of step");
  }

private:
  void WriteHeader(std::uint32_t handleSeed) {
    out_.Section("HEADER");
    out_.String(9, "$ACADVER");
    out_.String(1, "AC1015");
    out_.String(9, "$DWGCODEPAGE");
    out_.String(3, "ANSI_1252");
    out_.String(9, "$INSUNITS");
    out_.Int(70, kInsunitsCentimetres);
    const Extents box = drawing_.ComputeExtents().value_or(Extents{});
    out_.String(9, "$EXTMIN");
    out_.Point(10, box.min.x, box.min.y);
    out_.String(9, "$EXTMAX");
    out_.Point(10, box.max.x, box.max.y);
    out_.String(9, "$HANDSEED");
    out_.Hex(5, handleSeed);
    out_.EndSection();
    out_.Section("CLASSES");
    if (HoldsWipeouts()) {
      // WIPEOUT is not one of the types every DXF reader knows: a class names it.
      out_.String(0, "CLASS");
      out_.String(1, "WIPEOUT");
      out_.String(2, "AcDbWipeout");
      out_.String(3, "WipeOut");
      out_.Int(90, 127);
      out_.Int(280, 0);
      out_.Int(281, 1);
    }
    out_.EndSection();
  }

  void WriteTables() {
    out_.Section("TABLES");
    WriteViewports();
    WriteLinetypes();
    WriteLayers();
    WriteStyles();
    out_.Table("VIEW", kViewTableHandle, 0);
    out_.EndTable();
    out_.Table("UCS", kUcsTableHandle, 0);
    out_.EndTable();
    out_.Table("APPID", kAppidTableHandle, 1);
    out_.TableRecord("APPID", kAcadAppidHandle, "AcDbRegAppTableRecord");
    out_.String(2, "ACAD");
    out_.Int(70, 0);
    out_.EndTable();
    WriteDimStyles();
    WriteBlockRecords();
    out_.EndSection();
  }

  // The active viewport of an A4 sheet (297 x 210 mm) at its centre.
  void WriteViewports() {
    out_.Table("VPORT", kViewportTableHandle, 1);
    out_.TableRecord("VPORT", 0, "AcDbViewportTableRecord");
    out_.String(2, "*Active");
    out_.Int(70, 0);
    static constexpr std::pair<int, std::string_view> kGroups[] = {
        {10, "0"},  {20, "0"},   {11, "1"},   {21, "1"},   {12, "286.3055555555555"}, {22, "148.5"},
        {13, "0"},  {23, "0"},   {14, "10"},  {24, "10"},  {15, "10"},  {25, "10"},  {16, "0"},  {26, "0"},
        {36, "1"},  {17, "0"},   {27, "0"},   {37, "0"},   {40, "297"}, {41, "1.92798353909465"},
        {42, "50"}, {43, "0"},   {44, "0"},   {50, "0"},   {51, "0"},   {71, "0"},   {72, "100"}, {73, "1"},
        {74, "3"},  {75, "1"},   {76, "1"},   {77, "0"},   {78, "0"},   {281, "0"},  {65, "1"},   {110, "0"},
        {120, "0"}, {130, "0"},  {111, "1"},  {121, "0"},  {131, "0"},  {112, "0"},  {122, "1"},  {132, "0"},
        {79, "0"},  {146, "0"}};
    for (const auto& [gc, value] : kGroups) out_.String(gc, value);
    out_.EndTable();
  }

  void WriteLinetypes() {
    static constexpr std::pair<std::string_view, std::string_view> kLinetypes[] = {
        {"BYBLOCK", ""}, {"BYLAYER", ""}, {"CONTINUOUS", "Solid line"}};
    out_.Table("LTYPE", kLinetypeTableHandle, std::size(kLinetypes));
    std::uint32_t handle = kFirstLinetypeHandle;
    for (const auto& [name, description] : kLinetypes) {
      out_.TableRecord("LTYPE", handle++, "AcDbLinetypeTableRecord");
      out_.String(2, name);
      out_.Int(70, 0);
      out_.String(3, description);
      out_.Int(72, 65);  // 'A', the only alignment
      out_.Int(73, 0);   // no dashes
      out_.Real(40, 0.0);
    }
    out_.EndTable();
  }

  // Layer "0", which every DXF file must hold, comes first when the drawing has none; a
  // name that comes twice once encoded (or an empty one, written as "0") is written once.
  void WriteLayers() {
    constexpr std::size_t kNoLayer = std::numeric_limits<std::size_t>::max();
    std::vector<std::pair<std::string, std::size_t>> table;  // name, index in the drawing
    if (std::find(layerNames_.begin(), layerNames_.end(), "0") == layerNames_.end()) table.emplace_back("0", kNoLayer);
    for (std::size_t i = 0; i < layerNames_.size(); ++i) {
      const auto sameName = [&](const auto& row) { return row.first == layerNames_[i]; };
      if (std::none_of(table.begin(), table.end(), sameName)) table.emplace_back(layerNames_[i], i);
    }
    out_.Table("LAYER", kLayerTableHandle, table.size());
    for (const auto& [name, index] : table) {
      const Layer* layer = index < drawing_.Layers().size() ? &drawing_.Layers()[index] : nullptr;
      const bool on = layer == nullptr || layer->on;
      const int color = layer != nullptr && layer->color >= 1 && layer->color <= 255 ? layer->color : kLayerColor;
      out_.TableRecord("LAYER", name == "0" ? kLayerZeroHandle : 0, "AcDbLayerTableRecord");
      out_.String(2, name);
      out_.Int(70, layer != nullptr && layer->frozen ? 1 : 0);
      out_.Int(62, on ? color : -color);  // a negative colour: the layer is off
      if (layer != nullptr && layer->trueColor) out_.Int(420, *layer->trueColor & 0xFFFFFFu);
      out_.String(6, "CONTINUOUS");
      if (EqualsNoCase(name, "defpoints")) out_.Int(290, 0);  // never plotted
      out_.Int(370, kLineweightDefault);
      out_.Hex(390, kPlotStylePlaceholderHandle);
    }
    out_.EndTable();
  }

  // Every style draws with Arial, as a TrueType family named in the ACAD extended data.
  void WriteStyles() {
    const std::vector<std::string> names = StyleNames(drawing_);
    out_.Table("STYLE", kStyleTableHandle, names.size());
    standardStyleHandle_ = out_.NextHandle();  // STANDARD comes first
    for (const auto& name : names) {
      out_.TableRecord("STYLE", 0, "AcDbTextStyleTableRecord");
      out_.String(2, name);
      out_.Int(70, 0);
      out_.Real(40, 0.0);  // no fixed height
      out_.Real(41, 1.0);
      out_.Real(50, 0.0);
      out_.Int(71, 0);
      out_.Real(42, 2.5);  // last height used
      out_.String(3, "");
      out_.String(4, "");
      out_.String(1001, "ACAD");
      out_.String(1000, kArialStyle);
      out_.Int(1071, 0);
    }
    out_.EndTable();
  }

  // The dimension style R2000 needs, Standard, and any other that a dimension names, each
  // with the STANDARD text style and default settings.
  void WriteDimStyles() {
    std::vector<std::string> names = {"Standard"};
    const auto addFrom = [&](const std::vector<EntityHeader>& list) {
      for (const auto& entity : list) {
        if (entity.type != EntityType::Dimension) continue;
        std::string name = EntityRecords::DimStyleName(drawing_.Dimension(entity).style);
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, name); })) {
          names.push_back(std::move(name));
        }
      }
    };
    addFrom(drawing_.Entities());
    for (const auto& block : drawing_.Blocks()) addFrom(block.entities);
    out_.Table("DIMSTYLE", kDimStyleTableHandle, names.size());
    out_.Subclass("AcDbDimStyleTable");
    out_.Int(71, 0);
    for (const auto& name : names) {
      out_.String(0, "DIMSTYLE");
      out_.Hex(105, name == names.front() ? kStandardDimStyleHandle : out_.TakeHandle());
      out_.Subclass("AcDbSymbolTableRecord");
      out_.Subclass("AcDbDimStyleTableRecord");
      out_.String(2, name);
      out_.Int(70, 0);
      out_.Hex(340, standardStyleHandle_);
    }
    out_.EndTable();
  }

  // The two layouts R2000 needs, then the drawing's blocks, each a block record and a block.
  void WriteBlockRecords() {
    out_.Table("BLOCK_RECORD", kBlockRecordTableHandle, 2 + blockNames_.size());
    for (const auto& [handle, name] : {std::pair{kModelSpaceRecordHandle, "*Model_Space"},
                                       std::pair{kPaperSpaceRecordHandle, "*Paper_Space"}}) {
      out_.TableRecord("BLOCK_RECORD", handle, "AcDbBlockTableRecord");
      out_.String(2, name);
    }
    for (const auto& name : blockNames_) {
      blockRecordHandles_.push_back(out_.NextHandle());
      out_.TableRecord("BLOCK_RECORD", 0, "AcDbBlockTableRecord");
      out_.String(2, name);
    }
    out_.EndTable();
  }

  void WriteBlocks() {
    out_.Section("BLOCKS");
    for (const auto& [handle, name] : {std::pair{kModelSpaceBlockHandle, "*Model_Space"},
                                       std::pair{kPaperSpaceBlockHandle, "*Paper_Space"}}) {
      const bool paper = handle == kPaperSpaceBlockHandle;
      out_.String(0, "BLOCK");
      out_.Hex(5, handle);
      out_.Subclass("AcDbEntity");
      if (paper) out_.Int(67, 1);
      out_.String(8, "0");
      out_.Subclass("AcDbBlockBegin");
      out_.String(2, name);
      out_.Int(70, 0);
      out_.Point(10, 0.0, 0.0);
      out_.String(3, name);
      out_.String(1, "");
      out_.String(0, "ENDBLK");
      out_.Hex(5, handle + 1);
      out_.Subclass("AcDbEntity");
      if (paper) out_.Int(67, 1);
      out_.String(8, "0");
      out_.Subclass("AcDbBlockEnd");
    }
    for (std::size_t i = 0; i < blockNames_.size(); ++i) {
      const Block& block = drawing_.Blocks()[i];
      const std::string_view layer = block.layer < layerNames_.size() ? std::string_view(layerNames_[block.layer]) : "0";
      const std::uint32_t record = blockRecordHandles_[i];
      out_.String(0, "BLOCK");
      out_.Handle();
      out_.Hex(330, record);
      out_.Subclass("AcDbEntity");
      out_.String(8, layer);
      out_.Subclass("AcDbBlockBegin");
      out_.String(2, blockNames_[i]);
      out_.Int(70, blockNames_[i].front() == '*' ? 1 : 0);  // anonymous
      out_.Point(10, block.base.x, block.base.y);
      out_.String(3, blockNames_[i]);
      out_.String(1, "");
      records_.WriteList(block.entities, static_cast<BlockIndex>(i), record);
      out_.String(0, "ENDBLK");
      out_.Handle();
      out_.Hex(330, record);
      out_.Subclass("AcDbEntity");
      out_.String(8, layer);
      out_.Subclass("AcDbBlockEnd");
    }
    out_.EndSection();
  }

  void WriteEntities() {
    out_.Section("ENTITIES");
    records_.WriteList(drawing_.Entities(), std::nullopt, 0);
    out_.EndSection();
  }

  bool HoldsWipeouts() const {
    const auto holds = [&](const std::vector<EntityHeader>& list) {
      return std::any_of(list.begin(), list.end(), [&](const EntityHeader& e) {
        return e.type == EntityType::Wipeout && records_.Writable(e);
      });
    };
    return holds(drawing_.Entities()) ||
           std::any_of(drawing_.Blocks().begin(), drawing_.Blocks().end(), [&](const Block& b) { return holds(b.entities); });
  }

  // The root dictionary with the group dictionary that R2000 requires, and the plot style
  // dictionary that the layers' plot style pointers lead to.
  void WriteObjects() {
    out_.Section("OBJECTS");
    WriteDictionaryHead("DICTIONARY", kRootDictionaryHandle, 0);
    out_.String(3, "ACAD_GROUP");
    out_.Hex(350, kGroupDictionaryHandle);
    out_.String(3, "ACAD_PLOTSTYLENAME");
    out_.Hex(350, kPlotStyleDictionaryHandle);
    WriteDictionaryHead("DICTIONARY", kGroupDictionaryHandle, kRootDictionaryHandle);
    WriteDictionaryHead("ACDBDICTIONARYWDFLT", kPlotStyleDictionaryHandle, kRootDictionaryHandle);
    out_.String(3, "Normal");
    out_.Hex(350, kPlotStylePlaceholderHandle);
    out_.Subclass("AcDbDictionaryWithDefault");
    out_.Hex(340, kPlotStylePlaceholderHandle);
    out_.String(0, "ACDBPLACEHOLDER");
    out_.Hex(5, kPlotStylePlaceholderHandle);
    out_.Hex(330, kPlotStyleDictionaryHandle);
    out_.EndSection();
  }

  void WriteDictionaryHead(std::string_view type, std::uint32_t handle, std::uint32_t owner) {
    out_.String(0, type);
    out_.Hex(5, handle);
    out_.Hex(330, owner);
    out_.Subclass("AcDbDictionary");
    out_.Int(281, 1);
  }

  const Drawing& drawing_;
  const DxfBlockSink& sink_;
  GroupWriter out_;
  std::vector<std::string> layerNames_;  // as they are written
  std::vector<std::string> blockNames_;
  EntityRecords records_;
  std::vector<std::uint32_t> blockRecordHandles_;  // of the drawing's blocks, in order
  std::uint32_t standardStyleHandle_ = 0;
};

// Plain decimals as CAD programs write them (300000, not 3e+05), unless that takes
// more than a few digits beyond what the value holds (1e-30, 1e+300).
template <class T>
char* PutShortest(char* out, T value) {
  constexpr std::ptrdiff_t kLongestFixed = 24;
  const auto fixed = std::to_chars(out, out + kLongestFixed, value, std::chars_format::fixed);
  if (fixed.ec == std::errc()) return fixed.ptr;
  return std::to_chars(out, out + kRealRoom, value).ptr;
}

// The digits of a whole number, two at a time: written here, where it is inlined, since
// std::to_chars was called out of line for nearly every value of a file.
inline char* PutWhole(char* out, unsigned long long value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  std::size_t length = 1;
  for (unsigned long long rest = value; rest >= 10; rest /= 10) ++length;
  char* end = out + length;
  char* p = end;
  while (value >= 100) {
    p -= 2;
    p[0] = kPairs[2 * (value % 100)];
    p[1] = kPairs[2 * (value % 100) + 1];
    value /= 100;
  }
  if (value >= 10) {
    p[-2] = kPairs[2 * value];
    p[-1] = kPairs[2 * value + 1];
  } else {
    p[-1] = static_cast<char>('0' + value);
  }
  return end;
}

// Values in hundredths below 65536 (sizes and positions to the tenth of a millimetre, the
// usual non-whole values of a drawing) without the general shortest-digits search: there
// floats lie less than 0.01 apart, so when the hundredths nearest the float read back as it,
// no other number of two decimals or fewer does and one of more decimals is longer, which
// makes them, less a trailing zero, exactly what to_chars would print. Null otherwise.
char* PutHundredths(char* out, float value) {
  constexpr double kLimit = 65536.0 * 100.0;
  const double scaled = static_cast<double>(value) * 100.0;  // exact: 24 bits times 7
  if (!(std::fabs(scaled) < kLimit)) return nullptr;
  const auto hundredths = static_cast<long long>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
  if (static_cast<float>(static_cast<double>(hundredths) / 100.0) != value) return nullptr;
  const unsigned long long magnitude = hundredths < 0 ? 0ULL - static_cast<unsigned long long>(hundredths)
                                                      : static_cast<unsigned long long>(hundredths);
  if (hundredths < 0) *out++ = '-';
  out = PutWhole(out, magnitude / 100);
  const auto fraction = static_cast<unsigned>(magnitude % 100);  // not 0: whole values come earlier
  *out++ = '.';
  *out++ = static_cast<char>('0' + fraction / 10);
  if (fraction % 10 != 0) *out++ = static_cast<char>('0' + fraction % 10);
  return out;
}

char* PutDxfReal(char* out, double value) {
  if (value == 0.0) {  // no "-0"
    *out = '0';
    return out + 1;
  }
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    // whole numbers, the most common values, take the quick way
    if (value < 0) *out++ = '-';
    return PutWhole(out, static_cast<unsigned long long>(std::fabs(value)));
  }
  const bool exactFloat = std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max() &&
                          static_cast<double>(static_cast<float>(value)) == value;
  if (!exactFloat) return PutShortest(out, value);
  char* end = PutHundredths(out, static_cast<float>(value));
  return end != nullptr ? end : PutShortest(out, static_cast<float>(value));
}

}  // namespace

std::string_view DxfTypeName(const Drawing& drawing, const EntityHeader& e) {
  if (e.type == EntityType::Solid) {
    switch (drawing.Solid(e).kind) {
      case SolidKind::Solid: return "SOLID";
      case SolidKind::Trace: return "TRACE";
      case SolidKind::Face3d: return "3DFACE";
    }
  }
  if (e.type == EntityType::Ray) return drawing.Ray(e).infinite ? "XLINE" : "RAY";
  if (e.type == EntityType::Polyline) return "LWPOLYLINE";
  return EntityTypeName(e.type);
}

std::string FormatDxfReal(double value) {
  char digits[kRealRoom];
  return std::string(digits, PutDxfReal(digits, value));
}

void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink) {
  DxfDocumentWriter(drawing, sink).Write();
}

std::map<std::string, std::size_t> EntitiesLeftOut(const Drawing& drawing) {
  std::map<std::string, std::size_t> left;
  const std::vector<std::uint32_t> cycleParts = BlockCycleParts(drawing);
  const auto count = [&](const std::vector<EntityHeader>& list, std::optional<BlockIndex> owner) {
    WalkEntities(
        list, drawing,
        [&](const EntityHeader& e, std::span<const EntityHeader>) { return Holds(drawing, e, owner, cycleParts); },
        [&](const EntityHeader& e) { ++left[std::string(DxfTypeName(drawing, e))]; });
  };
  count(drawing.Entities(), std::nullopt);
  for (std::size_t b = 0; b < drawing.Blocks().size(); ++b) count(drawing.Blocks()[b].entities, static_cast<BlockIndex>(b));
  return left;
}

}  // namespace tessaro
