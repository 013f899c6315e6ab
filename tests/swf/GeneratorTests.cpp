// The generator object as the clip editor drives it: the element events and their order, writing
// new values back (links, edit texts, static texts with glyphs added, images, sounds), rescaling,
// bad input, and the real movies of the corpus.
#include "SwfFixtures.h"
#include "swf/EditText.h"
#include "swf/Fonts.h"
#include "swf/Movie.h"
#include "swf/SwfGenerator.h"
#include "swf/Text.h"

#include <gtest/gtest.h>
#include <map>

namespace glw::swf {
namespace {

namespace fx = fixtures;

// Square glyphs for any character but those listed as missing; remembers what it was asked for.
class FakeGlyphs : public GlyphProvider {
public:
    std::u32string missing;
    std::u32string asked;
    std::vector<std::string> families;

    Result<std::vector<GlyphOutline>> glyphs(const std::string& family, bool, bool, std::u32string_view codes,
                                             int emSquare, FontMetrics& metrics) override {
        families.push_back(family);
        metrics = FontMetrics{emSquare * 9 / 10, emSquare / 5, 0};
        std::vector<GlyphOutline> out;
        for (char32_t c : codes) {
            asked.push_back(c);
            if (missing.find(c) != std::u32string::npos) {
                continue;
            }
            int size = emSquare * 7 / 10;
            out.push_back(GlyphOutline{c, fx::squareGlyph(size), emSquare / 2, Rect{0, size, -size, 0}});
        }
        return out;
    }
};

struct Harness {
    fx::TempDir dir;
    FakeGlyphs glyphs;
    Media media() {
        Media m = defaultMedia();
        m.glyphs = &glyphs;
        return m;
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        std::string path = dir.file(name);
        fx::writeFile(path, bytes);
        return path;
    }
};

// Every event of a load, one line each.
std::vector<std::string> events(const std::string& path, Media media, bool allow = true) {
    std::vector<std::string> out;
    SwfGenerator g(media);
    g.RaiseSubEvents(true);
    g.OnBeforeSubText = [&](TextActionElement& e) {
        out.push_back("before:" + e.ActionString);
        e.AllowSub = allow;
    };
    g.OnSubActionString = [&](TextActionElement& e) { out.push_back("string:" + e.ActionString); };
    g.OnSubText = [&](TextElement& e) {
        out.push_back("text:" + e.Text + "|" + e.FontName + "|" + std::to_string(e.FontHeight));
    };
    g.OnSubEditText = [&](EditTextElement& e) {
        out.push_back("edit:" + e.Text + "|" + e.FontName + "|" + std::to_string(e.FontHeight));
    };
    g.OnSubActionGetUrl = [&](LinkElement& e) { out.push_back("link:" + e.Url); };
    g.OnSubImage = [&](ImageElement& e) {
        out.push_back("image:" + std::to_string(e.ImageId) + "|" + std::to_string(e.ImageQuality));
    };
    g.OnSubSound = [&](SoundElement& e) { out.push_back("sound:" + std::to_string(e.SoundId) + "|" + e.SoundName); };
    Result<void> loaded = g.LoadSwf(path);
    EXPECT_TRUE(loaded.ok()) << (loaded ? "" : loaded.error().detail);
    return out;
}

// Only the counted events (the rows of the editor's list).
std::vector<std::string> rows(const std::string& path, Media media) {
    std::vector<std::string> out;
    for (std::string& e : events(path, media)) {
        if (e.rfind("before:", 0) != 0 && e.rfind("string:", 0) != 0) {
            out.push_back(std::move(e));
        }
    }
    return out;
}

// Loads, lets `edit` write into the n-th counted element (counting from 0), saves.
struct Edits {
    std::map<std::size_t, std::function<void(TextElement&)>> text;
    std::map<std::size_t, std::function<void(LinkElement&)>> link;
    std::map<std::size_t, std::function<void(ImageElement&)>> image;
    std::map<std::size_t, std::function<void(SoundElement&)>> sound;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Loads, edits and saves; `elements`, when given, receives the element each error refused.
std::vector<Error> apply(const std::string& in, const std::string& out, Edits& edits, Media media,
                         std::vector<std::size_t>* elements = nullptr) {
    SwfGenerator g(media);
    std::size_t index = 0;
    auto textHandler = [&](TextElement& e) {
        if (auto it = edits.text.find(index); it != edits.text.end()) {
            it->second(e);
        }
        ++index;
    };
    g.OnSubText = textHandler;
    g.OnSubEditText = textHandler;
    g.OnSubActionGetUrl = [&](LinkElement& e) {
        if (auto it = edits.link.find(index); it != edits.link.end()) {
            it->second(e);
        }
        ++index;
    };
    g.OnSubImage = [&](ImageElement& e) {
        if (auto it = edits.image.find(index); it != edits.image.end()) {
            it->second(e);
        }
        ++index;
    };
    g.OnSubSound = [&](SoundElement& e) {
        if (auto it = edits.sound.find(index); it != edits.sound.end()) {
            it->second(e);
        }
        ++index;
    };
    g.RaiseSubEvents(true);
    Result<void> loaded = g.LoadSwf(in);
    EXPECT_TRUE(loaded.ok()) << (loaded ? "" : loaded.error().detail);
    g.SwfHeight(edits.height);
    g.SwfWidth(edits.width);
    Result<void> saved = g.SaveSwf(out, 1);
    EXPECT_TRUE(saved.ok()) << (saved ? "" : saved.error().detail);
    EXPECT_EQ(g.substitutionElements().size(), g.substitutionErrors().size());
    if (elements) {
        *elements = g.substitutionElements();
    }
    return g.substitutionErrors();
}

fx::FontSpec fontAB() {
    return fx::FontSpec{};
}

Bytes sampleMovie(fx::Container c = fx::Container::Fws) {
    Bytes jpeg = fx::makeJpeg(16, 8, 75);
    return fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(fx::TextSpec{}), fx::defineEditText(fx::EditSpec{}),
                          fx::placeObject2(1, 2, fx::matrix(100, 100)),
                          fx::doAction({fx::pushStrings({"hi"}), fx::action(0x26), fx::getUrl("http://a.example/")}),
                          fx::defineSprite(5, {fx::doAction({fx::getUrl("http://sprite.example/", "_self")})}),
                          fx::defineBitsJpeg2(6, jpeg), fx::defineSound(7, fx::mp3Frames(2), 2304),
                          fx::exportAssets({{7, "beep"}})},
                         10, c);
}

TEST(SwfGeneratorEvents, ComeInFileOrderWithTheirMembers) {
    Harness h;
    std::string path = h.write("m.swf", sampleMovie());
    std::vector<std::string> expected = {
        "before:AB",
        "text:AB|Fixture Sans|400",
        "before:Hello",
        "edit:Hello|Fixture Sans|300",
        "string:hi",
        "link:http://a.example/",
        "link:http://sprite.example/",
        "image:6|75",
        "sound:7|beep",
    };
    EXPECT_EQ(events(path, h.media()), expected);
    // A fresh object on the same file: the same events in the same order.
    EXPECT_EQ(events(path, h.media()), expected);
    // The same movie compressed gives the same events.
    EXPECT_EQ(events(h.write("c.swf", sampleMovie(fx::Container::Cws)), h.media()), expected);
}

TEST(SwfGeneratorEvents, TextsWithheldWhenAllowSubStaysFalse) {
    Harness h;
    std::string path = h.write("m.swf", sampleMovie());
    std::vector<std::string> seen = events(path, h.media(), false);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& e) { return e.rfind("text:", 0) == 0; }),
              0);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& e) { return e.rfind("edit:", 0) == 0; }),
              0);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const std::string& e) { return e.rfind("link:", 0) == 0; }),
              2);
}

