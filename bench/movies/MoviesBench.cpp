// Measures what movies cost the main window in the recommended set-up: a page of twelve thumbnail cells
// (116 x 116) playing live on one sheet, twelve panel titles drawn from posters, and one live preview
// (480 x 400) hidden as in the library view. Prints, beside the bounds they must stay within: the memory of
// all the program's processes while the page plays (0.8 GiB), the CPU while it plays (0.75 of a core) and
// while the window is minimised or hidden (0.05), and the time a page change takes until twelve new cells
// play (1 second). The edit view (the preview playing a clip over the cells) is measured too. Nothing moving
// must cost next to nothing (0.02 of a core): a page of empty cells, a page of still clips, a still preview,
// beside the floor of this window idle before the engine starts. A session must not grow: CPU and
// page-change time after the last of --pages changes (100) within 10% of those after the first, and no
// page change above 0.5 s. Thumbnails: on a first start the cells wait for the engine; a second start (a
// process of its own, this program with --thumbnails) paints the posters the first kept on disk, within
// 0.6 s of its process's start, beside the same window painting outlines.
//
//   glw_movies_bench [--library FOLDER] [--idle SECONDS] [--pages N]
//
// The library is the demo library laid out in a temporary folder unless one is named (an application
// folder: its clips are the .swf files under CLTemplates, Resource/titlebar.swf is the title movie). Its
// clips are copied to two pages of twelve distinct files, so each page change loads twelve new movies.
// Memory is the sum of Pss over /proc/<pid>/smaps_rollup of this process and every process below it
// (the web engine's); CPU is the utime + stime of the same processes over the idle time.
#include "desktop/MovieView.h"
#include "desktop/movie/MoviePlayer.h"
#include "swf/Movie.h"
#include "swf/Still.h"
#include "swfmaker/SwfWriter.h"

#ifdef GLW_HAVE_DEMOLIB
#include "demolib/DemoLibrary.h"
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QTime>
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

std::string processName(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    std::string first;
    std::getline(in, first, '\0');
    std::string type;
    for (std::string arg; std::getline(in, arg, '\0');) {
        if (arg.rfind("--type=", 0) == 0) {
            type = arg.substr(7);
        }
    }
    return type.empty() ? fs::path(first).filename().string() : type;
}

struct Sample {
    long pssMiB = 0;
    int processes = 0;
    std::string parts; // each kind of process's share ("glw_movies_bench 310, renderer 290, ...")
};

Sample memory() {
    Sample s;
    long kib = 0;
    std::map<std::string, long> byName;
    for (int pid : processTree()) {
        const long own = pssKiB(pid);
        kib += own;
        byName[processName(pid)] += own;
        ++s.processes;
    }
    s.pssMiB = kib / 1024;
    for (const auto& [name, part] : byName) {
        s.parts += (s.parts.empty() ? "" : ", ") + name + " " + std::to_string(part / 1024);
    }
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

// Runs the event loop for a while, waking for nothing of its own (the idle figures count this process).
void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU used by the whole tree over `seconds` of letting the event loop run, in cores; `parts` gets each
// process's share ("renderer 0.31, gpu-process 0.12, ...").
double idleCores(double seconds, std::string* parts = nullptr) {
    std::map<int, double> before;
    for (int pid : processTree()) {
        before[pid] = cpuSeconds(pid);
    }
    QElapsedTimer timer;
    timer.start();
    spin(static_cast<int>(seconds * 1000));
    const double elapsed = double(timer.elapsed()) / 1000.0;
    double used = 0;
    std::map<std::string, double> byName;
    for (int pid : processTree()) {
        const double share = cpuSeconds(pid) - (before.count(pid) ? before[pid] : 0);
        used += share;
        byName[processName(pid)] += share / elapsed;
    }
    if (parts) {
        parts->clear();
        for (const auto& [name, cores] : byName) {
            char text[96];
            std::snprintf(text, sizeof text, "%s%s %.2f", parts->empty() ? "" : ", ", name.c_str(), cores);
            *parts += text;
        }
    }
    return used / elapsed;
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

// The clips whose picture never changes after their first frame.
std::vector<fs::path> stillClips(const std::vector<fs::path>& clips) {
    std::vector<fs::path> still;
    for (const fs::path& clip : clips) {
        const auto movie = glw::swf::loadMovieFile(clip.string());
        if (movie.ok() && glw::swf::isStill(movie.value())) {
            still.push_back(clip);
        }
    }
    return still;
}

// A still clip of its own when the library has none: coloured boxes on one frame, nothing else.
std::vector<std::uint8_t> stillClip(int shade) {
    namespace tw = glw::tools;
    tw::Movie movie(8, tw::Rect{0, 200 * tw::kTwips, 0, 150 * tw::kTwips}, 12);
    movie.add(tw::setBackgroundColor({255, 255, 255}));
    tw::ShapeBuilder shape;
    shape.setStyle(0, shape.addSolidFill(tw::opaque({std::uint8_t(shade), 80, 160})), 0);
    shape.rectangle({20 * tw::kTwips, 180 * tw::kTwips, 20 * tw::kTwips, 130 * tw::kTwips});
    movie.add(shape.defineShape3(1));
    movie.add(tw::placeObject2(1, 1, tw::Matrix{}));
    movie.add(tw::showFrame());
    return movie.finish(tw::Compression::None);
}

// Seconds since this process started (to the clock tick), as a user counts a start from the click.
double secondsSinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int i = 3; i <= 22 && rest >> field; ++i) {
        if (i == 22) {
            startTicks = std::stoull(field);
        }
    }
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - double(startTicks) / double(::sysconf(_SC_CLK_TCK));
}

