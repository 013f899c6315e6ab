// The import package's information line: written whole, read value by value between its marks.
#include "formats/ImportInfo.h"

#include "vb/VbText.h"

namespace glw::formats {

namespace {

Result<void> checkValue(std::string_view value, std::string_view refused, std::string_view what) {
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        return makeError(ErrorCode::Invalid,
                         std::string(what) + " \"" + std::string(value) + "\" may not hold a line break.");
    }
    if (const auto at = value.find_first_of(refused); at != std::string_view::npos) {
        return makeError(ErrorCode::Invalid,
                         std::string(what) + " \"" + std::string(value) + "\" may not hold \"" + value[at] + "\".");
    }
    return {};
}

} // namespace

Result<std::string> writeImportInfo(const ImportInfo& info) {
    if (auto ok = checkValue(info.category, "]{", "The category"); !ok) {
        return ok.error();
    }
    if (auto ok = checkValue(info.description, "}", "The description"); !ok) {
        return ok.error();
    }
    return "[" + info.category + "]{" + info.description + "}\r\n";
}

ImportInfo readImportInfo(std::string_view bytes) {
    const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    return {vb::textBetween(line, "[", "]"), vb::textBetween(line, "{", "}")};
}

} // namespace glw::formats
