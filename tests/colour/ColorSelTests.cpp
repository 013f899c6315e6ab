// The colour dialog headless: typed colours with Enter, Okay and Cancel on a target passed in, and the
// back colour and tooltip written from the colour the Value box shows.
#include "colour/ColorSel.h"
#include "forms/HeadlessDriver.h"

#include <gtest/gtest.h>

namespace glw::colour {
namespace {

using namespace glw::forms;

struct Owner : Form {
    explicit Owner(Runtime& rt) : Form(rt, "Owner") {}
    Label colBack{*this, "colBack"};
};

class ColorSelTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.colBack.BackColor = rgb(255, 255, 255);
        owner.colBack.ToolTipText = "#FFFFFF";
    }
    bool run(const std::string& script, const std::string& initial = "#FFFFFF") {
        EXPECT_TRUE(ui.queueScript(script).ok()) << script;
        return ShowColorSel(rt, boxes, owner.colBack, initial);
    }
    Runtime rt{Services{}};
    HeadlessDriver& ui = headless(rt);
    common::Module1 boxes{rt};
    Owner owner{rt};
};

TEST_F(ColorSelTest, TypedColoursAndEnter) {
    struct Case {
        const char* typed;
        const char* shown; // the box after Enter
    } cases[] = {
        {"#ff8000", "#FF8000"},                     // seven characters: the last six, upper-cased as typed
        {"ff8000", "#FF8000"},  {"#1234", "#1234"}, // "#" fails the letters-and-digits test: nothing happens
        {"GG0000", "#000000"},                      // G reads as 0
        {"0000ff", "#0000FF"},
    };
    for (const auto& c : cases) {
        std::string shown;
        ui.then("look", [&](Runtime& r) {
            auto* dialog = dynamic_cast<ColorSel*>(r.activeModal());
            ASSERT_NE(dialog, nullptr);
            dialog->HTMLColor.Text = "";
            dialog->HTMLColor.userType(c.typed);
            dialog->HTMLColor.userKeyPress(vbKeyReturn);
            shown = dialog->HTMLColor.Text;
        });
        EXPECT_FALSE(run("answer Cancel"));
        EXPECT_EQ(shown, c.shown) << c.typed;
    }
}

TEST_F(ColorSelTest, OkayAppliesTheTypedColourExactly) {
    const bool applied = run("type ColorSel.HTMLColor \"#ff8000\"\n"
                             "key ColorSel.HTMLColor Enter\n"
                             "answer Okay",
                             "");
    EXPECT_TRUE(applied);
    EXPECT_EQ(owner.colBack.BackColor(), rgb(255, 128, 0));
    EXPECT_EQ(owner.colBack.ToolTipText(), "#FF8000");
}

TEST_F(ColorSelTest, OkayOnAnUntouchedDialogKeepsTheColourItOpenedWith) {
    struct Case {
        const char* initial;
        const char* okay;
    } cases[] = {
        {"#0080FF", "answer Okay"}, {"#0080FF", "click ColorSel.Command1"}, {"#000000", "answer Okay"},
        {"#FFFFFF", "answer Okay"}, {"#C0C0C0", "click ColorSel.Command1"}, {"#FF8000", "answer Okay"},
    };
    for (const auto& c : cases) {
        owner.colBack.BackColor = rgb(1, 2, 3);
        owner.colBack.ToolTipText = "#010203";
        EXPECT_TRUE(run(c.okay, c.initial)) << c.initial;
        EXPECT_EQ(owner.colBack.ToolTipText(), c.initial) << c.okay;
        EXPECT_EQ(owner.colBack.BackColor(), long(WhatRGB(c.initial))) << c.initial;
    }
}

TEST_F(ColorSelTest, OkayAppliesWhatTheValueBoxShows) {
    struct Case {
        const char* typed; // replaces the box's text, without Enter
        bool applied;
        const char* tooltip; // the target's afterwards
    } cases[] = {
        {"#00FF00", true, "#00FF00"},   {"00ff00", true, "#00FF00"}, // typed letters are upper-cased
        {"xx#0000FF", true, "#0000FF"},                              // the last six characters, as Enter reads them
        {"", false, "#FFFFFF"},                                      // names no colour: the target keeps its own
        {"#12 456", false, "#FFFFFF"},
    };
    for (const auto& c : cases) {
        owner.colBack.BackColor = rgb(255, 255, 255);
        owner.colBack.ToolTipText = "#FFFFFF";
        ui.then("type", [&](Runtime& r) {
            auto* dialog = dynamic_cast<ColorSel*>(r.activeModal());
            ASSERT_NE(dialog, nullptr);
            dialog->HTMLColor.Text = "";
            dialog->HTMLColor.userType(c.typed);
        });
        EXPECT_EQ(run("answer Okay", "#0080FF"), c.applied) << c.typed;
        EXPECT_EQ(owner.colBack.ToolTipText(), c.tooltip) << c.typed;
        EXPECT_EQ(owner.colBack.BackColor(), long(WhatRGB(c.tooltip))) << c.typed;
    }
}

