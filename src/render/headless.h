// Qt Gui without a display: what the headless (offscreen) platform needs before the
// application object is made.
#pragma once

namespace tessaro::render {

// Points the headless platform at the system's fonts where it would not find them by itself
// (Windows); an explicit QT_QPA_FONTDIR is kept. Call before the QGuiApplication is made.
void UseSystemFontsWhenHeadless();

}  // namespace tessaro::render
