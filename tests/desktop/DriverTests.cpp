// What a user does to the real widgets reaches the runtime as exactly one event, and what code sets shows in
// the widgets without coming back as a second event.
#include "QtTestSupport.h"
#include "forms/FileLists.h"
#include "forms/FlashPlayer.h"
#include "platform/WinPath.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace glw::qt::testing {
namespace {

using DriverTest = QtFormTest;

TEST_F(DriverTest, ClickingAnOptionRaisesOneClickAndClearsTheOthers) {
    auto& form = open<TestForm>();
    form.opt[0].Value = true;
    form.optionClicks.clear();

    QRadioButton* second = widget<QRadioButton>(form.opt[1]);
    ASSERT_NE(second, nullptr);
    QTest::mouseClick(second, Qt::LeftButton);

    EXPECT_EQ(form.optionClicks, (std::map<int, int>{{1, 1}}));
    EXPECT_TRUE(form.opt[1].Value());
    EXPECT_FALSE(form.opt[0].Value());
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(form.opt[0])->isChecked());

    // A click on the option that is already chosen changes nothing and raises nothing; the widget stays
    // checked although Qt's own radio button would have unchecked itself.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(form.optionClicks, (std::map<int, int>{{1, 1}}));
    EXPECT_TRUE(second->isChecked());
}

TEST_F(DriverTest, OptionsAreChildrenOfTheirFrame) {
    auto& form = open<TestForm>();
    auto* frame = widget<QGroupBox>(form.frmOptions);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "Browse What :");
    EXPECT_EQ(widget<QRadioButton>(form.opt[2])->parentWidget(), frame);
    // 15 twips to the pixel, measured from the frame.
    EXPECT_EQ(widget<QRadioButton>(form.opt[2])->geometry(), QRect(8, 73, 133, 20));
    form.frmOptions.Visible = false;
    EXPECT_FALSE(widget<QRadioButton>(form.opt[2])->isVisible());
}

TEST_F(DriverTest, TypingRaisesKeyPressAndChangeOncePerCharacter) {
    auto& form = open<TestForm>();
    QLineEdit* edit = widget<QLineEdit>(form.txtName);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    ASSERT_TRUE(form.txtName.hasFocus());

    QTest::keyClicks(edit, "abc");
    EXPECT_EQ(form.txtName.Text(), "abc");
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_EQ(form.keyPresses, 3);
    EXPECT_EQ(form.changes, 3);

    // The handler swallows '#': nothing changes in the runtime or the widget.
    QTest::keyClick(edit, '#');
    EXPECT_EQ(form.keyPresses, 4);
    EXPECT_EQ(form.changes, 3);
    EXPECT_EQ(edit->text(), "abc");

    // Typing inside the text goes in at the caret, still one KeyPress and one Change.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, 'X');
    EXPECT_EQ(form.txtName.Text(), "Xabc");
    EXPECT_EQ(edit->text(), "Xabc");
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_EQ(form.keyPresses, 5);
    EXPECT_EQ(form.changes, 4);

    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(form.txtName.Text(), "Xab");
    EXPECT_EQ(form.changes, 5);
}

TEST_F(DriverTest, ChoosingAListEntryRaisesOneClick) {
    auto& form = open<TestForm>();
    QListWidget* list = widget<QListWidget>(form.lstItems);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 4);
    const QRect rect = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());

    EXPECT_EQ(form.listClicks, 1);
    EXPECT_EQ(form.lstItems.ListIndex(), 2);
    EXPECT_EQ(form.lstItems.Text(), "gamma");
    EXPECT_TRUE(form.lstItems.hasFocus());

    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(form.listClicks, 2);
    EXPECT_EQ(form.lstItems.ListIndex(), 3);
}

