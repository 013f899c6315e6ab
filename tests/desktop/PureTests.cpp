// The renderer's rules that need no window: filters, placement, movie frames, keys, list edits, colours.
#include "desktop/Colors.h"
#include "desktop/DialogFilter.h"
#include "desktop/Keys.h"
#include "desktop/Layout.h"
#include "desktop/ListSync.h"
#include "desktop/QtClipboard.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace glw::qt {
namespace {

// Qt names a family found under several foundries "Family [Foundry]"; the font list offers each family once,
// by the name fontconfig and the players know.
TEST(FontListTest, OffersPlainFamilyNamesOnce) {
    struct Case {
        std::vector<std::string> qt;
        std::vector<std::string> offered;
    };
    const Case cases[] = {
        {{"C059 [UKWN]", "C059 [urw]", "DejaVu Sans"}, {"C059", "DejaVu Sans"}},
        {{"Nimbus Roman", "Nimbus Sans [URW ]", "Nimbus Sans [UKWN]", "Nimbus Sans L"},
         {"Nimbus Roman", "Nimbus Sans", "Nimbus Sans L"}},
        {{"URW Bookman [urw]", "URW Bookman [UKWN]", "Liberation Sans"}, {"Liberation Sans", "URW Bookman"}},
        {{"liberation mono", "Liberation Sans", "Arial"}, {"Arial", "liberation mono", "Liberation Sans"}},
        // Brackets that are no foundry suffix stay.
        {{"[Bracketed]", "Odd [Name] Font", "Open ["}, {"[Bracketed]", "Odd [Name] Font", "Open ["}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plainFamilyNames(c.qt), c.offered);
    }
}

TEST(DialogFilterTest, ConvertsDescriptionPatternPairs) {
    struct Case {
        std::string vb;
        std::vector<std::string> qt;
    };
    const Case cases[] = {
        {"", {}},
        {"Flash Movies (*.swf)|*.swf", {"Flash Movies (*.swf)"}},
        {"Flash Movies|*.swf|All Files|*.*", {"Flash Movies (*.swf)", "All Files (*)"}},
        {"Pictures|*.jpg;*.jpeg", {"Pictures (*.jpg *.jpeg)"}},
        {"Pictures (*.jpg;*.jpeg)|*.jpg;*.jpeg", {"Pictures (*.jpg *.jpeg)"}},
        {"Old label (*.txt)|*.fpf", {"Old label (*.txt) (*.fpf)"}}, // the bracket is not the patterns: keep both
        {"|*.axp", {"*.axp (*.axp)"}},
        {"Palettes|", {"Palettes (*)"}},
        {"Text|*.txt|Dangling", {"Text (*.txt)"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toQtNameFilters(c.vb), c.qt) << c.vb;
    }
}

TEST(LayoutTest, PlacesControlsByTheirTwipsAndStacksTheUnplaced) {
    const std::vector<PlacementInput> inputs = {
        {Twips{150}, Twips{300}, Twips{1500}, Twips{450}, Pixels{50}, Pixels{20}}, // placed
        {Twips{0}, Twips{0}, Twips{0}, Twips{0}, Pixels{60}, Pixels{20}},          // unplaced
        {Twips{1500}, Twips{0}, Twips{0}, Twips{0}, Pixels{40}, Pixels{24}},       // placed, default size
        {Twips{0}, Twips{0}, Twips{0}, Twips{0}, Pixels{75}, Pixels{23}},          // unplaced
        {Twips{-150}, Twips{-16}, Twips{300}, Twips{300}, Pixels{1}, Pixels{1}},   // off the edge on purpose
    };
    const auto boxes = placeControls(inputs);
    EXPECT_EQ(boxes[0], (PixelBox{10, 20, 100, 30}));
    EXPECT_EQ(boxes[2], (PixelBox{100, 0, 40, 24}));
    EXPECT_EQ(boxes[4], (PixelBox{-10, -2, 20, 20}));
    EXPECT_EQ(boxes[1], (PixelBox{kFlowMargin, 50 + kFlowSpacing, 60, 20}));
    EXPECT_EQ(boxes[3], (PixelBox{kFlowMargin, 50 + kFlowSpacing + 20 + kFlowSpacing, 75, 23}));
    const PixelBox extent = flowExtent(inputs, boxes);
    EXPECT_EQ(extent.width, kFlowMargin + 75 + kFlowMargin);
    EXPECT_EQ(extent.height, boxes[3].bottom() + kFlowMargin);

    // A frame's caption band keeps flowed controls below it; placed controls alone never grow the form.
    const auto inFrame = placeControls({inputs[1]}, Pixels{18});
    EXPECT_EQ(inFrame[0].y, 18 + kFlowMargin);
    EXPECT_EQ(flowExtent({inputs[0]}, placeControls({inputs[0]})), PixelBox{});
}

TEST(LayoutTest, FitsTheMovieFrameByScaleMode) {
    struct Case {
        int scaleMode;
        int movieWidth, movieHeight;
        PixelBox frame; // in a 200 x 100 area
    };
    const Case cases[] = {
        {0, 100, 100, {50, 0, 100, 100}},                                         // show all: whole movie, centred
        {0, 400, 100, {0, 25, 200, 50}},       {1, 100, 100, {0, -50, 200, 200}}, // no border: fills, overflow cut
        {2, 100, 100, {0, 0, 200, 100}},                                          // exact fit
        {3, 50, 40, {75, 30, 50, 40}},                                            // no scale: own size, centred
        {3, 400, 300, {-100, -100, 400, 300}}, {0, 0, 0, {0, 0, 200, 100}},       // unknown size fills the area
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fitMovie(c.scaleMode, 200, 100, c.movieWidth, c.movieHeight), c.frame)
            << "mode " << c.scaleMode << " movie " << c.movieWidth << "x" << c.movieHeight;
    }
}

TEST(KeysTest, TranslatesQtKeysAsTheFormsSeeThem) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        VbKey expected;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, "a", {65, 0, 'a', false}},
        {Qt::Key_A, Qt::ShiftModifier, "A", {65, 1, 'A', false}},
        {Qt::Key_P, Qt::ControlModifier, "\x10", {80, 2, 0, false}}, // Ctrl keys type nothing
        {Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier, "", {49, 3, 0, false}},
        {Qt::Key_Exclam, Qt::ShiftModifier, "!", {49, 1, '!', false}}, // Shift+1 on the US layout
        {Qt::Key_Return, Qt::NoModifier, "\r", {13, 0, 13, false}},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", {13, 0, 13, false}},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", {27, 0, 27, false}},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", {8, 0, 8, false}},
        {Qt::Key_Tab, Qt::NoModifier, "\t", {9, 0, 0, false}},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", {46, 0, 0, false}},
        {Qt::Key_F1, Qt::NoModifier, "", {112, 0, 0, false}},
        {Qt::Key_5, Qt::KeypadModifier, "5", {101, 0, '5', false}},
        {Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), {0, 0, 0xE9, false}},
        {Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x20AC)), {0, 0, '?', true}},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text);
        const VbKey k = translateKey(event);
        EXPECT_EQ(k.keyCode, c.expected.keyCode) << c.key;
        EXPECT_EQ(k.shift, c.expected.shift) << c.key;
        EXPECT_EQ(k.ascii, c.expected.ascii) << c.key;
        EXPECT_EQ(k.wide, c.expected.wide) << c.key;
    }
}

