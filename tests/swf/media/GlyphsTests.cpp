// System fonts as SWF glyphs: family lookup with stand-ins, outlines as shape records, metrics.
#include "swf/media/Glyphs.h"
#include "swf/media/SwfTestReader.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
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

// ---- every letter of every installed outline format, against FreeType's own outline ----

using Path = std::vector<std::pair<double, double>>;

// Distance from a point to the nearest edge of closed polygons.
double edgeDistance(const std::vector<Path>& paths, double x, double y) {
    double best = 1e300;
    for (const Path& p : paths) {
        for (std::size_t i = 0; i < p.size(); ++i) {
            const auto [x0, y0] = p[i];
            const auto [x1, y1] = p[(i + 1) % p.size()];
            const double dx = x1 - x0, dy = y1 - y0;
            const double length = dx * dx + dy * dy;
            const double t = length > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length, 0.0, 1.0) : 0.0;
            best = std::min(best, std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)));
        }
    }
    return best;
}

// Winding number of a point against closed polygons (the last point joins the first).
int windingAt(const std::vector<Path>& paths, double x, double y) {
    int winding = 0;
    for (const Path& p : paths) {
        for (std::size_t i = 0; i < p.size(); ++i) {
            const auto [x0, y0] = p[i];
            const auto [x1, y1] = p[(i + 1) % p.size()];
            const double side = (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0);
            if (y0 <= y && y1 > y && side > 0) {
                ++winding;
            } else if (y0 > y && y1 <= y && side < 0) {
                --winding;
            }
        }
    }
    return winding;
}

// FreeType's outline of a glyph in the same EM square and orientation (y down), curves flattened
// finely, read straight from the font file without our conversion.
struct ReferenceOutline {
    double scale = 1;
    std::vector<Path> paths;
    std::pair<double, double> pen;

    std::pair<double, double> at(const FT_Vector* v) const { return {v->x * scale, -v->y * scale}; }
    static ReferenceOutline& of(void* user) { return *static_cast<ReferenceOutline*>(user); }
    static int move(const FT_Vector* to, void* user) {
        auto& r = of(user);
        r.pen = r.at(to);
        r.paths.push_back({r.pen});
        return 0;
    }
    static int line(const FT_Vector* to, void* user) {
        auto& r = of(user);
        r.pen = r.at(to);
        r.paths.back().push_back(r.pen);
        return 0;
    }
    static int conic(const FT_Vector* c, const FT_Vector* to, void* user) {
        auto& r = of(user);
        const auto [x0, y0] = r.pen;
        const auto [cx, cy] = r.at(c);
        const auto [x1, y1] = r.at(to);
        for (int i = 1; i <= 32; ++i) {
            const double t = i / 32.0, u = 1 - t;
            r.paths.back().emplace_back(u * u * x0 + 2 * u * t * cx + t * t * x1,
                                        u * u * y0 + 2 * u * t * cy + t * t * y1);
        }
        r.pen = {x1, y1};
        return 0;
    }
    static int cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
        auto& r = of(user);
        const auto [x0, y0] = r.pen;
        const auto [ax, ay] = r.at(c1);
        const auto [bx, by] = r.at(c2);
        const auto [x1, y1] = r.at(to);
        for (int i = 1; i <= 32; ++i) {
            const double t = i / 32.0, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            r.paths.back().emplace_back(a * x0 + b * ax + c * bx + d * x1, a * y0 + b * ay + c * by + d * y1);
        }
        r.pen = {x1, y1};
        return 0;
    }
};

struct FaceCase {
    const char* label;
    const char* family; // found with fontconfig
    bool type1;         // the Type 1 file beside fontconfig's CFF one (Debian's fonts-urw-base35 layout)
};

std::string fileOf(const FaceCase& c) {
    auto match = findFont(c.family);
    if (!match.ok() || match->substituted) {
        return {};
    }
    if (!c.type1) {
        return match->file;
    }
    std::string file = match->file;
    for (auto [from, to] : {std::pair<std::string, std::string>{"/opentype/", "/type1/"}, {".otf", ".t1"}}) {
        const auto at = file.rfind(from);
        if (at == std::string::npos) {
            return {};
        }
        file.replace(at, from.size(), to);
    }
    return std::filesystem::exists(file) ? file : std::string();
}

class EveryLetterTest : public ::testing::TestWithParam<FaceCase> {};

