// glwupdate run as a process against a local site made by the update-site tool: started from the main
// window's Updates button, it checks, installs the release and fetches two packages, which the main
// program's import then unpacks into the library; and a screenshot of its window during a download.
#include "UpdaterTestSupport.h"
#include "support/HttpServer.h"
#include "support/Process.h"
#include "updatesite/UpdateSite.h"

#include <chrono>
#include <random>
#include <thread>

namespace glw::updater::test {
namespace {

namespace fs = std::filesystem;

// Copies a program of the application folder, with the Flash player's files it finds beside itself.
void copyProgram(const std::string& name, const std::string& folder) {
    fs::copy_file(std::string(GLW_APP_DIR) + "/" + name, folder + "/" + name, fs::copy_options::overwrite_existing);
    fs::permissions(folder + "/" + name, fs::perms::owner_exec, fs::perm_options::add);
    if (fs::exists(std::string(GLW_APP_DIR) + "/ruffle") && !fs::exists(folder + "/ruffle")) {
        fs::copy(std::string(GLW_APP_DIR) + "/ruffle", folder + "/ruffle", fs::copy_options::recursive);
    }
}

int countLines(const std::vector<std::string>& lines, const std::string& prefix) {
    return int(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

bool onPath(const std::string& program) {
    return glw::test::runProcess("/bin/sh", {"-c", "command -v " + program}, {}, 10).exitCode == 0;
}

// Incompressible bytes, so that an archive holding them is as large as they are.
std::string noise(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = char(random() & 0xFF);
    }
    return bytes;
}

class GlwupdateProcess : public ::testing::Test {
protected:
    platform::test::TempDir base;
    glw::test::HttpServer server{base.host("site")};

    void SetUp() override {
        for (const char* folder : {"app/CLTemplates/Existing", "app/Working", "config", "tmp"}) {
            base.folder(folder);
        }
        base.file("app/dlinfo.dat", "Glintwave SE Updates|1|glwse.zip|SWFGen.dll|GLWSE\r\n");
        copyProgram("glwupdate.exe", base.host("app"));
    }

    void layOut(const std::string& release) {
        base.file("animals/impinfo.dat", "[clipart]{Animals}\r\n");
        base.file("animals/Animals/cat.swf", "FWS cat");
        base.file("loops/impinfo.dat", "[MP3Loops]{Party loops}\r\n");
        base.file("loops/party.mp3", "ID3 loop");
        tools::SiteLayout layout{
            base.host("site"), server.base(), "5/12/2004",
            release,           "glwse.zip",   {{base.host("animals"), "Animals"}, {base.host("loops"), "Party loops"}}};
        auto made = tools::layOutUpdateSite(layout);
        ASSERT_TRUE(made.ok()) << made.error().detail;
    }

    std::map<std::string, std::string> environment() const {
        return {{"GLW_UI", "headless"},
                {"GLW_TRACE", base.host("trace.txt")},
                {"GLW_UPDATE_SITE", server.base()},
                {"XDG_CONFIG_HOME", base.host("config")},
                {"TMPDIR", base.host("tmp")},
                {"GLW_CLIPBOARD", ""}};
    }
};

TEST_F(GlwupdateProcess, UpdatesOnTheMainWindowStartsTheUpdaterAndTheWholeRoadEndsInTheLibrary) {
    base.file("release/SWFGen.dll", "component v2");
    base.file("release/Resource/readme.txt", "release notes");
    base.file("release/glwupdate.exe", "glwupdate v2"); // replaces the running program
    layOut(base.host("release"));
    copyProgram("glwclipart", base.host("app"));

    // One script for both programs: glwclipart plays the first two lines and ends; glwupdate, started
    // with the same environment, finds no such controls for them, skips them and plays the rest.
    base.file("updates.txt", "click Form1.fBut(0)\n"
                             "answer Yes\n"
                             "click Form1.Command1\n"
                             "check Form1.OtherDowns imports/animals.gwi\n"
                             "check Form1.OtherDowns imports/loops.gwi\n"
                             "click Form1.Command6\n"
                             "click Form1.Command3\n");
    auto env = environment();
    env["GLW_SCRIPT"] = base.host("updates.txt");
    const auto clipart = glw::test::runProcess(base.host("app/glwclipart"), {}, env, 60);
    ASSERT_EQ(clipart.exitCode, 0) << clipart.output;

    // glwupdate runs on by itself: wait for its end in the shared trace.
    std::vector<std::string> trace;
    for (int i = 0; i < 300; ++i) {
        trace = glw::test::readLines(base.host("trace.txt"));
        if (countLines(trace, "start glwupdate") == 1 && countLines(trace, "end ") == 2) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::string text;
    for (const auto& line : trace) {
        text += line + "\n";
    }
    ASSERT_EQ(countLines(trace, "start glwupdate"), 1) << text;
    ASSERT_EQ(countLines(trace, "end "), 2) << text;
    EXPECT_EQ(countLines(trace, "shell \"" + base.system("app") + "\\glwupdate.exe\" -> 42"), 1) << text;
    EXPECT_EQ(trace.back(), "end 0");

    EXPECT_EQ(base.read("app/SWFGen.dll"), "component v2");
    EXPECT_EQ(base.read("app/Resource/readme.txt"), "release notes");
    EXPECT_EQ(base.read("app/glwupdate.exe"), "glwupdate v2");
    EXPECT_EQ(base.read("app/updated.dat"),
              "5/12/2004/http:||127.0.0.1:" + std::to_string(server.port()) + "|release|glwse.zip/GLW UPDATE\r\n");
    EXPECT_EQ(base.read("app/Imports/animals.gwi"), base.read("site/imports/animals.gwi"));
    EXPECT_EQ(base.read("app/Imports/loops.gwi"), base.read("site/imports/loops.gwi"));
    EXPECT_EQ(base.read("config/glw/components.lst"), base.system("app") + "\\SWFGen.dll\n");
    const auto asked = server.requests();
    EXPECT_EQ(asked, (std::vector<std::string>{"/glwupd.asp?Prog=GLWSE", "/glwimps.asp?Prog=GLWSE",
                                               "/release/glwse.zip", "/imports/animals.gwi", "/imports/loops.gwi"}));

    // The main program imports both packages into the library.
    std::string import = "click Form1.Command15\n";
    for (const char* package : {"animals.gwi", "loops.gwi"}) {
        import += "click ImportNew.Command1\nfile \"" + base.host("app/Imports/") + package +
                  "\"\nclick ImportNew.Command6\nanswer OK\n";
    }
    import += "click ImportNew.Command3\nclick Form1.Command3\n";
    base.file("import.txt", import);
    env["GLW_SCRIPT"] = base.host("import.txt");
    env["GLW_TRACE"] = base.host("import-trace.txt");
    const auto imported = glw::test::runProcess(base.host("app/glwclipart"), {}, env, 60);
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    EXPECT_EQ(base.read("app/CLTemplates/Animals/cat.swf"), "FWS cat");
    EXPECT_EQ(base.read("app/MP3Loops/party.mp3"), "ID3 loop");
    const auto importTrace = glw::test::readLines(base.host("import-trace.txt"));
    // Every action of the script found its control (missing pictures of this bare folder are logged too).
    for (const auto& line : importTrace) {
        EXPECT_EQ(line.find("script:"), std::string::npos) << line;
    }
}

// With its real bounds: a version page that goes on for ever after its first 1,024 bytes is read to there,
// and a release sent at 1 byte a second fails as a download once it has stayed below 1 KB/s for 30 s. The
// run ends by itself, about half a minute later, with the failure in the trace and the failed heading's
// closing frame shown.
TEST_F(GlwupdateProcess, AnEndlessPageAndATricklingReleaseEndTheRunWithItsFailure) {
    base.file("release/SWFGen.dll", "component v2");
    layOut(base.host("release"));
    const std::string update = base.read("site/glwupd.asp");
    server.route("/glwupd.asp", {200, update + std::string(1 << 20, ' '), false, -1, "text/html", 1024, 100, 500});
    server.route("/release/glwse.zip",
                 {200, base.read("site/release/glwse.zip"), false, -1, "application/zip", 0, 1, 1000});
    base.file("run.txt", "click Form1.Command1\nclick Form1.Command6\nclick Form1.Command3\n");
    auto env = environment();
    env["GLW_SCRIPT"] = base.host("run.txt");
    const auto run = glw::test::runProcess(base.host("app/glwupdate.exe"), {}, env, 150);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto trace = glw::test::readLines(base.host("trace.txt"));
    std::string text;
    for (const auto& line : trace) {
        text += line + "\n";
    }
    EXPECT_EQ(countLines(trace, "msgbox"), 0) << "the version page was read: " << text;
    EXPECT_EQ(countLines(trace, "error Form1.ReceiveFile"), 1) << text;
    EXPECT_EQ(countLines(trace, "movie Form1.FlashEnd"), 1) << text;
    EXPECT_FALSE(base.exists("app/updated.dat"));
    EXPECT_FALSE(base.exists("app/SWFGen.dll")) << "nothing was installed";
    EXPECT_EQ(trace.back(), "end 0");
}

// glwupdate in a real window under Xvfb, clicked through with xdotool: the screenshot during the
// download shows the progress frame with its bar partly filled.
TEST_F(GlwupdateProcess, AScreenshotDuringTheDownloadShowsItsProgress) {
    for (const char* tool : {"xvfb-run", "xdotool", "import", "convert"}) {
        if (!onPath(tool)) {
            GTEST_SKIP() << tool << " is not installed";
        }
    }
    if (!fs::exists(std::string(GLW_APP_DIR) + "/glwclipholder")) {
        GTEST_SKIP() << "the desktop front end is not built";
    }
    base.file("release/Resource/big.bin", noise(1200000));
    layOut(base.host("release"));
    server.throttle(200000); // six seconds for the release
    const std::string shots = std::string(GLW_BINARY_DIR) + "/screenshots";
    fs::create_directories(shots);
    const std::string shot = shots + "/glwupdate-download.png";
    fs::remove(shot);
    // Check, Download once the check is through, and take the picture while the release arrives.
    base.file("drive.sh", R"(set -u
. ")" GLW_SOURCE_DIR R"(/tests/support/wait.sh"
tmp="$2"; shot="$3"
cd "$1"
./glwupdate.exe >"$2/glwupdate.log" 2>&1 &
pid=$!
wid=$(wait_window "Glintwave SE Program Updater" 20)
[ -n "$wid" ] || { echo "no window"; cat "$2/glwupdate.log"; kill $pid; exit 1; }
settle 5
xdotool mousemove --window "$wid" 88 404 click 1
# Download does nothing until the check has run through: press it until the release's temporary file
# (a fresh file beside the archive's place) shows that the download began.
receiving() { ls -A | grep -q '^\.glwpart-'; }
i=0
while ! receiving && [ $i -lt 60 ]; do
    sleep 0.5
    xdotool mousemove --window "$wid" 256 404 click 1
    i=$((i + 1))
done
receiving || { echo "the download did not start"; cat "$2/glwupdate.log"; kill $pid; exit 1; }
# The picture is taken once the bar shows the release arriving: filled at its left end, not at its right.
bar_moved() {
    import -window root "$tmp/screen.png"
    convert "$tmp/screen.png" -trim +repage "$shot"
    left=$(convert "$shot" -crop 30x8+26+165 +repage -format '%[fx:mean]' info:)
    right=$(convert "$shot" -crop 30x8+450+165 +repage -format '%[fx:mean]' info:)
    awk "BEGIN { d = $left - $right; exit !(d > 0.1 || d < -0.1) }"
}
wait_until 15 bar_moved || true
kill $pid
wait $pid 2>/dev/null
exit 0
)");
    auto env = environment();
    env["GLW_UI"] = "";
    env["GLW_SCRIPT"] = "";
    env["QT_QPA_PLATFORM"] = "xcb";
    env["HOME"] = base.host("tmp");
    const auto run = glw::test::runProcess(
        GLW_SOURCE_DIR "/tests/support/xvfb-run-free",
        {"-s", "-screen 0 1024x768x24", "sh", base.host("drive.sh"), base.host("app"), base.host("tmp"), shot}, env,
        90);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(fs::exists(shot)) << run.output;

    // The window's size, and the bar: filled at its left end, empty at its right end.
    auto measure = [&](const std::string& format) {
        return glw::test::runProcess("/bin/sh", {"-c", "convert '" + shot + "' " + format + " info:"}, {}, 20).output;
    };
    const std::string size = measure("-format '%wx%h'");
    EXPECT_EQ(size, "528x466") << "the window is " << size;
    const double left = std::stod(measure("-crop 30x8+26+165 +repage -format '%[fx:mean]'"));
    const double right = std::stod(measure("-crop 30x8+450+165 +repage -format '%[fx:mean]'"));
    EXPECT_GT(std::abs(left - right), 0.1) << "bar left " << left << ", right " << right;
}

// The road in windows: the main window's Updates, Yes, and the updater's window, which checks the site.
TEST_F(GlwupdateProcess, UpdatesInAWindowOpensTheUpdatersWindow) {
    for (const char* tool : {"xvfb-run", "xdotool", "import", "convert"}) {
        if (!onPath(tool)) {
            GTEST_SKIP() << tool << " is not installed";
        }
    }
    if (!fs::exists(std::string(GLW_APP_DIR) + "/glwclipholder")) {
        GTEST_SKIP() << "the desktop front end is not built";
    }
    layOut("");
    copyProgram("glwclipart", base.host("app"));
    const std::string shots = std::string(GLW_BINARY_DIR) + "/screenshots";
    fs::create_directories(shots);
    const std::string shot = shots + "/glwupdate-check.png";
    fs::remove(shot);
    base.file("drive.sh", R"(set -u
. ")" GLW_SOURCE_DIR R"(/tests/support/wait.sh"
cd "$1"
./glwclipart >"$2/glwclipart.log" 2>&1 &
pid=$!
main=$(wait_window "Glintwave SE Flash Browser" 20)
[ -n "$main" ] || { echo "no main window"; cat "$2/glwclipart.log"; kill $pid; exit 1; }
settle 3
xdotool mousemove --window "$main" 44 22 click 1
box=$(timeout 20 xdotool search --sync --onlyvisible --name "^Closing$" | head -n 1)
[ -n "$box" ] || { echo "no question"; kill $pid; exit 1; }
xdotool mousemove --window "$box" 95 119 click 1
wid=$(timeout 20 xdotool search --sync --onlyvisible --name "Glintwave SE Program Updater" | head -n 1)
[ -n "$wid" ] || { echo "no updater window"; exit 1; }
settle 5
xdotool mousemove --window "$wid" 88 404 click 1
# The check's answer: the screen changes, then stands still.
import -window root "$2/before.png"
wait_screen_change "$2/before.png" 10 || true
settle 5
import -window root "$2/screen.png"
convert "$2/screen.png" -trim +repage "$3"
# The main program has ended; Close ends the updater.
kill -0 $pid 2>/dev/null && { echo "glwclipart still runs"; exit 1; }
xdotool mousemove --window "$wid" 452 404 click 1
i=0
while xdotool search --onlyvisible --name "Glintwave SE Program Updater" >/dev/null 2>&1 && [ $i -lt 20 ]; do
    sleep 0.5
    i=$((i + 1))
done
exit 0
)");
    auto env = environment();
    env["GLW_UI"] = "";
    env["GLW_SCRIPT"] = "";
    env["QT_QPA_PLATFORM"] = "xcb";
    env["HOME"] = base.host("tmp");
    const auto run = glw::test::runProcess(
        GLW_SOURCE_DIR "/tests/support/xvfb-run-free",
        {"-s", "-screen 0 1280x1024x24", "sh", base.host("drive.sh"), base.host("app"), base.host("tmp"), shot}, env,
        90);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto trace = glw::test::readLines(base.host("trace.txt"));
    EXPECT_EQ(countLines(trace, "shell \"" + base.system("app") + "\\glwupdate.exe\" -> 42"), 1);
    EXPECT_EQ(countLines(trace, "start glwupdate"), 1);
    EXPECT_EQ(server.requests(), (std::vector<std::string>{"/glwupd.asp?Prog=GLWSE", "/glwimps.asp?Prog=GLWSE"}));
    ASSERT_TRUE(fs::exists(shot)) << run.output;
    const std::string size =
        glw::test::runProcess("/bin/sh", {"-c", "convert '" + shot + "' -format '%wx%h' info:"}, {}, 20).output;
    EXPECT_EQ(size, "528x466");
}

} // namespace
} // namespace glw::updater::test
