// Reads DXF into a drawing in one pass over its groups. Each entity's groups are gathered
// (as views into the file's bytes) up to the next group 0 and then turned into geometry; the
// counts a file states (vertices, knots, loops, edges) are never used to allocate, only the
// groups that are really there.
#include "dxf/reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "cad/block_references.h"
#include "dxf/reader_internal.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"
#include "text/code_pages.h"
#include "text/encoding.h"

namespace tessaro {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

namespace dxf_reader {

void Reader::Run() {
  DxfGroup next;
  if (!tok_.Next(next)) tok_.Fail("it is empty");
  if (next.code != 0) Collect(groups_, next);
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "EOF") break;
    if (name != "SECTION") {
      Collect(groups_, next);
      continue;
    }
    Collect(groups_, next);
    std::string_view section;
    for (const DxfGroup& g : groups_) {
      if (g.code == 2) {
        section = TrimValue(g.text);
        break;  // the header's variables have code 2 groups too
      }
    }
    if (section == "HEADER") {
      ReadHeader();  // its variables came with the section's name: no group 0 inside
    } else if (section == "TABLES") {
      ReadTables(next);
    } else if (section == "BLOCKS") {
      ReadBlocks(next);
    } else if (section == "ENTITIES") {
      ReadEntityList(next, false);
    }
    // Whatever is left of the section (all of it for CLASSES, OBJECTS, ...).
    while (TrimValue(next.text) != "ENDSEC" && TrimValue(next.text) != "EOF") Collect(groups_, next);
    if (TrimValue(next.text) == "ENDSEC") Collect(groups_, next);
  }
  Finish();
}

void Reader::ReadHeader() {
  std::string_view variable;
  for (const DxfGroup& g : groups_) {
    if (g.code == 9) {
      variable = TrimValue(g.text);
    } else if (g.code == 1 && variable == "$ACADVER") {
      report_.version = std::string(TrimValue(g.text));
    } else if (g.code == 3 && variable == "$DWGCODEPAGE") {
      codePage_ = std::string(TrimValue(g.text));
    }
  }
  utf8_ = DxfEncodingOf(report_.version, codePage_) == DxfTextEncoding::Utf8;
  codePageTable_ = utf8_ ? nullptr : DxfCodePageTable(codePage_);
}

void Reader::ReadTables(DxfGroup& next) {
  std::string table;
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "ENDSEC" || name == "EOF") return;
    Collect(groups_, next);
    if (name == "TABLE") {
      table.clear();
      for (const DxfGroup& g : groups_) {
        if (g.code == 2 && table.empty()) table = std::string(TrimValue(g.text));
      }
    } else if (name == "LAYER" && table == "LAYER") {
      ReadLayer();
    } else if (name == "ENDTAB") {
      table.clear();
    }
  }
}

void Reader::ReadLayer() {
  std::string_view name;
  bool haveName = false;
  int color = 7, flags = 0;
  std::optional<std::uint32_t> trueColor;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 2: name = g.text, haveName = true; break;
      case 62: color = Int(g); break;
      case 70: flags = Int(g); break;
      case 420: trueColor = static_cast<std::uint32_t>(Int(g)) & 0xFFFFFFu; break;
      default: break;
    }
  }
  if (!haveName) return;
  const LayerIndex layer = LayerFor(name);
  const bool frozen = (flags & 1) != 0;
  const int aci = color == std::numeric_limits<int>::min() ? 7 : std::abs(color);
  drawing_.SetLayerLook(layer, aci == 0 || aci > 255 ? 7 : aci, trueColor, frozen);
  // A negative colour switches a layer off; a frozen one is not shown either.
  drawing_.SetLayerOn(layer, color >= 0 && !frozen);
}

