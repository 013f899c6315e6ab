// Edit texts: each DefineEditText offered with its text as stored (HTML fields: the markup); an edit
// sets the text exactly as given, a font of the movie or a device font added for it, and the height.
#include "swf/GeneratorParts.h"

#include <algorithm>

namespace glw::swf::generator {

namespace {

char32_t entityValue(std::u32string_view entity) {
    if (entity == U"lt") {
        return U'<';
    }
    if (entity == U"gt") {
        return U'>';
    }
    if (entity == U"amp") {
        return U'&';
    }
    if (entity == U"quot") {
        return U'"';
    }
    if (entity == U"apos") {
        return U'\'';
    }
    if (entity == U"nbsp") {
        return 0xA0;
    }
    if (entity.size() < 2 || entity[0] != U'#') {
        return 0;
    }
    bool hex = entity[1] == U'x' || entity[1] == U'X';
    char32_t n = 0;
    for (std::size_t k = hex ? 2 : 1; k < entity.size() && n < 0x110000; ++k) {
        char32_t d = entity[k];
        int digit = (d >= U'0' && d <= U'9')          ? int(d - U'0')
                    : hex && (d >= U'a' && d <= U'f') ? int(d - U'a' + 10)
                    : hex && (d >= U'A' && d <= U'F') ? int(d - U'A' + 10)
                                                      : -1;
        if (digit < 0) {
            return 0;
        }
        n = n * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    return n;
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
                if (char32_t value = entityValue(html.substr(i + 1, semi - i - 1))) {
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

} // namespace

void EditTextElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                            const MovieFonts& fonts, ElementOrder& order, Problems& problems) {
    Result<EditText> field = readDefineEditText(tag);
    if (!field) {
        problems.unreadable(movie, tag, field.error());
        return;
    }
    Site site;
    site.path = path;
    // As stored, line breaks included: what is written back unchanged must compare equal.
    site.detected = decodeMovieText(field->initialText, movie.version);
    if (field->hasFont()) {
        site.fontName = fonts.nameOf(field->fontId);
    } else if (field->hasFontClass()) {
        site.fontName = decodeMovieText(field->fontClass, movie.version);
    }
    site.height = field->fontHeight;
    if (!allowText(events, site.detected)) {
        return;
    }
    site.element.Text = site.detected;
    site.element.FontName = site.fontName;
    site.element.FontHeight = site.height;
    site.order = order.take();
    if (events.OnSubEditText) {
        events.OnSubEditText(site.element);
    }
    m_sites.push_back(std::move(site));
}

void EditTextElements::plan(Movie& m, const MovieFonts& fonts, FontTargets& targets, Problems& problems) {
    m_plans.clear();
    for (const Site& site : m_sites) {
        const EditTextElement& e = site.element;
        if (!e.NeedSub) {
            continue;
        }
        std::string what = "edit text \"" + site.detected + "\" not replaced: ";
        Result<EditText> field = readDefineEditText(tagAt(m.tags, site.path));
        if (!field) {
            problems.note(field.error().code, what + field.error().detail, site.order);
            continue;
        }
        Plan plan;
        plan.site = &site;
        plan.field = std::move(*field);
        plan.textChanged = e.Text != site.detected;
        bool fontChanged = !e.FontName.empty() && !base::iequals(e.FontName, site.fontName);
        bool heightChanged = e.FontHeight > 0 && e.FontHeight != site.height;
        if (!plan.textChanged && !fontChanged && !heightChanged) {
            continue;
        }
        if (Result<std::uint16_t> stored = storedTextHeight(e.FontHeight); heightChanged && !stored) {
            problems.note(stored.error().code, what + stored.error().detail, site.order);
            continue;
        }
        if (plan.textChanged) {
            Result<std::string> stored = encodeExactly(withoutNul(e.Text), m.version);
            if (!stored) {
                problems.note(stored.error().code, what + stored.error().detail, site.order);
                continue;
            }
            plan.encodedText = std::move(*stored);
        }
        std::u32string text = cleanText(e.Text);
        plan.characters = (plan.field.flags & EditText::kHtml) ? visibleHtml(text) : text;
        FontTarget* target = nullptr;
        if (fontChanged) {
            if (const Font* f = fonts.editFontNamed(e.FontName)) {
                target = &targets.existing(*f);
            } else {
                Result<std::string> name = encodeExactly(withoutNul(e.FontName), m.version);
                if (!name) {
                    problems.note(name.error().code, what + "font name: " + name.error().detail, site.order);
                    continue;
                }
                target = &targets.added(e.FontName, false, false, TagCode::DefineFont2, true);
                target->insertBefore = std::min<std::size_t>(target->insertBefore, site.path.front());
            }
        } else if (plan.field.hasFont()) {
            auto it = fonts.fonts.find(plan.field.fontId);
            if (it != fonts.fonts.end() && it->second.code != TagCode::DefineFont) {
                target = &targets.existing(it->second);
            }
        }
        if (target) {
            // Glyph text shows only characters its font has: add the missing ones.
            if ((plan.field.flags & EditText::kUseOutlines) && target->font.glyphCount() > 0) {
                target->requests.push_back(plan.characters);
                plan.needsGlyphs = true;
            }
            plan.target = targets.keyOf(*target);
        }
        m_plans.push_back(std::move(plan));
    }
}

void EditTextElements::apply(Movie& m, FontTargets& targets, Problems& problems) const {
    for (const Plan& plan : m_plans) {
        EditText f = plan.field;
        const EditTextElement& e = plan.site->element;
        std::string what = "edit text \"" + plan.site->detected + "\" not replaced: ";
        if (!plan.target.empty()) {
            FontTarget& t = targets.at(plan.target);
            if (t.failed && (t.kind != FontTarget::Kind::Existing || plan.needsGlyphs)) {
                problems.note(t.failure.code, what + t.failure.detail, plan.site->order);
                continue;
            }
            if (std::optional<Error> refused = plan.needsGlyphs ? t.refusal(plan.characters) : std::nullopt) {
                problems.note(refused->code, what + refused->detail, plan.site->order);
                continue;
            }
            t.used = true;
            f.flags = static_cast<std::uint16_t>((f.flags | EditText::kHasFont) & ~EditText::kHasFontClass);
            f.fontClass.clear();
            f.fontId = t.font.id;
            if (t.font.glyphCount() == 0) {
                f.flags &= static_cast<std::uint16_t>(~EditText::kUseOutlines); // a device font draws it
            }
        }
        if (e.FontHeight > 0 && (f.hasFont() || f.hasFontClass())) {
            f.fontHeight = static_cast<std::uint16_t>(e.FontHeight); // checked by the plan
        }
        if (plan.textChanged) {
            // Exactly what the editor gave, line breaks included.
            f.initialText = plan.encodedText;
            if (!f.initialText.empty()) {
                f.flags |= EditText::kHasText;
            }
        }
        tagAt(m.tags, plan.site->path).setPayload(writeDefineEditText(f));
    }
}

} // namespace glw::swf::generator
