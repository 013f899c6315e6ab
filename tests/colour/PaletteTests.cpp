// The palette model: grids and their placement, the searches with their tie rules, HTML colour text, and
// palette files byte for byte, short, long and damaged.
#include "colour/Palette.h"

#include <gtest/gtest.h>
#include <limits>

namespace glw::colour {
namespace {

constexpr std::int32_t rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

TEST(PaletteModel, StartsWithTheNormalPaletteAndTheGreyShadesOfAnEmptyBase) {
    PaletteModel m;
    ASSERT_EQ(m.MainEntries.size(), 32u);
    EXPECT_EQ(m.MainEntries[0].Name, "Red");
    EXPECT_EQ(m.MainEntries[31].Name, "White");
    EXPECT_EQ(m.MainEntries[31].Color, rgb(255, 255, 255));
    // Before any shade existed the empty shade record was nearest to black.
    EXPECT_FALSE(m.SelectedEntry.IsValid);
    EXPECT_EQ(m.SelectedEntry.Name, "");
    ASSERT_EQ(m.ShadeEntries.size(), 48u);
    EXPECT_EQ(m.ShadeEntries[0].Name, "White");
    EXPECT_EQ(m.ShadeEntries[47].Name, "Black");
    EXPECT_EQ(m.ShadeEntries[47].Color, 0);
    EXPECT_EQ(m.ShadeEntries[9].Luminance, 210 - 5); // column 1, row 1
    ASSERT_EQ(m.CustomEntries.size(), 32u);
    EXPECT_EQ(m.CustomEntries[5].Name, "Custom");
    EXPECT_EQ(m.CustomEntries[5].Color, m.MainEntries[5].Color);
}

TEST(PaletteModel, CellsArePlacedColumnByColumn) {
    PaletteModel m;
    struct Case {
        const PaletteEntry& entry;
        CellRect rect;
    } cases[] = {
        {m.MainEntries[0], {8, 8, 18, 18}},   {m.MainEntries[7], {8, 92, 18, 102}},
        {m.MainEntries[8], {20, 8, 30, 18}},  {m.MainEntries[31], {44, 92, 54, 102}},
        {m.ShadeEntries[0], {60, 8, 70, 18}}, {m.ShadeEntries[47], {120, 92, 130, 102}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.entry.Rect, c.rect) << c.entry.Name;
    }
}

TEST(PaletteModel, ChromaticShadesTakeTheirPrefixes) {
    PaletteModel m;
    m.BaseEntry = m.MainEntries[9]; // Jade
    m.BuildShadePalette();
    EXPECT_EQ(m.ShadeEntries[1].Name, "Pale Jade");
    EXPECT_EQ(m.ShadeEntries[3].Name, "Jade");
    EXPECT_EQ(m.ShadeEntries[3].Color, m.MainEntries[9].Color);
    EXPECT_EQ(m.ShadeEntries[8 * 5 + 7].Saturation, 40);
    EXPECT_EQ(m.ShadeEntries[8 * 5 + 7].Luminance, 40);
    m.BaseEntry.Name = "Custom";
    m.BuildShadePalette();
    EXPECT_EQ(m.ShadeEntries[0].Name, "Faint Custom");
}

TEST(PaletteModel, FindNearestEntry) {
    PaletteModel m;
    for (const auto& e : m.MainEntries) {
        EXPECT_EQ(m.FindNearestEntry(e.Color).Name, e.Name);
    }
    // Black with the grey shades built is the "Black" cell; with only the main grid it is "White".
    EXPECT_EQ(m.FindNearestEntry(0).Name, "Black");
    m.ShadeMode = false;
    EXPECT_EQ(m.FindNearestEntry(0).Name, "White");
    // A tie between a main and a shade entry goes to the main one: row 3 of a chromatic base is the base.
    m.ShadeMode = true;
    m.BaseEntry = m.MainEntries[21]; // Blue
    m.BuildShadePalette();
    const PaletteEntry blue = m.FindNearestEntry(rgb(0, 0, 255));
    EXPECT_TRUE(blue.IsMain);
    EXPECT_EQ(blue.Name, "Blue");
    EXPECT_EQ(m.FindNearestEntry(m.ShadeEntries[1].Color).Name, "Pale Blue");
}

TEST(PaletteModel, FindBaseEntry) {
    PaletteModel m;
    EXPECT_EQ(m.FindBaseEntry(HlsToRgb({235, 240, 120})).Name, "Crimson"); // not circular
    EXPECT_EQ(m.FindBaseEntry(rgb(128, 128, 128)).Name, "White");
    EXPECT_FALSE(m.FindBaseEntry(0).IsValid); // White is exactly 240 away
    EXPECT_EQ(m.FindBaseEntry(rgb(255, 0, 0)).Name, "Red");
}

TEST(PaletteModel, CustomAndUnknownPalettes) {
    PaletteModel m;
    m.CustomEntries[3].Color = rgb(1, 2, 3);
    m.CustomEntries[31].Color = rgb(9, 9, 9);
    m.PalType = "Custom";
    m.BuildPalette();
    EXPECT_EQ(m.MainEntries[3].Color, rgb(1, 2, 3));
    EXPECT_EQ(m.MainEntries[31].Name, "White"); // slot 31 is kept but never shown
    m.PalType = "Pastel";
    m.BuildPalette();
    EXPECT_EQ(m.MainEntries[3].Name, "Bronze");
    m.PalType = "";
    m.BuildPalette();
    EXPECT_EQ(m.PalType, "Normal");
}

TEST(HtmlColour, TextAndDigits) {
    EXPECT_EQ(RgbToHtml(255, 128, 0), "#FF8000");
    EXPECT_EQ(RgbToHtml(0, 0, 0), "#000000");
    struct Case {
        const char* text;
        std::int32_t colour;
    } cases[] = {
        {"#FF8000", rgb(255, 128, 0)},
        {"FF8000", rgb(255, 128, 0)},
        {"#ff8000", 32768}, // lower case counts 0
        {"#FF80", 0},
        {"12345", 0},
        {"#12FF8000", rgb(255, 128, 0)},
        {"GG0000", 0},
        {"0000FF", rgb(0, 0, 255)},
        {"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WhatRGB(c.text), c.colour) << c.text;
    }
    EXPECT_EQ(HexDigitValue("F"), 15);
    EXPECT_EQ(HexDigitValue("f"), 0);
    EXPECT_EQ(HexDigitValue("9"), 9);
    EXPECT_EQ(HexDigitValue("AB"), 0);
}

PaletteRecords sampleRecords() {
    PaletteRecords records;
    for (int k = 0; k < 32; ++k) {
        records[size_t(k)] = {rgb(k, 255 - k, 7 * k), k * 7, -k, 0x7FFFFFFF - k};
    }
    return records;
}

TEST(PaletteFile, RoundTripsByteForByte) {
    const std::string bytes = encodePalette(sampleRecords());
    ASSERT_EQ(bytes.size(), kPaletteFileSize);
    // Record 1 starts at byte 16, little-endian: colour (1, 254, 7) then hue 7.
    EXPECT_EQ(bytes.substr(16, 8), std::string("\x01\xFE\x07\x00\x07\x00\x00\x00", 8));
    auto back = decodePalette(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, sampleRecords());
    EXPECT_EQ(encodePalette(*back), bytes);
}

TEST(PaletteFile, RandomBytesGiveColoursOfSixDigits) {
    // 512 random bytes once gave "#BD1000396" (nine digits) and tints outside -256 to 256.
    std::uint32_t seed = 7;
    std::string bytes;
    for (int i = 0; i < 512; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(char(seed >> 16));
    }
    auto records = decodePalette(bytes);
    ASSERT_TRUE(records);
    for (const PaletteRecord& r : *records) {
        EXPECT_EQ(r.Color & ~0xFFFFFF, 0);
        EXPECT_EQ(RgbToHtml(RedPart(r.Color), GreenPart(r.Color), BluePart(r.Color)).size(), 7u);
        EXPECT_LE(BluePart(r.Color), 255);
    }
}

TEST(PaletteFile, ShortLongAndDamagedFiles) {
    const std::string good = encodePalette(sampleRecords());
    auto empty = decodePalette("");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().code, ErrorCode::Truncated);
    EXPECT_FALSE(decodePalette(good.substr(0, 511)));
    EXPECT_FALSE(decodePalette(good.substr(0, 16)));
    // A longer file gives its first 32 records.
    auto longer = decodePalette(good + std::string(100, '\xAA'));
    ASSERT_TRUE(longer);
    EXPECT_EQ(*longer, sampleRecords());
    // Damaged values (any bytes) still read as whole numbers, colours as their low 24 bits; the model
    // copes with the rest.
    auto damaged = decodePalette(std::string(512, '\xFF'));
    ASSERT_TRUE(damaged);
    EXPECT_EQ((*damaged)[0].Color, 0xFFFFFF);
    EXPECT_EQ((*damaged)[0].Hue, -1);
    PaletteModel m;
    for (size_t k = 0; k < 32; ++k) {
        m.CustomEntries[k].Color = (*damaged)[k].Color;
        m.CustomEntries[k].Hue = std::numeric_limits<std::int32_t>::min();
        m.CustomEntries[k].Saturation = std::numeric_limits<std::int32_t>::max();
        m.CustomEntries[k].Luminance = std::numeric_limits<std::int32_t>::min();
    }
    m.PalType = "Custom";
    m.BuildPalette();
    m.ShadeMode = false;
    EXPECT_EQ(m.FindNearestEntry(0).Name, "White"); // the damaged cells are far from everything
}

} // namespace
} // namespace glw::colour
