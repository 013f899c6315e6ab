// The clip maker's movies are well-formed: every length, offset and count agrees with the bytes, every
// character is defined before use, and the texts, links, fields, images and sounds are what was asked.
#include "swf/TagCode.h"
#include "swf/media/Glyphs.h"
#include "swf/media/Jpeg.h"
#include "swf/media/Mp3.h"
#include "swf/media/SwfTestReader.h"
#include "swfmaker/Presets.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace glw::tools {
namespace {

using glw::tests::Reader;
using glw::tests::TagView;

struct Font {
    std::string name;
    std::vector<char32_t> codes; // by glyph index
};

// What a movie holds, gathered while every tag is checked.
struct Summary {
    std::map<std::uint16_t, int> tagCounts;
    std::vector<std::string> urls;           // in file order
    std::vector<std::string> staticTexts;    // decoded through the font's code table, lines joined by '\n'
    std::vector<std::string> fontNames;      // of fonts with glyphs
    std::vector<std::string> fieldVariables; // of DefineEditText
    std::vector<std::string> fieldTexts;
    std::vector<std::string> exports;
    std::vector<int> spriteFrames;
    bool allLongHeaders = true;
    std::size_t titleGlyphs = 0;
};

class Checker {
public:
    Summary summary;

    void checkTags(const std::vector<TagView>& tags, bool inSprite) {
        for (const TagView& t : tags) {
            summary.tagCounts[t.code]++;
            summary.allLongHeaders = summary.allLongHeaders && t.longHeader;
            SCOPED_TRACE("tag " + std::to_string(t.code));
            checkTag(t, inSprite);
        }
    }

private:
    std::set<std::uint16_t> m_defined;
    std::map<std::uint16_t, Font> m_fonts;

    void define(std::uint16_t id) {
        EXPECT_NE(id, 0);
        EXPECT_TRUE(m_defined.insert(id).second) << "character " << id << " defined twice";
    }
    void use(std::uint16_t id) {
        EXPECT_TRUE(m_defined.count(id)) << "character " << id << " used before it is defined";
    }

    void checkTag(const TagView& t, bool inSprite) {
        Reader r(t.body);
        switch (static_cast<TagCode>(t.code)) {
        case TagCode::End:
        case TagCode::ShowFrame:
            EXPECT_TRUE(t.body.empty());
            return;
        case TagCode::SetBackgroundColor:
            r.bytes(3);
            break;
        case TagCode::FileAttributes:
            EXPECT_EQ(r.u32() & ~0x01u, 0u);
            break;
        case TagCode::DoAction:
            summary.urls = join(summary.urls, glw::tests::readActions(t.body));
            return;
        case TagCode::DefineSound:
            checkSound(r);
            break;
        case TagCode::StartSound: {
            use(r.u16());
            const std::uint8_t flags = r.u8();
            if (flags & 0x04) {
                r.u16();
            }
            EXPECT_EQ(flags & ~0x04, 0);
            break;
        }
        case TagCode::DefineBitsJPEG2:
            checkJpeg(r);
            break;
        case TagCode::PlaceObject2:
            checkPlace(r);
            break;
        case TagCode::DefineShape3:
            checkShape(r);
            break;
        case TagCode::DefineButton2:
            checkButton(r);
            break;
        case TagCode::DefineEditText:
            checkEditText(r);
            break;
        case TagCode::DefineText:
            checkText(r);
            break;
        case TagCode::DefineSprite: {
            EXPECT_FALSE(inSprite);
            define(r.u16());
            const std::uint16_t frames = r.u16();
            const auto tags = glw::tests::readTags(t.body.subspan(4));
            int shows = 0;
            for (const TagView& c : tags) {
                shows += static_cast<TagCode>(c.code) == TagCode::ShowFrame;
            }
            EXPECT_EQ(frames, shows);
            summary.spriteFrames.push_back(frames);
            checkTags(tags, true);
            return;
        }
        case TagCode::DefineFont2:
            checkFont(r);
            break;
        case TagCode::ExportAssets: {
            const std::uint16_t count = r.u16();
            for (std::uint16_t i = 0; i < count; ++i) {
                use(r.u16());
                summary.exports.push_back(r.string());
            }
            break;
        }
        default:
            ADD_FAILURE() << "a tag our tools do not write";
            return;
        }
        EXPECT_TRUE(r.atEnd()) << r.remaining() << " bytes left in the tag";
    }

