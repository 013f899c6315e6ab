// The stubs' shared core: run folders that killed runs left behind, the progress bar and the "|" lists.
#include "StubFixture.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace glw;
using namespace glw::stubs::test;

namespace {

class StubCoreRun : public StubFixture {
protected:
    void age(const std::string& relative) {
        std::filesystem::last_write_time(dir.host(relative),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    }
};

TEST_F(StubCoreRun, RunFoldersOfKilledRunsGoAndThoseOfLiveOrJustStartedRunsStay) {
    // A live run of another stub, holding its folder.
    stubs::StubCore live(*rt, env);
    ASSERT_TRUE(live.setUpWorkFolder());
    const std::string liveName = std::filesystem::path(live.hostTempFolder()).parent_path().filename().string();
    dir.file("tmp/TempSWF/" + liveName + "/glwmovie.swf", "live");
    age("tmp/TempSWF/" + liveName);

    dir.file("tmp/TempSWF/run-killed/glwmovie.swf", "left behind");
    age("tmp/TempSWF/run-killed");
    dir.folder("tmp/TempSWF/run-fresh");
    dir.folder("tmp/TempSWF/other-folder");
    age("tmp/TempSWF/other-folder");
    dir.file("outside/keep.txt", "k");
    std::filesystem::create_directory_symlink(dir.host("outside"), dir.host("tmp/TempSWF/run-link"));

    stubs::StubCore next(*rt, env);
    ASSERT_TRUE(next.setUpWorkFolder());
    const std::string nextName = std::filesystem::path(next.hostTempFolder()).parent_path().filename().string();

    std::vector<std::string> expected{liveName, nextName, "other-folder", "run-fresh", "run-link"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(tempSwf()), expected);
    EXPECT_TRUE(dir.exists("outside/keep.txt")) << "a link is never followed";
    EXPECT_TRUE(hasLine(trace(), "cleanup \"" + dir.system("tmp") + "\\TempSWF\\run-killed\\\""));

    live.cleanUp();
    next.cleanUp();
    EXPECT_FALSE(dir.exists("tmp/TempSWF/" + liveName));
    EXPECT_FALSE(dir.exists("tmp/TempSWF/" + nextName));
}

TEST_F(StubCoreRun, CleanUpRunsOnceAndRemovesWhatTheMovieLeftInTheRunFolder) {
    stubs::StubCore core(*rt, env);
    ASSERT_TRUE(core.setUpWorkFolder());
    dir.file("tmp/TempSWF/" + std::filesystem::path(core.hostTempFolder()).parent_path().filename().string() +
                 "/saved/score.txt",
             "written by the movie");
    core.cleanUp();
    core.cleanUp();
    EXPECT_TRUE(core.cleanedUp());
    EXPECT_TRUE(folderEntries(tempSwf()).empty());
    EXPECT_EQ(
        std::count_if(trace().begin(), trace().end(), [](const std::string& l) { return l.rfind("cleanup ", 0) == 0; }),
        1);
}

// An entry whose file cannot be written is an error in the trace, not a "skip" (kept for refused names);
// the entries around it are extracted.
TEST_F(StubCoreRun, AnEntryThatCannotBeWrittenIsTracedAsAnError) {
    env.ownFile = joinedBytes("movie.exe", entryBytes("a.txt", "a") + entryBytes("../up.txt", "u") +
                                               entryBytes("blocked.txt", "b") + entryBytes("c.txt", "c"));
    stubs::StubCore core(*rt, env);
    ASSERT_TRUE(core.setUpWorkFolder());
    ASSERT_TRUE(core.ExtractAppendedData());
    // Something already stands where the entry would go.
    std::filesystem::create_directory(core.hostTempFolder() + "blocked.txt");
    forms::Form form(*rt, "Form1");
    forms::ListBox List1(form, "List1");
    const stubs::JpkExtraction done = core.extractEntries(List1, {});
    EXPECT_EQ(done.extracted, (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(done.skipped, std::vector<std::string>{"../up.txt"});
    ASSERT_EQ(done.failed.size(), 1u);
    EXPECT_EQ(done.failed[0].first, "blocked.txt");
    EXPECT_TRUE(hasLine(trace(), "skip \"../up.txt\""));
    EXPECT_FALSE(hasLine(trace(), "skip \"blocked.txt\""));
    EXPECT_TRUE(hasLineStarting(trace(), "error JpkExtract 0 \"blocked.txt: "));
    EXPECT_EQ(core.DelFileList.text(), "a.txt|c.txt");
    core.cleanUp();
}

TEST_F(StubCoreRun, ProgressBarShowsItsShareOfTheBoxAndHidesAtZero) {
    forms::Form form(*rt, "Form1");
    forms::PictureBox box(form, "picProgbar");
    forms::Label bar(form, "lblPrgbar");
    box.Width = 4800;
    const std::pair<double, int> cases[] = {{0, 0}, {40, 1920}, {50 + 20.0 / 3 * 1, 2720}, {100, 4800}};
    for (const auto& [precent, width] : cases) {
        stubs::SetBar(*rt, box, bar, precent);
        EXPECT_EQ(bar.Width(), width) << precent;
        EXPECT_EQ(bar.Visible(), precent != 0) << precent;
    }
}

// The player's movie size: the startup list's where usable, else the stage's, made smaller as a whole when
// it would not fit the screen (640 x 480 pixels here).
TEST_F(StubCoreRun, MovieSizeFallsBackToTheStageClampedToTheScreen) {
    dir.file("small.swf", fixtureMovie(550, 400));
    dir.file("large.swf", fixtureMovie(800, 300));
    dir.file("broken.swf", "not a movie");
    forms::ScreenObject screen;
    screen.Width = 640 * 15;
    screen.Height = 480 * 15;
    struct Case {
        const char* name;
        long width, height;
        const char* movie;
        long expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {"both usable", 300, 200, "small.swf", 300, 200},
        {"larger than the screen but given", 3000, 2000, "small.swf", 3000, 2000},
        {"missing", 0, 0, "small.swf", 550, 400},
        {"negative width", -5, 300, "small.swf", 550, 300},
        {"height beyond a form's size", 400, 200000000, "small.swf", 400, 400},
        {"stage wider than the screen keeps its shape", 0, 0, "large.swf", 640, 240},
        {"only the height from a large stage", 700, 0, "large.swf", 700, 240},
        {"stage unreadable", 0, 300, "broken.swf", 0, 300},
        {"movie missing", 0, 0, "none.swf", 0, 0},
    };
    for (const Case& c : cases) {
        const stubs::MovieSize size = stubs::playerMovieSize(c.width, c.height, dir.host(c.movie), screen);
        EXPECT_EQ(size.width, c.expectedWidth) << c.name;
        EXPECT_EQ(size.height, c.expectedHeight) << c.name;
    }
}

} // namespace
