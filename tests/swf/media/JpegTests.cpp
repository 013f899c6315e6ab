// JPEG units: recognising, decoding movie-style streams, resampling, encoding and quality estimation.
#include "swf/media/Jpeg.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace glw::swf::media {
namespace {

using Bytes = std::vector<std::uint8_t>;

Image plain(int w, int h, int channels, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    Image img;
    img.width = w;
    img.height = h;
    img.channels = channels;
    for (int i = 0; i < w * h; ++i) {
        const std::uint8_t px[4] = {r, g, b, a};
        img.pixels.insert(img.pixels.end(), px, px + channels);
    }
    return img;
}

// A picture with detail, so the quantisation tables matter.
Image stripes(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.channels = 3;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            img.pixels.push_back(static_cast<std::uint8_t>((x * 37 + y * 11) & 0xFF));
            img.pixels.push_back(static_cast<std::uint8_t>(((x / 3) % 2) * 200));
            img.pixels.push_back(static_cast<std::uint8_t>(y * 255 / std::max(1, h - 1)));
        }
    }
    return img;
}

Bytes encode(const Image& img, int quality) {
    auto jpeg = encodeJpeg(img, quality);
    EXPECT_TRUE(jpeg.ok()) << (jpeg.ok() ? "" : jpeg.error().detail);
    return jpeg.ok() ? *jpeg : Bytes{};
}

// Splits a JPEG into a tables-only stream (SOI, DQT and DHT segments, EOI) and the image stream
// without them, the way DefineBits and JPEGTables store an image.
std::pair<Bytes, Bytes> splitTables(const Bytes& jpeg) {
    Bytes tables = {0xFF, 0xD8};
    Bytes image = {0xFF, 0xD8};
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] != 0xDA) {
        const std::size_t length = (std::size_t(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        Bytes& into = (jpeg[pos + 1] == 0xDB || jpeg[pos + 1] == 0xC4) ? tables : image;
        into.insert(into.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos),
                    jpeg.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
        pos += 2 + length;
    }
    tables.push_back(0xFF);
    tables.push_back(0xD9);
    image.insert(image.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(pos), jpeg.end());
    return {tables, image};
}

TEST(Jpeg, EncodesAndDecodesAPicture) {
    const Image original = plain(33, 17, 3, 200, 40, 90);
    const Bytes jpeg = encode(original, 90);
    ASSERT_TRUE(isJpeg(jpeg));
    auto decoded = decodeJpeg(jpeg);
    ASSERT_TRUE(decoded.ok()) << decoded.error().detail;
    EXPECT_EQ(decoded->width, 33);
    EXPECT_EQ(decoded->height, 17);
    EXPECT_EQ(decoded->channels, 3);
    for (std::size_t i = 0; i < decoded->pixels.size(); i += 3) {
        EXPECT_NEAR(decoded->pixels[i], 200, 6);
        EXPECT_NEAR(decoded->pixels[i + 1], 40, 6);
        EXPECT_NEAR(decoded->pixels[i + 2], 90, 6);
    }
}

TEST(Jpeg, EncodesGreyAndRgbaImages) {
    for (int channels : {1, 4}) {
        const Bytes jpeg = encode(plain(8, 8, channels, 100, 100, 100, 7), 75);
        auto decoded = decodeJpeg(jpeg);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->channels, 3); // always decoded to RGB
        EXPECT_NEAR(decoded->pixels[0], 100, 4);
    }
}

TEST(Jpeg, RecognisesOnlyJpegData) {
    const Bytes jpeg = encode(plain(4, 4, 3, 1, 2, 3), 50);
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
    const Bytes headerOnly = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    EXPECT_TRUE(isJpeg(jpeg));
    EXPECT_FALSE(isJpeg({}));
    EXPECT_FALSE(isJpeg(png));
    EXPECT_FALSE(isJpeg(headerOnly));
    EXPECT_FALSE(isJpeg(Bytes(jpeg.begin(), jpeg.begin() + 40))); // cut inside the tables
    EXPECT_FALSE(isJpeg(splitTables(jpeg).first));                // tables but no image
}

