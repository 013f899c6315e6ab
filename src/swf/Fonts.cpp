// Fonts inside a movie (DefineFont with DefineFontInfo, DefineFont2, DefineFont3): names, code
// tables, glyph shapes and layout, and writing a font again with glyphs added in code order.
#include "swf/Fonts.h"

#include <algorithm>

namespace glw::swf {

namespace {

constexpr std::uint8_t kHasLayout = 0x80;
constexpr std::uint8_t kShiftJis = 0x40;
constexpr std::uint8_t kAnsi = 0x10;
constexpr std::uint8_t kWideOffsets = 0x08;
constexpr std::uint8_t kWideCodes = 0x04;
constexpr std::uint8_t kItalic = 0x02;
constexpr std::uint8_t kBold = 0x01;

std::string fontName(ByteView bytes, std::uint8_t version) {
    std::size_t n = bytes.size();
    // Many tools count the terminating zero in the name's length.
    while (n > 0 && bytes[n - 1] == 0) {
        --n;
    }
    return decodeMovieText(std::string_view(reinterpret_cast<const char*>(bytes.data()), n), version);
}

// An 8-bit glyph code. Movies of version 5 and older mark Shift-JIS fonts, whose single-byte codes
// are ASCII and half-width katakana (0xA1 to 0xDF); the other movies' codes are Windows-1252.
char32_t narrowCode(std::uint8_t b, bool shiftJis) {
    if (!shiftJis) {
        return cp1252ToUnicode(b);
    }
    if (b < 0x80) {
        return b;
    }
    if (b >= 0xA1 && b <= 0xDF) {
        return 0xFF61 + (b - 0xA1);
    }
    return 0xFFFD; // a lead byte, which cannot stand alone
}

} // namespace

int Font::indexOf(char32_t c) const {
    if (!hasCodes()) {
        return -1;
    }
    // Code tables are sorted; a movie that breaks that still finds its glyphs by the scan.
    auto it = std::lower_bound(codes.begin(), codes.end(), c);
    if (it != codes.end() && *it == c) {
        return static_cast<int>(it - codes.begin());
    }
    auto any = std::find(codes.begin(), codes.end(), c);
    return any == codes.end() ? -1 : static_cast<int>(any - codes.begin());
}

std::uint16_t fontInfoTarget(const Tag& infoTag) {
    ByteView p = infoTag.payload();
    return p.size() >= 2 ? readU16(p.data()) : 0;
}

namespace {

Result<Font> readFont1(const Tag& tag) {
    ByteView p = tag.payload();
    ByteReader r(p);
    Font f;
    f.code = tag.code();
    f.id = r.u16();
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a font is cut short");
    }
    if (r.atEnd()) {
        return f;
    }
    std::size_t table = r.position();
    std::size_t first = r.u16();
    std::size_t count = first / 2;
    if (r.failed() || first < 2 || first > p.size() - table) {
        return makeError(ErrorCode::Malformed, "a font's offset table does not fit");
    }
    std::vector<std::size_t> offsets{first};
    for (std::size_t i = 1; i < count; ++i) {
        offsets.push_back(r.u16());
    }
    offsets.push_back(p.size() - table);
    for (std::size_t i = 0; i < count; ++i) {
        if (r.failed() || offsets[i] > offsets[i + 1] || offsets[i] < first || offsets[i + 1] > p.size() - table) {
            return makeError(ErrorCode::Malformed, "a font's glyph offsets are out of order");
        }
        ByteView shape = p.subspan(table + offsets[i], offsets[i + 1] - offsets[i]);
        f.shapes.emplace_back(shape.begin(), shape.end());
    }
    return f;
}

Result<Font> readFont2(const Tag& tag, std::uint8_t version) {
    ByteView p = tag.payload();
    ByteReader r(p);
    Font f;
    f.code = tag.code();
    f.id = r.u16();
    f.flags = r.u8();
    f.language = r.u8();
    std::size_t nameLength = r.u8();
    ByteView name = r.bytes(nameLength);
    std::size_t count = r.u16();
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a font is cut short");
    }
    f.nameBytes.assign(name.begin(), name.end());
    f.name = fontName(name, version);
    f.bold = f.flags & kBold;
    f.italic = f.flags & kItalic;
    if (count == 0) {
        // A device font: whatever tables follow are empty. The name is what matters.
        return f;
    }
    bool wideOffsets = f.flags & kWideOffsets;
    bool wideCodes = f.flags & kWideCodes;
    bool shiftJis = (f.flags & kShiftJis) && version <= 5;
    std::size_t table = r.position();
    std::size_t entry = wideOffsets ? 4 : 2;
    if (count > (p.size() - table) / entry) {
        return makeError(ErrorCode::Truncated, "a font's offset table runs past its tag");
    }
    std::vector<std::size_t> offsets;
    offsets.reserve(count + 1);
    for (std::size_t i = 0; i <= count; ++i) {
        offsets.push_back(wideOffsets ? r.u32() : r.u16());
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a font's offset table runs past its tag");
    }
    std::size_t codeTable = offsets[count];
    if (codeTable > p.size() - table) {
        return makeError(ErrorCode::Malformed, "a font's code table lies past its tag");
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = offsets[i + 1];
        if (offsets[i] < (count + 1) * entry || offsets[i] > end || end > codeTable) {
            return makeError(ErrorCode::Malformed, "a font's glyph offsets are out of order");
        }
        ByteView shape = p.subspan(table + offsets[i], end - offsets[i]);
        f.shapes.emplace_back(shape.begin(), shape.end());
    }
    r.seek(table + codeTable);
    f.codes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        f.codes.push_back(wideCodes ? r.u16() : narrowCode(r.u8(), shiftJis));
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a font's code table is cut short");
    }
    if (f.flags & kHasLayout) {
        // Layout tables written by other tools are sometimes short; use them only when whole.
        ByteReader layout = r;
        std::int32_t ascent = layout.u16();
        std::int32_t descent = layout.u16();
        std::int32_t leading = layout.s16();
        std::vector<std::int16_t> advances;
        advances.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            advances.push_back(layout.s16());
        }
        std::vector<Rect> bounds;
        bounds.reserve(count);
        for (std::size_t i = 0; i < count && !layout.failed(); ++i) {
            bounds.push_back(readRect(layout));
        }
        if (!layout.failed()) {
            f.hasLayout = true;
            f.ascent = ascent;
            f.descent = descent;
            f.leading = leading;
            f.advances = std::move(advances);
            f.bounds = std::move(bounds);
            std::size_t pairs = layout.u16();
            for (std::size_t i = 0; i < pairs && !layout.failed(); ++i) {
                KerningPair k;
                k.left = wideCodes ? layout.u16() : narrowCode(layout.u8(), shiftJis);
                k.right = wideCodes ? layout.u16() : narrowCode(layout.u8(), shiftJis);
                k.adjust = layout.s16();
                if (!layout.failed()) {
                    f.kerning.push_back(k);
                }
            }
        }
    }
    return f;
}

} // namespace