LayerIndex Reader::LayerFor(std::string_view raw) {
  raw = TrimValue(raw);
  if (haveLastLayer_ && raw == lastLayerRaw_) return lastLayer_;
  NameKey(raw);
  LayerIndex layer = 0;
  if (const auto found = layerByRaw_.find(key_); found != layerByRaw_.end()) {
    layer = found->second;
  } else {
    if (drawing_.Layers().size() >= 0xFFFF) tok_.Fail("it has more than 65535 layers");
    layer = drawing_.AddLayer(raw.empty() ? std::string("0") : Decode(raw));
    layerByRaw_.emplace(key_, layer);
  }
  haveLastLayer_ = true;
  lastLayerRaw_ = raw;
  lastLayer_ = layer;
  return layer;
}

// Layer and block names are the same whatever their letter case ("Muri" is "MURI"): the
// lookup key is the name in upper case (ASCII letters; other bytes as they are).
void Reader::NameKey(std::string_view raw) {
  key_.assign(raw);
  for (char& c : key_) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
}

BlockIndex Reader::BlockFor(std::string_view raw) {
  raw = TrimValue(raw);
  NameKey(raw);
  if (const auto found = blockByRaw_.find(key_); found != blockByRaw_.end()) return found->second;
  if (drawing_.Blocks().size() >= kMaxBlocks) tok_.Fail("it has too many blocks");
  const BlockIndex block = drawing_.AddBlock(Decode(raw), {});
  blockByRaw_.emplace(key_, block);
  return block;
}

void Reader::ReadBlocks(DxfGroup& next) {
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "ENDSEC" || name == "EOF") return;
    Collect(groups_, next);
    if (name != "BLOCK") continue;
    std::string_view blockName, layerName = "0";
    Point2d base;
    int flags = 0;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 2: blockName = g.text; break;
        case 8: layerName = g.text; break;
        case 10: base.x = Real(g); break;
        case 20: base.y = Real(g); break;
        case 70: flags = Int(g); break;
        default: break;
      }
    }
    blockName = TrimValue(blockName);
    const bool paper = StartsWithIgnoringCase(blockName, "*Paper_Space");
    const bool model = EqualsIgnoringCase(blockName, "*Model_Space");
    if (paper || model || blockName.empty()) {
      space_ = paper ? Space::Paper : Space::Skip;
    } else {
      const BlockIndex block = BlockFor(blockName);
      Block& b = drawing_.MutableBlock(block);
      b.base = base;
      b.flags = static_cast<std::uint16_t>(flags & 0xFFFF);
      b.layer = LayerFor(layerName);
      drawing_.OpenBlock(block);
      space_ = Space::Block;
    }
    ReadEntityList(next, true);
    drawing_.CloseBlock();
    space_ = Space::Model;
    if (TrimValue(next.text) == "ENDBLK") Collect(groups_, next);
  }
}

void Reader::ReadEntityList(DxfGroup& next, bool inBlock) {
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "ENDSEC" || name == "EOF" || (inBlock && name == "ENDBLK")) return;
    ReadEntity(name, next);
  }
}

