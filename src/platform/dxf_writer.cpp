// Writes a drawing as ASCII DXF R2000: header, tables, blocks, entities and objects, with
// handles and subclass markers; numbers in their shortest round-trip text.
#include "platform/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <vector>

#include "platform/dxf_text.h"
#include "platform/errors.h"

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
    char digits[24];
    Put(gc, std::string_view(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
  }
  void Real(int gc, double value) {
    RequireFinite(gc, value);
    char digits[kRealRoom];
    Put(gc, std::string_view(digits, static_cast<std::size_t>(PutDxfReal(digits, value) - digits)));
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
  void Put(int gc, std::string_view value) {
    constexpr std::size_t kCodeRoom = 16;  // padding, the digits of a group code, two line ends
    char* p = Room(kCodeRoom + value.size());
    char digits[8];
    const char* digitsEnd = std::to_chars(digits, digits + sizeof digits, gc).ptr;
    for (auto width = digitsEnd - digits; width < 3; ++width) *p++ = ' ';
    p = std::copy(static_cast<const char*>(digits), digitsEnd, p);
    *p++ = '\n';
    p = PutText(p, value);
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

// Text styles: STANDARD and Arial always, then any other style a text names.
std::vector<std::string> StyleNames(const Drawing& drawing) {
  std::vector<std::string> names = {std::string(kStandardStyle), std::string(kArialStyle)};
  const auto sameName = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return (x | 0x20) == (y | 0x20); });
  };
  const std::string* previous = nullptr;  // texts mostly share their style: skip repeats
  for (const auto& entity : drawing.Entities()) {
    if (entity.type != EntityType::Text) continue;
    const std::string& raw = drawing.Text(entity).style;
    if (previous != nullptr && *previous == raw) continue;
    previous = &raw;
    const std::string style = EncodeDxfText(raw);
    if (style.empty()) continue;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, style); })) {
      names.push_back(style);
    }
  }
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

// The LINE, CIRCLE, ARC and TEXT records (layer, colour, lineweight BYLAYER, linetype
// scale 1, linetype BYLAYER, no elevation, no angle), straight into the block: they are
// nearly all of a piece drawing, and a call and a string per value made the text of a
// drawing several times slower than writing it.
class EntityRecords {
public:
  explicit EntityRecords(const std::vector<std::string>& layerNames) {
    layerParts_.reserve(layerNames.size());
    for (const auto& name : layerNames) layerParts_.push_back("100\nAcDbEntity\n  8\n" + name + "\n 62\n");
  }

  void Write(GroupWriter& writer, const Drawing& drawing, const EntityHeader& entity) const {
    switch (entity.type) {
      case EntityType::Line: {
        const auto& g = drawing.Line(entity);
        Finite({g.start.x, g.start.y, g.end.x, g.end.y}, {10, 20, 11, 21});
        char* p = Head(writer, entity, "  0\nLINE\n  5\n", "100\nAcDbLine\n", 0);
        p = Real(p, " 10\n", g.start.x);
        p = Real(p, " 20\n", g.start.y);
        p = PutText(p, " 30\n0\n");
        p = Real(p, " 11\n", g.end.x);
        p = Real(p, " 21\n", g.end.y);
        writer.Advance(PutText(p, " 31\n0\n"));
        break;
      }
      case EntityType::Circle: {
        const auto& g = drawing.Circle(entity);
        Finite({g.center.x, g.center.y, g.radius}, {10, 20, 40});
        char* p = Head(writer, entity, "  0\nCIRCLE\n  5\n", "100\nAcDbCircle\n", 0);
        writer.Advance(Round(p, g.center, g.radius));
        break;
      }
      case EntityType::Arc: {
        const auto& g = drawing.Arc(entity);
        Finite({g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle}, {10, 20, 40, 50, 51});
        char* p = Head(writer, entity, "  0\nARC\n  5\n", "100\nAcDbCircle\n", 0);
        p = PutText(Round(p, g.center, g.radius), "100\nAcDbArc\n");
        p = Real(p, " 50\n", g.startAngle);
        writer.Advance(Real(p, " 51\n", g.endAngle));
        break;
      }
      case EntityType::Text: WriteText(writer, drawing.Text(entity), entity); break;
    }
  }

private:
  static constexpr std::size_t kFixedRoom = 512;  // every record's fixed text, with room to spare
  static constexpr std::size_t kRealsRoom = 6 * kRealRoom;

  // The check GroupWriter::Real makes, in the order the values are written.
  static void Finite(std::initializer_list<double> values, std::initializer_list<int> codes) {
    const int* gc = codes.begin();
    for (double value : values) RequireFinite(*gc++, value);
  }

  // Entity type and handle, attributes and the first subclass marker; `extra` is the room
  // the record's texts take beyond its fixed text and numbers.
  char* Head(GroupWriter& writer, const EntityHeader& entity, std::string_view type,
             std::string_view subclass, std::size_t extra) const {
    const std::string& layer = layerParts_[entity.layer];
    char* p = writer.Room(kFixedRoom + kRealsRoom + layer.size() + extra);
    p = PutText(p, type);
    p = PutHex(p, writer.TakeHandle());
    *p++ = '\n';
    p = PutText(p, layer);
    p = std::to_chars(p, p + 8, static_cast<int>(entity.color)).ptr;
    p = PutText(p, "\n370\n-1\n 48\n1\n  6\nBYLAYER\n");
    return PutText(p, subclass);
  }

  static char* Real(char* p, std::string_view code, double value) {
    p = PutDxfReal(PutText(p, code), value);
    *p++ = '\n';
    return p;
  }

