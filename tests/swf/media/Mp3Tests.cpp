// MPEG audio parsing: frame headers, tags and junk dropped, and the SWF sound fields.
#include "swf/media/Mp3.h"
#include "swfmaker/Clips.h"

#include <gtest/gtest.h>

namespace glw::swf::media {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes silent(int rate, int channels, int ms) {
    auto mp3 = glw::tools::makeSilentMp3(rate, channels, ms);
    EXPECT_TRUE(mp3.ok());
    return mp3.ok() ? *mp3 : Bytes{};
}

Bytes id3v2(std::size_t bodySize) {
    Bytes tag = {'I', 'D', '3', 3, 0, 0};
    std::size_t s = bodySize;
    Bytes size(4);
    for (int i = 3; i >= 0; --i) {
        size[std::size_t(i)] = static_cast<std::uint8_t>(s & 0x7F);
        s >>= 7;
    }
    tag.insert(tag.end(), size.begin(), size.end());
    tag.resize(10 + bodySize, 0xFF); // a body full of bytes that look like frame syncs
    return tag;
}

Bytes id3v1() {
    Bytes tag(128, 0);
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    return tag;
}

struct HeaderCase {
    std::uint8_t b1, b2, b3;
    MpegVersion version;
    int layer;
    int bitrate;
    int rate;
    std::size_t frameBytes;
    int samples;
    int channels;
};

class Mp3HeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(Mp3HeaderTest, DecodesFields) {
    const HeaderCase& c = GetParam();
    const Bytes header = {0xFF, c.b1, c.b2, c.b3};
    auto h = parseMp3FrameHeader(header);
    ASSERT_TRUE(h.ok()) << h.error().detail;
    EXPECT_EQ(h->version, c.version);
    EXPECT_EQ(h->layer, c.layer);
    EXPECT_EQ(h->bitrateKbps, c.bitrate);
    EXPECT_EQ(h->sampleRate, c.rate);
    EXPECT_EQ(h->frameBytes, c.frameBytes);
    EXPECT_EQ(h->samplesPerFrame, c.samples);
    EXPECT_EQ(h->channels, c.channels);
}

INSTANTIATE_TEST_SUITE_P(Headers, Mp3HeaderTest,
                         ::testing::Values(
                             // MPEG 1 Layer III, 128 kbit/s, 44.1 kHz, padded, joint stereo: 144 * 128000 / 44100 + 1.
                             HeaderCase{0xFB, 0x92, 0x40, MpegVersion::Mpeg1, 3, 128, 44100, 418, 1152, 2},
                             // The same unpadded, mono.
                             HeaderCase{0xFB, 0x90, 0xC0, MpegVersion::Mpeg1, 3, 128, 44100, 417, 1152, 1},
                             // MPEG 1 Layer III 320 kbit/s at 48 kHz.
                             HeaderCase{0xFB, 0xE4, 0x00, MpegVersion::Mpeg1, 3, 320, 48000, 960, 1152, 2},
                             // MPEG 2 Layer III, 64 kbit/s, 22.05 kHz: 72 * 64000 / 22050.
                             HeaderCase{0xF3, 0x80, 0xC0, MpegVersion::Mpeg2, 3, 64, 22050, 208, 576, 1},
                             // MPEG 2.5 Layer III, 8 kbit/s, 8 kHz.
                             HeaderCase{0xE3, 0x18, 0xC0, MpegVersion::Mpeg25, 3, 8, 8000, 72, 576, 1},
                             // MPEG 1 Layer II, 192 kbit/s, 48 kHz.
                             HeaderCase{0xFD, 0xA4, 0x00, MpegVersion::Mpeg1, 2, 192, 48000, 576, 1152, 2},
                             // MPEG 1 Layer I, 384 kbit/s, 44.1 kHz, padded: (12 * 384000 / 44100 + 1) * 4.
                             HeaderCase{0xFF, 0xC2, 0x00, MpegVersion::Mpeg1, 1, 384, 44100, 420, 384, 2}));

TEST(Mp3Header, RefusesWhatIsNoFrame) {
    struct Case {
        Bytes bytes;
        ErrorCode code;
    };
    const Case cases[] = {
        {{0xFF, 0xFB}, ErrorCode::Truncated},
        {{0x00, 0xFB, 0x90, 0x00}, ErrorCode::Malformed},   // no sync
        {{0xFF, 0xEB, 0x90, 0x00}, ErrorCode::Malformed},   // reserved version
        {{0xFF, 0xF9, 0x90, 0x00}, ErrorCode::Malformed},   // reserved layer
        {{0xFF, 0xFB, 0xF0, 0x00}, ErrorCode::Malformed},   // bitrate index 15
        {{0xFF, 0xFB, 0x9C, 0x00}, ErrorCode::Malformed},   // sample rate index 3
        {{0xFF, 0xFB, 0x90, 0x02}, ErrorCode::Malformed},   // reserved emphasis
        {{0xFF, 0xFB, 0x00, 0x00}, ErrorCode::Unsupported}, // free format
    };
    for (const Case& c : cases) {
        auto h = parseMp3FrameHeader(c.bytes);
        ASSERT_FALSE(h.ok());
        EXPECT_EQ(h.error().code, c.code);
    }
}

TEST(Mp3Parse, CountsFramesAndSamples) {
    const Bytes mp3 = silent(44100, 2, 1000);
    auto s = parseMp3(mp3);
    ASSERT_TRUE(s.ok()) << s.error().detail;
    EXPECT_EQ(s->version, MpegVersion::Mpeg1);
    EXPECT_EQ(s->layer, 3);
    EXPECT_EQ(s->sampleRate, 44100);
    EXPECT_EQ(s->channels, 2);
    EXPECT_EQ(s->frameCount, 39u); // ceil(44100 / 1152)
    EXPECT_EQ(s->sampleCount, 39u * 1152u);
    EXPECT_EQ(s->frames, mp3);
    EXPECT_EQ(s->droppedBytes, 0u);
}

// Encoders put a Xing/Info (or VBRI) header in a first frame of silence: it is not audio, so it is
// dropped and not counted.
TEST(Mp3Parse, DropsTheInfoFrame) {
    struct Case {
        int rate;
        int channels;
        std::size_t tagAt; // after the header and the side information
        const char* tag;
    };
    for (const Case& c : {Case{44100, 2, 4 + 32, "Xing"}, Case{44100, 1, 4 + 17, "Info"}, Case{22050, 1, 4 + 9, "Xing"},
                          Case{44100, 2, 4 + 32, "VBRI"}}) {
        SCOPED_TRACE(std::string(c.tag) + " " + std::to_string(c.rate) + "/" + std::to_string(c.channels));
        const Bytes audio = silent(c.rate, c.channels, 500);
        auto plain = parseMp3(audio);
        ASSERT_TRUE(plain.ok());
        Bytes info(audio.begin(),
                   audio.begin() + static_cast<std::ptrdiff_t>(plain->frames.size() / plain->frameCount));
        std::fill(info.begin() + 4, info.end(), 0);
        std::copy(c.tag, c.tag + 4, info.begin() + static_cast<std::ptrdiff_t>(c.tagAt));
        Bytes file = info;
        file.insert(file.end(), audio.begin(), audio.end());
        auto s = parseMp3(file);
        ASSERT_TRUE(s.ok()) << s.error().detail;
        EXPECT_EQ(s->frameCount, plain->frameCount);
        EXPECT_EQ(s->sampleCount, plain->sampleCount);
        EXPECT_EQ(s->frames, audio);
        EXPECT_EQ(s->droppedBytes, info.size());
    }
    // An info frame and nothing else holds no audio.
    const Bytes audio = silent(44100, 2, 20);
    auto header = parseMp3FrameHeader(audio);
    ASSERT_TRUE(header.ok());
    Bytes only(audio.begin(), audio.begin() + static_cast<std::ptrdiff_t>(header->frameBytes));
    std::fill(only.begin() + 4, only.end(), 0);
    std::copy_n("Info", 4, only.begin() + 36);
    auto none = parseMp3(only);
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().code, ErrorCode::Malformed);
}

