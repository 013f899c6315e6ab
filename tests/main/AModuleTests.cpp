// The main program's shared procedures: file names, copies, pop-up placement, random names and the link
// chooser's call.
#include "LibraryTestSupport.h"
#include "main/AModuleProcedures.h"

#include <filesystem>

namespace glw::main::test {
namespace {

TEST(FileNameFromPath, OnlyTheBackslashSeparates) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a\\b.swf", "b.swf"},
        {"b.swf", "b.swf"},
        {"C:\\a\\", ""},
        {"", ""},
        {"imports/x.gwi", "imports/x.gwi"},
        {"C:\\a/b\\c/d.swf", "c/d.swf"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(FileNameFromPath(path), name) << path;
    }
}

class AModuleProcedures : public LibraryApp {};

TEST_F(AModuleProcedures, PopUpsArePlacedAboveTheirButton) {
    start();
    forms::Form owner(*rt, "Owner");
    forms::CommandButton button(owner, "button");
    forms::Label label(owner, "label");
    button.Move(100 * 15, 200 * 15, 300, 300); // its window starts at screen pixel (100, 200)
    forms::Form popup(*rt, "Popup");
    popup.Width = 4000;
    popup.Height = 3000;
    PlaceFormAboveControl(popup, button);
    EXPECT_EQ(popup.Left, 1500);
    EXPECT_EQ(popup.Top, 15);
    PlaceFormAboveLeftOfControl(popup, button);
    EXPECT_EQ(popup.Left, -2500);
    EXPECT_EQ(popup.Top, 15);
    EXPECT_EQ(popup.Width, 4000);
    EXPECT_EQ(popup.Height, 3000);
    try {
        PlaceFormAboveControl(popup, label);
        ADD_FAILURE() << "a label has no window";
    } catch (const vb::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 438);
    }
}

// The link chooser opens beside the button that asked: below it, above it when the screen ends below, and
// never past the screen's edge (the headless screen is 1024 x 768 pixels).
TEST_F(AModuleProcedures, ADialogOpensBesideItsButtonAndStaysOnTheScreen) {
    start();
    forms::Form owner(*rt, "Owner");
    forms::CommandButton button(owner, "button");
    forms::Form dialog(*rt, "Dialog");
    dialog.Width = 4000;
    dialog.Height = 3000;
    struct Case {
        int x, y;      // the button's pixel on the screen
        int left, top; // the dialog's place, in twips
    };
    const Case cases[] = {
        {100, 200, 1500, 3300},              // below, left edges lined up
        {100, 700, 1500, 700 * 15 - 3000},   // no room below: above
        {1000, 200, 1024 * 15 - 4000, 3300}, // kept inside the right edge
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        button.Move(c.x * 15, c.y * 15, 300, 300);
        PlaceFormBesideControl(dialog, button);
        EXPECT_EQ(dialog.Left, c.left);
        EXPECT_EQ(dialog.Top, c.top);
    }
}

TEST(MakeRandomName, OrderFollowsTheFirstDraw) {
    // H = 9, S = 5, r1 = 42, r2 = 7; the first draw picks the order.
    const std::pair<int, const char*> cases[] = {{10, "94257"}, {30, "95427"}, {60, "42957"}, {90, "94275"}};
    for (const auto& [n, expected] : cases) {
        forms::Services services;
        auto random = std::make_shared<platform::SequenceRandom>(
            std::vector<float>{(float(n) + 0.5f) / 99.0f, 42.5f / 99.0f, 7.5f / 99.0f});
        services.random = random;
        services.clock = std::make_shared<platform::FixedClock>(platform::FixedClock::localTime(2024, 3, 1, 9, 30, 5));
        forms::Runtime runtime(services);
        EXPECT_EQ(MakeRandomName(runtime), expected) << n;
        EXPECT_EQ(random->seeds().size(), 1u) << "every call reseeds";
    }
}

TEST(MakeRandomName, FourToEightDigits) {
    forms::Services services;
    services.random = std::make_shared<platform::SequenceRandom>(
        std::vector<float>{0.0f, 0.0f, 0.0f, 0.99999994f, 0.99999994f, 0.99999994f});
    for (int hour : {0, 23}) {
        services.clock =
            std::make_shared<platform::FixedClock>(platform::FixedClock::localTime(2024, 3, 1, hour, 0, hour ? 59 : 0));
        forms::Runtime runtime(services);
        for (int i = 0; i < 2; ++i) {
            const std::string name = MakeRandomName(runtime);
            EXPECT_GE(name.size(), 4u) << name;
            EXPECT_LE(name.size(), 8u) << name;
            EXPECT_EQ(name.find_first_not_of("0123456789"), std::string::npos) << name;
        }
    }
}

TEST_F(AModuleProcedures, CopyFileIntoFolderReplacesAndReportsFailures) {
    start();
    app.file("src/clip.swf", "new");
    app.file("dest/clip.swf", "old");
    EXPECT_TRUE(CopyFileIntoFolder(*program, sys("src\\clip.swf"), sys("dest")));
    EXPECT_EQ(app.read("dest/clip.swf"), "new");
    EXPECT_TRUE(CopyFileIntoFolder(*program, sys("src\\clip.swf"), sys("fresh")));
    EXPECT_EQ(app.read("fresh/clip.swf"), "new");
    EXPECT_TRUE(boxes.empty());

    answerBox();
    EXPECT_FALSE(CopyFileIntoFolder(*program, sys("src\\missing.swf"), sys("dest")));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Glintwave SE|An error occured copying the file " +
                                 platform::toDisplayPath(sys("src\\missing.swf")) + ".  ",
                             0),
              0u)
        << boxes[0];
}

TEST_F(AModuleProcedures, APICopyTrimsAndNeverEmptiesAFileCopiedOntoItself) {
    app.file("a.swf", "movie");
    EXPECT_TRUE(APICopy("  " + sys("a.swf") + " ", sys("b.swf") + "  "));
    EXPECT_EQ(app.read("b.swf"), "movie");
    EXPECT_TRUE(APICopy(sys("a.swf"), sys("A.SWF")));
    EXPECT_EQ(app.read("a.swf"), "movie");
    EXPECT_FALSE(APICopy(sys("missing.swf"), sys("c.swf")));
    EXPECT_FALSE(app.exists("c.swf"));
}

TEST_F(AModuleProcedures, AskForUrlGivesWhatACancelledChooserGives) {
    start();
    program->aModule.LinkURL = "http://example.com/old";
    ASSERT_TRUE(forms::headless(*rt).queueScript("click frmURL.Command3").ok());
    EXPECT_EQ(AskForURL(*program), "");
    EXPECT_EQ(program->aModule.LinkURL, "");
}

} // namespace
} // namespace glw::main::test
