// The window-wide state of the desktop program: the project and stack being shown, the
// drawing options (inside the stack session), whether the view reacts to the mouse and
// the two-point pick tools. One object, owned by the main window.
#pragma once

#include <QString>

#include "column_stack/stack_load.h"
#include "view/pick_tools.h"

namespace tessaro::shell {

struct ShellState {
  QString projectFolder;      // the command line, or the program's folder
  QString columnStackFolder;  // projectFolder + "/Pilastri"
  QString currentStackId;     // text of the chosen stack-list entry
  QString drawingName;        // "Pilastrata_" + id after a load; default name when saving
  StackSession session;       // drawing options, previous-piece records, per-stack arrays
  bool viewEnabled = false;   // whether mouse and wheel act on the drawing
  view::PickState pick;

  DrawOptions& options() { return session.options; }
};

// QString to filesystem path without going through the local 8-bit code page; UTF-8 to QString.
std::filesystem::path ToPath(const QString& text);
QString FromUtf8(const std::string& text);

}  // namespace tessaro::shell
