// Where a program of the system is put together: its services and renderer come from launchOptions().
#include "ProgramMain.h"

#include "ProgramServices.h"

namespace glw::app {

int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start, bool endOnSignals) {
    forms::LaunchOptions options = launchOptions();
    options.endOnSignals = endOnSignals;
    return forms::runProgram(argc, argv, options, start);
}

} // namespace glw::app
