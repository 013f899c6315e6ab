// Creating the QApplication once, choosing the platform, and the desktop driver.
#include "Desktop.h"

#include "QtDriver.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace glw::qt {

namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The QApplication lives until the process ends: windows, the clipboard and the font list need it, and the
// program ends with std::exit from inside the event loop (see QtDriver::setEndHandler).
QApplication* application(int argc, char** argv) {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return existing;
    }
    static int s_argc = 0;
    s_argc = argc;
    const bool platformAsked = !env("QT_QPA_PLATFORM").empty();
    if (!platformAsked) {
        // Try the display's own platform and fall back to none at all, so that a display that cannot be
        // reached gives a message instead of Qt's abort. Only for this process: programs it starts choose
        // for themselves.
        const bool wayland = !env("WAYLAND_DISPLAY").empty();
        qputenv("QT_QPA_PLATFORM", wayland ? "wayland;xcb;offscreen" : "xcb;offscreen");
    }
    auto* app = new QApplication(s_argc, argv);
    if (!platformAsked) {
        qunsetenv("QT_QPA_PLATFORM");
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            std::fprintf(stderr, "cannot open the display %s\n", env("DISPLAY").c_str());
            return nullptr;
        }
    }
    return app;
}

} // namespace

bool displayAvailable() {
    return !env("QT_QPA_PLATFORM").empty() || !env("DISPLAY").empty() || !env("WAYLAND_DISPLAY").empty();
}

bool openDesktop(int argc, char** argv) {
    if (!displayAvailable()) {
        return false;
    }
    static bool s_unusable = false; // the display failed once: QApplication cannot be made again
    if (s_unusable) {
        return false;
    }
    if (!application(argc, argv)) {
        s_unusable = true;
        return false;
    }
    return true;
}

std::unique_ptr<forms::UiDriver> makeDesktopDriver(forms::Runtime& runtime, std::shared_ptr<MovieViews> movieViews) {
    return std::make_unique<QtDriver>(runtime, std::move(movieViews));
}

std::unique_ptr<forms::UiDriver> makeDesktopDriver(forms::Runtime& runtime, int argc, char** argv) {
    return openDesktop(argc, argv) ? makeDesktopDriver(runtime) : nullptr;
}

} // namespace glw::qt
