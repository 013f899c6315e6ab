// Reading a movie's header (version, stage, rate, frame count) without loading the movie.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Container.h"
#include "swf/Records.h"

#include <cstdint>
#include <string>

namespace glw::swf {

struct SwfHeader {
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    std::uint32_t fileLength = 0;     // as declared (the uncompressed length for CWS and ZWS)
    Rect frame;                       // the stage in twips; its origin need not be 0
    double widthPixels = 0;           // frame width / 20
    double heightPixels = 0;          // frame height / 20
    std::uint16_t frameRateFixed = 0; // 8.8 fixed point as stored
    double frameRate = 0;             // frames per second
    std::uint16_t frameCount = 0;     // as declared
};

// Reads the header of the movie at a host path, inflating only the first bytes of a compressed one.
// NotFound/Io when the file cannot be read, Malformed when it is not a movie, Truncated when the
// header is cut short.
[[nodiscard]] Result<SwfHeader> readSwfHeader(const std::string& hostPath);

// The same from the first bytes of a file (as many as are at hand).
[[nodiscard]] Result<SwfHeader> parseSwfHeader(ByteView filePrefix);

} // namespace glw::swf
