// The views of a stack drawing: bands and pieces found from the empty strips between them,
// texts sized and moved apart for paper, and the position marks beside their labels.
#include "sheets/sheet_views.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tessaro::render {
namespace {

// Where the piece drawing puts things of view 1: the column's left face at 140 (the bar
// list column left of it, from x = 0 leftwards) and a section's left face at 630. The
// strip between view 1 and the sections lies between the two.
constexpr double kColumnFace = 140.0;
constexpr double kSectionOrigin = 630.0;
// Strips narrower than this do not part two bands, nor two pieces' sections (cm).
constexpr double kBandGap = 20.0;
constexpr double kPieceGap = 15.0;
// Air around a text on paper and the circle of a mark (mm).
constexpr double kTextAir = 0.4;
constexpr double kMarkRadiusMm = 3.0;

struct Interval {
  double lo, hi;
};

// The union of the intervals as sorted, disjoint runs (runs closer than `join` merge).
std::vector<Interval> Runs(std::vector<Interval> parts, double join) {
  std::sort(parts.begin(), parts.end(), [](const Interval& a, const Interval& b) { return a.lo < b.lo; });
  std::vector<Interval> runs;
  for (const Interval& p : parts) {
    if (!runs.empty() && p.lo <= runs.back().hi + join) {
      runs.back().hi = std::max(runs.back().hi, p.hi);
    } else {
      runs.push_back(p);
    }
  }
  return runs;
}

// The middle of the widest empty strip between runs whose middle lies in (lo, hi).
std::optional<double> WidestGap(const std::vector<Interval>& runs, double lo, double hi) {
  std::optional<double> middle;
  double widest = kBandGap;
  for (std::size_t i = 1; i < runs.size(); ++i) {
    const double gap = runs[i].lo - runs[i - 1].hi;
    const double mid = (runs[i].lo + runs[i - 1].hi) / 2;
    if (mid > lo && mid < hi && gap >= widest) {
      widest = gap;
      middle = mid;
    }
  }
  return middle;
}

double CentreX(const Shape& s) { return (s.box.min.x + s.box.max.x) / 2; }
double CentreY(const Shape& s) { return (s.box.min.y + s.box.max.y) / 2; }

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

void Include(Extents& e, bool& any, const Extents& box) {
  if (!any) {
    e = box;
    any = true;
    return;
  }
  e.min.x = std::min(e.min.x, box.min.x);
  e.min.y = std::min(e.min.y, box.min.y);
  e.max.x = std::max(e.max.x, box.max.x);
  e.max.y = std::max(e.max.y, box.max.y);
}

bool Overlap(const Extents& a, const Extents& b) {
  return a.min.x < b.max.x && b.min.x < a.max.x && a.min.y < b.max.y && b.min.y < a.max.y;
}

Extents Grown(const Extents& e, double by) { return {{e.min.x - by, e.min.y - by}, {e.max.x + by, e.max.y + by}}; }

Extents Moved(const Extents& e, double dx, double dy) { return {{e.min.x + dx, e.min.y + dy}, {e.max.x + dx, e.max.y + dy}}; }

// The box a text fills on paper, from its font's full line (ascent to descent), as a PDF
// reader measures it.
Extents TextBox(const TextShape& t, const QString& value, const TextFont& font) {
  const QFontMetricsF metrics(font.Font());
  const double advance = metrics.horizontalAdvance(value);
  const QTransform place = TextToDrawing(t, advance, font);
  const QPolygonF corners = place.map(QPolygonF(QRectF(0, -metrics.ascent(), advance, metrics.ascent() + metrics.descent())));
  const QRectF r = corners.boundingRect();
  return {{r.left(), r.top()}, {r.right(), r.bottom()}};
}

// Where to try a text that overlaps another: nearby first, up and down before sideways.
std::vector<Point2d> Nudges(double w, double h) {
  std::vector<Point2d> out;
  for (int k = 1; k <= 4; ++k) {
    out.push_back({0, k * 0.6 * h});
    out.push_back({0, -k * 0.6 * h});
  }
  for (int k = 1; k <= 3; ++k) {
    for (double dy : {0.0, 1.2 * h, -1.2 * h}) {
      out.push_back({k * 0.4 * w, dy});
      out.push_back({-k * 0.4 * w, dy});
    }
  }
  return out;
}

// How far a text's anchor may stand from the anchor a schedule row records (cm): both come
// from the same numbers, so only rounding parts them.
constexpr double kAnchorTolerance = 0.05;

}  // namespace

