// Times one apply pass of the clip editor as the main window runs it (the movie loaded with the element
// events writing an edited row back, then the working copy saved) on a demo clip and on the largest movie
// of the corpus, beside reading the same file, inflating its body and deflating it again at the level the
// engine saves with, and prints the ratio against the goal of 1.5; and the same with the scan before it.
//
//   glw_editor_bench [--repeat N] [MOVIE...]
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"
#include "main/Form1.h"
#include "main/MainProgram.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdlib.h>
#include <zlib.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kGoal = 1.5;

double best(int repeat, const std::function<void()>& run) {
    double fastest = 1e30;
    for (int i = 0; i < repeat; ++i) {
        const Clock::time_point start = Clock::now();
        run();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string deflateBody(const std::string& body) {
    uLongf size = compressBound(uLong(body.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(body.data()),
              uLong(body.size()), Z_DEFAULT_COMPRESSION);
    out.resize(size);
    return out;
}

std::string inflateBody(const std::string& compressed, std::size_t length) {
    std::string out(length, '\0');
    uLongf size = uLongf(length);
    uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(compressed.data()),
               uLong(compressed.size()));
    out.resize(size);
    return out;
}

// Reading the file, inflating its body and deflating it again. An uncompressed movie's body is deflated
// and inflated back: the same zlib work over the same bytes.
void baseline(const std::string& path) {
    const std::string file = readAll(path);
    if (file.size() < 8) {
        return;
    }
    const std::uint32_t length = std::uint32_t(std::uint8_t(file[4])) | std::uint32_t(std::uint8_t(file[5])) << 8 |
                                 std::uint32_t(std::uint8_t(file[6])) << 16 |
                                 std::uint32_t(std::uint8_t(file[7])) << 24;
    if (file[0] == 'C') {
        const std::string body = inflateBody(file.substr(8), length > 8 ? length - 8 : 0);
        volatile std::size_t n = deflateBody(body).size();
        (void)n;
    } else {
        const std::string packed = deflateBody(file.substr(8));
        volatile std::size_t n = inflateBody(packed, file.size() - 8).size();
        (void)n;
    }
}

// An edit that needs no new glyphs, so the pass measures the editor and the save rather than the fonts: a
// link gets a query, else a text is written backwards.
bool editOneRow(glw::main::Form1& form) {
    for (const auto& item : form.ListView1.items()) {
        if (item->Text() == "Link") {
            item->setSubItems(2, item->SubItems(1) + "?bench");
            return true;
        }
    }
    for (const auto& item : form.ListView1.items()) {
        if (item->Text() == "Text" && item->SubItems(1).size() > 1) {
            std::string reversed = item->SubItems(1);
            std::reverse(reversed.begin(), reversed.end());
            item->setSubItems(2, reversed);
            return true;
        }
    }
    return false;
}

void measure(const std::string& movie, int repeat) {
    // The working copy goes to memory where the system has a memory file system: the save flushes its file
    // to the disk before it renames it, and the baseline writes nothing.
    // A folder of this run's own, so that runs side by side do not share their working copies.
    const fs::path scratch = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (scratch / "glw-editor-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::printf("cannot make a folder in %s: %s\n", scratch.c_str(), std::strerror(errno));
        return;
    }
    const fs::path app = pattern;
    fs::create_directories(app / "Working");
    glw::forms::Runtime runtime{glw::forms::Services{}};
    glw::forms::headless(runtime);
    runtime.App.Path = glw::platform::toSystemPath(app.string());
    glw::main::MainProgram program(runtime);
    glw::main::Form1& form = program.form1();
    form.CurrentClip = glw::platform::toSystemPath(fs::absolute(movie).string());
    form.FlashDemo.Visible = true; // the edit view
    // The scan lists the rows; one row is edited and "Apply" ticked; then the apply pass: the movie loaded
    // with the element events writing the rows back, and the working copy saved.
    form.Command11_Click();
    const bool edited = editOneRow(form);
    form.chkDoChange.Value = glw::forms::vbChecked;
    const double apply = best(repeat, [&] { form.RebuildWorkingClip(); });
    const double scan = best(repeat, [&] { form.Command11_Click(); });
    const double plain = best(repeat, [&] { baseline(movie); });
    const double ratio = apply / plain;
    std::printf("%-28s %6zu bytes %2d rows%s: apply pass %6.3f ms, read+inflate+deflate %6.3f ms: ratio %5.2fx "
                "(goal <= %.1fx: %s); with the scan before it (%6.3f ms) %5.2fx\n",
                fs::path(movie).filename().string().c_str(), std::size_t(fs::file_size(movie)), form.ListView1.Count(),
                edited ? ", 1 edited" : "", apply * 1e3, plain * 1e3, ratio, kGoal, ratio <= kGoal ? "met" : "not met",
                scan * 1e3, (scan + apply) / plain);
    fs::remove_all(app);
}

// The largest movie of the corpus, and the largest compressed one when that is another: an uncompressed
// movie is saved without deflating, so only a compressed one weighs the save against zlib's own work.
std::vector<std::string> corpusMovies() {
    const fs::path corpus = fs::path(GLW_SOURCE_DIR) / ".." / "shared" / "swf-corpus";
    std::error_code ec;
    std::string largest, largestCompressed;
    std::uintmax_t size = 0, compressedSize = 0;
    for (const auto& entry : fs::directory_iterator(corpus, ec)) {
        if (entry.path().extension() != ".swf") {
            continue;
        }
        if (entry.file_size() > size) {
            size = entry.file_size();
            largest = entry.path().string();
        }
        if (entry.file_size() > compressedSize && readAll(entry.path().string()).substr(0, 1) == "C") {
            compressedSize = entry.file_size();
            largestCompressed = entry.path().string();
        }
    }
    std::vector<std::string> out;
    if (!largest.empty()) {
        out.push_back(largest);
    }
    if (!largestCompressed.empty() && largestCompressed != largest) {
        out.push_back(largestCompressed);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    int repeat = 20;
    std::vector<std::string> movies;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            movies.push_back(argv[i]);
        }
    }
    if (movies.empty()) {
        const std::string demo = std::string(GLW_APP_DIR) + "/CLTemplates/Media/postcard.swf";
        if (fs::exists(demo)) {
            movies.push_back(demo);
        } else {
            std::printf("no demo clip at %s (build the demo library first)\n", demo.c_str());
        }
        const auto corpus = corpusMovies();
        if (corpus.empty()) {
            std::printf("no corpus movie found beside the tree: skipped\n");
        }
        movies.insert(movies.end(), corpus.begin(), corpus.end());
    }
    std::printf("One apply pass of the clip editor (scan, apply, save), best of %d; the working copy in %s\n", repeat,
                fs::is_directory("/dev/shm") ? "/dev/shm" : "the temporary folder");
    for (const auto& movie : movies) {
        measure(movie, repeat);
    }
    return 0;
}
