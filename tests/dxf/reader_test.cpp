// Reading DXF: every entity type from small hand-written files, each line end, binary DXF,
// the object coordinate system, paper space, and hostile files (huge counts, deep
// nesting, many layers, bad values) that must end in a drawing or a clear error, quickly.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "dxf/file.h"
#include "dxf/reader.h"
#include "dxf/text.h"
#include "dxf/tokenizer.h"
#include "base/errors.h"
#include "base/problem_words.h"
#include "support/entity_list.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

using Group = std::pair<int, std::string>;
using Groups = std::vector<Group>;

std::string Ascii(const Groups& groups, const std::string& eol = "\n") {
  std::string text;
  for (const auto& [code, value] : groups) text += std::to_string(code) + eol + value + eol;
  return text;
}

// A file of one ENTITIES section (and the sections given before it).
Groups File(const Groups& entities, const Groups& before = {}) {
  Groups all = before;
  all.insert(all.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
  all.insert(all.end(), entities.begin(), entities.end());
  all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
  return all;
}

Groups Blocks(const Groups& content) {
  Groups all = {{0, "SECTION"}, {2, "BLOCKS"}};
  all.insert(all.end(), content.begin(), content.end());
  all.push_back({0, "ENDSEC"});
  return all;
}

std::string Describe(const Drawing& d) { return test::ListDrawing(d); }

struct ReadResult {
  Drawing drawing;
  DxfReadReport report;
};

ReadResult Read(const std::string& text) {
  ReadResult r;
  r.report = ReadDxfText(text, r.drawing, "test.dxf");
  return r;
}

std::string ErrorOf(const std::string& text) {
  Drawing d;
  try {
    ReadDxfText(text, d, "test.dxf");
  } catch (const ProblemError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::BadFormat);
    return e.what();
  }
  return "no error";
}

// ---- every entity type ------------------------------------------------------------------

struct EntityCase {
  const char* name;
  Groups entities;
  std::string expected;  // Describe() of the drawing
};

