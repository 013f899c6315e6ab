// The body of every program's main: the launcher with the real services and, when the build has the desktop
// front end, the Qt renderer.
#pragma once

#include "forms/Launch.h"

namespace glw::app {

// Runs the program whose start-up `start` makes and shows; returns the process's exit code. With
// `endOnSignals`, SIGTERM, SIGINT and SIGHUP end it as its own exit does (see LaunchOptions).
int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start, bool endOnSignals = false);

} // namespace glw::app
