// The one place that chooses every service of a program of the system.
#pragma once

#include "forms/Launch.h"

namespace glw::app {

// Every service of a program: the settings store under the user's configuration folder, the desktop shell,
// JPEG pictures, the system clock and random generator, the browsers' URL cache, the registry, movie
// headers read from the files; with `windows`, the desktop's clipboard and fonts (the Qt ones), else the
// fontconfig fonts and a clipboard of the process. GLW_CLIPBOARD=<file> keeps the clipboard text in a file
// instead, so that headless processes can hand text to each other.
forms::Services programServices(bool windows);

// The launcher's options for a program of the system: programServices() and, when the build has it, the
// desktop renderer.
forms::LaunchOptions launchOptions();

} // namespace glw::app
