// The checks of a drawn stack, mark by mark and piece by piece, in drawing order.
#include "check/check.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "os/atomic_file.h"
#include "schedule/bending.h"

namespace tessaro {

namespace {

constexpr double kTolerance = 0.01;  // cm

// Findings about a bending rule rather than about one place of the drawing: the same
// label on every storey breaks it the same way.
bool IsRuleFinding(FindingKind kind) {
  return kind == FindingKind::LengthDiffers || kind == FindingKind::TailShort || kind == FindingKind::MandrelTooSmall;
}

bool IsTransverse(BarMarkKind kind) {
  return kind == BarMarkKind::ClosedStirrup || kind == BarMarkKind::TieLeg || kind == BarMarkKind::CircularHoop;
}

std::string DiameterText(double mm) { return "Ø" + FormatSingle(mm, NumberFormat{','}); }

// A mark without a row is named by its label: "spillo Ø10 L = 93", "ferri Ø14 L = 492".
std::string LabelName(const BarMark& mark) {
  const char* shape = "staffa";
  switch (mark.kind) {
    case BarMarkKind::LongitudinalBars: shape = "ferri"; break;
    case BarMarkKind::StarterBars: shape = "ferri di ripresa"; break;
    case BarMarkKind::TieLeg: shape = "spillo"; break;
    case BarMarkKind::ClosedStirrup:
    case BarMarkKind::CircularHoop: break;
  }
  return std::string(shape) + " " + DiameterText(double{mark.diameter} * 10) +
         " L = " + FormatSingle(mark.cutLength, NumberFormat{','});
}

class StackChecker {
public:
  StackChecker(std::string_view stackId, const StackSchedule& schedule) : stackId_(stackId), schedule_(schedule) {}

  void Piece(const BarRecorder::Piece& piece, long endLevels) {
    piece_ = &piece;
    std::vector<const BarMark*> stirrups;
    std::string firstStirrup;
    for (const BarMark& mark : piece.marks) {
      const ScheduleRow* row = nullptr;
      if (MarkCount(mark, endLevels, piece.middleLevels) > 0 && next_ < schedule_.rows.size()) {
        row = &schedule_.rows[next_++];
      }
      const std::string name = row != nullptr ? row->mark : LabelName(mark);
      Mark(mark, row, name);
      if (mark.kind == BarMarkKind::ClosedStirrup && mark.count > 0) {
        stirrups.push_back(&mark);
        if (firstStirrup.empty()) firstStirrup = name;
      }
    }
    if (piece.hasSection && !piece.circular) Section(piece, stirrups, firstStirrup);
  }

  // The findings, those of one rule with the same numbers at several places made one.
  std::vector<Finding> Take() {
    std::vector<Finding> out;
    for (Finding& f : findings_) {
      const auto same = std::find_if(out.begin(), out.end(), [&](const Finding& o) {
        return IsRuleFinding(f.kind) && o.kind == f.kind && o.view == f.view && o.stated == f.stated &&
               o.expected == f.expected && o.diameterMm == f.diameterMm;
      });
      if (same == out.end()) {
        out.push_back(std::move(f));
      } else {
        same->alsoAt.push_back({f.pieceNumber, std::move(f.mark)});
      }
    }
    return out;
  }

private:
  void Add(FindingKind kind, FindingView view, const std::string& mark, double stated, double expected,
           Single diameterMm) {
    Finding f;
    f.kind = kind;
    f.stackId = std::string(stackId_);
    f.pieceNumber = piece_->number;
    f.pieceIndex = piece_->index;
    f.view = view;
    f.mark = mark;
    f.stated = stated;
    f.expected = expected;
    f.diameterMm = diameterMm;
    findings_.push_back(std::move(f));
  }

  void Mark(const BarMark& mark, const ScheduleRow* row, const std::string& name) {
    const Single d = static_cast<Single>(double{mark.diameter} * 10);
    if (mark.kind == BarMarkKind::LongitudinalBars && mark.listedCount != mark.count) {
      Add(FindingKind::BarListCount, FindingView::Elevation, name, static_cast<double>(mark.listedCount),
          static_cast<double>(mark.count), d);
    }
    if (!IsTransverse(mark.kind)) {
      if (row != nullptr && row->LengthDiffers()) Length(*row, name);
      return;
    }
    if (mark.hasLabel && mark.count == 0) {
      Add(FindingKind::NeverPlaced, FindingView::Section, name, double{mark.cutLength} * 10, 0, d);
      return;
    }
    if (row == nullptr) return;
    if (row->LengthDiffers()) Length(*row, name);
    const double tail = TailLength(mark);
    const double drawnTail = std::round(double{mark.drawnTail} * 10);
    if (drawnTail < tail) {
      Add(FindingKind::TailShort, FindingView::Section, name, drawnTail, tail, d);
    }
    const double held = std::max(double{mark.barA}, double{mark.barB}) * 10;
    if (mark.kind != BarMarkKind::TieLeg && held > row->mandrelMm + 1e-6) {
      Add(FindingKind::MandrelTooSmall, FindingView::Section, name, row->mandrelMm, held, d);
    }
  }

  void Length(const ScheduleRow& row, const std::string& name) {
    Add(FindingKind::LengthDiffers, row.kind == BarMarkKind::LongitudinalBars || row.kind == BarMarkKind::StarterBars
                                        ? FindingView::Elevation
                                        : FindingView::Section,
        name, double{row.drawingLength} * 10, double{row.cutLength} * 10, row.diameterMm);
  }

