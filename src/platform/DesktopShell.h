// The shell and the spawner of programs.
#pragma once

#include "Services.h"

#include <string>

namespace glw::platform {

// The shell's default action:
//  - an address ("http:", "mailto:", any scheme of two or more letters) goes to the opener as it stands;
//  - a system path is mapped to the host; a missing target gives 2;
//  - a target that is one of our programs (an executable file that starts as a program: ELF or "#!") is
//    started directly, with no arguments, in the current folder;
//  - anything else (documents, folders) goes to the opener.
// The child runs detached in a session of its own (a double fork: only the short-lived middle process is
// waited for) with its standard input from /dev/null; the target is its one argument, never read by a
// shell. Returns 42 when the program was started, 2 for a missing target or program, 5 when it may not be
// run, 31 when no opener is found.
class DesktopShell : public Shell {
public:
    // `opener`: a program name looked up in $PATH, or a host path.
    // `handlers`: the program asked whether the desktop has a program for a document ("xdg-mime": `query
    // filetype <file>`, then `query default <type>`); a document without one gives 31 without the opener
    // being started. Empty, or not found: every document goes to the opener.
    explicit DesktopShell(std::string opener = "xdg-open", ServiceLog log = {}, std::string handlers = {});
    long open(const std::string& target) override;

private:
    bool hasProgramFor(const std::string& hostPath) const;

    std::string m_opener;
    ServiceLog m_log;
    std::string m_handlers;
};

} // namespace glw::platform
