// Static text (DefineText, DefineText2): reading and writing its text records, decoding glyphs to
// characters through the fonts, and laying a new text out again.
#include "swf/Text.h"

#include "swf/Movie.h"

#include <algorithm>
#include <cmath>

namespace glw::swf {

Result<StaticText> readDefineText(const Tag& tag) {
    ByteView p = tag.payload();
    ByteReader r(p);
    StaticText t;
    t.code = tag.code();
    t.id = r.u16();
    t.bounds = readRect(r);
    std::size_t matrixStart = r.position();
    (void)readMatrix(r);
    std::size_t matrixEnd = r.position();
    unsigned glyphBits = r.u8();
    unsigned advanceBits = r.u8();
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a text is cut short");
    }
    if (glyphBits > 32 || advanceBits > 32) {
        return makeError(ErrorCode::Malformed, "a text's glyph fields are wider than 32 bits");
    }
    t.matrixBytes.assign(p.begin() + static_cast<std::ptrdiff_t>(matrixStart),
                         p.begin() + static_cast<std::ptrdiff_t>(matrixEnd));
    bool rgba = tag.code() == TagCode::DefineText2;
    for (;;) {
        std::uint8_t flags = r.u8();
        if (r.failed()) {
            // Some tools leave out the end flag after the last record.
            break;
        }
        if (flags == 0) {
            break;
        }
        if (!(flags & 0x80)) {
            return makeError(ErrorCode::Malformed, "a text record of an unknown kind");
        }
        TextRecord rec;
        rec.hasFont = flags & 0x08;
        rec.hasColor = flags & 0x04;
        rec.hasY = flags & 0x02;
        rec.hasX = flags & 0x01;
        if (rec.hasFont) {
            rec.fontId = r.u16();
        }
        if (rec.hasColor) {
            for (int i = 0; i < (rgba ? 4 : 3); ++i) {
                rec.color[i] = r.u8();
            }
        }
        if (rec.hasX) {
            rec.x = r.s16();
        }
        if (rec.hasY) {
            rec.y = r.s16();
        }
        if (rec.hasFont) {
            rec.height = r.u16();
        }
        unsigned count = r.u8();
        if (r.failed() || (glyphBits + advanceBits) * std::size_t{count} > r.remaining() * 8) {
            return makeError(ErrorCode::Truncated, "a text record's glyphs run past the tag");
        }
        rec.glyphs.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            GlyphEntry g;
            g.index = r.ub(glyphBits);
            g.advance = r.sb(advanceBits);
            rec.glyphs.push_back(g);
        }
        r.align();
        t.records.push_back(std::move(rec));
    }
    ByteView rest = r.rest();
    t.trailing.assign(rest.begin(), rest.end());
    return t;
}

Bytes writeDefineText(const StaticText& t) {
    std::uint32_t maxIndex = 0;
    std::int32_t maxAdvance = 0;
    for (const TextRecord& rec : t.records) {
        for (const GlyphEntry& g : rec.glyphs) {
            maxIndex = std::max(maxIndex, g.index);
            maxAdvance = std::max<std::int32_t>(maxAdvance, std::max(g.advance, -g.advance - 1));
        }
    }
    unsigned glyphBits = std::max(1u, bitsForUnsigned(maxIndex));
    unsigned advanceBits = std::max(1u, bitsForSigned(maxAdvance));
    bool rgba = t.code == TagCode::DefineText2;
    ByteWriter w(64 + t.records.size() * 16);
    w.u16(t.id);
    writeRect(w, t.bounds);
    w.bytes(t.matrixBytes);
    w.u8(static_cast<std::uint8_t>(glyphBits));
    w.u8(static_cast<std::uint8_t>(advanceBits));
    for (const TextRecord& rec : t.records) {
        std::uint8_t flags =
            0x80 | (rec.hasFont ? 0x08 : 0) | (rec.hasColor ? 0x04 : 0) | (rec.hasY ? 0x02 : 0) | (rec.hasX ? 0x01 : 0);
        w.u8(flags);
        if (rec.hasFont) {
            w.u16(rec.fontId);
        }
        if (rec.hasColor) {
            for (int i = 0; i < (rgba ? 4 : 3); ++i) {
                w.u8(rec.color[i]);
            }
        }
        if (rec.hasX) {
            w.s16(rec.x);
        }
        if (rec.hasY) {
            w.s16(rec.y);
        }
        if (rec.hasFont) {
            w.u16(rec.height);
        }
        w.u8(static_cast<std::uint8_t>(rec.glyphs.size()));
        for (const GlyphEntry& g : rec.glyphs) {
            w.ub(g.index, glyphBits);
            w.sb(g.advance, advanceBits);
        }
        w.align();
    }
    w.u8(0);
    w.bytes(t.trailing);
    return w.take();
}