TEST(SwfGeneratorEvents, NoneWithoutRaiseSubEvents) {
    Harness h;
    std::string path = h.write("m.swf", sampleMovie());
    SwfGenerator g(h.media());
    int seen = 0;
    g.OnSubText = [&](TextElement&) { ++seen; };
    g.OnSubActionGetUrl = [&](LinkElement&) { ++seen; };
    ASSERT_TRUE(g.LoadSwf(path).ok());
    EXPECT_EQ(seen, 0);
    ASSERT_TRUE(g.SaveSwf(h.dir.file("out.swf"), 1).ok());
    EXPECT_EQ(fx::readFile(h.dir.file("out.swf")), fx::readFile(path));
}

TEST(SwfGeneratorSave, ElementsWrittenWithTheirOwnValuesChangeNothing) {
    Harness h;
    for (fx::Container c : {fx::Container::Fws, fx::Container::Cws}) {
        std::string path = h.write("m.swf", sampleMovie(c));
        Edits edits;
        for (std::size_t i = 0; i < 2; ++i) {
            edits.text[i] = [](TextElement& e) { e.NeedSub = true; };
        }
        for (std::size_t i = 2; i < 4; ++i) {
            edits.link[i] = [](LinkElement& e) { e.NeedSub = true; };
        }
        edits.image[4] = [](ImageElement& e) { e.NeedSub = true; };
        edits.sound[5] = [](SoundElement& e) { e.NeedSub = true; };
        EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
        EXPECT_EQ(fx::readFile(h.dir.file("out.swf")), fx::readFile(path));
    }
}

TEST(SwfGeneratorSave, LinksAreReplacedInFramesAndSprites) {
    Harness h;
    Bytes movie = fx::movieWith(
        {fx::doAction({fx::jump(static_cast<std::int16_t>(fx::getUrl("http://a.example/").size())),
                       fx::getUrl("http://a.example/"), fx::constantPool({"http://pool.example/", "_top"}),
                       fx::pushConstants({0, 1}), fx::getUrl2()}),
         fx::defineSprite(5, {fx::doAction({fx::getUrl("http://sprite.example/", "_self")})})},
        6);
    std::string path = h.write("m.swf", movie);
    Edits edits;
    edits.link[0] = [](LinkElement& e) {
        e.Url = "https://replaced.example/first";
        e.NeedSub = true;
    };
    edits.link[1] = [](LinkElement& e) {
        e.Url = "https://replaced.example/pooled";
        e.NeedSub = true;
    };
    edits.link[2] = [](LinkElement& e) {
        e.Url = "s";
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media()),
              (std::vector<std::string>{"link:https://replaced.example/first", "link:https://replaced.example/pooled",
                                        "link:s"}));
    // The jump over the first link still lands on the constant pool.
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    ByteView code = out->tags[1].payload();
    EXPECT_EQ(readU16(code.data() + 3), fx::getUrl("https://replaced.example/first").size());
    EXPECT_EQ(code[5 + fx::getUrl("https://replaced.example/first").size()], 0x88);
}

TEST(SwfGeneratorSave, EditTextTakesTextFontAndHeight) {
    Harness h;
    fx::FontSpec other;
    other.id = 8;
    other.name = "Other Sans";
    std::string path = h.write(
        "m.swf", fx::movieWith({fx::defineFont2(fontAB()), fx::defineFont2(other), fx::defineEditText(fx::EditSpec{}),
                                fx::defineEditText(fx::EditSpec{.id = 4, .text = "Second"})}));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "New words\nand a line";
        e.FontName = "other sans"; // names compare without case
        e.FontHeight = 480;
        e.NeedSub = true;
    };
    edits.text[1] = [](TextElement& e) {
        e.Text = "Device";
        e.FontName = "Nowhere Grotesk";
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_EQ(
        rows(h.dir.file("out.swf"), h.media()),
        (std::vector<std::string>{"edit:New words\nand a line|Other Sans|480", "edit:Device|Nowhere Grotesk|300"}));
    // A font the movie lacks is added as a device font, and the field draws with it.
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    const Tag* added = nullptr;
    for (const Tag& t : out->tags) {
        if (t.code() == TagCode::DefineFont2) {
            Result<Font> f = readDefineFont(t, out->version);
            if (f && f->name == "Nowhere Grotesk") {
                added = &t;
                EXPECT_EQ(f->glyphCount(), 0u);
            }
        }
    }
    ASSERT_NE(added, nullptr);
    bool found = false;
    for (const Tag& t : out->tags) {
        if (t.code() == TagCode::DefineEditText) {
            Result<EditText> field = readDefineEditText(t);
            ASSERT_TRUE(field.ok());
            if (field->id == 4) {
                found = true;
                EXPECT_FALSE(field->flags & EditText::kUseOutlines);
                EXPECT_LT(&t, &out->tags.back());
                EXPECT_GT(&t, added); // the font comes before the field that uses it
            } else {
                EXPECT_TRUE(field->flags & EditText::kUseOutlines); // glyphs were added to its font
            }
        }
    }
    EXPECT_TRUE(found);
}

// Line breaks are offered as stored and written back exactly as the editor gives them.
TEST(SwfGeneratorSave, EditTextLineBreaksAsStoredAndAsGiven) {
    Harness h;
    std::string path = h.write(
        "m.swf",
        fx::movieWith({fx::defineFont2(fontAB()), fx::defineEditText(fx::EditSpec{.fontId = 1, .text = "A\r\nB\rA"})}));
    EXPECT_EQ(rows(path, h.media()), std::vector<std::string>{"edit:A\r\nB\rA|Fixture Sans|300"});
    for (std::string given : {"BA\nAB", "B\rA\r\nA", "A\r\nB\rA!"}) {
        SCOPED_TRACE(given);
        Edits edits;
        edits.text[0] = [&](TextElement& e) {
            e.Text = given;
            e.NeedSub = true;
        };
        EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
        Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
        ASSERT_TRUE(out.ok());
        Result<EditText> field = readDefineEditText(out->tags[2]);
        ASSERT_TRUE(field.ok());
        EXPECT_EQ(field->initialText, given);
    }
}

// Reads the fonts and static texts of a saved movie.
struct Saved {
    Movie movie;
    FontMap fonts;
    std::vector<StaticText> texts;
};

Saved readSaved(const std::string& path) {
    Result<Movie> m = loadMovieFile(path);
    EXPECT_TRUE(m.ok());
    Saved s{std::move(*m), {}, {}};
    walkTags(s.movie.tags, [&](const Tag& t, int) {
        if (t.code() == TagCode::DefineFont2 || t.code() == TagCode::DefineFont3 || t.code() == TagCode::DefineFont) {
            Result<Font> f = readDefineFont(t, s.movie.version);
            EXPECT_TRUE(f.ok());
            s.fonts[f->id] = *f;
        } else if (t.code() == TagCode::DefineFontInfo2 || t.code() == TagCode::DefineFontInfo) {
            EXPECT_TRUE(readDefineFontInfo(s.fonts[fontInfoTarget(t)], t, s.movie.version).ok());
        } else if (t.code() == TagCode::DefineText || t.code() == TagCode::DefineText2) {
            Result<StaticText> text = readDefineText(t);
            EXPECT_TRUE(text.ok());
            s.texts.push_back(*text);
        }
        return true;
    });
    return s;
}

