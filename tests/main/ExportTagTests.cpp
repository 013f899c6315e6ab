// The OBJECT/EMBED tag, the page insertion and the checks on texts that other programs parse.
#include "main/ExportTag.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace glw::main::test {
namespace {

const ExportDescription kClip{"GLINTWAVECL94257", "GLWDATA/clip.swf", "#336699"};

TEST(ExportTag, BuildsTheWholeTagOnOneLine) {
    TagProperties p;
    p.Width = "550";
    p.Height = "400";
    p.Variables = {{"CWR", "0"}, {"CWG", "-12"}};
    auto tag = buildObjectTag(kClip, p, "GLWDATA");
    ASSERT_TRUE(tag.ok()) << tag.error().detail;
    EXPECT_EQ(tag->Tag, "<OBJECT  ID='GLINTWAVECL94257' NAME='GLINTWAVECL94257' WIDTH=550 HEIGHT=400>"
                        "<PARAM NAME=movie VALUE=\"GLWDATA/clip.swf\">"
                        "<PARAM NAME=quality VALUE=high> "
                        "<PARAM NAME=flashvars VALUE=\"DT=GLWDATA/&CWR=0&CWG=-12\"> "
                        "<PARAM NAME=bgcolor VALUE=#336699>"
                        "<PARAM NAME=WMode VALUE=Opaque>"
                        "<PARAM NAME=Scale VALUE=showAll>"
                        "<PARAM NAME=SAlign VALUE=>"
                        "<EMBED src='GLWDATA/clip.swf' quality=high bgcolor=#336699 swLiveConnect=\"true\" "
                        "NAME=\"eLINTWAVECL94257\" TYPE=\"application/x-shockwave-flash\" "
                        "PLUGINSPAGE=\"http://www.adobe.com/go/getflashplayer\" WIDTH=550 HEIGHT=400 wmode=Opaque "
                        "flashvars=\"DT=GLWDATA/&CWR=0&CWG=-12\" scale=showAll></EMBED></OBJECT>");
    EXPECT_EQ(tag->FlashVars, "&CWR=0&CWG=-12");
    EXPECT_EQ(tag->BgColor, "#336699");
    EXPECT_EQ(tag->DataFolder, "GLWDATA/");
}

TEST(ExportTag, AlignmentPercentagesAndVariables) {
    struct Case {
        int h, v;
        const char* salign;
    };
    const Case cases[] = {{0, 0, ""},   {1, 0, "L"},  {2, 0, "R"},  {0, 1, "T"}, {0, 2, "B"},
                          {1, 1, "LT"}, {1, 2, "LB"}, {2, 1, "RT"}, {2, 2, "RB"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SAlignFor(c.h, c.v), c.salign) << c.h << "," << c.v;
    }
    TagProperties p;
    p.Width = "100";
    p.Height = "50";
    p.WidthPercent = true;
    auto tag = buildObjectTag(kClip, p, "");
    ASSERT_TRUE(tag.ok());
    EXPECT_NE(tag->Tag.find("WIDTH=100% HEIGHT=50>"), std::string::npos);
    EXPECT_NE(tag->Tag.find(" WIDTH=100% HEIGHT=50 wmode"), std::string::npos);
    EXPECT_NE(tag->Tag.find("VALUE=\"DT=\"> "), std::string::npos); // empty folder, no variables
    EXPECT_EQ(flashVarsFor({{"a", "1"}, {"b", "2"}}), "&a=1&b=2");
    EXPECT_EQ(withClosingSlash("GLWDATA/"), "GLWDATA/");
    EXPECT_EQ(withClosingSlash(""), "");
}

// Texts that the browser, the stubs or the add-ins parse: each refused where it would break its reader.
TEST(ExportTag, TextsThatPeersParse) {
    struct Case {
        const char* what;
        std::function<bool()> accepted;
        bool expected;
    };
    auto tagWith = [](std::function<void(ExportDescription&, TagProperties&, std::string&)> change) {
        ExportDescription d = kClip;
        TagProperties p;
        p.Width = "1";
        p.Height = "1";
        std::string folder = "data";
        change(d, p, folder);
        return buildObjectTag(d, p, folder).ok();
    };
    const Case cases[] = {
        {"plain variable", [&] { return tagWith([](auto&, auto& p, auto&) {
                                     p.Variables = {{"a", "b c"}};
                                 }); }, true},
        {"& in a name", [&] { return tagWith([](auto&, auto& p, auto&) {
                                  p.Variables = {{"a&b", "1"}};
                              }); }, false},
        {"= in a name", [&] { return tagWith([](auto&, auto& p, auto&) {
                                  p.Variables = {{"a=b", "1"}};
                              }); }, false},
        {"& in a value", [&] { return tagWith([](auto&, auto& p, auto&) {
                                   p.Variables = {{"a", "1&x=2"}};
                               }); }, false},
        {"= in a value", [&] { return tagWith([](auto&, auto& p, auto&) {
                                   p.Variables = {{"a", "1=2"}};
                               }); }, true},
        {"quote in a value", [&] { return tagWith([](auto&, auto& p, auto&) {
                                       p.Variables = {{"a", "\"x"}};
                                   }); },
         false},
        {"< in a value", [&] { return tagWith([](auto&, auto& p, auto&) {
                                   p.Variables = {{"a", "<b>"}};
                               }); }, false},
        {"LF in a value", [&] { return tagWith([](auto&, auto& p, auto&) {
                                    p.Variables = {{"a", "x\ny"}};
                                }); }, false},
        {"quote in the width", [&] { return tagWith([](auto&, auto& p, auto&) { p.Width = "1\""; }); }, false},
        {"> in the folder", [&] { return tagWith([](auto&, auto&, auto& f) { f = "a>b"; }); }, false},
        {"CR in the movie", [&] { return tagWith([](auto& d, auto&, auto&) { d.Movie = "a\rb"; }); }, false},
        {"blank in the colour", [&] { return tagWith([](auto& d, auto&, auto&) { d.BackColour = "# 1"; }); }, false},
        {"comma in a startup value", [] { return checkStartupValue("Vorel, Media", "x").ok(); }, false},
        {"CR in a startup value", [] { return checkStartupValue("a\rb", "x").ok(); }, false},
        {"plain startup value", [] { return checkStartupValue("Vorel Media", "x").ok(); }, true},
        {"comma in an ExportFiles name", [] { return checkExportFilesName("a,b", "x").ok(); }, false},
        {"bar in an ExportFiles name", [] { return checkExportFilesName("a|b", "x").ok(); }, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.accepted(), c.expected) << c.what;
    }
}

// Names typed by the user that become paths: none may leave its folder or shadow a generated entry.
TEST(ExportTag, NamesTypedByTheUser) {
    struct Case {
        const char* name;
        bool fileOk;
        bool folderOk;
    };
    const Case cases[] = {
        {"clip.swf", true, true},    {"my movie.exe", true, true},  {"", false, true},
        {".", false, false},         {"..", false, false},          {"../x", false, false},
        {"a\\b", false, false},      {"a/b", false, true},          {"c:x", false, false},
        {"a\tb", false, false},      {"GLWMOVIE.SWF", false, true}, {"startup.ini", false, true},
        {"glwexe.dta", false, true}, {"NewClip.swf", false, true},  {"ppoint.swf", false, true},
        {"data/", false, true},      {"/data", false, false},       {"a//b", false, false},
        {"a/../b", false, false},    {"a,b", true, false},          {"a|b", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkUserFileName(c.name, "x").ok(), c.fileOk) << "file " << c.name;
        EXPECT_EQ(checkDataFolder(c.name).ok(), c.folderOk) << "folder " << c.name;
    }
}

TEST(ExportPage, ClosingBodyTagSpellings) {
    struct Case {
        const char* page;
        long at; // -1 for none
    };
    const Case cases[] = {
        {"<body>x</body>", 7},
        {"<body>x</body>y</BODY>", 15}, // the first spelling of the table wins, not the first position
        {"x</BoDY>", 1},
        {"x</BodY>", 1},   // not one of the spellings: found by the fallback
        {"x</body  >", 1}, // blanks before ">"
        {"x</bodyx>", -1},
        {"no tag at all", -1},
        {"x</body", -1},
    };
    for (const auto& c : cases) {
        const auto pos = findClosingBodyTag(c.page);
        EXPECT_EQ(pos ? long(*pos) : -1L, c.at) << c.page;
    }
}

TEST(ExportPage, InsertsBeforeTheClosingTagOrWritesANewPage) {
    platform::test::TempDir dir;
    dir.file("page.htm", "<html><body>Hi</body></html>");
    ASSERT_TRUE(writeTagIntoPage(dir.system("page.htm"), "<T1>", false).ok());
    EXPECT_EQ(dir.read("page.htm"), "<html><body>Hi<T1></body></html>\r\n");
    ASSERT_TRUE(writeTagIntoPage(dir.system("page.htm"), "<T2>", false).ok());
    EXPECT_EQ(dir.read("page.htm"), "<html><body>Hi<T1><T2></body></html>\r\n\r\n");

    ASSERT_TRUE(writeTagIntoPage(dir.system("new.htm"), "<T>", false).ok());
    EXPECT_EQ(dir.read("new.htm"), "<html><head></head><body><T></body></html>\r\n");
    ASSERT_TRUE(writeTagIntoPage(dir.system("page.htm"), "<T3>", true).ok());
    EXPECT_EQ(dir.read("page.htm"), "<html><head></head><body><T3></body></html>\r\n");
}

// The page carries the element that loads its player right before its first tag, and never twice.
TEST(ExportPage, ThePlayerScriptGoesBeforeTheTagOnce) {
    platform::test::TempDir dir;
    const std::string script = playerScriptFor("GLWDATA/");
    ASSERT_TRUE(writeTagIntoPage(dir.system("new.htm"), "<T1>", false, script).ok());
    EXPECT_EQ(dir.read("new.htm"),
              "<html><head></head><body><script src=\"GLWDATA/ruffle/ruffle.js\"></script><T1></body></html>\r\n");
    ASSERT_TRUE(writeTagIntoPage(dir.system("new.htm"), "<T2>", false, script).ok());
    EXPECT_EQ(dir.read("new.htm"), "<html><head></head><body><script src=\"GLWDATA/ruffle/ruffle.js\"></script><T1><T2>"
                                   "</body></html>\r\n\r\n");
    // An author's page that loads the player its own way gets the tag alone.
    dir.file("own.htm",
             "<html><head><script defer src='/js/ruffle/ruffle.js?v=2'></script></head><body></body></html>");
    ASSERT_TRUE(writeTagIntoPage(dir.system("own.htm"), "<T>", false, script).ok());
    EXPECT_EQ(dir.read("own.htm"),
              "<html><head><script defer src='/js/ruffle/ruffle.js?v=2'></script></head><body><T></body></html>\r\n");
}

TEST(ExportPage, PlayerScriptAddressesAndPagesThatLoadThePlayer) {
    const std::pair<const char*, const char*> addresses[] = {
        {"", "<script src=\"ruffle/ruffle.js\"></script>"},
        {"GLWDATA/", "<script src=\"GLWDATA/ruffle/ruffle.js\"></script>"},
        {"a/b", "<script src=\"a/b/ruffle/ruffle.js\"></script>"},
        {"my clips/", "<script src=\"my%20clips/ruffle/ruffle.js\"></script>"},
        {"50%#?/", "<script src=\"50%25%23%3F/ruffle/ruffle.js\"></script>"},
        {"\xc3\xa9t\xc3\xa9/", "<script src=\"%C3%A9t%C3%A9/ruffle/ruffle.js\"></script>"},
    };
    for (const auto& [folder, element] : addresses) {
        EXPECT_EQ(playerScriptFor(folder), element) << folder;
        EXPECT_TRUE(pageLoadsPlayer(element)) << element;
    }
    const std::pair<const char*, bool> pages[] = {
        {"<html><body></body></html>", false},
        {"<SCRIPT SRC=\"https://example.org/RUFFLE.JS\"></SCRIPT>", true},
        {"<script src=ruffle.js></script>", true},
        {"<script type=\"module\" src=\"x/ruffle.js#a\">", true},
        {"<script src=\"notruffle.js\"></script>", false}, // another file that merely ends so
        {"<script src=\"ruffle.json\"></script>", false},
        {"<script>// loads ruffle.js later</script>", false}, // a script that only mentions it
        {"<p>ruffle.js</p>", false},
        {"<script src=\"ruffle.js", true}, // cut inside the element: still what the page asks for
    };
    for (const auto& [page, loads] : pages) {
        EXPECT_EQ(pageLoadsPlayer(page), loads) << page;
    }
}

// Failures: each reported, and the page stays whole.
TEST(ExportPage, FailuresLeaveThePageAsItWas) {
    platform::test::TempDir dir;
    const std::string page = "<html>no closing tag</html>";
    dir.file("page.htm", page);
    auto r = writeTagIntoPage(dir.system("page.htm"), "<T>", false);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().detail, kNoBodyTagMessage);
    EXPECT_EQ(dir.read("page.htm"), page);

