// Letters folded as ASCII only, whatever the locale: the one case-insensitive comparison of names (files,
// entries, settings, controls) in the system.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace glw::base {

constexpr char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// True when the two texts are equal with ASCII letters folded.
constexpr bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// -1, 0 or 1 as `a` sorts before, with or after `b`, letters folded to lower case and the other bytes by
// their unsigned value (so "_" sorts before letters, as in Windows listings); a prefix sorts first.
constexpr int icompare(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

} // namespace glw::base
