// Fuzz target: any bytes read as an object tag; a tag that reads is one its writer takes, and writes back to
// the same bytes.
#include "formats/ObjectTag.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The add-in's reading of sizes and variables takes any text without failing.
    const FlashPlacement placement = readFlashPlacement(bytes);
    if (placement.width < 1 || placement.height < 1) {
        std::abort();
    }
    auto tag = readObjectTag(bytes);
    if (!tag) {
        return 0;
    }
    auto written = writeObjectTag(*tag);
    if (written && *written != bytes) {
        std::abort();
    }
    return 0;
}