TEST_F(ColorSelTest, EscInTheValueBoxCancels) {
    // The focus starts in the Value box; Esc there cancels as it does anywhere else.
    EXPECT_FALSE(run("type ColorSel.HTMLColor \"00FF00\"\nkey ColorSel.HTMLColor Esc"));
    EXPECT_EQ(owner.colBack.ToolTipText(), "#FFFFFF");
}

TEST_F(ColorSelTest, CancelAndTheCloseButtonLeaveTheTargetAlone) {
    for (const char* script : {"answer Cancel", "click ColorSel.cbClose", "close ColorSel", "key ColorSel Esc"}) {
        EXPECT_FALSE(run("type ColorSel.HTMLColor \"00FF00\"\nkey ColorSel.HTMLColor Enter\n" + std::string(script)))
            << script;
        EXPECT_EQ(owner.colBack.BackColor(), rgb(255, 255, 255)) << script;
        EXPECT_EQ(owner.colBack.ToolTipText(), "#FFFFFF") << script;
    }
}

TEST_F(ColorSelTest, BackColourAndTooltipComeFromTheColourShown) {
    // Select Red, then press Yellow and release outside the grid: Yellow is active and shown in the Value
    // box while Red stays selected. What is shown is what is applied, to both.
    std::string shown;
    ui.then("pick", [&](Runtime& r) {
        auto* dialog = dynamic_cast<ColorSel*>(r.activeModal());
        auto& box = dialog->ColorBox;
        box.picPopup.userMouseDown(vbLeftButton, 0, 12, 12);
        box.picPopup.userMouseUp(vbLeftButton, 0, 12, 12);
        box.picPopup.userMouseDown(vbLeftButton, 0, 12, 96);
        box.picPopup.userMouseUp(vbLeftButton, 0, 300, 300);
        EXPECT_EQ(box.HTMLColor(), "#FFFF00");
        EXPECT_EQ(box.SelectedColor(), rgb(255, 0, 0));
        shown = dialog->HTMLColor.Text;
    });
    EXPECT_TRUE(run("click ColorSel.Command1"));
    EXPECT_EQ(shown, "#FFFF00");
    EXPECT_EQ(owner.colBack.BackColor(), rgb(255, 255, 0));
    EXPECT_EQ(owner.colBack.ToolTipText(), "#FFFF00");
}

TEST_F(ColorSelTest, DoubleClickOnACellApplies) {
    ui.then("double-click", [](Runtime& r) {
        auto& box = dynamic_cast<ColorSel*>(r.activeModal())->ColorBox;
        box.picPopup.userMouseMove(0, 0, 24, 12);
        box.picPopup.userMouseDown(vbLeftButton, 0, 24, 12);
        box.picPopup.userMouseUp(vbLeftButton, 0, 24, 12);
        box.picPopup.userDblClick();
    });
    EXPECT_TRUE(run(""));
    EXPECT_EQ(owner.colBack.BackColor(), rgb(0, 255, 192));
    EXPECT_EQ(owner.colBack.ToolTipText(), "#00FFC0");
}

TEST_F(ColorSelTest, AScriptPressesACell) {
    EXPECT_TRUE(run("mousemove ColorSel.ColorBox.picPopup 0 40 40\n"
                    "mousedown ColorSel.ColorBox.picPopup 1 36 60\n" // column 2, row 4: Sapphire
                    "mouseup ColorSel.ColorBox.picPopup 1 36 60\n"
                    "answer Okay"));
    EXPECT_EQ(owner.colBack.ToolTipText(), "#0040FF");
    EXPECT_FALSE(HeadlessDriver::parseLine("mousedown ColorSel.ColorBox.picPopup 1 x 60").ok());
    EXPECT_FALSE(HeadlessDriver::parseLine("mouseup ColorSel.ColorBox.picPopup 1 60").ok());
}

TEST_F(ColorSelTest, WithoutATargetTheDialogStillCloses) {
    ColorSel dialog(rt, boxes, nullptr);
    ASSERT_TRUE(ui.queueScript("answer Okay").ok());
    dialog.Show(vbModal);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_FALSE(dialog.Applied());
}

} // namespace
} // namespace glw::colour