TEST(DxfReader, ReadsEveryEntityType) {
  const EntityCase cases[] = {
      {"line", {{0, "LINE"}, {8, "Muri"}, {62, "3"}, {10, "1.5"}, {20, "-2"}, {30, "0"}, {11, "1e3"}, {21, "+4"}},
       "LINE Muri 3 1.5 -2 1000 4\n"},
      {"circle and arc",
       {{0, "CIRCLE"}, {10, "1"}, {20, "2"}, {40, "3"}, {0, "ARC"}, {10, "1"}, {20, "2"}, {40, "3"}, {50, "30"}, {51, "300"}},
       "CIRCLE 0 256 1 2 3\nARC 0 256 1 2 3 30 300\n"},
      {"true colour", {{0, "POINT"}, {62, "5"}, {420, "16711935"}, {10, "7"}, {20, "8"}}, "POINT 0 5 #FF00FF 7 8\n"},
      {"text with alignment",
       {{0, "TEXT"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "Pilastro"}, {50, "90"}, {41, "0.8"}, {51, "15"},
        {7, "ROMANS"}, {72, "1"}, {11, "5"}, {21, "6"}, {100, "AcDbText"}, {73, "2"}},
       "TEXT 0 256 1 2 2.5 90 0.8 15 1 2 5 6 0 [Pilastro] ROMANS\n"},
      {"text control codes",
       {{0, "TEXT"}, {40, "1"}, {1, "%%c16 %%d %%p %%% %%uSotto%%u %%o %%177 \\U+2205"}},
       "TEXT 0 256 0 0 1 0 1 0 0 0 0 0 0 [\xC3\x98" "16 \xC2\xB0 \xC2\xB1 % Sotto  \xC2\xB1 \xE2\x88\x85] Arial\n"},
      {"lwpolyline with bulges",
       {{0, "LWPOLYLINE"}, {90, "3"}, {70, "1"}, {43, "0.5"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "2"}, {20, "0"},
        {10, "2"}, {20, "2"}, {42, "-0.5"}},
       "LWPOLYLINE 0 256 1 0.5 0 0 1 2 0 0 2 2 -0.5\n"},
      {"polyline with vertices",
       {{0, "POLYLINE"}, {66, "1"}, {70, "1"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "1"}, {42, "0.25"},
        {0, "VERTEX"}, {10, "3"}, {20, "1"}, {0, "VERTEX"}, {10, "9"}, {20, "9"}, {70, "16"}, {0, "SEQEND"}},
       "LWPOLYLINE 0 256 1 0 1 1 0.25 3 1 0\n"},
      {"ellipse", {{0, "ELLIPSE"}, {10, "1"}, {20, "1"}, {11, "4"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "3.14159"}},
       "ELLIPSE 0 256 1 1 4 0 0.5 0 3.14159\n"},
      {"spline",
       {{0, "SPLINE"}, {70, "8"}, {71, "2"}, {72, "6"}, {73, "3"}, {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"},
        {40, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "2"}, {10, "2"}, {20, "0"}},
       "SPLINE 0 256 2 0 3 6 0 0 0 0\n"},
      {"mtext in chunks",
       {{0, "MTEXT"}, {10, "1"}, {20, "2"}, {40, "2"}, {41, "30"}, {71, "5"}, {3, "Prima riga\\P"}, {1, "seconda"},
        {11, "0"}, {21, "1"}},
       "MTEXT 0 256 1 2 2 30 90 5 [Prima riga\\Pseconda] Arial\n"},
      {"leader", {{0, "LEADER"}, {76, "2"}, {10, "0"}, {20, "0"}, {10, "5"}, {20, "5"}}, "LEADER 0 256 1 0 0 5 5\n"},
      {"solid with three corners", {{0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"}},
       "SOLID 0 256 0 0 1 0 0 1 0 1\n"},
      {"trace and 3dface",
       {{0, "TRACE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"}, {13, "1"}, {23, "1"},
        {0, "3DFACE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "1"}, {22, "1"}, {13, "0"}, {23, "1"}},
       "TRACE 0 256 0 0 1 0 0 1 1 1\n3DFACE 0 256 0 0 1 0 1 1 0 1 0\n"},
      {"ray and xline",
       {{0, "RAY"}, {10, "1"}, {20, "1"}, {11, "1"}, {21, "0"}, {0, "XLINE"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "1"}},
       "RAY 0 256 1 1 1 0\nXLINE 0 256 0 0 0 1\n"},
      {"wipeout frame",
       {{0, "WIPEOUT"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}, {12, "0"}, {22, "10"}, {13, "1"}, {23, "1"},
        {71, "2"}, {91, "4"}, {14, "-0.5"}, {24, "0.5"}, {14, "0.5"}, {24, "0.5"}, {14, "0.5"}, {24, "-0.5"},
        {14, "-0.5"}, {24, "-0.5"}, {0, "WIPEOUT"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "0"}, {12, "0"}, {22, "10"},
        {13, "1"}, {23, "1"}, {71, "1"}, {91, "2"}, {14, "-0.5"}, {24, "0.5"}, {14, "0.5"}, {24, "-0.5"}},
       "WIPEOUT 0 256 0 0 10 0 10 10 0 10 0 0\nWIPEOUT 0 256 0 0 10 0 10 10 0 10 0 0\n"},
      {"hatch with polyline and edge loops",
       {{0, "HATCH"}, {10, "0"}, {20, "0"}, {2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "2"}, {92, "3"}, {72, "1"},
        {73, "1"}, {93, "2"}, {10, "0"}, {20, "0"}, {42, "0.5"}, {10, "4"}, {20, "0"}, {42, "0"}, {97, "0"}, {92, "1"},
        {93, "3"}, {72, "1"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {72, "2"}, {10, "1"}, {20, "1"}, {40, "1"},
        {50, "270"}, {51, "90"}, {73, "0"}, {72, "4"}, {94, "3"}, {73, "0"}, {74, "0"}, {95, "8"}, {96, "4"}, {40, "0"},
        {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"}, {10, "1"}, {20, "2"}, {10, "0"},
        {20, "3"}, {10, "-1"}, {20, "2"}, {10, "0"}, {20, "0"}, {97, "0"}, {97, "0"}, {75, "0"}, {76, "1"}, {98, "1"},
        {10, "9"}, {20, "9"}},
       "HATCH 0 256 1 SOLID P1 0 0 0.5 4 0 0 / E LINE 0 0 1 0 ARC 1 1 1 270 90 0 SPLINE 4 8\n"},
      {"layer names in any letter case", {{0, "POINT"}, {8, "Muri"}, {0, "POINT"}, {8, "MURI"}},
       "POINT Muri 256 0 0\nPOINT Muri 256 0 0\n"},
      {"paper space and invisible entities are left out",
       {{0, "LINE"}, {67, "1"}, {11, "1"}, {0, "CIRCLE"}, {60, "1"}, {40, "1"}, {0, "POINT"}},
       "POINT 0 256 0 0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ReadResult r = Read(Ascii(File(c.entities)));
    EXPECT_EQ(Describe(r.drawing), c.expected);
  }
}

// Blocks, inserts with attributes, arrays and dimensions; the counts of the report.
TEST(DxfReader, ReadsBlocksInsertsAttributesAndDimensions) {
  const Groups blocks = Blocks({{0, "BLOCK"}, {2, "Porta"}, {70, "2"}, {10, "1"}, {20, "1"}, {0, "LINE"}, {11, "1"},
                                {0, "ATTDEF"}, {2, "NUM"}, {1, "?"}, {0, "ENDBLK"},
                                {0, "BLOCK"}, {2, "*D1"}, {70, "1"}, {0, "LINE"}, {11, "5"}, {0, "ENDBLK"},
                                {0, "BLOCK"}, {2, "*D2"}, {70, "1"}, {0, "ENDBLK"},
                                {0, "BLOCK"}, {2, "*Paper_Space"}, {0, "LINE"}, {0, "CIRCLE"}, {0, "ENDBLK"}});
  const ReadResult r = Read(Ascii(File(
      {{0, "INSERT"}, {8, "Porte"}, {66, "1"}, {2, "Porta"}, {10, "10"}, {20, "0"}, {41, "2"}, {42, "-1"}, {50, "90"},
       {0, "ATTRIB"}, {8, "Testi"}, {10, "10"}, {20, "1"}, {40, "1"}, {1, "P1"}, {2, "NUM"}, {70, "0"}, {0, "SEQEND"},
       {0, "INSERT"}, {2, "Porta"}, {70, "3"}, {71, "2"}, {44, "5"}, {45, "6"},
       {0, "DIMENSION"}, {2, "*D1"}, {10, "0"}, {20, "0"}, {70, "32"},
       {0, "INSERT"}, {2, "Mancante"}, {0, "DIMENSION"}, {2, "*D2"}, {0, "HATCH"}, {2, "ANSI31"}, {91, "0"},
       {0, "3DSOLID"}, {1, "acis data"}, {0, "IMAGE"}},
      blocks)));
  EXPECT_EQ(Describe(r.drawing),
            "BLOCK Porta 1 1\n  LINE 0 256 0 0 1 0\n"
            "BLOCK *D1 0 0\n  LINE 0 256 0 0 5 0\n"
            "BLOCK *D2 0 0\n"
            "BLOCK Mancante 0 0\n"
            "INSERT Porte 256 Porta 10 0 2 -1 90 1 1 0 0 | ATTRIB NUM 0 10 1 1 0 1 0 0 0 10 1 0 [P1] Arial\n"
            "INSERT 0 256 Porta 0 0 1 1 0 3 2 5 6\n"
            "DIMENSION 0 256 *D1 0 0 0 0 32 Standard\n"
            "INSERT 0 256 Mancante 0 0 1 1 0 1 1 0 0\n"
            "DIMENSION 0 256 *D2 0 0 0 0 0 Standard\n"
            "HATCH 0 256 0 ANSI31 \n");
  // Drawn only what makes ink: an insert of a block the file lacks, a dimension of an empty
  // block, a hatch without a boundary are read and not drawn.
  const std::map<std::string, std::size_t> drawn = {{"DIMENSION", 1}, {"INSERT", 2}};
  const std::map<std::string, std::size_t> skipped = {
      {"3DSOLID", 1}, {"DIMENSION", 1}, {"HATCH", 1}, {"IMAGE", 1}, {"INSERT", 1}};
  EXPECT_EQ(r.report.drawnTypes, drawn);
  EXPECT_EQ(r.report.skippedTypes, skipped);
  EXPECT_EQ(r.report.paperSpaceSkipped, 2u);
  EXPECT_EQ(r.report.entitiesRead, 7u);
  EXPECT_EQ(r.report.blocks, 4u);
  EXPECT_EQ(r.report.blockEntities, 2u);
  EXPECT_EQ(DxfReadReport::CountList(r.report.drawnTypes), "INSERT 2, DIMENSION 1");
}

// An extrusion of (0,0,-1) mirrors x: positions, angles, bulges and the insert's placement.
TEST(DxfReader, ResolvesTheObjectCoordinateSystem) {
  const Groups down = {{210, "0"}, {220, "0"}, {230, "-1"}};
  const auto with = [&](Groups entity) {
    entity.insert(entity.end(), down.begin(), down.end());
    return entity;
  };
  Groups entities;
  for (const Groups& e : {with({{0, "ARC"}, {10, "2"}, {20, "1"}, {40, "1"}, {50, "0"}, {51, "90"}}),
                          with({{0, "CIRCLE"}, {10, "2"}, {20, "1"}, {40, "1"}}),
                          with({{0, "LWPOLYLINE"}, {10, "1"}, {20, "0"}, {42, "1"}, {10, "3"}, {20, "0"}}),
                          with({{0, "TEXT"}, {10, "2"}, {20, "1"}, {40, "1"}, {1, "x"}, {50, "30"}}),
                          with({{0, "INSERT"}, {2, "B"}, {10, "2"}, {20, "1"}, {50, "30"}}),
                          with({{0, "ELLIPSE"}, {10, "2"}, {20, "1"}, {11, "1"}, {21, "0"}, {40, "0.5"}, {41, "0"},
                                {42, "1"}}),
                          with({{0, "LINE"}, {10, "2"}, {20, "1"}, {11, "3"}, {21, "1"}})}) {
    entities.insert(entities.end(), e.begin(), e.end());
  }
  // Tilted 45° about y, 2 up its extrusion: an ellipse half as wide as the circle by √2, moved
  // along x by the elevation seen from above.
  entities.insert(entities.end(), {{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {30, "2"}, {40, "1"}, {210, "1"}, {220, "0"},
                                   {230, "1"}});
  EXPECT_EQ(Describe(Read(Ascii(File(entities))).drawing),
            "BLOCK B 0 0\n"
            "ARC 0 256 -2 1 1 90 180\n"
            "CIRCLE 0 256 -2 1 1\n"
            "LWPOLYLINE 0 256 0 0 -1 0 -1 -3 0 0\n"
            "TEXT 0 256 -2 1 1 330 1 0 0 0 -2 1 2 [x] Arial\n"
            "INSERT 0 256 B -2 1 -1 1 330 1 1 0 0\n"
            "ELLIPSE 0 256 2 1 1 0 0.5 -1 0\n"
            "LINE 0 256 2 1 3 1\n"
            "ELLIPSE 0 256 1.41421 0 0 1 0.707107 0 6.28319\n");
}

// ---- the file's form ----------------------------------------------------------------

TEST(DxfReader, ReadsEveryLineEndLongLinesAndTheHeader) {
  const Groups file = File({{0, "TEXT"}, {8, "Ferri \xD8"}, {40, "1"}, {1, std::string(200000, 'x') + "\xD8"}},
                           {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"},
                            {3, "ANSI_1252"}, {0, "ENDSEC"}});
  const std::string expected = "TEXT Ferri \xC3\x98 256 0 0 1 0 1 0 0 0 0 0 0 [" + std::string(200000, 'x') + "\xC3\x98] Arial\n";
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(eol[0] == '\r' && eol[1] == '\0' ? "CR" : eol[0] == '\r' ? "CRLF" : "LF");
    const ReadResult r = Read(Ascii(file, eol));
    EXPECT_EQ(Describe(r.drawing), expected);
    EXPECT_EQ(r.report.version, "AC1015");
    EXPECT_EQ(r.report.Release(), "R2000");
  }
  // A byte order mark, blanks around codes and numbers, a blank line at the very end.
  EXPECT_EQ(Describe(Read("\xEF\xBB\xBF  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n 10\n  1.25  \n 20\n2\n  0\nENDSEC\n"
                          "  0\nEOF\n\n")
                         .drawing),
            "POINT 0 256 1.25 2\n");
  // Other Windows code pages of older files: Cyrillic, Central European.
  for (const auto& [page, bytes, text] : {std::tuple{"ANSI_1251", "\xCF\xE8\xEB", "\xD0\x9F\xD0\xB8\xD0\xBB"},
                                          std::tuple{"ANSI_1250", "\xB3\xF3" "d\xBF", "\xC5\x82\xC3\xB3" "d\xC5\xBC"},
                                          std::tuple{"ANSI_1252", "\xE8", "\xC3\xA8"}}) {
    const Groups coded = File({{0, "TEXT"}, {40, "1"}, {1, bytes}},
                              {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"},
                               {3, page}, {0, "ENDSEC"}});
    EXPECT_EQ(Describe(Read(Ascii(coded)).drawing), "TEXT 0 256 0 0 1 0 1 0 0 0 0 0 0 [" + std::string(text) + "] Arial\n") << page;
  }
  // From R2007 on, texts are UTF-8 whatever the code page.
  const Groups utf8 = File({{0, "TEXT"}, {40, "1"}, {1, "\xE2\x88\x85 \xC3\x98"}},
                           {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1032"}, {0, "ENDSEC"}});
  EXPECT_EQ(Describe(Read(Ascii(utf8)).drawing), "TEXT 0 256 0 0 1 0 1 0 0 0 0 0 0 [\xE2\x88\x85 \xC3\x98] Arial\n");
}

// Binary DXF, with two-byte group codes (R2018) and one-byte ones (R12), reads as the same
// drawing written as text.
TEST(DxfReader, ReadsBinaryDxf) {
  const std::string corpus = TESSARO_SOURCE_DIR "/tests/dxf_corpus/generated_";
  for (const char* release : {"r12", "r2018"}) {
    Drawing text, binary;
    ReadDxfFile(text, corpus + release + ".dxf");
    EXPECT_TRUE(ReadDxfFile(binary, corpus + release + "_binary.dxf").binary);
    EXPECT_EQ(test::ListDrawing(binary, {.layers = true}), test::ListDrawing(text, {.layers = true})) << release;
  }
  // Cut short: read as far as whole, the cut noted at its byte; nothing whole at all raises.
  const std::string whole = test::ReadBytes(corpus + "r2018_binary.dxf");
  for (const std::size_t cut : {whole.size() / 2, whole.size() - 3}) {
    const ReadResult r = Read(whole.substr(0, cut));
    ASSERT_FALSE(r.report.problems.empty()) << cut;
    EXPECT_EQ(r.report.problems.back().kind, ProblemKind::DxfCutShort);
    EXPECT_TRUE(r.report.problems.back().inBytes);
    EXPECT_EQ(r.report.problems.back().line, static_cast<int>(cut));
  }
  EXPECT_NE(ErrorOf(whole.substr(0, 23)).find("test.dxf, byte 23: the file ends before its EOF"), std::string::npos);
}

// ---- bad and hostile files --------------------------------------------------------------

TEST(DxfReader, NonDxfAndEmptyFilesRaise) {
  EXPECT_EQ(ErrorOf(""), "test.dxf: the file is empty");
  EXPECT_EQ(ErrorOf("Pilastrata P1\n"), "test.dxf, line 1: \"Pilastrata P1\" is no group code: not a DXF file");
}

// A damaged file is read as far as it is whole: an entity with a bad value or a line that is
// no group code is left out with a problem naming its line, a file cut short or without EOF
// keeps what came before the cut, a section without ENDSEC ends at the next one.
TEST(DxfReader, DamagedFilesAreReadAsFarAsWhole) {
  const Groups good = {{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}};
  const auto with = [&](const Groups& bad) {
    Groups all = bad;
    all.insert(all.end(), good.begin(), good.end());
    return Ascii(File(all));
  };
  const std::string whole = Ascii(File(good));
  const std::string noEof = whole.substr(0, whole.rfind("0\nEOF"));
  const Groups blocks = {{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "B"}, {0, "LINE"}, {0, "ENDBLK"}};
  const struct {
    const char* what;
    std::string text;
    std::size_t lines;
    const char* problem;  // DescribeProblem
    std::size_t leftOut;
  } cases[] = {
      {"a decimal comma", with({{0, "LINE"}, {10, "1,5"}}), 1,
       "test.dxf, line 8, group code 10: \"1,5\" is not a number: the LINE is left out", 1},
      {"nan", with({{0, "LINE"}, {10, "nan"}}), 1, "line 8, group code 10: \"nan\" is not a number", 1},
      {"infinite", with({{0, "LINE"}, {10, "1e999"}}), 1, "\"1e999\" is not a number", 1},
      {"a colour that is no number", with({{0, "LINE"}, {62, "x"}}), 1, "\"x\" is not a whole number: the LINE", 1},
      {"a group code of -1", with({{0, "LINE"}, {-1, "5"}}), 1,
       "test.dxf, line 7: \"-1\" is no group code: the LINE is left out", 1},
      {"a group code of 99999", with({{0, "LINE"}, {99999, "5"}}), 1, "\"99999\" is no group code", 1},
      {"no EOF", noEof, 1, "test.dxf, line 16: the file ends before its EOF", 0},
      {"cut inside a group", noEof.substr(0, noEof.rfind("4\n0")), 0, "line 13: the file ends before its EOF", 0},
      {"a section without ENDSEC", Ascii(blocks) + whole, 1,
       "test.dxf, line 14: a section has no ENDSEC: it ends where the next one starts", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadResult r = Read(c.text);
    EXPECT_EQ(r.drawing.Entities().size(), c.lines);
    if (c.lines == 1) {
      EXPECT_EQ(test::ListEntities(r.drawing), std::vector<std::string>{"LINE 0 256 1 2 3 4"});
    }
    EXPECT_EQ(r.report.entitiesLeftOut, c.leftOut);
    ASSERT_EQ(r.report.problems.size(), 1u);
    const std::string problem = DescribeProblem(r.report.problems[0]);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
}

// Counts a file states are not trusted: only what is there is read, and values far out of
// range are clamped, never overflowed.
TEST(DxfReader, HostileCountsAreNeverTrusted) {
  const Groups cases[] = {
      {{0, "LWPOLYLINE"}, {90, "600000000"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}},
      {{0, "LWPOLYLINE"}, {90, "-2147483648"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}},
      {{0, "SPLINE"}, {71, "2147483647"}, {72, "999999999"}, {73, "999999999"}, {40, "0"}, {10, "0"}, {20, "0"}},
      {{0, "HATCH"}, {91, "2000000000"}, {92, "2"}, {93, "999999999"}, {10, "0"}, {20, "0"}},
      {{0, "HATCH"}, {91, "99"}, {92, "1"}, {93, "99999999"}, {72, "4"}, {95, "99999999"}, {96, "99999999"}, {97, "-5"}},
      {{0, "INSERT"}, {2, "X"}, {70, "99999999999"}, {71, "-7"}, {41, "1e308"}},
      {{0, "TEXT"}, {72, "-2147483649"}, {73, "77"}, {62, "-2147483648"}},
  };
  for (const Groups& entity : cases) {
    const ReadResult r = Read(Ascii(File(entity)));
    EXPECT_EQ(r.drawing.EntityCount(), 1u) << entity[0].second;
  }
  const ReadResult r = Read(Ascii(File(cases[0])));
  EXPECT_EQ(r.drawing.Vertices(r.drawing.Polyline(r.drawing.Entities()[0])).size(), 2u);
}

TEST(DxfReader, SixtyThousandLayersAndNoMoreThanTheModelHolds) {
  Groups tables = {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}};
  for (int i = 0; i < 60000; ++i) tables.insert(tables.end(), {{0, "LAYER"}, {2, "L" + std::to_string(i)}, {62, "1"}});
  tables.insert(tables.end(), {{0, "ENDTAB"}, {0, "ENDSEC"}});
  const ReadResult r = Read(Ascii(File({{0, "POINT"}, {8, "L59999"}, {0, "POINT"}, {8, "L0"}}, tables)));
  EXPECT_EQ(r.drawing.Layers().size(), 60000u);
  EXPECT_EQ(Describe(r.drawing), "POINT L59999 256 0 0\nPOINT L0 256 0 0\n");

  Groups many;
  for (int i = 0; i < 70000; ++i) many.insert(many.end(), {{0, "POINT"}, {8, std::to_string(i)}});
  EXPECT_EQ(ErrorOf(Ascii(File(many))), "test.dxf: the file has more than 65535 layers");
}

TEST(DxfReader, DecodesValues) {
  const struct {
    const char* bytes;
    bool utf8;
    const char* text;
  } cases[] = {
      {"plain", false, "plain"},
      {"4\xD8" "16", false, "4\xC3\x98" "16"},
      {"\xC3\x98", true, "\xC3\x98"},
      {"\xD8", true, "\xC3\x98"},  // not UTF-8 in a UTF-8 file: taken as Windows-1252
      {"%%C %%D %%P %%%", false, "\xC3\x98 \xC2\xB0 \xC2\xB1 %"},
      {"%%U%%Oa%%K", false, "a"},
      {"%%065%%256%%", false, "A%%256%%"},
      {"\\U+00e8\\U+zz12\\U+", false, "\xC3\xA8\\U+zz12\\U+"},
      {"100%", false, "100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeDxfValue(c.bytes, c.utf8), c.text) << c.bytes;
}

}  // namespace
}  // namespace tessaro
