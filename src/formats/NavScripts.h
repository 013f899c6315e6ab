// The link chooser's saved scripts, "navscripts.txt" in the program's folder: the chooser appends a script
// the user asks to keep and offers every saved one again.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// One script a line, each line ended by CR LF, without the "javascript:" that the link puts before it. There
// is no header and no count: lines are only ever appended.
struct NavScripts {
    std::vector<std::string> scripts{};
    bool operator==(const NavScripts&) const = default;
};

// The lines of the scripts, each as it stands and CR LF. Invalid, in words for the user, when a script holds
// a line break (it would come back as two) or nothing but blanks (it would not come back at all).
Result<std::string> writeNavScripts(const NavScripts& list);
// A file's bytes with one script added as its last line. A last line that lacks its line end (a file edited
// by hand) gets one first, so that the two scripts never run together. Invalid as writeNavScripts says.
Result<std::string> appendNavScript(std::string_view bytes, std::string_view script);
// The scripts of a file: a line ends at CR LF, CR or LF; each is trimmed of blanks at both ends, and lines
// left empty are skipped. Never fails: whatever the lines hold is offered.
NavScripts readNavScripts(std::string_view bytes);

} // namespace glw::formats