std::string decoded(const Saved& s, std::size_t i) {
    Result<DecodedText> d = decodeStaticText(s.texts.at(i), s.fonts);
    EXPECT_TRUE(d.ok());
    return d ? d->text : std::string();
}

TEST(SwfGeneratorSave, StaticTextInItsOwnGlyphs) {
    Harness h;
    std::string path = h.write("m.swf", fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(fx::TextSpec{})}));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "BA\nAAB";
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_TRUE(h.glyphs.asked.empty()); // the movie's font had every glyph
    Saved s = readSaved(h.dir.file("out.swf"));
    EXPECT_EQ(decoded(s, 0), "BA\nAAB");
    ASSERT_EQ(s.texts[0].records.size(), 2u);
    // Laid out from the old start at the old line spacing; advances from the font's layout
    // (600 em units at 400 twips).
    EXPECT_EQ(s.texts[0].records[0].x, 20);
    EXPECT_EQ(s.texts[0].records[0].y, 400);
    EXPECT_EQ(s.texts[0].records[1].y, 830); // one line had no spacing to keep: the font's (1100 em)
    EXPECT_EQ(s.texts[0].records[0].glyphs[0].advance, 234);
    EXPECT_EQ(s.texts[0].records[0].height, 400);
    EXPECT_EQ(s.fonts.at(1).glyphCount(), 2u);
    EXPECT_GE(s.texts[0].bounds.xMax, 20 + 3 * 234);
}

TEST(SwfGeneratorSave, StaticTextGainsTheGlyphsItsFontLacks) {
    Harness h;
    fx::FontSpec bc;
    bc.codes = u"BC";
    std::string path =
        h.write("m.swf", fx::movieWith({fx::defineFont2(bc), fx::defineText(fx::TextSpec{.lines = {{0, 1}}}),
                                        fx::defineText(fx::TextSpec{.id = 9, .lines = {{1}, {0}}})}));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "ABC\r\nD"; // Windows line breaks separate lines too
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_EQ(h.glyphs.asked, U"AD");
    EXPECT_EQ(h.glyphs.families, std::vector<std::string>{"Fixture Sans"});
    Saved s = readSaved(h.dir.file("out.swf"));
    ASSERT_EQ(s.fonts.size(), 1u);
    const Font& f = s.fonts.at(1);
    EXPECT_EQ(f.codes, (std::vector<char32_t>{U'A', U'B', U'C', U'D'})); // kept in code order
    EXPECT_EQ(f.advances.size(), 4u);
    EXPECT_EQ(f.bounds.size(), 4u);
    EXPECT_GT(shapeBounds(f.shapes[0]).width(), 0); // the added glyph draws
    EXPECT_EQ(decoded(s, 0), "ABC\nD");
    // The other text in that font was renumbered and still reads the same.
    EXPECT_EQ(decoded(s, 1), "C\nB");
}

TEST(SwfGeneratorSave, StaticTextInAFontTheMovieLacks) {
    Harness h;
    std::string path = h.write("m.swf", fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(fx::TextSpec{}),
                                                       fx::defineText(fx::TextSpec{.id = 9})}));
    Edits edits;
    auto toOther = [](TextElement& e) {
        e.Text = "Hi";
        e.FontName = "Other Serif";
        e.FontHeight = 300;
        e.NeedSub = true;
    };
    edits.text[0] = toOther;
    edits.text[1] = toOther;
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media()),
              (std::vector<std::string>{"text:Hi|Other Serif|300", "text:Hi|Other Serif|300"}));
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    // One new font, before the first text that uses it, under an id of its own.
    ASSERT_EQ(out->tags[2].code(), TagCode::DefineFont2);
    Result<Font> f = readDefineFont(out->tags[2], out->version);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->name, "Other Serif");
    EXPECT_EQ(f->id, 10);
    EXPECT_EQ(f->codes, (std::vector<char32_t>{U'H', U'i'}));
    EXPECT_EQ(out->tags[3].code(), TagCode::DefineText);
}

TEST(SwfGeneratorSave, CharacterNoFontCanDrawLeavesTheTextAsItWas) {
    Harness h;
    h.glyphs.missing.push_back(U'\u2603');
    std::string path = h.write("m.swf", fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(fx::TextSpec{})}));
    Edits edits;
    const std::string snowman = "A\u2603";
    edits.text[0] = [&](TextElement& e) {
        e.Text = snowman;
        e.NeedSub = true;
    };
    std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, h.media());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code, ErrorCode::Unsupported);
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media()), std::vector<std::string>{"text:AB|Fixture Sans|400"});
}

TEST(SwfGeneratorSave, DefineFont3AndItsAlignZonesGainGlyphsTogether) {
    Harness h;
    fx::FontSpec f3;
    f3.font3 = true;
    Bytes zones;
    fx::u16(zones, 1);
    fx::u8(zones, 0x40);
    for (int i = 0; i < 2; ++i) {
        fx::append(zones, Bytes{2, 1, 2, 3, 4, 5, 6, 7, 8, 3});
    }
    std::string path =
        h.write("m.swf", fx::movieWith({fx::defineFont2(f3), fx::tag(TagCode::DefineFontAlignZones, zones),
                                        fx::defineText(fx::TextSpec{.text2 = true})},
                                       8));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "0AB";
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    Saved s = readSaved(h.dir.file("out.swf"));
    EXPECT_EQ(s.fonts.at(1).codes, (std::vector<char32_t>{U'0', U'A', U'B'}));
    EXPECT_EQ(decoded(s, 0), "0AB");
    // Advances of a DefineFont3 are in its finer em square: 12000 of 20480 at 400 twips.
    EXPECT_EQ(s.texts[0].records[0].glyphs[1].advance, 234);
    ByteView z = s.movie.tags[2].payload();
    ASSERT_EQ(z.size(), 3u + 3 * 10);
    EXPECT_EQ(z[3], 2); // the new glyph's zones: empty
    EXPECT_EQ(z[3 + 9], 0);
    EXPECT_EQ(z[13 + 1], 1); // the old ones moved along
}

// DefineFont with two square glyphs and the DefineFontInfo (or DefineFontInfo2, with its language
// byte) that names it "Verdana"; `codes` is the code table as stored, 8 or 16 bits per glyph.
Bytes defineFontAndInfo(TagCode infoCode, std::uint8_t infoFlags, const Bytes& codes) {
    Bytes font;
    fx::u16(font, 1);
    Bytes shape = fx::squareGlyph(700);
    fx::u16(font, 4);
    fx::u16(font, static_cast<unsigned>(4 + shape.size()));
    fx::append(font, shape);
    fx::append(font, shape);
    Bytes info;
    fx::u16(info, 1);
    fx::u8(info, 7);
    info.insert(info.end(), {'V', 'e', 'r', 'd', 'a', 'n', 'a'});
    fx::u8(info, infoFlags);
    if (infoCode == TagCode::DefineFontInfo2) {
        fx::u8(info, 1); // Latin
    }
    fx::append(info, codes);
    return fx::cat({fx::tag(TagCode::DefineFont, font, true), fx::tag(infoCode, info, true)});
}

