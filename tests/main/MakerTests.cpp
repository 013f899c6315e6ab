// The import-package maker headless: what the package holds, the messages that stop it, unsafe category
// names, and a failed build that leaves the old package and reports itself.
#include "LibraryTestSupport.h"
#include "main/Form2.h"
#include "main/ImportNew.h"
#include "main/LibraryNames.h"
#include "zip/ZipArchive.h"

#include <filesystem>

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;

class Maker : public LibraryApp {
protected:
    platform::test::TempDir work;
    Form2* maker = nullptr;

    void SetUp() override {
        LibraryApp::SetUp();
        category("Animals", 1);
        work.file("movies/a.swf", tinySwf(10, 10, "a"));
        work.file("movies/b.swf", tinySwf(20, 10, "b"));
    }
    std::string movie(const std::string& name) { return platform::toSystemPath(work.host("movies/" + name)); }
    std::string packagePath() { return platform::toSystemPath(work.host("out.gwi")); }

    // Queues: set the names, add the movies.
    void fill(const std::string& category, const std::string& description, const std::vector<std::string>& movies) {
        ui().then("find the maker", [this, category, description](forms::Runtime& runtime) {
            maker = dynamic_cast<Form2*>(runtime.findForm("Form2"));
            ASSERT_NE(maker, nullptr);
            maker->Text2.Text = category;
            maker->txtDesc.Text = description;
        });
        for (const auto& m : movies) {
            ASSERT_TRUE(ui().queueScript("click Form2.Command10").ok());
            ui().chooseFile(movie(m));
        }
    }
    // Queues Okay with the save dialog answered, and the message that follows.
    void create() {
        ASSERT_TRUE(ui().queueScript("click Form2.Command20").ok());
        ui().chooseFile(packagePath());
        answerBox();
    }
    void run(Form1& form) {
        form.Command27.userClick();
        EXPECT_EQ(ui().pending(), 0u);
    }
    bool stagingEmpty() {
        return !fs::exists(app.host("Working/NewImport")) || fs::is_empty(app.host("Working/NewImport"));
    }
};

