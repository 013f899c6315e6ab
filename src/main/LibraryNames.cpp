// Name rules of the library.
#include "LibraryNames.h"

#include "vb/VbText.h"

#include <algorithm>

namespace glw::main {

bool isSafeLibraryName(std::string_view name) {
    if (name.empty() || name.find("..") != std::string_view::npos) {
        return false;
    }
    for (unsigned char c : name) {
        if (c < 32 || c == 127 || std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos) {
            return false;
        }
    }
    return !std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string unsafeNameMessage(const std::string& what) {
    return "The " + what +
           " may not be empty, may not hold \\ / : * ? \" < > | or \"..\", and may not be only "
           "dots or blanks.";
}

SaveName applySaveNameRules(const std::string& typed) {
    SaveName result;
    const bool hasExtension = vb::UCase(vb::Right(typed, 4)) == ".SWF";
    const std::string stem = hasExtension ? typed.substr(0, typed.size() - 4) : typed;
    std::string name = hasExtension ? typed : typed + ".SWF";
    for (char from : {' ', '"', '\'', '&'}) {
        std::replace(name.begin(), name.end(), from, '_');
    }
    result.name = vb::LCase(name);
    const bool onlyDotsOrBlanks = std::all_of(stem.begin(), stem.end(), [](char c) { return c == '.' || c == ' '; });
    if (onlyDotsOrBlanks || !isSafeLibraryName(result.name)) {
        result.verdict = SaveName::Verdict::Refused;
    } else if (result.name.size() > 12) {
        result.verdict = SaveName::Verdict::TooLong;
    }
    return result;
}

} // namespace glw::main