void Reader::ReadEntity(std::string_view name, DxfGroup& next) {
  const Kind kind = KindOf(name);
  Collect(groups_, next);
  if (space_ == Space::Skip || space_ == Space::Paper) {
    if (space_ == Space::Paper && kind != Kind::Vertex && kind != Kind::Seqend && kind != Kind::Attrib) {
      ++report_.paperSpaceSkipped;
    }
    return;
  }
  Common common;
  for (const DxfGroup& g : groups_) TakeCommon(g, common);
  if (common.paperSpace) {
    if (kind != Kind::Vertex && kind != Kind::Seqend && kind != Kind::Attrib) ++report_.paperSpaceSkipped;
    if (kind == Kind::Polyline || kind == Kind::Insert) SkipFollowers(next);
    return;
  }
  if (common.invisible && kind != Kind::Polyline && kind != Kind::Insert) {
    CountSkipped(name);
    return;
  }
  bool drawn = true;
  switch (kind) {
    case Kind::Line: AddLine(common); break;
    case Kind::Circle: AddCircle(common); break;
    case Kind::Arc: AddArc(common); break;
    case Kind::Text: AddText(common, false); break;
    case Kind::Attrib: AddText(common, true); break;
    case Kind::LwPolyline: AddLwPolyline(common); break;
    case Kind::Polyline: drawn = AddPolyline(common, next); break;
    case Kind::Ellipse: AddEllipse(common); break;
    case Kind::Spline:
    case Kind::Helix: AddSpline(common); break;
    case Kind::MText: AddMText(common); break;
    case Kind::Insert:
    case Kind::AcadTable: AddInsert(common, next); break;  // a table is drawn by its block
    case Kind::Dimension:
    case Kind::ArcDimension:
    case Kind::RadialDimension: drawn = AddDimension(common); break;
    case Kind::Leader: AddLeader(common); break;
    case Kind::Hatch: AddHatch(common); break;
    case Kind::Solid:
    case Kind::Trace:
    case Kind::Face3d: AddSolid(common, kind); break;
    case Kind::Point: AddPoint(common); break;
    case Kind::Ray:
    case Kind::XLine: AddRay(common, kind == Kind::XLine); break;
    case Kind::Wipeout: AddWipeout(common); break;
    case Kind::Vertex:
    case Kind::Seqend: return;  // strays without their polyline
    case Kind::Attdef:
    case Kind::Other: drawn = false; break;
  }
  if (common.invisible) drawn = false;
  if (drawn) {
    CountDrawn(kind);
  } else {
    CountSkipped(name);
  }
}

void Reader::TakeCommon(const DxfGroup& g, Common& c) const {
  switch (g.code) {
    case 8: c.layer = g.text; break;
    case 62: {
      const int color = Int(g);
      c.color = color < 0 ? (color == std::numeric_limits<int>::min() ? 256 : -color) : color;
      if (c.color > 256) c.color = 256;
      break;
    }
    case 420: c.trueColor = static_cast<std::uint32_t>(Int(g)) & 0xFFFFFFu; break;
    case 67: c.paperSpace = Int(g) == 1; break;
    case 60: c.invisible = Int(g) == 1; break;
    case 210: c.nx = Real(g); break;
    case 220: c.ny = Real(g); break;
    case 230: c.nz = Real(g); break;
    default: break;
  }
}

EntityStyle Reader::StyleOf(const Common& c) {
  EntityStyle style;
  style.layer = LayerFor(c.layer);
  style.color = c.color;
  style.trueColor = c.trueColor;
  return style;
}

// Skips the VERTEX, ATTRIB and SEQEND entities that follow a polyline or an insert.
void Reader::SkipFollowers(DxfGroup& next) {
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "VERTEX" || name == "ATTRIB") {
      Collect(groups_, next);
    } else if (name == "SEQEND") {
      Collect(groups_, next);
      return;
    } else {
      return;
    }
  }
}

void Reader::Finish() {
  report_.entitiesRead = drawing_.EntityCount();
  for (std::size_t k = 0; k < kKindCount; ++k) {
    if (drawn_[k] != 0) report_.drawnTypes[std::string(kKindNames[k])] += drawn_[k];
  }
  for (const auto& [name, count] : skipped_) report_.skippedTypes[name] += count;
  report_.blocks = drawing_.Blocks().size();
  for (const Block& b : drawing_.Blocks()) report_.blockEntities += b.entities.size();
  report_.insertCycles = CountBlockCycles(drawing_);
}

}  // namespace dxf_reader

DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source,
                          const DxfReadProgress& progress) {
  std::string_view data = text;
  if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) data.remove_prefix(kUtf8Bom.size());
  DxfReadReport report;
  dxf_reader::Reader reader(data, drawing, source, report, progress);
  try {
    reader.Run();
  } catch (const std::length_error& e) {
    Raise(ErrorKind::BadFormat, "The file " + source + " is not a readable DXF file: " + e.what());
  }
  return report;
}

}  // namespace tessaro
