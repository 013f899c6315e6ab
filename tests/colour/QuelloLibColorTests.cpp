// The HSL arithmetic: the named-hue table from the arithmetic, worked values, round trips, and inputs far
// outside the palette's range, which give clamped results instead of overflowing.
#include "colour/Palette.h"
#include "colour/QuelloLibColor.h"

#include <gtest/gtest.h>
#include <limits>

namespace glw::colour {
namespace {

constexpr std::int32_t rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

TEST(QuelloLibColor, NamedHueTableComesOutOfTheArithmetic) {
    // The table's colours as "#RRGGBB", in cell order.
    const char* expected[31] = {"#FF0000", "#FF4D00", "#FF8000", "#FFA000", "#FFC000", "#FFE000", "#FFED00", "#FFFF00",
                                "#00FFC0", "#00FF80", "#00FF40", "#00FF00", "#40FF00", "#80FF00", "#C0FF00", "#E0FF00",
                                "#00FFFF", "#00E0FF", "#00C0FF", "#0080FF", "#0040FF", "#0000FF", "#4000FF", "#8000FF",
                                "#FF0040", "#FF0080", "#FF00C0", "#FF00FF", "#E000FF", "#C000FF", "#A000FF"};
    for (size_t i = 0; i < kNamedHues.size(); ++i) {
        const std::int32_t c = HlsToRgb({kNamedHues[i].hue, 240, 120});
        EXPECT_EQ(RgbToHtml(RedPart(c), GreenPart(c), BluePart(c)), expected[i]) << kNamedHues[i].name;
        // And back: each named colour has its own hue at full saturation and middle luminance.
        EXPECT_EQ(RgbToHls(c), (HlsColor{kNamedHues[i].hue, 240, 120})) << kNamedHues[i].name;
    }
    EXPECT_EQ(HlsToRgb({0, 0, 240}), rgb(255, 255, 255));
}

struct RgbCase {
    std::int32_t colour;
    HlsColor hls;
    std::int32_t back; // HlsToRgb of the HSL
};

TEST(QuelloLibColor, RoundTrips) {
    const RgbCase cases[] = {
        {0, {0, 0, 0}, 0},                                       // black
        {rgb(255, 255, 255), {0, 0, 239}, rgb(255, 255, 255)},   // white: luminance over 512
        {rgb(128, 128, 128), {0, 0, 120}, rgb(128, 128, 128)},   // a grey: no hue, no saturation
        {rgb(255, 0, 0), {0, 240, 120}, rgb(255, 0, 0)},         // pure red
        {rgb(255, 255, 0), {40, 240, 120}, rgb(255, 255, 0)},    // yellow takes the red branch
        {rgb(255, 0, 255), {200, 240, 120}, rgb(255, 0, 255)},   // magenta wraps: -40 + 240
        {rgb(0, 0, 255), {160, 240, 120}, rgb(0, 0, 255)},       // blue branch
        {rgb(0, 255, 0), {80, 240, 120}, rgb(0, 255, 0)},        // green branch
        {rgb(128, 0, 0), {0, 240, 60}, rgb(128, 0, 0)},          // dark red, luminance below 120
        {rgb(255, 128, 128), {0, 236, 180}, rgb(255, 129, 129)}, // light red: luminance above 120, not exact
        {rgb(1, 2, 3), {140, 120, 2}, rgb(1, 2, 3)},             // almost black
    };
    for (const auto& c : cases) {
        const HlsColor hls = RgbToHls(c.colour);
        EXPECT_EQ(hls, c.hls) << std::hex << c.colour;
        EXPECT_EQ(HlsToRgb(hls), c.back) << std::hex << c.colour;
    }
}

TEST(QuelloLibColor, WorkedValuesAndHueToRgb) {
    EXPECT_EQ(HlsToRgb({0, 240, 120}), rgb(255, 0, 0));
    EXPECT_EQ(HlsToRgb({0, 0, 240}), rgb(255, 255, 255)); // 256 clamped, not wrapped
    EXPECT_EQ(HlsToRgb({77, 13, 240}), rgb(255, 255, 255));
    EXPECT_EQ(HueToRgb(0, 240, 240), 0);    // 240 stays 240, the last sector
    EXPECT_EQ(HueToRgb(0, 240, -200), 240); // wrapped once to 40
    EXPECT_EQ(HueToRgb(0, 240, 480), 0);    // wrapped once to 240
    EXPECT_EQ(HueToRgb(0, 240, 12), 72);
    EXPECT_EQ(HueToRgb(0, 240, 125), 210);
}

TEST(QuelloLibColor, RoundingIsHalfToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundHalfEven(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(QuelloLibColor, PartAccessorsKeepTheirBits) {
    EXPECT_EQ(RedPart(rgb(1, 2, 3)), 1);
    EXPECT_EQ(GreenPart(rgb(1, 2, 3)), 2);
    EXPECT_EQ(BluePart(rgb(1, 2, 3)), 3);
    EXPECT_EQ(GreenPart(0x01000000 | rgb(0, 7, 0)), 65536 + 7); // bit 24 rides along
    EXPECT_EQ(BluePart(0x7F000000 | rgb(0, 0, 9)), 9);          // above bit 23 ignored
    EXPECT_EQ(RedPart(-1), 255);
    EXPECT_EQ(GreenPart(-1), 65536 + 255);
    EXPECT_EQ(BluePart(-1), 255);
}

TEST(QuelloLibColor, MinOfAndMaxOfTakeTheEarliestOfEquals) {
    struct Tagged {
        int v;
        int tag;
        bool operator<(const Tagged& o) const { return v < o.v; }
        bool operator>(const Tagged& o) const { return v > o.v; }
    };
    EXPECT_EQ(MinOf(Tagged{1, 0}, {Tagged{1, 1}, Tagged{2, 2}}).tag, 0);
    EXPECT_EQ(MaxOf(Tagged{1, 0}, {Tagged{2, 1}, Tagged{2, 2}}).tag, 1);
    EXPECT_EQ(MinOf(5, {3, 9, 3}), 3);
}

// Every input gives a defined result: huge, negative and mixed values neither overflow nor leave the ranges.
TEST(QuelloLibColor, ExtremeInputsAreClamped) {
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const std::int32_t small = std::numeric_limits<std::int32_t>::min();
    const HlsColor inputs[] = {{big, big, big},  {small, small, small}, {big, small, big}, {small, big, 60},
                               {120, -240, 120}, {-1, 240, 120},        {0, 240, -5},      {0, 1, big}};
    for (const auto& in : inputs) {
        const std::int32_t c = HlsToRgb(in);
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 0xFFFFFF);
    }
    for (std::int32_t colour : {-1, small, big, 0x01FFFFFF, 0x0100FF00}) {
        const HlsColor hls = RgbToHls(colour);
        for (std::int32_t v : {hls.Hue, hls.Saturation, hls.Luminance}) {
            EXPECT_GE(v, 0) << std::hex << colour;
            EXPECT_LE(v, 240) << std::hex << colour;
        }
    }
    EXPECT_EQ(HueToRgb(small, big, 10), roundHalfEven(double(small) + (double(big) - small) * 10 / 240.0 * 6));
}

} // namespace
} // namespace glw::colour
