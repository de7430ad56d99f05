#include "cad/text_metrics.h"

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

FontFace FaceOfFont(std::string_view fontFile) {
  std::string_view name = fontFile;
  if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string lower;
  for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto dot = lower.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : lower.substr(dot + 1);
  if (dot != std::string::npos) lower.erase(dot);
  // A stroke font (".shx", or a bare name like "txt" that CAD programs take as one).
  if (extension == "shx" || lower.empty() || (extension.empty() && lower.size() <= 8 && name == lower)) return {};
  if (extension != "ttf" && extension != "otf" && extension != "ttc") return {std::string(name), false, false};
  // A font file: the families of the common ones, with their bold and italic cuts.
  struct Known {
    const char* file;
    const char* family;
    bool bold, italic;
  };
  static constexpr Known kKnown[] = {
      {"arial", "Arial", false, false},          {"arialbd", "Arial", true, false},
      {"ariali", "Arial", false, true},          {"arialbi", "Arial", true, true},
      {"arialn", "Arial Narrow", false, false},  {"arialnb", "Arial Narrow", true, false},
      {"times", "Times New Roman", false, false}, {"timesbd", "Times New Roman", true, false},
      {"timesi", "Times New Roman", false, true}, {"timesbi", "Times New Roman", true, true},
      {"cour", "Courier New", false, false},     {"courbd", "Courier New", true, false},
      {"couri", "Courier New", false, true},     {"calibri", "Calibri", false, false},
      {"calibrib", "Calibri", true, false},      {"calibrii", "Calibri", false, true},
      {"verdana", "Verdana", false, false},      {"verdanab", "Verdana", true, false},
      {"tahoma", "Tahoma", false, false},        {"tahomabd", "Tahoma", true, false},
      {"consola", "Consolas", false, false},     {"isocpeur", "ISOCPEUR", false, false},
      {"isocteur", "ISOCTEUR", false, false},    {"dejavusans", "DejaVu Sans", false, false},
  };
  for (const Known& k : kKnown) {
    if (lower == k.file) return {k.family, k.bold, k.italic};
  }
  std::string family(name.substr(0, name.find_last_of('.')));
  if (!family.empty()) family[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(family[0])));
  return {family, false, false};
}

}  // namespace tessaro