TEST(Mp3Parse, DropsTagsJunkAndACutLastFrame) {
    const Bytes frames = silent(22050, 1, 500);
    auto plain = parseMp3(frames);
    ASSERT_TRUE(plain.ok());
    const std::size_t oneFrame = frames.size() / plain->frameCount;

    struct Case {
        const char* name;
        Bytes data;
        std::size_t dropped;
    };
    Bytes withTags = id3v2(300);
    withTags.insert(withTags.end(), frames.begin(), frames.end());
    const Bytes v1 = id3v1();
    withTags.insert(withTags.end(), v1.begin(), v1.end());

    Bytes withJunk(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(oneFrame * 3));
    const Bytes junk = {0x12, 0xFF, 0xFB, 0x00, 0x34, 0x56, 0xFF};
    withJunk.insert(withJunk.end(), junk.begin(), junk.end());
    withJunk.insert(withJunk.end(), frames.begin() + static_cast<std::ptrdiff_t>(oneFrame * 3), frames.end());

    Bytes cut = frames;
    cut.insert(cut.end(), frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(oneFrame / 2));

    Bytes tagInMiddle(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(oneFrame * 2));
    const Bytes middle = id3v2(40);
    tagInMiddle.insert(tagInMiddle.end(), middle.begin(), middle.end());
    tagInMiddle.insert(tagInMiddle.end(), frames.begin() + static_cast<std::ptrdiff_t>(oneFrame * 2), frames.end());

    const Case cases[] = {
        {"ID3v2 before and ID3v1 after", withTags, 310 + 128},
        {"junk between frames", withJunk, junk.size()},
        {"last frame cut short", cut, oneFrame / 2},
        {"ID3v2 between frames", tagInMiddle, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = parseMp3(c.data);
        ASSERT_TRUE(s.ok()) << s.error().detail;
        EXPECT_EQ(s->frames, frames);
        EXPECT_EQ(s->frameCount, plain->frameCount);
        EXPECT_EQ(s->droppedBytes, c.dropped);
    }
}

TEST(Mp3Parse, RefusesDataWithoutFrames) {
    const Bytes noise = {0x00, 0x11, 0xFF, 0xFB, 0x90, 0x00, 0x22}; // one unconfirmed header, cut short
    for (const Bytes& data : {Bytes{}, id3v2(20), noise, id3v1()}) {
        auto s = parseMp3(data);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.error().code, ErrorCode::Malformed);
    }
}

