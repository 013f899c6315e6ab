// Measures what movies cost the main window in the recommended set-up: twelve thumbnail cells (116 x 116)
// and twelve panel titles drawn from posters, and one live preview (480 x 400). Prints the memory of all
// the program's processes, its idle CPU and the time a page change takes to show its twelve cells, beside
// the bounds they must stay within (1 GiB, half a core, 3 seconds).
//
//   glw_movies_bench [--library FOLDER] [--idle SECONDS] [--pages N]
//
// The library is the demo library laid out in a temporary folder unless one is named (an application
// folder: its clips are the .swf files under CLTemplates, Resource/titlebar.swf is the title movie). Its
// clips are copied to two pages of twelve distinct files, so each page change draws twelve new posters.
// Memory is the sum of Pss over /proc/<pid>/smaps_rollup of this process and every process below it
// (the web engine's); CPU is the utime + stime of the same processes over the idle time.
#include "desktop/movie/MoviePlayer.h"

#ifdef GLW_HAVE_DEMOLIB
#include "demolib/DemoLibrary.h"
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace glw::qt::movie;

// This process and every process below it.
std::vector<int> processTree() {
    std::map<int, std::vector<int>> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        int ppid = 0;
        rest >> state >> ppid;
        children[ppid].push_back(std::stoi(name));
    }
    std::vector<int> tree{static_cast<int>(::getpid())};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (int child : children[tree[i]]) {
            tree.push_back(child);
        }
    }
    return tree;
}

long pssKiB(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "Pss:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 20, '\n');
    }
    return 0;
}

double cpuSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15; ++i) {
        rest >> field;
        if (i == 14) {
            utime = std::stoull(field);
        }
        if (i == 15) {
            stime = std::stoull(field);
        }
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

struct Sample {
    long pssMiB = 0;
    int processes = 0;
};

Sample memory() {
    Sample s;
    long kib = 0;
    for (int pid : processTree()) {
        kib += pssKiB(pid);
        ++s.processes;
    }
    s.pssMiB = kib / 1024;
    return s;
}

// Runs the event loop until the condition holds or the time is up. (QTest::qWaitFor sleeps between passes,
// which starves the web engine, whose work runs as posted events.)
bool runUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (condition() || clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    poll.start(2);
    if (!condition()) {
        loop.exec();
    }
    return condition();
}

void spin(int milliseconds) {
    runUntil([] { return false; }, milliseconds);
}

// CPU used by the whole tree over `seconds` of letting the event loop run, in cores.
double idleCores(double seconds) {
    std::map<int, double> before;
    for (int pid : processTree()) {
        before[pid] = cpuSeconds(pid);
    }
    QElapsedTimer timer;
    timer.start();
    spin(static_cast<int>(seconds * 1000));
    double used = 0;
    for (int pid : processTree()) {
        used += cpuSeconds(pid) - (before.count(pid) ? before[pid] : 0);
    }
    return used / (double(timer.elapsed()) / 1000.0);
}

std::vector<fs::path> clipsOf(const fs::path& library) {
    std::vector<fs::path> clips;
    const fs::path templates = library / "CLTemplates";
    if (fs::is_directory(templates)) {
        for (const auto& entry : fs::recursive_directory_iterator(templates)) {
            if (entry.is_regular_file() && entry.path().extension() == ".swf") {
                clips.push_back(entry.path());
            }
        }
    }
    std::sort(clips.begin(), clips.end());
    return clips;
}

void report(const char* what, const std::string& value, const std::string& bound, bool ok) {
    std::printf("  %-44s %14s   bound %-10s %s\n", what, value.c_str(), bound.c_str(), ok ? "within" : "OVER");
}

std::string fixed(double v, const char* unit, int decimals = 2) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, v, unit);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::string libraryArg;
    double idleSeconds = 5;
    int pages = 4;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--library") && i + 1 < argc) {
            libraryArg = argv[++i];
        } else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc) {
            idleSeconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--pages") && i + 1 < argc) {
            pages = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--library FOLDER] [--idle SECONDS] [--pages N]\n", argv[0]);
            return 2;
        }
    }
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    if (!playerAvailable()) {
        std::fprintf(stderr, "the Flash player is not installed (run scripts/setup-ruffle <build folder>)\n");
        return 77;
    }

    char pattern[] = "/tmp/glw-movies-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    fs::path library = libraryArg;
    if (library.empty()) {
#ifdef GLW_HAVE_DEMOLIB
        library = work / "app";
        const auto made = glw::tools::makeDemoLibrary(library);
        if (!made) {
            std::fprintf(stderr, "cannot lay out the demo library: %s\n", made.error().detail.c_str());
            return 1;
        }
#else
        std::fprintf(stderr, "no demo library maker in this build: pass --library FOLDER\n");
        return 2;
#endif
    }
    const std::vector<fs::path> clips = clipsOf(library);
    const fs::path title = library / "Resource" / "titlebar.swf";
    if (clips.empty() || !fs::exists(title)) {
        std::fprintf(stderr, "no clips under %s/CLTemplates or no Resource/titlebar.swf\n", library.c_str());
        return 1;
    }
    // Two pages of twelve distinct files, as a category of twenty-four clips.
    std::vector<std::vector<QString>> pageFiles(2);
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < 12; ++i) {
            const fs::path copy = work / ("page" + std::to_string(p) + "-" + std::to_string(i) + ".swf");
            fs::copy_file(clips[(p * 12 + i) % clips.size()], copy, fs::copy_options::overwrite_existing);
            pageFiles[p].push_back(QString::fromStdString(copy.string()));
        }
    }

    QWidget window;
    window.resize(960, 640);
    std::vector<QLabel*> cells, titles;
    for (int i = 0; i < 12; ++i) {
        auto* cell = new QLabel(&window);
        cell->setGeometry(236 + (i % 4) * 119, 60 + (i / 4) * 126, 116, 116);
        cells.push_back(cell);
    }
    for (int i = 0; i < 12; ++i) {
        auto* t = new QLabel(&window);
        t->setGeometry(i < 6 ? 8 : 208, 46 + (i % 6) * 90, i < 6 ? 200 : 20, 20);
        titles.push_back(t);
    }
    auto* preview = new MovieView(&window);
    preview->setGeometry(236, 46, 480, 400);
    preview->hide(); // the library view: the preview shows only in the edit view
    window.show();

    PosterCache posters;
    std::printf("movies bench: %zu clips of %s, %s\n", clips.size(), library.c_str(),
                qPrintable(QGuiApplication::platformName()));

    QElapsedTimer clock;
    clock.start();
    posters.prewarm();
    int pending = 0;
    const auto showPage = [&](int page) {
        for (int i = 0; i < 12; ++i) {
            ++pending;
            posters.request(cells[i], {pageFiles[page][i], {}, QSize(116, 116), 0, "#FFFFFF"},
                            [&, i](const QImage& image) {
                                cells[i]->setPixmap(QPixmap::fromImage(image));
                                --pending;
                            });
        }
    };
    const auto waitForPage = [&] { return runUntil([&] { return pending == 0; }, 60000); };

    // Start-up: titles and the first page, the engine started cold.
    for (int i = 0; i < 12; ++i) {
        ++pending;
        const QString variables =
            QStringLiteral("txtTitle=") +
            QString::fromLatin1(QUrl::toPercentEncoding(i < 6 ? QStringLiteral("Panel %1").arg(i) : " "));
        posters.request(titles[i], {QString::fromStdString(title.string()), variables, titles[i]->size(), 0, {}},
                        [&, i](const QImage& image) {
                            titles[i]->setPixmap(QPixmap::fromImage(image));
                            --pending;
                        });
    }
    showPage(0);
    if (!waitForPage()) {
        std::fprintf(stderr, "the first page never came\n");
        return 1;
    }
    const double startSeconds = double(clock.elapsed()) / 1000.0;
    int blank = 0;
    for (QLabel* cell : cells) {
        blank += cell->pixmap().isNull() ? 1 : 0;
    }

    // Page changes, each drawing twelve posters it has not drawn before.
    std::vector<double> changes;
    for (int n = 0; n < pages; ++n) {
        posters.clear();
        clock.restart();
        showPage((n + 1) % 2);
        if (!waitForPage()) {
            std::fprintf(stderr, "a page change never finished\n");
            return 1;
        }
        changes.push_back(double(clock.elapsed()) / 1000.0);
    }
    std::sort(changes.begin(), changes.end());

    spin(1000);
    const Sample atRest = memory();
    const double idleAtRest = idleCores(idleSeconds);

    // The edit view: the preview plays a clip.
    preview->show();
    preview->setMovie(pageFiles[0][0]);
    spin(3000);
    const Sample editing = memory();
    const double idleEditing = idleCores(idleSeconds);

    std::printf("  start-up (engine, 12 titles, first page)     %14s\n", fixed(startSeconds, "s").c_str());
    std::printf("  cells left blank on the first page           %14d\n", blank);
    report("memory, library view (all processes)", std::to_string(atRest.pssMiB) + " MiB", "1024 MiB",
           atRest.pssMiB <= 1024);
    report("memory, preview playing", std::to_string(editing.pssMiB) + " MiB", "1024 MiB", editing.pssMiB <= 1024);
    report("idle CPU, library view", fixed(idleAtRest, "cores"), "0.5", idleAtRest < 0.5);
    report("idle CPU, preview playing", fixed(idleEditing, "cores"), "0.5", idleEditing < 0.5);
    report("page change, 12 new cells (median)", fixed(changes[changes.size() / 2], "s"), "3 s",
           changes[changes.size() / 2] < 3);
    report("page change, 12 new cells (slowest)", fixed(changes.back(), "s"), "3 s", changes.back() < 3);
    std::printf("  processes: %d (this one and the web engine's)\n", editing.processes);

    delete preview;
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return 0;
}
