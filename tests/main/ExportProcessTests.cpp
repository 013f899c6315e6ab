// Every export kind end to end: glwclipart run headless as a process on a copy of the demo application
// folder, driven by a script from the Export button to the closing message; then the exported player and
// screen saver run and unpack, the installer installs into a temporary home, and the hand-back's reply is
// read by another process after glwclipart has ended.
#include "formats/PlayerPack.h"
#include "platform/TempDir.h"
#include "platform/WinPath.h"
#include "support/Process.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace {

namespace fs = std::filesystem;
using glw::platform::test::TempDir;

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A value as the settings file writes it: "\" doubled.
std::string escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l + "\n";
    }
    return text;
}

class ExportProcess : public ::testing::Test {
protected:
    TempDir base;
    int runs = 0;

    void SetUp() override {
        for (const char* folder : {"app", "out", "tmp", "config", "data", "home"}) {
            base.folder(folder);
        }
        // The programs and the demo library; the programs are copied, since each finds its folder from its
        // own file.
        for (const char* file : {"glwclipart", "glwbase.exe", "glwbase.scr", "quillset.exe", "blank.swf"}) {
            fs::copy_file(std::string(GLW_APP_DIR) + "/" + file, base.host(std::string("app/") + file));
        }
        for (const char* folder : {"CLTemplates", "Resource", "Working", "ruffle"}) {
            if (fs::exists(std::string(GLW_APP_DIR) + "/" + folder)) {
                fs::copy(std::string(GLW_APP_DIR) + "/" + folder, base.host(std::string("app/") + folder),
                         fs::copy_options::recursive);
            }
        }
        // A build without the desktop has no Flash player to carry: a stand-in of one small file lets the
        // page export run there too.
        if (!base.exists("app/ruffle")) {
            const std::string loader = "/* stand-in player */";
            glw::formats::PlayerManifest manifest{"0", {{"ruffle.js", loader.size(), glw::formats::playerCrc(loader)}}};
            base.file("app/ruffle/ruffle.js", loader);
            base.file("app/ruffle/glwplayer.txt", glw::formats::writePlayerManifest(manifest));
        }
    }

    struct Run {
        glw::test::ProcessResult process;
        std::vector<std::string> trace;
    };

    Run run(const std::string& program, const std::vector<std::string>& args, const std::string& script,
            const std::vector<std::pair<std::string, std::string>>& extraEnv = {}) {
        const std::string n = std::to_string(++runs);
        base.file("script" + n + ".txt", script);
        std::map<std::string, std::string> env = {{"GLW_UI", "headless"},
                                                  {"GLW_SCRIPT", base.host("script" + n + ".txt")},
                                                  {"GLW_TRACE", base.host("trace" + n + ".txt")},
                                                  {"TMPDIR", base.host("tmp")},
                                                  {"XDG_CONFIG_HOME", base.host("config")},
                                                  {"XDG_DATA_HOME", base.host("data")},
                                                  {"HOME", base.host("home")},
                                                  {"DISPLAY", ""}};
        for (const auto& [k, v] : extraEnv) {
            env[k] = v;
        }
        Run r;
        r.process = glw::test::runProcess(program, args, env, 120);
        r.trace = glw::test::readLines(base.host("trace" + n + ".txt"));
        return r;
    }

    std::string firstClip() const {
        // The first clip of the first category, as the library lists it.
        std::vector<std::string> categories;
        for (const auto& e : fs::directory_iterator(base.host("app/CLTemplates"))) {
            categories.push_back(e.path().filename().string());
        }
        std::sort(categories.begin(), categories.end());
        std::vector<std::string> clips;
        for (const auto& e : fs::directory_iterator(base.host("app/CLTemplates/" + categories.front()))) {
            clips.push_back(e.path().string());
        }
        std::sort(clips.begin(), clips.end());
        return clips.front();
    }
};

