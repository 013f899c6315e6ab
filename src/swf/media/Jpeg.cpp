// JPEG decoding, resampling, encoding and quality estimation on libjpeg-turbo.
#include "swf/media/Jpeg.h"

// clang-format off
#include <cstdio>   // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace glw::swf::media {
namespace {

// A progressive JPEG may declare any number of scans, each a full pass over the coefficients; real
// encoders write about ten. Past this many the data is taken as hostile.
constexpr int kMaxScans = 500;

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp of the call that is running, with the message kept here.
struct ErrorManager {
    jpeg_error_mgr pub{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    char warning[JMSG_LENGTH_MAX] = {}; // the first warning, when there was one
};

[[noreturn]] void onJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr cinfo, int level) {
    // Warnings (premature end of data, corrupt entropy data) are tolerated for images already in a
    // movie, as players do: the decoder fills what is missing with grey. The first is kept for callers
    // that refuse damaged data. Nothing is printed.
    if (level < 0) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        if (err->pub.num_warnings++ == 0) {
            (*cinfo->err->format_message)(cinfo, err->warning);
        }
    }
}

void onJpegProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (dinfo->input_scan_number > kMaxScans) {
            auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
            std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
            std::longjmp(err->jump, 1);
        }
    }
}

void installErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onJpegError;
    err.pub.emit_message = onJpegMessage;
}

// Everything a decode touches after setjmp lives here, on the heap, so that no local variable of the
// calling function changes between setjmp and a longjmp.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    bool created = false;
    Image image;
    std::vector<std::uint8_t> stream;

    ~DecodeState() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
};

struct EncodeState {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    bool created = false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> row;

    ~EncodeState() {
        if (created) {
            jpeg_destroy_compress(&cinfo);
        }
        std::free(buffer);
    }
};

bool isMarker(std::span<const std::uint8_t> b, std::size_t pos, std::uint8_t code) {
    return pos + 1 < b.size() && b[pos] == 0xFF && b[pos + 1] == code;
}

bool isStandaloneMarker(std::uint8_t code) {
    return code == 0x01 || (code >= 0xD0 && code <= 0xD7);
}

std::size_t segmentLength(std::span<const std::uint8_t> b, std::size_t pos) {
    return (static_cast<std::size_t>(b[pos + 2]) << 8) | b[pos + 3];
}

// Calls visit(code, payload) for every marker segment before the first scan, across any
// end/start-of-image pairs. Returns false when the segments are broken (a length past the end or
// bytes that are not a marker).
template <class Visit> bool walkSegments(std::span<const std::uint8_t> b, Visit visit) {
    std::size_t pos = 0;
    while (isMarker(b, pos, 0xD9)) {
        pos += 2;
    }
    if (!isMarker(b, pos, 0xD8)) {
        return false;
    }
    pos += 2;
    while (pos < b.size()) {
        if (b[pos] != 0xFF || pos + 1 >= b.size()) {
            return false;
        }
        const std::uint8_t code = b[pos + 1];
        if (code == 0xFF) { // fill byte before a marker
            ++pos;
            continue;
        }
        if (code == 0xD8 || isStandaloneMarker(code)) {
            pos += 2;
            continue;
        }
        if (code == 0xD9) {
            if (isMarker(b, pos + 2, 0xD8)) {
                pos += 4;
                continue;
            }
            return true; // end of image (or of a tables-only stream)
        }
        if (pos + 4 > b.size()) {
            return false;
        }
        const std::size_t length = segmentLength(b, pos);
        if (length < 2 || pos + 2 + length > b.size()) {
            return false;
        }
        if (!visit(code, b.subspan(pos + 4, length - 2), pos)) {
            return true;
        }
        pos += 2 + length;
    }
    return true;
}

Error libjpegError(const ErrorManager& err) {
    return makeError(ErrorCode::Malformed, std::string("JPEG: ") + err.message);
}

} // namespace

std::vector<std::uint8_t> joinJpegStreams(std::span<const std::uint8_t> b) {
    std::vector<std::uint8_t> out;
    out.reserve(b.size());
    out.push_back(0xFF);
    out.push_back(0xD8);
    std::size_t scanStart = 0;
    bool sawScan = false;
    const bool ok = walkSegments(b, [&](std::uint8_t code, std::span<const std::uint8_t>, std::size_t pos) {
        if (code == 0xDA) {
            scanStart = pos;
            sawScan = true;
            return false;
        }
        const std::size_t length = segmentLength(b, pos);
        out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(pos),
                   b.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
        return true;
    });
    if (!ok || !sawScan) {
        return {b.begin(), b.end()};
    }
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(scanStart), b.end());
    return out;
}

