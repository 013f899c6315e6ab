// The library in a real window (an Xvfb of the test's own with openbox), driven with xdotool as a user
// drives it: a click on a thumbnail always selects it, whatever page changes came before, so Remove deletes
// the clip that was clicked; a drag of the page bar's thumb ends with the cells on the bar's page; the
// delete question is a dialog of the main window that cannot be minimised. Screenshots go to
// <build>/screenshots/.
#include "LibraryTestSupport.h"
#include "support/Desktop.h"
#include "support/Process.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const glw::test::Image::Pixel kMarker{0, 0, 160};

// Where things are in the main window's client area, in pixels (Form1's design).
struct Point {
    int x, y;
};
Point cellCentre(int cell) {
    return {236 + 4 + (cell % 4) * 119 + 58, 46 + 20 + (cell / 4) * 126 + 58};
}
// A pixel of the selection marker when it lies under the cell.
Point markerPixel(int cell) {
    return {236 + 4 + (cell % 4) * 119 + 58, 46 + 20 + (cell / 4) * 126 + 114};
}
constexpr Point kBarRightArrow{236 + 480 - 7, 459};
constexpr Point kRemove{118, 506};
constexpr Point kYes{96, 120}; // in the delete question

class LibraryDesktop : public ::testing::Test {
protected:
    platform::test::TempDir base;
    std::unique_ptr<glw::test::XServer> x;
    std::unique_ptr<glw::test::BackgroundProcess> program;
    std::string window;

    void SetUp() override {
        if (!fs::exists(std::string(GLW_APP_DIR) + "/ruffle/glwplayer.txt")) {
            GTEST_SKIP() << "the Flash player is not installed (scripts/setup-ruffle)";
        }
        if (!fs::exists(std::string(GLW_APP_DIR) + "/glwclipholder")) {
            GTEST_SKIP() << "the desktop front end is not built";
        }
        if (const std::string missing = glw::test::missingDesktopTool(); !missing.empty()) {
            GTEST_SKIP() << missing << " is not installed";
        }
        for (const char* folder : {"app/Working", "app/Resource", "tmp", "config", "data", "home"}) {
            base.folder(folder);
        }
        fs::copy_file(std::string(GLW_APP_DIR) + "/glwclipart", base.host("app/glwclipart"));
        fs::permissions(base.host("app/glwclipart"), fs::perms::owner_exec, fs::perm_options::add);
        // The Flash player travels in the application folder, beside the program.
        fs::copy(std::string(GLW_APP_DIR) + "/ruffle", base.host("app/ruffle"), fs::copy_options::recursive);
        base.file("app/blank.swf", tinySwf(kBlankWidth, kBlankHeight));
        base.file("app/Resource/titlebar.swf", tinySwf(200, 20));
        fs::create_directories(screenshots());
    }

