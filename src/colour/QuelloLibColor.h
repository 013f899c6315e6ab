// Colours between the platform's RGB whole number (red in the low byte) and the HSL form on a 0 to 240
// scale, and the part accessors. Whole numbers are rounded half to even; every input gives a defined
// result (the arithmetic runs in 64 bits and in double precision, and results are clamped).
#pragma once

#include <cstdint>
#include <initializer_list>

namespace glw::colour {

struct HlsColor {
    std::int32_t Hue = 0;
    std::int32_t Saturation = 0;
    std::int32_t Luminance = 0;
    friend bool operator==(const HlsColor&, const HlsColor&) = default;
};

// The HSL scale top and the luminance divisor (the sum of the largest and smallest part over 512).
inline constexpr int kHlsMax = 240;

// The nearest whole number, a half going to the even neighbour; saturates at the 32-bit range, 0 for NaN.
std::int32_t roundHalfEven(double value);

// colour AND 255.
std::int32_t RedPart(std::int32_t colour);
// (colour AND &H0100FF00) / 256: the green byte, plus 65536 when bit 24 is set.
std::int32_t GreenPart(std::int32_t colour);
// (colour AND &H00FF0000) / 65536: the blue byte; everything above bit 23 is ignored.
std::int32_t BluePart(std::int32_t colour);

// The smallest (largest) of the values; among equal ones the earliest.
template <class T> T MinOf(T first, std::initializer_list<T> rest) {
    T best = first;
    for (const T& v : rest) {
        if (v < best) {
            best = v;
        }
    }
    return best;
}
template <class T> T MaxOf(T first, std::initializer_list<T> rest) {
    T best = first;
    for (const T& v : rest) {
        if (v > best) {
            best = v;
        }
    }
    return best;
}

// HSL of a colour; each value is clamped to 0 .. 240 (only colours with bits above 23 could leave it).
HlsColor RgbToHls(std::int32_t colour);
// The colour of an HSL triple; any values are accepted and each part is clamped to 0 .. 255.
std::int32_t HlsToRgb(const HlsColor& hls);
// One part on the 0 to 240 scale from the two magic values and a hue (wrapped once each way).
std::int32_t HueToRgb(std::int32_t magic1, std::int32_t magic2, std::int32_t hue);

} // namespace glw::colour