bool isJpeg(std::span<const std::uint8_t> bytes) {
    auto state = std::make_unique<DecodeState>();
    state->stream = joinJpegStreams(bytes);
    if (state->stream.size() < 4 || state->stream[0] != 0xFF || state->stream[1] != 0xD8) {
        return false;
    }
    installErrorManager(state->err);
    state->cinfo.err = &state->err.pub;
    if (setjmp(state->err.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&state->cinfo);
    state->created = true;
    jpeg_mem_src(&state->cinfo, state->stream.data(), static_cast<unsigned long>(state->stream.size()));
    if (jpeg_read_header(&state->cinfo, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    return state->cinfo.jpeg_color_space != JCS_CMYK && state->cinfo.jpeg_color_space != JCS_YCCK;
}

Result<Image> decodeJpeg(std::span<const std::uint8_t> bytes, std::size_t maxPixels, JpegDamage damage) {
    auto state = std::make_unique<DecodeState>();
    state->stream = joinJpegStreams(bytes);
    if (state->stream.size() < 4 || state->stream[0] != 0xFF || state->stream[1] != 0xD8) {
        return makeError(ErrorCode::Malformed, "not JPEG data (no start-of-image marker)");
    }
    installErrorManager(state->err);
    state->cinfo.err = &state->err.pub;
    state->progress.progress_monitor = onJpegProgress;
    if (setjmp(state->err.jump) != 0) {
        return libjpegError(state->err);
    }
    jpeg_create_decompress(&state->cinfo);
    state->created = true;
    state->cinfo.progress = &state->progress;
    jpeg_mem_src(&state->cinfo, state->stream.data(), static_cast<unsigned long>(state->stream.size()));
    if (jpeg_read_header(&state->cinfo, TRUE) != JPEG_HEADER_OK) {
        return makeError(ErrorCode::Malformed, "JPEG data holds tables but no image");
    }
    if (state->cinfo.jpeg_color_space == JCS_CMYK || state->cinfo.jpeg_color_space == JCS_YCCK) {
        return makeError(ErrorCode::Unsupported, "CMYK JPEG images are not supported");
    }
    const std::size_t pixels = std::size_t{state->cinfo.image_width} * state->cinfo.image_height;
    if (pixels == 0 || pixels > maxPixels) {
        return makeError(ErrorCode::TooLarge, "JPEG image of " + std::to_string(state->cinfo.image_width) + " x " +
                                                  std::to_string(state->cinfo.image_height) +
                                                  " pixels is beyond the size limit");
    }
    state->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&state->cinfo);
    Image& image = state->image;
    image.width = static_cast<int>(state->cinfo.output_width);
    image.height = static_cast<int>(state->cinfo.output_height);
    image.channels = 3;
    image.pixels.resize(std::size_t{state->cinfo.output_width} * state->cinfo.output_height * 3);
    const std::size_t stride = std::size_t{state->cinfo.output_width} * 3;
    while (state->cinfo.output_scanline < state->cinfo.output_height) {
        JSAMPROW row = image.pixels.data() + stride * state->cinfo.output_scanline;
        jpeg_read_scanlines(&state->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&state->cinfo);
    if (damage == JpegDamage::Refuse && state->err.pub.num_warnings > 0) {
        return makeError(ErrorCode::Malformed,
                         std::string("the JPEG image is damaged and does not decode whole: ") + state->err.warning);
    }
    return std::move(state->image);
}

Result<Image> readJpegFile(const std::filesystem::path& file, std::size_t maxPixels, JpegDamage damage) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        return makeError(ErrorCode::NotFound, "cannot read " + file.string() + ": " + ec.message());
    }
    if (size > kMaxJpegFileBytes) {
        return makeError(ErrorCode::TooLarge, file.string() + " is too large for a JPEG image");
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        return makeError(ErrorCode::Io, "cannot read " + file.string());
    }
    return decodeJpeg(bytes, maxPixels, damage);
}

namespace {

struct Contribution {
    int first = 0;              // first source index
    std::vector<float> weights; // for source indexes first, first + 1, ...
};

// Triangle-filter weights mapping src samples onto dst samples; edge samples repeat past the border.
std::vector<Contribution> contributions(int src, int dst) {
    const double scale = static_cast<double>(dst) / src;
    const double support = scale < 1.0 ? 1.0 / scale : 1.0;
    std::vector<Contribution> out(static_cast<std::size_t>(dst));
    for (int i = 0; i < dst; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        const int lo = static_cast<int>(std::floor(centre - support)) + 1;
        const int hi = static_cast<int>(std::ceil(centre + support)) - 1;
        const int first = std::clamp(lo, 0, src - 1);
        const int last = std::clamp(hi, 0, src - 1);
        Contribution& c = out[static_cast<std::size_t>(i)];
        c.first = first;
        c.weights.assign(static_cast<std::size_t>(last - first + 1), 0.0F);
        double sum = 0.0;
        for (int j = lo; j <= hi; ++j) {
            const double w = std::max(0.0, 1.0 - std::abs(j - centre) / support);
            c.weights[static_cast<std::size_t>(std::clamp(j, 0, src - 1) - first)] += static_cast<float>(w);
            sum += w;
        }
        if (sum <= 0.0) { // a centre exactly between samples with support 1: take the nearest
            c.weights.assign(c.weights.size(), 0.0F);
            c.weights[static_cast<std::size_t>(std::clamp(static_cast<int>(std::lround(centre)), first, last) -
                                               first)] = 1.0F;
        } else {
            for (float& w : c.weights) {
                w = static_cast<float>(w / sum);
            }
        }
    }
    return out;
}

} // namespace

Result<Image> resample(const Image& image, int width, int height) {
    const int ch = image.channels;
    if (image.width < 1 || image.height < 1 || (ch != 1 && ch != 3 && ch != 4) ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * std::size_t(ch)) {
        return makeError(ErrorCode::Invalid, "resample: inconsistent source image");
    }
    if (width < 1 || height < 1) {
        return makeError(ErrorCode::Invalid, "resample: target size below one pixel");
    }
    const std::size_t target = std::size_t(width) * std::size_t(height);
    const std::size_t between = std::size_t(width) * std::size_t(image.height);
    if (target > kMaxImagePixels || between > kMaxImagePixels) {
        return makeError(ErrorCode::TooLarge, "resample: target size beyond the size limit");
    }
    if (width == image.width && height == image.height) {
        return image;
    }
    const auto across = contributions(image.width, width);
    const auto down = contributions(image.height, height);

    // Horizontal pass into floats (width x source height), then vertical pass into bytes.
    std::vector<float> mid(between * std::size_t(ch));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* srcRow = image.pixels.data() + std::size_t(y) * std::size_t(image.width) * ch;
        float* dstRow = mid.data() + std::size_t(y) * std::size_t(width) * ch;
        for (int x = 0; x < width; ++x) {
            const Contribution& c = across[std::size_t(x)];
            for (int k = 0; k < ch; ++k) {
                float sum = 0.0F;
                for (std::size_t j = 0; j < c.weights.size(); ++j) {
                    sum += c.weights[j] * srcRow[(std::size_t(c.first) + j) * ch + k];
                }
                dstRow[std::size_t(x) * ch + k] = sum;
            }
        }
    }
    Image out;
    out.width = width;
    out.height = height;
    out.channels = ch;
    out.pixels.resize(target * std::size_t(ch));
    const std::size_t rowFloats = std::size_t(width) * ch;
    for (int y = 0; y < height; ++y) {
        const Contribution& c = down[std::size_t(y)];
        std::uint8_t* dstRow = out.pixels.data() + std::size_t(y) * rowFloats;
        for (std::size_t i = 0; i < rowFloats; ++i) {
            float sum = 0.0F;
            for (std::size_t j = 0; j < c.weights.size(); ++j) {
                sum += c.weights[j] * mid[(std::size_t(c.first) + j) * rowFloats + i];
            }
            dstRow[i] = static_cast<std::uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
        }
    }
    return out;
}

