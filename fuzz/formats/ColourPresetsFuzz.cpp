// Fuzz target: any bytes read as a colour presets file, every preset's values read as when it is chosen; a
// list the writer takes reads back exactly.
#include "formats/ColourPresets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glw::formats;
    const ColourPresets list = readColourPresets(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& preset : list.presets) {
        (void)readPresetColour(preset.data);
    }
    auto written = writeColourPresets(list);
    if (written && readColourPresets(*written) != list) {
        std::abort();
    }
    return 0;
}
