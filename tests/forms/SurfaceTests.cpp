// User-drawn controls headless: what the surface records and rasterises, pointer capture, composite focus,
// keys, and the property bag.
#include "forms/Controls.h"
#include "forms/Form.h"
#include "forms/Runtime.h"
#include "forms/UserControl.h"

#include <gtest/gtest.h>

using namespace glw::forms;

namespace {

struct Composite : UserControl {
    Composite(Form& form, std::string name) : UserControl(form, std::move(name)) {
        place(*this, 10, 10, 40, 30);
        inner.setContainer(this);
        place(inner, 0, 0, 20, 20);
    }
    SurfacePicture inner{form(), name() + ".inner"};
};

struct SurfaceForm : Form {
    explicit SurfaceForm(Runtime& rt) : Form(rt, "SurfaceForm") { place(box, 0, 0, 20, 10); }
    SurfacePicture box{*this, "box"};
    Composite composite{*this, "composite"};
    TextBox txt{*this, "txt"};
};

class SurfaceTest : public ::testing::Test {
protected:
    Runtime rt{Services{}};
    SurfaceForm form{rt};
    void SetUp() override { form.Show(); }
};

TEST_F(SurfaceTest, BoxesLinesAndEdgesAreRecordedAndRasterised) {
    DrawSurface& s = form.box.Surface;
    EXPECT_EQ(s.clientRect().right, 20);
    EXPECT_EQ(s.clientRect().bottom, 10);
    form.box.Paint = [&] { s.Box({2, 2, 7, 6}, vbButtonFace, rgb(255, 0, 0)); };
    form.box.Refresh();
    ASSERT_EQ(s.ops().size(), 2u); // the clear, then the box
    EXPECT_EQ(s.ops()[1].kind, DrawOp::Kind::Box);
    EXPECT_EQ(s.ops()[1].colour, vbButtonFace);
    EXPECT_EQ(s.pixel(2, 2), rgb(212, 208, 200));               // outline, a system colour resolved
    EXPECT_EQ(s.pixel(3, 3), rgb(255, 0, 0));                   // inside
    EXPECT_EQ(s.pixel(6, 5), rgb(212, 208, 200));               // last outline pixel
    EXPECT_EQ(s.pixel(7, 6), resolveColor(form.box.BackColor)); // right and bottom are outside
    EXPECT_EQ(s.pixel(20, 0), -1);

    // A line leaves its end point out; the next line starts there.
    s.MoveTo(10, 1);
    s.LineTo(10, 4, rgb(0, 0, 255));
    s.LineTo(14, 4, rgb(0, 255, 0));
    EXPECT_EQ(s.pixel(10, 1), rgb(0, 0, 255));
    EXPECT_EQ(s.pixel(10, 3), rgb(0, 0, 255));
    EXPECT_EQ(s.pixel(10, 4), rgb(0, 255, 0));
    EXPECT_EQ(s.pixel(13, 4), rgb(0, 255, 0));
    EXPECT_NE(s.pixel(14, 4), rgb(0, 255, 0));

    // Edges: sunken all round, and an etched left side only (shadow column, then highlight).
    s.DrawEdge({0, 0, 20, 10}, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(s.pixel(0, 5), rgb(128, 128, 128));
    EXPECT_EQ(s.pixel(1, 5), rgb(64, 64, 64));
    EXPECT_EQ(s.pixel(19, 5), rgb(255, 255, 255));
    EXPECT_EQ(s.pixel(18, 5), rgb(212, 208, 200));
    s.DrawEdge({15, 1, 17, 9}, EDGE_ETCHED, BF_LEFT);
    EXPECT_EQ(s.pixel(15, 3), rgb(128, 128, 128));
    EXPECT_EQ(s.pixel(16, 3), rgb(255, 255, 255));
    EXPECT_EQ(s.ops().back().edge, EDGE_ETCHED);
}

TEST(ResolveColor, SystemColoursAndMasking) {
    EXPECT_EQ(resolveColor(vbButtonFace), rgb(212, 208, 200));
    EXPECT_EQ(resolveColor(vbWindowBackground), rgb(255, 255, 255));
    EXPECT_EQ(resolveColor(vbButtonText), 0);
    EXPECT_EQ(resolveColor(long(0x800000FF)), rgb(212, 208, 200)); // unknown index
    EXPECT_EQ(resolveColor(0x7F123456), 0x123456);                 // masked to 24 bits
    EXPECT_EQ(resolveColor(-1), rgb(212, 208, 200));               // the high bit marks a system colour
}

TEST_F(SurfaceTest, CaptureEndsAtButtonUpAndWhenTheFocusLeaves) {
    std::vector<std::string> seen;
    auto log = [&](const char* what) {
        return [&seen, what](int button, int shift, float x, float y) {
            seen.push_back(std::string(what) + " " + std::to_string(button) + " " + std::to_string(shift) + " " +
                           std::to_string(int(x)) + "," + std::to_string(int(y)));
        };
    };
    form.box.MouseDown = log("down");
    form.box.MouseMove = log("move");
    form.box.MouseUp = log("up");
    form.box.Surface.SetCapture();
    form.box.userMouseDown(vbLeftButton, vbShiftMask, 3, 4);
    form.box.userMouseMove(vbLeftButton, 0, -5, 40);
    EXPECT_TRUE(form.box.Surface.hasCapture());
    form.box.userMouseUp(vbLeftButton, vbCtrlMask, -5, 40);
    EXPECT_FALSE(form.box.Surface.hasCapture());
    EXPECT_EQ(seen, (std::vector<std::string>{"down 1 1 3,4", "move 1 0 -5,40", "up 1 2 -5,40"}));

    form.box.SetFocus();
    form.box.Surface.SetCapture();
    form.txt.SetFocus();
    EXPECT_FALSE(form.box.Surface.hasCapture());
}

TEST_F(SurfaceTest, CompositeFocusEntersOnceAndExits) {
    std::vector<std::string> seen;
    form.composite.EnterFocus = [&] { seen.push_back("enter"); };
    form.composite.ExitFocus = [&] { seen.push_back("exit"); };
    form.txt.SetFocus();
    form.composite.inner.SetFocus();
    form.composite.inner.Surface.SetCapture();
    form.composite.inner.SetFocus();         // inside to inside: no event
    EXPECT_FALSE(form.composite.canFocus()); // its constituent takes the focus for it
    form.txt.SetFocus();
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "exit"}));
    EXPECT_FALSE(form.composite.inner.Surface.hasCapture());
}