    static std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    void checkSound(Reader& r) {
        define(r.u16());
        const std::uint8_t format = r.u8();
        const std::uint32_t samples = r.u32();
        EXPECT_EQ(format >> 4, 2) << "MP3";
        r.s16(); // SeekSamples
        auto stream = glw::swf::media::parseMp3(r.bytes(r.remaining()));
        ASSERT_TRUE(stream.ok());
        EXPECT_EQ(stream->droppedBytes, 0u);
        auto expected = glw::swf::media::swfSoundFormat(*stream);
        ASSERT_TRUE(expected.ok());
        EXPECT_EQ(format, expected->packed());
        EXPECT_EQ(samples, expected->sampleCount);
    }

    void checkJpeg(Reader& r) {
        define(r.u16());
        const auto data = r.bytes(r.remaining());
        auto image = glw::swf::media::decodeJpeg(data);
        ASSERT_TRUE(image.ok()) << image.error().detail;
        EXPECT_TRUE(glw::swf::media::estimateJpegQuality(data).ok());
    }

    void checkPlace(Reader& r) {
        const std::uint8_t flags = r.u8();
        EXPECT_EQ(flags & 0xD8, 0) << "clip actions, clip depth, ratio or colour transform";
        r.u16(); // depth
        if (flags & 0x02) {
            use(r.u16());
        }
        if (flags & 0x04) {
            glw::tests::readMatrix(r);
        }
        if (flags & 0x20) {
            EXPECT_FALSE(r.string().empty());
        }
    }

    void checkShape(Reader& r) {
        define(r.u16());
        glw::tests::readRect(r);
        auto count = [&r]() -> std::size_t {
            std::size_t n = r.u8();
            return n == 0xFF ? r.u16() : n;
        };
        const std::size_t fills = count();
        for (std::size_t i = 0; i < fills; ++i) {
            const std::uint8_t type = r.u8();
            if (type == 0x00) {
                r.bytes(4);
            } else {
                ASSERT_EQ(type, 0x41);
                use(r.u16());
                glw::tests::readMatrix(r);
            }
        }
        const std::size_t lines = count();
        for (std::size_t i = 0; i < lines; ++i) {
            r.u16();
            r.bytes(4);
        }
        const int fillBits = static_cast<int>(r.ub(4));
        const int lineBits = static_cast<int>(r.ub(4));
        const auto shape = glw::tests::readShapeRecords(r, fillBits, lineBits);
        EXPECT_FALSE(shape.contours.empty());
    }

    void checkButton(Reader& r) {
        define(r.u16());
        EXPECT_EQ(r.u8(), 0);
        const std::size_t offsetField = r.position();
        const std::uint16_t actionOffset = r.u16();
        for (;;) {
            const std::uint8_t flags = r.u8();
            if (flags == 0) {
                break;
            }
            EXPECT_NE(flags & 0x0F, 0) << "a record in no state";
            use(r.u16());
            r.u16();
            glw::tests::readMatrix(r);
            r.ub(2);
            EXPECT_EQ(r.ub(4), 0u); // no colour transform terms
            r.align();
        }
        ASSERT_NE(actionOffset, 0);
        EXPECT_EQ(offsetField + actionOffset, r.position());
        for (;;) {
            const std::size_t start = r.position();
            const std::uint16_t size = r.u16();
            EXPECT_NE(r.u16(), 0) << "an action with no condition";
            const std::size_t actionsStart = r.position();
            const std::size_t end = size == 0 ? actionsStart + r.remaining() : start + size;
            ASSERT_LE(end, actionsStart + r.remaining());
            summary.urls = join(summary.urls, glw::tests::readActions(r.bytes(end - actionsStart)));
            if (size == 0) {
                break;
            }
        }
    }

