// Where the system keeps its fonts, for Qt's headless platform: on Windows it looks for
// fonts only beside Qt's own libraries, which a statically linked program does not have.
#pragma once

#include <filesystem>

namespace tessaro {

// The system's font folder (Windows: the Fonts folder of the Windows folder); empty where
// the headless platform finds the fonts by itself (fontconfig on Linux).
std::filesystem::path SystemFontFolder();

}  // namespace tessaro
