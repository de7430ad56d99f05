// The reader's annotations and references: TEXT, ATTRIB, MTEXT, INSERT (with its
// attributes), DIMENSION and LEADER.
#include "dxf/reader_internal.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tessaro::dxf_reader {

TextGeometry Reader::ReadText(const Common& c, bool attribute, std::string* tag, int* flags) {
  TextGeometry text;
  bool haveAlignPoint = false;
  double z = 0.0;
  for (const DxfGroup& g : groups_) {
    if (g.code == 101) break;  // an embedded multi-line attribute follows: not read
    switch (g.code) {
      case 30: z = Real(g); break;
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
    text.position = ocs.Map(text.position, z);
    text.alignPoint = ocs.Map(text.alignPoint, z);
    text.rotation = ocs.MapAngle(text.rotation);
    if (ocs.Mirrored()) {
      text.rotation += 180.0;
      text.generation ^= 2;  // backward
    }
  }
  return text;
}

void Reader::AddText(const Common& c, bool attribute) {
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

void Reader::AddMText(const Common& c) {
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
  // The direction is in world coordinates, the rotation in the text's plane; a plane seen
  // from below mirrors the text.
  const Ocs ocs = Ocs::Of(c.nx, c.ny, c.nz);
  m.mirrored = ocs.Mirrored();
  if (haveDirection && (dx != 0 || dy != 0)) {
    m.rotation = std::atan2(dy, dx) * 180.0 / kPi;
  } else {
    m.rotation = ocs.MapAngle(m.rotation);
  }
  drawing_.Add(StyleOf(c), std::move(m));
}

void Reader::AddInsert(const Common& c, DxfGroup& next) {
  InsertGeometry insert;
  std::string_view blockName;
  bool attributesFollow = false;
  double z = 0.0;
  for (const DxfGroup& g : groups_) {
    if (g.code == 100 && TrimValue(g.text) == "AcDbTable") break;  // a table's own data follows
    switch (g.code) {
      case 2: blockName = g.text; break;
      case 10: insert.position.x = Real(g); break;
      case 20: insert.position.y = Real(g); break;
      case 30: z = Real(g); break;
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
  if (ocs.kind == Ocs::Kind::MirrorX) {
    insert.position = ocs.Map(insert.position);
    insert.rotation = ocs.MapAngle(insert.rotation) + 180.0;
    insert.xScale = -insert.xScale;
  } else if (ocs.kind == Ocs::Kind::General) {
    insert.position = ocs.Map(insert.position, z);
    // The block's x and y axes as seen: along x the rotation and the length of x seen from
    // above, across it what is left of y (a slant from a tilted plane is left out).
    const double r = insert.rotation * kPi / 180.0;
    const Point2d x = ocs.MapVector({std::cos(r), std::sin(r)}), y = ocs.MapVector({-std::sin(r), std::cos(r)});
    const double xLength = std::hypot(x.x, x.y);
    if (xLength > 1e-12) {
      insert.rotation = std::atan2(x.y, x.x) * 180.0 / kPi;
      insert.xScale *= xLength;
      insert.yScale *= (x.x * y.y - x.y * y.x) / xLength;
    } else {
      insert.rotation = std::atan2(y.y, y.x) * 180.0 / kPi - 90.0;
      insert.xScale *= 0.0;
      insert.yScale *= std::hypot(y.x, y.y);
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

bool Reader::AddDimension(const Common& c) {
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

void Reader::AddLeader(const Common& c) {
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

}  // namespace tessaro::dxf_reader
