// Tests of the platform services: settings files, the shell's detached spawns, fonts, pictures, clock
// and random numbers, each with its in-memory counterpart.
#include "TempDir.h"
#include "base/Ascii.h"
#include "platform/ServicesMemory.h"
#include "platform/ServicesReal.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace glw::platform {
namespace {

using test::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Sets an environment variable for the lifetime of the object (nullptr unsets it).
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvVar() {
        if (m_old) {
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Waits for a file that another process writes (renamed into place when complete).
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 2000; ++i) {
        if (std::filesystem::exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// ---- settings ----

// The clipboard in a file: what one process sets, another reads; a text that cannot be written is logged
// and the clipboard keeps what it had.
TEST(FileClipboard, HandsTextBetweenInstancesAndReportsAFailedWrite) {
    TempDir dir;
    std::vector<std::string> log;
    auto record = [&](const std::string& line) { log.push_back(line); };
    FileClipboard one(dir.host("clip.txt"), record);
    FileClipboard other(dir.host("clip.txt"), record);
    EXPECT_EQ(other.getText(), "") << "no file yet: an empty clipboard";
    one.setText("line one\r\nline two");
    EXPECT_EQ(other.getText(), "line one\r\nline two");
    other.clear();
    EXPECT_EQ(one.getText(), "");
    EXPECT_TRUE(log.empty());

    FileClipboard nowhere(dir.host("missing/clip.txt"), record);
    nowhere.setText("lost");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("clipboard: cannot write"));
    EXPECT_EQ(nowhere.getText(), "");
}

TEST(IniSettingsStore, ValuesRoundTripWhateverTheyHold) {
    TempDir dir;
    struct Case {
        const char* app;
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"Vorel Media Glintwave", "DefSettings", "ExportFolder", "C:\\web\\GLWDATA"},
        {"Vorel Media Glintwave", "System", "LegacyMenuPos", "4"},
        {"app", "with blanks ", " key with blanks ", "  value with blanks  "},
        {"app", "s", "k=ey", "a=b==c"},
        {"app", "line\nbreak]", "two\r\nlines", "first\r\nsecond\nthird\r"},
        {"app", "s", "[looks like a section]", "[x]"},
        {"app", "s", ";comment-like", "#also"},
        {"app", "s", "back\\slash", "\\n is not a line break\\"},
        {"app", "s", "empty", ""},
        {"app", "s", "utf8",
         "Gr\xc3\xbc\xc3\x9f"
         "e"},
        {"", "", "", "all names empty"},
    };
    IniSettingsStore writer(dir.host("config"));
    for (const Case& c : cases) {
        writer.saveSetting(c.app, c.section, c.key, c.value);
    }
    IniSettingsStore reader(dir.host("config"));
    for (const Case& c : cases) {
        EXPECT_EQ(reader.getSetting(c.app, c.section, c.key, "<default>"), c.value) << c.section << "/" << c.key;
    }
    std::string nul("x\0y", 3);
    writer.saveSetting("app", "s", "nul", nul);
    EXPECT_EQ(reader.getSetting("app", "s", "nul", ""), nul);
}

TEST(IniSettingsStore, NamesMatchWithoutCaseAndMissingValuesGiveTheDefault) {
    TempDir dir;
    IniSettingsStore store(dir.host("config"));
    EXPECT_EQ(store.getSetting("App", "DefSettings", "LastScale", "0"), "0"); // no file yet
    store.saveSetting("App", "DefSettings", "LastScale", "2");
    EXPECT_EQ(store.getSetting("APP", "defsettings", "LASTSCALE", "0"), "2");
    store.saveSetting("app", "DEFSETTINGS", "lastscale", "3"); // replaces, keeps the first spelling
    EXPECT_EQ(store.getSetting("App", "DefSettings", "LastScale", "0"), "3");
    EXPECT_EQ(store.getSetting("App", "DefSettings", "Other", "dflt"), "dflt");
    EXPECT_EQ(store.getSetting("App", "NoSection", "LastScale", "dflt"), "dflt");
    EXPECT_EQ(store.getSetting("Other App", "DefSettings", "LastScale", "dflt"), "dflt");
    EXPECT_EQ(dir.read("config/App.ini"), "[DefSettings]\nLastScale=3\n");
}

TEST(IniSettingsStore, ReadsHandWrittenFiles) {
    TempDir dir;
    dir.file("config/Hand.ini", "; a comment\r\n# another\r\n\r\n[Main]\r\nname = spaced \r\nno equals sign\r\n"
                                "[main]\r\nlater=found\r\n");
    IniSettingsStore store(dir.host("config"));
    EXPECT_EQ(store.getSetting("hand", "Main", "name ", ""), " spaced ");
    EXPECT_EQ(store.getSetting("hand", "MAIN", "later", ""), "found"); // a repeated section joins the first
    store.saveSetting("HAND", "Main", "new", "1");                     // the existing file, whatever its case
    EXPECT_FALSE(dir.exists("config/HAND.ini"));
    EXPECT_EQ(store.getSetting("hand", "Main", "later", ""), "found");
    EXPECT_EQ(store.getSetting("hand", "Main", "new", ""), "1");
}

TEST(IniSettingsStore, ApplicationNamesStayInsideTheFolder) {
    TempDir dir;
    IniSettingsStore store(dir.host("config"));
    store.saveSetting("../escape/x", "s", "k", "v");
    store.saveSetting(".hidden", "s", "k", "v");
    EXPECT_EQ(store.filePath("../escape/x"), dir.host("config/%2E.%2Fescape%2Fx.ini"));
    EXPECT_TRUE(dir.exists("config/%2E.%2Fescape%2Fx.ini"));
    EXPECT_TRUE(dir.exists("config/%2Ehidden.ini"));
    EXPECT_FALSE(dir.exists("escape"));
    EXPECT_EQ(store.getSetting("../escape/x", "s", "k", ""), "v");
}

TEST(IniSettingsStore, EachSaveReplacesTheWholeFileAtOnce) {
    TempDir dir;
    IniSettingsStore store(dir.host("config"));
    store.saveSetting("App", "S", "a", "first");
    std::string path = dir.host("config/App.ini");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_EQ(before.st_mode & 0777, 0600u);
    std::ifstream oldReader(path); // opened before the save: keeps the old file whole
    store.saveSetting("App", "S", "b", "second");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(oldReader), {}), "[S]\na=first\n");
    EXPECT_EQ(dir.read("config/App.ini"), "[S]\na=first\nb=second\n");
    std::vector<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(dir.host("config"))) {
        files.push_back(e.path().filename().string());
    }
    EXPECT_THAT(files, ElementsAre("App.ini")); // no temporary file left
}

