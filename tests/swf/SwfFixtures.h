// Tiny SWF movies for the engine's tests, written byte by byte here (independently of the engine's
// own writer) so that a fault in the engine cannot hide in its fixtures.
#pragma once

#include "swf/TagCode.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <jpeglib.h>
#include <lzma.h>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <zlib.h>

namespace glw::swf::fixtures {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}
inline void u8(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void u16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void u32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}
inline void str(Bytes& out, std::string_view s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}
inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        append(out, p);
    }
    return out;
}

// Most-significant-bit-first bit packing, as the format's bit fields are stored.
class Bits {
public:
    void put(std::uint32_t v, unsigned n) {
        for (unsigned i = n; i-- > 0;) {
            m_byte = static_cast<std::uint8_t>((m_byte << 1) | ((v >> i) & 1));
            if (++m_used == 8) {
                m_out.push_back(m_byte);
                m_byte = 0;
                m_used = 0;
            }
        }
    }
    void putSigned(std::int32_t v, unsigned n) { put(static_cast<std::uint32_t>(v), n); }
    Bytes take() {
        if (m_used) {
            m_out.push_back(static_cast<std::uint8_t>(m_byte << (8 - m_used)));
            m_used = 0;
        }
        return std::move(m_out);
    }

private:
    Bytes m_out;
    std::uint8_t m_byte = 0;
    unsigned m_used = 0;
};

inline Bytes rect(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax, unsigned bits = 16) {
    Bits b;
    b.put(bits, 5);
    b.putSigned(xMin, bits);
    b.putSigned(xMax, bits);
    b.putSigned(yMin, bits);
    b.putSigned(yMax, bits);
    return b.take();
}

// A MATRIX with a translation only, or with a scale too (16.16 terms).
inline Bytes matrix(std::int32_t tx, std::int32_t ty, std::optional<std::pair<std::int32_t, std::int32_t>> scale = {}) {
    Bits b;
    b.put(scale ? 1 : 0, 1);
    if (scale) {
        b.put(20, 5);
        b.putSigned(scale->first, 20);
        b.putSigned(scale->second, 20);
    }
    b.put(0, 1);
    b.put(16, 5);
    b.putSigned(tx, 16);
    b.putSigned(ty, 16);
    return b.take();
}

inline Bytes tag(TagCode code, const Bytes& payload, bool longHeader = false) {
    Bytes out;
    if (longHeader || payload.size() >= 63) {
        u16(out, (toU16(code) << 6) | 0x3F);
        u32(out, static_cast<std::uint32_t>(payload.size()));
    } else {
        u16(out, (toU16(code) << 6) | static_cast<unsigned>(payload.size()));
    }
    append(out, payload);
    return out;
}

inline Bytes showFrame() {
    return tag(TagCode::ShowFrame, {});
}
inline Bytes endTag() {
    return tag(TagCode::End, {});
}
inline Bytes backgroundColor() {
    return tag(TagCode::SetBackgroundColor, {0xFF, 0xFF, 0xFF});
}

enum class Container { Fws, Cws, Zws };

struct MovieSpec {
    Container container = Container::Fws;
    std::uint8_t version = 10;
    Bytes frame = rect(0, 11000, 0, 8000);
    std::uint16_t rate = 24 << 8;
    std::uint16_t frameCount = 1;
    std::optional<std::uint32_t> fileLength; // declared length, when not the true one
    Bytes tags;                              // encoded tags, End included
};

inline Bytes deflateBytes(const Bytes& in) {
    uLongf n = compressBound(static_cast<uLong>(in.size()));
    Bytes out(n);
    compress2(out.data(), &n, in.data(), static_cast<uLong>(in.size()), 9);
    out.resize(n);
    return out;
}

// LZMA the way the alone encoder writes it (with an end marker), its 8-byte size field left out
// as in ZWS movies.
inline Bytes lzmaBytes(const Bytes& in, Bytes& props) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&s, &opt) != LZMA_OK) {
        return {};
    }
    Bytes out(in.size() * 2 + 1024);
    s.next_in = in.data();
    s.avail_in = in.size();
    s.next_out = out.data();
    s.avail_out = out.size();
    while (lzma_code(&s, LZMA_FINISH) == LZMA_OK) {
    }
    out.resize(s.total_out);
    lzma_end(&s);
    props.assign(out.begin(), out.begin() + 5);
    return Bytes(out.begin() + 13, out.end());
}

inline Bytes movieBody(const MovieSpec& spec) {
    Bytes body = spec.frame;
    u16(body, spec.rate);
    u16(body, spec.frameCount);
    append(body, spec.tags);
    return body;
}

