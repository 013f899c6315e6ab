// Fuzzes the movie reader: any bytes either give a status or a movie that encodes again to the
// same body and reads back the same.
#include "swf/Header.h"
#include "swf/Movie.h"

#include <cstdint>
#include <cstdlib>

using namespace glw::swf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadLimits limits;
    limits.maxBodyBytes = std::size_t{16} << 20;
    limits.lengthMargin = std::size_t{1} << 20;
    (void)parseSwfHeader(ByteView(data, size));
    auto file = std::make_shared<const Bytes>(data, data + size);
    glw::Result<Movie> movie = readMovie(file, limits);
    if (!movie) {
        return 0;
    }
    Bytes body = movie->encodeBody();
    glw::Result<Bytes> encoded = encodeMovie(*movie, WriteOptions{false});
    if (!encoded) {
        return 0; // too large to hold a length: a status, not a fault
    }
    ReadLimits again = limits;
    again.maxBodyBytes = body.size() + 1024;
    glw::Result<Movie> reread = readMovie(std::make_shared<const Bytes>(std::move(*encoded)), again);
    if (!reread || reread->encodeBody() != body || reread->tags.size() != movie->tags.size()) {
        std::abort(); // what the writer wrote, the reader must read back as it was
    }
    return 0;
}
