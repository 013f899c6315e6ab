// glwclipart: the Flash browser and transformer. Its main window is the start-up object.
#include "Form1.h"
#include "MainProgram.h"
#include "common/ProgramMain.h"

int main(int argc, char** argv) {
    return glw::common::runSystemProgram(argc, argv, [](glw::forms::Runtime& rt) {
        auto program = std::make_shared<glw::main::MainProgram>(rt);
        program->form1().Show();
        return program;
    });
}