inline Bytes buildMovie(const MovieSpec& spec) {
    Bytes body = movieBody(spec);
    Bytes out;
    const char* sig = spec.container == Container::Fws ? "FWS" : spec.container == Container::Cws ? "CWS" : "ZWS";
    out.insert(out.end(), sig, sig + 3);
    u8(out, spec.version);
    u32(out, spec.fileLength.value_or(static_cast<std::uint32_t>(8 + body.size())));
    if (spec.container == Container::Fws) {
        append(out, body);
    } else if (spec.container == Container::Cws) {
        append(out, deflateBytes(body));
    } else {
        Bytes props;
        Bytes packed = lzmaBytes(body, props);
        u32(out, static_cast<std::uint32_t>(packed.size()));
        append(out, props);
        append(out, packed);
    }
    return out;
}

// A movie of the given tags followed by a frame and the End tag.
inline Bytes movieWith(std::initializer_list<Bytes> tags, std::uint8_t version = 10, Container c = Container::Fws) {
    MovieSpec spec;
    spec.container = c;
    spec.version = version;
    append(spec.tags, backgroundColor());
    for (const Bytes& t : tags) {
        append(spec.tags, t);
    }
    append(spec.tags, showFrame());
    append(spec.tags, endTag());
    return buildMovie(spec);
}

// --- actions ---------------------------------------------------------------------------------

inline Bytes action(unsigned code, const Bytes& payload = {}) {
    Bytes out;
    u8(out, code);
    if (code >= 0x80) {
        u16(out, static_cast<unsigned>(payload.size()));
        append(out, payload);
    }
    return out;
}
inline Bytes getUrl(std::string_view url, std::string_view target = "_blank") {
    Bytes p;
    str(p, url);
    str(p, target);
    return action(0x83, p);
}
inline Bytes pushStrings(std::initializer_list<std::string_view> values) {
    Bytes p;
    for (std::string_view v : values) {
        u8(p, 0);
        str(p, v);
    }
    return action(0x96, p);
}
inline Bytes pushConstants(std::initializer_list<unsigned> indices) {
    Bytes p;
    for (unsigned i : indices) {
        u8(p, 8);
        u8(p, i);
    }
    return action(0x96, p);
}
inline Bytes constantPool(std::initializer_list<std::string_view> values) {
    Bytes p;
    u16(p, static_cast<unsigned>(values.size()));
    for (std::string_view v : values) {
        str(p, v);
    }
    return action(0x88, p);
}
inline Bytes getUrl2() {
    return action(0x9A, {0});
}
inline Bytes jump(std::int16_t offset) {
    Bytes p;
    u16(p, static_cast<std::uint16_t>(offset));
    return action(0x99, p);
}
inline Bytes ifAction(std::int16_t offset) {
    Bytes p;
    u16(p, static_cast<std::uint16_t>(offset));
    return action(0x9D, p);
}
inline Bytes defineFunction(std::string_view name, std::uint16_t codeSize) {
    Bytes p;
    str(p, name);
    u16(p, 0); // no parameters
    u16(p, codeSize);
    return action(0x9B, p);
}
inline Bytes defineFunction2(std::string_view name, std::uint16_t codeSize) {
    Bytes p;
    str(p, name);
    u16(p, 0); // parameters
    u8(p, 2);  // registers
    u16(p, 0); // flags
    u16(p, codeSize);
    return action(0x8E, p);
}
inline Bytes withAction(std::uint16_t size) {
    Bytes p;
    u16(p, size);
    return action(0x94, p);
}
inline Bytes tryAction(std::uint16_t trySize, std::uint16_t catchSize, std::uint16_t finallySize) {
    Bytes p;
    u8(p, 0x03); // catch and finally blocks, catch into a variable
    u16(p, trySize);
    u16(p, catchSize);
    u16(p, finallySize);
    str(p, "e");
    return action(0x8F, p);
}
inline Bytes play() {
    return action(0x06);
}
inline Bytes stop() {
    return action(0x07);
}
inline Bytes actionsEnd() {
    return Bytes{0};
}

inline Bytes doAction(std::initializer_list<Bytes> actions) {
    Bytes p;
    for (const Bytes& a : actions) {
        append(p, a);
    }
    u8(p, 0);
    return tag(TagCode::DoAction, p, true);
}

// --- characters ------------------------------------------------------------------------------

// A square glyph drawn with four straight edges.
inline Bytes squareGlyph(int size = 800) {
    Bits b;
    b.put(1, 4);
    b.put(0, 4);
    b.put(0, 1);
    b.put(0x03, 5); // fill style 0, move to
    b.put(16, 5);
    b.putSigned(0, 16);
    b.putSigned(-size, 16);
    auto edge = [&](int dx, int dy) {
        b.put(1, 1);  // edge
        b.put(1, 1);  // straight
        b.put(14, 4); // 16-bit deltas
        b.put(1, 1);  // general line
        b.putSigned(dx, 16);
        b.putSigned(dy, 16);
    };
    edge(size, 0);
    edge(0, size);
    edge(-size, 0);
    edge(0, -size);
    b.put(0, 1);
    b.put(0, 5);
    return b.take();
}

