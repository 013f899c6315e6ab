// The main program's small shared procedures: file copies, the placement of pop-up forms next to the
// control that opened them, the file-name part of a path, the random part of a clip's id and the link
// chooser's modal call.
#pragma once

#include "common/CopyHelpers.h"
#include "forms/Form.h"

#include <string>

namespace glw::main {

class MainProgram;

// The copy and the file-name part of a path are shared with the other programs.
using common::APICopy;
using common::FileNameFromPath;

// Moves frm so that its left edge is on ctl's left edge and its bottom edge one pixel below ctl's top edge;
// frm keeps its size. A control without a window of its own (a label, an image) is run-time error 438.
void PlaceFormAboveControl(forms::Form& frm, const forms::Control& ctl);
// The same with frm's right edge on ctl's left edge.
void PlaceFormAboveLeftOfControl(forms::Form& frm, const forms::Control& ctl);
// frm's top left corner just below ctl's bottom left one, or frm above ctl when it does not fit below, kept
// on the screen.
void PlaceFormBesideControl(forms::Form& frm, const forms::Control& ctl);

// Creates the folder (one level; an existing one is fine) and copies the file into it under its own name,
// replacing a file of that name. On failure shows "An error occured copying the file " with the file's
// name, ".  " and the reason, and gives false.
bool CopyFileIntoFolder(MainProgram& program, const std::string& sourceFile, const std::string& folder);

// 4 to 8 decimal digits from two random numbers, the hour and the second, in one of four orders chosen by
// a third random number; the generator is reseeded from the clock on every call.
std::string MakeRandomName(forms::Runtime& runtime);

// Shows the link chooser modally and gives LinkURL as it leaves it: the address chosen, "" when it was
// cancelled, the caller's link when the chooser was closed with its close box.
// With `opener` (the button that asked), the chooser opens beside it (PlaceFormBesideControl).
std::string AskForURL(MainProgram& program, const forms::Control* opener = nullptr);

} // namespace glw::main
