// The SWF file container: the 8-byte signature header and the FWS (plain), CWS (zlib) and ZWS (LZMA)
// bodies, decoded with stated bounds and encoded again in the same form.
#include "swf/Container.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <lzma.h>
#include <new>
#include <optional>
#include <zlib.h>

namespace glw::swf {

namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kLzmaHeaderBytes = 17; // 8 + compressed length + 5 property bytes

// An output buffer that grows by doubling up to `limit` bytes. It lives in malloc'd memory so that
// growing a large buffer moves pages (realloc uses mremap) instead of copying them, and memory is
// only charged as it is written: the peak stays at what was decoded, never twice the limit. Past the
// limit the decoder writes into a small scratch area, and any byte it puts there shows that the
// stream would not stop in time.
class GrowingOutput {
public:
    GrowingOutput(std::size_t reserve, std::size_t limit) : m_limit(limit) {
        m_size = std::min(std::max<std::size_t>(reserve, 4096), std::max<std::size_t>(limit, 1));
        m_data.reset(static_cast<std::uint8_t*>(std::malloc(m_size)));
        if (!m_data) {
            throw std::bad_alloc();
        }
    }
    // Free space after `used` bytes; grows when full. At the limit: the scratch area.
    std::span<std::uint8_t> space(std::size_t used) {
        if (used >= m_limit) {
            return std::span<std::uint8_t>(m_scratch, sizeof m_scratch);
        }
        if (used == m_size) {
            std::size_t grown = std::min(m_size * 2, m_limit);
            auto* moved = static_cast<std::uint8_t*>(std::realloc(m_data.get(), grown));
            if (!moved) {
                throw std::bad_alloc();
            }
            (void)m_data.release();
            m_data.reset(moved);
            m_size = grown;
        }
        return std::span<std::uint8_t>(m_data.get() + used, m_size - used);
    }
    // The first `used` bytes (at most the limit), owned by the returned pointer.
    std::shared_ptr<const std::uint8_t> finish(std::size_t used) {
        used = std::min(used, m_limit);
        if (used > 0 && used < m_size) {
            if (auto* shrunk = static_cast<std::uint8_t*>(std::realloc(m_data.get(), used))) {
                (void)m_data.release();
                m_data.reset(shrunk);
            }
        }
        return std::shared_ptr<const std::uint8_t>(
            m_data.release(), [](const std::uint8_t* p) { std::free(const_cast<std::uint8_t*>(p)); });
    }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> m_data;
    std::size_t m_size = 0;
    std::size_t m_limit;
    std::uint8_t m_scratch[64];
};

struct Inflated {
    std::shared_ptr<const std::uint8_t> data;
    std::size_t size = 0;
    bool complete = true;
    ByteView bytes() const { return ByteView(data.get(), size); }
};

Result<Inflated> inflateZlib(ByteView in, std::size_t reserve, std::size_t limit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return makeError(ErrorCode::Io, "zlib cannot start");
    }
    GrowingOutput out(reserve, limit);
    std::size_t used = 0;
    z.next_in = const_cast<Bytef*>(in.data());
    std::size_t inLeft = in.size();
    bool complete = false;
    for (;;) {
        if (used > limit) {
            inflateEnd(&z);
            return makeError(ErrorCode::TooLarge,
                             "the compressed movie inflates past " + std::to_string(limit) + " bytes");
        }
        std::span<std::uint8_t> space = out.space(used);
        uInt inChunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
        uInt outChunk = static_cast<uInt>(std::min<std::size_t>(space.size(), 1u << 30));
        z.avail_in = inChunk;
        z.next_out = space.data();
        z.avail_out = outChunk;
        int rc = inflate(&z, Z_NO_FLUSH);
        inLeft -= inChunk - z.avail_in;
        used += outChunk - z.avail_out;
        if (rc == Z_STREAM_END) {
            complete = true;
            break;
        }
        if (rc == Z_OK) {
            continue;
        }
        if (rc == Z_BUF_ERROR && z.avail_out > 0) {
            break; // input ran out before the stream's end
        }
        if (rc == Z_BUF_ERROR) {
            continue;
        }
        if (used == 0) {
            inflateEnd(&z);
            return makeError(ErrorCode::Malformed, std::string("the zlib stream is damaged: ") + (z.msg ? z.msg : ""),
                             kHeaderBytes + (in.size() - inLeft));
        }
        break; // damaged later on: keep what came before
    }
    inflateEnd(&z);
    if (used > limit) {
        return makeError(ErrorCode::TooLarge, "the compressed movie inflates past " + std::to_string(limit) + " bytes");
    }
    return Inflated{out.finish(used), used, complete};
}