    void checkFont(Reader& r) {
        const std::uint16_t id = r.u16();
        define(id);
        const std::uint8_t flags = r.u8();
        EXPECT_TRUE(flags & 0x04) << "wide codes";
        const bool layout = flags & 0x80;
        const bool wideOffsets = flags & 0x08;
        r.u8(); // language
        const std::uint8_t nameLength = r.u8();
        const auto nameBytes = r.bytes(nameLength);
        Font font;
        font.name.assign(nameBytes.begin(), nameBytes.end());
        const std::uint16_t glyphs = r.u16();
        const std::size_t tableStart = r.position();
        std::vector<std::size_t> offsets;
        for (std::uint16_t i = 0; i <= glyphs; ++i) {
            offsets.push_back(wideOffsets ? r.u32() : r.u16());
        }
        for (std::uint16_t i = 0; i < glyphs; ++i) {
            ASSERT_EQ(tableStart + offsets[i], r.position()) << "glyph " << i << " offset";
            const std::size_t length = offsets[i + 1] - offsets[i];
            const auto view = glw::tests::readGlyphShape(r.bytes(length));
            EXPECT_TRUE(view.contours.empty() || view.firstFill0Is1);
        }
        EXPECT_EQ(tableStart + offsets[glyphs], r.position()) << "code table offset";
        for (std::uint16_t i = 0; i < glyphs; ++i) {
            font.codes.push_back(r.u16());
            if (i > 0) {
                EXPECT_LT(font.codes[i - 1], font.codes[i]) << "code table not sorted";
            }
        }
        if (layout) {
            r.u16();
            r.u16();
            r.s16();
            for (std::uint16_t i = 0; i < glyphs; ++i) {
                r.s16();
            }
            for (std::uint16_t i = 0; i < glyphs; ++i) {
                glw::tests::readRect(r);
            }
            EXPECT_EQ(r.u16(), 0) << "kerning records";
        }
        if (glyphs > 0) {
            summary.fontNames.push_back(font.name);
        }
        m_fonts[id] = font;
    }

    void checkText(Reader& r) {
        define(r.u16());
        glw::tests::readRect(r);
        glw::tests::readMatrix(r);
        const int glyphBits = r.u8();
        const int advanceBits = r.u8();
        const Font* font = nullptr;
        std::u32string text;
        bool firstRecord = true;
        for (;;) {
            const std::uint8_t flags = r.u8();
            if (flags == 0) {
                break;
            }
            ASSERT_EQ(flags & 0xF0, 0x80);
            if (flags & 0x08) {
                const std::uint16_t fontId = r.u16();
                use(fontId);
                font = &m_fonts[fontId];
            }
            if (flags & 0x04) {
                r.bytes(3);
            }
            if (flags & 0x01) {
                r.s16();
            }
            if (flags & 0x02) {
                r.s16();
                if (!firstRecord) {
                    text.push_back(U'\n');
                }
            }
            if (flags & 0x08) {
                EXPECT_GT(r.u16(), 0) << "text height";
            }
            ASSERT_NE(font, nullptr) << "glyphs before any font";
            const std::uint8_t count = r.u8();
            for (std::uint8_t i = 0; i < count; ++i) {
                const std::uint32_t index = r.ub(glyphBits);
                r.sb(advanceBits);
                ASSERT_LT(index, font->codes.size());
                text.push_back(font->codes[index]);
            }
            r.align();
            firstRecord = false;
        }
        summary.staticTexts.push_back(glw::swf::media::encodeUtf8(text));
    }

