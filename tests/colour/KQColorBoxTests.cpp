// The colour picker headless, on the recorded surface: the hit test as a table of points; press, drag out
// and release; hover with the timer; capture and the host's cancel button; typed and asked-for colours;
// "More Colors..." and the palette files through the picker's dialogs.
#include "colour/KQColorBox.h"
#include "forms/HeadlessDriver.h"
#include "forms/Runtime.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace glw::colour {
namespace {

using namespace glw::forms;

struct Host : Form {
    Host(Runtime& rt, common::Module1& boxes) : Form(rt, "Host"), ColorBox(*this, "ColorBox", boxes) {
        Width = 4000;
        Height = 3500;
        ColorBox.Move(120, 120);
        ColorBox.ReadProperties(PropertyBag{});
        Command2.Caption = "Cancel";
        Command2.Cancel = true;
        Text1.Move(120, 2400, 1500, 300);
        ColorBox.Click = [this] { events.push_back("Click"); };
        ColorBox.DblClick = [this] { events.push_back("DblClick"); };
        ColorBox.Change = [this](long c) { events.push_back("Change " + std::to_string(c)); };
    }
    KQColorBox ColorBox;
    CommandButton Command2{*this, "Command2"};
    TextBox Text1{*this, "Text1"};
    std::vector<std::string> events;
};

constexpr std::int32_t rgbOf(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        rt.trace().keepInMemory(true);
        host.Show();
        host.ColorBox.RefreshAll();
    }
    KQColorBox& box() { return host.ColorBox; }
    DrawSurface& grid() { return host.ColorBox.picPopup.Surface; }
    void press(float x, float y) { box().picPopup.userMouseDown(vbLeftButton, 0, x, y); }
    void drag(float x, float y) { box().picPopup.userMouseMove(vbLeftButton, 0, x, y); }
    void hover(float x, float y) { box().picPopup.userMouseMove(0, 0, x, y); }
    void release(float x, float y) {
        box().picPopup.userMouseUp(vbLeftButton, 0, x, y);
        box().picPopup.userClick();
    }

    Runtime rt{Services{}};
    common::Module1 boxes{rt};
    Host host{rt, boxes};
};

TEST_F(PickerTest, StartsAsTheDesignedPickerWithBlackSelectedAndTheGreyShades) {
    EXPECT_EQ(box().Width(), kColorBoxWidth);
    EXPECT_EQ(box().Height(), kColorBoxHeight);
    EXPECT_EQ(box().Text(), "Black");
    EXPECT_EQ(box().SelectedColor(), 0);
    EXPECT_EQ(box().model().ShadeEntries[0].Name, "White");
    EXPECT_EQ(box().DropPal.Text(), "Normal");
    EXPECT_EQ(box().tmrHover.Interval(), 400);
    EXPECT_TRUE(box().tmrHover.Enabled()); // the grid has the focus
    EXPECT_EQ(box().tmrHover.Name(), "Hover Timer");
    // The cells are drawn: a red cell inside its button-face outline, the etched separator.
    EXPECT_EQ(grid().pixel(12, 12), rgbOf(255, 0, 0));
    EXPECT_EQ(grid().pixel(8, 8), rgbOf(212, 208, 200));
    EXPECT_EQ(grid().pixel(57, 50), rgbOf(128, 128, 128));
    EXPECT_EQ(grid().pixel(58, 50), rgbOf(255, 255, 255));
    EXPECT_EQ(grid().pixel(125, 97), 0); // the "Black" shade cell
}

TEST_F(PickerTest, HitTestTable) {
    struct Case {
        float x, y;
        const char* name; // "" for no cell
    } cases[] = {
        {8, 8, "Red"},       {17, 17, "Red"},      {18, 17, ""},      {17, 18, ""}, // right and bottom edges out
        {19, 8, ""},         {20, 8, "Turquoise"}, {44, 92, "White"}, {53, 101, "White"},
        {54, 101, ""},       {7, 8, ""},           {60, 8, "White"},  {129, 101, "Black"},
        {130, 101, ""},      {-1, 5, ""},          {500, 5, ""},      {8.4f, 8.4f, "Red"},
        {7.5f, 8.0f, "Red"}, {17.5f, 8.0f, ""},    {18.5f, 8.0f, ""}, {56, 50, ""},
    };
    for (const auto& c : cases) {
        const PaletteEntry hit = box().HitTest(c.x, c.y);
        EXPECT_EQ(hit.IsValid, c.name[0] != 0) << c.x << "," << c.y;
        EXPECT_EQ(hit.Name, c.name) << c.x << "," << c.y;
    }
}

