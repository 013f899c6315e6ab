// glwclipart: the Flash browser and transformer. Its main window is the start-up object.
#include "Form1.h"
#include "MainProgram.h"
#include "common/ProgramServices.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

int main(int argc, char** argv) {
    glw::forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = glw::qt::makeDesktopDriver;
#endif
    return glw::forms::runProgram(argc, argv, glw::common::launchOptions(desktop), [](glw::forms::Runtime& rt) {
        auto program = std::make_shared<glw::main::MainProgram>(rt);
        program->form1().Show();
        return program;
    });
}
