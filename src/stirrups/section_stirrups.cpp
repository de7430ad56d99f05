// The stirrup dispatcher: picks the closed stirrup (or the split pair) and the two tie
// rows of a rectangular section from its shape and the two drawing options, and places
// their detail copies beside the section.
#include "stirrups/section_stirrups.h"

#include <cmath>

#include "stirrups/closed_stirrups.h"
#include "stirrups/single_math.h"
#include "stirrups/tie_rows.h"

namespace tessaro {

using namespace single_math;

namespace {

constexpr int kTieColor = 21;

// Beyond this piece value the rows count only the intermediate bars.
constexpr Single kRowCountLimit = 45;

struct RowPair {
  TieRowMember width;
  TieRowMember depth;
};

RowPair RowsFor(bool wide, bool tangent) {
  if (wide) return tangent ? RowPair{TieRowMember::TieRowX2, TieRowMember::TieRowY2}
                           : RowPair{TieRowMember::TieRowX4, TieRowMember::TieRowY4};
  return tangent ? RowPair{TieRowMember::TieRowX1, TieRowMember::TieRowY1}
                 : RowPair{TieRowMember::TieRowX3, TieRowMember::TieRowY3};
}

// The shared inputs of one section, derived once.
struct Section {
  const SectionStirrupInput& in;
  bool wide;        // W > D
  Integer c1, c2;   // bar counts the width and depth rows work with
  RowPair rows;
};

// The closed stirrup over (xA, yA)-(xB, yB): in place, then as the labelled detail.
void DrawStirrupTwice(Canvas& canvas, const Section& s, ClosedStirrupMember member, Single xA, Single yA, Single xB,
                      Single yB, Single detailDx, Single detailDy) {
  const SectionStirrupInput& in = s.in;
  // dA goes to the corners of the hoop, dB to the turns of a split part: the width bars'
  // diameter is dA when W <= D, the depth bars' when W > D.
  const Single dA = s.wide ? in.d2 : in.d1;
  const Single dB = s.wide ? in.d1 : in.d2;
  ClosedStirrupInput stirrup{xA, yA, xB, yB, dA, dB, in.ds, 0, 0, false, in.stirrupColor, in.labelColor,
                             in.textHeight};
  // The bars it holds: the corner bars are width bars (d1); a part split along the depth
  // turns round depth bars (d2) at one end of its depth sides. The faces of the other
  // bars line up with those of the corner bars.
  stirrup.heldA = in.d1;
  stirrup.heldB = member == ClosedStirrupMember::StirrupLowerPart || member == ClosedStirrupMember::StirrupUpperPart
                      ? Times(Plus(in.d1, in.d2), 0.5)
                      : in.d1;
  DrawClosedStirrup(canvas, member, stirrup);
  stirrup.dx = detailDx;
  stirrup.dy = detailDy;
  stirrup.labelFlag = true;
  DrawClosedStirrup(canvas, member, stirrup);
}

TieRowInput RowInput(const SectionStirrupInput& in, Integer legCount, Integer barCount, Single end, Single spacing,
                     bool splitFlag, Single detailOffset) {
  TieRowInput row;
  row.legCount = legCount;
  row.barCount = barCount;
  row.x0 = in.xi0;
  row.y0 = in.yi0;
  row.end = end;
  row.spacing = spacing;
  row.d1 = in.d1;
  row.d2 = in.d2;
  row.ds = in.ds;
  row.tieColor = kTieColor;
  row.labelColor = in.labelColor;
  row.splitFlag = splitFlag;
  row.textHeight = in.textHeight;
  row.detailOffset = detailOffset;
  return row;
}

// The width row, then the depth row.
void DrawRows(Canvas& canvas, const Section& s, bool widthSplit, Single widthOffset, bool depthSplit,
              Single depthOffset) {
  const SectionStirrupInput& in = s.in;
  DrawTieRow(canvas, s.rows.width, RowInput(in, in.s1, s.c1, in.yi1, in.sx, widthSplit, widthOffset));
  DrawTieRow(canvas, s.rows.depth, RowInput(in, in.s2, s.c2, in.xi1, in.sy, depthSplit, depthOffset));
}

// One hoop round the whole section, detail at the first (farther) offsets.
void DrawFirstLayout(Canvas& canvas, const Section& s, Single w, Single h) {
  const SectionStirrupInput& in = s.in;
  const Single A = Plus(100, MinOf(w, h));
  const Single B = -MaxOf(w, h);
  const Single T = Times(A, 3.5);
  const Single halfT = Times(T, 0.5);
  if (!s.wide) {
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupHookTop, in.xi0, in.yi0, in.xi1, in.yi1, A, B);
    DrawRows(canvas, s, false, T, false, halfT);
  } else {
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupHookBottom, in.xi0, in.yi0, in.xi1, in.yi1,
                     Times(A, 1.5), B);
    DrawRows(canvas, s, false, halfT, false, halfT);
  }
}

