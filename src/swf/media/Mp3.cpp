// MPEG audio frame parsing and the SWF sound fields derived from it.
#include "swf/media/Mp3.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <string>

namespace glw::swf::media {
namespace {

// Bitrates in kbit/s by index 1-14 (index 0 is free format, 15 is invalid).
constexpr std::array<int, 15> kMpeg1Layer1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr std::array<int, 15> kMpeg1Layer2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr std::array<int, 15> kMpeg1Layer3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kMpeg2Layer1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr std::array<int, 15> kMpeg2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

int bitrateFor(MpegVersion v, int layer, int index) {
    if (v == MpegVersion::Mpeg1) {
        return layer == 1 ? kMpeg1Layer1[std::size_t(index)]
                          : (layer == 2 ? kMpeg1Layer2[std::size_t(index)] : kMpeg1Layer3[std::size_t(index)]);
    }
    return layer == 1 ? kMpeg2Layer1[std::size_t(index)] : kMpeg2Layer23[std::size_t(index)];
}

int sampleRateFor(MpegVersion v, int index) {
    static constexpr std::array<int, 3> kRates = {44100, 48000, 32000};
    const int base = kRates[std::size_t(index)];
    return v == MpegVersion::Mpeg1 ? base : (v == MpegVersion::Mpeg2 ? base / 2 : base / 4);
}

bool startsWith(std::span<const std::uint8_t> b, std::size_t pos, const char* text) {
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        if (pos + i >= b.size() || b[pos + i] != static_cast<std::uint8_t>(text[i])) {
            return false;
        }
    }
    return true;
}

// Size of an ID3v2 tag starting at pos (header, body and footer), or 0 when none starts there.
std::size_t id3v2Size(std::span<const std::uint8_t> b, std::size_t pos) {
    if (!startsWith(b, pos, "ID3") || pos + 10 > b.size()) {
        return 0;
    }
    if (b[pos + 3] == 0xFF || b[pos + 4] == 0xFF) {
        return 0;
    }
    std::size_t size = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        if (b[pos + i] & 0x80) {
            return 0;
        }
        size = (size << 7) | b[pos + i];
    }
    const bool footer = (b[pos + 5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

bool sameFormat(const Mp3FrameHeader& a, const Mp3FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

} // namespace

Result<Mp3FrameHeader> parseMp3FrameHeader(std::span<const std::uint8_t> b) {
    if (b.size() < 4) {
        return makeError(ErrorCode::Truncated, "MPEG frame header cut short");
    }
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return makeError(ErrorCode::Malformed, "no MPEG frame sync");
    }
    Mp3FrameHeader h;
    switch ((b[1] >> 3) & 3) {
    case 0:
        h.version = MpegVersion::Mpeg25;
        break;
    case 2:
        h.version = MpegVersion::Mpeg2;
        break;
    case 3:
        h.version = MpegVersion::Mpeg1;
        break;
    default:
        return makeError(ErrorCode::Malformed, "reserved MPEG version");
    }
    const int layerBits = (b[1] >> 1) & 3;
    if (layerBits == 0) {
        return makeError(ErrorCode::Malformed, "reserved MPEG layer");
    }
    h.layer = 4 - layerBits;
    h.hasCrc = (b[1] & 1) == 0;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (bitrateIndex == 15 || rateIndex == 3) {
        return makeError(ErrorCode::Malformed, "invalid MPEG bitrate or sample rate index");
    }
    if (bitrateIndex == 0) {
        return makeError(ErrorCode::Unsupported, "free-format MPEG audio is not supported");
    }
    if ((b[3] & 3) == 2) {
        return makeError(ErrorCode::Malformed, "reserved MPEG emphasis");
    }
    h.bitrateKbps = bitrateFor(h.version, h.layer, bitrateIndex);
    h.sampleRate = sampleRateFor(h.version, rateIndex);
    h.padded = ((b[2] >> 1) & 1) != 0;
    h.channelMode = b[3] >> 6;
    h.channels = h.channelMode == 3 ? 1 : 2;
    const long bitsPerSecond = long{h.bitrateKbps} * 1000;
    const int pad = h.padded ? 1 : 0;
    if (h.layer == 1) {
        h.frameBytes = std::size_t((12 * bitsPerSecond / h.sampleRate + pad) * 4);
        h.samplesPerFrame = 384;
    } else if (h.layer == 2) {
        h.frameBytes = std::size_t(144 * bitsPerSecond / h.sampleRate + pad);
        h.samplesPerFrame = 1152;
    } else {
        const long factor = h.version == MpegVersion::Mpeg1 ? 144 : 72;
        h.frameBytes = std::size_t(factor * bitsPerSecond / h.sampleRate + pad);
        h.samplesPerFrame = h.version == MpegVersion::Mpeg1 ? 1152 : 576;
    }
    return h;
}

namespace {

// The first frame of many MP3 files holds no audio but a Xing/Info (or VBRI) header: frame count,
// byte count and seek table for players. It decodes to silence and would add a frame's worth of
// samples to the count.
bool isInfoFrame(std::span<const std::uint8_t> b, std::size_t pos, const Mp3FrameHeader& h) {
    if (h.layer != 3) {
        return false;
    }
    bool mono = h.channels == 1;
    std::size_t sideInfo = h.version == MpegVersion::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    std::size_t xing = pos + 4 + (h.hasCrc ? 2 : 0) + sideInfo;
    std::size_t end = pos + h.frameBytes;
    auto at = [&](std::size_t offset, const char* tag) {
        return offset + 4 <= end && std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    return at(xing, "Xing") || at(xing, "Info") || at(pos + 4 + 32, "VBRI");
}

} // namespace

Result<Mp3Stream> parseMp3(std::span<const std::uint8_t> b) {
    Mp3Stream out;
    out.frames.reserve(b.size());
    Mp3FrameHeader first;
    bool haveFirst = false;
    bool needConfirm = true; // the next frame must be confirmed by its successor (start, or after junk)
    std::size_t pos = 0;
    const std::size_t n = b.size();

    // True when a frame of format h ending at `end` is followed by the end of the data, a tag, or
    // another frame of the same format.
    auto confirmed = [&](const Mp3FrameHeader& h, std::size_t end) {
        if (end == n || id3v2Size(b, end) != 0 || startsWith(b, end, "TAG")) {
            return true;
        }
        auto next = parseMp3FrameHeader(b.subspan(end));
        return next.ok() && sameFormat(*next, h);
    };

    while (pos < n) {
        if (const std::size_t tag = id3v2Size(b, pos); tag != 0) {
            const std::size_t skip = std::min(tag, n - pos);
            out.droppedBytes += skip;
            pos += skip;
            needConfirm = true;
            continue;
        }
        auto h = parseMp3FrameHeader(b.subspan(pos));
        if (h.ok() && h->frameBytes >= 4) {
            const std::size_t end = pos + h->frameBytes;
            if (end <= n && (!needConfirm || confirmed(*h, end))) {
                if (haveFirst && !sameFormat(*h, first)) {
                    if (confirmed(*h, end)) {
                        return makeError(ErrorCode::Unsupported,
                                         "MPEG stream changes its sample rate, layer or channels", pos);
                    }
                } else {
                    if (!haveFirst) {
                        first = *h;
                        haveFirst = true;
                    }
                    if (out.frameCount == 0 && isInfoFrame(b, pos, *h)) {
                        out.droppedBytes += h->frameBytes;
                        pos = end;
                        needConfirm = false;
                        continue;
                    }
                    out.frames.insert(out.frames.end(), b.begin() + static_cast<std::ptrdiff_t>(pos),
                                      b.begin() + static_cast<std::ptrdiff_t>(end));
                    ++out.frameCount;
                    pos = end;
                    needConfirm = false;
                    continue;
                }
            } else if (end > n && haveFirst && !needConfirm && sameFormat(*h, first)) {
                out.droppedBytes += n - pos; // a last frame cut short
                break;
            }
        }
        // A tag or stray byte: skip it and look for the next confirmed frame.
        ++out.droppedBytes;
        ++pos;
        needConfirm = true;
    }
    if (!haveFirst || out.frameCount == 0) {
        return makeError(ErrorCode::Malformed, "no MPEG audio frames found");
    }
    out.version = first.version;
    out.layer = first.layer;
    out.sampleRate = first.sampleRate;
    out.channels = first.channels;
    out.samplesPerFrame = first.samplesPerFrame;
    out.sampleCount = std::uint64_t{out.frameCount} * std::uint64_t(first.samplesPerFrame);
    return out;
}

Result<Mp3Stream> readMp3File(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        return makeError(ErrorCode::NotFound, "cannot read " + file.string() + ": " + ec.message());
    }
    if (size > kMaxMp3FileBytes) {
        return makeError(ErrorCode::TooLarge, file.string() + " is too large for a sound");
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        return makeError(ErrorCode::Io, "cannot read " + file.string());
    }
    return parseMp3(bytes);
}

Result<SwfSoundFormat> swfSoundFormat(const Mp3Stream& stream) {
    if (stream.layer != 3) {
        return makeError(ErrorCode::Unsupported,
                         "MPEG layer " + std::to_string(stream.layer) + " audio cannot be stored as an SWF MP3 sound");
    }
    SwfSoundFormat f;
    switch (stream.sampleRate) {
    case 11025:
        f.rate = 1;
        break;
    case 22050:
        f.rate = 2;
        break;
    case 44100:
        f.rate = 3;
        break;
    default:
        return makeError(ErrorCode::Unsupported, "sample rate " + std::to_string(stream.sampleRate) +
                                                     " Hz cannot be stored in an SWF sound (11025, 22050 or 44100 Hz)");
    }
    if (stream.sampleCount > std::numeric_limits<std::uint32_t>::max()) {
        return makeError(ErrorCode::TooLarge, "sound too long for an SWF sample count");
    }
    f.stereo = stream.channels == 2;
    f.sampleCount = static_cast<std::uint32_t>(stream.sampleCount);
    return f;
}

std::vector<std::uint8_t> mp3SoundData(const Mp3Stream& stream, std::int16_t seekSamples) {
    std::vector<std::uint8_t> out;
    out.reserve(stream.frames.size() + 2);
    const auto seek = static_cast<std::uint16_t>(seekSamples);
    out.push_back(static_cast<std::uint8_t>(seek & 0xFF));
    out.push_back(static_cast<std::uint8_t>(seek >> 8));
    out.insert(out.end(), stream.frames.begin(), stream.frames.end());
    return out;
}

} // namespace glw::swf::media
