// The SWF generator object of the clip editor: loads a movie, hands each tag to the part for its
// element kind (GeneratorParts.h), which raises the events and later applies the new values, then
// rescales and saves the movie.
#include "swf/SwfGenerator.h"

#include "swf/GeneratorParts.h"
#include "swf/Scale.h"

#include <algorithm>
#include <exception>
#include <set>

namespace glw::swf {

using namespace generator;

struct SwfGenerator::Impl {
    Media media;
    bool raise = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::optional<Movie> movie;
    MovieFonts fonts;
    LinkElements links;
    TextElements texts;
    EditTextElements edits;
    ImageElements images;
    SoundElements sounds;
    ElementOrder order;
    Problems scanProblems;
    Problems errors;

    void clear() {
        movie.reset();
        fonts.clear();
        links.clear();
        texts.clear();
        edits.clear();
        images.clear();
        sounds.clear();
        order.clear();
        scanProblems.clear();
        errors.clear();
    }

    void scan(Movie& m, SwfGenerator& g) {
        sounds.prepare(m);
        walkWithPath(m.tags, [&](Tag& tag, const TagPath& p) {
            TagCode code = tag.code();
            if (hasTrait(code, kStaticText)) {
                texts.scan(g, m, tag, p, fonts, order, scanProblems);
            } else if (code == TagCode::DefineEditText) {
                edits.scan(g, m, tag, p, fonts, order, scanProblems);
            } else if (hasTrait(code, kImage)) {
                images.scan(g, m, tag, p, fonts.jpegTables, media.jpeg, order, scanProblems);
            } else if (code == TagCode::DefineSound) {
                sounds.scan(g, m, tag, p, order, scanProblems);
            } else {
                links.scan(g, m, tag, p, order, scanProblems);
            }
        });
    }

    void applyTexts(Movie& m) {
        FontTargets targets(fonts, m.version);
        texts.plan(m, fonts, targets, errors);
        edits.plan(m, fonts, targets, errors);
        if (!texts.planned() && !edits.planned()) {
            return;
        }
        targets.complete(m, media);
        texts.apply(m, targets, errors);
        edits.apply(m, targets, errors);
        targets.write(m);
    }
};

namespace {

// An edit may add tags the movie's version does not have yet (DefineBitsJPEG2 in a version 1 movie,
// a DefineFont2 in a version 1 or 2 one): the version is raised as far as they need. Only kinds the
// loaded movie did not hold count: a movie that already carried newer tags keeps its version.
// Raising a movie of version 5 or older to 6 or later would change how every text in it is read,
// so that is refused instead.
Result<void> raiseVersionForTags(const Movie& loaded, Movie& m) {
    std::set<TagCode> held;
    walkTags(loaded.tags, [&](const Tag& tag, int) {
        held.insert(tag.code());
        return true;
    });
    std::uint8_t needed = m.version;
    walkTags(m.tags, [&](const Tag& tag, int) {
        if (tag.edited() && !held.count(tag.code())) {
            needed = std::max(needed, minVersion(tag.code()));
        }
        return true;
    });
    if (needed <= m.version) {
        return {};
    }
    if (m.version <= 5 && needed >= 6) {
        return makeError(ErrorCode::Unsupported, "the edit needs tags of version " + std::to_string(needed) +
                                                     ", which would change how the movie's texts are read");
    }
    m.version = needed;
    return {};
}

} // namespace

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
    return m_impl->errors.list();
}
const std::vector<std::size_t>& SwfGenerator::substitutionElements() const {
    return m_impl->errors.elements();
}
const std::vector<Error>& SwfGenerator::scanErrors() const {
    return m_impl->scanProblems.list();
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
    d.fonts.read(*d.movie, d.scanProblems);
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
        d.links.apply(working, d.errors);
        d.images.apply(working, d.media.jpeg, d.errors);
        d.sounds.apply(working, d.media.mp3, d.errors);
        d.applyTexts(working);
        Result<void> version = raiseVersionForTags(*d.movie, working);
        if (!version) {
            return version;
        }
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
