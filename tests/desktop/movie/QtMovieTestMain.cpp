// The player tests' own main: a QApplication on the offscreen platform unless one is named, so that the tests
// run, and are listed at build time, without a display.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // gtest_discover_tests runs this program too, where no test environment reaches it.
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Test programs are not in the application folder: they play with its copy of the Flash player.
    setenv("GLW_RUFFLE_DIR", GLW_APP_DIR "/ruffle", 0);
    // The posters the programs keep for their next run go to a cache of this run's own, not the user's.
    char cache[] = "/tmp/glw-movietests-XXXXXX";
    if (::mkdtemp(cache)) {
        setenv("XDG_CACHE_HOME", cache, 1);
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(cache, ignored);
    return result;
}
