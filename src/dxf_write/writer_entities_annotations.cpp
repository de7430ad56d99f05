// The writer's annotations and references: MTEXT, INSERT (with its attributes), DIMENSION
// and LEADER, through GroupWriter.
#include "dxf_write/writer_internal.h"

#include <algorithm>
#include <string>

#include "dxf/text.h"

namespace tessaro::dxf_writer {

// The text goes in pieces of at most 250 bytes (code 3, the last one code 1), never cut
// inside an escape such as \U+00D8 or \P.
void EntityRecords::WriteMText(const EntityHeader& e) {
  const auto& g = drawing_.MText(e);
  Head(e, "MTEXT", "AcDbMText");
  out_.Point(10, g.position.x, g.position.y);
  out_.Real(40, g.height);
  out_.Real(41, g.width);
  out_.Int(71, g.attachment >= 1 && g.attachment <= 9 ? g.attachment : 1);
  out_.Int(72, 1);  // left to right
  constexpr std::size_t kPiece = 250;
  const std::string text = EncodeDxfTextWhole(g.value);
  std::size_t at = 0;
  while (text.size() - at > kPiece) {
    std::size_t end = at + kPiece;
    const std::size_t escape = text.rfind('\\', end - 1);
    if (escape != std::string::npos && escape >= at + kPiece - 7 && escape > at) end = escape;
    out_.String(3, std::string_view(text).substr(at, end - at));
    at = end;
  }
  out_.String(1, std::string_view(text).substr(at));
  out_.String(7, g.style.empty() ? std::string(kArialStyle) : EncodeDxfText(g.style));
  if (g.mirrored) {  // in a plane seen from below, where the rotation runs the other way
    out_.Real(210, 0.0);
    out_.Real(220, 0.0);
    out_.Real(230, -1.0);
  }
  out_.Real(50, g.mirrored ? 180.0 - g.rotation : g.rotation);
  out_.Int(73, 1);  // at least the spacing given
  out_.Real(44, g.lineSpacing);
}

void EntityRecords::WriteInsert(const EntityHeader& e, std::span<const EntityHeader> attributes) {
  const auto& g = drawing_.Insert(e);
  const std::uint32_t handle = Head(e, "INSERT", "AcDbBlockReference");
  if (!attributes.empty()) out_.Int(66, 1);
  out_.String(2, blockNames_[g.block]);
  out_.Point(10, g.position.x, g.position.y);
  out_.Real(41, g.xScale);
  out_.Real(42, g.yScale);
  out_.Real(43, 1.0);
  out_.Real(50, g.rotation);
  if (g.columns > 1 || g.rows > 1) {
    out_.Int(70, std::max<int>(g.columns, 1));
    out_.Int(71, std::max<int>(g.rows, 1));
    out_.Real(44, g.columnSpacing);
    out_.Real(45, g.rowSpacing);
  }
  if (attributes.empty()) return;
  // The attributes and their end belong to the insert.
  const std::uint32_t blockOwner = owner_;
  owner_ = handle;
  for (const auto& attribute : attributes) WriteAttrib(attribute);
  out_.String(0, "SEQEND");
  out_.Handle();
  out_.Hex(330, owner_);
  owner_ = blockOwner;
  out_.Subclass("AcDbEntity");
  out_.String(8, layerNames_[e.layer]);
}

// The dimension draws through its block; the points that only its kind has are not held
// in the drawing, so the record gives the common ones.
void EntityRecords::WriteDimension(const EntityHeader& e) {
  const auto& g = drawing_.Dimension(e);
  Head(e, "DIMENSION", "AcDbDimension");
  out_.String(2, blockNames_[g.block]);
  out_.Point(10, g.definitionPoint.x, g.definitionPoint.y);
  out_.Point(11, g.textPoint.x, g.textPoint.y);
  out_.Point(12, g.blockOffset.x, g.blockOffset.y);
  out_.Int(70, g.dimensionType);
  out_.String(1, EncodeDxfText(g.text));
  out_.String(3, DimStyleName(g.style));
  out_.Real(42, g.measurement);
  switch (g.dimensionType & 0x0F) {
    case 0:
      out_.Subclass("AcDbAlignedDimension");
      out_.Subclass("AcDbRotatedDimension");
      break;
    case 1: out_.Subclass("AcDbAlignedDimension"); break;
    case 2: out_.Subclass("AcDb2LineAngularDimension"); break;
    case 3: out_.Subclass("AcDbDiametricDimension"); break;
    case 4: out_.Subclass("AcDbRadialDimension"); break;
    case 5: out_.Subclass("AcDb3PointAngularDimension"); break;
    case 6: out_.Subclass("AcDbOrdinateDimension"); break;
    default: break;
  }
}

void EntityRecords::WriteLeader(const EntityHeader& e) {
  const auto& g = drawing_.Leader(e);
  Head(e, "LEADER", "AcDbLeader");
  out_.String(3, "Standard");
  out_.Int(71, g.arrowhead ? 1 : 0);
  out_.Int(72, 0);  // straight segments
  out_.Int(73, 3);  // no annotation
  out_.Int(74, 0);
  out_.Int(75, 0);
  out_.Real(40, 0.0);
  out_.Real(41, 0.0);
  out_.Int(76, static_cast<long long>(g.vertices.size()));
  for (const auto& p : g.vertices) out_.Point(10, p.x, p.y);
}

std::string EntityRecords::DimStyleName(const std::string& style) {
  return style.empty() ? std::string("Standard") : EncodeDxfText(style);
}

}  // namespace tessaro::dxf_writer
