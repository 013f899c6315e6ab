// The movie model: header fields and the tag list, every tag kept as its raw bytes (and its short or
// long header form) so that what is not edited is written back byte for byte.
#include "swf/Movie.h"

#include <algorithm>

namespace glw::swf {

namespace {

constexpr std::size_t kFileHeaderBytes = 8;

bool spriteContentEdited(const std::vector<Tag>& children) {
    return std::any_of(children.begin(), children.end(), [](const Tag& t) { return t.edited(); });
}

} // namespace

bool longHeaderForNewTag(TagCode code, std::size_t payloadSize) {
    return payloadSize >= 63 || hasTrait(code, kLongHeader);
}

Tag Tag::make(TagCode code, Bytes payload) {
    Tag t;
    t.m_code = code;
    t.m_longHeader = longHeaderForNewTag(code, payload.size());
    t.m_owned = std::make_shared<const Bytes>(std::move(payload));
    return t;
}

void Tag::setPayload(Bytes payload) {
    m_owned = std::make_shared<const Bytes>(std::move(payload));
    // A sprite given a whole new payload is no longer described by its children.
    m_spriteParsed = false;
    m_children.clear();
}

bool Tag::edited() const {
    return m_owned != nullptr || (m_spriteParsed && spriteContentEdited(m_children));
}

std::size_t Tag::encodedPayloadSize() const {
    if (m_owned || !m_spriteParsed || !spriteContentEdited(m_children)) {
        return payload().size();
    }
    std::size_t n = 4 + m_spriteTail.size();
    for (const Tag& child : m_children) {
        n += child.encodedSize();
    }
    return n;
}

std::size_t Tag::encodedSize() const {
    std::size_t n = encodedPayloadSize();
    return n + ((m_longHeader || n >= 63) ? 6 : 2);
}

void Tag::encode(ByteWriter& out) const {
    std::size_t n = encodedPayloadSize();
    if (m_longHeader || n >= 63) {
        out.u16(static_cast<std::uint16_t>((toU16(m_code) << 6) | 0x3F));
        out.u32(static_cast<std::uint32_t>(n));
    } else {
        out.u16(static_cast<std::uint16_t>((toU16(m_code) << 6) | n));
    }
    if (m_owned || !m_spriteParsed || !spriteContentEdited(m_children)) {
        out.bytes(payload());
        return;
    }
    out.bytes(m_raw.first(4)); // sprite id and frame count
    for (const Tag& child : m_children) {
        child.encode(out);
    }
    out.bytes(m_spriteTail);
}

class MovieReader {
public:
    MovieReader(ByteView body, const ReadLimits& limits) : m_body(body), m_limits(limits) {}

    // Reads the tags of [begin, end) of the body into `out`; what follows the End tag goes to `tail`.
    Result<void> readTags(std::size_t begin, std::size_t end, unsigned depth, std::vector<Tag>& out, ByteView& tail) {
        std::size_t pos = begin;
        while (pos < end) {
            if (end - pos < 2) {
                break; // a stray byte where a tag header would start: kept as trailing bytes
            }
            std::uint16_t codeAndLength = readU16(m_body.data() + pos);
            auto code = static_cast<TagCode>(codeAndLength >> 6);
            std::size_t length = codeAndLength & 0x3F;
            bool longHeader = length == 0x3F;
            std::size_t headerAt = pos;
            pos += 2;
            if (longHeader) {
                if (end - pos < 4) {
                    return makeError(ErrorCode::Truncated, tagName(code) + "'s header is cut short",
                                     kFileHeaderBytes + headerAt);
                }
                length = readU32(m_body.data() + pos);
                pos += 4;
            }
            if (length > end - pos) {
                return makeError(ErrorCode::Truncated,
                                 tagName(code) + " declares " + std::to_string(length) + " bytes but only " +
                                     std::to_string(end - pos) + " remain",
                                 kFileHeaderBytes + headerAt);
            }
            Tag& tag = out.emplace_back(code, m_body.subspan(pos, length), longHeader);
            if (code == TagCode::DefineSprite && length >= 4) {
                if (depth + 1 > m_limits.maxSpriteDepth) {
                    return makeError(ErrorCode::TooLarge,
                                     "DefineSprite: sprites are nested deeper than " +
                                         std::to_string(m_limits.maxSpriteDepth),
                                     kFileHeaderBytes + headerAt);
                }
                Result<void> inner = readTags(pos + 4, pos + length, depth + 1, tag.m_children, tag.m_spriteTail);
                if (!inner) {
                    return inner;
                }
                tag.m_spriteParsed = true;
            }
            pos += length;
            if (code == TagCode::End) {
                break;
            }
        }
        tail = m_body.subspan(pos, end - pos);
        return {};
    }

