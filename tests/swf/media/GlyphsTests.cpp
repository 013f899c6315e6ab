// System fonts as SWF glyphs: family lookup with stand-ins, outlines as shape records, metrics.
#include "swf/media/Glyphs.h"
#include "swf/media/SwfTestReader.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace glw::swf::media {
namespace {

// The project's machines install fonts-liberation and fonts-dejavu-core; without them the stand-in
// checks cannot hold.
bool haveFamily(const std::string& family) {
    auto m = findFont(family);
    return m.ok() && !m->substituted;
}

#define REQUIRE_FAMILY(name)                                                                                           \
    if (!haveFamily(name)) {                                                                                           \
        GTEST_SKIP() << "font family " << (name) << " is not installed (fonts-liberation, fonts-dejavu-core)";         \
    }

struct StandInCase {
    const char* requested;
    const char* family;
    bool bold;
    bool italic;
};

class FontStandInTest : public ::testing::TestWithParam<StandInCase> {};

TEST_P(FontStandInTest, FindsTheInstalledEquivalent) {
    const StandInCase& c = GetParam();
    REQUIRE_FAMILY(c.family);
    auto m = findFont(c.requested);
    ASSERT_TRUE(m.ok()) << m.error().detail;
    EXPECT_EQ(m->family, c.family);
    EXPECT_EQ(m->requested, c.requested);
    EXPECT_TRUE(m->substituted);
    EXPECT_EQ(m->bold, c.bold);
    EXPECT_EQ(m->italic, c.italic);
    EXPECT_FALSE(m->file.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, FontStandInTest,
                         ::testing::Values(StandInCase{"Arial", "Liberation Sans", false, false},
                                           StandInCase{"arial", "Liberation Sans", false, false},
                                           StandInCase{"ArialMT", "Liberation Sans", false, false},
                                           StandInCase{"Arial Bold", "Liberation Sans", true, false},
                                           StandInCase{"Arial-BoldItalicMT", "Liberation Sans", true, true},
                                           StandInCase{"Times New Roman", "Liberation Serif", false, false},
                                           StandInCase{"TimesNewRomanPSMT", "Liberation Serif", false, false},
                                           StandInCase{"Times New Roman Italic", "Liberation Serif", false, true},
                                           StandInCase{"Courier New", "Liberation Mono", false, false},
                                           StandInCase{"Verdana", "DejaVu Sans", false, false},
                                           StandInCase{"Tahoma", "DejaVu Sans", false, false},
                                           StandInCase{"_sans", "Liberation Sans", false, false},
                                           StandInCase{"_typewriter", "Liberation Mono", false, false}));

TEST(FindFont, KeepsAnInstalledFamilyAndFallsBackForUnknownOnes) {
    REQUIRE_FAMILY("DejaVu Sans");
    auto own = findFont("DejaVu Sans", true, false);
    ASSERT_TRUE(own.ok());
    EXPECT_EQ(own->family, "DejaVu Sans");
    EXPECT_FALSE(own->substituted);
    EXPECT_TRUE(own->bold);

    auto unknown = findFont("Qwzx Nonexistent Display");
    ASSERT_TRUE(unknown.ok());
    EXPECT_TRUE(unknown->substituted);
    EXPECT_FALSE(unknown->file.empty());
}

TEST(FindFont, EquivalentsIgnoreCaseBlanksAndSuffixes) {
    EXPECT_EQ(equivalentFamilies("TIMES NEW ROMAN"), equivalentFamilies("Times New Roman"));
    EXPECT_EQ(equivalentFamilies("Times-Roman").front(), "Liberation Serif");
    EXPECT_EQ(equivalentFamilies("CourierNewPSMT").front(), "Liberation Mono");
    EXPECT_TRUE(equivalentFamilies("Some Font Of Our Own").empty());
}

// Every contour of a glyph closes on its start point.
void expectClosedContours(const glw::tests::ShapeView& v) {
    for (const auto& c : v.contours) {
        ASSERT_GE(c.size(), 3u);
        EXPECT_EQ(c.front(), c.back());
    }
}

TEST(GlyphFont, ConvertsOutlinesToClosedShapes) {
    REQUIRE_FAMILY("Liberation Sans");
    auto font = GlyphFont::open("Arial");
    ASSERT_TRUE(font.ok()) << font.error().detail;
    struct Case {
        char32_t code;
        std::size_t contours;
    };
    for (const Case c : {Case{U'o', 2}, Case{U'l', 1}, Case{U'B', 3}, Case{U'\u00e9', 3}, Case{U'%', 5}}) {
        SCOPED_TRACE(static_cast<unsigned>(c.code));
        auto g = font->glyph(c.code);
        ASSERT_TRUE(g.ok()) << g.error().detail;
        const auto view = glw::tests::readGlyphShape(g->shape);
        EXPECT_EQ(view.contours.size(), c.contours);
        EXPECT_TRUE(view.firstFill0Is1);
        expectClosedContours(view);
        EXPECT_GT(g->advance, 0);
        EXPECT_LT(g->advance, 2 * kEmSquare);
        // y points down: letters stand above the baseline, inside the font's ascent.
        EXPECT_LT(g->bounds.yMin, 0);
        EXPECT_GE(g->bounds.yMin, -font->metrics().ascent);
        EXPECT_LT(g->bounds.xMin, g->bounds.xMax);
    }
    EXPECT_GT(glw::tests::readGlyphShape(font->glyph(U'o')->shape).curves, 0);
}

TEST(GlyphFont, ABlankIsAnEmptyShapeWithAnAdvance) {
    REQUIRE_FAMILY("Liberation Sans");
    auto font = GlyphFont::open("Arial");
    ASSERT_TRUE(font.ok());
    auto space = font->glyph(U' ');
    ASSERT_TRUE(space.ok());
    EXPECT_EQ(space->shape, (std::vector<std::uint8_t>{0x10, 0x00}));
    EXPECT_GT(space->advance, 0);
}

TEST(GlyphFont, ReportsCharactersTheFaceLacks) {
    REQUIRE_FAMILY("Liberation Sans");
    auto font = GlyphFont::open("Arial");
    ASSERT_TRUE(font.ok());
    EXPECT_FALSE(font->hasGlyph(U'\U000F0001'));
    EXPECT_FALSE(font->hasGlyph(0x110000));
    auto g = font->glyph(U'\U000F0001');
    ASSERT_FALSE(g.ok());
    EXPECT_EQ(g.error().code, ErrorCode::NotFound);
}

TEST(GlyphFont, DefineFont3SquareIsTwentyTimesFiner) {
    REQUIRE_FAMILY("Liberation Serif");
    auto coarse = GlyphFont::open("Times New Roman", false, false, kEmSquare);
    auto fine = GlyphFont::open("Times New Roman", false, false, kEmSquareFont3);
    ASSERT_TRUE(coarse.ok());
    ASSERT_TRUE(fine.ok());
    const auto a = coarse->glyph(U'W');
    const auto b = fine->glyph(U'W');
    ASSERT_TRUE(a.ok());
    ASSERT_TRUE(b.ok());
    EXPECT_NEAR(b->advance, a->advance * 20, 20);
    EXPECT_NEAR(b->bounds.xMax, a->bounds.xMax * 20, 20);
    EXPECT_NEAR(fine->metrics().ascent, coarse->metrics().ascent * 20, 20);
    expectClosedContours(glw::tests::readGlyphShape(b->shape));
}

TEST(GlyphFont, MetricsFitTheEmSquare) {
    REQUIRE_FAMILY("Liberation Sans");
    auto font = GlyphFont::open("Arial");
    ASSERT_TRUE(font.ok());
    const FontMetrics m = font->metrics();
    EXPECT_EQ(m.emSquare, kEmSquare);
    // Arial's win ascent and descent, which the Liberation fonts share: 1854 and 434 of 2048.
    EXPECT_NEAR(m.ascent, 927, 1);
    EXPECT_NEAR(m.descent, 217, 1);
    EXPECT_GE(m.leading, 0);
}

TEST(GlyphFont, ConvertsCubicOutlines) {
    // The URW fonts are PostScript-flavoured (cubic curves, the other winding).
    if (!haveFamily("Nimbus Sans")) {
        GTEST_SKIP() << "Nimbus Sans (fonts-urw-base35) is not installed";
    }
    auto font = GlyphFont::open("Nimbus Sans");
    ASSERT_TRUE(font.ok());
    auto g = font->glyph(U'S');
    ASSERT_TRUE(g.ok());
    const auto view = glw::tests::readGlyphShape(g->shape);
    EXPECT_EQ(view.contours.size(), 1u);
    EXPECT_GT(view.curves, 4);
    expectClosedContours(view);
}

TEST(FindFallbackFont, FindsAFaceForACharacterTheTextFontLacks) {
    REQUIRE_FAMILY("Liberation Sans");
    REQUIRE_FAMILY("DejaVu Sans");
    auto arial = GlyphFont::open("Arial");
    ASSERT_TRUE(arial.ok());
    const char32_t umbrella = U'\u2602'; // in DejaVu Sans, not in the Liberation fonts
    ASSERT_FALSE(arial->hasGlyph(umbrella));
    auto match = findFallbackFont(umbrella);
    ASSERT_TRUE(match.ok()) << match.error().detail;
    auto font = GlyphFont::open(*match);
    ASSERT_TRUE(font.ok());
    auto g = font->glyph(umbrella);
    ASSERT_TRUE(g.ok());
    EXPECT_FALSE(glw::tests::readGlyphShape(g->shape).contours.empty());

    auto none = findFallbackFont(U'\U0010FFFD'); // private use: no font has it
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().code, ErrorCode::NotFound);
}

TEST(GlyphFont, RefusesAFileThatIsNoFont) {
    FontMatch bogus;
    bogus.file = GLW_SOURCE_DIR "/CMakeLists.txt";
    auto font = GlyphFont::open(bogus);
    ASSERT_FALSE(font.ok());
    EXPECT_EQ(font.error().code, ErrorCode::Malformed);
}

TEST(Utf8, DecodesAndEncodes) {
    struct Case {
        std::string utf8;
        std::u32string codes;
    };
    const Case cases[] = {
        {"abc", U"abc"},
        {"\xC3\xA9t\xC3\xA9", U"\u00e9t\u00e9"},
        {"\xE2\x82\xAC", U"\u20ac"},
        {"\xF0\x9F\x98\x80", U"\U0001F600"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeUtf8(c.utf8), c.codes);
        EXPECT_EQ(encodeUtf8(c.codes), c.utf8);
    }
    // Broken sequences: a lone continuation, a cut sequence, an overlong form, a surrogate.
    EXPECT_EQ(decodeUtf8("\x80x"), U"\ufffdx");
    EXPECT_EQ(decodeUtf8("a\xE2\x82"), U"a\ufffd\ufffd");
    EXPECT_EQ(decodeUtf8("\xC0\xAF"), U"\ufffd\ufffd");
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80"), U"\ufffd\ufffd\ufffd");
    EXPECT_EQ(encodeUtf8(std::u32string(1, static_cast<char32_t>(0x110000))), "\xEF\xBF\xBD");
}

} // namespace
} // namespace glw::swf::media
