// The player tests' own main: a QApplication on the offscreen platform unless one is named, so that the tests
// run, and are listed at build time, without a display.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // gtest_discover_tests runs this program too, where no test environment reaches it.
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Test programs are not in the application folder: they play with its copy of the Flash player.
    setenv("GLW_RUFFLE_DIR", GLW_APP_DIR "/ruffle", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
