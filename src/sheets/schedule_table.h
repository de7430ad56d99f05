// The bar schedule of a stack as a table of texts and shape sketches, the same on the
// sheet and in the window, and the table drawn on paper.
#pragma once

#include <QPainter>
#include <QPointF>
#include <vector>

#include "schedule/schedule.h"
#include "sheets/sheet.h"
#include "text/numbers.h"

namespace tessaro::render {

// One row per bar mark (piece, mark, shape, sketch, legs mm, diameter mm, count, cut
// length cm, the drawing's L in cm where it is more than 1 cm off the cut length (empty
// elsewhere), kg/m to the gram, kg), then one total row per diameter and the stack's
// total, both marked as emphasis. Every bent mark has its sketch and its outside legs in bending
// order ("104 · 402 · 402 · ..."), the first leg at the sketch's dot.
SheetTable ScheduleTable(const StackSchedule& schedule, const NumberFormat& numbers);

// The table measured on paper: columns as wide as their widest text (the sketch column a
// fixed width), and the heights it is drawn with (mm).
struct TableMetrics {
  std::vector<double> columnWidths;
  double width = 0;
  double rowHeight = 5.0;
  double titleBand = 7.0;
  double HeightOf(std::size_t rows) const { return titleBand + rowHeight * static_cast<double>(rows + 1); }
};
TableMetrics MeasureTable(const SheetTable& table);

// Rows [first, first + count) under the title and the header, the table's top left at
// `at` (mm); the title says "(segue)" on a part that does not start with the first row.
void PaintTable(QPainter& painter, const SheetTable& table, const TableMetrics& metrics, QPointF at,
                std::size_t first, std::size_t count);

}  // namespace tessaro::render
