// Modal forms, the main loop, End, timers, popup menus and the common dialogs with real Qt loops.
#include "QtTestSupport.h"
#include "forms/CommonDialog.h"
#include "platform/WinPath.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

namespace glw::qt::testing {
namespace {

using LoopTest = QtFormTest;

// Runs `step` as soon as the next loop (a modal form, a menu, a dialog) is running.
void soon(std::function<void()> step) {
    QTimer::singleShot(0, qApp, std::move(step));
}

// Waits until `ready` holds, letting events run; false after a few seconds.
bool waitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 300 && !ready(); ++i) {
        QTest::qWait(10);
    }
    return ready();
}

class AskForm : public Form {
public:
    explicit AskForm(Runtime& runtime) : Form(runtime, "MsgForm") {
        Caption = "Closing";
        Width = 3000;
        Height = 1500;
        BorderStyle = 3;
        cmdOK.Caption = "OK";
        cmdOK.Move(900, 600, 1200, 375);
        cmdOK.Click = [this] {
            answered = true;
            Unload();
        };
    }
    CommandButton cmdOK{*this, "cmdOK"};
    bool answered = false;
};

class MainForm : public Form {
public:
    explicit MainForm(Runtime& runtime) : Form(runtime, "Form1") {
        Width = 4000;
        Height = 3000;
        cmdAsk.Caption = "Ask";
        cmdAsk.Move(120, 120, 1200, 375);
        cmdAsk.Click = [this] {
            order.push_back("before");
            AskForm box(this->runtime());
            box.Show(vbModal);
            order.push_back(box.answered ? "answered" : "closed");
        };
        cmdEnd.Caption = "Exit";
        cmdEnd.Move(120, 600, 1200, 375);
        cmdEnd.Click = [this] {
            order.push_back("end");
            this->runtime().End(3);
            order.push_back("after end"); // never runs
        };
        tmrPoll.Interval = 10;
        tmrPoll.Enabled = false;
        tmrPoll.TimerEvent = [this] {
            if (++ticks == 3) {
                tmrPoll.Enabled = false;
            }
        };
        mnuSupport.Visible = false;
        mnuWeb.Caption = "Visit Website Home";
        mnuEmail.Caption = "Email Support";
        mnuWeb.Click = [this] { order.push_back("web"); };
        mnuEmail.Click = [this] { order.push_back("email"); };
        cmdMenu.Caption = "Support";
        cmdMenu.Move(120, 1100, 1200, 375);
        cmdMenu.Click = [this] {
            PopupMenu(mnuSupport);
            order.push_back("after popup");
        };
        dlgFile.Move(0, 0, 0, 0);
    }
    CommandButton cmdAsk{*this, "cmdAsk"};
    CommandButton cmdEnd{*this, "cmdEnd"};
    CommandButton cmdMenu{*this, "cmdMenu"};
    Timer tmrPoll{*this, "tmrPoll"};
    Menu mnuSupport{*this, "mnuSupport"};
    Menu mnuWeb{*this, "mnuWeb", &mnuSupport};
    Menu mnuEmail{*this, "mnuEmail", &mnuSupport};
    CommonDialog dlgFile{*this, "dlgFile"};
    std::vector<std::string> order;
    int ticks = 0;
};

TEST_F(LoopTest, ModalFormRunsANestedLoopUntilItIsUnloaded) {
    auto& form = open<MainForm>();
    soon([this] {
        Form* box = runtime->activeModal();
        ASSERT_NE(box, nullptr);
        QWidget* window = driver->window(*box);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
        QTest::mouseClick(widget<QPushButton>(*box->findControl("cmdOK")), Qt::LeftButton);
    });
    QTest::mouseClick(widget<QPushButton>(form.cmdAsk), Qt::LeftButton);
    EXPECT_EQ(form.order, (std::vector<std::string>{"before", "answered"}));
    EXPECT_EQ(runtime->activeModal(), nullptr);
}

TEST_F(LoopTest, ClosingTheModalFormsWindowEndsItsLoop) {
    auto& form = open<MainForm>();
    soon([this] { driver->window(*runtime->activeModal())->close(); });
    QTest::mouseClick(widget<QPushButton>(form.cmdAsk), Qt::LeftButton);
    EXPECT_EQ(form.order, (std::vector<std::string>{"before", "closed"}));
}

TEST_F(LoopTest, MainLoopRunsUntilTheLastFormIsUnloaded) {
    auto& form = open<MainForm>();
    soon([this, &form] { driver->window(form)->close(); });
    driver->runMainLoop();
    EXPECT_FALSE(form.loaded());
    EXPECT_TRUE(runtime->forms().empty());
}

