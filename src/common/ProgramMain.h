// The body of every program's main: the launcher with the real services and, when the program was built
// with the desktop front end (GLW_HAVE_DESKTOP on its target), the Qt renderer.
#pragma once

#include "common/ProgramServices.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

namespace glw::common {

// Runs the program whose start-up `start` makes and shows; returns the process's exit code.
inline int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start) {
    forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = qt::makeDesktopDriver;
#endif
    return forms::runProgram(argc, argv, launchOptions(desktop), start);
}

} // namespace glw::common
