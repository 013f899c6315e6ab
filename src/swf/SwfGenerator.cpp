// The SWF generator object of the clip editor: loads a movie, raises one event per replaceable
// element, takes new values written into the elements, rescales and saves the movie.
#include "swf/SwfGenerator.h"

#include "swf/Actions.h"
#include "swf/EditText.h"
#include "swf/Fonts.h"
#include "swf/Images.h"
#include "swf/Scale.h"
#include "swf/Sounds.h"
#include "swf/Text.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <set>

namespace glw::swf {

namespace {

using TagPath = std::vector<std::uint32_t>;

Tag& tagAt(std::vector<Tag>& root, const TagPath& path) {
    std::vector<Tag>* list = &root;
    Tag* tag = nullptr;
    for (std::uint32_t i : path) {
        tag = &(*list)[i];
        list = &tag->children();
    }
    return *tag;
}

template <class Visit> void walkWithPath(std::vector<Tag>& tags, TagPath& path, Visit& visit) {
    for (std::uint32_t i = 0; i < tags.size(); ++i) {
        path.push_back(i);
        visit(tags[i], path);
        if (tags[i].isSprite()) {
            walkWithPath(tags[i].children(), path, visit);
        }
        path.pop_back();
    }
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The characters a new text is set in: NUL and other control characters dropped, tabs as blanks,
// line breaks kept.
std::u32string cleanText(std::string_view utf8) {
    std::u32string out;
    for (char32_t c : utf8ToUtf32(utf8)) {
        if (c == U'\t') {
            out.push_back(U' ');
        } else if (c == U'\r' || c == U'\n' || c >= 0x20) {
            out.push_back(c);
        }
    }
    return out;
}

std::string withoutNul(std::string_view s) {
    std::string out(s);
    std::erase(out, '\0');
    return out;
}

// Line breaks as the engine hands them out: "\r\n" and "\r" (what Flash stores in text fields)
// become "\n".
std::string unifiedLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// Line breaks written back in the field's own form: "\r" when the field used it.
std::string fieldLineBreaks(std::string_view text, bool carriageReturns) {
    std::string unified = unifiedLineBreaks(text);
    if (carriageReturns) {
        std::replace(unified.begin(), unified.end(), '\n', '\r');
    }
    return unified;
}

// The characters an HTML edit text shows: markup left out, the common entities resolved.
std::u32string visibleHtml(std::u32string_view html) {
    std::u32string out;
    for (std::size_t i = 0; i < html.size(); ++i) {
        char32_t c = html[i];
        if (c == U'<') {
            std::size_t close = html.find(U'>', i);
            if (close == std::u32string_view::npos) {
                break;
            }
            i = close;
            continue;
        }
        if (c == U'&') {
            std::size_t semi = html.find(U';', i);
            if (semi != std::u32string_view::npos && semi - i <= 10) {
                std::u32string entity(html.substr(i + 1, semi - i - 1));
                char32_t value = 0;
                if (entity == U"lt") {
                    value = U'<';
                } else if (entity == U"gt") {
                    value = U'>';
                } else if (entity == U"amp") {
                    value = U'&';
                } else if (entity == U"quot") {
                    value = U'"';
                } else if (entity == U"apos") {
                    value = U'\'';
                } else if (entity == U"nbsp") {
                    value = 0xA0;
                } else if (entity.size() > 1 && entity[0] == U'#') {
                    bool hex = entity[1] == U'x' || entity[1] == U'X';
                    char32_t n = 0;
                    for (std::size_t k = hex ? 2 : 1; k < entity.size() && n < 0x110000; ++k) {
                        char32_t d = entity[k];
                        int digit = (d >= U'0' && d <= U'9')          ? int(d - U'0')
                                    : hex && (d >= U'a' && d <= U'f') ? int(d - U'a' + 10)
                                    : hex && (d >= U'A' && d <= U'F') ? int(d - U'A' + 10)
                                                                      : -1;
                        if (digit < 0) {
                            n = 0;
                            break;
                        }
                        n = n * (hex ? 16 : 10) + static_cast<char32_t>(digit);
                    }
                    value = n;
                }
                if (value) {
                    out.push_back(value);
                    i = semi;
                    continue;
                }
            }
        }
        out.push_back(c);
    }
    return out;
}

struct LinkSiteData {
    TagPath path;
    std::size_t block = 0;
    LinkSite link;
    std::string detected;
    LinkElement element;
};

struct TextSiteData {
    TagPath path;
    std::string detected;
    std::string fontName;
    std::uint16_t fontId = 0;
    std::uint16_t height = 0;
    TextElement element;
};

struct EditSiteData {
    TagPath path;
    std::string detected;
    std::string fontName;
    std::uint16_t height = 0;
    EditTextElement element;
};

struct ImageSiteData {
    TagPath path;
    ImageInfo info;
    ImageElement element;
};

struct SoundSiteData {
    TagPath path;
    SoundInfo info;
    SoundElement element;
};

// A font that texts are set in after the save: one of the movie's own, possibly with glyphs added,
// or a new one.
struct FontTarget {
    enum class Kind { Existing, Converted, New, Device } kind = Kind::Existing;
    Font font;
    TagPath path; // Existing
    std::u32string needed;
    std::map<std::uint32_t, std::int32_t> observed; // advances (em units) for a font without layout
    std::optional<GlyphRenumbering> renumbering;
    std::size_t insertBefore = SIZE_MAX; // root index, for fonts added to the movie
    Bytes encoded;                       // the font's tag payload once complete
    bool failed = false;
    Error failure;
};

struct TextPlan {
    const TextSiteData* site = nullptr;
    std::string target; // key into the targets
    std::u32string characters;
    std::uint16_t height = 0;
};

struct EditPlan {
    const EditSiteData* site = nullptr;
    EditText field;
    std::string target; // empty: the field keeps its font
    bool textChanged = false;
    std::u32string characters;
};

} // namespace

struct SwfGenerator::Impl {
    Media media;
    bool raise = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Movie> movie;
    FontMap fonts;
    std::map<std::uint16_t, TagPath> fontPaths;
    std::map<std::uint16_t, std::map<std::uint32_t, std::int32_t>> observed;
    ByteView jpegTables;
    std::vector<LinkSiteData> links;
    std::vector<TextSiteData> texts;
    std::vector<EditSiteData> edits;
    std::vector<ImageSiteData> images;
    std::vector<SoundSiteData> sounds;
    std::vector<Error> errors;

