// The export's HTML side: the checks on texts that other programs parse, the OBJECT/EMBED tag that embeds a
// clip, and the insertion of that tag into a web page (or a new page) without ever losing the page.
#pragma once

#include "base/Result.h"
#include "formats/ExportCode.h"
#include "formats/ExportFiles.h"
#include "formats/ObjectTag.h"
#include "formats/StartupList.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glw::main {

// ---- texts typed by the user ----

// The entries every export generates itself; a user's name must never shadow one of them (any letter case).
inline constexpr std::array<std::string_view, 5> kGeneratedExportNames = {"glwmovie.swf", "startup.ini", "glwexe.dta",
                                                                          "newclip.swf", "ppoint.swf"};

// A file name typed by the user that becomes a path inside a folder (SWF name, output names, extra files).
// Invalid with a reason when it is empty, "." or "..", holds "\", "/", ":" or a control character, or is
// one of the generated names.
Result<void> checkUserFileName(std::string_view name, std::string_view what);
// A data folder under the page's folder: empty is fine; otherwise one or more plain names separated by
// "/" (a closing "/" is allowed), none of them "." or "..", no "\", ":" or control characters.
Result<void> checkDataFolder(std::string_view folder);
// A value of a startup list: no "," and no line break, which would shift every later value for the stubs.
using formats::checkStartupValue;
// A value inside the tag: no double quote, "<", ">", CR or LF, which would end the attribute or the tag.
using formats::checkTagValue;
// A movie variable: the name holds no "&" or "=", the value no "&" (the variables travel as a&b=c pairs).
Result<void> checkFlashVariable(std::string_view name, std::string_view value);
// A file or folder name that goes into ExportFiles: no "," or "|", the list's separators.
using formats::checkExportFilesName;

// ---- the tag ----

// ExportCode's description as DoMainExport leaves it: id, movie and background colour.
using formats::ExportDescription;

// The output properties of the export dialog, as the tag reads them.
struct TagProperties {
    std::string Width;  // fWidth's text, unchanged
    std::string Height; // fHeight's text, unchanged
    bool WidthPercent = false;
    bool HeightPercent = false;
    std::string WMode = "Opaque";
    std::string Scale = "showAll";
    int HAlignIndex = 0; // 0 Center, 1 Left, 2 Right
    int VAlignIndex = 0; // 0 Center, 1 Top, 2 Bottom
    std::vector<std::pair<std::string, std::string>> Variables;
};

// The SAlign value: "L" or "R" for the horizontal index 1 or 2, then "T" or "B" for the vertical one.
std::string SAlignFor(int hAlignIndex, int vAlignIndex);
// The data folder with a closing "/" when it is not empty and has none.
std::string withClosingSlash(std::string dataFolder);
// The movie variables as "&a=1&b=2", or "" for none.
std::string flashVarsFor(const std::vector<std::pair<std::string, std::string>>& variables);

// What BuildObjectTag leaves behind.
struct ObjectTag {
    std::string Tag;        // the finished tag, one line
    std::string FlashVars;  // the new ClipFlashVars
    std::string BgColor;    // ExportBGColor
    std::string DataFolder; // ExportDataFolder with its closing "/"
};

// The address the EMBED element names for getting the player.
using formats::kPluginsPage;

// Builds the OBJECT/EMBED tag from the clip's description, the properties and the data folder. Invalid
// with a reason when a value that goes into the tag could end an attribute or the tag (see checkTagValue)
// or a variable breaks its pairs (see checkFlashVariable), or when formats::writeObjectTag refuses a value.
// Nothing is escaped or encoded: the presentation add-in reads the tag as it stands.
Result<ObjectTag> buildObjectTag(const ExportDescription& description, const TagProperties& properties,
                                 const std::string& dataFolder);

// ---- the page ----

// The fourteen spellings of the closing body tag, tried in this order.
extern const std::array<const char*, 14> kClosingBodyTags;
// Where the tag goes: the first occurrence of the first spelling of the table that occurs at all; when none
// does, the first "</body" in any letter case followed by optional blanks and ">". nullopt when neither.
std::optional<std::size_t> findClosingBodyTag(std::string_view page);
// The page with the tag inserted before its closing body tag and CR LF appended, or nullopt without one.
std::optional<std::string> pageWithTag(std::string_view page, std::string_view tag);
// A new page holding only the tag, with CR LF.
std::string newPageWithTag(std::string_view tag);

// Writes the tag into the page at `pageFile` (a system path): inserted before the closing body tag when the
// page exists (`replace` false), or a new page when it does not or `replace` is true. `playerScript` (the
// element that loads the player, or empty) goes right before the tag, unless the page loads the player
// already. The new content is written beside the page and renamed over it only when complete, so a failure
// leaves the page as it was. NotFound (with the system's message as detail) when an existing page has no
// closing body tag; Io when the page cannot be read or written.
Result<void> writeTagIntoPage(const std::string& pageFile, const std::string& tag, bool replace,
                              std::string_view playerScript = {});

// ---- the player that plays the tag ----

// No browser of today plays the tag by itself: the page carries the Flash player (its web build), whose
// script finds the OBJECT/EMBED tags of the page and plays each one where it stands. Its files go into the
// folder "ruffle" of the page's data folder.
inline constexpr std::string_view kPagePlayerFolder = "ruffle";

// The script element that loads the player from the data folder (as the tag names it: relative to the
// page, "/"-separated, empty for the page's own folder), its address percent-encoded where a URL needs it.
std::string playerScriptFor(std::string_view dataFolder);
// Whether the page loads the player already: a script element whose source ends in "ruffle.js" (any case).
bool pageLoadsPlayer(std::string_view page);
// Copies the application's player (the folder "ruffle" of `appPath`, checked against its manifest) into
// the folder "ruffle" of `dataFolder` (both system paths), unless that folder holds the same manifest
// already: once per folder, replaced when the version differs. The files go first and the manifest last,
// so a folder with the manifest is whole. NotFound, with a sentence for the user, when the application's
// player is missing or damaged; Io when a copy fails.
Result<void> copyPlayerInto(const std::string& appPath, const std::string& dataFolder);

// The message shown when an existing page has no closing body tag.
inline constexpr const char* kNoBodyTagMessage =
    "Unable to locate final body tag </BODY>.  Unable to insert Flash content to specified file.";

} // namespace glw::main
