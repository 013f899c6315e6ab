// The startup lists: one table of lists written and read both ways in each layout, the values read one at a
// time as the stubs read them, and the lists the export refuses to write.
#include "formats/StartupList.h"

#include <gtest/gtest.h>

namespace glw::formats {
namespace {

// The lines of a list, each ended by CR LF.
std::string startupList(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

struct ListCase {
    const char* what;
    StartupKind kind;
    std::string bytes;
    StartupList list;
};

const ListCase kLists[] = {
    {"a player export with no extra files: the seventh line is empty",
     StartupKind::Player,
     "glwmovie.swf\r\n 400\r\n 550\r\n#FFFFFF\r\nshowAll\r\n \r\n\r\n",
     {.movie = "glwmovie.swf", .height = "400", .width = "550", .bgColor = "#FFFFFF", .scale = "showAll"}},
    {"a fraction keeps its point, the variables their blank, the extra files their order",
     StartupKind::Player,
     "glwmovie.swf\r\n 12.5\r\n 550\r\n#FF8800\r\nexactFit\r\n&CWR=0&CWG=0&CWB=0 \r\nx.txt|y.txt\r\n",
     {.movie = "glwmovie.swf",
      .height = "12.5",
      .width = "550",
      .bgColor = "#FF8800",
      .scale = "exactFit",
      .flashVars = "&CWR=0&CWG=0&CWB=0",
      .extraFiles = {"x.txt", "y.txt"}}},
    {"empty names between bars stay",
     StartupKind::Player,
     "m\r\n 1\r\n 2\r\n#000000\r\nnoScale\r\n \r\na||b|\r\n",
     {.movie = "m",
      .height = "1",
      .width = "2",
      .bgColor = "#000000",
      .scale = "noScale",
      .extraFiles = {"a", "", "b", ""}}},
    {"an empty first extra file keeps its bar (found by the fuzz target)",
     StartupKind::Player,
     "m\r\n 1\r\n 2\r\n#000000\r\nnoScale\r\n \r\n|b\r\n",
     {.movie = "m", .height = "1", .width = "2", .bgColor = "#000000", .scale = "noScale", .extraFiles = {"", "b"}}},
    {"a negative size has no blank",
     StartupKind::Player,
     "m\r\n-3\r\n 0\r\n#000000\r\nshowAll\r\n \r\n\r\n",
     {.movie = "m", .height = "-3", .width = "0", .bgColor = "#000000", .scale = "showAll"}},
    {"the screen saver's eight lines with the author",
     StartupKind::Saver,
     "glwmovie.swf\r\n 400\r\n 550\r\n#000000\r\nVorel Media\r\nhttp://www.example.com/\r\nexactFit\r\n \r\n",
     {.movie = "glwmovie.swf",
      .height = "400",
      .width = "550",
      .bgColor = "#000000",
      .authorName = "Vorel Media",
      .authorWeb = "http://www.example.com/",
      .scale = "exactFit"}},
    {"a screen saver without an author",
     StartupKind::Saver,
     "glwmovie.swf\r\n 300\r\n 200\r\n#000000\r\n\r\n\r\nnoScale\r\n&a=1 \r\n",
     {.movie = "glwmovie.swf",
      .height = "300",
      .width = "200",
      .bgColor = "#000000",
      .scale = "noScale",
      .flashVars = "&a=1"}},
};

TEST(StartupList, WritesAndReadsEachCaseBothWays) {
    for (const auto& c : kLists) {
        auto written = writeStartupList(c.kind, c.list);
        ASSERT_TRUE(written.ok()) << c.what << ": " << written.error().detail;
        EXPECT_EQ(*written, c.bytes) << c.what;
        const StartupList read = readStartupList(c.kind, c.bytes);
        EXPECT_EQ(read, c.list) << c.what;
        auto again = writeStartupList(c.kind, read);
        ASSERT_TRUE(again.ok()) << c.what;
        EXPECT_EQ(*again, c.bytes) << c.what;
    }
}

TEST(StartupList, RefusesValuesThatWouldShiftTheLaterOnes) {
    const StartupList good{
        .movie = "glwmovie.swf", .height = "400", .width = "550", .bgColor = "#FFFFFF", .scale = "showAll"};
    struct Case {
        const char* what;
        StartupKind kind;
        void (*spoil)(StartupList&);
        const char* message;
    };
    const Case cases[] = {
        {"a height that is no number", StartupKind::Player, [](StartupList& l) { l.height = "tall"; },
         "The height \"tall\" is not a number."},
        {"an empty width", StartupKind::Saver, [](StartupList& l) { l.width = ""; }, "The width \"\" is not a number."},
        {"a comma in the author", StartupKind::Saver, [](StartupList& l) { l.authorName = "Vorel, Media"; },
         "The author name \"Vorel, Media\" may not hold a comma or a line break."},
        {"a line break in the variables", StartupKind::Player, [](StartupList& l) { l.flashVars = "a=1\nb=2"; },
         nullptr},
        {"a CR in the scale word", StartupKind::Saver, [](StartupList& l) { l.scale = "show\rAll"; }, nullptr},
        {"a bar in an extra file", StartupKind::Player, [](StartupList& l) { l.extraFiles = {"a|b"}; },
         "The runtime file \"a|b\" may not hold \"|\"."},
        {"a comma in an extra file", StartupKind::Player, [](StartupList& l) { l.extraFiles = {"a,b"}; }, nullptr},
    };
    for (const auto& c : cases) {
        StartupList list = good;
        c.spoil(list);
        auto written = writeStartupList(c.kind, list);
        ASSERT_FALSE(written.ok()) << c.what;
        EXPECT_EQ(written.error().code, ErrorCode::Invalid) << c.what;
        if (c.message) {
            EXPECT_EQ(written.error().detail, c.message) << c.what;
        }
    }
}

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

TEST(PlayerStartupLayout, SevenLinesAsTheExportWritesThem) {
    const auto layout = readStartupList(
        StartupKind::Player,
        startupList({"glwmovie.swf", " 400", " 550", "#FF8800", "exactFit", "&CWR=0&CWG=0&CWB=0 ", "x.txt|y.txt"}));
    EXPECT_EQ(layout.movie, "glwmovie.swf");
    EXPECT_EQ(startupNumber(layout.height), 400);
    EXPECT_EQ(startupNumber(layout.width), 550);
    EXPECT_EQ(layout.bgColor, "#FF8800");
    EXPECT_EQ(layout.scale, "exactFit");
    EXPECT_EQ(layout.flashVars, "&CWR=0&CWG=0&CWB=0");
    EXPECT_EQ(layout.extraFiles, (std::vector<std::string>{"x.txt", "y.txt"}));
}

TEST(PlayerStartupLayout, ShortOrBlankEndingsKeepTheDefaults) {
    // Ends after value 6, with an empty line 7, with a blank line 7, and a list cut off after value 3.
    EXPECT_EQ(
        readStartupList(StartupKind::Player, startupList({"m", " 1", " 2", "#000000", "showAll", " "})).extraFiles,
        std::vector<std::string>{});
    EXPECT_EQ(
        readStartupList(StartupKind::Player, startupList({"m", " 1", " 2", "#000000", "showAll", " ", ""})).extraFiles,
        std::vector<std::string>{});
    EXPECT_EQ(readStartupList(StartupKind::Player, startupList({"m", " 1", " 2", "#000000", "showAll", " ", "   "}))
                  .extraFiles,
              std::vector<std::string>{});
    const auto cut = readStartupList(StartupKind::Player, startupList({"m", " 1", " 2"}));
    EXPECT_EQ(startupNumber(cut.width), 2);
    EXPECT_EQ(cut.bgColor, "");
    EXPECT_EQ(cut.flashVars, "");
    const auto none = readStartupList(StartupKind::Player, "");
    EXPECT_EQ(startupNumber(none.height), 0);
    EXPECT_EQ(none.scale, "");
}

TEST(SaverStartupLayout, EightLinesWithTheAuthor) {
    const auto layout =
        readStartupList(StartupKind::Saver, startupList({"glwmovie.swf", " 300", " 200", "#000000", "Ann Author",
                                                         "http://ann.example.org/", "noScale", "&a=1 "}));
    EXPECT_EQ(startupNumber(layout.height), 300);
    EXPECT_EQ(startupNumber(layout.width), 200);
    EXPECT_EQ(layout.bgColor, "#000000");
    EXPECT_EQ(layout.authorName, "Ann Author");
    EXPECT_EQ(layout.authorWeb, "http://ann.example.org/");
    EXPECT_EQ(layout.scale, "noScale");
    EXPECT_EQ(layout.flashVars, "&a=1");
}

TEST(SaverStartupLayout, CommaInAnAuthorNameShiftsTheLaterValuesAsTheStubsAlwaysRead) {
    const auto layout = readStartupList(
        StartupKind::Saver,
        startupList({"glwmovie.swf", " 300", " 200", "#000000", "Author, Ann", "http://a/", "showAll", "&a=1 "}));
    EXPECT_EQ(layout.authorName, "Author");
    EXPECT_EQ(layout.authorWeb, "Ann");
    EXPECT_EQ(layout.flashVars, "showAll");
}

} // namespace
} // namespace glw::formats
