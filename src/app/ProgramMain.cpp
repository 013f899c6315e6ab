// Where a program of the system is put together: services and renderer.
#include "ProgramMain.h"

#include "ProgramServices.h"

#ifdef GLW_HAVE_DESKTOP
#include "desktop/Desktop.h"
#endif

namespace glw::app {

int runSystemProgram(int argc, char** argv, const forms::ProgramStart& start) {
    forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = qt::makeDesktopDriver;
#endif
    return forms::runProgram(argc, argv, launchOptions(desktop), start);
}

} // namespace glw::app
