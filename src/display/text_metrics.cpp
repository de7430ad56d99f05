#include "display/text_metrics.h"

#include <cctype>

namespace tessaro {

double EstimatedTextMetrics::Advance(std::string_view text, const FontFace& face) const {
  double units = 0.0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte of a UTF-8 character
    units += c == ' ' ? 0.4 : c == 'i' || c == 'l' || c == '.' || c == ',' || c == '1' ? 0.4
                                                                                        : std::isupper(byte) ? 0.95 : 0.8;
  }
  return units * (face.bold ? 1.08 : 1.0);
}

std::string FontFamilyOfStyle(std::string_view fontFile) {
  std::string_view name = fontFile;
  if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const auto dot = name.find_last_of('.');
  std::string extension;
  if (dot != std::string_view::npos) {
    for (const char c : name.substr(dot + 1)) extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    name = name.substr(0, dot);
  }
  if (extension == "shx" || name.empty()) return {};
  if (extension != "ttf" && extension != "otf" && extension != "ttc") return std::string(name);
  // A font file's name: its family in lower case, perhaps with a style suffix.
  std::string lower;
  for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Known {
    const char* file;
    const char* family;
  };
  static constexpr Known kKnown[] = {
      {"arial", "Arial"},       {"arialbd", "Arial"},          {"ariali", "Arial"},   {"arialn", "Arial Narrow"},
      {"times", "Times New Roman"}, {"timesbd", "Times New Roman"}, {"cour", "Courier New"}, {"calibri", "Calibri"},
      {"verdana", "Verdana"},   {"tahoma", "Tahoma"},          {"isocpeur", "ISOCPEUR"}, {"simplex", ""},
      {"dejavusans", "DejaVu Sans"}, {"liberationsans-regular", "Liberation Sans"}, {"consola", "Consolas"},
  };
  for (const Known& k : kKnown) {
    if (lower == k.file) return k.family;
  }
  std::string family(name);
  if (!family.empty()) family[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(family[0])));
  return family;
}

}  // namespace tessaro
