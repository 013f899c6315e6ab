// The body of every program's main: the launcher with the real services and, when the program was built
// with the desktop front end (GLW_HAVE_DESKTOP on its target), the Qt renderer.
#pragma once

#include "common/ProgramServices.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

namespace glw::common {

// Runs the program whose start-up `start` makes and shows; returns the process's exit code. With
// `endOnSignals`, SIGTERM, SIGINT and SIGHUP end it as its own exit does (see LaunchOptions).
inline int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start, bool endOnSignals = false) {
    forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = qt::makeDesktopDriver;
#endif
    forms::LaunchOptions options = launchOptions(desktop);
    options.endOnSignals = endOnSignals;
    return forms::runProgram(argc, argv, options, start);
}

} // namespace glw::common
