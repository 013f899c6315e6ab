// The built stub programs end to end: packages made with the package writer, joined to the real stubs in
// a temporary program folder, run headless as processes with a script, and checked through the trace,
// the file system and the registry file. Also the scan of the built stubs for the marker.
#include "StubTestSupport.h"
#include "platform/TempDir.h"
#include "support/Process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::platform::test::TempDir;

namespace {

const std::vector<std::string> kPlayerStartup = {"glwmovie.swf",         " 400", " 550", "#336699", "noBorder",
                                                 "&CWR=10&CWG=0&CWB=0 ", ""};
const std::vector<std::string> kSaverStartup = {
    "glwmovie.swf", " 400", " 550", "#000000", "Ann Author", "http://ann.example.org/", "showAll", "&CWR=1 "};

class StubProcess : public ::testing::Test {
protected:
    TempDir base;
    int runs = 0;

    void SetUp() override {
        for (const char* folder : {"app", "tmp", "config", "data", "home"}) {
            base.folder(folder);
        }
    }

    // Makes app/<name> from a stub of the application folder and a package of these entries.
    std::string make(const std::string& stub, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::string output = base.host("app/" + name);
        joinProgram(std::string(GLW_APP_DIR) + "/" + stub, output, base.host("stage-" + name), entries);
        return output;
    }

    // app/<name>: a stub of the application folder, the marker and these package bytes as they stand.
    std::string makeFromBytes(const std::string& stub, const std::string& name, const std::string& packageBytes) {
        const std::string package = base.host("stage-" + name + ".dta");
        writeBytes(package, packageBytes);
        const std::string output = base.host("app/" + name);
        joinFile(std::string(GLW_APP_DIR) + "/" + stub, package, output);
        return output;
    }

    struct Run {
        test::ProcessResult process;
        std::vector<std::string> trace;
    };

    Run run(const std::string& program, const std::vector<std::string>& args, const std::string& script) {
        const std::string number = std::to_string(++runs);
        base.file("script" + number + ".txt", script);
        Run result;
        result.process = test::runProcess(program, args,
                                          {{"GLW_UI", "headless"},
                                           {"GLW_SCRIPT", base.host("script" + number + ".txt")},
                                           {"GLW_TRACE", base.host("trace" + number + ".txt")},
                                           {"TMPDIR", base.host("tmp")},
                                           {"XDG_CONFIG_HOME", base.host("config")},
                                           {"XDG_DATA_HOME", base.host("data")},
                                           {"HOME", base.host("home")},
                                           {"DISPLAY", ""},
                                           {"WAYLAND_DISPLAY", ""}});
        result.trace = test::readLines(base.host("trace" + number + ".txt"));
        return result;
    }

    std::vector<std::string> tempSwf() const { return folderEntries(base.host("tmp/TempSWF")); }
    std::string runFolderPattern() const {
        return std::regex_replace(base.system("tmp"), std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)") +
               R"(\\TempSWF\\run-[A-Za-z0-9]{6}\\)";
    }
};

bool hasMatch(const std::vector<std::string>& lines, const std::string& pattern) {
    const std::regex re(pattern);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return std::regex_match(l, re); });
}

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l + "\n";
    }
    return text;
}