// Decodes raw LZMA data. With `knownSize` the stream ends after that many bytes (an end marker may
// follow); without it the stream ends at an end marker or where the input does. `leftover` is set
// to the input bytes not consumed.
Result<Inflated> inflateLzma(ByteView props, ByteView in, std::size_t reserve, std::size_t limit, bool stopAtLimit,
                             std::size_t maxDictionary, std::optional<std::size_t> knownSize = std::nullopt,
                             std::size_t* leftover = nullptr) {
    lzma_filter filters[2]{};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[1].id = LZMA_VLI_UNKNOWN;
    if (lzma_properties_decode(&filters[0], nullptr, props.data(), props.size()) != LZMA_OK) {
        return makeError(ErrorCode::Malformed, "the LZMA properties are damaged", 12);
    }
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    if (knownSize) {
        filters[0].id = LZMA_FILTER_LZMA1EXT;
        options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        options->ext_size_low = static_cast<std::uint32_t>(*knownSize);
        options->ext_size_high = static_cast<std::uint32_t>(std::uint64_t{*knownSize} >> 32);
    }
    // No match reaches further back than the output, so a dictionary larger than the bound is never
    // needed; clamping it keeps a hostile header from reserving gigabytes.
    std::size_t dictCap = std::max<std::size_t>(std::min((knownSize ? *knownSize : limit) + 1, maxDictionary), 4096);
    if (options->dict_size > dictCap) {
        options->dict_size = static_cast<std::uint32_t>(std::min<std::size_t>(dictCap, UINT32_MAX));
    }
    lzma_stream s = LZMA_STREAM_INIT;
    lzma_ret rc = lzma_raw_decoder(&s, filters);
    free(filters[0].options);
    if (rc != LZMA_OK) {
        return makeError(rc == LZMA_MEM_ERROR ? ErrorCode::TooLarge : ErrorCode::Malformed,
                         "the LZMA stream cannot be decoded");
    }
    GrowingOutput out(reserve, limit);
    std::size_t used = 0;
    s.next_in = in.data();
    s.avail_in = in.size();
    bool complete = false;
    for (;;) {
        if (used > limit || (used == limit && stopAtLimit)) {
            if (stopAtLimit) {
                break;
            }
            lzma_end(&s);
            return makeError(ErrorCode::TooLarge,
                             "the compressed movie inflates past " + std::to_string(limit) + " bytes");
        }
        std::span<std::uint8_t> space = out.space(used);
        s.next_out = space.data();
        s.avail_out = space.size();
        rc = lzma_code(&s, LZMA_FINISH);
        used += space.size() - s.avail_out;
        if (rc == LZMA_STREAM_END) {
            complete = true;
            break;
        }
        if (rc == LZMA_OK) {
            continue;
        }
        // Movies written with a known size carry no end marker: the stream simply stops when its
        // input does (LZMA_BUF_ERROR). A damaged stream keeps what was decoded before the damage.
        if (rc != LZMA_BUF_ERROR && used == 0) {
            lzma_end(&s);
            return makeError(rc == LZMA_MEM_ERROR ? ErrorCode::TooLarge : ErrorCode::Malformed,
                             "the LZMA stream is damaged", kLzmaHeaderBytes + (in.size() - s.avail_in));
        }
        complete = rc == LZMA_BUF_ERROR && s.avail_in == 0;
        break;
    }
    if (leftover) {
        *leftover = s.avail_in;
    }
    lzma_end(&s);
    if (used > limit && !stopAtLimit) {
        return makeError(ErrorCode::TooLarge, "the compressed movie inflates past " + std::to_string(limit) + " bytes");
    }
    return Inflated{out.finish(used), std::min(used, limit), complete};
}

// Bytes to reserve for an inflated body: the declared size, unless no stream of this size could
// hold it (then growth by doubling takes over).
std::size_t plausibleReserve(std::size_t declaredBody, std::size_t compressed, std::size_t limit) {
    std::size_t ceiling = compressed > (SIZE_MAX / 2048) ? SIZE_MAX : compressed * 1100 + 65536;
    return std::min({declaredBody, limit, ceiling});
}

} // namespace

