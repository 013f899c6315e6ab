// The browsers' cache files read from bytes: where the body lies and which address it came from, for entries of
// each browser built here, damaged and hostile ones; the names movies are copied out under; and a walk that
// copies a movie with an overlong address name.
#include "platform/BrowserCache.h"
#include "platform/BrowserCacheFiles.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>
#include <optional>

namespace glw::platform::test {
namespace {

const std::string kMovie = std::string("FWS\x06\x10\0\0\0", 8) + std::string(8, '\0');

// A Chromium entry whose closing end record says a SHA-256 of the key stands before it.
std::string chromiumEntryWithKeyHash(const std::string& body, const std::string& key) {
    const std::string headers = "HTTP/1.1 200 OK\n";
    std::string file = le64(kSimpleInitialMagic) + le32(5) + le32(std::uint32_t(key.size())) + le32(0) + le32(0);
    file += key + body;
    file += le64(kSimpleFinalMagic) + le32(1) + le32(0) + le32(0) + le32(0);
    file += headers + std::string(32, '\x5A');
    file += le64(kSimpleFinalMagic) + le32(3) + le32(0) + le32(std::uint32_t(headers.size())) + le32(0);
    return file;
}

struct BodyCase {
    const char* label;
    std::string file;
    std::optional<CachedBody> expected;
    bool movie = false;
};

std::vector<BodyCase> bodyCases() {
    const std::string ff = firefoxEntry(kMovie, "a,:https://example.com/intro.swf?v=2");
    const std::string cr = chromiumEntry(kMovie, "1/0/_dk_https://x.net https://x.net https://x.net/a.swf");
    const std::string crOffsetKey = "1/0/_dk_https://x.net https://x.net https://x.net/a.swf";
    const std::uint64_t crBody = 24 + crOffsetKey.size();
    std::string crLongKey = cr;
    crLongKey.replace(12, 4, le32(0x7FFFFFFF));
    std::string crHugeHeaders = cr;
    crHugeHeaders.replace(cr.size() - 8, 4, le32(0xFFFFFFFF));
    std::string ffHugeKey = ff;
    // The key's size stands 24 bytes into the header, which follows the body, its hash and one chunk hash.
    ffHugeKey.replace(kMovie.size() + 4 + 2 + 24, 4, be32(0xFFFFFFF0));
    return {
        {"firefox entry with tags before the address", ff,
         CachedBody{0, kMovie.size(), "https://example.com/intro.swf?v=2"}, true},
        {"firefox entry whose key is ':' and the address", firefoxEntry("text", ":http://a.com/readme.txt"),
         CachedBody{0, 4, "http://a.com/readme.txt"}},
        {"firefox entry whose key is the address alone", firefoxEntry(kMovie, "http://a.com/b.swf"),
         CachedBody{0, kMovie.size(), "http://a.com/b.swf"}, true},
        {"firefox entry whose metadata is cut: the body without an address",
         kMovie + std::string("\x12\x34", 2) + be32(std::uint32_t(kMovie.size())), CachedBody{0, kMovie.size(), ""},
         true},
        {"firefox key size past the file: the body without an address", ffHugeKey, CachedBody{0, kMovie.size(), ""},
         true},
        {"firefox body longer than the file", kMovie + be32(0xFFFF), std::nullopt},
        {"fewer bytes than a body's length", "FWS", std::nullopt},
        {"nothing at all", "", std::nullopt},
        {"chromium entry: the key's last address", cr, CachedBody{crBody, kMovie.size(), "https://x.net/a.swf"}, true},
        {"chromium entry with the key's hash before its closing record",
         chromiumEntryWithKeyHash(kMovie, "https://x.net/b.swf"),
         CachedBody{24 + 19, kMovie.size(), "https://x.net/b.swf"}, true},
        // A damaged Chromium entry is read the Firefox way: its last four bytes give an empty body.
        {"chromium key length past the file", crLongKey, CachedBody{0, 0, ""}},
        {"chromium response headers longer than the file", crHugeHeaders, CachedBody{0, 0, ""}},
    };
}

TEST(CachedBody, FindsTheBodyAndItsAddressOrRefusesTheFile) {
    for (const BodyCase& c : bodyCases()) {
        SCOPED_TRACE(c.label);
        const CacheFileBytes bytes = cacheFileBytes(c.file);
        const auto body = cachedBody(bytes, c.file.size());
        ASSERT_EQ(body.has_value(), c.expected.has_value());
        if (!body) {
            continue;
        }
        EXPECT_EQ(body->offset, c.expected->offset);
        EXPECT_EQ(body->length, c.expected->length);
        EXPECT_EQ(body->url, c.expected->url);
        EXPECT_EQ(startsAsMovie(bytes, *body), c.movie);
    }
}

TEST(MovieCopyName, IsAPlainShortFileNameEndingInSwf) {
    const std::string longName(300, 'n');
    struct Case {
        const char* url;
        std::string expected;
    } cases[] = {
        {"https://example.com/flash/intro.swf?v=2#top", "intro.swf"},
        {"https://x.net/media/INTRO.SWF", "INTRO.swf"},
        {"http://example.org/game", "game.swf"},
        {"http://a/b c%20d.swf", "b_c_20d.swf"},
        {"http://a/..hidden.swf", "hidden.swf"},
        {"http://a/...", "0A1B_0.swf"},
        {"http://a/", "0A1B_0.swf"},
        {"", "0A1B_0.swf"},
        // Longer than a file system takes: cut, with room left for ".swf" and a "[n]".
        {nullptr, std::string(200, 'n') + ".swf"},
    };
    for (const Case& c : cases) {
        const std::string url = c.url ? c.url : "http://a/" + longName + ".swf";
        SCOPED_TRACE(url);
        EXPECT_EQ(movieCopyName(url, "0A1B_0"), c.expected);
    }
}

TEST(BrowserCacheCopies, AMovieWithAnOverlongAddressNameIsCopiedUnderAShortenedOne) {
    TempDir home;
    TempDir copies;
    const std::string longName(300, 'n');
    home.file("mozilla/firefox/p/cache2/entries/AA", firefoxEntry(kMovie, ":http://a.com/" + longName + ".swf"));
    home.file("mozilla/firefox/p/cache2/entries/BB", firefoxEntry(kMovie, ":http://b.com/" + longName + ".swf"));
    BrowserCache cache({home.host()}, copies.host("movies"));
    const std::string stem(200, 'n');
    ASSERT_TRUE(cache.firstEntry());
    EXPECT_EQ(cache.current().localFileName, toSystemPath(copies.host("movies/" + stem + ".swf")));
    ASSERT_TRUE(cache.nextEntry());
    EXPECT_EQ(cache.current().localFileName, toSystemPath(copies.host("movies/" + stem + "[1].swf")));
    EXPECT_EQ(copies.read("movies/" + stem + "[1].swf"), kMovie);
    EXPECT_FALSE(cache.nextEntry());
}

} // namespace
} // namespace glw::platform::test
