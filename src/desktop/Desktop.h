// The desktop front end's entry point: the Qt driver for a program's runtime, when there is a display.
#pragma once

#include "forms/Runtime.h"

#include <memory>

namespace glw::qt {

// True when a display can be reached: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a platform
// (offscreen for tests).
bool displayAvailable();

// Opens the desktop: creates the QApplication on the first call (argc and argv must outlive it, as main's
// do; later calls reuse it). False when there is no display to draw on. Suitable as
// forms::LaunchOptions::openDesktop.
bool openDesktop(int argc, char** argv);

class MovieViews;

// The desktop driver of `runtime`, once the desktop is open; `movieViews` is how movie controls show (null:
// their outlines).
std::unique_ptr<forms::UiDriver> makeDesktopDriver(forms::Runtime& runtime,
                                                   std::shared_ptr<MovieViews> movieViews = {});

// Both at once: the driver, or null when there is no display.
std::unique_ptr<forms::UiDriver> makeDesktopDriver(forms::Runtime& runtime, int argc, char** argv);

} // namespace glw::qt