TEST(SwfGeneratorSave, DefineFontTextGetsADefineFont2Copy) {
    Harness h;
    // DefineFont with a DefineFontInfo2, as Flash MX writes static text.
    std::string path = h.write(
        "m.swf", fx::movieWith({defineFontAndInfo(TagCode::DefineFontInfo2, 0x01, {'A', 0, 'B', 0}), // wide codes
                                fx::defineText(fx::TextSpec{.text2 = true})},
                               6));
    EXPECT_EQ(rows(path, h.media()), std::vector<std::string>{"text:AB|Verdana|400"});
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "CAB";
        e.NeedSub = true;
    };
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media()), std::vector<std::string>{"text:CAB|Verdana|400"});
    Saved s = readSaved(h.dir.file("out.swf"));
    EXPECT_EQ(s.fonts.at(1).code, TagCode::DefineFont); // the original stays for anything else using it
    ASSERT_EQ(s.fonts.size(), 2u);
    EXPECT_EQ(s.fonts.at(3).code, TagCode::DefineFont2); // under the first free id
    EXPECT_EQ(s.fonts.at(3).codes, (std::vector<char32_t>{U'A', U'B', U'C'}));
    // Advances of a font without layout come from what the movie's texts show (240 twips).
    EXPECT_EQ(s.texts[0].records[0].glyphs[1].advance, 240);
}

TEST(SwfGeneratorSave, StaticTextInInstalledFontGlyphs) {
    // With the real glyph source: the added character has a real outline.
    Harness h;
    Media real = defaultMedia();
    std::string path = h.write("m.swf", fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(fx::TextSpec{})}));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "ABg";
        e.FontName = "Arial";
        e.NeedSub = true;
    };
    std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, real);
    if (!errors.empty() && errors[0].code == ErrorCode::NotFound) {
        GTEST_SKIP() << "no installed fonts: " << errors[0].detail;
    }
    ASSERT_TRUE(errors.empty()) << errors[0].detail;
    Saved s = readSaved(h.dir.file("out.swf"));
    const Font* arial = nullptr;
    for (const auto& [id, f] : s.fonts) {
        if (f.name == "Arial") {
            arial = &f;
        }
    }
    ASSERT_NE(arial, nullptr);
    int g = arial->indexOf(U'g');
    ASSERT_GE(g, 0);
    Rect b = shapeBounds(arial->shapes[static_cast<std::size_t>(g)]);
    EXPECT_GT(b.width(), 100);
    EXPECT_GT(b.yMax, 0); // the descender reaches below the baseline
    EXPECT_GT(arial->advances[static_cast<std::size_t>(g)], 0);
    EXPECT_EQ(decoded(s, 0), "ABg");
}

int jpegWidth(ByteView jpeg) {
    Result<std::pair<int, int>> size = jpegSizeFromMarkers(jpeg);
    return size ? size->first : -1;
}

TEST(SwfGeneratorSave, ImagesTakeAJpegAtTheirOwnSize) {
    Harness h;
    std::string replacement = h.write("new.jpg", fx::makeJpeg(64, 40, 90, 30));
    std::string notJpeg = h.write("new.png", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
    std::string path = h.write(
        "m.swf", fx::movieWith({fx::defineBitsJpeg2(1, fx::makeJpeg(16, 8, 60)),
                                fx::defineBitsJpeg3(2, fx::makeJpeg(10, 10, 60), 10, 10),
                                fx::defineBitsLossless(3, 4, 3), fx::defineBitsJpeg2(4, fx::makeJpeg(8, 8, 60))}));
    EXPECT_EQ(rows(path, h.media()),
              (std::vector<std::string>{"image:1|60", "image:2|60", "image:3|100", "image:4|60"}));
    Edits edits;
    for (std::size_t i = 0; i < 3; ++i) {
        edits.image[i] = [&](ImageElement& e) {
            e.ImageFile = replacement;
            e.ImageQuality = 40;
            e.NeedSub = true;
        };
    }
    edits.image[3] = [&](ImageElement& e) {
        e.ImageFile = notJpeg;
        e.NeedSub = true;
    };
    std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, h.media());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].detail.find("image 4"), std::string::npos);
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media()),
              (std::vector<std::string>{"image:1|40", "image:2|40", "image:3|40", "image:4|60"}));
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out->tags[1].code(), TagCode::DefineBitsJPEG2);
    EXPECT_EQ(jpegWidth(out->tags[1].payload().subspan(2)), 16);
    ByteView j3 = out->tags[2].payload();
    ASSERT_EQ(out->tags[2].code(), TagCode::DefineBitsJPEG3);
    std::size_t jpegSize = readU32(j3.data() + 2);
    EXPECT_EQ(jpegWidth(j3.subspan(6, jpegSize)), 10);
    Bytes alpha(200);
    uLongf alphaSize = alpha.size();
    ASSERT_EQ(uncompress(alpha.data(), &alphaSize, j3.data() + 6 + jpegSize, j3.size() - 6 - jpegSize), Z_OK);
    EXPECT_EQ(alphaSize, 100u);
    EXPECT_EQ(alpha[0], 0xFF);
    EXPECT_EQ(out->tags[3].code(), TagCode::DefineBitsJPEG2); // the lossless bitmap now holds a JPEG
    EXPECT_EQ(jpegWidth(out->tags[3].payload().subspan(2)), 4);
}

TEST(SwfGeneratorSave, SoundsTakeAnMp3) {
    Harness h;
    std::string mp3 = h.write("new.mp3", fx::cat({fx::id3Tag(), fx::mp3Frames(5)}));
    std::string wrongRate = h.write("48k.mp3", fx::mp3Frames(5, 1));
    std::string path = h.write("m.swf", fx::movieWith({fx::defineSound(1, fx::mp3Frames(1), 1152),
                                                       fx::defineSound(2, fx::mp3Frames(1), 1152)}));
    Edits edits;
    edits.sound[0] = [&](SoundElement& e) {
        e.SoundFile = mp3;
        e.NeedSub = true;
    };
    edits.sound[1] = [&](SoundElement& e) {
        e.SoundFile = wrongRate;
        e.NeedSub = true;
    };
    std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, h.media());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code, ErrorCode::Unsupported);
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    ByteView s = out->tags[1].payload();
    EXPECT_EQ(s[2], (2 << 4) | (3 << 2) | 0x02); // MP3, 44 kHz, 16-bit, mono
    EXPECT_EQ(readU32(s.data() + 3), 5u * 1152);
    EXPECT_EQ(s.size(), 7u + 2 + fx::mp3Frames(5).size()); // the ID3 tag is gone
    EXPECT_EQ(out->tags[2].payload().size(), 7u + 2 + fx::mp3Frames(1).size());
}

