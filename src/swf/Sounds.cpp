// Event sounds (DefineSound) and the names movies export their characters under (ExportAssets).
#include "swf/Sounds.h"

#include "swf/Records.h"

namespace glw::swf {

Result<SoundInfo> readDefineSound(const Tag& tag) {
    ByteReader r(tag.payload());
    SoundInfo s;
    s.id = r.u16();
    std::uint8_t flags = r.u8();
    s.sampleCount = r.u32();
    if (r.failed()) {
        return makeError(ErrorCode::Truncated, "a sound is cut short");
    }
    s.format = flags >> 4;
    s.rate = (flags >> 2) & 3;
    s.sixteenBit = flags & 2;
    s.stereo = flags & 1;
    return s;
}

Bytes writeDefineSound(std::uint16_t id, const Mp3Sound& sound) {
    ByteWriter w(7 + sound.soundData.size());
    w.u16(id);
    w.u8(sound.packedFormat);
    w.u32(sound.sampleCount);
    w.bytes(sound.soundData);
    return w.take();
}

std::map<std::uint16_t, std::string> readExportAssets(const std::vector<Tag>& tags, std::uint8_t version) {
    std::map<std::uint16_t, std::string> names;
    walkTags(tags, [&](const Tag& tag, int) {
        if (tag.code() != TagCode::ExportAssets) {
            return true;
        }
        ByteReader r(tag.payload());
        unsigned count = r.u16();
        for (unsigned i = 0; i < count; ++i) {
            std::uint16_t id = r.u16();
            std::string_view name = r.cstring();
            if (r.failed()) {
                break;
            }
            // Players take the first name an id is exported under.
            names.try_emplace(id, decodeMovieText(name, version));
        }
        return true;
    });
    return names;
}

} // namespace glw::swf