TEST(Jpeg, DecodesMovieStyleStreams) {
    const Image original = stripes(24, 16);
    const Bytes jpeg = encode(original, 80);
    auto reference = decodeJpeg(jpeg);
    ASSERT_TRUE(reference.ok());
    const auto [tables, image] = splitTables(jpeg);

    Bytes joined = tables; // JPEGTables followed by the image data of DefineBits
    joined.insert(joined.end(), image.begin(), image.end());
    Bytes strayPrefix = {0xFF, 0xD9, 0xFF, 0xD8}; // older movies' erroneous header
    strayPrefix.insert(strayPrefix.end(), jpeg.begin(), jpeg.end());

    for (const Bytes& data : {joined, strayPrefix}) {
        EXPECT_TRUE(isJpeg(data));
        auto decoded = decodeJpeg(data);
        ASSERT_TRUE(decoded.ok()) << decoded.error().detail;
        EXPECT_EQ(decoded->pixels, reference->pixels);
    }
}

TEST(Jpeg, JoinLeavesPlainStreamsAlone) {
    const Bytes jpeg = encode(plain(4, 4, 3, 1, 2, 3), 50);
    EXPECT_EQ(joinJpegStreams(jpeg), jpeg);
    const Bytes notJpeg = {1, 2, 3};
    EXPECT_EQ(joinJpegStreams(notJpeg), notJpeg);
}

TEST(Jpeg, RefusesBrokenAndOversizedData) {
    const Bytes jpeg = encode(stripes(64, 64), 80);
    struct Case {
        const char* name;
        Bytes data;
        std::size_t maxPixels;
        ErrorCode code;
    };
    const Case cases[] = {
        {"empty", {}, kMaxImagePixels, ErrorCode::Malformed},
        {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a'}, kMaxImagePixels, ErrorCode::Malformed},
        {"cut in the header", Bytes(jpeg.begin(), jpeg.begin() + 30), kMaxImagePixels, ErrorCode::Malformed},
        {"beyond the pixel bound", jpeg, 64 * 64 - 1, ErrorCode::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoded = decodeJpeg(c.data, c.maxPixels);
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error().code, c.code);
    }
}

TEST(Jpeg, ToleratesImageDataCutShort) {
    // Players show what arrived of an image; so does the decoder.
    const Bytes jpeg = encode(stripes(64, 64), 80);
    auto decoded = decodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() * 2 / 3)));
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->width, 64);
}

