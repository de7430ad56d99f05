// The bytes of the DXF files we write for piece drawings (lines, circles, arcs and texts on
// named layers) are pinned: CAD users compare drawings file by file, and a byte that moves
// without a reason shows up as a changed drawing. Each case hashes the whole text; the
// tables of a small drawing are kept readable below so a failure shows what moved.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "dxf/file.h"

namespace tessaro {
namespace {

// FNV-1a, 64 bits: enough to notice any change, short enough to keep in the source.
std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

Drawing Empty() { return {}; }

// What a piece drawing holds: its five layers, the four entity types, the usual colours,
// Ø in texts and values to the tenth of a millimetre.
Drawing PieceLike() {
  Drawing d;
  for (const char* name : {"Sezioni", "ContornoCLS", "Ferri", "Testo", "Quote"}) d.AddLayer(name);
  d.SetCurrentLayer("ContornoCLS");
  d.AddLine({{0, 0}, {40, 0}}, 5);
  d.AddLine({{40, 0}, {40, 60.5f}}, 5);
  d.SetCurrentLayer("Ferri");
  d.AddCircle({{4.3f, 4.3f}, 0.8f}, 3);
  d.AddArc({{10, 20}, 3.75f, 270, 90}, 21);
  d.SetCurrentLayer("Testo");
  d.AddText({{1.5f, 2}, 2.5f, "4\xC3\x98" "16 L=325", "Arial"}, 6);
  d.AddText({{-12.25f, 618.5f}, 10, "Pilastro P1", ""}, 1);
  d.SetCurrentLayer("Quote");
  d.AddLine({{-3.3f, 0.1f}, {1234.567f, -0.001f}}, 4);
  return d;
}

// The corners of the table writer: layer "0" given later, a layer off, "defpoints", an
// empty layer name, names with letters Windows-1252 has and lacks, a style named twice in
// different case, a style that only differs from Arial in case, BYBLOCK/BYLAYER colours,
// texts with line breaks and a character beyond \U+FFFF.
Drawing Corners() {
  Drawing d;
  d.AddLayer("Testi \xC3\xA8");
  d.AddLayer("0");
  d.AddLayer("DefPoints");
  d.AddLayer("");
  d.AddLayer("\xE2\x88\x85 strano");
  d.SetLayerOn("Testi \xC3\xA8", false);
  d.SetLayerOn("0", false);
  d.SetCurrentLayer("DefPoints");
  d.AddText({{0, 0}, 1, "a\r\nb \xF0\x9F\x98\x80 \xE2\x82\xAC", "Romans"}, 0);
  d.AddText({{1, 1}, 2, "x", "ROMANS"}, 256);
  d.AddText({{2, 2}, 3, "y", "arial"}, 7);
  d.AddText({{3, 3}, 4, "z", "STANDARD"}, 7);
  d.SetCurrentLayer("");
  d.AddCircle({{1e-5f, 3e5f}, 1.0f / 3}, 256);
  d.AddArc({{0.1f, -0.2f}, 1e7f, -45, 405}, 0);
  return d;
}

struct PinCase {
  const char* name;
  Drawing (*make)();
  const char* hash;
};

const PinCase kPinCases[] = {
    {"empty", Empty, "fc1ef477117fa3de"},
    {"piece-like", PieceLike, "068bf419cf051c28"},
    {"corners", Corners, "d3f9a5ee6683c7f8"},
};

TEST(DxfWriterPin, TheBytesOfWhatPieceDrawingsHoldStayTheSame) {
  for (const auto& c : kPinCases) {
    EXPECT_EQ(Hex(Fnv1a(DxfText(c.make()))), c.hash) << c.name;
  }
}

// A section of DXF text, one record a line: "0 TYPE|5 handle|..." up to the next group 0.
std::string Records(const std::string& text, std::string_view section) {
  const std::string head = "  0\nSECTION\n  2\n" + std::string(section) + "\n";
  std::size_t at = text.find(head);
  if (at == std::string::npos) return "no section " + std::string(section);
  std::string out;
  while (at < text.size()) {
    const std::size_t codeEnd = text.find('\n', at);
    const std::size_t valueEnd = text.find('\n', codeEnd + 1);
    if (codeEnd == std::string::npos || valueEnd == std::string::npos) break;
    std::string_view code(text.data() + at, codeEnd - at);
    code.remove_prefix(code.find_first_not_of(' '));
    const std::string_view value(text.data() + codeEnd + 1, valueEnd - codeEnd - 1);
    if (code == "0" && !out.empty()) out += '\n';
    else if (!out.empty()) out += '|';
    out.append(code).append(" ").append(value);
    at = valueEnd + 1;
    if (code == "0" && value == "ENDSEC") break;
  }
  return out + '\n';
}

// The tables of an empty drawing, record by record.
constexpr std::string_view kEmptyTables = R"(0 SECTION|2 TABLES
0 TABLE|2 VPORT|5 8|100 AcDbSymbolTable|70 1
0 VPORT|5 30|100 AcDbSymbolTableRecord|100 AcDbViewportTableRecord|2 *Active|70 0|10 0|20 0|11 1|21 1|12 286.3055555555555|22 148.5|13 0|23 0|14 10|24 10|15 10|25 10|16 0|26 0|36 1|17 0|27 0|37 0|40 297|41 1.92798353909465|42 50|43 0|44 0|50 0|51 0|71 0|72 100|73 1|74 3|75 1|76 1|77 0|78 0|281 0|65 1|110 0|120 0|130 0|111 1|121 0|131 0|112 0|122 1|132 0|79 0|146 0
0 ENDTAB
0 TABLE|2 LTYPE|5 5|100 AcDbSymbolTable|70 3
0 LTYPE|5 14|100 AcDbSymbolTableRecord|100 AcDbLinetypeTableRecord|2 BYBLOCK|70 0|3 |72 65|73 0|40 0
0 LTYPE|5 15|100 AcDbSymbolTableRecord|100 AcDbLinetypeTableRecord|2 BYLAYER|70 0|3 |72 65|73 0|40 0
0 LTYPE|5 16|100 AcDbSymbolTableRecord|100 AcDbLinetypeTableRecord|2 CONTINUOUS|70 0|3 Solid line|72 65|73 0|40 0
0 ENDTAB
0 TABLE|2 LAYER|5 2|100 AcDbSymbolTable|70 1
0 LAYER|5 10|100 AcDbSymbolTableRecord|100 AcDbLayerTableRecord|2 0|70 0|62 7|6 CONTINUOUS|370 -3|390 F
0 ENDTAB
0 TABLE|2 STYLE|5 3|100 AcDbSymbolTable|70 2
0 STYLE|5 31|100 AcDbSymbolTableRecord|100 AcDbTextStyleTableRecord|2 STANDARD|70 0|40 0|41 1|50 0|71 0|42 2.5|3 |4 |1001 ACAD|1000 Arial|1071 0
0 STYLE|5 32|100 AcDbSymbolTableRecord|100 AcDbTextStyleTableRecord|2 Arial|70 0|40 0|41 1|50 0|71 0|42 2.5|3 |4 |1001 ACAD|1000 Arial|1071 0
0 ENDTAB
0 TABLE|2 VIEW|5 6|100 AcDbSymbolTable|70 0
0 ENDTAB
0 TABLE|2 UCS|5 7|100 AcDbSymbolTable|70 0
0 ENDTAB
0 TABLE|2 APPID|5 9|100 AcDbSymbolTable|70 1
0 APPID|5 12|100 AcDbSymbolTableRecord|100 AcDbRegAppTableRecord|2 ACAD|70 0
0 ENDTAB
0 TABLE|2 DIMSTYLE|5 A|100 AcDbSymbolTable|70 1|100 AcDbDimStyleTable|71 0
0 DIMSTYLE|105 27|100 AcDbSymbolTableRecord|100 AcDbDimStyleTableRecord|2 Standard|70 0|340 31
0 ENDTAB
0 TABLE|2 BLOCK_RECORD|5 1|100 AcDbSymbolTable|70 2
0 BLOCK_RECORD|5 1F|100 AcDbSymbolTableRecord|100 AcDbBlockTableRecord|2 *Model_Space
0 BLOCK_RECORD|5 1B|100 AcDbSymbolTableRecord|100 AcDbBlockTableRecord|2 *Paper_Space
0 ENDTAB
0 ENDSEC
)";

TEST(DxfWriterPin, TheTablesOfAnEmptyDrawingReadAsBefore) {
  EXPECT_EQ(Records(DxfText(Drawing()), "TABLES"), kEmptyTables);
}

}  // namespace
}  // namespace tessaro
