// The SWF file container: the 8-byte signature header and the FWS (plain), CWS (zlib) and ZWS (LZMA)
// bodies, decoded with stated bounds and encoded again in the same form.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Io.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace glw::swf {

enum class Compression { None, Zlib, Lzma };

// Bounds on what reading a movie may cost. The defaults are what the engine uses for files.
struct ReadLimits {
    // The file as stored and the movie once inflated, whichever container it comes in.
    std::size_t maxFileBytes = std::size_t{512} << 20;
    std::size_t maxBodyBytes = std::size_t{512} << 20;
    // How far an inflated body may run past the length its header declares: real movies carry
    // slightly wrong lengths, a compression bomb carries a small one.
    std::size_t lengthMargin = std::size_t{16} << 20;
    // The LZMA decoder keeps its own window beside the output, and a hostile header can ask for
    // gigabytes; no match reaches further back than this (the largest window common encoders use),
    // so a bomb costs at most the output bound plus this.
    std::size_t maxLzmaDictionary = std::size_t{64} << 20;
    // DefineSprite inside DefineSprite is not valid, but occurs; deeper than this is refused.
    unsigned maxSpriteDepth = 32;
};

struct Container {
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    std::uint32_t declaredLength = 0; // FileLength as the header states it
    // False when the compressed stream ended early or was damaged after `body`: the bytes that
    // could be decoded are kept and the tag reader decides whether they form a movie.
    bool streamComplete = true;
    std::shared_ptr<const void> storage; // owns `body` (the file itself for FWS)
    ByteView body;                       // everything after the 8-byte header, uncompressed
};

// Decodes a whole file. Malformed for an unknown signature or a damaged stream start, Truncated for
// a file shorter than its header, TooLarge when inflating would pass the bounds above.
[[nodiscard]] Result<Container> decodeContainer(std::shared_ptr<const Bytes> file, const ReadLimits& limits = {});

// Decodes at most `want` body bytes from the first bytes of a file (for header reading), inflating
// only as much as that needs. Returns fewer bytes when the prefix runs out.
[[nodiscard]] Result<Bytes> decodeBodyPrefix(ByteView filePrefix, std::size_t want);

// Writes signature, version, FileLength (8 + body size) and the body in the given compression.
[[nodiscard]] Result<void> writeContainer(Compression compression, std::uint8_t version, ByteView body, ByteSink& sink);

} // namespace glw::swf
