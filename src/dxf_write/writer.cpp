// Writes a drawing as ASCII DXF R2000: header, tables, blocks, entities and objects, with
// handles and subclass markers; numbers in their shortest round-trip text. This file writes
// the sections and tables; the entity records are in writer_entities*.cpp.
#include "dxf_write/writer.h"

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

#include "cad/block_references.h"
#include "cad/extents.h"
#include "os/atomic_file.h"
#include "dxf/text.h"
#include "dxf_write/writer_internal.h"
#include "text/encoding.h"
#include "base/errors.h"

namespace tessaro {

namespace dxf_writer {

// Text styles: STANDARD and Arial always, then any other style a text, an attribute or a
// multi-line text names, in model space and then in the blocks.
std::vector<std::string> StyleNames(const Drawing& drawing) {
  std::vector<std::string> names = {std::string(kStandardStyle), std::string(kArialStyle)};
  const std::string* previous = nullptr;  // texts mostly share their style: skip repeats
  const auto add = [&](const std::string& raw) {
    if (previous != nullptr && *previous == raw) return;
    previous = &raw;
    const std::string style = EncodeDxfText(raw);
    if (style.empty()) return;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsIgnoringCase(n, style); })) {
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

// The names line types are written under, by their index in the drawing: the table's names
// encoded; "" for those the fixed records hold (CONTINUOUS, BYLAYER, BYBLOCK) or that come
// twice once encoded (written as CONTINUOUS).
std::vector<std::string> EncodedLineTypeNames(const Drawing& drawing) {
  std::vector<std::string> names;
  for (const LineType& type : drawing.Styles().LineTypes()) {
    std::string name = EncodeDxfText(type.name);
    const auto same = [&](const std::string& other) { return EqualsIgnoringCase(other, name); };
    if (name.empty() || EqualsIgnoringCase(name, "CONTINUOUS") || EqualsIgnoringCase(name, "BYLAYER") ||
        EqualsIgnoringCase(name, "BYBLOCK") || std::any_of(names.begin(), names.end(), same)) {
      name.clear();
    }
    names.push_back(std::move(name));
  }
  return names;
}

// The names blocks are written under: their own where DXF allows it, otherwise (empty,
// a layout's name, or one that another block has already taken) an anonymous one.
std::vector<std::string> EncodedBlockNames(const Drawing& drawing) {
  std::vector<std::string> names;
  const auto taken = [&](std::string_view name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsIgnoringCase(n, name); });
  };
  std::size_t anonymous = 0;
  for (const auto& block : drawing.Blocks()) {
    std::string name = EncodeDxfText(block.name);
    const bool layout = StartsWithIgnoringCase(name, "*paper_space") || StartsWithIgnoringCase(name, "*model_space");
    while (name.empty() || layout || taken(name)) {
      name = "*U" + std::to_string(++anonymous);
      if (!taken(name)) break;
    }
    names.push_back(std::move(name));
  }
  return names;
}

namespace {

// The block for a drawing: the size of its whole file when that is less than a megabyte.
// A batch writes hundreds of small files, and a megabyte block for each (zeroed, and
// mapped fresh from the system every time) cost more than making their text.
std::size_t BlockBytesFor(const Drawing& drawing) {
  constexpr std::size_t kTablesBytes = 16 * 1024;
  constexpr std::size_t kBytesPerEntity = 160;  // a LINE record with its numbers
  return std::min(kBlockBytes, kTablesBytes + kBytesPerEntity * drawing.EntityCount());
}

class DxfDocumentWriter {
public:
  DxfDocumentWriter(const Drawing& drawing, const DxfBlockSink& sink)
      : drawing_(drawing),
        sink_(sink),
        out_(BlockBytesFor(drawing)),
        layerNames_(EncodedLayerNames(drawing)),
        blockNames_(EncodedBlockNames(drawing)),
        lineTypeNames_(EncodedLineTypeNames(drawing)),
        records_(out_, drawing, layerNames_, blockNames_, lineTypeNames_) {}

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
          handleSeed += EntityRecords::HandlesOf(drawing_, e, attributes);
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
    out_.Int(70, KeptInt("$INSUNITS", kInsunitsCentimetres));
    WriteKeptHeader();
    const Extents box = DrawnExtents(drawing_).value_or(Extents{});
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

  // The header variables an opened file gave that say how its drawing reads (units, scales,
  // angles, point style), written back as they were.
  static constexpr std::string_view kKeptVariables[] = {
      "$INSBASE", "$LIMMIN",   "$LIMMAX",    "$LTSCALE",  "$CELTSCALE", "$PSLTSCALE", "$MEASUREMENT",
      "$LUNITS",  "$LUPREC",   "$AUNITS",    "$AUPREC",   "$ANGBASE",   "$ANGDIR",    "$PDMODE",
      "$PDSIZE",  "$TEXTSIZE", "$DIMSCALE",  "$MIRRTEXT", "$FILLMODE",  "$PLINEWID",  "$ATTMODE",
  };

  int KeptInt(std::string_view name, int fallback) const {
    const HeaderVariable* v = drawing_.Styles().FindHeaderVariable(name);
    if (v == nullptr || v->groups.size() != 1) return fallback;
    int value = 0;
    const std::string& text = v->groups[0].second;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
  }

