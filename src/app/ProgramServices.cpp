// The real services of a program.
#include "ProgramServices.h"

#include "platform/ServicesReal.h"
#include "platform/UrlCache.h"
#include "swf/Header.h"

#include <cmath>
#include <cstdio>

namespace glw::app {

std::optional<forms::MovieSize> readMovieSize(const std::string& hostPath) {
    auto header = swf::readSwfHeader(hostPath);
    if (!header) {
        return std::nullopt;
    }
    return forms::MovieSize{int(std::lround(header->widthPixels)), int(std::lround(header->heightPixels))};
}

forms::Services desktopServices() {
    forms::Services services;
    auto log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    services.settings = std::make_shared<platform::IniSettingsStore>(platform::IniSettingsStore::defaultFolder(), log);
    services.shell = std::make_shared<platform::DesktopShell>("xdg-open", log);
    services.fonts = std::make_shared<platform::FontconfigFontList>();
    services.pictures = std::make_shared<platform::JpegPictureLoader>();
    services.clock = std::make_shared<platform::SystemClock>();
    services.random = std::make_shared<platform::StdRandom>();
    services.urlCache = std::make_shared<platform::BrowserUrlCache>();
    services.movieProbe = readMovieSize;
    services.registry = std::make_shared<platform::FileRegistry>();
    return services;
}

forms::LaunchOptions launchOptions(forms::DesktopFactory desktop) {
    forms::LaunchOptions options;
    options.desktop = std::move(desktop);
    options.services = desktopServices;
    return options;
}

} // namespace glw::app
