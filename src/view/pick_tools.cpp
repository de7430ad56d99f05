// The two-point view tools driven by the mouse events of the view.
#include "view/pick_tools.h"

namespace tessaro::view {

void StartZoomWindow(PickState& pick, ViewTools& view) {
  pick.windowPickPending = true;
  view.SetPointerState(kPointerPicking);
}

void StartPan(PickState& pick, ViewTools& view) {
  pick.panPickPending = true;
  view.SetPointerState(kPointerPicking);
}

void CancelPicks(PickState& pick, ViewTools& view) {
  const bool armed = pick.windowPickPending || pick.windowPickActive || pick.panPickPending || pick.panPickActive;
  pick.windowPickPending = pick.windowPickActive = pick.panPickPending = pick.panPickActive = false;
  if (!armed) return;
  view.ClearRubberShapes();
  view.SetPointerState(kPointerIdle);
}

void ViewMouseDown(PickState& pick, ViewTools& view, int button) {
  if (button == kRightButton) StartPan(pick, view);
  if (button == kMiddleButton) StartZoomWindow(pick, view);
}

void ViewMouseMove(PickState& pick, ViewTools& view, bool viewEnabled, Single x, Single y) {
  if (pick.windowPickActive) view.DrawRubberRectangle(pick.pickX, pick.pickY, x, y);
  if (pick.panPickActive) view.DrawRubberLine(pick.pickX, pick.pickY, x, y);
  // A waiting pick keeps its cross-hair; otherwise the cursor says whether the view listens.
  if (!viewEnabled) {
    view.SetPointerState(kPointerDefault);
  } else if (view.PointerState() != kPointerPicking) {
    view.SetPointerState(kPointerIdle);
  }
}

void ViewMouseUp(PickState& pick, ViewTools& view, Single x, Single y) {
  if (pick.windowPickActive) {
    view.ZoomWindow(pick.pickX, pick.pickY, x, y);
    pick.windowPickActive = false;
    view.SetPointerState(kPointerIdle);
  }
  if (pick.windowPickPending) {
    pick.pickX = x;
    pick.pickY = y;
    pick.windowPickPending = false;
    pick.windowPickActive = true;
  }
  if (pick.panPickActive) {
    view.PanView(pick.pickX, pick.pickY, x, y);
    pick.panPickActive = false;
    view.SetPointerState(kPointerIdle);
  }
  if (pick.panPickPending) {
    view.SetPointerState(kPointerPicking);
    pick.pickX = x;
    pick.pickY = y;
    pick.panPickPending = false;
    pick.panPickActive = true;
  }
}

}  // namespace tessaro::view