TEST(IniSettingsStore, AFileThatCannotBeReadIsNotOverwritten) {
    TempDir dir;
    dir.folder("config/App.ini"); // a folder where the file should be
    std::vector<std::string> log;
    IniSettingsStore store(dir.host("config"), [&](const std::string& line) { log.push_back(line); });
    store.saveSetting("App", "S", "k", "v");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("cannot read"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.host("config/App.ini")));

    std::vector<std::string> log2;
    dir.file("blocker", "a file");
    IniSettingsStore blocked(dir.host("blocker/config"), [&](const std::string& line) { log2.push_back(line); });
    blocked.saveSetting("App", "S", "k", "v"); // logged, never thrown
    EXPECT_EQ(log2.size(), 1u);
    EXPECT_EQ(blocked.getSetting("App", "S", "k", "dflt"), "dflt");
}

TEST(IniSettingsStore, DefaultFolderFollowsXdgConfigHome) {
    {
        EnvVar xdg("XDG_CONFIG_HOME", "/somewhere/config");
        EXPECT_EQ(IniSettingsStore::defaultFolder(), "/somewhere/config/glw");
    }
    EnvVar xdg("XDG_CONFIG_HOME", nullptr);
    EnvVar home("HOME", "/home/someone");
    EXPECT_EQ(IniSettingsStore::defaultFolder(), "/home/someone/.config/glw");
    EnvVar relative("XDG_CONFIG_HOME", "relative/path"); // not absolute: ignored
    EXPECT_EQ(IniSettingsStore::defaultFolder(), "/home/someone/.config/glw");
}

TEST(MemorySettingsStore, KeepsValuesByCaseInsensitiveNames) {
    MemorySettingsStore store;
    EXPECT_EQ(store.getSetting("A", "S", "K", "d"), "d");
    store.saveSetting("Vorel Media Glintwave", "System", "LegacyMenuPos", "1");
    store.saveSetting("vorel media glintwave", "SYSTEM", "legacymenupos", "4");
    store.saveSetting("App", "DefSettings", "x", "");
    EXPECT_EQ(store.getSetting("VOREL MEDIA GLINTWAVE", "system", "LegacyMenuPos", "d"), "4");
    EXPECT_EQ(store.getSetting("App", "DefSettings", "x", "d"), ""); // an empty value is a value
    EXPECT_THAT(store.entries(),
                ElementsAre(MemorySettingsStore::Entry{"Vorel Media Glintwave", "System", "LegacyMenuPos", "4"},
                            MemorySettingsStore::Entry{"App", "DefSettings", "x", ""}));
    EXPECT_FALSE(store.find("App", "DefSettings", "y").has_value());
}

