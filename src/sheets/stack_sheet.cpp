#include "sheets/stack_sheet.h"

#include <utility>

#include "sheets/schedule_table.h"

namespace tessaro::render {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

SheetPlan StackSheetPlan(const Drawing& drawing, const StackSchedule& schedule, const QString& project,
                         const NumberFormat& numbers, const QDate& date) {
  SheetTitle title{project, FromUtf8(schedule.stackId), date};
  return SheetPlan(drawing, std::move(title), ScheduleTable(schedule, numbers));
}

QString StackSheetName(std::string_view stackId) { return QStringLiteral("Pilastrata_") + FromUtf8(stackId); }

}  // namespace tessaro::render