// Where the entropy-coded image data starts: after the start-of-scan segment.
std::size_t scanDataStart(const Bytes& jpeg) {
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        const std::size_t length = (std::size_t(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (jpeg[pos + 1] == 0xDA) {
            return pos + 2 + length;
        }
        pos += 2 + length;
    }
    return jpeg.size();
}

TEST(Jpeg, RefusesDamagedDataWhenAskedTo) {
    // A user's replacement file must decode whole and clean; a movie's own image is shown as it can be.
    const Bytes whole = encode(stripes(96, 96), 80);
    const std::size_t scan = scanDataStart(whole);
    ASSERT_LT(scan + 400, whole.size());
    Bytes overwritten = whole;
    std::uint32_t seed = 12345;
    for (std::size_t i = scan + 200; i < scan + 340; ++i) {
        seed = seed * 1103515245u + 12345u;
        const auto byte = static_cast<std::uint8_t>(seed >> 16);
        overwritten[i] = byte == 0xFF ? 0x55 : byte; // garbled data, but no markers in it
    }
    const auto cut = [&](std::size_t n) {
        return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool clean;
    } cases[] = {
        {"whole", whole, true},
        {"cut 100 bytes into the image data", cut(scan + 100), false},
        {"cut inside the image data", cut(whole.size() * 2 / 3), false},
        {"headers and no image data", cut(scan), false},
        {"140 bytes of image data overwritten", overwritten, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto tolerated = decodeJpeg(c.bytes);
        ASSERT_TRUE(tolerated.ok()) << tolerated.error().detail;
        EXPECT_EQ(tolerated->width, 96);
        auto strict = decodeJpeg(c.bytes, kMaxImagePixels, JpegDamage::Refuse);
        EXPECT_EQ(strict.ok(), c.clean);
        if (!strict.ok()) {
            EXPECT_EQ(strict.error().code, ErrorCode::Malformed);
            EXPECT_NE(strict.error().detail.find("damaged"), std::string::npos) << strict.error().detail;
        }
    }
}

class JpegQualityTest : public ::testing::TestWithParam<int> {};

TEST_P(JpegQualityTest, EstimatesTheQualityItWasSavedAt) {
    const Bytes jpeg = encode(stripes(16, 16), GetParam());
    auto q = estimateJpegQuality(jpeg);
    ASSERT_TRUE(q.ok()) << q.error().detail;
    EXPECT_EQ(*q, GetParam());
    auto fromTables = estimateJpegQuality(splitTables(jpeg).first); // a movie's JPEGTables alone
    ASSERT_TRUE(fromTables.ok());
    EXPECT_EQ(*fromTables, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Qualities, JpegQualityTest, ::testing::Values(1, 5, 10, 25, 50, 60, 75, 85, 90, 95, 99, 100));

TEST(JpegQuality, ReportsMissingOrBrokenTables) {
    const Bytes noTables = {0xFF, 0xD8, 0xFF, 0xD9};
    const Bytes brokenLength = {0xFF, 0xD8, 0xFF, 0xDB, 0x01, 0x00, 0x00};
    const Bytes shortTable = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x05, 0x00, 1, 2, 0xFF, 0xD9};
    auto a = estimateJpegQuality(noTables);
    ASSERT_FALSE(a.ok());
    EXPECT_EQ(a.error().code, ErrorCode::NotFound);
    for (const Bytes& data : {brokenLength, shortTable, Bytes{1, 2, 3}}) {
        auto b = estimateJpegQuality(data);
        ASSERT_FALSE(b.ok());
        EXPECT_EQ(b.error().code, ErrorCode::Malformed);
    }
}

TEST(Jpeg, EncodeRefusesBadArguments) {
    Image broken = plain(4, 4, 3, 0, 0, 0);
    broken.pixels.pop_back();
    EXPECT_EQ(encodeJpeg(plain(4, 4, 3, 0, 0, 0), 101).error().code, ErrorCode::Invalid);
    EXPECT_EQ(encodeJpeg(plain(4, 4, 3, 0, 0, 0), -1).error().code, ErrorCode::Invalid);
    EXPECT_EQ(encodeJpeg(broken, 50).error().code, ErrorCode::Invalid);
    EXPECT_EQ(encodeJpeg(plain(4, 4, 2, 0, 0, 0), 50).error().code, ErrorCode::Invalid);
    EXPECT_TRUE(encodeJpeg(plain(4, 4, 3, 0, 0, 0), 0).ok()); // 0 behaves as 1
}

TEST(Resample, KeepsAPlainColourAtEverySize) {
    const Image src = plain(10, 6, 4, 10, 20, 30, 40);
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{10, 6}, std::pair{25, 31}}) {
        auto out = resample(src, w, h);
        ASSERT_TRUE(out.ok());
        EXPECT_EQ(out->width, w);
        EXPECT_EQ(out->height, h);
        EXPECT_EQ(out->channels, 4);
        ASSERT_EQ(out->pixels.size(), std::size_t(w * h * 4));
        for (std::size_t i = 0; i < out->pixels.size(); i += 4) {
            EXPECT_EQ(out->pixels[i], 10);
            EXPECT_EQ(out->pixels[i + 1], 20);
            EXPECT_EQ(out->pixels[i + 2], 30);
            EXPECT_EQ(out->pixels[i + 3], 40);
        }
    }
}

TEST(Resample, ShrinkingAveragesEverySourcePixel) {
    Image checker;
    checker.width = 4;
    checker.height = 4;
    checker.channels = 1;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            checker.pixels.push_back((x + y) % 2 ? 255 : 0);
        }
    }
    auto out = resample(checker, 1, 1);
    ASSERT_TRUE(out.ok());
    EXPECT_NEAR(out->pixels[0], 128, 2);
}

TEST(Resample, RefusesBadSizes) {
    const Image src = plain(2, 2, 3, 0, 0, 0);
    EXPECT_EQ(resample(src, 0, 5).error().code, ErrorCode::Invalid);
    EXPECT_EQ(resample(Image{}, 5, 5).error().code, ErrorCode::Invalid);
    EXPECT_EQ(resample(src, 65535, 65535).error().code, ErrorCode::TooLarge);
}

TEST(JpegFile, ReportsAMissingFile) {
    auto img = readJpegFile("/nonexistent/picture.jpg");
    ASSERT_FALSE(img.ok());
    EXPECT_EQ(img.error().code, ErrorCode::NotFound);
}

} // namespace
} // namespace glw::swf::media
