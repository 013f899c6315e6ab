// The texts the export hands on: the file list, the clip's description, the object tag and the add-in request
// and reply, each from one table of cases run both ways, and the texts each reader or writer refuses.
#include "formats/ClipText.h"
#include "formats/ExportCode.h"
#include "formats/ExportFiles.h"
#include "formats/ObjectTag.h"

#include <gtest/gtest.h>

namespace glw::formats {
namespace {

struct FilesCase {
    const char* what;
    std::string text;
    ExportFileList files;
};

const FilesCase kFiles[] = {
    {"no files", "", {}},
    {"the movie of a page export", "GLWDATA,C:\\app\\Working\\clip.swf", {{"GLWDATA", "C:\\app\\Working\\clip.swf"}}},
    {"the movie of a stand-alone export: an empty folder",
     ",C:\\app\\Working\\glwmovie.swf",
     {{"", "C:\\app\\Working\\glwmovie.swf"}}},
    {"extra files after the movie, a source with a comma",
     "GLWDATA,C:\\app\\Working\\a,b.swf|,C:\\x.dat",
     {{"GLWDATA", "C:\\app\\Working\\a,b.swf"}, {"", "C:\\x.dat"}}},
    {"an entry of nothing", ",", {{"", ""}}},
};

TEST(ExportFiles, WritesAndReadsEachCaseBothWays) {
    for (const auto& c : kFiles) {
        auto written = writeExportFiles(c.files);
        ASSERT_TRUE(written.ok()) << c.what;
        EXPECT_EQ(*written, c.text) << c.what;
        auto read = readExportFiles(c.text);
        ASSERT_TRUE(read.ok()) << c.what;
        EXPECT_EQ(*read, c.files) << c.what;
    }
}

TEST(ExportFiles, RefusesWhatWouldSplitElsewhere) {
    EXPECT_FALSE(writeExportFiles({{"a,b", "C:\\x"}}).ok());
    EXPECT_FALSE(writeExportFiles({{"a|b", "C:\\x"}}).ok());
    EXPECT_FALSE(writeExportFiles({{"", "C:\\x|y"}}).ok());
    for (const char* text : {"GLWDATA", "a,b|c", "|", "a,b|"}) {
        auto read = readExportFiles(text);
        EXPECT_FALSE(read.ok()) << text;
        EXPECT_EQ(read.error().code, ErrorCode::Malformed) << text;
    }
    EXPECT_FALSE(checkExportFilesName("a,b", "x").ok());
    EXPECT_TRUE(checkExportFilesName("a b.swf", "x").ok());
}

TEST(ExportCode, DescriptionBothWaysAndTooFewFields) {
    const ExportDescription clip{"GLINTWAVECL94257", "GLWDATA/clip.swf", "#336699"};
    EXPECT_EQ(writeExportDescription(clip).value(), "GLINTWAVECL94257|GLWDATA/clip.swf|#336699");
    EXPECT_EQ(readExportDescription("GLINTWAVECL94257|GLWDATA/clip.swf|#336699").value(), clip);
    // Read only: a fourth field and more are ignored.
    EXPECT_EQ(readExportDescription("a|b|c|d").value(), (ExportDescription{"a", "b", "c"}));
    for (const char* text : {"GLINTWAVECL1|clip.swf", "", "a"}) {
        EXPECT_FALSE(readExportDescription(text).ok()) << text;
    }
    EXPECT_FALSE(writeExportDescription({"a", "b|c", "d"}).ok());
    EXPECT_FALSE(ExportCode{}.hasTag());
    EXPECT_TRUE(ExportCode{.tag = "<OBJECT>"}.hasTag());
}

TEST(ExportCode, JoinsAddressesWithOneSlash) {
    struct Case {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"", "glwmovie.swf", "glwmovie.swf"},
        {"GLWDATA", "clip.swf", "GLWDATA/clip.swf"},
        {"GLWDATA/", "clip.swf", "GLWDATA/clip.swf"},
        {"a\\", "clip.swf", "a\\/clip.swf"}, // "\" is a character of an address, not a separator
    };
    for (const auto& c : cases) {
        EXPECT_EQ(joinUrlPath(c.folder, c.name), c.path) << c.folder;
    }
}

const std::string kTag = "<OBJECT  ID='GLINTWAVECL94257' NAME='GLINTWAVECL94257' WIDTH=550 HEIGHT=400>"
                         "<PARAM NAME=movie VALUE=\"GLWDATA/clip.swf\">"
                         "<PARAM NAME=quality VALUE=high> "
                         "<PARAM NAME=flashvars VALUE=\"DT=GLWDATA/&CWR=0&CWG=-12\"> "
                         "<PARAM NAME=bgcolor VALUE=#336699>"
                         "<PARAM NAME=WMode VALUE=Opaque>"
                         "<PARAM NAME=Scale VALUE=showAll>"
                         "<PARAM NAME=SAlign VALUE=LT>"
                         "<EMBED src='GLWDATA/clip.swf' quality=high bgcolor=#336699 swLiveConnect=\"true\" "
                         "NAME=\"eLINTWAVECL94257\" TYPE=\"application/x-shockwave-flash\" "
                         "PLUGINSPAGE=\"http://www.adobe.com/go/getflashplayer\" WIDTH=550 HEIGHT=400 wmode=Opaque "
                         "flashvars=\"DT=GLWDATA/&CWR=0&CWG=-12\" scale=showAll></EMBED></OBJECT>";
const ObjectTag kTagValues{.id = "GLINTWAVECL94257",
                           .width = "550",
                           .height = "400",
                           .movie = "GLWDATA/clip.swf",
                           .flashVars = "DT=GLWDATA/&CWR=0&CWG=-12",
                           .bgColor = "#336699",
                           .wMode = "Opaque",
                           .scale = "showAll",
                           .sAlign = "LT"};

TEST(ObjectTag, WritesAndReadsEachCaseBothWays) {
    ObjectTag empty = kTagValues;
    empty.id = "";
    empty.flashVars = "DT=";
    empty.sAlign = "";
    empty.width = "100%";
    const std::pair<std::string, ObjectTag> cases[] = {
        {kTag, kTagValues},
        {"<OBJECT  ID='' NAME='' WIDTH=100% HEIGHT=400><PARAM NAME=movie VALUE=\"GLWDATA/clip.swf\">"
         "<PARAM NAME=quality VALUE=high> <PARAM NAME=flashvars VALUE=\"DT=\"> <PARAM NAME=bgcolor VALUE=#336699>"
         "<PARAM NAME=WMode VALUE=Opaque><PARAM NAME=Scale VALUE=showAll><PARAM NAME=SAlign VALUE=>"
         "<EMBED src='GLWDATA/clip.swf' quality=high bgcolor=#336699 swLiveConnect=\"true\" NAME=\"e\" "
         "TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\"http://www.adobe.com/go/getflashplayer\" "
         "WIDTH=100% HEIGHT=400 wmode=Opaque flashvars=\"DT=\" scale=showAll></EMBED></OBJECT>",
         empty},
    };
    for (const auto& [text, values] : cases) {
        auto written = writeObjectTag(values);
        ASSERT_TRUE(written.ok()) << written.error().detail;
        EXPECT_EQ(*written, text);
        auto read = readObjectTag(text);
        ASSERT_TRUE(read.ok()) << read.error().detail;
        EXPECT_EQ(*read, values);
    }
}

// The presentation add-in reads a written tag's size and variables as the tag holds them.
TEST(ObjectTag, TheAddInsPlacementOfEachWrittenTagIsItsValues) {
    const struct {
        ObjectTag values;
        int width, height;
    } cases[] = {
        {kTagValues, 550, 400},
        {[] {
             ObjectTag t = kTagValues;
             t.width = "100%";
             t.height = "75%";
             t.flashVars = "DT=";
             return t;
         }(),
         100, 75},
    };
    for (const auto& c : cases) {
        auto written = writeObjectTag(c.values);
        ASSERT_TRUE(written.ok()) << written.error().detail;
        const FlashPlacement placement = readFlashPlacement(*written);
        EXPECT_EQ(placement.width, c.width) << *written;
        EXPECT_EQ(placement.height, c.height) << *written;
        EXPECT_EQ(placement.variables, c.values.flashVars) << *written;
    }
}

TEST(ObjectTag, RefusesValuesThatEndTheirPlaceAndReadsOnlyItsOwnLayout) {
    const std::pair<const char*, void (*)(ObjectTag&)> spoilt[] = {
        {"a quote in the movie", [](ObjectTag& t) { t.movie = "a\"b.swf"; }},
        {"a single quote in the movie", [](ObjectTag& t) { t.movie = "it's.swf"; }},
        {"a single quote in the id", [](ObjectTag& t) { t.id = "a'b"; }},
        {"a blank in the width", [](ObjectTag& t) { t.width = "5 0"; }},
        {"a blank in the colour", [](ObjectTag& t) { t.bgColor = "# 1"; }},
        {"a '>' in the scale", [](ObjectTag& t) { t.scale = "show>All"; }},
        {"a line break in the variables", [](ObjectTag& t) { t.flashVars = "DT=\n"; }},
    };
    for (const auto& [what, spoil] : spoilt) {
        ObjectTag tag = kTagValues;
        spoil(tag);
        auto written = writeObjectTag(tag);
        ASSERT_FALSE(written.ok()) << what;
        EXPECT_EQ(written.error().code, ErrorCode::Invalid) << what;
    }
    std::string otherEmbedName = kTag;
    otherEmbedName.replace(otherEmbedName.find("eLINTWAVECL94257"), 3, "eXX");
    std::string otherWidth = kTag;
    otherWidth.replace(otherWidth.rfind("WIDTH=550"), 9, "WIDTH=551");
    for (const std::string& text : {std::string(), kTag.substr(0, kTag.size() - 1), kTag + " ", otherEmbedName,
                                    otherWidth, std::string("<OBJECT>x</OBJECT>")}) {
        auto read = readObjectTag(text);
        EXPECT_FALSE(read.ok()) << text;
    }
}

struct RequestCase {
    const char* what;
    std::string text;
    ClipRequest request;
};

const RequestCase kRequests[] = {
    {"a saved page with its files",
     "(WBLFPCommand)[C:\\web](!1!){GLWDATA}(@a.htm|b.gif@)",
     {.pageFolder = "C:\\web", .pageSaved = "1", .dataFolder = "GLWDATA", .pageFiles = {"a.htm", "b.gif"}}},
    {"the presentation add-in's", kPresentationRequest, {.pageFolder = std::string(kPresentationPageFolder)}},
    {"a page that is not a local file", "(WBLFPCommand)[](!0!){}(@a.htm@)", {.pageSaved = "0", .pageFiles = {"a.htm"}}},
    {"pieces the reader never misreads",
     "(WBLFPCommand)[/a[b (1)/](!1!){m(ed)ia}(@b (2).htm|{c}.gif|d)e.gif@)",
     {.pageFolder = "/a[b (1)/",
      .pageSaved = "1",
      .dataFolder = "m(ed)ia",
      .pageFiles = {"b (2).htm", "{c}.gif", "d)e.gif"}}},
};

TEST(ClipRequestFormat, WritesAndReadsEachCaseBothWays) {
    for (const auto& c : kRequests) {
        auto written = writeClipRequest(c.request);
        ASSERT_TRUE(written.ok()) << c.what;
        EXPECT_EQ(*written, c.text) << c.what;
        auto read = readClipRequest(c.text);
        ASSERT_TRUE(read) << c.what;
        EXPECT_EQ(*read, c.request) << c.what;
    }
}

TEST(ClipRequestFormat, ReadsAsTheMainProgramAlwaysHasAndRefusesWhatWouldNotReadBack) {
    // Read only: each field up to the first closing piece; the marker in its exact case.
    auto cut = readClipRequest("(WBLFPCommand)[C:\\we]b](!1!){D}(@a@)");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->pageFolder, "C:\\we");
    EXPECT_EQ(cut->dataFolder, "D");
    for (const char* text : {"(wblfpcommand)[C:\\web](!1!){D}(@a@)", "(other)(WBLFPCommand)[C:\\web]", "", "x"}) {
        EXPECT_FALSE(readClipRequest(text)) << text;
    }
    EXPECT_EQ(readClipRequest("(WBLFPCommand)")->pageFiles, std::vector<std::string>{});
    const ClipRequest refused[] = {
        {.pageFolder = "C:\\a]b"}, {.pageFolder = "a(@b"}, {.pageFolder = "a{b"},   {.dataFolder = "x}y"},
        {.pageFiles = {"a|b"}},    {.pageFiles = {""}},    {.pageFiles = {"c@)d"}}, {.pageFolder = "a(!b"},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(writeClipRequest(r).ok()) << r.pageFolder << r.dataFolder;
    }
}

