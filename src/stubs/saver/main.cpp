// glwbase.scr: the screen-saver stub. Its entry routine Main reads the command line ("/S", "/P", "/C") and
// plays the package appended to its own file.
#include "app/ProgramMain.h"
#include "stubs/saver/Module1.h"

int main(int argc, char** argv) {
    return glw::app::runSystemProgram(
        argc, argv,
        [](glw::forms::Runtime& rt) {
            auto module = std::make_shared<glw::stubs::saver::Module1>(rt, glw::stubs::StubEnvironment::fromProcess());
            module->Main();
            return module;
        },
        true);
}
