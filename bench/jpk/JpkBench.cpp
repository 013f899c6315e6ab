// Times the package writer and reader on a large package beside cat and cp of the same bytes, with the
// peak memory of each, every step run as a child process of its own; and the stubs' extraction loop over a
// package of many small entries beside one of a single large entry.
//
//   glw_jpk_bench [--megabytes N] [--dir FOLDER] [--runs N] [--entries N]
//
// Steps: JpkAdd of the movie into a package, the join of stub, marker and package, ExtractAppendedData
// from the joined file, and JpkExtract of the movie; beside them cp of the movie and cat of stub, marker
// and package. The steps take turns, round after round (--runs, default 5), each after a sync so that no
// step pays for the write-back of another's output; the median of each is shown. Peak memory is the
// child's maximum resident set (ru_maxrss from wait4).
//
// The join and both extractions flush the file they finish to the disk before they rename it into place (a
// crash never leaves a cut-off file under its name); cp does not. Their ratios are taken to cp followed by
// a flush of its copy, the same work, and JpkAdd's (which flushes nothing) to cp alone.
//
// Goals: the median of the package steps' ratios to cp at most 1.2; the extraction loop over --entries
// (default 20,000) entries of 1 KB at most 3 times the loop over one entry of the same total size. Beside
// the second, the time of creating as many empty files in one folder: what the file system charges for
// the files alone, which no extraction can go below.
#include "jpk/JpkMarker.h"
#include "jpk/JpkReader.h"
#include "jpk/JpkWriter.h"
#include "stubs/StubWorkFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace glw::jpk;
using glw::stubs::DelFileList;
using glw::stubs::JpkExtraction;
using glw::stubs::StubWorkFolder;

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

// One step of the comparison: its command line, where its output goes, and its measured runs.
struct Step {
    const char* what;
    std::vector<std::string> argv;
    std::string stdoutPath;
    std::vector<std::string> removeFirst;
    std::vector<Measure> runs;
    bool flushes = false; // the step flushes its output: compared with cp and a flush
};

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The median run of a step; not ok when any run failed.
Measure medianOf(const Step& step) {
    Measure m;
    m.ok = !step.runs.empty();
    std::vector<double> seconds;
    for (const Measure& run : step.runs) {
        m.ok = m.ok && run.ok;
        m.peakKiB = std::max(m.peakKiB, run.peakKiB);
        seconds.push_back(run.seconds);
    }
    m.seconds = median(seconds);
    return m;
}

// Runs every step once per round, in turns, each after a sync of what the previous ones wrote.
void measureInTurns(std::vector<Step>& steps, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        for (Step& step : steps) {
            for (const std::string& path : step.removeFirst) {
                ::unlink(path.c_str());
            }
            ::sync();
            step.runs.push_back(runChild(step.argv, step.stdoutPath));
        }
    }
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

// The stubs' extraction loop over `package` in a run folder of its own under `base`, in seconds; the
// package copy is linked into the run folder, and the clean-up is not timed. Negative on failure.
double timeExtractAll(const std::string& base, const std::string& package, std::size_t expected) {
    auto work = StubWorkFolder::setUp(base);
    if (!work || ::link(package.c_str(), work->dataFile().c_str()) != 0) {
        return -1;
    }
    ::sync();
    DelFileList del;
    auto start = std::chrono::steady_clock::now();
    JpkExtraction done = work->extractAll(del);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    work->cleanUp(del);
    return done.extracted.size() == expected ? seconds : -1;
}

// A package of `count` entries of `each` bytes, written as the writer lays them out.
void writePackage(const std::string& path, std::size_t count, std::size_t each) {
    FILE* out = std::fopen(path.c_str(), "wb");
    std::vector<char> data(each, 'd');
    for (std::size_t i = 0; i < count; ++i) {
        std::string header = "entry" + std::to_string(i) + ".bin";
        header.push_back('\0');
        header += std::to_string(each);
        header.push_back('\0');
        std::fwrite(header.data(), 1, header.size(), out);
        std::fwrite(data.data(), 1, data.size(), out);
    }
    std::fclose(out);
}

// Seconds of creating `count` empty files in a new folder under `base` (open and close, nothing written):
// the least any extraction of that many entries costs on this file system. Negative on failure.
double timeCreateEmpty(const std::string& base, std::size_t count) {
    std::string pattern = base + "/empty-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return -1;
    }
    const std::string folder = pattern + "/";
    ::sync();
    bool ok = true;
    auto start = std::chrono::steady_clock::now();
    for (std::size_t n = 0; ok && n < count; ++n) {
        const std::string name = folder + "entry" + std::to_string(n) + ".bin";
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ok = fd >= 0 && ::close(fd) == 0;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    return ok ? seconds : -1;
}

