// The stubs' work folder: private run folders, the extraction loop over unsafe names, and the clean-up.
#include "jpk/JpkReader.h"
#include "jpk/JpkTestSupport.h"
#include "stubs/StubWorkFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace glw::stubs {
namespace {

namespace fs = std::filesystem;
using jpk::testing::entryBytes;
using jpk::testing::readFile;
using jpk::testing::TempDir;
using jpk::testing::writeFile;

std::vector<std::string> filesUnder(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        found.push_back(fs::relative(entry.path(), root).string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(StubWorkFolder, EachRunHasAPrivateFolderInsideTempSwf) {
    TempDir temp;
    auto first = StubWorkFolder::setUp(temp.path().string());
    auto second = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(first.ok()) << first.error().detail;
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(first->tempSwfFolder(), temp.file("TempSWF") + "/");
    EXPECT_NE(first->TempFolder(), second->TempFolder());
    EXPECT_EQ(first->TempFolder().rfind(first->tempSwfFolder(), 0), 0u);
    EXPECT_EQ(first->TempFolder().back(), '/');
    EXPECT_EQ(first->dataFile(), first->TempFolder() + "glwexe.dta");
    for (const std::string& folder : {first->tempSwfFolder(), first->TempFolder()}) {
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all) << folder;
    }
}

TEST(StubWorkFolder, RefusesATempSwfThatIsNotPrivate) {
    TempDir temp;
    fs::create_directory(temp.file("elsewhere"));
    fs::create_directory_symlink(temp.file("elsewhere"), temp.file("TempSWF"));
    auto linked = StubWorkFolder::setUp(temp.path().string());
    ASSERT_FALSE(linked.ok());
    EXPECT_EQ(linked.error().code, ErrorCode::Unsafe);
    EXPECT_TRUE(fs::is_empty(temp.file("elsewhere")));

    // A folder of our own that others could write into is closed first.
    TempDir open;
    fs::create_directory(open.file("TempSWF"));
    ::chmod(open.file("TempSWF").c_str(), 0777);
    ASSERT_TRUE(StubWorkFolder::setUp(open.path().string()).ok());
    EXPECT_EQ(fs::status(open.file("TempSWF")).permissions() & fs::perms::all, fs::perms::owner_all);
}

// The package of the unsafe-name case: only bare names land, and only inside the run folder.
TEST(StubWorkFolder, ExtractsOnlyBareNamesInsideTheRunFolder) {
    TempDir temp;
    auto work = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(work.ok());
    const std::string package = entryBytes("../escape", "x") + entryBytes("/abs", "x") + entryBytes("sub\\x", "x") +
                                entryBytes("C:drive", "x") + entryBytes("glwexe.dta", "x") + entryBytes("", "x") +
                                entryBytes("..", "x") + entryBytes("ok.swf", "movie") +
                                entryBytes("startup.ini", "ini");
    writeFile(work->dataFile(), package);

    DelFileList del;
    std::vector<double> bar;
    std::vector<std::string> listBox;
    JpkExtraction done = work->extractAll(
        del, [&](double p) { bar.push_back(p); }, [&](const std::string& n) { listBox.push_back(n); });

    EXPECT_EQ(done.listingError.code, ErrorCode::None);
    EXPECT_EQ(done.listed.size(), 9u);
    EXPECT_EQ(listBox, done.listed);
    EXPECT_EQ(done.extracted, (std::vector<std::string>{"ok.swf", "startup.ini"}));
    EXPECT_EQ(done.skipped.size(), 7u);
    EXPECT_EQ(del.text(), "ok.swf|startup.ini");
    EXPECT_EQ(readFile(work->TempFolder() + "ok.swf"), "movie");
    EXPECT_EQ(readFile(work->dataFile()), package);
    // Nothing outside the run folder: the temp folder holds TempSWF, and TempSWF only this run.
    EXPECT_EQ(filesUnder(temp.path()).size(), 5u); // TempSWF, run, glwexe.dta, ok.swf, startup.ini
    ASSERT_EQ(bar.size(), 11u);
    EXPECT_EQ(bar.front(), 40);
    EXPECT_EQ(bar[1], 50);
    EXPECT_DOUBLE_EQ(bar.back(), 70);

    work->cleanUp(del);
    EXPECT_FALSE(fs::exists(work->TempFolder()));
    EXPECT_TRUE(fs::is_directory(work->tempSwfFolder()));
    EXPECT_TRUE(fs::is_empty(work->tempSwfFolder()));
}

TEST(StubWorkFolder, MalformedPackageKeepsTheEntriesBeforeTheFault) {
    TempDir temp;
    auto work = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(work.ok());
    writeFile(work->dataFile(), entryBytes("a.swf", "aa") + entryBytes("b.txt", "bb") + "c.txt" + std::string(1, '\0') +
                                    "12x" + std::string(1, '\0') + "cc");
    DelFileList del;
    JpkExtraction done = work->extractAll(del);
    EXPECT_EQ(done.listingError.code, ErrorCode::Malformed);
    EXPECT_EQ(done.extracted, (std::vector<std::string>{"a.swf", "b.txt"}));
    EXPECT_EQ(readFile(work->TempFolder() + "b.txt"), "bb");
    EXPECT_FALSE(fs::exists(work->TempFolder() + "c.txt"));
    work->cleanUp(del);
    EXPECT_FALSE(fs::exists(work->TempFolder()));
}

// Every entry of a package of many comes out with its own data, from one walk; a name that comes twice is
// extracted once more with the first entry's data, and names differing in case give the first too.
TEST(StubWorkFolder, ExtractsManyEntriesAndRepeatedNames) {
    TempDir temp;
    auto work = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(work.ok());
    std::string package;
    for (int i = 0; i < 2000; ++i) {
        package += entryBytes("f" + std::to_string(i) + ".dat", "data " + std::to_string(i));
    }
    package += entryBytes("A.txt", "first") + entryBytes("a.txt", "second") + entryBytes("A.txt", "third");
    writeFile(work->dataFile(), package);
    DelFileList del;
    JpkExtraction done = work->extractAll(del);
    EXPECT_EQ(done.listingError.code, ErrorCode::None);
    ASSERT_EQ(done.extracted.size(), 2003u);
    EXPECT_TRUE(done.skipped.empty());
    for (int i : {0, 1, 999, 1999}) {
        EXPECT_EQ(readFile(work->TempFolder() + "f" + std::to_string(i) + ".dat"), "data " + std::to_string(i));
    }
    EXPECT_EQ(readFile(work->TempFolder() + "A.txt"), "first");
    EXPECT_EQ(readFile(work->TempFolder() + "a.txt"), "first");
    work->cleanUp(del);
    EXPECT_FALSE(fs::exists(work->TempFolder()));
}

// The player adds its extra files by name: names that would leave the work folder are never taken.
TEST(DelFileList, TakesOnlyBareNames) {
    TempDir temp;
    auto work = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(work.ok());
    writeFile(temp.file("victim.txt"), "keep me");
    DelFileList del;
    EXPECT_TRUE(del.add("extra.dat"));
    for (const char* unsafe : {"../../victim.txt", "/etc/passwd", "..\\victim.txt", "", "glwexe.dta"}) {
        EXPECT_FALSE(del.add(unsafe)) << unsafe;
    }
    EXPECT_EQ(del.text(), "extra.dat");
    writeFile(work->TempFolder() + "extra.dat", "x");
    work->cleanUp(del);
    EXPECT_EQ(readFile(temp.file("victim.txt")), "keep me");
    EXPECT_FALSE(fs::exists(work->TempFolder()));
}

// A file the movie left in the run folder keeps the folder (nothing unknown is deleted).
TEST(StubWorkFolder, CleanUpLeavesUnknownFiles) {
    TempDir temp;
    auto work = StubWorkFolder::setUp(temp.path().string());
    ASSERT_TRUE(work.ok());
    writeFile(work->TempFolder() + "written-by-movie.txt", "x");
    writeFile(work->TempFolder() + "startup.ini", "x");
    work->cleanUp(DelFileList{});
    EXPECT_TRUE(fs::exists(work->TempFolder() + "written-by-movie.txt"));
    EXPECT_FALSE(fs::exists(work->TempFolder() + "startup.ini"));
}

} // namespace
} // namespace glw::stubs
