// The screen-saver installer run headless in this process: unpacking, Install with and without the
// setting, the target folder text, failing copies, packages without a saver, Cancel.
#include "StubFixture.h"
#include "platform/FileRegistry.h"
#include "stubs/installer/Form1.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::stubs::installer::Form1;

namespace {

const std::string kSaverBytes = std::string("\x7F"
                                            "ELF a screen saver ",
                                            20) +
                                std::string(5000, 'z');

class InstallerRun : public StubFixture {
protected:
    std::unique_ptr<Form1> form;

    std::optional<int> start(const std::vector<std::pair<std::string, std::string>>& entries = {
                                 {"my saver.scr", kSaverBytes}}) {
        if (!entries.empty()) {
            joined("setup.exe", entries);
        }
        form = std::make_unique<Form1>(*rt, env);
        return endsWith([&] { form->Show(); });
    }
    std::optional<std::string> setting() {
        return registry->queryValue(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE");
    }
};

TEST_F(InstallerRun, UnpacksTheSaverThenWaitsWithTheWindowsFolderOffered) {
    ASSERT_EQ(start(), std::nullopt);
    EXPECT_EQ(form->Caption(), "GLW Screen Saver Installer 1.0");
    EXPECT_EQ(form->Text1.Text(), dir.host("windows")) << "the folder is shown in the host's form";
    EXPECT_EQ(form->ScrFileName, "my saver.scr");
    EXPECT_FALSE(form->picProgbar.Visible());
    EXPECT_TRUE(form->Picture1.Visible());
    EXPECT_EQ(form->lblPrgbar.Width(), form->picProgbar.Width() * 70 / 100);
    EXPECT_EQ(folderEntries(form->core.hostTempFolder()), std::vector<std::string>{"my saver.scr"});
}

TEST_F(InstallerRun, InstallCopiesTheSaverMakesItRunnableAndSetsItWhenTicked) {
    ASSERT_EQ(start(), std::nullopt);
    ASSERT_EQ(perform("click Form1.Check1"), std::nullopt);
    ASSERT_EQ(form->Check1.Value(), 1);
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);

