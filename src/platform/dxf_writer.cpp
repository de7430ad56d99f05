// Writes a drawing as ASCII DXF R2000: the header, tables and objects through dxflib's
// writers and our own buffering DL_WriterA, the entity records, nearly all of the file,
// with our own code that gives the same bytes; numbers in their shortest round-trip text.
#include "platform/dxf_writer.h"

#include <dl_dxf.h>

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

// Handles that dxflib gives its fixed records, and those of our OBJECTS section.
constexpr int kBlockRecordTableHandle = 0x1;
constexpr int kDimStyleTableHandle = 0xA;
constexpr int kStandardDimStyleHandle = 0x27;
constexpr int kPaperSpaceRecordHandle = 0x1B;
constexpr int kModelSpaceRecordHandle = 0x1F;
constexpr int kRootDictionaryHandle = 0xC;
constexpr int kGroupDictionaryHandle = 0xD;
constexpr int kPlotStyleDictionaryHandle = 0xE;
constexpr int kPlotStylePlaceholderHandle = 0xF;  // the "390 F" that dxflib writes for every layer

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

// An upper-case hexadecimal handle, as dxflib's handle() passes it (an int) to dxfHex.
char* PutHex(char* out, unsigned long handle) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto value = static_cast<std::uint32_t>(static_cast<int>(handle));
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

// dxflib's write functions take a DL_WriterA, whose constructor opens a file by name. We
// give it no name, so that file stays closed, and route every value into our block, which
// goes to the sink whenever it is full: the stock writer flushes after each value and
// prints 16 decimals, which is twenty times slower and writes 12.7 as 12.6999999999999993.
// The entity records, nearly all of the file, bypass the value-by-value calls: they are
// written straight into the block through Room and Advance.
class BufferedDxfWriter final : public DL_WriterA {
public:
  explicit BufferedDxfWriter(std::size_t blockBytes) : DL_WriterA("", DL_VERSION_2000), block_(blockBytes) {}

  // Hands on what is buffered, then sends the text that follows to `sink`.
  void SendTo(const DxfBlockSink* sink) {
    Flush();
    sink_ = sink;
  }
  void Flush() const {
    if (used_ > 0) (*sink_)(std::string_view(block_.data(), used_));
    used_ = 0;
  }

  // Where the next `bytes` bytes at most go; Advance then tells where they ended.
  char* Room(std::size_t bytes) const {
    if (used_ + bytes > block_.size()) {
      Flush();
      if (bytes > block_.size()) block_.resize(bytes);
    }
    return block_.data() + used_;
  }
  void Advance(const char* end) const { used_ = static_cast<std::size_t>(end - block_.data()); }

  // The handle dxflib's handle() would write next, which it then counts as taken.
  unsigned long TakeHandle() { return m_handle++; }

