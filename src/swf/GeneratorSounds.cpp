// Event sounds: each DefineSound offered with its id and exported name; a replacement MP3's frames
// become the sound's data.
#include "swf/GeneratorParts.h"

namespace glw::swf::generator {

void SoundElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                         ElementOrder& order, Problems& problems) {
    Result<SoundInfo> info = readDefineSound(tag);
    if (!info) {
        problems.unreadable(movie, tag, info.error());
        return;
    }
    SoundElement e;
    e.SoundId = info->id;
    auto it = m_exports.find(info->id);
    e.SoundName = it == m_exports.end() ? std::string() : it->second;
    const std::size_t number = order.take();
    if (events.OnSubSound) {
        events.OnSubSound(e);
    }
    m_sites.push_back(Site{path, number, *info, std::move(e)});
}

void SoundElements::apply(Movie& m, Mp3Reader* mp3, Problems& problems) const {
    for (const Site& site : m_sites) {
        const SoundElement& e = site.element;
        if (!e.NeedSub || e.SoundFile.empty()) {
            continue;
        }
        std::string what = "sound " + std::to_string(site.info.id) + " not replaced: ";
        if (!mp3) {
            problems.note(ErrorCode::Unsupported, what + "no MP3 reader", site.order);
            continue;
        }
        Result<Mp3Sound> sound = mp3->readFile(e.SoundFile);
        if (!sound) {
            problems.note(sound.error().code, what + sound.error().detail, site.order);
            continue;
        }
        tagAt(m.tags, site.path).setPayload(writeDefineSound(site.info.id, *sound));
        // MP3 sound came with version 4: an older movie is raised to it, as for new tag kinds (the
        // versions up to 5 read texts alike, so nothing else changes).
        if (m.version < 4) {
            m.version = 4;
        }
    }
}

} // namespace glw::swf::generator
