// BF2D records of the BVBS exchange format for bending machines. Lengths in mm, weights
// in kg with three decimals, angles in whole degrees; fields are a lower-case key, the
// value and "@"; blocks open with an upper-case letter. The legs of a record add up to
// its length exactly: the running sum of the legs is rounded to the millimetre, so that
// each leg is within 1 mm of its true length and the roundings never pile up.
#include "schedule/bvbs.h"

#include <cctype>
#include <cmath>

#include "os/atomic_file.h"

namespace tessaro {

namespace {

// The format is ASCII and "@" ends a field: anything else becomes "_".
std::string FieldText(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (const char c : value) {
    const auto code = static_cast<unsigned char>(c);
    text += code >= 0x20 && code < 0x7F && c != '@' ? c : '_';
  }
  return text;
}

long Millimetres(double centimetres) { return std::lround(centimetres * 10); }

// Whole numbers without decimals, others with up to three ("12", "12.5").
std::string Decimal(double value, int decimals) {
  std::string text = FormatFixed(value, decimals, NumberFormat{'.'});
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

void Field(std::string& record, char key, std::string_view value) {
  record += key;
  record += value;
  record += '@';
}

}  // namespace

double MandrelDiameter(const BvbsOptions& options, Single diameterMm) {
  const double factor = diameterMm <= options.mandrelLimitMm ? options.mandrelSmall : options.mandrelLarge;
  return factor * diameterMm;
}

std::string BvbsFileName(std::string_view stackId) { return "Pilastrata_" + std::string(stackId) + ".abs"; }

int BvbsChecksum(std::string_view recordUpToC) {
  long sum = 0;
  for (const char c : recordUpToC) sum += static_cast<unsigned char>(c);
  return static_cast<int>(96 - sum % 32);
}

std::optional<std::string> BvbsRecord(const ScheduleRow& row, std::string_view drawing, const BvbsOptions& options) {
  if (row.kind == BarMarkKind::CircularHoop || row.legs.empty() || row.count <= 0 || !(row.cutLength > 0)) {
    return std::nullopt;
  }
  const long length = Millimetres(row.cutLength);
  std::string record = "BF2D@H";
  Field(record, 'j', FieldText(options.project));
  Field(record, 'r', FieldText(drawing));
  Field(record, 'i', "");
  Field(record, 'p', FieldText(row.mark));
  Field(record, 'l', std::to_string(length));
  Field(record, 'n', std::to_string(row.count));
  Field(record, 'e', FormatFixed(row.unitWeight * (double{row.cutLength} / 100), 3, NumberFormat{'.'}));
  Field(record, 'd', Decimal(row.diameterMm, 1));
  Field(record, 'g', FieldText(options.steelGrade));
  Field(record, 's', Decimal(MandrelDiameter(options, row.diameterMm), 1));
  Field(record, 'v', "");
  record += 'G';
  double sum = 0;
  long placed = 0;
  for (std::size_t i = 0; i < row.legs.size(); ++i) {
    sum += row.legs[i].length;
    const long reached = i + 1 == row.legs.size() ? length : Millimetres(sum);
    Field(record, 'l', std::to_string(reached - placed));
    Field(record, 'w', Decimal(row.legs[i].angle, 0));
    placed = reached;
  }
  record += 'C';  // the check value covers the record up to here
  const int checksum = BvbsChecksum(record);
  record += std::to_string(checksum);
  record += '@';
  return record;
}

std::string BvbsText(const StackSchedule& schedule, const BvbsOptions& options) {
  const std::string drawing = "Pilastrata_" + schedule.stackId;
  std::string text;
  for (const ScheduleRow& row : schedule.rows) {
    if (const auto record = BvbsRecord(row, drawing, options)) {
      text += *record;
      text += "\r\n";
    }
  }
  return text;
}

void WriteBvbs(const std::filesystem::path& path, const StackSchedule& schedule, const BvbsOptions& options) {
  const std::string text = BvbsText(schedule, options);
  WriteFileAtomically(path, "BVBS file", [&](const FileBlockSink& sink) { sink(text); });
}

// ---------------------------------------------------------------------------------------
// Reading a record back

std::string BvbsRecordFields::Header(char key) const {
  for (const auto& [k, value] : header) {
    if (k == key) return value;
  }
  return "";
}

std::optional<BvbsRecordFields> ReadBvbsRecord(std::string_view line, std::string& error) {
  const auto fail = [&](std::string message) -> std::optional<BvbsRecordFields> {
    error = std::move(message);
    return std::nullopt;
  };
  BvbsRecordFields fields;
  std::size_t at = line.find('@');
  if (at == std::string_view::npos) return fail("no field separator '@'");
  fields.type = std::string(line.substr(0, at));
  ++at;
  char block = 0;
  bool legPending = false;  // a leg read, its bend angle not yet
  double pendingLeg = 0;
  while (at < line.size()) {
    if (std::isupper(static_cast<unsigned char>(line[at])) != 0) {
      block = line[at];
      ++at;
      if (block == 'C') {
        const std::size_t end = line.find('@', at);
        if (end == std::string_view::npos) return fail("checksum block without '@'");
        double value = 0;
        if (!TryParseDouble(line.substr(at, end - at), value)) return fail("checksum is not a number");
        fields.checksum = static_cast<int>(value);
        fields.checksumOk = BvbsChecksum(line.substr(0, at)) == fields.checksum;
        if (end + 1 != line.size()) return fail("text after the checksum block");
        if (legPending) return fail("a leg without its bend angle");
        return fields;
      }
      continue;
    }
    const std::size_t end = line.find('@', at);
    if (end == std::string_view::npos) return fail("a field without its closing '@'");
    const char key = line[at];
    const std::string_view value = line.substr(at + 1, end - at - 1);
    if (block == 'H') {
      fields.header.emplace_back(key, std::string(value));
    } else if (block == 'G') {
      double number = 0;
      if (!TryParseDouble(value, number)) return fail(std::string("geometry field ") + key + " is not a number");
      if (key == 'l') {
        if (legPending) return fail("two legs without a bend angle between them");
        legPending = true;
        pendingLeg = number;
      } else if (key == 'w') {
        if (!legPending) return fail("a bend angle without its leg");
        fields.legs.emplace_back(pendingLeg, number);
        legPending = false;
      }
    } else if (block == 0) {
      return fail("a field before the first block");
    }
    at = end + 1;
  }
  return fail("no checksum block");
}

}  // namespace tessaro
