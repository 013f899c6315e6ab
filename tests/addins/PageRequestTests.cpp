// The request button of both add-ins through the fake host, and the contract between the add-in's request
// writer and the main program's reader.
#include "AddinFixture.h"
#include "addins/ClipText.h"
#include "common/ModText.h"
#include "main/Form1.h"
#include "main/MainProgram.h"
#include "platform/ServicesMemory.h"

using namespace glw;
using namespace glw::addins::test;

namespace {

// The page's file names as the request's field holds them, for comparing with the texts of the cases.
std::string joinedAtBars(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i ? "|" : "") + names[i];
    }
    return text;
}

constexpr const char* kButton = "Flash Browser/Transformer";
constexpr const char* kNotNormalView = "You must have a page open/saved and in Normal view mode.";
constexpr const char* kNoWebOrPage = "Unable to succesfully add Flash content without being in a Frontpage Web or a "
                                     "Saved document.  Please save page/web before adding Flash content.";

class PageRequest : public ::testing::Test {
protected:
    AddinRoot root{kPageLibrary};
    std::shared_ptr<fakehost::FakePageEditor> host = std::make_shared<fakehost::FakePageEditor>();
    fakehost::LoadedAddin addin{root.libraryPath};

    void SetUp() override {
        root.root.file("site/pages/index.htm");
        root.root.file("site/pages/logo.gif");
        root.root.folder("site/pages/GLWDATA");
        root.root.file("web/a.htm");
        root.root.file("web/sub/b.htm");
        root.root.file("web/sub/c.gif");
        ASSERT_TRUE(addin.loaded()) << addin.error();
    }
    std::string pageUrl() const { return "file://" + root.root.host("site/pages/index.htm"); }
    void click() {
        addin.connect(host, host->core);
        ASSERT_TRUE(host->click(kButton));
        EXPECT_EQ(host->core.escaped, 0);
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& m : host->core.messages) {
            EXPECT_EQ(m.title, "Glintwave");
            texts.push_back(m.text);
        }
        return texts;
    }
};

TEST_F(PageRequest, APageOnDiskSendsItsFolderAndItsFiles) {
    host->openPage(pageUrl());
    click();
    EXPECT_EQ(root.clipboard->getText(),
              "(WBLFPCommand)[" + root.root.host("site/pages/") + "](!1!){GLWDATA}(@index.htm|logo.gif@)");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(root.starts(1), 1);
}

TEST_F(PageRequest, APageOfAServedWebSendsTheFilesOfItsWebFolder) {
    host->openWeb("http://www.example.com/site", root.root.host("web"));
    host->openPage("http://www.example.com/site/sub/b.htm");
    click();
    EXPECT_EQ(root.clipboard->getText(), "(WBLFPCommand)[](!0!){GLWDATA}(@b.htm|c.gif@)");
    EXPECT_EQ(root.starts(1), 1);
}

TEST_F(PageRequest, ANewPageInsideAWebSendsTheRootFolderFiles) {
    host->openWeb("http://www.example.com/site", root.root.host("web"));
    host->openPage("unsaved:///new_page_1.htm");
    click();
    EXPECT_EQ(root.clipboard->getText(), "(WBLFPCommand)[](!0!){GLWDATA}(@a.htm@)");
    EXPECT_EQ(root.starts(1), 1);
}

TEST_F(PageRequest, PagesThatCannotTakeAClipAreToldSoAndNothingStarts) {
    struct Case {
        const char* name;
        std::function<void(fakehost::FakePageEditor&, const std::string&)> arrange;
        const char* message;
    };
    const Case cases[] = {
        {"no page", [](auto&, const auto&) {}, kNotNormalView},
        {"HTML view", [](auto& h, const auto& url) { h.openPage(url), h.window->viewMode = 2; }, kNotNormalView},
        {"preview", [](auto& h, const auto& url) { h.openPage(url), h.window->viewMode = 3; }, kNotNormalView},
        {"new page outside a web", [](auto& h, const auto&) { h.openPage("unsaved:///new_page_1.htm"); }, kNoWebOrPage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AddinRoot caseRoot{kPageLibrary};
        auto caseHost = std::make_shared<fakehost::FakePageEditor>();
        fakehost::LoadedAddin caseAddin{caseRoot.libraryPath};
        c.arrange(*caseHost, pageUrl());
        caseAddin.connect(caseHost, caseHost->core);
        ASSERT_TRUE(caseHost->click(kButton));
        ASSERT_EQ(caseHost->core.messages.size(), 1u);
        EXPECT_EQ(caseHost->core.messages[0].text, c.message);
        EXPECT_EQ(caseHost->core.messages[0].title, "Glintwave");
        EXPECT_EQ(caseRoot.clipboard->getText(), "");
        EXPECT_EQ(caseRoot.starts(0), 0);
    }
}

TEST_F(PageRequest, TheSelectedClipOfTheSystemGivesItsDataFolder) {
    struct Case {
        const char* tag;
        const char* html;
        const char* id;
        const char* dataFolder;
    };
    const Case cases[] = {
        {"OBJECT", R"(<OBJECT ID='GLINTWAVECL123'><PARAM NAME=movie VALUE="GLWDATA/clip.swf"></OBJECT>)",
         "GLINTWAVECL123", "GLWDATA"},
        {"OBJECT", R"(<OBJECT><PARAM NAME=movie VALUE="clip.swf"></OBJECT>)", "glintwavecl9", ""},
        {"OBJECT", R"(<OBJECT><PARAM NAME=movie VALUE="media/clip.swf"></OBJECT>)", "otherclip", "GLWDATA"},
        {"IMG", R"(<IMG SRC="x.swf" movie>)", "GLINTWAVECL1", "GLWDATA"},
        {"OBJECT", R"(<OBJECT><PARAM NAME=movie VALUE="../clip.swf"></OBJECT>)", "GLINTWAVECL2", "GLWDATA"},
        {"OBJECT", R"(<OBJECT><PARAM NAME=movie VALUE="da}ta/clip.swf"></OBJECT>)", "GLINTWAVECL3", "GLWDATA"},
    };
    root.withoutMainProgram();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.html);
        auto document = host->openPage(pageUrl());
        document->active = document->addElement(c.tag, c.html, c.id);
        addin.connect(host, host->core);
        ASSERT_TRUE(host->click(kButton));
        EXPECT_EQ(common::GetBetween(root.clipboard->getText(), "{", "}"), c.dataFolder);
    }
}