    void checkEditText(Reader& r) {
        define(r.u16());
        glw::tests::readRect(r);
        const std::uint8_t a = r.u8();
        const std::uint8_t b = r.u8();
        if (a & 0x01) {
            const std::uint16_t fontId = r.u16();
            use(fontId);
            r.u16();
            if (b & 0x01) {
                EXPECT_FALSE(m_fonts[fontId].codes.empty()) << "outlines from a font without glyphs";
            }
        }
        if (a & 0x04) {
            r.bytes(4);
        }
        if (a & 0x02) {
            r.u16();
        }
        if (b & 0x20) {
            r.u8();
            r.u16();
            r.u16();
            r.s16();
            r.s16();
        }
        summary.fieldVariables.push_back(r.string());
        if (a & 0x80) {
            summary.fieldTexts.push_back(r.string());
        }
    }
};

Summary check(const Bytes& file, std::uint8_t version) {
    Checker c;
    const auto movie = glw::tests::readMovie(file);
    EXPECT_EQ(movie.version, version);
    int shows = 0;
    for (const TagView& t : movie.tags) {
        shows += t.code == 1;
    }
    EXPECT_EQ(movie.frameCount, shows);
    EXPECT_GT(movie.frame.xMax, movie.frame.xMin);
    c.checkTags(movie.tags, false);
    return c.summary;
}

struct PresetCase {
    std::string name;
    Compression compression;
};

class PresetMovieTest : public ::testing::TestWithParam<PresetCase> {};

TEST_P(PresetMovieTest, IsWellFormed) {
    const PresetCase& p = GetParam();
    auto movie = makePreset(p.name, p.compression);
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
    ASSERT_GE(movie->size(), 8u);
    EXPECT_EQ((*movie)[0], p.compression == Compression::Zlib ? 'C' : 'F');
    try {
        check(*movie, p.name == "blank" ? 6 : 8);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

std::vector<PresetCase> allPresets() {
    std::vector<PresetCase> out;
    for (const std::string& name : presetNames()) {
        out.push_back({name, Compression::Zlib});
        out.push_back({name, Compression::None});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetMovieTest, ::testing::ValuesIn(allPresets()),
                         [](const ::testing::TestParamInfo<PresetCase>& param) {
                             std::string n =
                                 param.param.name + (param.param.compression == Compression::Zlib ? "_cws" : "_fws");
                             for (char& ch : n) {
                                 if (ch == '-') {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

Summary summaryOf(const std::string& name) {
    auto movie = makePreset(name, Compression::None);
    EXPECT_TRUE(movie.ok());
    try {
        return check(*movie, name == "blank" ? 6 : 8);
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
        return {};
    }
}

bool haveLiberation() {
    auto m = glw::swf::media::findFont("Liberation Sans");
    return m.ok() && !m->substituted;
}

TEST(PresetMovies, TextsShowTheirCharactersInEmbeddedFonts) {
    if (!haveLiberation()) {
        GTEST_SKIP() << "fonts-liberation is not installed";
    }
    const Summary s = summaryOf("texts");
    EXPECT_EQ(s.staticTexts,
              (std::vector<std::string>{"Clipart for every page", "Made with our own tools\nSecond line in italics"}));
    EXPECT_EQ(s.fontNames, (std::vector<std::string>{"Arial", "Times New Roman", "Courier New"}));
    EXPECT_EQ(s.fieldVariables, (std::vector<std::string>{"txtMessage", "txtCaption"}));
    EXPECT_EQ(s.fieldTexts, (std::vector<std::string>{"Edit this message", "Caption text"}));
}

TEST(PresetMovies, LinksAreWhereTheyWereAsked) {
    struct Case {
        std::string preset;
        std::vector<std::string> urls;
    };
    const Case cases[] = {
        {"links", {"http://www.example.com/", "http://www.example.com/frame", "mailto:someone@example.com"}},
        {"fscommand", {"FSCommand:exit"}},
        {"exit", {"FSCommand:exit"}},
        {"sprite", {"http://www.example.com/sprite"}},
        {"full",
         {"http://www.example.com/", "FSCommand:exit", "http://www.example.com/sprite",
          "http://www.example.com/frame"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        EXPECT_EQ(summaryOf(c.preset).urls, c.urls);
    }
}

TEST(PresetMovies, HoldTheirMediaAndSprite) {
    const Summary full = summaryOf("full");
    EXPECT_EQ(full.tagCounts.at(21), 1); // DefineBitsJPEG2
    EXPECT_EQ(full.tagCounts.at(14), 1); // DefineSound
    EXPECT_EQ(full.tagCounts.at(34), 2); // DefineButton2
    EXPECT_EQ(full.tagCounts.at(37), 2); // DefineEditText
    EXPECT_EQ(full.exports, (std::vector<std::string>{"clickSound"}));
    EXPECT_EQ(full.spriteFrames, (std::vector<int>{12}));
    EXPECT_FALSE(full.allLongHeaders);
    EXPECT_TRUE(summaryOf("long-headers").allLongHeaders);
}

// What the first frame's action blocks do, as script, after their links.
struct FrameActions {
    std::vector<std::string> urls;
    std::vector<std::string> script; // of the blocks that hold no link
};

FrameActions firstFrameActions(const Bytes& file) {
    FrameActions out;
    for (const TagView& t : glw::tests::readMovie(file).tags) {
        if (static_cast<TagCode>(t.code) == TagCode::ShowFrame) {
            break;
        }
        if (static_cast<TagCode>(t.code) == TagCode::DoAction) {
            const auto urls = glw::tests::readActions(t.body);
            if (urls.empty()) {
                const auto script = glw::tests::scriptOf(t.body);
                out.script.insert(out.script.end(), script.begin(), script.end());
            }
            out.urls.insert(out.urls.end(), urls.begin(), urls.end());
        }
    }
    return out;
}

TEST(ClipMovies, ATintableClipAddsItsTintVariablesToTheColoursOfItsRoot) {
    const std::string tint =
        "new Color(_root).setTransform({ra: 100, rb: CWR | 0, ga: 100, gb: CWG | 0, ba: 100, bb: CWB | 0})";
    struct Case {
        const char* name;
        bool tintable;
        std::vector<std::string> frameLinks;
        std::vector<std::string> script;
    } cases[] = {
        {"plain", false, {}, {}},
        {"tintable", true, {}, {tint}},
        {"tintable with a guarded link", true, {"http://www.example.com/"}, {tint}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClipSpec spec;
        spec.tintable = c.tintable;
        spec.frameLinks = c.frameLinks;
        spec.compression = Compression::None;
        auto movie = makeClip(spec);
        ASSERT_TRUE(movie.ok()) << movie.error().detail;
        try {
            check(*movie, 8);
            const FrameActions actions = firstFrameActions(*movie);
            EXPECT_EQ(actions.urls, c.frameLinks);
            EXPECT_EQ(actions.script, c.script);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(PresetMovies, TitleMovieShowsItsVariable) {
    const Summary s = summaryOf("titlebar");
    EXPECT_EQ(s.fieldVariables, (std::vector<std::string>{"txtTitle"}));
    EXPECT_TRUE(s.fieldTexts.empty());
}

TEST(PresetMovies, BlankMovieIsOneEmptyFrame) {
    const Bytes blank = makeBlankMovie();
    const auto movie = glw::tests::readMovie(blank);
    ASSERT_EQ(movie.tags.size(), 2u);
    EXPECT_EQ(movie.tags[0].code, 1);
    EXPECT_EQ(movie.tags[1].code, 0);
    EXPECT_EQ(movie.frame.xMax, 550 * 20);
    EXPECT_EQ(movie.frame.yMax, 400 * 20);
}

TEST(PresetMovies, CompressedAndPlainVariantsHoldTheSameBody) {
    for (const std::string& name : presetNames()) {
        SCOPED_TRACE(name);
        auto cws = makePreset(name, Compression::Zlib);
        auto fws = makePreset(name, Compression::None);
        ASSERT_TRUE(cws.ok());
        ASSERT_TRUE(fws.ok());
        EXPECT_EQ(glw::tests::readMovie(*cws).body, glw::tests::readMovie(*fws).body);
        EXPECT_EQ(*makePreset(name, Compression::Zlib), *cws) << "not deterministic";
    }
}

TEST(PresetMovies, UnknownNameIsNotFound) {
    auto movie = makePreset("no-such-kind", Compression::None);
    ASSERT_FALSE(movie.ok());
    EXPECT_EQ(movie.error().code, ErrorCode::NotFound);
}

TEST(TestReader, RejectsBrokenMovies) {
    Bytes good = makeBlankMovie();
    Bytes wrongLength = good;
    wrongLength[4] += 1;
    Bytes cutTag = good;
    cutTag.resize(cutTag.size() - 1); // End tag cut in half
    Bytes longTag = good;
    longTag[longTag.size() - 4] = 0x3F; // ShowFrame claims a 6-byte header it lacks
    for (const Bytes& bad : {wrongLength, cutTag, longTag}) {
        EXPECT_THROW(glw::tests::readMovie(bad), std::runtime_error);
    }
}

} // namespace
} // namespace glw::tools