TEST_F(LoopTest, EndInAHandlerStopsTheHandlerAndEveryLoop) {
    auto& form = open<MainForm>();
    soon([this, &form] { QTest::mouseClick(widget<QPushButton>(form.cmdEnd), Qt::LeftButton); });
    driver->runMainLoop();
    EXPECT_EQ(endCode, 3);
    EXPECT_EQ(form.order, (std::vector<std::string>{"end"}));
    EXPECT_TRUE(runtime->ended());
}

TEST_F(LoopTest, EndInsideAModalFormUnwindsTheHandlerThatOpenedIt) {
    auto& form = open<MainForm>();
    soon([this] {
        Form* box = runtime->activeModal();
        ASSERT_NE(box, nullptr);
        driver->user("test", [this] { runtime->End(5); });
    });
    QTest::mouseClick(widget<QPushButton>(form.cmdAsk), Qt::LeftButton);
    EXPECT_EQ(endCode, 5);
    EXPECT_EQ(form.order, (std::vector<std::string>{"before"})); // the rest of cmdAsk_Click never ran
}

TEST_F(LoopTest, TimersTickThroughQtTimers) {
    auto& form = open<MainForm>();
    form.tmrPoll.Enabled = true;
    EXPECT_TRUE(waitFor([&] { return form.ticks == 3; }));
    QTest::qWait(50);
    EXPECT_EQ(form.ticks, 3); // stopped by its own handler
}

TEST_F(LoopTest, PopupMenuRunsTheChosenItemBeforeItReturns) {
    auto& form = open<MainForm>();
    soon([] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(popup->actions().size(), 2);
        EXPECT_EQ(popup->actions().at(1)->text(), "Email Support");
        popup->setActiveAction(popup->actions().at(1));
        QTest::keyClick(popup, Qt::Key_Return);
    });
    QTest::mouseClick(widget<QPushButton>(form.cmdMenu), Qt::LeftButton);
    EXPECT_EQ(form.order, (std::vector<std::string>{"email", "after popup"}));
}

TEST_F(LoopTest, OpenDialogTakesTitleFilterAndFolderAndAnswersASystemPath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::ofstream(dir.filePath("Clip.SWF").toStdString()) << "FWS";
    auto& form = open<MainForm>();
    form.dlgFile.DialogTitle = "Select a Flash movie";
    form.dlgFile.Filter = "Flash Movies (*.swf)|*.swf|All Files|*.*";
    form.dlgFile.InitDir = platform::toSystemPath(dir.path().toStdString());

    QStringList filters;
    QString title, folder;
    soon([&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        dialog->selectFile(dir.filePath("Clip.SWF"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name as the OK button does
    });
    runtime->userAction("open", [&] { form.dlgFile.ShowOpen(); });
    EXPECT_EQ(title, "Select a Flash movie");
    EXPECT_EQ(filters, (QStringList{"Flash Movies (*.swf)", "All Files (*)"}));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_TRUE(form.dlgFile.lastOk());
    EXPECT_EQ(form.dlgFile.FileName(), platform::toSystemPath(dir.filePath("Clip.SWF").toStdString()));
    EXPECT_EQ(form.dlgFile.FileTitle(), "Clip.SWF");
}

TEST_F(LoopTest, CancelledDialogsLeaveThePropertiesAlone) {
    auto& form = open<MainForm>();
    form.dlgFile.FileName = "C:\\old.swf";
    form.dlgFile.Color = rgb(1, 2, 3);
    soon([] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
    runtime->userAction("save", [&] { form.dlgFile.ShowSave(); });
    soon([] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->currentColor(), QColor(1, 2, 3));
        dialog->reject();
    });
    runtime->userAction("color", [&] { form.dlgFile.ShowColor(); });
    EXPECT_FALSE(form.dlgFile.lastOk());
    EXPECT_EQ(form.dlgFile.FileName(), "C:\\old.swf");
    EXPECT_EQ(form.dlgFile.Color(), rgb(1, 2, 3));
}

TEST_F(LoopTest, ScreenRectIsWhereTheWidgetIs) {
    auto& form = open<MainForm>();
    QWidget* button = widget<QPushButton>(form.cmdMenu);
    const PixelRect rect = driver->screenRect(form.cmdMenu);
    const QPoint topLeft = button->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(rect.left, topLeft.x());
    EXPECT_EQ(rect.top, topLeft.y());
    EXPECT_EQ(rect.right - rect.left, 80);
    EXPECT_EQ(rect.bottom - rect.top, 25);
}

} // namespace
} // namespace glw::qt::testing
