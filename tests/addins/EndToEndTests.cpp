// Both add-ins end to end: the fake host's program loads the real library from a copy of the application
// folder, clicks the add-in's menu item, and the add-in starts glwclipart from that folder. glwclipart runs
// headless on a script that selects the first clip of the demo library and hands it back through the export
// dialog's hand-back page; the shared clipboard file carries the request one way and the reply the other.
// The host is then activated and takes the clip.
#include "platform/TempDir.h"
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>

namespace {

namespace fs = std::filesystem;
using glw::platform::test::TempDir;

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l + "\n";
    }
    return text;
}

class AddinEndToEnd : public ::testing::Test {
protected:
    TempDir base;

    void SetUp() override {
        for (const char* folder : {"app", "tmp", "config", "data", "home"}) {
            base.folder(folder);
        }
        // The add-in starts glwclipart from its own library's folder, so both are copied side by side.
        for (const char* file : {"glwclipart", "glwseclips.so", "glwseclipspp.so", "blank.swf"}) {
            fs::copy_file(std::string(GLW_APP_DIR) + "/" + file, base.host(std::string("app/") + file));
        }
        for (const char* folder : {"CLTemplates", "Resource", "Working"}) {
            fs::copy(std::string(GLW_APP_DIR) + "/" + folder, base.host(std::string("app/") + folder),
                     fs::copy_options::recursive);
        }
        base.file("clipboard.txt", "");
    }

    struct Session {
        glw::test::ProcessResult host;
        std::vector<std::string> trace; // glwclipart's
    };

    // Plays a host session with glwclipart on `script`; the host waits at most 60 seconds for the reply.
    Session play(const std::vector<std::string>& args, const std::string& script) {
        base.file("script.txt", script);
        const std::map<std::string, std::string> env = {{"GLW_UI", "headless"},
                                                        {"GLW_SCRIPT", base.host("script.txt")},
                                                        {"GLW_TRACE", base.host("trace.txt")},
                                                        {"GLW_CLIPBOARD", base.host("clipboard.txt")},
                                                        {"TMPDIR", base.host("tmp")},
                                                        {"XDG_CONFIG_HOME", base.host("config")},
                                                        {"XDG_DATA_HOME", base.host("data")},
                                                        {"HOME", base.host("home")},
                                                        {"DISPLAY", ""}};
        Session s;
        s.host = glw::test::runProcess(std::string(GLW_BINARY_DIR) + "/bin/fakehost", args, env, 120);
        s.trace = glw::test::readLines(base.host("trace.txt"));
        return s;
    }

    std::string firstClipBytes() const {
        std::vector<fs::path> categories;
        for (const auto& e : fs::directory_iterator(base.host("app/CLTemplates"))) {
            categories.push_back(e.path());
        }
        std::sort(categories.begin(), categories.end());
        std::vector<fs::path> clips;
        for (const auto& e : fs::directory_iterator(categories.front())) {
            clips.push_back(e.path());
        }
        std::sort(clips.begin(), clips.end());
        std::ifstream in(clips.front(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The reply glwclipart put on the clipboard, as its trace recorded it.
    static std::string replyIn(const std::vector<std::string>& trace) {
        for (const auto& line : trace) {
            if (line.rfind("clipboard \"(GLWFPRetClip)", 0) == 0) {
                return line;
            }
        }
        return {};
    }
};

TEST_F(AddinEndToEnd, PageEditorTakesTheClipBesideThePageAndPastesTheTag) {
    // The page's folder crosses from the host's "/" paths to glwclipart's system paths and back, blanks,
    // parentheses and a non-ASCII letter included.
    const struct {
        const char* folder;
        const char* url;
    } pages[] = {{"site", "site/index.htm"}, {"My Site (\xC3\xA9)", "My%20Site%20(%C3%A9)/index.htm"}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.folder);
        const std::string folder = page.folder;
        base.folder(folder);
        base.file(folder + "/index.htm", "<html><head></head><body><p>Welcome</p></body></html>");
        base.file("clipboard.txt", "");
        const auto s = play({"--library", base.host("app/glwseclips.so"), "--page", "file://" + base.host(page.url),
                             "connect", "select=chosen", "click=Flash Browser/Transformer", "select=later",
                             "wait-reply=60", "activate", "report"},
                            "focus Form1.FSel(0)\nclick Form1.Command8\ntype frmExportAll.Text1 \"clip\"\n"
                            "click frmExportAll.Command20\n");
        ASSERT_EQ(s.host.exitCode, 0) << s.host.output << joined(s.trace);
        EXPECT_EQ(s.trace.back(), "end 0") << joined(s.trace);
        const std::string reply = replyIn(s.trace);
        ASSERT_FALSE(reply.empty()) << joined(s.trace);
        EXPECT_NE(reply.find("<GLWFILES>GLWDATA," + base.system("app") + "\\Working\\clip.swf</GLWFILES>"),
                  std::string::npos)
            << reply;
        // The file list's system path came back to the host as the copy beside the page.
        EXPECT_TRUE(base.exists(folder + "/GLWDATA/clip.swf")) << s.host.output;
        EXPECT_TRUE(base.read(folder + "/GLWDATA/clip.swf") == firstClipBytes());
        // The tag went into the saved selection, nothing else was said, and the clipboard is empty again.
        EXPECT_NE(s.host.output.find("pasted: <OBJECT  ID='GLINTWAVECL"), std::string::npos) << s.host.output;
        // The selection moved while glwclipart ran; the tag goes where it was when the menu was clicked.
        EXPECT_NE(s.host.output.find("pasted into: chosen\n"), std::string::npos) << s.host.output;
        EXPECT_NE(s.host.output.find("<PARAM NAME=movie VALUE=\"GLWDATA/clip.swf\">"), std::string::npos)
            << s.host.output;
        EXPECT_EQ(s.host.output.find("message:"), std::string::npos) << s.host.output;
        EXPECT_EQ(base.read("clipboard.txt"), "");
    }
}

TEST_F(AddinEndToEnd, PresentationProgramInsertsAFlashObjectOfTheReplysSize) {
    const auto s = play({"--library", base.host("app/glwseclipspp.so"), "connect", "click=Insert Flash Clipart",
                         "wait-reply=60", "activate", "report"},
                        "focus Form1.FSel(0)\nclick Form1.Command8\nclick frmExportAll.Command20\n");
    ASSERT_EQ(s.host.exitCode, 0) << s.host.output << joined(s.trace);
    EXPECT_EQ(s.trace.back(), "end 0") << joined(s.trace);
    const std::string reply = replyIn(s.trace);
    std::smatch size, vars;
    ASSERT_TRUE(std::regex_search(reply, size, std::regex("WIDTH=([0-9]+) HEIGHT=([0-9]+)"))) << reply;
    ASSERT_TRUE(std::regex_search(reply, vars, std::regex("flashvars VALUE=\"\"([^\"]*)\"\""))) << reply;
    // The movie is the exported copy in the application's working folder, found from the reply's file list.
    const std::string object = "object: slide ShockwaveFlash.ShockwaveFlash.1 " + size[1].str() + "x" + size[2].str() +
                               " at 20,20 movie=" + base.host("app/Working/ppoint.swf") + "?" + vars[1].str() +
                               " flashvars=" + vars[1].str() + "\n";
    EXPECT_NE(s.host.output.find(object), std::string::npos) << object << s.host.output;
    EXPECT_TRUE(base.read("app/Working/ppoint.swf") == firstClipBytes());
    EXPECT_EQ(s.host.output.find("message:"), std::string::npos) << s.host.output;
    EXPECT_EQ(base.read("clipboard.txt"), "");
}

} // namespace
