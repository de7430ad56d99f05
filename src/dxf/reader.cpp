// Reads DXF into a drawing in one pass over its groups. Each entity's groups are gathered
// (as views into the file's bytes) up to the next group 0 and then turned into geometry; the
// counts a file states (vertices, knots, loops, edges) are never used to allocate, only the
// groups that are really there.
#include "dxf/reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/code_pages.h"
#include "dxf/reader_internal.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"
#include "text/encoding.h"
#include "base/errors.h"

namespace tessaro {

namespace {

using dxf_reader::TrimValue;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// ---- text values --------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char32_t Cp1252CodePoint(unsigned char byte) {
  const std::string utf8 = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
  char32_t cp = 0;
  if (utf8.size() == 1) return static_cast<unsigned char>(utf8[0]);
  if (utf8.size() == 2) return ((utf8[0] & 0x1F) << 6) | (utf8[1] & 0x3F);
  if (utf8.size() == 3) cp = ((utf8[0] & 0x0F) << 12) | ((utf8[1] & 0x3F) << 6) | (utf8[2] & 0x3F);
  return cp;
}

// \U+XXXX and the %% control codes, in text already UTF-8; %%nnn is a byte of the code page.
std::string TranslateCodes(std::string_view text, const char16_t* codePage) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\\' && text.substr(i, 3) == "\\U+" && i + 7 <= text.size()) {
      char32_t cp = 0;
      bool ok = true;
      for (std::size_t k = i + 3; k < i + 7; ++k) {
        const int digit = HexDigit(text[k]);
        ok = ok && digit >= 0;
        cp = (cp << 4) | static_cast<char32_t>(digit < 0 ? 0 : digit);
      }
      if (ok && cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        AppendUtf8(out, cp);
        i += 7;
        continue;
      }
    }
    if (text[i] == '%' && i + 2 < text.size() && text[i + 1] == '%') {
      const char letter = static_cast<char>(text[i + 2] | 0x20);
      char32_t cp = 0;
      std::size_t length = 3;
      if (letter == 'c') cp = 0x00D8;
      if (letter == 'd') cp = 0x00B0;
      if (letter == 'p') cp = 0x00B1;
      if (text[i + 2] == '%') cp = U'%';
      if (letter == 'u' || letter == 'o' || letter == 'k') {  // underline, overline, strike switches
        i += 3;
        continue;
      }
      if (cp == 0 && i + 4 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 2])) &&
          std::isdigit(static_cast<unsigned char>(text[i + 3])) && std::isdigit(static_cast<unsigned char>(text[i + 4]))) {
        const int code = (text[i + 2] - '0') * 100 + (text[i + 3] - '0') * 10 + (text[i + 4] - '0');
        if (code > 0 && code < 256) {
          cp = codePage != nullptr && code >= 0x80 ? codePage[code - 0x80] : Cp1252CodePoint(static_cast<unsigned char>(code));
          length = 5;
        }
      }
      if (cp != 0) {
        AppendUtf8(out, cp);
        i += length;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace

std::string DecodeDxfValue(std::string_view bytes, bool utf8, const char16_t* codePage) {
  bool plain = true;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '%' || c == '\\') {
      plain = false;
      break;
    }
  }
  if (plain) return std::string(bytes);
  if (utf8 && IsValidUtf8(bytes)) return TranslateCodes(bytes, nullptr);
  if (codePage == nullptr) return TranslateCodes(Cp1252ToUtf8(bytes), nullptr);
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(text, byte < 0x80 ? char32_t{byte} : char32_t{codePage[byte - 0x80]});
  }
  return TranslateCodes(text, codePage);
}

