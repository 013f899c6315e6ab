// The data behind the colour picker's two grids: the palette entry, the named palettes, the shade grid of
// a base colour, the placement of cells, the nearest-colour and base-colour searches, HTML colour text,
// and the palette file of the custom palette.
#pragma once

#include "QuelloLibColor.h"
#include "base/Result.h"
#include "formats/PaletteFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glw::colour {

struct CellRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Left and top edges inside, right and bottom edges outside.
    bool contains(std::int32_t x, std::int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

// One cell. A record that stands for no entry is all zero (IsValid false).
struct PaletteEntry {
    bool IsMain = false;
    CellRect Rect;
    std::int32_t Color = 0;
    std::int32_t Hue = 0, Saturation = 0, Luminance = 0;
    bool IsHue = false;
    std::string Name;
    bool IsValid = false;
};

struct NamedHue {
    const char* name;
    std::int32_t hue;
};
// The 31 chromatic cells of the "Normal" palette in cell order (column by column); cell 31 is "White".
extern const std::array<NamedHue, 31> kNamedHues;

inline constexpr int kCellSize = 10;
inline constexpr int kCellGap = 2;
inline constexpr int kMainColumns = 4;
inline constexpr int kRows = 8;
inline constexpr int kShadeColumns = 6;
inline constexpr int kMainCount = 32;
inline constexpr int kShadeCount = 48;
inline constexpr int kGridOrigin = 8;                                                         // main grid x0, y0
inline constexpr int kShadeOrigin = (kCellSize + kCellGap) * kMainColumns + 8 + 2 + kCellGap; // 60

// The palette state of one picker.
class PaletteModel {
public:
    // Start-up: "Normal", the default custom palette from the named hues, the main grid, and a selected
    // and base entry taken from colour 0 before any shade exists (an empty record), then the grey grid.
    PaletteModel();

    std::vector<PaletteEntry> MainEntries;  // 32 once built
    std::vector<PaletteEntry> ShadeEntries; // 48 once built; one empty entry before
    std::vector<PaletteEntry> CustomEntries;
    std::vector<std::int32_t> CustomHues; // 31 hues of the custom palette
    PaletteEntry BaseEntry, ActiveEntry, SelectedEntry;
    std::string PalType = "Normal";
    bool ShadeMode = true;
    std::string HtmlText;

    // Fills MainEntries for PalType ("Custom" takes the custom slots 0 to 30; any other name is "Normal").
    void BuildPalette();
    // Fills the 48 shade entries from BaseEntry.
    void BuildShadePalette();
    void BuildDefaultCustomPalette();
    static void LayoutCells(std::vector<PaletteEntry>& entries, int perColumn, int x0, int y0);

    // The nearest main entry by HSL distance, or a shade entry strictly nearer; the first of equals wins.
    PaletteEntry FindNearestEntry(std::int32_t colour) const;
    // The main entry the shade grid is built from: nearest hue for a colour, nearest luminance for a grey.
    PaletteEntry FindBaseEntry(std::int32_t colour) const;
};

// "#" and six upper-case hexadecimal digits, red first.
std::string RgbToHtml(std::int32_t red, std::int32_t green, std::int32_t blue);
// The colour of an HTML colour text: 0 for a text shorter than 6 characters; a leading "#" means the last
// six characters are read; digits are "0"-"9" and "A"-"F" only (anything else counts as 0).
std::int32_t WhatRGB(std::string_view valHex);
std::int32_t HexDigitValue(std::string_view digit);

// ---- palette files (".axp") ----
// The file's records under the names the picker uses; the format lives in formats/PaletteFile.h.
using formats::kPaletteFileSize;
using formats::PaletteRecord;
using formats::PaletteRecords;
inline std::string encodePalette(const PaletteRecords& records) {
    return formats::writePaletteFile(records);
}
inline Result<PaletteRecords> decodePalette(std::string_view bytes) {
    return formats::readPaletteFile(bytes);
}

} // namespace glw::colour