TEST_F(DriverTest, KeyPreviewSeesKeysWhicheverControlHasTheFocus) {
    auto& form = open<TestForm>();
    widget<QLineEdit>(form.txtName)->setFocus();
    QTest::keyClick(widget<QLineEdit>(form.txtName), Qt::Key_P, Qt::ControlModifier);
    widget<QListWidget>(form.lstItems)->setFocus();
    QTest::keyClick(widget<QListWidget>(form.lstItems), Qt::Key_1, Qt::ControlModifier);
    widget<QPushButton>(form.cmdGo)->setFocus();
    QTest::keyClick(widget<QPushButton>(form.cmdGo), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);

    // The modifier keys raise their own KeyDown first (17 Ctrl, 16 Shift), as the original's keyboard does.
    std::vector<std::pair<int, int>> keys;
    for (const auto& key : form.keyDowns) {
        if (key.first != 16 && key.first != 17) {
            keys.push_back(key);
        }
    }
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{'P', 2}, {'1', 2}, {'E', 3}}));
    // A Ctrl key types nothing into the box.
    EXPECT_EQ(form.txtName.Text(), "");
    EXPECT_EQ(form.keyPresses, 0);
}

TEST_F(DriverTest, ClicksOnButtonsCheckBoxesAndLabelsRaiseOneClick) {
    auto& form = open<TestForm>();
    QTest::mouseClick(widget<QPushButton>(form.cmdGo), Qt::LeftButton);
    EXPECT_EQ(form.buttonClicks, 1);
    EXPECT_TRUE(form.cmdGo.hasFocus());

    QTest::mouseClick(widget<QCheckBox>(form.chkLoop), Qt::LeftButton);
    EXPECT_EQ(form.checkClicks, 1);
    EXPECT_EQ(form.chkLoop.Value(), vbChecked);
    EXPECT_TRUE(widget<QCheckBox>(form.chkLoop)->isChecked());

    QTest::mouseClick(widget<QLabel>(form.lblStatus), Qt::LeftButton);
    EXPECT_EQ(form.labelClicks, 1);
}

TEST_F(DriverTest, ScrollingAndComboChoicesRaiseOneEvent) {
    auto& form = open<TestForm>();
    QScrollBar* bar = widget<QScrollBar>(form.scrPage);
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form.scrPage.Value(), 1);
    EXPECT_EQ(form.scrollChanges, 1);

    QComboBox* combo = widget<QComboBox>(form.cboStyle);
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->isEditable());
    combo->setFocus();
    QTest::keyClicks(combo, "x");
    EXPECT_EQ(form.cboStyle.Text(), "x");
    EXPECT_EQ(form.comboChanges, 1);
    combo->activated(1); // as the drop-down emits it when the user picks the entry
    EXPECT_EQ(form.comboClicks, 1);
    EXPECT_EQ(form.cboStyle.Text(), "two");
    EXPECT_EQ(combo->currentText(), "two");
    EXPECT_EQ(form.comboChanges, 1); // choosing sets the text without Change
}

TEST_F(DriverTest, ListViewShowsColumnsAndReportsClicksAndChecks) {
    auto& form = open<TestForm>();
    QTreeWidget* tree = widget<QTreeWidget>(form.lvwItems);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->headerItem()->text(1), "Detected");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->text(1), "http://example.org/");
    EXPECT_EQ(tree->columnWidth(0), 80);

    const QRect row = tree->visualItemRect(tree->topLevelItem(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(row.center().x() + 40, row.center().y()));
    EXPECT_EQ(form.itemClicks, (std::vector<std::string>{"ITEM2"}));
    EXPECT_EQ(form.lvwItems.SelectedItem()->Key(), "ITEM2");

    tree->topLevelItem(0)->setCheckState(0, Qt::Checked); // what a click on the check box does
    EXPECT_EQ(form.itemChecks, (std::vector<std::string>{"ITEM1+"}));
    EXPECT_TRUE(form.lvwItems.Item("ITEM1").Checked());

    // Rows added and changed from code show at once and raise nothing.
    form.lvwItems.Add("ITEM3", "Image").setSubItems(1, "pic.jpg");
    form.lvwItems.Item("ITEM1").setChecked(false);
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(2)->text(1), "pic.jpg");
    EXPECT_EQ(tree->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(form.itemChecks.size(), 1u);
    form.lvwItems.Remove("ITEM2");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Image");
}