TEST(SwfGeneratorSave, EachRefusalNamesItsElement) {
    // Elements of the sample: text 0, edit text 1, links 2 and 3, image 4, sound 5.
    Harness h;
    h.glyphs.missing = std::u32string(1, U'Z'); // not = U"Z": GCC 12 with the sanitizers misreads that copy
    std::string path = h.write("m.swf", sampleMovie());
    std::string png = h.write("photo.jpg", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
    std::string wav = h.write("tune.mp3", fx::cat({Bytes{'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E'}}));
    Edits edits;
    edits.text[0] = [](TextElement& e) {
        e.Text = "AZ";
        e.NeedSub = true;
    };
    edits.text[1] = [](TextElement& e) {
        e.Text = "Fine";
        e.NeedSub = true;
    };
    edits.image[4] = [&](ImageElement& e) {
        e.ImageFile = png;
        e.NeedSub = true;
    };
    edits.sound[5] = [&](SoundElement& e) {
        e.SoundFile = wav;
        e.NeedSub = true;
    };
    std::vector<std::size_t> elements;
    std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, h.media(), &elements);
    ASSERT_EQ(errors.size(), 3u);
    std::map<std::size_t, std::string> byElement;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        byElement[elements[i]] = errors[i].detail;
    }
    ASSERT_EQ(byElement.size(), 3u);
    EXPECT_NE(byElement[0].find("text \"AB\""), std::string::npos) << byElement[0];
    EXPECT_NE(byElement[4].find("image 6"), std::string::npos) << byElement[4];
    EXPECT_NE(byElement[5].find("sound 7"), std::string::npos) << byElement[5];
    // The edit that could be built is in the movie.
    EXPECT_EQ(rows(h.dir.file("out.swf"), h.media())[1], "edit:Fine|Fixture Sans|300");
}

TEST(SwfGeneratorSave, TextHeightsAMovieCannotStoreAreRefused) {
    struct Case {
        std::size_t element; // 0 the static text, 1 the edit text
        std::int32_t height;
        bool stored;
    } cases[] = {
        {0, 65535, true}, {0, 65536, false}, {0, 5000000, false},
        {1, 65535, true}, {1, 65536, false}, {1, 2147483647, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.element) + " " + std::to_string(c.height));
        Harness h;
        std::string path = h.write("m.swf", sampleMovie());
        Edits edits;
        edits.text[c.element] = [&](TextElement& e) {
            e.FontHeight = c.height;
            e.NeedSub = true;
        };
        std::vector<std::size_t> elements;
        std::vector<Error> errors = apply(path, h.dir.file("out.swf"), edits, h.media(), &elements);
        const std::string row = rows(h.dir.file("out.swf"), h.media())[c.element];
        if (c.stored) {
            EXPECT_TRUE(errors.empty());
            EXPECT_NE(row.find("|" + std::to_string(c.height)), std::string::npos) << row;
        } else {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].code, ErrorCode::TooLarge);
            EXPECT_NE(errors[0].detail.find("65535"), std::string::npos) << errors[0].detail;
            EXPECT_EQ(elements[0], c.element);
            EXPECT_EQ(row, c.element == 0 ? "text:AB|Fixture Sans|400" : "edit:Hello|Fixture Sans|300");
        }
    }
}

TEST(SwfGeneratorSave, Mp3SoundRaisesAnOlderMovieToVersion4) {
    struct Case {
        std::uint8_t version;
        std::uint8_t saved;
    } cases[] = {{2, 4}, {3, 4}, {4, 4}, {5, 5}, {8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.version));
        Harness h;
        std::string mp3 = h.write("new.mp3", fx::mp3Frames(3));
        std::string path = h.write("m.swf", fx::movieWith({fx::defineSound(1, fx::mp3Frames(1), 1152)}, c.version));
        Edits edits;
        edits.sound[0] = [&](SoundElement& e) {
            e.SoundFile = mp3;
            e.NeedSub = true;
        };
        EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
        Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
        ASSERT_TRUE(out.ok());
        EXPECT_EQ(out->version, c.saved);
    }
}

TEST(SwfGeneratorEvents, AnEditTextInADefineFont4NamesItsFont) {
    Harness h;
    Bytes font4;
    fx::u16(font4, 1);
    fx::u8(font4, 0x01); // bold, no font data
    fx::str(font4, "Embedded Serif");
    fx::EditSpec edit;
    std::string path =
        h.write("m.swf", fx::movieWith({fx::tag(TagCode::DefineFont4, font4), fx::defineEditText(edit)}));
    EXPECT_EQ(rows(path, h.media()), (std::vector<std::string>{"edit:Hello|Embedded Serif|300"}));
}

// --- rescaling -------------------------------------------------------------------------------------

Matrix matrixOf(const Tag& placement) {
    ByteReader r(placement.payload());
    std::uint8_t flags = r.u8();
    r.skip(2);
    if (flags & 0x02) {
        r.skip(2);
    }
    return (flags & 0x04) ? readMatrix(r) : Matrix{};
}

TEST(SwfGeneratorSave, RescalingRefusesScalesThePlacementsCannotStore) {
    // An 11000-twip-wide stage (550 px): placements hold scales below 16384 times.
    struct Case {
        std::int32_t width; // twips
        bool saved;
    } cases[] = {{22000, true}, {11000 * 16000, true}, {11000 * 16400, false}, {100000000, true}, {2000000000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        Harness h;
        fx::MovieSpec spec;
        spec.frame = fx::rect(0, 11000, 0, 8000);
        spec.tags = fx::cat(
            {fx::backgroundColor(), fx::placeObject2(1, 5, fx::matrix(1000, 2000)), fx::showFrame(), fx::endTag()});
        std::string path = h.write("m.swf", fx::buildMovie(spec));
        SwfGenerator g(h.media());
        ASSERT_TRUE(g.LoadSwf(path).ok());
        g.SwfWidth(c.width);
        Result<void> saved = g.SaveSwf(h.dir.file("out.swf"), 1);
        EXPECT_EQ(saved.ok(), c.saved);
        if (!saved.ok()) {
            EXPECT_EQ(saved.error().code, ErrorCode::TooLarge);
            EXPECT_FALSE(std::filesystem::exists(h.dir.file("out.swf")));
        }
    }
}

TEST(SwfGeneratorSave, RescalingScalesStageAndRootPlacements) {
    Harness h;
    fx::MovieSpec spec;
    spec.frame = fx::rect(-2000, 9000, 1000, 9000); // 11000 x 8000 twips from a non-zero origin
    spec.tags = fx::cat({fx::backgroundColor(), fx::defineSprite(5, {fx::placeObject2(1, 4, fx::matrix(100, 100))}),
                         fx::placeObject2(1, 5, fx::matrix(1000, 2000)), fx::placeObject2(2, 5, std::nullopt),
                         fx::placeObject2(3, 5, fx::matrix(10, 10, std::make_pair(0x8000, 0x20000))), fx::showFrame(),
                         fx::placeObject2(1, std::nullopt, std::nullopt, true),
                         fx::placeObject2(1, std::nullopt, fx::matrix(500, 500), true), fx::showFrame(), fx::endTag()});
    std::string path = h.write("m.swf", fx::buildMovie(spec));
    Edits edits;
    edits.width = 22000;
    edits.height = 4000;
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out->frame, (Rect{-4000, 18000, 500, 4500}));
    Matrix sprite = matrixOf(out->tags[1].children()[0]);
    EXPECT_FALSE(sprite.hasScale); // inside a sprite: untouched
    EXPECT_EQ(sprite.translateX, 100);
    Matrix a = matrixOf(out->tags[2]);
    EXPECT_EQ(a.scaleX, 0x20000);
    EXPECT_EQ(a.scaleY, 0x8000);
    EXPECT_EQ(a.translateX, 2000);
    EXPECT_EQ(a.translateY, 1000);
    Matrix b = matrixOf(out->tags[3]); // a new placement without a matrix gets the scale
    EXPECT_EQ(b.scaleX, 0x20000);
    EXPECT_EQ(b.scaleY, 0x8000);
    Matrix c = matrixOf(out->tags[4]);
    EXPECT_EQ(c.scaleX, 0x10000);
    EXPECT_EQ(c.scaleY, 0x10000);
    EXPECT_EQ(out->tags[6].payload().size(), 3u); // changes only: left alone
    Matrix moved = matrixOf(out->tags[7]);        // a move with a new matrix is scaled too
    EXPECT_EQ(moved.translateX, 1000);
    EXPECT_EQ(moved.translateY, 250);
}

