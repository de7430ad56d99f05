// The sheet of one drawn stack, made in one place for the batch's PDF files and for the
// window's PDF export, print and preview: the drawing at the sheet's scale, the title
// block (project, stack, date) and the stack's bar schedule as a table.
#pragma once

#include <QDate>
#include <QString>
#include <string_view>

#include "cad/drawing.h"
#include "schedule/schedule.h"
#include "sheets/sheet.h"
#include "text/numbers.h"

namespace tessaro::render {

// The plan keeps a reference to `drawing`, which must outlive it.
SheetPlan StackSheetPlan(const Drawing& drawing, const StackSchedule& schedule, const QString& project,
                         const NumberFormat& numbers, const QDate& date = QDate::currentDate());

// "Pilastrata_<id>": the PDF document's title and the print job's name.
QString StackSheetName(std::string_view stackId);

}  // namespace tessaro::render
