// Static text (DefineText, DefineText2): reading and writing its text records, decoding glyphs to
// characters through the fonts, and laying a new text out again.
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Fonts.h"
#include "swf/Records.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace glw::swf {

struct GlyphEntry {
    std::uint32_t index = 0;
    std::int32_t advance = 0;
};

struct TextRecord {
    bool hasFont = false;
    bool hasColor = false;
    bool hasX = false;
    bool hasY = false;
    std::uint16_t fontId = 0;
    std::uint8_t color[4] = {0, 0, 0, 0xFF}; // RGB (DefineText) or RGBA (DefineText2)
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t height = 0; // twips
    std::vector<GlyphEntry> glyphs;
};

struct StaticText {
    TagCode code = TagCode::DefineText; // DefineText or DefineText2
    std::uint16_t id = 0;
    Rect bounds;
    Bytes matrixBytes; // the text matrix as stored
    std::vector<TextRecord> records;
    Bytes trailing; // anything after the end flag, kept
};

[[nodiscard]] Result<StaticText> readDefineText(const Tag& tag);
[[nodiscard]] Bytes writeDefineText(const StaticText& text);

using FontMap = std::map<std::uint16_t, Font>;

struct DecodedText {
    std::string text; // UTF-8, lines joined by "\n"
    std::uint16_t fontId = 0;
    std::uint16_t height = 0; // of the first record with a font, twips
};
// Characters of the records through their fonts' code tables. A record on a new baseline starts a
// new line. Unsupported when a font has no code table (nothing can be read).
[[nodiscard]] Result<DecodedText> decodeStaticText(const StaticText& text, const FontMap& fonts);

// Replaces the records by `text` (lines split at "\r\n", "\r" or "\n") set in `font` at `height`
// twips: the first line starts where the old text started, later lines follow at the old line
// spacing (or the font's), advances come from the font's layout (or the old text's, or the glyph
// bounds), and the bounds are recomputed. Every character must have a glyph in the font.
// `observed` holds advances (em units) the movie's texts show for glyphs of a font without layout.
[[nodiscard]] Result<void> layoutStaticText(StaticText& text, const Font& font,
                                            const std::map<std::uint32_t, std::int32_t>& observed,
                                            std::u32string_view characters, std::uint16_t height);

// Adds to `observed` the advances (em units, by glyph index) that a text shows for glyphs of `fontId`.
void observeAdvances(const StaticText& text, std::uint16_t fontId, int emSquare,
                     std::map<std::uint32_t, std::int32_t>& observed);

// Splits at "\r\n", "\r" and "\n".
std::vector<std::u32string> splitLines(std::u32string_view text);

} // namespace glw::swf