// A second start's thumbnails, in a process of its own: the page of twelve cells with the posters a first
// start kept in `folder`, until each has painted. Without a folder, the cells paint their outlines: the
// floor of a window of twelve cells started the same way. Prints the seconds since the process started.
int thumbnailsRun(const QString& folder, const std::vector<QString>& files) {
    class Cell : public glw::qt::MovieWidget {
    public:
        using MovieWidget::MovieWidget;
        bool painted = false;

    protected:
        void paintEvent(QPaintEvent* event) override {
            MovieWidget::paintEvent(event);
            painted = true;
        }
    };
    QWidget window;
    window.resize(960, 640);
    auto* frame = new QWidget(&window);
    frame->setGeometry(236, 46, 480, 400);
    PosterCache posters;
    if (!folder.isEmpty()) {
        posters.setDiskFolder(folder);
    }
    std::vector<Cell*> cells;
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto* cell = new Cell(frame);
        cell->setGeometry(4 + int(i % 4) * 119, 20 + int(i / 4) * 126, 116, 116);
        if (!folder.isEmpty()) {
            const QImage poster = posters.stored({files[i], {}, cell->size(), 0, "#FFFFFF"});
            if (poster.isNull()) {
                std::fprintf(stderr, "no poster kept for %s\n", qPrintable(files[i]));
                return 1;
            }
            cell->setPoster(poster);
        }
        cells.push_back(cell);
    }
    window.show();
    if (!runUntil([&] { return std::all_of(cells.begin(), cells.end(), [](const Cell* c) { return c->painted; }); },
                  20000)) {
        return 1;
    }
    std::printf("%.3f\n", secondsSinceStart());
    return 0;
}

// Runs this program in its thumbnails mode; the seconds it printed, or -1.
double thumbnailsStart(const char* program, const QString& folder, const std::vector<QString>& files) {
    QProcess child;
    QStringList arguments{QStringLiteral("--thumbnails"), folder.isEmpty() ? QStringLiteral("-") : folder};
    for (const QString& file : files) {
        arguments << file;
    }
    child.start(QString::fromLocal8Bit(program), arguments);
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        return -1;
    }
    bool ok = false;
    const double seconds = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

