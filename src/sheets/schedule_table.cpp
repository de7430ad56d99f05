// Schedule rows and totals turned into the texts and sketches of a table, and the table on
// paper.
#include "sheets/schedule_table.h"

#include <QPolygonF>
#include <cmath>

#include "sheets/sheet_paper.h"

namespace tessaro::render {
namespace {

constexpr double kCellText = 2.5;
constexpr double kTitleText = 3.5;
constexpr double kCellPadding = 1.5;
constexpr double kSketchWidth = 22.0;
constexpr double kPlainRow = 5.0;
constexpr double kSketchRow = 7.0;
constexpr double kPi = 3.14159265358979323846;

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString LegsText(const std::vector<BendLeg>& legs, const NumberFormat& numbers) {
  if (legs.size() < 2) return {};
  QStringList parts;
  for (const BendLeg& leg : legs) parts << Text(FormatSingle(static_cast<Single>(std::round(leg.length)), numbers));
  return parts.join(QStringLiteral(" · "));
}

// The shape's outline from its legs and bends; a hook bent back on itself is opened a
// little so that it shows.
QPolygonF SketchPoints(const std::vector<BendLeg>& legs) {
  QPolygonF points{QPointF(0, 0)};
  // Turned so that the longest leg lies level, as a bending schedule draws it.
  std::size_t longest = 0;
  for (std::size_t i = 1; i < legs.size(); ++i) {
    if (legs[i].length > legs[longest].length) longest = i;
  }
  double heading = 0;
  for (std::size_t i = 0; i < longest; ++i) heading -= std::clamp(legs[i].angle, -150.0, 150.0) * kPi / 180;
  for (const BendLeg& leg : legs) {
    const QPointF last = points.back();
    points << last + QPointF(leg.length * std::cos(heading), -leg.length * std::sin(heading));
    const double turn = std::clamp(leg.angle, -150.0, 150.0);
    heading += turn * kPi / 180;
  }
  return points;
}

}  // namespace

SheetTable ScheduleTable(const StackSchedule& schedule, const NumberFormat& numbers) {
  SheetTable table;
  table.title = QStringLiteral("Distinta ferri - Pilastrata ") + Text(schedule.stackId);
  table.header = {QStringLiteral("Elemento"), QStringLiteral("Pos."),    QStringLiteral("Forma"),
                  QStringLiteral("Schizzo"),  QStringLiteral("Lati mm"), QStringLiteral("Ø mm"),
                  QStringLiteral("N."),       QStringLiteral("L cm"),    QStringLiteral("L disegno (cm)"),
                  QStringLiteral("kg/m"),     QStringLiteral("Peso kg")};
  table.rightAligned = {true, true, false, false, false, true, true, true, true, true, true};
  table.sketchColumn = 3;
  const auto add = [&](QStringList cells, bool emphasis, std::vector<BendLeg> sketch) {
    table.rows.push_back(std::move(cells));
    table.emphasis.push_back(emphasis);
    table.sketches.push_back(std::move(sketch));
  };
  for (const ScheduleRow& row : schedule.rows) {
    add({Text(FormatInteger(row.pieceNumber)), Text(row.mark), Text(row.shape), QString(),
         LegsText(row.legs, numbers), Text(FormatSingle(row.diameterMm, numbers)), Text(FormatInteger(row.count)),
         Text(FormatSingle(row.cutLength, numbers)),
         row.LengthDiffers() ? Text(FormatSingle(row.drawingLength, numbers)) : QString(),
         Text(FormatFixed(row.unitWeight, 3, numbers)), Text(FormatFixed2(row.totalWeight, numbers))},
        false, row.legs.size() >= 2 ? row.legs : std::vector<BendLeg>{});
  }
  for (const DiameterTotal& total : schedule.diameters) {
    const QString diameter = Text(FormatSingle(total.diameterMm, numbers));
    add({QString(), QString(),
         QStringLiteral("Totale Ø%1 (%2 m)").arg(diameter, Text(FormatFixed2(total.length, numbers))), QString(),
         QString(), diameter, Text(FormatInteger(total.count)), QString(), QString(), QString(),
         Text(FormatFixed2(total.weight, numbers))},
        true, {});
  }
  add({QString(), QString(), QStringLiteral("Totale pilastrata"), QString(), QString(), QString(), QString(),
       QString(), QString(), QString(), Text(FormatFixed2(schedule.totalWeight, numbers))},
      true, {});
  return table;
}

TableMetrics MeasureTable(const SheetTable& table) {
  TableMetrics m;
  const std::size_t columns = static_cast<std::size_t>(table.header.size());
  m.columnWidths.assign(columns, 0.0);
  const PaperFont plain(false);
  const PaperFont bold(true);
  for (std::size_t c = 0; c < columns; ++c) m.columnWidths[c] = bold.Width(table.header[static_cast<qsizetype>(c)], kCellText);
  bool sketches = false;
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const QStringList& row = table.rows[r];
    const PaperFont& font = r < table.emphasis.size() && table.emphasis[r] ? bold : plain;
    for (std::size_t c = 0; c < columns && c < static_cast<std::size_t>(row.size()); ++c) {
      m.columnWidths[c] = std::max(m.columnWidths[c], font.Width(row[static_cast<qsizetype>(c)], kCellText));
    }
    if (r < table.sketches.size() && !table.sketches[r].empty()) sketches = true;
  }
  if (table.sketchColumn >= 0 && static_cast<std::size_t>(table.sketchColumn) < columns) {
    m.columnWidths[static_cast<std::size_t>(table.sketchColumn)] = kSketchWidth;
  }
  for (double& w : m.columnWidths) m.width += (w += 2 * kCellPadding);
  m.width = std::max(m.width, bold.Width(table.title + QStringLiteral(" (segue)"), kTitleText));
  m.rowHeight = sketches ? kSketchRow : kPlainRow;
  return m;
}

