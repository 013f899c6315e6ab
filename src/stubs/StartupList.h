// The reading side of the startup list "startup.ini" that every player and screen-saver package carries:
// values read one at a time as the stubs read them, and the two layouts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glw::stubs {

// Reads values the way the stubs' Input # statement does:
//  - blanks and tabs before a value are skipped;
//  - a value that starts with a double quote runs to the next double quote (commas and nothing else
//    inside it), and whatever follows up to the next comma or line end is dropped;
//  - any other value runs to the next comma or line end, without its closing blanks;
//  - a line end is CR LF, LF or CR; an empty line is an empty value.
class StartupListReader {
public:
    explicit StartupListReader(std::string bytes) : m_bytes(std::move(bytes)) {}

    // The next value; nullopt at the end of the file (reading past the end, which the stubs skip).
    std::optional<std::string> next();
    // True when nothing is left to read (EOF).
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    // Steps over the comma or line end that closes a value.
    void skipDelimiter();

    std::string m_bytes;
    std::size_t m_pos = 0;
};

// The number at the start of a value, as a whole number (" 400" gives 400, "12.5" gives 12); 0 when it
// holds none or it does not fit a Long.
long startupNumber(std::string_view value);

// PlayerStartupLayout: movie name, height, width, background colour, scale word, movie variables and the
// "|"-joined extra files. Values the file does not hold keep these defaults.
struct PlayerStartupLayout {
    std::string movie;
    long height = 0;
    long width = 0;
    std::string bgColor;
    std::string scale;
    std::string flashVars;
    std::string extraFiles; // "" when line 7 is missing or blank
};

// SaverStartupLayout: movie name, height, width, background colour, author name, author web address,
// scale word and movie variables.
struct SaverStartupLayout {
    std::string movie;
    long height = 0;
    long width = 0;
    std::string bgColor;
    std::string authorName;
    std::string authorWeb;
    std::string scale;
    std::string flashVars;
};

PlayerStartupLayout readPlayerStartupLayout(std::string bytes);
SaverStartupLayout readSaverStartupLayout(std::string bytes);

// The whole file (system path); "" when it is missing or unreadable, which reads as an empty list.
std::string readStartupFile(const std::string& systemPath);

} // namespace glw::stubs
