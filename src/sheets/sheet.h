// A stack drawing on paper: its views framed at their scales on ISO sheets, the frame and
// title block, the bar schedule as a table, and the pages as vector PDF. The sheet is laid
// out in millimetres of paper and painted with the same display-list painter as the screen,
// so a PDF page, a printed page and a preview show the same thing. Qt Gui only.
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
#include <memory>
#include <vector>

#include "cad/drawing.h"
#include "display/display_list.h"
#include "project/project_data.h"
#include "schedule/schedule.h"
#include "text/numbers.h"

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

// Room the views have on a sheet (mm): inside the frame, above the title block.
QSizeF DrawingAreaMm(Paper paper, bool landscape);

// A table of texts: a header row and data rows of the same length. Right-aligned columns
// are the numeric ones. A row with `emphasis` (totals) is printed in bold.
struct SheetTable {
  QString title;
  QStringList header;
  std::vector<QStringList> rows;
  std::vector<bool> rightAligned;  // per column; missing entries are left-aligned
  std::vector<bool> emphasis;      // per row; missing entries are plain
  // The column that shows each row's bent shape as a sketch (its text is left out), and
  // the legs of that shape per row (empty: no sketch). -1: no such column.
  int sketchColumn = -1;
  std::vector<std::vector<BendLeg>> sketches;
};

// What the title block says besides the sheet's own format, scale and page.
struct SheetTitle {
  QString project;  // the project folder's name
  QString stack;    // the stack's id
  QDate date;
  QString program = ProgramName();
  ProjectData data = {};  // drawing number, revision, designer, client, materials

  // "Tessaro 2.0.0", the version the program was built as.
  static QString ProgramName();
};

// How the sheet is printed: black and white by default (every line black, its weight by
// the drawing's colour, as a plant's printer shows it), or in the drawing's colours.
struct SheetOptions {
  bool colour = false;
};

// Where a view or a circled mark stands on the pages (mm from the paper's top left).
struct SheetViewPlace {
  QString caption;
  int scale = 0;
  int page = 0;  // 0-based
  QRectF frame;
};
struct SheetMarkPlace {
  QString mark;
  int page = 0;
  QRectF circle;
};

// The sheets of a stack: a layout, not the drawing scaled down. Each elevation is framed
// at 1:50 and each piece's section with its stirrup details at 1:20 (1:25 when that does
// not fit), the scale written under each frame; texts at least 2.5 mm high and none over
// another; the schedule's marks circled beside their labels; the schedule table after the
// views. All pages share one paper: the smallest of A3 to A0 on which every view fits,
// portrait or landscape, whichever needs fewer pages (landscape on a tie). An elevation
// too tall for A0 at 1:50 goes at 1:100, 1:200, ... Pages are numbered "Foglio n di m".
class SheetPlan {
public:
  SheetPlan(const Drawing& drawing, SheetTitle title, SheetTable table, const StackSchedule* schedule = nullptr,
            SheetOptions options = {});
  SheetPlan(SheetPlan&&) noexcept;
  ~SheetPlan();

  // Paper and orientation of every page; `scale` is that of the elevations.
  const SheetFormat& Format() const { return format_; }
  QSizeF PaperMm() const { return PaperSizeMm(format_.paper, format_.landscape); }
  int PageCount() const;
  std::vector<SheetViewPlace> Views() const;
  std::vector<SheetMarkPlace> Marks() const;
  // Texts of the drawing that found no free place on paper (each named once), for a note.
  QStringList DroppedTexts() const;

  // Paints page `page` (0-based) into `target` (device coordinates of the painter), the
  // paper scaled to fit it with its proportions kept and centred.
  void PaintPage(QPainter& painter, int page, const QRectF& target) const;

private:
  struct Impl;
  void PaintFrame(QPainter& painter, int page) const;
  void PaintTablePart(QPainter& painter, std::size_t part) const;
  void PaintView(QPainter& painter, std::size_t view, double pxPerMm, QPointF origin) const;

  const Drawing& drawing_;  // for its layers' states
  SheetTitle title_;
  SheetTable table_;
  SheetOptions options_;
  SheetFormat format_;
  std::unique_ptr<Impl> impl_;
};

// The pages as PDF, one page per plan page on paper of the plan's size.
QByteArray SheetPdf(const SheetPlan& plan, const QString& documentTitle);

// Writes SheetPdf to `path` through the atomic writer; raises RuntimeError (FileIo).
void WriteSheetPdf(const std::filesystem::path& path, const SheetPlan& plan, const QString& documentTitle);

// Pen width in mm of the lines drawn in this AutoCAD colour on paper.
double LineWeightMm(int aci);

}  // namespace tessaro::render
