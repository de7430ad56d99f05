// A drawing on paper: the ISO sheet and standard scale it goes on, the frame and title
// block, the bar schedule as a table, and the pages as vector PDF. The sheet is laid out in
// millimetres of paper and painted with the same display-list painter as the screen, so a PDF
// page, a printed page and a preview show the same thing. Qt Gui only.
#pragma once

#include <QDate>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "display/display_list.h"
#include "cad/drawing.h"

namespace tessaro::render {

enum class Paper { A3, A2, A1, A0 };

// The sheet a drawing is put on: paper, orientation and scale 1:scale (a drawing unit is
// a centimetre of the structure).
struct SheetFormat {
  Paper paper = Paper::A3;
  bool landscape = true;
  int scale = 20;
  friend bool operator==(const SheetFormat&, const SheetFormat&) = default;
};

// Paper size in mm, width by height, in the orientation given.
QSizeF PaperSizeMm(Paper paper, bool landscape);
QString PaperName(Paper paper);  // "A3"
// "A3 orizzontale", "A1 verticale".
QString FormatName(const SheetFormat& format);

// Room the drawing has on a sheet (mm): inside the frame, above the title block.
QSizeF DrawingAreaMm(Paper paper, bool landscape);

// The standard scales, largest first: 1:20, 1:25, 1:50, 1:100.
std::span<const int> StandardScales();

// The sheet for a drawing of this size (cm): the smallest paper, A3 to A0, on which it fits
// at one of the standard scales; on that paper the largest scale that fits, landscape
// before portrait when both take the same scale. A drawing too big for A0 at 1:100 goes on
// A0 at the first of 1:200, 1:250, 1:500, 1:1000, 1:2000, ... that takes it.
SheetFormat ChooseSheet(double widthCm, double heightCm);

// A table of texts: a header row and data rows of the same length. Right-aligned columns
// are the numeric ones. A row with `emphasis` (totals) is printed in bold.
struct SheetTable {
  QString title;
  QStringList header;
  std::vector<QStringList> rows;
  std::vector<bool> rightAligned;  // per column; missing entries are left-aligned
  std::vector<bool> emphasis;      // per row; missing entries are plain
};

// What the title block says besides the sheet's own format, scale and page.
struct SheetTitle {
  QString project;  // the project folder's name
  QString stack;    // the stack's id
  QDate date;
  QString program = ProgramName();

  // "Tessaro 2.0.0", the version the program was built as.
  static QString ProgramName();
};

// The pages of one drawing: page 1 holds the drawing, and the table beside it when it
// fits there; otherwise the table follows on as many further pages of the same sheet as
// it needs, its header repeated on each.
class SheetPlan {
public:
  SheetPlan(const Drawing& drawing, SheetTitle title, SheetTable table);

  const SheetFormat& Format() const { return format_; }
  QSizeF PaperMm() const { return PaperSizeMm(format_.paper, format_.landscape); }
  int PageCount() const { return 1 + static_cast<int>(tablePages_.size()); }
  bool TableBesideDrawing() const { return tableOnFirstPage_; }
  // Where the drawing and the table stand on page 1 (mm from the paper's top left).
  QRectF DrawingRectMm() const { return drawingRect_; }

  // Paints page `page` (0-based) into `target` (device coordinates of the painter), the
  // paper scaled to fit it with its proportions kept and centred.
  void PaintPage(QPainter& painter, int page, const QRectF& target) const;

private:
  struct TablePage {
    QPointF at;        // top left of the table, mm
    std::size_t first;  // rows [first, first + count)
    std::size_t count;
  };

  void PaintFrame(QPainter& painter, int page) const;
  void PaintTable(QPainter& painter, const TablePage& part) const;

  const Drawing& drawing_;  // for its layers' states
  DisplayList list_;
  SheetTitle title_;
  SheetTable table_;
  SheetFormat format_;
  std::optional<Extents> extents_;
  QRectF drawingRect_;
  bool tableOnFirstPage_ = false;
  std::optional<TablePage> firstPageTable_;
  std::vector<TablePage> tablePages_;
  std::vector<double> columnWidths_;  // mm
  double tableScale_ = 1.0;           // < 1 when the table is wider than the sheet
};

// The pages as PDF, one page per plan page on paper of the plan's size.
QByteArray SheetPdf(const SheetPlan& plan, const QString& documentTitle);

// Writes SheetPdf to `path` through the atomic writer; raises RuntimeError (FileIo).
void WriteSheetPdf(const std::filesystem::path& path, const SheetPlan& plan, const QString& documentTitle);

// Pen width in mm of the lines drawn in this AutoCAD colour on paper.
double LineWeightMm(int aci);

}  // namespace tessaro::render
