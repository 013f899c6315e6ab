// The colour picker's palette files (".axp"): the custom palette that the user saves and loads again.
#pragma once

#include "base/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace glw::formats {

// 32 records of four little-endian signed 32-bit values: colour (red in the low byte), hue, saturation,
// luminance; 512 bytes in all.
struct PaletteRecord {
    std::int32_t Color = 0, Hue = 0, Saturation = 0, Luminance = 0;
    friend bool operator==(const PaletteRecord&, const PaletteRecord&) = default;
};
inline constexpr std::size_t kPaletteFileSize = 512;
using PaletteRecords = std::array<PaletteRecord, 32>;

// The 512 bytes of the records, every value as it stands.
std::string writePaletteFile(const PaletteRecords& records);
// The first 32 records of a file of 512 bytes or more; Truncated for a shorter one. Colours are masked to
// their low 24 bits, as higher ones would spill into the HTML text and the tints; hue, saturation and
// luminance are kept as stored.
Result<PaletteRecords> readPaletteFile(std::string_view bytes);

} // namespace glw::formats
