// The request writer and the reply reader on their own: tables of pages, movie paths and replies.
#include "addins/ClipText.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace glw;
using namespace glw::addins;
using glw::platform::test::TempDir;

namespace {

TEST(ClipRequest, PageRequestsCarryTheirFieldsOrSafeStandIns) {
    struct Case {
        const char* folder;
        std::vector<std::string> files;
        const char* data;
        const char* expected;
    };
    const Case cases[] = {
        {"/web/pages/",
         {"index.htm", "logo.gif"},
         "GLWDATA",
         "(WBLFPCommand)[/web/pages/](!1!){GLWDATA}(@index.htm|logo.gif@)"},
        {"", {"a.htm"}, "GLWDATA", "(WBLFPCommand)[](!0!){GLWDATA}(@a.htm@)"},
        {"/web/", {}, "", "(WBLFPCommand)[/web/](!1!){}(@@)"},
        // Names the reader would split or cut at are left out.
        {"/web/", {"a|b.htm", "x@).gif", "ok (1).jpg", ""}, "D", "(WBLFPCommand)[/web/](!1!){D}(@ok (1).jpg@)"},
        // A data folder holding a piece of the frame is sent as GLWDATA.
        {"/web/", {"a"}, "da}ta", "(WBLFPCommand)[/web/](!1!){GLWDATA}(@a@)"},
        {"/web/", {"a"}, "x(@y", "(WBLFPCommand)[/web/](!1!){GLWDATA}(@a@)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        auto request = buildPageRequest(c.folder, c.files, c.data);
        ASSERT_TRUE(request.ok());
        EXPECT_EQ(*request, c.expected);
    }
    EXPECT_STREQ(kPresentationRequest, "(WBLFPCommand)[RunningGLWPowerPoint](!!){}(@@)");
}

TEST(ClipRequest, APageFolderHoldingAMarkerIsNotSent) {
    for (const char* folder : {"/we]b/", "/a{b/", "/a}b/", "/a(@b/", "/a@)b/"}) {
        SCOPED_TRACE(folder);
        EXPECT_FALSE(buildPageRequest(folder, {"a.htm"}, "GLWDATA").ok());
    }
    EXPECT_TRUE(buildPageRequest("/a[b (1)/", {"a.htm"}, "GLWDATA").ok()) << "pieces the reader never misreads";
}

TEST(ClipRequest, PageFoldersComeFromFileAddressesParsedProperly) {
    const std::pair<const char*, const char*> cases[] = {
        {"file:///home/ann/web/pages/index.htm", "/home/ann/web/pages/"},
        {"file:///home/ann/My%20Web/Index.HTM", "/home/ann/My Web/"}, // decoded, case kept
        {"FILE://localhost/srv/site/a.htm", "/srv/site/"},
        {"file:///srv/site/a.htm?x=1#top", "/srv/site/"},
        {"file:///srv/a%2Fb/c.htm", "/srv/a/b/"},
        {"file:///index.htm", "/"},
        {"file://otherhost/srv/a.htm", ""}, // a file on another machine
        {"file:///srv/bad%zz/a.htm", ""},
        {"file:///srv/nul%00/a.htm", ""},
        {"file:///srv/cut%2", ""},
        {"http://www.example.com/site/a.htm", ""},
        {"unsaved:///new_page_1.htm", ""},
        {"", ""},
    };
    for (const auto& [url, folder] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(pageFolderFromUrl(url), folder);
    }
}

TEST(ClipRequest, DataFoldersComeFromTheSelectedClipsMoviePath) {
    const std::pair<const char*, const char*> paths[] = {
        {"GLWDATA/clip.swf", "GLWDATA"}, {"clip.swf", ""},          {"media/flash/clip.swf", "mediaflash"},
        {"clip/clip.swf", "clip"}, // only the last component goes, not every "clip.swf"
        {"../clip.swf", "GLWDATA"},      {"./clip.swf", "GLWDATA"}, {"/clip.swf", ""},
    };
    for (const auto& [path, folder] : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(dataFolderFromMoviePath(path), folder);
    }

    const std::pair<const char*, const char*> tags[] = {
        {R"(<OBJECT><PARAM NAME=movie VALUE="GLWDATA/clip.swf"></OBJECT>)", "GLWDATA/clip.swf"},
        {R"(<object><param name=MOVIE VALUE="data/a.SWF"></object>)", "data/a.swf"},
        {R"(<OBJECT><PARAM NAME=MOVIE VALUE='d/b.swf'></OBJECT>)", "D/B.swf"},
        {R"(<OBJECT><PARAM NAME=MOVIE VALUE=c.swf></OBJECT>)", "C.swf"},
        {R"(<OBJECT></OBJECT>)", ".swf"},
    };
    for (const auto& [html, path] : tags) {
        SCOPED_TRACE(html);
        EXPECT_EQ(MoviePathFromObjectHtml(html), path);
    }
}

class ClipReplyRead : public ::testing::Test {
protected:
    TempDir root;
    std::string working = root.host("app/Working");
    void SetUp() override {
        root.file("app/Working/clip.swf", "FWS");
        root.file("app/Working/sub/extra.jpg", "JPG");
        root.file("app/other.swf", "FWS");
        root.file("secret.txt", "secret");
        std::filesystem::create_symlink(root.host("secret.txt"), root.host("app/Working/link.swf"));
        root.folder("elsewhere");
        std::filesystem::create_symlink(root.host("elsewhere"), root.host("app/Working/outside"));
    }
    std::string source(const std::string& relative) const {
        std::string path = root.system("app\\Working\\" + relative);
        return path;
    }
    static std::string reply(const std::string& tag, const std::string& files) {
        return std::string(kReplyPrefix) + tag + kReplyCodeEnd + files + kReplyEnd;
    }
};

TEST_F(ClipReplyRead, TheHandBacksOwnRepliesAreRead) {
    auto one = readClipReply(reply("<OBJECT>x</OBJECT>", "GLWDATA," + source("clip.swf")), working);
    ASSERT_TRUE(one.ok()) << one.error().detail;
    EXPECT_EQ(one->tag, "<OBJECT>x</OBJECT>");
    ASSERT_EQ(one->files.size(), 1u);
    EXPECT_EQ(one->files[0], (ReplyFile{"GLWDATA", root.host("app/Working/clip.swf")}));

    auto several =
        readClipReply(reply("t", "," + source("clip.swf") + "|media\\img," + source("sub\\extra.jpg")), working);
    ASSERT_TRUE(several.ok()) << several.error().detail;
    ASSERT_EQ(several->files.size(), 2u);
    EXPECT_EQ(several->files[0].targetFolder, "");
    EXPECT_EQ(several->files[1].targetFolder, "media/img");

    auto none = readClipReply(reply("t", ""), working);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->files.empty());
}

// A file the reply names may be gone by the time the host takes the reply (the main program emptied its
// Working folder on a later start): the reply is read, so that the copy can name the missing file.
TEST_F(ClipReplyRead, NamesInsideTheWorkingFolderWhereNothingIsAreRead) {
    for (const std::string name : {"missing.swf", "gone\\deeper.swf"}) {
        SCOPED_TRACE(name);
        auto read = readClipReply(reply("t", "GLWDATA," + source(name)), working);
        ASSERT_TRUE(read.ok()) << read.error().detail;
        ASSERT_EQ(read->files.size(), 1u);
        EXPECT_EQ(read->files[0].source.rfind(root.host("app/Working/"), 0), 0u) << read->files[0].source;
    }
}

TEST_F(ClipReplyRead, AnEntryIsSplitAtItsFirstComma) {
    root.file("app/Working/a,b.swf", "FWS");
    auto read = readClipReply(reply("t", "d," + source("a,b.swf")), working);
    ASSERT_TRUE(read.ok()) << read.error().detail;
    EXPECT_EQ(read->files[0].targetFolder, "d");
    EXPECT_EQ(read->files[0].source, root.host("app/Working/a,b.swf"));
}

TEST_F(ClipReplyRead, HostileRepliesAreRefused) {
    const std::string clip = source("clip.swf");
    const std::string cases[] = {
        // Not exactly as the hand-back writes it.
        "GLWFPRetClip Exit",
        " " + reply("t", "," + clip),
        "(glwfpretclip)[Exit]<GLWCODE>t</GLWCODE><GLWFILES>," + clip + "</GLWFILES>",
        "(GLWFPRetClip)[Exit]<GLWCODE>t</GLWCODE><GLWFILES>," + clip,
        reply("t", "," + clip) + "trailing",
        "(GLWFPRetClip)[Exit]<GLWCODE>t<GLWFILES>," + clip + "</GLWFILES>",
        // Target folders that leave the page's folder.
        reply("t", "..," + clip),
        reply("t", "a/../..," + clip),
        reply("t", "a\\..\\..," + clip),
        reply("t", "/etc," + clip),
        reply("t", "\\etc," + clip),
        reply("t", "C:\\," + clip),
        reply("t", "d:x," + clip),
        reply("t", "\\\\server\\share," + clip),
        // Sources that are not plain files of the Working folder.
        reply("t", "," + root.system("secret.txt")),
        reply("t", "," + root.system("app\\other.swf")),
        reply("t", "," + source("..\\other.swf")),
        reply("t", "," + source("link.swf")),
        reply("t", "," + source("sub")),
        reply("t", ",/etc/passwd"),
        // Names where nothing is, outside the Working folder (directly, by "..", or through a link).
        reply("t", "," + root.system("app\\gone.swf")),
        reply("t", "," + source("..\\gone.swf")),
        reply("t", "," + source("outside\\gone.swf")),
        reply("t", ","),
        // An entry without a folder part, and one good entry beside a bad one.
        reply("t", clip),
        reply("t", "," + clip + "|..," + clip),
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(readClipReply(text, working).ok());
    }
}

TEST(ClipReplyTag, SizesAndVariablesComeFromTheTag) {
    struct Case {
        const char* tag;
        int width, height;
        const char* vars;
    };
    const Case cases[] = {
        {R"(<OBJECT  ID='GLINTWAVECL1' NAME='GLINTWAVECL1' WIDTH=100% HEIGHT=80%><EMBED WIDTH=100% HEIGHT=80% flashvars="DT=&a=1" scale=1></EMBED>)",
         100, 80, "DT=&a=1"},
        {R"(<OBJECT WIDTH=320 HEIGHT=240><EMBED flashvars="a=50%25off&b=%20x"></EMBED>)", 320, 240,
         "a=50%25off&b=%20x"}, // "%" stays in the variables
        {R"(<OBJECT WIDTH=0 HEIGHT=-5>)", kDefaultMovieWidth, kDefaultMovieHeight, ""},
        {R"(<OBJECT>)", kDefaultMovieWidth, kDefaultMovieHeight, ""},
        {R"(<OBJECT WIDTH=1E400 HEIGHT=99999999>)", kDefaultMovieWidth, kDefaultMovieHeight, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        const auto placement = readFlashPlacement(c.tag);
        EXPECT_EQ(placement.width, c.width);
        EXPECT_EQ(placement.height, c.height);
        EXPECT_EQ(placement.variables, c.vars);
    }
}

TEST(ClipReplyTag, TheFirstTestNeedsBothWordsInTheirCase) {
    EXPECT_TRUE(looksLikeReply("xx GLWFPRetClip yy Exit"));
    EXPECT_FALSE(looksLikeReply("GLWFPRetClip only"));
    EXPECT_FALSE(looksLikeReply("glwfpretclip Exit"));
}

} // namespace