    void clear() {
        movie.reset();
        fonts.clear();
        fontPaths.clear();
        observed.clear();
        jpegTables = {};
        links.clear();
        texts.clear();
        edits.clear();
        images.clear();
        sounds.clear();
        errors.clear();
    }

    std::string fontNameOf(std::uint16_t id) const {
        auto it = fonts.find(id);
        return it == fonts.end() ? std::string() : it->second.name;
    }

    void note(ErrorCode code, const std::string& detail) { errors.push_back(makeError(code, detail)); }

    void readFonts(Movie& m) {
        TagPath path;
        auto visit = [&](Tag& tag, const TagPath& p) {
            TagCode code = tag.code();
            if (code == TagCode::DefineFont || code == TagCode::DefineFont2 || code == TagCode::DefineFont3) {
                if (Result<Font> f = readDefineFont(tag, m.version)) {
                    fontPaths[f->id] = p;
                    fonts[f->id] = std::move(*f);
                }
            } else if (code == TagCode::DefineFontInfo || code == TagCode::DefineFontInfo2) {
                auto it = fonts.find(fontInfoTarget(tag));
                if (it != fonts.end() && it->second.code == TagCode::DefineFont) {
                    (void)readDefineFontInfo(it->second, tag, m.version);
                }
            } else if (code == TagCode::JPEGTables && jpegTables.empty()) {
                jpegTables = tag.payload();
            }
        };
        walkWithPath(m.tags, path, visit);
    }

    void scan(Movie& m, SwfGenerator& g) {
        std::map<std::uint16_t, std::string> exports = readExportAssets(m.tags, m.version);
        TagPath path;
        auto visit = [&](Tag& tag, const TagPath& p) {
            TagCode code = tag.code();
            if (code == TagCode::DefineText || code == TagCode::DefineText2) {
                scanText(g, tag, p);
            } else if (code == TagCode::DefineEditText) {
                scanEditText(m, g, tag, p);
            } else if (isImageTag(code)) {
                Result<ImageInfo> info = readDefineBits(tag, jpegTables, media.jpeg);
                if (info) {
                    ImageElement e;
                    e.ImageId = info->id;
                    e.ImageQuality = info->quality;
                    if (g.OnSubImage) {
                        g.OnSubImage(e);
                    }
                    images.push_back(ImageSiteData{p, *info, std::move(e)});
                }
            } else if (code == TagCode::DefineSound) {
                Result<SoundInfo> info = readDefineSound(tag);
                if (info) {
                    SoundElement e;
                    e.SoundId = info->id;
                    auto it = exports.find(info->id);
                    e.SoundName = it == exports.end() ? std::string() : it->second;
                    if (g.OnSubSound) {
                        g.OnSubSound(e);
                    }
                    sounds.push_back(SoundSiteData{p, *info, std::move(e)});
                }
            } else {
                scanActions(m, g, tag, p);
            }
        };
        walkWithPath(m.tags, path, visit);
    }

