// Taking the bar and stirrup counts of a piece view and laying out the section and the
// elevation, before anything is drawn, so that a zero divisor leaves the drawing untouched.
#include <cmath>
#include <string_view>
#include <vector>

#include "drawing/piece_view_parts.h"
#include "text/encoding.h"
#include "base/errors.h"

namespace tessaro {

PieceFields ReadPieceFields(PieceViewArgs& args) {
  PieceFields f;
  f.n1 = args.barsWidth.count;
  f.d1 = args.barsWidth.diameter;
  f.n2 = args.barsDepth.count;
  f.d2 = args.barsDepth.diameter;
  f.s1 = args.stirrups.count;
  f.ds = args.stirrups.diameter;
  f.s2 = args.otherStirrups.count;
  f.e = ToSingle((double{f.d2} - f.d1) * 0.5);
  if (args.depth == 0) {
    // A circular column: its bars count as two halves on the two faces, and its depth
    // is its diameter, which the caller sees too (the view-2 call draws with it).
    f.circular = true;
    f.nc = f.n1;
    f.n1 = FloorToInteger(f.nc * 0.5);
    f.n2 = f.n1;
    args.depth = args.width;
  }
  return f;
}

namespace {

void LayOutSection(const PieceViewArgs& args, const PieceFields& f, PieceLayout& at) {
  at.W = args.width;
  at.D = args.depth;
  at.c = args.cover;
  at.x0 = ToSingle(140 * 4.5 + double{args.viewOffset});
  at.y0 = ToSingle(double{args.bottomLevel} + std::fabs(double{args.topLevel} - args.bottomLevel) * 0.4);
  at.x1 = ToSingle(double{at.x0} + at.W);
  at.y1 = ToSingle(double{at.y0} + at.D);
  at.xi0 = ToSingle(double{at.x0} + at.c);
  at.xi1 = ToSingle(double{at.x1} - at.c);
  at.yi0 = ToSingle(double{at.y0} + at.c);
  at.yi1 = ToSingle(double{at.y1} - at.c);
  // The face that holds the corner bars divides its span by n - 1, the other by n + 1.
  const bool cornersOnWidth = args.cornersOnWidth;
  const Integer widthGaps = cornersOnWidth ? CheckedSub(f.n1, 1) : CheckedAdd(f.n1, 1);
  const Integer depthGaps = cornersOnWidth ? CheckedAdd(f.n2, 1) : CheckedSub(f.n2, 1);
  at.sx = ToSingle(Divide(double{at.xi1} - at.xi0, widthGaps));
  at.sy = ToSingle(Divide(double{at.yi1} - at.yi0, depthGaps));
}

// Floor lines stop at the column face where there is no seat step, and the bottom ones
// also where the piece below had a step (its seat already carries the floor).
void LayOutFloorLines(const PieceViewArgs& args, const PreviousPiece& prev, PieceLayout& at) {
  at.xl = at.xs = at.xv;
  at.xr = at.xe = at.X2;
  if (at.a8 == 0) at.xs = at.X0;
  if (at.a9 == 0) at.xe = at.X1;
  if (args.pieceCode > 1 && prev.insetLeft != 0) at.xl = at.X0;
  if (args.pieceCode > 1 && prev.insetRight != 0) at.xr = at.X1;
}

void LayOutElevation(const PieceViewArgs& args, const PieceFields& f, const PreviousPiece& prev, PieceLayout& at) {
  at.xv = args.viewOffset;
  at.B = args.bottomLevel;
  at.T = args.topLevel;
  at.a8 = args.insetLeft;
  at.a9 = args.insetRight;
  at.X0 = ToSingle(140.0 + args.elevationShift + at.xv);
  at.X1 = ToSingle(double{at.X0} + at.W);
  at.X2 = ToSingle(2 * 140.0 + at.W + at.xv + args.sizeDiff);
  LayOutFloorLines(args, prev, at);
  at.lastBar = args.cornersOnWidth ? CheckedSub(f.n1, 1) : CheckedAdd(f.n1, 1);
  const Integer code = args.pieceCode;
  const bool endsStack = code == 0 || code == 3;
  at.t = endsStack ? at.c : MaxOf(at.a8, at.a9);
  at.h = code <= 1 ? ToSingle(double{args.endValue} - 3) : Single{0};
  at.Lh = MaxOf(ToSingle(double{MinOf(at.W, at.D)} - 15), Single{10});
  at.Lb = MinOf(Single{100}, ToSingle(double{at.T} - at.B - at.t));
  at.Ts = MinOf(ToSingle(double{at.T} - at.a8), ToSingle(double{at.T} - at.a9));
}

}  // namespace

PieceLayout ComputeLayout(const PieceViewArgs& args, const PieceFields& f, const PreviousPiece& prev) {
  PieceLayout at;
  LayOutSection(args, f, at);
  LayOutElevation(args, f, prev, at);
  return at;
}

std::string SingleText(Single value, const NumberFormat& format) {
  CheckFinite(value);
  return FormatSingle(value, format);
}

std::string BarText(long long count, Single diameter, const NumberFormat& format) {
  return FormatInteger(count) + std::string(kDiameterSign) + SingleText(ToSingle(double{diameter} * 10), format);
}

std::string BarDescription(const PieceFields& f, const NumberFormat& format) {
  const Integer width = CheckedMul(2, f.n1);
  const Integer depth = CheckedMul(2, f.n2);
  if (f.d1 == f.d2) return BarText(CheckedAdd(width, depth), f.d1, format);
  return BarText(width, f.d1, format) + " + " + BarText(depth, f.d2, format);
}

void RecordBarMarks(const PieceContext& ctx, BarMarkKind kind, const char* member, Single cutLength, int hooks) {
  BarRecorder* bars = ctx.canvas.bars;
  if (bars == nullptr) return;
  const PieceFields& f = ctx.f;
  BarMark mark;
  mark.kind = kind;
  mark.member = member;
  mark.cutLength = cutLength;
  mark.hook = ctx.at.Lh;
  mark.hooks = hooks;
  // A circular section has nc bars; its description counts 2·n1 + 2·n2 = 4·floor(nc / 2).
  const long width = f.circular ? f.nc : 2L * f.n1;
  const long depth = f.circular ? 0 : 2L * f.n2;
  mark.diameter = f.d1;
  mark.count = f.d1 == f.d2 ? width + depth : width;
  bars->AddMark(mark);
  if (f.d1 == f.d2) return;
  mark.diameter = f.d2;
  mark.count = depth;
  bars->AddMark(mark);
}

}  // namespace tessaro
