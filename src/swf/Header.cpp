// Reading a movie's header (version, stage, rate, frame count) without loading the movie.
#include "swf/Header.h"

#include "swf/Io.h"

namespace glw::swf {

namespace {

// RECT (at most 17 bytes) plus rate and count.
constexpr std::size_t kHeaderFieldsMax = 21;

} // namespace

Result<SwfHeader> parseSwfHeader(ByteView prefix) {
    Result<Bytes> fields = decodeBodyPrefix(prefix, kHeaderFieldsMax);
    if (!fields) {
        return fields.error();
    }
    SwfHeader h;
    h.compression = prefix[0] == 'F' ? Compression::None : prefix[0] == 'C' ? Compression::Zlib : Compression::Lzma;
    h.version = prefix[3];
    h.fileLength = readU32(prefix.data() + 4);
    ByteReader r(*fields);
    h.frame = readRect(r);
    h.frameRateFixed = r.u16();
    h.frameCount = r.u16();
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "the movie's header is cut short", 8);
    }
    h.widthPixels = h.frame.width() / 20.0;
    h.heightPixels = h.frame.height() / 20.0;
    h.frameRate = h.frameRateFixed / 256.0;
    return h;
}

Result<SwfHeader> readSwfHeader(const std::string& hostPath) {
    // A compressed header needs the stream's first block; 4 KiB holds it in practice, 64 KiB always
    // does for zlib's largest block header.
    for (std::size_t want : {std::size_t{4096}, std::size_t{65536}}) {
        Result<Bytes> prefix = readFilePrefix(hostPath, want);
        if (!prefix) {
            return prefix.error();
        }
        Result<SwfHeader> header = parseSwfHeader(*prefix);
        if (header || header.error().code != ErrorCode::Truncated || prefix->size() < want) {
            return header;
        }
    }
    return makeError(ErrorCode::Truncated, "the movie's header could not be decoded", 8);
}

} // namespace glw::swf
