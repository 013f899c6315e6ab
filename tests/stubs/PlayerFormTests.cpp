// The movie player's window run headless in this process: loading, the movie it is given, its script
// commands, extra files, bad packages and the clean-up.
#include "StubFixture.h"
#include "stubs/player/Form1.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::stubs::player::Form1;

namespace {

const std::vector<std::string> kStartup = {"glwmovie.swf",        " 400", " 550", "#FF8800", "exactFit",
                                           "&CWR=0&CWG=0&CWB=0 ", ""};

class PlayerForm : public StubFixture {
protected:
    std::unique_ptr<Form1> form;

    std::optional<int> start() {
        form = std::make_unique<Form1>(*rt, env);
        return endsWith([&] { form->Show(); });
    }
    std::string runFolder() const { return form->core.hostTempFolder(); }
};

TEST_F(PlayerForm, PlaysItsMovieFromARunFolderOfItsOwnAndLeavesNothingBehind) {
    joined("movie.exe", playerEntries(kStartup));
    ASSERT_EQ(start(), std::nullopt);

    const std::string& temp = form->core.TempFolder;
    EXPECT_EQ(temp.rfind(dir.system("tmp") + "\\TempSWF\\run-", 0), 0u) << temp;
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(folderEntries(runFolder()), std::vector<std::string>{"glwmovie.swf"})
        << "the package copy and the startup list are deleted once read";
    EXPECT_EQ(readBytes(runFolder() + "glwmovie.swf"), fixtureMovie());
    EXPECT_EQ(form->List1.items(), (std::vector<std::string>{"glwmovie.swf", "startup.ini"}));
    EXPECT_EQ(form->core.DelFileList.text(), "glwmovie.swf|startup.ini");

    EXPECT_EQ(form->FBit.Movie(), temp + "glwmovie.swf?&CWR=0&CWG=0&CWB=0&EXE=5");
    EXPECT_EQ(form->FBit.BGColor(), "#FF8800");
    EXPECT_EQ(form->FBit.ScaleMode(), 2);
    EXPECT_TRUE(form->FBit.Visible());
    EXPECT_FALSE(form->picProgbar.Visible());
    EXPECT_EQ(form->lblPrgbar.Width(), form->picProgbar.Width()) << "the bar ends full";
    EXPECT_FALSE(form->MReady);
    EXPECT_FALSE(form->IsLoading);

    // The window holds the movie below its caption: 550 x 400 pixels at 15 twips a pixel.
    const stubs::FrameSize frame = stubs::frameOf(*form);
    EXPECT_EQ(form->Width(), 550 * 15);
    EXPECT_EQ(form->Height(), 400 * 15 + frame.height);
    EXPECT_EQ(form->FBit.Height(), 400 * 15);
    EXPECT_EQ(form->FBit.Width(), 550 * 15 - frame.width);

    EXPECT_TRUE(hasLine(trace(), "extract \"glwmovie.swf\""));
    EXPECT_TRUE(hasLine(trace(), "movie Form1.FBit \"Movie=" + temp + "glwmovie.swf?&CWR=0&CWG=0&CWB=0&EXE=5\""));

    EXPECT_EQ(perform("fscommand Form1.FBit exit"), 0);
    EXPECT_TRUE(folderEntries(tempSwf()).empty()) << "the run folder goes at the end; TempSWF stays";
    EXPECT_TRUE(std::filesystem::is_directory(tempSwf()));
}

TEST_F(PlayerForm, EmptyVariablesAndAnUnknownScaleWordKeepTheAddressShapeAndTheInitialScale) {
    joined("movie.exe", playerEntries({"glwmovie.swf", " 10", " 20", "#000000", "fit", " "}));
    ASSERT_EQ(start(), std::nullopt);
    EXPECT_EQ(form->FBit.Movie(), form->core.TempFolder + "glwmovie.swf?&EXE=5");
    EXPECT_EQ(form->FBit.ScaleMode(), 0);
    EXPECT_TRUE(form->ExtraFiles.empty());
}

struct ScaleCase {
    const char* word;
    int mode;
};

TEST_F(PlayerForm, ScaleWordsInAnyCase) {
    const ScaleCase cases[] = {{"showAll", 0}, {"NOBORDER", 1}, {"ExactFit", 2}, {"noscale", 3}};
    for (const auto& c : cases) {
        joined("movie.exe", playerEntries({"glwmovie.swf", " 10", " 20", "#000000", c.word, " "}));
        ASSERT_EQ(start(), std::nullopt);
        EXPECT_EQ(form->FBit.ScaleMode(), c.mode) << c.word;
        form.reset();
    }
}

struct CommandCase {
    const char* name;
    const char* line;
    std::optional<int> exitCode;
    int windowState;
    bool ready;
    std::vector<std::string> opened;
};

class PlayerCommand : public PlayerForm, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(PlayerCommand, MovieScriptCommands) {
    joined("movie.exe", playerEntries(kStartup));
    ASSERT_EQ(start(), std::nullopt);
    EXPECT_EQ(perform(GetParam().line), GetParam().exitCode);
    EXPECT_EQ(form->WindowState(), GetParam().windowState);
    EXPECT_EQ(form->MReady, GetParam().ready);
    EXPECT_EQ(shell->targets(), GetParam().opened);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PlayerCommand,
    ::testing::Values(CommandCase{"exit_in_capitals", "fscommand Form1.FBit EXIT", 0, 0, false, {}},
                      CommandCase{"minimise", "fscommand Form1.FBit minimise", std::nullopt, 1, false, {}},
                      CommandCase{
                          "minimize_with_z_does_nothing", "fscommand Form1.FBit minimize", std::nullopt, 0, false, {}},
                      CommandCase{"maximize", "fscommand Form1.FBit Maximize", std::nullopt, 2, false, {}},
                      CommandCase{"xloaded", "fscommand Form1.FBit xloaded", std::nullopt, 0, true, {}},
                      CommandCase{"run_opens_its_arguments",
                                  "fscommand Form1.FBit run \"http://a.example/x?y=1\"",
                                  std::nullopt,
                                  0,
                                  false,
                                  {"http://a.example/x?y=1"}},
                      CommandCase{"pl_does_nothing", "fscommand Form1.FBit pl \"x\"", std::nullopt, 0, false, {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(PlayerForm, ResizeFollowsTheWindowOnlyOnceLoaded) {
    joined("movie.exe", playerEntries(kStartup));
    ASSERT_EQ(start(), std::nullopt);
    form->IsLoading = true;
    const int before = form->FBit.Width();
    form->Width = 20000;
    EXPECT_EQ(form->FBit.Width(), before) << "while loading the control stays where it is";
    form->IsLoading = false;
    form->Width = 12000;
    EXPECT_EQ(form->FBit.Width(), 12000 - stubs::frameOf(*form).width);
    EXPECT_EQ(form->FBit.Height(), stubs::ScaleHeight(*form));
}

TEST_F(PlayerForm, ExtraFilesGoInAndOnlyThoseThatCameInGoBack) {
    dir.file("app/notes.txt", "v1");
    std::vector<std::string> startup = kStartup;
    startup.back() = "notes.txt|only-in-package.txt|..\\escape.txt|sub/x.txt";
    auto entries = playerEntries(startup);
    entries.insert(entries.begin() + 1, {"only-in-package.txt", "from the package"});
    joined("movie.exe", entries);
    ASSERT_EQ(start(), std::nullopt);

    EXPECT_EQ(readBytes(runFolder() + "notes.txt"), "v1");
    EXPECT_EQ(form->copiedIn(), std::vector<std::string>{"notes.txt"});
    EXPECT_TRUE(hasLineStarting(trace(), "error Form1.Form_Load 5 \"extra file name refused: ..\\escape.txt\""));
    EXPECT_TRUE(hasLineStarting(trace(), "error Form1.Form_Load 5 \"extra file name refused: sub/x.txt\""));

    // The movie changes its working copy while it plays.
    writeBytes(runFolder() + "notes.txt", "v2");
    EXPECT_EQ(perform("close Form1"), 0);
    EXPECT_EQ(dir.read("app/notes.txt"), "v2");
    EXPECT_FALSE(dir.exists("app/only-in-package.txt")) << "a package entry never lands beside the program";
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

// A link beside the program is read when the file is copied in, but the copy back never writes through it:
// neither the link's target nor the link changes. A plain file next to it still goes back.
TEST_F(PlayerForm, CopyBackNeverFollowsALink) {
    dir.file("elsewhere/target.txt", "keep me");
    dir.file("app/plain.txt", "p1");
    std::filesystem::create_symlink(dir.host("elsewhere/target.txt"), dir.host("app/linked.txt"));
    std::vector<std::string> startup = kStartup;
    startup.back() = "linked.txt|plain.txt";
    joined("movie.exe", playerEntries(startup));
    ASSERT_EQ(start(), std::nullopt);
    ASSERT_EQ(form->copiedIn(), (std::vector<std::string>{"linked.txt", "plain.txt"}));
    writeBytes(runFolder() + "linked.txt", "written by the movie");
    writeBytes(runFolder() + "plain.txt", "p2");
    EXPECT_EQ(perform("close Form1"), 0);
    EXPECT_EQ(dir.read("elsewhere/target.txt"), "keep me");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.host("app/linked.txt")));
    EXPECT_EQ(dir.read("app/plain.txt"), "p2");
    EXPECT_TRUE(hasLineStarting(trace(), "error copy back 75 \"" + dir.system("app") + "\\linked.txt: a link"));
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

TEST_F(PlayerForm, UnsafeNamesAreSkippedAndAMalformedTailEndsTheListing) {
    const std::string outside = dir.host("abs-target");
    std::string package = entryBytes("../escape", "x") + entryBytes(outside, "x") + entryBytes("sub\\x.txt", "x") +
                          entryBytes("c:x.txt", "x") + entryBytes("GLWEXE.DTA", "x");
    for (const auto& [name, bytes] : playerEntries(kStartup)) {
        package += entryBytes(name, bytes);
    }
    package += std::string("late.txt\0"
                           "99999\0"
                           "short",
                           20);
    joinedBytes("movie.exe", package);
    ASSERT_EQ(start(), std::nullopt);

    EXPECT_EQ(form->List1.items(), (std::vector<std::string>{"../escape", outside, "sub\\x.txt", "c:x.txt",
                                                             "GLWEXE.DTA", "glwmovie.swf", "startup.ini"}));
    EXPECT_EQ(form->core.DelFileList.text(), "glwmovie.swf|startup.ini");
    EXPECT_TRUE(hasLine(trace(), "skip \"../escape\""));
    EXPECT_TRUE(hasLine(trace(), "skip \"" + outside + "\""));
    EXPECT_TRUE(hasLineStarting(trace(), "error JpkList 0 "));
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_EQ(folderEntries(tempSwf()),
              std::vector<std::string>{std::filesystem::path(runFolder()).parent_path().filename().string()})
        << "nothing but the run folder in TempSWF";
    EXPECT_EQ(form->FBit.Movie(), form->core.TempFolder + "glwmovie.swf?&CWR=0&CWG=0&CWB=0&EXE=5");
    EXPECT_EQ(perform("fscommand Form1.FBit exit"), 0);
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

class PlayerWithoutPackage : public PlayerForm, public ::testing::WithParamInterface<const char*> {};

TEST_P(PlayerWithoutPackage, SaysSoEndsAndLeavesNoRunFolder) {
    const std::string kind = GetParam();
    if (kind == "no_marker") {
        env.ownFile = stubFile();
    } else if (kind == "marker_at_the_end") {
        joinedBytes("movie.exe", "");
    } else {
        env.ownFile = dir.host("app/missing.exe");
    }
    EXPECT_EQ(start(), 1);
    EXPECT_TRUE(hasLine(trace(), "msgbox \"Error\" \"No Flash data found to display.  Aborting.\" 16"));
    form.reset();
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

INSTANTIATE_TEST_SUITE_P(Files, PlayerWithoutPackage, ::testing::Values("no_marker", "marker_at_the_end", "missing"));

TEST_F(PlayerForm, TwoPlayersAtOnceKeepTheirFilesApart) {
    joined("movie.exe", playerEntries(kStartup));
    ASSERT_EQ(start(), std::nullopt);
    auto otherRuntime = makeRuntime();
    joined("other.exe", {{"glwmovie.swf", "another movie"}, {"startup.ini", startupList(kStartup)}});
    auto other = std::make_unique<Form1>(*otherRuntime, env);
    ASSERT_EQ(endsWith([&] { other->Show(); }), std::nullopt);

    ASSERT_NE(other->core.TempFolder, form->core.TempFolder);
    EXPECT_EQ(readBytes(other->core.hostTempFolder() + "glwmovie.swf"), "another movie");
    EXPECT_EQ(readBytes(runFolder() + "glwmovie.swf"), fixtureMovie());
    EXPECT_EQ(endsWith([&] { other->Unload(); }), 0);
    EXPECT_EQ(readBytes(runFolder() + "glwmovie.swf"), fixtureMovie()) << "the other's clean-up leaves ours alone";
    other.reset();
}

// A run folder that cannot be made ends the player with its "no data" message, and the true cause below
// it: the user is sent to the temporary folder, not to the package.
struct RunFolderCase {
    const char* name;
    // Spoils the user's temporary folder below the test folder; false when this account cannot (the row is
    // then skipped, and says why).
    std::function<bool(platform::test::TempDir&, stubs::StubEnvironment&)> spoil;
    const char* cause; // a part of the cause shown
};

class PlayerRunFolder : public PlayerForm, public ::testing::WithParamInterface<RunFolderCase> {};

TEST_P(PlayerRunFolder, FailsWithItsCauseInTheMessage) {
    joined("movie.exe", playerEntries(kStartup));
    if (!GetParam().spoil(dir, env)) {
        GTEST_SKIP() << GetParam().name << " cannot be set up by this account";
    }
    EXPECT_EQ(start(), 1);
    EXPECT_EQ(form->core.TempFolder, "");
    const std::string box = "msgbox \"Error\" \"No Flash data found to display.  Aborting.{CR}{LF}{CR}{LF}The work "
                            "folder could not be set up: ";
    ASSERT_TRUE(hasLineStarting(trace(), box));
    for (const std::string& line : trace()) {
        if (line.rfind(box, 0) == 0) {
            EXPECT_NE(line.find(GetParam().cause), std::string::npos) << line;
            EXPECT_EQ(line.substr(line.size() - 3), " 16");
        }
    }
    EXPECT_TRUE(hasLineStarting(trace(), "error TempFolder 0 "));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PlayerRunFolder,
    ::testing::Values(RunFolderCase{"tempswf_is_a_file",
                                    [](platform::test::TempDir& d, stubs::StubEnvironment&) {
                                        d.file("tmp/TempSWF", "a file where the folder should be");
                                        return true;
                                    },
                                    "not a folder: "},
                      RunFolderCase{"tempswf_is_a_link",
                                    [](platform::test::TempDir& d, stubs::StubEnvironment&) {
                                        d.folder("elsewhere");
                                        std::filesystem::create_symlink("../elsewhere", d.host("tmp/TempSWF"));
                                        return true;
                                    },
                                    "a link, which is never followed, instead of a folder: "},
                      RunFolderCase{"temporary_folder_is_a_file",
                                    [](platform::test::TempDir& d, stubs::StubEnvironment& e) {
                                        d.file("tmpfile", "x");
                                        e.tempFolder = d.system("tmpfile");
                                        return true;
                                    },
                                    "Not a directory"},
                      RunFolderCase{"tempswf_of_another_user",
                                    [](platform::test::TempDir& d, stubs::StubEnvironment&) {
                                        d.folder("tmp/TempSWF");
                                        return ::chown(d.host("tmp/TempSWF").c_str(), 65534, 65534) == 0; // root only
                                    },
                                    "a folder of another user: "},
                      // As root every folder is writable: the process tests run this one as another user.
                      RunFolderCase{"temporary_folder_not_writable",
                                    [](platform::test::TempDir& d, stubs::StubEnvironment&) {
                                        return ::geteuid() != 0 && ::chmod(d.host("tmp").c_str(), 0500) == 0;
                                    },
                                    "Permission denied"}),
    [](const auto& p) { return std::string(p.param.name); });

// The movie's `run` of a file that came in its package opens that file of the run folder; any other text
// goes to the shell as it stands.
TEST_F(PlayerForm, RunOpensAFileOfThePackageFromTheRunFolder) {
    auto entries = playerEntries(kStartup);
    entries.push_back({"readme.txt", "read me"});
    joined("movie.exe", entries);
    ASSERT_EQ(start(), std::nullopt);
    const std::string& temp = form->core.TempFolder;
    const std::pair<const char*, std::string> cases[] = {
        {"readme.txt", temp + "readme.txt"},
        {"README.TXT", temp + "readme.txt"},
        {"notes.txt", "notes.txt"},           // not in the package
        {"startup.ini", "startup.ini"},       // in the package, but read and deleted
        {"..\\readme.txt", "..\\readme.txt"}, // not a bare name
        {"http://a.example/readme.txt", "http://a.example/readme.txt"},
        {"C:\\docs\\readme.txt", "C:\\docs\\readme.txt"},
    };
    for (const auto& [given, opened] : cases) {
        ASSERT_EQ(perform("fscommand Form1.FBit run \"" + std::string(given) + "\""), std::nullopt);
        EXPECT_EQ(shell->targets().back(), opened) << given;
    }
}

// A startup list without a usable size gives the window the movie's own stage, not a bare frame.
TEST_F(PlayerForm, AMissingSizeTakesTheMoviesStage) {
    joined("movie.exe", {{"glwmovie.swf", fixtureMovie(320, 200)}, {"startup.ini", startupList({"glwmovie.swf"})}});
    ASSERT_EQ(start(), std::nullopt);
    EXPECT_EQ(form->MovieWidth, 320);
    EXPECT_EQ(form->MovieHeight, 200);
    EXPECT_EQ(form->FBit.Width(), 320 * 15 - stubs::frameOf(*form).width);
    EXPECT_EQ(form->FBit.Height(), 200 * 15);
}

// A program folder whose name holds "\" has no system path (App.Path is empty): the player says so and
// plays without its extra files, which are neither read from nor written to the root folder.
TEST_F(PlayerForm, AProgramFolderWithoutASystemPathPlaysWithoutExtraFiles) {
    std::vector<std::string> startup = kStartup;
    startup.back() = "notes.txt";
    joined("movie.exe", playerEntries(startup));
    rt->App.Path = "";
    ASSERT_EQ(start(), std::nullopt);
    EXPECT_TRUE(hasLine(trace(), std::string("msgbox \"Error\" \"") +
                                     forms::Trace::quote(stubs::player::kNoProgramFolderMessage).substr(1) + " 48"));
    EXPECT_TRUE(form->copiedIn().empty());
    EXPECT_EQ(form->FBit.Movie(), form->core.TempFolder + "glwmovie.swf?&CWR=0&CWG=0&CWB=0&EXE=5");
    EXPECT_EQ(perform("fscommand Form1.FBit exit"), 0);
    EXPECT_FALSE(std::filesystem::exists("/notes.txt"));
    EXPECT_FALSE(hasLineStarting(trace(), "error copy back"));
}

} // namespace
