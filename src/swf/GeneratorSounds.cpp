// Event sounds: each DefineSound offered with its id and exported name; a replacement MP3's frames
// become the sound's data.
#include "swf/GeneratorParts.h"

namespace glw::swf::generator {

void SoundElements::scan(SwfGenerator& events, const Movie& movie, const Tag& tag, const TagPath& path,
                         Problems& problems) {
    Result<SoundInfo> info = readDefineSound(tag);
    if (!info) {
        problems.unreadable(movie, tag, info.error());
        return;
    }
    SoundElement e;
    e.SoundId = info->id;
    auto it = m_exports.find(info->id);
    e.SoundName = it == m_exports.end() ? std::string() : it->second;
    if (events.OnSubSound) {
        events.OnSubSound(e);
    }
    m_sites.push_back(Site{path, *info, std::move(e)});
}

void SoundElements::apply(Movie& m, Mp3Reader* mp3, Problems& problems) const {
    for (const Site& site : m_sites) {
        const SoundElement& e = site.element;
        if (!e.NeedSub || e.SoundFile.empty()) {
            continue;
        }
        std::string what = "sound " + std::to_string(site.info.id) + " not replaced: ";
        if (!mp3) {
            problems.note(ErrorCode::Unsupported, what + "no MP3 reader");
            continue;
        }
        Result<Mp3Sound> sound = mp3->readFile(e.SoundFile);
        if (!sound) {
            problems.note(sound.error().code, what + sound.error().detail);
            continue;
        }
        tagAt(m.tags, site.path).setPayload(writeDefineSound(site.info.id, *sound));
    }
}

} // namespace glw::swf::generator