// ---- shell ----

class DesktopShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The opener records its arguments, one a line, and renames the record into place when done.
        script("opener", "printf '%s\\n' \"$#\" \"$@\" > '" + m_dir.host("opener.tmp") + "'\nmv '" +
                             m_dir.host("opener.tmp") + "' '" + m_dir.host("opener.out") + "'\n");
    }
    void script(const std::string& name, const std::string& body) {
        m_dir.file(name, "#!/bin/sh\n" + body);
        ::chmod(m_dir.host(name).c_str(), 0755);
    }
    std::vector<std::string> openerArguments() {
        EXPECT_TRUE(waitForFile(m_dir.host("opener.out")));
        return linesOf(m_dir.host("opener.out"));
    }
    TempDir m_dir;
    DesktopShell m_shell{m_dir.host("opener"), [](const std::string&) {}};
};

TEST_F(DesktopShellTest, DocumentsGoToTheOpenerAsOneArgument) {
    m_dir.file("Clips/my clip; touch PWNED $(touch PWNED2).swf");
    test::CurrentFolder here(m_dir.host());
    EXPECT_EQ(m_shell.open(m_dir.system("clips\\MY CLIP; touch PWNED $(touch PWNED2).swf")), 42);
    EXPECT_THAT(openerArguments(), ElementsAre("1", m_dir.host("Clips/my clip; touch PWNED $(touch PWNED2).swf")));
    EXPECT_FALSE(m_dir.exists("PWNED"));
    EXPECT_FALSE(m_dir.exists("PWNED2"));
}

TEST_F(DesktopShellTest, AddressesAndFoldersGoToTheOpener) {
    const std::string address = "http://example.invalid/a b?x=1&y=2;echo hi";
    EXPECT_EQ(m_shell.open(address), 42);
    EXPECT_THAT(openerArguments(), ElementsAre("1", address));
    std::filesystem::remove(m_dir.host("opener.out"));

    EXPECT_EQ(m_shell.open("mailto:support@example.invalid?Subject=Glintwave SE"), 42);
    EXPECT_THAT(openerArguments(), ElementsAre("1", "mailto:support@example.invalid?Subject=Glintwave SE"));
    std::filesystem::remove(m_dir.host("opener.out"));

    m_dir.folder("Help");
    EXPECT_EQ(m_shell.open(m_dir.system("help")), 42);
    EXPECT_THAT(openerArguments(), ElementsAre("1", m_dir.host("Help")));
}

TEST_F(DesktopShellTest, OurProgramsStartDirectlyAndDetached) {
    // The program records how it runs, then waits until the test lets it end: if open() waited for it,
    // the record of its end would already be there.
    std::string record = m_dir.host("program.out");
    script("my updater.exe", "sid=$(cut -d' ' -f6 /proc/$$/stat)\n"
                             "printf '%s\\n' \"$#\" \"$0\" \"$$\" \"$sid\" \"$PPID\" > '" +
                                 record +
                                 ".tmp'\n"
                                 "mv '" +
                                 record + ".tmp' '" + record +
                                 "'\n"
                                 "i=0; while [ ! -e '" +
                                 m_dir.host("release") +
                                 "' ] && [ $i -lt 1000 ]; do\n"
                                 "  sleep 0.01; i=$((i+1)); done\n"
                                 "touch '" +
                                 m_dir.host("ended") + "'\n");
    EXPECT_EQ(m_shell.open(m_dir.system("MY UPDATER.EXE")), 42);
    EXPECT_FALSE(m_dir.exists("ended"));
    ASSERT_TRUE(waitForFile(record));
    std::vector<std::string> lines = linesOf(record);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "0");                          // no arguments
    EXPECT_EQ(lines[1], m_dir.host("my updater.exe")); // started as itself, not through a shell line
    EXPECT_NE(lines[3], std::to_string(::getsid(0)));  // it runs in a session of its own
    EXPECT_NE(lines[4], std::to_string(::getpid()));   // and is not our child
    EXPECT_FALSE(m_dir.exists("opener.out"));
    m_dir.file("release");
    EXPECT_TRUE(waitForFile(m_dir.host("ended")));
}

