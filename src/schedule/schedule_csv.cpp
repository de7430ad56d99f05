// The schedule as CSV for a spreadsheet: UTF-8, a header row, and the field separator
// that goes with the decimal separator (";" with ",", "," with "."). Written atomically.
#include <algorithm>
#include <string>

#include "os/atomic_file.h"
#include "schedule/schedule.h"

namespace tessaro {

namespace {

class CsvText {
public:
  explicit CsvText(const NumberFormat& numbers)
      : numbers_(numbers), separator_(numbers.decimalSeparator == ',' ? ';' : ',') {}

  // A field is quoted when it holds the separator, a quote or a line end.
  CsvText& Field(std::string_view value) {
    if (!atLineStart_) text_ += separator_;
    atLineStart_ = false;
    if (value.find_first_of(std::string{separator_, '"', '\r', '\n'}) == std::string_view::npos) {
      text_ += value;
      return *this;
    }
    text_ += '"';
    for (const char c : value) {
      if (c == '"') text_ += '"';
      text_ += c;
    }
    text_ += '"';
    return *this;
  }
  CsvText& Number(double value, int decimals) { return Field(FormatFixed(value, decimals, numbers_)); }
  CsvText& Length(Single value) { return Field(FormatSingle(value, numbers_)); }
  CsvText& Whole(long long value) { return Field(FormatInteger(value)); }
  void EndLine() {
    text_ += "\r\n";
    atLineStart_ = true;
  }
  const std::string& Text() const { return text_; }

private:
  const NumberFormat& numbers_;
  char separator_;
  std::string text_;
  bool atLineStart_ = true;
};

void DiameterRows(CsvText& csv, std::string_view firstField, const std::vector<DiameterTotal>& totals) {
  for (const DiameterTotal& total : totals) {
    csv.Field(firstField).Length(total.diameterMm).Whole(total.count).Number(total.length, 2).Number(total.weight, 3);
    csv.EndLine();
  }
}

void Produce(const std::string& text, const FileBlockSink& sink) { sink(text); }

}  // namespace

std::string ScheduleCsvName(std::string_view stackId) { return "Distinta_" + std::string(stackId) + ".csv"; }

std::string ScheduleCsv(const StackSchedule& schedule, const NumberFormat& numbers) {
  CsvText csv(numbers);
  csv.Field("Pilastrata").Field("Pilastro").Field("Posizione").Field("Forma").Field("Diametro (mm)");
  csv.Field("Numero").Field("Lunghezza (cm)").Field("Peso unitario (kg/m)").Field("Peso totale (kg)");
  csv.EndLine();
  for (const ScheduleRow& row : schedule.rows) {
    csv.Field(schedule.stackId).Whole(row.pieceNumber).Field(row.mark).Field(row.shape).Length(row.diameterMm);
    csv.Whole(row.count).Length(row.cutLength).Number(row.unitWeight, 3).Number(row.totalWeight, 3);
    csv.EndLine();
  }
  csv.EndLine();
  csv.Field("Totali").Field("Diametro (mm)").Field("Numero").Field("Lunghezza (m)").Field("Peso (kg)");
  csv.EndLine();
  DiameterRows(csv, "Diametro", schedule.diameters);
  csv.Field("Pilastrata").Field("").Field("").Field("").Number(schedule.totalWeight, 3);
  csv.EndLine();
  return csv.Text();
}

std::string ProjectScheduleCsv(std::span<const StackSchedule> schedules, const NumberFormat& numbers) {
  CsvText csv(numbers);
  csv.Field("Pilastrata").Field("Diametro (mm)").Field("Numero").Field("Lunghezza (m)").Field("Peso (kg)");
  csv.EndLine();
  std::vector<DiameterTotal> project;
  double projectWeight = 0;
  for (const StackSchedule& schedule : schedules) {
    DiameterRows(csv, schedule.stackId, schedule.diameters);
    csv.Field(schedule.stackId).Field("Totale").Field("").Field("").Number(schedule.totalWeight, 3);
    csv.EndLine();
    projectWeight += schedule.totalWeight;
    for (const DiameterTotal& total : schedule.diameters) {
      auto at = std::find_if(project.begin(), project.end(),
                             [&](const DiameterTotal& t) { return t.diameterMm == total.diameterMm; });
      if (at == project.end()) {
        project.push_back({total.diameterMm, 0, 0, 0});
        at = project.end() - 1;
      }
      at->count += total.count;
      at->length += total.length;
      at->weight += total.weight;
    }
  }
  std::sort(project.begin(), project.end(),
            [](const DiameterTotal& a, const DiameterTotal& b) { return a.diameterMm < b.diameterMm; });
  DiameterRows(csv, "Progetto", project);
  csv.Field("Progetto").Field("Totale").Field("").Field("").Number(projectWeight, 3);
  csv.EndLine();
  return csv.Text();
}

void WriteScheduleCsv(const std::filesystem::path& path, const StackSchedule& schedule, const NumberFormat& numbers) {
  const std::string text = ScheduleCsv(schedule, numbers);
  WriteFileAtomically(path, "bar schedule", [&](const FileBlockSink& sink) { Produce(text, sink); });
}

void WriteProjectScheduleCsv(const std::filesystem::path& path, std::span<const StackSchedule> schedules,
                             const NumberFormat& numbers) {
  const std::string text = ProjectScheduleCsv(schedules, numbers);
  WriteFileAtomically(path, "project bar schedule", [&](const FileBlockSink& sink) { Produce(text, sink); });
}

}  // namespace tessaro
