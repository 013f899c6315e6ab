// The link chooser headless: the five kinds, the open pages and the host's page files in the list, the
// saved scripts, and what OK, Cancel and the close box leave in LinkURL.
#include "LibraryTestSupport.h"
#include "main/AModuleProcedures.h"
#include "main/FrmUrl.h"
#include "main/INetExplorer.h"

namespace glw::main::test {
namespace {

class LinkChooser : public LibraryApp {
protected:
    std::shared_ptr<platform::MemoryBrowserWindows> browsers = std::make_shared<platform::MemoryBrowserWindows>();

    void SetUp() override {
        LibraryApp::SetUp();
        start();
        rt->services().browserWindows = browsers;
        browsers->windows = {{1, 1, "Home - Microsoft Internet Explorer", "http://home.example/"},
                             {2, 2, "Docs", "http://docs.example/a"}};
    }
    // Queues a look at the open chooser.
    void inspect(std::function<void(frmURL&)> look) {
        ui().then("inspect frmURL", [look](forms::Runtime& runtime) {
            auto* form = dynamic_cast<frmURL*>(runtime.findForm("frmURL"));
            ASSERT_NE(form, nullptr);
            look(*form);
        });
    }
    void script(const std::string& lines) { ASSERT_TRUE(ui().queueScript(lines).ok()); }
};

TEST_F(LinkChooser, OpensWithTheCurrentLinkAndListsPageFilesNoneAndOpenPages) {
    program->aModule.LinkURL = "http://current.example/";
    program->aModule.HostPageFiles = {"index.htm", "about.htm"};
    inspect([](frmURL& f) {
        EXPECT_EQ(f.Caption(), "Select URL");
        EXPECT_EQ(f.txtURL.Text(), "http://current.example/");
        EXPECT_EQ(f.txtURL.items(), (std::vector<std::string>{"index.htm", "about.htm", "None", "http://home.example/",
                                                              "http://docs.example/a"}));
    });
    script("click frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "http://current.example/");
}

TEST_F(LinkChooser, EachKindFillsTheBoxTheListAndTheHint) {
    struct Case {
        int kind;
        const char* text;
        std::vector<std::string> list;
        const char* hintStart;
    };
    const Case cases[] = {
        {1, "file:", {}, "Use the file selector"},
        {2, "mailto:", {}, "Enter the email address"},
        {3,
         "FSC:",
         {"FSC:PowerPoint#NEXT", "FSC:PowerPoint#PREV", "FSC:PowerPoint#FIRST", "FSC:PowerPoint#LAST",
          "FSC:PowerPoint#ENDSHOW", "FSC:PowerPoint#GOTO(x)"},
         "See Help Files"},
        {4, "javascript:", {"javascript:"}, "When using Javascript"},
        {0, "http://", {"None", "http://home.example/", "http://docs.example/a"}, "Any open IE windows"},
    };
    for (const auto& c : cases) {
        if (c.kind == 0) {
            script("click frmURL.Option2(1)"); // leave kind 0 first, so choosing it runs its click
        }
        script("click frmURL.Option2(" + std::to_string(c.kind) + ")");
        inspect([&](frmURL& f) {
            EXPECT_EQ(f.txtURL.Text(), c.text) << c.kind;
            EXPECT_EQ(f.txtURL.items(), c.list) << c.kind;
            EXPECT_EQ(f.Label4.Caption().rfind(c.hintStart, 0), 0u) << c.kind << f.Label4.Caption();
        });
        script("click frmURL.Command20");
        EXPECT_EQ(AskForURL(*program), c.text);
    }
}

TEST_F(LinkChooser, AChosenFileIsAFileAddressOfItsAbsolutePath) {
    app.file("My Files/a.htm", "<html>");
    script("click frmURL.Option2(1)\nclick frmURL.Command1");
    ui().chooseFile(sys("My Files\\a.htm"));
    script("click frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "file://" + app.host("My Files/a.htm"));
    // A cancelled chooser leaves the box as it was.
    script("click frmURL.Option2(1)\nclick frmURL.Command1\ncancel\nclick frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "file:");
}

TEST_F(LinkChooser, ScriptsAreStoredWithSingleQuotesAndOfferedTrimmed) {
    // No: the box is filled, nothing saved.
    script("click frmURL.Option2(4)\nclick frmURL.Command1\ntype InputForm.Text1 \"alert(\"\"hi\"\")\"\n"
           "answer OK\nanswer No\nclick frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "javascript:alert('hi');");
    EXPECT_FALSE(app.exists("navscripts.txt"));
    // Yes: one line appended; each character of a pasted line break becomes a blank.
    script("click frmURL.Option2(4)\nclick frmURL.Command1");
    ui().then("paste", [](forms::Runtime& runtime) {
        auto* box = runtime.activeModal();
        ASSERT_NE(box, nullptr);
        auto* text = dynamic_cast<forms::TextBox*>(box->findControl("Text1"));
        ASSERT_NE(text, nullptr);
        text->userSetText("a();\r\nb()");
    });
    script("answer OK\nanswer Yes\nclick frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "javascript:a();  b();");
    EXPECT_EQ(app.read("navscripts.txt"), "a();  b();\r\n");
    // Cancelled input: nothing changes.
    script("click frmURL.Option2(4)\nclick frmURL.Command1\nanswer Cancel\nclick frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "javascript:");

    app.file("navscripts.txt", "  go(1);  \r\n\r\n   \r\nback();\r\n");
    script("click frmURL.Option2(4)");
    inspect([](frmURL& f) {
        EXPECT_EQ(f.txtURL.items(),
                  (std::vector<std::string>{"javascript:", "javascript:go(1);", "javascript:back();"}));
    });
    script("click frmURL.Command3");
    EXPECT_EQ(AskForURL(*program), "");
}

TEST_F(LinkChooser, AScriptThatCannotBeSavedIsReportedAndStillUsed) {
    app.folder("navscripts.txt"); // a folder where the file should be
    script("click frmURL.Option2(4)\nclick frmURL.Command1\ntype InputForm.Text1 \"x()\"\nanswer OK\nanswer Yes");
    answerBox("OK");
    script("click frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "javascript:x();");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Error|The script could not be saved.", 0), 0u) << boxes[0];
}

TEST_F(LinkChooser, OkCancelAndTheCloseBox) {
    program->aModule.LinkURL = "http://old/";
    script("click frmURL.Command3");
    EXPECT_EQ(AskForURL(*program), "");
    EXPECT_EQ(program->aModule.LinkURL, "");

    program->aModule.LinkURL = "http://old/";
    inspect([](frmURL& f) { f.txtURL.Text = ""; });
    script("click frmURL.Command20");
    EXPECT_EQ(AskForURL(*program), "");

    program->aModule.LinkURL = "http://old/";
    script("close frmURL");
    EXPECT_EQ(AskForURL(*program), "http://old/");
}

TEST(INetExplorerTest, ItemsFromTheProviderWithIndexesCheckedAndTitlesCut) {
    auto provider = std::make_shared<platform::MemoryBrowserWindows>();
    INetExplorer none(provider);
    none.Refresh();
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.ItemURL(1), "");
    provider->windows = {{5, 6, "Home - Microsoft Internet Explorer", "http://a/"},
                         {7, 0, "Other - microsoft internet explorer", "http://b/"}};
    INetExplorer ie(provider);
    ie.Refresh();
    ASSERT_EQ(ie.Count(), 2);
    EXPECT_EQ(ie.ItemCaption(1), "Home");
    EXPECT_EQ(ie.ItemCaption(2), "Other - microsoft internet explorer");
    EXPECT_EQ(ie.ItemhWnd(1), 5);
    EXPECT_EQ(ie.ItemhWnd(0), 0);
    EXPECT_EQ(ie.ItemCaption(3), "");
    ie.NavigateTo(1, "http://new/");
    ie.NavigateTo(2, "http://never/"); // no address field
    ie.NavigateTo(9, "http://never/");
    ASSERT_EQ(provider->navigated.size(), 1u);
    EXPECT_EQ(provider->navigated[0], (std::pair<std::int32_t, std::string>{5, "http://new/"}));
    EXPECT_EQ(ie.ItemURL(1), "http://new/");
    EXPECT_EQ(INetExplorer(nullptr).Count(), 0);
}

} // namespace
} // namespace glw::main::test