    dir.file("ro.htm", "<body></body>");
    dir.readOnly("ro.htm");
    auto readOnly = writeTagIntoPage(dir.system("ro.htm"), "<T>", false);
    ASSERT_FALSE(readOnly.ok());
    // The user reads the page's path as this machine writes it.
    EXPECT_EQ(readOnly.error().detail.rfind("The page " + dir.host() + "/ro.htm could not be written.", 0), 0u)
        << readOnly.error().detail;
    EXPECT_EQ(dir.read("ro.htm"), "<body></body>");
    EXPECT_FALSE(writeTagIntoPage(dir.system("missing-folder\\p.htm"), "<T>", false).ok());
    for (const auto& entry : std::filesystem::directory_iterator(dir.host())) {
        const auto name = entry.path().filename().string();
        EXPECT_TRUE(name == "page.htm" || name == "ro.htm") << "left behind: " << name;
    }
}

// A page name the system cannot even look at (a link that points at itself) is no page yet: a new page is
// written in the link's place, and nothing is thrown past the caller.
TEST(ExportPage, APageThatCannotBeLookedAtIsWrittenNew) {
    platform::test::TempDir dir;
    std::filesystem::create_symlink("loop.htm", dir.host() + "/loop.htm");
    auto r = writeTagIntoPage(dir.system("loop.htm"), "<T>", false);
    ASSERT_TRUE(r.ok()) << r.error().detail;
    EXPECT_NE(dir.read("loop.htm").find("<T>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.host() + "/loop.htm"));
}

} // namespace
} // namespace glw::main::test
