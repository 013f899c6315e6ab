// The movie probe: a movie's stage size from its header, read once while the file stays as it was, and read
// again once the file changed or is gone.
#include "app/SwfMovieProbe.h"
#include "platform/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace glw::app {
namespace {

// The header of an uncompressed movie of the given stage in pixels (a RECT of 16-bit fields), one frame.
std::string movieHeader(int width, int height) {
    std::string bits = "10000"; // 16 bits a field
    for (int value : {0, width * 20, 0, height * 20}) {
        for (int bit = 15; bit >= 0; --bit) {
            bits += (value >> bit) & 1 ? '1' : '0';
        }
    }
    while (bits.size() % 8) {
        bits += '0';
    }
    std::string body;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        body += char(std::stoi(bits.substr(i, 8), nullptr, 2));
    }
    body += std::string("\x00\x0C\x01\x00\x40\x00\x00\x00", 8); // 12 fps, 1 frame, ShowFrame, End
    const std::uint32_t length = std::uint32_t(8 + body.size());
    std::string out = "FWS\x08";
    for (int i = 0; i < 4; ++i) {
        out += char((length >> (8 * i)) & 0xFF);
    }
    return out + body;
}

TEST(SwfMovieProbeTest, ReadsTheSizeAgainOnlyWhenTheFileChanged) {
    platform::test::TempDir dir;
    dir.file("clip.swf", movieHeader(320, 120));
    SwfMovieProbe probe;
    const std::string path = dir.host("clip.swf");
    auto size = probe.size(path);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 320);
    EXPECT_EQ(size->height, 120);
    EXPECT_EQ(probe.size(path)->width, 320);

    // Another stage in a file of another length: read again.
    dir.file("clip.swf", movieHeader(1000, 50) + std::string(16, '\0'));
    size = probe.size(path);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1000);
    EXPECT_EQ(size->height, 50);

    std::filesystem::remove(path);
    EXPECT_FALSE(probe.size(path));
    dir.file("clip.swf", "not a movie");
    EXPECT_FALSE(probe.size(path));
}

} // namespace
} // namespace glw::app
