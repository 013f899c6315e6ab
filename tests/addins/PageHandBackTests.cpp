// The page editor's hand-back through the fake host: the reply on the clipboard, then a window activation.
#include "AddinFixture.h"

using namespace glw;
using namespace glw::addins::test;

namespace {

constexpr const char* kButton = "Flash Browser/Transformer";
constexpr const char* kTag = "<OBJECT  ID='GLINTWAVECL42' WIDTH=320 HEIGHT=240></OBJECT>";

class PageHandBack : public ::testing::Test {
protected:
    AddinRoot root{kPageLibrary};
    std::shared_ptr<fakehost::FakePageEditor> host = std::make_shared<fakehost::FakePageEditor>();
    fakehost::LoadedAddin addin{root.libraryPath};
    std::shared_ptr<fakehost::FakeDocument> page;

    void SetUp() override {
        ASSERT_TRUE(addin.loaded()) << addin.error();
        root.root.file("site/index.htm", "<html></html>");
        root.withoutMainProgram();
        addin.connect(host, host->core);
    }
    // Opens the page on disk with the selection in a paragraph, and clicks the request button.
    void request(const std::string& pageRelative = "site/index.htm") {
        page = host->openPage("file://" + root.root.host(pageRelative));
        const int body = page->addElement("BODY", "<BODY>");
        page->active = page->addElement("P", "<P>here</P>", "", body);
        ASSERT_TRUE(host->click(kButton));
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& m : host->core.messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
};

TEST_F(PageHandBack, TheFilesLandBesideThePageAndTheTagIsPastedIntoTheSavedSelection) {
    request();
    root.root.file("site/GLWDATA/clip.swf", "older copy");
    const std::string clip = root.workingFile("clip.swf", "new clip");
    const std::string extra = root.workingFile("back.jpg", "picture");
    root.clipboard->setText(reply(kTag, "GLWDATA," + clip + "|," + extra));
    host->activate();

    EXPECT_EQ(root.root.read("site/GLWDATA/clip.swf"), "new clip") << "an older copy is replaced";
    EXPECT_EQ(root.root.read("site/back.jpg"), "picture");
    ASSERT_EQ(page->pasted.size(), 1u);
    EXPECT_EQ(page->pasted[0].html, kTag);
    EXPECT_EQ(page->pasted[0].elementIndex, 1) << "pasted where the selection was at the click";
    EXPECT_EQ(root.clipboard->getText(), "");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(host->core.escaped, 0);

    // The reply is taken once: a later activation only rebuilds the menu.
    root.clipboard->setText(reply(kTag, ""));
    host->activate();
    EXPECT_EQ(page->pasted.size(), 1u);
    EXPECT_EQ(messages().size(), 1u) << "a reply without a request is not placed";
}

TEST_F(PageHandBack, TheFilesGoBesideThePageWhereTheSelectionWasSaved) {
    root.root.file("other/page.htm");
    request();
    host->openPage("file://" + root.root.host("other/page.htm")); // another page is active when the user returns
    root.clipboard->setText(reply(kTag, "," + root.workingFile("clip.swf")));
    host->activate();
    EXPECT_TRUE(root.root.exists("site/clip.swf"));
    EXPECT_FALSE(root.root.exists("other/clip.swf"));
    EXPECT_EQ(page->pasted.size(), 1u);
}

TEST_F(PageHandBack, AReplyWithoutASavedSelectionIsKeptAndTheUserIsToldOnce) {
    page = host->openPage("file://" + root.root.host("site/index.htm"));
    const std::string text = reply(kTag, "," + root.workingFile("clip.swf"));
    root.clipboard->setText(text);
    host->activate();
    host->activate();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(host->core.messages[0].title, "Glintwave");
    EXPECT_EQ(root.clipboard->getText(), text);
    EXPECT_FALSE(root.root.exists("site/clip.swf"));
    EXPECT_TRUE(page->pasted.empty());

    // A new request saves a selection: the same reply is then placed.
    ASSERT_TRUE(host->click(kButton));
    root.clipboard->setText(text);
    host->activate();
    EXPECT_EQ(page->pasted.size(), 1u);
    EXPECT_TRUE(root.root.exists("site/clip.swf"));
    EXPECT_EQ(root.clipboard->getText(), "");
}

TEST_F(PageHandBack, AFailedPasteKeepsTheReplyAndTellsTheUser) {
    request();
    host->core.state.failAt("TextRange.pasteHTML");
    const std::string text = reply(kTag, "");
    root.clipboard->setText(text);
    host->activate();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(root.clipboard->getText(), text);
    EXPECT_EQ(host->core.escaped, 0);
}

TEST_F(PageHandBack, TextThatIsNotAReplyIsLeftAlone) {
    request();
    for (const std::string text : {"GLWFPRetClip without the other word", "some Exit text", ""}) {
        root.clipboard->setText(text);
        host->activate();
        EXPECT_EQ(root.clipboard->getText(), text);
    }
    EXPECT_TRUE(page->pasted.empty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(PageHandBack, AnEmptyFileListStillPastesTheTag) {
    request();
    root.clipboard->setText(reply(kTag, ""));
    host->activate();
    ASSERT_EQ(page->pasted.size(), 1u);
    EXPECT_EQ(root.clipboard->getText(), "");
}

TEST_F(PageHandBack, ACopyFailureIsReportedAndTheOtherFilesAndTheTagStillGo) {
    request();
    root.root.file("site/blocked", "a file where a folder should be");
    root.clipboard->setText(
        reply(kTag, "blocked," + root.workingFile("a.swf") + "|," + root.workingFile("b.jpg", "B")));
    host->activate();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(
        messages()[0].rfind("An error occured copying the file " + root.root.system("app\\Working\\a.swf") + ".  ", 0),
        0u)
        << messages()[0];
    EXPECT_EQ(root.root.read("site/b.jpg"), "B");
    EXPECT_EQ(page->pasted.size(), 1u);
}

// A reply whose files are gone (the main program started again and emptied Working, or a file never came):
// each missing file is named to the user, the others are placed, the tag is pasted, and the reply is taken
// off the clipboard, so a later activation does not meet it again.
TEST_F(PageHandBack, MissingFilesAreNamedAndTheReplyIsTakenOnce) {
    struct Case {
        const char* what;
        std::vector<std::string> present; // Working files there at the activation
        std::vector<std::string> listed;  // the reply's files, in order, into GLWDATA
        bool web;                         // the page lies in a served web
        std::vector<std::string> missing; // the files named in copy-error messages, in order
    };
    const Case cases[] = {
        {"Working emptied after the hand-back", {}, {"clip.swf"}, false, {"clip.swf"}},
        {"one of two files missing", {"clip.swf"}, {"clip.swf", "back.jpg"}, false, {"back.jpg"}},
        {"both missing", {}, {"clip.swf", "back.jpg"}, false, {"clip.swf", "back.jpg"}},
        {"missing in a served web", {}, {"clip.swf"}, true, {"clip.swf"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root.root.host("app/Working"));
        root.root.folder("app/Working");
        host->core.messages.clear();
        if (c.web) {
            root.root.folder("web");
            host->openWeb("http://www.example.com/site", root.root.host("web"));
            page = host->openPage("http://www.example.com/site/b.htm");
            ASSERT_TRUE(host->click(kButton));
        } else {
            request();
        }
        std::string files;
        for (const auto& name : c.listed) {
            files += (files.empty() ? "" : "|") + std::string("GLWDATA,") + root.root.system("app\\Working\\" + name);
        }
        for (const auto& name : c.present) {
            root.workingFile(name, "bytes of " + name);
        }
        const std::string text = reply(kTag, files);
        root.clipboard->setText(text);
        host->activate();

        std::vector<std::string> expected;
        for (const auto& name : c.missing) {
            expected.push_back("An error occured copying the file " + root.root.system("app\\Working\\" + name) +
                               ".  ");
        }
        const auto shown = messages();
        ASSERT_EQ(shown.size(), expected.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].rfind(expected[i], 0), 0u) << shown[i];
            EXPECT_EQ(host->core.messages[i].title, "Glintwave");
        }
        const std::string placed = c.web ? "web/GLWDATA/" : "site/GLWDATA/";
        for (const auto& name : c.present) {
            EXPECT_EQ(root.root.read(placed + name), "bytes of " + name);
        }
        ASSERT_EQ(page->pasted.size(), 1u) << "the tag is still pasted";
        EXPECT_EQ(root.clipboard->getText(), "") << "the reply is taken off the clipboard";

        // A later activation meets nothing.
        host->core.messages.clear();
        host->activate();
        EXPECT_TRUE(messages().empty()) << "nothing is left to place";
        EXPECT_EQ(page->pasted.size(), 1u);
    }
}

TEST_F(PageHandBack, APageInAServedWebGetsTheFilesThroughItsWebFolder) {
    root.root.folder("web/sub");
    host->openWeb("http://www.example.com/site", root.root.host("web"));
    page = host->openPage("http://www.example.com/site/sub/b.htm");
    ASSERT_TRUE(host->click(kButton));
    root.clipboard->setText(
        reply(kTag, "GLWDATA," + root.workingFile("clip.swf", "C") + "|," + root.workingFile("d.jpg", "D")));
    host->activate();
    EXPECT_EQ(root.root.read("web/sub/GLWDATA/clip.swf"), "C");
    EXPECT_EQ(root.root.read("web/sub/d.jpg"), "D");
    EXPECT_EQ(page->pasted.size(), 1u);
    EXPECT_TRUE(messages().empty());
}

TEST_F(PageHandBack, ASelectionInASharedBorderSendsTheFilesToTheBordersFolder) {
    page = host->openPage("file://" + root.root.host("site/index.htm"));
    page->sharedBorders = true;
    const int body = page->addElement("BODY", "<BODY>");
    const int bot = page->addElement("WEBBOT", R"(<WEBBOT BOT="Include" S-BORDER="top" TAG="BODY">)", "", body);
    page->active = page->addElement("P", "<P>x</P>", "", bot);
    ASSERT_TRUE(host->click(kButton));
    root.clipboard->setText(reply(kTag, "," + root.workingFile("clip.swf")));
    host->activate();
    EXPECT_TRUE(root.root.exists("site/_borders/clip.swf"));
    EXPECT_FALSE(root.root.exists("site/clip.swf"));
}

TEST_F(PageHandBack, HostileRepliesAreRefusedAndNothingIsWritten) {
    request();
    const std::string clip = root.workingFile("clip.swf");
    root.root.file("outside.swf", "not ours");
    const std::string cases[] = {
        reply(kTag, "..," + clip),
        reply(kTag, "/tmp," + clip),
        reply(kTag, "C:\\," + clip),
        reply(kTag, "a/../../..," + clip),
        reply(kTag, "," + root.root.system("outside.swf")),
        reply(kTag, "," + root.root.system("site\\index.htm")),
        reply(kTag, ",/etc/passwd"),
        reply(kTag, clip),
        "x" + reply(kTag, "," + clip),
        reply(kTag, "," + clip) + "<GLWFILES>,/etc/passwd</GLWFILES>",
        "(GLWFPRetClip)[Exit]<GLWCODE>" + std::string(kTag),
    };
    const auto before = root.files();
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        root.clipboard->setText(text);
        host->activate();
        EXPECT_EQ(root.clipboard->getText(), text) << "a refused reply stays where it was";
        EXPECT_TRUE(page->pasted.empty());
    }
    auto after = root.files();
    EXPECT_EQ(after, before);
    EXPECT_TRUE(messages().empty());
}

TEST_F(PageHandBack, WithNoPageFolderNothingIsCopied) {
    // A new page outside any web: the click is refused after the selection was saved, and a reply that
    // arrives anyway has no folder to go to.
    page = host->openPage("unsaved:///new_page_1.htm");
    ASSERT_TRUE(host->click(kButton));
    ASSERT_EQ(messages().size(), 1u);
    root.clipboard->setText(reply(kTag, "," + root.workingFile("clip.swf")));
    const auto before = root.files();
    host->activate();
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1],
              "An error occured copying the file " + root.root.system("app\\Working\\clip.swf") + ".  Path not found");
    EXPECT_EQ(root.files(), before);
    EXPECT_TRUE(std::filesystem::is_empty(root.root.host("cwd"))) << "nothing lands in the current folder";
}

} // namespace