Result<DecodedText> decodeStaticText(const StaticText& text, const FontMap& fonts) {
    DecodedText out;
    const Font* font = nullptr;
    bool first = true;
    bool haveY = false;
    std::int32_t y = 0;
    for (const TextRecord& rec : text.records) {
        if (rec.hasFont) {
            auto it = fonts.find(rec.fontId);
            font = it == fonts.end() ? nullptr : &it->second;
            if (out.fontId == 0 && out.height == 0) {
                out.fontId = rec.fontId;
                out.height = rec.height;
            }
        }
        if (rec.hasY) {
            if (haveY && rec.y != y && !first) {
                out.text.push_back('\n');
            }
            y = rec.y;
            haveY = true;
        }
        first = false;
        if (rec.glyphs.empty()) {
            continue;
        }
        if (!font || !font->hasCodes()) {
            return makeError(ErrorCode::Unsupported, "the text's font carries no character codes");
        }
        for (const GlyphEntry& g : rec.glyphs) {
            appendUtf8(out.text, g.index < font->codes.size() ? font->codes[g.index] : U'\uFFFD');
        }
    }
    return out;
}

std::vector<std::u32string> splitLines(std::u32string_view text) {
    std::vector<std::u32string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == U'\r' || c == U'\n') {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

void observeAdvances(const StaticText& text, std::uint16_t fontId, int emSquare,
                     std::map<std::uint32_t, std::int32_t>& observed) {
    bool inFont = false;
    std::uint16_t height = 0;
    for (const TextRecord& rec : text.records) {
        if (rec.hasFont) {
            inFont = rec.fontId == fontId;
            height = rec.height;
        }
        if (!inFont || height == 0) {
            continue;
        }
        for (const GlyphEntry& g : rec.glyphs) {
            observed.try_emplace(g.index,
                                 static_cast<std::int32_t>(std::lround(double(g.advance) * emSquare / height)));
        }
    }
}

namespace {

std::int32_t scaled(double emValue, std::uint16_t height, int emSquare) {
    return static_cast<std::int32_t>(std::lround(emValue * height / emSquare));
}

} // namespace

Result<void> layoutStaticText(StaticText& text, const Font& font, const std::map<std::uint32_t, std::int32_t>& observed,
                              std::u32string_view characters, std::uint16_t height) {
    const int em = font.emSquare();
    std::vector<std::u32string> lines = splitLines(characters);
    // Where the old text began, its colour, and its line spacing.
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    bool haveStart = false;
    const TextRecord* colored = nullptr;
    std::uint16_t oldHeight = 0;
    std::vector<std::int32_t> baselines;
    for (const TextRecord& rec : text.records) {
        if (!haveStart && (rec.hasX || rec.hasY)) {
            startX = rec.hasX ? rec.x : 0;
            startY = rec.hasY ? rec.y : 0;
            haveStart = true;
        }
        if (!colored && rec.hasColor) {
            colored = &rec;
        }
        if (!oldHeight && rec.hasFont) {
            oldHeight = rec.height;
        }
        if (rec.hasY && (baselines.empty() || baselines.back() != rec.y)) {
            baselines.push_back(rec.y);
        }
    }
    if (height == 0) {
        height = oldHeight;
    }
    std::int32_t ascent = font.hasLayout ? scaled(font.ascent, height, em) : scaled(0.9 * em, height, em);
    std::int32_t descent = font.hasLayout ? scaled(font.descent, height, em) : scaled(0.25 * em, height, em);
    double step = 0;
    if (baselines.size() >= 2 && oldHeight > 0) {
        step = double(baselines[1] - baselines[0]) * height / oldHeight;
    } else if (font.hasLayout && font.ascent + font.descent > 0) {
        step = double(font.ascent + font.descent + font.leading) * height / em;
    } else {
        step = height * 1.2;
    }

    auto advanceOf = [&](std::uint32_t index) -> std::int32_t {
        if (font.hasLayout && index < font.advances.size()) {
            return scaled(font.advances[index], height, em);
        }
        if (auto it = observed.find(index); it != observed.end()) {
            return scaled(it->second, height, em);
        }
        Rect b = index < font.shapes.size() ? shapeBounds(font.shapes[index]) : Rect{};
        // No layout and never shown: the glyph's width and a little air.
        return scaled(std::max(b.xMax, 0) + em / 10.0, height, em);
    };
    auto boundsOf = [&](std::uint32_t index) -> Rect {
        if (font.hasLayout && index < font.bounds.size() && font.bounds[index].width() > 0) {
            return font.bounds[index];
        }
        return index < font.shapes.size() ? shapeBounds(font.shapes[index]) : Rect{};
    };

    std::vector<TextRecord> records;
    bool anyGlyph = false;
    Rect box{startX, startX, startY - ascent, startY + descent};
    for (std::size_t line = 0; line < lines.size(); ++line) {
        double baseline = startY + step * static_cast<double>(line);
        if (std::abs(baseline) > 32767 || std::abs(startX) > 32767) {
            return makeError(ErrorCode::TooLarge, "the text runs past the range a text record can place");
        }
        TextRecord rec;
        if (line == 0) {
            rec.hasFont = true;
            rec.fontId = font.id;
            rec.height = height;
            if (colored) {
                rec.hasColor = true;
                std::copy(std::begin(colored->color), std::end(colored->color), rec.color);
            }
        }
        rec.hasX = true;
        rec.x = static_cast<std::int16_t>(startX);
        rec.hasY = true;
        const auto lineY = static_cast<std::int32_t>(std::lround(baseline));
        rec.y = static_cast<std::int16_t>(lineY);
        std::int32_t pen = startX;
        for (char32_t c : lines[line]) {
            int index = font.indexOf(c);
            if (index < 0) {
                return makeError(ErrorCode::Unsupported, "the font has no glyph for a character of the new text");
            }
            auto i = static_cast<std::uint32_t>(index);
            if (rec.glyphs.size() == 255) {
                // A record holds 255 glyphs; the next one continues at the pen position.
                records.push_back(std::move(rec));
                rec = TextRecord{};
            }
            std::int32_t advance = advanceOf(i);
            Rect g = boundsOf(i);
            if (g.width() > 0 || g.height() > 0) {
                box.xMin = std::min(box.xMin, pen + scaled(g.xMin, height, em));
                box.xMax = std::max(box.xMax, pen + scaled(g.xMax, height, em));
                box.yMin = std::min(box.yMin, lineY + scaled(g.yMin, height, em));
                box.yMax = std::max(box.yMax, lineY + scaled(g.yMax, height, em));
            }
            pen += advance;
            box.xMax = std::max(box.xMax, pen);
            rec.glyphs.push_back(GlyphEntry{i, advance});
            anyGlyph = true;
        }
        box.yMax = std::max(box.yMax, lineY + descent);
        records.push_back(std::move(rec));
    }
    text.records = std::move(records);
    if (anyGlyph) {
        text.bounds = box;
    }
    return {};
}

} // namespace glw::swf
