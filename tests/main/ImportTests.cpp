// The import dialog headless: packages of our own writer and of Info-ZIP land in their category folders,
// hostile and wrongly locked packages are refused with nothing written, failures are never success.
#include "LibraryTestSupport.h"
#include "main/Form2.h"
#include "main/ImportNew.h"
#include "support/ZipBytes.h"
#include "zip/ZipArchive.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;

class Import : public LibraryApp {
protected:
    platform::test::TempDir work; // packages and their staging folders, outside the application folder

    // A package written by our zip layer (the maker's writer): impinfo.dat with `infoLine` and CR LF, and
    // the files given by relative path.
    std::string package(const std::string& name, const std::string& infoLine,
                        const std::vector<std::pair<std::string, std::string>>& content,
                        const std::string& password = kImportPassword) {
        const std::string stage = "stage-" + name;
        work.file(stage + "/impinfo.dat", infoLine + "\r\n");
        for (const auto& [path, bytes] : content) {
            work.file(stage + "/" + path, bytes);
        }
        auto made = zip::createZip(work.host(name), work.host(stage), {"*.*", password, {}});
        EXPECT_TRUE(made.ok()) << made.error().detail;
        return platform::toSystemPath(work.host(name));
    }

    // Runs "Import New Libraries" on the package: browse, Okay, the message, Cancel. Gives the movies the
    // dialog listed.
    // `prepare` runs on the open dialog before Okay.
    std::vector<std::string> runImport(Form1& form, const std::string& packageSystemPath,
                                       const std::function<void(ImportNew&)>& prepare = {}) {
        std::vector<std::string> listed;
        EXPECT_TRUE(ui().queueScript("click ImportNew.Command1").ok());
        ui().chooseFile(packageSystemPath);
        if (prepare) {
            ui().then("prepare", [&](forms::Runtime& runtime) {
                auto* dialog = dynamic_cast<ImportNew*>(runtime.findForm("ImportNew"));
                ASSERT_NE(dialog, nullptr);
                prepare(*dialog);
            });
        }
        EXPECT_TRUE(ui().queueScript("click ImportNew.Command6").ok());
        answerBox();
        ui().then("read List1", [&](forms::Runtime& runtime) {
            auto* dialog = dynamic_cast<ImportNew*>(runtime.findForm("ImportNew"));
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->aFileName.Caption(), platform::toDisplayPath(packageSystemPath)) << "the host form";
            EXPECT_EQ(dialog->aFileName.Caption().find('\\'), std::string::npos);
            listed = dialog->List1.items();
        });
        EXPECT_TRUE(ui().queueScript("click ImportNew.Command3").ok());
        form.Command15.userClick();
        EXPECT_EQ(ui().pending(), 0u);
        EXPECT_EQ(rt->findForm("ImportNew"), nullptr);
        return listed;
    }

    // Every file and folder under the application folder, relative and sorted.
    std::vector<std::string> tree() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(app.host())) {
            found.push_back(fs::path(entry.path()).lexically_relative(app.host()).generic_string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    static std::string success(const std::string& description) {
        return "Glintwave SE|Files Imported Successfully! \n\n" + description;
    }
    static std::string failure() {
        return "Glintwave SE|Import Error. Selected file may be missing critical GLW data. ";
    }
};

struct CategoryCase {
    const char* line;
    const char* entry;       // the package's one content file
    const char* landsAt;     // where it is afterwards, "" when nowhere
    const char* description; // of the success message; null for the error message
};

TEST_F(Import, PackagesLandInTheFolderOfTheirCategory) {
    category("Animals", 1);
    const CategoryCase cases[] = {
        {"[MP3Loops]{Party sounds}", "loop.mp3", "MP3Loops/loop.mp3", "Party sounds"},
        {"[CLIPART]{Shapes}", "Shapes/s.swf", "CLTemplates/Shapes/s.swf", "Shapes"},
        {"[Clipart]{}", "Empty/e.swf", "CLTemplates/Empty/e.swf", ""},
        {"[JPGClips]{Photos}", "p.jpg", "JPGClipart/p.jpg", "Photos"},
        {"[TEffects]{Glow}", "glow.swf", "TextEffects/glow.swf", "Glow"},
        {"[Calendars]{Months}", "Months/m.swf", "", nullptr},
        {"no category at all", "x.swf", "", nullptr},
    };
    auto& form = start();
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        boxes.clear();
        const std::string pkg =
            package("p" + std::to_string(n++) + ".gwi", c.line, {{c.entry, tinySwf(10, 10, c.line)}});
        const auto listed = runImport(form, pkg);
        ASSERT_EQ(boxes.size(), 1u);
        if (c.description) {
            EXPECT_EQ(boxes[0], success(c.description));
            EXPECT_EQ(app.read(c.landsAt), tinySwf(10, 10, c.line));
            const bool movie = std::string(c.entry).find(".swf") != std::string::npos;
            EXPECT_EQ(listed, movie ? std::vector<std::string>{c.entry} : std::vector<std::string>{});
        } else {
            EXPECT_EQ(boxes[0], failure());
            EXPECT_FALSE(app.exists("CLTemplates/Months"));
            EXPECT_TRUE(listed.empty());
        }
    }
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals", "Empty", "Shapes"}));
    EXPECT_EQ(form.Cats.ListIndex, 0) << "the list starts again at the first category";
    EXPECT_EQ(form.CatsSave.items(), form.Cats.items());
}

