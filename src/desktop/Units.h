// Twips and pixels as distinct types: the forms measure in twips, Qt in pixels, 15 twips to a pixel.
#pragma once

namespace glw::qt {

inline constexpr int kTwipsPerPixel = 15;

struct Pixels {
    int value = 0;
    friend bool operator==(Pixels, Pixels) = default;
};

struct Twips {
    int value = 0;
    friend bool operator==(Twips, Twips) = default;
};

// Rounds towards negative infinity, so that a control at -1 twip lies one pixel left of the edge, not on it.
constexpr Pixels toPixels(Twips t) {
    const int v = t.value;
    return Pixels{v >= 0 ? v / kTwipsPerPixel : -((-v + kTwipsPerPixel - 1) / kTwipsPerPixel)};
}

constexpr Twips toTwips(Pixels p) {
    return Twips{p.value * kTwipsPerPixel};
}

} // namespace glw::qt
