// The message and input boxes: answers per style and button, closing without a button, Enter and Esc.
#include "common/MsgForm.h"
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"

#include <gtest/gtest.h>

using namespace glw;

namespace {

struct MsgCase {
    int style;
    const char* script; // what the user does with the box
    int expected;
};

TEST(MsgBoxEx, AnswersByStyleAndButton) {
    const MsgCase cases[] = {
        {common::msgYesNoCancel, "answer Yes", 6},
        {common::msgYesNoCancel, "answer No", 7},
        {common::msgYesNoCancel, "answer Cancel", 2},
        {common::msgYesNo, "answer Yes", 6},
        {common::msgYesNo, "answer No", 7},
        {common::msgOk, "answer OK", 6},
        // Closed without a button: the safe answer of the style, never the previous box's answer.
        {common::msgYesNoCancel, "close MsgForm", 2},
        {common::msgYesNo, "close MsgForm", 7},
        {common::msgOk, "close MsgForm", 6},
        {common::msgYesNoCancel, "key MsgForm Esc", 2},
        {common::msgYesNo, "", 7},
        {9, "", 2},
    };
    for (const auto& c : cases) {
        forms::Runtime rt{forms::Services{}};
        common::Module1 module(rt);
        auto& ui = forms::headless(rt);
        // The box before answers Yes, so a wrong carry-over would show.
        ASSERT_TRUE(ui.queueScript("answer Yes").ok());
        ASSERT_EQ(module.MsgBoxEx("first", common::msgYesNo, "t"), 6);
        ASSERT_TRUE(ui.queueScript(c.script).ok());
        EXPECT_EQ(module.MsgBoxEx("Are you sure you wish to delete the selected clipart?", c.style, "Delete"),
                  c.expected)
            << c.style << " " << c.script;
        EXPECT_EQ(module.MsgBoxResult, c.expected);
    }
}

TEST(MsgBoxEx, ShowsOnlyTheStylesButtonsWithTitleAndMessage) {
    forms::Runtime rt{forms::Services{}};
    common::Module1 module(rt);
    auto& ui = forms::headless(rt);
    std::vector<std::string> visible;
    ui.then("look", [&](forms::Runtime& r) {
        auto* box = dynamic_cast<common::MsgForm*>(r.activeModal());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Caption(), "Closing");
        EXPECT_EQ(box->Label1.Caption(), "Go?");
        for (auto* c : box->controls()) {
            if (c->kind() == forms::ControlKind::CommandButton && c->Visible) {
                visible.push_back(c->name());
            }
        }
        box->Command4.userClick();
    });
    EXPECT_EQ(module.MsgBoxEx("Go?", common::msgYesNo, "Closing"), 6);
    EXPECT_EQ(visible, (std::vector<std::string>{"Command4", "Command5"}));
}

struct InputCase {
    const char* script;
    const char* expected;
};

TEST(InputBoxEx, OkEnterCancelEscAndClose) {
    const InputCase cases[] = {
        {"answer OK", ""},
        {"type InputForm.Text1 \"abc\"\nanswer OK", "abc"},
        {"type InputForm.Text1 \"abc{CR}\"", "abc"},
        {"type InputForm.Text1 \"abc\"\nkey InputForm.Text1 Esc", "[HAVECANCELLED]"},
        {"answer Cancel", "[HAVECANCELLED]"},
        {"close InputForm", "[HAVECANCELLED]"},
        {"type InputForm.Text1 \"[HAVECANCELLED]\"\nanswer OK", "[HAVECANCELLED]"},
    };
    for (const auto& c : cases) {
        forms::Runtime rt{forms::Services{}};
        common::Module1 module(rt);
        auto& ui = forms::headless(rt);
        ASSERT_TRUE(ui.queueScript("answer OK").ok());
        ASSERT_EQ(module.InputBoxEx("Name:", "New", "previous"), "previous");
        ASSERT_TRUE(ui.queueScript(c.script).ok());
        EXPECT_EQ(module.InputBoxEx("Name:", "New", ""), c.expected) << c.script;
    }
}

} // namespace
