// Every scenario of the add-ins again with a failure at each host member it calls: nothing escapes the
// add-in, no handler of the add-in stays behind in the host, and nothing is written outside the scenario's
// own folders.
#include "AddinFixture.h"

using namespace glw;
using namespace glw::addins::test;

namespace {

// What a scenario may write: the application folder, the settings, the clipboard and the page's folders.
bool allowedPlace(const std::string& relative) {
    for (const char* prefix : {"app/", "config/", "clipboard.txt", "site/", "web/"}) {
        if (relative.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

struct Outcome {
    std::set<std::string> called;
    int escaped = 0;
    bool leftBound = false;
    std::vector<std::string> files;
    bool cwdEmpty = true;
};

template <class Host> bool anyBinding(const Host& host) {
    std::function<bool(const fakehost::FakeControls&)> inControls = [&](const fakehost::FakeControls& controls) {
        for (const auto& control : controls.items) {
            if ((control->type == hostapi::ControlType::Button && control->click.bound()) ||
                (control->children && inControls(*control->children))) {
                return true;
            }
        }
        return false;
    };
    for (const auto& bar : host.core.bars->bars) {
        if (inControls(*bar->controls)) {
            return true;
        }
    }
    return host.windowActivate.bound();
}

Outcome pageScenario(const std::string& failing, bool inWeb) {
    AddinRoot root{kPageLibrary};
    std::filesystem::remove(
        root.root.host("app/glwclipart")); // no start in these runs: the shell's result is unchecked
    auto host = std::make_shared<fakehost::FakePageEditor>();
    Outcome outcome;
    {
        fakehost::LoadedAddin addin{root.libraryPath};
        root.root.file("site/index.htm");
        root.root.file("site/GLWDATA/clip.swf", "old");
        root.root.file("web/sub/b.htm");
        std::shared_ptr<fakehost::FakeDocument> page;
        if (inWeb) {
            host->openWeb("http://www.example.com/site", root.root.host("web"));
            page = host->openPage("http://www.example.com/site/sub/b.htm");
        } else {
            page = host->openPage("file://" + root.root.host("site/index.htm"));
        }
        page->sharedBorders = true;
        const int body = page->addElement("BODY", "<BODY>");
        page->active = page->addElement(
            "OBJECT", R"(<OBJECT ID='GLINTWAVECL1'><PARAM NAME=movie VALUE="GLWDATA/clip.swf"></OBJECT>)",
            "GLINTWAVECL1", body);
        host->core.state.failAt(failing);
        root.settings->saveSetting("Vorel Media Glintwave", "System", "LegacyMenuPos", "1");

        addin.connect(host, host->core);
        for (int i = 0; i < 3; ++i) {
            host->activate();
        }
        host->click("Flash Browser/Transformer");
        root.clipboard->setText(
            reply("<OBJECT></OBJECT>", "GLWDATA," + root.workingFile("clip.swf") + "|," + root.workingFile("x.jpg")));
        host->activate();
        host->activate();
        addin.disconnect(host->core);
        outcome.leftBound = anyBinding(*host);
    }
    outcome.called = host->core.state.called();
    outcome.escaped = host->core.escaped;
    outcome.files = root.files();
    outcome.cwdEmpty = std::filesystem::is_empty(root.root.host("cwd"));
    return outcome;
}

Outcome presentationScenario(const std::string& failing, bool master) {
    AddinRoot root{kPresentationLibrary};
    std::filesystem::remove(root.root.host("app/glwclipart"));
    root.root.file("app/ppointvb.dat", "script");
    auto host = std::make_shared<fakehost::FakePresentationProgram>();
    Outcome outcome;
    {
        fakehost::LoadedAddin addin{root.libraryPath};
        host->openWindow()->viewType = master ? 2 : 9;
        host->core.state.failAt(failing);
        root.settings->saveSetting("Vorel Media Glintwave", "System", "PPLegacyMenuPos", "1");

        addin.connect(host, host->core);
        host->activate();
        host->activate();
        host->click("Insert Flash Clipart");
        root.clipboard->setText(
            reply("<OBJECT WIDTH=10 HEIGHT=20 flashvars=\"a=1\">", "," + root.workingFile("ppoint.swf")));
        host->activate();
        host->click("FSCommand Script To Clipboard");
        host->activate();
        addin.disconnect(host->core);
        outcome.leftBound = anyBinding(*host);
    }
    outcome.called = host->core.state.called();
    outcome.escaped = host->core.escaped;
    outcome.files = root.files();
    outcome.cwdEmpty = std::filesystem::is_empty(root.root.host("cwd"));
    return outcome;
}

void expectContained(const Outcome& outcome) {
    EXPECT_EQ(outcome.escaped, 0);
    EXPECT_FALSE(outcome.leftBound);
    EXPECT_TRUE(outcome.cwdEmpty);
    for (const auto& file : outcome.files) {
        EXPECT_TRUE(allowedPlace(file) || file == "starts.log") << file;
    }
}

TEST(FailureInjection, ThePageEditorAddinContainsEveryHostFailure) {
    for (bool inWeb : {false, true}) {
        SCOPED_TRACE(inWeb ? "page of a web" : "page on disk");
        const Outcome clean = pageScenario("", inWeb);
        expectContained(clean);
        ASSERT_GT(clean.called.size(), 20u) << "the scenario reaches the host's members";
        for (const auto& member : clean.called) {
            SCOPED_TRACE(member);
            expectContained(pageScenario(member, inWeb));
        }
    }
}

TEST(FailureInjection, ThePresentationAddinContainsEveryHostFailure) {
    for (bool master : {false, true}) {
        SCOPED_TRACE(master ? "slide master view" : "normal view");
        const Outcome clean = presentationScenario("", master);
        expectContained(clean);
        ASSERT_GT(clean.called.size(), 15u);
        for (const auto& member : clean.called) {
            SCOPED_TRACE(member);
            expectContained(presentationScenario(member, master));
        }
    }
}

} // namespace
