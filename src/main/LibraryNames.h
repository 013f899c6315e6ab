// The rules for names a user types that become files or folders of the library: clip names saved into a
// category, new categories and the category of an import package.
#pragma once

#include <string>
#include <string_view>

namespace glw::main {

// True when the name is one file name inside its folder: not empty, not "." or "..", no path separator ("\" or
// "/"), no colon (a drive), none of * ? " < > | and no control characters.
bool isFileNameInFolder(std::string_view name);
// The message shown when a save name breaks isFileNameInFolder.
std::string badFileNameMessage();

// True when the name can be one file or folder name inside the library and nothing else: not empty, no
// path separator ("\" or "/"), no colon (a drive), no "..", none of the characters that file names on the
// system's original platform may not hold (* ? " < > | and control characters), and not only dots and
// blanks.
bool isSafeLibraryName(std::string_view name);

// The message shown when a typed name breaks isSafeLibraryName; `what` names the thing ("file name").
std::string unsafeNameMessage(const std::string& what);

// A save name after the rules: ".swf" appended unless the name ends in it (any case); blanks, double
// quotes, apostrophes and ampersands turned into "_"; all in lower case. Refused only when the result cannot
// be a file name inside the category folder (isFileNameInFolder); "x..y" and names of blanks are kept. Too
// long beyond 12 characters (8.3 names), extension included.
struct SaveName {
    enum class Verdict { Ok, TooLong, Refused };
    std::string name;
    Verdict verdict = Verdict::Ok;
};
SaveName applySaveNameRules(const std::string& typed);

} // namespace glw::main
