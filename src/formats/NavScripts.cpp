// The saved scripts: written one a line, read back trimmed.
#include "formats/NavScripts.h"

#include "vb/VbText.h"

namespace glw::formats {

namespace {

Result<void> checkScript(std::string_view script) {
    if (script.find_first_of("\r\n") != std::string_view::npos) {
        return makeError(ErrorCode::Invalid, "The script \"" + std::string(script) + "\" may not hold a line break.");
    }
    if (vb::Trim(script).empty()) {
        return makeError(ErrorCode::Invalid, "The script is empty.");
    }
    return {};
}

} // namespace

Result<std::string> writeNavScripts(const NavScripts& list) {
    std::string bytes;
    for (const auto& script : list.scripts) {
        if (auto ok = checkScript(script); !ok) {
            return ok.error();
        }
        bytes += script + "\r\n";
    }
    return bytes;
}

Result<std::string> appendNavScript(std::string_view bytes, std::string_view script) {
    auto line = writeNavScripts({{std::string(script)}});
    if (!line) {
        return line;
    }
    const bool ended = bytes.empty() || bytes.back() == '\r' || bytes.back() == '\n';
    return std::string(bytes) + (ended ? "" : "\r\n") + *line;
}

NavScripts readNavScripts(std::string_view bytes) {
    NavScripts list;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        // A CR LF gives an empty line between the two, which is skipped like any blank line.
        if (std::string line = vb::Trim(bytes.substr(start, end - start)); !line.empty()) {
            list.scripts.push_back(std::move(line));
        }
        start = end + 1;
    }
    return list;
}

} // namespace glw::formats
