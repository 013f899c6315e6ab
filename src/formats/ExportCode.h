// The export code: what the main window tells the export dialog about the clip it wrote (its tag id, its
// address relative to the page and its background colour), and later the finished tag built from it.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>

namespace glw::formats {

// The clip as DoMainExport describes it.
struct ExportDescription {
    std::string Id{};         // "GLINTWAVECL" and a random number
    std::string Movie{};      // the movie's address relative to the page ("GLWDATA/clip.swf")
    std::string BackColour{}; // an HTML colour, "#FFFFFF" when the clip has none
    bool operator==(const ExportDescription&) const = default;
};

// The export code holds the description until the dialog builds the tag; from then on only the tag counts.
struct ExportCode {
    ExportDescription description{};
    std::string tag{}; // the finished OBJECT/EMBED tag; "" until it is built
    bool hasTag() const { return !tag.empty(); }
    bool operator==(const ExportCode&) const = default;
};

// The description as its text, the fields joined by "|". Invalid when a field holds "|".
Result<std::string> writeExportDescription(const ExportDescription& description);
// The description from its text, split at "|". Invalid when it holds fewer than three fields; a fourth and
// more are ignored. Never throws.
Result<ExportDescription> readExportDescription(std::string_view text);

// A file's address relative to the page: the folder, "/" and the name, with no second "/" when the folder
// ends in one, and the name alone for no folder. Unlike a system path only "/" separates: "\" is a
// character of a name in an address.
std::string joinUrlPath(std::string_view folder, std::string_view name);

} // namespace glw::formats
