// Where a program of the system is put together: its services and renderer come from launchOptions().
#include "ProgramMain.h"

#include "ProgramServices.h"

namespace glw::app {

int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start) {
    return forms::runProgram(argc, argv, launchOptions(), start);
}

} // namespace glw::app