    EXPECT_EQ(dir.read("windows/my saver.scr"), kSaverBytes);
    struct stat st {};
    ASSERT_EQ(::stat(dir.host("windows/my saver.scr").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u);
    EXPECT_EQ(setting(), dir.system("windows") + "\\my saver.scr");
    EXPECT_TRUE(hasLine(trace(), "msgbox \"GLW Screen Saver Installer 1.0\" \"Screen Saver Installed!\" 64"));
    EXPECT_FALSE(form->loaded());
    EXPECT_TRUE(folderEntries(tempSwf()).empty()) << "only the installed copy remains";
}

struct FolderCase {
    const char* name;
    bool closingBackslash;
    bool ticked;
    bool hostForm = false; // typed as the user reads it, "/tmp/.../dest"
};

class InstallerFolder : public InstallerRun, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(InstallerFolder, TargetFolderTextWithOrWithoutItsClosingBackslash) {
    dir.folder("dest");
    ASSERT_EQ(start(), std::nullopt);
    if (GetParam().hostForm) {
        form->Text1.Text = dir.host("dest") + (GetParam().closingBackslash ? "/" : "");
    } else {
        form->Text1.Text = dir.system("dest") + (GetParam().closingBackslash ? "\\" : "");
    }
    if (GetParam().ticked) {
        form->Check1.Value = forms::vbChecked;
    }
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_EQ(dir.read("dest/my saver.scr"), kSaverBytes);
    if (GetParam().ticked) {
        EXPECT_EQ(setting(), dir.system("dest") + "\\my saver.scr");
    } else {
        EXPECT_EQ(setting(), std::nullopt) << "not ticked: no setting is written";
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, InstallerFolder,
                         ::testing::Values(FolderCase{"without_backslash_ticked", false, true},
                                           FolderCase{"with_backslash_ticked", true, true},
                                           FolderCase{"without_backslash_not_ticked", false, false},
                                           FolderCase{"host_form_typed", false, true, true},
                                           FolderCase{"host_form_with_closing_slash", true, true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

struct CopyFailure {
    const char* name;
    std::function<void(platform::test::TempDir&)> prepare;
    std::string target; // below the test folder
};

class InstallerCopyFails : public InstallerRun, public ::testing::WithParamInterface<CopyFailure> {};

TEST_P(InstallerCopyFails, ShowsTheCopyMessageWritesNoSettingAndNeverSaysInstalled) {
    GetParam().prepare(dir);
    ASSERT_EQ(start(), std::nullopt);
    form->Text1.Text = dir.system(GetParam().target);
    form->Check1.Value = forms::vbChecked;
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);

    EXPECT_TRUE(hasLineStarting(trace(), "msgbox \"Error.\" \"An error occured copying the file " +
                                             form->core.hostTempFolder() + "my saver.scr.  "));
    EXPECT_FALSE(hasLineStarting(trace(), "msgbox \"GLW Screen Saver Installer 1.0\""));
    EXPECT_EQ(setting(), std::nullopt);
    EXPECT_FALSE(form->loaded());
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, InstallerCopyFails,
    ::testing::Values(CopyFailure{"folder_missing", [](platform::test::TempDir&) {}, "nowhere"},
                      CopyFailure{"a_folder_bears_the_name",
                                  [](platform::test::TempDir& d) { d.folder("dest/my saver.scr/inside"); }, "dest"},
                      CopyFailure{"folder_is_a_file", [](platform::test::TempDir& d) { d.file("dest", "x"); }, "dest"}),
    [](const auto& p) { return std::string(p.param.name); });

// An empty folder box would name the root of the file system: Install asks for a folder and stays open.
class InstallerEmptyFolder : public InstallerRun, public ::testing::WithParamInterface<const char*> {};

TEST_P(InstallerEmptyFolder, IsRefusedAndTheWindowStaysOpen) {
    ASSERT_EQ(start(), std::nullopt);
    form->Text1.Text = GetParam();
    form->Check1.Value = forms::vbChecked;
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_TRUE(hasLine(trace(), std::string("msgbox \"GLW Screen Saver Installer 1.0\" \"") +
                                     stubs::installer::kNoFolderMessage + "\" 48"));
    EXPECT_TRUE(form->loaded());
    EXPECT_EQ(setting(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists("/my saver.scr"));
    // The user then types a folder and installs.
    form->Text1.Text = dir.system("windows");
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_EQ(dir.read("windows/my saver.scr"), kSaverBytes);
    EXPECT_FALSE(form->loaded());
}

INSTANTIATE_TEST_SUITE_P(Texts, InstallerEmptyFolder, ::testing::Values("", "   "),
                         [](const auto& p) { return std::string(p.param).empty() ? "empty" : "blanks"; });

TEST_F(InstallerRun, AnInstalledSaverIsReplacedWhole) {
    dir.file("windows/my saver.scr", std::string(20000, 'o'));
    ASSERT_EQ(start(), std::nullopt);
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_EQ(dir.read("windows/my saver.scr"), kSaverBytes) << "no tail of the longer old file survives";
}

TEST_F(InstallerRun, TheLastScreenSaverEntryIsInstalled) {
    ASSERT_EQ(start({{"first.scr", "one"}, {"readme.txt", "r"}, {"Second.SCR", "two"}}), std::nullopt);
    EXPECT_EQ(form->ScrFileName, "Second.SCR");
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_EQ(dir.read("windows/Second.SCR"), "two");
    EXPECT_FALSE(dir.exists("windows/first.scr"));
}

TEST_F(InstallerRun, PackageWithoutAScreenSaverIsAnError) {
    ASSERT_EQ(start({{"readme.txt", "r"}}), std::nullopt);
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_TRUE(hasLine(trace(), "msgbox \"Error.\" \"There seems to be an error in the installation. Aborting.\" 48"));
    EXPECT_TRUE(folderEntries(dir.host("windows")).empty());
    EXPECT_EQ(setting(), std::nullopt);
}

TEST_F(InstallerRun, ScreenSaverEntryWithAnUnsafeNameIsNeverWrittenOrInstalled) {
    const std::string outside = dir.host("escaped.scr");
    joinedBytes("setup.exe", entryBytes("../escaped.scr", "x") + entryBytes(outside, "y"));
    ASSERT_EQ(start({}), std::nullopt);
    EXPECT_EQ(form->ScrFileName, "");
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_FALSE(std::filesystem::exists(tempSwf() + "/escaped.scr"));
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_TRUE(hasLineStarting(trace(), "msgbox \"Error.\" \"There seems to be an error"));
}

TEST_F(InstallerRun, CancelInstallsNothing) {
    ASSERT_EQ(start(), std::nullopt);
    ASSERT_EQ(perform("click Form1.Command3"), std::nullopt);
    EXPECT_FALSE(form->loaded());
    EXPECT_TRUE(folderEntries(dir.host("windows")).empty());
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

TEST_F(InstallerRun, CreditLineOpensTheMakersSite) {
    ASSERT_EQ(start(), std::nullopt);
    ASSERT_EQ(perform("click Form1.Label4"), std::nullopt);
    EXPECT_EQ(shell->targets(), std::vector<std::string>{stubs::kMakerWebSite});
}

TEST_F(InstallerRun, NoPackageSaysSoAndEnds) {
    env.ownFile = stubFile();
    EXPECT_EQ(start({}), 1);
    EXPECT_TRUE(hasLine(trace(), "msgbox \"Error\" \"No screensaver data found to install.  Aborting.\" 16"));
}

// Every file below the test folder, as paths relative to it; the run folders under tmp are left out, as
// they come and go with each run.
std::vector<std::string> filesBelow(const platform::test::TempDir& d) {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(d.host(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string relative = it->path().lexically_relative(d.host()).string();
        if (relative.rfind("tmp", 0) != 0) {
            files.push_back(relative);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Install writes only into the folder the user chose: a link there at the saver's name is replaced, never
// written through; a folder as typed, blanks and all; a folder whose name cannot be a system path is
// refused with a message instead of becoming the root folder.
struct TargetCase {
    const char* name;
    std::function<void(platform::test::TempDir&)> prepare;
    const char* typed;       // the folder typed, in host form, below the test folder
    const char* installedAs; // the file that must hold the saver afterwards, or "" when nothing is installed
    const char* message;     // the start of the message Install shows
};

class InstallerTarget : public InstallerRun, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(InstallerTarget, WritesOnlyIntoTheFolderTyped) {
    const TargetCase& c = GetParam();
    c.prepare(dir);
    ASSERT_EQ(start(), std::nullopt);
    const std::vector<std::string> before = filesBelow(dir);
    form->Text1.Text = dir.host(c.typed);
    form->Check1.Value = forms::vbChecked;
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);

    EXPECT_TRUE(hasLineStarting(trace(), std::string("msgbox \"GLW Screen Saver Installer 1.0\" \"") + c.message))
        << c.name;
    std::vector<std::string> expected = before;
    if (*c.installedAs) {
        EXPECT_FALSE(std::filesystem::is_symlink(dir.host(c.installedAs)));
        EXPECT_EQ(dir.read(c.installedAs), kSaverBytes);
        struct stat st {};
        ASSERT_EQ(::stat(dir.host(c.installedAs).c_str(), &st), 0);
        EXPECT_NE(st.st_mode & S_IXUSR, 0u);
        if (std::find(expected.begin(), expected.end(), c.installedAs) == expected.end()) {
            expected.push_back(c.installedAs);
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_FALSE(form->loaded());
    } else {
        EXPECT_TRUE(form->loaded()) << "the window stays open for another folder";
        EXPECT_EQ(setting(), std::nullopt);
    }
    EXPECT_EQ(filesBelow(dir), expected) << "nothing is written outside the folder typed";
    if (dir.exists("victim.txt")) {
        EXPECT_EQ(dir.read("victim.txt"), "victim");
    }
    EXPECT_FALSE(std::filesystem::exists("/my saver.scr"));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, InstallerTarget,
    ::testing::Values(TargetCase{"a_link_at_the_saver_name",
                                 [](platform::test::TempDir& d) {
                                     d.file("victim.txt", "victim");
                                     d.folder("target");
                                     std::filesystem::create_symlink("../victim.txt", d.host("target/my saver.scr"));
                                 },
                                 "target", "target/my saver.scr", "Screen Saver Installed!"},
                      TargetCase{"a_link_to_a_folder_at_the_saver_name",
                                 [](platform::test::TempDir& d) {
                                     d.folder("elsewhere");
                                     d.folder("target");
                                     std::filesystem::create_symlink("../elsewhere", d.host("target/my saver.scr"));
                                 },
                                 "target", "target/my saver.scr", "Screen Saver Installed!"},
                      TargetCase{"a_folder_ending_in_a_blank",
                                 [](platform::test::TempDir& d) { d.folder("my savers "); }, "my savers ",
                                 "my savers /my saver.scr", "Screen Saver Installed!"},
                      TargetCase{"a_folder_name_holding_a_backslash",
                                 [](platform::test::TempDir& d) { d.folder("tgt\\x"); }, "tgt\\x", "", "The folder "}),
    [](const auto& p) { return std::string(p.param.name); });

// The saver is copied, but the setting cannot be stored (the settings folder cannot be made): Install
// says that it is installed and could not be made the current one, and why.
TEST_F(InstallerRun, AFailedSettingSaysTheSaverIsNotTheCurrentOne) {
    dir.file("config", "a file where the settings folder would be");
    forms::Services services;
    services.registry = std::make_shared<platform::FileRegistry>(dir.host("config/glw/registry.ini"));
    rt = std::make_unique<forms::Runtime>(services);
    rt->trace().keepInMemory(true);
    rt->App.Path = dir.system("app");
    ASSERT_EQ(start(), std::nullopt);
    form->Check1.Value = forms::vbChecked;
    ASSERT_EQ(perform("click Form1.Command15"), std::nullopt);
    EXPECT_EQ(dir.read("windows/my saver.scr"), kSaverBytes);
    EXPECT_TRUE(hasLineStarting(trace(), std::string("msgbox \"GLW Screen Saver Installer 1.0\" \"") +
                                             stubs::installer::kNotCurrentMessage + "{CR}{LF}{CR}{LF}"));
    EXPECT_FALSE(hasLineStarting(trace(), "msgbox \"GLW Screen Saver Installer 1.0\" \"Screen Saver Installed!\""));
    EXPECT_FALSE(form->loaded());
}

} // namespace
