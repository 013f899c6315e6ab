// Reading the startup lists value by value, and the player's and screen saver's layouts.
#include "StubTestSupport.h"
#include "stubs/StartupList.h"

#include <gtest/gtest.h>

using namespace glw::stubs;
using glw::stubs::test::startupList;

namespace {

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> values;
};

class StartupValues : public ::testing::TestWithParam<ReadCase> {};

TEST_P(StartupValues, ReadsEachValueUpToACommaOrALineEnd) {
    StartupListReader in(GetParam().bytes);
    std::vector<std::string> got;
    while (auto v = in.next()) {
        got.push_back(*v);
    }
    EXPECT_EQ(got, GetParam().values);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.next(), std::nullopt) << "reading past the end keeps giving nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupValues,
    ::testing::Values(ReadCase{"crlf", "a\r\nb\r\n", {"a", "b"}}, ReadCase{"lf_and_cr", "a\nb\rc", {"a", "b", "c"}},
                      ReadCase{"comma_splits_a_line", "x.txt,y.txt\r\n", {"x.txt", "y.txt"}},
                      ReadCase{"blanks_around_a_value_go", "  400 \r\n\t#FF0000\r\n", {"400", "#FF0000"}},
                      ReadCase{"one_blank_line_is_an_empty_value", " \r\n\r\nz\r\n", {"", "", "z"}},
                      ReadCase{"quoted_value_keeps_commas_and_drops_the_rest", "\"a, b\" junk,c\r\n", {"a, b", "c"}},
                      ReadCase{"unclosed_quote_runs_to_the_end", "\"abc\r\ndef", {"abc\r\ndef"}},
                      ReadCase{"no_line_end_at_the_end", "last", {"last"}}, ReadCase{"empty_file", "", {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(StartupNumber, TakesTheNumberAtTheStartAsAWholeNumber) {
    const std::pair<const char*, long> cases[] = {{" 400", 400},  {"12.5", 12}, {"13.5", 14}, {"-3", -3},
                                                  {"550px", 550}, {"abc", 0},   {"", 0},      {"1E+20", 0}};
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(startupNumber(text), number) << text;
    }
}

TEST(PlayerStartupLayoutTest, SevenLinesAsTheExportWritesThem) {
    const auto layout = readPlayerStartupLayout(
        startupList({"glwmovie.swf", " 400", " 550", "#FF8800", "exactFit", "&CWR=0&CWG=0&CWB=0 ", "x.txt|y.txt"}));
    EXPECT_EQ(layout.movie, "glwmovie.swf");
    EXPECT_EQ(layout.height, 400);
    EXPECT_EQ(layout.width, 550);
    EXPECT_EQ(layout.bgColor, "#FF8800");
    EXPECT_EQ(layout.scale, "exactFit");
    EXPECT_EQ(layout.flashVars, "&CWR=0&CWG=0&CWB=0");
    EXPECT_EQ(layout.extraFiles, "x.txt|y.txt");
}

TEST(PlayerStartupLayoutTest, ShortOrBlankEndingsKeepTheDefaults) {
    // Ends after value 6, with an empty line 7, with a blank line 7, and a list cut off after value 3.
    EXPECT_EQ(readPlayerStartupLayout(startupList({"m", " 1", " 2", "#000000", "showAll", " "})).extraFiles, "");
    EXPECT_EQ(readPlayerStartupLayout(startupList({"m", " 1", " 2", "#000000", "showAll", " ", ""})).extraFiles, "");
    EXPECT_EQ(readPlayerStartupLayout(startupList({"m", " 1", " 2", "#000000", "showAll", " ", "   "})).extraFiles, "");
    const auto cut = readPlayerStartupLayout(startupList({"m", " 1", " 2"}));
    EXPECT_EQ(cut.width, 2);
    EXPECT_EQ(cut.bgColor, "");
    EXPECT_EQ(cut.flashVars, "");
    const auto none = readPlayerStartupLayout("");
    EXPECT_EQ(none.height, 0);
    EXPECT_EQ(none.scale, "");
}

TEST(SaverStartupLayoutTest, EightLinesWithTheAuthor) {
    const auto layout = readSaverStartupLayout(startupList(
        {"glwmovie.swf", " 300", " 200", "#000000", "Ann Author", "http://ann.example.org/", "noScale", "&a=1 "}));
    EXPECT_EQ(layout.height, 300);
    EXPECT_EQ(layout.width, 200);
    EXPECT_EQ(layout.bgColor, "#000000");
    EXPECT_EQ(layout.authorName, "Ann Author");
    EXPECT_EQ(layout.authorWeb, "http://ann.example.org/");
    EXPECT_EQ(layout.scale, "noScale");
    EXPECT_EQ(layout.flashVars, "&a=1");
}

TEST(SaverStartupLayoutTest, CommaInAnAuthorNameShiftsTheLaterValuesAsTheStubsAlwaysRead) {
    const auto layout = readSaverStartupLayout(
        startupList({"glwmovie.swf", " 300", " 200", "#000000", "Author, Ann", "http://a/", "showAll", "&a=1 "}));
    EXPECT_EQ(layout.authorName, "Author");
    EXPECT_EQ(layout.authorWeb, "Ann");
    EXPECT_EQ(layout.flashVars, "showAll");
}

} // namespace
