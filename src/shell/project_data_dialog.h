// "Dati progetto...": the project data file (Dati_progetto.ini in the project folder) shown
// and edited in a form, the title block's drawing number, revision, designer, client and
// materials.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <array>

#include "project/project_data.h"

namespace tessaro {

class ProjectDataDialog : public QDialog {
public:
  // `notes`: what was not taken from the file, shown above the fields (empty: nothing).
  ProjectDataDialog(const ProjectData& data, const QString& notes, QWidget* parent = nullptr);
  ProjectData Data() const;
  QLineEdit* Field(ProjectField field) const { return fields_[static_cast<std::size_t>(field)]; }

private:
  std::array<QLineEdit*, kProjectFieldCount> fields_{};
};

// The problems of a read in Italian, one line each: "Dati_progetto.ini, riga 4: ...".
QString DescribeProjectDataProblems(const ProjectDataRead& read);

}  // namespace tessaro
