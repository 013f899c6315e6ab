// "cpresets.fpf", the named colour presets beside the program that the presets control offers; the demo
// library writes the shipped one.
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::formats {

// One preset a line: "[" name "]", then its data between "-+" and "+-". The data holds red between "(" and
// ")", green between "{" and "}", blue between "<" and ">", each a decimal number:
// "[Ocean]-+(0){64}<128>+-". The data stays text until a preset is chosen, so an odd value costs only itself.
struct ColourPreset {
    std::string name{};
    std::string data{}; // the text between "-+" and "+-"
    bool operator==(const ColourPreset&) const = default;
};

struct ColourPresets {
    std::vector<ColourPreset> presets{}; // in file order; duplicate names are separate presets
    bool operator==(const ColourPresets&) const = default;
};

// The lines of the presets, each ended by CR LF. Invalid, in words for the user, when a name or data is
// empty or holds a line break, a name holds "]" or "-+", or data holds "+-": such a preset would be skipped
// or read back cut short.
Result<std::string> writeColourPresets(const ColourPresets& list);
// The presets of a file: a line ends at CR LF, CR or LF; the name is the text between the first "[" and the
// next "]" after it, the data that between the first "-+" and the next "+-"; a line whose name or data is
// empty is skipped. Never fails: nothing else is checked until a preset is chosen.
ColourPresets readColourPresets(std::string_view bytes);

// The three values of a preset's data.
struct PresetColour {
    double red = 0;
    double green = 0;
    double blue = 0;
    bool operator==(const PresetColour&) const = default;
};
// The data part of the values, "(" red "){" green "}<" blue ">", each number as CStr writes it.
std::string writePresetColour(const PresetColour& colour);
// The values of a data part: each is the number at the start of the text between its marks (blanks
// skipped, a fraction allowed); a missing mark or a text that does not start with a number gives 0. No
// range is enforced.
PresetColour readPresetColour(std::string_view data);

} // namespace glw::formats
