// The open pages from the browsers' session files: Firefox's mozLz4 JSON and Chromium's SNSS commands, made
// here with the same formats, damaged files left out, and a home with nothing open.
#include "platform/BrowserWindows.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <lz4.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glw::platform::test {
namespace {

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        s += char((v >> (8 * i)) & 0xFF);
    }
    return s;
}

std::string mozLz4(const std::string& json) {
    std::string block(std::size_t(LZ4_compressBound(int(json.size()))), '\0');
    const int n = LZ4_compress_default(json.data(), block.data(), int(json.size()), int(block.size()));
    return std::string("mozLz40\0", 8) + le32(std::uint32_t(json.size())) + block.substr(0, std::size_t(n));
}

// One SNSS command: 16-bit size (id byte included), the id, the payload.
std::string command(int id, const std::string& payload) {
    const std::size_t size = payload.size() + 1;
    return std::string{char(size & 0xFF), char(size >> 8), char(id)} + payload;
}
std::string padded(std::string s) {
    while (s.size() % 4) {
        s += '\0';
    }
    return s;
}
std::string navigation(std::int32_t tab, std::int32_t index, const std::string& url, const std::string& title) {
    std::string title16;
    for (char c : title) {
        title16 += c;
        title16 += '\0';
    }
    const std::string body = le32(std::uint32_t(tab)) + le32(std::uint32_t(index)) + le32(std::uint32_t(url.size())) +
                             padded(url) + le32(std::uint32_t(title.size())) + padded(title16);
    return command(6, le32(std::uint32_t(body.size())) + body);
}

const char* kFirefoxJson = R"({"windows":[{"tabs":[
    {"entries":[{"url":"http://a.example/","title":"A"},{"url":"http://b.example/","title":"B"}],"index":1},
    {"entries":[{"url":"http://c.example/","title":"C"}]},
    {"entries":[]}
  ]},{"tabs":[{"entries":[{"url":"file:///home/x/page.htm","title":"Page"}],"index":9}]}]})";

TEST(BrowserWindows, FirefoxSessionGivesEachTabAtItsCurrentEntry) {
    auto json = decodeMozLz4(mozLz4(kFirefoxJson));
    ASSERT_TRUE(json.ok());
    auto tabs = firefoxSessionTabs(*json);
    ASSERT_TRUE(tabs.ok());
    ASSERT_EQ(tabs->size(), 3u);
    EXPECT_EQ((*tabs)[0].url, "http://a.example/");
    EXPECT_EQ((*tabs)[0].caption, "A");
    EXPECT_EQ((*tabs)[1].url, "http://c.example/");
    EXPECT_EQ((*tabs)[2].url, "file:///home/x/page.htm"); // an index past the entries takes the last
}

TEST(BrowserWindows, DamagedFilesAreRefused) {
    const std::string good = mozLz4("{}");
    std::string wrongSize = good;
    wrongSize[8] = 50;
    std::string huge = good;
    huge[11] = char(0x7F);
    const std::string cases[] = {"",        "mozLz40", std::string("mozLz41\0", 8) + good.substr(8),
                                 wrongSize, huge,      good.substr(0, good.size() - 1)};
    for (const auto& bytes : cases) {
        EXPECT_FALSE(decodeMozLz4(bytes).ok()) << bytes.size();
    }
    EXPECT_FALSE(firefoxSessionTabs("{not json").ok());
    EXPECT_TRUE(firefoxSessionTabs(R"({"windows":5})")->empty());
    EXPECT_FALSE(chromiumSessionTabs("XXXX1234").ok());
}

TEST(BrowserWindows, ChromiumSessionGivesTheSelectedNavigationOfOpenTabs) {
    std::string snss = "SNSS" + le32(3);
    snss += navigation(11, 0, "http://one.example/", "One");
    snss += navigation(11, 1, "http://two.example/", "Two");
    snss += command(7, le32(11) + le32(0)); // tab 11 went back to its first page
    snss += navigation(12, 0, "http://closed.example/", "Closed");
    snss += navigation(13, 0, "http://three.example/", "Three");
    snss += command(16, le32(12) + std::string(12, '\0'));
    snss += std::string("\x40\x00\x06", 3); // a command cut off at the end
    auto tabs = chromiumSessionTabs(snss);
    ASSERT_TRUE(tabs.ok());
    ASSERT_EQ(tabs->size(), 2u);
    EXPECT_EQ((*tabs)[0].url, "http://one.example/");
    EXPECT_EQ((*tabs)[0].caption, "One");
    EXPECT_EQ((*tabs)[1].url, "http://three.example/");
}

std::string thisHost() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

// A process number that no process has: a child that has ended and been waited for.
long endedPid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return long(child);
}

// The locks a running browser keeps: Chromium's in its folder, Firefox's in the profile.
void chromiumLock(const TempDir& dir, const std::string& folder, const std::string& target) {
    std::filesystem::create_directories(dir.host(folder));
    std::filesystem::create_symlink(target, dir.host(folder + "/SingletonLock"));
}
void firefoxLock(const TempDir& dir, const std::string& profile, const std::string& target) {
    std::filesystem::create_directories(dir.host(profile));
    std::filesystem::create_symlink(target, dir.host(profile + "/lock"));
}
std::string running() {
    return thisHost() + "-" + std::to_string(::getpid());
}

