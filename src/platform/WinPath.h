// Windows-form system paths ("C:\Users\x\app\Working\newclip.swf") over the Linux file system.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <utility>

namespace glw::platform {

// The one drive letter of system paths; it stands for the Linux root "/".
inline constexpr char kSystemDrive = 'C';

// Maps a system path to a host path.
//  - "C:\a\b" (drive letter in either case) is "/a/b"; "\a\b" (rooted, no drive) is the same.
//  - "/" separates as well as "\"; repeated separators count as one; "." and ".." are resolved by
//    name, as Windows does (".." at the root stays at the root).
//  - A relative path ("Working\x", "C:x") resolves against the process's current folder.
//  - Each component that exists is looked up case-insensitively (ASCII letters) when the exact name is
//    missing; the first match in case-insensitive name order wins when several differ only in case.
//    From the first component that does not exist on, the given spelling is kept, so new files and
//    folders are created as the caller spells them.
//  - A trailing separator is kept ("C:\a\" gives "/a/").
// Paths that name no place on this machine (another drive letter, a UNC "\\server\share" path, an empty
// text) give "", which every file operation treats as a path that is not found.
std::string toHostPath(std::string_view systemPath);

// Maps a host path to system form: "/home/x/a" gives "C:\home\x\a", "/" gives "C:\". A relative host path
// is made absolute against the current folder first. A path with a component that holds "\" cannot be
// written in system form and gives "".
std::string toSystemPath(std::string_view hostPath);

// A system path as the user reads it on this machine, for text boxes, labels and messages: its host form
// ("C:\home\ann\x" gives "/home/ann/x"), with the names as they stand on disk. A text that names no place
// here (another drive, a UNC path, "") is shown as it stands.
std::string toDisplayPath(std::string_view systemPath);

// A path the user typed, in system form: a host path ("/home/ann/x", "~/x", "~") becomes system form; a
// system path or anything else stays as typed. Blanks are kept where they stand, as names may begin or end
// with them. "" for a host path that cannot be written in system form (a name holding "\").
std::string fromDisplayPath(std::string_view typed);

// The process's current folder in system form.
std::string currentSystemFolder();

// True when a host file name can appear in a system path (it holds no "\").
bool isRepresentableName(std::string_view hostName);

// True for "\" and "/", the characters that separate system path components.
constexpr bool isSystemSeparator(char c) {
    return c == '\\' || c == '/';
}

// A name inside a system folder: the folder, "\" and the name, with no second separator when the folder ends
// in one ("\" or "/"); the name alone for no folder.
std::string joinSystemPath(std::string_view folder, std::string_view name);

// Splits a system path after its last separator: {"C:\a\", "b.swf"}; {"", "b.swf"} when it holds none.
// A drive prefix without separator ("C:b.swf") splits after the colon.
std::pair<std::string, std::string> splitSystemPath(std::string_view systemPath);

// The user's own temporary folder in system form, without a closing separator (what Environ("TEMP")
// gives): $TMPDIR when it names a folder, else /tmp/glw-<uid>, created with mode 0700 and refused
// (ErrorCode::Unsafe) unless it is a real folder owned by the user that nobody else can write into.
Result<std::string> userTempFolder();

} // namespace glw::platform
