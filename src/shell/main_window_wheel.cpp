// Mouse-wheel zoom. The view does not take the wheel itself: the window watches every
// wheel event of its native window, finds which of its controls lies under the pointer by
// screen rectangles and zooms the drawing one step when that is the view area.
#include <QComboBox>
#include <QMenuBar>
#include <QToolBar>
#include <QWheelEvent>
#include <QWindow>
#include <vector>

#include "view/drawing_view.h"
#include "shell/main_window.h"

namespace tessaro::shell {
namespace {

constexpr float kWheelStepPercent = 6;
constexpr float kNoTargetPercent = 12;

// A control's screen rectangle, right and bottom edges included.
bool IsPointInWidget(const QWidget& widget, int x, int y) {
  const QPoint topLeft = widget.mapToGlobal(QPoint(0, 0));
  return x >= topLeft.x() && x <= topLeft.x() + widget.width() && y >= topLeft.y() &&
         y <= topLeft.y() + widget.height();
}

int MouseKeysOf(const QWheelEvent& event) {
  int keys = 0;
  if (event.buttons().testFlag(Qt::LeftButton)) keys |= 0x1;
  if (event.buttons().testFlag(Qt::RightButton)) keys |= 0x2;
  if (event.modifiers().testFlag(Qt::ShiftModifier)) keys |= 0x4;
  if (event.modifiers().testFlag(Qt::ControlModifier)) keys |= 0x8;
  if (event.buttons().testFlag(Qt::MiddleButton)) keys |= 0x10;
  return keys;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == hookedWindow_ && event->type() == QEvent::Wheel) {
    const auto& wheel = static_cast<const QWheelEvent&>(*event);
    const QPoint global = wheel.globalPosition().toPoint();
    const int rotation = wheel.angleDelta().y();
    if (rotation != 0 && frameGeometry().contains(global)) {
      MouseWheel(MouseKeysOf(wheel), rotation, global.x(), global.y());
      // A list under the pointer only takes the focus: a wheel turn must not choose another
      // stack (or layer) by scrolling through its entries.
      for (const QComboBox* list : {quoteBox_, stackList_, layerList_}) {
        if (list->isVisible() && IsPointInWidget(*list, global.x(), global.y())) return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);  // the event goes on to the controls as well
}

void MainWindow::MouseWheel(int mouseKeys, int rotation, int globalX, int globalY) {
  enum class Role { ViewArea, TakesFocus, CommandBars };
  struct Target {
    QWidget* widget;
    Role role;
    bool enabled;
  };
  // The window's controls in their order; the lists come before the bars that hold them.
  std::vector<Target> targets = {
      {view_, Role::ViewArea, state_.viewEnabled},
      {quoteBox_, Role::TakesFocus, quoteBox_->isEnabled()},
      {stackList_, Role::TakesFocus, stackList_->isEnabled()},
      {layerList_, Role::TakesFocus, layerList_->isEnabled()},
      {menuBar(), Role::CommandBars, menuBar()->isEnabled()},
  };
  for (QToolBar* bar : findChildren<QToolBar*>()) targets.push_back({bar, Role::CommandBars, bar->isEnabled()});

  for (const Target& target : targets) {
    if (!target.widget->isVisible() || !target.enabled) continue;
    if (!IsPointInWidget(*target.widget, globalX, globalY)) continue;
    switch (target.role) {
      case Role::ViewArea:
        try {
          DXFReaderZoom(mouseKeys, rotation, globalX, globalY);
        } catch (const std::exception&) {
        }
        return;
      case Role::TakesFocus:
        target.widget->setFocus(Qt::MouseFocusReason);
        return;
      case Role::CommandBars:
        return;
    }
  }
  view_->SetZoomInOutPercent(kNoTargetPercent);
}

void MainWindow::DXFReaderZoom(int, int rotation, int globalX, int globalY) {
  view_->SetZoomInOutPercent(kWheelStepPercent);
  // One step per wheel event whatever its size, about the drawing point under the pointer.
  const QPointF anchor = view_->ToDrawing(view_->mapFromGlobal(QPointF(globalX, globalY)));
  if (rotation >= 0) {
    view_->ZoomIn(anchor);
  } else {
    view_->ZoomOut(anchor);
  }
}

}  // namespace tessaro::shell
