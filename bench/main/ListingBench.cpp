// How long the main window takes to show a category of clips, by its size: the window of a library whose
// first category holds 100 clips and of one whose first holds 10,000, each until the window is painted
// with the listing in place, and a switch from a category of 100 to one of 10,000. Beside them, the floors
// taken in the same run: the same start and switch headless, where the listing itself is all the work.
// Prints each figure and its ratio beside its goal: the window of 10,000 clips at most 1.5 times as late
// as that of 100, and the switch to 10,000 clips within twice the headless listing.
//
//   glw_listing_bench [--clips N] [--repeat R]
//
// The windows are measured twice: with the movie controls as outlines (the renderer's own cost, nothing
// else), and as the program runs, with the player's views (the build's player unless GLW_RUFFLE_DIR names
// another), where the window of 100 clips also waits for the web engine's views to be made. Beside the
// switch to many clips stands a switch between two categories of 100: what a switch costs the window
// whatever the category's size.
#include "app/ProgramServices.h"
#ifdef GLW_HAVE_MOVIE_PLAYER
#include "desktop/movie/MoviePlayer.h"
#endif
#include "demolib/DemoLibrary.h"
#include "desktop/FormWindow.h"
#include "desktop/QtDriver.h"
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"
#include "main/Form1.h"
#include "main/MainProgram.h"
#include "platform/WinPath.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::function<double()>;

// A demo application folder whose categories are replaced by the given ones, each of `count` links to
// one demo clip.
fs::path makeLibrary(const fs::path& folder, const std::vector<std::pair<std::string, int>>& categories) {
    const fs::path app = folder / "app";
    const auto made = glw::tools::makeDemoLibrary(app);
    if (!made) {
        std::fprintf(stderr, "cannot lay out the demo library: %s\n", made.error().detail.c_str());
        std::exit(1);
    }
    fs::path clip;
    for (const auto& entry : fs::recursive_directory_iterator(app / "CLTemplates")) {
        if (entry.is_regular_file() && entry.path().extension() == ".swf") {
            clip = entry.path();
            break;
        }
    }
    const fs::path source = folder / "clip.swf";
    fs::copy_file(clip, source);
    fs::remove_all(app / "CLTemplates");
    for (const auto& [name, count] : categories) {
        const fs::path category = app / "CLTemplates" / name;
        fs::create_directories(category);
        for (int i = 0; i < count; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "clip%05d.swf", i);
            fs::create_hard_link(source, category / file);
        }
    }
    return app;
}

// Runs the event loop until the condition holds (or a minute passed).
bool runUntil(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition() || clock.elapsed() > 60000) {
            loop.quit();
        }
    });
    poll.start(1);
    if (!condition()) {
        loop.exec();
    }
    return condition();
}

struct Times {
    double start = 0;  // from the services until the first category is listed (and, with windows, painted)
    double change = 0; // choosing the second category until it is listed (and painted)
};

// The main program on `app`, started and switched to its second category when it has one.
enum class Ui { Headless, Outlines, Player };

Times run(const fs::path& app, Ui ui, int expectStart, int expectChange) {
    // The start counts from the program's services on, as a user's start does (less the process's own).
    QElapsedTimer clock;
    clock.start();
    glw::forms::Runtime runtime(glw::app::programServices(ui != Ui::Headless));
    glw::qt::QtDriver* driver = nullptr;
    if (ui == Ui::Player) {
        auto made = glw::app::launchOptions().desktopDriver(runtime);
        driver = dynamic_cast<glw::qt::QtDriver*>(made.get());
        driver->setEndHandler([](int) {});
        runtime.setDriver(std::move(made));
    } else if (ui == Ui::Outlines) {
        auto made = std::make_unique<glw::qt::QtDriver>(runtime);
        made->setEndHandler([](int) {});
        driver = made.get();
        runtime.setDriver(std::move(made));
    } else {
        glw::forms::headless(runtime);
    }
    runtime.App.Path = glw::platform::toSystemPath(app.string());
    auto program = std::make_unique<glw::main::MainProgram>(runtime);
    glw::main::Form1& form = program->form1();
    // Listed: the listing holds every clip; with windows, the window shows it painted (its lists of the
    // listing are hidden: they take their entries when they show).
    const auto shown = [&](int count) {
        if (form.lstFlashFiles.ListCount() != count) {
            return false;
        }
        if (!driver) {
            return true;
        }
        glw::qt::FormWindow* window = driver->window(form);
        if (!window || !window->isVisible()) {
            return false;
        }
        window->grab(); // paints the whole window now
        return true;
    };
    Times times;
    runtime.userAction("show", [&] { form.Show(); });
    if (!runUntil([&] { return shown(expectStart); })) {
        std::fprintf(stderr, "the first category never showed\n");
        std::exit(1);
    }
    times.start = double(clock.nsecsElapsed()) / 1e9;
    if (expectChange > 0) {
        // The user picks the other category a moment later, once the first page's movies are loaded.
        QEventLoop later;
        QTimer::singleShot(2000, &later, &QEventLoop::quit);
        later.exec();
        clock.restart();
        runtime.userAction("choose", [&] { form.Cats.userChoose(1); });
        if (!runUntil([&] { return shown(expectChange); })) {
            std::fprintf(stderr, "the second category never showed\n");
            std::exit(1);
        }
        times.change = double(clock.nsecsElapsed()) / 1e9;
    }
    if (driver) {
        runtime.userAction("close", [&] { form.Hide(); });
        runUntil([] { return true; });
    }
    return times;
}

