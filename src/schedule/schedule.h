// The bar schedule of a column stack: one row per bar mark of every piece, built from what
// the drawing recorded while it drew (so every length agrees with the drawing's labels),
// with totals per diameter and per stack, and its CSV files.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "text/numbers.h"
#include "primitives/bar_marks.h"
#include "schedule/bending.h"

namespace tessaro {

struct ScheduleRow {
  Integer pieceIndex = 0;   // in the stack (0 = first)
  Integer pieceNumber = 0;  // the piece's own number
  std::string mark;         // position mark, unique in the stack: "1", "2", ...
  BarMarkKind kind = BarMarkKind::LongitudinalBars;
  std::string shape;        // in Italian: "barra con 2 uncini", "staffa chiusa", "spillo", ...
  Single diameterMm = 0;
  long count = 0;           // bars of this mark in the piece
  Single cutLength = 0;     // cm: the developed length of the bent shape (to the mm)
  Single drawingLength = 0; // cm: the L of the drawing's label (0: the drawing labels none)
  double unitWeight = 0;    // kg/m
  double totalWeight = 0;   // kg: count × cut length × unit weight
  std::vector<BendLeg> legs;  // outside dimensions in mm, see schedule/bending.h
  double mandrelMm = 0;
  double tailMm = 0;        // straight tail after each hook (0: no hooks by the rule)
  // Where the drawing writes this mark's label, for the position mark beside it.
  bool hasLabel = false;
  Single labelX = 0;
  Single labelY = 0;

  // The drawing's L differs from the cut length by more than 1 cm.
  bool LengthDiffers() const;
};

// The position number of a row beside its label in the drawing: the anchor of the label
// (drawing units, cm) and the row's position.
struct PositionMark {
  std::string position;
  Single x = 0;
  Single y = 0;
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
// zones and the joint only. A mark of which the piece holds none has no row (the check
// reports it); every other mark has a row and a position number, in drawing order.
StackSchedule BuildStackSchedule(std::string_view stackId, const BarRecorder& recorder);

// How many of this mark the piece holds, from the stirrup levels of its elevation.
long MarkCount(const BarMark& mark, long endLevels, long middleLevels);

// The position marks of the rows whose label the drawing writes. Rows sharing one label
// (the two diameters of a bar list) stand side by side: the n-th of them `step` further
// to the left.
std::vector<PositionMark> PositionMarks(const StackSchedule& schedule, Single step = 14);

// Circled position numbers on the layer "Posizioni" of `drawing`, beside the labels.
void DrawPositionMarks(Drawing& drawing, const StackSchedule& schedule);

// "Distinta_<id>.csv" and "Distinta_progetto.csv".
std::string ScheduleCsvName(std::string_view stackId);
inline constexpr std::string_view kProjectScheduleCsvName = "Distinta_progetto.csv";

// UTF-8 with a header row. The field separator is ";" when the decimal separator is ","
// (what an Italian spreadsheet reads, the default of the programs) and "," when it is ".".
// "L disegno (cm)" holds the drawing's L where it differs from the cut length by more than
// 1 cm.
std::string ScheduleCsv(const StackSchedule& schedule, const NumberFormat& numbers);
// Totals of every stack and per diameter, then of the project.
std::string ProjectScheduleCsv(std::span<const StackSchedule> schedules, const NumberFormat& numbers);

// Written through WriteFileAtomically; raise RuntimeError (FileIo) on failure.
void WriteScheduleCsv(const std::filesystem::path& path, const StackSchedule& schedule, const NumberFormat& numbers);
void WriteProjectScheduleCsv(const std::filesystem::path& path, std::span<const StackSchedule> schedules,
                             const NumberFormat& numbers);

// "Distinta_progetto.xlsx": a summary sheet (the totals of ProjectScheduleCsv) and a sheet
// per stack (its rows with the legs of their shapes, and its totals), numbers as numbers.
inline constexpr std::string_view kProjectScheduleXlsxName = "Distinta_progetto.xlsx";
// False in a build without libxlsxwriter: WriteProjectScheduleXlsx then raises.
bool XlsxAvailable();
void WriteProjectScheduleXlsx(const std::filesystem::path& path, std::span<const StackSchedule> schedules);

}  // namespace tessaro
