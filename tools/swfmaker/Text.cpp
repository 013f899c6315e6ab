// Embedded fonts and static text layout for the clip maker.
#include "swfmaker/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace glw::tools {

using glw::swf::media::GlyphFont;
using glw::swf::media::kEmSquare;

Result<EmbeddedFont> EmbeddedFont::load(std::string name, bool bold, bool italic, std::u32string_view characters) {
    auto font = GlyphFont::open(name, bold, italic, kEmSquare);
    if (!font) {
        return font.error();
    }
    std::u32string codes(characters);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    EmbeddedFont out;
    out.m_name = std::move(name);
    out.m_bold = bold;
    out.m_italic = italic;
    out.m_match = font->match();
    out.m_metrics = font->metrics();
    for (char32_t c : codes) {
        if (c == U'\n' || c == U'\r' || c > 0xFFFF) {
            continue; // the code table holds UCS-2 only
        }
        auto g = font->glyph(c);
        if (g) {
            out.m_glyphs.push_back(std::move(*g));
        }
    }
    if (out.m_glyphs.size() > 0xFFFF) {
        return makeError(ErrorCode::TooLarge, "too many glyphs for one font");
    }
    return out;
}

std::optional<std::uint16_t> EmbeddedFont::index(char32_t code) const {
    auto it = std::lower_bound(m_glyphs.begin(), m_glyphs.end(), code,
                               [](const glw::swf::media::Glyph& g, char32_t c) { return g.code < c; });
    if (it == m_glyphs.end() || it->code != code) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(it - m_glyphs.begin());
}

