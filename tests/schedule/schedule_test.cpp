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
  Single cutLength;      // cm, to the mm
  Single drawingLength;  // cm, the label's L (0: no label)
  std::vector<BendLeg> legs;  // mm, outside dimensions; empty: not checked here
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
    EXPECT_EQ(row.drawingLength, e.drawingLength);
    EXPECT_NEAR(row.totalWeight, e.count * (double{e.cutLength} / 100) * UnitWeight(e.diameterMm), 1e-9);
    if (e.legs.empty()) continue;
    ASSERT_EQ(row.legs.size(), e.legs.size());
    for (std::size_t l = 0; l < e.legs.size(); ++l) {
      EXPECT_EQ(row.legs[l].length, e.legs[l].length) << "leg " << l;
      EXPECT_EQ(row.legs[l].angle, e.legs[l].angle) << "leg " << l;
      EXPECT_EQ(row.legs[l].radius, e.legs[l].radius) << "leg " << l;
    }
  }
}

using K = BarMarkKind;

// Stirrup levels of a 300 cm piece, end zone 50 at 10, middle at 20: from the bottom at
// 2, 12, ..., 42 (5); the middle zone at 52, then 70, 90, ..., 230 (10); from the top at
// 8, 18, ..., 58 below it (6) for a single or last piece, or as the joint stirrups drawn
// under the piece above.
constexpr long kLevels = 5 + 10 + 6;
constexpr long kEndLevels = 5 + 6;

// Stirrups of 8 mm by the rules: mandrel 4 × 8 = 32 (ri = 16), tails 10 × 8 = 80, each
// hook leg 80 + ri + 8 = 104. A bend takes off 2 (ri + 8) - (ri + 4) × angle:
// 90°: 48 - 20 × π/2 = 16.584; 135°: 48 - 20 × 3π/4 = 0.876.
constexpr double kOff90 = 48 - 20 * 3.14159265358979 / 2;
constexpr double kOff135 = 48 - 20 * 3.14159265358979 * 0.75;
// A closed stirrup of outside sides a, b: tails, sides, three right angles, two hooks.
double Hoop(double a, double b) { return 2 * 104 + 2 * (a + b) - 3 * kOff90 - 2 * kOff135; }
double Tie(double leg) { return 2 * 104 + leg - 2 * kOff135; }
Single Cm(double mm) { return static_cast<Single>(std::round(mm) / 10); }

std::vector<BendLeg> HoopLegs(double a, double b) {
  return {{104, 135, 0}, {a, 90, 0}, {b, 90, 0}, {a, 90, 0}, {b, 135, 0}, {104, 0, 0}};
}
std::vector<BendLeg> TieLegs(double leg) { return {{104, 135, 0}, {leg, -135, 0}, {104, 0, 0}}; }

// 30 x 50, cover 4: corner bars 22 apart across, 42 up. Bars 4 + 4 on the 30 cm faces
// (corners included) and 2 + 2 on the others, so 12 of 16 mm. Stirrup legs 4 across, 3 up.
TEST_F(ScheduleTest, RectangularPieceWithTiesByHand) {
  WritePiece("A", {{3, "30|50|4|0|300"}, {6, "4Ø16|2Ø16"}, {9, "4Ø8|3Ø8"}});
  WriteIndex("1", {"A"});
  ExpectRows(Schedule("1"), {
      // Round the corner bars: outside 220 + 16 + 2·8 = 252 by 420 + 16 + 16 = 452:
      // 1616 - 49.75 - 1.75 = 1564.50 -> 1564. The drawing's label: 2·22 + 2·42 + 16 +
      // RoundHalfEven(0.8·2π) = 149.
      {1, K::ClosedStirrup, "staffa chiusa", 8, kLevels, Cm(Hoop(252, 452)), 149, HoopLegs(252, 452)},
      // Width row: k = 4 - 2 = 2 legs on m = 2 intermediate bars, both placed; axis style,
      // hooks turning opposite ways; 420 + 16 + 16 = 452: 660 - 1.75 -> 658 (label 63).
      {1, K::TieLeg, "spillo", 8, 2 * kEndLevels, Cm(Tie(452)), 63, TieLegs(452)},
      // Depth row: k = 3 - 2 = 1 leg, 220 + 32 = 252: 458 (label 43); end zones only.
      {1, K::TieLeg, "spillo", 8, 1 * kEndLevels, Cm(Tie(252)), 43, TieLegs(252)},
      // Single piece: t = 4, h = 97, hooks of 15 at both ends: 296 + 97 + 30 = 423, as
      // drawn. Mandrel 64: a right angle takes off 2·48 - 40·π/2 = 33.17, so the straight
      // part is 4230 - 300 + 66.34 = 3996.
      {1, K::LongitudinalBars, "barra con 2 uncini", 16, 12, 423, 423, {{150, 90, 0}, {3996, 90, 0}, {150, 0, 0}}},
  });
}

