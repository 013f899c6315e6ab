// The browser-cache layer over Firefox's and Chromium's disk caches, on cache files written here in the
// browsers' layouts, and the main window's cache list built from it.
#include "LibraryTestSupport.h"
#include "platform/BrowserCacheFiles.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;

using platform::test::chromiumEntry;
using platform::test::firefoxEntry;

class BrowserCacheWalk : public LibraryApp {
protected:
    platform::test::TempDir home;   // stands for ~/.cache
    platform::test::TempDir copies; // the layer's own folder of movie copies

    std::vector<platform::CacheEntry> walk(platform::Cache& cache) {
        std::vector<platform::CacheEntry> entries;
        if (cache.firstEntry()) {
            entries.push_back(cache.current());
            while (cache.nextEntry()) {
                entries.push_back(cache.current());
            }
        }
        cache.close();
        return entries;
    }
};

TEST_F(BrowserCacheWalk, MoviesOfFirefoxAndChromiumCachesAreCopiedOutUnderTheirAddressNames) {
    const std::string ff = "mozilla/firefox/abcd.default-release/cache2/entries/";
    const std::string cr = "chromium/Default/Cache/Cache_Data/";
    home.file(ff + "0A1B", firefoxEntry(tinySwf(64, 48, "ff"), "a,:https://example.com/flash/intro.swf?v=2"));
    home.file(ff + "0C2D", firefoxEntry("<html>not a movie</html>", ":https://example.com/index.html"));
    home.file(ff + "0E3F", firefoxEntry(tinySwf(32, 32, "ff2"), "O^partitionKey=%28https%2Cexample.org%29,a,:"
                                                                "http://example.org/game"));
    home.file(cr + "1111aaaa_0", chromiumEntry(tinySwf(80, 60, "cr"), "1/0/_dk_https://x.net https://x.net "
                                                                      "https://x.net/media/INTRO.SWF"));
    home.file(cr + "2222bbbb_0", chromiumEntry("GIF89a....", "https://x.net/logo.gif"));
    home.file(cr + "index", "not an entry");
    home.file(ff + "broken", "FWS\x01"); // cut short: a plain entry, no copy
    fs::create_symlink(home.host(ff + "0A1B"), home.host(ff + "0B00-link"));

    platform::BrowserCache cache({home.host()}, copies.host("movies"));
    const auto entries = walk(cache);
    std::vector<std::string> locals;
    for (const auto& e : entries) {
        locals.push_back(e.localFileName);
    }
    const auto copied = [&](const char* name) { return platform::toSystemPath(copies.host("movies/") + name); };
    const auto raw = [&](const std::string& relative) { return platform::toSystemPath(home.host(relative)); };
    EXPECT_EQ(locals, (std::vector<std::string>{copied("intro.swf"), raw(ff + "0C2D"), copied("game.swf"),
                                                raw(ff + "broken"), copied("INTRO[1].swf"), raw(cr + "2222bbbb_0")}))
        << "links, Chromium's index and other files are no entries";
    EXPECT_EQ(entries[0].sourceUrl, "https://example.com/flash/intro.swf?v=2");
    EXPECT_EQ(entries[4].sourceUrl, "https://x.net/media/INTRO.SWF");
    EXPECT_EQ(copies.read("movies/intro.swf"), tinySwf(64, 48, "ff"));
    EXPECT_EQ(copies.read("movies/INTRO[1].swf"), tinySwf(80, 60, "cr"));
    EXPECT_EQ(home.read(ff + "0A1B").substr(0, 3), "FWS") << "the cache itself is left as it was";

    // A second walk starts from a clean folder of copies.
    fs::remove(home.host(ff + "0E3F"));
    walk(cache);
    EXPECT_FALSE(fs::exists(copies.host("movies/game.swf")));
    EXPECT_TRUE(fs::exists(copies.host("movies/intro.swf")));
}

TEST_F(BrowserCacheWalk, EachProcessCopiesIntoItsOwnFolderAndSweepsOnlyThoseOfEndedProcesses) {
    home.file("chromium/Default/Cache/Cache_Data/1111aaaa_0",
              chromiumEntry(tinySwf(80, 60, "cr"), "1/0/_dk_https://x.net https://x.net https://x.net/a.swf"));
    // Another running program's copies (this test's parent process), and an ended program's.
    const std::string running = "CachedMovies/" + std::to_string(::getppid());
    copies.file(running + "/theirs.swf", "FWS");
    pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ::waitpid(ended, nullptr, 0);
    const std::string gone = "CachedMovies/" + std::to_string(ended);
    copies.file(gone + "/left.swf", "FWS");

    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ::setenv("TMPDIR", copies.host().c_str(), 1);
    platform::BrowserCache cache({home.host()});
    if (before) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
    const auto entries = walk(cache);
    ASSERT_EQ(entries.size(), 1u);
    const std::string own = "CachedMovies/" + std::to_string(::getpid());
    EXPECT_EQ(entries[0].localFileName, platform::toSystemPath(copies.host(own + "/a.swf")));
    walk(cache);
    EXPECT_EQ(copies.read(own + "/a.swf"), tinySwf(80, 60, "cr"));
    EXPECT_TRUE(fs::exists(copies.host(running + "/theirs.swf"))) << "a running program's copies stay";
    EXPECT_FALSE(fs::exists(copies.host(gone))) << "an ended program's copies go";
}

TEST_F(BrowserCacheWalk, NoCacheGivesAnEmptyWalk) {
    platform::BrowserCache cache({home.host("nothing here")}, copies.host("movies"));
    EXPECT_FALSE(cache.firstEntry());
    EXPECT_FALSE(cache.nextEntry());
    EXPECT_EQ(cache.current().localFileName, "");
}

TEST_F(BrowserCacheWalk, TheMainWindowListsTheCachedMovies) {
    category("Animals", 1);
    home.file("mozilla/firefox/p/cache2/entries/AA", firefoxEntry(tinySwf(64, 48), ":http://a.com/one.swf"));
    home.file("mozilla/firefox/p/cache2/entries/BB", firefoxEntry("text", ":http://a.com/readme.txt"));
    auto& form = start();
    rt->services().cache =
        std::make_shared<platform::BrowserCache>(std::vector<std::string>{home.host()}, copies.host("movies"));
    form.chkBrowseWhat[2].userClick();
    EXPECT_EQ(form.lstcache.items(), (std::vector<std::string>{platform::toSystemPath(copies.host("movies/one.swf"))}));
    EXPECT_EQ(form.CurrentClip, platform::toSystemPath(copies.host("movies/one.swf")));
    EXPECT_EQ(form.EWidth.Text(), "64");
    EXPECT_EQ(form.EHeight.Text(), "48");
}

} // namespace
} // namespace glw::main::test
