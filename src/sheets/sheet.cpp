// Sheet layout in millimetres of paper: views packed in columns on pages, the title block,
// the table, and the PDF output.
#include "sheets/sheet.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

#include "os/atomic_file.h"
#include "render/scene.h"
#include "sheets/schedule_table.h"
#include "sheets/sheet_paper.h"
#include "sheets/sheet_views.h"

#ifndef TESSARO_VERSION
#error "TESSARO_VERSION must name the program's version"
#endif

namespace tessaro::render {
namespace {

// ISO 5457 frame: a wider margin on the left for binding, 10 mm elsewhere; the drawing
// keeps a little air inside it.
constexpr double kBindingMargin = 20.0;
constexpr double kMargin = 10.0;
constexpr double kPadding = 5.0;
constexpr double kFrameWeight = 0.5;

// Title block: ISO 7200 width, bottom right inside the frame; five rows of four cells.
constexpr double kTitleWidth = 180.0;
constexpr double kTitleRow = 10.0;
constexpr int kTitleRows = 5;
constexpr double kTitleHeight = kTitleRow * kTitleRows;
constexpr double kTitleGap = 5.0;  // between the drawing area and the title block
constexpr double kLabelHeight = 2.5;
constexpr double kValueHeight = 3.0;
constexpr double kCellPadding = 1.5;

// Views: a frame around each, its caption under it, and air between them.
constexpr double kViewPadding = 4.0;
constexpr double kCaptionBand = 7.0;
constexpr double kCaptionText = 3.0;
constexpr double kViewGap = 8.0;
constexpr double kMarkLine = 0.25;
constexpr double kMarkText = 2.5;

// Scales a view may take, largest first; beyond them only on A0 (see ScalesFor).
constexpr int kSectionScales[] = {20, 25};
constexpr int kElevationScales[] = {50};
constexpr int kFurtherScales[] = {100, 200, 250, 500, 1000, 2000, 2500, 5000, 10000, 20000, 50000, 100000};

constexpr double kPdfResolution = 1200.0;  // dpi: coordinates to 1/1200 inch

// Line weights on paper by colour: the bars stand out, dimensions and leaders stay thin.
// Bars stay light enough that stirrups a centimetre apart on paper (10 cm at 1:100) still
// show as lines.
struct Weight {
  int aci;
  double mm;
};
constexpr Weight kWeights[] = {
    {1, 0.35},   // title
    {3, 0.30},   // bars and closed stirrups
    {4, 0.13},   // dimensions, level marks, bar schedules
    {5, 0.25},   // concrete outline
    {6, 0.13},   // leaders, labels, the section-cut mark
    {21, 0.25},  // tie legs
};
constexpr double kDefaultWeight = 0.18;

QPageSize::PageSizeId PageSizeId(Paper paper) {
  switch (paper) {
    case Paper::A3: return QPageSize::A3;
    case Paper::A2: return QPageSize::A2;
    case Paper::A1: return QPageSize::A1;
    case Paper::A0: return QPageSize::A0;
  }
  return QPageSize::A3;
}

// The frame's inside, mm from the paper's top left.
QRectF FrameRect(const QSizeF& paper) {
  return QRectF(kBindingMargin, kMargin, paper.width() - kBindingMargin - kMargin, paper.height() - 2 * kMargin);
}

QRectF DrawingArea(const QSizeF& paper) {
  const QRectF inner = FrameRect(paper).adjusted(kPadding, kPadding, -kPadding, -kPadding);
  return QRectF(inner.topLeft(), QSizeF(inner.width(), inner.height() - kTitleHeight - kTitleGap));
}

// The scales a view of this kind may take on this paper.
std::vector<int> ScalesFor(ViewKind kind, Paper paper) {
  std::vector<int> scales;
  if (kind == ViewKind::Section) {
    scales.assign(std::begin(kSectionScales), std::end(kSectionScales));
  } else {
    scales.assign(std::begin(kElevationScales), std::end(kElevationScales));
  }
  if (paper == Paper::A0) {
    for (int s : kFurtherScales) {
      if (s > scales.back()) scales.push_back(s);
    }
  }
  return scales;
}

// A view's room on paper (mm): its frame and the caption under it.
QSizeF ViewSize(const SheetView& view) {
  const double mmPerCm = 10.0 / view.scale;
  return {(view.extents.max.x - view.extents.min.x) * mmPerCm + 2 * kViewPadding,
          (view.extents.max.y - view.extents.min.y) * mmPerCm + 2 * kViewPadding + kCaptionBand};
}

bool FitsIn(const QSizeF& size, const QRectF& area) {
  return size.width() <= area.width() + 1e-9 && size.height() <= area.height() + 1e-9;
}

}  // namespace

QSizeF PaperSizeMm(Paper paper, bool landscape) {
  const QSizeF portrait = QPageSize(PageSizeId(paper)).size(QPageSize::Millimeter);
  return landscape ? portrait.transposed() : portrait;
}

QString PaperName(Paper paper) {
  static const std::array<QString, 4> names = {QStringLiteral("A3"), QStringLiteral("A2"), QStringLiteral("A1"),
                                               QStringLiteral("A0")};
  return names[static_cast<std::size_t>(paper)];
}

QString FormatName(const SheetFormat& format) {
  return PaperName(format.paper) + (format.landscape ? QStringLiteral(" orizzontale") : QStringLiteral(" verticale"));
}

QSizeF DrawingAreaMm(Paper paper, bool landscape) { return DrawingArea(PaperSizeMm(paper, landscape)).size(); }

QString SheetTitle::ProgramName() { return QStringLiteral("Tessaro " TESSARO_VERSION); }

double LineWeightMm(int aci) {
  for (const Weight& w : kWeights) {
    if (w.aci == aci) return w.mm;
  }
  return kDefaultWeight;
}

struct SheetPlan::Impl {
  struct Placed {
    std::size_t view;
    QPointF at;  // top left of its frame
  };
  struct TablePart {
    QPointF at;
    std::size_t first, count;
  };
  struct Page {
    std::vector<Placed> views;
    std::vector<TablePart> tables;
  };

