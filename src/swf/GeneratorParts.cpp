// What the generator object's parts share: tag paths, name and text helpers, the problem list and
// the movie's fonts.
#include "swf/GeneratorParts.h"

#include "base/Ascii.h"

#include <algorithm>

namespace glw::swf::generator {

Tag& tagAt(std::vector<Tag>& root, const TagPath& path) {
    std::vector<Tag>* list = &root;
    Tag* tag = nullptr;
    for (std::uint32_t i : path) {
        tag = &(*list)[i];
        list = &tag->children();
    }
    return *tag;
}

namespace {

void walk(std::vector<Tag>& tags, TagPath& path, const std::function<void(Tag&, const TagPath&)>& visit) {
    for (std::uint32_t i = 0; i < tags.size(); ++i) {
        path.push_back(i);
        visit(tags[i], path);
        if (tags[i].isSprite()) {
            walk(tags[i].children(), path, visit);
        }
        path.pop_back();
    }
}

} // namespace

void walkWithPath(std::vector<Tag>& tags, const std::function<void(Tag&, const TagPath&)>& visit) {
    TagPath path;
    walk(tags, path, visit);
}

std::string withoutNul(std::string_view s) {
    std::string out(s);
    std::erase(out, '\0');
    return out;
}

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

void Problems::unreadable(const Movie& movie, const Tag& tag, const Error& why) {
    std::uint64_t at = movie.offsetOf(tag);
    m_list.push_back(
        makeError(why.code, tagName(tag.code()) + " at offset " + std::to_string(at) + ": " + why.detail, at));
}

Result<std::uint16_t> storedTextHeight(std::int32_t twips) {
    if (twips > kMaxTextHeight) {
        return makeError(ErrorCode::TooLarge, "a text height of " + std::to_string(twips) +
                                                  " twips is more than a movie can store (" +
                                                  std::to_string(kMaxTextHeight) + ")");
    }
    return static_cast<std::uint16_t>(twips);
}

Result<std::string> encodeExactly(std::string_view utf8, std::uint8_t version) {
    if (version >= 6) {
        return std::string(utf8);
    }
    std::string out;
    for (char32_t c : utf8ToUtf32(utf8)) {
        std::uint8_t b = unicodeToCp1252(c);
        // The five bytes Windows-1252 leaves unused are read as the same code points: they go back.
        if (!b && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)) {
            b = static_cast<std::uint8_t>(c);
        }
        if (!b && c != 0) {
            std::string shown;
            appendUtf8(shown, c);
            return makeError(ErrorCode::Unsupported, "\"" + shown + "\" cannot be stored in a version " +
                                                         std::to_string(version) +
                                                         " movie, which holds only Windows-1252 text");
        }
        out.push_back(static_cast<char>(b));
    }
    return out;
}

void MovieFonts::clear() {
    fonts.clear();
    paths.clear();
    observed.clear();
    jpegTables = {};
    font4Names.clear();
}

void MovieFonts::read(Movie& movie, Problems& problems) {
    walkWithPath(movie.tags, [&](Tag& tag, const TagPath& p) {
        TagCode code = tag.code();
        if (hasTrait(code, kFont)) {
            Result<Font> f = readDefineFont(tag, movie.version);
            if (!f) {
                problems.unreadable(movie, tag, f.error());
            } else if (fonts.count(f->id)) {
                // Players keep the first definition of an id and ignore later ones.
                problems.unreadable(movie, tag,
                                    makeError(ErrorCode::Malformed, "font " + std::to_string(f->id) +
                                                                        " is already defined; the first one is kept"));
            } else {
                paths[f->id] = p;
                fonts[f->id] = std::move(*f);
            }
        } else if (code == TagCode::DefineFontInfo || code == TagCode::DefineFontInfo2) {
            auto it = fonts.find(fontInfoTarget(tag));
            if (it != fonts.end() && it->second.code == TagCode::DefineFont) {
                Result<void> info = readDefineFontInfo(it->second, tag, movie.version);
                if (!info) {
                    problems.unreadable(movie, tag, info.error());
                }
            }
        } else if (code == TagCode::JPEGTables && jpegTables.empty()) {
            jpegTables = tag.payload();
        } else if (code == TagCode::DefineFont4) {
            // FontID, a flag byte, then the font's name.
            ByteReader r(tag.payload());
            const std::uint16_t id = r.u16();
            r.skip(1);
            const std::string_view name = r.cstring();
            if (!r.failed() && !font4Names.count(id)) {
                font4Names[id] = decodeMovieText(name, movie.version);
            }
        }
    });
}

std::string MovieFonts::nameOf(std::uint16_t id) const {
    if (auto it = fonts.find(id); it != fonts.end()) {
        return it->second.name;
    }
    auto named = font4Names.find(id);
    return named == font4Names.end() ? std::string() : named->second;
}

const Font* MovieFonts::glyphFontNamed(const std::string& name) const {
    for (const auto& [id, f] : fonts) {
        if (base::iequals(f.name, name) && f.glyphCount() > 0 && f.hasCodes()) {
            return &f;
        }
    }
    return nullptr;
}

const Font* MovieFonts::editFontNamed(const std::string& name) const {
    for (const auto& [id, f] : fonts) {
        if (base::iequals(f.name, name) && f.code != TagCode::DefineFont) {
            return &f;
        }
    }
    return nullptr;
}

bool allowText(SwfGenerator& events, const std::string& text) {
    if (!events.OnBeforeSubText) {
        return true;
    }
    TextActionElement before;
    before.ActionString = text;
    events.OnBeforeSubText(before);
    return before.AllowSub;
}

} // namespace glw::swf::generator
