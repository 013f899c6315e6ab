// Times the package writer and reader on a large package beside cat and cp of the same bytes, with the
// peak memory of each, every step run as a child process of its own.
//
//   glw_jpk_bench [--megabytes N] [--dir FOLDER] [--runs N]
//
// Steps: JpkAdd of the movie into a package, the join of stub, marker and package, ExtractAppendedData
// from the joined file, and JpkExtract of the movie; beside them cp of the movie and cat of stub, marker
// and package. Each is run --runs times (default 3) and its fastest run is shown; peak memory is the
// child's maximum resident set (ru_maxrss from wait4).
#include "jpk/JpkMarker.h"
#include "jpk/JpkReader.h"
#include "jpk/JpkWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace glw::jpk;

struct Measure {
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

// Runs `argv` as a child, stdout to `stdoutPath` when given, and measures it.
Measure runChild(const std::vector<std::string>& argv, const std::string& stdoutPath = {}) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (!stdoutPath.empty()) {
            int fd = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::dup2(fd, 1) < 0) {
                ::_exit(126);
            }
            ::close(fd);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    Measure m;
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) < 0) {
        return m;
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peakKiB = usage.ru_maxrss;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

Measure best(int runs, const std::vector<std::string>& argv, const std::string& stdoutPath = {},
             const std::vector<std::string>& removeFirst = {}) {
    Measure fastest;
    for (int i = 0; i < runs; ++i) {
        for (const std::string& path : removeFirst) {
            ::unlink(path.c_str());
        }
        Measure m = runChild(argv, stdoutPath);
        if (!m.ok) {
            return m;
        }
        if (!fastest.ok || m.seconds < fastest.seconds) {
            fastest = m;
        }
        fastest.peakKiB = std::max(fastest.peakKiB, m.peakKiB);
    }
    return fastest;
}

void writePattern(const std::string& path, std::uint64_t size) {
    std::vector<char> block(1 << 20);
    std::uint32_t state = 12345;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    for (std::uint64_t done = 0; done < size;) {
        for (char& c : block) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - done));
        std::fwrite(block.data(), 1, n, out);
        done += n;
    }
    std::fclose(out);
}

// The child side: one step of the package code.
int runStep(int argc, char** argv) {
    std::string step = argv[2];
    if (step == "add" && argc == 6) {
        return JpkAdd(argv[3], argv[4], argv[5]).ok() ? 0 : 1;
    }
    if (step == "join" && argc == 6) {
        auto data = LoadData(argv[4]);
        return data && joinSelfExtractingFile(argv[3], *data, argv[5]).ok() ? 0 : 1;
    }
    if (step == "appended" && argc == 5) {
        return ExtractAppendedData(argv[3], argv[4]).ok() ? 0 : 1;
    }
    if (step == "extract" && argc == 6) {
        return JpkExtract(argv[3], argv[4], argv[5]).ok() ? 0 : 1;
    }
    return 2;
}

void row(const char* what, const Measure& m, const Measure& cp) {
    if (!m.ok) {
        std::printf("  %-34s FAILED\n", what);
        return;
    }
    std::printf("  %-34s %8.3f s  %6.2fx cp   peak %7.1f MiB\n", what, m.seconds, m.seconds / cp.seconds,
                static_cast<double>(m.peakKiB) / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--step") == 0) {
        return runStep(argc, argv);
    }

    std::uint64_t megabytes = 200;
    int runs = 3;
    std::string base = fs::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--megabytes") == 0) {
            megabytes = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--dir") == 0) {
            base = argv[i + 1];
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    std::string pattern = base + "/glw-jpk-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string movie = dir + "/glwmovie.swf", stub = dir + "/glwbase.exe", marker = dir + "/marker";
    const std::string package = dir + "/glwexe.dta", joined = dir + "/joined.exe", copied = dir + "/copy.swf";
    const std::string catted = dir + "/catted.exe", appended = dir + "/appended.dta", extracted = dir + "/out.swf";

    const std::uint64_t size = megabytes * 1'000'000;
    writePattern(movie, size);
    writePattern(stub, 2'000'000);
    auto m = JpkMarker();
    FILE* markerFile = std::fopen(marker.c_str(), "wb");
    std::fwrite(m.data(), 1, m.size(), markerFile);
    std::fclose(markerFile);

    std::printf("package of %llu MB in %s, fastest of %d runs\n", static_cast<unsigned long long>(megabytes),
                dir.c_str(), runs);
    Measure cp = best(runs, {"/bin/cp", movie, copied}, {}, {copied});
    Measure add = best(runs, {self, "--step", "add", package, movie, "glwmovie.swf"}, {}, {package});
    Measure cat = best(runs, {"/bin/cat", stub, marker, package}, catted);
    Measure join = best(runs, {self, "--step", "join", stub, package, joined}, {}, {joined});
    Measure app = best(runs, {self, "--step", "appended", joined, appended}, {}, {appended});
    Measure ext = best(runs, {self, "--step", "extract", appended, "glwmovie.swf", extracted}, {}, {extracted});

    row("cp of the movie", cp, cp);
    row("cat of stub, marker, package", cat, cp);
    row("JpkAdd of the movie", add, cp);
    row("join (LoadData + joiner)", join, cp);
    row("ExtractAppendedData", app, cp);
    row("JpkExtract of the movie", ext, cp);
    bool same = add.ok && join.ok && app.ok && ext.ok && fs::file_size(extracted) == size &&
                fs::file_size(joined) == fs::file_size(catted);
    std::printf("  results %s; package %.1f MiB, target within 1.5x cp\n", same ? "match" : "DIFFER",
                static_cast<double>(size) / (1 << 20));

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return same ? 0 : 1;
}
