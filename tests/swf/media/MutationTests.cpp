// Damaged media never crash the parsers: valid MP3 and JPEG data with bytes flipped, cut or repeated
// goes in, a value or a status comes out (the sanitizer build turns a bad read into a failure).
#include "swf/media/Jpeg.h"
#include "swf/media/Mp3.h"
#include "swfmaker/Clips.h"
#include "swfmaker/Pictures.h"

#include <gtest/gtest.h>
#include <random>

namespace glw::swf::media {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Deterministic damage: a few random bytes overwritten, then maybe a cut or a repeated stretch.
Bytes damage(const Bytes& source, std::mt19937& rng) {
    Bytes out = source;
    if (out.empty()) {
        return out;
    }
    std::uniform_int_distribution<std::size_t> at(0, out.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    const int flips = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < flips; ++i) {
        out[at(rng)] = static_cast<std::uint8_t>(byte(rng));
    }
    switch (rng() % 3) {
    case 0:
        out.resize(at(rng));
        break;
    case 1: {
        const std::size_t from = at(rng);
        const std::size_t length = std::min<std::size_t>(out.size() - from, 64);
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(from), out.begin() + static_cast<std::ptrdiff_t>(from),
                   out.begin() + static_cast<std::ptrdiff_t>(from + length));
        break;
    }
    default:
        break;
    }
    return out;
}

TEST(Mutation, Mp3ParserSurvivesDamage) {
    auto mp3 = glw::tools::makeSilentMp3(44100, 2, 300);
    ASSERT_TRUE(mp3.ok());
    std::mt19937 rng(7);
    for (int i = 0; i < 10000; ++i) {
        const Bytes data = damage(*mp3, rng);
        auto s = parseMp3(data);
        if (s.ok()) {
            EXPECT_LE(s->frames.size() + s->droppedBytes, data.size());
            (void)swfSoundFormat(*s);
        }
    }
}

TEST(Mutation, JpegDecoderSurvivesDamage) {
    glw::tools::PictureSpec spec;
    spec.width = 40;
    spec.height = 30;
    spec.top = {200, 30, 30};
    spec.bottom = {30, 30, 200};
    spec.mark = glw::tools::PictureMark::Check;
    auto jpeg = glw::tools::makePictureJpeg(spec, 70);
    ASSERT_TRUE(jpeg.ok());
    std::mt19937 rng(11);
    for (int i = 0; i < 4000; ++i) {
        const Bytes data = damage(*jpeg, rng);
        (void)isJpeg(data);
        (void)estimateJpegQuality(data);
        auto image = decodeJpeg(data, 1 << 20);
        if (image.ok()) {
            EXPECT_EQ(image->pixels.size(), std::size_t(image->width) * std::size_t(image->height) * 3);
        }
    }
}

} // namespace
} // namespace glw::swf::media
