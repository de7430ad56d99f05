// The views of a stack drawing as a sheet lays them out: the drawing is cut into its
// elevations and one section (with its stirrup details) per piece, each drawn at a scale of
// its own, its texts made readable on paper and moved apart where they would overlap, and
// the circled position marks of the schedule set beside the labels they belong to.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "display/display_list.h"
#include "render/scene.h"
#include "schedule/schedule.h"

namespace tessaro::render {

// The smallest cap height of any text on paper, mm.
inline constexpr double kMinTextMm = 2.5;

enum class ViewKind { Elevation, Section };

// A label of the drawing (a text shape of the list) and the schedule mark it describes.
struct MarkLabel {
  std::uint32_t shape = 0;
  QString mark;
};

// A circled position mark, in drawing units.
struct ViewMark {
  QString mark;
  Point2d centre;
  double radius = 0;
};

struct SheetView {
  ViewKind kind = ViewKind::Elevation;
  QString caption;                    // "Prospetto 1", "Sezione2-2"
  int scale = 50;                     // 1:scale
  std::vector<std::uint32_t> shapes;  // the view's shapes in the drawing's list, texts too
  // What goes on paper: the shapes that are not texts, the texts as placed, the marks.
  DisplayList paper;
  std::vector<ViewMark> marks;
  Extents extents;                    // of all of the above, drawing units
  int movedTexts = 0;                 // texts moved off another
  QStringList droppedTexts;           // texts that found no free place
};

// The views of the piece drawing. The drawing places three bands side by side, left to
// right: view 1 (its elevation with the bar list column), the sections with their details,
// and view 2; nothing in the drawing groups them, so they are told apart by the empty
// vertical strips between them (the widest one between the column's face and where the
// sections are drawn, and the widest one right of that). The sections' band is cut by its empty horizontal strips
// into one view per piece. Views come in paper order: the elevations, then the sections
// from the top piece down. Their texts are not yet laid out (see LayOutView).
std::vector<SheetView> FindViews(const DisplayList& list);

// Lays the view out at `scale`: every text at least kMinTextMm high on paper (a smaller
// one is drawn larger around its own anchor), texts that would overlap another moved to
// the nearest free place or, when there is none, dropped and listed; the marks of
// `labels` that stand in this view circled beside their labels. Sets `paper`, `marks`,
// `extents` and the counts.
void LayOutView(const DisplayList& list, SheetView& view, int scale, std::span<const MarkLabel> labels,
                const TextFont& font);

// Adds a copy of `s` of `from` to `to`, in `colour` when given.
void CopyShape(const DisplayList& from, const Shape& s, DisplayList& to, std::optional<ShapeColor> colour = {});

// Which label of the drawing each schedule row belongs to: the text written at the anchor
// the row records (the "L = ..." of a bar list or a stirrup or tie detail, the "staffe"
// note of a circular section). Rows sharing one label (the two diameters of a bar list)
// get the same text; rows whose label the list does not hold get none.
std::vector<MarkLabel> MatchMarkLabels(const DisplayList& list, const StackSchedule& schedule);

}  // namespace tessaro::render
