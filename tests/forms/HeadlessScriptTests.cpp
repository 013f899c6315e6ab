// The script language of headless runs: parsing, answering boxes, dialogs and menus, and the trace.
#include "forms/CommonDialog.h"
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"

#include <gtest/gtest.h>

using namespace glw::forms;

namespace {

TEST(HeadlessScriptTest, RejectsMalformedLinesWithTheirLineNumber) {
    const char* bad[] = {"click",
                         "click Form1.",
                         "frobnicate Form1.x",
                         "type Form1.t",
                         "key Form1 Hyper+P",
                         "type Form1.t \"open",
                         "click Form1.x(1",
                         "click Form1.x(one)",
                         "click Form1.x(-1)",
                         "click Form1.x(99999999999)",
                         "answer",
                         "color red",
                         "color 12px",
                         "color 99999999999999999999",
                         "scroll Form1.bar up",
                         "scroll Form1.bar 99999999999"};
    for (const char* line : bad) {
        Runtime rt{Services{}};
        auto result = headless(rt).queueScript(std::string("# a comment\n\n") + line + "\n");
        ASSERT_FALSE(result.ok()) << line;
        EXPECT_EQ(result.error().offset, 3u) << line;
        EXPECT_EQ(headless(rt).pending(), 0u) << "nothing is queued from a script that does not parse";
    }
}

struct Main : Form {
    explicit Main(Runtime& rt) : Form(rt, "Main") {
        open.Click = [this] {
            dlg.DialogTitle = "Open a movie";
            dlg.ShowOpen();
            opened = dlg.lastOk() ? dlg.FileName() : "(cancelled)";
        };
        menuButton.Click = [this] { PopupMenu(popup); };
        second.Click = [this] { picked = "second"; };
        name.Change = [this] { ++changes; };
    }
    CommandButton open{*this, "open"};
    CommandButton menuButton{*this, "menuButton"};
    TextBox name{*this, "name"};
    ControlArray<CheckBox> flags{*this, "flags"};
    CommonDialog dlg{*this, "dlg"};
    Menu popup{*this, "popup"};
    Menu first{*this, "first", &popup};
    Menu second{*this, "second", &popup};
    std::string opened, picked;
    int changes = 0;
};

TEST(HeadlessScriptTest, ScriptDrivesControlsDialogsAndMenusInOrder) {
    Runtime rt{Services{}};
    rt.trace().keepInMemory(true);
    Main form(rt);
    form.flags.add(0);
    form.flags.add(1);
    form.Show();
    auto& ui = headless(rt);
    ASSERT_TRUE(ui.queueScript("click Main.open\n"
                               "file \"C:\\clips\\a \"\"b\"\".swf\"\n"
                               "click Main.menuButton\n"
                               "menu second\n"
                               "type Main.name \"hi\"\n"
                               "click Main.flags(1)\n"
                               "click Main.open\n")
                    .ok());
    rt.run();
    EXPECT_EQ(form.opened, "(cancelled)") << "the last dialog found no answer in the script";
    EXPECT_EQ(form.picked, "second");
    EXPECT_EQ(form.name.Text(), "hi");
    EXPECT_EQ(form.changes, 2) << "one Change per typed character";
    EXPECT_EQ(form.flags[1].Value, vbChecked);
    const auto& lines = rt.trace().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "dialog open \"Open a movie\" -> \"C:\\clips\\a \"\"b\"\".swf\""),
              lines.end());
}

struct Question : Form {
    Question(Runtime& rt, int& answer) : Form(rt, "Question"), m_answer(answer) {
        yes.ToolTipText = "Yes";
        no.Caption = "No";
        yes.Click = [this] {
            m_answer = 6;
            Unload();
        };
        no.Click = [this] {
            m_answer = 7;
            Unload();
        };
    }
    CommandButton yes{*this, "yes"};
    CommandButton no{*this, "no"};
    int& m_answer;
};

TEST(HeadlessScriptTest, AnswerClicksTheButtonOfTheOpenBoxByCaptionOrTooltip) {
    for (auto [word, expected] : {std::pair{"yes", 6}, std::pair{"NO", 7}}) {
        Runtime rt{Services{}};
        int answer = 0;
        ASSERT_TRUE(headless(rt).queueScript(std::string("answer ") + word).ok());
        Question box(rt, answer);
        box.Show(vbModal);
        EXPECT_EQ(answer, expected) << word;
    }
}

TEST(HeadlessScriptTest, ActionsOnMissingControlsAreLoggedNotFatal) {
    Runtime rt{Services{}};
    Main form(rt);
    form.Show();
    ASSERT_TRUE(headless(rt).queueScript("click Main.nothing\nclick Nowhere.x\ntype Main.name \"ok\"").ok());
    rt.run();
    EXPECT_EQ(rt.errors().size(), 2u);
    EXPECT_EQ(form.name.Text(), "ok");
}

// A modal box blocks every other form, as it does in a window: actions aimed at a form behind it are refused
// (logged), the box's own controls and answers work, and the form behind is reachable again once it is gone.
TEST(HeadlessScriptTest, AModalBoxBlocksEveryOtherForm) {
    Runtime rt{Services{}};
    rt.trace().keepInMemory(true);
    Main form(rt);
    form.Show();
    int answer = 0;
    Question box(rt, answer);
    int flagClicks = 0;
    form.flags.add(0);
    form.flags.on(&CheckBox::Click, [&](int) { ++flagClicks; });
    ASSERT_TRUE(headless(rt)
                    .queueScript("type Main.name \"behind\"\n"
                                 "click Main.flags(0)\n"
                                 "close Main\n"
                                 "click Question.no\n"
                                 "type Main.name \"after\"\n")
                    .ok());
    box.Show(vbModal);
    EXPECT_EQ(answer, 7) << "the box's own button works";
    EXPECT_EQ(flagClicks, 0);
    EXPECT_TRUE(form.loaded()) << "the close box of the form behind cannot be reached either";
    ASSERT_EQ(rt.errors().size(), 3u);
    EXPECT_NE(rt.errors()[0].find("Main lies behind the modal Question"), std::string::npos) << rt.errors()[0];
    rt.run();
    EXPECT_EQ(form.name.Text(), "after");
}

} // namespace
