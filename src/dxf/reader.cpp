// Reads DXF into a drawing in one pass over its groups. Each entity's groups are gathered
// (as views into the file's bytes) up to the next group 0 and then turned into geometry; the
// counts a file states (vertices, knots, loops, edges) are never used to allocate, only the
// groups that are really there.
#include "dxf/reader.h"

#include <algorithm>
#include <array>
#include <charconv>
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
  const bool any = tok_.Next(next);
  // A first line that is no group code: not DXF at all (later ones are damage, worked around).
  if (tok_.BadCodes() != 0) {
    Problem p = tok_.Whole(ProblemKind::DxfNotDxf);
    p.line = 0;
    p.text = std::string(tok_.LastBadCode());
    throw ProblemError(std::move(p));
  }
  if (!any) {
    // Nothing whole: an empty file, or one cut inside its first group.
    Problem p = tok_.Whole(tok_.CutInsideGroup() ? ProblemKind::DxfCutShort : ProblemKind::DxfEmpty);
    if (tok_.CutInsideGroup()) p.line = static_cast<int>(std::min<std::size_t>(tok_.End(), 0x7FFFFFFF));
    throw ProblemError(std::move(p));
  }
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
    // Whatever is left of the section (all of it for CLASSES, OBJECTS, ...). A section that
    // runs into the next one ends there.
    while (TrimValue(next.text) != "ENDSEC" && TrimValue(next.text) != "EOF" && TrimValue(next.text) != "SECTION") {
      Collect(groups_, next);
    }
    if (TrimValue(next.text) == "ENDSEC") {
      Collect(groups_, next);
    } else if (TrimValue(next.text) == "SECTION") {
      Problem p = tok_.At(ProblemKind::DxfUnendedSection, next);
      p.field = -1;
      Note(std::move(p));
    }
  }
  Finish();
}

void Reader::ReadHeader() {
  std::string_view variable;
  HeaderVariable held;
  const auto keep = [&] {
    if (!held.name.empty()) drawing_.MutableStyles().SetHeaderVariable(std::move(held));
    held = HeaderVariable{};
  };
  for (const DxfGroup& g : groups_) {
    if (g.code == 9) {
      keep();
      variable = TrimValue(g.text);
      held.name = std::string(variable);
      continue;
    }
    if (!held.name.empty() && held.groups.size() < 16) {
      held.groups.emplace_back(g.code, g.binaryNumber ? std::to_string(g.number) : std::string(TrimValue(g.text)));
    }
    if (g.code == 40 && variable == "$LTSCALE" && g.binaryNumber == false) {
      double scale = 1.0;
      const auto text = TrimValue(g.text);
      if (std::from_chars(text.data(), text.data() + text.size(), scale).ec == std::errc()) {
        drawing_.MutableStyles().SetGlobalScale(scale);
      }
    } else if (g.code == 40 && variable == "$LTSCALE") {
      drawing_.MutableStyles().SetGlobalScale(g.number);
    } else if (g.code == 1 && variable == "$ACADVER") {
      report_.version = std::string(TrimValue(g.text));
    } else if (g.code == 3 && variable == "$DWGCODEPAGE") {
      codePage_ = std::string(TrimValue(g.text));
    }
  }
  keep();
  utf8_ = DxfEncodingOf(report_.version, codePage_) == DxfTextEncoding::Utf8;
  codePageTable_ = utf8_ ? nullptr : DxfCodePageTable(codePage_);
}

void Reader::ReadTables(DxfGroup& next) {
  std::string table;
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "ENDSEC" || name == "EOF" || name == "SECTION") return;
    Collect(groups_, next);
    if (name == "TABLE") {
      table.clear();
      for (const DxfGroup& g : groups_) {
        if (g.code == 2 && table.empty()) table = std::string(TrimValue(g.text));
      }
    } else if (name == "LAYER" && table == "LAYER") {
      Guarded("LAYER", [&] { ReadLayer(); });
    } else if (name == "LTYPE" && table == "LTYPE") {
      Guarded("LTYPE", [&] { ReadLineType(); });
    } else if (name == "STYLE" && table == "STYLE") {
      Guarded("STYLE", [&] { ReadTextStyle(); });
    } else if (name == "ENDTAB") {
      table.clear();
    }
  }
}

