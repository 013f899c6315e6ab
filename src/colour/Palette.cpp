// The palette model: named palettes, shade grids, cell placement, searches, HTML colour text.
#include "Palette.h"

#include <cstdlib>

namespace glw::colour {

const std::array<NamedHue, 31> kNamedHues = {{
    {"Red", 0},         {"Copper", 12}, {"Orange", 20},     {"Bronze", 25},   {"Gold", 30},    {"Topaz", 35},
    {"Tourmaline", 37}, {"Yellow", 40}, {"Turquoise", 110}, {"Jade", 100},    {"Beryl", 90},   {"Green", 80},
    {"Emerald", 70},    {"Lime", 60},   {"Lemon", 50},      {"Citrine", 45},  {"Cyan", 120},   {"Aqua", 125},
    {"Teal", 130},      {"Azure", 140}, {"Sapphire", 150},  {"Blue", 160},    {"Indigo", 170}, {"Lavender", 180},
    {"Crimson", 230},   {"Pink", 220},  {"Fuschia", 210},   {"Magenta", 200}, {"Cobalt", 195}, {"Violet", 190},
    {"Amethyst", 185},
}};

namespace {

PaletteEntry makeEntry(std::string name, std::int32_t hue, std::int32_t saturation, std::int32_t luminance, bool isHue,
                       bool isMain) {
    PaletteEntry e;
    e.IsMain = isMain;
    e.Hue = hue;
    e.Saturation = saturation;
    e.Luminance = luminance;
    e.Color = HlsToRgb({hue, saturation, luminance});
    e.IsHue = isHue;
    e.Name = std::move(name);
    e.IsValid = true;
    return e;
}

PaletteEntry white() {
    return makeEntry("White", 0, 0, 240, false, true);
}

std::int64_t distance(std::int64_t a, std::int64_t b) {
    return a > b ? a - b : b - a;
}

struct ShadeRow {
    std::int32_t luminance;
    const char* prefix;
    std::int32_t greyLuminance;
    const char* greyName;
};
constexpr ShadeRow kShadeRows[kRows] = {
    {225, "Faint ", 240, "White"}, {210, "Pale ", 210, "Silver"}, {180, "Light ", 180, "Chrome"},
    {120, "", 150, "Titanium"},    {105, "Dense ", 120, "Grey"},  {90, "Deep ", 90, "Dark Grey"},
    {60, "Dark ", 60, "Charcoal"}, {40, "Pitch ", 30, "Pitch"},
};
constexpr std::int32_t kShadeSaturations[kShadeColumns] = {240, 200, 160, 120, 80, 40};

} // namespace

PaletteModel::PaletteModel() {
    CustomHues.reserve(kNamedHues.size());
    for (const auto& h : kNamedHues) {
        CustomHues.push_back(h.hue);
    }
    BuildDefaultCustomPalette();
    BuildPalette();
    SelectedEntry = FindNearestEntry(0);
    BaseEntry = SelectedEntry;
    BuildShadePalette();
}

void PaletteModel::BuildPalette() {
    if (PalType.empty()) {
        PalType = "Normal";
    }
    if (PalType == "Custom") {
        MainEntries.resize(kMainCount);
        for (size_t i = 0; i < CustomHues.size() && i < CustomEntries.size() && i < MainEntries.size(); ++i) {
            MainEntries[i] = CustomEntries[i];
        }
    } else {
        // Any name without a hue list of its own builds the "Normal" palette.
        MainEntries.clear();
        for (const auto& h : kNamedHues) {
            MainEntries.push_back(makeEntry(h.name, h.hue, 240, 120, true, true));
        }
        MainEntries.push_back(white());
        ShadeMode = true;
        ShadeEntries.assign(1, PaletteEntry{});
    }
    LayoutCells(MainEntries, kRows, kGridOrigin, kGridOrigin);
}

void PaletteModel::BuildShadePalette() {
    const bool chromatic = BaseEntry.IsHue;
    ShadeEntries.assign(kShadeCount, PaletteEntry{});
    int k = 0;
    for (int c = 0; c < kShadeColumns; ++c) {
        for (int r = 0; r < kRows; ++r, ++k) {
            const ShadeRow& row = kShadeRows[r];
            PaletteEntry& e = ShadeEntries[size_t(k)];
            if (chromatic) {
                e = makeEntry(row.prefix + BaseEntry.Name, BaseEntry.Hue, kShadeSaturations[c], row.luminance, true,
                              false);
            } else if (k == kShadeCount - 1) {
                e = makeEntry("Black", BaseEntry.Hue, 0, 0, false, false);
            } else {
                e = makeEntry(row.greyName, BaseEntry.Hue, 0, row.greyLuminance - 5 * c, false, false);
            }
        }
    }
    LayoutCells(ShadeEntries, kRows, kShadeOrigin, kGridOrigin);
}

void PaletteModel::BuildDefaultCustomPalette() {
    CustomEntries.clear();
    for (std::int32_t hue : CustomHues) {
        CustomEntries.push_back(makeEntry("Custom", hue, 240, 120, true, true));
    }
    CustomEntries.resize(kMainCount - 1);
    CustomEntries.push_back(white());
    ShadeMode = true;
    MainEntries.assign(1, PaletteEntry{});
    ShadeEntries.assign(1, PaletteEntry{});
}

void PaletteModel::LayoutCells(std::vector<PaletteEntry>& entries, int perColumn, int x0, int y0) {
    const int pitch = kCellSize + kCellGap;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int column = int(i) / perColumn;
        const int row = int(i) % perColumn;
        CellRect& r = entries[i].Rect;
        r.Left = x0 + pitch * column;
        r.Top = y0 + pitch * row;
        r.Right = r.Left + kCellSize;
        r.Bottom = r.Top + kCellSize;
    }
}

