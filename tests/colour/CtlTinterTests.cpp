// The tint control headless: tints from colour parts, a pick through the dialog, Cancel and reset.
#include "colour/CtlTinter.h"
#include "forms/HeadlessDriver.h"

#include <gtest/gtest.h>

namespace glw::colour {
namespace {

using namespace glw::forms;

struct MainWindow : Form {
    MainWindow(Runtime& rt, common::Module1& boxes) : Form(rt, "Form1"), ctlTinter1(*this, "ctlTinter1", boxes) {
        ctlTinter1.SetTint = [this](std::int16_t r, std::int16_t g, std::int16_t b) { raised.push_back({r, g, b}); };
    }
    ctlTinter ctlTinter1;
    std::vector<std::array<int, 3>> raised;
};

TEST(TintOf, Parts) {
    const std::pair<int, int> cases[] = {{0, -256}, {127, -1}, {128, 1}, {192, 130}, {255, 256}, {64, -127}};
    for (auto [part, tint] : cases) {
        EXPECT_EQ(TintOf(part), tint) << part;
    }
}

class TinterTest : public ::testing::Test {
protected:
    Runtime rt{Services{}};
    HeadlessDriver& ui = headless(rt);
    common::Module1 boxes{rt};
    MainWindow form{rt, boxes};
    ctlTinter& tinter() { return form.ctlTinter1; }
};

TEST_F(TinterTest, PickingAColourRaisesItsTints) {
    std::string shownFirst;
    ui.then("look", [&](Runtime& r) { shownFirst = dynamic_cast<ColorSel*>(r.activeModal())->HTMLColor.Text; });
    ASSERT_TRUE(ui.queueScript("type ColorSel.HTMLColor \"{CR}\"\n" // Enter on the text as given
                               "answer Okay")
                    .ok());
    tinter().Command4_Click();
    EXPECT_EQ(shownFirst, "#FFFFFF"); // the dialog opens on the swatch's colour
    EXPECT_EQ(form.raised, (std::vector<std::array<int, 3>>{{256, 256, 256}}));
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(TinterTest, AGreySwatchGivesTintsOfOneAndCancelKeepsTheTints) {
    ui.then("grey", [](Runtime& r) {
        auto* d = dynamic_cast<ColorSel*>(r.activeModal());
        d->HTMLColor.Text = "808080";
        d->HTMLColor.userKeyPress(vbKeyReturn);
    });
    ASSERT_TRUE(ui.queueScript("answer Okay").ok());
    tinter().Command4_Click();
    EXPECT_EQ(tinter().Label40.BackColor(), rgb(128, 128, 128));
    EXPECT_EQ(tinter().Label40.ToolTipText(), "#808080");
    EXPECT_EQ(form.raised.back(), (std::array<int, 3>{1, 1, 1}));

    // A reset leaves the swatch; a cancelled pick afterwards keeps the reset tints.
    tinter().Command1_Click();
    EXPECT_EQ(form.raised.back(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(tinter().Label40.BackColor(), rgb(128, 128, 128));
    ASSERT_TRUE(ui.queueScript("answer Cancel").ok());
    tinter().Command4_Click();
    EXPECT_EQ(form.raised.size(), 3u);
    EXPECT_EQ(form.raised.back(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(tinter().mRedTint, 0);
}

TEST_F(TinterTest, OkayOnTheReopenedDialogKeepsTheTint) {
    // Once turned the tint black (-256, -256, -256): the fresh picker's selection was applied.
    ui.then("set", [](Runtime& r) {
        auto* d = dynamic_cast<ColorSel*>(r.activeModal());
        d->HTMLColor.Text = "0080FF";
        d->HTMLColor.userKeyPress(vbKeyReturn);
    });
    ASSERT_TRUE(ui.queueScript("answer Okay").ok());
    tinter().Command4_Click();
    const std::array<int, 3> set{-256, 1, 256};
    EXPECT_EQ(form.raised.back(), set);
    for (const char* okay : {"answer Okay", "click ColorSel.Command1", "answer Okay"}) {
        std::string shown;
        ui.then("look", [&](Runtime& r) { shown = dynamic_cast<ColorSel*>(r.activeModal())->HTMLColor.Text; });
        ASSERT_TRUE(ui.queueScript(okay).ok());
        tinter().Command4_Click();
        EXPECT_EQ(shown, "#0080FF") << okay;
        EXPECT_EQ(form.raised.back(), set) << okay;
        EXPECT_EQ(tinter().Label40.ToolTipText(), "#0080FF") << okay;
    }
}

TEST_F(TinterTest, TheDialogIsPlacedNextToTheButton) {
    std::vector<std::string> placed;
    tinter().PlaceForm = [&](Form& dialog, const Control& button, bool aboveLeft) {
        placed.push_back(dialog.name() + " " + button.name() + (aboveLeft ? " above-left" : " above"));
    };
    tinter().Command4_Click();
    tinter().Orient = true;
    tinter().Command4_Click();
    EXPECT_EQ(placed, (std::vector<std::string>{"ColorSel ctlTinter1.Command4 above-left",
                                                "ColorSel ctlTinter1.Command4 above"}));
}

TEST_F(TinterTest, ResizeKeepsTheButtonsAtTheRightAndPropertiesPersist) {
    tinter().Width = 4000;
    EXPECT_EQ(tinter().Command4.Left(), 4000 - tinter().Command4.Width());
    EXPECT_EQ(tinter().Command1.Left(), tinter().Command4.Left() - tinter().Command1.Width());
    EXPECT_EQ(tinter().Label40.Left(), tinter().Command1.Left() - tinter().Label40.Width() - 5);
    EXPECT_EQ(tinter().Label(), "Background :");
    tinter().ReadProperties(PropertyBag{});
    EXPECT_EQ(tinter().Label(), "Caption");
    tinter().setLabel("Tint :");
    const PropertyBag bag = tinter().WriteProperties();
    EXPECT_EQ(bag.names(), (std::vector<std::string>{"Label"}));
}

} // namespace
} // namespace glw::colour