    // Asks OnBeforeSubText whether a text may be offered.
    bool allowText(SwfGenerator& g, const std::string& text) {
        if (!g.OnBeforeSubText) {
            return true;
        }
        TextActionElement before;
        before.ActionString = text;
        g.OnBeforeSubText(before);
        return before.AllowSub;
    }

    void scanText(SwfGenerator& g, Tag& tag, const TagPath& p) {
        Result<StaticText> text = readDefineText(tag);
        if (!text) {
            return;
        }
        // Advances shown for fonts without layout tables: what a new text in them is set with.
        std::set<std::uint16_t> used;
        for (const TextRecord& rec : text->records) {
            if (rec.hasFont) {
                used.insert(rec.fontId);
            }
        }
        for (std::uint16_t id : used) {
            auto it = fonts.find(id);
            if (it != fonts.end() && !it->second.hasLayout) {
                observeAdvances(*text, id, it->second.emSquare(), observed[id]);
            }
        }
        Result<DecodedText> decoded = decodeStaticText(*text, fonts);
        if (!decoded) {
            return; // a font without character codes: the text cannot be read, so it is not offered
        }
        if (!allowText(g, decoded->text)) {
            return;
        }
        TextSiteData site;
        site.path = p;
        site.detected = decoded->text;
        site.fontId = decoded->fontId;
        site.fontName = fontNameOf(decoded->fontId);
        site.height = decoded->height;
        site.element.Text = site.detected;
        site.element.FontName = site.fontName;
        site.element.FontHeight = site.height;
        if (g.OnSubText) {
            g.OnSubText(site.element);
        }
        texts.push_back(std::move(site));
    }

    void scanEditText(Movie& m, SwfGenerator& g, Tag& tag, const TagPath& p) {
        Result<EditText> field = readDefineEditText(tag);
        if (!field) {
            return;
        }
        EditSiteData site;
        site.path = p;
        site.detected = unifiedLineBreaks(decodeMovieText(field->initialText, m.version));
        if (field->hasFont()) {
            site.fontName = fontNameOf(field->fontId);
        } else if (field->hasFontClass()) {
            site.fontName = decodeMovieText(field->fontClass, m.version);
        }
        site.height = field->fontHeight;
        if (!allowText(g, site.detected)) {
            return;
        }
        site.element.Text = site.detected;
        site.element.FontName = site.fontName;
        site.element.FontHeight = site.height;
        if (g.OnSubEditText) {
            g.OnSubEditText(site.element);
        }
        edits.push_back(std::move(site));
    }

    void scanActions(Movie& m, SwfGenerator& g, Tag& tag, const TagPath& p) {
        Result<std::vector<ActionBlock>> blocks = findActionBlocks(tag, m.version);
        if (!blocks) {
            return;
        }
        ByteView payload = tag.payload();
        for (std::size_t b = 0; b < blocks->size(); ++b) {
            const ActionBlock& block = (*blocks)[b];
            Result<ActionList> list = parseActions(payload.subspan(block.begin, block.end - block.begin));
            if (!list) {
                continue; // code that cannot be followed offers nothing to replace
            }
            for (BlockScan::Item& item : scanBlock(*list).items) {
                if (!item.isLink) {
                    if (g.OnSubActionString) {
                        TextActionElement e;
                        e.ActionString = decodeMovieText(item.text, m.version);
                        g.OnSubActionString(e);
                    }
                    continue;
                }
                LinkSiteData site;
                site.path = p;
                site.block = b;
                site.detected = decodeMovieText(item.link.url, m.version);
                site.link = std::move(item.link);
                site.element.Url = site.detected;
                if (g.OnSubActionGetUrl) {
                    g.OnSubActionGetUrl(site.element);
                }
                links.push_back(std::move(site));
            }
        }
    }

    // --- saving -------------------------------------------------------------------------------

