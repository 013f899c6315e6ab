// The presentation add-in's hand-back and script code through the fake host.
#include "AddinFixture.h"

using namespace glw;
using namespace glw::addins::test;

namespace {

constexpr const char* kTag =
    R"(<OBJECT  ID='GLINTWAVECL7' NAME='GLINTWAVECL7' WIDTH=100% HEIGHT=80%>)"
    R"(<EMBED WIDTH=100% HEIGHT=80% wmode=window flashvars="DT=&msg=50%25 off" scale=1></EMBED>)";
constexpr const char* kScript = "Private Sub ShockwaveFlash1_FSCommand()\r\nEnd Sub\r\n";
const std::string kHowTo = "Right click on the new Flash Object, Select View Code, Choose the FSCommand Subroutine "
                           "(ShockwaveFlashXX_FSCommand), Paste the Code!.";

class PresentationHandBack : public ::testing::Test {
protected:
    AddinRoot root{kPresentationLibrary};
    std::shared_ptr<fakehost::FakePresentationProgram> host = std::make_shared<fakehost::FakePresentationProgram>();
    fakehost::LoadedAddin addin{root.libraryPath};
    std::string movie;

    void SetUp() override {
        ASSERT_TRUE(addin.loaded()) << addin.error();
        host->openWindow();
        addin.connect(host, host->core);
        movie = root.workingFile("ppoint.swf");
    }
    std::string replyText(const std::string& tag = kTag) const { return reply(tag, "," + movie); }
};

TEST_F(PresentationHandBack, TheClipIsInsertedAsAFlashObjectWithTheRepliesSizeAndVariables) {
    root.clipboard->setText(replyText());
    host->activate();
    ASSERT_EQ(host->added.size(), 1u);
    const auto& object = host->added[0];
    EXPECT_EQ(object.where, "slide");
    const auto& args = object.shape->args;
    EXPECT_EQ(args.className, "ShockwaveFlash.ShockwaveFlash.1");
    EXPECT_EQ(args.left, 20);
    EXPECT_EQ(args.top, 20);
    EXPECT_EQ(args.width, 100);
    EXPECT_EQ(args.height, 80);
    EXPECT_EQ(args.fileName, "");
    EXPECT_FALSE(args.link);
    EXPECT_FALSE(args.displayAsIcon);
    EXPECT_TRUE(object.shape->selected);
    const auto& flash = *object.shape->format->flash;
    EXPECT_EQ(flash.movie, root.root.host("app/Working/ppoint.swf") + "?DT=&msg=50%25 off");
    EXPECT_EQ(flash.flashVars, "DT=&msg=50%25 off") << "a \"%\" in the variables stays";
    EXPECT_TRUE(flash.embedMovie);
    EXPECT_EQ(flash.wmode, "Transparent");
    EXPECT_TRUE(flash.playing);
    EXPECT_TRUE(object.shape->format->activated);
    EXPECT_EQ(root.clipboard->getText(), "");
    EXPECT_TRUE(host->core.messages.empty()) << "no script file, no message";
    EXPECT_EQ(host->core.escaped, 0);

    host->activate();
    EXPECT_EQ(host->added.size(), 1u) << "the reply is taken once";
}

TEST_F(PresentationHandBack, SizesOfZeroAndMissingVariablesGetDefaults) {
    root.clipboard->setText(replyText("<OBJECT WIDTH=0 HEIGHT=0></OBJECT>"));
    host->activate();
    ASSERT_EQ(host->added.size(), 1u);
    EXPECT_EQ(host->added[0].shape->args.width, 550);
    EXPECT_EQ(host->added[0].shape->args.height, 400);
    EXPECT_EQ(host->added[0].shape->format->flash->movie, root.root.host("app/Working/ppoint.swf") + "?");
    EXPECT_EQ(host->added[0].shape->format->flash->flashVars, "");
}

TEST_F(PresentationHandBack, TheSlideMasterViewPutsTheObjectOnTheMaster) {
    host->window->viewType = 2;
    root.clipboard->setText(replyText());
    host->activate();
    ASSERT_EQ(host->added.size(), 1u);
    EXPECT_EQ(host->added[0].where, "master");
}

TEST_F(PresentationHandBack, WithoutAWindowOrASlideTheReplyWaitsOnTheClipboard) {
    const std::string text = replyText();
    root.clipboard->setText(text);
    host->window->slideSelected = false;
    host->activate();
    EXPECT_TRUE(host->added.empty());
    EXPECT_EQ(root.clipboard->getText(), text);

    host->window.reset();
    host->activate();
    EXPECT_TRUE(host->added.empty());
    EXPECT_EQ(root.clipboard->getText(), text);
    EXPECT_TRUE(host->core.messages.empty());

    host->openWindow();
    host->activate();
    EXPECT_EQ(host->added.size(), 1u);
    EXPECT_EQ(root.clipboard->getText(), "");
}

TEST_F(PresentationHandBack, TheScriptCodeFollowsTheInsertion) {
    root.root.file("app/ppointvb.dat", kScript);
    root.clipboard->setText(replyText());
    host->activate();
    ASSERT_EQ(host->added.size(), 1u);
    EXPECT_EQ(root.clipboard->getText(), kScript);
    ASSERT_EQ(host->core.messages.size(), 1u);
    EXPECT_EQ(host->core.messages[0].title, "VBA Code.");
    EXPECT_EQ(host->core.messages[0].text,
              "VBA code has been copied to you clipboard to use for FSCommands.  To implement this code : \r\r" +
                  kHowTo);
    host->activate();
    EXPECT_EQ(host->added.size(), 1u) << "the script code on the clipboard is no reply";
}

TEST_F(PresentationHandBack, TheScriptButtonPutsTheCodeOnTheClipboardWhenTheFileExists) {
    root.clipboard->setText("before");
    ASSERT_TRUE(host->click("FSCommand Script To Clipboard"));
    EXPECT_EQ(root.clipboard->getText(), "before");
    EXPECT_TRUE(host->core.messages.empty());

    root.root.file("app/ppointvb.dat", kScript);
    ASSERT_TRUE(host->click("FSCommand Script To Clipboard"));
    EXPECT_EQ(root.clipboard->getText(), kScript);
    ASSERT_EQ(host->core.messages.size(), 1u);
    EXPECT_EQ(host->core.messages[0].text, "VBA code has been copied to you clipboard to use for Flash PowerPoint "
                                           "Navigation Commands.  To implement this code : \r\r" +
                                               kHowTo);
    EXPECT_EQ(root.starts(0), 0);
}

TEST_F(PresentationHandBack, HostileRepliesAreRefused) {
    root.root.file("elsewhere.swf");
    const std::string cases[] = {
        reply(kTag, ",/etc/passwd"), reply(kTag, "..," + movie), reply(kTag, "," + root.root.system("elsewhere.swf")),
        " " + replyText(),           replyText() + " ",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        root.clipboard->setText(text);
        host->activate();
        EXPECT_TRUE(host->added.empty());
        EXPECT_EQ(root.clipboard->getText(), text);
    }
}

} // namespace
