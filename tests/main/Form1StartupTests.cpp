// The main window's start-up road against a temporary application folder, and its commands.
#include "base/Ascii.h"
#include "forms/HeadlessDriver.h"
#include "main/Form1.h"
#include "main/MainProgram.h"
#include "platform/ServicesMemory.h"
#include "platform/TempDir.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace glw;
using glw::platform::test::TempDir;

namespace {

// The page's file names as the request's field holds them, for comparing with the texts of the cases.
std::string joinedAtBars(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i ? "|" : "") + names[i];
    }
    return text;
}

class Form1Startup : public ::testing::Test {
protected:
    TempDir app;
    std::shared_ptr<platform::MemoryClipboard> clipboard = std::make_shared<platform::MemoryClipboard>();
    std::shared_ptr<platform::RecordingShell> shell = std::make_shared<platform::RecordingShell>();
    std::shared_ptr<platform::MemoryPictureLoader> pictures = std::make_shared<platform::MemoryPictureLoader>();
    std::unique_ptr<forms::Runtime> rt;
    std::unique_ptr<main::MainProgram> program;

    void SetUp() override {
        app.folder("CLTemplates/Animals");
        app.folder("CLTemplates/borders");
        app.folder("CLTemplates/Locked");
        app.folder("CLTemplates/.hidden");
        app.file("CLTemplates/notes.txt");
        std::filesystem::permissions(app.host("CLTemplates/Locked"),
                                     std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
        app.file("Working/newclip.swf");
        app.file("Working/startup.ini");
        app.file("Working/NewImport/keep.txt");
        app.file("Resource/titlebar.swf");
        app.file("Resource/badfont.txt", "Wingdings,Symbol");
        pictures->add(app.system() + "\\Resource\\export.jpg", 96, 32);
        pictures->add(app.system() + "\\Resource\\handback.jpg", 96, 32);
    }

    main::Form1& start(const std::string& clipboardText) {
        clipboard->setText(clipboardText);
        forms::Services services;
        services.clipboard = clipboard;
        services.shell = shell;
        services.pictures = pictures;
        services.fonts = std::make_shared<platform::FixedFontList>(
            std::vector<std::string>{"Arial", "Wingdings 2", "MT Symbol", "Liberation Sans"});
        rt = std::make_unique<forms::Runtime>(services);
        rt->App.Path = app.system();
        program = std::make_unique<main::MainProgram>(*rt);
        auto& form = program->form1();
        form.Show();
        return form;
    }
};

TEST_F(Form1Startup, NormalStartListsPlainCategoriesAndSetsTheTitles) {
    auto& form = start("just some text");
    const auto& g = program->aModule;
    EXPECT_EQ(g.AddinMode, 0);
    EXPECT_EQ(g.HostProgram, "");
    EXPECT_EQ(g.ClipFlashVars, "");
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals", "borders"}))
        << "read-only and hidden folders and plain files are not categories";
    EXPECT_EQ(form.CatsSave.items(), form.Cats.items());
    EXPECT_EQ(form.Cats.ListIndex, 0);
    EXPECT_EQ(form.CatsSave.ListIndex, 0);
    EXPECT_EQ(form.lstFonts.items(), (std::vector<std::string>{"Arial", "Liberation Sans"}));
    for (int i = 0; i <= 5; ++i) {
        EXPECT_EQ(form.TitleBar[i].Movie(), app.system() + "\\Resource\\titlebar.swf");
        EXPECT_EQ(form.TitleBar[i].variables().at("txtTitle"), main::Form1::kPanelTitles[i]);
        EXPECT_EQ(form.Extend1[i].variables().at("txtTitle"), " ");
    }
    EXPECT_EQ(form.TitleBar[3].variables().at("txtTitle"), "Browse What ");
    EXPECT_FALSE(app.exists("Working/newclip.swf"));
    EXPECT_FALSE(app.exists("Working/startup.ini"));
    EXPECT_TRUE(app.exists("Working/NewImport/keep.txt")) << "sub-folders of Working stay";
    EXPECT_EQ(form.Left, (rt->Screen.Width - form.Width) / 2);
    EXPECT_EQ(clipboard->getText(), "just some text") << "the clipboard is not cleared";
}

struct RequestCase {
    const char* clipboard;
    int addinMode;
    const char* hostProgram;
    const char* pageFolder;
    const char* dataFolder;
    const char* pageFiles;
};

TEST_F(Form1Startup, AddinRequestsOnTheClipboard) {
    const RequestCase cases[] = {
        {"(WBLFPCommand)[C:\\web](!1!){GLWDATA}(@a.htm|b.gif@)", -1, "FrontPage", "C:\\web", "GLWDATA", "a.htm|b.gif"},
        {"(WBLFPCommand)[RunningGLWPowerPoint](!!){}(@@)", -1, "PowerPoint", "RunningGLWPowerPoint", "", ""},
        {"(wblfpcommand)[C:\\web](!1!){D}(@a@)", 0, "", "", "", ""},                    // the marker is case-sensitive
        {"(WBLFPCommand)[C:\\we]b](!1!){D}(@a@)", -1, "FrontPage", "C:\\we", "D", "a"}, // cut at the first "]"
        {"(other)(WBLFPCommand)[C:\\web]", 0, "", "", "", ""},                          // only the first pair counts
        {"", 0, "", "", "", ""},
    };
    for (const auto& c : cases) {
        auto& form = start(c.clipboard);
        const auto& g = program->aModule;
        SCOPED_TRACE(c.clipboard);
        EXPECT_EQ(g.AddinMode, c.addinMode);
        EXPECT_EQ(g.HostProgram, c.hostProgram);
        EXPECT_EQ(g.HostPageFolder, c.pageFolder);
        EXPECT_EQ(g.ExportDataFolder, c.dataFolder);
        EXPECT_EQ(joinedAtBars(g.HostPageFiles), c.pageFiles);
        // The Export button shows the hand-back picture in add-in mode, its own export picture otherwise.
        const std::string shown = form.Command8.Picture().path;
        EXPECT_TRUE(
            base::iequals(shown, app.system() + (c.addinMode ? "\\Resource\\handback.jpg" : "\\Resource\\export.jpg")))
            << shown;
        if (c.addinMode) {
            EXPECT_EQ(form.Command8.Picture(), form.picFP.Picture());
        }
        EXPECT_EQ(clipboard->getText(), c.addinMode ? "" : c.clipboard) << "a request is taken once, other text stays";
        program.reset();
        rt.reset();
    }
}

TEST_F(Form1Startup, ALaterStartByHandDoesNotTakeTheSameRequestAgain) {
    start("(WBLFPCommand)[C:\\web](!1!){GLWDATA}(@a.htm@)");
    EXPECT_EQ(program->aModule.AddinMode, -1);
    const std::string left = clipboard->getText();
    program.reset();
    rt.reset();
    start(left);
    EXPECT_EQ(program->aModule.AddinMode, 0);
    EXPECT_EQ(program->aModule.HostProgram, "");
}

TEST_F(Form1Startup, MissingLibraryFolderStartsWithEmptyLists) {
    std::filesystem::remove_all(app.host("CLTemplates"));
    auto& form = start("");
    EXPECT_EQ(form.Cats.ListCount(), 0);
    EXPECT_EQ(form.Cats.ListIndex, -1);
    EXPECT_TRUE(form.loaded());
}

TEST_F(Form1Startup, ShortcutsNeedCtrlAloneAndFollowTheView) {
    auto& form = start("");
    form.chkBrowseWhat[1].Value = true;
    form.userKeyDown('1', forms::vbCtrlMask | forms::vbShiftMask);
    EXPECT_TRUE(form.chkBrowseWhat[1].Value) << "Ctrl+Shift does nothing";
    form.userKeyDown('1', forms::vbCtrlMask);
    EXPECT_TRUE(form.chkBrowseWhat[0].Value);
    form.FlashDemo.Visible = true; // the edit view
    form.userKeyDown('2', forms::vbCtrlMask);
    EXPECT_TRUE(form.chkBrowseWhat[0].Value) << "Ctrl+2 does nothing in the edit view";
    form.userKeyDown('I', forms::vbCtrlMask);
    EXPECT_TRUE(form.Option1[1].Value);
}

TEST_F(Form1Startup, UpdateQuestionOnlyYesStartsTheUpdaterAndEnds) {
    auto& form = start("");
    auto& ui = forms::headless(*rt);
    for (const char* answer : {"No", "Cancel"}) {
        ASSERT_TRUE(ui.queueScript(std::string("answer ") + answer).ok());
        form.fBut_Click(0);
        EXPECT_TRUE(form.loaded()) << answer;
    }
    EXPECT_TRUE(shell->targets().empty());
    // Yes, but the updater cannot be started: the program says so and keeps running.
    shell->setResult(2);
    ASSERT_TRUE(ui.queueScript("answer Yes\nanswer OK").ok());
    form.fBut_Click(0);
    EXPECT_TRUE(form.loaded());
    EXPECT_FALSE(rt->ended());
    shell->setResult(42);
    ASSERT_TRUE(ui.queueScript("answer Yes").ok());
    EXPECT_THROW(form.fBut_Click(0), vb::EndProgram);
    EXPECT_EQ(shell->targets().back(), app.system() + "\\glwupdate.exe");
    EXPECT_TRUE(rt->ended());
}

TEST_F(Form1Startup, SupportMenuAndHelpOpenTheirTargets) {
    auto& form = start("");
    auto& ui = forms::headless(*rt);
    ui.chooseMenu("mnuEmail");
    form.fBut[5].userClick();
    form.Command6.userClick();
    ASSERT_EQ(shell->targets().size(), 2u);
    EXPECT_EQ(shell->targets()[0].rfind("mailto:", 0), 0u);
    EXPECT_NE(shell->targets()[0].find("?Subject=Glintwave SE"), std::string::npos);
    EXPECT_EQ(shell->targets()[1], app.system() + "\\Help\\glwtrans.chm");
}

TEST_F(Form1Startup, HelpFallsBackToTheHelpPageWhenTheHelpFileCannotBeOpened) {
    auto& form = start("");
    const std::string help = app.system() + "\\Help\\";
    struct Case {
        long result; // what the shell answers for the help file
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {42, {help + "glwtrans.chm"}},
        {31, {help + "glwtrans.chm", help + "index.htm"}}, // no program for the file
        {2, {help + "glwtrans.chm", help + "index.htm"}},  // the file is missing
    };
    for (const auto& c : cases) {
        shell = std::make_shared<platform::RecordingShell>();
        rt->services().shell = shell;
        shell->setResult(c.result);
        form.Command6.userClick();
        EXPECT_EQ(shell->targets(), c.opened) << c.result;
    }
}

TEST_F(Form1Startup, ExitClearsTheLinkAndEndsTheProgram) {
    auto& form = start("");
    program->aModule.LinkURL = "http://x";
    EXPECT_THROW(form.Command3.userClick(), vb::EndProgram);
    EXPECT_EQ(program->aModule.LinkURL, "");
}

} // namespace
