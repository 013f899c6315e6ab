// The desktop clipboard: text round trips in the process, and under Xvfb text that a process sets just before
// it ends is still there for the next process (through the holder).
#include "desktop/QtClipboard.h"
#include "platform/HolderClipboard.h"
#include "support/Desktop.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glw::qt {
namespace {

TEST(ClipboardTest, TextRoundTripsAndClears) {
    QtClipboard clipboard(""); // no holder: the text stays in this process
    clipboard.setText("(GLWFPRetClip)[Exit]<GLWCODE>x</GLWCODE>\r\nsecond line");
    EXPECT_EQ(clipboard.getText(), "(GLWFPRetClip)[Exit]<GLWCODE>x</GLWCODE>\r\nsecond line");
    clipboard.clear();
    EXPECT_EQ(clipboard.getText(), "");
}

TEST(ClipboardTest, FontListHasTheDesktopsFamilies) {
    const auto names = QtFontList().names();
    EXPECT_FALSE(names.empty());
}

// This test program, which the cross-process tests start in its helper modes.
std::string selfPath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

// An X server of the test's own, on a display number the server picks itself.
using Xvfb = glw::test::XServer;

class CrossProcessClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
            GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb): the X clipboard cannot be tested";
        }
        m_xvfb = std::make_unique<Xvfb>();
        ASSERT_FALSE(m_xvfb->display().empty()) << "Xvfb did not start";
    }

    // Runs this test program in its clipboard mode on the test's display; returns what it printed.
    std::string run(const QStringList& arguments, int* exitCode = nullptr, bool clipboardMode = true) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromStdString(m_xvfb->display()));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(selfPath()),
                      clipboardMode ? QStringList{"--clipboard"} + arguments : arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        if (exitCode) {
            *exitCode = process.exitCode();
        }
        return process.readAllStandardOutput().toStdString();
    }

    const QString holder = QStringLiteral(GLW_APP_DIR "/glwclipholder");
    std::unique_ptr<Xvfb> m_xvfb;
};

TEST_F(CrossProcessClipboardTest, TextSetByAProcessThatEndedIsReadByTheNext) {
    const QString text = QString::fromUtf8("(GLWFPRetClip)[Exit]<GLWCODE><OBJECT></GLWCODE>\r\nCaf\u00e9");
    int code = -1;
    run({"set", text, holder}, &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(run({"get"}), text.toStdString());
    // Still there for a second reader: the holder keeps it until someone else takes the clipboard.
    EXPECT_EQ(run({"get"}), text.toStdString());

    run({"set", "newer", holder});
    EXPECT_EQ(run({"get"}), "newer");

    run({"clear"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(run({"get"}), "");
}

TEST_F(CrossProcessClipboardTest, AReplySetJustBeforeEndSurvivesTheProcess) {
    int code = -1;
    run({"--end", "(GLWFPRetClip)[Exit]", holder}, &code, false);
    EXPECT_EQ(code, 7); // End's code, from inside the click
    EXPECT_EQ(run({"get"}), "(GLWFPRetClip)[Exit]");
}

TEST_F(CrossProcessClipboardTest, WithoutTheHolderTheTextEndsWithItsProcess) {
    run({"set", "gone", ""});
    EXPECT_EQ(run({"get"}), "");
}

// A process without Qt (an add-in in its host) reaches the same X clipboard through the holder: what it sets
// a program with windows reads, what such a program set it reads after that program ended, and its clear
// empties the clipboard for everyone.
TEST_F(CrossProcessClipboardTest, AProcessWithoutQtSetsReadsAndClearsThroughTheHolder) {
    const char* before = std::getenv("DISPLAY");
    const std::string saved = before ? before : "";
    ::setenv("DISPLAY", m_xvfb->display().c_str(), 1);
    std::vector<std::string> logged;
    platform::HolderClipboard clipboard(holder.toStdString(), [&](const std::string& line) { logged.push_back(line); });
    EXPECT_TRUE(platform::HolderClipboard::usable(holder.toStdString()));

    const std::string request = "(WBLFPCommand)(@index.htm|Caf\xC3\xA9.htm@)[/site/]{GLWDATA}";
    clipboard.setText(request);
    EXPECT_EQ(run({"get"}), request) << "a program with windows reads the request";

    run({"set", "(GLWFPRetClip)[Exit]<GLWCODE>x</GLWCODE>", holder});
    EXPECT_EQ(clipboard.getText(), "(GLWFPRetClip)[Exit]<GLWCODE>x</GLWCODE>") << "the reply outlived its setter";
    EXPECT_EQ(clipboard.getText(), "(GLWFPRetClip)[Exit]<GLWCODE>x</GLWCODE>") << "reading leaves it there";

    clipboard.clear();
    EXPECT_EQ(run({"get"}), "");
    EXPECT_EQ(clipboard.getText(), "");
    EXPECT_TRUE(logged.empty()) << logged.front();

    // A display that cannot be reached: every call fails at once, says so in the log, and reads as no text.
    ::setenv("DISPLAY", ":59999", 1);
    clipboard.setText("lost");
    EXPECT_EQ(clipboard.getText(), "");
    EXPECT_EQ(logged.size(), 2u);

    ::unsetenv("DISPLAY");
    EXPECT_FALSE(platform::HolderClipboard::usable(holder.toStdString())) << "no display";
    ::setenv("DISPLAY", m_xvfb->display().c_str(), 1);
    EXPECT_FALSE(platform::HolderClipboard::usable("/nonexistent/glwclipholder"));
    EXPECT_FALSE(platform::HolderClipboard::usable(""));
    if (saved.empty()) {
        ::unsetenv("DISPLAY");
    } else {
        ::setenv("DISPLAY", saved.c_str(), 1);
    }
}

// Without a display the program runs headless; a display that cannot be reached says so instead of Qt's
// abort. Each case runs in a process of its own: a QApplication can be made only once.
TEST(DesktopDriverTest, IsMadeOnlyWhenADisplayCanBeReached) {
    struct Case {
        const char* display;
        const char* platform;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "none"},
        {":59999", nullptr, "none"}, // no X server there
        {nullptr, "offscreen", "driver"},
    };
    for (const auto& c : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        if (c.display) {
            environment.insert("DISPLAY", c.display);
        }
        if (c.platform) {
            environment.insert("QT_QPA_PLATFORM", c.platform);
        }
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(selfPath()), {"--desktop"});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << (c.display ? c.display : "no display");
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput().toStdString(), c.expected) << (c.display ? c.display : "-");
    }
}

} // namespace
} // namespace glw::qt