// The best of `repeat` runs of one figure.
double best(int repeat, const std::function<double()>& once) {
    double t = once();
    for (int i = 1; i < repeat; ++i) {
        t = std::min(t, once());
    }
    return t;
}

void report(const char* what, double seconds, double floor, const char* floorName, double goal) {
    const double ratio = seconds / floor;
    std::printf("  %-40s %8.3f s   %6.2fx %-28s goal <= %.1fx: %s\n", what, seconds, ratio, floorName, goal,
                ratio <= goal ? "met" : "NOT MET");
}

} // namespace

int main(int argc, char** argv) {
    int clips = 10000;
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--clips") && i + 1 < argc) {
            clips = std::max(200, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--clips N] [--repeat R]\n", argv[0]);
            return 2;
        }
    }
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
#ifdef GLW_HAVE_MOVIE_PLAYER
    // The player the build laid out, unless the caller names another.
    setenv("GLW_RUFFLE_DIR", GLW_APP_DIR "/ruffle", 0);
#endif
    QApplication qapp(argc, argv);

    char pattern[] = "/tmp/glw-listing-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    fs::create_directories(work / "small");
    fs::create_directories(work / "big");
    fs::create_directories(work / "pair");
    const fs::path small = makeLibrary(work / "small", {{"A", 100}, {"B", clips}});
    const fs::path big = makeLibrary(work / "big", {{"A", clips}});
    const fs::path pair = makeLibrary(work / "pair", {{"A", 100}, {"B", 100}});

    std::printf("listing bench: categories of 100 and %d clips, best of %d, %s\n", clips, repeat,
                qPrintable(QGuiApplication::platformName()));
    const double headlessStart = best(repeat, [&] { return run(big, Ui::Headless, clips, 0).start; });
    const double headlessSwitch = best(repeat, [&] { return run(small, Ui::Headless, 100, clips).change; });
    std::printf("  %-40s %8.3f s\n", "headless start, first category listed", headlessStart);
    std::printf("  %-40s %8.3f s\n", "headless category switch", headlessSwitch);
    const auto windows = [&](Ui ui, const char* title) {
        std::printf(" %s\n", title);
        const double window100 = best(repeat, [&] { return run(small, ui, 100, 0).start; });
        const double windowBig = best(repeat, [&] { return run(big, ui, clips, 0).start; });
        const double switchBig = best(repeat, [&] { return run(small, ui, 100, clips).change; });
        const double switchSmall = best(repeat, [&] { return run(pair, ui, 100, 100).change; });
        std::printf("  %-40s %8.3f s\n", "window of 100 clips painted", window100);
        report("window of many clips painted", windowBig, window100, "of the window of 100", 1.5);
        report("category switch to many clips, painted", switchBig, headlessSwitch, "of the headless switch", 2.0);
        // What a switch costs the window whatever the category's size (its page of cells, the paint): the
        // share that grows with the category is the difference.
        std::printf("  %-40s %8.3f s   %6.2fx of the switch to 100 clips\n", "category switch to 100 clips, painted",
                    switchSmall, switchBig / switchSmall);
    };
    windows(Ui::Outlines, "movie controls as outlines (the renderer alone):");
#ifdef GLW_HAVE_MOVIE_PLAYER
    if (glw::qt::movie::playerAvailable()) {
        windows(Ui::Player, "with the player's views, as the program runs:");
    } else {
        std::printf(" the player is not installed: the windows as the program runs are not measured\n");
    }
#else
    std::printf(" no player in this build: the windows as the program runs are not measured\n");
#endif

    std::error_code ignored;
    fs::remove_all(work, ignored);
    return 0;
}
