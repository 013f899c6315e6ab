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
    // A leading dot makes a hidden file or folder, which no listing of the library shows.
    return isFileNameInFolder(name) && name.front() != '.' && name.find("..") == std::string_view::npos &&
           !std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

std::size_t characterCount(std::string_view text) {
    // Names are UTF-8: every byte but the continuation bytes (10xxxxxx) starts a character.
    return std::size_t(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string lastCharacters(std::string_view text, std::size_t count) {
    std::size_t start = text.size();
    for (std::size_t kept = 0; start > 0 && kept < count; ++kept) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
            --start;
        }
    }
    return std::string(text.substr(start));
}

std::string badFileNameMessage() {
    return "The file name may not be empty, may not start with \".\" and may not hold \\ / : * ? \" < > | or "
           "control characters.";
}

std::string unsafeNameMessage(const std::string& what) {
    return "The " + what +
           " may not be empty, may not start with \".\", may not hold \\ / : * ? \" < > | or \"..\", and may "
           "not be only dots or blanks.";
}

SaveName applySaveNameRules(const std::string& typed) {
    SaveName result;
    const bool hasExtension = vb::UCase(vb::Right(typed, 4)) == ".SWF";
    std::string name = hasExtension ? typed : typed + ".SWF";
    for (char from : {' ', '"', '\'', '&'}) {
        std::replace(name.begin(), name.end(), from, '_');
    }
    result.name = vb::LCase(name);
    // An empty name would save ".swf": hidden, like every name that starts with a dot.
    if (!isFileNameInFolder(result.name) || result.name.front() == '.') {
        result.verdict = SaveName::Verdict::Refused;
    } else if (characterCount(result.name) > kSaveNameCharacters) {
        result.verdict = SaveName::Verdict::TooLong;
    }
    return result;
}

} // namespace glw::main
