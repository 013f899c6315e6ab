// The exported stubs on a real X display (an Xvfb of the test's own, no window manager), as their users
// meet them: the movie must show at once, a user's resize must reach the movie, a click must end the
// screen saver, message boxes must show their icon, and the termination signals must end a stub as its own
// exit does. Each test saves what it saw under <build>/screenshots/ and checks it by pixels.
#include "StubTestSupport.h"
#include "desktop/movie/TinySwf.h"
#include "platform/TempDir.h"
#include "support/Desktop.h"
#include "support/Process.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::platform::test::TempDir;
namespace tiny = glw::qt::movie::test;

namespace {

const test::Image::Pixel kRed{255, 0, 0};
const test::Image::Pixel kBlue{0, 0, 255};

// A 400 x 300 movie: its left half a red rectangle over the background, which the startup list makes blue.
std::string halfRedMovie() {
    const tiny::Bytes bytes =
        tiny::movie(400, 300, 12,
                    {tiny::setBackgroundColor({0, 128, 0}), tiny::defineRectangle(1, 0, 0, 200, 300, {255, 0, 0}),
                     tiny::placeObject(1, 1), tiny::showFrame()});
    return std::string(bytes.begin(), bytes.end());
}

// The movie's two halves side by side across the middle row of a picture whose movie area is `width` wide.
bool showsHalves(const test::Image& image, int width, int top, int height) {
    const int y = top + height / 2;
    return image.near(width / 4, y, kRed) && image.near(width * 3 / 4, y, kBlue);
}

class StubDesktop : public ::testing::Test {
protected:
    TempDir base;
    std::unique_ptr<test::XServer> x;
    int runs = 0;

    void SetUp() override {
        if (!std::filesystem::exists(std::string(GLW_APP_DIR) + "/ruffle/glwplayer.txt")) {
            GTEST_SKIP() << "the Flash player is not installed (scripts/setup-ruffle)";
        }
        if (!std::filesystem::exists(std::string(GLW_APP_DIR) + "/glwclipholder")) {
            GTEST_SKIP() << "the desktop front end is not built";
        }
        if (const std::string missing = test::missingDesktopTool(); !missing.empty()) {
            GTEST_SKIP() << missing << " is not installed";
        }
        for (const char* folder : {"app", "tmp", "config", "data", "home"}) {
            base.folder(folder);
        }
        std::filesystem::copy_file(std::string(GLW_APP_DIR) + "/glwclipholder", base.host("app/glwclipholder"));
        x = std::make_unique<test::XServer>(1024, 768);
        ASSERT_FALSE(x->display().empty()) << "Xvfb did not start";
        std::filesystem::create_directories(screenshots());
    }

    static std::string screenshots() { return std::string(GLW_BINARY_DIR) + "/screenshots"; }
    static std::string screenshot(const std::string& name) { return screenshots() + "/" + name + ".png"; }

    std::string make(const std::string& stub, const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::string output = base.host("app/" + name);
        joinProgram(std::string(GLW_APP_DIR) + "/" + stub, output, base.host("stage-" + name), entries);
        return output;
    }

    std::string player(const std::string& scale = "showAll", const std::string& extraFiles = "") {
        return make("glwbase.exe", "movie.exe",
                    {{"glwmovie.swf", halfRedMovie()},
                     {"startup.ini", startupList({"glwmovie.swf", " 300", " 400", "#0000FF", scale, "", extraFiles})}});
    }
    std::string saver() {
        return make("glwbase.scr", "my.scr",
                    {{"glwmovie.swf", halfRedMovie()},
                     {"startup.ini", startupList({"glwmovie.swf", " 300", " 400", "#0000FF", "Ann Author",
                                                  "http://ann.example.org/", "exactFit", ""})}});
    }

    std::string tracePath() const { return base.host("trace" + std::to_string(runs) + ".txt"); }
    std::vector<std::string> trace() const { return test::readLines(tracePath()); }
    std::string traceText() const {
        std::string text;
        for (const auto& line : trace()) {
            text += line + "\n";
        }
        return text;
    }

