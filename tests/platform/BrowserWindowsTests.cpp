// The open pages from the browsers' session files: Firefox's mozLz4 JSON and Chromium's SNSS commands, made
// here with the same formats, damaged files left out, and a home with nothing open.
#include "platform/BrowserWindows.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>
#include <lz4.h>

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

TEST(BrowserWindows, ProviderReadsEveryProfileOfAHome) {
    TempDir home;
    home.file(".mozilla/firefox/ab12.default/sessionstore-backups/recovery.jsonlz4", mozLz4(kFirefoxJson));
    home.file(".mozilla/firefox/broken/sessionstore-backups/recovery.jsonlz4", "garbage");
    home.file(".config/chromium/Default/Sessions/Session_100", "SNSS" + le32(3) + navigation(1, 0, "http://old/", ""));
    home.file(".config/chromium/Default/Sessions/Session_200", "SNSS" + le32(3) + navigation(1, 0, "http://new/", ""));
    SessionFileBrowserWindows provider(home.host());
    const auto windows = provider.list();
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[3].url, "http://new/");
    for (std::size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(windows[i].handle, std::int32_t(i + 1));
    }
    EXPECT_FALSE(provider.navigate(1, "http://x/"));

    TempDir empty;
    EXPECT_TRUE(SessionFileBrowserWindows(empty.host()).list().empty());
}

} // namespace
} // namespace glw::platform::test
