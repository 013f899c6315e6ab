// The drive, folder and file lists over the system's Windows-form paths.
#pragma once

#include "Controls.h"

namespace glw::forms {

// Lists the one drive of this system ("c:"), which stands for the Linux root.
class DriveListBox : public ListControl {
public:
    DriveListBox(Form& form, std::string name, int index = -1);
    // "c:"; setting it to another drive letter is run-time error 68 (device unavailable).
    Property<std::string> Drive;
    Event<> Change;
};

// The sub-folders of Path. Setting Path to an existing folder raises Change; a missing one is run-time
// error 76 and leaves Path as it was.
class DirListBox : public ListControl {
public:
    DirListBox(Form& form, std::string name, int index = -1);
    Property<std::string> Path; // system path, without a closing "\" except at the root ("C:\")
    Event<> Change;
    // The full system path of sub-folder i (List(i) gives it too).
    std::string folder(int index) const { return List(index); }
    // The open folders shown above the sub-folders: the root first, Path last ("C:\", "C:\home",
    // "C:\home\ann"). Counted from the end they are VB's negative indices: -1 is Path, -2 its parent.
    std::vector<std::string> openFolders() const;
    // The user opens folder `index` (a double click): a sub-folder from 0, an open folder from -1 (Path
    // itself) down to minus the number of open folders (the root). Path becomes it.
    void userOpen(int index);
    void Refresh();
};

// The files of Path that match Pattern ("*.swf", several joined by ";"), sorted without regard to case.
// A folder that cannot be listed gives an empty list.
class FileListBox : public ListControl {
public:
    FileListBox(Form& form, std::string name, int index = -1);
    Property<std::string> Path;
    Property<std::string> Pattern;
    Property<bool> Hidden{*this, PropertyId::Hidden, false};
    std::string FileName() const { return List(ListIndex); }
    Event<> PathChange;
    Event<> PatternChange;
    // Reads the folder again.
    void Refresh();
};

} // namespace glw::forms
