// The fonts an edit sets texts in: the movie's own (gaining the glyphs a new text needs), DefineFont2
// copies of DefineFont, and fonts added to the movie; completed and written once per save.
#include "swf/GeneratorParts.h"

#include <algorithm>

namespace glw::swf::generator {

namespace {

Bytes fontNameBytes(const std::string& name, std::uint8_t version) {
    std::string encoded = encodeMovieText(withoutNul(name), version);
    if (encoded.size() > 255) {
        encoded.resize(255);
    }
    return Bytes(encoded.begin(), encoded.end());
}

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

} // namespace

std::optional<Error> FontTarget::refusal(std::u32string_view characters) const {
    for (char32_t c : characters) {
        auto it = refused.find(c);
        if (it != refused.end()) {
            return it->second;
        }
    }
    return std::nullopt;
}

FontTarget& FontTargets::existing(const Font& f) {
    std::string key = "id:" + std::to_string(f.id);
    auto [it, added] = m_targets.try_emplace(key);
    if (added) {
        it->second.kind = FontTarget::Kind::Existing;
        it->second.font = f;
        auto path = m_fonts.paths.find(f.id);
        if (path != m_fonts.paths.end()) {
            it->second.path = path->second;
        }
        auto seen = m_fonts.observed.find(f.id);
        if (seen != m_fonts.observed.end()) {
            it->second.observed = seen->second;
        }
    }
    return it->second;
}

FontTarget& FontTargets::converted(const Font& base) {
    std::string key = "converted:" + std::to_string(base.id);
    auto [it, added] = m_targets.try_emplace(key);
    if (added) {
        FontTarget& t = it->second;
        t.kind = FontTarget::Kind::Converted;
        t.font = base;
        t.font.code = TagCode::DefineFont2;
        t.font.flags = static_cast<std::uint8_t>((base.bold ? 1 : 0) | (base.italic ? 2 : 0));
        if (t.font.nameBytes.empty()) {
            t.font.nameBytes = fontNameBytes(base.name, m_version);
        }
        auto seen = m_fonts.observed.find(base.id);
        if (seen != m_fonts.observed.end()) {
            t.observed = seen->second;
        }
    }
    return it->second;
}

FontTarget& FontTargets::added(const std::string& name, bool bold, bool italic, TagCode code, bool device) {
    std::string key = (device ? "device:" : "new:") + std::to_string(toU16(code)) + (bold ? "b" : "") +
                      (italic ? "i" : "") + ":" + name;
    auto [it, isNew] = m_targets.try_emplace(key);
    if (isNew) {
        FontTarget& t = it->second;
        t.kind = device ? FontTarget::Kind::Device : FontTarget::Kind::New;
        t.font.code = code;
        t.font.name = name;
        t.font.nameBytes = fontNameBytes(name, m_version);
        t.font.bold = bold;
        t.font.italic = italic;
        t.font.flags = static_cast<std::uint8_t>((bold ? 0x01 : 0) | (italic ? 0x02 : 0));
        t.font.language = m_version >= 6 ? 1 : 0; // Latin
        t.font.hasLayout = !device;
    }
    return it->second;
}

std::string FontTargets::keyOf(const FontTarget& t) const {
    for (const auto& [key, value] : m_targets) {
        if (&value == &t) {
            return key;
        }
    }
    return {};
}

void FontTargets::completeGlyphs(FontTarget& t, const Media& media) {
    std::u32string missing;
    for (const std::u32string& request : t.requests) {
        for (char32_t c : request) {
            if (c == U'\r' || c == U'\n' || t.font.indexOf(c) >= 0 || missing.find(c) != std::u32string::npos ||
                t.refused.count(c)) {
                continue;
            }
            if (c > 0xFFFF) {
                t.refused[c] = makeError(ErrorCode::Unsupported,
                                         codePointName(c) + " is past what a font's 16-bit code table can hold");
                continue;
            }
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
    // The provider leaves out what no installed font can draw: those characters are refused.
    std::map<char32_t, std::int32_t> advances;
    for (const GlyphOutline& o : *glyphs) {
        advances[o.code] = o.advance;
    }
    for (char32_t c : missing) {
        if (!advances.count(c)) {
            t.refused[c] = makeError(ErrorCode::Unsupported, "no installed font can draw " + codePointName(c));
        }
    }
    // Only the glyphs of texts that will be set: a refused text leaves the font as it was.
    std::set<char32_t> wanted;
    for (const std::u32string& request : t.requests) {
        if (!t.refusal(request)) {
            wanted.insert(request.begin(), request.end());
        }
    }
    std::erase_if(*glyphs, [&](const GlyphOutline& o) { return !wanted.count(o.code); });
    if (glyphs->empty()) {
        return;
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

void FontTargets::complete(Movie& movie, const Media& media) {
    std::set<std::uint16_t> ids = usedIds(movie);
    for (auto& [key, t] : m_targets) {
        if (t.kind != FontTarget::Kind::Device) {
            completeGlyphs(t, media);
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
            Result<Bytes> bytes = writeDefineFont(t.font, movie.version);
            if (bytes) {
                t.encoded = std::move(*bytes);
            } else {
                t.failed = true;
                t.failure = bytes.error();
            }
        }
    }
}

std::map<std::uint16_t, const FontTarget*> FontTargets::extended() const {
    std::map<std::uint16_t, const FontTarget*> out;
    for (const auto& [key, t] : m_targets) {
        if (t.kind == FontTarget::Kind::Existing && t.renumbering && !t.failed) {
            out[t.font.id] = &t;
        }
    }
    return out;
}

void FontTargets::write(Movie& m) {
    std::vector<std::pair<std::size_t, Tag>> inserts;
    std::vector<std::size_t> removals;
    for (auto& [key, t] : m_targets) {
        if (t.failed || (t.kind != FontTarget::Kind::Existing && !t.used)) {
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
    std::stable_sort(inserts.begin(), inserts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& [at, tag] : inserts) {
        m.tags.insert(m.tags.begin() + static_cast<std::ptrdiff_t>(at), std::move(tag));
    }
}

} // namespace glw::swf::generator