void CopyShape(const DisplayList& from, const Shape& s, DisplayList& to, std::optional<ShapeColor> colour) {
  const ShapeColor c = colour.value_or(s.color);
  switch (s.kind) {
    case ShapeKind::Segment: {
      const auto p = from.PointsOf(s);
      to.AddSegment(s.layer, c, p[0], p[1]);
      break;
    }
    case ShapeKind::Polyline: to.AddPolyline(s.layer, c, from.PointsOf(s), s.closed); break;
    case ShapeKind::Arc: to.AddArc(s.layer, c, from.Arc(s)); break;
    case ShapeKind::Fill: to.AddFill(s.layer, c, from.PointsOf(s)); break;
    case ShapeKind::Dot: to.AddDot(s.layer, c, from.PointsOf(s)[0]); break;
    case ShapeKind::Text: to.AddText(s.layer, c, from.Text(s), s.box); break;
    case ShapeKind::Ray: {
      const auto p = from.PointsOf(s);
      to.AddRay(s.layer, c, p[0], p[1], s.closed);
      break;
    }
  }
}

std::vector<SheetView> FindViews(const DisplayList& list) {
  const auto& shapes = list.Shapes();
  // Rays and xlines have no end to lay out on paper: they are left out.
  std::vector<Interval> xs;
  xs.reserve(shapes.size());
  for (const Shape& s : shapes) {
    if (s.kind != ShapeKind::Ray) xs.push_back({s.box.min.x, s.box.max.x});
  }
  const std::vector<Interval> runs = Runs(std::move(xs), 0.0);
  const double inf = std::numeric_limits<double>::infinity();
  const double firstCut = WidestGap(runs, kColumnFace, kSectionOrigin).value_or(-inf);
  const double secondCut = WidestGap(runs, std::max(firstCut, kSectionOrigin), inf).value_or(inf);

  SheetView view1;
  view1.caption = QStringLiteral("Prospetto 1");
  SheetView view2;
  view2.caption = QStringLiteral("Prospetto 2");
  std::vector<std::uint32_t> sections;
  for (std::uint32_t i = 0; i < shapes.size(); ++i) {
    if (shapes[i].kind == ShapeKind::Ray) continue;
    const double x = CentreX(shapes[i]);
    if (x < firstCut) {
      view1.shapes.push_back(i);
    } else if (x < secondCut) {
      sections.push_back(i);
    } else {
      view2.shapes.push_back(i);
    }
  }
  // Without the strips that part the bands, the drawing is one elevation.
  std::vector<SheetView> views;
  if (!view1.shapes.empty()) views.push_back(std::move(view1));
  if (!view2.shapes.empty()) views.push_back(std::move(view2));

  std::vector<Interval> ys;
  for (std::uint32_t i : sections) ys.push_back({shapes[i].box.min.y, shapes[i].box.max.y});
  std::vector<Interval> pieces = Runs(std::move(ys), kPieceGap);
  std::reverse(pieces.begin(), pieces.end());  // the top piece first
  for (const Interval& piece : pieces) {
    SheetView view;
    view.kind = ViewKind::Section;
    view.caption = QStringLiteral("Sezione");
    for (std::uint32_t i : sections) {
      const double y = CentreY(shapes[i]);
      if (y < piece.lo || y > piece.hi) continue;
      view.shapes.push_back(i);
      const Shape& s = shapes[i];
      if (s.kind == ShapeKind::Text && list.Text(s).value.rfind("Sezione", 0) == 0) view.caption = Q(list.Text(s).value);
    }
    if (!view.shapes.empty()) views.push_back(std::move(view));
  }
  return views;
}