    void applyLinks(Movie& m) {
        // Links of one tag are applied together, block by block.
        std::map<TagPath, std::map<std::size_t, std::vector<const LinkSiteData*>>> byTag;
        for (const LinkSiteData& site : links) {
            if (site.element.NeedSub && site.element.Url != site.detected) {
                byTag[site.path][site.block].push_back(&site);
            }
        }
        for (auto& [path, blocks] : byTag) {
            Tag& tag = tagAt(m.tags, path);
            Result<std::vector<ActionBlock>> found = findActionBlocks(tag, m.version);
            if (!found) {
                note(found.error().code, "link not replaced: " + found.error().detail);
                continue;
            }
            ByteView payload = tag.payload();
            std::vector<BlockReplacement> replaced;
            for (auto& [index, sites] : blocks) {
                const ActionBlock& block = (*found)[index];
                ByteView code = payload.subspan(block.begin, block.end - block.begin);
                Result<ActionList> list = parseActions(code);
                if (!list) {
                    note(list.error().code, "link not replaced: " + list.error().detail);
                    continue;
                }
                std::vector<ActionReplacement> reps;
                for (const LinkSiteData* site : sites) {
                    std::string address = encodeMovieText(withoutNul(site->element.Url), m.version);
                    Result<Bytes> rec =
                        site->link.viaPush
                            ? pushWithString(list->records[site->link.push], site->link.pushValue, address)
                            : getUrlWithAddress(list->records[site->link.action], address);
                    if (!rec) {
                        note(rec.error().code, "link \"" + site->detected + "\" not replaced: " + rec.error().detail);
                        continue;
                    }
                    reps.push_back(
                        ActionReplacement{site->link.viaPush ? site->link.push : site->link.action, std::move(*rec)});
                }
                if (reps.empty()) {
                    continue;
                }
                Result<Bytes> rewritten = rewriteActions(code, *list, std::move(reps));
                if (!rewritten) {
                    for (const LinkSiteData* site : sites) {
                        note(rewritten.error().code,
                             "link \"" + site->detected + "\" not replaced: " + rewritten.error().detail);
                    }
                    continue;
                }
                replaced.push_back(BlockReplacement{block, std::move(*rewritten)});
            }
            if (replaced.empty()) {
                continue;
            }
            Result<Bytes> newPayload = replaceBlocks(payload, std::move(replaced));
            if (!newPayload) {
                note(newPayload.error().code, "links not replaced: " + newPayload.error().detail);
                continue;
            }
            tag.setPayload(std::move(*newPayload));
        }
    }

    void applyImages(Movie& m) {
        for (const ImageSiteData& site : images) {
            const ImageElement& e = site.element;
            if (!e.NeedSub || e.ImageFile.empty()) {
                continue;
            }
            std::string what = "image " + std::to_string(site.info.id) + " not replaced: ";
            if (!media.jpeg) {
                note(ErrorCode::Unsupported, what + "no JPEG codec");
                continue;
            }
            if (site.info.width <= 0 || site.info.height <= 0) {
                note(ErrorCode::Unsupported, what + "the bitmap's pixel size is unknown");
                continue;
            }
            int quality = (e.ImageQuality >= 1 && e.ImageQuality <= 100) ? e.ImageQuality : site.info.quality;
            Result<Bytes> jpeg = media.jpeg->recodeFile(e.ImageFile, site.info.width, site.info.height, quality);
            if (!jpeg) {
                note(jpeg.error().code, what + jpeg.error().detail);
                continue;
            }
            Tag& tag = tagAt(m.tags, site.path);
            Result<Tag> replacement = writeDefineBits(tag, site.info, *jpeg, site.info.width, site.info.height);
            if (!replacement) {
                note(replacement.error().code, what + replacement.error().detail);
                continue;
            }
            tag = std::move(*replacement);
        }
    }

    void applySounds(Movie& m) {
        for (const SoundSiteData& site : sounds) {
            const SoundElement& e = site.element;
            if (!e.NeedSub || e.SoundFile.empty()) {
                continue;
            }
            std::string what = "sound " + std::to_string(site.info.id) + " not replaced: ";
            if (!media.mp3) {
                note(ErrorCode::Unsupported, what + "no MP3 reader");
                continue;
            }
            Result<Mp3Sound> sound = media.mp3->readFile(e.SoundFile);
            if (!sound) {
                note(sound.error().code, what + sound.error().detail);
                continue;
            }
            tagAt(m.tags, site.path).setPayload(writeDefineSound(site.info.id, *sound));
        }
    }

    // --- texts and fonts ---------------------------------------------------------------------

    std::set<std::uint16_t> usedIds(Movie& m) {
        std::set<std::uint16_t> ids;
        walkTags(m.tags, [&](const Tag& tag, int) {
            ByteView p = tag.payload();
            if (hasTrait(tag.code(), kDefinesCharacter) && p.size() >= 2) {
                ids.insert(readU16(p.data()));
            } else if (tag.code() == TagCode::ImportAssets || tag.code() == TagCode::ImportAssets2) {
                ByteReader r(p);
                (void)r.cstring();
                if (tag.code() == TagCode::ImportAssets2) {
                    r.skip(2);
                }
                unsigned count = r.u16();
                for (unsigned i = 0; i < count && !r.failed(); ++i) {
                    ids.insert(r.u16());
                    (void)r.cstring();
                }
            }
            return true;
        });
        return ids;
    }

