// The writer's entity records: which entities are written, the dispatch by type, the
// records that go straight into the block (LINE, CIRCLE, ARC, TEXT, ATTRIB) and the text of
// their numbers.
#include "dxf_write/writer_internal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cad/block_references.h"
#include "dxf/text.h"

namespace tessaro::dxf_writer {

namespace {

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

}  // namespace

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

// Whether the writer writes an entity of the list of `owner` (a block, or model space):
// what DXF can hold, less the inserts and dimensions that would make a block contain itself.
bool Holds(const Drawing& drawing, const EntityHeader& e, std::optional<BlockIndex> owner,
           const std::vector<std::uint32_t>& cycleParts) {
  if (e.type <= EntityType::Text) return true;  // lines, circles, arcs and texts always
  if (!DxfCanHold(drawing, e)) return false;
  return !ClosesBlockCycle(drawing, e, owner, cycleParts);
}

EntityRecords::EntityRecords(GroupWriter& out, const Drawing& drawing, const std::vector<std::string>& layerNames,
                             const std::vector<std::string>& blockNames, const std::vector<std::string>& lineTypeNames)
    : out_(out),
      drawing_(drawing),
      layerNames_(layerNames),
      blockNames_(blockNames),
      lineTypeNames_(lineTypeNames),
      cycleParts_(BlockCycleParts(drawing)) {
  layerParts_.reserve(layerNames.size());
  for (const auto& name : layerNames) layerParts_.push_back("100\nAcDbEntity\n  8\n" + name + "\n 62\n");
}

void EntityRecords::WriteList(std::span<const EntityHeader> list, std::optional<BlockIndex> owner,
                              std::uint32_t ownerRecord) {
  owner_ = ownerRecord;
  WalkEntities(
      list, drawing_,
      [&](const EntityHeader& e, std::span<const EntityHeader> attributes) {
        return Holds(drawing_, e, owner, cycleParts_) && Write(e, attributes);
      },
      [](const EntityHeader&) {});
}

// Writes an entity that Holds; false for an attribute, which goes with its insert.
bool EntityRecords::Write(const EntityHeader& e, std::span<const EntityHeader> attributes) {
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

// Entity type and handle, attributes and the first subclass marker; `extra` is the room
// the record's texts take beyond its fixed text and numbers.
std::string_view EntityRecords::LineTypeOf(const EntityHeader& e, double& scale) const {
  const EntityLineStyle style = drawing_.LineStyle(e);
  scale = std::isfinite(style.scale) ? style.scale : 1.0;
  if (style.lineType == kLineTypeByLayer) return "BYLAYER";
  if (style.lineType == kLineTypeByBlock) return "BYBLOCK";
  if (style.lineType < lineTypeNames_.size() && !lineTypeNames_[style.lineType].empty()) {
    return lineTypeNames_[style.lineType];
  }
  return "CONTINUOUS";
}

char* EntityRecords::Head(const EntityHeader& entity, std::string_view type, std::string_view subclass,
                          std::size_t extra) {
  const std::string& layer = layerParts_[entity.layer];
  double scale = 1.0;
  const std::string_view lineType =
      drawing_.Styles().HasEntityLineStyles() ? LineTypeOf(entity, scale) : std::string_view("BYLAYER");
  char* p = out_.Room(kFixedRoom + kRealsRoom + layer.size() + lineType.size() + extra);
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
  if (lineType == "BYLAYER" && scale == 1.0) {
    p = PutText(p, "\n370\n-1\n 48\n1\n  6\nBYLAYER\n");
  } else {
    p = Real(PutText(p, "\n370\n-1\n"), " 48\n", scale);
    p = PutText(PutText(PutText(p, "  6\n"), lineType), "\n");
  }
  return PutText(p, subclass);
}

void EntityRecords::WriteLine(const EntityHeader& e) {
  const auto& g = drawing_.Line(e);
  Finite({g.start.x, g.start.y, g.end.x, g.end.y}, {10, 20, 11, 21});
  const auto z = drawing_.Heights(e);  // a line in 3-D keeps its heights
  char* p = Head(e, "  0\nLINE\n  5\n", "100\nAcDbLine\n", 0);
  p = Real(p, " 10\n", g.start.x);
  p = Real(p, " 20\n", g.start.y);
  p = z.size() == 2 ? Real(p, " 30\n", z[0]) : PutText(p, " 30\n0\n");
  p = Real(p, " 11\n", g.end.x);
  p = Real(p, " 21\n", g.end.y);
  out_.Advance(z.size() == 2 ? Real(p, " 31\n", z[1]) : PutText(p, " 31\n0\n"));
}

void EntityRecords::WriteCircle(const EntityHeader& e) {
  const auto& g = drawing_.Circle(e);
  Finite({g.center.x, g.center.y, g.radius}, {10, 20, 40});
  char* p = Head(e, "  0\nCIRCLE\n  5\n", "100\nAcDbCircle\n", 0);
  out_.Advance(Round(p, g.center, g.radius));
}

void EntityRecords::WriteArc(const EntityHeader& e) {
  const auto& g = drawing_.Arc(e);
  Finite({g.center.x, g.center.y, g.radius, g.startAngle, g.endAngle}, {10, 20, 40, 50, 51});
  char* p = Head(e, "  0\nARC\n  5\n", "100\nAcDbCircle\n", 0);
  p = PutText(Round(p, g.center, g.radius), "100\nAcDbArc\n");
  p = Real(p, " 50\n", g.startAngle);
  out_.Advance(Real(p, " 51\n", g.endAngle));
}

// The groups TEXT and ATTRIB share, from the position to the second point; `type` is the
// record's head up to its handle.
char* EntityRecords::TextBody(const TextGeometry& g, const EntityHeader& e, std::string_view type, std::size_t extra) {
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

void EntityRecords::WriteText(const TextGeometry& g, const EntityHeader& e) {
  char* p = TextBody(g, e, "  0\nTEXT\n  5\n", 0);
  p = PutText(p, "100\nAcDbText\n 73\n");
  p = std::to_chars(p, p + 4, static_cast<int>(g.vAlign)).ptr;
  *p++ = '\n';
  out_.Advance(p);
}

void EntityRecords::WriteAttrib(const EntityHeader& e) {
  const AttribGeometry& g = drawing_.Attrib(e);
  const std::string_view tag = DxfTextOf(g.tag, encodedTag_);
  char* p = TextBody(g.text, e, "  0\nATTRIB\n  5\n", tag.size());
  p = PutText(PutText(p, "100\nAcDbAttribute\n  2\n"), tag);
  p = PutText(p, g.invisible ? "\n 70\n1\n 74\n" : "\n 70\n0\n 74\n");
  p = std::to_chars(p, p + 4, static_cast<int>(g.text.vAlign)).ptr;
  *p++ = '\n';
  out_.Advance(p);
}

// Returns the entity's handle.
std::uint32_t EntityRecords::Head(const EntityHeader& e, std::string_view type, std::string_view subclass) {
  out_.String(0, type);
  const std::uint32_t handle = out_.Handle();
  if (owner_ != 0) out_.Hex(330, owner_);
  out_.Subclass("AcDbEntity");
  out_.String(8, layerNames_[e.layer]);
  out_.Int(62, e.color);
  if (const auto rgb = drawing_.TrueColor(e)) out_.Int(420, *rgb & 0xFFFFFFu);
  out_.Int(370, -1);
  double scale = 1.0;
  const std::string_view lineType =
      drawing_.Styles().HasEntityLineStyles() ? LineTypeOf(e, scale) : std::string_view("BYLAYER");
  out_.Real(48, scale);
  out_.String(6, lineType);
  out_.Subclass(subclass);
  return handle;
}

}  // namespace tessaro::dxf_writer

namespace tessaro {

std::string FormatDxfReal(double value) {
  char digits[dxf_writer::kRealRoom];
  return std::string(digits, dxf_writer::PutDxfReal(digits, value));
}

}  // namespace tessaro