TEST(SwfGeneratorSave, SizeOfZeroOrLessKeepsThatSide) {
    Harness h;
    std::string path = h.write("m.swf", fx::movieWith({fx::placeObject2(1, 5, fx::matrix(1000, 2000))}));
    Edits edits;
    edits.width = 0;
    edits.height = 16000;
    EXPECT_TRUE(apply(path, h.dir.file("out.swf"), edits, h.media()).empty());
    Result<Movie> out = loadMovieFile(h.dir.file("out.swf"));
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out->frame, (Rect{0, 11000, 0, 16000}));
    Matrix m = matrixOf(out->tags[1]);
    EXPECT_EQ(m.scaleX, 0x10000);
    EXPECT_EQ(m.scaleY, 0x20000);
    EXPECT_EQ(m.translateY, 4000);
    edits.height = -5;
    EXPECT_TRUE(apply(path, h.dir.file("same.swf"), edits, h.media()).empty());
    EXPECT_EQ(fx::readFile(h.dir.file("same.swf")), fx::readFile(path));
}

// --- bad input -------------------------------------------------------------------------------------

struct HostileScanCase {
    const char* name;
    Bytes movie;
    std::size_t rows; // counted events that are still raised
    // The tag the scan names as unreadable first, with its offset; empty when none is.
    std::string unreadable;
};

std::vector<HostileScanCase> hostileScanCases() {
    std::vector<HostileScanCase> cases;
    {
        Bytes p;
        fx::u16(p, 1);
        fx::u8(p, 0x84);
        fx::u8(p, 1);
        fx::u8(p, 1);
        fx::u8(p, 'F');
        fx::u16(p, 0xFFFF); // 65535 glyphs in a few bytes
        fx::append(p, Bytes(8, 0));
        cases.push_back({"font_glyph_count_beyond_bytes",
                         fx::movieWith({fx::tag(TagCode::DefineFont2, p, true), fx::defineText(fx::TextSpec{})}), 0,
                         "DefineFont2"});
    }
    {
        fx::TextSpec t;
        t.lines = {std::vector<unsigned>(200, 0)};
        Bytes text = fx::defineText(t);
        text.resize(text.size() - 300); // cut inside the glyph entries
        std::size_t payload = text.size() - 6;
        putU32(text.data() + 2, static_cast<std::uint32_t>(payload));
        cases.push_back(
            {"text_glyph_count_beyond_bytes", fx::movieWith({fx::defineFont2(fontAB()), text}), 0, "DefineText"});
    }
    {
        fx::TextSpec t;
        t.lines = {{0, 200}}; // a glyph index past the font's glyphs
        cases.push_back(
            {"glyph_index_past_font", fx::movieWith({fx::defineFont2(fontAB()), fx::defineText(t)}), 1, ""});
    }
    {
        Bytes p;
        fx::u16(p, 0xFFFF);
        fx::u16(p, 7);
        p.push_back('a'); // no terminator
        cases.push_back(
            {"export_count_beyond_bytes",
             fx::movieWith({fx::defineSound(7, fx::mp3Frames(1), 1152), fx::tag(TagCode::ExportAssets, p, true)}), 1,
             ""});
    }
    {
        Bytes edit = fx::defineEditText(fx::EditSpec{});
        edit.resize(edit.size() - 4);
        putU32(edit.data() + 2, static_cast<std::uint32_t>(edit.size() - 6));
        cases.push_back({"edit_text_cut_short", fx::movieWith({fx::defineFont2(fontAB()), edit}), 0, "DefineEditText"});
    }
    {
        Bytes p;
        fx::u8(p, 0x80 | 0x02);
        fx::u16(p, 1);
        fx::u16(p, 4);
        fx::u16(p, 0);
        fx::u32(p, 1);
        fx::u32(p, 1);
        fx::u32(p, 0x7FFFFFFF); // a record size far past the tag
        fx::append(p, fx::getUrl("http://x/"));
        cases.push_back({"clip_action_size_past_tag", fx::movieWith({fx::tag(TagCode::PlaceObject2, p, true)}, 6), 0,
                         "PlaceObject2"});
    }
    {
        Bytes p;
        fx::u16(p, 1);
        fx::u8(p, 0);
        fx::u16(p, 0xFFF0); // action offset past the tag
        cases.push_back({"button_action_offset_past_tag", fx::movieWith({fx::tag(TagCode::DefineButton2, p, true)}), 0,
                         "DefineButton2"});
    }
    {
        // Found by fuzzing: a DefineFont glyph offset past the end of the tag.
        Bytes p;
        fx::u16(p, 1);
        fx::u16(p, 4);
        fx::u16(p, 0x7000);
        fx::append(p, Bytes(6, 0));
        cases.push_back({"define_font_offset_past_tag",
                         fx::movieWith({fx::tag(TagCode::DefineFont, p, true), fx::defineText(fx::TextSpec{})}), 0,
                         "DefineFont"});
    }
    cases.push_back({"bitmaps_cut_short",
                     fx::movieWith({fx::tag(TagCode::DefineBitsJPEG2, {1}, true),
                                    fx::tag(TagCode::DefineBitsJPEG3, {1, 0, 0xFF, 0xFF, 0xFF, 0xFF}, true),
                                    fx::tag(TagCode::DefineBitsLossless2, {1, 0, 5}, true),
                                    fx::tag(TagCode::DefineSound, {1, 0}, true)}),
                     1, "DefineBitsJPEG2"});
    cases.push_back({"action_length_past_tag",
                     fx::movieWith({fx::tag(TagCode::DoAction, Bytes{0x83, 0xFF, 0xFF, 'h', 0, 0, 0})}), 0,
                     "DoAction"});
    return cases;
}

class SwfHostileElements : public ::testing::TestWithParam<HostileScanCase> {};

TEST_P(SwfHostileElements, LoadWithoutTheBrokenElement) {
    Harness h;
    std::string path = h.write("m.swf", GetParam().movie);
    EXPECT_EQ(rows(path, h.media()).size(), GetParam().rows);
    SwfGenerator scan(h.media());
    scan.RaiseSubEvents(true);
    ASSERT_TRUE(scan.LoadSwf(path).ok());
    if (GetParam().unreadable.empty()) {
        EXPECT_TRUE(scan.scanErrors().empty()) << scan.scanErrors()[0].detail;
    } else {
        ASSERT_FALSE(scan.scanErrors().empty());
        const Error& first = scan.scanErrors()[0];
        EXPECT_EQ(first.detail.rfind(GetParam().unreadable + " at offset " + std::to_string(first.offset) + ": ", 0),
                  0u)
            << first.detail;
        EXPECT_GT(first.offset, 8u);
    }
    // Saving with every element marked still writes a loadable movie.
    Edits edits;
    for (std::size_t i = 0; i < 4; ++i) {
        edits.text[i] = [](TextElement& e) {
            e.Text = "Z";
            e.NeedSub = true;
        };
        edits.link[i] = [](LinkElement& e) {
            e.Url = "http://z/";
            e.NeedSub = true;
        };
    }
    (void)apply(path, h.dir.file("out.swf"), edits, h.media());
    EXPECT_TRUE(loadMovieFile(h.dir.file("out.swf")).ok());
}

