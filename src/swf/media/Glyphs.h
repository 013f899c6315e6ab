// System fonts for SWF text: find a font by family name with fontconfig and turn its FreeType outlines
// into SWF glyph shapes with their advances and metrics.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace glw::swf::media {

// EM square of DefineFont and DefineFont2 glyphs, and of DefineFont3 glyphs (20 times finer).
inline constexpr int kEmSquare = 1024;
inline constexpr int kEmSquareFont3 = 1024 * 20;

// A font file chosen for a requested family.
struct FontMatch {
    std::string requested;    // the family name asked for
    std::string family;       // the installed family used
    std::string file;         // its font file
    int faceIndex = 0;        // face within the file (collections)
    bool bold = false;        // the face found is bold
    bool italic = false;      // the face found is italic or oblique
    bool substituted = false; // family differs from the name asked for
};

// Installed families to try, in order, for a family name that Linux systems lack ("Arial", "Times New
// Roman", "Courier New", "Verdana", "Tahoma", the SWF device fonts "_sans", "_serif", "_typewriter" and
// others); empty for names without a known equivalent. Case, blanks, hyphens and the PostScript
// suffixes "MT"/"PSMT" do not matter ("ArialMT", "times new roman" and "Times-Roman" are known).
std::vector<std::string> equivalentFamilies(std::string_view family);

// Finds the installed font for a family: the family itself when fontconfig has it, else the first
// installed equivalent, else fontconfig's default sans-serif face (substituted set in the last two
// cases). Style words in the name ("Arial Bold", "Times New Roman Italic", "Arial-BoldMT") ask for that
// style. NotFound only when fontconfig finds no font file at all.
Result<FontMatch> findFont(std::string_view family, bool bold = false, bool italic = false);

// Finds an installed scalable font that holds a character the font of a text lacks (a symbol, an
// accented or non-Latin letter), preferring the given style. NotFound when no installed font has it.
Result<FontMatch> findFallbackFont(char32_t code, bool bold = false, bool italic = false);

// Bounds of a glyph in EM units, y pointing down (SWF orientation).
struct GlyphBounds {
    std::int32_t xMin = 0;
    std::int32_t yMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMax = 0;
};

// One character as an SWF glyph.
struct Glyph {
    char32_t code = 0;
    // An SWF SHAPE: NumFillBits 1, NumLineBits 0, one style-change record per contour (the first
    // selecting FillStyle0 = 1), straight and quadratic curved edges, the end record, byte-padded.
    // Ready for the glyph shape table of DefineFont, DefineFont2 and DefineFont3.
    std::vector<std::uint8_t> shape;
    std::int32_t advance = 0; // horizontal advance, EM units
    GlyphBounds bounds;       // control-point box; all zero for an empty glyph (a blank)
};

// Font-wide metrics in EM units, for the layout fields of DefineFont2/3.
struct FontMetrics {
    int emSquare = kEmSquare;
    int ascent = 0;  // above the baseline, positive
    int descent = 0; // below the baseline, positive
    int leading = 0; // extra line gap, never negative
};

// GlyphFont: one FreeType face scaled to an SWF EM square. Move-only; it owns its FreeType library.
class GlyphFont {
public:
    // Opens the face of a match at EM square emSquare (kEmSquare or kEmSquareFont3). Malformed when
    // FreeType cannot read the file, Unsupported for a face without outlines (bitmap fonts).
    static Result<GlyphFont> open(const FontMatch& match, int emSquare = kEmSquare);
    // findFont and open in one step.
    static Result<GlyphFont> open(std::string_view family, bool bold = false, bool italic = false,
                                  int emSquare = kEmSquare);

    GlyphFont(GlyphFont&&) noexcept;
    GlyphFont& operator=(GlyphFont&&) noexcept;
    ~GlyphFont();

    const FontMatch& match() const;
    FontMetrics metrics() const;
    // True when the face maps the character to a glyph of its own (not the missing-glyph box).
    bool hasGlyph(char32_t code) const;
    // The character's glyph. NotFound when the face lacks it, Malformed when its outline cannot be read.
    Result<Glyph> glyph(char32_t code) const;
    // Kerning between two characters (EM units, added to the left one's advance); 0 without kerning.
    int kerning(char32_t left, char32_t right) const;

private:
    struct Impl;
    explicit GlyphFont(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// Converts UTF-8 text to code points; invalid sequences become U+FFFD.
std::u32string decodeUtf8(std::string_view text);
// Converts code points to UTF-8; surrogates and values past U+10FFFF become U+FFFD.
std::string encodeUtf8(std::u32string_view text);

} // namespace glw::swf::media
