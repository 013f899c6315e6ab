// Starting a program of the system: the runtime with its services, the driver (desktop window or
// headless), the script and trace of a headless run, App.Path from the program's own file, the main loop.
#pragma once

#include "Runtime.h"

namespace glw::forms {

// What the place where a program is put together hands the launcher.
struct LaunchOptions {
    // Opens the desktop (the display and the renderer) and tells whether windows can be shown; false: the
    // launcher runs headless and says so. Empty in a program built without the renderer.
    std::function<bool(int argc, char** argv)> openDesktop;
    // The desktop driver of the runtime, once the desktop is open.
    std::function<std::unique_ptr<UiDriver>(Runtime&)> desktopDriver;
    // Chooses every service of the program; `windows` tells whether it runs with the desktop.
    std::function<Services(bool windows)> services;
    // SIGTERM, SIGINT and SIGHUP end the program as its own exit does: every loaded form is unloaded (the
    // last loaded first, with the unload mode vbAppWindows), so that each runs its unload handler, and then
    // the program ends with the code its handlers gave (0 when none did). A second signal before the first
    // was handled ends the process at once.
    bool endOnSignals = false;
};

// Runs a program:
//  - GLW_UI=headless (or no desktop driver, or no display) runs without windows; GLW_SCRIPT=<file> feeds
//    it user actions; GLW_TRACE=<file> records what it showed and did.
//  - App.Path and App.EXEName come from the program's own file (/proc/self/exe).
//  - `start` makes the program (its modules and forms) and shows the start-up form; it returns what it made,
//    which the launcher keeps until the main loop ends and drops before the runtime goes.
// Returns the process's exit code (2 for a script that does not parse).
using ProgramStart = std::function<std::shared_ptr<void>(Runtime&)>;
int runProgram(int argc, char** argv, const LaunchOptions& options, const ProgramStart& start);

// The program's own file as a host path.
std::string ownExecutablePath();

} // namespace glw::forms
