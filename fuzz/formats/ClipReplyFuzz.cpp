// Fuzz target: any bytes read as the add-in reply; a reply that reads writes back to the same bytes, and no
// accepted target folder climbs out of the page's folder.
#include "formats/ClipText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)looksLikeClipReply(bytes);
    auto reply = readClipReply(bytes);
    if (!reply) {
        return 0;
    }
    for (const auto& file : reply->files) {
        const std::string folder = "/" + file.folder + "/";
        if (folder.find("/../") != std::string::npos || folder.find("\\..\\") != std::string::npos ||
            folder.find("/..\\") != std::string::npos || folder.find("\\../") != std::string::npos ||
            folder.find(':') != std::string::npos ||
            (!file.folder.empty() && (file.folder[0] == '/' || file.folder[0] == '\\'))) {
            std::abort();
        }
    }
    auto written = writeClipReply(*reply);
    if (!written || *written != bytes) {
        std::abort();
    }
    return 0;
}