TEST_F(DesktopShellTest, ExecutableDocumentsAreOpenedNotRun) {
    m_dir.file("readme.txt", "touch ran\n");
    ::chmod(m_dir.host("readme.txt").c_str(), 0755);
    EXPECT_EQ(m_shell.open(m_dir.system("readme.txt")), 42);
    EXPECT_THAT(openerArguments(), ElementsAre("1", m_dir.host("readme.txt")));
}

TEST_F(DesktopShellTest, DocumentsWithoutAProgramOnTheDesktopGive31) {
    // The handler query knows .htm files only: a type for each file, a program for text/html alone.
    script("mime", "if [ \"$2\" = filetype ]; then case \"$3\" in *.htm) echo text/html;; *) echo application/x-chm;; "
                   "esac; elif [ \"$3\" = text/html ]; then echo browser.desktop; fi\n");
    DesktopShell shell(
        m_dir.host("opener"), [](const std::string&) {}, m_dir.host("mime"));
    m_dir.file("Help/glwtrans.chm");
    m_dir.file("Help/index.htm");
    EXPECT_EQ(shell.open(m_dir.system("Help\\glwtrans.chm")), 31);
    EXPECT_FALSE(std::filesystem::exists(m_dir.host("opener.out"))) << "the opener is not started";
    EXPECT_EQ(shell.open(m_dir.system("Help\\index.htm")), 42);
    EXPECT_EQ(openerArguments(), (std::vector<std::string>{"1", m_dir.host("Help/index.htm")}));
}

TEST_F(DesktopShellTest, FailuresInTheWindowsManner) {
    EXPECT_EQ(m_shell.open(m_dir.system("missing.chm")), 2);
    EXPECT_EQ(m_shell.open(m_dir.system("missing\\glwupdate.exe")), 2);
    EXPECT_EQ(m_shell.open(""), 2);
    EXPECT_EQ(m_shell.open("D:\\x.htm"), 2);
    m_dir.file("doc.htm");
    DesktopShell noOpener(m_dir.host("no-such-opener"), [](const std::string&) {});
    EXPECT_EQ(noOpener.open(m_dir.system("doc.htm")), 31);
    EXPECT_EQ(noOpener.open("http://example.invalid/"), 31);
    DesktopShell notOnPath("glw-no-such-opener-anywhere", [](const std::string&) {});
    EXPECT_EQ(notOnPath.open(m_dir.system("doc.htm")), 31);
    EXPECT_FALSE(m_dir.exists("opener.out"));
}

TEST(RecordingShell, RecordsTargetsAndAnswersTheSetResult) {
    RecordingShell shell;
    EXPECT_EQ(shell.open("C:\\app\\Help\\glwtrans.chm"), 42);
    shell.setResult(2);
    EXPECT_EQ(shell.open("mailto:x"), 2);
    EXPECT_THAT(shell.targets(), ElementsAre("C:\\app\\Help\\glwtrans.chm", "mailto:x"));
}

// ---- fonts ----

