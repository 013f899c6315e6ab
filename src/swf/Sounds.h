// Event sounds (DefineSound) and the names movies export their characters under (ExportAssets).
#pragma once

#include "base/Result.h"
#include "swf/Bytes.h"
#include "swf/Media.h"
#include "swf/Movie.h"

#include <cstdint>
#include <map>
#include <string>

namespace glw::swf {

struct SoundInfo {
    std::uint16_t id = 0;
    std::uint8_t format = 0; // SoundFormat (2 = MP3)
    std::uint8_t rate = 0;   // SoundRate (0 = 5.5 kHz ... 3 = 44 kHz)
    bool sixteenBit = false;
    bool stereo = false;
    std::uint32_t sampleCount = 0;
};

[[nodiscard]] Result<SoundInfo> readDefineSound(const Tag& tag);

// A DefineSound payload for an MP3 sound under the given id.
Bytes writeDefineSound(std::uint16_t id, const Mp3Sound& sound);

// Character id to exported name for every ExportAssets tag of the movie, sprites included;
// the first name an id is exported under is taken, as players do. Names are decoded to UTF-8.
std::map<std::uint16_t, std::string> readExportAssets(const std::vector<Tag>& tags, std::uint8_t version);

} // namespace glw::swf