// Entries added in one turn of the event loop are shown once it ends, inserted in one go, with the mark set
// among them; nothing is done for each AddItem.
TEST_F(DriverTest, ListsFilledInOneTurnAreShownInOnePass) {
    auto& form = open<TestForm>();
    QListWidget* list = widget<QListWidget>(form.lstItems);
    QComboBox* combo = widget<QComboBox>(form.cboStyle);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(combo, nullptr);
    int listInserts = 0;
    int comboInserts = 0;
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] { ++listInserts; });
    QObject::connect(combo->model(), &QAbstractItemModel::rowsInserted, [&] { ++comboInserts; });

    form.lstItems.Clear();
    form.cboStyle.Clear();
    for (int i = 0; i < 2000; ++i) {
        form.lstItems.AddItem("entry " + std::to_string(i));
        form.cboStyle.AddItem("choice " + std::to_string(i));
        if (i == 1500) {
            form.lstItems.ListIndex = 1500;
            form.cboStyle.ListIndex = 1500;
        }
    }
    EXPECT_EQ(list->count(), 4) << "the list was redone for an AddItem";
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(listInserts, 0);

    settle();
    ASSERT_EQ(list->count(), 2000);
    EXPECT_EQ(list->item(1999)->text(), "entry 1999");
    EXPECT_EQ(list->currentRow(), 1500);
    EXPECT_EQ(listInserts, 1);
    ASSERT_EQ(combo->count(), 2000);
    EXPECT_EQ(combo->currentText(), "choice 1500");
    EXPECT_EQ(comboInserts, 1);
    EXPECT_EQ(form.listClicks, 1); // the runtime's own Click for the mark, and none from the widget
}

// A hidden list (the listing's lists of 10,000 clips) takes its entries when it shows, in one pass, with
// its mark among them.
TEST_F(DriverTest, AHiddenListTakesItsEntriesWhenItShows) {
    auto& form = open<TestForm>();
    QListWidget* list = widget<QListWidget>(form.lstItems);
    ASSERT_NE(list, nullptr);
    int inserts = 0;
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] { ++inserts; });
    form.lstItems.Visible = false;
    form.lstItems.Clear();
    for (int i = 0; i < 2000; ++i) {
        form.lstItems.AddItem("entry " + std::to_string(i));
    }
    form.lstItems.ListIndex = 1500;
    settle();
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(inserts, 0);

    form.lstItems.Visible = true;
    settle();
    ASSERT_EQ(list->count(), 2000);
    EXPECT_EQ(list->item(1999)->text(), "entry 1999");
    EXPECT_EQ(list->currentRow(), 1500);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(form.listClicks, 1); // the runtime's own Click for the mark, and none from the widget
}

// A value set from code shows in the widget at once; the runtime raises its own event for it (as the
// original does) and the widget's update raises no second one.
struct FromCodeCase {
    const char* name;
    std::function<void(TestForm&)> set;
    std::function<bool(DriverTest&, TestForm&)> shows;
    std::function<int(TestForm&)> events;
    int expectedEvents;
};

class FromCodeTest : public DriverTest, public ::testing::WithParamInterface<FromCodeCase> {};