    std::unique_ptr<test::BackgroundProcess> start(const std::string& program, const std::vector<std::string>& args) {
        ++runs;
        return std::make_unique<test::BackgroundProcess>(program, args,
                                                         std::map<std::string, std::string>{
                                                             {"GLW_UI", ""},
                                                             {"GLW_SCRIPT", ""},
                                                             {"DISPLAY", x->display()},
                                                             {"QT_QPA_PLATFORM", "xcb"},
                                                             {"GLW_TRACE", tracePath()},
                                                             {"TMPDIR", base.host("tmp")},
                                                             {"XDG_CONFIG_HOME", base.host("config")},
                                                             {"XDG_DATA_HOME", base.host("data")},
                                                             {"HOME", base.host("home")},
                                                         },
                                                         base.host("output" + std::to_string(runs) + ".txt"));
    }

    std::vector<std::string> tempSwf() const { return folderEntries(base.host("tmp/TempSWF")); }
};

// The player's movie paints as soon as it has loaded, without a resize or any other help; the
// termination signal then ends it as closing its window does: the extra file goes back, nothing stays.
TEST_F(StubDesktop, PlayerShowsItsMovieAtOnceAndEndsOnSigterm) {
    base.file("app/notes.txt", "v1");
    const std::string exe = player("showAll", "notes.txt");
    auto process = start(exe, {});
    const std::string window = x->waitForWindow("Glintwave Flash Player");
    ASSERT_FALSE(window.empty()) << traceText();
    auto image = x->grabUntil(window, screenshot("player"), 30,
                              [](const test::Image& i) { return showsHalves(i, 400, 0, 300); });
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 400);
    EXPECT_EQ(image->height, 300);
    EXPECT_TRUE(showsHalves(*image, 400, 0, 300)) << "see " << screenshot("player");
    EXPECT_GT(image->share(10, 10, 180, 280, kRed), 0.95);
    EXPECT_GT(image->share(210, 10, 180, 280, kBlue), 0.95);

    // The movie changed its working copy of the extra file while it played.
    std::string runFolder;
    for (const auto& name : tempSwf()) {
        runFolder = base.host("tmp/TempSWF/" + name + "/");
    }
    ASSERT_FALSE(runFolder.empty());
    writeBytes(runFolder + "notes.txt", "v2");
    process->signal(SIGTERM);
    const auto ended = process->wait(30);
    EXPECT_EQ(ended.exitCode, 0) << traceText();
    EXPECT_TRUE(hasLine(trace(), "signal 15")) << traceText();
    EXPECT_TRUE(hasLineStarting(trace(), "cleanup ")) << traceText();
    EXPECT_EQ(base.read("app/notes.txt"), "v2");
    EXPECT_TRUE(tempSwf().empty()) << "the run folder is cleaned up";
}

// The screen saver shows its movie over the whole screen at once, and a click into the movie ends it
// (the movie takes the focus from Text1) with its run folder cleaned up.
TEST_F(StubDesktop, SaverShowsItsMovieAtOnceAndEndsOnAClick) {
    auto process = start(saver(), {"/S"});
    const std::string window = x->waitForWindow("Glintwave Player 1.0");
    ASSERT_FALSE(window.empty()) << traceText();
    auto image = x->grabUntil(window, screenshot("saver"), 30, [](const test::Image& i) {
        return i.width == 1024 && i.height == 768 && showsHalves(i, 1024, 0, 768);
    });
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 1024);
    EXPECT_EQ(image->height, 768);
    EXPECT_GT(image->share(10, 10, 490, 750, kRed), 0.95) << "see " << screenshot("saver");
    EXPECT_GT(image->share(530, 10, 480, 750, kBlue), 0.95) << "see " << screenshot("saver");
    ASSERT_TRUE(process->running());
    x->click(700, 400);
    const auto ended = process->wait(30);
    EXPECT_EQ(ended.exitCode, 0) << traceText();
    EXPECT_TRUE(hasLine(trace(), "unload frmScreen")) << traceText();
    EXPECT_TRUE(tempSwf().empty()) << "the run folder is cleaned up";
}

