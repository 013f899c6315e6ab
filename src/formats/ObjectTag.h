// The OBJECT/EMBED tag that embeds a clip in a page, on one line: the values that go into it, its writer,
// which refuses any value that would end an attribute or the tag, and its reader for tags of that form.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>

namespace glw::formats {

// The address the EMBED element names for getting the player.
inline constexpr const char* kPluginsPage = "http://www.adobe.com/go/getflashplayer";

struct ObjectTag {
    std::string id{};    // the OBJECT's ID and NAME; the EMBED's NAME is "e" and the id without its first letter
    std::string width{}; // as the page takes it: "550" or "100%"
    std::string height{};
    std::string movie{};     // the movie's address relative to the page
    std::string flashVars{}; // the movie variables: "DT=", the data folder, then "&a=1&b=2"
    std::string bgColor{};
    std::string wMode{};  // "Opaque" or "Transparent"
    std::string scale{};  // showAll, noBorder, exactFit, noScale
    std::string sAlign{}; // "", "L", "R", "T", "B", "LT", "LB", "RT", "RB"
    bool operator==(const ObjectTag&) const = default;
};

// A value inside the tag: no double quote, "<", ">", CR or LF, which would end the attribute or the tag.
// `what` names the value in the message.
Result<void> checkTagValue(std::string_view value, std::string_view what);

// The tag, one line. Invalid, in words for the user, when a value holds what checkTagValue refuses, when
// the width, height or colour (unquoted in the tag) hold a blank or "'", or when the id or movie (in single
// quotes) hold "'". Nothing is escaped or encoded: the add-ins read the tag as it stands.
Result<std::string> writeObjectTag(const ObjectTag& tag);
// The values of a tag that writeObjectTag wrote; Malformed, with the offset, for any other text (another
// layout, or two copies of a value that differ). Never throws.
Result<ObjectTag> readObjectTag(std::string_view text);

// The movie size and variables that the presentation add-in takes from a reply's tag, whatever wrote it.
// The sizes are read with every "%" taken as a blank (a percentage counts as its number); a size that is
// missing, not a number, below 1 or above 100000 gets the default 550 by 400. The variables are read from
// the tag as it stands. Never fails.
struct FlashPlacement {
    int width = 0;
    int height = 0;
    std::string variables;
};
inline constexpr int kDefaultMovieWidth = 550;
inline constexpr int kDefaultMovieHeight = 400;
FlashPlacement readFlashPlacement(std::string_view tag);

} // namespace glw::formats