  void WriteKeptHeader() {
    for (const std::string_view name : kKeptVariables) {
      const HeaderVariable* v = drawing_.Styles().FindHeaderVariable(name);
      if (v == nullptr || v->groups.empty() || v->groups.size() > 3) continue;
      // Numbers only (a point is three), each as its group code wants it.
      std::vector<double> values;
      for (const auto& [code, text] : v->groups) {
        double value = 0.0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) break;
        values.push_back(value);
      }
      if (values.size() != v->groups.size()) continue;
      out_.String(9, name);
      for (std::size_t i = 0; i < values.size(); ++i) {
        const int code = v->groups[i].first;
        if ((code >= 10 && code <= 59)) {
          out_.Real(code, values[i]);
        } else {
          out_.Int(code, static_cast<long long>(values[i]));
        }
      }
    }
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
    const auto written = [](const std::string& name) { return !name.empty(); };
    const auto count = static_cast<std::size_t>(std::count_if(lineTypeNames_.begin(), lineTypeNames_.end(), written));
    out_.Table("LTYPE", kLinetypeTableHandle, std::size(kLinetypes) + count);
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
    // The drawing's own, with their dashes as read.
    const auto& types = drawing_.Styles().LineTypes();
    for (std::size_t i = 0; i < types.size(); ++i) {
      if (lineTypeNames_[i].empty()) continue;
      std::vector<double> dashes;
      for (const double d : types[i].pattern) dashes.push_back(std::isfinite(d) ? d : 0.0);
      out_.TableRecord("LTYPE", 0, "AcDbLinetypeTableRecord");
      out_.String(2, lineTypeNames_[i]);
      out_.Int(70, 0);
      out_.String(3, "");
      out_.Int(72, 65);
      out_.Int(73, static_cast<long long>(dashes.size()));
      out_.Real(40, types[i].Length());
      for (const double d : dashes) {
        out_.Real(49, d);
        out_.Int(74, 0);
      }
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
      const LineTypeIndex type = layer != nullptr ? layer->lineType : kLineTypeByLayer;
      out_.String(6, type < lineTypeNames_.size() && !lineTypeNames_[type].empty() ? lineTypeNames_[type]
                                                                                  : std::string("CONTINUOUS"));
      if (EqualsIgnoringCase(name, "defpoints")) out_.Int(290, 0);  // never plotted
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
      // A style the drawing read keeps its font; the others draw with Arial.
      const TextStyle* read = drawing_.Styles().FindTextStyle(name);
      const bool own = read != nullptr && (!read->fontFile.empty() || !read->family.empty());
      out_.String(3, own ? EncodeDxfText(read->fontFile) : std::string());
      out_.String(4, "");
      if (own && read->family.empty()) continue;  // a font file only
      out_.String(1001, "ACAD");
      out_.String(1000, own ? EncodeDxfText(read->family) : std::string(kArialStyle));
      out_.Int(1071, own ? (read->italic ? 0x1000000 : 0) | (read->bold ? 0x2000000 : 0) : 0);
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
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsIgnoringCase(n, name); })) {
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
  std::vector<std::string> lineTypeNames_;
  EntityRecords records_;
  std::vector<std::uint32_t> blockRecordHandles_;  // of the drawing's blocks, in order
  std::uint32_t standardStyleHandle_ = 0;
};

}  // namespace

}  // namespace dxf_writer

std::string_view DxfTypeName(const Drawing& drawing, const EntityHeader& e) {
  if (e.type == EntityType::Solid) {
    switch (drawing.Solid(e).kind) {
      case SolidKind::Solid: return "SOLID";
      case SolidKind::Trace: return "TRACE";
      case SolidKind::Face3d: return "3DFACE";
    }
  }
  if (e.type == EntityType::Ray) return drawing.Ray(e).infinite ? "XLINE" : "RAY";
  if (e.type == EntityType::Polyline) return drawing.Heights(e).empty() ? "LWPOLYLINE" : "POLYLINE";
  return EntityTypeName(e.type);
}

void WriteDxf(const Drawing& drawing, const DxfBlockSink& sink) {
  dxf_writer::DxfDocumentWriter(drawing, sink).Write();
}

std::map<std::string, std::size_t> EntitiesLeftOut(const Drawing& drawing) {
  std::map<std::string, std::size_t> left;
  const std::vector<std::uint32_t> cycleParts = BlockCycleParts(drawing);
  const auto count = [&](const std::vector<EntityHeader>& list, std::optional<BlockIndex> owner) {
    dxf_writer::WalkEntities(
        list, drawing,
        [&](const EntityHeader& e, std::span<const EntityHeader>) {
          return dxf_writer::Holds(drawing, e, owner, cycleParts);
        },
        [&](const EntityHeader& e) { ++left[std::string(DxfTypeName(drawing, e))]; });
  };
  count(drawing.Entities(), std::nullopt);
  for (std::size_t b = 0; b < drawing.Blocks().size(); ++b) count(drawing.Blocks()[b].entities, static_cast<BlockIndex>(b));
  return left;
}

void WriteDxfFile(const Drawing& drawing, const std::filesystem::path& path) {
  WriteFileAtomically(path, "DXF file", [&](const FileBlockSink& sink) { WriteDxf(drawing, sink); });
}

std::string DxfText(const Drawing& drawing) {
  // Room for a typical record per entity up front: growing the string as it fills copies
  // the text over and over, which took longer than making it.
  constexpr std::size_t kBytesPerEntity = 160;
  constexpr std::size_t kTablesBytes = 16 * 1024;
  std::string text;
  text.reserve(kTablesBytes + kBytesPerEntity * drawing.EntityCount());
  WriteDxf(drawing, [&text](std::string_view block) { text.append(block); });
  return text;
}

}  // namespace tessaro