TEST_F(PickerTest, PressDragOutAndReleaseKeepsTheSelection) {
    press(12, 12); // Red
    EXPECT_EQ(box().ActiveColor(), rgbOf(255, 0, 0));
    EXPECT_EQ(box().HTMLColor(), "#FF0000");
    EXPECT_EQ(box().SelectedColor(), 0);
    // The pressed cell carries a sunken frame: shadow on its top and left, highlight below and right.
    EXPECT_EQ(grid().pixel(8, 8), rgbOf(128, 128, 128));
    EXPECT_EQ(grid().pixel(18, 18), rgbOf(255, 255, 255));
    // Red has the hue of the empty start-up base (0): no rebase. Dragging onto Yellow rebases the shades.
    EXPECT_EQ(box().model().ShadeEntries[3].Name, "Titanium");
    drag(12, 96); // Yellow, with the button down
    EXPECT_EQ(box().ActiveText(), "Yellow");
    EXPECT_EQ(box().model().ShadeEntries[3].Name, "Yellow");
    drag(-30, 200); // out of the grid
    release(-30, 200);
    EXPECT_EQ(box().SelectedColor(), 0);
    EXPECT_EQ(box().Text(), "Black");
    EXPECT_EQ(box().ActiveColor(), rgbOf(255, 255, 0));
    EXPECT_EQ(host.events, (std::vector<std::string>{"Change " + std::to_string(rgbOf(255, 0, 0)),
                                                     "Change " + std::to_string(rgbOf(255, 255, 0))}));
    EXPECT_FALSE(grid().hasCapture());

    // Press and release on one cell selects it, with one Click.
    host.events.clear();
    press(24, 12);
    release(24, 12);
    EXPECT_EQ(box().Text(), "Turquoise");
    EXPECT_EQ(box().SelectedColor(), rgbOf(0, 255, 192));
    EXPECT_EQ(host.events, (std::vector<std::string>{"Change " + std::to_string(rgbOf(0, 255, 192)), "Click"}));
}

TEST_F(PickerTest, HoverMovesOnlyTheFrameAndTheTimerShowsTheShades) {
    hover(12, 60); // column 0, row 4
    EXPECT_EQ(box().HoverEntry().Name, "Gold");
    EXPECT_FALSE(box().model().ActiveEntry.IsValid);
    EXPECT_EQ(box().SelectedColor(), 0);
    // A raised frame: highlight on top and left.
    EXPECT_EQ(grid().pixel(8, 56), rgbOf(255, 255, 255));
    // The tick right after a move only notes it; a tick without a move rebuilds the shade grid.
    box().tmrHover.setEnabled(true);
    box().tmrHover.timer().fire();
    EXPECT_NE(box().model().ShadeEntries[3].Name, "Gold");
    box().tmrHover.timer().fire();
    EXPECT_EQ(box().model().ShadeEntries[3].Name, "Gold");
    EXPECT_EQ(box().model().ShadeEntries[1].Name, "Pale Gold");
    EXPECT_EQ(grid().pixel(64, 48), resolveColor(box().model().ShadeEntries[3].Color));
    // A hover click counts only over a cell.
    box().picPopup.userClick();
    EXPECT_EQ(host.events, (std::vector<std::string>{"Click"}));
    hover(56, 50);
    box().picPopup.userClick();
    box().picPopup.userDblClick();
    EXPECT_EQ(host.events.size(), 1u);
}

TEST_F(PickerTest, HoverTimerRunsWhileTheFocusIsInsideAndStopsWhenItLeaves) {
    // The form gave the grid the focus when it opened.
    EXPECT_TRUE(box().picPopup.hasFocus());
    EXPECT_TRUE(box().tmrHover.Enabled());
    host.Text1.SetFocus();
    EXPECT_FALSE(box().tmrHover.Enabled());
    box().picPopup.SetFocus();
    EXPECT_TRUE(box().tmrHover.Enabled());
    EXPECT_TRUE(box().tmrHover.timer().active());
    host.Text1.SetFocus();
    EXPECT_FALSE(box().tmrHover.Enabled());
    EXPECT_FALSE(box().tmrHover.timer().active());
    // Arming twice restarts the interval; a bad interval stops it and stays 0.
    box().tmrHover.setEnabled(true);
    box().tmrHover.setEnabled(true);
    EXPECT_TRUE(box().tmrHover.timer().active());
    box().tmrHover.setInterval(0);
    EXPECT_EQ(box().tmrHover.Interval(), 0);
    EXPECT_FALSE(box().tmrHover.Enabled());
    box().tmrHover.setName("");
    EXPECT_EQ(box().tmrHover.Name(), "Hover Timer");
}