Result<Font> readDefineFont(const Tag& tag, std::uint8_t version) {
    switch (tag.code()) {
    case TagCode::DefineFont:
        return readFont1(tag);
    case TagCode::DefineFont2:
    case TagCode::DefineFont3:
        return readFont2(tag, version);
    default:
        return makeError(ErrorCode::Invalid, "not a font tag");
    }
}

Result<void> readDefineFontInfo(Font& font, const Tag& infoTag, std::uint8_t version) {
    ByteReader r(infoTag.payload());
    r.skip(2);
    std::size_t nameLength = r.u8();
    ByteView name = r.bytes(nameLength);
    std::uint8_t flags = r.u8();
    if (infoTag.code() == TagCode::DefineFontInfo2) {
        font.language = r.u8();
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "font information is cut short");
    }
    font.name = fontName(name, version);
    font.nameBytes.assign(name.begin(), name.end());
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    bool wide = flags & 0x01;
    bool shiftJis = (flags & 0x10) && version <= 5;
    std::vector<char32_t> codes;
    codes.reserve(font.glyphCount());
    for (std::size_t i = 0; i < font.glyphCount(); ++i) {
        codes.push_back(wide ? r.u16() : narrowCode(r.u8(), shiftJis));
    }
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a font's code table is cut short");
    }
    font.codes = std::move(codes);
    return {};
}

