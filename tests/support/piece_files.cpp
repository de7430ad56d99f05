#include "support/piece_files.h"

#include <random>

#include "support/temp_folder.h"
#include "text/encoding.h"

namespace tessaro::test {

namespace fs = std::filesystem;

std::string PieceText(const std::map<int, std::string>& lines, int lineCount) {
  std::string piece[11] = {
      "7|1|0",          // stack id, piece number, piece code
      "0|0|0|0",        // bar insets (seat steps)
      "0|0|0|0|0",      // five flags
      "40|30|4|0|300",  // sides, cover, bottom and top level
      "0|0",           "0|0",  // lines 4 and 5, not read
      "3Ø16|2Ø16",      // bars along side 1 (corners included) and side 2
      "12.06|1.005",    // steel area and percentage
      "50|10|20",       // end zone, end and middle spacing
      "2Ø8|2Ø8",        // stirrup legs along side 1 and side 2
      "0|0|0|0|0|0|0",  // offsets, a value, four end lengths (0 counts as 100)
  };
  for (const auto& [number, text] : lines) piece[number] = text;
  std::string text;
  for (int i = 0; i < lineCount; ++i) text += piece[i] + "\r\n";
  return text;
}

std::string WithField(const std::string& text, int line, int field, const std::string& value) {
  std::size_t begin = 0;
  for (int i = 0; i < line; ++i) begin = text.find("\r\n", begin) + 2;
  const std::size_t lineEnd = text.find("\r\n", begin);
  for (int i = 0; i < field; ++i) begin = text.find('|', begin) + 1;
  const std::size_t end = std::min(text.find('|', begin), lineEnd);
  return text.substr(0, begin) + value + text.substr(end);
}

void WritePiece(const fs::path& stacks, const std::string& name, const std::map<int, std::string>& lines,
                int lineCount) {
  WriteBytes(stacks / "Dis" / (name + ".pxf"), Utf8ToCp1252(PieceText(lines, lineCount)));
}

void WriteIndex(const fs::path& stacks, const std::string& id, const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& piece : pieces) text += piece + "\r\n";
  WriteBytes(stacks / ("P" + id + ".pst"), text);
}

void GenerateProject(const fs::path& project, unsigned seed, int stacks) {
  const fs::path folder = project / "Pilastri";
  std::minstd_rand random(seed);
  const auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
  const auto n = [](int value) { return std::to_string(value); };
  for (int s = 1; s <= stacks; ++s) {
    const int pieces = pick(1, 4);
    const bool circular = pick(0, 5) == 0;
    int side1 = pick(6, 14) * 5;
    int side2 = circular ? 0 : pick(6, 14) * 5;
    std::vector<std::string> index;
    for (int p = 0; p < pieces; ++p) {
      const int code = pieces == 1 ? 0 : p == 0 ? 1 : p == pieces - 1 ? 3 : 2;
      const int inset = code == 0 || code == 3 || pick(0, 1) == 0 ? 0 : 30;
      const int d1 = pick(0, 2) == 0 ? 20 : 16;
      const int d2 = pick(0, 3) == 0 ? 14 : d1;
      const int bars1 = circular ? pick(6, 12) : pick(2, 6);
      const int bars2 = pick(0, 4);
      const int endZone = pick(4, 8) * 10, endSpacing = pick(1, 2) * 5, midSpacing = pick(3, 5) * 5;
      const int legs1 = pick(2, 6), stirrupDiameter = pick(0, 1) == 0 ? 8 : 10, legs2 = pick(2, 6);
      const int rowSwitch = pick(0, 3) == 0 ? 50 : 0, endLength = pick(0, 2) * 40;
      index.push_back("S" + n(s) + "_" + n(p + 1));
      WritePiece(folder, index.back(),
                 {{0, n(s) + "|" + n(p + 1) + "|" + n(code)},
                  {1, n(inset) + "|0|" + n(inset) + "|0"},
                  {3, n(side1) + "|" + n(side2) + "|4|" + n(p * 320) + "|" + n((p + 1) * 320)},
                  {6, n(bars1) + "Ø" + n(d1) + "|" + n(bars2) + "Ø" + n(d2)},
                  {7, "12|1"},
                  {8, n(endZone) + "|" + n(endSpacing) + "|" + n(midSpacing)},
                  {9, n(legs1) + "Ø" + n(stirrupDiameter) + "|" + n(legs2) + "Ø8"},
                  {10, "0|0|" + n(rowSwitch) + "|" + n(endLength) + "|0|0|0"}});
      if (pick(0, 2) == 0 && side1 > 30) side1 -= 5;
      if (!circular && pick(0, 2) == 0 && side2 > 30) side2 -= 5;
    }
    WriteIndex(folder, n(s), index);
  }
}

}  // namespace tessaro::test