TEST_F(PickerTest, PopupGivesTheCancelButtonBackWhenItEnds) {
    box().picPopup.Visible = false;
    box().SetFocus();
    box().userClick(); // a click on the face opens the grid
    EXPECT_TRUE(box().picPopup.Visible());
    EXPECT_TRUE(grid().hasCapture());
    EXPECT_FALSE(host.Command2.Cancel());
    press(12, 12);
    release(12, 12); // a choice ends the popup
    EXPECT_FALSE(grid().hasCapture());
    EXPECT_TRUE(host.Command2.Cancel());
    EXPECT_FALSE(box().picPopup.Visible());
    EXPECT_EQ(box().Text(), "Red");

    // Losing the focus ends it as well.
    box().userKeyDown(vbKeySpace, 0);
    EXPECT_TRUE(grid().hasCapture());
    EXPECT_FALSE(host.Command2.Cancel());
    host.Text1.SetFocus();
    EXPECT_FALSE(grid().hasCapture());
    EXPECT_TRUE(host.Command2.Cancel());

    // A host destroyed with the popup open: the picker does not touch the host's button, which went first.
    {
        Host other{rt, boxes};
        other.Show();
        other.ColorBox.picPopup.Visible = false;
        other.ColorBox.ShowPopup();
        EXPECT_FALSE(other.Command2.Cancel());
    }

    // Without PopupEnabled a click raises Popup instead.
    int popups = 0;
    box().Popup = [&] { ++popups; };
    box().setPopupEnabled(false);
    box().userClick();
    EXPECT_EQ(popups, 1);
}

TEST_F(PickerTest, TypedAndAskedForColours) {
    box().setHTMLColor("#FF8000");
    EXPECT_EQ(box().SelectedColor(), rgbOf(255, 128, 0));
    EXPECT_EQ(box().Text(), "Custom");
    EXPECT_EQ(box().HTMLColor(), "#FF8000");
    EXPECT_EQ(box().model().ShadeEntries[0].Name, "Faint Custom");
    EXPECT_TRUE(host.events.empty()); // no event
    // A colour in no grid selects the nearest entry.
    box().setSelectedColor(rgbOf(250, 10, 10));
    EXPECT_EQ(box().Text(), "Red");
    EXPECT_EQ(box().SelectedColor(), rgbOf(255, 0, 0));
    EXPECT_EQ(host.events, (std::vector<std::string>{"Click"}));
}

TEST_F(PickerTest, MoreColorsReplacesTheCustomSlotOfThePressedCell) {
    auto& ui = headless(rt);
    box().DropPal.userChoose(1); // "Custom"
    press(12, 24);               // slot 1
    release(12, 24);
    EXPECT_EQ(box().CurrentCustomSlot(), 1);
    press(48, 96); // the 32nd cell: no slot
    EXPECT_EQ(box().CurrentCustomSlot(), 1);
    ui.cancelDialog();
    box().MorePal_Click();
    EXPECT_EQ(box().model().CustomEntries[1].Color, HlsToRgb({12, 240, 120}));
    ui.answerDialog({true, {}, rgbOf(10, 20, 30)});
    box().MorePal_Click();
    EXPECT_EQ(box().model().CustomEntries[1].Color, rgbOf(10, 20, 30));
    EXPECT_EQ(box().model().CustomHues[1], RgbToHls(rgbOf(10, 20, 30)).Hue);
    EXPECT_EQ(box().model().MainEntries[1].Color, rgbOf(10, 20, 30));
    EXPECT_EQ(box().ActiveColor(), rgbOf(10, 20, 30));
    EXPECT_EQ(box().SelectedColor(), rgbOf(10, 20, 30));
    // The shades are the chosen colour's, and hover ticks keep them.
    const std::int32_t hue = RgbToHls(rgbOf(10, 20, 30)).Hue;
    EXPECT_EQ(box().model().ShadeEntries[3].Hue, hue);
    box().tmrHover.setEnabled(true);
    box().tmrHover.timer().fire();
    box().tmrHover.timer().fire();
    EXPECT_EQ(box().model().ShadeEntries[3].Hue, hue);
}