TEST(Mp3Parse, RefusesAStreamThatChangesRate) {
    Bytes mixed = silent(44100, 1, 200);
    const Bytes other = silent(48000, 1, 200);
    mixed.insert(mixed.end(), other.begin(), other.end());
    auto s = parseMp3(mixed);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, ErrorCode::Unsupported);
}

struct RateCase {
    int rate;
    int channels;
    bool storable;
    std::uint8_t code;
};

class SwfSoundRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(SwfSoundRateTest, MapsOrRefusesTheRate) {
    const RateCase& c = GetParam();
    auto s = parseMp3(silent(c.rate, c.channels, 300));
    ASSERT_TRUE(s.ok());
    auto f = swfSoundFormat(*s);
    if (!c.storable) {
        ASSERT_FALSE(f.ok());
        EXPECT_EQ(f.error().code, ErrorCode::Unsupported);
        return;
    }
    ASSERT_TRUE(f.ok()) << f.error().detail;
    EXPECT_EQ(f->format, 2);
    EXPECT_EQ(f->rate, c.code);
    EXPECT_TRUE(f->sixteenBit);
    EXPECT_EQ(f->stereo, c.channels == 2);
    EXPECT_EQ(f->sampleCount, s->sampleCount);
    EXPECT_EQ(f->packed(), static_cast<std::uint8_t>(0x20 | (c.code << 2) | 0x02 | (c.channels == 2 ? 1 : 0)));
}

INSTANTIATE_TEST_SUITE_P(Rates, SwfSoundRateTest,
                         ::testing::Values(RateCase{44100, 2, true, 3}, RateCase{22050, 1, true, 2},
                                           RateCase{11025, 1, true, 1}, RateCase{48000, 2, false, 0},
                                           RateCase{32000, 1, false, 0}, RateCase{24000, 1, false, 0},
                                           RateCase{16000, 2, false, 0}, RateCase{12000, 1, false, 0},
                                           RateCase{8000, 1, false, 0}));

TEST(SwfSound, RefusesOtherLayers) {
    Mp3Stream layer2;
    layer2.layer = 2;
    layer2.sampleRate = 44100;
    auto f = swfSoundFormat(layer2);
    ASSERT_FALSE(f.ok());
    EXPECT_EQ(f.error().code, ErrorCode::Unsupported);
}

TEST(SwfSound, SoundDataStartsWithSeekSamples) {
    auto s = parseMp3(silent(44100, 1, 100));
    ASSERT_TRUE(s.ok());
    const Bytes data = mp3SoundData(*s, -2);
    ASSERT_EQ(data.size(), s->frames.size() + 2);
    EXPECT_EQ(data[0], 0xFE);
    EXPECT_EQ(data[1], 0xFF);
    EXPECT_TRUE(std::equal(s->frames.begin(), s->frames.end(), data.begin() + 2));
}

TEST(Mp3File, ReportsAMissingFile) {
    auto s = readMp3File("/nonexistent/sound.mp3");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, ErrorCode::NotFound);
}

} // namespace
} // namespace glw::swf::media
