// Tests of the mapping between system paths and host paths.
#include "TempDir.h"
#include "base/Ascii.h"
#include "platform/WinPath.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::platform {
namespace {

using test::CurrentFolder;
using test::TempDir;

class WinPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir.file("Resource/titlebar.swf");
        m_dir.folder("Working/NewImport");
        m_dir.folder("CLTemplates/Animals");
    }
    TempDir m_dir;
};

struct MappingCase {
    const char* system; // below the temporary folder
    const char* host;   // expected, below the temporary folder
};

TEST_F(WinPathTest, LooksUpExistingComponentsWithoutRegardToCase) {
    const MappingCase cases[] = {
        {"\\Resource\\titlebar.swf", "/Resource/titlebar.swf"},
        {"\\resource\\titlebar.swf", "/Resource/titlebar.swf"},
        {"\\RESOURCE\\TITLEBAR.SWF", "/Resource/titlebar.swf"},
        {"/resource/titlebar.swf", "/Resource/titlebar.swf"},                // "/" separates too
        {"\\working\\\\newimport\\", "/Working/NewImport/"},                 // doubled separator, trailing kept
        {"\\Resource\\.\\..\\working\\newclip.swf", "/Working/newclip.swf"}, // new file: given spelling
        {"\\working\\NewFolder\\Deep.TXT", "/Working/NewFolder/Deep.TXT"},   // new folder and file
        {"\\cltemplates\\animals\\..\\Birds", "/CLTemplates/Birds"},
    };
    for (const MappingCase& c : cases) {
        EXPECT_EQ(toHostPath(m_dir.system() + c.system), m_dir.host() + c.host) << c.system;
    }
}

TEST_F(WinPathTest, PrefersTheExactNameAndOrdersCaseTwins) {
    m_dir.folder("Twin");
    m_dir.folder("twin");
    EXPECT_EQ(toHostPath(m_dir.system("twin")), m_dir.host("twin"));
    EXPECT_EQ(toHostPath(m_dir.system("Twin")), m_dir.host("Twin"));
    EXPECT_EQ(toHostPath(m_dir.system("TWIN")), m_dir.host("Twin")); // the first in name order
}

TEST_F(WinPathTest, NeverMatchesAHostNameThatHoldsABackslash) {
    m_dir.file("a\\b.swf");
    // "\a\b.swf" names a folder "a": it does not exist, so the spelling is kept.
    EXPECT_EQ(toHostPath(m_dir.system("A\\B.swf")), m_dir.host("A/B.swf"));
}

TEST_F(WinPathTest, ResolvesRelativePathsAgainstTheCurrentFolder) {
    CurrentFolder here(m_dir.host("Working"));
    EXPECT_EQ(toHostPath("newimport\\x.gwi"), m_dir.host("Working/NewImport/x.gwi"));
    EXPECT_EQ(toHostPath("C:newimport"), m_dir.host("Working/NewImport"));
    EXPECT_EQ(toHostPath("..\\resource"), m_dir.host("Resource"));
    EXPECT_EQ(toHostPath("."), m_dir.host("Working"));
    EXPECT_EQ(currentSystemFolder(), m_dir.system("Working"));
}

TEST(WinPath, DrivesAndPathsThatNameNoPlaceHere) {
    EXPECT_EQ(toHostPath("C:\\"), "/");
    EXPECT_EQ(toHostPath("c:/"), "/");
    EXPECT_EQ(toHostPath("\\"), "/");
    EXPECT_EQ(toHostPath("C:\\.."), "/");
    EXPECT_EQ(toHostPath("D:\\data"), "");
    EXPECT_EQ(toHostPath("\\\\server\\share\\x"), "");
    EXPECT_EQ(toHostPath(""), "");
}

TEST(WinPath, HostPathsInSystemForm) {
    EXPECT_EQ(toSystemPath("/home/x/a"), "C:\\home\\x\\a");
    EXPECT_EQ(toSystemPath("/"), "C:\\");
    EXPECT_EQ(toSystemPath("/home//x/./a/"), "C:\\home\\x\\a\\");
    EXPECT_EQ(toSystemPath("/home/x\\y"), ""); // cannot be written with "\" separators
    EXPECT_EQ(toSystemPath(""), "");
    TempDir dir;
    EXPECT_EQ(toHostPath(toSystemPath(dir.host())), dir.host());
    CurrentFolder here(dir.host());
    EXPECT_EQ(toSystemPath("sub"), dir.system("sub"));
}

