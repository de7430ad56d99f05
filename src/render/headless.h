// Qt Gui without a display: what the headless (offscreen) platform needs before the
// application object is made.
#pragma once

namespace tessaro::render {

// Points the headless platform at the system's fonts where it would not find them by itself
// (Windows); an explicit QT_QPA_FONTDIR is kept. Call before the QGuiApplication is made.
void UseSystemFontsWhenHeadless();

// Keeps Qt's regular expressions off their JIT compiler; call before Qt matches anything.
// In the Windows build (mingw-w64) a thread's thread-local storage can be freed before a
// thread_local's destructor runs at thread exit, and Qt keeps one per thread for the JIT's
// stacks: a drawing or sheet painted on a worker thread then faults as the thread ends.
// Matching without the JIT gives the same results and never touches that thread_local; the
// programs match nothing where speed would tell.
void KeepRegexJitOff();

}  // namespace tessaro::render
