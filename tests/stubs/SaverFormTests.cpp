// The screen saver run headless in this process: its command line, the full-screen movie, how it ends,
// the single instance, the preview and the About box.
#include "StubFixture.h"
#include "stubs/saver/Module1.h"
#include "stubs/saver/SaverForms.h"

#include <gtest/gtest.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::stubs::saver::Module1;

namespace {

const std::vector<std::string> kStartup = {
    "glwmovie.swf", " 300", " 200", "#102030", "Ann Author", "http://ann.example.org/", "showAll", "&CWR=5 "};

class SaverRun : public StubFixture {
protected:
    std::unique_ptr<Module1> module;

    std::optional<int> run(const std::string& commandLine) {
        if (env.ownFile.empty()) {
            joined("saver.scr", {{"glwmovie.swf", fixtureMovie()}, {"startup.ini", startupList(kStartup)}});
        }
        rt->Command = commandLine;
        module = std::make_unique<Module1>(*rt, env);
        return endsWith([&] { module->Main(); });
    }
};

TEST(SaverPreviewHandle, DigitsAtTheEndOfTheLine) {
    const std::pair<const char*, long> cases[] = {{"/P 1234", 1234}, {"/P:1234", 1234}, {" /p 77  ", 77},
                                                  {"/P", 0},         {"/P 12x", 0},     {"/P 99999999999", 0}};
    for (const auto& [line, handle] : cases) {
        EXPECT_EQ(Module1::ParsePreviewHwnd(line), handle) << line;
    }
}

struct ModeCase {
    const char* name;
    const char* line;
    int mode;
};

class SaverMode : public SaverRun, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SaverMode, CommandLineChoosesTheMode) {
    ASSERT_EQ(run(GetParam().line), std::nullopt);
    EXPECT_EQ(module->RunMode, GetParam().mode);
    EXPECT_EQ(module->config().loaded(), GetParam().mode == stubs::saver::modeConfigure);
    EXPECT_EQ(module->screen().loaded(), GetParam().mode != stubs::saver::modeConfigure);
}

INSTANTIATE_TEST_SUITE_P(Lines, SaverMode,
                         ::testing::Values(ModeCase{"show_lower_case", "/s", stubs::saver::modeShow},
                                           ModeCase{"configure_with_a_handle", "/c:4711", stubs::saver::modeConfigure},
                                           ModeCase{"empty_line_configures", "", stubs::saver::modeConfigure},
                                           ModeCase{"unknown_switch_configures", "/x", stubs::saver::modeConfigure},
                                           ModeCase{"preview", "/p 1234", stubs::saver::modePreview}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SaverRun, ShowPlaysTheMovieOverTheWholeScreenWithTheKeysOnText1) {
    ASSERT_EQ(run("/S"), std::nullopt);
    auto& screen = module->screen();
    EXPECT_TRUE(screen.Visible());
    EXPECT_EQ(screen.Caption(), "Glintwave Player 1.0");
    EXPECT_EQ(screen.WindowState(), 2);
    EXPECT_EQ(screen.BorderStyle(), 0);
    EXPECT_EQ(screen.Width(), rt->Screen.Width);
    EXPECT_EQ(screen.Height(), rt->Screen.Height);
    EXPECT_EQ(screen.FBit.Width(), rt->Screen.Width);
    EXPECT_EQ(screen.FBit.Movie(), module->core.TempFolder + "glwmovie.swf?&CWR=5");
    EXPECT_EQ(screen.FBit.BGColor(), "#102030");
    EXPECT_TRUE(screen.Text1.hasFocus());
    EXPECT_EQ(module->AuthorName, "Ann Author");
    EXPECT_TRUE(hasLine(trace(), "extract \"glwmovie.swf\""));
    EXPECT_TRUE(readBytes(module->core.hostTempFolder() + "glwmovie.swf") == fixtureMovie());
}

struct EndCase {
    const char* name;
    const char* line;
    bool ends;
};

class SaverEnd : public SaverRun, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SaverEnd, KeysClicksAndFocusLossEndTheShowMouseMovesDoNot) {
    ASSERT_EQ(run("/S"), std::nullopt);
    ASSERT_EQ(perform(GetParam().line), std::nullopt);
    EXPECT_EQ(!module->screen().loaded(), GetParam().ends);
    EXPECT_EQ(folderEntries(tempSwf()).empty(), GetParam().ends) << "the run's files go when the show ends";
}