namespace {

void writeFontName(ByteWriter& w, std::string_view name) {
    const std::size_t length = std::min<std::size_t>(name.size(), 255);
    w.u8(static_cast<std::uint8_t>(length));
    w.bytes(name.substr(0, length));
}

std::int16_t clampS16(long v) {
    return static_cast<std::int16_t>(
        std::clamp<long>(v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

} // namespace

Tag EmbeddedFont::defineFont2(std::uint16_t id) const {
    const std::size_t n = m_glyphs.size();
    std::size_t shapesBytes = 0;
    for (const auto& g : m_glyphs) {
        shapesBytes += g.shape.size();
    }
    const bool wide = (n + 1) * 2 + shapesBytes > 0xFFFF;
    const std::size_t offsetSize = wide ? 4 : 2;

    ByteWriter w;
    w.u16(id);
    std::uint8_t flags = 0x80 | 0x04; // layout, wide codes
    flags |= wide ? 0x08 : 0;
    flags |= m_italic ? 0x02 : 0;
    flags |= m_bold ? 0x01 : 0;
    w.u8(flags);
    w.u8(1); // language code: Latin
    writeFontName(w, m_name);
    w.u16(static_cast<std::uint16_t>(n));
    std::size_t offset = (n + 1) * offsetSize;
    auto writeOffset = [&](std::size_t v) {
        if (wide) {
            w.u32(static_cast<std::uint32_t>(v));
        } else {
            w.u16(static_cast<std::uint16_t>(v));
        }
    };
    for (const auto& g : m_glyphs) {
        writeOffset(offset);
        offset += g.shape.size();
    }
    writeOffset(offset); // CodeTableOffset
    for (const auto& g : m_glyphs) {
        w.bytes(g.shape);
    }
    for (const auto& g : m_glyphs) {
        w.u16(static_cast<std::uint16_t>(g.code));
    }
    w.u16(static_cast<std::uint16_t>(std::clamp(m_metrics.ascent, 0, 0xFFFF)));
    w.u16(static_cast<std::uint16_t>(std::clamp(m_metrics.descent, 0, 0xFFFF)));
    w.s16(clampS16(m_metrics.leading));
    for (const auto& g : m_glyphs) {
        w.s16(clampS16(g.advance));
    }
    for (const auto& g : m_glyphs) {
        writeRect(w, Rect{g.bounds.xMin, g.bounds.xMax, g.bounds.yMin, g.bounds.yMax});
    }
    w.u16(0); // no kerning records
    return makeTag(TagCode::DefineFont2, w.take());
}

Tag defineDeviceFont2(std::uint16_t id, std::string_view name, bool bold, bool italic) {
    ByteWriter w;
    w.u16(id);
    w.u8(static_cast<std::uint8_t>(0x04 | (italic ? 0x02 : 0) | (bold ? 0x01 : 0))); // wide codes, no layout
    w.u8(1);
    writeFontName(w, name);
    w.u16(0); // no glyphs
    w.u16(2); // CodeTableOffset just past itself
    return makeTag(TagCode::DefineFont2, w.take());
}

StaticTextLayout defineText(std::uint16_t id, std::string_view text, const EmbeddedFont& font, std::uint16_t fontId,
                            std::uint16_t heightTwips, Rgb colour) {
    struct Entry {
        std::uint16_t index;
        std::int32_t advance;
    };
    struct Line {
        std::int32_t y;
        std::vector<Entry> entries;
    };
    const double scale = static_cast<double>(heightTwips) / font.metrics().emSquare;
    const auto ascent = static_cast<std::int32_t>(std::lround(font.metrics().ascent * scale));
    const auto step = static_cast<std::int32_t>(
        std::lround((font.metrics().ascent + font.metrics().descent + font.metrics().leading) * scale));

    std::vector<Line> lines;
    Rect bounds{0, 0, 0, step};
    std::uint16_t maxIndex = 0;
    std::int32_t maxAdvance = 0;
    std::int32_t y = ascent;
    const std::u32string codes = glw::swf::media::decodeUtf8(text);
    Line current{y, {}};
    std::int32_t x = 0;
    auto finishLine = [&]() {
        bounds.xMax = std::max(bounds.xMax, x);
        bounds.yMax = std::max(bounds.yMax, current.y - ascent + step);
        lines.push_back(std::move(current));
        y += step;
        current = Line{y, {}};
        x = 0;
    };
    for (char32_t c : codes) {
        if (c == U'\r') {
            continue;
        }
        if (c == U'\n') {
            finishLine();
            continue;
        }
        auto index = font.index(c);
        if (!index) {
            continue;
        }
        const auto& g = font.glyph(*index);
        const auto advance = static_cast<std::int32_t>(std::lround(g.advance * scale));
        if (g.bounds.xMax > g.bounds.xMin) {
            bounds.xMin = std::min(bounds.xMin, x + static_cast<std::int32_t>(std::floor(g.bounds.xMin * scale)));
            bounds.xMax = std::max(bounds.xMax, x + static_cast<std::int32_t>(std::ceil(g.bounds.xMax * scale)));
            bounds.yMin =
                std::min(bounds.yMin, current.y + static_cast<std::int32_t>(std::floor(g.bounds.yMin * scale)));
            bounds.yMax =
                std::max(bounds.yMax, current.y + static_cast<std::int32_t>(std::ceil(g.bounds.yMax * scale)));
        }
        current.entries.push_back({*index, advance});
        maxIndex = std::max(maxIndex, *index);
        maxAdvance = std::max(maxAdvance, std::abs(advance));
        x += advance;
    }
    finishLine();

    const unsigned glyphBits = std::max(1u, glw::base::bitsForUnsigned(maxIndex));
    const unsigned advanceBits = std::max(2u, glw::base::bitsForSigned(maxAdvance));
    ByteWriter w;
    w.u16(id);
    writeRect(w, bounds);
    writeMatrix(w, Matrix{});
    w.u8(static_cast<std::uint8_t>(glyphBits));
    w.u8(static_cast<std::uint8_t>(advanceBits));
    bool first = true;
    for (const Line& line : lines) {
        std::int32_t pen = 0;
        for (std::size_t start = 0; start < line.entries.size(); start += 255) {
            const std::size_t count = std::min<std::size_t>(255, line.entries.size() - start);
            if (first) {
                w.u8(0x8F); // font, colour, y and x offsets
                w.u16(fontId);
                writeRgb(w, colour);
                w.s16(clampS16(pen));
                w.s16(clampS16(line.y));
                w.u16(heightTwips);
                first = false;
            } else if (start == 0) {
                w.u8(0x83); // a new line: y and x offsets
                w.s16(clampS16(pen));
                w.s16(clampS16(line.y));
            } else {
                w.u8(0x81); // the same line continued: x offset
                w.s16(clampS16(pen));
            }
            w.u8(static_cast<std::uint8_t>(count));
            for (std::size_t i = start; i < start + count; ++i) {
                w.ub(line.entries[i].index, glyphBits);
                w.sb(line.entries[i].advance, advanceBits);
                pen += line.entries[i].advance;
            }
            w.align();
        }
    }
    w.u8(0); // end of records
    return {makeTag(TagCode::DefineText, w.take()), bounds};
}

std::u32string printableAscii() {
    std::u32string out;
    for (char32_t c = 0x20; c <= 0x7E; ++c) {
        out.push_back(c);
    }
    return out;
}

} // namespace glw::tools
