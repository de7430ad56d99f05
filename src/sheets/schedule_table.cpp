// Schedule rows and totals turned into the texts of a table.
#include "sheets/schedule_table.h"

namespace tessaro::render {
namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

SheetTable ScheduleTable(const StackSchedule& schedule, const NumberFormat& numbers) {
  SheetTable table;
  table.title = QStringLiteral("Distinta ferri - Pilastrata ") + Text(schedule.stackId);
  table.header = {QStringLiteral("Elemento"), QStringLiteral("Pos."),  QStringLiteral("Forma"),
                  QStringLiteral("Ø mm"),     QStringLiteral("N."),    QStringLiteral("L cm"),
                  QStringLiteral("kg/m"),     QStringLiteral("Peso kg")};
  table.rightAligned = {true, true, false, true, true, true, true, true};
  const auto add = [&](QStringList cells, bool emphasis) {
    table.rows.push_back(std::move(cells));
    table.emphasis.push_back(emphasis);
  };
  for (const ScheduleRow& row : schedule.rows) {
    add({Text(FormatInteger(row.pieceNumber)), Text(row.mark), Text(row.shape),
         Text(FormatSingle(row.diameterMm, numbers)), Text(FormatInteger(row.count)),
         Text(FormatSingle(row.cutLength, numbers)), Text(FormatFixed2(row.unitWeight, numbers)),
         Text(FormatFixed2(row.totalWeight, numbers))},
        false);
  }
  for (const DiameterTotal& total : schedule.diameters) {
    const QString diameter = Text(FormatSingle(total.diameterMm, numbers));
    add({QString(), QString(),
         QStringLiteral("Totale Ø%1 (%2 m)").arg(diameter, Text(FormatFixed2(total.length, numbers))), diameter,
         Text(FormatInteger(total.count)), QString(), QString(),
         Text(FormatFixed2(total.weight, numbers))},
        true);
  }
  add({QString(), QString(), QStringLiteral("Totale pilastrata"), QString(), QString(), QString(), QString(),
       Text(FormatFixed2(schedule.totalWeight, numbers))},
      true);
  return table;
}

}  // namespace tessaro::render
