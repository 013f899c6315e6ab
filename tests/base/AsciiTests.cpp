// The one case-insensitive comparison: ASCII letters folded, every other byte as it is, whatever the locale.
#include "base/Ascii.h"

#include <clocale>
#include <gtest/gtest.h>

namespace glw::base {
namespace {

TEST(Ascii, FoldsOnlyAsciiLetters) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
        int order;
    };
    const Case cases[] = {
        {"Resource", "RESOURCE", true, 0},
        {"clip.SWF", "CLIP.swf", true, 0},
        {"", "", true, 0},
        {"a", "ab", false, -1},
        {"_x", "ax", false, -1},                               // "_" before letters, as in Windows listings
        {"Zeta", "alpha", false, 1},                           // letters folded to lower case before ordering
        {"\xc3\x89t\xc3\xa9", "\xc3\xa9t\xc3\xa9", false, -1}, // bytes beyond ASCII are never folded
        {"\xe9", "\xc9", false, 1},
    };
    // A locale whose tolower() would fold Latin-1 letters changes nothing.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    for (const auto& c : cases) {
        EXPECT_EQ(iequals(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(icompare(c.a, c.b), c.order) << c.a << " / " << c.b;
        EXPECT_EQ(icompare(c.b, c.a), -c.order) << c.b << " / " << c.a;
    }
    std::setlocale(LC_CTYPE, "C");
    static_assert(iequals("ABC", "abc") && lowerAscii('Q') == 'q' && upperAscii('q') == 'Q');
}

} // namespace
} // namespace glw::base
