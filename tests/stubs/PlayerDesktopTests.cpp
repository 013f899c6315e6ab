// The exported player in a real window: a package with a movie that runs fscommand("exit") by itself,
// joined to the built player, started under Xvfb with the Flash player installed. It must show its movie
// and end on the movie's own exit command.
#include "StubTestSupport.h"
#include "platform/TempDir.h"
#include "support/Process.h"
#include "swfmaker/Presets.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace glw;
using namespace glw::stubs::test;
using glw::platform::test::TempDir;

namespace {

bool onPath(const std::string& program) {
    return test::runProcess("/bin/sh", {"-c", "command -v " + program}, {}, 10).exitCode == 0;
}

TEST(PlayerDesktop, ShowsItsMovieAndEndsOnTheMoviesExitCommand) {
    const std::string ruffle = std::string(GLW_APP_DIR) + "/ruffle/glwplayer.txt";
    if (!std::filesystem::exists(ruffle)) {
        GTEST_SKIP() << "the Flash player is not installed (scripts/setup-ruffle)";
    }
    if (!onPath("xvfb-run")) {
        GTEST_SKIP() << "xvfb-run is not installed";
    }
    if (!std::filesystem::exists(std::string(GLW_APP_DIR) + "/glwclipholder")) {
        GTEST_SKIP() << "the desktop front end is not built";
    }

    TempDir base;
    for (const char* folder : {"app", "tmp", "config", "home"}) {
        base.folder(folder);
    }
    auto movie = tools::makePreset("exit", tools::Compression::Zlib);
    ASSERT_TRUE(movie.ok()) << movie.error().detail;
    const std::vector<std::string> startup = {"glwmovie.swf", " 300", " 400", "#336699", "showAll", "", ""};
    const std::string package = base.host("stage.dta");
    writePackage(package, base.host("stage"),
                 {{"glwmovie.swf", std::string(movie->begin(), movie->end())}, {"startup.ini", startupList(startup)}});
    const std::string exe = base.host("app/movie.exe");
    joinFile(std::string(GLW_APP_DIR) + "/glwbase.exe", package, exe);
    // The clipboard holder lives beside the programs of the application folder.
    std::filesystem::copy_file(std::string(GLW_APP_DIR) + "/glwclipholder", base.host("app/glwclipholder"));

    const auto result =
        test::runProcess(GLW_SOURCE_DIR "/tests/support/xvfb-run-free", {"-s", "-screen 0 1024x768x24", exe},
                         {{"GLW_UI", ""},
                          {"GLW_SCRIPT", ""},
                          {"QT_QPA_PLATFORM", "xcb"},
                          {"GLW_TRACE", base.host("trace.txt")},
                          {"TMPDIR", base.host("tmp")},
                          {"XDG_CONFIG_HOME", base.host("config")},
                          {"HOME", base.host("home")}},
                         90);
    const auto trace = test::readLines(base.host("trace.txt"));
    std::string text;
    for (const auto& line : trace) {
        text += line + "\n";
    }
    ASSERT_EQ(result.exitCode, 0) << result.output << text;
    EXPECT_TRUE(hasLineStarting(trace, "movie Form1.FBit \"Movie=")) << text;
    EXPECT_TRUE(hasLine(trace, "end 0")) << text;
    EXPECT_TRUE(folderEntries(base.host("tmp/TempSWF")).empty()) << "the run folder is cleaned up";
}

} // namespace
