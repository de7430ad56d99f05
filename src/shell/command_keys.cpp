// The command keys.
#include "shell/command_keys.h"

#include "shell/main_window.h"

namespace tessaro::shell {

std::vector<std::pair<int, QList<QKeySequence>>> CommandShortcuts() {
  using K = QKeySequence;
  return {
      {kCmdOpenProject, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}},
      {kCmdOpenDxf, {K(K::Open)}},
      {kCmdSaveDxf, {K(K::Save)}},
      {kCmdReload, {K(Qt::Key_F5)}},
      {kCmdExportPdf, {K(Qt::CTRL | Qt::Key_E)}},
      {kCmdExportSchedule, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_D)}},
      {kCmdExportBvbs, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_B)}},
      {kCmdPrint, {K(K::Print)}},
      {kCmdPrintPreview, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_P)}},
      {kCmdExit, {K(Qt::CTRL | Qt::Key_Q)}},
      {kCmdZoomExtents, {K(Qt::Key_Home)}},
      {kCmdZoomWindow, {K(Qt::CTRL | Qt::Key_W)}},
      {kCmdZoomPrevious, {K(Qt::CTRL | Qt::Key_Z)}},
      {kCmdZoomIn, {K(Qt::CTRL | Qt::Key_Plus), K(Qt::CTRL | Qt::Key_Equal)}},
      {kCmdZoomOut, {K(Qt::CTRL | Qt::Key_Minus)}},
      {kCmdPan, {K(Qt::CTRL | Qt::Key_G)}},
      {kCmdMeasure, {K(Qt::CTRL | Qt::Key_M)}},
      {kCmdDarkBackground, {K(Qt::CTRL | Qt::Key_B)}},
  };
}

}  // namespace tessaro::shell
