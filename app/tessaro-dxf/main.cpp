// tessaro-dxf: a DXF drawing's contents, or its picture, from the command line.
#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "dxf_tool.h"
#include "render/headless.h"

int main(int argc, char** argv) {
  // Headless unless a display is there: the tool never opens a window.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  tessaro::render::UseSystemFontsWhenHeadless();
  tessaro::render::KeepRegexJitOff();
  QGuiApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return tessaro::dxftool::Run(args, std::cout, std::cerr);
}
