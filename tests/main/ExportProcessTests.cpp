// Every export kind end to end: glwclipart run headless as a process on a copy of the demo application
// folder, driven by a script from the Export button to the closing message; then the exported player and
// screen saver run and unpack, the installer installs into a temporary home, and the hand-back's reply is
// read by another process after glwclipart has ended.
#include "platform/TempDir.h"
#include "platform/WinPath.h"
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

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
        for (const char* folder : {"CLTemplates", "Resource", "Working"}) {
            fs::copy(std::string(GLW_APP_DIR) + "/" + folder, base.host(std::string("app/") + folder),
                     fs::copy_options::recursive);
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
    EXPECT_EQ(page.rfind("<html><head></head><body><OBJECT  ID='GLINTWAVECL", 0), 0u) << page;
    EXPECT_NE(page.find("</OBJECT><OBJECT  ID='GLINTWAVECL"), std::string::npos) << page;
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

// The exported page in a real browser: headless Chromium with the installed Flash player's script added to
// the page draws the movie where its tag stands. The screenshot is kept as build/screenshots/export-page.png.
TEST_F(ExportProcess, TheExportedPageShowsTheMovieInABrowser) {
    const std::string ruffle = std::string(GLW_BINARY_DIR) + "/ruffle/node_modules/@ruffle-rs/ruffle/ruffle.js";
    if (!fs::exists(ruffle)) {
        GTEST_SKIP() << "the Flash player is not installed (scripts/setup-ruffle)";
    }
    if (!fs::exists("/usr/bin/chromium") || !fs::exists("/usr/bin/convert")) {
        GTEST_SKIP() << "chromium or ImageMagick is not installed (scripts/setup-deps)";
    }
    base.file("config/glw/evawtnilG aideM leroV.ini", "[DefSettings]\nFolder=" + escaped(base.system("out")) + "\n");
    const auto r = run(base.host("app/glwclipart"), {},
                       "focus Form1.FSel(1)\nclick Form1.Command8\n"
                       "type frmExportAll.txtOutFilename \"sale\"\ntype frmExportAll.txtDataFolder(0) \"GLWDATA\"\n"
                       "click frmExportAll.Command20\nanswer OK\nclick frmExportAll.Command3\nclick Form1.Command3\n");
    ASSERT_EQ(r.process.exitCode, 0) << r.process.output << joined(r.trace);
    std::string page = base.read("out/glwmovie.htm");
    ASSERT_NE(page.find("<OBJECT"), std::string::npos) << page;
    // The test plays the part of the page's author: the player's script and a navy page around the movie.
    const std::string head = "<head><style>body{margin:0;background:#000080}</style><script>"
                             "window.RufflePlayer={config:{autoplay:'on',splashScreen:false,unmuteOverlay:'hidden',"
                             "preferredRenderer:'canvas'}};</script><script src=\"file://" +
                             ruffle + "\"></script></head>";
    page.replace(page.find("<head></head>"), 13, head);
    base.file("out/browser.htm", page);

    const std::string shots = std::string(GLW_BINARY_DIR) + "/screenshots";
    fs::create_directories(shots);
    const std::string shot = shots + "/export-page.png";
    fs::remove(shot);
    auto probe = [&](const std::string& format, const std::string& crop = "") {
        std::vector<std::string> args = {shot};
        if (!crop.empty()) {
            args.insert(args.end(), {"-crop", crop, "+repage"});
        }
        args.insert(args.end(), {"-format", format, "info:"});
        return glw::test::runProcess("/usr/bin/convert", args, {}, 30).output;
    };
    // The player compiles its code in real time while the page runs in virtual time: a slow first start may
    // still show an empty box, so the browser gets up to three tries.
    glw::test::ProcessResult browser;
    for (int attempt = 0; attempt < 3; ++attempt) {
        fs::remove(shot);
        browser = glw::test::runProcess("/usr/bin/chromium",
                                        {"--headless", "--no-sandbox", "--disable-gpu",
                                         "--allow-file-access-from-files", "--virtual-time-budget=10000",
                                         "--window-size=480,320", "--user-data-dir=" + base.host("chromium"),
                                         "--screenshot=" + shot, "file://" + base.host("out/browser.htm")},
                                        {{"HOME", base.host("home")}}, 90);
        if (fs::exists(shot) && probe("%k", "300x250+0+0") != "1") {
            break;
        }
    }
    ASSERT_TRUE(fs::exists(shot)) << browser.output;

    // The movie (300 x 250) stands at the top left where its tag is; the page around it stays navy.
    const std::string navy = "srgb(0,0,128)";
    EXPECT_EQ(probe("%[pixel:p{400,100}]"), navy);
    EXPECT_EQ(probe("%[pixel:p{150,290}]"), navy);
    const int movieColours = std::stoi(probe("%k", "300x250+0+0"));
    EXPECT_GE(movieColours, 16) << "the movie's place looks empty";
    EXPECT_NE(probe("%[pixel:p{5,5}]"), navy);
}

} // namespace
