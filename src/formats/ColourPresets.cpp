// The colour presets: written a line each, read back by their marks.
#include "formats/ColourPresets.h"

#include "vb/VbError.h"
#include "vb/VbText.h"

namespace glw::formats {

namespace {

Result<void> checkPart(std::string_view value, std::initializer_list<std::string_view> refused, std::string_view what) {
    if (value.empty()) {
        return makeError(ErrorCode::Invalid, std::string(what) + " of a preset is empty.");
    }
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        return makeError(ErrorCode::Invalid,
                         std::string(what) + " \"" + std::string(value) + "\" may not hold a line break.");
    }
    for (std::string_view mark : refused) {
        if (value.find(mark) != std::string_view::npos) {
            return makeError(ErrorCode::Invalid, std::string(what) + " \"" + std::string(value) + "\" may not hold \"" +
                                                     std::string(mark) + "\".");
        }
    }
    return {};
}

double leadingNumber(std::string_view text) {
    try {
        return vb::Val(text);
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

} // namespace

Result<std::string> writeColourPresets(const ColourPresets& list) {
    std::string bytes;
    for (const auto& preset : list.presets) {
        if (auto ok = checkPart(preset.name, {"]", "-+"}, "The name"); !ok) {
            return ok.error();
        }
        if (auto ok = checkPart(preset.data, {"+-"}, "The data"); !ok) {
            return ok.error();
        }
        bytes += "[" + preset.name + "]-+" + preset.data + "+-\r\n";
    }
    return bytes;
}

ColourPresets readColourPresets(std::string_view bytes) {
    ColourPresets list;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        const std::string_view line = bytes.substr(start, end == std::string_view::npos ? end : end - start);
        ColourPreset preset{vb::textBetween(line, "[", "]"), vb::textBetween(line, "-+", "+-")};
        if (!preset.name.empty() && !preset.data.empty()) {
            list.presets.push_back(std::move(preset));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return list;
}

std::string writePresetColour(const PresetColour& colour) {
    return "(" + vb::CStr(colour.red) + "){" + vb::CStr(colour.green) + "}<" + vb::CStr(colour.blue) + ">";
}

PresetColour readPresetColour(std::string_view data) {
    return {leadingNumber(vb::textBetween(data, "(", ")")), leadingNumber(vb::textBetween(data, "{", "}")),
            leadingNumber(vb::textBetween(data, "<", ">"))};
}

} // namespace glw::formats
