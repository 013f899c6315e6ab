// The package writer: entry layout byte for byte, piecewise copies, refused names and sources, and joins.
#include "JpkTestSupport.h"
#include "jpk/JpkPackage.h"
#include "jpk/JpkReader.h"
#include "jpk/JpkWriter.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace glw::jpk {
namespace {

namespace fs = std::filesystem;
using testing::entryBytes;
using testing::markerText;
using testing::patternBytes;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(JpkAdd, WorkedExampleIsElevenBytes) {
    TempDir dir;
    writeFile(dir.file("a.txt"), "xyz");
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("a.txt"), "a.txt").ok());
    const std::string expected = {0x61, 0x2E, 0x74, 0x78, 0x74, 0x00, 0x33, 0x00, 0x78, 0x79, 0x7A};
    EXPECT_EQ(readFile(dir.file("pkg")), expected);
}

// Sizes around the 1,000,000-byte piece: one piece, one full piece and a 1-byte one, two full pieces.
TEST(JpkAdd, EntryLayoutForEverySize) {
    for (std::size_t size : {0u, 1u, 1234u, 999'999u, 1'000'000u, 1'000'001u, 2'000'000u}) {
        SCOPED_TRACE(size);
        TempDir dir;
        const std::string data = patternBytes(size, static_cast<unsigned>(size));
        writeFile(dir.file("src"), data);
        ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("src"), "clip.swf").ok());
        EXPECT_EQ(readFile(dir.file("pkg")), entryBytes("clip.swf", data));
    }
}

TEST(JpkAdd, AppendsBehindExistingEntriesAndKeepsDuplicates) {
    TempDir dir;
    writeFile(dir.file("one"), "1111");
    writeFile(dir.file("two"), "22");
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("one"), "same.txt").ok());
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("two"), "other.bin").ok());
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("two"), "same.txt").ok());
    EXPECT_EQ(readFile(dir.file("pkg")),
              entryBytes("same.txt", "1111") + entryBytes("other.bin", "22") + entryBytes("same.txt", "22"));
}

TEST(JpkAdd, NameLengthLimit) {
    TempDir dir;
    writeFile(dir.file("src"), "d");
    const std::string longest(255, 'n');
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("src"), longest).ok());
    EXPECT_EQ(readFile(dir.file("pkg")), entryBytes(longest, "d"));
    auto refused = JpkAdd(dir.file("pkg"), dir.file("src"), std::string(256, 'n'));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::Invalid);
    EXPECT_EQ(readFile(dir.file("pkg")), entryBytes(longest, "d"));
}

// A name a stub would not extract is refused here already, and the package stays as it was.
TEST(JpkAdd, RefusesNamesThatAreNotBareFileNames) {
    const std::string names[] = {"",
                                 "a/b.swf",
                                 "a\\b.swf",
                                 "C:movie.swf",
                                 "..",
                                 "../up.txt",
                                 "x..y",
                                 ".",
                                 "glwexe.dta",
                                 "GLWEXE.DTA",
                                 std::string("nul\0byte", 8)};
    TempDir dir;
    writeFile(dir.file("src"), "data");
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("src"), "first.txt").ok());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(JpkAdd(dir.file("pkg"), dir.file("src"), name).ok());
        EXPECT_EQ(readFile(dir.file("pkg")), entryBytes("first.txt", "data"));
    }
}

// A missing source is an error: no empty entry, no package created, and no file appears at the source path.
TEST(JpkAdd, MissingSourceAddsNothing) {
    TempDir dir;
    auto added = JpkAdd(dir.file("pkg"), dir.file("missing.swf"), "missing.swf");
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.error().code, ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(dir.file("pkg")));
    EXPECT_FALSE(fs::exists(dir.file("missing.swf")));
}

// The write fails halfway through the data (a file size limit): the package keeps its earlier entries only.
TEST(JpkAdd, WriteFailingMidwayLeavesThePackageAsItWas) {
    TempDir dir;
    writeFile(dir.file("small"), "abc");
    writeFile(dir.file("big"), patternBytes(3'000'000));
    ASSERT_TRUE(JpkAdd(dir.file("pkg"), dir.file("small"), "small.txt").ok());

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1'500'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    auto added = JpkAdd(dir.file("pkg"), dir.file("big"), "big.bin");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    ASSERT_FALSE(added.ok());
    EXPECT_EQ(readFile(dir.file("pkg")), entryBytes("small.txt", "abc"));
}

TEST(LoadData, RefusesMissingAndEmptyPackages) {
    TempDir dir;
    EXPECT_EQ(LoadData(dir.file("none")).error().code, ErrorCode::NotFound);
    writeFile(dir.file("empty"), "");
    EXPECT_EQ(LoadData(dir.file("empty")).error().code, ErrorCode::Invalid);
    writeFile(dir.file("pkg"), entryBytes("a", "b"));
    auto data = LoadData(dir.file("pkg"));
    ASSERT_TRUE(data.ok());
    EXPECT_EQ(data->size, 5u);
}

TEST(Joiners, StubMarkerPackageAndNothingElse) {
    using Joiner = Result<void> (*)(const std::string&, const std::string&, const JpkPackageData&);
    struct JoinCase {
        Joiner join;
        const char* stub;
    } cases[] = {{NewExe, "glwbase.exe"}, {NewSCR, "glwbase.scr"}, {NewQuillseter, "quillset.exe"}};
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(c.stub);
        TempDir dir;
        const std::string stub = patternBytes(1'234'567, 7);
        const std::string package = entryBytes("glwmovie.swf", patternBytes(2'100'000, 9));
        writeFile(dir.file(c.stub), stub);
        ::chmod(dir.file(c.stub).c_str(), 0750);
        writeFile(dir.file("glwexe.dta"), package);
        // A longer file already at the output path must not show through.
        writeFile(dir.file("out"), std::string(5'000'000, 'z'));

        auto data = LoadData(dir.file("glwexe.dta"));
        ASSERT_TRUE(data.ok());
        ASSERT_TRUE(c.join(dir.path().string(), dir.file("out"), *data).ok());

        const std::string joined = readFile(dir.file("out"));
        ASSERT_EQ(joined.size(), stub.size() + 11 + package.size());
        EXPECT_EQ(joined, stub + markerText() + package);
        auto layout = locateJpkPackage(dir.file("out"));
        ASSERT_TRUE(layout.ok());
        EXPECT_EQ(layout->stubLength, stub.size());
        EXPECT_EQ(fs::status(dir.file("out")).permissions() & fs::perms::all,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    }
}

TEST(Joiners, MissingStubOrChangedPackageWritesNothing) {
    TempDir dir;
    writeFile(dir.file("glwexe.dta"), entryBytes("a", "b"));
    writeFile(dir.file("out"), "old output");
    auto data = LoadData(dir.file("glwexe.dta"));
    ASSERT_TRUE(data.ok());
    EXPECT_EQ(NewExe(dir.path().string(), dir.file("out"), *data).error().code, ErrorCode::NotFound);

    writeFile(dir.file("glwbase.scr"), "stub");
    writeFile(dir.file("glwexe.dta"), entryBytes("a", "bc"));
    EXPECT_EQ(NewSCR(dir.path().string(), dir.file("out"), *data).error().code, ErrorCode::Truncated);

    EXPECT_EQ(NewSCR(dir.path().string(), dir.file("out"), JpkPackageData{}).error().code, ErrorCode::Invalid);
    EXPECT_EQ(readFile(dir.file("out")), "old output");
    // Nothing but the files made here: no temporary left beside the output.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

} // namespace
} // namespace glw::jpk
