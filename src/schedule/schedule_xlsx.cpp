// The project's schedule as an XLSX workbook, written with libxlsxwriter: numbers are
// stored as numbers, so that no spreadsheet reads a decimal separator wrongly. A build
// without the library says so and writes nothing.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "base/errors.h"
#include "os/atomic_file.h"
#include "schedule/schedule.h"

#if defined(TESSARO_XLSX)
#include <xlsxwriter.h>
#endif

namespace tessaro {

bool XlsxAvailable() {
#if defined(TESSARO_XLSX)
  return true;
#else
  return false;
#endif
}

#if defined(TESSARO_XLSX)

namespace {

// Sheet names: at most 31 characters, none of []:*?/\ and each one once.
std::string SheetName(std::string name, std::set<std::string>& used) {
  for (char& c : name) {
    if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
  }
  if (name.size() > 28) name.resize(28);
  std::string unique = name;
  for (int n = 2; used.count(unique) != 0; ++n) unique = name + "~" + std::to_string(n);
  used.insert(unique);
  return unique;
}

struct Formats {
  lxw_format* bold;
  lxw_format* kg;    // 0.000
  lxw_format* m;     // 0.00
  lxw_format* cm;    // 0.0
};

class Sheet {
public:
  Sheet(lxw_worksheet* sheet, const Formats& formats) : sheet_(sheet), formats_(formats) {}
  void Text(int col, std::string_view text, lxw_format* format = nullptr) {
    worksheet_write_string(sheet_, row_, static_cast<lxw_col_t>(col), std::string(text).c_str(), format);
  }
  void Number(int col, double value, lxw_format* format = nullptr) {
    worksheet_write_number(sheet_, row_, static_cast<lxw_col_t>(col), value, format);
  }
  void Next() { ++row_; }
  const Formats& F() const { return formats_; }

private:
  lxw_worksheet* sheet_;
  Formats formats_;
  lxw_row_t row_ = 0;
};

// A length in cm that is whole millimetres, as the decimal number it stands for: the float
// 176.4f widened to double would store 176.39999389648438 in the cell.
double Centimetres(Single cm) { return std::round(static_cast<double>(cm) * 10.0) / 10.0; }

void DiameterRows(Sheet& sheet, std::string_view first, const std::vector<DiameterTotal>& totals) {
  for (const DiameterTotal& total : totals) {
    sheet.Text(0, first);
    sheet.Number(1, total.diameterMm);
    sheet.Number(2, static_cast<double>(total.count));
    sheet.Number(3, total.length, sheet.F().m);
    sheet.Number(4, total.weight, sheet.F().kg);
    sheet.Next();
  }
}

void StackSheet(Sheet& sheet, const StackSchedule& schedule) {
  std::size_t legs = 0;
  for (const ScheduleRow& row : schedule.rows) legs = std::max(legs, row.legs.size());
  const char* headings[] = {"Pilastro",       "Posizione",     "Forma",      "Diametro (mm)",
                            "Numero",         "Lunghezza (cm)", "L disegno (cm)", "Mandrino (mm)",
                            "Peso unitario (kg/m)", "Peso totale (kg)"};
  int col = 0;
  for (const char* heading : headings) sheet.Text(col++, heading, sheet.F().bold);
  for (std::size_t i = 0; i < legs; ++i) sheet.Text(col++, "Quota " + std::to_string(i + 1) + " (mm)", sheet.F().bold);
  sheet.Next();
  for (const ScheduleRow& row : schedule.rows) {
    sheet.Number(0, row.pieceNumber);
    sheet.Number(1, std::stod(row.mark));
    sheet.Text(2, row.shape);
    sheet.Number(3, row.diameterMm);
    sheet.Number(4, static_cast<double>(row.count));
    sheet.Number(5, Centimetres(row.cutLength), sheet.F().cm);
    if (row.LengthDiffers()) sheet.Number(6, Centimetres(row.drawingLength), sheet.F().cm);
    sheet.Number(7, row.mandrelMm);
    sheet.Number(8, row.unitWeight, sheet.F().kg);
    sheet.Number(9, row.totalWeight, sheet.F().kg);
    for (std::size_t i = 0; i < row.legs.size(); ++i) sheet.Number(10 + static_cast<int>(i), row.legs[i].length);
    sheet.Next();
  }
  sheet.Next();
  const char* totals[] = {"Totali", "Diametro (mm)", "Numero", "Lunghezza (m)", "Peso (kg)"};
  col = 0;
  for (const char* heading : totals) sheet.Text(col++, heading, sheet.F().bold);
  sheet.Next();
  DiameterRows(sheet, "Diametro", schedule.diameters);
  sheet.Text(0, "Pilastrata", sheet.F().bold);
  sheet.Number(4, schedule.totalWeight, sheet.F().kg);
  sheet.Next();
}

void SummarySheet(Sheet& sheet, std::span<const StackSchedule> schedules) {
  const char* headings[] = {"Pilastrata", "Diametro (mm)", "Numero", "Lunghezza (m)", "Peso (kg)"};
  int col = 0;
  for (const char* heading : headings) sheet.Text(col++, heading, sheet.F().bold);
  sheet.Next();
  std::map<Single, DiameterTotal> project;
  double projectWeight = 0;
  for (const StackSchedule& schedule : schedules) {
    DiameterRows(sheet, schedule.stackId, schedule.diameters);
    sheet.Text(0, schedule.stackId);
    sheet.Text(1, "Totale");
    sheet.Number(4, schedule.totalWeight, sheet.F().kg);
    sheet.Next();
    projectWeight += schedule.totalWeight;
    for (const DiameterTotal& total : schedule.diameters) {
      DiameterTotal& sum = project[total.diameterMm];
      sum.diameterMm = total.diameterMm;
      sum.count += total.count;
      sum.length += total.length;
      sum.weight += total.weight;
    }
  }
  std::vector<DiameterTotal> totals;
  for (const auto& [d, total] : project) totals.push_back(total);
  DiameterRows(sheet, "Progetto", totals);
  sheet.Text(0, "Progetto", sheet.F().bold);
  sheet.Text(1, "Totale", sheet.F().bold);
  sheet.Number(4, projectWeight, sheet.F().kg);
  sheet.Next();
}

}  // namespace

void WriteProjectScheduleXlsx(const std::filesystem::path& path, std::span<const StackSchedule> schedules) {
  // The library writes a file of its own; it is then moved in place atomically.
  const std::filesystem::path scratch = path.parent_path() / ("." + path.filename().string() + ".writing");
  lxw_workbook* book = workbook_new(scratch.string().c_str());
  if (book == nullptr) Raise(ErrorKind::FileIo, "cannot create " + scratch.string());
  Formats formats{workbook_add_format(book), workbook_add_format(book), workbook_add_format(book),
                  workbook_add_format(book)};
  format_set_bold(formats.bold);
  format_set_num_format(formats.kg, "0.000");
  format_set_num_format(formats.m, "0.00");
  format_set_num_format(formats.cm, "0.0");
  std::set<std::string> used;
  Sheet summary(workbook_add_worksheet(book, SheetName("Riepilogo", used).c_str()), formats);
  SummarySheet(summary, schedules);
  for (const StackSchedule& schedule : schedules) {
    Sheet sheet(workbook_add_worksheet(book, SheetName("Pilastrata " + schedule.stackId, used).c_str()), formats);
    StackSheet(sheet, schedule);
  }
  const lxw_error closed = workbook_close(book);
  std::error_code ignored;
  if (closed != LXW_NO_ERROR) {
    std::filesystem::remove(scratch, ignored);
    Raise(ErrorKind::FileIo, "cannot write " + path.string() + ": " + lxw_strerror(closed));
  }
  std::ifstream in(scratch, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::filesystem::remove(scratch, ignored);
  WriteFileAtomically(path, "project bar schedule (XLSX)", [&](const FileBlockSink& sink) { sink(bytes); });
}

#else

void WriteProjectScheduleXlsx(const std::filesystem::path& path, std::span<const StackSchedule>) {
  Raise(ErrorKind::FileIo, "cannot write " + path.string() + ": this build has no XLSX support (libxlsxwriter)");
}

#endif

}  // namespace tessaro