// A line type: its name and dash lengths (code 49; shapes and texts in a pattern are not drawn,
// their place stays a gap).
void Reader::ReadLineType() {
  std::string_view name;
  std::vector<double> pattern;
  for (const DxfGroup& g : groups_) {
    if (g.code == 2) name = TrimValue(g.text);
    if (g.code == 49) pattern.push_back(Real(g));
  }
  // Names past what an index can number draw continuous.
  if (name.empty() || drawing_.Styles().LineTypes().size() + 1 >= kLineTypeContinuous) return;
  NameKey(name);
  lineTypeByRaw_[key_] = drawing_.MutableStyles().AddLineType(Decode(name), std::move(pattern));
}

// A text style: its name, font file (code 3) and, in the ACAD extended data, the family
// (1000) and the bold and italic bits of the font flags (1071).
void Reader::ReadTextStyle() {
  TextStyle style;
  bool acad = false;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 2: style.name = Decode(TrimValue(g.text)); break;
      case 3: style.fontFile = Decode(TrimValue(g.text)); break;
      case 1001: acad = TrimValue(g.text) == "ACAD"; break;
      case 1000:
        if (acad && style.family.empty()) style.family = Decode(TrimValue(g.text));
        break;
      case 1071:
        if (acad) {
          const int flags = Int(g);
          style.italic = (flags & 0x1000000) != 0;
          style.bold = (flags & 0x2000000) != 0;
        }
        break;
      default: break;
    }
  }
  if (!style.name.empty()) drawing_.MutableStyles().AddTextStyle(std::move(style));
}

void Reader::ReadLayer() {
  std::string_view name, lineType;
  bool haveName = false;
  int color = 7, flags = 0;
  std::optional<std::uint32_t> trueColor;
  for (const DxfGroup& g : groups_) {
    switch (g.code) {
      case 2: name = g.text, haveName = true; break;
      case 62: color = Int(g); break;
      case 70: flags = Int(g); break;
      case 420: trueColor = static_cast<std::uint32_t>(Int(g)) & 0xFFFFFFu; break;
      case 6: lineType = TrimValue(g.text); break;
      default: break;
    }
  }
  if (!haveName) return;
  const LayerIndex layer = LayerFor(name);
  if (!lineType.empty()) {
    NameKey(lineType);
    if (const auto found = lineTypeByRaw_.find(key_); found != lineTypeByRaw_.end()) {
      drawing_.SetLayerLineType(layer, found->second);
    }
  }
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
    if (drawing_.Layers().size() >= 0xFFFF) {
      Problem p = tok_.Whole(ProblemKind::DxfTooManyLayers);
      p.high = 0xFFFF;
      throw TooMany{std::move(p)};
    }
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
  if (drawing_.Blocks().size() >= kMaxBlocks) {
    Problem p = tok_.Whole(ProblemKind::DxfTooManyBlocks);
    p.high = static_cast<double>(kMaxBlocks);
    throw TooMany{std::move(p)};
  }
  const BlockIndex block = drawing_.AddBlock(Decode(raw), {});
  blockByRaw_.emplace(key_, block);
  return block;
}

void Reader::ReadBlocks(DxfGroup& next) {
  while (true) {
    const std::string_view name = TrimValue(next.text);
    if (name == "ENDSEC" || name == "EOF" || name == "SECTION") return;
    Collect(groups_, next);
    if (name != "BLOCK") continue;
    std::string_view blockName, layerName = "0";
    Point2d base;
    int flags = 0;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 2: blockName = g.text; break;
        case 8: layerName = g.text; break;
        case 10: Guarded("BLOCK", [&] { base.x = Real(g); }); break;
        case 20: Guarded("BLOCK", [&] { base.y = Real(g); }); break;
        case 70: Guarded("BLOCK", [&] { flags = Int(g); }); break;
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
    if (name == "ENDSEC" || name == "EOF" || name == "SECTION" || (inBlock && name == "ENDBLK")) return;
    ReadEntity(name, next);
  }
}

