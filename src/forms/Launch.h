// Starting a program of the system: the runtime with its services, the driver (desktop window or
// headless), the script and trace of a headless run, App.Path from the program's own file, the main loop.
#pragma once

#include "Runtime.h"

namespace glw::forms {

// Makes the desktop driver, or returns null when there is no display to draw on (the launcher then runs
// headless and says so). A program built without the desktop front end passes an empty function.
using DesktopFactory = std::function<std::unique_ptr<UiDriver>(Runtime&, int argc, char** argv)>;

struct LaunchOptions {
    DesktopFactory desktop;
    // Makes the program's services; the launcher adds the clipboard and trace it chose.
    std::function<Services()> services;
};

// Runs a program:
//  - GLW_UI=headless (or no desktop driver, or no display) runs without windows; GLW_SCRIPT=<file> feeds
//    it user actions; GLW_TRACE=<file> records what it showed and did; GLW_CLIPBOARD=<file> keeps the
//    clipboard text in a file so that headless processes can hand text to each other.
//  - App.Path and App.EXEName come from the program's own file (/proc/self/exe).
//  - `start` makes the program (its modules and forms) and shows the start-up form; it returns what it made,
//    which the launcher keeps until the main loop ends and drops before the runtime goes.
// Returns the process's exit code (2 for a script that does not parse).
using ProgramStart = std::function<std::shared_ptr<void>(Runtime&)>;
int runProgram(int argc, char** argv, const LaunchOptions& options, const ProgramStart& start);

// The program's own file as a host path.
std::string ownExecutablePath();

} // namespace glw::forms
