// The desktop front end's entry point: the Qt driver for a program's runtime, when there is a display.
#pragma once

#include "forms/Runtime.h"

#include <memory>

namespace glw::qt {

// True when a display can be reached: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a platform
// (offscreen for tests).
bool displayAvailable();

// Returns the desktop driver for `runtime`, or null when there is no display (the caller then runs without
// windows; the launcher says so). Creates the QApplication on the first call (argc and argv must outlive it,
// as main's do); later calls reuse it. Also puts the desktop's clipboard (unless GLW_CLIPBOARD asks for the
// file clipboard) and its font list into the runtime's services, and the primary screen's size into Screen.
// Suitable as forms::LaunchOptions::desktop.
std::unique_ptr<forms::UiDriver> makeDesktopDriver(forms::Runtime& runtime, int argc, char** argv);

} // namespace glw::qt
