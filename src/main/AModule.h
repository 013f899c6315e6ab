// The main program's shared variables, read and written by the library, the editor and the export.
#pragma once

#include <cstdint>
#include <string>

namespace glw::forms {
class Control;
class Form;
} // namespace glw::forms

namespace glw::main {

struct AModule {
    std::string HostProgram;       // "FrontPage" or "PowerPoint" in add-in mode
    int AddinMode = 0;             // True (-1) when an add-in started the program
    std::string ExportFiles;       // target sub-folder "," source path, joined by "|"
    std::string ExportCode;        // id "|" movie "|" background colour, then the finished tag
    std::int32_t ExportHeight = 0; // pixels
    std::int32_t ExportWidth = 0;
    std::string ExportDataFolder;
    std::string ClipFlashVars;             // the current clip's movie variables
    forms::Control* ColorTarget = nullptr; // receives the colour the colour dialog chose
    forms::Form* CallingForm = nullptr;    // the main window while the export dialog is open
    std::string HostPageFiles;
    std::string HostPageFolder;
    std::string LinkURL; // passed between the editor and the link chooser
};

} // namespace glw::main