// Paths shown to the user are in host form; paths the user types in host form come back in system form,
// and anything else typed stays as it was typed.
TEST_F(WinPathTest, PathsShownAndTypedByTheUser) {
    EXPECT_EQ(toDisplayPath(m_dir.system() + "\\resource\\titlebar.swf"), m_dir.host() + "/Resource/titlebar.swf");
    EXPECT_EQ(toDisplayPath("C:\\home\\ann\\.local\\share\\"), "/home/ann/.local/share/");
    for (const char* nowhere : {"D:\\data", "\\\\server\\share", ""}) {
        EXPECT_EQ(toDisplayPath(nowhere), nowhere);
    }
    struct Typed {
        const char* text;
        std::string system;
    };
    const char* home = std::getenv("HOME");
    const Typed cases[] = {
        {"/home/ann/savers", "C:\\home\\ann\\savers"},
        {"/home/ann/my savers /", "C:\\home\\ann\\my savers \\"},
        {"  /home/ann", "  /home/ann"}, // a relative name, as typed
        {"C:\\Windows", "C:\\Windows"},
        {"relative\\name", "relative\\name"},
        {"", ""},
        {"/a\\b", ""},
        {"~/savers", home && home[0] == '/' ? toSystemPath(std::string(home) + "/savers") : "~/savers"},
    };
    for (const Typed& c : cases) {
        EXPECT_EQ(fromDisplayPath(c.text), c.system) << c.text;
    }
    EXPECT_EQ(fromDisplayPath(toDisplayPath(m_dir.system("Working"))), m_dir.system("Working"));
}

TEST(WinPath, SplitsAfterTheLastSeparator) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"C:\\a\\b.swf", "C:\\a\\", "b.swf"}, {"C:\\a\\", "C:\\a\\", ""}, {"b.swf", "", "b.swf"},
        {"C:b.swf", "C:", "b.swf"},           {"a/b\\c", "a/b\\", "c"},   {"", "", ""},
    };
    for (const Case& c : cases) {
        auto [folder, name] = splitSystemPath(c.path);
        EXPECT_EQ(folder, c.folder) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
    }
}

TEST(WinPath, JoinsANameToAFolderWithOneSeparator) {
    struct Case {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"C:\\web", "a.htm", "C:\\web\\a.htm"},
        {"C:\\web\\", "a.htm", "C:\\web\\a.htm"},
        {"C:\\web/", "a.htm", "C:\\web/a.htm"}, // either separator closes a folder
        {"C:\\", "a.htm", "C:\\a.htm"},
        {"", "a.htm", "a.htm"},
        {"C:\\web", "GLWDATA/clip.swf", "C:\\web\\GLWDATA/clip.swf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(joinSystemPath(c.folder, c.name), c.path) << c.folder << " + " << c.name;
    }
}

TEST(WinPath, CaseInsensitiveOrderFoldsLettersOnly) {
    EXPECT_TRUE(base::iequals("CLIP.SWF", "clip.swf"));
    EXPECT_FALSE(base::iequals("clip.swf", "clip.swf "));
    EXPECT_LT(base::icompare("apple", "Banana"), 0);
    EXPECT_LT(base::icompare("_x", "a"), 0); // "_" sorts before letters, as in listings
    EXPECT_EQ(base::icompare("ABC", "abc"), 0);
    EXPECT_GT(base::icompare("abcd", "ABC"), 0);
}

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("TMPDIR")) {
            m_old = old;
        }
    }
    void TearDown() override {
        if (m_old) {
            ::setenv("TMPDIR", m_old->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    std::optional<std::string> m_old;
};

TEST_F(TempFolderTest, HonoursTmpdir) {
    TempDir dir;
    ::setenv("TMPDIR", (dir.host() + "/").c_str(), 1);
    auto folder = userTempFolder();
    ASSERT_TRUE(folder.ok()) << folder.error().detail;
    EXPECT_EQ(*folder, dir.system());
}

TEST_F(TempFolderTest, OwnFolderIsPrivateAndCheckedEveryTime) {
    ::unsetenv("TMPDIR");
    auto folder = userTempFolder();
    ASSERT_TRUE(folder.ok()) << folder.error().detail;
    std::string host = "/tmp/glw-" + std::to_string(::geteuid());
    EXPECT_EQ(*folder, toSystemPath(host));
    struct stat st {};
    ASSERT_EQ(::lstat(host.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 077, 0u);

    // A folder that others can write into is refused.
    ::chmod(host.c_str(), 0777);
    auto refused = userTempFolder();
    ::chmod(host.c_str(), 0700);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::Unsafe);
}

} // namespace
} // namespace glw::platform