TEST(FontconfigFontList, FamiliesSortedWithoutCaseEachOnce) {
    std::vector<std::string> names = FontconfigFontList().names();
    if (names.empty()) {
        GTEST_SKIP() << "no fonts are installed";
    }
    auto before = [](const std::string& a, const std::string& b) {
        int order = base::icompare(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    for (std::size_t i = 1; i < names.size(); ++i) {
        EXPECT_TRUE(before(names[i - 1], names[i])) << names[i - 1] << " / " << names[i];
    }
    EXPECT_EQ(FontconfigFontList().names(), names);
}

TEST(FixedFontList, GivesItsNamesAsTheyStand) {
    FixedFontList fonts({"Wingdings 2", "Arial", "Arial"});
    EXPECT_THAT(fonts.names(), ElementsAre("Wingdings 2", "Arial", "Arial"));
}

// ---- pictures ----

// A small grey JPEG made with libjpeg.
std::string makeJpeg(int width, int height) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < row.size(); ++x) {
            row[x] = static_cast<unsigned char>((x * 7 + std::size_t(y) * 13) & 0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

TEST(JpegPictureLoader, LoadsWholePicturesAndRefusesBrokenOnes) {
    TempDir dir;
    std::string jpeg = makeJpeg(48, 20);
    dir.file("Resource/export.jpg", jpeg);
    dir.file("Resource/cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    std::string damaged = jpeg;
    for (std::size_t i = 200; i < damaged.size() - 2; i += 3) {
        damaged[i] = char(0xFF);
    }
    dir.file("Resource/damaged.jpg", damaged);
    dir.file("Resource/header-only.jpg", jpeg.substr(0, 3));
    dir.file("Resource/empty.jpg", "");
    dir.file("Resource/picture.png", "\x89PNG\r\n\x1a\n");
    dir.folder("Resource/folder.jpg");

    JpegPictureLoader loader;
    auto picture = loader.load(dir.system("resource\\EXPORT.JPG"));
    ASSERT_TRUE(picture.ok()) << picture.error().detail;
    EXPECT_EQ(*picture, (Picture{dir.system("resource\\EXPORT.JPG"), 48, 20}));

    struct Case {
        const char* name;
        ErrorCode code;
    } cases[] = {
        {"missing.jpg", ErrorCode::NotFound},      {"folder.jpg", ErrorCode::NotFound},
        {"cut.jpg", ErrorCode::Malformed},         {"damaged.jpg", ErrorCode::Malformed},
        {"header-only.jpg", ErrorCode::Malformed}, {"empty.jpg", ErrorCode::Unsupported},
        {"picture.png", ErrorCode::Unsupported},
    };
    for (const Case& c : cases) {
        auto result = loader.load(dir.system("Resource\\") + c.name);
        ASSERT_FALSE(result.ok()) << c.name;
        EXPECT_EQ(result.error().code, c.code) << c.name << ": " << result.error().detail;
    }
}

TEST(MemoryPictureLoader, KnowsOnlyItsPictures) {
    MemoryPictureLoader loader;
    loader.add("C:\\app\\Resource\\okay.jpg", 80, 24);
    auto found = loader.load("C:\\APP\\resource\\OKAY.jpg");
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found->width, 80);
    EXPECT_EQ(found->path, "C:\\APP\\resource\\OKAY.jpg");
    EXPECT_EQ(loader.load("C:\\app\\Resource\\no.jpg").error().code, ErrorCode::NotFound);
}

// ---- clock and random ----

TEST(FixedClock, ReadsLocalTimeAndMovesOnlyWhenTold) {
    FixedClock clock(FixedClock::localTime(2024, 3, 9, 13, 45, 7, 250), 1000);
    EXPECT_EQ(clock.hour(), 13);
    EXPECT_EQ(clock.second(), 7);
    EXPECT_DOUBLE_EQ(clock.timer(), 13 * 3600 + 45 * 60 + 7.25);
    EXPECT_EQ(clock.tickCount(), 1000u);
    clock.advance(std::chrono::milliseconds(1500));
    EXPECT_EQ(clock.second(), 8);
    EXPECT_DOUBLE_EQ(clock.timer(), 13 * 3600 + 45 * 60 + 8.75);
    EXPECT_EQ(clock.tickCount(), 2500u);
    clock.set(FixedClock::localTime(2024, 3, 9, 0, 0, 0));
    EXPECT_DOUBLE_EQ(clock.timer(), 0.0);
}

TEST(SystemClock, GivesPlausibleReadings) {
    SystemClock clock;
    EXPECT_GE(clock.hour(), 0);
    EXPECT_LE(clock.hour(), 23);
    EXPECT_GE(clock.timer(), 0.0);
    EXPECT_LT(clock.timer(), 86401.0);
}

TEST(StdRandom, SameSeedSameSequenceAndAlwaysBelowOne) {
    StdRandom a, b;
    a.randomize(12.5);
    b.randomize(12.5);
    std::vector<float> first, second;
    for (int i = 0; i < 1000; ++i) {
        first.push_back(a.rnd());
        second.push_back(b.rnd());
        EXPECT_GE(first.back(), 0.0f);
        EXPECT_LT(first.back(), 1.0f);
    }
    EXPECT_EQ(first, second);
    b.randomize(12.25);
    EXPECT_NE(b.rnd(), first[0]);
}

TEST(SequenceRandom, RepeatsItsValuesAndRecordsSeeds) {
    SequenceRandom random({0.25f, 0.5f});
    random.randomize(3);
    EXPECT_EQ(random.rnd(), 0.25f);
    EXPECT_EQ(random.rnd(), 0.5f);
    EXPECT_EQ(random.rnd(), 0.25f);
    EXPECT_THAT(random.seeds(), ElementsAre(3.0));
    EXPECT_EQ(SequenceRandom({}).rnd(), 0.0f);
}

TEST(MemoryClipboard, GetSetClear) {
    MemoryClipboard clipboard("(WBLFPCommand)[C:\\web]");
    EXPECT_EQ(clipboard.getText(), "(WBLFPCommand)[C:\\web]");
    clipboard.setText("reply");
    EXPECT_EQ(clipboard.getText(), "reply");
    clipboard.clear();
    EXPECT_EQ(clipboard.getText(), "");
}

} // namespace
} // namespace glw::platform