// The split layout where the section allows it, details at the second (closer) offsets.
void DrawSecondLayout(Canvas& canvas, const Section& s, Single w, Single h) {
  const SectionStirrupInput& in = s.in;
  const Single A2 = Times(MinOf(w, h), 2);
  const Single B2 = Times(-MaxOf(w, h), 2);
  const Single T2 = Times(A2, 2.2);
  const Single halfT2 = Times(T2, 0.5);
  if (!s.wide && (in.s2 < 4 || in.n2 < 2)) {
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupHookTop, in.xi0, in.yi0, in.xi1, in.yi1, A2, B2);
    DrawRows(canvas, s, false, T2, false, halfT2);
  } else if (!s.wide) {
    // Split along the depth: each part spans n2 bar spaces from its own end.
    const Single span = Times(Single(in.n2), in.sy);
    const Single yM = Plus(in.yi0, span);
    const Single yN = Minus(in.yi1, span);
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupLowerPart, in.xi0, in.yi0, in.xi1, yM,
                     Times(A2, 0.5), B2);
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupUpperPart, in.xi0, yN, in.xi1, in.yi1,
                     Plus(Times(A2, 0.5), 20), Plus(B2, 20));
    DrawRows(canvas, s, false, T2, true, halfT2);
  } else if (in.s1 < 4 || in.n1 < 2) {
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupHookBottom, in.xi0, in.yi0, in.xi1, in.yi1, A2, B2);
    DrawRows(canvas, s, false, halfT2, false, halfT2);
  } else {
    // Split along the width: each part always spans three bar spaces.
    const Single span = Times(in.sx, 3);
    const Single minusB2 = -B2;
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupRightPart, Minus(in.xi1, span), in.yi0, in.xi1, in.yi1,
                     A2, minusB2);
    DrawStirrupTwice(canvas, s, ClosedStirrupMember::StirrupLeftPart, in.xi0, in.yi0, Plus(in.xi0, span), in.yi1,
                     Plus(A2, 40), Minus(minusB2, 40));
    DrawRows(canvas, s, true, T2, false, T2);
  }
}

}  // namespace

void DrawSectionStirrups(Canvas& canvas, const DrawOptions& options, const SectionStirrupInput& in) {
  const bool wide = in.W > in.D;
  const bool countIntermediateOnly = std::fabs(in.line10Value2) > kRowCountLimit || wide;
  const Integer c1 = countIntermediateOnly ? CheckedSub(in.n1, 2) : in.n1;
  const Integer c2 = countIntermediateOnly ? CheckedSub(in.n2, 2) : in.n2;
  const Section section{in, wide, c1, c2, RowsFor(wide, options.option2)};

  const Single w = Minus(in.xi1, in.xi0);
  const Single h = Minus(in.yi1, in.yi0);
  if (!options.option1) {
    DrawFirstLayout(canvas, section, w, h);
  } else {
    DrawSecondLayout(canvas, section, w, h);
  }
}

}  // namespace tessaro
