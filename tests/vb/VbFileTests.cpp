// Tests of the file statements over system paths: error numbers, wildcards, attributes and listings.
#include "platform/TempDir.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::vb {
namespace {

using platform::test::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The error number a statement raises, or 0 when it succeeds.
int errorOf(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

std::vector<std::string> namesIn(const TempDir& dir, const std::string& relative = "") {
    std::vector<std::string> names;
    for (auto& entry : std::filesystem::recursive_directory_iterator(dir.host(relative))) {
        names.push_back(std::filesystem::relative(entry.path(), dir.host(relative)).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct KillCase {
    const char* name;
    std::vector<const char*> files; // "name/" is a folder; "!name" a read-only file
    const char* pattern;
    int error;
    std::vector<std::string> left;
};

class KillTest : public ::testing::TestWithParam<KillCase> {};

TEST_P(KillTest, DeletesMatchingPlainFilesOnly) {
    const KillCase& c = GetParam();
    TempDir dir;
    dir.folder("w");
    for (std::string f : c.files) {
        if (f.back() == '/') {
            dir.folder("w/" + f);
        } else if (f[0] == '!') {
            dir.file("w/" + f.substr(1));
            dir.readOnly("w/" + f.substr(1));
        } else {
            dir.file("w/" + f);
        }
    }
    EXPECT_EQ(errorOf([&] { Kill(dir.system("W\\") + c.pattern); }), c.error);
    EXPECT_EQ(namesIn(dir, "w"), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, KillTest,
    ::testing::Values(
        KillCase{"AllFilesKeepFolders", {"a.swf", "B.txt", "sub/", "sub/x.swf"}, "*.*", 0, {"sub", "sub/x.swf"}},
        KillCase{"ExtensionWithoutCase", {"a.swf", "b.txt", "C.Swf"}, "*.SWF", 0, {"b.txt"}},
        KillCase{"QuestionMarkIsOneCharacter", {"a.swf", "ab.swf"}, "?.swf", 0, {"ab.swf"}},
        KillCase{"NothingMatches", {"b.txt"}, "*.swf", ErrFileNotFound, {"b.txt"}},
        KillCase{"OneNameAnyCase", {"A.SWF", "b.swf"}, "a.swf", 0, {"b.swf"}},
        KillCase{"ReadOnlyFileStaysOthersGo", {"a.swf", "!ro.txt", "z.swf"}, "*.*", ErrPathFileAccess, {"ro.txt"}},
        KillCase{"HiddenFilesAreNotMatched", {".hidden"}, "*", ErrFileNotFound, {".hidden"}},
        KillCase{"AFolderByName", {"sub/"}, "sub", ErrPathFileAccess, {"sub"}},
        KillCase{"MissingFolder", {"a.swf"}, "missing\\*.*", ErrPathNotFound, {"a.swf"}},
        KillCase{"MissingFileByName", {"a.swf"}, "b.swf", ErrFileNotFound, {"a.swf"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir.folder("Cats/Animals");
        m_dir.folder("Cats/birds");
        m_dir.readOnly("Cats/birds");
        m_dir.folder("Cats/.hidden");
        m_dir.file("Cats/plain.txt");
        m_dir.file("Cats/CLIP.SWF");
        m_dir.file("Cats/ro.swf");
        m_dir.readOnly("Cats/ro.swf");
        m_dir.file("Cats/back\\slash.swf");
        m_dir.file("Cats/.profile");
    }
    std::string cats() const { return m_dir.system("cats\\"); }
    TempDir m_dir;
};

TEST_F(ListingTest, ListsByPatternAndAttributesSortedWithoutCase) {
    struct Case {
        const char* pattern;
        int attributes;
        std::vector<std::string> names;
    } cases[] = {
        {"*.swf", vbNormal, {"CLIP.SWF", "ro.swf"}},
        {"*.*", vbNormal, {"CLIP.SWF", "plain.txt", "ro.swf"}},
        {"", vbNormal, {"CLIP.SWF", "plain.txt", "ro.swf"}}, // the folder itself: all its files
        {"*.*", vbDirectory, {".", "..", "Animals", "birds", "CLIP.SWF", "plain.txt", "ro.swf"}},
        {"*",
         vbDirectory | vbHidden,
         {".", "..", ".hidden", ".profile", "Animals", "birds", "CLIP.SWF", "plain.txt", "ro.swf"}},
        {"*.", vbDirectory, {".", "..", "Animals", "birds"}},
        {"clip.swf", vbNormal, {"CLIP.SWF"}},
        {"a*", vbDirectory, {"Animals"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DirList(cats() + c.pattern, c.attributes), c.names) << c.pattern << " " << c.attributes;
    }
}

TEST_F(ListingTest, LinksAreListedAsWhatTheyNameAndOtherEntriesNotAtAll) {
    // The folder's listing tells files and folders apart by itself; links and entries of other kinds are
    // looked at before they are listed.
    std::filesystem::create_symlink("CLIP.SWF", m_dir.host("Cats/link.swf"));
    std::filesystem::create_symlink("Animals", m_dir.host("Cats/linked"));
    std::filesystem::create_symlink("gone.swf", m_dir.host("Cats/dangling.swf"));
    ASSERT_EQ(::mkfifo(m_dir.host("Cats/pipe.swf").c_str(), 0644), 0);
    EXPECT_EQ(DirList(cats() + "*.swf", vbNormal), (std::vector<std::string>{"CLIP.SWF", "link.swf", "ro.swf"}));
    EXPECT_EQ(DirList(cats() + "l*", vbDirectory), (std::vector<std::string>{"link.swf", "linked"}));
    EXPECT_EQ(DirList(cats() + "l*", vbNormal), (std::vector<std::string>{"link.swf"}));
}

TEST_F(ListingTest, FoldersThatCannotBeListedGiveNothing) {
    EXPECT_THAT(DirList(m_dir.system("missing\\*.*"), vbDirectory), IsEmpty());
    EXPECT_THAT(DirList(cats() + "plain.txt\\*", vbDirectory), IsEmpty()); // through a file
    EXPECT_THAT(DirList("D:\\*.*", vbDirectory), IsEmpty());
}

TEST_F(ListingTest, AttributesOfFilesAndFolders) {
    struct Case {
        const char* name;
        int attributes;
    } cases[] = {
        {"animals", vbDirectory},
        {"BIRDS", vbDirectory | vbReadOnly},
        {".hidden", vbDirectory | vbHidden},
        {"plain.txt", vbNormal},
        {"ro.swf", vbReadOnly},
        {".profile", vbHidden},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetAttr(cats() + c.name), c.attributes) << c.name;
    }
    EXPECT_TRUE(GetAttr("C:\\") & vbDirectory);
    EXPECT_EQ(errorOf([&] { GetAttr(cats() + "missing"); }), ErrFileNotFound);
    EXPECT_EQ(errorOf([&] { GetAttr(cats() + "missing\\x"); }), ErrPathNotFound);
}

TEST_F(ListingTest, TheCategoryLoopListsOnlyPlainFolders) {
    // A folder is a category when its attributes are the directory attribute alone.
    std::vector<std::string> categories;
    for (const std::string& name : DirList(cats(), vbDirectory)) {
        if (name != "." && name != ".." && GetAttr(cats() + name) == vbDirectory) {
            categories.push_back(name);
        }
    }
    EXPECT_THAT(categories, ElementsAre("Animals"));
}

TEST_F(ListingTest, SetAttrTogglesReadOnly) {
    SetAttr(cats() + "plain.txt", vbReadOnly);
    EXPECT_EQ(GetAttr(cats() + "plain.txt"), vbReadOnly);
    SetAttr(cats() + "plain.txt", vbNormal);
    EXPECT_EQ(GetAttr(cats() + "plain.txt"), vbNormal);
    EXPECT_EQ(errorOf([&] { SetAttr(cats() + "none.txt", vbNormal); }), ErrFileNotFound);
}

TEST(FilePattern, MatchesAsTheFileSystemDoes) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {
        {"CLIP.SWF", "*.swf", true}, {"clip.swfx", "*.swf", false}, {"README", "*.*", true},
        {"a.b.c", "*.c", true},      {"abc", "a?c", true},          {"ac", "a?c", false},
        {"README", "*.", true},      {"a.txt", "*.", false},        {"x", "", false},
        {"abcabd", "*abd", true},    {"aXbXc", "a*b*c", true},      {"aXbXd", "a*b*c", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesFilePattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
    }
}

TEST(FileStatements, ErrorNumbers) {
    TempDir dir;
    dir.file("a.txt", "12345");
    dir.file("full/x");
    dir.file("ro.txt");
    dir.readOnly("ro.txt");
    dir.folder("Folder");
    ASSERT_EQ(::mkfifo(dir.host("pipe").c_str(), 0644), 0);
    struct Case {
        const char* what;
        std::function<void()> statement;
        int error;
    } cases[] = {
        {"MkDir existing", [&] { MkDir(dir.system("folder")); }, ErrPathFileAccess},
        {"MkDir under missing", [&] { MkDir(dir.system("none\\new")); }, ErrPathNotFound},
        {"RmDir not empty", [&] { RmDir(dir.system("full")); }, ErrPathFileAccess},
        {"RmDir missing", [&] { RmDir(dir.system("none")); }, ErrPathNotFound},
        {"FileCopy missing source", [&] { FileCopy(dir.system("none.txt"), dir.system("b.txt")); }, ErrFileNotFound},
        {"FileCopy source folder", [&] { FileCopy(dir.system("Folder"), dir.system("b.txt")); }, ErrPathFileAccess},
        {"FileCopy into missing", [&] { FileCopy(dir.system("a.txt"), dir.system("none\\b.txt")); }, ErrPathNotFound},
        {"FileCopy onto folder", [&] { FileCopy(dir.system("a.txt"), dir.system("folder")); }, ErrPathFileAccess},
        {"FileCopy onto read-only", [&] { FileCopy(dir.system("a.txt"), dir.system("RO.TXT")); }, ErrPathFileAccess},
        {"Name missing", [&] { Name(dir.system("none.txt"), dir.system("b.txt")); }, ErrFileNotFound},
        {"Name onto existing", [&] { Name(dir.system("a.txt"), dir.system("RO.txt")); }, ErrFileExists},
        {"Name into missing", [&] { Name(dir.system("a.txt"), dir.system("none\\b.txt")); }, ErrPathNotFound},
        {"FileLen missing", [&] { FileLen(dir.system("none.txt")); }, ErrFileNotFound},
        {"FileLen folder", [&] { FileLen(dir.system("folder")); }, ErrFileNotFound},
        {"readAllBytes missing", [&] { (void)readAllBytes(dir.system("none.txt")); }, ErrFileNotFound},
        {"readAllBytes missing folder", [&] { (void)readAllBytes(dir.system("none\\a.txt")); }, ErrPathNotFound},
        {"readAllBytes folder", [&] { (void)readAllBytes(dir.system("folder")); }, ErrPathFileAccess},
        {"writeAllBytes read-only", [&] { writeAllBytes(dir.system("ro.txt"), "new"); }, ErrPathFileAccess},
        {"writeAllBytes folder", [&] { writeAllBytes(dir.system("folder"), "new"); }, ErrPathFileAccess},
        {"writeAllBytes missing folder", [&] { writeAllBytes(dir.system("none\\a"), "new"); }, ErrPathNotFound},
        {"FileCopy onto a FIFO", [&] { FileCopy(dir.system("a.txt"), dir.system("pipe")); }, ErrPathFileAccess},
        {"writeAllBytes onto a FIFO", [&] { writeAllBytes(dir.system("pipe"), "new"); }, ErrPathFileAccess},
        {"other drive", [&] { MkDir("D:\\x"); }, ErrPathNotFound},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.statement), c.error) << c.what;
    }
    EXPECT_EQ(dir.read("a.txt"), "12345");
    EXPECT_EQ(dir.read("ro.txt"), "x");
}

TEST(FileStatements, CreateCopyRenameInTheGivenSpelling) {
    TempDir dir;
    dir.file("Src.txt", "hello");
    MkDir(dir.system("NewFolder"));
    EXPECT_TRUE(dir.exists("NewFolder"));
    FileCopy(dir.system("src.TXT"), dir.system("newfolder\\Copy.TXT"));
    EXPECT_EQ(dir.read("NewFolder/Copy.TXT"), "hello");
    dir.file("Other.txt", "replaced?");
    FileCopy(dir.system("other.txt"), dir.system("NEWFOLDER\\copy.txt")); // replaces Copy.TXT
    EXPECT_EQ(dir.read("NewFolder/Copy.TXT"), "replaced?");
    EXPECT_EQ(FileLen(dir.system("newfolder\\copy.txt")), 9);

    Name(dir.system("src.txt"), dir.system("SRC.txt")); // a change of case only
    EXPECT_THAT(namesIn(dir), ElementsAre("NewFolder", "NewFolder/Copy.TXT", "Other.txt", "SRC.txt"));
    Name(dir.system("SRC.txt"), dir.system("NewFolder\\Moved.txt"));
    EXPECT_EQ(dir.read("NewFolder/Moved.txt"), "hello");
    Kill(dir.system("newfolder\\*.*"));
    RmDir(dir.system("NEWFOLDER"));
    EXPECT_FALSE(dir.exists("NewFolder"));
}

// A link at the target is replaced itself: the copy lands in the folder named, and the file the link
// points to, outside it, keeps its bytes and its permissions.
TEST(FileStatements, ALinkAtTheTargetIsReplacedNeverWrittenThrough) {
    TempDir dir;
    dir.file("source.scr", "the saver");
    ::chmod(dir.host("source.scr").c_str(), 0755);
    dir.folder("target");
    const struct {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* written;
    } cases[] = {
        {"FileCopy", [&](const std::string& to) { FileCopy(dir.system("source.scr"), to); }, "the saver"},
        {"writeAllBytes", [&](const std::string& to) { writeAllBytes(to, "new bytes"); }, "new bytes"},
    };
    for (const auto& c : cases) {
        dir.file("victim.txt", "outside");
        ::chmod(dir.host("victim.txt").c_str(), 0644);
        std::filesystem::remove(dir.host("target/mysaver.scr"));
        std::filesystem::create_symlink("../victim.txt", dir.host("target/mysaver.scr"));
        c.write(dir.system("target\\mysaver.scr"));
        EXPECT_FALSE(std::filesystem::is_symlink(dir.host("target/mysaver.scr"))) << c.name;
        EXPECT_EQ(dir.read("target/mysaver.scr"), c.written) << c.name;
        EXPECT_EQ(dir.read("victim.txt"), "outside") << c.name;
        struct stat st {};
        ASSERT_EQ(::stat(dir.host("victim.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u) << c.name;
        EXPECT_THAT(namesIn(dir), ElementsAre("source.scr", "target", "target/mysaver.scr", "victim.txt"))
            << c.name << ": nothing new outside the target folder";
    }
}

TEST(WholeFiles, WriteReplacesAtOnceAndKeepsNoTemporaryFile) {
    TempDir dir;
    std::string bytes("a\0b\r\n\xff", 6);
    writeAllBytes(dir.system("Out.bin"), bytes);
    EXPECT_EQ(readAllBytes(dir.system("out.BIN")), bytes);
    ::chmod(dir.host("Out.bin").c_str(), 0640);
    writeAllBytes(dir.system("OUT.bin"), "second");
    EXPECT_EQ(dir.read("Out.bin"), "second");
    struct stat st {};
    ASSERT_EQ(::stat(dir.host("Out.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the replaced file's permissions stay
    EXPECT_THAT(namesIn(dir), ElementsAre("Out.bin"));
    writeAllBytes(dir.system("empty"), "");
    EXPECT_EQ(readAllBytes(dir.system("empty")), "");
}

TEST(FileHandle, PrintsLinesWithCrLfAndReadsEveryLineEnd) {
    TempDir dir;
    {
        VbFileHandle out(dir.system("startup.ini"), OpenMode::Output);
        out.printLine("glwmovie.swf");
        out.printLine(" 400");
        out.print("no end");
    }
    EXPECT_EQ(dir.read("startup.ini"), "glwmovie.swf\r\n 400\r\nno end");
    {
        VbFileHandle more(dir.system("STARTUP.INI"), OpenMode::Append);
        more.printLine();
    }
    dir.file("mixed.txt", "crlf\r\nlf\ncr\r\r\nlast");
    VbFileHandle in(dir.system("mixed.txt"), OpenMode::Input);
    std::vector<std::string> lines;
    while (!in.eof()) {
        lines.push_back(in.lineInput());
    }
    EXPECT_THAT(lines, ElementsAre("crlf", "lf", "cr", "", "last"));
    EXPECT_EQ(errorOf([&] { in.lineInput(); }), ErrInputPastEnd);
    EXPECT_EQ(errorOf([&] { in.printLine("x"); }), 54);
    EXPECT_EQ(dir.read("startup.ini"), "glwmovie.swf\r\n 400\r\nno end\r\n");
}

TEST(FileHandle, CrLfAcrossTheReadBlockIsOneLineEnd) {
    TempDir dir;
    std::string first(65535, 'x');
    dir.file("long.txt", first + "\r\ny");
    VbFileHandle in(dir.system("long.txt"), OpenMode::Input);
    EXPECT_EQ(in.lineInput(), first);
    EXPECT_EQ(in.lineInput(), "y");
    EXPECT_TRUE(in.eof());
}

TEST(FileHandle, BinaryGetPutSeek) {
    TempDir dir;
    VbFileHandle file(dir.system("data.dta"), OpenMode::Binary); // created
    EXPECT_EQ(file.lof(), 0);
    EXPECT_TRUE(file.eof());
    file.put("%ABCDEFGHI%");
    file.put(std::string("\0tail", 5));
    EXPECT_EQ(file.lof(), 16);
    file.seek(2);
    EXPECT_EQ(file.get(9), "ABCDEFGHI");
    EXPECT_EQ(file.seek(), 11);
    file.seek(15);
    EXPECT_EQ(file.get(1000), "il"); // short at the end
    EXPECT_TRUE(file.eof());
    file.seek(1);
    file.put("#");
    file.close();
    EXPECT_EQ(dir.read("data.dta").substr(0, 3), "#AB");
    EXPECT_EQ(errorOf([&] { file.get(1); }), 52);
}

TEST(FileHandle, OpeningFailures) {
    TempDir dir;
    dir.folder("Folder");
    dir.file("ro.bin", "abc");
    dir.readOnly("ro.bin");
    EXPECT_EQ(errorOf([&] { VbFileHandle f(dir.system("none.txt"), OpenMode::Input); }), ErrFileNotFound);
    EXPECT_EQ(errorOf([&] { VbFileHandle f(dir.system("none\\a.txt"), OpenMode::Output); }), ErrPathNotFound);
    EXPECT_EQ(errorOf([&] { VbFileHandle f(dir.system("folder"), OpenMode::Input); }), ErrPathFileAccess);
    EXPECT_EQ(errorOf([&] { VbFileHandle f(dir.system("folder"), OpenMode::Binary); }), ErrPathFileAccess);
    if (::geteuid() != 0) {
        // Root may write anyway; for a user a read-only file still opens in binary mode, to read.
        VbFileHandle ro(dir.system("ro.bin"), OpenMode::Binary);
        EXPECT_EQ(ro.get(3), "abc");
        EXPECT_EQ(errorOf([&] { ro.put("x"); }), ErrPathFileAccess);
    }
}

} // namespace
} // namespace glw::vb