TEST_F(ExportProcess, EveryKindFromTheExportButtonAndTheExportedProgramsRun) {
    // The output folder is the one remembered from an earlier export.
    base.file("config/glw/evawtnilG aideM leroV.ini", "[DefSettings]\nFolder=" + escaped(base.system("out")) + "\n");
    const auto r = run(base.host("app/glwclipart"), {},
                       "focus Form1.FSel(0)\n"
                       "click Form1.Command8\n"
                       "type frmExportAll.txtOutFilename \"banner\"\n"
                       "type frmExportAll.txtDataFolder(0) \"GLWDATA\"\n"
                       "click frmExportAll.Command20\nanswer OK\n"
                       // Again into the same page: the SWF is replaced (Yes), the tag appended (No).
                       "click frmExportAll.Command20\nanswer Yes\nanswer No\nanswer OK\n"
                       "click frmExportAll.optExport(1)\nclick frmExportAll.Command20\nanswer OK\n"
                       "click frmExportAll.optExport(3)\nclick frmExportAll.Command20\nanswer OK\n"
                       "click frmExportAll.Command3\nclick Form1.Command3\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joined(r.trace);
    for (const char* message :
         {"HTML Export Complete.", "Executable Export Complete.", "Screen Saver Export Complete."}) {
        EXPECT_TRUE(has(r.trace, std::string("msgbox \"Glintwave SE\" \"") + message + "\" 0")) << joined(r.trace);
    }
    std::ifstream clipIn(firstClip(), std::ios::binary);
    const std::string clip(std::istreambuf_iterator<char>(clipIn), {});
    EXPECT_TRUE(base.read("out/GLWDATA/banner.swf") == clip);
    const std::string page = base.read("out/glwmovie.htm");
    // The first export wrote the page with the script that loads its player; the second added only its tag.
    EXPECT_EQ(page.rfind("<html><head></head><body><script src=\"GLWDATA/ruffle/ruffle.js\"></script><OBJECT  ID='"
                         "GLINTWAVECL",
                         0),
              0u)
        << page;
    EXPECT_NE(page.find("</OBJECT><OBJECT  ID='GLINTWAVECL"), std::string::npos) << page;
    EXPECT_EQ(base.read("out/GLWDATA/ruffle/glwplayer.txt"), base.read("app/ruffle/glwplayer.txt"));
    EXPECT_NE(page.find("<PARAM NAME=movie VALUE=\"GLWDATA/banner.swf\">"), std::string::npos);
    EXPECT_TRUE(base.exists("out/glwmovie.exe"));
    EXPECT_TRUE(base.exists("out/glwmovie.scr"));
    EXPECT_TRUE(base.exists("out/vrquillset.exe"));
    const std::string settings = base.read("config/glw/evawtnilG aideM leroV.ini");
    EXPECT_NE(settings.find("[DefSettings]"), std::string::npos) << settings;
    EXPECT_NE(settings.find("LastSCRInst=vrquillset.exe"), std::string::npos) << settings;
    EXPECT_FALSE(base.exists("app/Working/glwexe.dta"));

    // The player unpacks the movie and its startup list and ends on the movie's exit.
    ASSERT_TRUE(base.exists("out/glwmovie.exe")) << joined(r.trace);
    auto player = run(base.host("out/glwmovie.exe"), {}, "fscommand Form1.FBit \"exit\" \"\"\n");
    EXPECT_EQ(player.process.exitCode, 0) << player.process.output;
    EXPECT_TRUE(has(player.trace, "extract \"glwmovie.swf\"")) << joined(player.trace);
    EXPECT_TRUE(has(player.trace, "extract \"startup.ini\"")) << joined(player.trace);
    // The screen saver shows with /S and ends on a key.
    auto saver = run(base.host("out/glwmovie.scr"), {"/S"}, "key frmScreen.Text1 A\n");
    EXPECT_EQ(saver.process.exitCode, 0) << saver.process.output;
    EXPECT_TRUE(has(saver.trace, "extract \"glwmovie.swf\"")) << joined(saver.trace);
    // The installer puts the screen saver into the user's screen-saver folder.
    auto installer = run(base.host("out/vrquillset.exe"), {}, "click Form1.Command15\nanswer OK\n");
    EXPECT_EQ(installer.process.exitCode, 0) << installer.process.output << joined(installer.trace);
    EXPECT_TRUE(base.read("data/glw/screensavers/glwmovie.scr") == base.read("out/glwmovie.scr"));
}

TEST_F(ExportProcess, HandBackReplyOutlivesTheProgram) {
    base.file("config/glw/evawtnilG aideM leroV.ini", "[DefSettings]\nFolder=" + escaped(base.system("out")) + "\n");
    base.file("clipboard.txt", "(WBLFPCommand)(@index.htm@)[C:\\site]{GLWDATA}");
    const auto r = run(base.host("app/glwclipart"), {},
                       "focus Form1.FSel(0)\nclick Form1.Command8\ntype frmExportAll.Text1 \"clip\"\n"
                       "click frmExportAll.Command20\n",
                       {{"GLW_CLIPBOARD", base.host("clipboard.txt")}});
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joined(r.trace);
    EXPECT_EQ(r.trace.back(), "end 0") << joined(r.trace);
    // Another process, after glwclipart has ended, reads the reply.
    const auto reader = glw::test::runProcess("/bin/cat", {base.host("clipboard.txt")}, {}, 10);
    const std::string reply = reader.output;
    EXPECT_EQ(reply.rfind("(GLWFPRetClip)[Exit]<GLWCODE><OBJECT  ID='GLINTWAVECL", 0), 0u) << reply;
    EXPECT_NE(reply.find("<GLWFILES>GLWDATA," + base.system("app") + "\\Working\\clip.swf</GLWFILES>"),
              std::string::npos)
        << reply;
    std::ifstream clipIn(firstClip(), std::ios::binary);
    EXPECT_TRUE(base.read("app/Working/clip.swf") == std::string(std::istreambuf_iterator<char>(clipIn), {}));
}

} // namespace

