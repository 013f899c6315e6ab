// HSL colour arithmetic, in double precision and 64-bit whole numbers so that no input overflows.
#include "QuelloLibColor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace glw::colour {

namespace {

std::int32_t clampTo(std::int64_t value, std::int64_t lo, std::int64_t hi) {
    return std::int32_t(std::clamp(value, lo, hi));
}

// A part on the 0 to 240 scale as a byte: x 256 / 240, rounded, then clamped (240 gives 256, so 255).
std::int32_t toByte(std::int64_t part) {
    return clampTo(roundHalfEven(double(part) * 256.0 / 240.0), 0, 255);
}

} // namespace

std::int32_t roundHalfEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lo = double(std::numeric_limits<std::int32_t>::min());
    constexpr double hi = double(std::numeric_limits<std::int32_t>::max());
    if (value <= lo) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (value >= hi) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return std::int32_t(std::nearbyint(value)); // the default rounding mode rounds half to even
}

std::int32_t RedPart(std::int32_t colour) {
    return colour & 0xFF;
}

std::int32_t GreenPart(std::int32_t colour) {
    return (colour & 0x0100FF00) / 256;
}

std::int32_t BluePart(std::int32_t colour) {
    return (colour & 0x00FF0000) / 65536;
}

HlsColor RgbToHls(std::int32_t colour) {
    const std::int64_t r = RedPart(colour);
    const std::int64_t g = GreenPart(colour);
    const std::int64_t b = BluePart(colour);
    const std::int64_t max = MaxOf(r, {g, b});
    const std::int64_t min = MinOf(r, {g, b});
    const std::int64_t sum = max + min;
    const std::int64_t diff = max - min;

    HlsColor out;
    const std::int32_t luminance = roundHalfEven(double(sum) / 512.0 * 240.0);
    out.Luminance = clampTo(luminance, 0, kHlsMax);
    if (max == min) {
        return out;
    }
    const double saturation =
        luminance <= 120 ? double(diff) / double(sum) * 240.0 : double(diff * 240) / double(512 - sum);
    out.Saturation = clampTo(roundHalfEven(saturation), 0, kHlsMax);

    const double dr = double(max - r) / double(diff) * 240.0 / 6.0;
    const double dg = double(max - g) / double(diff) * 240.0 / 6.0;
    const double db = double(max - b) / double(diff) * 240.0 / 6.0;
    double hue;
    if (r == max) {
        hue = db - dg;
    } else if (g == max) {
        hue = 80.0 + dr - db;
    } else {
        hue = 160.0 + dg - dr;
    }
    std::int64_t rounded = roundHalfEven(hue);
    if (rounded < 0) {
        rounded += 240;
    }
    out.Hue = clampTo(rounded, 0, kHlsMax);
    return out;
}

std::int32_t HueToRgb(std::int32_t magic1, std::int32_t magic2, std::int32_t hueIn) {
    std::int64_t hue = hueIn;
    if (hue < 0) {
        hue += 240;
    }
    if (hue > 240) {
        hue -= 240;
    }
    const std::int64_t m1 = magic1;
    const std::int64_t m2 = magic2;
    if (hue < 40) {
        return roundHalfEven(double(m1) + double(m2 - m1) * double(hue) / 240.0 * 6.0);
    }
    if (hue < 120) {
        return magic2;
    }
    if (hue < 160) {
        return roundHalfEven(double(m1) + double(160 - hue) * double(m2 - m1) / 240.0 * 6.0);
    }
    return magic1;
}

std::int32_t HlsToRgb(const HlsColor& hls) {
    const std::int64_t h = hls.Hue;
    const std::int64_t s = hls.Saturation;
    const std::int64_t l = hls.Luminance;
    std::int32_t red, green, blue;
    if (s == 0) {
        const std::int32_t grey = clampTo(roundHalfEven(double(l) * 256.0 / 240.0), 0, 255);
        red = green = blue = grey;
    } else {
        // Products in double: exact for every value a palette or a colour gives, and no overflow beyond.
        const std::int32_t m2 = l <= 120 ? roundHalfEven(double(l) * double(240 + s) / 240.0)
                                         : roundHalfEven(double(l + s) - double(l) * double(s) / 240.0);
        const std::int32_t m1 = roundHalfEven(2.0 * double(l) - double(m2));
        red = toByte(HueToRgb(m1, m2, roundHalfEven(double(h + 80))));
        green = toByte(HueToRgb(m1, m2, hls.Hue));
        blue = toByte(HueToRgb(m1, m2, roundHalfEven(double(h - 80))));
    }
    return red + 256 * green + 65536 * blue;
}

} // namespace glw::colour
