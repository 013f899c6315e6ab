// Static texts: each DefineText/DefineText2 decoded through its fonts and offered; an edited text is
// laid out again in its font (gaining glyphs), another font of the movie, or a font added for it.
#include "swf/GeneratorParts.h"

#include <algorithm>

namespace glw::swf::generator {

void TextElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                        MovieFonts& fonts, ElementOrder& order, Problems& problems) {
    Result<StaticText> text = readDefineText(tag);
    if (!text) {
        problems.unreadable(movie, tag, text.error());
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
        auto it = fonts.fonts.find(id);
        if (it != fonts.fonts.end() && !it->second.hasLayout) {
            observeAdvances(*text, id, it->second.emSquare(), fonts.observed[id]);
        }
    }
    Result<DecodedText> decoded = decodeStaticText(*text, fonts.fonts);
    if (!decoded) {
        // A font without character codes: the text cannot be read, so it is not offered.
        problems.unreadable(movie, tag, decoded.error());
        return;
    }
    if (!allowText(events, decoded->text)) {
        return;
    }
    Site site;
    site.path = path;
    site.detected = decoded->text;
    site.fontId = decoded->fontId;
    site.fontName = fonts.nameOf(decoded->fontId);
    site.height = decoded->height;
    site.element.Text = site.detected;
    site.element.FontName = site.fontName;
    site.element.FontHeight = site.height;
    site.order = order.take();
    if (events.OnSubText) {
        events.OnSubText(site.element);
    }
    m_sites.push_back(std::move(site));
}

void TextElements::plan(const Movie& m, const MovieFonts& fonts, FontTargets& targets, Problems& problems) {
    m_plans.clear();
    for (const Site& site : m_sites) {
        const TextElement& e = site.element;
        if (!e.NeedSub) {
            continue;
        }
        std::uint16_t height = site.height;
        if (e.FontHeight > 0) {
            Result<std::uint16_t> stored = storedTextHeight(e.FontHeight);
            if (!stored) {
                problems.note(stored.error().code,
                              "text \"" + site.detected + "\" not replaced: " + stored.error().detail, site.order);
                continue;
            }
            height = *stored;
        }
        std::string fontName = e.FontName.empty() ? site.fontName : e.FontName;
        bool sameFont = base::iequals(fontName, site.fontName);
        if (e.Text == site.detected && sameFont && height == site.height) {
            continue;
        }
        Plan plan;
        plan.site = &site;
        plan.characters = cleanText(e.Text);
        plan.height = height;
        auto own = fonts.fonts.find(site.fontId);
        const Font* base = sameFont && own != fonts.fonts.end() ? &own->second : fonts.glyphFontNamed(fontName);
        FontTarget* target = nullptr;
        if (base && base->code != TagCode::DefineFont) {
            target = &targets.existing(*base);
        } else if (base) {
            bool complete = std::all_of(plan.characters.begin(), plan.characters.end(),
                                        [&](char32_t c) { return c == U'\r' || c == U'\n' || base->indexOf(c) >= 0; });
            target = complete ? &targets.existing(*base) : &targets.converted(*base);
        } else {
            Result<std::string> name = encodeExactly(withoutNul(fontName), m.version);
            if (!name) {
                problems.note(name.error().code,
                              "text \"" + site.detected + "\" not replaced: font name: " + name.error().detail,
                              site.order);
                continue;
            }
            const Font* style = own != fonts.fonts.end() ? &own->second : nullptr;
            TagCode code = style && style->code == TagCode::DefineFont3 ? TagCode::DefineFont3 : TagCode::DefineFont2;
            target = &targets.added(fontName, style && style->bold, style && style->italic, code, false);
        }
        target->requests.push_back(plan.characters);
        if (target->kind != FontTarget::Kind::Existing) {
            target->insertBefore = std::min<std::size_t>(target->insertBefore, site.path.front());
        }
        plan.target = targets.keyOf(*target);
        m_plans.push_back(std::move(plan));
    }
}

void TextElements::apply(Movie& m, FontTargets& targets, Problems& problems) const {
    std::map<TagPath, const Plan*> planned;
    for (const Plan& plan : m_plans) {
        planned[plan.site->path] = &plan;
    }
    std::map<std::uint16_t, const FontTarget*> extended = targets.extended();
    walkWithPath(m.tags, [&](Tag& tag, const TagPath& p) {
        if (!hasTrait(tag.code(), kStaticText)) {
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
            FontTarget& t = targets.at(plan->second->target);
            std::string what = "text \"" + plan->second->site->detected + "\" not replaced: ";
            std::optional<Error> refused = t.refusal(plan->second->characters);
            if (t.failed) {
                problems.note(t.failure.code, what + t.failure.detail, plan->second->site->order);
            } else if (refused) {
                problems.note(refused->code, what + refused->detail, plan->second->site->order);
            } else {
                StaticText laid = *text;
                Result<void> ok =
                    layoutStaticText(laid, t.font, t.observed, plan->second->characters, plan->second->height);
                if (ok) {
                    t.used = true;
                    tag.setPayload(writeDefineText(laid));
                    return;
                }
                problems.note(ok.error().code, what + ok.error().detail, plan->second->site->order);
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
    });
}

} // namespace glw::swf::generator
