// The recorder of the bars the drawing labels, piece by piece.
#include "primitives/bar_marks.h"

namespace tessaro {

void BarRecorder::BeginPiece(Integer index, Integer number, Integer code) {
  Piece piece;
  piece.index = index;
  piece.number = number;
  piece.code = code;
  pieces_.push_back(std::move(piece));
}

BarRecorder::Piece& BarRecorder::Current() {
  if (pieces_.empty()) pieces_.emplace_back();
  return pieces_.back();
}

void BarRecorder::AddMark(const BarMark& mark) { Current().marks.push_back(mark); }

void BarRecorder::SetSection(const Piece& section) {
  Piece& piece = Current();
  piece.hasSection = true;
  piece.circular = section.circular;
  piece.sectionX0 = section.sectionX0;
  piece.sectionY0 = section.sectionY0;
  piece.sectionX1 = section.sectionX1;
  piece.sectionY1 = section.sectionY1;
  piece.cornerX0 = section.cornerX0;
  piece.cornerY0 = section.cornerY0;
  piece.cornerX1 = section.cornerX1;
  piece.cornerY1 = section.cornerY1;
  piece.cornerDiameter = section.cornerDiameter;
  piece.stirrupDiameter = section.stirrupDiameter;
}

void BarRecorder::AddStirrupLevel(StirrupZone zone) {
  Piece& piece = Current();
  switch (zone) {
    case StirrupZone::End: ++piece.endLevels; break;
    case StirrupZone::Middle: ++piece.middleLevels; break;
    case StirrupZone::Joint: ++piece.jointLevels; break;
  }
}

}  // namespace tessaro