void LayOutView(const DisplayList& list, SheetView& view, int scale, std::span<const MarkLabel> labels,
                const TextFont& font) {
  view.scale = scale;
  view.paper.Clear();
  view.marks.clear();
  view.movedTexts = 0;
  view.droppedTexts.clear();
  const double cmPerMm = scale / 10.0;
  // A hair above the least height, so that a printer's whole-pixel font sizes keep it.
  const double minHeight = (kMinTextMm + 0.05) * cmPerMm;
  const double air = kTextAir * cmPerMm;
  const auto& shapes = list.Shapes();

  Extents extents{};
  bool any = false;
  std::vector<Extents> taken;  // text and mark boxes already on paper, with their air
  std::vector<std::pair<std::uint32_t, Extents>> placed;  // label shape, its box as placed
  for (std::uint32_t i : view.shapes) {
    const Shape& s = shapes[i];
    if (s.kind != ShapeKind::Text) {
      CopyShape(list, s, view.paper);
      Include(extents, any, s.box);
      continue;
    }
    TextShape t = list.Text(s);
    const QString value = Q(t.value);
    if (value.trimmed().isEmpty()) continue;
    if (t.height < minHeight) {
      if (t.fitWidth > 0) t.fitWidth *= minHeight / t.height;
      t.height = minHeight;
    }
    Extents box = TextBox(t, value, font);
    const auto free = [&](const Extents& b) {
      return std::none_of(taken.begin(), taken.end(), [&](const Extents& o) { return Overlap(Grown(b, air), o); });
    };
    if (!free(box)) {
      // The same text twice at the same place prints as one.
      const bool twin = std::any_of(placed.begin(), placed.end(), [&](const auto& p) {
        const TextShape& o = list.Text(shapes[p.first]);
        return o.value == list.Text(s).value && std::fabs(o.position.x - list.Text(s).position.x) < 1e-6 &&
               std::fabs(o.position.y - list.Text(s).position.y) < 1e-6;
      });
      if (twin) continue;
      bool moved = false;
      for (const Point2d& d : Nudges(box.max.x - box.min.x, box.max.y - box.min.y)) {
        if (free(Moved(box, d.x, d.y))) {
          box = Moved(box, d.x, d.y);
          t.position.x += d.x;
          t.position.y += d.y;
          moved = true;
          break;
        }
      }
      if (!moved) {
        view.droppedTexts.push_back(value);
        continue;
      }
      ++view.movedTexts;
    }
    taken.push_back(Grown(box, air));
    placed.emplace_back(i, box);
    Include(extents, any, box);
    view.paper.AddText(s.layer, s.color, t, box);
  }

  // The marks: a circle beside the right end of the label, or its left end, further out
  // when another mark of the same label is there already.
  const QFontMetricsF metrics(font.Font());
  for (const MarkLabel& label : labels) {
    const auto at = std::find_if(placed.begin(), placed.end(), [&](const auto& p) { return p.first == label.shape; });
    if (at == placed.end()) continue;
    const Extents& box = at->second;
    const double digitsMm = metrics.horizontalAdvance(label.mark) * kMinTextMm / font.CapHeight();
    const double r = std::max(kMarkRadiusMm, digitsMm / 2 + 1.0) * cmPerMm;
    const double y = (box.min.y + box.max.y) / 2;
    std::vector<Point2d> tries;
    for (int k = 0; k < 6; ++k) {
      tries.push_back({box.max.x + air + r + k * (2 * r + air), y});
      tries.push_back({box.min.x - air - r - k * (2 * r + air), y});
    }
    for (double dy : {2.2 * r, -2.2 * r}) {
      for (int k = 0; k < 4; ++k) tries.push_back({box.max.x - r + k * (2 * r + air), y + dy});
    }
    for (const Point2d& c : tries) {
      const Extents circle{{c.x - r, c.y - r}, {c.x + r, c.y + r}};
      if (std::any_of(taken.begin(), taken.end(), [&](const Extents& o) { return Overlap(circle, o); })) continue;
      taken.push_back(Grown(circle, air));
      view.marks.push_back({label.mark, c, r});
      Include(extents, any, circle);
      break;
    }
  }
  view.extents = extents;
}

std::vector<MarkLabel> MatchMarkLabels(const DisplayList& list, const StackSchedule& schedule) {
  const auto& shapes = list.Shapes();
  std::vector<MarkLabel> out;
  for (const ScheduleRow& row : schedule.rows) {
    if (!row.hasLabel) continue;
    // The first text written at the row's anchor: its label, whatever it says.
    for (std::uint32_t i = 0; i < shapes.size(); ++i) {
      if (shapes[i].kind != ShapeKind::Text) continue;
      const Point2d at = list.Text(shapes[i]).position;
      if (std::fabs(at.x - row.labelX) <= kAnchorTolerance && std::fabs(at.y - row.labelY) <= kAnchorTolerance) {
        out.push_back({i, Q(row.mark)});
        break;
      }
    }
  }
  return out;
}

}  // namespace tessaro::render
