// The clip maker's named movies: one per kind of element the engine scans, a clip with all of them,
// and the movies of the application folder.
#pragma once

#include "swfmaker/Clips.h"

#include <string>
#include <string_view>
#include <vector>

namespace glw::tools {

// Names of the preset movies, in a fixed order: "blank", "titlebar", "texts", "links", "fscommand",
// "exit", "image", "sound", "sprite", "full", "long-headers".
std::vector<std::string> presetNames();

// The clip description of a preset (not for "blank" and "titlebar", which are fixed movies).
// NotFound for an unknown name.
Result<ClipSpec> presetSpec(std::string_view name);

// The movie of a preset at the given compression; a tintable clip takes the tint variables (see
// ClipSpec::tintable). NotFound for an unknown name; Invalid for a tintable "blank" or "titlebar".
Result<Bytes> makePreset(std::string_view name, Compression compression, bool tintable = false);

} // namespace glw::tools