  // Every corner bar inside a closed stirrup, and the stirrup inside the cover.
  void Section(const BarRecorder::Piece& piece, const std::vector<const BarMark*>& stirrups,
               const std::string& firstStirrup) {
    if (stirrups.empty()) return;
    const std::array<std::array<double, 2>, 4> corners = {{{piece.cornerX0, piece.cornerY0},
                                                           {piece.cornerX1, piece.cornerY0},
                                                           {piece.cornerX1, piece.cornerY1},
                                                           {piece.cornerX0, piece.cornerY1}}};
    int outside = 0;
    for (const auto& [x, y] : corners) {
      bool held = false;
      for (const BarMark* s : stirrups) {
        held = held || (x >= s->originX - kTolerance && x <= double{s->originX} + s->axisA + kTolerance &&
                        y >= s->originY - kTolerance && y <= double{s->originY} + s->axisB + kTolerance);
      }
      if (!held) ++outside;
    }
    const Single ds = static_cast<Single>(double{piece.stirrupDiameter} * 10);
    if (outside > 0) Add(FindingKind::NotEnclosed, FindingView::Section, firstStirrup, outside, 0, ds);
    const double axisCover = std::min({double{piece.cornerX0} - piece.sectionX0, double{piece.cornerY0} - piece.sectionY0,
                                       double{piece.sectionX1} - piece.cornerX1, double{piece.sectionY1} - piece.cornerY1});
    const double cover = (axisCover - double{piece.cornerDiameter} / 2 - piece.stirrupDiameter) * 10;
    if (cover + 1e-6 < kLeastCoverMm) {
      Add(FindingKind::CoverShort, FindingView::Section, firstStirrup, std::round(cover), kLeastCoverMm, ds);
    }
  }

  std::string_view stackId_;
  const StackSchedule& schedule_;
  const BarRecorder::Piece* piece_ = nullptr;
  std::size_t next_ = 0;
  std::vector<Finding> findings_;
};

std::string Mm(double value) { return FormatFixed(value, 0, NumberFormat{','}) + " mm"; }

}  // namespace

std::vector<Finding> CheckStack(std::string_view stackId, const BarRecorder& recorder, const StackSchedule& schedule) {
  StackChecker checker(stackId, schedule);
  const std::vector<BarRecorder::Piece>& pieces = recorder.Pieces();
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const long joint = p + 1 < pieces.size() ? pieces[p + 1].jointLevels : 0;
    checker.Piece(pieces[p], pieces[p].endLevels + joint);
  }
  return checker.Take();
}

std::string FindingText(const Finding& f) {
  std::vector<Integer> pieces{f.pieceNumber};
  std::string marks = f.mark;
  for (const Finding::Place& at : f.alsoAt) {
    if (std::find(pieces.begin(), pieces.end(), at.pieceNumber) == pieces.end()) pieces.push_back(at.pieceNumber);
    marks += ", " + at.mark;
  }
  std::string text = "Pilastrata " + f.stackId + (pieces.size() > 1 ? ", pilastri " : ", pilastro ");
  for (std::size_t i = 0; i < pieces.size(); ++i) text += (i > 0 ? ", " : "") + FormatInteger(pieces[i]);
  text += std::string(" (") + (f.view == FindingView::Section ? "sezione" : "prospetto") + "), ";
  text += f.mark.find(' ') == std::string::npos ? "pos. " + marks : marks;
  text += ": ";
  const std::string d = DiameterText(f.diameterMm);
  switch (f.kind) {
    case FindingKind::BarListCount:
      text += "l'elenco ferri dice " + FormatFixed(f.stated, 0, NumberFormat{}) + d + ", la sezione ne pone " +
              FormatFixed(f.expected, 0, NumberFormat{});
      break;
    case FindingKind::NeverPlaced:
      text += "etichettato ma mai posto nella sezione (conteggio 0)";
      break;
    case FindingKind::LengthDiffers:
      text += "L disegno " + Mm(f.stated) + ", lunghezza di taglio " + Mm(f.expected) + " (differenza oltre 1 cm)";
      break;
    case FindingKind::TailShort:
      text += "coda disegnata " + Mm(f.stated) + ", la regola vuole " + Mm(f.expected) + " (uncino a 135°, 10 Ø)";
      break;
    case FindingKind::MandrelTooSmall:
      text += "mandrino " + Mm(f.stated) + " più stretto della barra d'angolo " + Mm(f.expected);
      break;
    case FindingKind::NotEnclosed:
      text += FormatFixed(f.stated, 0, NumberFormat{}) + " barre d'angolo fuori da ogni staffa chiusa";
      break;
    case FindingKind::CoverShort:
      text += "copriferro alla staffa " + Mm(f.stated) + ", minimo " + Mm(f.expected);
      break;
  }
  return text;
}

std::string CheckFileName(std::string_view stackId) { return "Verifica_" + std::string(stackId) + ".txt"; }

std::string CheckReportText(std::string_view stackId, const std::vector<Finding>& findings) {
  std::string text = "Verifica pilastrata " + std::string(stackId) + ": ";
  text += findings.empty() ? "nessun rilievo" : FormatInteger(static_cast<long long>(findings.size())) + " rilievi";
  text += "\r\n";
  for (const Finding& f : findings) text += FindingText(f) + "\r\n";
  return text;
}

void WriteCheckReport(const std::filesystem::path& path, std::string_view stackId,
                      const std::vector<Finding>& findings) {
  const std::string text = CheckReportText(stackId, findings);
  WriteFileAtomically(path, "check report", [&](const FileBlockSink& sink) { sink(text); });
}

}  // namespace tessaro
