// The controls' VB semantics: events raised by values set from code as by users, lists, ranges, arrays.
#include "forms/Controls.h"
#include "forms/FileLists.h"
#include "forms/FlashPlayer.h"
#include "forms/Form.h"
#include "forms/ListView.h"
#include "forms/Runtime.h"
#include "platform/ServicesMemory.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace glw::forms;

namespace {

struct TestForm : Form {
    explicit TestForm(Runtime& rt) : Form(rt, "TestForm") {}
    Frame frameA{*this, "frameA"};
    ControlArray<OptionButton> optA{*this, "optA"};
    OptionButton optB{*this, "optB"};
    CheckBox chk{*this, "chk"};
    TextBox txt{*this, "txt"};
    ListBox lst{*this, "lst"};
    ComboBox cbo{*this, "cbo"};
    HScrollBar scr{*this, "scr"};
    ListView lv{*this, "lv"};
    FlashPlayer movie{*this, "movie"};
};

class ControlTest : public ::testing::Test {
protected:
    Runtime rt{Services{}};
    TestForm form{rt};
    std::vector<std::string> events;
    void SetUp() override {
        form.Load();
        for (int i = 0; i < 3; ++i) {
            form.optA.add(i).setContainer(&form.frameA);
        }
        form.optA.on(&OptionButton::Click, [this](int i) { events.push_back("optA(" + std::to_string(i) + ")"); });
        form.optB.Click = [this] { events.push_back("optB"); };
        form.chk.Click = [this] { events.push_back("chk"); };
        form.txt.Change = [this] { events.push_back("txt.Change"); };
        form.lst.Click = [this] { events.push_back("lst"); };
        form.cbo.Click = [this] { events.push_back("cbo.Click"); };
        form.cbo.Change = [this] { events.push_back("cbo.Change"); };
        form.scr.Change = [this] { events.push_back("scr"); };
    }
};

TEST_F(ControlTest, CheckBoxValueFromCodeRaisesClickOnlyWhenItChanges) {
    form.chk.Value = vbChecked;
    form.chk.Value = vbChecked;
    form.chk.userClick();
    EXPECT_EQ(form.chk.Value, vbUnchecked);
    EXPECT_EQ(events, (std::vector<std::string>{"chk", "chk"}));
    EXPECT_THROW(form.chk.Value = 5, glw::vb::RuntimeError);
}

TEST_F(ControlTest, OptionButtonClearsSiblingsOfItsContainerOnly) {
    form.optB.Value = true; // another container (the form)
    form.optA[1].Value = true;
    EXPECT_TRUE(form.optB.Value);
    form.optA[2].userClick();
    EXPECT_FALSE(form.optA[1].Value);
    EXPECT_TRUE(form.optA[2].Value);
    form.optA[2].Value = true; // already set: no second Click
    EXPECT_EQ(events, (std::vector<std::string>{"optB", "optA(1)", "optA(2)"}));
}

TEST_F(ControlTest, TextChangeOnCodeAndTypingAndKeyPressCanSwallowOrChangeKeys) {
    form.txt.Text = "ab";
    form.txt.Text = "ab";
    form.txt.KeyPress = [](int& k) {
        if (k == 'x') {
            k = 0;
        } else if (k == 'a') {
            k = 'A';
        }
    };
    form.txt.userType("xa");
    form.txt.userKeyPress(vbKeyBack);
    EXPECT_EQ(form.txt.Text(), "ab");
    EXPECT_EQ(events, (std::vector<std::string>{"txt.Change", "txt.Change", "txt.Change"}));
}

TEST_F(ControlTest, ListIndexRangeAndClickAndRemoval) {
    for (const char* s : {"a", "b", "c"}) {
        form.lst.AddItem(s);
    }
    form.lst.ListIndex = 2;
    form.lst.ListIndex = 2;
    EXPECT_EQ(form.lst.Text(), "c");
    EXPECT_THROW(form.lst.ListIndex = 3, glw::vb::RuntimeError);
    EXPECT_THROW(form.lst.ListIndex = -2, glw::vb::RuntimeError);
    form.lst.RemoveItem(0);
    EXPECT_EQ(form.lst.ListIndex, 1) << "the selection follows its entry";
    form.lst.RemoveItem(1);
    EXPECT_EQ(form.lst.ListIndex, -1);
    EXPECT_EQ(form.lst.List(7), "");
    form.lst.Clear();
    EXPECT_EQ(form.lst.ListCount(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"lst"}));
}

