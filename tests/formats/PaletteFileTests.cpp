// The palette files: one table of files written and read both ways, the files only read, and the files
// refused.
#include "CaseTable.h"
#include "formats/PaletteFile.h"

namespace glw::formats {
namespace {

// The 16 bytes of one record, little-endian.
std::string record(std::uint32_t colour, std::uint32_t hue, std::uint32_t saturation, std::uint32_t luminance) {
    std::string bytes;
    for (std::uint32_t v : {colour, hue, saturation, luminance}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(char((v >> shift) & 0xFF));
        }
    }
    return bytes;
}

// A file whose record k is `first` for k = 0 and all zero after it.
std::string fileStartingWith(const std::string& first) {
    return first + std::string(kPaletteFileSize - first.size(), '\0');
}

PaletteRecords recordsStartingWith(PaletteRecord first) {
    PaletteRecords records{};
    records[0] = first;
    return records;
}

// Record k: a colour of its own, its hue, a negative saturation and a luminance near the largest value.
PaletteRecords sample() {
    PaletteRecords records{};
    for (int k = 0; k < 32; ++k) {
        records[std::size_t(k)] = {k + 256 * (255 - k) + 65536 * (7 * k), 7 * k, -k, 0x7FFFFFFF - k};
    }
    return records;
}
std::string sampleBytes() {
    std::string bytes;
    for (int k = 0; k < 32; ++k) {
        bytes += record(std::uint32_t(k + 256 * (255 - k) + 65536 * (7 * k)), std::uint32_t(7 * k), std::uint32_t(-k),
                        std::uint32_t(0x7FFFFFFF - k));
    }
    return bytes;
}

using test::Way;

TEST(PaletteFile, WritesAndReadsEachCase) {
    const test::CaseRow<PaletteRecords> cases[] = {
        {"an all-zero palette", std::string(kPaletteFileSize, '\0'), PaletteRecords{}},
        {"red in the low byte, then hue, saturation and luminance", fileStartingWith(record(0xFF, 240, 120, 0)),
         recordsStartingWith({0xFF, 240, 120, 0})},
        {"the largest colour and negative values", fileStartingWith(record(0xFFFFFF, 0xFFFFFFFF, 0x80000000, 1)),
         recordsStartingWith({0xFFFFFF, -1, std::numeric_limits<std::int32_t>::min(), 1})},
        {"32 records of their own", sampleBytes(), sample()},
        {"a colour's bits above the 24 of a colour are dropped", fileStartingWith(record(0xAB123456, 1, 2, 3)),
         recordsStartingWith({0x123456, 1, 2, 3}), Way::ReadOnly},
        {"a longer file gives its first 32 records", sampleBytes() + std::string(100, '\xAA'), sample(), Way::ReadOnly},
    };
    test::runBothWays<PaletteRecords>(cases, writePaletteFile, readPaletteFile);
}

TEST(PaletteFile, RefusesAShortFile) {
    for (std::size_t size : {std::size_t(0), std::size_t(16), kPaletteFileSize - 1}) {
        auto read = readPaletteFile(sampleBytes().substr(0, size));
        ASSERT_FALSE(read.ok()) << size;
        EXPECT_EQ(read.error().code, ErrorCode::Truncated);
        EXPECT_EQ(read.error().detail, "a palette file holds 512 bytes, this one " + std::to_string(size));
    }
}

} // namespace
} // namespace glw::formats