    std::optional<std::uint16_t> allocateId(std::set<std::uint16_t>& ids) {
        std::uint32_t candidate = ids.empty() ? 1 : std::uint32_t{*ids.rbegin()} + 1;
        if (candidate > 0xFFFF) {
            for (candidate = 1; candidate <= 0xFFFF && ids.count(static_cast<std::uint16_t>(candidate)); ++candidate) {
            }
        }
        if (candidate > 0xFFFF) {
            return std::nullopt;
        }
        ids.insert(static_cast<std::uint16_t>(candidate));
        return static_cast<std::uint16_t>(candidate);
    }

    // A movie font with that name that can show static text (glyphs and codes).
    const Font* glyphFontNamed(const std::string& name) const {
        for (const auto& [id, f] : fonts) {
            if (sameName(f.name, name) && f.glyphCount() > 0 && f.hasCodes()) {
                return &f;
            }
        }
        return nullptr;
    }

    const Font* editFontNamed(const std::string& name) const {
        for (const auto& [id, f] : fonts) {
            if (sameName(f.name, name) && f.code != TagCode::DefineFont) {
                return &f;
            }
        }
        return nullptr;
    }

    FontTarget& existingTarget(std::map<std::string, FontTarget>& targets, const Font& f) {
        std::string key = "id:" + std::to_string(f.id);
        auto [it, added] = targets.try_emplace(key);
        if (added) {
            it->second.kind = FontTarget::Kind::Existing;
            it->second.font = f;
            it->second.path = fontPaths[f.id];
            it->second.observed = observed[f.id];
        }
        return it->second;
    }

    static Bytes fontNameBytes(const std::string& name, std::uint8_t version) {
        std::string encoded = encodeMovieText(withoutNul(name), version);
        if (encoded.size() > 255) {
            encoded.resize(255);
        }
        return Bytes(encoded.begin(), encoded.end());
    }

    FontTarget& newTarget(std::map<std::string, FontTarget>& targets, const std::string& name, bool bold, bool italic,
                          TagCode code, bool device, std::uint8_t version) {
        std::string key = (device ? "device:" : "new:") + std::to_string(toU16(code)) + (bold ? "b" : "") +
                          (italic ? "i" : "") + ":" + name;
        auto [it, added] = targets.try_emplace(key);
        if (added) {
            FontTarget& t = it->second;
            t.kind = device ? FontTarget::Kind::Device : FontTarget::Kind::New;
            t.font.code = code;
            t.font.name = name;
            t.font.nameBytes = fontNameBytes(name, version);
            t.font.bold = bold;
            t.font.italic = italic;
            t.font.flags = static_cast<std::uint8_t>((bold ? 0x01 : 0) | (italic ? 0x02 : 0));
            t.font.language = version >= 6 ? 1 : 0; // Latin
            t.font.hasLayout = !device;
        }
        return it->second;
    }

    static std::string keyOf(const std::map<std::string, FontTarget>& targets, const FontTarget& t) {
        for (const auto& [key, value] : targets) {
            if (&value == &t) {
                return key;
            }
        }
        return {};
    }

    // Adds the glyphs a target lacks; records a failure on the target when the provider fails.
    void completeGlyphs(FontTarget& t) {
        std::u32string missing;
        for (char32_t c : t.needed) {
            if (c != U'\r' && c != U'\n' && t.font.indexOf(c) < 0 && missing.find(c) == std::u32string::npos) {
                missing.push_back(c);
            }
        }
        if (missing.empty()) {
            return;
        }
        if (!media.glyphs) {
            t.failed = true;
            t.failure = makeError(ErrorCode::Unsupported, "no system fonts to take glyphs from");
            return;
        }
        FontMetrics metrics;
        Result<std::vector<GlyphOutline>> glyphs =
            media.glyphs->glyphs(t.font.name, t.font.bold, t.font.italic, missing, t.font.emSquare(), metrics);
        if (!glyphs) {
            t.failed = true;
            t.failure = glyphs.error();
            return;
        }
        std::map<char32_t, std::int32_t> advances;
        for (const GlyphOutline& o : *glyphs) {
            advances[o.code] = o.advance;
        }
        bool fresh = t.font.glyphCount() == 0;
        Result<GlyphRenumbering> numbering = addGlyphs(t.font, std::move(*glyphs));
        if (!numbering) {
            t.failed = true;
            t.failure = numbering.error();
            return;
        }
        if (fresh && t.font.hasLayout) {
            t.font.ascent = metrics.ascent;
            t.font.descent = metrics.descent;
            t.font.leading = metrics.leading;
        }
        // Advances of a font without layout: the old observations renumbered, the new glyphs' own.
        std::map<std::uint32_t, std::int32_t> moved;
        for (const auto& [index, advance] : t.observed) {
            if (index < numbering->newIndex.size()) {
                moved[numbering->newIndex[index]] = advance;
            }
        }
        for (std::uint32_t index : numbering->addedAt) {
            moved[index] = advances[t.font.codes[index]];
        }
        t.observed = std::move(moved);
        if (t.kind == FontTarget::Kind::Existing) {
            t.renumbering = std::move(*numbering);
        }
    }

