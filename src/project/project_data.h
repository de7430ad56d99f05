// The project data file: what the title block of every sheet says about the project
// beyond its folder name. A text file in the project folder that anyone can read and
// write by hand, one "key = value" line per field with Italian keys:
//
//   # Dati del progetto per il cartiglio delle tavole
//   Numero disegno = 2026-017
//   Revisione = B
//   Progettista = Ing. M. Rossi
//   Committente = Logistica Nord S.r.l.
//   Calcestruzzo = C35/45
//   Acciaio = B450C
//   Copriferro = 35 mm
//
// Keys are matched without regard to case or to runs of spaces; lines starting with "#"
// or ";" and blank lines are comments. The file is UTF-8 (with or without a byte-order
// mark); a file that is not valid UTF-8 is read as Windows-1252, as Notepad once wrote it.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

inline constexpr std::string_view kProjectDataFileName = "Dati_progetto.ini";

enum class ProjectField { DrawingNumber, Revision, Designer, Client, Concrete, Steel, Cover };
inline constexpr std::size_t kProjectFieldCount = 7;

// The key written for a field, as it stands in the file: "Numero disegno", "Revisione",
// "Progettista", "Committente", "Calcestruzzo", "Acciaio", "Copriferro".
std::string_view ProjectFieldKey(ProjectField field);

// Every field's value, UTF-8; empty when the file does not give it.
struct ProjectData {
  std::array<std::string, kProjectFieldCount> values;

  const std::string& Get(ProjectField field) const { return values[static_cast<std::size_t>(field)]; }
  void Set(ProjectField field, std::string value) { values[static_cast<std::size_t>(field)] = std::move(value); }
  bool Empty() const;
  friend bool operator==(const ProjectData&, const ProjectData&) = default;
};

// A line of the file that was not taken: the field values of the other lines still are.
struct ProjectDataProblem {
  enum class Kind {
    NoEquals,     // a line that is neither a comment nor "key = value"
    UnknownKey,   // a key that names no field
    RepeatedKey,  // a field given twice: the first value stays
    Unreadable,   // the file exists but could not be read (line 0)
  };
  Kind kind = Kind::NoEquals;
  std::filesystem::path file;
  int line = 0;         // 1-based; 0 for the file as a whole
  std::string text;     // the line (or the reason the file could not be read), UTF-8
};

struct ProjectDataRead {
  ProjectData data;
  std::vector<ProjectDataProblem> problems;
};

// Reads the text of a project data file. `file` names it in the problems.
ProjectDataRead ParseProjectData(std::string_view bytes, const std::filesystem::path& file);

// PROJECT/Dati_progetto.ini, read if it is there: no file gives empty data and no problem.
ProjectDataRead ReadProjectData(const std::filesystem::path& projectFolder);

// The file's text: a comment line, then every field as "key = value" (empty ones too, so
// that who opens the file by hand sees what can be written), CR LF line ends, UTF-8.
std::string ProjectDataText(const ProjectData& data);

// Writes ProjectDataText into PROJECT/Dati_progetto.ini atomically; raises RuntimeError (FileIo).
void WriteProjectData(const std::filesystem::path& projectFolder, const ProjectData& data);

}  // namespace tessaro