TEST_F(PageRequest, NamesTheReaderWouldMisreadAreLeftOutAndABadFolderIsRefused) {
    root.root.file("site/pages/a|b.gif");
    root.root.file("site/pages/c@).gif");
    root.withoutMainProgram();
    host->openPage(pageUrl());
    click();
    EXPECT_EQ(common::GetBetween(root.clipboard->getText(), "(@", "@)"), "index.htm|logo.gif");

    AddinRoot badRoot{kPageLibrary};
    auto badHost = std::make_shared<fakehost::FakePageEditor>();
    fakehost::LoadedAddin badAddin{badRoot.libraryPath};
    badRoot.root.file("we]b/index.htm");
    badHost->openPage("file://" + badRoot.root.host("we]b/index.htm"));
    badAddin.connect(badHost, badHost->core);
    ASSERT_TRUE(badHost->click(kButton));
    ASSERT_EQ(badHost->core.messages.size(), 1u);
    EXPECT_EQ(badRoot.clipboard->getText(), "");
    EXPECT_EQ(badRoot.starts(0), 0);
}

TEST_F(PageRequest, AMissingMainProgramLeavesTheRequestWithoutAMessage) {
    std::filesystem::remove(root.root.host("app/glwclipart"));
    host->openPage(pageUrl());
    click();
    EXPECT_NE(root.clipboard->getText(), "");
    EXPECT_TRUE(messages().empty());
}

// The add-in's writer into the main program's reader: whatever the writer sends is read back as it was meant.
TEST(RequestContract, TheMainProgramReadsBackWhatTheAddinWrites) {
    struct Case {
        std::string folder;
        std::vector<std::string> files;
        std::string data;
        std::string readFolder, readFiles, readData;
    };
    const Case cases[] = {
        {"/web/pages/", {"index.htm", "logo.gif"}, "GLWDATA", "/web/pages/", "index.htm|logo.gif", "GLWDATA"},
        {"", {"a.htm"}, "", "", "a.htm", ""},
        {"/a (1)/[x]/", {"b (2).htm", "{c}.gif", "d)e.gif"}, "m(ed)ia", "/a (1)/[x/", "", ""}, // refused below
        {"/a (1)/[x/",
         {"b (2).htm", "{c}.gif", "d)e.gif", "f!).gif"},
         "m(ed)ia",
         "/a (1)/[x/",
         "b (2).htm|{c}.gif|d)e.gif|f!).gif",
         "m(ed)ia"},
        {"/web/", {"a|b", "c@)d", "ok"}, "x}y", "/web/", "ok", "GLWDATA"},
        {"/web/", {"x"}, "(@", "/web/", "x", "GLWDATA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        auto request = addins::buildPageRequest(c.folder, c.files, c.data);
        if (!request) {
            EXPECT_TRUE(addins::holdsRequestMarker(c.folder));
            continue;
        }
        platform::test::TempDir app;
        forms::Services services;
        services.clipboard = std::make_shared<platform::MemoryClipboard>(*request);
        services.fonts = std::make_shared<platform::FixedFontList>(std::vector<std::string>{});
        forms::Runtime rt(services);
        rt.App.Path = app.system();
        main::MainProgram program(rt);
        program.form1().Show();
        const auto& g = program.aModule;
        EXPECT_EQ(g.AddinMode, -1);
        EXPECT_EQ(g.HostProgram, "FrontPage");
        EXPECT_EQ(g.HostPageFolder, c.readFolder);
        EXPECT_EQ(joinedAtBars(g.HostPageFiles), c.readFiles);
        EXPECT_EQ(g.ExportDataFolder, c.readData);
    }
}

} // namespace