// The box of a player without a package shows the desktop's critical-error icon beside its message, and
// its OK button ends the player with 1.
TEST_F(StubDesktop, MessageBoxShowsItsIcon) {
    std::filesystem::copy_file(std::string(GLW_APP_DIR) + "/glwbase.exe", base.host("app/glwbase.exe"));
    auto process = start(base.host("app/glwbase.exe"), {});
    const std::string window = x->waitForWindow("Error");
    ASSERT_FALSE(window.empty()) << traceText();
    // The icon's red: a strong red of the critical-error sign in its corner of the box.
    auto reddish = [](const test::Image& i) {
        long red = 0;
        for (int y = 0; y < std::min(i.height, 70); ++y) {
            for (int x = 0; x < std::min(i.width, 70); ++x) {
                const auto p = i.at(x, y);
                red += (p.r > 150 && p.g < 110 && p.b < 110) ? 1 : 0;
            }
        }
        return red;
    };
    auto image =
        x->grabUntil(window, screenshot("msgbox-critical"), 20, [&](const test::Image& i) { return reddish(i) > 100; });
    ASSERT_TRUE(image.has_value());
    EXPECT_GT(reddish(*image), 100) << "no icon in the box, see " << screenshot("msgbox-critical");
    x->key(window, "Return");
    EXPECT_EQ(process->wait(30).exitCode, 1) << traceText();
}

// The termination signals end every stub as its own exit does, also while it waits for the user.
struct SignalCase {
    const char* name;
    const char* stub;
    const char* title;
    std::vector<std::string> args;
    int signal;
};

class StubSignal : public StubDesktop, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(StubSignal, EndsTheStubAsItsOwnExitDoes) {
    const SignalCase& c = GetParam();
    std::string exe;
    if (std::string(c.stub) == "quillset.exe") {
        exe = make(c.stub, "setup.exe", {{"my.scr", "a screen saver"}});
    } else {
        exe = std::string(c.stub) == "glwbase.scr" ? saver() : player();
    }
    auto process = start(exe, c.args);
    ASSERT_FALSE(x->waitForWindow(c.title).empty()) << traceText();
    ASSERT_FALSE(tempSwf().empty());
    process->signal(c.signal);
    const auto ended = process->wait(30);
    EXPECT_EQ(ended.exitCode, 0) << traceText();
    EXPECT_EQ(ended.signal, 0);
    EXPECT_TRUE(hasLine(trace(), "signal " + std::to_string(c.signal))) << traceText();
    EXPECT_TRUE(tempSwf().empty()) << "the run folder is cleaned up";
}

INSTANTIATE_TEST_SUITE_P(
    Stubs, StubSignal,
    ::testing::Values(SignalCase{"installer_sighup", "quillset.exe", "GLW Screen Saver Installer 1.0", {}, SIGHUP},
                      SignalCase{"saver_sigint", "glwbase.scr", "Glintwave Player 1.0", {"/S"}, SIGINT},
                      SignalCase{"about_box_sigterm", "glwbase.scr", "About", {"/C"}, SIGTERM},
                      SignalCase{"player_sighup", "glwbase.exe", "Glintwave Flash Player", {}, SIGHUP}),
    [](const auto& p) { return std::string(p.param.name); });

