// The window-wide state of the desktop program: the project and stack being shown, the
// drawing options (inside the stack session), whether the view reacts to the mouse and
// the two-point pick tools. One object, owned by the main window.
#pragma once

#include <QString>

#include "column_stack/stack_load.h"

namespace tessaro::shell {

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

struct ShellState {
  QString projectFolder;      // the command line, or the program's folder
  QString columnStackFolder;  // projectFolder + "/Pilastri"
  QString currentStackId;     // text of the chosen stack-list entry
  QString drawingName;        // "Pilastrata_" + id after a load; default name when saving
  StackSession session;       // drawing options, previous-piece records, per-stack arrays
  bool viewEnabled = false;   // whether mouse and wheel act on the drawing
  PickState pick;

  DrawOptions& options() { return session.options; }
};

// QString to filesystem path without going through the local 8-bit code page; UTF-8 to QString.
std::filesystem::path ToPath(const QString& text);
QString FromUtf8(const std::string& text);

}  // namespace tessaro::shell
