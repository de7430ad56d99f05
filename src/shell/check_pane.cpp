// The findings pane and its option.
#include "shell/check_pane.h"

#include <QAction>
#include <QListWidget>

namespace tessaro::shell {

CheckPane::CheckPane(QWidget* parent)
    : QDockWidget(QStringLiteral("Verifica"), parent),
      list_(new QListWidget(this)),
      marks_(new QAction(QStringLiteral("Posizioni nel disegno"), this)) {
  setObjectName(QStringLiteral("CheckPane"));
  list_->setObjectName(QStringLiteral("CheckList"));
  list_->setWordWrap(false);
  setWidget(list_);
  marks_->setObjectName(QStringLiteral("PositionMarks"));
  marks_->setCheckable(true);
  SetFindings(nullptr);
}

void CheckPane::SetFindings(const std::vector<Finding>* findings, const QString& source) {
  list_->clear();
  list_->setEnabled(findings != nullptr);
  if (findings == nullptr) {
    setWindowTitle(QStringLiteral("Verifica"));
    return;
  }
  const QString from = source.isEmpty() ? QString() : QStringLiteral(" - ") + source;
  setWindowTitle(QStringLiteral("Verifica%1 (%2)").arg(from).arg(findings->size()));
  if (findings->empty()) list_->addItem(QStringLiteral("Nessun rilievo: il disegno rispetta le regole."));
  for (const Finding& finding : *findings) list_->addItem(QString::fromStdString(FindingText(finding)));
}

}  // namespace tessaro::shell
