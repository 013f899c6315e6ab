// The main window's clip library: browse sources, category selection and the pages of thumbnails.
#include "Form1.h"

#include "MainProgram.h"

namespace glw::main {

void Form1::chkBrowseWhat_Click(int Index) { BrowseSource = Index; }

void Form1::Cats_Click() {}

} // namespace glw::main
