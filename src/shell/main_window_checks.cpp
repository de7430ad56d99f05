// The drawing's checks in the window: the "Verifica" pane tabbed with "Distinta ferri",
// filled whenever a whole stack is drawn, and the position marks drawn when asked for.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "shell/check_pane.h"
#include "shell/main_window.h"

namespace tessaro::shell {

void MainWindow::CreateCheckPane() {
  checkPane_ = new CheckPane(this);
  addDockWidget(Qt::BottomDockWidgetArea, checkPane_);
  tabifyDockWidget(schedulePane_, checkPane_);
  schedulePane_->raise();
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
    if (menu->title() != QStringLiteral("Visualizza")) continue;
    menu->addAction(checkPane_->toggleViewAction());
    menu->addAction(checkPane_->MarksAction());
  }
  connect(checkPane_->MarksAction(), &QAction::triggered, this, [this] { FlipPositionMarks(); });
}

void MainWindow::ShowChecks(const std::string& id, const BarRecorder& bars) {
  if (!schedule_) {
    checkPane_->SetFindings(nullptr);
    return;
  }
  const std::vector<Finding> findings = CheckStack(id, bars, *schedule_);
  checkPane_->SetFindings(&findings);
  if (checkPane_->MarksAction()->isChecked()) DrawPositionMarks(drawing_, *schedule_);
}

}  // namespace tessaro::shell