INSTANTIATE_TEST_SUITE_P(Scan, SwfHostileElements, ::testing::ValuesIn(hostileScanCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SwfGeneratorFailures, AreReportedByStatus) {
    Harness h;
    SwfGenerator g(h.media());
    Result<void> save = g.SaveSwf(h.dir.file("out.swf"), 1);
    ASSERT_FALSE(save.ok());
    EXPECT_EQ(save.error().code, ErrorCode::Invalid);
    Result<void> missing = g.LoadSwf(h.dir.file("none.swf"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
    Result<void> broken = g.LoadSwf(h.write("bad.swf", Bytes{'C', 'W', 'S', 9, 1, 2, 3, 4, 5, 6}));
    ASSERT_FALSE(broken.ok());
    EXPECT_FALSE(g.SaveSwf(h.dir.file("out.swf"), 1).ok()); // nothing stays loaded after a failed load
}

TEST(SwfGeneratorFailures, ThrowingHandlerFailsTheLoad) {
    Harness h;
    std::string path = h.write("m.swf", sampleMovie());
    SwfGenerator g(h.media());
    g.RaiseSubEvents(true);
    g.OnSubActionGetUrl = [](LinkElement&) { throw std::runtime_error("handler bug"); };
    Result<void> loaded = g.LoadSwf(path);
    ASSERT_FALSE(loaded.ok());
    EXPECT_NE(loaded.error().detail.find("handler bug"), std::string::npos);
    EXPECT_EQ(g.loadedMovie(), nullptr);
}

// --- the corpus ----------------------------------------------------------------------------------

std::string corpusPath(const std::string& name) {
    return (fx::corpusDir() / name).string();
}

struct CorpusExpectation {
    const char* file;
    std::vector<std::string> rows;
};

TEST(SwfCorpus, MoviesOfferWhatTheirNamesSay) {
    if (!std::filesystem::exists(fx::corpusDir())) {
        GTEST_SKIP() << "the movie corpus is not at " << fx::corpusDir();
    }
    Harness h;
    std::vector<CorpusExpectation> expectations = {
        {"DefineText2-MX.swf", {"text:-_-|Verdana|320"}},
        {"DefineEditText-MX.swf", {"edit:-_-|Verdana|360"}},
        {"avm1-geturl.swf", {"link:http://www.example.com"}},
        {"DefineBitsJpeg2-MX.swf", {"image:1|100"}},
        {"DefineBitsLossless.swf", {"image:1|100"}},
        {"DefineSound.swf", {"sound:1|"}},
        {"DoAction-CS6.swf", {}},
        {"DefineShape.swf", {}},
    };
    for (const CorpusExpectation& e : expectations) {
        SCOPED_TRACE(e.file);
        EXPECT_EQ(rows(corpusPath(e.file), h.media()), e.rows);
    }
    std::vector<std::string> html = rows(corpusPath("avm1-edittext_html_swf6.swf"), h.media());
    ASSERT_EQ(html.size(), 4u);
    EXPECT_EQ(html[3].rfind("edit:<p>line 1</p>", 0), 0u);
}

TEST(SwfCorpus, ReplacedElementsOfRealMoviesReadBack) {
    if (!std::filesystem::exists(fx::corpusDir())) {
        GTEST_SKIP() << "the movie corpus is not at " << fx::corpusDir();
    }
    Harness h;
    struct Case {
        const char* file;
        std::string expected;
    };
    for (const Case& c :
         {Case{"DefineText2-MX.swf", "text:Text -_-|Verdana|320"},
          Case{"DefineEditText-MX.swf", "edit:Text -_-|Verdana|360"}, Case{"avm1-geturl.swf", "link:Text -_-"}}) {
        SCOPED_TRACE(c.file);
        Edits edits;
        edits.text[0] = [](TextElement& e) {
            e.Text = "Text " + e.Text;
            e.NeedSub = true;
        };
        edits.link[0] = [](LinkElement& e) {
            e.Url = "Text -_-";
            e.NeedSub = true;
        };
        std::string out = h.dir.file(std::string("out-") + c.file);
        EXPECT_TRUE(apply(corpusPath(c.file), out, edits, h.media()).empty());
        EXPECT_EQ(rows(out, h.media()), std::vector<std::string>{c.expected});
    }
}

// An edit either lands exactly as given or is refused: listed once in substitutionErrors(), with the
// movie saved as it was loaded. One row per way an edit used to report success and save something
// else.
struct LandOrRefuseCase {
    const char* name;
    Bytes movie;
    std::function<void(Edits&, Harness&)> edit;
    std::u32string undrawable; // characters no installed font can draw
    std::string refusal;       // part of the one substitution error; empty when the edit lands
    std::function<void(const std::string& saved, Harness&)> check; // for an edit that lands
};

std::function<void(Edits&, Harness&)> setText(std::string text) {
    return [text](Edits& e, Harness&) {
        e.text[0] = [text](TextElement& t) {
            t.Text = text;
            t.NeedSub = true;
        };
    };
}

std::function<void(Edits&, Harness&)> setFontName(std::string name) {
    return [name](Edits& e, Harness&) {
        e.text[0] = [name](TextElement& t) {
            t.FontName = name;
            t.NeedSub = true;
        };
    };
}

std::function<void(Edits&, Harness&)> setLink(std::string url) {
    return [url](Edits& e, Harness&) {
        e.link[0] = [url](LinkElement& l) {
            l.Url = url;
            l.NeedSub = true;
        };
    };
}

std::string storedFieldText(const std::string& saved) {
    Result<Movie> out = loadMovieFile(saved);
    EXPECT_TRUE(out.ok());
    std::string text;
    walkTags(out->tags, [&](const Tag& t, int) {
        if (t.code() == TagCode::DefineEditText) {
            Result<EditText> field = readDefineEditText(t);
            EXPECT_TRUE(field.ok());
            text = field ? field->initialText : "";
        }
        return true;
    });
    return text;
}

std::vector<LandOrRefuseCase> landOrRefuseCases() {
    std::vector<LandOrRefuseCase> cases;
    Bytes field = fx::movieWith({fx::defineFont2(fontAB()), fx::defineEditText(fx::EditSpec{.text = "AB"})});
    cases.push_back({"edit_text_character_no_font_draws",
                     field,
                     setText("A\xE6\xBC\xA2"),
                     U"\u6F22",
                     "no installed font can draw U+6F22",
                     {}});
    cases.push_back({"edit_text_character_past_ffff",
                     field,
                     setText("A\xF0\x9F\x98\x80"),
                     {},
                     "U+1F600 is past what a font's 16-bit code table can hold",
                     {}});
    cases.push_back({"edit_text_two_characters_past_ffff",
                     field,
                     setText("\xF0\x9F\x98\x80\xF0\x9F\x98\x81"),
                     {},
                     "past what a font's 16-bit code table can hold",
                     {}});
    cases.push_back({"swf5_link_outside_windows_1252",
                     fx::movieWith({fx::doAction({fx::getUrl("http://x.example/")})}, 5),
                     setLink("http://x.example/\xC5\x81\xC3\xB3\x64\xC5\xBA"),
                     {},
                     "\"\xC5\x81\" cannot be stored in a version 5 movie",
                     {}});
    Bytes field5 = fx::movieWith({fx::defineFont2(fontAB()), fx::defineEditText(fx::EditSpec{.text = "AB"})}, 5);
    cases.push_back({"swf5_edit_text_outside_windows_1252",
                     field5,
                     setText("\xC5\x81\xC3\xB3\x64\xC5\xBA"),
                     {},
                     "edit text \"AB\" not replaced: \"\xC5\x81\" cannot be stored",
                     {}});
    cases.push_back({"swf5_font_name_outside_windows_1252",
                     field5,
                     setFontName("\xC5\x81\xC3\xB3\x64\xC5\xBA Sans"),
                     {},
                     "font name: \"\xC5\x81\" cannot be stored",
                     {}});
    cases.push_back({"swf5_link_inside_windows_1252",
                     fx::movieWith({fx::doAction({fx::getUrl("http://x.example/")})}, 5),
                     setLink("http://x.example/caf\xC3\xA9"),
                     {},
                     "",
                     [](const std::string& saved, Harness& h) {
                         EXPECT_EQ(rows(saved, h.media()),
                                   std::vector<std::string>{"link:http://x.example/caf\xC3\xA9"});
                         Bytes file = fx::readFile(saved);
                         std::string raw(file.begin(), file.end());
                         EXPECT_NE(raw.find("caf\xE9"), std::string::npos); // stored as Windows-1252
                     }});
    cases.push_back({"edit_text_line_breaks_as_given",
                     fx::movieWith({fx::defineFont2(fontAB()), fx::defineEditText(fx::EditSpec{.text = "A\r\nB\rA"})}),
                     setText("B\r\nA\nB\r"),
                     {},
                     "",
                     [](const std::string& saved, Harness&) { EXPECT_EQ(storedFieldText(saved), "B\r\nA\nB\r"); }});
    cases.push_back(
        {"font_id_defined_twice_keeps_the_first",
         fx::movieWith({fx::defineFont2(fontAB()), fx::defineFont2(fx::FontSpec{.name = "Second Sans", .codes = u"BA"}),
                        fx::defineText(fx::TextSpec{})}),
         setText("BAA"),
         {},
         "",
         [](const std::string& saved, Harness& h) {
             // Set with the first font's glyph indices, offered in its name.
             EXPECT_EQ(rows(saved, h.media()), std::vector<std::string>{"text:BAA|Fixture Sans|400"});
         }});
    cases.push_back({"swf1_image_raises_the_version_to_2",
                     fx::movieWith({fx::defineBitsLossless(4, 16, 8)}, 1),
                     [](Edits& e, Harness& h) {
                         std::string jpeg = h.write("new.jpg", fx::makeJpeg(32, 16, 90));
                         e.image[0] = [jpeg](ImageElement& i) {
                             i.ImageFile = jpeg;
                             i.NeedSub = true;
                         };
                     },
                     {},
                     "",
                     [](const std::string& saved, Harness&) {
                         Result<Movie> out = loadMovieFile(saved);
                         ASSERT_TRUE(out.ok());
                         EXPECT_EQ(out->version, 2);
                         EXPECT_EQ(out->tags[1].code(), TagCode::DefineBitsJPEG2);
                     }});
    cases.push_back(
        {"swf1_font_copy_raises_the_version_to_3",
         fx::movieWith({defineFontAndInfo(TagCode::DefineFontInfo, 0, {'A', 'B'}), fx::defineText(fx::TextSpec{})}, 1),
         setText("CAB"),
         {},
         "",
         [](const std::string& saved, Harness& h) {
             Result<Movie> out = loadMovieFile(saved);
             ASSERT_TRUE(out.ok());
             EXPECT_EQ(out->version, 3);
             EXPECT_EQ(rows(saved, h.media()), std::vector<std::string>{"text:CAB|Verdana|400"});
         }});
    cases.push_back({"swf3_movie_already_holding_a_newer_tag_keeps_its_version",
                     fx::movieWith({fx::defineFont2(fontAB()), fx::defineEditText(fx::EditSpec{.text = "AB"})}, 3),
                     setText("BA"),
                     {},
                     "",
                     [](const std::string& saved, Harness&) {
                         Result<Movie> out = loadMovieFile(saved);
                         ASSERT_TRUE(out.ok());
                         EXPECT_EQ(out->version, 3); // DefineEditText is newer, but was there already
                         EXPECT_EQ(storedFieldText(saved), "BA");
                     }});
    return cases;
}

class SwfLandOrRefuse : public ::testing::TestWithParam<LandOrRefuseCase> {};

TEST_P(SwfLandOrRefuse, SavedAsGivenOrRefusedAndListed) {
    const LandOrRefuseCase& c = GetParam();
    Harness h;
    h.glyphs.missing = c.undrawable;
    std::string in = h.write("in.swf", c.movie);
    std::string out = h.dir.file("out.swf");
    Edits edits;
    c.edit(edits, h);
    std::vector<Error> errors = apply(in, out, edits, h.media());
    if (c.refusal.empty()) {
        EXPECT_TRUE(errors.empty()) << errors[0].detail;
        c.check(out, h);
        return;
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].detail.find(c.refusal), std::string::npos) << errors[0].detail;
    EXPECT_EQ(fx::readFile(out), c.movie); // the element, and so the movie, as loaded
}

INSTANTIATE_TEST_SUITE_P(Edits, SwfLandOrRefuse, ::testing::ValuesIn(landOrRefuseCases()),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST(SwfGeneratorScan, SoundExportedTwiceTakesTheFirstName) {
    Harness h;
    std::string path =
        h.write("m.swf", fx::movieWith({fx::defineSound(7, fx::mp3Frames(1), 1152), fx::exportAssets({{7, "first"}}),
                                        fx::exportAssets({{7, "second"}})}));
    EXPECT_EQ(rows(path, h.media()), std::vector<std::string>{"sound:7|first"});
}

// Shift-JIS fonts of version 5 and older: their 8-bit codes are ASCII and half-width katakana.
TEST(SwfGeneratorScan, ShiftJisFontInfoDecodesItsEightBitCodes) {
    Harness h;
    struct Case {
        std::uint8_t version;
        std::uint8_t flags;
        std::string text;
    };
    for (const Case& c : {Case{5, 0x10, "\xEF\xBD\xB1\xEF\xBD\xB2"}, // U+FF71 U+FF72
                          Case{5, 0x00, "\xC2\xB1\xC2\xB2"},         // Windows-1252: U+00B1 U+00B2
                          Case{6, 0x10, "\xC2\xB1\xC2\xB2"}}) {      // the flag is for older movies
        SCOPED_TRACE(std::to_string(c.version) + "/" + std::to_string(c.flags));
        std::string path =
            h.write("m.swf", fx::movieWith({defineFontAndInfo(TagCode::DefineFontInfo, c.flags, {0xB1, 0xB2}),
                                            fx::defineText(fx::TextSpec{})},
                                           c.version));
        EXPECT_EQ(rows(path, h.media()), std::vector<std::string>{"text:" + c.text + "|Verdana|400"});
    }
}

} // namespace
} // namespace glw::swf
