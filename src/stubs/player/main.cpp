// glwbase.exe: the movie player stub. Its window is the start-up object; it plays the package appended to
// its own file.
#include "common/ProgramServices.h"
#include "stubs/player/Form1.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

int main(int argc, char** argv) {
    glw::forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = glw::qt::makeDesktopDriver;
#endif
    return glw::forms::runProgram(argc, argv, glw::common::launchOptions(desktop), [](glw::forms::Runtime& rt) {
        auto form = std::make_shared<glw::stubs::player::Form1>(rt, glw::stubs::StubEnvironment::fromProcess());
        form->Show();
        return form;
    });
}
