// What the elevation says about itself: the bar list column of view 1 (the cut length of
// each piece's bars beside the stack), the stack title, the level markers, the seat-step
// dimensions and the stirrup zones. Failing statements are skipped.

#include "drawing/piece_view_parts.h"
#include "text/encoding.h"
#include "base/errors.h"

namespace tessaro {

namespace {

Single At(std::span<const Single> values, double index) {
  if (!(index >= 0 && index < static_cast<double>(values.size()))) {
    Raise(ErrorKind::MissingData, "no per-stack value at index " + FormatSingle(index, NumberFormat{}));
  }
  return values[static_cast<std::size_t>(index)];
}

// Whether the piece above has another section (its bars cannot simply run on).
bool NextChanged(const StackProfile& stack, Integer index) {
  const Integer next = CheckedAdd(index, 1);
  return At(stack.side1, next) != At(stack.side1, index) || At(stack.side2, next) != At(stack.side2, index);
}

// Top of a continuing bar: 100 above this piece, but not above the top of the stack.
Single ContinuedTop(const PieceContext& ctx, const StackProfile& stack) {
  const PieceLayout& at = ctx.at;
  Single yE = at.T + 100;
  if (ctx.args.pieceIndex == stack.lastPieceIndex - 2) {
    Skipping(ctx.canvas.skipped, [&] {
      const Single stackTop = At(stack.topLevel, stack.lastPieceIndex - 1);
      if (yE > stackTop) yE = stackTop - at.c;
    });
  }
  return yE;
}

struct ColumnLength {
  Single L = 0;   // cut length written beside the column
  Single yM = 0;  // where it is written
};

ColumnLength LengthOf(const PieceContext& ctx, bool nextChanged, Single yE) {
  const PieceLayout& at = ctx.at;
  const Single k = nextChanged ? 87 : 0;
  const Single foot = at.B - at.h;
  switch (ctx.args.pieceCode) {
    case 0: return {(at.T - at.t) - foot + 2 * at.Lh, foot + (at.T - at.B) * 0.5f};
    case 1: return {(at.T + 100) - foot + at.Lh - k, foot + ((at.T + 100) - foot) * 0.5f};
    case 3: {
      const bool withStarter = !ctx.args.sectionChanged || at.Lb < 100;
      return {(at.T - at.t) - foot + at.Lh + (withStarter ? 100 : 0), foot + (at.T - at.B) * 0.5f};
    }
    default: return {yE - at.B - k, foot + ((at.T + 100) - at.B) * 0.5f};
  }
}

// The hooks the column's length counts: at the foot of the first and the only piece, at
// the head of the last and the only one, and at the top where the section changes above.
int ColumnHooks(Integer pieceCode, bool nextChanged) {
  switch (pieceCode) {
    case 0: return 2;
    case 1: return nextChanged ? 2 : 1;
    case 3: return 1;
    default: return nextChanged ? 1 : 0;
  }
}

void Line(const PieceContext& ctx, Single x1, Single y1, Single x2, Single y2, int color) {
  Skipping(ctx.canvas.skipped, [&] { AddLine(ctx.canvas, x1, y1, x2, y2, color); });
}

void Text(const PieceContext& ctx, Single x, Single y, Single height, const std::string& text, int color) {
  Skipping(ctx.canvas.skipped, [&] { AddText(ctx.canvas, x, y, height, text, color); });
}

// The column line itself: up to the next piece, or hooked at this piece's top when the
// section changes above; the single and last piece stop under the top.
void DrawColumnLine(const PieceContext& ctx, Single xc, bool nextChanged, Single yE) {
  const PieceLayout& at = ctx.at;
  const Integer code = ctx.args.pieceCode;
  if (code > 0 && code != 3) {
    if (!nextChanged) {
      Line(ctx, xc, at.B - at.h, xc, yE, kBarColor);
      return;
    }
    Line(ctx, xc, at.B - at.h, xc, at.T - 2, kBarColor);
    Line(ctx, xc, at.T - 2, xc + at.Lh, at.T - 2, kBarColor);
    Skipping(ctx.canvas.skipped,
             [&] { Text(ctx, xc + 5, at.T - 12, kTextHeight, SingleText(at.Lh, ctx.canvas.numbers), kNoteColor); });
    return;
  }
  const Single below = ctx.args.sectionChanged && at.Lb < 100 ? 100 : 0;
  Line(ctx, xc, at.B - at.h - below, xc, at.T - at.t, kBarColor);
}

}  // namespace

void DrawBarListColumn(const PieceContext& ctx, const StackProfile& stack) {
  if (!ctx.args.firstView) return;
  const PieceLayout& at = ctx.at;
  const NumberFormat& numbers = ctx.canvas.numbers;
  Single xc = at.X0 + at.c - 450;
  Skipping(ctx.canvas.skipped, [&] {
    if (!IsEven(ctx.args.pieceIndex)) xc = at.X0 + at.c - 550;
  });
  bool nextChanged = false;
  Skipping(ctx.canvas.skipped, [&] { nextChanged = NextChanged(stack, ctx.args.pieceIndex); });
  const Single yE = ContinuedTop(ctx, stack);
  DrawColumnLine(ctx, xc, nextChanged, yE);
  if (ctx.args.pieceCode == 0 || ctx.args.pieceCode == 1) {
    Line(ctx, xc - 20, at.B, xc + 20, at.B, kTickColor);
    Skipping(ctx.canvas.skipped,
             [&] { Text(ctx, xc - 20, at.B - at.h * 0.5f, kTextHeight, SingleText(at.h, numbers), kNoteColor); });
  }
  const ColumnLength length = LengthOf(ctx, nextChanged, yE);
  Skipping(ctx.canvas.skipped, [&] {
    Text(ctx, xc + 5, length.yM, kTextHeight, "L = " + SingleText(length.L, numbers), kNoteColor);
    RecordBarMarks(ctx, BarMarkKind::LongitudinalBars, "bar list", length.L,
                   ColumnHooks(ctx.args.pieceCode, nextChanged));
  });
  Skipping(ctx.canvas.skipped,
           [&] { Text(ctx, xc + 5, length.yM + 15, kTextHeight, BarDescription(ctx.f, numbers), kNoteColor); });
}

void DrawTitle(const PieceContext& ctx) {
  if (ctx.args.pieceCode != 0 && ctx.args.pieceCode != 1) return;
  Text(ctx, ctx.at.xv, ctx.at.B - 50, 2 * kTextHeight, "Pilastrata  " + FormatInteger(ctx.args.stackId), kTitleColor);
}

namespace {

// A marker 10 left of x on the level y, which it writes in metres.
void LevelMark(const PieceContext& ctx, Single x, Single y) {
  Skipping(ctx.canvas.skipped,
           [&] { DrawLevelMark(ctx.canvas, x - 10, y, ToSingle(y * 0.01), kTextHeight, kNoteColor); });
}

void Dimension(const PieceContext& ctx, Single x, Single yFrom, Single yTo) {
  Skipping(ctx.canvas.skipped, [&] {
    Single scale = 0;
    DrawVerticalDimension(ctx.canvas, x, yFrom, x, yTo, kNoteColor, scale, kDimensionHeight);
  });
}

// One zone of the stirred length: its dimension, then its spacing written beside it.
void Zone(const PieceContext& ctx, Single yFrom, Single yTo, Single labelY, Single spacing) {
  const PieceLayout& at = ctx.at;
  Dimension(ctx, at.X1 + 50, yFrom, yTo);
  Skipping(ctx.canvas.skipped, [&] {
    const NumberFormat& numbers = ctx.canvas.numbers;
    const std::string label = std::string(kDiameterSign) + SingleText(ctx.f.ds * 10, numbers) + " / " +
                              SingleText(spacing, numbers) + "cm";
    AddText(ctx.canvas, at.X1 + 52, labelY, kDimensionHeight, label, kNoteColor);
  });
}

void DrawStirrupZones(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Single E = ctx.args.endZoneLength;
  const Single s = ctx.args.endSpacing;
  const Single B = at.B;
  const Single Ts = at.Ts;
  if (!(2 * E < Ts - B)) {
    Zone(ctx, B, Ts, B + (Ts - B) * 0.5f - 15, s);
    return;
  }
  Zone(ctx, B, B + E, B + E * 0.5f - 15, s);
  Zone(ctx, B + E, Ts - E, B + E + (Ts - E - B - E) * 0.5f - 15, ctx.args.midSpacing);
  Zone(ctx, Ts - E, Ts, Ts - E * 0.5f - 15, s);
}

}  // namespace

// The bottom marker moves 125 left when the floor line ends at the column face, so that
// it stands clear of the column.
void DrawLevelsAndZones(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Single xm = at.xr == at.X1 ? at.xr - 125 : at.xr;
  LevelMark(ctx, xm, at.B);
  if (ctx.args.pieceCode == 0 || ctx.args.pieceCode == 3) LevelMark(ctx, at.xe, at.T);
  if (at.a9 != 0) Dimension(ctx, at.X2 + 20, at.T - at.a9, at.T);
  if (at.a8 != 0) Dimension(ctx, at.xv - 20, at.T - at.a8, at.T);
  DrawStirrupZones(ctx);
}

}  // namespace tessaro
