// The bending-machine file of a stack in the BVBS exchange format: one BF2D record per bar
// mark, each a line of "@"-separated fields: the header block (project, drawing, index,
// position, length, count, weight, diameter, steel grade, mandrel), the geometry block
// (legs and bends of the bent shape as outside dimensions, see schedule/bending.h; the
// mandrel s is that of the bending rules) and the checksum block. A hoop is one curved
// leg with its radius (r) between its two hooks.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/schedule.h"

namespace tessaro {

struct BvbsOptions {
  std::string project;               // j: the project's name
  std::string steelGrade = "B450C";  // g
};

// "Pilastrata_<id>.abs".
std::string BvbsFileName(std::string_view stackId);

// The check value of a record: 96 - (sum of the character codes, up to and with the "C"
// that opens the checksum block, mod 32).
int BvbsChecksum(std::string_view recordUpToC);

// One record without its line end; nullopt for a row with nothing to bend (no bar, a
// length not above 0).
std::optional<std::string> BvbsRecord(const ScheduleRow& row, std::string_view drawing, const BvbsOptions& options);
// Every record of the stack, each ended by CR LF; the drawing is "Pilastrata_<id>".
std::string BvbsText(const StackSchedule& schedule, const BvbsOptions& options);
void WriteBvbs(const std::filesystem::path& path, const StackSchedule& schedule, const BvbsOptions& options);

// A record read back: its fields by block, lengths in mm and angles in degrees.
struct BvbsRecordFields {
  std::string type;                                       // "BF2D"
  std::vector<std::pair<char, std::string>> header;       // in order: 'j', 'r', 'i', 'p', 'l', ...
  std::vector<std::pair<double, double>> legs;            // (l, w) of the geometry block
  std::vector<double> radii;                              // r of each leg (0: straight)
  int checksum = -1;                                      // as written
  bool checksumOk = false;                                // matches the record's characters

  // The header field `key`, or "" when absent.
  std::string Header(char key) const;
};

// Reads one record; nullopt with `error` set when it is not a well-formed record.
std::optional<BvbsRecordFields> ReadBvbsRecord(std::string_view line, std::string& error);

}  // namespace tessaro
