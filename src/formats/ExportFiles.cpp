// The files an export hands on: the list written and read as its "|"- and ","-separated text.
#include "formats/ExportFiles.h"

namespace glw::formats {

Result<void> checkExportFilesName(std::string_view name, std::string_view what) {
    if (name.find_first_of(",|") != std::string_view::npos) {
        return makeError(ErrorCode::Invalid,
                         std::string(what) + " \"" + std::string(name) + "\" may not hold \",\" or \"|\".");
    }
    return {};
}

Result<std::string> writeExportFiles(const ExportFileList& files) {
    std::string text;
    bool first = true;
    for (const auto& file : files) {
        if (auto ok = checkExportFilesName(file.folder, "The folder"); !ok) {
            return ok.error();
        }
        if (file.source.find('|') != std::string::npos) {
            return makeError(ErrorCode::Invalid, "The file \"" + file.source + "\" may not hold \"|\".");
        }
        text += (first ? "" : "|") + file.folder + "," + file.source;
        first = false;
    }
    return text;
}

Result<ExportFileList> readExportFiles(std::string_view text) {
    ExportFileList files;
    if (text.empty()) {
        return files;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        const std::string_view entry =
            text.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        const std::size_t comma = entry.find(',');
        if (comma == std::string_view::npos) {
            return makeError(ErrorCode::Malformed, "a file entry without a target folder: " + std::string(entry),
                             start);
        }
        files.push_back({std::string(entry.substr(0, comma)), std::string(entry.substr(comma + 1))});
        if (bar == std::string_view::npos) {
            return files;
        }
        start = bar + 1;
    }
}

} // namespace glw::formats
