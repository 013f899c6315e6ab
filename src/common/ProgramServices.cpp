// The real services of a program.
#include "ProgramServices.h"

#include "swf/Header.h"

#include <cmath>

namespace glw::common {

std::optional<forms::MovieSize> readMovieSize(const std::string& hostPath) {
    auto header = swf::readSwfHeader(hostPath);
    if (!header)
        return std::nullopt;
    return forms::MovieSize{int(std::lround(header->widthPixels)), int(std::lround(header->heightPixels))};
}

forms::Services desktopServices() {
    forms::Services services;
    services.movieProbe = readMovieSize;
    return services;
}

forms::LaunchOptions launchOptions(forms::DesktopFactory desktop) {
    forms::LaunchOptions options;
    options.desktop = std::move(desktop);
    options.services = desktopServices;
    return options;
}

} // namespace glw::common
