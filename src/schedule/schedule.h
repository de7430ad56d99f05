// The bar schedule of a column stack: one row per bar mark of every piece, built from what
// the drawing recorded while it drew (so every length agrees with the drawing's labels),
// with totals per diameter and per stack, and its CSV files.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/numbers.h"
#include "primitives/bar_marks.h"

namespace tessaro {

// One leg of a bent shape and the bend after it (degrees, counter-clockwise positive; 0
// after the last leg). Lengths in cm; the legs of a shape add up to its cut length.
struct BendLeg {
  double length = 0;
  double angle = 0;
};

struct ScheduleRow {
  Integer pieceIndex = 0;   // in the stack (0 = first)
  Integer pieceNumber = 0;  // the piece's own number
  std::string mark;         // position mark, unique in the stack: "1", "2", ...
  BarMarkKind kind = BarMarkKind::LongitudinalBars;
  std::string shape;        // in Italian: "barra con 2 uncini", "staffa chiusa", "spillo", ...
  Single diameterMm = 0;
  long count = 0;           // bars of this mark in the piece
  Single cutLength = 0;     // cm, as the drawing's label shows it
  double unitWeight = 0;    // kg/m
  double totalWeight = 0;   // kg: count × cut length × unit weight
  std::vector<BendLeg> legs;
};

struct DiameterTotal {
  Single diameterMm = 0;
  long count = 0;
  double length = 0;  // m
  double weight = 0;  // kg
};

struct StackSchedule {
  std::string stackId;
  std::vector<ScheduleRow> rows;         // piece by piece, in drawing order
  std::vector<DiameterTotal> diameters;  // ascending diameter
  double totalWeight = 0;                // kg
};

// Mass per metre of a bar of this diameter (mm), steel at 7850 kg/m³.
double UnitWeight(Single diameterMm);

// The schedule of the stack whose drawing filled `recorder`. Stirrups and hoops count one
// per level the elevation of view 1 drew (end zones, middle zone and the joint stirrups
// drawn under the piece above); tie legs, labelled "(zone critiche)", count in the end
// zones and the joint only. A mark of which the piece holds none keeps its row (count 0),
// so that every length the drawing labels has its row.
StackSchedule BuildStackSchedule(std::string_view stackId, const BarRecorder& recorder);

// "Distinta_<id>.csv" and "Distinta_progetto.csv".
std::string ScheduleCsvName(std::string_view stackId);
inline constexpr std::string_view kProjectScheduleCsvName = "Distinta_progetto.csv";

// UTF-8 with a header row. The field separator is ";" when the decimal separator is ","
// and "," when it is ".".
std::string ScheduleCsv(const StackSchedule& schedule, const NumberFormat& numbers);
// Totals of every stack and per diameter, then of the project.
std::string ProjectScheduleCsv(std::span<const StackSchedule> schedules, const NumberFormat& numbers);

// Written through WriteFileAtomically; raise RuntimeError (FileIo) on failure.
void WriteScheduleCsv(const std::filesystem::path& path, const StackSchedule& schedule, const NumberFormat& numbers);
void WriteProjectScheduleCsv(const std::filesystem::path& path, std::span<const StackSchedule> schedules,
                             const NumberFormat& numbers);

}  // namespace tessaro
