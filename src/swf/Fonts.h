// Fonts inside a movie (DefineFont with DefineFontInfo, DefineFont2, DefineFont3): names, code
// tables, glyph shapes and layout, and writing a font again with glyphs added in code order.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Media.h"
#include "swf/Movie.h"
#include "swf/Records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glw::swf {

struct KerningPair {
    char32_t left = 0;
    char32_t right = 0;
    std::int16_t adjust = 0;
};

struct Font {
    std::uint16_t id = 0;
    TagCode code = TagCode::DefineFont; // DefineFont, DefineFont2 or DefineFont3
    std::string name;                   // UTF-8
    bool bold = false;
    bool italic = false;
    std::uint8_t flags = 0; // DefineFont2/3 flag byte as stored
    std::uint8_t language = 0;
    Bytes nameBytes; // as stored
    std::vector<Bytes> shapes;
    std::vector<char32_t> codes; // per glyph; empty when the font has no code table
    bool hasLayout = false;
    std::int32_t ascent = 0;
    std::int32_t descent = 0;
    std::int32_t leading = 0;
    std::vector<std::int16_t> advances;
    std::vector<Rect> bounds;
    std::vector<KerningPair> kerning;

    // Glyph coordinates are in a square of this many units per em.
    int emSquare() const { return code == TagCode::DefineFont3 ? 20480 : 1024; }
    std::size_t glyphCount() const { return shapes.size(); }
    bool hasCodes() const { return !codes.empty() && codes.size() == shapes.size(); }
    // The glyph index of a character, or -1.
    int indexOf(char32_t c) const;
};

// The extent of a glyph's SHAPE (its move and edge records); an empty rectangle when it draws nothing
// or cannot be followed.
Rect shapeBounds(ByteView shape);

// Reads DefineFont, DefineFont2 or DefineFont3; Malformed when its tables do not fit together.
[[nodiscard]] Result<Font> readDefineFont(const Tag& tag, std::uint8_t version);
// Takes name, style and code table from a DefineFontInfo or DefineFontInfo2 for a DefineFont.
[[nodiscard]] Result<void> readDefineFontInfo(Font& font, const Tag& infoTag, std::uint8_t version);
// The font id a DefineFontInfo/2 tag describes (0 when too short).
std::uint16_t fontInfoTarget(const Tag& infoTag);

// Encodes a DefineFont2 or DefineFont3 (per font.code) with its offset and code widths chosen to fit.
[[nodiscard]] Result<Bytes> writeDefineFont(const Font& font, std::uint8_t version);

// The result of adding glyphs: where each old glyph went.
struct GlyphRenumbering {
    std::vector<std::uint32_t> newIndex; // by old index
    std::vector<std::uint32_t> addedAt;  // new indices of the added glyphs, sorted
};
// Adds glyphs (skipping codes the font already has), keeping the code table sorted. Fails when the
// font has no code table or would pass 65535 glyphs.
[[nodiscard]] Result<GlyphRenumbering> addGlyphs(Font& font, std::vector<GlyphOutline> glyphs);

// Rebuilds a DefineFontAlignZones payload with empty zones at the added glyph positions.
[[nodiscard]] Result<Bytes> alignZonesWithGlyphs(ByteView zones, const GlyphRenumbering& renumbering);

} // namespace glw::swf
