// quillset.exe: the screen-saver installer stub. Its window is the start-up object; it installs the
// screen saver appended to its own file.
#include "common/ProgramServices.h"
#include "stubs/installer/Form1.h"

#ifdef GLW_HAVE_DESKTOP
#include "platform/qt/Desktop.h"
#endif

int main(int argc, char** argv) {
    glw::forms::DesktopFactory desktop;
#ifdef GLW_HAVE_DESKTOP
    desktop = glw::qt::makeDesktopDriver;
#endif
    return glw::forms::runProgram(argc, argv, glw::common::launchOptions(desktop), [](glw::forms::Runtime& rt) {
        auto form = std::make_shared<glw::stubs::installer::Form1>(rt, glw::stubs::StubEnvironment::fromProcess());
        form->Show();
        return form;
    });
}
