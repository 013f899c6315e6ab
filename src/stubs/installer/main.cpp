// quillset.exe: the screen-saver installer stub. Its window is the start-up object; it installs the
// screen saver appended to its own file.
#include "app/ProgramMain.h"
#include "stubs/installer/Form1.h"

int main(int argc, char** argv) {
    return glw::app::runSystemProgram(
        argc, argv,
        [](glw::forms::Runtime& rt) {
            auto form = std::make_shared<glw::stubs::installer::Form1>(rt, glw::stubs::StubEnvironment::fromProcess());
            form->Show();
            return form;
        },
        true);
}