// Under a window manager too, the movie paints at once, and a resize that the manager carries out reaches
// the movie.
TEST_F(StubDesktop, UnderAWindowManagerThePlayerShowsItsMovieAtOnceAndFollowsAResize) {
    if (!x->startWindowManager()) {
        GTEST_SKIP() << "no window manager (openbox) is installed";
    }
    auto process = start(player("exactFit"), {});
    const std::string window = x->waitForWindow("Glintwave Flash Player");
    ASSERT_FALSE(window.empty()) << traceText();
    auto image = x->grabUntil(window, screenshot("player-window-manager"), 30,
                              [](const test::Image& i) { return showsHalves(i, 400, 0, 300); });
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 400);
    EXPECT_EQ(image->height, 300);
    EXPECT_TRUE(showsHalves(*image, 400, 0, 300)) << "see " << screenshot("player-window-manager");
    x->resize(window, 800, 600);
    auto resized = x->grabUntil(window, screenshot("player-window-manager-resized"), 30, [](const test::Image& i) {
        return i.width > 400 && i.height > 300 && showsHalves(i, i.width, 0, i.height) &&
               i.near(i.width - 10, i.height - 10, kBlue);
    });
    ASSERT_TRUE(resized.has_value());
    EXPECT_GT(resized->width, 400);
    EXPECT_TRUE(resized->near(resized->width - 10, resized->height - 10, kBlue))
        << "see " << screenshot("player-window-manager-resized");
    process->signal(SIGTERM);
    EXPECT_EQ(process->wait(30).exitCode, 0);
}

// A user's resize reaches the form: Width and Height follow the window, Form_Resize runs, and the movie
// (exactFit) fills the new size.
TEST_F(StubDesktop, PlayerMovieFillsTheWindowAfterAUsersResize) {
    auto process = start(player("exactFit"), {});
    const std::string window = x->waitForWindow("Glintwave Flash Player");
    ASSERT_FALSE(window.empty()) << traceText();
    ASSERT_TRUE(x->grabUntil(window, screenshot("player-before-resize"), 30,
                             [](const test::Image& i) { return showsHalves(i, 400, 0, 300); }));
    x->resize(window, 640, 480);
    auto image = x->grabUntil(window, screenshot("player-resized"), 30, [](const test::Image& i) {
        return i.width == 640 && i.height == 480 && showsHalves(i, 640, 0, 480) && i.near(630, 470, kBlue) &&
               i.near(10, 470, kRed);
    });
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    // exactFit stretches the movie over the whole window: its red half ends at the middle.
    EXPECT_GT(image->share(5, 5, 310, 470, kRed), 0.95) << "see " << screenshot("player-resized");
    EXPECT_GT(image->share(330, 5, 305, 470, kBlue), 0.95) << "see " << screenshot("player-resized");
    process->signal(SIGTERM);
    EXPECT_EQ(process->wait(30).exitCode, 0);
}

// A size far beyond the screen in the startup list gives a window no larger than the screen, and the movie
// fills that window.
TEST_F(StubDesktop, AnAbsurdMovieSizeGivesAWindowNoLargerThanTheScreen) {
    const std::string exe =
        make("glwbase.exe", "huge.exe",
             {{"glwmovie.swf", halfRedMovie()},
              {"startup.ini", startupList({"glwmovie.swf", " 30000", " 30000", "#0000FF", "exactFit", "", ""})}});
    auto process = start(exe, {});
    const std::string window = x->waitForWindow("Glintwave Flash Player");
    ASSERT_FALSE(window.empty()) << traceText();
    auto image = x->grabUntil(window, screenshot("player-huge"), 30, [](const test::Image& i) {
        return i.width <= 1024 && i.height <= 768 && showsHalves(i, i.width, 0, i.height) &&
               i.near(i.width - 10, i.height - 10, kBlue);
    });
    ASSERT_TRUE(image.has_value());
    EXPECT_LE(image->width, 1024);
    EXPECT_LE(image->height, 768);
    EXPECT_TRUE(image->near(image->width - 10, image->height - 10, kBlue)) << "see " << screenshot("player-huge");
    process->signal(SIGTERM);
    EXPECT_EQ(process->wait(30).exitCode, 0);
}