  DisplayList list;
  TextFont font;
  std::vector<SheetView> views;
  std::vector<MarkLabel> labels;
  TableMetrics table;
  std::size_t tableRows = 0;
  std::vector<Page> pages;

  // The view laid out at `scale`, kept: a paper tried after another asks again.
  std::vector<std::map<int, SheetView>> laidOut;
  const SheetView& At(std::size_t v, int scale) {
    auto& cache = laidOut[v];
    auto found = cache.find(scale);
    if (found == cache.end()) {
      SheetView view = views[v];
      LayOutView(list, view, scale, labels, font);
      found = cache.emplace(scale, std::move(view)).first;
    }
    return found->second;
  }

  // Views (at the scales chosen) then the table, in columns top to bottom, columns left to
  // right, a new page when the next column does not fit. Before a new page the table tries
  // the page's right edge, under what the page holds there.
  std::vector<Page> Pack(const std::vector<const SheetView*>& chosen, const QRectF& area) const {
    std::vector<Page> out(1);
    std::vector<QRectF> taken;  // on the last page
    double x = area.left(), y = area.top(), columnWidth = 0;
    const auto room = [&](double w, double h) {
      if (y + h <= area.bottom() + 1e-9 && x + w <= area.right() + 1e-9) return;
      x += columnWidth + kViewGap;
      y = area.top();
      columnWidth = 0;
      if (x + w > area.right() + 1e-9 && !(out.back().views.empty() && out.back().tables.empty())) {
        out.emplace_back();
        taken.clear();
        x = area.left();
      }
    };
    for (std::size_t v = 0; v < chosen.size(); ++v) {
      const QSizeF size = ViewSize(*chosen[v]);
      room(size.width(), size.height());
      out.back().views.push_back({v, QPointF(x, y)});
      taken.emplace_back(QPointF(x, y), size);
      y += size.height() + kViewGap;
      columnWidth = std::max(columnWidth, size.width());
    }
    const auto fitting = [&](double top) {
      return static_cast<std::size_t>(std::max(0.0, std::floor((area.bottom() - top - table.HeightOf(0)) / table.rowHeight)));
    };
    std::size_t first = 0;
    while (first < tableRows) {
      const std::size_t least = std::min<std::size_t>(3, tableRows - first);
      std::size_t n = std::min(fitting(y), tableRows - first);
      if (n < least || x + table.width > area.right() + 1e-9) {
        const double flush = area.right() - table.width;
        double top = area.top();
        for (const QRectF& r : taken) {
          if (r.right() + kViewGap > flush) top = std::max(top, r.bottom() + kViewGap);
        }
        if (x + columnWidth + kViewGap + table.width > area.right() + 1e-9 && !taken.empty() &&
            std::min(fitting(top), tableRows - first) >= least) {
          x = flush;
          y = top;
          columnWidth = table.width;
        } else {
          room(table.width, area.height() + 1);  // a column of its own
        }
        n = std::max<std::size_t>(1, std::min(fitting(y), tableRows - first));
      }
      out.back().tables.push_back({QPointF(x, y), first, n});
      taken.emplace_back(QPointF(x, y), QSizeF(table.width, table.HeightOf(n)));
      y += table.HeightOf(n) + kViewGap;
      columnWidth = std::max(columnWidth, table.width);
      first += n;
    }
    return out;
  }
};

SheetPlan::SheetPlan(const Drawing& drawing, SheetTitle title, SheetTable table, const StackSchedule* schedule,
                     SheetOptions options)
    : drawing_(drawing), title_(std::move(title)), table_(std::move(table)), options_(options),
      impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.list = FlattenDrawing(drawing);
  d.views = FindViews(d.list);
  d.laidOut.resize(d.views.size());
  if (schedule != nullptr) d.labels = MatchMarkLabels(d.list, *schedule);
  d.table = MeasureTable(table_);
  d.tableRows = table_.header.isEmpty() ? 0 : table_.rows.size();

