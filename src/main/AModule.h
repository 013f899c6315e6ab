// The main program's shared variables, read and written by the library, the editor and the export.
#pragma once

#include "formats/ExportCode.h"
#include "formats/ExportFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glw::forms {
class Control;
class Form;
} // namespace glw::forms

namespace glw::main {

struct AModule {
    std::string HostProgram;             // "FrontPage" or "PowerPoint" in add-in mode
    int AddinMode = 0;                   // True (-1) when an add-in started the program
    formats::ExportFileList ExportFiles; // the files to hand on: target sub-folder and source path
    formats::ExportCode ExportCode;      // the clip's description, then the finished tag
    std::int32_t ExportHeight = 0;       // pixels
    std::int32_t ExportWidth = 0;
    std::string ExportDataFolder;
    std::string ClipFlashVars;              // the current clip's movie variables
    forms::Control* ColorTarget = nullptr;  // receives the colour the colour dialog chose
    forms::Form* CallingForm = nullptr;     // the main window while the export dialog is open
    std::vector<std::string> HostPageFiles; // the names of the files beside the add-in's page
    std::string HostPageFolder;
    std::string LinkURL; // passed between the editor and the link chooser
};

} // namespace glw::main