Result<Container> decodeContainer(std::shared_ptr<const Bytes> file, const ReadLimits& limits) {
    const Bytes& f = *file;
    if (f.size() < 3) {
        return makeError(ErrorCode::Truncated, "not a Flash movie: the file is too short");
    }
    Container c;
    if (f[1] != 'W' || f[2] != 'S' || (f[0] != 'F' && f[0] != 'C' && f[0] != 'Z')) {
        return makeError(ErrorCode::Malformed, "not a Flash movie: the file does not start with FWS, CWS or ZWS");
    }
    if (f.size() < kHeaderBytes) {
        return makeError(ErrorCode::Truncated, "the movie's header is cut short");
    }
    c.compression = f[0] == 'F' ? Compression::None : f[0] == 'C' ? Compression::Zlib : Compression::Lzma;
    c.version = f[3];
    c.declaredLength = readU32(f.data() + 4);
    if (f.size() > limits.maxFileBytes) {
        return makeError(ErrorCode::TooLarge,
                         "the file is larger than " + std::to_string(limits.maxFileBytes) + " bytes");
    }
    if (c.compression == Compression::None) {
        c.body = ByteView(*file).subspan(kHeaderBytes);
        c.storage = std::move(file);
        return c;
    }
    std::size_t declaredBody = c.declaredLength > kHeaderBytes ? c.declaredLength - kHeaderBytes : 0;
    std::size_t limit = std::min(limits.maxBodyBytes, declaredBody + limits.lengthMargin);
    Result<Inflated> inflated = makeError(ErrorCode::None, "");
    if (c.compression == Compression::Zlib) {
        ByteView in = ByteView(f).subspan(kHeaderBytes);
        inflated = inflateZlib(in, plausibleReserve(declaredBody, in.size(), limit), limit);
    } else {
        if (f.size() < kLzmaHeaderBytes) {
            return makeError(ErrorCode::Truncated, "the LZMA movie's header is cut short");
        }
        std::size_t packed = readU32(f.data() + 8);
        ByteView in = ByteView(f).subspan(kLzmaHeaderBytes);
        // The stored compressed length is trusted only when it fits the file.
        if (packed <= in.size()) {
            in = in.first(packed);
        }
        ByteView props = ByteView(f).subspan(12, 5);
        // Streams written without an end marker need the stated size: decoding past it would invent
        // bytes. When the stated size is wrong (real movies have that too), the stream is decoded
        // to its own end instead.
        bool sized = false;
        if (declaredBody > 0 && declaredBody <= limit) {
            std::size_t leftover = 0;
            Result<Inflated> known = inflateLzma(props, in, plausibleReserve(declaredBody, in.size(), limit), limit,
                                                 false, limits.maxLzmaDictionary, declaredBody, &leftover);
            // A few bytes may remain: the range coder's flush and an end marker.
            if (known && known->size == declaredBody && leftover <= 16) {
                inflated = std::move(known);
                sized = true;
            }
        }
        if (!sized) {
            inflated = inflateLzma(props, in, plausibleReserve(declaredBody, in.size(), limit), limit, false,
                                   limits.maxLzmaDictionary);
        }
    }
    if (!inflated) {
        return inflated.error();
    }
    c.streamComplete = inflated->complete;
    c.body = inflated->bytes();
    c.storage = std::move(inflated->data);
    return c;
}

Result<Bytes> decodeBodyPrefix(ByteView f, std::size_t want) {
    if (f.size() < kHeaderBytes || f[1] != 'W' || f[2] != 'S' || (f[0] != 'F' && f[0] != 'C' && f[0] != 'Z')) {
        return makeError(ErrorCode::Malformed, "not a Flash movie: the file does not start with FWS, CWS or ZWS");
    }
    if (f[0] == 'F') {
        ByteView body = f.subspan(kHeaderBytes);
        return Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(std::min(want, body.size())));
    }
    if (f[0] == 'C') {
        z_stream z{};
        if (inflateInit(&z) != Z_OK) {
            return makeError(ErrorCode::Io, "zlib cannot start");
        }
        Bytes out(want);
        z.next_in = const_cast<Bytef*>(f.data() + kHeaderBytes);
        z.avail_in = static_cast<uInt>(std::min<std::size_t>(f.size() - kHeaderBytes, 1u << 30));
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(want);
        int rc = inflate(&z, Z_SYNC_FLUSH);
        std::size_t got = want - z.avail_out;
        inflateEnd(&z);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
            return makeError(ErrorCode::Malformed, "the zlib stream is damaged", kHeaderBytes);
        }
        out.resize(got);
        return out;
    }
    if (f.size() < kLzmaHeaderBytes) {
        return makeError(ErrorCode::Truncated, "the LZMA movie's header is cut short");
    }
    Result<Inflated> inflated = inflateLzma(f.subspan(12, 5), f.subspan(kLzmaHeaderBytes), want, want, true, want);
    if (!inflated) {
        return inflated.error();
    }
    ByteView prefix = inflated->bytes();
    return Bytes(prefix.begin(), prefix.end());
}