TEST(ListSyncTest, FindsTheSmallestEdit) {
    using V = std::vector<std::string>;
    struct Case {
        V shown, wanted;
        ListEdit edit;
    };
    const Case cases[] = {
        {{}, {"a"}, {0, 0, 1}},
        {{"a", "b"}, {"a", "b", "c"}, {2, 0, 1}},      // AddItem at the end
        {{"a", "c"}, {"a", "b", "c"}, {1, 0, 1}},      // inserted in the middle (sorted list)
        {{"a", "b", "c"}, {"a", "c"}, {1, 1, 0}},      // RemoveItem
        {{"a", "b", "c"}, {"a", "x", "c"}, {1, 1, 1}}, // List(i) = ...
        {{"a", "a"}, {"a", "a", "a"}, {2, 0, 1}},      // repeated entries
        {{"a", "b"}, {}, {0, 2, 0}},                   // Clear
        {{"a", "b"}, {"a", "b"}, {2, 0, 0}},
    };
    for (const auto& c : cases) {
        const ListEdit e = diffLists(c.shown, c.wanted);
        EXPECT_EQ(e.first, c.edit.first);
        EXPECT_EQ(e.removeCount, c.edit.removeCount);
        EXPECT_EQ(e.insertCount, c.edit.insertCount);
    }
}

TEST(ColorsTest, ConvertsFormsColours) {
    EXPECT_EQ(fromVbColor(0x0000FF), QColor(255, 0, 0)); // red in the low byte
    EXPECT_EQ(fromVbColor(0xC08040), QColor(0x40, 0x80, 0xC0));
    EXPECT_EQ(toVbColor(QColor(0x40, 0x80, 0xC0)), 0xC08040);
    EXPECT_EQ(fromHtmlColor("#FF8000"), QColor(255, 128, 0));
    EXPECT_EQ(fromHtmlColor("ff8000"), QColor(255, 128, 0));
    EXPECT_FALSE(fromHtmlColor("#FF80"));
    EXPECT_FALSE(fromHtmlColor("#GG8000"));
    EXPECT_FALSE(fromHtmlColor(""));
}

} // namespace
} // namespace glw::qt