TEST_F(Maker, PackageHoldsImpinfoAndTheCategoryMoviesUnderThePassword) {
    auto& form = start();
    fill("Buttons", "Round blue buttons", {"a.swf", "b.swf"});
    ui().then("check the preview", [this](forms::Runtime&) {
        EXPECT_EQ(maker->List1.ListIndex, 1) << "an added movie is selected";
        EXPECT_EQ(maker->List1.items(),
                  (std::vector<std::string>{work.host("movies/a.swf"), work.host("movies/b.swf")}))
            << "the list shows the host form";
        EXPECT_EQ(maker->FlashDemo.Movie(), movie("b.swf") + "?DEV=10");
        EXPECT_EQ(maker->FlashDemo.FlashVars(), "DEV=10");
        EXPECT_EQ(maker->LastFolder, platform::toSystemPath(work.host("movies")) + "\\");
    });
    create();
    run(form);
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Complete!|Import File Created.  It is recommended to test imports prior to distribution."}));
    auto entries = zip::listZipEntries(work.host("out.gwi"));
    ASSERT_TRUE(entries.ok()) << entries.error().detail;
    std::vector<std::string> names;
    for (const auto& e : *entries) {
        names.push_back(e.path);
        EXPECT_EQ(e.encryptionMethod, 1) << e.name << ": traditional encryption";
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Buttons/a.swf", "Buttons/b.swf", "impinfo.dat"}));
    ASSERT_TRUE(zip::extractZip(work.host("out.gwi"), work.host("check"), {"*.*", kImportPassword, {}}).ok());
    EXPECT_EQ(work.read("check/impinfo.dat"), "[clipart]{Round blue buttons}\r\n");
    EXPECT_EQ(work.read("check/Buttons/b.swf"), tinySwf(20, 10, "b"));
    EXPECT_TRUE(stagingEmpty());
    EXPECT_EQ(rt->findForm("Form2"), nullptr);
}

TEST_F(Maker, MissingCategoryOrMoviesAndUnsafeCategoriesStopBeforeAnythingIsWritten) {
    auto& form = start();
    struct Case {
        const char* category;
        bool withMovie;
        std::string message;
    };
    const Case cases[] = {
        {"", true, "Error.|No category specified. You must specify a category for the import to be placed in."},
        {"Buttons", false, "Error.|No buttons to add. You must add at least one GLW compatible SWF button."},
        {"..", true, "Error.|" + unsafeNameMessage("category name")},
        {"../Escaped", true, "Error.|" + unsafeNameMessage("category name")},
        {"a\\b", true, "Error.|" + unsafeNameMessage("category name")},
        {"C:Escaped", true, "Error.|" + unsafeNameMessage("category name")},
        {" . ", true, "Error.|" + unsafeNameMessage("category name")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.category);
        boxes.clear();
        const auto before = files();
        fill(c.category, "x", c.withMovie ? std::vector<std::string>{"a.swf"} : std::vector<std::string>{});
        ASSERT_TRUE(ui().queueScript("click Form2.Command20").ok());
        answerBox();
        ASSERT_TRUE(ui().queueScript("click Form2.Command3").ok());
        run(form);
        EXPECT_EQ(boxes, (std::vector<std::string>{c.message}));
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(fs::exists(work.host("out.gwi")));
    }
    EXPECT_FALSE(fs::exists(app.host("Working/Escaped")));
}

TEST_F(Maker, ADescriptionThatWouldComeBackCutShortIsRefusedBeforeAnythingIsWritten) {
    auto& form = start();
    const std::pair<const char*, const char*> cases[] = {
        {"Round {blue} buttons", "Error.|The description \"Round {blue} buttons\" may not hold \"}\"."},
        {"Two\r\nlines", "Error.|The description \"Two\r\nlines\" may not hold a line break."},
    };
    for (const auto& [description, message] : cases) {
        SCOPED_TRACE(description);
        boxes.clear();
        const auto before = files();
        fill("Buttons", description, {"a.swf"});
        ASSERT_TRUE(ui().queueScript("click Form2.Command20").ok());
        answerBox();
        ASSERT_TRUE(ui().queueScript("click Form2.Command3").ok());
        run(form);
        EXPECT_EQ(boxes, (std::vector<std::string>{message}));
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(fs::exists(work.host("out.gwi")));
    }
}

TEST_F(Maker, CancellingTheSaveDialogKeepsEverything) {
    auto& form = start();
    fill("Buttons", "x", {"a.swf"});
    ASSERT_TRUE(ui().queueScript("click Form2.Command20").ok());
    ui().cancelDialog();
    ui().then("the list is kept", [this](forms::Runtime&) {
        EXPECT_EQ(maker->List1.items(), (std::vector<std::string>{platform::toDisplayPath(movie("a.swf"))}));
        EXPECT_TRUE(maker->loaded());
    });
    // Removing with nothing selected does nothing; with the line selected it goes.
    ui().then("unselect", [this](forms::Runtime&) { maker->List1.ListIndex = -1; });
    ASSERT_TRUE(ui().queueScript("click Form2.Command12").ok());
    ui().then("still there", [this](forms::Runtime&) { EXPECT_EQ(maker->List1.ListCount(), 1); });
    ASSERT_TRUE(ui().queueScript("choose Form2.List1 0\nclick Form2.Command12").ok());
    ui().then("gone", [this](forms::Runtime&) { EXPECT_EQ(maker->List1.ListCount(), 0); });
    ASSERT_TRUE(ui().queueScript("click Form2.Command3").ok());
    run(form);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(fs::exists(work.host("out.gwi")));
}

TEST_F(Maker, AFailedBuildKeepsTheOldPackageAndSaysSo) {
    work.file("out.gwi", "the old package");
    auto& form = start();
    fill("Buttons", "x", {"a.swf", "b.swf"});
    ui().then("a movie goes away", [this](forms::Runtime&) { fs::remove(work.host("movies/b.swf")); });
    create();
    ui().then("the window stays with its list", [this](forms::Runtime&) {
        EXPECT_TRUE(maker->loaded());
        EXPECT_EQ(maker->List1.ListCount(), 2);
    });
    ASSERT_TRUE(ui().queueScript("click Form2.Command3").ok());
    run(form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(
                  "Error.|An error occured copying the file " + platform::toDisplayPath(movie("b.swf")) + ".  ", 0),
              0u)
        << boxes[0];
    EXPECT_EQ(work.read("out.gwi"), "the old package");
    EXPECT_TRUE(stagingEmpty());
}

TEST_F(Maker, LeftOversOfAnEarlierBuildDoNotTravel) {
    app.file("Working/NewImport/Other/stale.swf", tinySwf(5, 5));
    app.file("Working/NewImport/Buttons/old.swf", tinySwf(5, 5));
    work.file("out.gwi", "the old package");
    auto& form = start();
    fill("Buttons", "x", {"a.swf"});
    create();
    run(form);
    auto entries = zip::listZipEntries(work.host("out.gwi"));
    ASSERT_TRUE(entries.ok()) << entries.error().detail;
    std::vector<std::string> names;
    for (const auto& e : *entries) {
        names.push_back(e.path);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Buttons/a.swf", "impinfo.dat"}));
    EXPECT_TRUE(stagingEmpty());
}

TEST_F(Maker, TemplateAndHelpGoToTheShell) {
    auto& form = start();
    ASSERT_TRUE(ui().queueScript("click Form2.Command1\nclick Form2.Command5\nclick Form2.Command3").ok());
    run(form);
    EXPECT_EQ(shell->targets(),
              (std::vector<std::string>{sys("CLTemplates\\glwclipartsample.fla"), sys("Help\\glwtrans.chm")}));
}

} // namespace
} // namespace glw::main::test
