// Embedded fonts (DefineFont2 from system glyphs) and static text laid out into DefineText records.
#pragma once

#include "swf/media/Glyphs.h"
#include "swfmaker/SwfWriter.h"

#include <optional>
#include <string>
#include <string_view>

namespace glw::tools {

// The glyphs of a set of characters from the system font that stands in for a font name.
class EmbeddedFont {
public:
    // Loads the glyphs of the characters (duplicates and line breaks ignored) from the font found for
    // name; characters that font lacks are left out, and text layout skips them. The name written
    // into the font tag stays the one asked for ("Arial"), as movies made elsewhere carry it.
    static Result<EmbeddedFont> load(std::string name, bool bold, bool italic, std::u32string_view characters);

    const std::string& name() const { return m_name; }
    bool bold() const { return m_bold; }
    bool italic() const { return m_italic; }
    const glw::swf::media::FontMatch& match() const { return m_match; }
    const glw::swf::media::FontMetrics& metrics() const { return m_metrics; }
    std::size_t glyphCount() const { return m_glyphs.size(); }

    // Index of a character's glyph in the code table, if the font holds it.
    std::optional<std::uint16_t> index(char32_t code) const;
    const glw::swf::media::Glyph& glyph(std::uint16_t index) const { return m_glyphs[index]; }

    // DefineFont2 with wide codes, layout (ascent, descent, leading, advances, bounds) and the glyphs
    // sorted by code.
    Tag defineFont2(std::uint16_t id) const;

private:
    std::string m_name;
    bool m_bold = false;
    bool m_italic = false;
    glw::swf::media::FontMatch m_match;
    glw::swf::media::FontMetrics m_metrics;
    std::vector<glw::swf::media::Glyph> m_glyphs; // ascending codes
};

// DefineFont2 with no glyphs: a device font for edit-text fields drawn by the player's own fonts.
Tag defineDeviceFont2(std::uint16_t id, std::string_view name, bool bold = false, bool italic = false);

// A static text laid out line by line ('\n' breaks lines) from its top-left corner at (0, 0).
struct StaticTextLayout {
    Tag tag;
    Rect bounds;
};

// DefineText of the UTF-8 text in the font at heightTwips; characters the font lacks are skipped.
StaticTextLayout defineText(std::uint16_t id, std::string_view text, const EmbeddedFont& font, std::uint16_t fontId,
                            std::uint16_t heightTwips, Rgb colour);

// Printable ASCII (blank to tilde): the characters an edit field embeds so typed or scripted text shows.
std::u32string printableAscii();

} // namespace glw::tools