  void dxfReal(int gc, double value) const override {
    RequireFinite(gc, value);
    char digits[kRealRoom];
    Put(gc, std::string_view(digits, static_cast<std::size_t>(PutDxfReal(digits, value) - digits)));
  }
  void dxfInt(int gc, int value) const override {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Put(gc, std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  void dxfHex(int gc, int value) const override {
    char digits[16];
    Put(gc, std::string_view(digits, static_cast<std::size_t>(PutHex(digits, static_cast<unsigned>(value)) - digits)));
  }
  void dxfString(int gc, const char* value) const override { Put(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Put(gc, value); }

private:
  // A group code right-aligned in three columns, as CAD programs write it, then the value,
  // each on its line.
  void Put(int gc, std::string_view value) const {
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

  mutable std::vector<char> block_;
  mutable std::size_t used_ = 0;
  const DxfBlockSink* sink_ = nullptr;
};

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

// The LINE, CIRCLE, ARC and TEXT records, byte for byte as dxflib's writeLine, writeCircle,
// writeArc and writeText write them with the attributes we give (layer, colour, lineweight
// BYLAYER, linetype scale 1, linetype BYLAYER, no elevation, no angle), but straight into
// the block: through dxflib each record takes some twenty virtual calls and as many
// strings, which made the text of a drawing five times slower than writing it.
class EntityRecords {
public:
  explicit EntityRecords(const std::vector<std::string>& layerNames) {
    layerParts_.reserve(layerNames.size());
    for (const auto& name : layerNames) layerParts_.push_back("100\nAcDbEntity\n  8\n" + name + "\n 62\n");
  }

  void Write(BufferedDxfWriter& writer, const Drawing& drawing, const EntityHeader& entity) const {
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
      default: break;  // the types read from other programs' files are not written yet
    }
  }

private:
  static constexpr std::size_t kFixedRoom = 512;  // every record's fixed text, with room to spare
  static constexpr std::size_t kRealsRoom = 6 * kRealRoom;

  // The same check, in the same order, as dxflib's calls of dxfReal would make.
  static void Finite(std::initializer_list<double> values, std::initializer_list<int> codes) {
    const int* gc = codes.begin();
    for (double value : values) RequireFinite(*gc++, value);
  }

  // Entity type and handle, attributes and the first subclass marker; `extra` is the room
  // the record's texts take beyond its fixed text and numbers.
  char* Head(BufferedDxfWriter& writer, const EntityHeader& entity, std::string_view type,
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
  void WriteText(BufferedDxfWriter& writer, const TextGeometry& g, const EntityHeader& entity) const {
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
      : drawing_(drawing), sink_(sink), writer_(BlockBytesFor(drawing)), layerNames_(EncodedLayerNames(drawing)) {}

  void Write() {
    // $HANDSEED goes in the header but depends on the handles the tables take: write the
    // tables aside first, then the header, then the tables and entities in file order.
    std::string tables;
    const DxfBlockSink toTables = [&tables](std::string_view block) { tables.append(block); };
    writer_.SendTo(&toTables);
    WriteTables();
    WriteBlocks();
    const unsigned long firstEntityHandle = writer_.getNextHandle();
    const unsigned long handleSeed = firstEntityHandle + drawing_.EntityCount();

    writer_.SendTo(&sink_);
    WriteHeader(handleSeed);
    writer_.Flush();
    sink_(tables);
    WriteEntities();
    WriteObjects();
    writer_.dxfEOF();
    writer_.Flush();
    if (writer_.getNextHandle() != handleSeed) throw std::logic_error("DXF handle count out of step");
  }

private:
  void WriteHeader(unsigned long handleSeed) {
    writer_.sectionHeader();
    writer_.dxfString(9, "$ACADVER");
    writer_.dxfString(1, "AC1015");
    writer_.dxfString(9, "$DWGCODEPAGE");
    writer_.dxfString(3, "ANSI_1252");
    writer_.dxfString(9, "$INSUNITS");
    writer_.dxfInt(70, kInsunitsCentimetres);
    const Extents box = drawing_.ComputeExtents().value_or(Extents{});
    writer_.dxfString(9, "$EXTMIN");
    writer_.coord(10, box.min.x, box.min.y);
    writer_.dxfString(9, "$EXTMAX");
    writer_.coord(10, box.max.x, box.max.y);
    writer_.dxfString(9, "$HANDSEED");
    writer_.dxfHex(5, static_cast<int>(handleSeed));
    writer_.sectionEnd();
    writer_.section("CLASSES");
    writer_.sectionEnd();
  }

  void WriteTables() {
    writer_.sectionTables();
    dxf_.writeVPort(writer_);
    WriteLinetypes();
    WriteLayers();
    WriteStyles();
    dxf_.writeView(writer_);
    dxf_.writeUcs(writer_);
    writer_.tableAppid(1);
    dxf_.writeAppid(writer_, "ACAD");
    writer_.tableEnd();
    WriteDimStyles();
    WriteBlockRecords();
    writer_.sectionEnd();
  }

  void WriteLinetypes() {
    static constexpr const char* kNames[] = {"BYBLOCK", "BYLAYER", "CONTINUOUS"};
    writer_.tableLinetypes(3);
    for (const char* name : kNames) {
      dxf_.writeLinetype(writer_, DL_LinetypeData(name, name == kNames[2] ? "Solid line" : "", 0, 0, 0.0));
    }
    writer_.tableEnd();
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
    writer_.tableLayers(static_cast<int>(table.size()));
    for (const auto& [name, on] : table) {
      // dxflib turns the colour negative for a layer that is off.
      const DL_Attributes attributes(std::string(), kLayerColor, -1, kLineweightDefault, "CONTINUOUS");
      dxf_.writeLayer(writer_, DL_LayerData(name, 0, !on), attributes);
    }
    writer_.tableEnd();
  }

  void WriteStyles() {
    const std::vector<std::string> names = StyleNames(drawing_);
    writer_.tableStyle(static_cast<int>(names.size()));
    standardStyleHandle_ = static_cast<int>(writer_.getNextHandle());  // STANDARD comes first
    for (const auto& name : names) {
      // dxflib writes the font as the TrueType family of the ACAD extended data.
      dxf_.writeStyle(writer_, DL_StyleData(name, 0, 0.0, 1.0, 0.0, 0, 2.5, std::string(kArialStyle), ""));
    }
    writer_.tableEnd();
  }

  // The one dimension style R2000 needs. dxflib's own writer points it at the text style
  // named "Standard" and, when there is none by that exact name, at an unset handle.
  void WriteDimStyles() {
    writer_.table("DIMSTYLE", 1, kDimStyleTableHandle);
    writer_.subClass("AcDbDimStyleTable");
    writer_.dxfInt(71, 0);
    writer_.dxfString(0, "DIMSTYLE");
    writer_.dxfHex(105, kStandardDimStyleHandle);
    writer_.subClass("AcDbSymbolTableRecord");
    writer_.subClass("AcDbDimStyleTableRecord");
    writer_.dxfString(2, "Standard");
    writer_.dxfInt(70, 0);
    writer_.dxfHex(340, standardStyleHandle_);
    writer_.tableEnd();
  }

  // The two layouts R2000 needs, each a block record and an empty block.
  void WriteBlockRecords() {
    writer_.table("BLOCK_RECORD", 2, kBlockRecordTableHandle);
    for (const auto& [handle, name] : {std::pair{kModelSpaceRecordHandle, "*Model_Space"},
                                       std::pair{kPaperSpaceRecordHandle, "*Paper_Space"}}) {
      writer_.dxfString(0, "BLOCK_RECORD");
      writer_.dxfHex(5, handle);
      writer_.subClass("AcDbSymbolTableRecord");
      writer_.subClass("AcDbBlockTableRecord");
      writer_.dxfString(2, name);
    }
    writer_.tableEnd();
  }

  void WriteBlocks() {
    writer_.sectionBlocks();
    for (const char* name : {"*Model_Space", "*Paper_Space"}) {
      dxf_.writeBlock(writer_, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
      dxf_.writeEndBlock(writer_, name);
    }
    writer_.sectionEnd();
  }

  void WriteEntities() {
    writer_.sectionEntities();
    const EntityRecords records(layerNames_);
    for (const auto& entity : drawing_.Entities()) records.Write(writer_, drawing_, entity);
    writer_.sectionEnd();
  }

  // The root dictionary with the group dictionary that R2000 requires, and the plot style
  // dictionary that the layers' plot style pointers lead to.
  void WriteObjects() {
    writer_.sectionObjects();
    WriteDictionaryHead("DICTIONARY", kRootDictionaryHandle, 0);
    writer_.dxfString(3, "ACAD_GROUP");
    writer_.dxfHex(350, kGroupDictionaryHandle);
    writer_.dxfString(3, "ACAD_PLOTSTYLENAME");
    writer_.dxfHex(350, kPlotStyleDictionaryHandle);
    WriteDictionaryHead("DICTIONARY", kGroupDictionaryHandle, kRootDictionaryHandle);
    WriteDictionaryHead("ACDBDICTIONARYWDFLT", kPlotStyleDictionaryHandle, kRootDictionaryHandle);
    writer_.dxfString(3, "Normal");
    writer_.dxfHex(350, kPlotStylePlaceholderHandle);
    writer_.subClass("AcDbDictionaryWithDefault");
    writer_.dxfHex(340, kPlotStylePlaceholderHandle);
    writer_.dxfString(0, "ACDBPLACEHOLDER");
    writer_.dxfHex(5, kPlotStylePlaceholderHandle);
    writer_.dxfHex(330, kPlotStyleDictionaryHandle);
    writer_.sectionEnd();
  }

  void WriteDictionaryHead(const char* type, int handle, int owner) {
    writer_.dxfString(0, type);
    writer_.dxfHex(5, handle);
    writer_.dxfHex(330, owner);
    writer_.subClass("AcDbDictionary");
    writer_.dxfInt(281, 1);
  }

  const Drawing& drawing_;
  const DxfBlockSink& sink_;
  BufferedDxfWriter writer_;
  DL_Dxf dxf_;
  std::vector<std::string> layerNames_;  // as EntityRecords writes them
  int standardStyleHandle_ = 0;
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