TEST_F(ControlTest, EmptyListRefusesIndexZero) {
    EXPECT_THROW(form.lst.ListIndex = 0, glw::vb::RuntimeError);
    form.lst.ListIndex = -1;
    EXPECT_TRUE(events.empty());
}

TEST_F(ControlTest, SortedListInsertsInCaseInsensitiveOrder) {
    form.lst.Sorted = true;
    for (const char* s : {"pear", "Apple", "banana"}) {
        form.lst.AddItem(s);
    }
    EXPECT_EQ(form.lst.items(), (std::vector<std::string>{"Apple", "banana", "pear"}));
}

TEST_F(ControlTest, ComboChoosingSetsTextWithoutChangeTypingRaisesChange) {
    form.cbo.AddItem("one");
    form.cbo.AddItem("two");
    form.cbo.userChoose(1);
    EXPECT_EQ(form.cbo.Text(), "two");
    form.cbo.userSetText("three");
    EXPECT_EQ(events, (std::vector<std::string>{"cbo.Click", "cbo.Change"}));
    form.cbo.Style = vbComboDropdownList;
    EXPECT_THROW(form.cbo.Text = "nine", glw::vb::RuntimeError);
    form.cbo.Text = "one";
    EXPECT_EQ(form.cbo.ListIndex, 0);
}

struct RangeCase {
    int min, max, value, expected;
};

TEST_F(ControlTest, ScrollValueStaysInsideRangeEvenWithMaxBelowMin) {
    const RangeCase cases[] = {{0, 10, 5, 5}, {0, 10, 11, 10}, {0, 10, -1, 0},
                               {10, 0, 3, 3}, {10, 0, 20, 10}, {0, 0, 4, 0}};
    for (const auto& c : cases) {
        form.scr.Min = c.min;
        form.scr.Max = c.max;
        form.scr.Value = c.value;
        EXPECT_EQ(form.scr.Value, c.expected) << c.min << ".." << c.max << " <- " << c.value;
    }
    events.clear();
    form.scr.Min = 0;
    form.scr.Max = 5;
    form.scr.Value = 5;
    form.scr.Max = 2; // pulls Value in: one Change
    EXPECT_EQ(form.scr.Value, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"scr", "scr"}));
}

TEST_F(ControlTest, ListViewKeysAreUniqueAndItemsKeepSubItems) {
    auto& item = form.lv.Add("ITEM1", "Text");
    item.setSubItems(2, "new");
    EXPECT_EQ(item.SubItems(2), "new");
    EXPECT_EQ(item.SubItems(3), "");
    EXPECT_THROW(form.lv.Add("ITEM1", "again"), glw::vb::RuntimeError);
    form.lv.Add("ITEM2", "Link");
    std::string clicked;
    form.lv.ItemClick = [&](ListItem& i) { clicked = i.Key(); };
    form.lv.userClickItem("ITEM2");
    EXPECT_EQ(clicked, "ITEM2");
    EXPECT_EQ(form.lv.SelectedItem()->Index(), 2);
    form.lv.Remove("ITEM1");
    EXPECT_EQ(form.lv.Item("ITEM2").Index(), 1);
    EXPECT_THROW(form.lv.Item("ITEM1"), glw::vb::RuntimeError);
}

TEST_F(ControlTest, ControlArrayMissingElementIsRunTimeError) {
    EXPECT_THROW(form.optA[7], glw::vb::RuntimeError);
    EXPECT_EQ(form.optA.UBound(), 2);
    auto& late = form.optA.add(3); // loaded at run time: bound handlers reach it too
    late.setContainer(&form.frameA);
    late.Value = true;
    EXPECT_EQ(events.back(), "optA(3)");
}

TEST_F(ControlTest, HidingAFrameHidesItsChildren) {
    form.frameA.Visible = false;
    EXPECT_FALSE(form.optA[0].effectivelyVisible());
    EXPECT_TRUE(form.optA[0].Visible);
    EXPECT_TRUE(form.optB.effectivelyVisible());
}