namespace dxf_reader {

void Reader::Run() {
  DxfGroup next;
  const bool any = tok_.Next(next);
  // A first line that is no group code: not DXF at all (later ones are damage, worked around).
  if (tok_.BadCodes() != 0) {
    tok_.Fail("line " + std::to_string(tok_.FirstBadCodeLine()) + " should hold a group code, not '" +
              Excerpt(tok_.FirstBadCode()) + "'");
  }
  if (!any) tok_.Fail("it is empty");
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
      Note(DxfReadNote::Kind::UnendedSection, next.where, "", "a section has no ENDSEC before the next one");
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
      ReadLayer();
    } else if (name == "LTYPE" && table == "LTYPE") {
      ReadLineType();
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
  if (name.empty()) return;
  NameKey(name);
  lineTypeByRaw_[key_] = drawing_.MutableStyles().AddLineType(Decode(name), std::move(pattern));
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
        case 10: base.x = Real(g); break;
        case 20: base.y = Real(g); break;
        case 70: flags = Int(g); break;
        default: break;
      }
    }
    blockName = TrimValue(blockName);
    const bool paper = StartsNoCase(blockName, "*Paper_Space");
    const bool model = EqualsNoCase(blockName, "*Model_Space");
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
// left out with a note, and the reading goes on with the next entity.
void Reader::ReadEntity(std::string_view name, DxfGroup& next) {
  const std::size_t badBefore = tok_.BadCodes();
  const std::uint32_t where = next.where;
  const std::string type(name);
  try {
    ReadEntityGroups(name, next);
  } catch (const RuntimeError& e) {
    // The groups themselves could not be read (binary data cut short): nothing to go on with.
    if (e.kind() != ErrorKind::BadFormat || (next.where == where && TrimValue(next.text) == type)) throw;
    ++report_.entitiesLeftOut;
    CountSkipped(type);
    Note(DxfReadNote::Kind::BadValue, where, type, e.what());
    return;
  }
  if (tok_.BadCodes() != badBefore) {
    ++report_.entitiesLeftOut;
    Note(DxfReadNote::Kind::BadGroupCode, tok_.FirstBadCodeLine(), type, "a line holds no group code");
  }
}

void Reader::ReadEntityGroups(std::string_view name, DxfGroup& next) {
  const Kind kind = KindOf(name);
  const std::size_t badBefore = tok_.BadCodes();
  // A file that ends inside this entity's last group: the entity is left out.
  if (!Collect(groups_, next) && groups_.empty()) return;
  if (tok_.BadCodes() != badBefore) {
    if (kind == Kind::Polyline || kind == Kind::Insert) SkipFollowers(next);
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
    if (EqualsNoCase(c.lineType, "BYBLOCK")) {
      style.line.lineType = kLineTypeByBlock;
    } else if (!c.lineType.empty() && !EqualsNoCase(c.lineType, "BYLAYER")) {
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

// Inserts whose blocks insert themselves, directly or further down.
std::size_t Reader::CountInsertCycles() const {
  const auto& blocks = drawing_.Blocks();
  std::vector<std::vector<BlockIndex>> uses(blocks.size());
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    for (const EntityHeader& e : blocks[b].entities) {
      if (e.type == EntityType::Insert) uses[b].push_back(drawing_.Insert(e).block);
      if (e.type == EntityType::Dimension) uses[b].push_back(drawing_.Dimension(e).block);
    }
  }
  // Iterative depth-first search: 0 new, 1 on the path, 2 done.
  std::vector<std::uint8_t> state(blocks.size(), 0);
  std::size_t cycles = 0;
  std::vector<std::pair<BlockIndex, std::size_t>> stack;
  for (std::size_t root = 0; root < blocks.size(); ++root) {
    if (state[root] != 0) continue;
    stack.push_back({static_cast<BlockIndex>(root), 0});
    state[root] = 1;
    while (!stack.empty()) {
      auto& [block, next] = stack.back();
      if (next < uses[block].size()) {
        const BlockIndex child = uses[block][next++];
        if (child >= blocks.size()) continue;
        if (state[child] == 1) {
          ++cycles;
        } else if (state[child] == 0) {
          state[child] = 1;
          stack.push_back({child, 0});
        }
      } else {
        state[block] = 2;
        stack.pop_back();
      }
    }
  }
  return cycles;
}

void Reader::Finish() {
  report_.entitiesRead = drawing_.EntityCount();
  for (std::size_t k = 0; k < kKindCount; ++k) {
    if (drawn_[k] != 0) report_.drawnTypes[std::string(kKindNames[k])] += drawn_[k];
  }
  for (const auto& [name, count] : skipped_) report_.skippedTypes[name] += count;
  for (const auto& [name, count] : otherDrawn_) report_.drawnTypes[name] += count;
  report_.blocks = drawing_.Blocks().size();
  for (const Block& b : drawing_.Blocks()) report_.blockEntities += b.entities.size();
  report_.insertCycles = CountInsertCycles();
}

}  // namespace dxf_reader

DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source) {
  std::string_view data = text;
  if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) data.remove_prefix(kUtf8Bom.size());
  DxfReadReport report;
  dxf_reader::Reader reader(data, drawing, source, report);
  try {
    reader.Run();
  } catch (const std::length_error& e) {
    Raise(ErrorKind::BadFormat, "The file " + source + " is not a readable DXF file: " + e.what());
  }
  return report;
}

}  // namespace tessaro
