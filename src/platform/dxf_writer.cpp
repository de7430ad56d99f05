// Writes a drawing as ASCII DXF R2000 with dxflib's table and entity writers, through our
// own DL_WriterA that buffers and prints the shortest round-trip numbers.
#include "platform/dxf_writer.h"

#include <dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
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
constexpr int kLineweightByLayer = -1;     // group 370 of an entity
constexpr int kLineweightDefault = -3;     // group 370 of a layer
constexpr int kInsunitsCentimetres = 5;
constexpr std::string_view kStandardStyle = "STANDARD";
constexpr std::string_view kArialStyle = "Arial";

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// dxflib's write functions take a DL_WriterA, whose constructor opens a file by name. We
// give it no name, so that file stays closed, and route every value into our block, which
// goes to the sink whenever it is full: the stock writer flushes after each value and
// prints 16 decimals, which is twenty times slower and writes 12.7 as 12.6999999999999993.
class BufferedDxfWriter final : public DL_WriterA {
public:
  BufferedDxfWriter() : DL_WriterA("", DL_VERSION_2000), block_(kBlockBytes) {}

  // Hands on what is buffered, then sends the text that follows to `sink`.
  void SendTo(const DxfBlockSink* sink) {
    Flush();
    sink_ = sink;
  }
  void Flush() const {
    if (used_ > 0) (*sink_)(std::string_view(block_.data(), used_));
    used_ = 0;
  }

  // "nan" or "inf" in a file would make CAD programs refuse it: fail the write instead.
  void dxfReal(int gc, double value) const override {
    if (!std::isfinite(value)) {
      Raise(ErrorKind::InvalidFloat, "the DXF value of group code " + std::to_string(gc) + " is not a finite number");
    }
    Put(gc, FormatDxfReal(value));
  }
  void dxfInt(int gc, int value) const override {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Put(gc, std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  void dxfHex(int gc, int value) const override {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(value), 16).ptr;
    std::transform(digits, end, digits, [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
    Put(gc, std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }
  void dxfString(int gc, const char* value) const override { Put(gc, value); }
  void dxfString(int gc, const std::string& value) const override { Put(gc, value); }

private:
  // A group code right-aligned in three columns, as CAD programs write it, then the value,
  // each on its line. This runs for every value: it writes straight into the block.
  void Put(int gc, std::string_view value) const {
    constexpr std::size_t kCodeRoom = 16;  // padding, the digits of a group code, two line ends
    if (used_ + kCodeRoom + value.size() > block_.size()) {
      Flush();
      if (kCodeRoom + value.size() > block_.size()) block_.resize(kCodeRoom + value.size());
    }
    char* p = block_.data() + used_;
    char digits[8];
    const char* digitsEnd = std::to_chars(digits, digits + sizeof digits, gc).ptr;
    for (auto width = digitsEnd - digits; width < 3; ++width) *p++ = ' ';
    p = std::copy(static_cast<const char*>(digits), digitsEnd, p);
    *p++ = '\n';
    if (!value.empty()) std::memcpy(p, value.data(), value.size());
    p += value.size();
    *p++ = '\n';
    used_ = static_cast<std::size_t>(p - block_.data());
  }

  mutable std::vector<char> block_;
  mutable std::size_t used_ = 0;
  const DxfBlockSink* sink_ = nullptr;
};

DL_Attributes EntityAttributes(const std::string& layerName, int color) {
  return DL_Attributes(layerName, color, kLineweightByLayer, "BYLAYER", 1.0);
}

// Text styles: STANDARD and Arial always, then any other style a text names.
std::vector<std::string> StyleNames(const Drawing& drawing) {
  std::vector<std::string> names = {std::string(kStandardStyle), std::string(kArialStyle)};
  const auto sameName = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return (x | 0x20) == (y | 0x20); });
  };
  for (const auto& entity : drawing.Entities()) {
    if (entity.type != EntityType::Text) continue;
    const std::string style = EncodeDxfText(drawing.Text(entity).style);
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

class DxfDocumentWriter {
public:
  DxfDocumentWriter(const Drawing& drawing, const DxfBlockSink& sink)
      : drawing_(drawing), sink_(sink), layerNames_(EncodedLayerNames(drawing)) {}

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
    for (const auto& entity : drawing_.Entities()) WriteEntity(entity);
    writer_.sectionEnd();
  }

  void WriteEntity(const EntityHeader& entity) {
    const DL_Attributes attributes = EntityAttributes(layerNames_[entity.layer], entity.color);
    switch (entity.type) {
      case EntityType::Line: {
        const auto& g = drawing_.Line(entity);
        dxf_.writeLine(writer_, DL_LineData(g.start.x, g.start.y, 0.0, g.end.x, g.end.y, 0.0), attributes);
        break;
      }
      case EntityType::Circle: {
        const auto& g = drawing_.Circle(entity);
        dxf_.writeCircle(writer_, DL_CircleData(g.center.x, g.center.y, 0.0, g.radius), attributes);
        break;
      }
      case EntityType::Arc: {
        const auto& g = drawing_.Arc(entity);
        dxf_.writeArc(writer_, DL_ArcData(g.center.x, g.center.y, 0.0, g.radius, g.startAngle, g.endAngle),
                      attributes);
        break;
      }
      case EntityType::Text: {
        const auto& g = drawing_.Text(entity);
        const std::string style = g.style.empty() ? std::string(kArialStyle) : EncodeDxfText(g.style);
        // Left-aligned on the baseline: no justification, so the second point is unused.
        dxf_.writeText(writer_,
                       DL_TextData(g.position.x, g.position.y, 0.0, 0.0, 0.0, 0.0, g.height, 1.0, 0, 0, 0,
                                   EncodeDxfText(g.value), style, 0.0),
                       attributes);
        break;
      }
    }
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
  std::vector<std::string> layerNames_;
  int standardStyleHandle_ = 0;
};

// Plain decimals as CAD programs write them (300000, not 3e+05), unless that takes
// more than a few digits beyond what the value holds (1e-30, 1e+300).
template <class T>
std::string ShortestText(T value) {
  constexpr std::ptrdiff_t kLongestFixed = 24;
  char digits[64];
  const auto fixed = std::to_chars(digits, digits + kLongestFixed, value, std::chars_format::fixed);
  if (fixed.ec == std::errc()) return std::string(digits, fixed.ptr);
  const auto any = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, any.ptr);
}

}  // namespace

std::string FormatDxfReal(double value) {
  if (value == 0.0) return "0";  // no "-0"
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    char digits[24];  // whole numbers, the most common values, take the quick way
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value)).ptr);
  }
  const bool exactFloat = std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max() &&
                          static_cast<double>(static_cast<float>(value)) == value;
  return exactFloat ? ShortestText(static_cast<float>(value)) : ShortestText(value);
}

void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink) {
  DxfDocumentWriter(drawing, sink).Write();
}

}  // namespace tessaro
