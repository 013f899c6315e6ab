// The add-in libraries as files: what they export, their registration, and the fake host's program.
#include "AddinFixture.h"
#include "addins/Registration.h"
#include "support/Process.h"

#include <cstdio>
#include <set>

using namespace glw;
using namespace glw::addins::test;

namespace {

// The names of the defined dynamic symbols of a library, as nm lists them; empty when nm cannot run.
std::set<std::string> exportedNames(const std::string& library, bool& ran) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ran = pipe != nullptr;
    if (!pipe) {
        return names;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        const size_t lastSpace = text.rfind(' ');
        if (lastSpace != std::string::npos) {
            names.insert(text.substr(lastSpace + 1));
        }
    }
    ran = ::pclose(pipe) == 0;
    return names;
}

TEST(AddinLibraries, ExportOnlyTheirEntryPoints) {
    const std::set<std::string> entryPoints{"glw_addin_create", "glw_addin_destroy", "glw_addin_info"};
    for (const char* library : {kPageLibrary, kPresentationLibrary}) {
        SCOPED_TRACE(library);
        bool ran = false;
        const auto names = exportedNames(std::string(GLW_APP_DIR) + "/" + library, ran);
        if (!ran) {
            GTEST_SKIP() << "nm is not available";
        }
        EXPECT_EQ(names, entryPoints);
    }
}

TEST(AddinLibraries, TheInstallStepRegistersThemForTheUser) {
    TempDir config;
    auto result = test::runProcess(
        std::string(GLW_APP_DIR) + "/glwaddinreg",
        {std::string(GLW_APP_DIR) + "/" + kPageLibrary, std::string(GLW_APP_DIR) + "/" + kPresentationLibrary},
        {{"XDG_CONFIG_HOME", config.host()}});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    platform::IniSettingsStore store(config.host("glw"));
    auto page = addins::findRegisteredAddin(store, "GLWSEClipArt.Connect");
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page->libraryPath, std::filesystem::canonical(std::string(GLW_APP_DIR) + "/" + kPageLibrary).string());
    EXPECT_EQ(page->displayName, "Glintwave SE ClipArt For MS Frontpage");
    auto slides = addins::findRegisteredAddin(store, "GLWSEClipartPP.Connect");
    ASSERT_TRUE(slides.ok());
    EXPECT_EQ(slides->displayName, "Glintwave SE Clipart For MS PowerPoint");
    EXPECT_FALSE(addins::findRegisteredAddin(store, "Other.Connect").ok());

    auto notAnAddin = test::runProcess(std::string(GLW_APP_DIR) + "/glwaddinreg", {config.host("missing.so")},
                                       {{"XDG_CONFIG_HOME", config.host()}});
    EXPECT_EQ(notAnAddin.exitCode, 1);
}

TEST(AddinLibraries, TheFakeHostsProgramPlaysASessionFromItsCommandLine) {
    AddinRoot root{kPageLibrary};
    root.root.file("site/index.htm");
    const std::string fakehost = std::string(GLW_BINARY_DIR) + "/bin/fakehost";
    const std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", root.root.host("config")},
                                                 {"GLW_CLIPBOARD", root.root.host("clipboard.txt")}};
    auto request =
        test::runProcess(fakehost,
                         {"--library", root.libraryPath, "--page", "file://" + root.root.host("site/index.htm"),
                          "connect", "click=Flash Browser/Transformer", "report", "disconnect"},
                         env);
    ASSERT_EQ(request.exitCode, 0) << request.output;
    EXPECT_NE(request.output.find("loaded: GLWSEClipArt.Connect"), std::string::npos) << request.output;
    EXPECT_NE(request.output.find("bar: Vorel Media position 4, 1 controls"), std::string::npos) << request.output;
    EXPECT_EQ(root.clipboard->getText(), "(WBLFPCommand)[" + root.root.host("site/") + "](!1!){GLWDATA}(@index.htm@)");
    EXPECT_EQ(root.starts(1), 1);

    // A whole round: the stand-in main program answers the request with a hand-back on the clipboard, the
    // session waits for it, activates the page editor and reports the paste.
    const std::string handBackText = reply("<OBJECT>clip</OBJECT>", "GLWDATA," + root.workingFile("clip.swf", "C"));
    root.root.file("app/glwclipart", "#!/bin/sh\nprintf '%s' '" + handBackText + "' > \"$GLW_CLIPBOARD\"\n");
    std::filesystem::permissions(root.root.host("app/glwclipart"), std::filesystem::perms::owner_all);
    auto round =
        test::runProcess(fakehost,
                         {"--library", root.libraryPath, "--page", "file://" + root.root.host("site/index.htm"),
                          "connect", "click=Flash Browser/Transformer", "wait-reply=20", "activate", "report"},
                         env);
    ASSERT_EQ(round.exitCode, 0) << round.output;
    EXPECT_NE(round.output.find("pasted: <OBJECT>clip</OBJECT>"), std::string::npos) << round.output;
    EXPECT_EQ(root.root.read("site/GLWDATA/clip.swf"), "C");
    EXPECT_EQ(root.clipboard->getText(), "");
}

} // namespace
