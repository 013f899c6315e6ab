// Measures load, scan and save throughput of the SWF engine over the movie corpus and a large
// generated movie, beside zlib's own inflate of the same compressed bytes and a plain read of the
// file, all in the same run, and prints the ratios against the targets.
//
//   glw_swf_bench [--repeat N] [--images N] [--keep FOLDER]
#include "swf/Movie.h"
#include "swf/SwfFixtures.h"
#include "swf/SwfGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <zlib.h>

namespace fx = glw::swf::fixtures;
using namespace glw::swf;

namespace {

using Clock = std::chrono::steady_clock;

// The best of `repeat` runs, in seconds: the least disturbed measurement.
double best(int repeat, const std::function<void()>& run) {
    double fastest = 1e30;
    for (int i = 0; i < repeat; ++i) {
        Clock::time_point start = Clock::now();
        run();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

// zlib's inflate of a CWS body, into a buffer of the declared size.
std::size_t inflateOnly(const Bytes& file) {
    std::size_t length = file.size() >= 8 ? readU32(file.data() + 4) : 0;
    Bytes out(length > 8 ? length - 8 : 0);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(file.data() + 8);
    z.avail_in = static_cast<uInt>(file.size() - 8);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_FINISH);
    std::size_t n = z.total_out;
    inflateEnd(&z);
    return n;
}

// A noisy image compresses the way photographs do: JPEG data that deflate cannot shrink much.
Bytes noiseJpeg(int width, int height, std::uint32_t seed) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 85, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    while (c.next_scanline < c.image_height) {
        for (std::size_t x = 0; x < row.size(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            // Gradients under heavy grain: about 1.5 MB of JPEG data per image.
            row[x] = static_cast<std::uint8_t>((x / 3 + c.next_scanline) / 8 + (seed >> 26));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    free(buffer);
    return out;
}

fx::MovieSpec largeMovie(int images) {
    fx::MovieSpec spec;
    spec.version = 10;
    fx::append(spec.tags, fx::backgroundColor());
    fx::append(spec.tags, fx::defineFont2(fx::FontSpec{}));
    for (int i = 0; i < images; ++i) {
        fx::append(spec.tags, fx::defineBitsJpeg2(static_cast<std::uint16_t>(100 + i),
                                                  noiseJpeg(1280, 960, static_cast<std::uint32_t>(i))));
        fx::append(spec.tags, fx::defineText(fx::TextSpec{.id = static_cast<std::uint16_t>(2000 + i)}));
        fx::append(spec.tags, fx::doAction({fx::getUrl("http://example.com/" + std::to_string(i))}));
        fx::append(spec.tags, fx::placeObject2(static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(2000 + i),
                                               fx::matrix(20 * i, 20 * i)));
    }
    fx::append(spec.tags, fx::showFrame());
    fx::append(spec.tags, fx::endTag());
    return spec;
}

struct Row {
    std::string name;
    char kind = 'F';
    double fileMb = 0;
    double readS = 0;
    double inflateS = 0;
    double loadS = 0;
    double scanS = 0;
    double saveS = 0;
    double rewriteS = 0;
};

Row measure(const std::string& name, const std::string& path, const std::string& out, int repeat) {
    Row row;
    row.name = name;
    Bytes file = fx::readFile(path);
    row.kind = file.empty() ? '?' : static_cast<char>(file[0]);
    row.fileMb = file.size() / 1e6;
    row.readS = best(repeat, [&] { (void)readFileBytes(path, std::size_t{1} << 30); });
    if (row.kind == 'C') {
        row.inflateS = best(repeat, [&] { (void)inflateOnly(file); });
    }
    row.loadS = best(repeat, [&] { (void)loadMovieFile(path); });
    std::size_t elements = 0;
    row.scanS = best(repeat, [&] {
        SwfGenerator g;
        g.RaiseSubEvents(true);
        g.OnSubText = [&](TextElement&) { ++elements; };
        g.OnSubEditText = [&](EditTextElement&) { ++elements; };
        g.OnSubActionGetUrl = [&](LinkElement&) { ++elements; };
        g.OnSubImage = [&](ImageElement&) { ++elements; };
        g.OnSubSound = [&](SoundElement&) { ++elements; };
        (void)g.LoadSwf(path);
    });
    glw::Result<Movie> movie = loadMovieFile(path);
    if (movie) {
        row.saveS = best(repeat, [&] { (void)saveMovieFile(*movie, out); });
        // A changed movie is encoded (and compressed) afresh.
        row.rewriteS = best(repeat, [&] { (void)saveMovieFile(*movie, out, WriteOptions{false}); });
    }
    return row;
}

void print(const std::vector<Row>& rows) {
    std::printf("%-40s %4s %8s %9s %9s %9s %9s %9s %9s  %s\n", "movie", "kind", "MB", "read", "inflate", "load", "scan",
                "save", "rewrite", "load time ratio (target)");
    for (const Row& r : rows) {
        auto mbps = [&](double s) { return s > 0 ? r.fileMb / s : 0.0; };
        char ratio[64] = "";
        if (r.kind == 'C' && r.inflateS > 0) {
            // Beside the target's ratio, the one against reading and inflating: for tiny movies
            // opening the file costs more than inflating it.
            std::snprintf(ratio, sizeof ratio, "%.2fx inflate (<= 1.5); %.2fx read+inflate", r.loadS / r.inflateS,
                          r.loadS / (r.readS + r.inflateS));
        } else if (r.kind == 'F' && r.readS > 0) {
            std::snprintf(ratio, sizeof ratio, "%.2fx read (<= 2)", r.loadS / r.readS);
        }
        std::printf("%-40s %4c %8.3f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f  %s\n", r.name.c_str(), r.kind, r.fileMb,
                    mbps(r.readS), mbps(r.inflateS), mbps(r.loadS), mbps(r.scanS), mbps(r.saveS), mbps(r.rewriteS),
                    ratio);
    }
}

} // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    int images = 60;
    std::string keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--repeat") == 0) {
            repeat = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--images") == 0) {
            images = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--keep") == 0) {
            keep = argv[i + 1];
        }
    }
    fx::TempDir temp;
    std::string dir = keep.empty() ? temp.path().string() : keep;
    std::string out = dir + "/out.swf";

    std::printf("Throughput in MB/s of the file as stored (best of %d runs). load: read and parse; scan: load with\n"
                "every element event; save: unchanged movie; rewrite: encoded and compressed afresh.\n\n",
                repeat);
    std::vector<Row> rows;
    fx::MovieSpec large = largeMovie(images);
    fx::writeFile(dir + "/large-fws.swf", fx::buildMovie(large));
    large.container = fx::Container::Cws;
    fx::writeFile(dir + "/large-cws.swf", fx::buildMovie(large));
    rows.push_back(
        measure("generated: " + std::to_string(images) + " JPEG images (FWS)", dir + "/large-fws.swf", out, repeat));
    rows.push_back(
        measure("generated: " + std::to_string(images) + " JPEG images (CWS)", dir + "/large-cws.swf", out, repeat));

    std::vector<std::filesystem::path> corpus;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(fx::corpusDir(), ec)) {
        if (e.path().extension() == ".swf") {
            corpus.push_back(e.path());
        }
    }
    std::sort(corpus.begin(), corpus.end());
    if (corpus.empty()) {
        std::printf("(the movie corpus is not at %s)\n", fx::corpusDir().string().c_str());
    }
    // Small movies are timed in batches so that the clock's resolution does not dominate.
    for (const auto& p : corpus) {
        rows.push_back(measure(p.filename().string(), p.string(), out, repeat * 4));
    }
    print(rows);
    return 0;
}
