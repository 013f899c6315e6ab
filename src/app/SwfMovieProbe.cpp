// The movie probe on the SWF engine.
#include "SwfMovieProbe.h"

#include "swf/Header.h"

#include <cmath>

namespace glw::app {

std::optional<platform::MovieSize> SwfMovieProbe::size(const std::string& hostPath) {
    auto header = swf::readSwfHeader(hostPath);
    if (!header) {
        return std::nullopt;
    }
    return platform::MovieSize{int(std::lround(header->widthPixels)), int(std::lround(header->heightPixels))};
}

} // namespace glw::app