void PaintTable(QPainter& painter, const SheetTable& table, const TableMetrics& m, QPointF at, std::size_t first,
                std::size_t count) {
  painter.save();
  painter.translate(at);
  const PaperFont plain(false);
  const PaperFont bold(true);
  const double textDrop = (m.rowHeight + kCellText) / 2;  // baseline below the row's top

  painter.setPen(Qt::black);
  const QString title = first == 0 ? table.title : table.title + QStringLiteral(" (segue)");
  bold.Draw(painter, QPointF(0, kTitleText + 1.0), kTitleText, title, Qt::AlignLeft);
  const auto paintRow = [&](double top, const QStringList& cells, const PaperFont& font, const std::vector<BendLeg>* sketch,
                            bool header) {
    double x = 0;
    for (std::size_t c = 0; c < m.columnWidths.size(); ++c) {
      const double w = m.columnWidths[c];
      if (static_cast<int>(c) == table.sketchColumn && sketch == nullptr && !header) {
        x += w;
        continue;
      }
      if (static_cast<int>(c) == table.sketchColumn && !header) {
        QPolygonF points = SketchPoints(*sketch);
        const QRectF box = points.boundingRect();
        const QRectF cell(x + kCellPadding, top + 1.2, w - 2 * kCellPadding, m.rowHeight - 2.4);
        const double k = std::min(box.width() > 0 ? cell.width() / box.width() : 1e9,
                                  box.height() > 0 ? cell.height() / box.height() : 1e9);
        const QPointF shift = cell.center() - box.center() * k;
        for (QPointF& p : points) p = p * k + shift;
        painter.setPen(PaperPen(0.3));
        painter.drawPolyline(points);
        painter.setBrush(Qt::black);
        painter.drawEllipse(points.front(), 0.5, 0.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(Qt::black);
        x += w;
        continue;
      }
      const QString text = c < static_cast<std::size_t>(cells.size()) ? cells[static_cast<qsizetype>(c)] : QString();
      const bool right = c < table.rightAligned.size() && table.rightAligned[c];
      const QPointF p(right ? x + w - kCellPadding : x + kCellPadding, top + textDrop);
      font.Draw(painter, p, kCellText, text, right ? Qt::AlignRight : Qt::AlignLeft);
      x += w;
    }
  };
  double top = m.titleBand;
  paintRow(top, table.header, bold, nullptr, true);
  for (std::size_t r = first; r < first + count; ++r) {
    top += m.rowHeight;
    const std::vector<BendLeg>* sketch = r < table.sketches.size() && !table.sketches[r].empty() ? &table.sketches[r] : nullptr;
    paintRow(top, table.rows[r], r < table.emphasis.size() && table.emphasis[r] ? bold : plain, sketch, false);
  }

  // Rules: a frame, the header underlined, thin lines between rows and columns.
  double tableWidth = 0;
  for (double w : m.columnWidths) tableWidth += w;
  const double bottom = top + m.rowHeight;
  painter.setPen(PaperPen(kThinLine));
  for (std::size_t r = 1; r <= count; ++r) {
    const double y = m.titleBand + m.rowHeight * static_cast<double>(r + 1);
    if (y < bottom) painter.drawLine(QLineF(0, y, tableWidth, y));
  }
  double x = 0;
  for (std::size_t c = 0; c + 1 < m.columnWidths.size(); ++c) {
    x += m.columnWidths[c];
    painter.drawLine(QLineF(x, m.titleBand, x, bottom));
  }
  painter.setPen(PaperPen(kMediumLine));
  painter.drawRect(QRectF(0, m.titleBand, tableWidth, bottom - m.titleBand));
  painter.drawLine(QLineF(0, m.titleBand + m.rowHeight, tableWidth, m.titleBand + m.rowHeight));
  painter.restore();
}

}  // namespace tessaro::render