// What is measured from now on, on the error output with the time: for a profiler or a tracer attached
// to the processes meanwhile.
void phase(const char* what) {
    std::fprintf(stderr, "bench: %s: %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))),
                 what);
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
    int pages = 100;
    if (argc >= 3 && !std::strcmp(argv[1], "--thumbnails")) {
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        QApplication app(argc, argv);
        std::vector<QString> files;
        for (int i = 3; i < argc; ++i) {
            files.push_back(QString::fromLocal8Bit(argv[i]));
        }
        return thumbnailsRun(std::strcmp(argv[2], "-") ? QString::fromLocal8Bit(argv[2]) : QString(), files);
    }
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
    // The bench is not in the application folder: it plays with that folder's copy of the Flash player.
    setenv("GLW_RUFFLE_DIR", GLW_APP_DIR "/ruffle", 0);
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
    // The page of cells inside its frame, as the main window lays it out: the cells paint nothing, their
    // movies play on the frame's sheet below them.
    auto* frame = new QWidget(&window);
    frame->setGeometry(236, 46, 480, 400);
    std::vector<QWidget*> cells;
    MovieSheet* sheet = MovieSheet::of(frame);
    for (int i = 0; i < 12; ++i) {
        auto* cell = new QWidget(frame);
        cell->setGeometry(4 + (i % 4) * 119, 20 + (i / 4) * 126, 116, 116);
        sheet->addCell(cell);
        cells.push_back(cell);
    }
    std::vector<QLabel*> titles;
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
    // The floor: this window with nothing playing, before the engine starts.
    spin(500);
    std::string floorParts;
    const double floorCores = idleCores(idleSeconds, &floorParts);

    QElapsedTimer clock;
    clock.start();
    posters.prewarm();
    int pendingTitles = 0;
    std::set<QWidget*> waitingCells;
    QObject::connect(sheet, &MovieSheet::firstFrameShown, [&](QWidget* cell) { waitingCells.erase(cell); });
    // The first start keeps each cell's first frame as its poster, for the second start.
    const QString posterFolder = QString::fromStdString((work / "posters").string());
    fs::create_directories(work / "posters");
    PosterCache keptPosters;
    keptPosters.setDiskFolder(posterFolder);
    double firstThumbnails = -1;
    QObject::connect(sheet, &MovieSheet::firstFrameShown, [&] {
        if (firstThumbnails < 0 && waitingCells.empty()) {
            firstThumbnails = double(clock.elapsed()) / 1000.0;
        }
    });
    QObject::connect(sheet, &MovieSheet::firstFrameDrawn, [&](QWidget* cell, const QImage& image) {
        const auto at = std::find(cells.begin(), cells.end(), cell);
        if (at != cells.end()) {
            keptPosters.store({pageFiles[0][std::size_t(at - cells.begin())], {}, cell->size(), 0, "#FFFFFF"}, image);
        }
    });
    const auto showPage = [&](int page, bool capture = false) {
        for (int i = 0; i < 12; ++i) {
            waitingCells.insert(cells[i]);
            MovieSheet::CellMovie movie{pageFiles[page][i], {}, 0, "#FFFFFF"};
            movie.capture = capture;
            sheet->setMovie(cells[i], movie);
        }
    };
    const auto waitForPage = [&] { return runUntil([&] { return waitingCells.empty(); }, 60000); };

    // Start-up: titles and the first page, the engine started cold.
    for (int i = 0; i < 12; ++i) {
        ++pendingTitles;
        const QString variables =
            QStringLiteral("txtTitle=") +
            QString::fromLatin1(QUrl::toPercentEncoding(i < 6 ? QStringLiteral("Panel %1").arg(i) : " "));
        posters.request(titles[i], {QString::fromStdString(title.string()), variables, titles[i]->size(), 0, {}},
                        [&, i](const QImage& image) {
                            titles[i]->setPixmap(QPixmap::fromImage(image));
                            --pendingTitles;
                        });
    }
    showPage(0, true);
    if (!waitForPage() || !runUntil([&] { return pendingTitles == 0; }, 60000)) {
        std::fprintf(stderr, "the first page never came\n");
        return 1;
    }
    const double startSeconds = double(clock.elapsed()) / 1000.0;

    // Page changes, each loading twelve movies the sheet has not played before; the page's CPU after the
    // first and after the last, to see what each page leaves behind.
    std::vector<double> changes;
    double cpuAfterFirst = 0, cpuAfterLast = 0;
    Sample memoryAfterFirst;
    for (int n = 0; n < pages; ++n) {
        spin(500);
        clock.restart();
        showPage((n + 1) % 2);
        if (!waitForPage()) {
            std::fprintf(stderr, "a page change never finished\n");
            return 1;
        }
        changes.push_back(double(clock.elapsed()) / 1000.0);
        if (n == 0) {
            spin(1000);
            memoryAfterFirst = memory();
            cpuAfterFirst = idleCores(idleSeconds);
        }
    }
    spin(1000);
    const Sample memoryAfterLast = memory();
    cpuAfterLast = idleCores(idleSeconds);
    // The first and the last tenth of the changes (at least one each).
    const std::size_t tenth = std::max<std::size_t>(1, changes.size() / 10);
    const auto mean = [](auto first, auto last) {
        double sum = 0;
        for (auto it = first; it != last; ++it) {
            sum += *it;
        }
        return sum / double(last - first);
    };
    const double firstChanges = mean(changes.begin(), changes.begin() + long(tenth));
    const double lastChanges = mean(changes.end() - long(tenth), changes.end());
    // The slowest changes by their number, to tell a change that is slow now and then from one that grows.
    std::vector<std::size_t> slowest(changes.size());
    for (std::size_t i = 0; i < slowest.size(); ++i) {
        slowest[i] = i;
    }
    std::sort(slowest.begin(), slowest.end(), [&](std::size_t a, std::size_t b) { return changes[a] > changes[b]; });
    std::string slowestChanges;
    for (std::size_t i = 0; i < std::min<std::size_t>(5, slowest.size()); ++i) {
        slowestChanges +=
            (i ? ", " : "") + fixed(changes[slowest[i]], "s") + " (" + std::to_string(slowest[i] + 1) + ")";
    }
    std::sort(changes.begin(), changes.end());

    // The page plays.
    spin(2000);
    const Sample playing = memory();
    std::string playingParts;
    const double playingCores = idleCores(idleSeconds, &playingParts);

    // Minimised, then hidden: the players stop.
    window.showMinimized();
    spin(1000);
    const bool stoppedMinimised = !sheet->isPlaying();
    std::string minimisedParts;
    const double minimisedCores = idleCores(idleSeconds, &minimisedParts);
    window.showNormal();
    spin(500);
    window.hide();
    spin(1000);
    const bool stoppedHidden = !sheet->isPlaying();
    std::string hiddenParts;
    const double hiddenCores = idleCores(idleSeconds, &hiddenParts);
    window.show();
    spin(1000);

    // Nothing moves: a page of empty cells, then one of still clips.
    const QString blank = QString::fromStdString((library / "blank.swf").string());
    const auto showStill = [&](const std::vector<QString>& files) {
        for (int i = 0; i < 12; ++i) {
            waitingCells.insert(cells[i]);
            sheet->setMovie(cells[i], {files[std::size_t(i) % files.size()], {}, 0, "#FFFFFF"});
        }
        return waitForPage();
    };
    double emptyCores = -1, stillCores = -1;
    std::string emptyParts, stillParts;
    if (fs::exists(library / "blank.swf") && showStill({blank})) {
        spin(1500);
        phase("a page of empty cells");
        emptyCores = idleCores(idleSeconds, &emptyParts);
    }
    const std::vector<fs::path> still = stillClips(clips);
    std::vector<QString> stillFiles;
    for (std::size_t i = 0; i < 12; ++i) {
        const fs::path copy = work / ("still-" + std::to_string(i) + ".swf");
        if (i < still.size()) {
            fs::copy_file(still[i], copy, fs::copy_options::overwrite_existing);
        } else {
            const auto bytes = stillClip(int(i) * 20);
            std::ofstream(copy, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        stillFiles.push_back(QString::fromStdString(copy.string()));
    }
    if (!stillFiles.empty() && showStill(stillFiles)) {
        spin(1500);
        phase("a page of still clips");
        stillCores = idleCores(idleSeconds, &stillParts);
    }
    showPage(0);
    waitForPage();

    // The edit view with a still preview over the cells, then with a clip playing.
    double stillPreviewCores = -1;
    std::string stillPreviewParts;
    preview->show();
    preview->raise();
    if (!stillFiles.empty() || fs::exists(library / "blank.swf")) {
        bool drawn = false;
        const auto connection = QObject::connect(preview, &MovieView::firstFrameShown, [&] { drawn = true; });
        preview->setMovie(stillFiles.empty() ? blank : stillFiles[0]);
        runUntil([&] { return drawn; }, 30000);
        QObject::disconnect(connection);
        spin(1500);
        phase("a still preview over the cells");
        stillPreviewCores = idleCores(idleSeconds, &stillPreviewParts);
    }

    // The edit view: the preview plays a clip over the cells.
    preview->show();
    preview->raise();
    preview->setMovie(pageFiles[0][0]);
    spin(3000);
    const Sample editing = memory();
    const bool stoppedCovered = !sheet->isPlaying();
    const double editingCores = idleCores(idleSeconds);

    // A second start, and its floor: the same window of twelve cells painting their outlines. Each the
    // fastest of three runs, taken in turn, so that both meet the machine alike.
    double secondThumbnails = -1, thumbnailsFloor = -1;
    const auto fastest = [](double best, double run) { return run < 0 ? best : best < 0 ? run : std::min(best, run); };
    for (int run = 0; run < 3; ++run) {
        thumbnailsFloor = fastest(thumbnailsFloor, thumbnailsStart(argv[0], {}, pageFiles[0]));
        secondThumbnails = fastest(secondThumbnails, thumbnailsStart(argv[0], posterFolder, pageFiles[0]));
    }

    constexpr long kMemoryBoundMiB = 819; // 0.8 GiB
    std::printf("  start-up (engine, 12 titles, first page playing) %10s\n", fixed(startSeconds, "s").c_str());
    report("memory, page of 12 playing (all processes)", std::to_string(playing.pssMiB) + " MiB", "819 MiB",
           playing.pssMiB <= kMemoryBoundMiB);
    report("CPU, page of 12 playing", fixed(playingCores, "cores"), "0.75", playingCores <= 0.75);
    report("CPU, window minimised", fixed(minimisedCores, "cores"), "0.05", minimisedCores <= 0.05);
    report("CPU, window hidden", fixed(hiddenCores, "cores"), "0.05", hiddenCores <= 0.05);
    report("page change, 12 new cells playing (median)", fixed(changes[changes.size() / 2], "s"), "1 s",
           changes[changes.size() / 2] <= 1);
    report("page change, 12 new cells playing (slowest)", fixed(changes.back(), "s"), "1 s", changes.back() <= 1);
    std::printf("  thumbnails, first start (engine cold, in this process) %6s   (the player engine's start-up)\n",
                fixed(firstThumbnails, "s").c_str());
    if (secondThumbnails < 0) {
        std::printf("  thumbnails, second start: NOT MEASURED (its run failed)\n");
    } else {
        report("thumbnails, second start (kept posters)", fixed(secondThumbnails, "s"), "0.6 s",
               secondThumbnails <= 0.6);
        std::printf("    since its process started, fastest of 3; floor: the same window of outlines %s (%.2fx)\n",
                    fixed(thumbnailsFloor, "s").c_str(), secondThumbnails / std::max(thumbnailsFloor, 1e-6));
    }
    std::printf("  floor: this window idle before the engine starts: %s (%s)\n", fixed(floorCores, "cores").c_str(),
                floorParts.c_str());
    const auto idle = [&](const char* what, double cores, const std::string& parts) {
        if (cores < 0) {
            std::printf("  %-44s %14s\n", what, "not measured (no such movie)");
            return;
        }
        report(what, fixed(cores, "cores", 3), "0.02", cores <= 0.02);
        if (!parts.empty()) {
            std::printf("    by process: %s\n", parts.c_str());
        }
    };
    idle("CPU, page of 12 empty cells", emptyCores, emptyParts);
    idle("CPU, page of 12 still clips", stillCores, stillParts);
    std::printf("    (%zu still clips among the library's, the rest boxes made here)\n", still.size());
    idle("CPU, edit view with a still preview", stillPreviewCores, stillPreviewParts);
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "%.2fx", cpuAfterLast / std::max(cpuAfterFirst, 1e-6));
    report("CPU after the last page change / after the 1st", ratio, "1.10x", cpuAfterLast <= cpuAfterFirst * 1.1);
    std::printf("    after the 1st: %s, %ld MiB; after change %d: %s, %ld MiB\n", fixed(cpuAfterFirst, "cores").c_str(),
                memoryAfterFirst.pssMiB, pages, fixed(cpuAfterLast, "cores").c_str(), memoryAfterLast.pssMiB);
    std::snprintf(ratio, sizeof ratio, "%.2fx", lastChanges / std::max(firstChanges, 1e-6));
    report("page change, last tenth / first tenth", ratio, "1.10x", lastChanges <= firstChanges * 1.1);
    std::printf("    first tenth %s, last tenth %s (of %d changes)\n", fixed(firstChanges, "s").c_str(),
                fixed(lastChanges, "s").c_str(), pages);
    report("page change, slowest", fixed(changes.back(), "s"), "0.5 s", changes.back() <= 0.5);
    std::printf("    the slowest (change number): %s; 90th percentile %s\n", slowestChanges.c_str(),
                fixed(changes[changes.size() * 9 / 10], "s").c_str());
    std::printf("  CPU while playing, by process: %s\n", playingParts.c_str());
    std::printf("  memory while playing, by process (MiB): %s\n", playing.parts.c_str());
    std::printf("  CPU while minimised, by process: %s; hidden: %s\n", minimisedParts.c_str(), hiddenParts.c_str());
    std::printf("  players stopped: minimised %s, hidden %s\n", stoppedMinimised ? "yes" : "NO",
                stoppedHidden ? "yes" : "NO");
    std::printf("  edit view (preview playing over the cells): %ld MiB, %s, cells stopped: %s\n", editing.pssMiB,
                fixed(editingCores, "cores").c_str(), stoppedCovered ? "yes" : "NO");
    std::printf("  processes: %d (this one and the web engine's)\n", editing.processes);

    delete preview;
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return 0;
}