  // The smallest paper on which every view fits at one of its scales; on it the
  // orientation with fewer pages.
  std::optional<std::pair<SheetFormat, std::vector<Impl::Page>>> best;
  std::vector<const SheetView*> bestViews;
  for (Paper paper : {Paper::A3, Paper::A2, Paper::A1, Paper::A0}) {
    for (bool landscape : {true, false}) {
      const QRectF area = DrawingArea(PaperSizeMm(paper, landscape));
      if (d.tableRows > 0 && d.table.width > area.width()) continue;
      std::vector<const SheetView*> chosen;
      int elevationScale = 50;
      for (std::size_t v = 0; v < d.views.size(); ++v) {
        const SheetView* fits = nullptr;
        for (int scale : ScalesFor(d.views[v].kind, paper)) {
          const SheetView& laid = d.At(v, scale);
          if (FitsIn(ViewSize(laid), area)) {
            fits = &laid;
            break;
          }
        }
        if (fits == nullptr) break;
        if (fits->kind == ViewKind::Elevation) elevationScale = std::max(elevationScale, fits->scale);
        chosen.push_back(fits);
      }
      if (chosen.size() != d.views.size()) continue;
      std::vector<Impl::Page> pages = d.Pack(chosen, area);
      if (!best || pages.size() < best->second.size()) {
        best.emplace(SheetFormat{paper, landscape, elevationScale}, std::move(pages));
        bestViews = chosen;
      }
    }
    if (best) break;
  }
  if (!best) {  // nothing fits even A0 at 1:100000: the views are left out
    best.emplace(SheetFormat{Paper::A0, true, 50}, d.Pack({}, DrawingArea(PaperSizeMm(Paper::A0, true))));
  }
  format_ = best->first;
  d.pages = std::move(best->second);
  std::vector<SheetView> placed;
  for (const SheetView* v : bestViews) placed.push_back(*v);
  d.views = std::move(placed);
  d.laidOut.clear();
}

SheetPlan::SheetPlan(SheetPlan&&) noexcept = default;
SheetPlan::~SheetPlan() = default;

int SheetPlan::PageCount() const { return static_cast<int>(impl_->pages.size()); }

std::vector<SheetViewPlace> SheetPlan::Views() const {
  std::vector<SheetViewPlace> out;
  for (std::size_t p = 0; p < impl_->pages.size(); ++p) {
    for (const Impl::Placed& placed : impl_->pages[p].views) {
      const SheetView& v = impl_->views[placed.view];
      const QSizeF size = ViewSize(v);
      out.push_back({v.caption, v.scale, static_cast<int>(p),
                     QRectF(placed.at, QSizeF(size.width(), size.height() - kCaptionBand))});
    }
  }
  return out;
}

std::vector<SheetMarkPlace> SheetPlan::Marks() const {
  std::vector<SheetMarkPlace> out;
  for (std::size_t p = 0; p < impl_->pages.size(); ++p) {
    for (const Impl::Placed& placed : impl_->pages[p].views) {
      const SheetView& v = impl_->views[placed.view];
      const double k = 10.0 / v.scale;
      for (const ViewMark& m : v.marks) {
        const QPointF c(placed.at.x() + kViewPadding + (m.centre.x - v.extents.min.x) * k,
                        placed.at.y() + kViewPadding + (v.extents.max.y - m.centre.y) * k);
        out.push_back({m.mark, static_cast<int>(p), QRectF(c - QPointF(m.radius * k, m.radius * k),
                                                            QSizeF(2 * m.radius * k, 2 * m.radius * k))});
      }
    }
  }
  return out;
}

