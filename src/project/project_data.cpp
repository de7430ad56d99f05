// The project data file: parsed line by line, every problem kept as a value with its line.
#include "project/project_data.h"

#include <algorithm>
#include <cctype>

#include "base/errors.h"
#include "os/atomic_file.h"
#include "os/file_read.h"
#include "text/encoding.h"

namespace tessaro {
namespace {

constexpr std::array<std::string_view, kProjectFieldCount> kKeys = {
    "Numero disegno", "Revisione", "Progettista", "Committente", "Calcestruzzo", "Acciaio", "Copriferro"};

// Other spellings a hand may write for the same fields.
struct Alias {
  std::string_view key;
  ProjectField field;
};
constexpr Alias kAliases[] = {
    {"disegno", ProjectField::DrawingNumber},           {"n. disegno", ProjectField::DrawingNumber},
    {"numero tavola", ProjectField::DrawingNumber},     {"rev.", ProjectField::Revision},
    {"rev", ProjectField::Revision},                    {"classe calcestruzzo", ProjectField::Concrete},
    {"classe acciaio", ProjectField::Steel},            {"copriferro (mm)", ProjectField::Cover},
    {"cliente", ProjectField::Client},
};

constexpr std::uintmax_t kMaxFileBytes = 64 * 1024;

std::string_view Trim(std::string_view s) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

// Lower case (ASCII) with every run of blanks made one space.
std::string KeyOf(std::string_view s) {
  std::string key;
  bool blank = false;
  for (char c : Trim(s)) {
    if (c == ' ' || c == '\t') {
      blank = true;
      continue;
    }
    if (blank && !key.empty()) key += ' ';
    blank = false;
    key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

std::optional<ProjectField> FieldOf(std::string_view text) {
  const std::string key = KeyOf(text);
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (key == KeyOf(kKeys[i])) return static_cast<ProjectField>(i);
  }
  for (const Alias& alias : kAliases) {
    if (key == alias.key) return alias.field;
  }
  return std::nullopt;
}

}  // namespace

std::string_view ProjectFieldKey(ProjectField field) { return kKeys[static_cast<std::size_t>(field)]; }

bool ProjectData::Empty() const {
  return std::all_of(values.begin(), values.end(), [](const std::string& v) { return v.empty(); });
}

ProjectDataRead ParseProjectData(std::string_view bytes, const std::filesystem::path& file) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::string text = IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
  ProjectDataRead read;
  std::array<bool, kProjectFieldCount> given{};
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    ++number;
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const auto problem = [&](ProjectDataProblem::Kind kind) {
      read.problems.push_back({kind, file, number, std::string(line)});
    };
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)).empty()) {
      problem(ProjectDataProblem::Kind::NoEquals);
      continue;
    }
    const std::optional<ProjectField> field = FieldOf(line.substr(0, equals));
    if (!field) {
      problem(ProjectDataProblem::Kind::UnknownKey);
      continue;
    }
    const std::size_t index = static_cast<std::size_t>(*field);
    if (given[index]) {
      problem(ProjectDataProblem::Kind::RepeatedKey);
      continue;
    }
    given[index] = true;
    read.data.values[index] = std::string(Trim(line.substr(equals + 1)));
  }
  return read;
}

ProjectDataRead ReadProjectData(const std::filesystem::path& projectFolder) {
  const std::filesystem::path file = projectFolder / std::string(kProjectDataFileName);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return {};
  try {
    return ParseProjectData(ReadRegularFile(file, kMaxFileBytes), file);
  } catch (const RuntimeError& e) {
    ProjectDataRead read;
    read.problems.push_back({ProjectDataProblem::Kind::Unreadable, file, 0, e.what()});
    return read;
  }
}

std::string ProjectDataText(const ProjectData& data) {
  std::string text = "# Dati del progetto per il cartiglio delle tavole (chiave = valore)\r\n";
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    text.append(kKeys[i]).append(" = ").append(std::string(Trim(data.values[i]))).append("\r\n");
  }
  return text;
}

void WriteProjectData(const std::filesystem::path& projectFolder, const ProjectData& data) {
  const std::string text = ProjectDataText(data);
  WriteFileAtomically(projectFolder / std::string(kProjectDataFileName), "project data file",
                      [&](const FileBlockSink& sink) { sink(text); });
}

}  // namespace tessaro
