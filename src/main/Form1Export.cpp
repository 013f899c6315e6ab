// The main window's Export button.
#include "Form1.h"

namespace glw::main {

void Form1::Command8_Click() {}

} // namespace glw::main