// The medians of timed steps run in turns, round after round, so that each meets the disk's write-back of
// the others alike; negative when any run of a step failed.
std::vector<double> mediansInTurns(const std::vector<std::function<double()>>& steps, int rounds) {
    std::vector<std::vector<double>> seconds(steps.size());
    std::vector<double> medians(steps.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            seconds[i].push_back(steps[i]());
        }
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const bool failed = std::any_of(seconds[i].begin(), seconds[i].end(), [](double s) { return s < 0; });
        medians[i] = failed ? -1 : median(seconds[i]);
    }
    return medians;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--step") == 0) {
        return runStep(argc, argv);
    }

    std::uint64_t megabytes = 200;
    int runs = 5;
    std::size_t entries = 20'000;
    std::string base = fs::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--megabytes") == 0) {
            megabytes = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--dir") == 0) {
            base = argv[i + 1];
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--entries") == 0) {
            entries = std::max<std::size_t>(1, std::strtoull(argv[i + 1], nullptr, 10));
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
    const std::string flushed = dir + "/flushed.swf";

    const std::uint64_t size = megabytes * 1'000'000;
    writePattern(movie, size);
    writePattern(stub, 2'000'000);
    auto m = JpkMarker();
    FILE* markerFile = std::fopen(marker.c_str(), "wb");
    std::fwrite(m.data(), 1, m.size(), markerFile);
    std::fclose(markerFile);

    std::printf("package of %llu MB in %s, median of %d runs taken in turns\n",
                static_cast<unsigned long long>(megabytes), dir.c_str(), runs);
    // The package and the joined file must exist before the steps that read them run.
    if (!JpkAdd(package, movie, "glwmovie.swf").ok() ||
        runChild({self, "--step", "join", stub, package, joined}).ok == false) {
        std::printf("  setting up the package FAILED\n");
        return 1;
    }
    ::unlink(package.c_str());
    std::vector<Step> steps = {
        {"cp of the movie", {"/bin/cp", movie, copied}, {}, {copied}, {}},
        {"cp and a flush of the copy",
         {"/bin/sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\"", movie, flushed},
         {},
         {flushed},
         {}},
        {"JpkAdd of the movie", {self, "--step", "add", package, movie, "glwmovie.swf"}, {}, {package}, {}},
        {"cat of stub, marker, package", {"/bin/cat", stub, marker, package}, catted, {}, {}},
        {"join (LoadData + joiner)", {self, "--step", "join", stub, package, joined}, {}, {joined}, {}, true},
        {"ExtractAppendedData", {self, "--step", "appended", joined, appended}, {}, {appended}, {}, true},
        {"JpkExtract of the movie",
         {self, "--step", "extract", appended, "glwmovie.swf", extracted},
         {},
         {extracted},
         {},
         true},
    };
    measureInTurns(steps, runs);
    const Measure cp = medianOf(steps[0]);
    const Measure cpFlush = medianOf(steps[1]);
    std::vector<double> ratios;
    bool allOk = true;
    for (const Step& step : steps) {
        const Measure med = medianOf(step);
        row(step.what, med, cp);
        allOk = allOk && med.ok;
        if (step.argv[0] == self) {
            ratios.push_back(med.seconds / (step.flushes ? cpFlush : cp).seconds);
        }
    }
    bool same = allOk && fs::file_size(extracted) == size && fs::file_size(joined) == fs::file_size(catted);
    const double medianRatio = median(ratios);
    std::printf("  results %s; package %.1f MiB\n", same ? "match" : "DIFFER", static_cast<double>(size) / (1 << 20));
    std::printf(
        "  join and extract: median %.2fx cp (a flushed cp for the steps that flush)   goal at most 1.20x   %s\n",
        medianRatio, medianRatio <= 1.2 ? "met" : "NOT MET");

    // The extraction loop: many small entries against one large one of the same total size.
    const std::size_t each = 1024;
    const std::string many = dir + "/many.dta", one = dir + "/one.dta", runBase = dir + "/temp";
    fs::create_directory(runBase);
    writePackage(many, entries, each);
    writePackage(one, 1, entries * each);
    const std::size_t half = entries / 2;
    const std::string halfPackage = dir + "/half.dta";
    writePackage(halfPackage, half, each);
    const std::vector<double> medians = mediansInTurns({
                                                           [&] { return timeExtractAll(runBase, many, entries); },
                                                           [&] { return timeExtractAll(runBase, one, 1); },
                                                           [&] { return timeExtractAll(runBase, halfPackage, half); },
                                                           [&] { return timeCreateEmpty(runBase, entries); },
                                                       },
                                                       runs);
    const double manySeconds = medians[0], oneSeconds = medians[1], halfSeconds = medians[2];
    const double floorSeconds = medians[3];
    if (manySeconds < 0 || oneSeconds < 0 || halfSeconds < 0 || floorSeconds < 0) {
        std::printf("  extraction loop FAILED\n");
        same = false;
    } else {
        const double ratio = manySeconds / oneSeconds;
        std::printf("  extraction loop, %zu entries of 1 KB   %8.3f s\n", entries, manySeconds);
        std::printf("  extraction loop, %zu entries of 1 KB   %8.3f s   (%.2fx the time of half as many)\n", half,
                    halfSeconds, manySeconds / halfSeconds);
        std::printf("  extraction loop, 1 entry of %zu KB     %8.3f s\n", entries, oneSeconds);
        std::printf("  many small against one large: %.2fx   goal at most 3x   %s\n", ratio,
                    ratio <= 3 ? "met" : "NOT MET");
        // What the file system alone charges for that many files: no extraction can cost less.
        std::printf("  creating %zu empty files, nothing written  %8.3f s   (%.2fx the one large entry; the loop "
                    "costs %.2fx this)\n",
                    entries, floorSeconds, floorSeconds / oneSeconds, manySeconds / floorSeconds);
    }

    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return same ? 0 : 1;
}