TEST(BrowserWindows, ProviderReadsEveryProfileOfAHome) {
    TempDir home;
    home.file(".mozilla/firefox/ab12.default/sessionstore-backups/recovery.jsonlz4", mozLz4(kFirefoxJson));
    firefoxLock(home, ".mozilla/firefox/ab12.default", "127.0.1.1:+" + std::to_string(::getpid()));
    home.file(".mozilla/firefox/broken/sessionstore-backups/recovery.jsonlz4", "garbage");
    firefoxLock(home, ".mozilla/firefox/broken", "127.0.1.1:+" + std::to_string(::getpid()));
    home.file(".config/chromium/Default/Sessions/Session_100", "SNSS" + le32(3) + navigation(1, 0, "http://old/", ""));
    home.file(".config/chromium/Default/Sessions/Session_200", "SNSS" + le32(3) + navigation(1, 0, "http://new/", ""));
    chromiumLock(home, ".config/chromium", running());
    SessionFileBrowserWindows provider(home.host(), "");
    const auto windows = provider.list();
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[3].url, "http://new/");
    for (std::size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(windows[i].handle, std::int32_t(i + 1));
    }
    EXPECT_FALSE(provider.navigate(1, "http://x/"));

    TempDir empty;
    EXPECT_TRUE(SessionFileBrowserWindows(empty.host(), "").list().empty());
}

// Where the browsers keep their profiles, and whether they run: a session is offered only while the
// browser that owns it runs.
TEST(BrowserWindows, OnlyRunningBrowsersAreOfferedWhereverTheyKeepTheirProfiles) {
    const std::string here = running();
    const std::string dead = thisHost() + "-" + std::to_string(endedPid());
    const std::string firefoxHere = "127.0.1.1:+" + std::to_string(::getpid());
    const std::string firefoxDead = "127.0.1.1:+" + std::to_string(endedPid());
    struct Case {
        const char* what;
        const char* folder;     // the browser's folder under the home ("$CONFIG" for XDG_CONFIG_HOME)
        bool firefox;           // a Firefox profile instead of a Chromium folder
        std::string lock;       // the lock's target; "" for no lock
        const char* configHome; // "" when XDG_CONFIG_HOME is not set
        bool offered;
    };
    const Case cases[] = {
        {"chromium under XDG_CONFIG_HOME, running", "$CONFIG/chromium", false, here, "xdg", true},
        {"chromium in ~/.config with XDG_CONFIG_HOME set", ".config/chromium", false, here, "xdg", true},
        {"chromium in ~/.config, running", ".config/chromium", false, here, "", true},
        {"chromium under an XDG_CONFIG_HOME that is not set", "$CONFIG/chromium", false, here, "", false},
        {"chrome under XDG_CONFIG_HOME, running", "$CONFIG/google-chrome", false, here, "xdg", true},
        {"chromium ended: no lock", ".config/chromium", false, "", "", false},
        {"chromium killed: the lock's process is gone", ".config/chromium", false, dead, "", false},
        {"chromium of another machine (a shared home)", ".config/chromium", false, "elsewhere-1", "", true},
        {"chromium's lock without a process number", ".config/chromium", false, "nonsense", "", false},
        {"firefox running", ".mozilla/firefox/x.default", true, firefoxHere, "", true},
        {"firefox ended: no lock", ".mozilla/firefox/x.default", true, "", "", false},
        {"firefox killed: the lock's process is gone", ".mozilla/firefox/x.default", true, firefoxDead, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir home;
        std::string folder = c.folder;
        if (folder.rfind("$CONFIG", 0) == 0) {
            folder = "xdg" + folder.substr(7);
        }
        if (c.firefox) {
            home.file(folder + "/sessionstore-backups/recovery.jsonlz4", mozLz4(kFirefoxJson));
            if (!c.lock.empty()) {
                firefoxLock(home, folder, c.lock);
            }
        } else {
            home.file(folder + "/Default/Sessions/Session_1", "SNSS" + le32(3) + navigation(1, 0, "http://open/", ""));
            if (!c.lock.empty()) {
                chromiumLock(home, folder, c.lock);
            }
        }
        const std::string config = *c.configHome ? home.host(c.configHome) : std::string();
        const auto windows = SessionFileBrowserWindows(home.host(), config).list();
        EXPECT_EQ(!windows.empty(), c.offered);
    }
}

TEST(BrowserWindows, AProfileReadThroughBothRootsIsOfferedOnce) {
    // XDG_CONFIG_HOME set to ~/.config itself: the same folder is not read twice.
    TempDir home;
    home.file(".config/chromium/Default/Sessions/Session_1", "SNSS" + le32(3) + navigation(1, 0, "http://a/", ""));
    chromiumLock(home, ".config/chromium", running());
    EXPECT_EQ(SessionFileBrowserWindows(home.host(), home.host(".config")).list().size(), 1u);
}

} // namespace
} // namespace glw::platform::test
