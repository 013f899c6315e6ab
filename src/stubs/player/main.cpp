// glwbase.exe: the movie player stub. Its window is the start-up object; it plays the package appended to
// its own file.
#include "app/ProgramMain.h"
#include "stubs/player/Form1.h"

int main(int argc, char** argv) {
    return glw::app::runSystemProgram(
        argc, argv,
        [](glw::forms::Runtime& rt) {
            auto form = std::make_shared<glw::stubs::player::Form1>(rt, glw::stubs::StubEnvironment::fromProcess());
            form->Show();
            return form;
        },
        true);
}