// Width bars of 20 and depth bars of 16: the hoop wraps the 20 mm corner bars (256 by
// 456), the vertical ties hold 20 mm bars (456), the horizontal ties the 16 mm ones,
// whose axes stand e = 2 mm further out on each side (224 + 16 + 16 = 256).
TEST_F(ScheduleTest, TwoBarDiametersByHand) {
  WritePiece("A", {{3, "30|50|4|0|300"}, {6, "4Ø20|2Ø16"}, {9, "4Ø8|3Ø8"}});
  WriteIndex("1", {"A"});
  ExpectRows(Schedule("1"), {
      // The labels: the hoop drawn round 20 mm bars, 2·22 + 2·42 + 16 + RoundHalfEven(1.0·2π) = 150;
      // the ties' hooks of R = 1.05 (42 + 16 + 7 = 65) and 0.85 (22.4 + 16 + 5 = 43).
      {1, K::ClosedStirrup, "staffa chiusa", 8, kLevels, Cm(Hoop(256, 456)), 150, HoopLegs(256, 456)},
      {1, K::TieLeg, "spillo", 8, 2 * kEndLevels, Cm(Tie(456)), 65, TieLegs(456)},
      {1, K::TieLeg, "spillo", 8, 1 * kEndLevels, Cm(Tie(256)), 43, TieLegs(256)},
      // One label, one row per diameter. Mandrel of 20 mm bars: 7 × 20 = 140, a right
      // angle takes off 2·90 - 80·π/2 = 54.34: 4230 - 300 + 108.67 = 4039.
      {1, K::LongitudinalBars, "barra con 2 uncini", 20, 8, 423, 423, {{150, 90, 0}, {4039, 90, 0}, {150, 0, 0}}},
      {1, K::LongitudinalBars, "barra con 2 uncini", 16, 4, 423, 423, {{150, 90, 0}, {3996, 90, 0}, {150, 0, 0}}},
  });
}