TEST_F(Import, InfoZipPackageWithTraditionalEncryption) {
    if (::access("/usr/bin/zip", X_OK) != 0) {
        GTEST_SKIP() << "Info-ZIP zip is not installed (the test command installs it)";
    }
    category("Animals", 1);
    work.file("stage/impinfo.dat", "[clipart]{Round blue buttons}\r\n");
    work.file("stage/Buttons/a.swf", tinySwf(40, 40, "a"));
    work.file("stage/Buttons/b.swf", tinySwf(50, 40, "b"));
    const std::string command = "cd '" + work.host("stage") + "' && /usr/bin/zip -q -r -P '" + kImportPassword +
                                "' ../stock.gwi impinfo.dat Buttons";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto& form = start();
    const auto listed = runImport(form, platform::toSystemPath(work.host("stock.gwi")));
    EXPECT_EQ(boxes, (std::vector<std::string>{success("Round blue buttons")}));
    EXPECT_EQ(listed, (std::vector<std::string>{"Buttons/a.swf", "Buttons/b.swf"}));
    EXPECT_EQ(app.read("CLTemplates/Buttons/b.swf"), tinySwf(50, 40, "b"));
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals", "Buttons"}));
}

// One entry of a hostile package, written with libzip directly (our writer never makes such names).
struct RawEntry {
    std::string name;
    std::string data;
    bool link = false;
};

void rawPackage(const std::string& path, const std::vector<RawEntry>& entries) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const auto& e : entries) {
        zip_source_t* source = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
        const zip_int64_t index = zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_RAW);
        ASSERT_GE(index, 0) << e.name;
        ASSERT_EQ(zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, kImportPassword), 0);
        if (e.link) {
            ASSERT_EQ(zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                       zip_uint32_t(S_IFLNK | 0777) << 16),
                      0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0);
}

TEST_F(Import, PackagesWithEscapingEntriesAreRefusedWithNothingWritten) {
    category("Animals", 1);
    auto& form = start();
    const RawEntry hostile[] = {
        {"../glw-evil.swf", "evil"},
        {"..\\glw-evil.swf", "evil"},
        {"Buttons/../../glw-evil.swf", "evil"},
        {"/tmp/glw-evil.swf", "evil"},
        {"\\glw-evil.swf", "evil"},
        {"C:\\glw-evil.swf", "evil"},
        {"C:glw-evil.swf", "evil"},
        {"Buttons/link.swf", "../../../glw-evil.swf", true},
    };
    int n = 0;
    for (const auto& entry : hostile) {
        SCOPED_TRACE(entry.name);
        boxes.clear();
        const std::string pkg = work.host("hostile" + std::to_string(n++) + ".gwi");
        rawPackage(pkg, {{"impinfo.dat", "[clipart]{Trap}\r\n"}, {"Buttons/a.swf", tinySwf(10, 10)}, entry});
        const auto before = files();
        runImport(form, platform::toSystemPath(pkg));
        EXPECT_EQ(boxes, (std::vector<std::string>{failure()}));
        EXPECT_EQ(files(), before) << "not even impinfo.dat is written";
        for (const char* outside : {"/tmp/glw-evil.swf", "/glw-evil.swf"}) {
            EXPECT_FALSE(fs::exists(outside)) << outside;
        }
        EXPECT_FALSE(fs::exists(fs::path(app.host()).parent_path() / "glw-evil.swf"));
    }
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals"}));
}

