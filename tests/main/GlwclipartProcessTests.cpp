// glwclipart run as a process, headless, with a script and a trace.
#include "platform/TempDir.h"
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using glw::platform::test::TempDir;

namespace {

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(GlwclipartProcess, ExitButtonEndsAHeadlessRunAndTheTraceShowsStartUpAndEnd) {
    TempDir app;
    std::filesystem::copy_file(GLW_APP_DIR "/glwclipart", app.host("glwclipart"));
    std::filesystem::permissions(app.host("glwclipart"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    app.folder("CLTemplates/Animals");
    app.folder("CLTemplates/Shapes");
    app.file("Working/old.swf");
    app.file("script.txt", "# press Exit\nclick Form1.Command3\n");
    const auto result = glw::test::runProcess(
        app.host("glwclipart"), {},
        {{"GLW_UI", "headless"}, {"GLW_SCRIPT", app.host("script.txt")}, {"GLW_TRACE", app.host("trace.txt")}});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const auto trace = glw::test::readLines(app.host("trace.txt"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "start glwclipart \"" + app.system() + "\"");
    EXPECT_TRUE(has(trace, "load Form1"));
    EXPECT_TRUE(has(trace, "movie Form1.TitleBar(3) \"SetVariable txtTitle=Browse What \""));
    EXPECT_TRUE(has(trace, "action click Form1.Command3"));
    EXPECT_EQ(trace.back(), "end 0");
    EXPECT_FALSE(app.exists("Working/old.swf"));
}

TEST(GlwclipartProcess, ScriptThatDoesNotParseStopsBeforeStartUp) {
    // An unknown action, and a number that is not one: both stop the program with its line number.
    for (const char* bad : {"wobble", "color red"}) {
        TempDir dir;
        dir.file("script.txt", std::string("click Form1.Command3\n") + bad + "\n");
        const auto result = glw::test::runProcess(GLW_APP_DIR "/glwclipart", {},
                                                  {{"GLW_UI", "headless"}, {"GLW_SCRIPT", dir.host("script.txt")}});
        EXPECT_EQ(result.exitCode, 2) << bad;
        EXPECT_NE(result.output.find("line 2"), std::string::npos) << result.output;
    }
}

} // namespace
