// The one place that chooses every service of a program, and the launcher options that carry them.
#include "ProgramServices.h"

#include "SwfMovieProbe.h"
#include "platform/BrowserCache.h"
#include "platform/BrowserWindows.h"
#include "platform/FileRegistry.h"
#include "platform/Registry.h"
#include "platform/ServicesMemory.h"
#include "platform/ServicesReal.h"

#ifdef GLW_HAVE_DESKTOP
#include "desktop/Desktop.h"
#include "desktop/MovieView.h"
#include "desktop/QtClipboard.h"
#endif
#ifdef GLW_HAVE_MOVIE_PLAYER
#include "desktop/movie/PlayerViews.h"
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace glw::app {

forms::Services programServices(bool windows) {
    forms::Services services;
    auto log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    services.settings = std::make_shared<platform::IniSettingsStore>(platform::IniSettingsStore::defaultFolder(), log);
    services.shell = std::make_shared<platform::DesktopShell>("xdg-open", log, "xdg-mime");
    services.pictures = std::make_shared<platform::JpegPictureLoader>();
    services.clock = std::make_shared<platform::SystemClock>();
    services.random = std::make_shared<platform::StdRandom>();
    services.cache = std::make_shared<platform::BrowserCache>();
    services.movieProbe = std::make_shared<SwfMovieProbe>();
    services.registry = std::make_shared<platform::FileRegistry>();
    services.browserWindows = std::make_shared<platform::SessionFileBrowserWindows>();
    services.fonts = std::make_shared<platform::FontconfigFontList>();
    services.clipboard = std::make_shared<platform::MemoryClipboard>();
#ifdef GLW_HAVE_DESKTOP
    if (windows) {
        services.fonts = std::make_shared<qt::QtFontList>();
        services.clipboard = std::make_shared<qt::QtClipboard>(qt::QtClipboard::defaultHolderPath());
    }
#else
    (void)windows;
#endif
    if (const char* file = std::getenv("GLW_CLIPBOARD"); file && *file) {
        services.clipboard = std::make_shared<platform::FileClipboard>(file, log);
    }
    return services;
}

forms::LaunchOptions launchOptions() {
    forms::LaunchOptions options;
    options.services = programServices;
#ifdef GLW_HAVE_DESKTOP
    options.openDesktop = qt::openDesktop;
    std::shared_ptr<qt::MovieViews> movieViews;
#ifdef GLW_HAVE_MOVIE_PLAYER
    movieViews = std::make_shared<qt::movie::PlayerMovieViews>();
#endif
    options.desktopDriver = [movieViews](forms::Runtime& runtime) {
        return qt::makeDesktopDriver(runtime, movieViews);
    };
#endif
    return options;
}

} // namespace glw::app