TEST_P(FromCodeTest, ShowsAtOnceWithoutASecondEvent) {
    const FromCodeCase& c = GetParam();
    auto& form = open<TestForm>();
    c.set(form);
    EXPECT_TRUE(c.shows(*this, form));
    settle();
    EXPECT_EQ(c.events(form), c.expectedEvents);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FromCodeTest,
    ::testing::Values(
        FromCodeCase{"TextBoxText", [](TestForm& f) { f.txtName.Text = "hello"; },
                     [](DriverTest& test, TestForm& f) { return test.widget<QLineEdit>(f.txtName)->text() == "hello"; },
                     [](TestForm& f) { return f.changes; }, 1},
        FromCodeCase{
            "ListIndex", [](TestForm& f) { f.lstItems.ListIndex = 1; },
            [](DriverTest& test, TestForm& f) { return test.widget<QListWidget>(f.lstItems)->currentRow() == 1; },
            [](TestForm& f) { return f.listClicks; }, 1},
        FromCodeCase{"ListCleared",
                     [](TestForm& f) {
                         f.lstItems.ListIndex = 2;
                         f.lstItems.Clear();
                         f.lstItems.AddItem("only");
                     },
                     [](DriverTest& test, TestForm& f) {
                         auto* list = test.widget<QListWidget>(f.lstItems);
                         return list->count() == 1 && list->item(0)->text() == "only" && list->currentRow() == -1;
                     },
                     [](TestForm& f) { return f.listClicks; }, 1},
        FromCodeCase{"OptionValue", [](TestForm& f) { f.opt[2].Value = true; },
                     [](DriverTest& test, TestForm& f) {
                         return test.widget<QRadioButton>(f.opt[2])->isChecked() &&
                                !test.widget<QRadioButton>(f.opt[0])->isChecked();
                     },
                     [](TestForm& f) { return f.optionClicks[2]; }, 1},
        FromCodeCase{"CheckValue", [](TestForm& f) { f.chkLoop.Value = vbGrayed; },
                     [](DriverTest& test, TestForm& f) {
                         return test.widget<QCheckBox>(f.chkLoop)->checkState() == Qt::PartiallyChecked;
                     },
                     [](TestForm& f) { return f.checkClicks; }, 1},
        FromCodeCase{"ScrollValue", [](TestForm& f) { f.scrPage.Value = 7; },
                     [](DriverTest& test, TestForm& f) { return test.widget<QScrollBar>(f.scrPage)->value() == 7; },
                     [](TestForm& f) { return f.scrollChanges; }, 1},
        FromCodeCase{"ScrollRangeShrinks",
                     [](TestForm& f) {
                         f.scrPage.Value = 7;
                         f.scrPage.Max = 3;
                     },
                     [](DriverTest& test, TestForm& f) {
                         auto* bar = test.widget<QScrollBar>(f.scrPage);
                         return bar->maximum() == 3 && bar->value() == 3;
                     },
                     [](TestForm& f) { return f.scrollChanges; }, 2},
        FromCodeCase{
            "ComboIndex", [](TestForm& f) { f.cboStyle.ListIndex = 0; },
            [](DriverTest& test, TestForm& f) { return test.widget<QComboBox>(f.cboStyle)->currentText() == "one"; },
            [](TestForm& f) { return f.comboClicks + f.comboChanges; }, 1},
        FromCodeCase{"CaptionAndGeometry",
                     [](TestForm& f) {
                         f.cmdGo.Caption = "&Stop";
                         f.cmdGo.Move(150, 4800, 1500, 450);
                     },
                     [](DriverTest& test, TestForm& f) {
                         auto* button = test.widget<QPushButton>(f.cmdGo);
                         return button->text() == "&Stop" && button->geometry() == QRect(10, 320, 100, 30);
                     },
                     [](TestForm& f) { return f.buttonClicks; }, 0},
        FromCodeCase{"EnabledAndToolTip",
                     [](TestForm& f) {
                         f.cmdGo.Enabled = false;
                         f.cmdGo.ToolTipText = "Export";
                     },
                     [](DriverTest& test, TestForm& f) {
                         auto* button = test.widget<QPushButton>(f.cmdGo);
                         return !button->isEnabled() && button->toolTip() == "Export";
                     },
                     [](TestForm& f) { return f.buttonClicks; }, 0}),
    [](const ::testing::TestParamInfo<FromCodeCase>& param) { return std::string(param.param.name); });