    void applyTexts(Movie& m) {
        std::map<std::string, FontTarget> targets;
        std::vector<TextPlan> textPlans;
        std::vector<EditPlan> editPlans;

        for (const TextSiteData& site : texts) {
            const TextElement& e = site.element;
            if (!e.NeedSub) {
                continue;
            }
            std::uint16_t height =
                e.FontHeight > 0 ? static_cast<std::uint16_t>(std::min(e.FontHeight, 0xFFFF)) : site.height;
            std::string fontName = e.FontName.empty() ? site.fontName : e.FontName;
            bool sameFont = sameName(fontName, site.fontName);
            if (e.Text == site.detected && sameFont && height == site.height) {
                continue;
            }
            TextPlan plan;
            plan.site = &site;
            plan.characters = cleanText(e.Text);
            plan.height = height;
            auto own = fonts.find(site.fontId);
            const Font* base = sameFont && own != fonts.end() ? &own->second : glyphFontNamed(fontName);
            FontTarget* target = nullptr;
            if (base && base->code != TagCode::DefineFont) {
                target = &existingTarget(targets, *base);
            } else if (base) {
                // DefineFont is paired with its DefineFontInfo: glyphs are added to a DefineFont2 copy.
                bool complete = std::all_of(plan.characters.begin(), plan.characters.end(), [&](char32_t c) {
                    return c == U'\r' || c == U'\n' || base->indexOf(c) >= 0;
                });
                if (complete) {
                    target = &existingTarget(targets, *base);
                } else {
                    std::string key = "converted:" + std::to_string(base->id);
                    auto [it, added] = targets.try_emplace(key);
                    if (added) {
                        it->second.kind = FontTarget::Kind::Converted;
                        it->second.font = *base;
                        it->second.font.code = TagCode::DefineFont2;
                        it->second.font.flags =
                            static_cast<std::uint8_t>((base->bold ? 1 : 0) | (base->italic ? 2 : 0));
                        if (it->second.font.nameBytes.empty()) {
                            it->second.font.nameBytes = fontNameBytes(base->name, m.version);
                        }
                        it->second.observed = observed[base->id];
                    }
                    target = &it->second;
                }
            } else {
                const Font* style = own != fonts.end() ? &own->second : nullptr;
                TagCode code =
                    style && style->code == TagCode::DefineFont3 ? TagCode::DefineFont3 : TagCode::DefineFont2;
                target =
                    &newTarget(targets, fontName, style && style->bold, style && style->italic, code, false, m.version);
            }
            target->needed += plan.characters;
            if (target->kind != FontTarget::Kind::Existing) {
                target->insertBefore = std::min<std::size_t>(target->insertBefore, site.path.front());
            }
            plan.target = keyOf(targets, *target);
            textPlans.push_back(std::move(plan));
        }

        for (const EditSiteData& site : edits) {
            const EditTextElement& e = site.element;
            if (!e.NeedSub) {
                continue;
            }
            Result<EditText> field = readDefineEditText(tagAt(m.tags, site.path));
            if (!field) {
                note(field.error().code, "edit text not replaced: " + field.error().detail);
                continue;
            }
            EditPlan plan;
            plan.site = &site;
            plan.field = std::move(*field);
            plan.textChanged = e.Text != site.detected;
            bool fontChanged = !e.FontName.empty() && !sameName(e.FontName, site.fontName);
            bool heightChanged = e.FontHeight > 0 && e.FontHeight != site.height;
            if (!plan.textChanged && !fontChanged && !heightChanged) {
                continue;
            }
            std::u32string text = cleanText(e.Text);
            plan.characters = (plan.field.flags & EditText::kHtml) ? visibleHtml(text) : text;
            FontTarget* target = nullptr;
            if (fontChanged) {
                if (const Font* f = editFontNamed(e.FontName)) {
                    target = &existingTarget(targets, *f);
                } else {
                    target = &newTarget(targets, e.FontName, false, false, TagCode::DefineFont2, true, m.version);
                    target->insertBefore = std::min<std::size_t>(target->insertBefore, site.path.front());
                }
            } else if (plan.field.hasFont()) {
                auto it = fonts.find(plan.field.fontId);
                if (it != fonts.end() && it->second.code != TagCode::DefineFont) {
                    target = &existingTarget(targets, it->second);
                }
            }
            if (target) {
                // Glyph text shows only characters its font has: add the missing ones.
                if ((plan.field.flags & EditText::kUseOutlines) && target->font.glyphCount() > 0) {
                    target->needed += plan.characters;
                }
                plan.target = keyOf(targets, *target);
            }
            editPlans.push_back(std::move(plan));
        }
        if (textPlans.empty() && editPlans.empty()) {
            return;
        }
        std::set<std::uint16_t> ids = usedIds(m);

        // Glyphs for every target, then ids for the fonts that are added.
        for (auto& [key, t] : targets) {
            if (t.kind != FontTarget::Kind::Device) {
                completeGlyphs(t);
            }
            if (!t.failed && t.kind != FontTarget::Kind::Existing) {
                std::optional<std::uint16_t> id = allocateId(ids);
                if (!id) {
                    t.failed = true;
                    t.failure = makeError(ErrorCode::TooLarge, "the movie has no free character id for a font");
                } else {
                    t.font.id = *id;
                }
            }
            // Encoded now, so that no text is set in a font that then cannot be written.
            bool written = t.kind != FontTarget::Kind::Existing || t.renumbering;
            if (!t.failed && written) {
                Result<Bytes> bytes = writeDefineFont(t.font, m.version);
                if (bytes) {
                    t.encoded = std::move(*bytes);
                } else {
                    t.failed = true;
                    t.failure = bytes.error();
                }
            }
        }

        // Static texts: laid out anew, or renumbered where their font gained glyphs.
        std::map<TagPath, const TextPlan*> planned;
        for (const TextPlan& plan : textPlans) {
            planned[plan.site->path] = &plan;
        }
        std::map<std::uint16_t, const FontTarget*> extended;
        for (const auto& [key, t] : targets) {
            if (t.kind == FontTarget::Kind::Existing && t.renumbering && !t.failed) {
                extended[t.font.id] = &t;
            }
        }
        TagPath path;
        auto visit = [&](Tag& tag, const TagPath& p) {
            if (tag.code() != TagCode::DefineText && tag.code() != TagCode::DefineText2) {
                return;
            }
            auto plan = planned.find(p);
            if (plan == planned.end() && extended.empty()) {
                return;
            }
            Result<StaticText> text = readDefineText(tag);
            if (!text) {
                return;
            }
            if (plan != planned.end()) {
                const FontTarget& t = targets.at(plan->second->target);
                std::string what = "text \"" + plan->second->site->detected + "\" not replaced: ";
                if (t.failed) {
                    note(t.failure.code, what + t.failure.detail);
                } else {
                    StaticText laid = *text;
                    Result<void> ok =
                        layoutStaticText(laid, t.font, t.observed, plan->second->characters, plan->second->height);
                    if (ok) {
                        tag.setPayload(writeDefineText(laid));
                        return;
                    }
                    note(ok.error().code, what + ok.error().detail);
                }
            }
            bool changed = false;
            const FontTarget* font = nullptr;
            for (TextRecord& rec : text->records) {
                if (rec.hasFont) {
                    auto it = extended.find(rec.fontId);
                    font = it == extended.end() ? nullptr : it->second;
                }
                if (!font) {
                    continue;
                }
                for (GlyphEntry& g : rec.glyphs) {
                    if (g.index < font->renumbering->newIndex.size()) {
                        g.index = font->renumbering->newIndex[g.index];
                        changed = true;
                    }
                }
            }
            if (changed) {
                tag.setPayload(writeDefineText(*text));
            }
        };
        walkWithPath(m.tags, path, visit);

        // Edit texts.
        for (EditPlan& plan : editPlans) {
            EditText& f = plan.field;
            const EditTextElement& e = plan.site->element;
            std::string what = "edit text \"" + plan.site->detected + "\" not replaced: ";
            if (!plan.target.empty()) {
                const FontTarget& t = targets.at(plan.target);
                if (t.failed && t.kind != FontTarget::Kind::Existing) {
                    note(t.failure.code, what + t.failure.detail);
                    continue;
                }
                f.flags = static_cast<std::uint16_t>((f.flags | EditText::kHasFont) & ~EditText::kHasFontClass);
                f.fontClass.clear();
                f.fontId = t.font.id;
                if (t.font.glyphCount() == 0) {
                    f.flags &= static_cast<std::uint16_t>(~EditText::kUseOutlines); // a device font draws it
                }
                if (t.failed) {
                    // The font could not gain glyphs: the field's text is still set, shown as far as
                    // the font can.
                    note(t.failure.code, "edit text \"" + plan.site->detected +
                                             "\": characters missing from its font: " + t.failure.detail);
                }
            }
            if (e.FontHeight > 0 && (f.hasFont() || f.hasFontClass())) {
                f.fontHeight = static_cast<std::uint16_t>(std::min(e.FontHeight, 0xFFFF));
            }
            if (plan.textChanged) {
                bool carriageReturns = f.initialText.find('\r') != std::string::npos;
                f.initialText = encodeMovieText(fieldLineBreaks(withoutNul(e.Text), carriageReturns), m.version);
                if (!f.initialText.empty()) {
                    f.flags |= EditText::kHasText;
                }
            }
            tagAt(m.tags, plan.site->path).setPayload(writeDefineEditText(f));
        }

        // Fonts: extended ones rewritten in place, added ones inserted before their first use.
        std::vector<std::pair<std::size_t, Tag>> inserts;
        std::vector<std::size_t> removals;
        for (auto& [key, t] : targets) {
            if (t.failed) {
                continue;
            }
            if (t.kind == FontTarget::Kind::Existing) {
                if (!t.renumbering) {
                    continue;
                }
                tagAt(m.tags, t.path).setPayload(std::move(t.encoded));
                if (t.font.code == TagCode::DefineFont3) {
                    for (std::size_t i = 0; i < m.tags.size(); ++i) {
                        Tag& zones = m.tags[i];
                        if (zones.code() != TagCode::DefineFontAlignZones || fontInfoTarget(zones) != t.font.id) {
                            continue;
                        }
                        Result<Bytes> z = alignZonesWithGlyphs(zones.payload(), *t.renumbering);
                        if (z) {
                            zones.setPayload(std::move(*z));
                        } else {
                            removals.push_back(i); // hints that no longer match the glyphs are dropped
                        }
                    }
                }
                continue;
            }
            inserts.emplace_back(std::min(t.insertBefore, m.tags.size()), Tag::make(t.font.code, std::move(t.encoded)));
        }
        // From the back, so that earlier positions stay valid.
        std::sort(removals.begin(), removals.end());
        for (auto it = removals.rbegin(); it != removals.rend(); ++it) {
            m.tags.erase(m.tags.begin() + static_cast<std::ptrdiff_t>(*it));
            for (auto& [at, tag] : inserts) {
                if (at > *it) {
                    --at;
                }
            }
        }
        std::stable_sort(inserts.begin(), inserts.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (auto& [at, tag] : inserts) {
            m.tags.insert(m.tags.begin() + static_cast<std::ptrdiff_t>(at), std::move(tag));
        }
    }
};

SwfGenerator::SwfGenerator() : SwfGenerator(defaultMedia()) {}
SwfGenerator::SwfGenerator(Media media) : m_impl(std::make_unique<Impl>()) {
    m_impl->media = media;
}
SwfGenerator::~SwfGenerator() = default;

void SwfGenerator::RaiseSubEvents(bool raise) {
    m_impl->raise = raise;
}
void SwfGenerator::SwfHeight(std::int32_t twips) {
    m_impl->height = twips;
}
void SwfGenerator::SwfWidth(std::int32_t twips) {
    m_impl->width = twips;
}

const std::vector<Error>& SwfGenerator::substitutionErrors() const {
    return m_impl->errors;
}
const Movie* SwfGenerator::loadedMovie() const {
    return m_impl->movie ? &*m_impl->movie : nullptr;
}

Result<void> SwfGenerator::LoadSwf(const std::string& hostPath) {
    Impl& d = *m_impl;
    d.clear();
    Result<Movie> movie = loadMovieFile(hostPath);
    if (!movie) {
        return movie.error();
    }
    d.movie = std::move(*movie);
    d.readFonts(*d.movie);
    if (!d.raise) {
        return {};
    }
    try {
        d.scan(*d.movie, *this);
    } catch (const std::exception& e) {
        d.clear();
        return makeError(ErrorCode::Cancelled, std::string("an element event failed: ") + e.what());
    } catch (...) {
        d.clear();
        return makeError(ErrorCode::Cancelled, "an element event failed");
    }
    return {};
}

Result<void> SwfGenerator::SaveSwf(const std::string& hostPath, std::int32_t flag) {
    (void)flag; // the movie keeps its own compression
    Impl& d = *m_impl;
    d.errors.clear();
    if (!d.movie) {
        return makeError(ErrorCode::Invalid, "no movie is loaded");
    }
    try {
        Movie working = *d.movie;
        // Texts last: adding fonts moves the positions the other elements are found at.
        d.applyLinks(working);
        d.applyImages(working);
        d.applySounds(working);
        d.applyTexts(working);
        Result<void> scaled = rescaleMovie(working, d.width, d.height);
        if (!scaled) {
            return scaled;
        }
        return saveMovieFile(working, hostPath);
    } catch (const std::bad_alloc&) {
        return makeError(ErrorCode::TooLarge, "not enough memory to save the movie");
    }
}

} // namespace glw::swf
