// The generator object's parts, one per element kind (links, images, sounds, static texts, edit
// texts) plus the movie's fonts they share: each part scans its tags and applies its edits.
// Internal to the engine; the public face is SwfGenerator.h.
#pragma once

#include "base/Ascii.h"
#include "swf/Actions.h"
#include "swf/EditText.h"
#include "swf/Fonts.h"
#include "swf/Images.h"
#include "swf/Sounds.h"
#include "swf/SwfGenerator.h"
#include "swf/Text.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace glw::swf::generator {

// Where a tag stands: its index in the root list, then in each sprite down to it.
using TagPath = std::vector<std::uint32_t>;

Tag& tagAt(std::vector<Tag>& root, const TagPath& path);
// Calls `visit(tag, path)` for every tag in file order, descending into sprites.
void walkWithPath(std::vector<Tag>& tags, const std::function<void(Tag&, const TagPath&)>& visit);

std::string withoutNul(std::string_view s);
// The characters a new text is set in: NUL and other control characters dropped, tabs as blanks,
// line breaks kept.
std::u32string cleanText(std::string_view utf8);

// Numbers the elements of one load in the order their events are raised, from 0.
class ElementOrder {
public:
    std::size_t take() { return m_next++; }
    void clear() { m_next = 0; }

private:
    std::size_t m_next = 0;
};

// What a pass could not do: a tag the scan could not read (named, with its offset), or a value the
// save could not apply, with the element it belongs to (kNoElement for none).
class Problems {
public:
    // A tag that cannot be read: the tag's name and its offset in the uncompressed file.
    void unreadable(const Movie& movie, const Tag& tag, const Error& why);
    void note(ErrorCode code, std::string detail, std::size_t element = kNoElement) {
        m_list.push_back(makeError(code, std::move(detail)));
        m_elements.push_back(element);
    }
    const std::vector<Error>& list() const { return m_list; }
    const std::vector<std::size_t>& elements() const { return m_elements; }
    void clear() {
        m_list.clear();
        m_elements.clear();
    }

private:
    std::vector<Error> m_list;
    std::vector<std::size_t> m_elements; // one per entry of m_list
};

// The largest text height a movie stores (twips, 16 bits); a larger one is refused, not cut down.
inline constexpr std::int32_t kMaxTextHeight = 0xFFFF;
[[nodiscard]] Result<std::uint16_t> storedTextHeight(std::int32_t twips);

// A value is encoded for the movie, or refused with the reason: SWF 5 and older store texts in
// Windows-1252, and a character it lacks would be saved as "?".
[[nodiscard]] Result<std::string> encodeExactly(std::string_view utf8, std::uint8_t version);

// The movie's fonts, read once at load: static texts are decoded through them and edits set in them.
struct MovieFonts {
    FontMap fonts;
    std::map<std::uint16_t, TagPath> paths;
    // Advances (em units, by glyph index) that the movie's texts show for fonts without layout.
    std::map<std::uint16_t, std::map<std::uint32_t, std::int32_t>> observed;
    ByteView jpegTables; // the movie's JPEGTables, for DefineBits
    // Names of DefineFont4 fonts (embedded font files, which only edit texts use): nothing else of them
    // is read.
    std::map<std::uint16_t, std::string> font4Names;

    void read(Movie& movie, Problems& problems);
    void clear();
    std::string nameOf(std::uint16_t id) const;
    // A font with that name that can show static text (glyphs and codes).
    const Font* glyphFontNamed(const std::string& name) const;
    // A font with that name that an edit text can use.
    const Font* editFontNamed(const std::string& name) const;
};

// A font that texts are set in after the save: one of the movie's own, possibly with glyphs added,
// or a new one.
struct FontTarget {
    enum class Kind { Existing, Converted, New, Device } kind = Kind::Existing;
    Font font;
    TagPath path; // Existing
    // The characters of each text set in this font; a text with a character the font cannot gain
    // is refused and adds no glyphs.
    std::vector<std::u32string> requests;
    std::map<std::uint32_t, std::int32_t> observed; // advances (em units) for a font without layout
    std::optional<GlyphRenumbering> renumbering;
    std::size_t insertBefore = SIZE_MAX; // root index, for fonts added to the movie
    Bytes encoded;                       // the font's tag payload once complete
    bool used = false;                   // an added font is written only when a text is set in it
    bool failed = false;
    Error failure;
    // Characters the font cannot gain, with the reason: a text that needs one is refused.
    std::map<char32_t, Error> refused;

    std::optional<Error> refusal(std::u32string_view characters) const;
};

// The fonts of one save, keyed by what they stand for, completed together once every text is planned.
class FontTargets {
public:
    FontTargets(const MovieFonts& fonts, std::uint8_t version) : m_fonts(fonts), m_version(version) {}