TEST_F(StubProcess, ExportedPlayerPlaysItsStartupListAndLeavesNothingBehind) {
    const std::string exe = make("glwbase.exe", "movie.exe",
                                 {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(kPlayerStartup)}});
    const Run r = run(exe, {}, "fscommand Form1.FBit \"exit\" \"\"\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joinedLines(r.trace);
    ASSERT_FALSE(r.trace.empty());
    EXPECT_EQ(r.trace.front(), "start movie \"" + base.system("app") + "\"");
    EXPECT_TRUE(hasLine(r.trace, "extract \"glwmovie.swf\""));
    EXPECT_TRUE(hasLine(r.trace, "extract \"startup.ini\""));
    EXPECT_TRUE(hasMatch(r.trace, "movie Form1\\.FBit \"Movie=" + runFolderPattern() +
                                      R"(glwmovie\.swf\?&CWR=10&CWG=0&CWB=0&EXE=5")"))
        << joinedLines(r.trace);
    EXPECT_TRUE(hasLine(r.trace, "action fscommand Form1.FBit \"exit\" \"\""));
    EXPECT_TRUE(hasLine(r.trace, "end 0"));
    EXPECT_TRUE(tempSwf().empty()) << "every extracted file and the run folder are gone";
    EXPECT_EQ(folderEntries(base.host("app")), std::vector<std::string>{"movie.exe"});
}

TEST_F(StubProcess, StubWithoutPackageSaysSoAndEnds) {
    std::filesystem::copy_file(GLW_APP_DIR "/glwbase.exe", base.host("app/glwbase.exe"));
    const Run r = run(base.host("app/glwbase.exe"), {}, "");
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output;
    EXPECT_TRUE(hasLine(r.trace, "msgbox \"Error\" \"No Flash data found to display.  Aborting.\" 16"));
    EXPECT_FALSE(hasLineStarting(r.trace, "movie "));
    EXPECT_TRUE(tempSwf().empty());
}

// The box of a player with no package blocks its window: the movie's exit behind it is refused, and the
// player still ends with 1.
TEST_F(StubProcess, NoPackageBoxBlocksTheWindowBehindIt) {
    std::filesystem::copy_file(GLW_APP_DIR "/glwbase.exe", base.host("app/glwbase.exe"));
    const Run r = run(base.host("app/glwbase.exe"), {}, "fscommand Form1.FBit \"exit\" \"\"\n");
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output;
    EXPECT_TRUE(hasLine(r.trace, "msgbox \"Error\" \"No Flash data found to display.  Aborting.\" 16"));
    EXPECT_TRUE(hasLineStarting(r.trace, "error script 5 \"Form1 lies behind the modal MsgBox"));
    EXPECT_TRUE(hasLine(r.trace, "end 1"));
    EXPECT_TRUE(tempSwf().empty());
}

struct Malformed {
    const char* name;
    std::string tail;
};

class StubProcessMalformed : public StubProcess, public ::testing::WithParamInterface<Malformed> {};

TEST_P(StubProcessMalformed, EntriesBeforeTheFaultPlayAndNothingHangsOrStays) {
    std::string package =
        entryBytes("glwmovie.swf", fixtureMovie()) + entryBytes("startup.ini", startupList(kPlayerStartup));
    package += GetParam().tail;
    const std::string exe = makeFromBytes("glwbase.exe", "movie.exe", package);
    const Run r = run(exe, {}, "fscommand Form1.FBit exit\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joinedLines(r.trace);
    EXPECT_TRUE(hasLine(r.trace, "extract \"glwmovie.swf\""));
    EXPECT_TRUE(hasLineStarting(r.trace, "error JpkList 0 ")) << joinedLines(r.trace);
    EXPECT_TRUE(hasMatch(r.trace, "movie Form1\\.FBit \"Movie=" + runFolderPattern() + R"(glwmovie\.swf\?.*)"));
    EXPECT_TRUE(tempSwf().empty());
}

INSTANTIATE_TEST_SUITE_P(Packages, StubProcessMalformed,
                         ::testing::Values(Malformed{"size_text_not_digits", std::string("a.txt\0"
                                                                                         "12x\0"
                                                                                         "abc",
                                                                                         13)},
                                           Malformed{"data_past_the_end", std::string("a.txt\0"
                                                                                      "500\0"
                                                                                      "abc",
                                                                                      13)},
                                           Malformed{"size_text_overflows", std::string("a.txt\0"
                                                                                        "99999999999\0"
                                                                                        "a",
                                                                                        20)},
                                           Malformed{"name_without_its_zero", std::string(300, 'n')},
                                           Malformed{"size_without_its_zero", std::string("a.txt\0"
                                                                                          "123",
                                                                                          9)}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(StubProcess, UnsafeEntryNamesWriteNothingOutsideTheRunFolder) {
    const std::string outside = base.host("abs");
    std::string package = entryBytes("../escape", "E") + entryBytes(outside, "A") + entryBytes("..\\win", "W") +
                          entryBytes("glwexe.dta", "D") + entryBytes("glwmovie.swf", fixtureMovie()) +
                          entryBytes("startup.ini", startupList(kPlayerStartup));
    const std::string exe = makeFromBytes("glwbase.exe", "movie.exe", package);
    const Run r = run(exe, {}, "fscommand Form1.FBit exit\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joinedLines(r.trace);
    for (const std::string& name :
         {std::string("../escape"), outside, std::string("..\\win"), std::string("glwexe.dta")}) {
        EXPECT_TRUE(hasLine(r.trace, "skip \"" + name + "\"")) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_FALSE(std::filesystem::exists(base.host("tmp/TempSWF/escape")));
    EXPECT_FALSE(std::filesystem::exists(base.host("tmp/escape")));
    EXPECT_TRUE(tempSwf().empty());
    EXPECT_TRUE(hasLine(r.trace, "end 0"));
}

TEST_F(StubProcess, InstallerInstallsTheSaverSetsItAndTheInstalledSaverRuns) {
    const std::string scr =
        make("glwbase.scr", "my.scr", {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(kSaverStartup)}});
    const std::string scrBytes = readBytes(scr);
    const std::string setup = make("quillset.exe", "setup.exe", {{"my.scr", scrBytes}});
    std::filesystem::remove(scr);

    const Run install = run(setup, {}, "click Form1.Check1\nclick Form1.Command15\nanswer OK\n");
    ASSERT_EQ(install.process.exitCode, 0) << install.process.output << joinedLines(install.trace);
    const std::string installed = base.host("data/glw/screensavers/my.scr");
    const std::string installedSystem = base.system("data") + "\\glw\\screensavers\\my.scr";
    EXPECT_EQ(readBytes(installed), scrBytes);
    struct stat st {};
    ASSERT_EQ(::stat(installed.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u) << "the installed saver is a program";
    EXPECT_TRUE(hasLine(install.trace, "msgbox \"GLW Screen Saver Installer 1.0\" \"Screen Saver Installed!\" 64"));
    EXPECT_TRUE(
        hasLine(install.trace, "registry \"Control Panel\\Desktop\\\" \"SCRNSAVE.EXE\" \"" + installedSystem + "\""));
    const std::string registryFile = readBytes(base.host("config/glw/registry.ini"));
    EXPECT_NE(registryFile.find("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\nSCRNSAVE.EXE=" + installedSystem + "\n"),
              std::string::npos)
        << registryFile;
    EXPECT_TRUE(tempSwf().empty());

    const Run show = run(installed, {"/S"}, "tick Form1.Timer1\nkey frmScreen.Text1 A\n");
    ASSERT_EQ(show.process.exitCode, 0) << show.process.output << joinedLines(show.trace);
    EXPECT_EQ(show.trace.front(), "start my \"" + base.system("data") + "\\glw\\screensavers\" \"/S\"");
    EXPECT_TRUE(
        hasMatch(show.trace, "movie frmScreen\\.FBit \"Movie=" + runFolderPattern() + R"(glwmovie\.swf\?&CWR=1")"))
        << joinedLines(show.trace);
    EXPECT_TRUE(hasLine(show.trace, "unload frmScreen"));
    EXPECT_TRUE(tempSwf().empty());
}

TEST_F(StubProcess, InstallerWithoutPackageSaysSoAndEnds) {
    std::filesystem::copy_file(GLW_APP_DIR "/quillset.exe", base.host("app/quillset.exe"));
    const Run r = run(base.host("app/quillset.exe"), {}, "");
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output;
    EXPECT_TRUE(hasLine(r.trace, "msgbox \"Error\" \"No screensaver data found to install.  Aborting.\" 16"));
    EXPECT_TRUE(tempSwf().empty());
}

TEST_F(StubProcess, SaverAboutBoxFromTheCommandLine) {
    const std::string scr =
        make("glwbase.scr", "my.scr", {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(kSaverStartup)}});
    const Run r = run(scr, {"/c:1234"}, "click frmConfig.Command1\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joinedLines(r.trace);
    EXPECT_TRUE(hasLine(r.trace, "load frmConfig"));
    EXPECT_FALSE(hasLine(r.trace, "load frmScreen"));
    EXPECT_TRUE(tempSwf().empty());
}

TEST(StubPrograms, NoBuiltStubHoldsTheMarkerBytesInARow) {
    const auto marker = jpk::JpkMarker();
    const std::string needle(marker.begin(), marker.end());
    for (const char* stub : {"glwbase.exe", "glwbase.scr", "quillset.exe"}) {
        const std::string bytes = readBytes(std::string(GLW_APP_DIR) + "/" + stub);
        ASSERT_GT(bytes.size(), 1000u) << stub << " is not built";
        EXPECT_EQ(bytes.find(needle), std::string::npos) << stub;
    }
}

// Every path below `folder` (relative to it), links and all.
std::vector<std::string> pathsBelow(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        paths.push_back(it->path().lexically_relative(folder).string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// A player in a folder whose name holds "\" has no system path of its own: it says so and plays without
// its extra file, which it neither reads from nor writes to the root folder (as root it could).
TEST_F(StubProcess, APlayerInAFolderWithABackslashNeverReachesTheRootFolder) {
    const std::string extra = "glw-probe-" + std::to_string(::getpid()) + ".txt";
    ASSERT_FALSE(std::filesystem::exists("/" + extra));
    base.folder("app/we\\ird");
    base.file("app/we\\ird/" + extra, "beside the program");
    std::vector<std::string> startup = kPlayerStartup;
    startup.back() = extra;
    const std::string exe = make("glwbase.exe", "we\\ird/movie.exe",
                                 {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(startup)}});
    const std::vector<std::string> before = pathsBelow(base.host());
    const Run r = run(exe, {}, "answer OK\nfscommand Form1.FBit \"exit\" \"\"\n");
    EXPECT_EQ(r.process.exitCode, 0) << r.process.output << joinedLines(r.trace);
    EXPECT_TRUE(hasLineStarting(r.trace, "msgbox \"Error\" \"The folder of this program cannot be used"))
        << joinedLines(r.trace);
    EXPECT_TRUE(hasLine(r.trace, "end 0"));
    EXPECT_FALSE(std::filesystem::exists("/" + extra)) << "nothing lands in the root folder";
    EXPECT_EQ(base.read("app/we\\ird/" + extra), "beside the program");
    // The run's own script and trace and the TempSWF that stays aside, the test folder holds what it held
    // before the run.
    const auto withoutRunFiles = [](std::vector<std::string> paths) {
        paths.erase(std::remove_if(paths.begin(), paths.end(),
                                   [](const std::string& p) {
                                       return p.rfind("trace", 0) == 0 || p.rfind("script", 0) == 0 ||
                                              p.rfind("tmp/", 0) == 0;
                                   }),
                    paths.end());
        return paths;
    };
    EXPECT_EQ(withoutRunFiles(pathsBelow(base.host())), withoutRunFiles(before)) << "no file is left anywhere";
}

// A temporary folder the user may not write into ends the player with the system's own reason in its box.
// As root every folder is writable, so there the player runs as another user.
TEST_F(StubProcess, ATemporaryFolderThatCannotBeWrittenShowsPermissionDenied) {
    const bool root = ::geteuid() == 0;
    if (root && !std::filesystem::exists("/usr/bin/setpriv")) {
        GTEST_SKIP() << "running as root without setpriv: no other user to run the player as";
    }
    const std::string exe = make("glwbase.exe", "movie.exe",
                                 {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(kPlayerStartup)}});
    base.folder("locked");
    base.folder("open");
    ASSERT_EQ(::chmod(base.host().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(base.host("app").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(exe.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(base.host("locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(base.host("open").c_str(), 0777), 0);
    const std::string trace = base.host("open/trace.txt");
    const std::string script = base.host("open/script.txt");
    base.file("open/script.txt", "");
    std::string program = exe;
    std::vector<std::string> args;
    if (root) {
        program = "/usr/bin/setpriv";
        args = {"--reuid=65534", "--regid=65534", "--clear-groups", "--", exe};
    }
    const test::ProcessResult r = test::runProcess(program, args,
                                                   {{"GLW_UI", "headless"},
                                                    {"GLW_SCRIPT", script},
                                                    {"GLW_TRACE", trace},
                                                    {"TMPDIR", base.host("locked")},
                                                    {"XDG_CONFIG_HOME", base.host("open")},
                                                    {"XDG_DATA_HOME", base.host("open")},
                                                    {"HOME", base.host("open")},
                                                    {"DISPLAY", ""},
                                                    {"WAYLAND_DISPLAY", ""}});
    const std::vector<std::string> lines = test::readLines(trace);
    EXPECT_EQ(r.exitCode, 1) << r.output << joinedLines(lines);
    EXPECT_TRUE(hasMatch(lines,
                         R"(msgbox "Error" "No Flash data found to display\.  Aborting\.\{CR\}\{LF\}\{CR\}\{LF\})"
                         R"(The work folder could not be set up: .*Permission denied" 16)"))
        << joinedLines(lines);
    EXPECT_TRUE(folderEntries(base.host("locked")).empty());
}

// A full disk under the temporary folder: the box gives the system's reason, not only "no data". A small
// file system of the test's own needs root and a mount namespace of the run's own (unshare).
TEST_F(StubProcess, AFullDiskShowsNoSpaceLeft) {
    if (::geteuid() != 0 || !std::filesystem::exists("/usr/bin/unshare")) {
        GTEST_SKIP() << "a full file system of the test's own needs root and unshare";
    }
    const std::string exe = make(
        "glwbase.exe", "movie.exe",
        {{"glwmovie.swf", fixtureMovie() + std::string(200000, '\0')}, {"startup.ini", startupList(kPlayerStartup)}});
    const std::string tmp = base.host("tmp");
    const std::string fill = "mount -t tmpfs -o size=128k none '" + tmp + "' && (dd if=/dev/zero of='" + tmp +
                             "/fill' bs=4096 2>/dev/null; true) && exec '" + exe + "'";
    const Run r = run("/usr/bin/unshare", {"-m", "sh", "-c", fill}, "");
    if (!hasLineStarting(r.trace, "start ")) {
        GTEST_SKIP() << "no mount namespace here: " << r.process.output;
    }
    EXPECT_EQ(r.process.exitCode, 1) << r.process.output << joinedLines(r.trace);
    EXPECT_TRUE(hasMatch(r.trace,
                         R"(msgbox "Error" "No Flash data found to display\.  Aborting\.\{CR\}\{LF\}\{CR\}\{LF\})"
                         R"(.*No space left on device" 16)"))
        << joinedLines(r.trace);
}

} // namespace