namespace {

// The exported page in a real browser, as a visitor sees it: the page and its data folder copied away from
// the build, served as written by a web server on 127.0.0.1, opened in headless Chromium with this clone and
// the application folder hidden. The player the page carries plays the movie where its tag stands. The
// screenshot is kept as build/screenshots/export-page.png.
TEST_F(ExportProcess, TheExportedPageShowsTheMovieInABrowser) {
    if (!fs::exists(std::string(GLW_APP_DIR) + "/ruffle/glwplayer.txt")) {
        GTEST_SKIP() << "the Flash player is not installed (scripts/setup-ruffle)";
    }
    for (const char* tool : {"/usr/bin/chromium", "/usr/bin/convert", "/usr/bin/python3"}) {
        if (!fs::exists(tool)) {
            GTEST_SKIP() << tool << " is not installed (scripts/setup-deps)";
        }
    }
    base.file("config/glw/evawtnilG aideM leroV.ini", "[DefSettings]\nFolder=" + escaped(base.system("out")) + "\n");
    const auto r = run(base.host("app/glwclipart"), {},
                       "focus Form1.FSel(1)\nclick Form1.Command8\n"
                       "type frmExportAll.txtOutFilename \"sale\"\ntype frmExportAll.txtDataFolder(0) \"GLWDATA\"\n"
                       "click frmExportAll.Command20\nanswer OK\nclick frmExportAll.Command3\nclick Form1.Command3\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joined(r.trace);
    const std::string page = base.read("out/glwmovie.htm");
    ASSERT_NE(page.find("<script src=\"GLWDATA/ruffle/ruffle.js\"></script><OBJECT"), std::string::npos) << page;

    // What the visitor's browser gets: the page and its data folder, nothing else.
    fs::copy(base.host("out"), base.host("site"), fs::copy_options::recursive);
    glw::test::BackgroundProcess server(
        "/usr/bin/python3", {"-m", "http.server", "--bind", "127.0.0.1", "--directory", base.host("site"), "0"},
        {{"PYTHONUNBUFFERED", "1"}}, base.host("server.log"));
    int port = 0;
    for (int i = 0; i < 100 && port == 0; ++i) {
        const std::string log = base.exists("server.log") ? base.read("server.log") : "";
        if (const auto at = log.find(" port "); at != std::string::npos) {
            port = std::atoi(log.c_str() + at + 6);
        }
        if (port == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ASSERT_GT(port, 0) << "the web server did not start";

    // Taken outside the clone, which the browser does not see, and kept in the build's screenshots after.
    const std::string shot = base.host("page.png");
    auto probe = [&](const std::string& format, const std::string& crop = "") {
        std::vector<std::string> args = {shot};
        if (!crop.empty()) {
            args.insert(args.end(), {"-crop", crop, "+repage"});
        }
        args.insert(args.end(), {"-format", format, "info:"});
        return glw::test::runProcess("/usr/bin/convert", args, {}, 30).output;
    };
    // The browser runs where the clone and the application folder are hidden, when this user may hide them.
    std::vector<std::string> browser = {"/usr/bin/chromium",
                                        "--headless",
                                        "--no-sandbox",
                                        "--disable-gpu",
                                        "--disable-background-networking",
                                        "--disable-component-update",
                                        "--disable-sync",
                                        "--no-first-run",
                                        "--autoplay-policy=no-user-gesture-required",
                                        "--virtual-time-budget=15000",
                                        "--window-size=480,320",
                                        "--user-data-dir=" + base.host("chromium"),
                                        "--screenshot=" + shot,
                                        "http://127.0.0.1:" + std::to_string(port) + "/glwmovie.htm"};
    if (glw::test::runProcess("/usr/bin/unshare", {"-m", "true"}, {}, 10).exitCode == 0) {
        browser.insert(browser.begin(), {"/usr/bin/unshare", "-m", "sh", "-c",
                                         "mount -t tmpfs none \"$0\" && exec \"$@\"", std::string(GLW_SOURCE_DIR)});
    }
    // The player compiles its code in real time while the page runs in virtual time: a slow first start may
    // still show an empty box, so the browser gets up to three tries.
    glw::test::ProcessResult shown;
    for (int attempt = 0; attempt < 3; ++attempt) {
        fs::remove(shot);
        shown = glw::test::runProcess(browser.front(), std::vector<std::string>(browser.begin() + 1, browser.end()),
                                      {{"HOME", base.host("home")}}, 90);
        if (fs::exists(shot) && std::stoi(probe("%k", "300x250+8+8")) >= 16) {
            break;
        }
    }
    ASSERT_TRUE(fs::exists(shot)) << shown.output;
    const std::string shots = std::string(GLW_BINARY_DIR) + "/screenshots";
    fs::create_directories(shots);
    fs::copy_file(shot, shots + "/export-page.png", fs::copy_options::overwrite_existing);
    // The movie (300 x 250) stands where its tag is, inside the page's margin; the page around it is the
    // browser's white, as written. A tag that nothing plays would show one grey box instead.
    EXPECT_EQ(probe("%[pixel:p{420,150}]"), "srgb(255,255,255)");
    const int movieColours = std::stoi(probe("%k", "300x250+8+8"));
    EXPECT_GE(movieColours, 16) << "the movie's place looks empty\n" << shown.output;
    // The page asked for its player from its own data folder.
    EXPECT_NE(base.read("server.log").find("GET /GLWDATA/ruffle/ruffle.js"), std::string::npos)
        << base.read("server.log");
}

// Every program of the application folder and every exported one names no folder of the build or of this
// clone (in 8-bit or in 16-bit text), and the exported programs are small.
TEST_F(ExportProcess, ProgramsNameNoFolderOfTheBuild) {
#ifndef GLW_STRIPPED_PROGRAMS
    GTEST_SKIP() << "this build keeps the programs' debug information in them (sanitizer builds)";
#endif
    base.file("config/glw/evawtnilG aideM leroV.ini", "[DefSettings]\nFolder=" + escaped(base.system("out")) + "\n");
    const auto r = run(base.host("app/glwclipart"), {},
                       "focus Form1.FSel(0)\nclick Form1.Command8\n"
                       "click frmExportAll.optExport(1)\nclick frmExportAll.Command20\nanswer OK\n"
                       "click frmExportAll.optExport(3)\nclick frmExportAll.Command20\nanswer OK\n"
                       "click frmExportAll.Command3\nclick Form1.Command3\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joined(r.trace);
    std::vector<std::string> files = {base.host("out/glwmovie.exe"), base.host("out/glwmovie.scr"),
                                      base.host("out/vrquillset.exe")};
    for (const auto& entry : fs::directory_iterator(GLW_APP_DIR)) {
        if (entry.is_regular_file() && (fs::status(entry).permissions() & fs::perms::owner_exec) != fs::perms::none) {
            files.push_back(entry.path().string());
        }
    }
    const auto wide = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            out += c;
            out += '\0';
        }
        return out;
    };
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        for (const std::string& folder : {std::string(GLW_SOURCE_DIR), std::string(GLW_BINARY_DIR)}) {
            EXPECT_EQ(bytes.find(folder), std::string::npos) << file << " names " << folder;
            EXPECT_EQ(bytes.find(wide(folder)), std::string::npos) << file << " names " << folder << " (16-bit)";
        }
    }
}

} // namespace