struct FontSpec {
    std::uint16_t id = 1;
    std::string name = "Fixture Sans";
    std::u16string codes = u"AB";
    bool layout = true;
    bool font3 = false;
    std::int16_t advance = 600; // em units
};

inline Bytes defineFont2(const FontSpec& f) {
    Bytes p;
    u16(p, f.id);
    u8(p, (f.layout ? 0x80 : 0) | 0x04); // layout, wide codes
    u8(p, 1);                            // Latin
    u8(p, static_cast<unsigned>(f.name.size()));
    p.insert(p.end(), f.name.begin(), f.name.end());
    std::size_t n = f.codes.size();
    u16(p, static_cast<unsigned>(n));
    int scale = f.font3 ? 20 : 1;
    std::vector<Bytes> shapes;
    for (std::size_t i = 0; i < n; ++i) {
        shapes.push_back(squareGlyph(700 * scale));
    }
    std::size_t offset = (n + 1) * 2;
    for (const Bytes& s : shapes) {
        u16(p, static_cast<unsigned>(offset));
        offset += s.size();
    }
    u16(p, static_cast<unsigned>(offset));
    for (const Bytes& s : shapes) {
        append(p, s);
    }
    for (char16_t c : f.codes) {
        u16(p, c);
    }
    if (f.layout) {
        u16(p, 900 * scale);
        u16(p, 200 * scale);
        u16(p, 0);
        for (std::size_t i = 0; i < n; ++i) {
            u16(p, static_cast<std::uint16_t>(f.advance * scale));
        }
        for (std::size_t i = 0; i < n; ++i) {
            append(p, rect(0, 700 * scale, -700 * scale, 0, 16));
        }
        u16(p, 0); // kerning
    }
    return tag(f.font3 ? TagCode::DefineFont3 : TagCode::DefineFont2, p, true);
}

struct TextSpec {
    std::uint16_t id = 2;
    std::uint16_t fontId = 1;
    std::uint16_t height = 400; // twips
    std::vector<std::vector<unsigned>> lines = {{0, 1}};
    std::int16_t x = 20;
    std::int16_t y = 400;
    std::int16_t lineStep = 480;
    std::int32_t advance = 240; // twips
    bool text2 = false;
};

inline Bytes defineText(const TextSpec& t) {
    Bytes p;
    u16(p, t.id);
    append(p, rect(0, 2000, 0, 1000));
    append(p, matrix(0, 0));
    u8(p, 8);  // glyph bits
    u8(p, 16); // advance bits
    for (std::size_t line = 0; line < t.lines.size(); ++line) {
        bool first = line == 0;
        u8(p, 0x80 | (first ? 0x08 | 0x04 : 0) | 0x02 | 0x01);
        if (first) {
            u16(p, t.fontId);
            u8(p, 0x10);
            u8(p, 0x20);
            u8(p, 0x30);
            if (t.text2) {
                u8(p, 0xFF);
            }
        }
        u16(p, static_cast<std::uint16_t>(t.x));
        u16(p, static_cast<std::uint16_t>(t.y + t.lineStep * static_cast<int>(line)));
        if (first) {
            u16(p, t.height);
        }
        u8(p, static_cast<unsigned>(t.lines[line].size()));
        Bits b;
        for (unsigned g : t.lines[line]) {
            b.put(g, 8);
            b.putSigned(t.advance, 16);
        }
        append(p, b.take());
    }
    u8(p, 0);
    return tag(t.text2 ? TagCode::DefineText2 : TagCode::DefineText, p);
}

struct EditSpec {
    std::uint16_t id = 3;
    std::optional<std::uint16_t> fontId = 1;
    std::uint16_t height = 300;
    std::optional<std::string> text = "Hello";
    bool html = false;
    bool outlines = true;
    std::string variable = "field";
    bool readOnly = false;
};

inline Bytes defineEditText(const EditSpec& e) {
    Bytes p;
    u16(p, e.id);
    append(p, rect(0, 4000, 0, 600));
    u8(p, (e.text ? 0x80 : 0) | (e.readOnly ? 0x08 : 0) | 0x04 | (e.fontId ? 0x01 : 0)); // text, colour, font
    u8(p, 0x20 | (e.html ? 0x02 : 0) | (e.outlines ? 0x01 : 0));                         // layout, html, outlines
    if (e.fontId) {
        u16(p, *e.fontId);
        u16(p, e.height);
    }
    u32(p, 0xFF000000); // colour RGBA
    u8(p, 0);           // align
    u16(p, 0);
    u16(p, 0);
    u16(p, 0);
    u16(p, 40); // leading
    str(p, e.variable);
    if (e.text) {
        str(p, *e.text);
    }
    return tag(TagCode::DefineEditText, p, true);
}

