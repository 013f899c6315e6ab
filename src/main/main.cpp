// glwclipart: the Flash browser and transformer. Its main window is the start-up object.
#include "Form1.h"
#include "MainProgram.h"
#include "app/ProgramMain.h"

int main(int argc, char** argv) {
    return glw::app::runSystemProgram(argc, argv, [](glw::forms::Runtime& rt) {
        auto program = std::make_shared<glw::main::MainProgram>(rt);
        program->form1().Show();
        return program;
    });
}