Result<Bytes> writeDefineFont(const Font& font, std::uint8_t version) {
    std::size_t count = font.glyphCount();
    if (count > 0xFFFF) {
        return makeError(ErrorCode::TooLarge, "a font cannot hold more than 65535 glyphs");
    }
    if (count > 0 && !font.hasCodes()) {
        return makeError(ErrorCode::Invalid, "a font with glyphs needs a code table");
    }
    bool needWide = font.code == TagCode::DefineFont3 || version >= 6 || (font.flags & kWideCodes) ||
                    std::any_of(font.codes.begin(), font.codes.end(), [](char32_t c) { return c > 0xFF; });
    std::size_t shapeBytes = 0;
    for (const Bytes& s : font.shapes) {
        shapeBytes += s.size();
    }
    bool wideOffsets = (count + 1) * 2 + shapeBytes > 0xFFFF;
    std::uint8_t flags = font.flags & static_cast<std::uint8_t>(~(kHasLayout | kWideOffsets | kWideCodes));
    if (needWide) {
        flags = static_cast<std::uint8_t>(flags & ~(kAnsi | kShiftJis)) | kWideCodes;
    }
    if (wideOffsets) {
        flags |= kWideOffsets;
    }
    bool layout = font.hasLayout && font.advances.size() == count && font.bounds.size() == count;
    if (layout) {
        flags |= kHasLayout;
    }
    if (font.nameBytes.size() > 0xFF) {
        return makeError(ErrorCode::TooLarge, "a font name is longer than 255 bytes");
    }
    // Every code table entry is 16 bits wide at most: a character past U+FFFF would need a stand-in,
    // and two stand-ins would break the ascending order by which glyphs are found.
    for (char32_t c : font.codes) {
        if (c > 0xFFFF) {
            return makeError(ErrorCode::Unsupported, "a font's code table cannot hold " + codePointName(c));
        }
    }
    ByteWriter w(64 + shapeBytes + count * 12);
    w.u16(font.id);
    w.u8(flags);
    w.u8(font.language);
    w.u8(static_cast<std::uint8_t>(font.nameBytes.size()));
    w.bytes(font.nameBytes);
    w.u16(static_cast<std::uint16_t>(count));
    if (count > 0 || layout) {
        std::size_t entry = wideOffsets ? 4 : 2;
        std::size_t offset = (count + 1) * entry;
        for (const Bytes& s : font.shapes) {
            wideOffsets ? w.u32(static_cast<std::uint32_t>(offset)) : w.u16(static_cast<std::uint16_t>(offset));
            offset += s.size();
        }
        wideOffsets ? w.u32(static_cast<std::uint32_t>(offset)) : w.u16(static_cast<std::uint16_t>(offset));
        for (const Bytes& s : font.shapes) {
            w.bytes(s);
        }
        for (char32_t c : font.codes) {
            if (needWide) {
                w.u16(static_cast<std::uint16_t>(c));
            } else {
                std::uint8_t b = unicodeToCp1252(c);
                w.u8(b ? b : static_cast<std::uint8_t>(c));
            }
        }
    }
    if (layout) {
        w.u16(static_cast<std::uint16_t>(std::clamp(font.ascent, 0, 0xFFFF)));
        w.u16(static_cast<std::uint16_t>(std::clamp(font.descent, 0, 0xFFFF)));
        w.s16(static_cast<std::int16_t>(std::clamp(font.leading, -32768, 32767)));
        for (std::int16_t a : font.advances) {
            w.s16(a);
        }
        for (const Rect& b : font.bounds) {
            writeRect(w, b);
        }
        w.u16(static_cast<std::uint16_t>(std::min<std::size_t>(font.kerning.size(), 0xFFFF)));
        for (std::size_t i = 0; i < font.kerning.size() && i < 0xFFFF; ++i) {
            const KerningPair& k = font.kerning[i];
            if (needWide) {
                w.u16(static_cast<std::uint16_t>(k.left));
                w.u16(static_cast<std::uint16_t>(k.right));
            } else {
                w.u8(unicodeToCp1252(k.left));
                w.u8(unicodeToCp1252(k.right));
            }
            w.s16(k.adjust);
        }
    }
    return w.take();
}

Result<GlyphRenumbering> addGlyphs(Font& font, std::vector<GlyphOutline> glyphs) {
    if (font.glyphCount() > 0 && !font.hasCodes()) {
        return makeError(ErrorCode::Unsupported, "the font has no code table to add glyphs to");
    }
    std::sort(glyphs.begin(), glyphs.end(),
              [](const GlyphOutline& a, const GlyphOutline& b) { return a.code < b.code; });
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end(),
                             [](const GlyphOutline& a, const GlyphOutline& b) { return a.code == b.code; }),
                 glyphs.end());
    std::erase_if(glyphs, [&](const GlyphOutline& g) { return font.indexOf(g.code) >= 0; });
    if (font.glyphCount() + glyphs.size() > 0xFFFF) {
        return makeError(ErrorCode::TooLarge, "the font would pass 65535 glyphs");
    }
    std::size_t oldCount = font.glyphCount();
    bool sorted = std::is_sorted(font.codes.begin(), font.codes.end());
    bool layout = font.hasLayout && font.advances.size() == oldCount && font.bounds.size() == oldCount;

    struct Entry {
        char32_t code;
        std::size_t oldIndex; // SIZE_MAX for an added glyph
        Bytes shape;
        std::int16_t advance;
        Rect bounds;
    };
    std::vector<Entry> entries;
    entries.reserve(oldCount + glyphs.size());
    for (std::size_t i = 0; i < oldCount; ++i) {
        entries.push_back(Entry{font.codes[i], i, std::move(font.shapes[i]),
                                layout ? font.advances[i] : std::int16_t{0}, layout ? font.bounds[i] : Rect{}});
    }
    for (GlyphOutline& g : glyphs) {
        auto advance = static_cast<std::int16_t>(std::clamp(g.advance, -32768, 32767));
        entries.push_back(Entry{g.code, SIZE_MAX, std::move(g.shape), advance, g.bounds});
    }
    if (sorted) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.code < b.code; });
    }
    GlyphRenumbering renumbering;
    renumbering.newIndex.resize(oldCount);
    font.codes.clear();
    font.shapes.clear();
    font.advances.clear();
    font.bounds.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& e = entries[i];
        if (e.oldIndex == SIZE_MAX) {
            renumbering.addedAt.push_back(static_cast<std::uint32_t>(i));
        } else {
            renumbering.newIndex[e.oldIndex] = static_cast<std::uint32_t>(i);
        }
        font.codes.push_back(e.code);
        font.shapes.push_back(std::move(e.shape));
        if (layout) {
            font.advances.push_back(e.advance);
            font.bounds.push_back(e.bounds);
        }
    }
    return renumbering;
}

