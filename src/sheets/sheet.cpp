// Sheet layout in millimetres of paper, the title block and table, and the PDF output.
#include "sheets/sheet.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <cmath>

#include "os/atomic_file.h"
#include "render/scene.h"

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

// Title block: ISO 7200 width, bottom right inside the frame.
constexpr double kTitleWidth = 180.0;
constexpr double kTitleRows[] = {12.0, 10.0, 10.0};
constexpr double kTitleHeight = 32.0;
constexpr double kTitleGap = 5.0;  // between the drawing area and the title block
constexpr double kLabelHeight = 1.8;
constexpr double kValueHeight = 3.0;

// Table.
constexpr double kCellText = 2.5;
constexpr double kRowHeight = 5.0;
constexpr double kCellPadding = 1.5;
constexpr double kTableTitleText = 3.5;
constexpr double kTableTitleBand = 7.0;
constexpr double kTableGap = 10.0;  // between the drawing and a table beside it
constexpr double kThinLine = 0.18;
constexpr double kMediumLine = 0.35;

constexpr int kStandardScales[] = {20, 25, 50, 100};
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

bool Fits(double widthCm, double heightCm, const QSizeF& area, int scale) {
  const double mmPerCm = 10.0 / scale;
  return widthCm * mmPerCm <= area.width() && heightCm * mmPerCm <= area.height();
}

// The frame's inside, mm from the paper's top left.
QRectF FrameRect(const QSizeF& paper) {
  return QRectF(kBindingMargin, kMargin, paper.width() - kBindingMargin - kMargin, paper.height() - 2 * kMargin);
}

QRectF DrawingArea(const QSizeF& paper) {
  const QRectF inner = FrameRect(paper).adjusted(kPadding, kPadding, -kPadding, -kPadding);
  return QRectF(inner.topLeft(), QSizeF(inner.width(), inner.height() - kTitleHeight - kTitleGap));
}

// Texts on paper: a font at one size, scaled so its capitals are `height` mm tall.
class PaperFont {
public:
  explicit PaperFont(bool bold) : font_(QStringLiteral("Arial")) {
    font_.setPixelSize(100);
    font_.setBold(bold);
    const QFontMetricsF metrics(font_);
    capHeight_ = metrics.capHeight() > 0 ? metrics.capHeight() : 70.0;
  }
  double Width(const QString& text, double height) const {
    return QFontMetricsF(font_).horizontalAdvance(text) * height / capHeight_;
  }
  // Baseline at `at`; `align` Qt::AlignLeft, AlignRight or AlignHCenter.
  void Draw(QPainter& painter, QPointF at, double height, const QString& text, Qt::Alignment align) const {
    const double k = height / capHeight_;
    double x = 0;
    if (align & Qt::AlignRight) x = -QFontMetricsF(font_).horizontalAdvance(text);
    if (align & Qt::AlignHCenter) x = -QFontMetricsF(font_).horizontalAdvance(text) / 2;
    painter.save();
    painter.translate(at);
    painter.scale(k, k);
    painter.setFont(font_);
    painter.drawText(QPointF(x, 0), text);
    painter.restore();
  }

private:
  QFont font_;
  double capHeight_;
};