    static Result<Movie> read(Container c, std::shared_ptr<const Bytes> file, const ReadLimits& limits) {
        Movie movie;
        movie.compression = c.compression;
        movie.version = c.version;
        movie.declaredLength = c.declaredLength;
        movie.m_streamComplete = c.streamComplete;
        ByteReader r(c.body);
        movie.frame = readRect(r);
        movie.frameRate = r.u16();
        movie.frameCount = r.u16();
        if (r.failed()) {
            return makeError(ErrorCode::Truncated, "the movie's header is cut short", kFileHeaderBytes);
        }
        std::size_t headerEnd = r.position();
        MovieReader reader(c.body, limits);
        Result<void> tags = reader.readTags(headerEnd, c.body.size(), 0, movie.tags, movie.m_trailing);
        if (!tags) {
            return tags.error();
        }
        movie.m_headerFields = c.body.first(headerEnd);
        movie.m_tagBytes = c.body.subspan(headerEnd, c.body.size() - headerEnd - movie.m_trailing.size());
        movie.m_storage = std::move(c.storage);
        movie.m_file = std::move(file);
        movie.m_sourceVersion = movie.version;
        movie.m_sourceCompression = movie.compression;
        movie.m_sourceRate = movie.frameRate;
        movie.m_sourceCount = movie.frameCount;
        return movie;
    }

private:
    ByteView m_body;
    const ReadLimits& m_limits;
};

namespace {

void encodeHeaderFields(const Movie& movie, ByteView storedFields, bool fieldsUsable, ByteWriter& out) {
    if (fieldsUsable) {
        out.bytes(storedFields.first(storedFields.size() - 4));
    } else {
        writeRect(out, movie.frame);
    }
    out.u16(movie.frameRate);
    out.u16(movie.frameCount);
}

} // namespace

std::size_t Movie::encodedBodySize() const {
    std::size_t n = m_frameEdited || m_headerFields.empty() ? 0 : m_headerFields.size();
    if (n == 0) {
        ByteWriter w;
        writeRect(w, frame);
        n = w.size() + 4;
    }
    for (const Tag& tag : tags) {
        n += tag.encodedSize();
    }
    return n + m_trailing.size();
}

Bytes Movie::encodeBody() const {
    ByteWriter out(encodedBodySize());
    encodeHeaderFields(*this, m_headerFields, !m_frameEdited && !m_headerFields.empty(), out);
    for (const Tag& tag : tags) {
        tag.encode(out);
    }
    out.bytes(m_trailing);
    return out.take();
}

std::uint64_t Movie::offsetOf(const Tag& tag) const {
    if (tag.m_raw.empty() && tag.m_raw.data() == nullptr) {
        return 0;
    }
    const std::uint8_t* header = tag.m_raw.data() - (tag.m_longHeader ? 6 : 2);
    return kFileHeaderBytes + static_cast<std::uint64_t>(header - m_headerFields.data());
}

bool Movie::unchangedFromSource() const {
    if (!m_file || !m_storage || m_frameEdited || version != m_sourceVersion || compression != m_sourceCompression ||
        frameRate != m_sourceRate || frameCount != m_sourceCount) {
        return false;
    }
    std::size_t bodySize = m_headerFields.size() + m_tagBytes.size() + m_trailing.size();
    if (declaredLength != kFileHeaderBytes + bodySize) {
        return false;
    }
    const std::uint8_t* expected = m_tagBytes.data();
    for (const Tag& tag : tags) {
        if (tag.edited() || tag.m_raw.data() != expected + (tag.m_longHeader ? 6 : 2)) {
            return false;
        }
        expected = tag.m_raw.data() + tag.m_raw.size();
    }
    return expected == m_tagBytes.data() + m_tagBytes.size();
}

Result<Movie> readMovie(std::shared_ptr<const Bytes> file, const ReadLimits& limits) {
    Result<Container> c = decodeContainer(file, limits);
    if (!c) {
        return c.error();
    }
    return MovieReader::read(std::move(*c), std::move(file), limits);
}

Result<Movie> readMovie(ByteSource& source, const ReadLimits& limits) {
    Result<Bytes> bytes = readAll(source, limits.maxFileBytes);
    if (!bytes) {
        return bytes.error();
    }
    return readMovie(std::make_shared<const Bytes>(std::move(*bytes)), limits);
}

Result<Movie> loadMovieFile(const std::string& hostPath, const ReadLimits& limits) {
    Result<std::unique_ptr<ByteSource>> source = openFileSource(hostPath);
    if (!source) {
        return source.error();
    }
    return readMovie(**source, limits);
}

Result<void> writeMovie(const Movie& movie, ByteSink& sink, const WriteOptions& options) {
    if (options.reuseUnchangedStream && movie.unchangedFromSource()) {
        return sink.write(*movie.sourceFile());
    }
    Bytes body = movie.encodeBody();
    return writeContainer(movie.compression, movie.version, body, sink);
}

Result<Bytes> encodeMovie(const Movie& movie, const WriteOptions& options) {
    MemorySink sink;
    Result<void> ok = writeMovie(movie, sink, options);
    if (!ok) {
        return ok.error();
    }
    return std::move(sink.bytes());
}

Result<void> saveMovieFile(const Movie& movie, const std::string& hostPath, const WriteOptions& options,
                           const SinkFilter& filter) {
    return writeFileAtomically(
        hostPath, [&](ByteSink& sink) { return writeMovie(movie, sink, options); }, filter);
}

} // namespace glw::swf