TEST_F(DriverTest, FocusFromCodeAndFromClicksStaysInStep) {
    auto& form = open<TestForm>();
    EXPECT_TRUE(form.txtName.hasFocus()); // the first control that can take it, as the window opened
    EXPECT_TRUE(widget<QLineEdit>(form.txtName)->hasFocus());
    const int gotFocus = form.textGotFocus;

    form.lstItems.SetFocus();
    EXPECT_TRUE(widget<QListWidget>(form.lstItems)->hasFocus());
    QTest::mouseClick(widget<QLineEdit>(form.txtName), Qt::LeftButton);
    EXPECT_TRUE(form.txtName.hasFocus());
    EXPECT_EQ(form.textGotFocus, gotFocus + 1);
}

TEST_F(DriverTest, PictureButtonShowsItsJpegAsIcon) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("export.jpg");
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(path, "JPG"));

    auto& form = open<TestForm>();
    form.cmdGo.Move(6000, 600, 600, 300); // smaller than the picture: the icon shrinks to fit
    form.cmdGo.Picture = platform::Picture{platform::toSystemPath(path.toStdString()), 64, 32};
    QPushButton* button = widget<QPushButton>(form.cmdGo);
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_LE(button->iconSize().width(), 32);
    EXPECT_EQ(button->iconSize().width(), button->iconSize().height() * 2);
}

// A thumbnail cell: a movie control that takes the focus when clicked, which selects it.
class Cell : public FlashPlayer {
public:
    using FlashPlayer::FlashPlayer;
    bool canFocus() const override { return true; }
};

class MovieForm : public Form {
public:
    explicit MovieForm(Runtime& runtime) : Form(runtime, "frmMovie") {
        Width = 3000;
        Height = 3000;
        movie.Move(0, 0, 3000, 1500);
        for (int i = 0; i < 2; ++i) {
            cells.add(i).Move(i * 1500, 1500, 1500, 1500);
            cells[i].GotFocus = [this, i] { selected.push_back(i); };
        }
    }
    FlashPlayer movie{*this, "FlashDemo"};
    ControlArray<Cell> cells{*this, "FSel"};
    std::vector<int> selected;
};

TEST_F(DriverTest, ClickingAFocusableMovieSelectsIt) {
    auto& form = open<MovieForm>();
    form.selected.clear();
    QTest::mouseClick(driver->widget(form.cells[1]), Qt::LeftButton);
    QTest::mouseClick(driver->widget(form.cells[1]), Qt::LeftButton); // it has the focus already
    QTest::mouseClick(driver->widget(form.cells[0]), Qt::LeftButton);
    EXPECT_EQ(form.selected, (std::vector<int>{1, 0}));
    EXPECT_TRUE(form.cells[0].hasFocus());
    // A plain movie cannot be given the focus, but a click into it takes the focus from the control that
    // had it, as the player's own window does (a screen saver's text box loses it and the saver ends).
    QTest::mouseClick(driver->widget(form.movie), Qt::LeftButton);
    EXPECT_FALSE(form.cells[0].hasFocus());
    EXPECT_TRUE(form.movie.hasFocus());
    EXPECT_EQ(form.selected, (std::vector<int>{1, 0}));
}

TEST_F(DriverTest, MovieControlDrawsItsBackgroundAndTheMovieFrame) {
    movieProbe->setSize(MovieSize{100, 100});
    auto& form = open<MovieForm>();
    form.movie.BGColor = "#336699";
    form.movie.Movie = "C:\\clips\\Star.swf?CWR=1";
    ASSERT_EQ(movieProbe->probed().size(), 1u);
    EXPECT_EQ(movieProbe->probed()[0], platform::toHostPath("C:\\clips\\Star.swf"));

    QWidget* movie = driver->widget(form.movie);
    ASSERT_NE(movie, nullptr);
    const QImage picture = movie->grab().toImage();
    ASSERT_EQ(picture.size(), QSize(200, 100));
    // Show all: a 100 x 100 movie in 200 x 100 is the square in the middle; the sides are background.
    EXPECT_EQ(QColor(picture.pixel(10, 50)), QColor(0x33, 0x66, 0x99));
    EXPECT_NE(QColor(picture.pixel(60, 10)), QColor(0x33, 0x66, 0x99));

    // A movie that cannot be read leaves the control blank.
    movieProbe->setSize(std::nullopt);
    form.movie.Movie = "C:\\clips\\broken.swf";
    const QImage blank = movie->grab().toImage();
    EXPECT_EQ(QColor(blank.pixel(60, 10)), QColor(0x33, 0x66, 0x99));
}