// A circle of 50 with 8 bars of 16 mm: the bar axes on a circle of 42, the hoop's axis
// on one of 420 + 16 + 8 = 444 mm (radius 222, outside 226). One full turn, 2π·222 =
// 1394.87, plus 24 at each bent end: 1443; with the hooks 1651 - 1.75 -> 1649. The
// drawing labels no length. Hooks of 50 - 15 = 35: 296 + 97 + 70 = 463.
TEST_F(ScheduleTest, CircularPieceByHand) {
  WritePiece("A", {{3, "50|0|4|0|300"}, {6, "8Ø16|8Ø16"}, {9, "2Ø8|2Ø8"}});
  WriteIndex("1", {"A"});
  ExpectRows(Schedule("1"), {
      {1, K::CircularHoop, "staffa circolare", 8, kLevels, 164.9f, 0, {{104, 135, 0}, {1443, 135, 226}, {104, 0, 0}}},
      {1, K::LongitudinalBars, "barra con 2 uncini", 16, 8, 463, 463, {}},
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
      // Outside 320 + 32 = 352 square: 1564 (label 2·32 + 2·32 + 16 + 5 = 149). Its
      // top-end stirrups are the 6 joint stirrups drawn under piece 2: 5 + 10 + 6.
      {1, K::ClosedStirrup, "staffa chiusa", 8, kLevels, Cm(Hoop(352, 352)), 149, HoopLegs(352, 352)},
      // First piece: up to 100 above its top, foot hook 25: (300 + 100) + 97 + 25 = 522.
      {1, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 522, 522, {}},
      {2, K::ClosedStirrup, "staffa chiusa", 8, kLevels, Cm(Hoop(352, 352)), 149, {}},
      // The section changes above: hooked under the top, (600 + 100) - 300 - 87 = 313.
      {2, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 313, 313, {}},
      // 252 square: 1164 (label 2·22 + 2·22 + 16 + 5 = 109).
      {3, K::ClosedStirrup, "staffa chiusa", 8, kLevels, Cm(Hoop(252, 252)), 109, {}},
      // Starter bars from the floor below: 100 + 100.
      {3, K::StarterBars, "barra di ripresa", 16, 10, 200, 200, {{2000, 0, 0}}},
      // Last piece, section changed: (900 - 4) - 600 + a head hook of 15 = 311.
      {3, K::LongitudinalBars, "barra con 1 uncino", 16, 10, 311, 311, {}},
  });
  ASSERT_EQ(schedule.diameters.size(), 2u);
  EXPECT_EQ(schedule.diameters[0].diameterMm, 8);
  EXPECT_EQ(schedule.diameters[0].count, 3 * kLevels);
  EXPECT_NEAR(schedule.diameters[0].length, kLevels * (1.564 + 1.564 + 1.164), 1e-5);
  EXPECT_EQ(schedule.diameters[1].diameterMm, 16);
  EXPECT_EQ(schedule.diameters[1].count, 40);
  EXPECT_NEAR(schedule.diameters[1].length, 10 * (5.22 + 3.13 + 2.00 + 3.11), 1e-9);
  EXPECT_NEAR(schedule.totalWeight, schedule.diameters[0].weight + schedule.diameters[1].weight, 1e-9);
}

TEST(UnitWeight, IsTheSteelOfTheBarsSection) {
  EXPECT_NEAR(UnitWeight(8), 0.395, 0.0005);
  EXPECT_NEAR(UnitWeight(16), 1.578, 0.0005);
  EXPECT_NEAR(UnitWeight(20), 2.466, 0.0005);
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
  row.cutLength = 156.4f;
  row.drawingLength = 149;  // more than 1 cm off: the CSV shows both
  row.legs = HoopLegs(252, 452);
  row.unitWeight = UnitWeight(8);
  row.totalWeight = 21 * 1.564 * row.unitWeight;
  StackSchedule schedule;
  schedule.stackId = id;
  schedule.rows = {row};
  schedule.diameters = {{8, 21, 21 * 1.564, row.totalWeight}};
  schedule.totalWeight = row.totalWeight;
  return schedule;
}

// With the comma as decimal separator the fields go apart by semicolons (the other way
// round is read back by schedule_e2e.py).
TEST(ScheduleCsv, FieldSeparatorFollowsTheDecimalSeparator) {
  const std::string csv = ScheduleCsv(SmallSchedule("12"), NumberFormat{','});
  EXPECT_EQ(csv.substr(0, csv.find("\r\n") + 2),
            "Pilastrata;Pilastro;Posizione;Forma;Diametro (mm);Numero;Lunghezza (cm);L disegno (cm);"
            "Peso unitario (kg/m);Peso totale (kg);Quote (mm)\r\n");
  EXPECT_NE(csv.find("12;1;1;staffa chiusa;8;21;156,4;149;0,395;12,960;104-252-452-252-452-104\r\n"), std::string::npos)
      << csv;
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
  EXPECT_NE(csv.find("\r\nProgetto,8,42,65.69,25.919\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nProgetto,16,10,50.00,78.900\r\n"), std::string::npos) << csv;
  char total[64];
  std::snprintf(total, sizeof total, "\r\nProgetto,Totale,,,%.3f\r\n", a.totalWeight + b.totalWeight);
  EXPECT_NE(csv.find(total), std::string::npos) << csv;
}

}  // namespace
}  // namespace tessaro::testing