TEST_F(PickerTest, PaletteFilesThroughTheDialogs) {
    platform::test::TempDir dir;
    auto& ui = headless(rt);
    // Saved names: "mine." and "mine" become mine.axp; the ending test is case-sensitive.
    for (auto [typed, saved] : {std::pair{"mine.", "mine.axp"}, {"mine", "mine.axp"}, {"mine.AXP", "mine.AXP.axp"}}) {
        ui.chooseFile(dir.system(typed));
        box().DropPal.userChoose(3); // "Save Custom"
        EXPECT_EQ(dir.read(saved).size(), kPaletteFileSize) << typed;
        EXPECT_EQ(box().PalType(), "Custom");
    }
    // A longer file loads its first 32 records; a short one is refused with the message and changes nothing.
    PaletteRecords records;
    for (int k = 0; k < 32; ++k) {
        records[size_t(k)] = {rgbOf(k, k, k), 0, 0, k};
    }
    dir.file("long.axp", encodePalette(records) + "tail");
    ui.chooseFile(dir.system("long.axp"));
    box().LoadCustPal();
    EXPECT_EQ(box().model().CustomEntries[31].Color, rgbOf(31, 31, 31));
    dir.file("short.axp", encodePalette(records).substr(0, 500));
    records[0].Color = 12345;
    ui.chooseFile(dir.system("short.axp"));
    box().LoadCustPal();
    EXPECT_EQ(box().model().CustomEntries[0].Color, 0);
    const auto& lines = rt.trace().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "msgbox \"Glintwave SE\" \"An Error Occured When Attempting To Save The Current Custom "
                        "Palette\" 0"),
              lines.end());
    // The file on disk round-trips byte for byte through a load and a save.
    ui.chooseFile(dir.system("long.axp"));
    box().LoadCustPal();
    ui.chooseFile(dir.system("again.axp"));
    box().SaveCustPal();
    EXPECT_EQ(dir.read("again.axp"), encodePalette([] {
                  PaletteRecords r;
                  for (int k = 0; k < 32; ++k) {
                      r[size_t(k)] = {rgbOf(k, k, k), 0, 0, k};
                  }
                  return r;
              }()));
}

TEST_F(PickerTest, PaletteFilesAreReadOnlyAsFarAsAPaletteReaches) {
    // A huge file or an endless device loads its first 512 bytes; nothing reads the rest.
    platform::test::TempDir dir;
    auto& ui = headless(rt);
    PaletteRecords records;
    for (int k = 0; k < 32; ++k) {
        records[size_t(k)] = {rgbOf(k, 2 * k, 3 * k), 0, 0, k};
    }
    dir.file("huge.axp", encodePalette(records));
    std::filesystem::resize_file(dir.host("huge.axp"), std::uintmax_t{200} << 20); // sparse: no disk used
    struct Case {
        std::string file;
        std::int32_t colour31; // custom cell 31 afterwards
    } cases[] = {{dir.system("huge.axp"), rgbOf(31, 62, 93)}, {"C:\\dev\\zero", 0}};
    for (const Case& c : cases) {
        ui.chooseFile(c.file);
        box().LoadCustPal();
        EXPECT_EQ(box().model().CustomEntries[31].Color, c.colour31) << c.file;
    }
}

TEST_F(PickerTest, MoreColorsIsTitledForItsOwnDialog) {
    // The dialog object is shared with the palette files: a load before must not leave its title behind.
    platform::test::TempDir dir;
    auto& ui = headless(rt);
    dir.file("p.axp", std::string(512, '\0'));
    ui.chooseFile(dir.system("p.axp"));
    box().LoadCustPal();
    ui.cancelDialog();
    box().MorePal_Click();
    const auto& lines = rt.trace().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "dialog color \"\" -> cancel"), lines.end());
}

TEST_F(PickerTest, PropertiesPersistWithTheirDefaults) {
    box().setSelectedColor(rgbOf(0, 0, 255));
    const PropertyBag bag = box().WriteProperties();
    EXPECT_EQ(bag.names(), (std::vector<std::string>{"SelectedColor", "HTMLColor"}));
    Host other{rt, boxes};
    other.ColorBox.ReadProperties(bag);
    EXPECT_EQ(other.ColorBox.Text(), "Blue");
    EXPECT_EQ(other.ColorBox.model().ShadeEntries[3].Name, "Blue");
}

} // namespace
} // namespace glw::colour
