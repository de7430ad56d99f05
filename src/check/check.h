// The drawing checks itself: after a stack is drawn, its texts are compared with its
// geometry and with the bending rules, and every disagreement is a finding that names the
// stack, the piece, the view and the mark. Findings are about the rules of the drawing;
// the drawing is written all the same. A rule broken the same way by marks that repeat
// piece after piece (the same stirrup label on every storey) is one finding naming them all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "primitives/bar_marks.h"
#include "schedule/schedule.h"

namespace tessaro {

enum class FindingKind : std::uint8_t {
  BarListCount,    // the bar list beside the elevation states other bars than the section places
  NeverPlaced,     // a labelled stirrup or tie that the section never places
  LengthDiffers,   // the label's L and the cut length of the bent shape differ by more than 1 cm
  TailShort,       // the drawing's hook tail is shorter than the rule's
  MandrelTooSmall, // the corner bar is thicker than the mandrel the stirrup is bent on
  NotEnclosed,     // a corner bar outside every closed stirrup of the section
  CoverShort,      // the stirrup's outer face closer to the concrete face than the least cover
};

enum class FindingView : std::uint8_t { Section, Elevation };

// The least concrete cover to the outer face of a stirrup, mm.
inline constexpr double kLeastCoverMm = 20;

struct Finding {
  FindingKind kind = FindingKind::NeverPlaced;
  std::string stackId;
  Integer pieceNumber = 0;
  Integer pieceIndex = 0;  // in the stack (0 = first)
  FindingView view = FindingView::Section;
  std::string mark;        // the position number, or the label when the mark has none
  // The numbers the finding compares (mm or counts), as the text needs them.
  double stated = 0;       // what the drawing says
  double expected = 0;     // what the geometry or the rule gives
  Single diameterMm = 0;
  // The same finding, with the same numbers, at further places of the stack: the piece
  // number and the mark of each, in drawing order (rule findings only: lengths, tails,
  // mandrels).
  struct Place {
    Integer pieceNumber = 0;
    std::string mark;
  };
  std::vector<Place> alsoAt;
};

// The findings of one drawn stack: the recorder its drawing filled and its schedule.
std::vector<Finding> CheckStack(std::string_view stackId, const BarRecorder& recorder,
                                const StackSchedule& schedule);

// One line in Italian: "Pilastrata 9, pilastro 1 (sezione), pos. 3: ...", or for a finding
// at several places "Pilastrata 3, pilastri 4, 5, 6 (sezione), pos. 1, 5, 9: ...".
std::string FindingText(const Finding& finding);

// "Verifica_<id>.txt": a heading and one line per finding ("nessun rilievo" without any).
std::string CheckFileName(std::string_view stackId);
std::string CheckReportText(std::string_view stackId, const std::vector<Finding>& findings);
// Written through WriteFileAtomically; raises RuntimeError (FileIo) on failure.
void WriteCheckReport(const std::filesystem::path& path, std::string_view stackId,
                      const std::vector<Finding>& findings);

}  // namespace tessaro
