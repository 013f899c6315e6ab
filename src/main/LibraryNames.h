// The rules for names a user types that become files or folders of the library: clip names saved into a
// category, new categories and the category of an import package.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace glw::main {

// True when the name is one file name inside its folder: not empty, not "." or "..", no path separator ("\" or
// "/"), no colon (a drive), none of * ? " < > | and no control characters.
bool isFileNameInFolder(std::string_view name);
// The message shown when a save name breaks isFileNameInFolder.
std::string badFileNameMessage();

// True when the name can be one file or folder name inside the library and nothing else: not empty, not
// starting with "." (a hidden name, never listed), no path separator ("\" or "/"), no colon (a drive), no "..", none of
// the characters that file names on the system's original platform may not hold (* ? " < > | and control characters),
// and not only dots and blanks.
bool isSafeLibraryName(std::string_view name);

// The message shown when a typed name breaks isSafeLibraryName; `what` names the thing ("file name").
std::string unsafeNameMessage(const std::string& what);

// The number of characters (not bytes) of a UTF-8 text.
std::size_t characterCount(std::string_view text);
// The last `count` characters of a UTF-8 text (all of it when shorter), never cutting a character.
std::string lastCharacters(std::string_view text, std::size_t count);

// The longest save name, in characters, extension included (8.3 names).
inline constexpr std::size_t kSaveNameCharacters = 12;

// A save name after the rules: ".swf" appended unless the name ends in it (any case); blanks, double
// quotes, apostrophes and ampersands turned into "_"; all in lower case. Refused when the result cannot
// be a file name inside the category folder (isFileNameInFolder) or starts with "." (an empty name gives
// ".swf"): such files are hidden and never listed. "x..y" and names of blanks are kept. Too long beyond
// kSaveNameCharacters characters.
struct SaveName {
    enum class Verdict { Ok, TooLong, Refused };
    std::string name;
    Verdict verdict = Verdict::Ok;
};
SaveName applySaveNameRules(const std::string& typed);

} // namespace glw::main
