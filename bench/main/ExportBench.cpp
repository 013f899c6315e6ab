// Times the executable export (package, startup list and join with the player stub) of a large clip beside
// cp of a file of the output's size, in the same run. Goal: the export takes at most 1.5 times as long.
// The export flushes the finished file to the disk before it renames it into place, so that a crash never
// leaves a cut-off program under the user's name; cp does not flush. The goal is judged against cp followed
// by a flush of its copy, the same work; the ratio to cp alone is printed beside it. Then the sizes of what a
// receiver is handed for a 10 KB clip (player, installer) beside their goals.
//
//   glw_export_bench [--megabytes N] [--dir FOLDER] [--runs N]
//
// The stub is the built player of the application folder when it is there, else a stand-in of 1 MB.
#include "main/ExportBuilders.h"
#include "platform/WinPath.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, std::size_t size, char seed) {
    std::ofstream out(path, std::ios::binary);
    std::string chunk(1 << 20, '\0');
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = char(seed + i * 131);
    }
    for (std::size_t left = size; left > 0;) {
        const std::size_t n = std::min(left, chunk.size());
        out.write(chunk.data(), std::streamsize(n));
        left -= n;
    }
}

double seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// cp of `from` to `to`, then, when `flush` is set, fsync of the copy; seconds, or -1 on failure.
double runCp(const std::string& from, const std::string& to, bool flush) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/cp", "cp", from.c_str(), to.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    if (flush) {
        const int fd = ::open(to.c_str(), O_RDONLY | O_CLOEXEC);
        const bool flushed = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        if (!flushed) {
            return -1;
        }
    }
    return seconds(start);
}

} // namespace

int main(int argc, char** argv) {
    std::size_t megabytes = 10;
    int runs = 5;
    std::string dir = fs::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--megabytes")) {
            megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        } else if (!std::strcmp(argv[i], "--dir")) {
            dir = argv[i + 1];
        } else if (!std::strcmp(argv[i], "--runs")) {
            runs = std::atoi(argv[i + 1]);
        }
    }
    const std::string app = dir + "/glw-export-bench-" + std::to_string(::getpid());
    fs::create_directories(app + "/Working");
    fs::create_directories(app + "/out");
    const std::string stub = std::string(GLW_APP_DIR) + "/glwbase.exe";
    if (fs::exists(stub)) {
        fs::copy_file(stub, app + "/glwbase.exe");
    } else {
        writeFile(app + "/glwbase.exe", 1 << 20, 'S');
    }
    writeFile(app + "/Working/glwmovie.swf", megabytes << 20, 'M');

    const std::string appSystem = glw::platform::toSystemPath(app);
    const glw::main::PackageExport package{appSystem, {"glwmovie.swf"}, appSystem + "\\out\\movie.exe"};
    const glw::formats::StartupList startup{
        .height = "400", .width = "550", .bgColor = "#FFFFFF", .scale = "showAll", .flashVars = "&CWR=0&CWG=0&CWB=0"};

    double exportBest = 1e9;
    double cpBest = 1e9;
    double cpFlushBest = 1e9;
    std::uintmax_t outputSize = 0;
    for (int i = 0; i < runs; ++i) {
        fs::remove(app + "/out/movie.exe");
        const auto start = std::chrono::steady_clock::now();
        auto built = glw::main::BuildExeExport(package, startup);
        const double t = seconds(start);
        if (!built) {
            std::fprintf(stderr, "export failed: %s\n", built.error().detail.c_str());
            fs::remove_all(app);
            return 1;
        }
        exportBest = std::min(exportBest, t);
        outputSize = fs::file_size(app + "/out/movie.exe");
        if (i == 0) {
            writeFile(app + "/same-bytes", outputSize, 'C');
        }
        fs::remove(app + "/cp-copy");
        const double c = runCp(app + "/same-bytes", app + "/cp-copy", false);
        if (c > 0) {
            cpBest = std::min(cpBest, c);
        }
        fs::remove(app + "/cp-copy");
        const double f = runCp(app + "/same-bytes", app + "/cp-copy", true);
        if (f > 0) {
            cpFlushBest = std::min(cpFlushBest, f);
        }
    }
    if (cpBest >= 1e9 || cpFlushBest >= 1e9) {
        std::fprintf(stderr, "cp of the same bytes failed: no figure to compare with\n");
        fs::remove_all(app);
        return 1;
    }
    std::printf("executable export of a %zu MB clip (%ju bytes out): %.3f s\n", megabytes, outputSize, exportBest);
    std::printf("cp of the same number of bytes:                    %.3f s   export %.2fx\n", cpBest,
                exportBest / cpBest);
    std::printf("cp and a flush of the copy:                        %.3f s   export %.2fx\n", cpFlushBest,
                exportBest / cpFlushBest);
    const double ratio = exportBest / cpFlushBest;
    std::printf("ratio %.2fx (goal: at most 1.5x against cp and a flush)   %s\n", ratio,
                ratio <= 1.5 ? "met" : "NOT MET");

    // What a receiver is handed: the player, the screen saver and its installer of a 10 KB clip, made from
    // the built stubs (which carry the Flash player), beside the goals of 8 MiB and twice that.
    if (fs::exists(std::string(GLW_APP_DIR) + "/glwbase.scr") &&
        fs::exists(std::string(GLW_APP_DIR) + "/quillset.exe")) {
        fs::copy_file(std::string(GLW_APP_DIR) + "/glwbase.scr", app + "/glwbase.scr");
        fs::copy_file(std::string(GLW_APP_DIR) + "/quillset.exe", app + "/quillset.exe");
        writeFile(app + "/Working/glwmovie.swf", 10 << 10, 'C');
        const glw::formats::StartupList saver{
            .height = "400", .width = "550", .bgColor = "#FFFFFF", .scale = "showAll"};
        const bool made =
            glw::main::BuildExeExport({appSystem, {"glwmovie.swf"}, appSystem + "\\out\\small.exe"}, startup) &&
            glw::main::BuildScrExport({appSystem, {"glwmovie.swf"}, appSystem + "\\out\\small.scr"}, saver) &&
            glw::main::BuildInstallerExport(appSystem, appSystem + "\\out\\small.scr", "small.scr",
                                            appSystem + "\\out\\smallset.exe");
        if (!made) {
            std::fprintf(stderr, "the exports of the small clip failed\n");
            fs::remove_all(app);
            return 1;
        }
        const double mib = 1024.0 * 1024.0;
        const double player = double(fs::file_size(app + "/out/small.exe")) / mib;
        const double installer = double(fs::file_size(app + "/out/smallset.exe")) / mib;
        std::printf("exported player of a 10 KB clip:    %.2f MiB (goal: at most 8 MiB)    %s\n", player,
                    player <= 8 ? "met" : "NOT MET");
        std::printf("screen-saver installer of the clip: %.2f MiB (goal: at most 16 MiB)   %s\n", installer,
                    installer <= 16 ? "met" : "NOT MET");
    } else {
        std::printf("exported sizes: the stubs are not built\n");
    }
    fs::remove_all(app);
    return 0;
}
