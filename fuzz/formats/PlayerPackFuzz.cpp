// Fuzz target: any bytes, read as a player manifest and as a pack and unpacked, are refused or handed on
// within the manifest's bounds; a manifest that reads is written, and what is written reads back the same.
#include "formats/PlayerPack.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // What was written reads back and writes the same.
    if (auto manifest = glw::formats::readPlayerManifest(bytes); manifest) {
        const std::string written = glw::formats::writePlayerManifest(*manifest);
        const auto again = glw::formats::readPlayerManifest(written);
        if (!again || glw::formats::writePlayerManifest(*again) != written) {
            std::abort();
        }
    }
    if (auto pack = glw::formats::readPlayerPack(bytes); pack) {
        (void)glw::formats::unpackPlayer(*pack, [](const glw::formats::PlayerFileEntry& entry, std::string_view file) {
            if (file.size() != entry.size) {
                std::abort();
            }
            return glw::Result<void>();
        });
    }
    return 0;
}
