// The movie model: header fields and the tag list, every tag kept as its raw bytes (and its short or
// long header form) so that what is not edited is written back byte for byte; sprites hold their
// own tag lists the same way.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Container.h"
#include "swf/Io.h"
#include "swf/Records.h"
#include "swf/TagCode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace glw::swf {

class Tag {
public:
    Tag() = default;
    Tag(TagCode code, ByteView raw, bool longHeader) : m_code(code), m_longHeader(longHeader), m_raw(raw) {}
    // A tag made by the engine; its header form follows `longHeaderForNewTag`.
    static Tag make(TagCode code, Bytes payload);

    TagCode code() const { return m_code; }
    bool longHeader() const { return m_longHeader; }
    // The payload as read or as set by setPayload(); a sprite whose children were edited is
    // rebuilt from them only when written.
    ByteView payload() const { return m_owned ? ByteView(*m_owned) : m_raw; }
    // Bytes the payload takes when written, and the whole tag with its header.
    std::size_t encodedPayloadSize() const;
    std::size_t encodedSize() const;
    // Anything in this tag (or, for a sprite, in its children) differs from what was read.
    bool edited() const;

    void setPayload(Bytes payload);

    // Sprites (DefineSprite): the tags inside and any bytes after their End tag.
    bool isSprite() const { return m_code == TagCode::DefineSprite && m_spriteParsed; }
    std::vector<Tag>& children() { return m_children; }
    const std::vector<Tag>& children() const { return m_children; }

    // Appends header and payload to `out`.
    void encode(ByteWriter& out) const;

private:
    friend class MovieReader;
    friend class Movie;
    TagCode m_code = TagCode::End;
    bool m_longHeader = false;
    ByteView m_raw;
    std::shared_ptr<const Bytes> m_owned;
    // Sprite contents.
    bool m_spriteParsed = false;
    std::vector<Tag> m_children;
    ByteView m_spriteTail;
};

// Tags that players or authoring tools expect with the long header even when short.
bool longHeaderForNewTag(TagCode code, std::size_t payloadSize);

class Movie {
public:
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    std::uint32_t declaredLength = 0;
    Rect frame;
    std::uint16_t frameRate = 0; // 8.8 fixed point frames per second
    std::uint16_t frameCount = 0;
    std::vector<Tag> tags;

    // Bytes after the root End tag, kept as they were.
    ByteView trailing() const { return m_trailing; }
    // The frame rectangle was given new values (it is then written in its smallest form).
    void setFrame(const Rect& r) {
        frame = r;
        m_frameEdited = true;
    }
    bool streamComplete() const { return m_streamComplete; }

    // The uncompressed body (everything after the 8-byte header) as it will be written.
    Bytes encodeBody() const;
    std::size_t encodedBodySize() const;
    // True when nothing was changed since reading and the stored header matches the body.
    bool unchangedFromSource() const;
    // Where a tag read from this movie starts (its header), counted in the uncompressed file as
    // the 8-byte file header and the body; 0 for a tag the engine made.
    std::uint64_t offsetOf(const Tag& tag) const;
    // The file as it was read, when the movie came from one.
    const std::shared_ptr<const Bytes>& sourceFile() const { return m_file; }

private:
    friend class MovieReader;
    std::shared_ptr<const void> m_storage; // keeps the raw views of all tags alive
    std::shared_ptr<const Bytes> m_file;   // the file as read (a compressed one is reused when unchanged)
    ByteView m_headerFields;               // RECT, rate and count as stored
    ByteView m_tagBytes;                   // the root tag list as stored
    ByteView m_trailing;
    bool m_frameEdited = false;
    bool m_streamComplete = true;
    std::uint8_t m_sourceVersion = 0;
    Compression m_sourceCompression = Compression::None;
    std::uint16_t m_sourceRate = 0;
    std::uint16_t m_sourceCount = 0;
};

// Reads a movie from a whole file's bytes. Refused with a status: an unknown signature, a header or
// tag cut short, a tag whose declared length runs past its container, sprites nested deeper than
// the limit, a stream that inflates past its bounds. Tolerated: wrong FileLength and frame count,
// bytes after the End tag, a missing End tag, a compressed stream that stops early after a
// complete tag list.
[[nodiscard]] Result<Movie> readMovie(std::shared_ptr<const Bytes> file, const ReadLimits& limits = {});
[[nodiscard]] Result<Movie> readMovie(ByteSource& source, const ReadLimits& limits = {});
[[nodiscard]] Result<Movie> loadMovieFile(const std::string& hostPath, const ReadLimits& limits = {});

struct WriteOptions {
    // An unchanged compressed movie is written as the very bytes it was read from.
    bool reuseUnchangedStream = true;
};

// Writes the movie in its own compression with FileLength recomputed.
[[nodiscard]] Result<void> writeMovie(const Movie& movie, ByteSink& sink, const WriteOptions& options = {});
[[nodiscard]] Result<Bytes> encodeMovie(const Movie& movie, const WriteOptions& options = {});
// Writes to a host path, replacing the file only once the new one is complete.
[[nodiscard]] Result<void> saveMovieFile(const Movie& movie, const std::string& hostPath,
                                         const WriteOptions& options = {}, const SinkFilter& filter = {});

// Calls `visit(tag, depth)` for every tag in file order, descending into sprites (depth 1 inside a
// root sprite). The walk stops when `visit` returns false.
template <class Visit> bool walkTags(std::vector<Tag>& tags, Visit&& visit, int depth = 0) {
    for (Tag& tag : tags) {
        if (!visit(tag, depth)) {
            return false;
        }
        if (tag.isSprite() && !walkTags(tag.children(), visit, depth + 1)) {
            return false;
        }
    }
    return true;
}
template <class Visit> bool walkTags(const std::vector<Tag>& tags, Visit&& visit, int depth = 0) {
    for (const Tag& tag : tags) {
        if (!visit(tag, depth)) {
            return false;
        }
        if (tag.isSprite() && !walkTags(tag.children(), visit, depth + 1)) {
            return false;
        }
    }
    return true;
}

} // namespace glw::swf
