// Fuzz target: any palette file, loaded into the custom palette, gives defined colours, searches and shades.
#include "colour/Palette.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto records = glw::colour::decodePalette(bytes);
    if (!records) {
        return 0;
    }
    glw::colour::PaletteModel model;
    for (std::size_t k = 0; k < records->size(); ++k) {
        const auto& r = (*records)[k];
        auto& e = model.CustomEntries[k];
        e.Color = r.Color;
        e.Hue = r.Hue;
        e.Saturation = r.Saturation;
        e.Luminance = r.Luminance;
    }
    model.PalType = "Custom";
    model.BuildPalette();
    for (const auto& r : *records) {
        model.BaseEntry = model.FindBaseEntry(r.Color);
        model.BuildShadePalette();
        (void)model.FindNearestEntry(r.Color);
        (void)glw::colour::HlsToRgb({r.Hue, r.Saturation, r.Luminance});
        (void)glw::colour::RgbToHls(r.Color);
        (void)glw::colour::HueToRgb(r.Hue, r.Saturation, r.Luminance);
    }
    return 0;
}