QStringList SheetPlan::DroppedTexts() const {
  QStringList out;
  for (const SheetView& v : impl_->views) out << v.droppedTexts;
  out.removeDuplicates();
  return out;
}

void SheetPlan::PaintPage(QPainter& painter, int page, const QRectF& target) const {
  if (page < 0 || page >= PageCount()) return;
  const QSizeF paper = PaperMm();
  const double pxPerMm = std::min(target.width() / paper.width(), target.height() / paper.height());
  const QPointF origin(target.center().x() - paper.width() * pxPerMm / 2,
                       target.center().y() - paper.height() * pxPerMm / 2);
  const Impl::Page& p = impl_->pages[static_cast<std::size_t>(page)];
  for (std::size_t v = 0; v < p.views.size(); ++v) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    PaintView(painter, impl_->pages[static_cast<std::size_t>(page)].views[v].view, pxPerMm, origin);
    painter.restore();
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setTransform(QTransform(pxPerMm, 0, 0, pxPerMm, origin.x(), origin.y()));
  painter.setBrush(Qt::NoBrush);
  PaintFrame(painter, page);
  for (const Impl::TablePart& part : p.tables) {
    PaintTable(painter, table_, impl_->table, part.at, part.first, part.count);
  }
  // The views' frames, captions and marks, on paper.
  const PaperFont plain(false);
  const PaperFont bold(true);
  for (const Impl::Placed& placed : p.views) {
    const SheetView& v = impl_->views[placed.view];
    const QSizeF size = ViewSize(v);
    const QRectF frame(placed.at, QSizeF(size.width(), size.height() - kCaptionBand));
    painter.setPen(PaperPen(kThinLine));
    painter.drawRect(frame);
    painter.setPen(Qt::black);
    bold.Draw(painter, QPointF(frame.center().x(), frame.bottom() + 1.5 + kCaptionText), kCaptionText,
              QStringLiteral("%1 - scala 1:%2").arg(v.caption).arg(v.scale), Qt::AlignHCenter);
    const double k = 10.0 / v.scale;
    for (const ViewMark& m : v.marks) {
      const QPointF c(placed.at.x() + kViewPadding + (m.centre.x - v.extents.min.x) * k,
                      placed.at.y() + kViewPadding + (v.extents.max.y - m.centre.y) * k);
      painter.setPen(PaperPen(kMarkLine));
      painter.drawEllipse(c, m.radius * k, m.radius * k);
      painter.setPen(Qt::black);
      plain.Draw(painter, QPointF(c.x(), c.y() + kMarkText / 2), kMarkText, m.mark, Qt::AlignHCenter);
    }
  }
  painter.restore();
}

void SheetPlan::PaintView(QPainter& painter, std::size_t index, double pxPerMm, QPointF origin) const {
  const SheetView& v = impl_->views[index];
  QPointF at;
  for (const Impl::Page& p : impl_->pages) {
    for (const Impl::Placed& placed : p.views) {
      if (placed.view == index) at = placed.at;
    }
  }
  // Drawing units to device pixels: centimetres at the view's scale, y up.
  const double k = pxPerMm * 10.0 / v.scale;
  const QPointF topLeft = origin + (at + QPointF(kViewPadding, kViewPadding)) * pxPerMm;
  const QTransform toDevice(k, 0, 0, -k, topLeft.x() - v.extents.min.x * k, topLeft.y() + v.extents.max.y * k);
  if (options_.colour) {
    const PenWidths widths = [pxPerMm](ShapeColor color) { return LineWeightMm(color.aci) * pxPerMm; };
    PaintDrawing(painter, drawing_, v.paper, toDevice, nullptr, &widths);
    return;
  }
  // Black and white: every line black, its weight still that of its colour; one list per weight.
  std::map<double, DisplayList> byWeight;
  for (const Shape& s : v.paper.Shapes()) {
    CopyShape(v.paper, s, byWeight[LineWeightMm(s.color.aci)], ShapeColor{0, 0x000000});
  }
  for (const auto& [weight, list] : byWeight) {
    const double w = weight;
    const PenWidths widths = [pxPerMm, w](ShapeColor) { return w * pxPerMm; };
    PaintDrawing(painter, drawing_, list, toDevice, nullptr, &widths);
  }
}

