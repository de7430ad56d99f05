// The stirrups of the elevation by zone, and the joint stirrups: the top-end stirrups of
// the piece below, drawn under this piece. From here on a failing statement is skipped
// and drawing goes on. A zone whose spacing is not positive would repeat its first stirrup
// on the same spot until the counter overflows: it stops after that first stirrup instead.
#include "drawing/piece_view_parts.h"
#include "base/errors.h"

namespace tessaro {

namespace {

void AddStirrup(const PieceContext& ctx, Single y, StirrupZone zone) {
  Skipping(ctx.canvas.skipped, [&] {
    AddLine(ctx.canvas, ctx.at.X0 + ctx.at.c, y, ctx.at.X1 - ctx.at.c, y, kBarColor);
    if (ctx.canvas.bars != nullptr) ctx.canvas.bars->AddStirrupLevel(zone);
  });
}

// Raised once a zone has drawn its first stirrup with a step that would never end it.
void RequireProgress(Single step) {
  if (!(step > 0)) Raise(ErrorKind::BadFormat, "stirrup spacing is not positive");
}

// End zone from the bottom; gives the count reached and the u where it stopped.
Integer DrawBottomZone(const PieceContext& ctx, Single& u) {
  const PieceLayout& at = ctx.at;
  const Single E = ctx.args.endZoneLength;
  const Single s = ctx.args.endSpacing;
  Integer j = 0;
  for (;;) {
    u = j * s + 2;
    if (u >= E || (ctx.args.pieceCode == 3 && at.B + u > at.T)) return j;
    AddStirrup(ctx, at.B + u, StirrupZone::End);
    RequireProgress(s);
    j = CheckedAdd(j, 1);
  }
}

// Middle zone: first where the end zone stopped, then every `m` from j·s.
void DrawMiddleZone(const PieceContext& ctx, Integer j, Single u) {
  const PieceLayout& at = ctx.at;
  const Single E = ctx.args.endZoneLength;
  const Single s = ctx.args.endSpacing;
  const Single limit = (at.Ts - at.B) - E - s;
  for (Integer i = 1; u < limit; i = CheckedAdd(i, 1)) {
    AddStirrup(ctx, at.B + u, StirrupZone::Middle);
    RequireProgress(ctx.args.midSpacing);
    u = j * s + i * ctx.args.midSpacing;
  }
}

// End zone from the top, only where no piece above finishes it with joint stirrups.
void DrawTopZone(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Single s = ctx.args.endSpacing;
  const Single limit = MaxOf(at.a8, at.a9) + ctx.args.endZoneLength + s;
  for (Integer i = 1;; i = CheckedAdd(i, 1)) {
    const Single u = i * s - 2;
    if (!(u < limit)) return;
    AddStirrup(ctx, at.T - u, StirrupZone::End);
    RequireProgress(s);
  }
}

// Where the horizontal line at y meets the vertical through x (200 down from `top`).
Point2 OnBarAxis(const PieceContext& ctx, Single x, Single top, Single y) {
  return IntersectLines({ctx.at.X0, y}, {ctx.at.X1, y}, {x, top}, {x, top - 200});
}

}  // namespace

void DrawElevationStirrups(const PieceContext& ctx) {
  Single u = 0;
  Integer j = 0;
  Skipping(ctx.canvas.skipped, [&] { j = DrawBottomZone(ctx, u); });
  Skipping(ctx.canvas.skipped, [&] { DrawMiddleZone(ctx, j, u); });
  if (ctx.args.pieceCode == 0 || ctx.args.pieceCode == 3) Skipping(ctx.canvas.skipped, [&] { DrawTopZone(ctx); });
}

// They keep the width of the piece below's outer bars, even when this piece is narrower.
void DrawJointStirrups(const PieceContext& ctx) {
  if (ctx.args.pieceCode <= 1) return;
  const PreviousPiece& prev = ctx.prev;
  const Single sp = prev.endSpacing;
  const Single limit = MaxOf(prev.insetLeft, prev.insetRight) + prev.endZoneLength + sp;
  const Single xFirst = prev.leftFace + ctx.at.c;
  const Single xLast = xFirst + prev.barLastIndex * prev.barSpacing;
  Skipping(ctx.canvas.skipped, [&] {
    Single u = sp - 2;
    for (Integer k = 1; u < limit;) {
      const Single y = ctx.at.B - u;
      Skipping(ctx.canvas.skipped, [&] {
        const Point2 from = OnBarAxis(ctx, xLast, prev.top, y);
        const Point2 to = OnBarAxis(ctx, xFirst, prev.top, y);
        AddLine(ctx.canvas, from[0], from[1], to[0], to[1], kBarColor);
        if (ctx.canvas.bars != nullptr) ctx.canvas.bars->AddStirrupLevel(StirrupZone::Joint);
      });
      k = CheckedAdd(k, 1);
      u = k * sp - 2;
      if (u < 0) return;
    }
  });
}

}  // namespace tessaro
