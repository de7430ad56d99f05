// DrawPieceView: reads the fields and lays the view out, then draws the section and the
// elevation layer by layer and keeps the record the next piece of the view joins to.
#include "drawing/piece_view.h"

#include <cmath>

#include "drawing/piece_view_parts.h"
#include "base/errors.h"

namespace tessaro {

namespace {

void SelectLayer(Canvas& canvas, std::string_view name) { canvas.drawing.SetCurrentLayer(name); }

// Only the continued bars of view 2 use the shift; a first piece keeps the old one.
void UpdateView2Shift(const PieceViewArgs& args, Single& shift) {
  if (args.pieceIndex < 1) return;
  shift = args.prevOffsetChange == 0
              ? ToSingle(args.prevSideChange * 0.5)
              : ToSingle(double{args.prevSideChange} - 2 * std::fabs(double{args.prevOffsetChange}));
}

// Written right after the joint stirrups, which still read the old values.
void RecordEndZone(const PieceContext& ctx) {
  PreviousPiece& prev = ctx.prev;
  Skipping(ctx.canvas.skipped, [&] { prev.endZoneLength = ctx.args.endZoneLength; });
  Skipping(ctx.canvas.skipped, [&] { prev.insetLeft = ctx.at.a8; });
  Skipping(ctx.canvas.skipped, [&] { prev.insetRight = ctx.at.a9; });
  Skipping(ctx.canvas.skipped, [&] { prev.endSpacing = ctx.args.endSpacing; });
}

void RecordBars(const PieceContext& ctx) {
  PreviousPiece& prev = ctx.prev;
  const PieceLayout& at = ctx.at;
  const bool view1 = ctx.args.cornersOnWidth;
  Skipping(ctx.canvas.skipped, [&] { prev.barCount = ctx.f.n1; });
  Skipping(ctx.canvas.skipped, [&] { prev.barSpacing = at.sx; });
  Skipping(ctx.canvas.skipped, [&] { prev.leftFace = at.X0; });
  Skipping(ctx.canvas.skipped, [&] { prev.barLastIndex = view1 ? CheckedSub(ctx.f.n1, 1) : CheckedAdd(ctx.f.n1, 1); });
  Skipping(ctx.canvas.skipped, [&] { prev.top = view1 ? at.T : ToSingle(double{at.T} - at.t); });
  Skipping(ctx.canvas.skipped, [&] { prev.baseMark = ToSingle(double{at.B} - (double{ctx.args.endValue} - 3)); });
}

void DrawSection(const PieceContext& ctx, const DrawOptions& options) {
  SelectLayer(ctx.canvas, "Sezioni");
  if (!ctx.args.drawSection) return;
  if (ctx.f.circular) {
    DrawCircularSection(ctx);
  } else {
    DrawRectangularSection(ctx, options);
  }
}

// Up to here an error ends the call.
void DrawBarsOfElevation(const PieceContext& ctx, PieceViewState& state) {
  SelectLayer(ctx.canvas, "ContornoCLS");
  DrawOutline(ctx);
  if (ctx.args.drawSection) DrawCutMark(ctx);
  SelectLayer(ctx.canvas, "Ferri");
  DrawLongitudinalBars(ctx);
  UpdateView2Shift(ctx.args, state.view2Shift);
  DrawContinuedBars(ctx, state.view2Shift);
}

// From the stirrups on, failing statements are skipped and the rest is still drawn.
void DrawRestOfElevation(const PieceContext& ctx, const StackProfile& stack) {
  DrawElevationStirrups(ctx);
  DrawJointStirrups(ctx);
  RecordEndZone(ctx);
  DrawBarListColumn(ctx, stack);
  Skipping(ctx.canvas.skipped, [&] { SelectLayer(ctx.canvas, "Testo"); });
  DrawTitle(ctx);
  Skipping(ctx.canvas.skipped, [&] { SelectLayer(ctx.canvas, "Quote"); });
  DrawLevelsAndZones(ctx);
  RecordBars(ctx);
}

}  // namespace

void DrawPieceView(Canvas& canvas, PieceViewState& state, const DrawOptions& options, const StackProfile& stack,
                   PieceViewArgs& args) {
  if (args.width == 0) return;
  // View 1 tells the bar schedule about the piece; view 2 shows the same bars again.
  Canvas view{canvas.drawing, canvas.numbers, args.firstView ? canvas.bars : nullptr};
  if (view.bars != nullptr) view.bars->BeginPiece(args.pieceIndex, args.pieceNumber, args.pieceCode);
  const PieceFields fields = ReadPieceFields(args);
  PreviousPiece& prev = args.cornersOnWidth ? state.view1 : state.view2;
  const PieceLayout layout = ComputeLayout(args, fields, prev);
  const PieceContext ctx{view, args, fields, layout, prev};
  DrawSection(ctx, options);
  DrawBarsOfElevation(ctx, state);
  DrawRestOfElevation(ctx, stack);
}

}  // namespace tessaro
