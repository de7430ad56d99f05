// The project data form: one line edit per field of the project data file.
#include "shell/project_data_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tessaro {
namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

ProjectDataDialog::ProjectDataDialog(const ProjectData& data, const QString& notes, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Dati progetto"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("Dati del cartiglio delle tavole, salvati in %1 nella cartella del progetto.")
                               .arg(FromUtf8(std::string(kProjectDataFileName))),
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  if (!notes.isEmpty()) {
    auto* problems = new QLabel(notes, this);
    problems->setWordWrap(true);
    problems->setObjectName(QStringLiteral("problems"));
    layout->addWidget(problems);
  }
  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < kProjectFieldCount; ++i) {
    const auto field = static_cast<ProjectField>(i);
    fields_[i] = new QLineEdit(FromUtf8(data.Get(field)), this);
    form->addRow(FromUtf8(std::string(ProjectFieldKey(field))), fields_[i]);
  }
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

ProjectData ProjectDataDialog::Data() const {
  ProjectData data;
  for (std::size_t i = 0; i < kProjectFieldCount; ++i) {
    data.Set(static_cast<ProjectField>(i), fields_[i]->text().trimmed().toStdString());
  }
  return data;
}

QString DescribeProjectDataProblems(const ProjectDataRead& read) {
  QStringList lines;
  for (const ProjectDataProblem& p : read.problems) {
    QString where = FromUtf8(p.file.filename().string());
    if (p.line > 0) where += QStringLiteral(", riga %1").arg(p.line);
    const QString text = FromUtf8(p.text);
    switch (p.kind) {
      case ProjectDataProblem::Kind::NoEquals:
        lines << QStringLiteral("%1: manca \"chiave = valore\", riga ignorata: %2").arg(where, text);
        break;
      case ProjectDataProblem::Kind::UnknownKey:
        lines << QStringLiteral("%1: chiave sconosciuta, riga ignorata: %2").arg(where, text);
        break;
      case ProjectDataProblem::Kind::RepeatedKey:
        lines << QStringLiteral("%1: chiave ripetuta, vale la prima: %2").arg(where, text);
        break;
      case ProjectDataProblem::Kind::Unreadable:
        lines << QStringLiteral("%1: file non leggibile: %2").arg(where, text);
        break;
    }
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace tessaro
