// Reads DXF into a drawing in one pass over its groups. Each entity's groups are gathered
// (as views into the file's bytes) up to the next group 0 and then turned into geometry; the
// counts a file states (vertices, knots, loops, edges) are never used to allocate, only the
// groups that are really there.
#include "dxf/reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/code_pages.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"
#include "text/encoding.h"
#include "base/errors.h"

namespace tessaro {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr double kPi = 3.14159265358979323846;

std::string_view TrimValue(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

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

namespace {

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

Kind KindOf(std::string_view name) {
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

class Reader {
public:
  Reader(std::string_view data, Drawing& drawing, const std::string& source, DxfReadReport& report)
      : tok_(data, source), drawing_(drawing), report_(report) {
    report_.binary = tok_.Binary();
    // Room for what the file can hold, so that the pools are not copied as they grow; pages
    // of it that are never written cost no memory.
    drawing_.Reserve(data.size() / 128);
  }

  void Run() {
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

private:
  // Reads the groups after `next` up to the following group 0, which becomes `next`.
  void Collect(Groups& out, DxfGroup& next) {
    if (!tok_.Collect(out, next)) tok_.Fail("it is cut short (no EOF at the end)");
  }

  std::string Decode(std::string_view bytes) const { return DecodeDxfValue(bytes, utf8_, codePageTable_); }

  double Real(const DxfGroup& g) const { return tok_.Real(g); }
  int Int(const DxfGroup& g) const { return tok_.Int(g); }

  // ---- header and tables ----

  void ReadHeader() {
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

  void ReadTables(DxfGroup& next) {
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

  void ReadLayer() {
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

  LayerIndex LayerFor(std::string_view raw) {
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
  void NameKey(std::string_view raw) {
    key_.assign(raw);
    for (char& c : key_) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
  }

  BlockIndex BlockFor(std::string_view raw) {
    raw = TrimValue(raw);
    NameKey(raw);
    if (const auto found = blockByRaw_.find(key_); found != blockByRaw_.end()) return found->second;
    if (drawing_.Blocks().size() >= kMaxBlocks) tok_.Fail("it has too many blocks");
    const BlockIndex block = drawing_.AddBlock(Decode(raw), {});
    blockByRaw_.emplace(key_, block);
    return block;
  }

  // ---- blocks ----

  void ReadBlocks(DxfGroup& next) {
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

  // ---- entities ----

  enum class Space { Model, Block, Paper, Skip };

  void ReadEntityList(DxfGroup& next, bool inBlock) {
    while (true) {
      const std::string_view name = TrimValue(next.text);
      if (name == "ENDSEC" || name == "EOF" || (inBlock && name == "ENDBLK")) return;
      ReadEntity(name, next);
    }
  }

  void CountDrawn(Kind kind) {
    if (space_ != Space::Model) return;
    if (kind != Kind::Other) ++drawn_[static_cast<std::size_t>(kind)];
  }
  void CountSkipped(std::string_view name) {
    if (space_ == Space::Model) ++skipped_[std::string(name)];
  }

  void ReadEntity(std::string_view name, DxfGroup& next) {
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

  void TakeCommon(const DxfGroup& g, Common& c) const {
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

  EntityStyle StyleOf(const Common& c) {
    EntityStyle style;
    style.layer = LayerFor(c.layer);
    style.color = c.color;
    style.trueColor = c.trueColor;
    return style;
  }

  // Skips the VERTEX, ATTRIB and SEQEND entities that follow a polyline or an insert.
  void SkipFollowers(DxfGroup& next) {
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

  void AddLine(const Common& c) {
    LineGeometry line;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: line.start.x = Real(g); break;
        case 20: line.start.y = Real(g); break;
        case 11: line.end.x = Real(g); break;
        case 21: line.end.y = Real(g); break;
        default: break;
      }
    }
    drawing_.Add(StyleOf(c), line);
  }

  void AddCircle(const Common& c) {
    CircleGeometry circle;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: circle.center.x = Real(g); break;
        case 20: circle.center.y = Real(g); break;
        case 40: circle.radius = Real(g); break;
        default: break;
      }
    }
    circle.center = Ocs::Of(c.nx, c.ny, c.nz).Map(circle.center);
    drawing_.Add(StyleOf(c), circle);
  }

  void AddArc(const Common& c) {
    ArcGeometry arc;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: arc.center.x = Real(g); break;
        case 20: arc.center.y = Real(g); break;
        case 40: arc.radius = Real(g); break;
        case 50: arc.startAngle = Real(g); break;
        case 51: arc.endAngle = Real(g); break;
        default: break;
      }
    }
    const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
    arc.center = ocs.Map(arc.center);
    ocs.MapArc(arc.startAngle, arc.endAngle);
    drawing_.Add(StyleOf(c), arc);
  }

  TextGeometry ReadText(const Common& c, bool attribute, std::string* tag, int* flags) {
    TextGeometry text;
    bool haveAlignPoint = false;
    for (const DxfGroup& g : groups_) {
      if (g.code == 101) break;  // an embedded multi-line attribute follows: not read
      switch (g.code) {
        case 10: text.position.x = Real(g); break;
        case 20: text.position.y = Real(g); break;
        case 11: text.alignPoint.x = Real(g), haveAlignPoint = true; break;
        case 21: text.alignPoint.y = Real(g), haveAlignPoint = true; break;
        case 40: text.height = Real(g); break;
        case 1: text.value = Decode(g.text); break;
        case 7: text.style = Decode(TrimValue(g.text)); break;
        case 50: text.rotation = Real(g); break;
        case 41: text.widthFactor = Real(g); break;
        case 51: text.oblique = Real(g); break;
        case 71: text.generation = static_cast<std::uint8_t>(Int(g) & 6); break;
        case 72: text.hAlign = static_cast<std::uint8_t>(std::clamp(Int(g), 0, 5)); break;
        case 73:
          if (!attribute) text.vAlign = static_cast<std::uint8_t>(std::clamp(Int(g), 0, 3));
          break;
        case 74:
          if (attribute) text.vAlign = static_cast<std::uint8_t>(std::clamp(Int(g), 0, 3));
          break;
        case 2:
          if (tag != nullptr) *tag = Decode(TrimValue(g.text));
          break;
        case 70:
          if (flags != nullptr) *flags = Int(g);
          break;
        default: break;
      }
    }
    if (!haveAlignPoint) text.alignPoint = text.position;
    const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
    if (ocs.kind != Ocs::Kind::Identity) {
      text.position = ocs.Map(text.position);
      text.alignPoint = ocs.Map(text.alignPoint);
      text.rotation = ocs.MapAngle(text.rotation);
      if (ocs.Mirrored()) {
        text.rotation += 180.0;
        text.generation ^= 2;  // backward
      }
    }
    return text;
  }

  void AddText(const Common& c, bool attribute) {
    if (!attribute) {
      drawing_.Add(StyleOf(c), ReadText(c, false, nullptr, nullptr));
      return;
    }
    AttribGeometry attrib;
    int flags = 0;
    attrib.text = ReadText(c, true, &attrib.tag, &flags);
    attrib.invisible = (flags & 1) != 0;
    drawing_.Add(StyleOf(c), std::move(attrib));
  }

  void AddLwPolyline(const Common& c) {
    PolylineGeometry polyline;
    vertices_.clear();
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 70: polyline.closed = (Int(g) & 1) != 0; break;
        case 43: polyline.width = Real(g); break;
        case 10: vertices_.push_back(PolylineVertex{{Real(g), 0.0}, 0.0}); break;
        case 20:
          if (!vertices_.empty()) vertices_.back().point.y = Real(g);
          break;
        case 42:
          if (!vertices_.empty()) vertices_.back().bulge = Real(g);
          break;
        default: break;
      }
    }
    MapVertices(Ocs::Of(c.nx, c.ny, c.nz));
    drawing_.Add(StyleOf(c), polyline, vertices_);
  }

  void MapVertices(const Ocs& ocs) {
    if (ocs.kind == Ocs::Kind::Identity) return;
    for (PolylineVertex& v : vertices_) {
      v.point = ocs.Map(v.point);
      if (ocs.Mirrored()) v.bulge = -v.bulge;
    }
  }

  // POLYLINE with its VERTEX entities up to SEQEND. 2-D and 3-D polylines are drawn (3-D ones
  // seen from above); polygon and polyface meshes are not.
  bool AddPolyline(const Common& c, DxfGroup& next) {
    int flags = 0;
    double width = 0.0;
    bool haveWidth = false;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 70: flags = Int(g); break;
        case 40: width = Real(g), haveWidth = true; break;
        default: break;
      }
    }
    const Common head = c;
    vertices_.clear();
    while (TrimValue(next.text) == "VERTEX") {
      Collect(groups_, next);
      PolylineVertex v;
      int vertexFlags = 0;
      for (const DxfGroup& g : groups_) {
        switch (g.code) {
          case 10: v.point.x = Real(g); break;
          case 20: v.point.y = Real(g); break;
          case 42: v.bulge = Real(g); break;
          case 70: vertexFlags = Int(g); break;
          default: break;
        }
      }
      if ((vertexFlags & 16) != 0) continue;  // a spline frame's control point
      vertices_.push_back(v);
    }
    if (TrimValue(next.text) == "SEQEND") Collect(groups_, next);
    if ((flags & (16 | 64)) != 0) return false;  // a mesh
    if (head.invisible) return false;
    PolylineGeometry polyline;
    polyline.closed = (flags & 1) != 0;
    polyline.width = haveWidth ? width : 0.0;
    if ((flags & 8) == 0) {
      MapVertices(Ocs::Of(head.nx, head.ny, head.nz));
    } else {
      for (PolylineVertex& v : vertices_) v.bulge = 0.0;
    }
    drawing_.Add(StyleOf(head), polyline, vertices_);
    return true;
  }

  void AddEllipse(const Common& c) {
    EllipseGeometry e;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: e.center.x = Real(g); break;
        case 20: e.center.y = Real(g); break;
        case 11: e.majorAxis.x = Real(g); break;
        case 21: e.majorAxis.y = Real(g); break;
        case 40: e.ratio = Real(g); break;
        case 41: e.startParam = Real(g); break;
        case 42: e.endParam = Real(g); break;
        default: break;
      }
    }
    if (c.nz < 0) {  // the minor axis points the other way: run the parameter backwards
      const double start = e.startParam;
      e.startParam = -e.endParam;
      e.endParam = -start;
    }
    drawing_.Add(StyleOf(c), e);
  }

  // SPLINE groups from `first` on (a hatch edge passes its own range).
  SplineGeometry ReadSpline(std::size_t first, std::size_t last) {
    SplineGeometry s;
    for (std::size_t i = first; i < last; ++i) {
      const DxfGroup& g = groups_[i];
      if (g.code == 100 && TrimValue(g.text) == "AcDbHelix") break;  // the helix's own axis follows
      switch (g.code) {
        case 70: {
          const int flags = Int(g);
          s.closed = (flags & 1) != 0;
          s.periodic = (flags & 2) != 0;
          break;
        }
        case 71: s.degree = std::clamp(Int(g), 1, 25); break;
        case 40: s.knots.push_back(Real(g)); break;
        case 41: s.weights.push_back(Real(g)); break;
        case 10: s.controlPoints.push_back({Real(g), 0.0}); break;
        case 20:
          if (!s.controlPoints.empty()) s.controlPoints.back().y = Real(g);
          break;
        case 11: s.fitPoints.push_back({Real(g), 0.0}); break;
        case 21:
          if (!s.fitPoints.empty()) s.fitPoints.back().y = Real(g);
          break;
        default: break;
      }
    }
    return s;
  }

  void AddSpline(const Common& c) { drawing_.Add(StyleOf(c), ReadSpline(0, groups_.size())); }

  void AddMText(const Common& c) {
    MTextGeometry m;
    std::string raw;
    std::string_view last;
    bool haveDirection = false;
    double dx = 1, dy = 0;
    for (const DxfGroup& g : groups_) {
      if (g.code == 101) break;  // column data follows, with codes of its own
      switch (g.code) {
        case 10: m.position.x = Real(g); break;
        case 20: m.position.y = Real(g); break;
        case 40: m.height = Real(g); break;
        case 41: m.width = Real(g); break;
        case 44: m.lineSpacing = Real(g); break;
        case 71: m.attachment = static_cast<std::uint8_t>(std::clamp(Int(g), 1, 9)); break;
        case 50: m.rotation = Real(g); break;
        case 11: dx = Real(g), haveDirection = true; break;
        case 21: dy = Real(g), haveDirection = true; break;
        case 3: raw.append(g.text); break;
        case 1: last = g.text; break;
        case 7: m.style = Decode(TrimValue(g.text)); break;
        default: break;
      }
    }
    raw.append(last);
    m.value = Decode(raw);
    if (haveDirection && (dx != 0 || dy != 0)) m.rotation = std::atan2(dy, dx) * 180.0 / kPi;
    drawing_.Add(StyleOf(c), std::move(m));
  }

  void AddInsert(const Common& c, DxfGroup& next) {
    InsertGeometry insert;
    std::string_view blockName;
    bool attributesFollow = false;
    for (const DxfGroup& g : groups_) {
      if (g.code == 100 && TrimValue(g.text) == "AcDbTable") break;  // a table's own data follows
      switch (g.code) {
        case 2: blockName = g.text; break;
        case 10: insert.position.x = Real(g); break;
        case 20: insert.position.y = Real(g); break;
        case 41: insert.xScale = Real(g); break;
        case 42: insert.yScale = Real(g); break;
        case 50: insert.rotation = Real(g); break;
        case 70: insert.columns = static_cast<std::uint16_t>(std::clamp(Int(g), 1, 0xFFFF)); break;
        case 71: insert.rows = static_cast<std::uint16_t>(std::clamp(Int(g), 1, 0xFFFF)); break;
        case 44: insert.columnSpacing = Real(g); break;
        case 45: insert.rowSpacing = Real(g); break;
        case 66: attributesFollow = Int(g) == 1; break;
        default: break;
      }
    }
    insert.block = BlockFor(blockName);
    const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
    if (ocs.kind != Ocs::Kind::Identity) {
      insert.position = ocs.Map(insert.position);
      insert.rotation = ocs.MapAngle(insert.rotation);
      if (ocs.Mirrored()) {
        insert.rotation += 180.0;
        insert.xScale = -insert.xScale;
        insert.yScale = insert.yScale;
      }
    }
    const EntityStyle style = StyleOf(c);
    // Its attributes, up to SEQEND.
    std::vector<std::pair<EntityStyle, AttribGeometry>> attributes;
    while (attributesFollow && TrimValue(next.text) == "ATTRIB") {
      Collect(groups_, next);
      Common ac;
      for (const DxfGroup& g : groups_) TakeCommon(g, ac);
      AttribGeometry attrib;
      int flags = 0;
      attrib.text = ReadText(ac, true, &attrib.tag, &flags);
      attrib.invisible = (flags & 1) != 0 || ac.invisible;
      attributes.emplace_back(StyleOf(ac), std::move(attrib));
    }
    if (attributesFollow && TrimValue(next.text) == "SEQEND") Collect(groups_, next);
    if (c.invisible) return;
    insert.attributes = static_cast<std::uint32_t>(attributes.size());
    drawing_.Add(style, insert);
    for (auto& [attributeStyle, attrib] : attributes) drawing_.Add(attributeStyle, std::move(attrib));
  }

  bool AddDimension(const Common& c) {
    DimensionGeometry d;
    std::string_view blockName;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 2: blockName = g.text; break;
        case 10: d.definitionPoint.x = Real(g); break;
        case 20: d.definitionPoint.y = Real(g); break;
        case 11: d.textPoint.x = Real(g); break;
        case 21: d.textPoint.y = Real(g); break;
        case 12: d.blockOffset.x = Real(g); break;
        case 22: d.blockOffset.y = Real(g); break;
        case 70: d.dimensionType = static_cast<std::uint8_t>(Int(g) & 0xFF); break;
        case 42: d.measurement = Real(g); break;
        case 1: d.text = Decode(g.text); break;
        case 3: d.style = Decode(TrimValue(g.text)); break;
        default: break;
      }
    }
    if (TrimValue(blockName).empty()) return false;  // nothing to draw it with
    d.block = BlockFor(blockName);
    drawing_.Add(StyleOf(c), std::move(d));
    return true;
  }

  void AddLeader(const Common& c) {
    LeaderGeometry leader;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: leader.vertices.push_back({Real(g), 0.0}); break;
        case 20:
          if (!leader.vertices.empty()) leader.vertices.back().y = Real(g);
          break;
        case 71: leader.arrowhead = Int(g) != 0; break;
        default: break;
      }
    }
    drawing_.Add(StyleOf(c), std::move(leader));
  }

  // HATCH: its boundary paths in their order; groups are read in sequence because the same
  // codes mean different things in different places.
  void AddHatch(const Common& c) {
    HatchGeometry hatch;
    const std::size_t n = groups_.size();
    std::size_t i = 0;
    const auto at = [&](int code) { return i < n && groups_[i].code == code; };
    // Up to the number of loops (91): pattern name and solid fill.
    for (; i < n && groups_[i].code != 91; ++i) {
      if (groups_[i].code == 2) hatch.pattern = Decode(TrimValue(groups_[i].text));
      if (groups_[i].code == 70) hatch.solid = Int(groups_[i]) == 1;
    }
    if (i >= n) {
      drawing_.Add(StyleOf(c), std::move(hatch));
      return;
    }
    const std::int64_t loops = std::max(0, Int(groups_[i++]));
    for (std::int64_t l = 0; l < loops && i < n; ++l) {
      while (i < n && groups_[i].code != 92) ++i;
      if (i >= n) break;
      HatchLoop loop;
      loop.flags = static_cast<std::uint32_t>(Int(groups_[i++]));
      loop.isPolyline = (loop.flags & 2) != 0;
      if (loop.isPolyline) {
        // 72 has bulges, 73 closed, 93 vertex count, then 10/20 (42) per vertex.
        std::int64_t count = 0;
        for (; i < n && groups_[i].code != 10; ++i) {
          if (groups_[i].code == 73) loop.closed = Int(groups_[i]) != 0;
          if (groups_[i].code == 93) count = std::max(0, Int(groups_[i]));
          if (groups_[i].code == 92 || groups_[i].code == 97) break;
        }
        for (std::int64_t v = 0; v < count && at(10); ++v) {
          PolylineVertex vertex;
          vertex.point.x = Real(groups_[i++]);
          if (at(20)) vertex.point.y = Real(groups_[i++]);
          if (at(42)) vertex.bulge = Real(groups_[i++]);
          loop.polyline.push_back(vertex);
        }
      } else {
        std::int64_t edges = 0;
        if (at(93)) edges = std::max(0, Int(groups_[i++]));
        for (std::int64_t e = 0; e < edges && at(72); ++e) {
          const int type = Int(groups_[i++]);
          const std::size_t start = i;
          // The edge's groups run to the next 72 (another edge), 92 (another loop) or 97
          // (the loop's source objects).
          std::size_t end = i;
          if (type == 4) {
            // A spline edge holds 97 (fit point count) itself; its groups end at the next
            // edge or loop, or at the source-object count after its fit data.
            std::int64_t fits = 0;
            while (end < n && groups_[end].code != 72 && groups_[end].code != 92) {
              if (groups_[end].code == 97) {
                fits = std::max(0, Int(groups_[end]));
                ++end;
                std::int64_t taken = 0;
                while (end < n && taken < 2 * fits && (groups_[end].code == 11 || groups_[end].code == 21)) {
                  ++end, ++taken;
                }
                while (end < n && (groups_[end].code == 12 || groups_[end].code == 22 || groups_[end].code == 13 ||
                                   groups_[end].code == 23)) {
                  ++end;
                }
                break;
              }
              ++end;
            }
          } else {
            while (end < n && groups_[end].code != 72 && groups_[end].code != 92 && groups_[end].code != 97) ++end;
          }
          loop.edges.push_back(ReadEdge(type, start, end));
          i = end;
        }
      }
      hatch.loops.push_back(std::move(loop));
    }
    const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
    if (ocs.kind != Ocs::Kind::Identity) MapHatch(hatch, ocs);
    drawing_.Add(StyleOf(c), std::move(hatch));
  }

  HatchEdge ReadEdge(int type, std::size_t first, std::size_t last) {
    const auto value = [&](int code, double fallback) {
      for (std::size_t k = first; k < last; ++k) {
        if (groups_[k].code == code) return Real(groups_[k]);
      }
      return fallback;
    };
    const auto flag = [&](int code) {
      for (std::size_t k = first; k < last; ++k) {
        if (groups_[k].code == code) return Int(groups_[k]) != 0;
      }
      return true;
    };
    switch (type) {
      case 2:
        return HatchArcEdge{{value(10, 0), value(20, 0)}, value(40, 0), value(50, 0), value(51, 360), flag(73)};
      case 3:
        return HatchEllipseEdge{{value(10, 0), value(20, 0)}, {value(11, 1), value(21, 0)}, value(40, 1),
                                value(50, 0), value(51, 360), flag(73)};
      case 4: {
        SplineGeometry s;
        s.degree = std::clamp(static_cast<int>(value(94, 3)), 1, 25);
        for (std::size_t k = first; k < last; ++k) {
          const DxfGroup& g = groups_[k];
          if (g.code == 40) s.knots.push_back(Real(g));
          if (g.code == 42) s.weights.push_back(Real(g));
          if (g.code == 10) s.controlPoints.push_back({Real(g), 0.0});
          if (g.code == 20 && !s.controlPoints.empty()) s.controlPoints.back().y = Real(g);
          if (g.code == 11) s.fitPoints.push_back({Real(g), 0.0});
          if (g.code == 21 && !s.fitPoints.empty()) s.fitPoints.back().y = Real(g);
          if (g.code == 74) s.periodic = Int(g) != 0;
        }
        return s;
      }
      default: return HatchLineEdge{{value(10, 0), value(20, 0)}, {value(11, 0), value(21, 0)}};
    }
  }

  static void MapHatch(HatchGeometry& hatch, const Ocs& ocs) {
    const bool mirrored = ocs.Mirrored();
    for (HatchLoop& loop : hatch.loops) {
      for (PolylineVertex& v : loop.polyline) {
        v.point = ocs.Map(v.point);
        if (mirrored) v.bulge = -v.bulge;
      }
      for (HatchEdge& edge : loop.edges) {
        if (auto* l = std::get_if<HatchLineEdge>(&edge)) {
          l->start = ocs.Map(l->start);
          l->end = ocs.Map(l->end);
        } else if (auto* a = std::get_if<HatchArcEdge>(&edge)) {
          a->center = ocs.Map(a->center);
          a->startAngle = ocs.MapAngle(a->startAngle);
          a->endAngle = ocs.MapAngle(a->endAngle);
          if (mirrored) a->counterClockwise = !a->counterClockwise;
        } else if (auto* e = std::get_if<HatchEllipseEdge>(&edge)) {
          e->center = ocs.Map(e->center);
          e->majorAxis = ocs.Map(e->majorAxis);
          if (mirrored) {
            e->startAngle = -e->startAngle;
            e->endAngle = -e->endAngle;
            e->counterClockwise = !e->counterClockwise;
          }
        } else if (auto* s = std::get_if<SplineGeometry>(&edge)) {
          for (Point2d& p : s->controlPoints) p = ocs.Map(p);
          for (Point2d& p : s->fitPoints) p = ocs.Map(p);
        }
      }
    }
  }

  void AddSolid(const Common& c, Kind kind) {
    SolidGeometry solid;
    solid.kind = kind == Kind::Solid ? SolidKind::Solid : kind == Kind::Trace ? SolidKind::Trace : SolidKind::Face3d;
    bool haveFourth = false;
    for (const DxfGroup& g : groups_) {
      if (g.code >= 10 && g.code <= 13) solid.corners[g.code - 10].x = Real(g);
      if (g.code >= 20 && g.code <= 23) solid.corners[g.code - 20].y = Real(g);
      if (g.code == 13 || g.code == 23) haveFourth = true;
      if (g.code == 70 && kind == Kind::Face3d) solid.invisibleEdges = static_cast<std::uint8_t>(Int(g) & 15);
    }
    if (!haveFourth) solid.corners[3] = solid.corners[2];
    if (kind != Kind::Face3d) {
      const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
      for (Point2d& p : solid.corners) p = ocs.Map(p);
    }
    drawing_.Add(StyleOf(c), solid);
  }

  void AddPoint(const Common& c) {
    PointGeometry point;
    for (const DxfGroup& g : groups_) {
      if (g.code == 10) point.position.x = Real(g);
      if (g.code == 20) point.position.y = Real(g);
    }
    drawing_.Add(StyleOf(c), point);
  }

  void AddRay(const Common& c, bool infinite) {
    RayGeometry ray;
    ray.infinite = infinite;
    ray.direction = {1, 0};
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: ray.base.x = Real(g); break;
        case 20: ray.base.y = Real(g); break;
        case 11: ray.direction.x = Real(g); break;
        case 21: ray.direction.y = Real(g); break;
        default: break;
      }
    }
    drawing_.Add(StyleOf(c), ray);
  }

  void AddWipeout(const Common& c) {
    Point2d insert, u{1, 0}, v{0, 1}, size{1, 1};
    int clipType = 1;
    std::vector<Point2d> clip;
    for (const DxfGroup& g : groups_) {
      switch (g.code) {
        case 10: insert.x = Real(g); break;
        case 20: insert.y = Real(g); break;
        case 11: u.x = Real(g); break;
        case 21: u.y = Real(g); break;
        case 12: v.x = Real(g); break;
        case 22: v.y = Real(g); break;
        case 13: size.x = Real(g); break;
        case 23: size.y = Real(g); break;
        case 71: clipType = Int(g); break;
        case 14: clip.push_back({Real(g), 0.0}); break;
        case 24:
          if (!clip.empty()) clip.back().y = Real(g);
          break;
        default: break;
      }
    }
    if (clip.size() < 2) clip = {{-0.5, -0.5}, {size.x - 0.5, size.y - 0.5}};
    if (clipType == 1 || clip.size() == 2) {
      const Point2d p0 = clip[0], p1 = clip[1];
      clip = {p0, {p1.x, p0.y}, p1, {p0.x, p1.y}};
    }
    // The clipping path's origin is the image's top left corner, y running down.
    const Point2d origin{insert.x + 0.5 * u.x - 0.5 * v.x, insert.y + 0.5 * u.y - 0.5 * v.y};
    WipeoutGeometry wipeout;
    wipeout.frame.reserve(clip.size());
    for (const Point2d& p : clip) {
      const double down = size.y - p.y;
      wipeout.frame.push_back({origin.x + u.x * p.x + v.x * down, origin.y + u.y * p.x + v.y * down});
    }
    drawing_.Add(StyleOf(c), std::move(wipeout));
  }

  // ---- the end ----

  // Inserts whose blocks insert themselves, directly or further down.
  std::size_t CountInsertCycles() const {
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

  void Finish() {
    report_.entitiesRead = drawing_.EntityCount();
    for (std::size_t k = 0; k < kKindCount; ++k) {
      if (drawn_[k] != 0) report_.drawnTypes[std::string(kKindNames[k])] += drawn_[k];
    }
    for (const auto& [name, count] : skipped_) report_.skippedTypes[name] += count;
    report_.blocks = drawing_.Blocks().size();
    for (const Block& b : drawing_.Blocks()) report_.blockEntities += b.entities.size();
    report_.insertCycles = CountInsertCycles();
  }

  DxfTokenizer tok_;
  Drawing& drawing_;
  DxfReadReport& report_;
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

}  // namespace

DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source) {
  std::string_view data = text;
  if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) data.remove_prefix(kUtf8Bom.size());
  DxfReadReport report;
  Reader reader(data, drawing, source, report);
  try {
    reader.Run();
  } catch (const std::length_error& e) {
    Raise(ErrorKind::BadFormat, "The file " + source + " is not a readable DXF file: " + e.what());
  }
  return report;
}

}  // namespace tessaro