#ifdef GLW_HOST_WINDOW
// The preview draws inside the window its line names, as that window's child filling it; a click elsewhere
// on the desktop (the focus going there) does not end it, and the destruction of that window does, with
// the run folder cleaned up.
TEST_F(StubDesktop, PreviewDrawsInsideTheGivenWindowAndEndsWithIt) {
    const std::string hostOutput = base.host("host.txt");
    auto host = std::make_unique<test::BackgroundProcess>(GLW_HOST_WINDOW, std::vector<std::string>{},
                                                          std::map<std::string, std::string>{{"DISPLAY", x->display()}},
                                                          hostOutput);
    std::string id;
    for (int i = 0; i < 200 && id.empty(); ++i) {
        const auto lines = test::readLines(hostOutput);
        if (!lines.empty() && !lines.front().empty()) {
            id = lines.front();
        } else {
            ::usleep(50'000);
        }
    }
    ASSERT_FALSE(id.empty()) << "the host window was not made";

    auto process = start(saver(), {"/p", id});
    const auto children = [&] {
        return test::runProcess("/usr/bin/env", {"xwininfo", "-children", "-id", id}, {{"DISPLAY", x->display()}})
            .output;
    };
    std::string tree;
    for (int i = 0; i < 300 && tree.find("1 child:") == std::string::npos; ++i) {
        tree = children();
        if (tree.find("1 child:") == std::string::npos) {
            ::usleep(100'000);
        }
    }
    ASSERT_NE(tree.find("1 child:"), std::string::npos) << tree << traceText();

    // The movie (exactFit) fills the 152 x 112 host: red on the left, the blue background on the right.
    auto image = x->grabUntil(id, screenshot("saver-preview"), 30,
                              [](const test::Image& i) { return showsHalves(i, 152, 0, 112); });
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 152);
    EXPECT_EQ(image->height, 112);
    EXPECT_GT(image->share(5, 5, 66, 102, kRed), 0.9) << "see " << screenshot("saver-preview");
    EXPECT_GT(image->share(81, 5, 66, 102, kBlue), 0.9) << "see " << screenshot("saver-preview");

    // Nothing of the saver shows outside the host window (at 100, 100) on the black screen.
    ASSERT_TRUE(x->grab("root", screenshot("saver-preview-screen")));
    const auto screen = test::readImage(screenshot("saver-preview-screen"));
    ASSERT_TRUE(screen.has_value());
    EXPECT_TRUE(screen->near(110, 150, kRed) && screen->near(240, 150, kBlue)) << "the preview is in its host";
    EXPECT_EQ(screen->share(0, 250, 1024, 518, kRed) + screen->share(0, 250, 1024, 518, kBlue), 0.0)
        << "no window of its own elsewhere, see " << screenshot("saver-preview-screen");

    x->click(900, 700);
    ASSERT_TRUE(process->running()) << traceText();
    host.reset(); // the host window goes with its program
    const auto ended = process->wait(30);
    EXPECT_EQ(ended.exitCode, 0) << traceText();
    EXPECT_TRUE(hasLine(trace(), "host window gone " + id))
        << "ended by the host's end, not by the click: " << traceText();
    EXPECT_TRUE(tempSwf().empty()) << "the run folder is cleaned up";
}

// A window id that names no window here: the preview says so and ends, and no window of its own shows.
TEST_F(StubDesktop, PreviewOfAWindowThatIsNotThereSaysSoAndEnds) {
    auto process = start(saver(), {"/p", "4194999"});
    const std::string box = x->waitForWindow("Error");
    ASSERT_FALSE(box.empty()) << traceText();
    EXPECT_TRUE(x->waitForWindow("Preview", 1).empty()) << "no window of its own";
    x->key(box, "Return");
    EXPECT_EQ(process->wait(30).exitCode, 1) << traceText();
    EXPECT_TRUE(
        hasLineStarting(trace(), std::string("msgbox \"Error\" \"") + "The preview needs the window to show in"))
        << traceText();
    EXPECT_TRUE(tempSwf().empty());
}
#endif

} // namespace
