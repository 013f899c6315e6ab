// glwbase.scr: the screen-saver stub. Its entry routine Main reads the command line ("/S", "/P", "/C") and
// plays the package appended to its own file.
#include "common/ProgramServices.h"
#include "stubs/saver/Module1.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

int main(int argc, char** argv) {
    glw::forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = glw::qt::makeDesktopDriver;
#endif
    return glw::forms::runProgram(argc, argv, glw::common::launchOptions(desktop), [](glw::forms::Runtime& rt) {
        auto module = std::make_shared<glw::stubs::saver::Module1>(rt, glw::stubs::StubEnvironment::fromProcess());
        module->Main();
        return module;
    });
}