TEST_F(SurfaceTest, KeysReachTheFocusedSurface) {
    int code = 0;
    form.box.KeyDown = [&](int& KeyCode, int) { code = KeyCode; };
    form.box.SetFocus();
    form.userKeyDown(vbKeySpace, 0);
    EXPECT_EQ(code, vbKeySpace);
}

TEST(PropertyBag, DefaultsAreNotStored) {
    PropertyBag bag;
    bag.WriteProperty("Palette", 11L, 11L);
    bag.WriteProperty("BackColor", 5L, long(vbWindowBackground));
    bag.WriteProperty("PalType", std::string("Custom"), std::string("Normal"));
    bag.WriteProperty("Enabled", false, true);
    bag.WriteProperty("HTMLColor", std::string("#000000"));
    EXPECT_FALSE(bag.contains("Palette"));
    EXPECT_EQ(bag.names(), (std::vector<std::string>{"BackColor", "PalType", "Enabled", "HTMLColor"}));
    EXPECT_EQ(bag.ReadProperty("Palette", 11L), 11);
    EXPECT_EQ(bag.ReadProperty("BackColor", 0L), 5);
    EXPECT_EQ(bag.ReadProperty("PalType", std::string("Normal")), "Custom");
    EXPECT_FALSE(bag.ReadProperty("Enabled", true));
    EXPECT_EQ(bag.ReadProperty("PalType", 3L), 3); // another type: the default
    bag.WriteProperty("PalType", std::string("Normal"), std::string("Normal"));
    EXPECT_FALSE(bag.contains("PalType"));
}

} // namespace
