// "impinfo.dat", the text at the root of an import package: the category that chooses the library folder
// the package is unpacked into, and the description the importing user is shown. The import-package maker
// writes it; the import reads it.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>

namespace glw::formats {

// One line, "[" category "]{" description "}", ended by CR LF. Only the first line is ever read.
struct ImportInfo {
    std::string category{};
    std::string description{};
    bool operator==(const ImportInfo&) const = default;
};

// The line of the values. Invalid, in words for the user, when a value holds a line break (the rest would
// never be read), the category "]" or "{", or the description "}": any of them would cut a value short.
Result<std::string> writeImportInfo(const ImportInfo& info);
// The values of the first line (up to CR LF, CR or LF): the category is the text between the first "[" and
// the next "]" after it, the description that between the first "{" and the next "}"; either is empty when
// its marks are missing. Never fails: a package without them names no category, which the import refuses.
ImportInfo readImportInfo(std::string_view bytes);

} // namespace glw::formats