TEST_F(Import, WrongPasswordAndDamagedPackagesAreRefused) {
    category("Animals", 1);
    auto& form = start();
    const std::string locked =
        package("locked.gwi", "[clipart]{Locked}", {{"Locked/l.swf", tinySwf(10, 10)}}, "not the password");
    work.file("notazip.gwi", "this is not a zip archive");
    for (const std::string& pkg : {locked, platform::toSystemPath(work.host("notazip.gwi"))}) {
        SCOPED_TRACE(pkg);
        boxes.clear();
        const auto before = files();
        runImport(form, pkg);
        EXPECT_EQ(boxes, (std::vector<std::string>{failure()}));
        EXPECT_EQ(files(), before);
    }
}

// Packages refused whole: the library is exactly as it was, not even a folder more, and no category is
// listed that was not there.
TEST_F(Import, RefusedPackagesLeaveTheLibraryAsItWas) {
    category("Animals", 1);
    app.folder("MP3Loops");
    auto& form = start();
    struct Case {
        const char* what;
        const char* line;
        std::vector<std::pair<std::string, std::string>> content;
        std::function<void(const std::string& host)> spoil; // of the package file
        std::function<void(ImportNew&)> prepare;
        const char* password = kImportPassword;
    };
    const std::string zeros(1 << 20, '\0');
    const Case cases[] = {
        {"an entry larger than any clip",
         "[clipart]{Big}",
         {{"Big/a.swf", tinySwf(10, 10)}, {"Big/huge.swf", zeros}},
         [](const std::string& host) {
             ASSERT_TRUE(glw::test::patchStatedSize(host, "Big/huge.swf", std::uint32_t(kMaxImportEntryBytes + 1)));
         },
         {}},
        {"an entry whose data runs past its stated size",
         "[clipart]{Bomb}",
         {{"Bomb/a.swf", tinySwf(10, 10)}, {"Bomb/zeros.swf", zeros}},
         [](const std::string& host) { ASSERT_TRUE(glw::test::patchStatedSize(host, "Bomb/zeros.swf", 4096)); },
         {}},
        {"no room on the disk",
         "[clipart]{Roomy}",
         {{"Roomy/a.swf", tinySwf(10, 10)}, {"Roomy/b.swf", tinySwf(20, 10)}},
         {},
         [](ImportNew& dialog) {
             dialog.DoUnzip.FreeSpace = [](const std::string&) { return std::optional<std::uint64_t>(20); };
         }},
        {"an unknown category with .dat entries in folders",
         "[Calendars]{Months}",
         {{"Months/m.dat", "data"}, {"Months/m.swf", tinySwf(10, 10)}, {"Days/d.dat", "data"}},
         {},
         {}},
        {"no category, .dat entries in folders", "nothing here", {{"Lost/x.dat", "data"}}, {}, {}},
        {"a hidden category folder", "[clipart]{Hidden}", {{".hidden/a.swf", tinySwf(10, 10)}}, {}, {}},
        {"a hidden clip",
         "[clipart]{Dots}",
         {{"Dots/a.swf", tinySwf(10, 10)}, {"Dots/.b.swf", tinySwf(10, 10)}},
         {},
         {}},
        {"a wrong password, .dat entries in folders",
         "[clipart]{Locked}",
         {{"Locked/l.dat", "data"}, {"Locked/l.swf", tinySwf(10, 10)}},
         {},
         {},
         "not the password"},
        {"a second pass that finds no room",
         "[MP3Loops]{Loops}",
         {{"Sub/loop.dat", "data"}, {"loop.mp3", "mp3"}},
         {},
         [](ImportNew& dialog) {
             dialog.DoUnzip.FreeSpace = [](const std::string& folder) {
                 return folder.find("MP3Loops") != std::string::npos ? std::optional<std::uint64_t>(3)
                                                                     : std::optional<std::uint64_t>();
             };
         }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        const std::string pkg = package("refused" + std::to_string(n++) + ".gwi", c.line, c.content, c.password);
        if (c.spoil) {
            c.spoil(platform::toHostPath(pkg));
        }
        const auto before = tree();
        const auto listed = runImport(form, pkg, c.prepare);
        EXPECT_EQ(boxes, (std::vector<std::string>{failure()}));
        EXPECT_EQ(tree(), before) << "nothing written, no folder made";
        EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals"}));
    }
}

TEST_F(Import, AFailingSecondPassIsNotAnnouncedAsSuccess) {
    category("Animals", 1);
    app.file("MP3Loops", "a file where the folder should be");
    auto& form = start();
    const std::string pkg = package("loops.gwi", "[MP3Loops]{Loops}", {{"loop.mp3", "mp3"}});
    runImport(form, pkg);
    EXPECT_EQ(boxes, (std::vector<std::string>{failure()}));
    EXPECT_EQ(app.read("MP3Loops"), "a file where the folder should be");
}

TEST_F(Import, NothingChosenDoesNothing) {
    auto& form = start();
    ASSERT_TRUE(ui().queueScript("click ImportNew.Command6\nclick ImportNew.Command3").ok());
    form.Command15.userClick();
    EXPECT_EQ(ui().pending(), 0u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Import, RoundTripMakerThenImportListsTheNewCategory) {
    category("Animals", 1);
    work.file("movies/round.swf", tinySwf(60, 60, "round"));
    work.file("movies/square.swf", tinySwf(70, 60, "square"));
    auto& form = start();

    ui().then("name the package", [](forms::Runtime& runtime) {
        auto* maker = dynamic_cast<Form2*>(runtime.findForm("Form2"));
        ASSERT_NE(maker, nullptr);
        EXPECT_EQ(maker->Text2.Text(), "Animals") << "the category on view is proposed";
        maker->Text2.Text = "Buttons";
        maker->txtDesc.Text = "Round and square buttons";
    });
    for (const char* movie : {"round.swf", "square.swf"}) {
        ASSERT_TRUE(ui().queueScript("click Form2.Command10").ok());
        ui().chooseFile(platform::toSystemPath(work.host(std::string("movies/") + movie)));
    }
    ASSERT_TRUE(ui().queueScript("click Form2.Command20").ok());
    ui().chooseFile(platform::toSystemPath(work.host("buttons.gwi")));
    answerBox();
    form.Command27.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Complete!|Import File Created.  It is recommended to test imports prior to distribution."}));
    EXPECT_EQ(rt->findForm("Form2"), nullptr) << "the maker closes itself";
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals"})) << "nothing is refreshed after the maker";

    boxes.clear();
    const auto listed = runImport(form, platform::toSystemPath(work.host("buttons.gwi")));
    EXPECT_EQ(boxes, (std::vector<std::string>{success("Round and square buttons")}));
    EXPECT_EQ(listed, (std::vector<std::string>{"Buttons/round.swf", "Buttons/square.swf"}));
    EXPECT_EQ(form.Cats.items(), (std::vector<std::string>{"Animals", "Buttons"}));
    EXPECT_EQ(app.read("CLTemplates/Buttons/square.swf"), tinySwf(70, 60, "square"));
    EXPECT_EQ(app.read("CLTemplates/impinfo.dat"), "[clipart]{Round and square buttons}\r\n");

    form.Cats.userChoose(1);
    EXPECT_EQ(form.lstFlashFiles.ListCount(), 2);
    EXPECT_EQ(form.EWidth.Text(), "60");
}

} // namespace
} // namespace glw::main::test