// An entity whose groups hold a line that is no group code or a value its code cannot take is
// left out with a note (Collect notes the first, the catch here the second), and the reading
// goes on with the next entity.
void Reader::ReadEntity(std::string_view name, DxfGroup& next) {
  const std::uint32_t where = next.where;
  const std::string type(name);
  try {
    ReadEntityGroups(name, next);
  } catch (const ProblemError& e) {
    // Nothing read past the entity's first group: nothing to go on with.
    if (next.where == where && TrimValue(next.text) == type) throw;
    ++report_.entitiesLeftOut;
    CountSkipped(type);
    Problem p = e.problem();
    p.subject = type;
    Note(std::move(p));
  }
}

void Reader::ReadEntityGroups(std::string_view name, DxfGroup& next) {
  const Kind kind = KindOf(name);
  const std::size_t badBefore = tok_.BadCodes();
  // A file that ends inside this entity's last group: the entity is left out.
  if (!Collect(groups_, next) && groups_.empty()) return;
  if (tok_.BadCodes() != badBefore) {
    if (kind == Kind::Polyline || kind == Kind::Insert) SkipFollowers(next);
    ++report_.entitiesLeftOut;
    CountSkipped(name);
    return;
  }
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
  const std::size_t at = drawing_.Entities().size();
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
      if (space_ == Space::Model) {
        AddModelAttdef(common);  // shown by its tag, as CAD programs show it outside a block
      } else {
        drawn = false;
      }
      break;
    case Kind::Other:
      if (name == "MESH") {
        AddMesh(common);
        if (space_ == Space::Model) ++report_.keptAsEdges["MESH"];
      } else {
        drawn = false;
      }
      break;
  }
  if (common.invisible) drawn = false;
  if (drawn && kind == Kind::Other) {
    if (space_ == Space::Model) ++otherDrawn_[std::string(name)];
  } else if (drawn) {
    CountDrawn(kind);
    const bool mayBeInkless = kind == Kind::Insert || kind == Kind::AcadTable || kind == Kind::Dimension ||
                              kind == Kind::ArcDimension || kind == Kind::RadialDimension || kind == Kind::Hatch ||
                              kind == Kind::Text || kind == Kind::MText;
    if (mayBeInkless && space_ == Space::Model && drawing_.Entities().size() > at) mayBeInkless_.emplace_back(at, kind);
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
    case 6: c.lineType = TrimValue(g.text); break;
    case 48: c.lineTypeScale = Real(g); break;
    default: break;
  }
}

EntityStyle Reader::StyleOf(const Common& c) {
  EntityStyle style;
  style.layer = LayerFor(c.layer);
  style.color = c.color;
  style.trueColor = c.trueColor;
  if (!c.lineType.empty() || c.lineTypeScale != 1.0) {
    if (EqualsIgnoringCase(c.lineType, "BYBLOCK")) {
      style.line.lineType = kLineTypeByBlock;
    } else if (!c.lineType.empty() && !EqualsIgnoringCase(c.lineType, "BYLAYER")) {
      NameKey(c.lineType);
      const auto found = lineTypeByRaw_.find(key_);
      // A name the table lacks draws continuous, as CAD programs draw it.
      style.line.lineType = found != lineTypeByRaw_.end() ? found->second : kLineTypeContinuous;
    }
    style.line.scale = c.lineTypeScale;
  }
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
  CountInkless();
  report_.entitiesRead = drawing_.EntityCount();
  for (std::size_t k = 0; k < kKindCount; ++k) {
    if (drawn_[k] != 0) report_.drawnTypes[std::string(kKindNames[k])] += drawn_[k];
  }
  for (const auto& [name, count] : skipped_) report_.skippedTypes[name] += count;
  for (const auto& [name, count] : otherDrawn_) report_.drawnTypes[name] += count;
  report_.blocks = drawing_.Blocks().size();
  for (const Block& b : drawing_.Blocks()) report_.blockEntities += b.entities.size();
  report_.insertCycles = CountBlockCycles(drawing_);
}

}  // namespace dxf_reader

DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::filesystem::path& source,
                          const DxfReadProgress& progress) {
  std::string_view data = text;
  if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) data.remove_prefix(kUtf8Bom.size());
  DxfReadReport report;
  dxf_reader::Reader reader(data, drawing, source, report, progress);
  try {
    reader.Run();
  } catch (const dxf_reader::TooMany& e) {
    throw ProblemError(e.problem);  // the drawing cannot hold the file
  }
  return report;
}

}  // namespace tessaro
