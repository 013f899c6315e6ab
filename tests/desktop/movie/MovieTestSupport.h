// What the player tests share: skipping without the player, writing a tiny movie to a temporary folder,
// waiting for the engine, and reading the colours a view or poster shows.
#pragma once

#include "TinySwf.h"
#include "desktop/movie/MoviePlayer.h"
#include "platform/TempDir.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace glw::qt::movie::test {

// The engine's first page compiles the player; a busy machine needs its while.
inline constexpr int kLoadTimeoutMs = 30000;

inline const Rgb kRed{255, 0, 0};
inline const Rgb kBlue{0, 0, 255};
inline const Rgb kGreen{0, 255, 0};

#define GLW_REQUIRE_PLAYER()                                                                                           \
    do {                                                                                                               \
        if (!::glw::qt::movie::playerAvailable())                                                                      \
            GTEST_SKIP() << "the Flash player is not installed (run scripts/setup-ruffle <build folder>)";             \
    } while (0)

inline std::string writeMovie(const platform::test::TempDir& dir, const std::string& name, const Bytes& bytes) {
    const std::string path = dir.host(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::string corpusMovie(const std::string& name) {
    return std::string(GLW_SOURCE_DIR) + "/../shared/swf-corpus/" + name;
}

// Runs the event loop until the condition holds or the time is up. QTest::qWaitFor sleeps between
// passes, which starves the web engine (its work runs as posted events): its pages start seconds later.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = kLoadTimeoutMs) {
    if (condition()) {
        return true;
    }
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition() || clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    return condition();
}

// Runs the event loop for a while.
inline void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool near(QRgb pixel, Rgb want, int tolerance = 24) {
    return std::abs(qRed(pixel) - want.r) <= tolerance && std::abs(qGreen(pixel) - want.g) <= tolerance &&
           std::abs(qBlue(pixel) - want.b) <= tolerance;
}

struct Probe {
    int x = 0;
    int y = 0;
    Rgb want;
};

inline bool shows(const QImage& image, const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
        if (!image.valid(p.x, p.y) || !near(image.pixel(p.x, p.y), p.want)) {
            return false;
        }
    }
    return true;
}

inline std::string describe(const QImage& image, const std::vector<Probe>& probes) {
    std::ostringstream out;
    out << image.width() << "x" << image.height() << ":";
    for (const Probe& p : probes) {
        const QRgb c = image.valid(p.x, p.y) ? image.pixel(p.x, p.y) : 0;
        out << " (" << p.x << "," << p.y << ")=" << qRed(c) << "/" << qGreen(c) << "/" << qBlue(c) << " want "
            << int(p.want.r) << "/" << int(p.want.g) << "/" << int(p.want.b);
    }
    return out.str();
}

// Waits until the grabbed widget shows every probe's colour (frames reach the widget a little after the
// page has drawn them). The last grab is left in last.
inline bool waitForPixels(QWidget& widget, const std::vector<Probe>& probes, QImage& last,
                          int timeoutMs = kLoadTimeoutMs) {
    return waitFor(
        [&] {
            last = widget.grab().toImage();
            return shows(last, probes);
        },
        timeoutMs);
}

} // namespace glw::qt::movie::test