inline Bytes placeObject2(std::uint16_t depth, std::optional<std::uint16_t> character, std::optional<Bytes> m,
                          bool move = false) {
    Bytes p;
    u8(p, (m ? 0x04 : 0) | (character ? 0x02 : 0) | (move ? 0x01 : 0));
    u16(p, depth);
    if (character) {
        u16(p, *character);
    }
    if (m) {
        append(p, *m);
    }
    return tag(TagCode::PlaceObject2, p);
}

inline Bytes defineSprite(std::uint16_t id, std::initializer_list<Bytes> tags) {
    Bytes p;
    u16(p, id);
    u16(p, 1);
    for (const Bytes& t : tags) {
        append(p, t);
    }
    append(p, showFrame());
    append(p, endTag());
    return tag(TagCode::DefineSprite, p, true);
}

inline Bytes exportAssets(std::initializer_list<std::pair<std::uint16_t, std::string_view>> names) {
    Bytes p;
    u16(p, static_cast<unsigned>(names.size()));
    for (const auto& [id, name] : names) {
        u16(p, id);
        str(p, name);
    }
    return tag(TagCode::ExportAssets, p, true);
}

// MPEG-1 layer III frames at 44.1 kHz, 128 kbit/s (417 bytes each, silent payload); a different
// sample rate index gives 48 kHz (1) or 32 kHz (2).
inline Bytes mp3Frames(int count, int rateIndex = 0) {
    Bytes out;
    int rates[] = {44100, 48000, 32000};
    std::size_t size = 144 * 128000 / rates[rateIndex];
    for (int i = 0; i < count; ++i) {
        Bytes frame(size, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = static_cast<std::uint8_t>(0x90 | (rateIndex << 2));
        frame[3] = 0xC4; // mono
        append(out, frame);
    }
    return out;
}

inline Bytes id3Tag() {
    Bytes out = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10};
    out.resize(out.size() + 10, 'x');
    return out;
}

inline Bytes defineSound(std::uint16_t id, const Bytes& frames, std::uint32_t samples) {
    Bytes p;
    u16(p, id);
    u8(p, (2 << 4) | (3 << 2) | 0x02); // MP3, 44 kHz, 16-bit, mono
    u32(p, samples);
    u16(p, 0); // seek samples
    append(p, frames);
    return tag(TagCode::DefineSound, p, true);
}

// A baseline JPEG of a flat colour, encoded with libjpeg at the given quality.
inline Bytes makeJpeg(int width, int height, int quality, std::uint8_t grey = 128) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, grey);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    free(buffer);
    return out;
}

inline Bytes defineBitsJpeg2(std::uint16_t id, const Bytes& jpeg) {
    Bytes p;
    u16(p, id);
    append(p, jpeg);
    return tag(TagCode::DefineBitsJPEG2, p, true);
}

inline Bytes defineBitsJpeg3(std::uint16_t id, const Bytes& jpeg, int width, int height) {
    Bytes p;
    u16(p, id);
    u32(p, static_cast<std::uint32_t>(jpeg.size()));
    append(p, jpeg);
    append(p, deflateBytes(Bytes(static_cast<std::size_t>(width * height), 0x80)));
    return tag(TagCode::DefineBitsJPEG3, p, true);
}

inline Bytes defineBitsLossless(std::uint16_t id, int width, int height) {
    Bytes p;
    u16(p, id);
    u8(p, 5); // 32-bit pixels
    u16(p, static_cast<unsigned>(width));
    u16(p, static_cast<unsigned>(height));
    append(p, deflateBytes(Bytes(static_cast<std::size_t>(width * height * 4), 0xFF)));
    return tag(TagCode::DefineBitsLossless, p, true);
}

// --- files -----------------------------------------------------------------------------------

// A fresh folder under the build tree for one test's files, removed when it goes.
class TempDir {
public:
    TempDir() {
        std::string base = (std::filesystem::temp_directory_path() / "glw-swf-test-XXXXXX").string();
        char* made = mkdtemp(base.data());
        m_path = made ? std::filesystem::path(made) : std::filesystem::path();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::filesystem::path corpusDir() {
    return std::filesystem::path(GLW_SOURCE_DIR) / ".." / "shared" / "swf-corpus";
}

} // namespace glw::swf::fixtures
