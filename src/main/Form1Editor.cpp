// The main window's clip editor: the preview/edit toggle, the resource kinds, re-scan and size.
#include "Form1.h"

namespace glw::main {

void Form1::Command1_Click() {}
void Form1::Option1_Click(int) {}
void Form1::Command11_Click() {}
void Form1::Command12_Click() {}

} // namespace glw::main