    // `n` clips named <prefix>NNNN.swf in the category, each of its own size.
    void category(const std::string& name, int n, const std::string& prefix) {
        for (int i = 1; i <= n; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "%s%04d.swf", prefix.c_str(), i);
            base.file("app/CLTemplates/" + name + "/" + file, tinySwf(100 + i % 200, 50 + i % 100));
        }
    }

    void start() {
        x = std::make_unique<glw::test::XServer>(1280, 1024);
        ASSERT_FALSE(x->display().empty()) << "Xvfb did not start";
        ASSERT_TRUE(x->startWindowManager()) << "openbox did not start";
        program =
            std::make_unique<glw::test::BackgroundProcess>(base.host("app/glwclipart"), std::vector<std::string>{},
                                                           std::map<std::string, std::string>{
                                                               {"GLW_UI", ""},
                                                               {"GLW_SCRIPT", ""},
                                                               {"DISPLAY", x->display()},
                                                               {"QT_QPA_PLATFORM", "xcb"},
                                                               {"GLW_TRACE", base.host("trace.txt")},
                                                               {"TMPDIR", base.host("tmp")},
                                                               {"XDG_CONFIG_HOME", base.host("config")},
                                                               {"XDG_DATA_HOME", base.host("data")},
                                                               {"HOME", base.host("home")},
                                                           },
                                                           base.host("output.txt"));
        window = x->waitForWindow("Glintwave SE Flash Browser/Transformer");
        ASSERT_FALSE(window.empty()) << base.read("output.txt");
    }

    static std::string screenshots() { return std::string(GLW_BINARY_DIR) + "/screenshots"; }
    static std::string screenshot(const std::string& name) { return screenshots() + "/" + name + ".png"; }

    std::vector<std::string> trace() const { return glw::test::readLines(base.host("trace.txt")); }
    // The end of the trace and the program's output, for failure messages.
    std::string story() const {
        const auto lines = trace();
        std::string text;
        for (std::size_t i = lines.size() > 30 ? lines.size() - 30 : 0; i < lines.size(); ++i) {
            text += lines[i] + "\n";
        }
        return text + base.read("output.txt");
    }

    // The clip each cell shows last by the trace ("" for the empty movie or none yet).
    std::vector<std::string> cellsByTrace() const {
        std::vector<std::string> cells(12);
        for (const std::string& line : trace()) {
            for (int i = 0; i < 12; ++i) {
                const std::string head = "movie Form1.FSel(" + std::to_string(i) + ") \"Movie=";
                if (line.rfind(head, 0) == 0) {
                    const std::string path = line.substr(head.size(), line.size() - head.size() - 1);
                    cells[std::size_t(i)] = path.find("blank.swf") != std::string::npos ? "" : path;
                }
            }
        }
        return cells;
    }
    // The bar's page by the trace: the last value the user moved it to; -1 before any.
    int barPageByTrace() const {
        int page = -1;
        const std::string head = "scroll Form1.scrTemplates ";
        for (const std::string& line : trace()) {
            if (line.rfind(head, 0) == 0) {
                page = std::stoi(line.substr(head.size()));
            }
        }
        return page;
    }
    // The file name each cell of `page` must show for clips <prefix>0001 ... <prefix>NNNN (in `names`).
    static std::vector<std::string> expectedCells(const std::vector<std::string>& names, int page) {
        std::vector<std::string> cells(12);
        for (int i = 0; i < 12; ++i) {
            const std::size_t entry = std::size_t(page * 12 + i);
            cells[std::size_t(i)] = entry < names.size() ? names[entry] : "";
        }
        return cells;
    }
    static std::vector<std::string> fileNames(const std::vector<std::string>& paths) {
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            names.push_back(path.empty() ? "" : path.substr(path.find_last_of('\\') + 1));
        }
        return names;
    }
    std::vector<std::string> listing(const std::string& category) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(base.host("app/CLTemplates/" + category))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static bool waitFor(const std::function<bool()>& condition, int timeoutSeconds = 30) {
        const auto end = Clock::now() + std::chrono::seconds(timeoutSeconds);
        while (Clock::now() < end) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return condition();
    }
    // Waits until the trace has not grown for `quietSeconds` (the program has stopped changing the cells).
    void waitForQuiet(int quietSeconds = 2, int timeoutSeconds = 60) const {
        auto size = trace().size();
        auto since = Clock::now();
        const auto end = Clock::now() + std::chrono::seconds(timeoutSeconds);
        while (Clock::now() < end && Clock::now() - since < std::chrono::seconds(quietSeconds)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (const auto now = trace().size(); now != size) {
                size = now;
                since = Clock::now();
            }
        }
    }
    bool cellsShow(const std::string& category, int page) const {
        return fileNames(cellsByTrace()) == expectedCells(listing(category), page);
    }

    // Moves the mouse to the point of the window (xdotool translates it: the window manager's frame is not
    // counted the same way by every query of the geometry).
    void moveTo(const std::string& in, Point p) const {
        x->xdotool({"mousemove", "--window", in, "--sync", std::to_string(p.x), std::to_string(p.y)});
    }
    void click(Point p) const {
        moveTo(window, p);
        x->xdotool({"click", "1"});
    }
    // Grabs the main window until the marker lies under the cell; false when it never does.
    bool markerUnder(int cell, const std::string& shot) const {
        const Point p = markerPixel(cell);
        auto image = x->grabUntil(window, screenshot(shot), 20,
                                  [&](const glw::test::Image& i) { return i.near(p.x, p.y, kMarker, 30); });
        return image && image->near(p.x, p.y, kMarker, 30);
    }
    std::string xprop(const std::string& id, const std::vector<std::string>& names) const {
        std::vector<std::string> args{"xprop", "-id", id};
        args.insert(args.end(), names.begin(), names.end());
        return glw::test::runProcess("/usr/bin/env", args, {{"DISPLAY", x->display()}}, 20).output;
    }
    bool visible(const std::string& title) const {
        return !x->xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).empty();
    }
    // Remove Selected, then Yes in the question. With `minimiseFirst`, the question is minimised first: it
    // must take the main window with it and come back with it. Gives the question's window properties.
    std::string removeSelected(bool minimiseFirst = false) {
        click(kRemove);
        const std::string box = x->waitForWindow("Glintwave SE");
        EXPECT_FALSE(box.empty()) << "no delete question";
        if (box.empty()) {
            return {};
        }
        const std::string properties = xprop(box, {"WM_TRANSIENT_FOR", "_NET_WM_ALLOWED_ACTIONS"});
        x->grab(box, screenshot("library-delete-question"));
        if (minimiseFirst) {
            x->xdotool({"windowminimize", "--sync", box});
            EXPECT_TRUE(waitFor([&] { return xprop(window, {"WM_STATE"}).find("Iconic") != std::string::npos; }, 10))
                << "the main window stayed while its question was minimised: " << xprop(window, {"WM_STATE"});
            x->xdotool({"windowactivate", window});
            EXPECT_TRUE(waitFor([&] { return visible("Glintwave SE"); }, 10))
                << "the question did not come back with the main window";
            EXPECT_EQ(x->waitForWindow("Glintwave SE", 10), box);
        }
        moveTo(box, kYes);
        x->xdotool({"click", "1"});
        EXPECT_TRUE(waitFor([&] { return !visible("Glintwave SE"); }, 10)) << "the question did not close";
        return properties;
    }
    // Presses the page bar at `from`, moves the mouse in `moves` steps to `to` and releases there.
    void drag(Point from, Point to, int moves, std::chrono::milliseconds step) const {
        moveTo(window, from);
        x->xdotool({"mousedown", "1"});
        for (int i = 1; i <= moves; ++i) {
            const int px = from.x + (to.x - from.x) * i / moves;
            x->xdotool({"mousemove", "--window", window, std::to_string(px), std::to_string(from.y)});
            std::this_thread::sleep_for(step);
        }
        x->xdotool({"mouseup", "1"});
    }
};

