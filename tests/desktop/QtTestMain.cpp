// The Qt tests' own main: a QApplication on the offscreen platform (unless one is named), so the tests run
// and are listed without a display; and the clipboard helper modes that the cross-process test starts.
#include "desktop/Desktop.h"
#include "desktop/QtClipboard.h"
#include "desktop/QtDriver.h"
#include "forms/Controls.h"
#include "forms/Form.h"

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// `glw_qt_tests --clipboard set TEXT HOLDER | get | clear`: one process of the cross-process clipboard test,
// run on the display the test started.
int clipboardMode(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string verb = argc > 2 ? argv[2] : "";
    glw::qt::QtClipboard clipboard(argc > 4 ? argv[4] : "");
    if (verb == "set" && argc > 3) {
        clipboard.setText(argv[3]);
        return 0; // the process ends at once, as a program handing back a reply does
    }
    if (verb == "get") {
        std::fputs(clipboard.getText().c_str(), stdout);
        return 0;
    }
    if (verb == "clear") {
        clipboard.clear();
        return 0;
    }
    return 2;
}

// A form whose button hands a reply over on the clipboard and ends the program, as the export dialog's
// hand-back does.
class ReplyForm : public glw::forms::Form {
public:
    ReplyForm(glw::forms::Runtime& runtime, std::string reply) : Form(runtime, "frmReply"), m_reply(std::move(reply)) {
        cmdBack.Move(120, 120, 1500, 375);
        cmdBack.Click = [this] {
            this->runtime().ClipboardSetText(m_reply);
            this->runtime().End(7);
        };
    }
    glw::forms::CommandButton cmdBack{*this, "cmdBack"};

private:
    std::string m_reply;
};

// `glw_qt_tests --end REPLY HOLDER`: the desktop driver's End with no handler: the process ends inside the
// click with the code of End (7); 99 means it did not end.
int endMode(int argc, char** argv) {
    glw::forms::Runtime runtime(glw::forms::Services{});
    auto driver = glw::qt::makeDesktopDriver(runtime, argc, argv);
    if (!driver) {
        return 98;
    }
    // The holder the test names, instead of the one beside this program.
    runtime.services().clipboard = std::make_shared<glw::qt::QtClipboard>(argc > 3 ? argv[3] : "");
    auto* qt = static_cast<glw::qt::QtDriver*>(driver.get());
    runtime.setDriver(std::move(driver));
    ReplyForm form(runtime, argc > 2 ? argv[2] : "");
    form.Show();
    QCoreApplication::processEvents();
    QTest::mouseClick(qt->widget(form.cmdBack), Qt::LeftButton);
    return 99;
}

// `glw_qt_tests --desktop`: prints whether makeDesktopDriver made a driver in this environment.
int desktopMode(int argc, char** argv) {
    glw::forms::Runtime runtime(glw::forms::Services{});
    auto driver = glw::qt::makeDesktopDriver(runtime, argc, argv);
    std::fputs(driver ? "driver" : "none", stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--clipboard") == 0) {
        return clipboardMode(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "--end") == 0) {
        return endMode(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "--desktop") == 0) {
        return desktopMode(argc, argv);
    }
    // gtest_discover_tests runs this program too, where no test environment reaches it.
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // The renderer's own tests look at the movie control's outline; the player has tests of its own.
    setenv("GLW_MOVIES", "outline", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
