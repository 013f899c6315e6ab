// The startup list "startup.ini" that every player and screen-saver package carries: the export writes it,
// the stubs read it value by value. One list in two layouts, the player's and the screen saver's.
#pragma once

#include "base/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// The two layouts, one value a line, each line ended by CR LF:
//  - the player's seven: movie name, height, width, background colour, scale word, movie variables and
//    the "|"-joined extra files;
//  - the screen saver's eight: movie name, height, width, background colour, author name, author web
//    address, scale word and movie variables.
// The movie variables are written with a blank after them (an empty value still makes a line).
enum class StartupKind { Player, Saver };

struct StartupList {
    std::string movie{};
    // The sizes as texts: written in number form (" 400", " 12.5"), read back as the stubs read a value
    // ("400"); startupNumber makes a whole number of them.
    std::string height{};
    std::string width{};
    std::string bgColor{};
    std::string authorName{}; // the screen saver's only
    std::string authorWeb{};  // the screen saver's only
    std::string scale{};
    std::string flashVars{};
    std::vector<std::string> extraFiles{}; // the player's only
    bool operator==(const StartupList&) const = default;
};

// The list in the layout of `kind`. Invalid, in words for the user, when a size is not a number or a value
// holds a comma or a line break (an extra file also "|"): any of them would shift every later value.
Result<std::string> writeStartupList(StartupKind kind, const StartupList& list);
// The values in the layout of `kind`; values the bytes do not hold stay empty, and a missing or blank
// seventh line of the player's gives no extra files. Never fails: the stubs play whatever a list holds.
StartupList readStartupList(StartupKind kind, std::string_view bytes);

// A value of a startup list: no "," and no line break. `what` names the value in the message.
Result<void> checkStartupValue(std::string_view value, std::string_view what);

// The number at the start of a value, as a whole number (" 400" gives 400, "12.5" gives 12); 0 when it
// holds none or it does not fit a Long.
long startupNumber(std::string_view value);

// Reads values the way the stubs' Input # statement does:
//  - blanks and tabs before a value are skipped;
//  - a value that starts with a double quote runs to the next double quote (commas and nothing else
//    inside it), and whatever follows up to the next comma or line end is dropped;
//  - any other value runs to the next comma or line end, without its closing blanks;
//  - a line end is CR LF, LF or CR; an empty line is an empty value.
class StartupListReader {
public:
    explicit StartupListReader(std::string_view bytes) : m_bytes(bytes) {}

    // The next value; nullopt at the end of the bytes (reading past the end, which the stubs skip).
    std::optional<std::string> next();
    // True when nothing is left to read (EOF).
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    // Steps over the comma or line end that closes a value.
    void skipDelimiter();

    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

} // namespace glw::formats