TEST_F(DriverTest, ControlsLoadedAtRunTimeGetTheirWidget) {
    auto& form = open<TestForm>();
    OptionButton& added = form.opt.add(3);
    added.setContainer(&form.frmOptions);
    added.Caption = "Option 3";
    added.Move(120, 1500, 2000, 300);
    settle();
    QRadioButton* radio = widget<QRadioButton>(added);
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->text(), "Option 3");
    EXPECT_EQ(radio->parentWidget(), widget<QGroupBox>(form.frmOptions));
    QTest::mouseClick(radio, Qt::LeftButton);
    EXPECT_EQ(form.optionClicks[3], 1);

    form.opt.remove(3);
    settle();
    EXPECT_EQ(form.frmOptions.Visible(), true); // nothing else went with it
    EXPECT_NE(widget<QRadioButton>(form.opt[2]), nullptr);
}

// A form whose controls have no position: the renderer stacks them so that each can be seen.
class UnplacedForm : public Form {
public:
    explicit UnplacedForm(Runtime& runtime) : Form(runtime, "frmUnplaced") {
        Width = 1500;
        Height = 600;
        prompt.Caption = "Name:";
        ok.Caption = "OK";
    }
    Label prompt{*this, "prompt"};
    TextBox field{*this, "field"};
    CommandButton ok{*this, "ok"};
};

TEST_F(DriverTest, ControlsWithoutPositionAreStackedAndTheWindowGrowsToShowThem) {
    auto& form = open<UnplacedForm>();
    QWidget* prompt = driver->widget(form.prompt);
    QWidget* field = driver->widget(form.field);
    QWidget* ok = driver->widget(form.ok);
    EXPECT_EQ(prompt->pos(), QPoint(8, 8));
    EXPECT_EQ(field->y(), prompt->geometry().bottom() + 1 + 6);
    EXPECT_GT(ok->y(), field->geometry().bottom());
    QWidget* client = driver->window(form)->client();
    EXPECT_GE(client->height(), ok->geometry().bottom() + 8);
    EXPECT_GE(client->width(), 100);
}

class FolderForm : public Form {
public:
    explicit FolderForm(Runtime& runtime) : Form(runtime, "frmFolders") {
        Width = 3000;
        Height = 3000;
        Dir1.Move(120, 120, 2700, 2400);
        Dir1.Change = [this] { ++changes; };
    }
    DirListBox Dir1{*this, "Dir1"};
    int changes = 0;
};

// A double click on a row as a mouse delivers it: press, release, double-click, release.
void doubleClickRow(QListWidget& list, int row) {
    const QPoint at = list.visualItemRect(list.item(row)).center();
    QWidget* viewport = list.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dblClick);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

