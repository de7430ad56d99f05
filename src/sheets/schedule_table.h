// The bar schedule of a stack as a table of texts, the same on the sheet and in the window.
#pragma once

#include "text/numbers.h"
#include "sheets/sheet.h"
#include "schedule/schedule.h"

namespace tessaro::render {

// One row per bar mark (piece, mark, shape, diameter mm, count, cut length cm, kg/m, kg),
// then one total row per diameter and the stack's total, both marked as emphasis.
SheetTable ScheduleTable(const StackSchedule& schedule, const NumberFormat& numbers);

}  // namespace tessaro::render
