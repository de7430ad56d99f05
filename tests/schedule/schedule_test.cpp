// The bar schedule of hand-made stacks, against counts and lengths worked out by hand from
// the drawing rules: a rectangular section with ties, a circular one, and three pieces
// whose section changes at the top; then the CSV texts.
#include <gtest/gtest.h>

#include <cmath>

#include "schedule/schedule.h"
#include "schedule_fixture.h"

namespace tessaro::testing {
namespace {

struct Expected {
  Integer piece;
  BarMarkKind kind;
  const char* shape;
  Single diameterMm;
  long count;
  Single cutLength;
};

void ExpectRows(const StackSchedule& schedule, const std::vector<Expected>& expected) {
  ASSERT_EQ(schedule.rows.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    const ScheduleRow& row = schedule.rows[i];
    const Expected& e = expected[i];
    EXPECT_EQ(row.mark, std::to_string(i + 1));
    EXPECT_EQ(row.pieceNumber, e.piece);
    EXPECT_EQ(row.kind, e.kind);
    EXPECT_EQ(row.shape, e.shape);
    EXPECT_EQ(row.diameterMm, e.diameterMm);
    EXPECT_EQ(row.count, e.count);
    EXPECT_EQ(row.cutLength, e.cutLength);
    EXPECT_NEAR(row.totalWeight, e.count * (double{e.cutLength} / 100) * UnitWeight(e.diameterMm), 1e-9);
  }
}

using K = BarMarkKind;

// Stirrup levels of a 300 cm piece, end zone 50 at 10, middle at 20: from the bottom at
// 2, 12, ..., 42 (5); the middle zone at 52, then 70, 90, ..., 230 (10); from the top at
// 8, 18, ..., 58 below it (6) for a single or last piece, or as the joint stirrups drawn
// under the piece above.
constexpr long kLevels = 5 + 10 + 6;
constexpr long kEndLevels = 5 + 6;

// 30 x 50, cover 4: corner bars 22 apart across, 42 up. Bars 4 + 4 on the 30 cm faces
// (corners included) and 2 + 2 on the others, so 12 of 16 mm. Stirrup legs 4 across, 3 up.
TEST_F(ScheduleTest, RectangularPieceWithTiesByHand) {
  WritePiece("A", {{3, "30|50|4|0|300"}, {6, "4Ø16|2Ø16"}, {9, "4Ø8|3Ø8"}});
  WriteIndex("1", {"A"});
  ExpectRows(Schedule("1"), {
      // Hoop round the corner bars, hook at the top (W <= D), rA = 0.8:
      // 2·22 + 2·42 + 16 + RoundHalfEven(0.8·2π = 5.03) = 149, one per level.
      {1, K::ClosedStirrup, "staffa chiusa", 8, kLevels, 149},
      // Width row: k = 4 - 2 = 2 legs on m = 4 - 2 = 2 intermediate bars, both placed;
      // each 42 long with hooks of R = 0.85: 42 + 16 + RoundHalfEven(5.34) = 63; end zones only.
      {1, K::TieLeg, "spillo", 8, 2 * kEndLevels, 63},
      // Depth row: k = 3 - 2 = 1 leg on m = 2 bars (position 2); 22 + 16 + 5 = 43.
      {1, K::TieLeg, "spillo", 8, 1 * kEndLevels, 43},
      // Single piece: t = 4, h = 100 - 3 = 97, hooks of 30 - 15 = 15 at both ends:
      // (300 - 4) - (0 - 97) + 2·15 = 423.
      {1, K::LongitudinalBars, "barra con 2 uncini", 16, 12, 423},
  });
}

// A circle of 50 with 8 bars of 16 mm: the hoop drawn at 25 - 4 + 0.8 = 21.8 from the
// centre, RoundHalfEven(2π·21.8 = 136.97) + 16 = 153; hooks of 50 - 15 = 35: 296 + 97 + 70 = 463.
TEST_F(ScheduleTest, CircularPieceByHand) {
  WritePiece("A", {{3, "50|0|4|0|300"}, {6, "8Ø16|8Ø16"}, {9, "2Ø8|2Ø8"}});
  WriteIndex("1", {"A"});
  ExpectRows(Schedule("1"), {
      {1, K::CircularHoop, "staffa circolare", 8, kLevels, 153},
      {1, K::LongitudinalBars, "barra con 2 uncini", 16, 8, 463},
  });
}

// Three storeys of 300: 40 x 40, 40 x 40, then 30 x 30. Bars 3 + 3 and 2 + 2 of 16 mm,
// only the outer stirrup (no ties).
TEST_F(ScheduleTest, ThreePiecesWithASectionChangeByHand) {
  WritePiece("A", {{0, "7|1|1"}, {3, "40|40|4|0|300"}});
  WritePiece("B", {{0, "7|2|2"}, {3, "40|40|4|300|600"}});
  WritePiece("C", {{0, "7|3|3"}, {3, "30|30|4|600|900"}});
  WriteIndex("7", {"A", "B", "C"});
  const StackSchedule schedule = Schedule("7");
  ExpectRows(schedule, {
      // 2·32 + 2·32 + 16 + 5 = 149. Its top-end stirrups are the 6 joint stirrups drawn
      // under piece 2: 5 + 10 + 6.
      {1, K::ClosedStirrup, "staffa chiusa", 8, kLevels, 149},
      // First piece: up to 100 above its top, foot hook 25: (300 + 100) + 97 + 25 = 522.
      {1, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 522},
      {2, K::ClosedStirrup, "staffa chiusa", 8, kLevels, 149},
      // The section changes above: hooked under the top, (600 + 100) - 300 - 87 = 313.
      {2, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 313},
      // 2·22 + 2·22 + 16 + 5 = 109.
      {3, K::ClosedStirrup, "staffa chiusa", 8, kLevels, 109},
      // Starter bars from the floor below: 100 + 100.
      {3, K::StarterBars, "barra di ripresa", 16, 10, 200},
      // Last piece, section changed: (900 - 4) - 600 + a head hook of 15 = 311.
      {3, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 311},
  });
  ASSERT_EQ(schedule.diameters.size(), 2u);
  EXPECT_EQ(schedule.diameters[0].diameterMm, 8);
  EXPECT_EQ(schedule.diameters[0].count, 3 * kLevels);
  EXPECT_NEAR(schedule.diameters[0].length, kLevels * (1.49 + 1.49 + 1.09), 1e-9);
  EXPECT_EQ(schedule.diameters[1].diameterMm, 16);
  EXPECT_EQ(schedule.diameters[1].count, 40);
  EXPECT_NEAR(schedule.diameters[1].length, 10 * (5.22 + 3.13 + 2.00 + 3.11), 1e-9);
  EXPECT_NEAR(schedule.totalWeight, schedule.diameters[0].weight + schedule.diameters[1].weight, 1e-9);
}

// Two bar diameters: one label, one row per diameter, both with its length.
TEST_F(ScheduleTest, TwoBarDiametersGiveOneRowEach) {
  WritePiece("A", {{6, "3Ø20|2Ø16"}});
  WriteIndex("1", {"A"});
  const StackSchedule schedule = Schedule("1");
  ASSERT_EQ(schedule.rows.size(), 3u);
  EXPECT_EQ(schedule.rows[1].diameterMm, 20);
  EXPECT_EQ(schedule.rows[1].count, 6);
  EXPECT_EQ(schedule.rows[2].diameterMm, 16);
  EXPECT_EQ(schedule.rows[2].count, 4);
  EXPECT_EQ(schedule.rows[1].cutLength, schedule.rows[2].cutLength);
}

TEST(UnitWeight, IsTheSteelOfTheBarsSection) {
  EXPECT_NEAR(UnitWeight(8), 0.395, 0.0005);
  EXPECT_NEAR(UnitWeight(16), 1.578, 0.0005);
  EXPECT_NEAR(UnitWeight(20), 2.466, 0.0005);
}

// The shapes the bending machine gets add up to the cut length.
TEST_F(ScheduleTest, LegsOfEveryShapeAddUpToItsLength) {
  WritePiece("A", {{3, "30|50|4|0|300"}, {6, "4Ø16|2Ø16"}, {9, "4Ø8|3Ø8"}});
  WriteIndex("1", {"A"});
  const StackSchedule schedule = Schedule("1");
  for (const ScheduleRow& row : schedule.rows) {
    double sum = 0;
    for (const BendLeg& leg : row.legs) sum += leg.length;
    EXPECT_NEAR(sum, row.cutLength, 1e-4) << row.shape;
    EXPECT_EQ(row.legs.back().angle, 0);
  }
  ASSERT_EQ(schedule.rows[0].legs.size(), 6u);
  EXPECT_EQ(schedule.rows[0].legs[0].angle, 135);
  EXPECT_EQ(schedule.rows[0].legs[4].angle, 135);
  EXPECT_NEAR(schedule.rows[0].legs[1].length, 22 + 1.25, 1e-5);  // the 5 of the bends over four sides
  EXPECT_NEAR(schedule.rows[0].legs[2].length, 42 + 1.25, 1e-5);
  // Axis-style ties hook on opposite sides of the leg.
  EXPECT_EQ(schedule.rows[1].legs[0].angle, 180);
  EXPECT_EQ(schedule.rows[1].legs[1].angle, -180);
  EXPECT_EQ(schedule.rows[3].legs.size(), 3u);
  EXPECT_NEAR(schedule.rows[3].legs[0].length, 15, 1e-6);
}

// ---------------------------------------------------------------------------------------
// CSV

StackSchedule SmallSchedule(const std::string& id) {
  ScheduleRow row;
  row.pieceNumber = 1;
  row.mark = "1";
  row.shape = "staffa chiusa";
  row.diameterMm = 8;
  row.count = 21;
  row.cutLength = 149.5f;
  row.unitWeight = UnitWeight(8);
  row.totalWeight = 21 * 1.495 * row.unitWeight;
  StackSchedule schedule;
  schedule.stackId = id;
  schedule.rows = {row};
  schedule.diameters = {{8, 21, 21 * 1.495, row.totalWeight}};
  schedule.totalWeight = row.totalWeight;
  return schedule;
}

TEST(ScheduleCsv, FieldSeparatorFollowsTheDecimalSeparator) {
  struct Case {
    char decimal;
    const char* header;
    const char* row;
  } cases[] = {
      {',', "Pilastrata;Pilastro;Posizione;Forma;Diametro (mm);Numero;Lunghezza (cm);Peso unitario (kg/m);"
            "Peso totale (kg)\r\n",
       "12;1;1;staffa chiusa;8;21;149,5;0,395;12,388\r\n"},
      {'.', "Pilastrata,Pilastro,Posizione,Forma,Diametro (mm),Numero,Lunghezza (cm),Peso unitario (kg/m),"
            "Peso totale (kg)\r\n",
       "12,1,1,staffa chiusa,8,21,149.5,0.395,12.388\r\n"},
  };
  for (const Case& c : cases) {
    const std::string csv = ScheduleCsv(SmallSchedule("12"), NumberFormat{c.decimal});
    EXPECT_EQ(csv.substr(0, csv.find("\r\n") + 2), c.header);
    EXPECT_NE(csv.find(c.row), std::string::npos) << csv;
  }
}

TEST(ScheduleCsv, AFieldHoldingTheSeparatorOrAQuoteIsQuoted) {
  const std::string csv = ScheduleCsv(SmallSchedule("A;\"B\""), NumberFormat{','});
  EXPECT_NE(csv.find("\r\n\"A;\"\"B\"\"\";1;1;"), std::string::npos) << csv;
  EXPECT_NE(ScheduleCsv(SmallSchedule("A;B"), NumberFormat{'.'}).find("\r\nA;B,1,1,"), std::string::npos);
}

TEST(ScheduleCsv, ProjectTotalsAddTheStacksPerDiameter) {
  StackSchedule a = SmallSchedule("1");
  StackSchedule b = SmallSchedule("2");
  b.diameters.push_back({16, 10, 50, 78.9});
  b.totalWeight += 78.9;
  const std::vector<StackSchedule> both{a, b};
  const std::string csv = ProjectScheduleCsv(both, NumberFormat{'.'});
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "Pilastrata,Diametro (mm),Numero,Lunghezza (m),Peso (kg)");
  EXPECT_NE(csv.find("\r\n2,16,10,50.00,78.900\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nProgetto,8,42,62.79,24.776\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nProgetto,16,10,50.00,78.900\r\n"), std::string::npos) << csv;
  char total[64];
  std::snprintf(total, sizeof total, "\r\nProgetto,Totale,,,%.3f\r\n", a.totalWeight + b.totalWeight);
  EXPECT_NE(csv.find(total), std::string::npos) << csv;
}

}  // namespace
}  // namespace tessaro::testing