void SheetPlan::PaintFrame(QPainter& painter, int page) const {
  const QRectF frame = FrameRect(PaperMm());
  painter.setPen(PaperPen(kFrameWeight));
  painter.drawRect(frame);

  const QRectF block(frame.right() - kTitleWidth, frame.bottom() - kTitleHeight, kTitleWidth, kTitleHeight);
  painter.setPen(PaperPen(kMediumLine));
  painter.drawRect(block);
  const double quarter = kTitleWidth / 4;
  std::set<int> scales;
  for (const SheetView& v : impl_->views) scales.insert(v.scale);
  QStringList scaleTexts;
  for (auto s = scales.rbegin(); s != scales.rend(); ++s) scaleTexts << QStringLiteral("1:%1").arg(*s);
  const auto value = [](const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); };
  const ProjectData& data = title_.data;
  struct Cell {
    int row, column, span;
    QString label, value;
  };
  const Cell cells[] = {
      {0, 0, 3, QStringLiteral("Progetto"), title_.project},
      {0, 3, 1, QStringLiteral("Pilastrata"), title_.stack},
      {1, 0, 2, QStringLiteral("Committente"), value(data.Get(ProjectField::Client))},
      {1, 2, 2, QStringLiteral("Progettista"), value(data.Get(ProjectField::Designer))},
      {2, 0, 1, QStringLiteral("Disegno n."), value(data.Get(ProjectField::DrawingNumber))},
      {2, 1, 1, QStringLiteral("Revisione"), value(data.Get(ProjectField::Revision))},
      {2, 2, 1, QStringLiteral("Data"), title_.date.toString(QStringLiteral("dd/MM/yyyy"))},
      {2, 3, 1, QStringLiteral("Foglio"), QStringLiteral("%1 di %2").arg(page + 1).arg(PageCount())},
      {3, 0, 1, QStringLiteral("Calcestruzzo"), value(data.Get(ProjectField::Concrete))},
      {3, 1, 1, QStringLiteral("Acciaio"), value(data.Get(ProjectField::Steel))},
      {3, 2, 1, QStringLiteral("Copriferro"), value(data.Get(ProjectField::Cover))},
      {3, 3, 1, QStringLiteral("Scala"), scaleTexts.join(QStringLiteral(", "))},
      {4, 0, 1, QStringLiteral("Formato"), FormatName(format_)},
      {4, 1, 3, QStringLiteral("Programma"), title_.program},
  };
  const PaperFont plain(false);
  const PaperFont bold(true);
  for (const Cell& cell : cells) {
    const QRectF r(block.left() + cell.column * quarter, block.top() + cell.row * kTitleRow, cell.span * quarter,
                   kTitleRow);
    painter.setPen(PaperPen(kThinLine));
    painter.drawRect(r);
    painter.setPen(Qt::black);
    const double left = r.left() + kCellPadding;
    const double room = r.width() - 2 * kCellPadding;
    plain.Draw(painter, QPointF(left, r.top() + 3.4), kLabelHeight, cell.label, Qt::AlignLeft);
    bold.Draw(painter, QPointF(left, r.top() + 8.6), kValueHeight, bold.Elided(cell.value, kValueHeight, room),
              Qt::AlignLeft);
  }
}

QByteArray SheetPdf(const SheetPlan& plan, const QString& documentTitle) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(static_cast<int>(kPdfResolution));
    const SheetFormat& format = plan.Format();
    writer.setPageLayout(QPageLayout(QPageSize(PageSizeId(format.paper)),
                                     format.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(documentTitle);
    writer.setCreator(SheetTitle::ProgramName());
    QPainter painter(&writer);
    const QRectF page(0, 0, writer.width(), writer.height());
    for (int p = 0; p < plan.PageCount(); ++p) {
      if (p > 0) writer.newPage();
      plan.PaintPage(painter, p, page);
    }
  }
  return bytes;
}

void WriteSheetPdf(const std::filesystem::path& path, const SheetPlan& plan, const QString& documentTitle) {
  const QByteArray pdf = SheetPdf(plan, documentTitle);
  WriteFileAtomically(path, "PDF file", [&](const FileBlockSink& sink) {
    sink(std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  });
}

}  // namespace tessaro::render
