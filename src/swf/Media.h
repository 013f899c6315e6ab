// What replacing texts, images and sounds needs from outside the movie: glyph outlines of installed
// fonts, JPEG decoding and encoding, MP3 frame parsing. The engine calls these through interfaces so
// that tests can stand in for them; defaultMedia() gives the real ones.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Records.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glw::swf {

struct GlyphOutline {
    char32_t code = 0;
    Bytes shape;              // a SHAPE (fill/line bit counts and shape records) in the font's em units
    std::int32_t advance = 0; // em units
    Rect bounds;              // em units
};

struct FontMetrics {
    std::int32_t ascent = 0; // em units
    std::int32_t descent = 0;
    std::int32_t leading = 0;
};

class GlyphProvider {
public:
    virtual ~GlyphProvider() = default;
    // Outlines for `codes` from the installed font that stands in for `family` (names that Linux
    // lacks, "Arial" and the like, resolve to an installed equivalent). `emSquare` is 1024 for
    // DefineFont2 and 20480 for DefineFont3. Codes the font cannot draw are left out.
    [[nodiscard]] virtual Result<std::vector<GlyphOutline>> glyphs(const std::string& family, bool bold, bool italic,
                                                                   std::u32string_view codes, int emSquare,
                                                                   FontMetrics& metrics) = 0;
};

class JpegCodec {
public:
    virtual ~JpegCodec() = default;
    // The pixel size of a JPEG stream; Malformed when it is not one.
    [[nodiscard]] virtual Result<std::pair<int, int>> jpegSize(ByteView jpeg) = 0;
    // The IJG-scale quality (1 to 100) that the stream's quantisation tables correspond to.
    [[nodiscard]] virtual Result<int> estimateQuality(ByteView jpegOrTables) = 0;
    // Reads a JPEG file, resamples it to width x height and encodes it at `quality` (1 to 100).
    // Malformed/Unsupported when the file is not a JPEG or does not decode whole and clean (cut short,
    // damaged image data): a movie never gets a grey or garbled picture in place of its own.
    [[nodiscard]] virtual Result<Bytes> recodeFile(const std::string& hostPath, int width, int height, int quality) = 0;
};

// What a DefineSound needs for an MP3 file.
struct Mp3Sound {
    std::uint8_t packedFormat = 0; // SoundFormat, SoundRate, SoundSize and SoundType in one byte
    std::uint32_t sampleCount = 0; // per channel
    Bytes soundData;               // SeekSamples and the MPEG audio frames (tags removed)
};

class Mp3Reader {
public:
    virtual ~Mp3Reader() = default;
    // Parses an MP3 file's frames. Malformed when it holds no MPEG audio frames, Unsupported for a
    // sample rate a movie's sound cannot hold (only 11025, 22050 and 44100 Hz can be).
    [[nodiscard]] virtual Result<Mp3Sound> readFile(const std::string& hostPath) = 0;
};

struct Media {
    GlyphProvider* glyphs = nullptr;
    JpegCodec* jpeg = nullptr;
    Mp3Reader* mp3 = nullptr;
};

// The implementations on the installed libraries (fontconfig and FreeType, libjpeg, the MP3 frame
// parser); they live as long as the program.
Media defaultMedia();

// Pixel size from a JPEG's start-of-frame marker, read without decoding (a stray end/start pair
// before the image, as older movies store, is passed over). Malformed when there is none.
[[nodiscard]] Result<std::pair<int, int>> jpegSizeFromMarkers(ByteView jpeg);

} // namespace glw::swf