TEST_F(ControlTest, MovieControlRecordsAndAnswersSizeFromTheProbe) {
    auto probe = std::make_shared<glw::platform::MemoryMovieProbe>(MovieSize{550, 400});
    probe->setSize("/missing.swf", std::nullopt);
    rt.services().movieProbe = probe;
    form.movie.Movie = "C:\\clips\\a.swf?CWR=1&CWG=2";
    form.movie.Movie = "C:\\clips\\a.swf?CWR=1&CWG=2";
    form.movie.SetVariable("txtTitle", "Clipart");
    EXPECT_EQ(form.movie.TGetProperty("/", 8), "550");
    EXPECT_EQ(form.movie.TGetProperty("/", 9), "400");
    EXPECT_EQ(probe->probed().back(), "/clips/a.swf") << "the variables are not part of the path";
    form.movie.Movie = "C:\\missing.swf";
    EXPECT_EQ(form.movie.TGetProperty("/", 8), "0");
    EXPECT_EQ(form.movie.calls().size(), 4u) << "setting the same movie again reloads it";
    EXPECT_EQ(form.movie.variables().at("txtTitle"), "Clipart");
}

} // namespace

namespace {

// A folder list over a real folder tree: its open folders run from the root down to Path, and opening one
// of them by a negative index goes up.
TEST(DirListBoxTest, OpenFoldersLeadFromTheRootAndOpenUpwards) {
    namespace fs = std::filesystem;
    const fs::path top = fs::temp_directory_path() / ("glw-dirlist-" + std::to_string(::getpid()));
    fs::create_directories(top / "Clips" / "Stars");
    Runtime rt{Services{}};
    Form form(rt, "frmFolders");
    DirListBox dirs(form, "Dir1");
    int changes = 0;
    dirs.Change = [&changes] { ++changes; };
    const std::string clips = glw::platform::toSystemPath((top / "Clips").string());
    dirs.Path = clips;

    const std::vector<std::string> open = dirs.openFolders();
    ASSERT_GE(open.size(), 3u);
    EXPECT_EQ(open.front(), "C:\\");
    EXPECT_EQ(open.back(), clips);
    EXPECT_EQ(open[open.size() - 2], glw::platform::toSystemPath(top.string()));
    ASSERT_EQ(dirs.ListCount(), 1);

    changes = 0;
    dirs.userOpen(-1); // its own folder: nothing changes
    EXPECT_EQ(changes, 0);
    dirs.userOpen(-2); // the parent
    EXPECT_EQ(dirs.Path(), glw::platform::toSystemPath(top.string()));
    EXPECT_EQ(changes, 1);
    dirs.userOpen(-int(dirs.openFolders().size())); // the root
    EXPECT_EQ(dirs.Path(), "C:\\");
    EXPECT_EQ(dirs.openFolders(), std::vector<std::string>{"C:\\"});
    EXPECT_THROW(dirs.userOpen(-2), glw::vb::RuntimeError); // nothing above the root
    EXPECT_EQ(dirs.Path(), "C:\\");

    std::error_code ignored;
    fs::remove_all(top, ignored);
}

// A file list shows the files its pattern matches, never a folder whose name matches too nor a link to
// nothing; a hidden file only with Hidden.
TEST(FileListBoxTest, ListsMatchingFilesButNoFolders) {
    namespace fs = std::filesystem;
    const fs::path top = fs::temp_directory_path() / ("glw-filelist-" + std::to_string(::getpid()));
    fs::create_directories(top / "folder.swf");
    for (const char* name : {"b.swf", "A.SWF", "notes.txt", ".hidden.swf"}) {
        std::ofstream(top / name) << "FWS";
    }
    fs::create_symlink(top / "gone.swf", top / "dangling.swf");
    Runtime rt{Services{}};
    Form form(rt, "frmFiles");
    FileListBox files(form, "File1");
    files.Pattern = "*.swf";
    files.Path = glw::platform::toSystemPath(top.string());
    const auto listed = [&files] {
        std::vector<std::string> names;
        for (int i = 0; i < files.ListCount(); ++i) {
            names.push_back(files.List(i));
        }
        return names;
    };
    EXPECT_EQ(listed(), (std::vector<std::string>{"A.SWF", "b.swf"}));
    files.Hidden = true;
    files.Refresh();
    EXPECT_EQ(listed(), (std::vector<std::string>{".hidden.swf", "A.SWF", "b.swf"}));

    std::error_code ignored;
    fs::remove_all(top, ignored);
}

} // namespace
