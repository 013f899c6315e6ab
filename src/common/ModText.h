// Text, file, shell, font and placement helpers that every program of the system uses.
#pragma once

#include "forms/Controls.h"
#include "forms/Runtime.h"

#include <string>
#include <vector>

namespace glw::common {

// The text between the first `startTag` and the next `endTag` after it, both found without regard to case;
// "" when either is missing. An empty start tag starts at the beginning; an empty end tag gives "".
std::string GetBetween(const std::string& text, const std::string& startTag, const std::string& endTag);

// `source` with every occurrence of `find` (found without regard to case) replaced; the search resumes after
// each replacement, so a replacement that contains `find` is never searched again. An empty `find` returns
// `source` unchanged.
std::string ReplaceText(const std::string& source, const std::string& find, const std::string& replaceWith);

// True when `text` is not empty and holds only the ASCII letters and digits.
bool IsAlphaNumeric(const std::string& text);

// True when the file (a system path) can be opened for reading; false for anything else, folders included.
bool FileExists(const std::string& fileName);
// False only for a file that is missing; every other failure to open it (a folder, no permission) raises
// the run-time error the opening raised, for the caller to handle.
bool FileExistsStrict(const std::string& fileName);
// A whole file as text; "" when FileExists is false.
std::string ReadFileText(const std::string& fileName);

// The shell's default action on a file, folder, address or "mailto:" address; the shell's result unchecked.
long ShellOpen(forms::Runtime& runtime, const std::string& target);

// Centres the form on the screen (twips; a form larger than the screen gets a negative position).
void CenterForm(forms::Form& frm);

// The module state of the font helpers: the screen's font names and the exclusion list beside the program.
class ModText {
public:
    explicit ModText(forms::Runtime& runtime) : m_runtime(runtime) {}

    std::vector<std::string> FontNames;

    // FontNames = the screen's fonts, in the order the system lists them.
    void LoadScreenFonts();
    // True when a fragment of Resource\badfont.txt (comma-separated, taken exactly as written) occurs in the
    // name, compared without regard to case. The list is read anew for every call.
    bool IsBadFont(const std::string& fontName);
    // Adds every screen font that IsBadFont does not exclude to the list, in FontNames' order.
    void FillFontList(forms::ListControl& targetList);

private:
    forms::Runtime& m_runtime;
};

} // namespace glw::common