TEST(ClipReplyFormat, WritesAndReadsEachCaseBothWays) {
    const std::pair<std::string, ClipReply> cases[] = {
        {"(GLWFPRetClip)[Exit]<GLWCODE>" + kTag + "</GLWCODE><GLWFILES>GLWDATA,C:\\app\\Working\\clip.swf</GLWFILES>",
         {.tag = kTag, .files = {{"GLWDATA", "C:\\app\\Working\\clip.swf"}}}},
        {"(GLWFPRetClip)[Exit]<GLWCODE>t</GLWCODE><GLWFILES></GLWFILES>", {.tag = "t"}},
        {"(GLWFPRetClip)[Exit]<GLWCODE></GLWCODE><GLWFILES>,a|media\\img,b</GLWFILES>",
         {.files = {{"", "a"}, {"media\\img", "b"}}}},
    };
    for (const auto& [text, reply] : cases) {
        auto written = writeClipReply(reply);
        ASSERT_TRUE(written.ok()) << text;
        EXPECT_EQ(*written, text);
        auto read = readClipReply(text);
        ASSERT_TRUE(read.ok()) << text << ": " << read.error().detail;
        EXPECT_EQ(*read, reply);
        EXPECT_TRUE(looksLikeClipReply(text));
    }
}

TEST(ClipReplyFormat, RefusesWhatTheHandBackNeverWrites) {
    const std::string head = kReplyPrefix;
    const std::pair<std::string, ErrorCode> texts[] = {
        {"", ErrorCode::Malformed},
        {"(Other)[Exit]<GLWCODE>t</GLWCODE><GLWFILES></GLWFILES>", ErrorCode::Malformed},
        {head + "t", ErrorCode::Malformed},
        {head + "t</GLWCODE><GLWFILES>", ErrorCode::Malformed},
        {head + "t</GLWCODE><GLWFILES></GLWFILES>x", ErrorCode::Malformed},
        {head + "t</GLWCODE><GLWFILES>GLWDATA</GLWFILES>", ErrorCode::Malformed},
        {head + "t</GLWCODE><GLWFILES>..,a</GLWFILES>", ErrorCode::Unsafe},
        {head + "t</GLWCODE><GLWFILES>a\\..\\..,a</GLWFILES>", ErrorCode::Unsafe},
        {head + "t</GLWCODE><GLWFILES>/etc,a</GLWFILES>", ErrorCode::Unsafe},
        {head + "t</GLWCODE><GLWFILES>C:x,a</GLWFILES>", ErrorCode::Unsafe},
        {head + "t</GLWCODE><GLWFILES>a\tb,a</GLWFILES>", ErrorCode::Unsafe},
    };
    for (const auto& [text, code] : texts) {
        auto read = readClipReply(text);
        ASSERT_FALSE(read.ok()) << text;
        EXPECT_EQ(read.error().code, code) << text;
    }
    EXPECT_FALSE(writeClipReply({.returnCode = "a)b"}).ok());
    EXPECT_FALSE(writeClipReply({.tag = std::string("x") + kReplyCodeEnd}).ok());
    EXPECT_FALSE(writeClipReply({.files = {{"a,b", "c"}}}).ok());
    EXPECT_FALSE(looksLikeClipReply("glwfpretclip Exit"));
    EXPECT_FALSE(looksLikeClipReply("GLWFPRetClip only"));
}

} // namespace
} // namespace glw::formats