  // The centre and radius that circles and arcs share.
  static char* Round(char* p, const Point2d& center, double radius) {
    p = Real(p, " 10\n", center.x);
    p = Real(p, " 20\n", center.y);
    p = PutText(p, " 30\n0\n");
    return Real(p, " 40\n", radius);
  }

  // Left-aligned on the baseline: no justification, so the second point is unused (0, 0).
  void WriteText(GroupWriter& writer, const TextGeometry& g, const EntityHeader& entity) const {
    Finite({g.position.x, g.position.y, g.height}, {10, 20, 40});
    const std::string_view value = DxfTextOf(g.value, encodedValue_);
    const std::string_view style = g.style.empty() ? kArialStyle : DxfTextOf(g.style, encodedStyle_);
    char* p = Head(writer, entity, "  0\nTEXT\n  5\n", "100\nAcDbText\n", value.size() + style.size());
    p = Real(p, " 10\n", g.position.x);
    p = Real(p, " 20\n", g.position.y);
    p = PutText(p, " 30\n0\n");
    p = Real(p, " 40\n", g.height);
    p = PutText(PutText(p, "  1\n"), value);
    p = PutText(PutText(p, "\n 50\n0\n 41\n1\n  7\n"), style);
    writer.Advance(PutText(p, "\n 71\n0\n 72\n0\n 11\n0\n 21\n0\n 31\n0\n100\nAcDbText\n 73\n0\n"));
  }

  std::vector<std::string> layerParts_;  // "100 AcDbEntity 8 <layer> 62" with their line ends
  mutable std::string encodedValue_;      // room for texts that are not plain ASCII
  mutable std::string encodedStyle_;
};

class DxfDocumentWriter {
public:
  DxfDocumentWriter(const Drawing& drawing, const DxfBlockSink& sink)
      : drawing_(drawing), sink_(sink), out_(BlockBytesFor(drawing)), layerNames_(EncodedLayerNames(drawing)) {}

  void Write() {
    // $HANDSEED goes in the header but depends on the handles the tables take: write the
    // tables aside first, then the header, then the tables and entities in file order.
    std::string tables;
    const DxfBlockSink toTables = [&tables](std::string_view block) { tables.append(block); };
    out_.SendTo(&toTables);
    WriteTables();
    WriteBlocks();
    const std::uint32_t handleSeed = out_.NextHandle() + static_cast<std::uint32_t>(drawing_.EntityCount());

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
    std::vector<std::pair<std::string, bool>> table;
    if (std::find(layerNames_.begin(), layerNames_.end(), "0") == layerNames_.end()) table.emplace_back("0", true);
    for (std::size_t i = 0; i < layerNames_.size(); ++i) {
      const auto sameName = [&](const auto& row) { return row.first == layerNames_[i]; };
      if (std::none_of(table.begin(), table.end(), sameName)) table.emplace_back(layerNames_[i], drawing_.Layers()[i].on);
    }
    out_.Table("LAYER", kLayerTableHandle, table.size());
    for (const auto& [name, on] : table) {
      out_.TableRecord("LAYER", name == "0" ? kLayerZeroHandle : 0, "AcDbLayerTableRecord");
      out_.String(2, name);
      out_.Int(70, 0);
      out_.Int(62, on ? kLayerColor : -kLayerColor);  // a negative colour: the layer is off
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

  // The one dimension style R2000 needs, with the STANDARD text style.
  void WriteDimStyles() {
    out_.Table("DIMSTYLE", kDimStyleTableHandle, 1);
    out_.Subclass("AcDbDimStyleTable");
    out_.Int(71, 0);
    out_.String(0, "DIMSTYLE");
    out_.Hex(105, kStandardDimStyleHandle);
    out_.Subclass("AcDbSymbolTableRecord");
    out_.Subclass("AcDbDimStyleTableRecord");
    out_.String(2, "Standard");
    out_.Int(70, 0);
    out_.Hex(340, standardStyleHandle_);
    out_.EndTable();
  }

  // The two layouts R2000 needs, each a block record and an empty block.
  void WriteBlockRecords() {
    out_.Table("BLOCK_RECORD", kBlockRecordTableHandle, 2);
    for (const auto& [handle, name] : {std::pair{kModelSpaceRecordHandle, "*Model_Space"},
                                       std::pair{kPaperSpaceRecordHandle, "*Paper_Space"}}) {
      out_.TableRecord("BLOCK_RECORD", handle, "AcDbBlockTableRecord");
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
    out_.EndSection();
  }

  void WriteEntities() {
    out_.Section("ENTITIES");
    const EntityRecords records(layerNames_);
    for (const auto& entity : drawing_.Entities()) records.Write(out_, drawing_, entity);
    out_.EndSection();
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
  std::vector<std::string> layerNames_;  // as EntityRecords writes them
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
  out = std::to_chars(out, out + 24, magnitude / 100).ptr;
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
    return std::to_chars(out, out + kRealRoom, static_cast<long long>(value)).ptr;
  }
  const bool exactFloat = std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max() &&
                          static_cast<double>(static_cast<float>(value)) == value;
  if (!exactFloat) return PutShortest(out, value);
  char* end = PutHundredths(out, static_cast<float>(value));
  return end != nullptr ? end : PutShortest(out, static_cast<float>(value));
}

}  // namespace

std::string FormatDxfReal(double value) {
  char digits[kRealRoom];
  return std::string(digits, PutDxfReal(digits, value));
}

void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink) {
  DxfDocumentWriter(drawing, sink).Write();
}

}  // namespace tessaro