Result<Bytes> alignZonesWithGlyphs(ByteView zones, const GlyphRenumbering& renumbering) {
    ByteReader r(zones);
    r.skip(2); // font id
    std::uint8_t hint = r.u8();
    std::vector<ByteView> records;
    while (!r.atEnd() && !r.failed()) {
        std::size_t start = r.position();
        std::size_t n = r.u8();
        r.skip(4 * n + 1);
        if (!r.failed()) {
            records.push_back(zones.subspan(start, r.position() - start));
        }
    }
    if (r.failed() || records.size() != renumbering.newIndex.size()) {
        return makeError(ErrorCode::Malformed, "the font's alignment zones do not match its glyphs");
    }
    std::size_t total = records.size() + renumbering.addedAt.size();
    std::vector<ByteView> ordered(total);
    for (std::size_t old = 0; old < records.size(); ++old) {
        ordered[renumbering.newIndex[old]] = records[old];
    }
    // Two empty zones and no mask: the glyph is drawn without alignment hints.
    static const std::uint8_t kEmptyZone[10] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ByteWriter w(zones.size() + 10 * renumbering.addedAt.size());
    w.bytes(zones.first(2));
    w.u8(hint);
    for (ByteView z : ordered) {
        w.bytes(z.empty() ? ByteView(kEmptyZone, 10) : z);
    }
    return w.take();
}

} // namespace glw::swf

namespace glw::swf {

Rect shapeBounds(ByteView shape) {
    ByteReader r(shape);
    unsigned fillBits = r.ub(4);
    unsigned lineBits = r.ub(4);
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool any = false;
    Rect b;
    auto include = [&](std::int32_t px, std::int32_t py) {
        if (!any) {
            b = Rect{px, px, py, py};
            any = true;
        }
        b.xMin = std::min(b.xMin, px);
        b.xMax = std::max(b.xMax, px);
        b.yMin = std::min(b.yMin, py);
        b.yMax = std::max(b.yMax, py);
    };
    // A bound on the records keeps a hostile shape from running long; glyphs have few edges.
    for (int guard = 0; guard < 100000 && !r.failed(); ++guard) {
        if (r.ub(1) == 0) {
            unsigned flags = r.ub(5);
            if (flags == 0) {
                break; // end of shape
            }
            if (flags & 0x10) {
                break; // new styles: not found in glyphs
            }
            if (flags & 0x01) {
                unsigned bits = r.ub(5);
                x = r.sb(bits);
                y = r.sb(bits);
            }
            if (flags & 0x02) {
                r.ub(fillBits);
            }
            if (flags & 0x04) {
                r.ub(fillBits);
            }
            if (flags & 0x08) {
                r.ub(lineBits);
            }
            continue;
        }
        if (r.ub(1) == 1) { // straight edge
            unsigned bits = r.ub(4) + 2;
            include(x, y);
            if (r.ub(1) == 1) {
                x += r.sb(bits);
                y += r.sb(bits);
            } else if (r.ub(1) == 1) {
                y += r.sb(bits);
            } else {
                x += r.sb(bits);
            }
            include(x, y);
        } else { // curved edge: the control point bounds the curve
            unsigned bits = r.ub(4) + 2;
            include(x, y);
            x += r.sb(bits);
            y += r.sb(bits);
            include(x, y);
            x += r.sb(bits);
            y += r.sb(bits);
            include(x, y);
        }
    }
    return (any && !r.failed()) ? b : Rect{};
}

} // namespace glw::swf