INSTANTIATE_TEST_SUITE_P(Actions, SaverEnd,
                         ::testing::Values(EndCase{"letter", "key frmScreen.Text1 A", true},
                                           EndCase{"arrow_key", "key frmScreen.Text1 Left", true},
                                           EndCase{"escape", "key frmScreen Esc", true},
                                           EndCase{"click", "click frmScreen", true},
                                           EndCase{"click_into_the_movie", "click frmScreen.FBit", true},
                                           EndCase{"focus_lost", "deactivate frmScreen", true},
                                           EndCase{"movie_exit", "fscommand frmScreen.FBit Exit", true},
                                           EndCase{"mouse_move", "mousemove frmScreen", false},
                                           EndCase{"unknown_command", "fscommand frmScreen.FBit pl", false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(SaverRun, UnpackingFormGoesOnItsTimerAndTheMovieCanMinimiseOrRun) {
    ASSERT_EQ(run("/S"), std::nullopt);
    EXPECT_TRUE(module->form1().loaded());
    EXPECT_EQ(perform("tick Form1.Timer1"), std::nullopt);
    EXPECT_FALSE(module->form1().loaded());
    EXPECT_EQ(perform("fscommand frmScreen.FBit minimise"), std::nullopt);
    EXPECT_EQ(module->screen().WindowState(), 1);
    EXPECT_EQ(perform("fscommand frmScreen.FBit run \"C:\\x\\readme.txt\""), std::nullopt);
    EXPECT_EQ(shell->targets(), std::vector<std::string>{"C:\\x\\readme.txt"});
    // A file of the package is opened from the run folder.
    EXPECT_EQ(perform("fscommand frmScreen.FBit run glwmovie.swf"), std::nullopt);
    EXPECT_EQ(shell->targets().back(), module->core.TempFolder + "glwmovie.swf");
}

TEST_F(SaverRun, SecondShowEndsAtOnceWhileTheFirstShowsAndMayShowAfterIt) {
    ASSERT_EQ(run("/S"), std::nullopt);
    auto secondRuntime = makeRuntime();
    secondRuntime->Command = "/S";
    auto second = std::make_unique<Module1>(*secondRuntime, env);
    EXPECT_EQ(endsWith([&] { second->Main(); }), 0);
    EXPECT_TRUE(hasLine(secondRuntime->trace().lines(), "another screen saver shows"));
    EXPECT_FALSE(second->form1().loaded()) << "it ends before it unpacks anything";
    second.reset();

    ASSERT_EQ(perform("key frmScreen.Text1 A"), std::nullopt);
    auto thirdRuntime = makeRuntime();
    thirdRuntime->Command = "/S";
    auto third = std::make_unique<Module1>(*thirdRuntime, env);
    EXPECT_EQ(endsWith([&] { third->Main(); }), std::nullopt);
    EXPECT_TRUE(third->screen().Visible());
    third.reset();
}

// The preview lives in the window the line names, at the preview's size and without a frame; the focus
// is that window's program's to give and take, so neither losing it nor a deactivation ends the preview.
TEST_F(SaverRun, PreviewLivesInTheGivenWindowAndOutlivesAFocusLoss) {
    ASSERT_EQ(run("/p 1234"), std::nullopt);
    auto& screen = module->screen();
    EXPECT_EQ(module->PreviewHwnd, 1234);
    EXPECT_TRUE(screen.InPreview);
    EXPECT_TRUE(hasLine(trace(), "preview in window 1234"));
    EXPECT_EQ(screen.Caption(), "Preview");
    EXPECT_EQ(screen.WindowState(), 0);
    EXPECT_EQ(screen.BorderStyle(), 0);
    EXPECT_EQ(stubs::ScaleWidth(screen), 152 * 15);
    EXPECT_EQ(stubs::ScaleHeight(screen), 112 * 15);
    EXPECT_EQ(screen.FBit.Height(), 112 * 15);
    EXPECT_EQ(perform("deactivate frmScreen"), std::nullopt);
    EXPECT_TRUE(screen.loaded());
    EXPECT_EQ(perform("fscommand frmScreen.FBit exit"), std::nullopt);
    EXPECT_FALSE(screen.loaded());
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

TEST_F(SaverRun, PreviewWithoutAWindowSaysSoAndEnds) {
    for (const char* line : {"/p", "/p none", "/p 0"}) {
        ASSERT_EQ(run(line), 1) << line;
        EXPECT_TRUE(
            hasLine(trace(), std::string("msgbox \"Error\" \"") + stubs::saver::kNoPreviewWindowMessage + "\" 16"))
            << line;
        EXPECT_FALSE(module->form1().loaded()) << "nothing is unpacked for it";
        module.reset();
        EXPECT_TRUE(folderEntries(tempSwf()).empty()) << line;
    }
}

TEST_F(SaverRun, AboutBoxShowsTheAuthorOpensTheAddressesAndCleansUpWhenClosed) {
    ASSERT_EQ(run("/c"), std::nullopt);
    auto& about = module->config();
    EXPECT_EQ(about.Caption(), "About");
    EXPECT_EQ(about.Label2.Caption(), "Ann Author");
    EXPECT_EQ(about.Label3.Caption(), "http://ann.example.org/");
    EXPECT_EQ(about.Label4.Caption().rfind("Created using Glintwave SE.", 0), 0u);
    EXPECT_EQ(perform("click frmConfig.Label3"), std::nullopt);
    EXPECT_EQ(perform("click frmConfig.Label4"), std::nullopt);
    EXPECT_EQ(shell->targets(), (std::vector<std::string>{"http://ann.example.org/", stubs::kMakerWebSite}));
    EXPECT_EQ(perform("click frmConfig.Command1"), std::nullopt);
    EXPECT_FALSE(about.loaded());
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

TEST_F(SaverRun, NoPackageSaysSoAndEnds) {
    env.ownFile = stubFile();
    EXPECT_EQ(run("/s"), 1);
    EXPECT_TRUE(hasLine(trace(), "msgbox \"Error\" \"No data found to run screensaver.  Aborting.\" 16"));
    module.reset();
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
}

TEST_F(SaverRun, MissingStartupListPlaysTheBareAddress) {
    joined("saver.scr", {{"glwmovie.swf", fixtureMovie()}});
    ASSERT_EQ(run("/s"), std::nullopt);
    EXPECT_EQ(module->screen().FBit.Movie(), module->core.TempFolder + "glwmovie.swf?");
    EXPECT_EQ(module->AuthorName, "");
}

TEST(SaverTaskbar, NoTaskbarPartIsFoundOnThisDesktop) {
    forms::Runtime rt{forms::Services{}};
    Module1 module(rt, {});
    for (const char* part : {"Taskbar", "taskbar", "Clock", "Startbutton", "Nothing"}) {
        EXPECT_FALSE(module.HideTaskbarPart(part)) << part;
        EXPECT_FALSE(module.ShowTaskbarPart(part)) << part;
    }
}

} // namespace
