// The marker's bytes, the one-pass search for it in any chunking, and that no program image holds it.
#include "JpkTestSupport.h"
#include "jpk/JpkMarker.h"
#include "jpk/JpkReader.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace glw::jpk {
namespace {

using testing::markerText;
using testing::TempDir;
using testing::writeFile;

TEST(JpkMarker, IsPercentTheNineLettersAndPercent) {
    auto marker = JpkMarker();
    ASSERT_EQ(marker.size(), 11u);
    EXPECT_EQ(marker.front(), '%');
    EXPECT_EQ(marker.back(), '%');
    EXPECT_EQ(std::string(marker.begin() + 1, marker.end() - 1), "VESKOTRAM");
}

// This program links the whole package library: its own file must not hold the marker anywhere, or a stub
// linking the same code would find its package inside its own code.
TEST(JpkMarker, NotInThisProgramsImage) {
    std::string image = testing::readFile("/proc/self/exe");
    std::string marker = markerText();
    EXPECT_EQ(std::search(image.begin(), image.end(), marker.begin(), marker.end()), image.end());
}

struct SearchCase {
    const char* what;
    std::string bytes;
    std::optional<std::uint64_t> packageStart;
};

std::vector<SearchCase> searchCases() {
    const std::string m = markerText();
    return {
        {"stub, marker, package", "stub" + m + "pkg", 15},
        {"marker at the very start", m + "x", 11},
        {"a stray percent and letter before the marker", "ab%Xcd" + m + "p", 6 + 11},
        {"a doubled percent is no marker", "%" + m + "p", std::nullopt},
        {"a doubled percent, then a real marker later", "%" + m + "zz" + m + "p", 12 + 2 + 11},
        {"two markers: the first counts", m + "a" + m + "b", 11},
        {"a partial match broken by a percent skips it", "%V" + m + "p", std::nullopt},
        {"ten bytes, then a percent that completes them", m.substr(0, 10) + m + "p", 11},
        {"a partial marker at the end", "xx" + m.substr(0, 6), std::nullopt},
        {"nothing at all", "", std::nullopt},
        {"no percent at all", std::string(300, 'V'), std::nullopt},
    };
}

TEST(MarkerSearch, FindsTheFirstMarkerInEveryChunking) {
    for (const SearchCase& c : searchCases()) {
        for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 11u, 13u, 1000u}) {
            SCOPED_TRACE(std::string(c.what) + ", chunks of " + std::to_string(chunk));
            MarkerSearch search;
            const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
            for (std::size_t at = 0; at < c.bytes.size(); at += chunk) {
                search.feed({data + at, std::min(chunk, c.bytes.size() - at)});
            }
            ASSERT_EQ(search.found(), c.packageStart.has_value());
            if (c.packageStart) {
                EXPECT_EQ(search.packageStart(), *c.packageStart);
                EXPECT_EQ(search.markerStart(), *c.packageStart - 11);
            }
        }
    }
}

TEST(LocateJpkPackage, ReportsLayoutAndFaults) {
    TempDir dir;
    const std::string m = markerText();
    struct FileCase {
        const char* what;
        std::string bytes;
        ErrorCode code; // None when found
    } cases[] = {
        {"joined file", "STUB" + m + "data", ErrorCode::None},
        {"marker with nothing behind", "STUB" + m, ErrorCode::Truncated},
        {"empty file", "", ErrorCode::NotFound},
        {"no marker", "just a program", ErrorCode::NotFound},
        {"partial marker at the end", "STUB" + m.substr(0, 10), ErrorCode::NotFound},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(dir.file("own"), c.bytes);
        auto layout = locateJpkPackage(dir.file("own"));
        if (c.code == ErrorCode::None) {
            ASSERT_TRUE(layout.ok()) << layout.error().detail;
            EXPECT_EQ(layout->stubLength, 4u);
            EXPECT_EQ(layout->packageOffset, 15u);
            EXPECT_EQ(layout->packageLength, 4u);
        } else {
            ASSERT_FALSE(layout.ok());
            EXPECT_EQ(layout.error().code, c.code);
        }
    }
    auto missing = locateJpkPackage(dir.file("missing"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
}

} // namespace
} // namespace glw::jpk