    FontTarget& existing(const Font& f);
    // A DefineFont (paired with its DefineFontInfo) cannot gain glyphs: a DefineFont2 copy does.
    FontTarget& converted(const Font& base);
    FontTarget& added(const std::string& name, bool bold, bool italic, TagCode code, bool device);
    FontTarget& at(const std::string& key) { return m_targets.at(key); }
    std::string keyOf(const FontTarget& t) const;
    bool empty() const { return m_targets.empty(); }

    // Adds the glyphs each target lacks, gives added fonts free ids and encodes every font that is
    // written. A target whose glyphs cannot all be had is marked failed.
    void complete(Movie& movie, const Media& media);
    // Existing fonts that gained glyphs, by id: texts in them are renumbered.
    std::map<std::uint16_t, const FontTarget*> extended() const;
    // Writes extended fonts in place and inserts added ones before their first use.
    void write(Movie& movie);

private:
    void completeGlyphs(FontTarget& t, const Media& media);
    const MovieFonts& m_fonts;
    std::uint8_t m_version;
    std::map<std::string, FontTarget> m_targets;
};

// Links: ActionGetURL and ActionGetURL2 addresses in every tag that carries actions.
class LinkElements {
public:
    void scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path, ElementOrder& order,
              Problems& problems);
    void apply(Movie& movie, Problems& problems) const;
    void clear() { m_sites.clear(); }

private:
    struct Site {
        TagPath path;
        std::size_t block = 0;
        std::size_t order = kNoElement;
        LinkSite link;
        std::string detected;
        LinkElement element;
    };
    std::vector<Site> m_sites;
};

// Bitmaps: DefineBits, DefineBitsJPEG2/3/4, DefineBitsLossless/2.
class ImageElements {
public:
    void scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path, ByteView jpegTables,
              JpegCodec* jpeg, ElementOrder& order, Problems& problems);
    void apply(Movie& movie, JpegCodec* jpeg, Problems& problems) const;
    void clear() { m_sites.clear(); }

private:
    struct Site {
        TagPath path;
        std::size_t order = kNoElement;
        ImageInfo info;
        ImageElement element;
    };
    std::vector<Site> m_sites;
};

// Event sounds: DefineSound, named by the movie's ExportAssets.
class SoundElements {
public:
    void prepare(const Movie& movie) { m_exports = readExportAssets(movie.tags, movie.version); }
    void scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path, ElementOrder& order,
              Problems& problems);
    void apply(Movie& movie, Mp3Reader* mp3, Problems& problems) const;
    void clear() {
        m_sites.clear();
        m_exports.clear();
    }

private:
    struct Site {
        TagPath path;
        std::size_t order = kNoElement;
        SoundInfo info;
        SoundElement element;
    };
    std::vector<Site> m_sites;
    std::map<std::uint16_t, std::string> m_exports;
};

// Asks OnBeforeSubText whether a text may be offered.
bool allowText(SwfGenerator& events, const std::string& text);

// Static texts: DefineText, DefineText2.
class TextElements {
public:
    void scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path, MovieFonts& fonts,
              ElementOrder& order, Problems& problems);
    // Chooses the font each edited text is set in; refuses a font name the movie cannot store.
    void plan(const Movie& movie, const MovieFonts& fonts, FontTargets& targets, Problems& problems);
    bool planned() const { return !m_plans.empty(); }
    // Lays the edited texts out again and renumbers the glyphs of texts whose font gained glyphs.
    void apply(Movie& movie, FontTargets& targets, Problems& problems) const;
    void clear() {
        m_sites.clear();
        m_plans.clear();
    }

private:
    struct Site {
        TagPath path;
        std::size_t order = kNoElement;
        std::string detected;
        std::string fontName;
        std::uint16_t fontId = 0;
        std::uint16_t height = 0;
        TextElement element;
    };
    struct Plan {
        const Site* site = nullptr;
        std::string target;
        std::u32string characters;
        std::uint16_t height = 0;
    };
    std::vector<Site> m_sites;
    std::vector<Plan> m_plans;
};

// Edit texts: DefineEditText.
class EditTextElements {
public:
    void scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path, const MovieFonts& fonts,
              ElementOrder& order, Problems& problems);
    void plan(Movie& movie, const MovieFonts& fonts, FontTargets& targets, Problems& problems);
    bool planned() const { return !m_plans.empty(); }
    void apply(Movie& movie, FontTargets& targets, Problems& problems) const;
    void clear() {
        m_sites.clear();
        m_plans.clear();
    }

private:
    struct Site {
        TagPath path;
        std::size_t order = kNoElement;
        std::string detected;
        std::string fontName;
        std::uint16_t height = 0;
        EditTextElement element;
    };
    struct Plan {
        const Site* site = nullptr;
        EditText field;
        std::string target; // empty: the field keeps its font
        bool textChanged = false;
        bool needsGlyphs = false; // drawn with its font's glyphs, which must cover the new text
        std::string encodedText;  // the new text as stored
        std::u32string characters;
    };
    std::vector<Site> m_sites;
    std::vector<Plan> m_plans;
};

} // namespace glw::swf::generator
