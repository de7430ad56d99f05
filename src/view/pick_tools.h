// The mouse side of the view tools: what a button press, a move and a release over the
// drawing do to the two-point tools (zoom window, pan). Kept apart from the widget so the
// order of the steps can be tested with a recording view.
#pragma once

#include "text/numbers.h"

namespace tessaro::view {

// The two-point view tools (zoom window, pan): each goes idle -> pending (started) ->
// active (first point taken) -> idle (acted). Both can be armed at once.
struct PickState {
  bool windowPickPending = false;
  bool windowPickActive = false;
  bool panPickPending = false;
  bool panPickActive = false;
  Single pickX = 0;  // first point of the active tool, drawing units
  Single pickY = 0;
};


// Cursor feedback of the view.
enum PointerState : int {
  kPointerDefault = 0,
  kPointerPicking = 2,  // a pick waits for its point
  kPointerIdle = 3,     // idle over an enabled view
};

// Mouse buttons as the view reports them.
enum MouseButtonCode : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// What the pick tools ask of the view. Coordinates are drawing units.
class ViewTools {
public:
  virtual ~ViewTools() = default;
  virtual void ZoomWindow(Single x1, Single y1, Single x2, Single y2) = 0;
  virtual void PanView(Single x1, Single y1, Single x2, Single y2) = 0;
  virtual void DrawRubberRectangle(Single x1, Single y1, Single x2, Single y2) = 0;
  virtual void DrawRubberLine(Single x1, Single y1, Single x2, Single y2) = 0;
  virtual int PointerState() const = 0;
  virtual void SetPointerState(int state) = 0;
  // Takes away the rubber shape of a tool that was cancelled.
  virtual void ClearRubberShapes() {}
};

// Right button arms a pan, middle button a zoom window; other buttons do nothing.
void ViewMouseDown(PickState& pick, ViewTools& view, int button);

// Shows the rubber shape of an active tool and sets the idle cursor.
void ViewMouseMove(PickState& pick, ViewTools& view, bool viewEnabled, Single x, Single y);

// Advances every armed tool by one step: window acts, window takes its point, pan acts,
// pan takes its point, in this order, each on the state the steps before it left.
void ViewMouseUp(PickState& pick, ViewTools& view, Single x, Single y);

// Commands that start a tool; the first point is taken at the next button release.
void StartZoomWindow(PickState& pick, ViewTools& view);
void StartPan(PickState& pick, ViewTools& view);

// Escape: every armed or active tool goes back to rest, its rubber shape goes away.
void CancelPicks(PickState& pick, ViewTools& view);

}  // namespace tessaro::view