PaletteEntry PaletteModel::FindNearestEntry(std::int32_t colour) const {
    const HlsColor hls = RgbToHls(colour);
    // 64-bit distances: entries loaded from a palette file may hold any 32-bit values.
    std::int64_t best = 720;
    PaletteEntry result;
    auto scan = [&](const std::vector<PaletteEntry>& entries) {
        for (const auto& e : entries) {
            const std::int64_t d = distance(e.Hue, hls.Hue) + distance(e.Luminance, hls.Luminance) +
                                   distance(e.Saturation, hls.Saturation);
            if (d < best) {
                result = e;
                best = d;
            }
        }
    };
    scan(MainEntries);
    if (best < 1 || !ShadeMode) {
        return result;
    }
    scan(ShadeEntries);
    return result;
}

PaletteEntry PaletteModel::FindBaseEntry(std::int32_t colour) const {
    const HlsColor hls = RgbToHls(colour);
    std::int64_t best = 240;
    PaletteEntry result;
    for (const auto& e : MainEntries) {
        const bool grey = hls.Saturation == 0;
        if (e.IsHue == grey) {
            continue;
        }
        const std::int64_t d = grey ? distance(e.Luminance, hls.Luminance) : distance(e.Hue, hls.Hue);
        if (d < best) {
            result = e;
            best = d;
        }
    }
    return result;
}

std::string RgbToHtml(std::int32_t red, std::int32_t green, std::int32_t blue) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "#";
    for (std::int32_t part : {red, green, blue}) {
        // Parts above 255 write all their digits, as hexadecimal text of the whole number does.
        std::string hex;
        auto v = std::uint32_t(part);
        do {
            hex.insert(hex.begin(), digits[v & 0xF]);
            v >>= 4;
        } while (v);
        if (hex.size() < 2) {
            hex.insert(hex.begin(), '0');
        }
        out += hex;
    }
    return out;
}

std::int32_t HexDigitValue(std::string_view digit) {
    if (digit.size() != 1) {
        return 0;
    }
    const char c = digit[0];
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 0;
}

std::int32_t WhatRGB(std::string_view valHex) {
    if (valHex.size() < 6) {
        return 0;
    }
    if (valHex.front() == '#') {
        valHex = valHex.substr(valHex.size() - 6);
    }
    auto pair = [&](size_t at) {
        return 16 * HexDigitValue(valHex.substr(at, 1)) + HexDigitValue(valHex.substr(at + 1, 1));
    };
    const std::int32_t red = pair(0);
    const std::int32_t green = pair(2);
    const std::int32_t blue = pair(valHex.size() - 2);
    return red + 256 * green + 65536 * blue;
}

} // namespace glw::colour
