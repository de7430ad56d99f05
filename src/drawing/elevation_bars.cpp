// The elevation up to its stirrups: concrete outline with floor lines and seat steps, the
// section-cut mark, the longitudinal bars with starter bars and hooks, the bar schedule
// and the bars of the piece below that run on into this one. Errors here end the call.
#include "drawing/piece_view_parts.h"

namespace tessaro {

namespace {

bool IsFirstOrOnly(const PieceViewArgs& args) { return args.pieceCode <= 1; }
bool IsLastOrOnly(const PieceViewArgs& args) { return args.pieceCode == 0 || args.pieceCode == 3; }

void AddBar(const PieceContext& ctx, Single x, Single yFrom, Single yTo) {
  AddLine(ctx.canvas, x, yFrom, x, yTo, kBarColor);
}

// Hooks turn inwards: right on the first corner bar, left on the last.
void AddCornerHooks(const PieceContext& ctx, Integer i, Integer last, Single x, Single y) {
  if (i == 0) AddLine(ctx.canvas, x, y, x + ctx.at.Lh, y, kBarColor);
  if (i == last) AddLine(ctx.canvas, x, y, x - ctx.at.Lh, y, kBarColor);
}

// The starter bar drawn beside the elevation with its length and description.
void DrawBarSchedule(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Single x = at.X0 - 350;
  AddBar(ctx, x, at.B - 100, at.B + at.Lb);
  const Single length = 100 + at.Lb;
  AddText(ctx.canvas, at.X0 - 345, at.B - at.h - 45, kTextHeight, "L = " + SingleText(length, ctx.canvas.numbers),
          kNoteColor);
  AddText(ctx.canvas, at.X0 - 345, at.B - at.h - 30, kTextHeight, BarDescription(ctx.f, ctx.canvas.numbers),
          kNoteColor);
  RecordBarMarks(ctx, BarMarkKind::StarterBars, "starter bars", length, 0);
}

void DrawBar(const PieceContext& ctx, Integer i) {
  const PieceLayout& at = ctx.at;
  const Single x = at.X0 + at.c + i * at.sx;
  if (ctx.args.sectionChanged) {
    AddBar(ctx, x, at.B - 100, at.B + at.Lb);
    if (at.Lb == 100) {
      if (ctx.args.firstView && i == 0) DrawBarSchedule(ctx);
      AddBar(ctx, x, at.B - at.h, at.T - at.t);
    }
  }
  if (IsFirstOrOnly(ctx.args)) AddCornerHooks(ctx, i, at.lastBar, x, at.B - at.h);
  if (IsLastOrOnly(ctx.args)) {
    AddBar(ctx, x, at.B - at.h, at.T - at.t);
    AddCornerHooks(ctx, i, at.lastBar, x, at.T - at.t);
  }
}

// View 1: the bars of the piece below, either stopped under this piece's bottom with
// hooks (section changed) or bent over to this piece's bar positions.
void DrawContinuedBarView1(const PieceContext& ctx, Integer i, Single yk) {
  const PieceLayout& at = ctx.at;
  const PreviousPiece& prev = ctx.prev;
  const Single xp = prev.leftFace + at.c + i * prev.barSpacing;
  if (ctx.args.sectionChanged) {
    AddBar(ctx, xp, prev.top - 2, prev.baseMark);
    AddCornerHooks(ctx, i, prev.barLastIndex, xp, at.B - 2);
    return;
  }
  const Single q = ToSingle(Divide(double{at.W} - 2 * at.c, double{prev.barCount} - 1));
  AddLine(ctx.canvas, xp, yk, at.X0 + at.c + i * q, prev.baseMark, kBarColor);
}

// View 2: the same bars, moved by the view-2 shift.
void DrawContinuedBarView2(const PieceContext& ctx, Integer i, Single yk, Single shift) {
  const PieceLayout& at = ctx.at;
  const PreviousPiece& prev = ctx.prev;
  const Single x = at.X0 + at.c + i * prev.barSpacing - shift;
  if (ctx.args.sectionChanged) {
    AddBar(ctx, x, prev.baseMark, at.B - 2);
    AddCornerHooks(ctx, i, prev.barLastIndex, x, at.B - 2);
    return;
  }
  AddBar(ctx, x, yk, prev.baseMark);
}

}  // namespace

// Seven lines, always: a missing seat step leaves a line of no length in its place.
void DrawOutline(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  Canvas& canvas = ctx.canvas;
  const Single leftSeat = at.T - at.a8;
  const Single rightSeat = at.T - at.a9;
  AddLine(canvas, at.xl, at.B, at.X0, at.B, kOutlineColor);
  AddLine(canvas, at.X1, at.B, at.xr, at.B, kOutlineColor);
  AddLine(canvas, at.X0, at.B, at.X0, leftSeat, kOutlineColor);
  AddLine(canvas, at.X1, at.B, at.X1, rightSeat, kOutlineColor);
  AddLine(canvas, at.xs, leftSeat, at.X0, leftSeat, kOutlineColor);
  AddLine(canvas, at.X1, rightSeat, at.xe, rightSeat, kOutlineColor);
  AddLine(canvas, at.xs, at.T, at.xe, at.T, kOutlineColor);
}

void DrawCutMark(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Single ym = ToSingle(at.B + (double{at.T} - at.B) * 0.5);
  const std::string number = FormatInteger(CheckedAdd(ctx.args.pieceIndex, 1));
  AddLine(ctx.canvas, at.X0 - 20, ym, at.X1 + 20, ym, kLabelColor);
  AddText(ctx.canvas, at.X0 - 40, ym, kTextHeight, number, kLabelColor);
  AddText(ctx.canvas, at.X1 + 30, ym, kTextHeight, number, kLabelColor);
}

// The bars of a first or middle piece are finished by the next piece of the same view.
void DrawLongitudinalBars(const PieceContext& ctx) {
  for (Integer i = 0; i <= ctx.at.lastBar; i = CheckedAdd(i, 1)) DrawBar(ctx, i);
}

void DrawContinuedBars(const PieceContext& ctx, Single shift) {
  if (ctx.args.pieceCode <= 1) return;
  const PieceLayout& at = ctx.at;
  Single yk = at.B + 100;
  if (ctx.args.pieceCode == 3 && yk > at.T) yk = at.T - at.c;
  for (Integer i = 0; i <= ctx.prev.barLastIndex; i = CheckedAdd(i, 1)) {
    if (ctx.args.cornersOnWidth) {
      DrawContinuedBarView1(ctx, i, yk);
    } else {
      DrawContinuedBarView2(ctx, i, yk, shift);
    }
  }
}

}  // namespace tessaro
