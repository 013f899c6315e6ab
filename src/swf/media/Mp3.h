// MPEG audio streams for SWF sounds: frame headers, whole-file parsing with tags dropped, and the
// SWF sound format fields they give.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace glw::swf::media {

// Largest MP3 file readMp3File loads (bytes).
inline constexpr std::uintmax_t kMaxMp3FileBytes = std::uintmax_t{256} << 20;

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

// One MPEG audio frame header, decoded.
struct Mp3FrameHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 3;       // 1, 2 or 3
    int bitrateKbps = 0; // never 0: free-format frames are refused
    int sampleRate = 0;  // Hz
    bool padded = false;
    bool hasCrc = false;        // a 16-bit CRC follows the header
    int channelMode = 0;        // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int channels = 2;           // 1 for mono, else 2
    std::size_t frameBytes = 0; // the whole frame, header included
    int samplesPerFrame = 0;    // per channel
};

// Decodes the 4 header bytes at the start of `bytes`. Malformed when they are no frame header (no
// sync, reserved version, layer, rate or bitrate index), Unsupported for free-format bitrate.
Result<Mp3FrameHeader> parseMp3FrameHeader(std::span<const std::uint8_t> bytes);

// An MPEG audio stream with every tag and stray byte removed.
struct Mp3Stream {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 3;
    int sampleRate = 0; // Hz, the same for every frame
    int channels = 0;   // 1 or 2, the same for every frame
    int samplesPerFrame = 0;
    std::uint32_t frameCount = 0;
    std::uint64_t sampleCount = 0;    // per channel: frameCount x samplesPerFrame
    std::vector<std::uint8_t> frames; // the frames back to back, nothing else
    std::size_t droppedBytes = 0;     // tag, junk and truncated-frame bytes left out
};

// Parses MPEG audio data: ID3v2 tags (at the start or between frames) and an ID3v1 tag or other
// trailing bytes are dropped, junk between frames is skipped up to the next confirmed frame, and a
// truncated last frame is left out. The first frame must be confirmed by the frame that follows it
// (or end the data), so bytes that only look like a sync word are not taken as audio. Frames whose
// version, layer, sample rate or channel count differ from the first frame's are Unsupported (an SWF
// sound has one format). Malformed when no frame is found.
Result<Mp3Stream> parseMp3(std::span<const std::uint8_t> bytes);

// Reads a whole file (at most kMaxMp3FileBytes) and parses it; NotFound or Io when it cannot be read.
Result<Mp3Stream> readMp3File(const std::filesystem::path& file);

// The fields of a DefineSound tag (or a streaming sound head) for an MP3 stream.
struct SwfSoundFormat {
    std::uint8_t format = 2;       // SoundFormat: 2 = MP3
    std::uint8_t rate = 0;         // SoundRate: 1 = 11 kHz, 2 = 22 kHz, 3 = 44 kHz
    bool sixteenBit = true;        // SoundSize: always 16-bit for compressed formats
    bool stereo = false;           // SoundType
    std::uint32_t sampleCount = 0; // SoundSampleCount, per channel

    // The packed byte that follows the sound id in DefineSound.
    std::uint8_t packed() const {
        return static_cast<std::uint8_t>((format << 4) | (rate << 2) | (sixteenBit ? 2 : 0) | (stereo ? 1 : 0));
    }
};

// The SWF sound fields for a stream. The SoundRate field holds only 5512, 11025, 22050 and 44100 Hz (and
// 5512 Hz is not allowed for MP3): any other rate is refused with Unsupported, as are layers other
// than III; TooLarge when the sample count does not fit 32 bits.
Result<SwfSoundFormat> swfSoundFormat(const Mp3Stream& stream);

// The SoundData of a DefineSound tag for an MP3 stream: SeekSamples (the encoder's initial latency
// to skip, usually 0) followed by the frames.
std::vector<std::uint8_t> mp3SoundData(const Mp3Stream& stream, std::int16_t seekSamples = 0);

} // namespace glw::swf::media
