// The export code's description, written and read as its "|"-separated text.
#include "formats/ExportCode.h"

#include <vector>

namespace glw::formats {

Result<std::string> writeExportDescription(const ExportDescription& d) {
    for (const std::string* field : {&d.Id, &d.Movie, &d.BackColour}) {
        if (field->find('|') != std::string::npos) {
            return makeError(ErrorCode::Invalid, "The clip's description \"" + *field + "\" may not hold \"|\".");
        }
    }
    return d.Id + "|" + d.Movie + "|" + d.BackColour;
}

Result<ExportDescription> readExportDescription(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < 3) {
        const auto bar = text.find('|', start);
        fields.emplace_back(text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    if (fields.size() < 3) {
        return makeError(ErrorCode::Invalid, "The clip's description \"" + std::string(text) +
                                                 "\" lacks its id, movie or background colour.");
    }
    return ExportDescription{fields[0], fields[1], fields[2]};
}

std::string joinUrlPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) {
        return std::string(name);
    }
    return std::string(folder) + (folder.back() == '/' ? "" : "/") + std::string(name);
}

} // namespace glw::formats
