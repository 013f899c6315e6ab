// Conversion of the forms' file-dialog filters into Qt name filters.
#include "DialogFilter.h"

namespace glw::qt {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string_view> split(std::string_view s, std::string_view separators) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || separators.find(s[i]) != std::string_view::npos) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// "*.a;*.b" or "*.a *.b" as Qt's blank-separated pattern list.
std::string qtPatterns(std::string_view patterns) {
    std::string out;
    for (auto part : split(patterns, "; ,")) {
        part = trim(part);
        if (part.empty()) {
            continue;
        }
        if (!out.empty()) {
            out += ' ';
        }
        out += part == "*.*" ? std::string("*") : std::string(part);
    }
    return out.empty() ? std::string("*") : out;
}

} // namespace

std::vector<std::string> toQtNameFilters(std::string_view vbFilter) {
    std::vector<std::string> filters;
    if (trim(vbFilter).empty()) {
        return filters;
    }
    const auto parts = split(vbFilter, "|");
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description(trim(parts[i]));
        const std::string patterns = qtPatterns(parts[i + 1]);
        // "Flash Movies (*.swf)" already shows its patterns: replace that bracket with the converted list
        // rather than adding a second one, so that Qt (which reads the last bracket) filters as intended.
        if (!description.empty() && description.back() == ')') {
            const auto open = description.rfind('(');
            if (open != std::string::npos &&
                qtPatterns(std::string_view(description).substr(open + 1, description.size() - open - 2)) == patterns) {
                description = std::string(trim(std::string_view(description).substr(0, open)));
            }
        }
        filters.push_back((description.empty() ? patterns : description) + " (" + patterns + ")");
    }
    return filters;
}

} // namespace glw::qt