Result<std::vector<std::uint8_t>> encodeJpeg(const Image& image, int quality) {
    const int ch = image.channels;
    if (quality < 0 || quality > 100) {
        return makeError(ErrorCode::Invalid, "JPEG quality " + std::to_string(quality) + " outside 0-100");
    }
    if (image.width < 1 || image.height < 1 || image.width > 65500 || image.height > 65500 ||
        (ch != 1 && ch != 3 && ch != 4) ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * std::size_t(ch)) {
        return makeError(ErrorCode::Invalid, "encodeJpeg: inconsistent image");
    }
    auto state = std::make_unique<EncodeState>();
    installErrorManager(state->err);
    state->cinfo.err = &state->err.pub;
    if (setjmp(state->err.jump) != 0) {
        return libjpegError(state->err);
    }
    jpeg_create_compress(&state->cinfo);
    state->created = true;
    jpeg_mem_dest(&state->cinfo, &state->buffer, &state->size);
    state->cinfo.image_width = static_cast<JDIMENSION>(image.width);
    state->cinfo.image_height = static_cast<JDIMENSION>(image.height);
    state->cinfo.input_components = ch;
    state->cinfo.in_color_space = ch == 1 ? JCS_GRAYSCALE : (ch == 3 ? JCS_RGB : JCS_EXT_RGBA);
    jpeg_set_defaults(&state->cinfo);
    jpeg_set_quality(&state->cinfo, std::max(quality, 1), TRUE);
    jpeg_start_compress(&state->cinfo, TRUE);
    const std::size_t stride = std::size_t(image.width) * std::size_t(ch);
    state->row.resize(stride);
    while (state->cinfo.next_scanline < state->cinfo.image_height) {
        // libjpeg takes non-const rows; copy so the caller's image stays untouched by contract.
        std::memcpy(state->row.data(), image.pixels.data() + stride * state->cinfo.next_scanline, stride);
        JSAMPROW row = state->row.data();
        jpeg_write_scanlines(&state->cinfo, &row, 1);
    }
    jpeg_finish_compress(&state->cinfo);
    return std::vector<std::uint8_t>(state->buffer, state->buffer + state->size);
}