QPen PaperPen(double mm) {
  QPen pen(Qt::black);
  pen.setWidthF(mm);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
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

std::span<const int> StandardScales() { return kStandardScales; }

SheetFormat ChooseSheet(double widthCm, double heightCm) {
  widthCm = std::max(widthCm, 0.0);
  heightCm = std::max(heightCm, 0.0);
  for (Paper paper : {Paper::A3, Paper::A2, Paper::A1, Paper::A0}) {
    for (int scale : kStandardScales) {
      for (bool landscape : {true, false}) {
        if (Fits(widthCm, heightCm, DrawingAreaMm(paper, landscape), scale)) return {paper, landscape, scale};
      }
    }
  }
  // Beyond the standard scales: 1:200, 1:250, 1:500, then each decade of 1, 2, 2.5, 5.
  const QSizeF wide = DrawingAreaMm(Paper::A0, true);
  const QSizeF tall = DrawingAreaMm(Paper::A0, false);
  for (long long decade = 100; decade <= 100'000'000; decade *= 10) {
    for (long long step : {2 * decade, 5 * decade / 2, 5 * decade, 10 * decade}) {
      const int scale = static_cast<int>(step);
      if (Fits(widthCm, heightCm, wide, scale)) return {Paper::A0, true, scale};
      if (Fits(widthCm, heightCm, tall, scale)) return {Paper::A0, false, scale};
    }
  }
  return {Paper::A0, true, 1'000'000'000};  // not a finite size: an empty sheet
}

QString SheetTitle::ProgramName() { return QStringLiteral("Tessaro " TESSARO_VERSION); }

double LineWeightMm(int aci) {
  for (const Weight& w : kWeights) {
    if (w.aci == aci) return w.mm;
  }
  return kDefaultWeight;
}

SheetPlan::SheetPlan(const Drawing& drawing, SheetTitle title, SheetTable table)
    : drawing_(drawing), list_(FlattenDrawing(drawing)), title_(std::move(title)), table_(std::move(table)),
      extents_(list_.Bounds()) {
  const double widthCm = extents_ ? extents_->max.x - extents_->min.x : 0.0;
  const double heightCm = extents_ ? extents_->max.y - extents_->min.y : 0.0;
  format_ = ChooseSheet(widthCm, heightCm);
  const QRectF area = DrawingArea(PaperMm());
  const double mmPerCm = 10.0 / format_.scale;
  const QSizeF drawingMm(widthCm * mmPerCm, heightCm * mmPerCm);

  // Table size at full size: every column as wide as its widest text.
  const std::size_t columns = static_cast<std::size_t>(table_.header.size());
  columnWidths_.assign(columns, 0.0);
  const PaperFont plain(false);
  const PaperFont bold(true);
  for (std::size_t c = 0; c < columns; ++c) {
    columnWidths_[c] = bold.Width(table_.header[static_cast<qsizetype>(c)], kCellText);
  }
  for (std::size_t r = 0; r < table_.rows.size(); ++r) {
    const QStringList& row = table_.rows[r];
    const PaperFont& font = r < table_.emphasis.size() && table_.emphasis[r] ? bold : plain;
    for (std::size_t c = 0; c < columns && c < static_cast<std::size_t>(row.size()); ++c) {
      columnWidths_[c] = std::max(columnWidths_[c], font.Width(row[static_cast<qsizetype>(c)], kCellText));
    }
  }
  double tableWidth = 0;
  for (double& w : columnWidths_) tableWidth += (w += 2 * kCellPadding);
  tableWidth = std::max(tableWidth, plain.Width(table_.title, kTableTitleText));
  const double tableHeight = kTableTitleBand + kRowHeight * static_cast<double>(table_.rows.size() + 1);
  const bool hasTable = columns > 0;

  const double besideWidth = area.width() - drawingMm.width() - kTableGap;
  tableOnFirstPage_ = hasTable && tableWidth <= besideWidth && tableHeight <= area.height();
  QRectF drawingSpace = area;
  if (tableOnFirstPage_) {
    firstPageTable_ = TablePage{QPointF(area.right() - tableWidth, area.top()), 0, table_.rows.size()};
    drawingSpace.setRight(area.right() - tableWidth - kTableGap);
  }
  drawingRect_ = QRectF(QPointF(drawingSpace.center().x() - drawingMm.width() / 2,
                                drawingSpace.center().y() - drawingMm.height() / 2),
                        drawingMm);
  if (!hasTable || tableOnFirstPage_) return;

  // The table on pages of its own, shrunk as a whole when it is wider than the sheet.
  tableScale_ = std::min(1.0, area.width() / tableWidth);
  const double rowsHeight = area.height() / tableScale_ - kTableTitleBand - kRowHeight;
  const std::size_t perPage = std::max<std::size_t>(1, static_cast<std::size_t>(rowsHeight / kRowHeight));
  std::size_t first = 0;
  do {
    const std::size_t count = std::min(perPage, table_.rows.size() - first);
    tablePages_.push_back(TablePage{area.topLeft(), first, count});
    first += count;
  } while (first < table_.rows.size());
}

void SheetPlan::PaintPage(QPainter& painter, int page, const QRectF& target) const {
  const QSizeF paper = PaperMm();
  const double pxPerMm = std::min(target.width() / paper.width(), target.height() / paper.height());
  const QPointF origin(target.center().x() - paper.width() * pxPerMm / 2,
                       target.center().y() - paper.height() * pxPerMm / 2);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setTransform(QTransform(pxPerMm, 0, 0, pxPerMm, origin.x(), origin.y()));
  painter.setBrush(Qt::NoBrush);
  PaintFrame(painter, page);
  if (page == 0 && firstPageTable_) PaintTable(painter, *firstPageTable_);
  if (page > 0 && static_cast<std::size_t>(page) <= tablePages_.size()) {
    PaintTable(painter, tablePages_[static_cast<std::size_t>(page - 1)]);
  }
  if (page == 0 && extents_) {
    // Drawing units to device pixels: centimetres at the sheet's scale, y up.
    const double k = pxPerMm * 10.0 / format_.scale;
    const QPointF topLeft = origin + drawingRect_.topLeft() * pxPerMm;
    const QTransform toDevice(k, 0, 0, -k, topLeft.x() - extents_->min.x * k, topLeft.y() + extents_->max.y * k);
    const PenWidths widths = [pxPerMm](ShapeColor color) { return LineWeightMm(color.aci) * pxPerMm; };
    PaintDrawing(painter, drawing_, list_, toDevice, nullptr, &widths);
  }
  painter.restore();
}

void SheetPlan::PaintFrame(QPainter& painter, int page) const {
  const QRectF frame = FrameRect(PaperMm());
  painter.setPen(PaperPen(kFrameWeight));
  painter.drawRect(frame);

  const QRectF block(frame.right() - kTitleWidth, frame.bottom() - kTitleHeight, kTitleWidth, kTitleHeight);
  painter.setPen(PaperPen(kMediumLine));
  painter.drawRect(block);
  painter.setPen(PaperPen(kThinLine));
  const double quarter = kTitleWidth / 4;
  const double y1 = block.top() + kTitleRows[0];
  const double y2 = y1 + kTitleRows[1];
  painter.drawLine(QLineF(block.left(), y1, block.right(), y1));
  painter.drawLine(QLineF(block.left(), y2, block.right(), y2));
  painter.drawLine(QLineF(block.left() + 3 * quarter, block.top(), block.left() + 3 * quarter, y1));
  for (int i = 1; i < 4; ++i) painter.drawLine(QLineF(block.left() + i * quarter, y1, block.left() + i * quarter, y2));

  struct Cell {
    double x, y, h;
    QString label, value;
    double valueHeight;
  };
  const Cell cells[] = {
      {0, block.top(), kTitleRows[0], QStringLiteral("Progetto"), title_.project, 3.5},
      {3 * quarter, block.top(), kTitleRows[0], QStringLiteral("Pilastrata"), title_.stack, 3.5},
      {0, y1, kTitleRows[1], QStringLiteral("Formato"), FormatName(format_), kValueHeight},
      {quarter, y1, kTitleRows[1], QStringLiteral("Scala"), QStringLiteral("1:%1").arg(format_.scale), kValueHeight},
      {2 * quarter, y1, kTitleRows[1], QStringLiteral("Data"), title_.date.toString(QStringLiteral("dd/MM/yyyy")),
       kValueHeight},
      {3 * quarter, y1, kTitleRows[1], QStringLiteral("Foglio"),
       QStringLiteral("%1 di %2").arg(page + 1).arg(PageCount()), kValueHeight},
      {0, y2, kTitleRows[2], QStringLiteral("Programma"), title_.program, kValueHeight},
  };
  const PaperFont plain(false);
  const PaperFont bold(true);
  painter.setPen(Qt::black);
  for (const Cell& cell : cells) {
    const double left = block.left() + cell.x + kCellPadding;
    plain.Draw(painter, QPointF(left, cell.y + kLabelHeight + 1.2), kLabelHeight, cell.label, Qt::AlignLeft);
    bold.Draw(painter, QPointF(left, cell.y + cell.h - 2.0), cell.valueHeight, cell.value, Qt::AlignLeft);
  }
}

void SheetPlan::PaintTable(QPainter& painter, const TablePage& part) const {
  painter.save();
  painter.translate(part.at);
  painter.scale(tableScale_, tableScale_);
  const PaperFont plain(false);
  const PaperFont bold(true);
  double width = 0;
  for (double w : columnWidths_) width += w;
  const double textDrop = (kRowHeight + kCellText) / 2;  // baseline below the row's top

  painter.setPen(Qt::black);
  bold.Draw(painter, QPointF(0, kTableTitleText + 1.0), kTableTitleText, table_.title, Qt::AlignLeft);
  const auto paintRow = [&](double top, const QStringList& cells, const PaperFont& font) {
    double x = 0;
    for (std::size_t c = 0; c < columnWidths_.size(); ++c) {
      const QString text = c < static_cast<std::size_t>(cells.size()) ? cells[static_cast<qsizetype>(c)] : QString();
      const bool right = c < table_.rightAligned.size() && table_.rightAligned[c];
      const QPointF at(right ? x + columnWidths_[c] - kCellPadding : x + kCellPadding, top + textDrop);
      font.Draw(painter, at, kCellText, text, right ? Qt::AlignRight : Qt::AlignLeft);
      x += columnWidths_[c];
    }
  };
  double top = kTableTitleBand;
  paintRow(top, table_.header, bold);
  for (std::size_t r = part.first; r < part.first + part.count; ++r) {
    top += kRowHeight;
    paintRow(top, table_.rows[r], r < table_.emphasis.size() && table_.emphasis[r] ? bold : plain);
  }

  // Rules: a frame, the header underlined, thin lines between rows and columns.
  const double bottom = top + kRowHeight;
  painter.setPen(PaperPen(kThinLine));
  for (std::size_t r = 1; r <= part.count; ++r) {
    const double y = kTableTitleBand + kRowHeight * static_cast<double>(r + 1);
    if (y < bottom) painter.drawLine(QLineF(0, y, width, y));
  }
  double x = 0;
  for (std::size_t c = 0; c + 1 < columnWidths_.size(); ++c) {
    x += columnWidths_[c];
    painter.drawLine(QLineF(x, kTableTitleBand, x, bottom));
  }
  painter.setPen(PaperPen(kMediumLine));
  painter.drawRect(QRectF(0, kTableTitleBand, width, bottom - kTableTitleBand));
  painter.drawLine(QLineF(0, kTableTitleBand + kRowHeight, width, kTableTitleBand + kRowHeight));
  painter.restore();
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
