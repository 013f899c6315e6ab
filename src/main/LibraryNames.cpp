// Name rules of the library.
#include "LibraryNames.h"

#include "vb/VbText.h"

#include <algorithm>

namespace glw::main {

bool isFileNameInFolder(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 32 || c == 127 || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos;
    });
}

bool isSafeLibraryName(std::string_view name) {
    return isFileNameInFolder(name) && name.find("..") == std::string_view::npos &&
           !std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string badFileNameMessage() {
    return "The file name may not hold \\ / : * ? \" < > | or control characters.";
}

std::string unsafeNameMessage(const std::string& what) {
    return "The " + what +
           " may not be empty, may not hold \\ / : * ? \" < > | or \"..\", and may not be only "
           "dots or blanks.";
}

SaveName applySaveNameRules(const std::string& typed) {
    SaveName result;
    const bool hasExtension = vb::UCase(vb::Right(typed, 4)) == ".SWF";
    std::string name = hasExtension ? typed : typed + ".SWF";
    for (char from : {' ', '"', '\'', '&'}) {
        std::replace(name.begin(), name.end(), from, '_');
    }
    result.name = vb::LCase(name);
    if (!isFileNameInFolder(result.name)) {
        result.verdict = SaveName::Verdict::Refused;
    } else if (result.name.size() > 12) {
        result.verdict = SaveName::Verdict::TooLong;
    }
    return result;
}

} // namespace glw::main