// Each letter and digit is drawn, and drawn as FreeType outlines it: at every point of a grid over the
// glyph, our shape covers what FreeType's outline covers, wound the same way in every format (TrueType's
// order). Points in a thin band along FreeType's edges, where rounding to the EM square and flattening
// the curves differ, are left out.
TEST_P(EveryLetterTest, DrawsEveryLetterAsFreeTypeOutlinesIt) {
    const FaceCase& c = GetParam();
    const std::string file = fileOf(c);
    if (file.empty()) {
        GTEST_SKIP() << c.label << " is not installed (fonts-urw-base35, fonts-liberation, fonts-dejavu-core)";
    }
    FontMatch match;
    match.requested = match.family = c.family;
    match.file = file;
    auto font = GlyphFont::open(match);
    ASSERT_TRUE(font.ok()) << font.error().detail;

    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, file.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_UNICODE), 0);

    const std::u32string letters = U"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (char32_t code : letters) {
        SCOPED_TRACE(std::string(c.label) + " '" + char(code) + "'");
        auto g = font->glyph(code);
        ASSERT_TRUE(g.ok()) << g.error().detail;
        const auto drawn = glw::tests::readGlyphShape(g->shape);
        ASSERT_FALSE(drawn.paths.empty());
        expectClosedContours(drawn);

        ASSERT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        ReferenceOutline reference;
        reference.scale = double(kEmSquare) / face->units_per_EM;
        FT_Outline_Funcs funcs{};
        funcs.move_to = ReferenceOutline::move;
        funcs.line_to = ReferenceOutline::line;
        funcs.conic_to = ReferenceOutline::conic;
        funcs.cubic_to = ReferenceOutline::cubic;
        ASSERT_EQ(FT_Outline_Decompose(&face->glyph->outline, &funcs, &reference), 0);
        const bool postscript = FT_Outline_Get_Orientation(&face->glyph->outline) == FT_ORIENTATION_POSTSCRIPT;

        constexpr int kGrid = 32;
        constexpr double kBand = 4; // EM units of 1024
        const double w = g->bounds.xMax - g->bounds.xMin, h = g->bounds.yMax - g->bounds.yMin;
        int inside = 0, differ = 0, wrongWay = 0;
        for (int i = 0; i < kGrid; ++i) {
            for (int j = 0; j < kGrid; ++j) {
                const double x = g->bounds.xMin + (i + 0.5) * w / kGrid;
                const double y = g->bounds.yMin + (j + 0.5) * h / kGrid;
                if (edgeDistance(reference.paths, x, y) < kBand) {
                    continue;
                }
                const int ours = windingAt(drawn.paths, x, y);
                const int theirs = windingAt(reference.paths, x, y);
                inside += theirs != 0;
                differ += (ours != 0) != (theirs != 0);
                // TrueType's order, which the shapes keep: filled areas wind one way in y-down units.
                const int expected = postscript ? -theirs : theirs;
                wrongWay += theirs != 0 && ours != expected;
            }
        }
        EXPECT_GT(inside, kGrid * kGrid / 20);
        EXPECT_EQ(differ, 0) << differ << " of " << kGrid * kGrid << " points differ";
        EXPECT_EQ(wrongWay, 0) << wrongWay << " points wind the other way";
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

INSTANTIATE_TEST_SUITE_P(
    Faces, EveryLetterTest,
    ::testing::Values(
        FaceCase{"URW Gothic Type 1", "URW Gothic", true}, FaceCase{"URW Gothic CFF", "URW Gothic", false},
        FaceCase{"Nimbus Sans Type 1", "Nimbus Sans", true}, FaceCase{"Nimbus Sans CFF", "Nimbus Sans", false},
        FaceCase{"Nimbus Roman CFF", "Nimbus Roman", false}, FaceCase{"Nimbus Mono PS CFF", "Nimbus Mono PS", false},
        FaceCase{"C059 CFF", "C059", false}, FaceCase{"P052 CFF", "P052", false},
        FaceCase{"URW Bookman CFF", "URW Bookman", false}, FaceCase{"Z003 CFF", "Z003", false},
        FaceCase{"Liberation Sans", "Liberation Sans", false}, FaceCase{"Liberation Serif", "Liberation Serif", false},
        FaceCase{"Liberation Mono", "Liberation Mono", false}, FaceCase{"DejaVu Sans", "DejaVu Sans", false},
        FaceCase{"DejaVu Serif", "DejaVu Serif", false}),
    [](const ::testing::TestParamInfo<FaceCase>& param) {
        std::string name;
        for (const char* p = param.param.label; *p; ++p) {
            if (std::isalnum(static_cast<unsigned char>(*p))) {
                name += *p;
            }
        }
        return name;
    });

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