namespace {

// Zig-zag position k of a DQT table holds the coefficient at natural (row-major) index kZigZag[k].
constexpr std::array<int, 64> kZigZag = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                         12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                         35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                         58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The example tables of the JPEG standard (Annex K), natural order, that IJG-style encoders scale.
constexpr std::array<int, 64> kLuminance = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominance = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                              24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

struct QuantTable {
    bool present = false;
    bool wide = false; // 16-bit entries
    std::array<int, 64> natural{};
};

int scaledEntry(int basic, int quality, bool wide) {
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    long v = (static_cast<long>(basic) * scale + 50) / 100;
    v = std::clamp(v, 1L, wide ? 32767L : 255L);
    return static_cast<int>(v);
}

long tableDistance(const QuantTable& t, const std::array<int, 64>& basic, int quality) {
    long d = 0;
    for (int i = 0; i < 64; ++i) {
        d += std::abs(t.natural[std::size_t(i)] - scaledEntry(basic[std::size_t(i)], quality, t.wide));
    }
    return d;
}

} // namespace

Result<int> estimateJpegQuality(std::span<const std::uint8_t> bytes) {
    std::array<QuantTable, 4> tables{};
    bool broken = false;
    const bool ok = walkSegments(bytes, [&](std::uint8_t code, std::span<const std::uint8_t> payload, std::size_t) {
        if (code == 0xDA) {
            return false;
        }
        if (code != 0xDB) {
            return true;
        }
        std::size_t p = 0;
        while (p < payload.size()) {
            const int precision = payload[p] >> 4;
            const int id = payload[p] & 0x0F;
            const std::size_t entryBytes = precision == 0 ? 1 : 2;
            if (precision > 1 || id > 3 || p + 1 + 64 * entryBytes > payload.size()) {
                broken = true;
                return false;
            }
            QuantTable& t = tables[std::size_t(id)];
            t.present = true;
            t.wide = precision == 1;
            for (std::size_t k = 0; k < 64; ++k) {
                const std::size_t at = p + 1 + k * entryBytes;
                const int v = entryBytes == 1 ? payload[at] : (payload[at] << 8) | payload[at + 1];
                t.natural[std::size_t(kZigZag[k])] = v;
            }
            p += 1 + 64 * entryBytes;
        }
        return true;
    });
    if (!ok || broken) {
        return makeError(ErrorCode::Malformed, "JPEG marker segments are broken");
    }
    const QuantTable* luma = nullptr;
    for (const QuantTable& t : tables) {
        if (t.present) {
            luma = &t;
            break;
        }
    }
    if (luma == nullptr) {
        return makeError(ErrorCode::NotFound, "JPEG data holds no quantisation table");
    }
    const QuantTable* chroma = tables[1].present && luma != &tables[1] ? &tables[1] : nullptr;
    int best = 100;
    long bestDistance = -1;
    for (int q = 100; q >= 1; --q) {
        long d = tableDistance(*luma, kLuminance, q);
        if (chroma != nullptr) {
            d += tableDistance(*chroma, kChrominance, q);
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = q;
        }
    }
    return best;
}

} // namespace glw::swf::media
