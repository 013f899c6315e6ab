// The package reader: the bounded walk over well-formed and malformed packages, listing and extraction.
#include "JpkTestSupport.h"
#include "jpk/JpkPackage.h"
#include "jpk/JpkReader.h"
#include "jpk/JpkWriter.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace glw::jpk {
namespace {

namespace fs = std::filesystem;
using testing::entryBytes;
using testing::markerText;
using testing::patternBytes;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const std::string kZero(1, '\0');

struct WalkCase {
    const char* what;
    std::string package;
    std::vector<std::string> names; // the entries delivered before the end or the fault
    ErrorCode end;                  // None for a clean end
};

std::vector<WalkCase> walkCases() {
    const std::string ok = entryBytes("a.txt", "xyz");
    return {
        {"empty package", "", {}, ErrorCode::None},
        {"two entries", ok + entryBytes("b.bin", ""), {"a.txt", "b.bin"}, ErrorCode::None},
        {"255-byte name", entryBytes(std::string(255, 'n'), "d"), {std::string(255, 'n')}, ErrorCode::None},
        {"256-byte name", ok + entryBytes(std::string(256, 'n'), "d"), {"a.txt"}, ErrorCode::Malformed},
        {"leading zeros are still digits", "z" + kZero + "003" + kZero + "abc", {"z"}, ErrorCode::None},
        {"empty size text", ok + "n" + kZero + kZero + "x", {"a.txt"}, ErrorCode::Malformed},
        {"letters in the size", ok + "n" + kZero + "12a" + kZero + "x", {"a.txt"}, ErrorCode::Malformed},
        {"signed size", ok + "n" + kZero + "-1" + kZero, {"a.txt"}, ErrorCode::Malformed},
        {"blank in the size", ok + "n" + kZero + " 1" + kZero + "x", {"a.txt"}, ErrorCode::Malformed},
        {"eleven digits", ok + "n" + kZero + "00000000001" + kZero + "x", {"a.txt"}, ErrorCode::Malformed},
        {"size beyond 32 bits signed", ok + "n" + kZero + "2147483648" + kZero, {"a.txt"}, ErrorCode::Malformed},
        {"largest size, data missing", ok + "n" + kZero + "2147483647" + kZero + "x", {"a.txt"}, ErrorCode::Truncated},
        {"data runs past the end", ok + "n" + kZero + "10" + kZero + "short", {"a.txt"}, ErrorCode::Truncated},
        {"size text without its end", ok + "n" + kZero + "12", {"a.txt"}, ErrorCode::Truncated},
        {"ends after a name", ok + "n" + kZero, {"a.txt"}, ErrorCode::Truncated},
        {"trailing byte", ok + "x", {"a.txt"}, ErrorCode::Truncated},
        {"size window of 256 bytes without a zero",
         ok + "n" + kZero + std::string(300, '1'),
         {"a.txt"},
         ErrorCode::Malformed},
    };
}

// Reads the walk's results; `chunk` > 0 makes the source deliver at most that many bytes per read.
void expectWalk(const WalkCase& c, std::size_t chunk) {
    const std::string& bytes = c.package;
    JpkWalker walker(bytes.size(), [&](std::uint64_t offset, char* buffer, std::size_t length) -> Result<std::size_t> {
        if (offset >= bytes.size()) {
            return std::size_t{0};
        }
        std::size_t n = std::min(length, bytes.size() - static_cast<std::size_t>(offset));
        if (chunk > 0) {
            n = std::min(n, chunk);
        }
        std::memcpy(buffer, bytes.data() + offset, n);
        return n;
    });
    std::vector<std::string> names;
    ErrorCode end = ErrorCode::None;
    for (int guard = 0; guard < 100; ++guard) {
        auto entry = walker.next();
        if (!entry) {
            end = entry.error().code;
            // The fault stays: asking again neither moves on nor hangs.
            EXPECT_FALSE(walker.next().ok());
            break;
        }
        if (!entry->has_value()) {
            break;
        }
        names.push_back((*entry)->name);
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(end, c.end);
}

TEST(JpkWalker, WellFormedAndMalformedPackages) {
    for (const WalkCase& c : walkCases()) {
        for (std::size_t chunk : {0u, 1u, 3u, 100u}) {
            SCOPED_TRACE(std::string(c.what) + ", chunk " + std::to_string(chunk));
            expectWalk(c, chunk);
        }
    }
}

TEST(JpkList, ListsFileEntriesAndStopsAtTheFault) {
    TempDir dir;
    for (const WalkCase& c : walkCases()) {
        SCOPED_TRACE(c.what);
        writeFile(dir.file("pkg"), c.package);
        std::vector<std::string> names;
        auto listed = JpkList(dir.file("pkg"), [&](const std::string& name) { names.push_back(name); });
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(listed.ok() ? ErrorCode::None : listed.error().code, c.end);
    }
    EXPECT_EQ(JpkList(dir.file("missing"), {}).error().code, ErrorCode::NotFound);
}

// The one-walk reader finds the same entries and ends at the same fault as the listing, also where headers
// cross the reader's 64 KiB blocks.
TEST(JpkPackageReader, WalksOnceLikeTheListing) {
    TempDir dir;
    std::vector<WalkCase> cases = walkCases();
    std::string many;
    std::vector<std::string> manyNames;
    for (int i = 0; i < 300; ++i) {
        manyNames.push_back("entry-" + std::to_string(i) + ".bin");
        many += entryBytes(manyNames.back(), patternBytes(static_cast<std::size_t>(i * 37 % 900), i));
    }
    cases.push_back({"300 entries across blocks", many, manyNames, ErrorCode::None});
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(dir.file("pkg"), c.package);
        auto reader = JpkPackageReader::open(dir.file("pkg"));
        ASSERT_TRUE(reader.ok());
        std::vector<std::string> names;
        for (const JpkEntry& entry : reader->entries()) {
            names.push_back(entry.name);
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(reader->listingError().code, c.end);
    }
    EXPECT_EQ(JpkPackageReader::open(dir.file("missing")).error().code, ErrorCode::NotFound);
}

TEST(JpkPackageReader, ExtractsEachEntryWhereItLies) {
    TempDir dir;
    writeFile(dir.file("pkg"), entryBytes("Movie.SWF", "first") + entryBytes("big", patternBytes(2'500'000, 7)) +
                                   entryBytes("movie.swf", "second") + entryBytes("empty", ""));
    auto reader = JpkPackageReader::open(dir.file("pkg"));
    ASSERT_TRUE(reader.ok());
    // Names that differ only in case give the first entry, as JpkExtract does.
    for (const char* asked : {"Movie.SWF", "movie.swf", "MOVIE.SWF"}) {
        SCOPED_TRACE(asked);
        const JpkEntry* found = reader->find(asked);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->name, "Movie.SWF");
    }
    EXPECT_EQ(reader->find("nope"), nullptr);
    ASSERT_TRUE(reader->extractNew(*reader->find("big"), dir.file("big")).ok());
    EXPECT_EQ(readFile(dir.file("big")), patternBytes(2'500'000, 7));
    ASSERT_TRUE(reader->extractNew(*reader->find("empty"), dir.file("empty")).ok());
    EXPECT_EQ(readFile(dir.file("empty")), "");

    // extractNew never writes over what is there, nor through a link; extractFresh replaces whole.
    writeFile(dir.file("victim"), "keep me");
    fs::create_symlink(dir.file("victim"), dir.file("link"));
    EXPECT_FALSE(reader->extractNew(reader->entries()[0], dir.file("link")).ok());
    EXPECT_FALSE(reader->extractNew(reader->entries()[0], dir.file("victim")).ok());
    EXPECT_EQ(readFile(dir.file("victim")), "keep me");
    writeFile(dir.file("stale"), std::string(100, 's'));
    ASSERT_TRUE(reader->extractFresh(reader->entries()[2], dir.file("stale")).ok());
    EXPECT_EQ(readFile(dir.file("stale")), "second");
}

TEST(JpkExtract, EntriesAroundThePieceSizeComeOutExact) {
    TempDir dir;
    std::string package;
    const std::size_t sizes[] = {0, 1'000'000, 1'000'001, 2'500'000};
    for (std::size_t size : sizes) {
        package += entryBytes("e" + std::to_string(size), patternBytes(size, static_cast<unsigned>(size)));
    }
    writeFile(dir.file("pkg"), package);
    for (std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string name = "e" + std::to_string(size);
        ASSERT_TRUE(JpkExtract(dir.file("pkg"), name, dir.file(name)).ok());
        EXPECT_EQ(readFile(dir.file(name)), patternBytes(size, static_cast<unsigned>(size)));
    }
}

// The first entry whose name matches without regard to case is delivered, for either spelling.
TEST(JpkExtract, NamesDifferingOnlyInCaseDeliverTheFirst) {
    TempDir dir;
    writeFile(dir.file("pkg"), entryBytes("Movie.SWF", "first") + entryBytes("movie.swf", "second"));
    for (const char* asked : {"Movie.SWF", "movie.swf", "MOVIE.SWF"}) {
        SCOPED_TRACE(asked);
        ASSERT_TRUE(JpkExtract(dir.file("pkg"), asked, dir.file("out")).ok());
        EXPECT_EQ(readFile(dir.file("out")), "first");
    }
}

TEST(JpkExtract, WritesFreshAndNothingOnFailure) {
    TempDir dir;
    writeFile(dir.file("pkg"), entryBytes("a.txt", "new") + "b.txt" + kZero + "99" + kZero + "short");
    writeFile(dir.file("a.txt"), "a stale and much longer file");
    ASSERT_TRUE(JpkExtract(dir.file("pkg"), "a.txt", dir.file("a.txt")).ok());
    EXPECT_EQ(readFile(dir.file("a.txt")), "new");

    struct Failing {
        const char* name;
        ErrorCode code;
    } failing[] = {{"b.txt", ErrorCode::Truncated}, {"nope.txt", ErrorCode::Truncated}};
    for (const Failing& f : failing) {
        SCOPED_TRACE(f.name);
        auto extracted = JpkExtract(dir.file("pkg"), f.name, dir.file("target"));
        ASSERT_FALSE(extracted.ok());
        EXPECT_EQ(extracted.error().code, f.code);
        EXPECT_FALSE(fs::exists(dir.file("target")));
    }
    writeFile(dir.file("clean"), entryBytes("a.txt", "x"));
    EXPECT_EQ(JpkExtract(dir.file("clean"), "nope.txt", dir.file("target")).error().code, ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(dir.file("target")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST(ExtractAppendedData, CopiesThePackageBehindTheFirstMarker) {
    const std::string m = markerText();
    // A stub whose marker straddles the first 1,000,000-byte read, and one with a stray partial marker.
    const std::string stubs[] = {patternBytes(999'995, 3), "MZ%VES" + patternBytes(5000, 4)};
    for (const std::string& stub : stubs) {
        SCOPED_TRACE(stub.size());
        TempDir dir;
        const std::string package = entryBytes("glwmovie.swf", patternBytes(1'500'000, 5)) + m + "more";
        writeFile(dir.file("own"), stub + m + package);
        writeFile(dir.file("glwexe.dta"), std::string(4'000'000, 's'));
        auto copied = ExtractAppendedData(dir.file("own"), dir.file("glwexe.dta"));
        ASSERT_TRUE(copied.ok()) << copied.error().detail;
        EXPECT_EQ(*copied, package.size());
        EXPECT_EQ(readFile(dir.file("glwexe.dta")), package);
    }
}

TEST(ExtractAppendedData, NoMarkerWritesNothing) {
    TempDir dir;
    writeFile(dir.file("own"), "a stub with no package");
    EXPECT_EQ(ExtractAppendedData(dir.file("own"), dir.file("glwexe.dta")).error().code, ErrorCode::NotFound);
    writeFile(dir.file("own"), "stub" + markerText());
    EXPECT_EQ(ExtractAppendedData(dir.file("own"), dir.file("glwexe.dta")).error().code, ErrorCode::Truncated);
    EXPECT_FALSE(fs::exists(dir.file("glwexe.dta")));
}

// Writer and reader agree: what JpkAdd wrote, JpkList lists and JpkExtract gives back.
TEST(JpkRoundTrip, WriterThenReader) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"glwmovie.swf", patternBytes(1'000'001, 1)}, {"empty.txt", ""}, {"startup.ini", "line1\r\nline2\r\n"}};
    for (const auto& [name, data] : files) {
        writeFile(dir.file("src-" + name), data);
        ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("src-" + name), name).ok());
    }
    std::vector<std::string> names;
    ASSERT_TRUE(JpkList(dir.file("pkg"), [&](const std::string& name) { names.push_back(name); }).ok());
    ASSERT_EQ(names.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(names[i], files[i].first);
        ASSERT_TRUE(JpkExtract(dir.file("pkg"), names[i], dir.file("out-" + names[i])).ok());
        EXPECT_EQ(readFile(dir.file("out-" + names[i])), files[i].second);
    }
}

} // namespace
} // namespace glw::jpk