TEST_F(LibraryDesktop, AClickSelectsTheClickedCellAfterEveryPageChangeAndRemoveDeletesThatClip) {
    category("Many", 30, "clip");
    start();
    ASSERT_TRUE(waitFor([&] { return cellsShow("Many", 0); })) << "page 0 never showed";

    // The arrow: cell 2 had the focus before the page changed.
    click(cellCentre(2));
    ASSERT_TRUE(markerUnder(2, "library-click-page0"));
    click(kBarRightArrow);
    ASSERT_TRUE(waitFor([&] { return cellsShow("Many", 1); })) << "the arrow did not show page 1\n" << story();
    EXPECT_TRUE(markerUnder(0, "library-arrow-page1")) << "each new page selects its cell 0";
    click(cellCentre(2));
    EXPECT_TRUE(markerUnder(2, "library-click-after-arrow")) << "the click on cell 2 did not select it";
    const std::string question = removeSelected(true);
    ASSERT_TRUE(waitFor([&] { return !base.exists("app/CLTemplates/Many/clip0015.swf"); }, 10))
        << "page 1's cell 2 (clip0015) was not deleted";
    EXPECT_TRUE(base.exists("app/CLTemplates/Many/clip0013.swf")) << "cell 0's clip must stay";
    EXPECT_EQ(listing("Many").size(), 29u);

    // The question is a dialog of the main window (minimised, it took the main window with it) that cannot
    // be maximised.
    std::stringstream owner;
    owner << std::hex << std::stoul(window);
    EXPECT_NE(question.find("window id # 0x" + owner.str()), std::string::npos) << question;
    EXPECT_NE(question.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << question;
    EXPECT_EQ(question.find("_NET_WM_ACTION_MAXIMIZE"), std::string::npos) << question;

    // The drag: cell 1 has the focus, the thumb goes from page 1 to the last page (2).
    ASSERT_TRUE(waitFor([&] { return cellsShow("Many", 1); })) << "the category was not listed again";
    click(cellCentre(1));
    ASSERT_TRUE(markerUnder(1, "library-click-page1"));
    drag({236 + 240, 459}, {236 + 480 - 40, 459}, 10, std::chrono::milliseconds(30));
    ASSERT_TRUE(waitFor([&] { return cellsShow("Many", 2); })) << "the drag did not show page 2";
    EXPECT_TRUE(markerUnder(0, "library-drag-page2"));
    click(cellCentre(1));
    EXPECT_TRUE(markerUnder(1, "library-click-after-drag")) << "the click on cell 1 did not select it";
    removeSelected();
    // Page 2 of the 29 left: clip0026 ... clip0030 in cells 0 to 4.
    ASSERT_TRUE(waitFor([&] { return !base.exists("app/CLTemplates/Many/clip0027.swf"); }, 10))
        << "page 2's cell 1 (clip0027) was not deleted";
    EXPECT_TRUE(base.exists("app/CLTemplates/Many/clip0026.swf"));
    EXPECT_EQ(listing("Many").size(), 28u);
}

TEST_F(LibraryDesktop, DraggingThePageBarAcrossFiveThousandClipsEndsWithTheCellsOnTheBarsPage) {
    category("Huge", 5000, "c");
    start();
    ASSERT_TRUE(waitFor([&] { return cellsShow("Huge", 0); }, 60)) << "page 0 never showed";
    waitForQuiet();
    const std::size_t before = trace().size();

    // One drag of the thumb from its place at page 0 (the left end) most of the way, in 40 motion events
    // over about 0.9 s.
    drag({236 + 17 + 6, 459}, {236 + 400, 459}, 40, std::chrono::milliseconds(22));
    waitForQuiet(3);
    const int page = barPageByTrace();
    x->grab(window, screenshot("library-drag-5000"));
    ASSERT_GT(page, 100) << "the drag did not move the bar far";
    EXPECT_EQ(fileNames(cellsByTrace()), expectedCells(listing("Huge"), page)) << "the bar shows page " << page;

    // What the drag cost: the bar reaches the program only where the thumb rested and where it was
    // released, and a page display that a newer one overtakes stops where it is, so the clips loaded into
    // cells after the press are at most a page for each value that reached the program.
    const auto lines = trace();
    int loads = 0;
    int values = 0;
    for (std::size_t i = before; i < lines.size(); ++i) {
        loads += lines[i].rfind("movie Form1.FSel(", 0) == 0 && lines[i].find("Movie=") != std::string::npos &&
                 lines[i].find("blank.swf") == std::string::npos;
        values += lines[i].rfind("scroll Form1.scrTemplates ", 0) == 0;
    }
    std::printf("40 motion events over %d pages: %d values reached the program, %d clips were loaded\n", page, values,
                loads);
    EXPECT_GE(values, 1);
    EXPECT_LE(values, 41);
    EXPECT_LE(loads, 12 * values);
}

} // namespace
} // namespace glw::main::test
