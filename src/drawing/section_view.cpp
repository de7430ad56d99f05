// The cross-section of view 1: outline, bars with their leaders, dimensions, labels and,
// for a rectangular section, the stirrups and ties.
#include <cmath>

#include "drawing/piece_view_parts.h"
#include "text/encoding.h"
#include "stirrups/section_stirrups.h"

namespace tessaro {

namespace {

void DrawSectionLabel(const PieceContext& ctx) {
  const std::string number = FormatInteger(CheckedAdd(ctx.args.pieceIndex, 1));
  AddText(ctx.canvas, ctx.at.x1 - 100, ctx.at.y1 + 30, kTextHeight, "Sezione" + number + "-" + number, kLabelColor);
}

void DrawWidthDimension(const PieceContext& ctx) {
  Single scale = 0;
  DrawHorizontalDimension(ctx.canvas, ctx.at.x0, ctx.at.y1 + 10, ctx.at.x1, ctx.at.y1 + 10, kNoteColor, scale,
                          kDimensionHeight);
}

// A pair of bars on opposite faces, then the leader from `origin` to the first of them.
void DrawBarPair(const PieceContext& ctx, Point2 first, Point2 second, Single diameter, Point2 origin) {
  const Single radius = diameter / 2;
  AddCircle(ctx.canvas, first[0], first[1], radius, kBarColor);
  AddCircle(ctx.canvas, second[0], second[1], radius, kBarColor);
  AddLine(ctx.canvas, origin[0], origin[1], first[0], first[1], kLabelColor);
}

// Bottom and top face. Without the corners the bars move by -e so that their outer
// faces line up with those of the corner bars.
void DrawWidthBars(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Point2 origin{at.x0 + at.W / 2, at.y0 - at.W / 2};
  const bool corners = ctx.args.cornersOnWidth;
  const Integer first = corners ? 0 : 1;
  const Integer last = corners ? CheckedSub(ctx.f.n1, 1) : ctx.f.n1;
  const Single shift = corners ? 0 : ctx.f.e;
  for (Integer i = first; i <= last; i = CheckedAdd(i, 1)) {
    const Single x = at.xi0 + i * at.sx;
    DrawBarPair(ctx, {x, at.yi0 - shift}, {x, at.yi1 + shift}, ctx.f.d1, origin);
  }
}

// Left and right face; without the corners the bars move inwards by e.
void DrawDepthBars(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  const Point2 origin{at.x0 - at.W / 2, at.y0 + at.D / 2};
  const bool corners = !ctx.args.cornersOnWidth;
  const Integer first = corners ? 0 : 1;
  const Integer last = corners ? CheckedSub(ctx.f.n2, 1) : ctx.f.n2;
  const Single shift = corners ? 0 : ctx.f.e;
  for (Integer i = first; i <= last; i = CheckedAdd(i, 1)) {
    const Single y = at.yi0 + i * at.sy;
    DrawBarPair(ctx, {at.xi0 + shift, y}, {at.xi1 - shift, y}, ctx.f.d2, origin);
  }
}

SectionStirrupInput StirrupInput(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  SectionStirrupInput in;
  in.xi0 = at.xi0;
  in.yi0 = at.yi0;
  in.xi1 = at.xi1;
  in.yi1 = at.yi1;
  in.s1 = ctx.f.s1;
  in.s2 = ctx.f.s2;
  in.n1 = ctx.f.n1;
  in.n2 = ctx.f.n2;
  in.d1 = ctx.f.d1;
  in.d2 = ctx.f.d2;
  in.ds = ctx.f.ds;
  in.W = at.W;
  in.D = at.D;
  in.sx = at.sx;
  in.sy = at.sy;
  in.stirrupColor = kBarColor;
  in.labelColor = kLabelColor;
  in.textHeight = kTextHeight;
  in.line10Value2 = ctx.args.line10Value2;
  return in;
}

void RecordSection(const PieceContext& ctx, bool circular, Single cornerDiameter) {
  BarRecorder* bars = ctx.canvas.bars;
  if (bars == nullptr) return;
  const PieceLayout& at = ctx.at;
  BarRecorder::Piece section;
  section.circular = circular;
  section.sectionX0 = at.x0;
  section.sectionY0 = circular ? at.y0 - at.W / 2 : at.y0;
  section.sectionX1 = at.x1;
  section.sectionY1 = circular ? at.y0 + at.W / 2 : at.y1;
  section.cornerX0 = at.xi0;
  section.cornerY0 = circular ? section.sectionY0 + at.c : at.yi0;
  section.cornerX1 = at.xi1;
  section.cornerY1 = circular ? section.sectionY1 - at.c : at.yi1;
  section.cornerDiameter = cornerDiameter;
  section.stirrupDiameter = ctx.f.ds;
  bars->SetSection(section);
}

}  // namespace

void DrawRectangularSection(const PieceContext& ctx, const DrawOptions& options) {
  const PieceLayout& at = ctx.at;
  Canvas& canvas = ctx.canvas;
  DrawSectionLabel(ctx);
  AddLine(canvas, at.x0, at.y0, at.x0, at.y1, kOutlineColor);
  AddLine(canvas, at.x0, at.y1, at.x1, at.y1, kOutlineColor);
  AddLine(canvas, at.x1, at.y1, at.x1, at.y0, kOutlineColor);
  AddLine(canvas, at.x1, at.y0, at.x0, at.y0, kOutlineColor);
  DrawWidthBars(ctx);
  DrawDepthBars(ctx);
  DrawWidthDimension(ctx);
  Single scale = 0;
  DrawVerticalDimension(canvas, at.x1 + 10, at.y0, at.x1 + 10, at.y1, kNoteColor, scale, kDimensionHeight);
  const NumberFormat& numbers = canvas.numbers;
  AddText(canvas, at.x0 + at.W / 2, at.y0 - at.W / 2 - 10, kTextHeight, BarText(ctx.f.n1, ctx.f.d1, numbers),
          kLabelColor);
  AddText(canvas, at.x0 - at.W / 2 - 32, at.y0 + at.D / 2, kTextHeight, BarText(ctx.f.n2, ctx.f.d2, numbers),
          kLabelColor);
  DrawSectionStirrups(canvas, options, StirrupInput(ctx));
  RecordSection(ctx, false, ctx.args.cornersOnWidth ? ctx.f.d1 : ctx.f.d2);
}

// The circle's bars start on the left of the centre and follow clockwise; the circle
// touching them on the outside stands for the stirrup.
void DrawCircularSection(const PieceContext& ctx) {
  const PieceLayout& at = ctx.at;
  Canvas& canvas = ctx.canvas;
  DrawSectionLabel(ctx);
  const Point2 centre{at.x0 + at.W / 2, at.y0};
  const Single R = at.W / 2;
  const Single barRadius = ctx.f.d1 / 2;
  AddCircle(canvas, centre[0], centre[1], R, kOutlineColor);
  const Single hoopRadius = R - at.c + barRadius;
  AddCircle(canvas, centre[0], centre[1], hoopRadius, kBarColor);
  RecordSection(ctx, true, ctx.f.d1);
  if (canvas.bars != nullptr) {
    // No label gives its length: the circle drawn and the two 8 cm tails of a closed stirrup.
    BarMark hoop;
    hoop.kind = BarMarkKind::CircularHoop;
    hoop.member = "circular section";
    hoop.diameter = ctx.f.ds;
    hoop.count = 1;
    hoop.cutLength = static_cast<Single>(std::nearbyint(double{hoopRadius} * 6.283185308) + 16);
    hoop.sideA = hoopRadius;
    hoop.axisA = ToSingle(2 * (double{R} - at.c));
    hoop.barA = ctx.f.d1;
    hoop.drawnTail = 8;
    // Its label is the "staffe" note written beside the section below.
    hoop.hasLabel = true;
    hoop.labelX = at.x0 - at.W / 2 - 32;
    hoop.labelY = at.y0 + at.D / 2 + 8;
    canvas.bars->AddMark(hoop);
  }
  const double step = Divide(360, ctx.f.nc);
  const double ring = double{R} - at.c;
  for (Integer i = 0; i < ctx.f.nc; i = CheckedAdd(i, 1)) {
    const double angle = i * step * 3.141592654 / 180;
    const Point2 bar = OffsetPoint(centre, ToSingle(-ring * std::cos(angle)), ToSingle(ring * std::sin(angle)));
    AddCircle(canvas, bar[0], bar[1], barRadius, kBarColor);
  }
  DrawWidthDimension(ctx);
  const NumberFormat& numbers = canvas.numbers;
  AddText(canvas, at.x0 + at.W / 2, at.y0 - at.W / 2 - 10, kTextHeight, BarText(ctx.f.nc, ctx.f.d1, numbers),
          kLabelColor);
  const std::string stirrups = "staffe : " + std::string(kDiameterSign) + SingleText(ctx.f.ds * 10, numbers) + "/" +
                               SingleText(ctx.args.midSpacing, numbers) + " cm";
  AddText(canvas, at.x0 - at.W / 2 - 32, at.y0 + at.D / 2 + 8, kTextHeight, stirrups, kLabelColor);
}

}  // namespace tessaro
