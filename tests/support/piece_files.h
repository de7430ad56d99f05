// Column-stack files for the tests: a piece record with lines replaced, written in
// Windows-1252 as the design program writes it, a stack index, and whole generated projects.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tessaro::test {

// A 40 x 30 piece of stack 7 from 0 to 300 cm, cover 4, bars 3Ø16 and 2Ø16, stirrups 2Ø8
// every 10 cm over 50 cm at the ends and every 20 cm between, as UTF-8 text with CR LF line
// ends; `lines` replaces lines by number, and `lineCount` cuts the file (10: no line 10).
std::string PieceText(const std::map<int, std::string>& lines = {}, int lineCount = 11);
// `text` with field `field` of line `line` (both from 0) replaced by `value`.
std::string WithField(const std::string& text, int line, int field, const std::string& value);

// Writes piece `name` into the Dis folder of the stack folder `stacks`.
void WritePiece(const std::filesystem::path& stacks, const std::string& name,
                const std::map<int, std::string>& lines = {}, int lineCount = 11);
void WriteIndex(const std::filesystem::path& stacks, const std::string& id, const std::vector<std::string>& pieces);

// A project of `stacks` stacks of 1 to 4 storeys with a bit of everything: circular and
// rectangular sections that shrink upward, seat steps, two bar diameters, 2 to 6 stirrup
// legs, the row-count switch of line 10; the same project for the same seed.
void GenerateProject(const std::filesystem::path& project, unsigned seed, int stacks);

}  // namespace tessaro::test
