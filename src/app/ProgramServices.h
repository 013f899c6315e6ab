// The services a program of the system runs with on this machine, put together in one place.
#pragma once

#include "forms/Launch.h"

namespace glw::app {

// The real services: settings store under the user's configuration folder, the desktop shell, the installed
// fonts, JPEG pictures, the system clock and random generator, and movie headers read from the files. The
// clipboard is left to the launcher and the desktop driver.
forms::Services desktopServices();

// Reads a movie's stage size in pixels from its header.
std::optional<forms::MovieSize> readMovieSize(const std::string& hostPath);

// The launcher's options for a program of the system: desktopServices() and the desktop driver when the
// program was built with it.
forms::LaunchOptions launchOptions(forms::DesktopFactory desktop);

} // namespace glw::app
