// The link chooser's saved scripts: one table of files written and read both ways, the appends, and the
// scripts that would not come back as they were saved.
#include "CaseTable.h"
#include "formats/NavScripts.h"

namespace glw::formats {
namespace {

using test::Way;

const test::CaseRow<NavScripts> kCases[] = {
    {"no scripts, no file content", "", {}},
    {"a script as the chooser stores it: single quotes and a closing semicolon",
     "alert('hi');\r\n",
     {{"alert('hi');"}}},
    {"scripts in the order they were saved",
     "go(1);\r\nback();\r\nwindow.close();\r\n",
     {{"go(1);", "back();", "window.close();"}}},
    {"a pasted script's line breaks saved as blanks stay inside its line", "a();  b();\r\n", {{"a();  b();"}}},
    {"a tab is no blank: it stays", "\tx();\r\n", {{"\tx();"}}},
    {"blanks around a saved line are trimmed, blank lines are not offered",
     "  go(1);  \r\n\r\n   \r\nback();\r\n",
     {{"go(1);", "back();"}},
     Way::ReadOnly},
    {"lines may end with LF or CR alone, the last one with nothing",
     "a();\nb();\rc();",
     {{"a();", "b();", "c();"}},
     Way::ReadOnly},
    {"a script with blanks around it is written as it stands", "  x();  \r\n", {{"  x();  "}}, Way::WriteOnly},
};

TEST(NavScripts, WritesAndReadsEachCase) {
    test::runBothWays<NavScripts>(kCases, writeNavScripts, readNavScripts);
}

TEST(NavScripts, AppendsOneLineAndNeverJoinsTwoScripts) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "x();\r\n"},
        {"a();\r\n", "a();\r\nx();\r\n"},
        {"a();\n", "a();\nx();\r\n"},
        // A last line without its line end (a file edited by hand) is ended first.
        {"a();", "a();\r\nx();\r\n"},
    };
    for (const auto& [before, after] : cases) {
        auto appended = appendNavScript(before, "x();");
        ASSERT_TRUE(appended.ok()) << before;
        EXPECT_EQ(*appended, after) << before;
        EXPECT_EQ(readNavScripts(*appended).scripts.back(), "x();") << before;
    }
}

TEST(NavScripts, RefusesScriptsThatWouldNotComeBack) {
    const std::pair<const char*, const char*> cases[] = {
        {"a();\r\nb();", "The script \"a();\r\nb();\" may not hold a line break."},
        {"a();\nb();", "The script \"a();\nb();\" may not hold a line break."},
        {"", "The script is empty."},
        {"   ", "The script is empty."},
    };
    for (const auto& [script, message] : cases) {
        test::expectRefused(writeNavScripts({{"ok();", script}}), message);
        test::expectRefused(appendNavScript("ok();\r\n", script), message);
    }
}

} // namespace
} // namespace glw::formats