TEST_F(DriverTest, FolderListShowsNamesAndOpensAFolderOnDoubleClick) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("Clips/Stars");
    QDir(dir.path()).mkpath("Sounds");
    auto& form = open<FolderForm>();
    form.Dir1.Path = platform::toSystemPath(dir.path().toStdString());
    form.changes = 0;
    QListWidget* list = widget<QListWidget>(form.Dir1);
    ASSERT_NE(list, nullptr);
    // The open folders, root first, stand above the two sub-folders; the list's own folder is marked.
    const int lead = int(form.Dir1.openFolders().size());
    ASSERT_EQ(list->count(), lead + 2);
    EXPECT_EQ(list->item(0)->text(), "/");
    EXPECT_EQ(list->item(lead - 1)->text().trimmed(), QDir(dir.path()).dirName());
    EXPECT_EQ(list->currentRow(), lead - 1);
    EXPECT_EQ(list->item(lead)->text().trimmed(), "Clips");

    doubleClickRow(*list, lead);
    EXPECT_EQ(form.changes, 1);
    EXPECT_EQ(form.Dir1.Path(), platform::toSystemPath(dir.filePath("Clips").toStdString()));
    ASSERT_EQ(list->count(), lead + 2);
    EXPECT_EQ(list->item(lead + 1)->text().trimmed(), "Stars");

    // A double click on the folder above goes back up.
    doubleClickRow(*list, lead - 1);
    EXPECT_EQ(form.changes, 2);
    EXPECT_EQ(form.Dir1.Path(), platform::toSystemPath(dir.path().toStdString()));
    ASSERT_EQ(list->count(), lead + 2);
    EXPECT_EQ(list->item(lead)->text().trimmed(), "Clips");
}

} // namespace
} // namespace glw::qt::testing

namespace glw::qt::testing {
namespace {

// Movie cells loaded after every member exists, with a marker and a panel declared after their array.
class StackForm : public Form {
public:
    explicit StackForm(Runtime& runtime) : Form(runtime, "StackForm") {
        Width = 6000;
        Height = 4000;
        for (int i = 0; i < 2; ++i) {
            cells.add(i).Move(i * 1500, 0, 1500, 1500);
        }
        marker.Move(0, 1400, 1500, 100);
        panel.Move(600, 600, 2400, 1500);
        lblNote.Move(3000, 2400, 2400, 900);
    }
    ControlArray<FlashPlayer> cells{*this, "cells"};
    PictureBox marker{*this, "marker"};
    PictureBox panel{*this, "panel"};
    Label lblNote{*this, "lblNote"};
};

// The widget's position among its siblings, back to front.
int stackIndex(QWidget* widget) {
    const QObjectList& siblings = widget->parentWidget()->children();
    int at = 0;
    for (QObject* sibling : siblings) {
        if (sibling == widget) {
            return at;
        }
        at += sibling->isWidgetType() ? 1 : 0;
    }
    return -1;
}

TEST_F(DriverTest, WidgetsStackInDesignOrderAndFollowZOrder) {
    auto& form = open<StackForm>();
    QWidget* cell = driver->widget(form.cells[1]);
    QWidget* marker = driver->widget(form.marker);
    QWidget* panel = driver->widget(form.panel);
    ASSERT_TRUE(cell && marker && panel);
    EXPECT_LT(stackIndex(cell), stackIndex(marker));
    EXPECT_LT(stackIndex(marker), stackIndex(panel));
    // What the user sees at a point the panel covers is the panel.
    QWidget* window = driver->window(form);
    const QPoint inPanel = panel->mapTo(window, QPoint(5, 5));
    EXPECT_EQ(window->childAt(inPanel), panel);

    runtime->userAction("zorder", [&] { form.panel.ZOrder(1); });
    settle();
    EXPECT_LT(stackIndex(panel), stackIndex(cell));
    runtime->userAction("zorder", [&] { form.cells[0].ZOrder(0); });
    settle();
    EXPECT_GT(stackIndex(driver->widget(form.cells[0])), stackIndex(marker));
}

TEST_F(DriverTest, LabelsBreakLinesAtCrLfAndCrLf) {
    auto& form = open<StackForm>();
    const std::pair<const char*, const char*> cases[] = {
        {"one\r\rtwo", "one\n\ntwo"},
        {"one\ntwo", "one\ntwo"},
        {"one\r\ntwo\rthree", "one\ntwo\nthree"},
        {"&Save\r", "Save\n"},
    };
    for (const auto& [caption, shown] : cases) {
        form.lblNote.Caption = caption;
        EXPECT_EQ(widget<QLabel>(form.lblNote)->text(), QString::fromUtf8(shown)) << caption;
    }
}

} // namespace
} // namespace glw::qt::testing