namespace {

Result<void> writeHeader(char signature, std::uint8_t version, std::size_t bodySize, ByteSink& sink) {
    if (bodySize > UINT32_MAX - kHeaderBytes) {
        return makeError(ErrorCode::TooLarge, "the movie would be larger than 4 GiB");
    }
    std::uint8_t header[kHeaderBytes] = {static_cast<std::uint8_t>(signature), 'W', 'S', version};
    putU32(header + 4, static_cast<std::uint32_t>(kHeaderBytes + bodySize));
    return sink.write(ByteView(header, kHeaderBytes));
}

Result<void> writeDeflated(ByteView body, ByteSink& sink) {
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) {
        return makeError(ErrorCode::Io, "zlib cannot start");
    }
    // No larger than the whole compressed movie can be: a small movie does not pay for zeroing 256 KiB.
    Bytes buffer(std::min<std::size_t>(
        256 * 1024, deflateBound(&z, static_cast<uLong>(std::min<std::size_t>(body.size(), 256 * 1024))) + 64));
    std::size_t inLeft = body.size();
    z.next_in = const_cast<Bytef*>(body.data());
    for (;;) {
        uInt inChunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
        z.avail_in = inChunk;
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.size());
        int flush = inChunk == inLeft ? Z_FINISH : Z_NO_FLUSH;
        int rc = deflate(&z, flush);
        inLeft -= inChunk - z.avail_in;
        std::size_t produced = buffer.size() - z.avail_out;
        if (produced) {
            Result<void> written = sink.write(ByteView(buffer.data(), produced));
            if (!written) {
                deflateEnd(&z);
                return written;
            }
        }
        if (rc == Z_STREAM_END) {
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            deflateEnd(&z);
            return makeError(ErrorCode::Io, "zlib cannot compress the movie");
        }
    }
    deflateEnd(&z);
    return {};
}

Result<void> writeLzma(std::uint8_t version, ByteView body, ByteSink& sink) {
    lzma_options_lzma options{};
    if (lzma_lzma_preset(&options, 6) != 0) {
        return makeError(ErrorCode::Io, "LZMA cannot start");
    }
    // The player reserves the whole dictionary: no larger than the movie needs.
    std::uint32_t dict = 4096;
    while (dict < body.size() && dict < options.dict_size) {
        dict *= 2;
    }
    options.dict_size = dict;
    options.ext_flags = 0; // no end marker: the header's FileLength gives the size
    lzma_filter filters[2]{};
    filters[0].id = LZMA_FILTER_LZMA1EXT;
    filters[0].options = &options;
    filters[1].id = LZMA_VLI_UNKNOWN;

    lzma_filter propsFilter{};
    propsFilter.id = LZMA_FILTER_LZMA1;
    propsFilter.options = &options;
    std::uint8_t props[5] = {};
    if (lzma_properties_encode(&propsFilter, props) != LZMA_OK) {
        return makeError(ErrorCode::Io, "LZMA cannot describe its settings");
    }
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&s, filters) != LZMA_OK) {
        return makeError(ErrorCode::Io, "LZMA cannot start");
    }
    Bytes packed;
    packed.resize(body.size() + body.size() / 3 + 1024);
    s.next_in = body.data();
    s.avail_in = body.size();
    lzma_ret rc;
    for (;;) {
        s.next_out = packed.data() + s.total_out;
        s.avail_out = packed.size() - s.total_out;
        rc = lzma_code(&s, LZMA_FINISH);
        if (rc == LZMA_STREAM_END) {
            break;
        }
        if (rc != LZMA_OK) {
            lzma_end(&s);
            return makeError(ErrorCode::Io, "LZMA cannot compress the movie");
        }
        if (s.avail_out == 0) {
            packed.resize(packed.size() * 2);
        }
    }
    packed.resize(s.total_out);
    lzma_end(&s);
    if (packed.size() > UINT32_MAX) {
        return makeError(ErrorCode::TooLarge, "the compressed movie would be larger than 4 GiB");
    }
    Result<void> ok = writeHeader('Z', version, body.size(), sink);
    if (!ok) {
        return ok;
    }
    std::uint8_t lengths[9] = {};
    putU32(lengths, static_cast<std::uint32_t>(packed.size()));
    std::memcpy(lengths + 4, props, 5);
    ok = sink.write(ByteView(lengths, 9));
    if (!ok) {
        return ok;
    }
    return sink.write(packed);
}

} // namespace

Result<void> writeContainer(Compression compression, std::uint8_t version, ByteView body, ByteSink& sink) {
    switch (compression) {
    case Compression::None: {
        Result<void> ok = writeHeader('F', version, body.size(), sink);
        return ok ? sink.write(body) : ok;
    }
    case Compression::Zlib: {
        Result<void> ok = writeHeader('C', version, body.size(), sink);
        return ok ? writeDeflated(body, sink) : ok;
    }
    case Compression::Lzma:
        return writeLzma(version, body, sink);
    }
    return makeError(ErrorCode::Invalid, "unknown compression");
}

} // namespace glw::swf
