// The project data file read line by line (a table of good and bad lines, each problem
// with its file and line), written and read back, and its absence.
#include <gtest/gtest.h>

#include <filesystem>

#include "project/project_data.h"
#include "support/temp_folder.h"

using namespace tessaro;
using Kind = ProjectDataProblem::Kind;

namespace {

struct LineCase {
  const char* line;
  std::optional<ProjectField> field;  // the field the line sets
  const char* value;
  std::optional<Kind> problem;
};

const LineCase kLines[] = {
    {"Numero disegno = 2026-017", ProjectField::DrawingNumber, "2026-017", {}},
    {"  numero   DISEGNO\t=  T-04  ", ProjectField::DrawingNumber, "T-04", {}},  // case, blanks
    {"Rev. = C", ProjectField::Revision, "C", {}},
    {"Progettista = Ing. M. Rossi", ProjectField::Designer, "Ing. M. Rossi", {}},
    {"Committente = A = B", ProjectField::Client, "A = B", {}},  // the first "=" splits
    {"Calcestruzzo = C35/45", ProjectField::Concrete, "C35/45", {}},
    {"Acciaio = B450C", ProjectField::Steel, "B450C", {}},
    {"Copriferro = 35 mm", ProjectField::Cover, "35 mm", {}},
    {"Revisione =", ProjectField::Revision, "", {}},               // given empty
    {"# Revisione = X", {}, "", {}},                               // comments and blanks
    {"; Revisione = X", {}, "", {}},
    {"Revisione B", {}, "", Kind::NoEquals},
    {"= B", {}, "", Kind::NoEquals},
    {"Classe esposizione = XC3", {}, "", Kind::UnknownKey},
};

TEST(ProjectData, EachLineAloneSetsItsFieldOrIsReported) {
  for (const LineCase& c : kLines) {
    const ProjectDataRead read = ParseProjectData(std::string("\n") + c.line + "\r\n", "Dati_progetto.ini");
    ProjectData expected;
    if (c.field) expected.Set(*c.field, c.value);
    EXPECT_EQ(read.data, expected) << c.line;
    ASSERT_EQ(read.problems.size(), c.problem ? 1u : 0u) << c.line;
    if (c.problem) {
      EXPECT_EQ(read.problems[0].kind, *c.problem) << c.line;
      EXPECT_EQ(read.problems[0].line, 2) << c.line;
      EXPECT_EQ(read.problems[0].file, std::filesystem::path("Dati_progetto.ini"));
      EXPECT_EQ(read.problems[0].text, std::string(c.line).substr(std::string(c.line).find_first_not_of(' ')));
    }
  }
}

TEST(ProjectData, RepeatedKeyKeepsTheFirstAndEncodingsAreRead) {
  const ProjectDataRead read =
      ParseProjectData("\xEF\xBB\xBFProgettista = Ing. N\xC3\xA8gri\nProgettista = altro\n", "f.ini");
  EXPECT_EQ(read.data.Get(ProjectField::Designer), "Ing. N\xC3\xA8gri");  // BOM dropped, UTF-8 kept
  ASSERT_EQ(read.problems.size(), 1u);
  EXPECT_EQ(read.problems[0].kind, Kind::RepeatedKey);
  EXPECT_EQ(read.problems[0].line, 2);
  // Windows-1252 as an older editor saved it: è is E8.
  EXPECT_EQ(ParseProjectData("Committente = Societ\xE0 Ed\xE8n\r\n", "f.ini").data.Get(ProjectField::Client),
            "Societ\xC3\xA0 Ed\xC3\xA8n");
}

TEST(ProjectData, WrittenFileReadsBackAndNoFileIsNoProblem) {
  const test::TempFolder temp;
  const std::filesystem::path& folder = temp.path();
  EXPECT_TRUE(ReadProjectData(folder).data.Empty());
  EXPECT_TRUE(ReadProjectData(folder).problems.empty());
  ProjectData data;
  data.Set(ProjectField::DrawingNumber, "T-12");
  data.Set(ProjectField::Client, "Polo = Logistico");
  data.Set(ProjectField::Cover, "40 mm");
  WriteProjectData(folder, data);
  const ProjectDataRead read = ReadProjectData(folder);
  EXPECT_EQ(read.data, data);
  EXPECT_TRUE(read.problems.empty());
  // The empty keys stand in the file too, for whoever edits it by hand.
  EXPECT_NE(ProjectDataText(data).find("Progettista = "), std::string::npos);
  // A folder where the file should be: reported for the file as a whole, no data.
  std::filesystem::create_directories(folder / "sub" / std::string(kProjectDataFileName));
  const ProjectDataRead unreadable = ReadProjectData(folder / "sub");
  EXPECT_TRUE(unreadable.data.Empty());
  ASSERT_EQ(unreadable.problems.size(), 1u);
  EXPECT_EQ(unreadable.problems[0].kind, Kind::Unreadable);
  EXPECT_EQ(unreadable.problems[0].line, 0);
}

}  // namespace
