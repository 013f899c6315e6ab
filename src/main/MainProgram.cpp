// The main program put together.
#include "MainProgram.h"

#include "Form1.h"

namespace glw::main {

MainProgram::MainProgram(forms::Runtime& rt) : runtime(rt), module1(rt), modText(rt) {}

MainProgram::~MainProgram() = default;

Form1& MainProgram::form1() {
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(*this);
    }
    return *m_form1;
}

} // namespace glw::main
