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
