// The "Verifica" pane beside "Distinta ferri": the findings of the drawing's checks for
// the stack on show, one line each, and the option that puts the schedule's position
// numbers in the drawing.
#pragma once

#include <QDockWidget>
#include <vector>

#include "check/check.h"

class QAction;
class QListWidget;

namespace tessaro::shell {

class CheckPane : public QDockWidget {
  Q_OBJECT
public:
  explicit CheckPane(QWidget* parent);

  // The findings of the stack drawn whole; nullptr when no whole stack is on show. With
  // `source` ("Genera dxf"), the findings of a whole run, named so in the title.
  void SetFindings(const std::vector<tessaro::Finding>* findings, const QString& source = {});

  QListWidget* List() const { return list_; }
  // "Posizioni nel disegno": checkable, off at start.
  QAction* MarksAction() const { return marks_; }

private:
  QListWidget* list_;
  QAction* marks_;
};

}  // namespace tessaro::shell
