// The Export button and the export dialog headless, in this process: every kind from the main window's
// Export button to its one closing message, the checks and questions, the remembered settings, the
// hand-back, and failures that are reported once and lose nothing.
#include "LibraryTestSupport.h"
#include "app/SwfMovieProbe.h"
#include "formats/ExportCode.h"
#include "formats/ExportFiles.h"
#include "formats/PlayerPack.h"
#include "jpk/JpkMarker.h"
#include "jpk/JpkPackage.h"
#include "main/FrmExportAll.h"
#include "vb/VbError.h"

namespace glw::main::test {
namespace {

namespace fs = std::filesystem;

class ExportDialog : public LibraryApp {
protected:
    platform::test::TempDir out; // the output folder
    std::shared_ptr<platform::MemorySettingsStore> settings = std::make_shared<platform::MemorySettingsStore>();
    std::shared_ptr<platform::MemoryClipboard> clipboard = std::make_shared<platform::MemoryClipboard>();
    std::string clip;

    void SetUp() override {
        LibraryApp::SetUp();
        app.file("glwbase.exe", "PLAYER-STUB");
        app.file("glwbase.scr", "SAVER-STUB");
        app.file("quillset.exe", "INSTALLER-STUB");
        clip = tinySwf(120, 80, "the clip");
        app.file("CLTemplates/Animals/cat.swf", clip);
        layOutPlayer("1.0");
    }

    // A Flash player of two small files in the application folder, with its manifest.
    void layOutPlayer(const std::string& version) {
        const std::vector<formats::PlayerFile> files = {{"ruffle.js", "/* player " + version + " */"},
                                                        {"core.wasm", std::string("\0asm", 4) + version}};
        formats::PlayerManifest manifest{version, {}};
        for (const auto& file : files) {
            app.file("ruffle/" + file.name, file.bytes);
            manifest.files.push_back({file.name, file.bytes.size(), formats::playerCrc(file.bytes)});
        }
        app.file("ruffle/glwplayer.txt", formats::writePlayerManifest(manifest));
    }

    Form1& begin(const std::string& request = {}) {
        clipboard->setText(request);
        auto& form = start([this](forms::Services& services) {
            services.clipboard = clipboard;
            services.settings = settings;
        });
        form.CurrentClip = sys("CLTemplates\\Animals\\cat.swf");
        form.EWidth.Text = "120";
        form.EHeight.Text = "80";
        return form;
    }
    void script(const std::string& lines) { ASSERT_TRUE(ui().queueScript(lines).ok()); }
    // Sets the output folder and boxes of the open dialog.
    void prepare(std::function<void(frmExportAll&)> change) {
        ui().then("prepare", [this, change](forms::Runtime& runtime) {
            auto* dialog = dynamic_cast<frmExportAll*>(runtime.findForm("frmExportAll"));
            ASSERT_NE(dialog, nullptr);
            dialog->Dir2.Path = out.system();
            change(*dialog);
        });
    }
    // Clicks Complete Export, answers the questions given and keeps every box shown.
    void exportWith(std::initializer_list<const char*> answers) {
        script("click frmExportAll.Command20");
        for (const char* a : answers) {
            answerBox(a);
        }
    }
    std::string setting(const std::string& key) {
        return settings->getSetting(kExportSettingsApp, kExportSettingsSection, key, "<none>");
    }
    std::vector<std::string> outFiles() const {
        std::vector<std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(out.host())) {
            if (e.is_regular_file()) {
                found.push_back(fs::path(e.path()).lexically_relative(out.host()).generic_string());
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(ExportDialog, WithoutAClipTheButtonSaysSoButTheSizesAndTintAreTaken) {
    auto& form = begin();
    form.CurrentClip = "";
    program->aModule.ClipFlashVars = "CWR=99&CWG=99&CWB=99"; // replaced by the tint control's values
    form.ctlTinter1.mRedTint = 10;
    form.ctlTinter1.mGreenTint = 0;
    form.ctlTinter1.mBlueTint = -5;
    form.EWidth.Text = "12.5";
    form.EHeight.Text = "13.5";
    answerBox("OK");
    form.Command8.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Glintwave SE|No movie has been selected! Unable to export."}));
    EXPECT_EQ(program->aModule.ClipFlashVars, "CWR=10&CWG=0&CWB=-5");
    EXPECT_EQ(program->aModule.ExportWidth, 12);
    EXPECT_EQ(program->aModule.ExportHeight, 14);
    EXPECT_EQ(rt->findForm("frmExportAll"), nullptr);
}

TEST_F(ExportDialog, SizesAreThirtyTwoBitAndAbsurdOnesAreRefused) {
    struct Case {
        const char* text;
        int expected; // -1: refused with a message
    };
    const Case cases[] = {{"550", 550}, {"40000", 40000}, {"abc", 0}, {"1e9", -1}, {"-5", -1}, {"99999.5", 100000}};
    auto& form = begin();
    form.CurrentClip = "";
    for (const auto& c : cases) {
        boxes.clear();
        form.EWidth.Text = c.text;
        answerBox("OK");
        form.Command8.userClick();
        ASSERT_EQ(boxes.size(), 1u);
        if (c.expected < 0) {
            EXPECT_NE(boxes[0].find("cannot be exported"), std::string::npos) << c.text;
        } else {
            EXPECT_EQ(program->aModule.ExportWidth, c.expected) << c.text;
        }
    }
}

TEST_F(ExportDialog, FirstUseDefaultsAndTheVariablesFromTheTint) {
    auto& form = begin();
    program->aModule.ClipFlashVars = "CWR=99&CWG=99&CWB=99"; // replaced by the tint control's values
    form.ctlTinter1.mRedTint = 10;
    form.ctlTinter1.mGreenTint = 0;
    form.ctlTinter1.mBlueTint = -5;
    ui().then("look", [](forms::Runtime& runtime) {
        auto& d = *dynamic_cast<frmExportAll*>(runtime.findForm("frmExportAll"));
        EXPECT_EQ(d.Caption(), "Export");
        EXPECT_EQ(d.txtOutFilename.Text(), "");
        EXPECT_EQ(d.fName.Text(), "glwmovie.htm");
        EXPECT_EQ(d.Text2.Text(), "glwmovie.exe");
        EXPECT_EQ(d.txtSCRName.Text(), "glwmovie.scr");
        EXPECT_EQ(d.Text4.Text(), "vrquillset.exe");
        EXPECT_EQ(d.txtAuthorName.Text(), "Vorel Media");
        EXPECT_EQ(d.lstScale.Text(), "showAll");
        EXPECT_EQ(d.txtDataFolder[0].Text(), "");
        EXPECT_FALSE(d.optExport[2].Enabled);
        EXPECT_TRUE(d.optExport[0].Value);
        EXPECT_EQ(d.lstVars.items(), (std::vector<std::string>{"CWR", "CWG", "CWB"}));
        EXPECT_EQ(d.lstVarVals.items(), (std::vector<std::string>{"10", "0", "-5"}));
        EXPECT_EQ(d.fWidth.Text(), "120");
        // The mirrors.
        d.Text1.Text = "a.swf";
        EXPECT_EQ(d.txtOutFilename.Text(), "a.swf");
        d.txtDataFolder[2].Text = "GLWDATA";
        EXPECT_EQ(d.txtDataFolder[0].Text(), "GLWDATA");
    });
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(program->aModule.ExportDataFolder, "GLWDATA");
    EXPECT_EQ(settings->entries().size(), 0u); // Cancel saves nothing

    // The first occurrence of a name wins; a part without "=" has an empty value.
    program->aModule.ClipFlashVars = "a=1&b=2=3&a=9&c";
    frmExportAll d(*program);
    d.Load();
    EXPECT_EQ(d.lstVars.items(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(d.lstVarVals.items(), (std::vector<std::string>{"1", "2", ""}));
    d.Unload();
}

TEST_F(ExportDialog, WebPageNewThenAppendedThenReplaced) {
    auto& form = begin();
    prepare([](frmExportAll& d) {
        d.txtOutFilename.Text = "cat";
        d.txtDataFolder[0].Text = "GLWDATA/";
        d.fName.Text = "index";
    });
    exportWith({"OK"});
    // Again: the SWF exists (Yes), the page exists: No appends.
    exportWith({"Yes", "No", "OK"});
    ui().then("look", [this](forms::Runtime&) {
        const std::string page = out.read("index.htm");
        // The new page loads its player from the data folder right before the tag; the appended tag finds
        // the player loaded already.
        EXPECT_EQ(page.rfind("<html><head></head><body><script src=\"GLWDATA/ruffle/ruffle.js\"></script><OBJECT  ID='"
                             "GLINTWAVECL",
                             0),
                  0u)
            << page;
        EXPECT_EQ(page.find("<script", page.find("<script") + 1), std::string::npos) << page;
        EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 2);
        EXPECT_NE(page.find("VALUE=\"GLWDATA/cat.swf\""), std::string::npos);
        EXPECT_NE(page.find("</EMBED></OBJECT><OBJECT"), std::string::npos);
    });
    // Yes replaces the page with a new one.
    exportWith({"Yes", "Yes", "OK"});
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Glintwave SE|HTML Export Complete.", "Overwrite|Flash File (SWF) Exists! Overwrite?",
                         "Overwrite|HTML File Exists! Overwrite (YES), Append To File (NO) or Abort (CANCEL) ?",
                         "Glintwave SE|HTML Export Complete.", "Overwrite|Flash File (SWF) Exists! Overwrite?",
                         "Overwrite|HTML File Exists! Overwrite (YES), Append To File (NO) or Abort (CANCEL) ?",
                         "Glintwave SE|HTML Export Complete."}));
    EXPECT_EQ(outFiles(),
              (std::vector<std::string>{"GLWDATA/cat.swf", "GLWDATA/ruffle/core.wasm", "GLWDATA/ruffle/glwplayer.txt",
                                        "GLWDATA/ruffle/ruffle.js", "index.htm"}));
    EXPECT_EQ(out.read("GLWDATA/cat.swf"), clip);
    EXPECT_EQ(out.read("GLWDATA/ruffle/ruffle.js"), "/* player 1.0 */");
    const std::string page = out.read("index.htm");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 1);
    EXPECT_EQ(setting("LastHTM"), "index.htm");
    EXPECT_EQ(setting("LastSWF"), "cat.swf");
    EXPECT_EQ(setting("ExportFolder"), "GLWDATA/");
    EXPECT_EQ(setting("Drive"), "");
    EXPECT_EQ(setting("Folder"), out.system());
    EXPECT_EQ(setting("LastScale"), "0");
}

TEST_F(ExportDialog, ThePageCarriesItsPlayerOncePerFolderAndANewVersionReplacesIt) {
    auto& form = begin();
    prepare([](frmExportAll& d) {
        d.txtOutFilename.Text = "cat";
        d.txtDataFolder[0].Text = "";
        d.fName.Text = "index";
    });
    exportWith({"OK"});
    ui().then("first", [this](forms::Runtime&) {
        // No data folder: the player lies in the page's own folder, and the script names it from there.
        EXPECT_EQ(out.read("index.htm").find("<body><script src=\"ruffle/ruffle.js\"></script><OBJECT"), 19u);
        EXPECT_EQ(out.read("ruffle/ruffle.js"), "/* player 1.0 */");
        // A file the receiver's copy does not have is left alone: the folder is not written again.
        out.file("ruffle/mine.txt", "the author's");
        fs::last_write_time(out.host("ruffle/ruffle.js"), fs::file_time_type::clock::now() - std::chrono::hours(1));
    });
    const auto before = std::make_shared<fs::file_time_type>();
    ui().then("stamp",
              [this, before](forms::Runtime&) { *before = fs::last_write_time(out.host("ruffle/ruffle.js")); });
    exportWith({"Yes", "No", "OK"});
    ui().then("same version", [this, before](forms::Runtime&) {
        EXPECT_EQ(fs::last_write_time(out.host("ruffle/ruffle.js")), *before);
        layOutPlayer("2.0");
    });
    exportWith({"Yes", "No", "OK"});
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(out.read("ruffle/ruffle.js"), "/* player 2.0 */");
    EXPECT_EQ(out.read("ruffle/glwplayer.txt"), app.read("ruffle/glwplayer.txt"));
    EXPECT_EQ(out.read("ruffle/mine.txt"), "the author's");
    const std::string page = out.read("index.htm");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 3);
    EXPECT_EQ(page.find("<script", page.find("<script") + 1), std::string::npos) << page;
}

TEST_F(ExportDialog, APageExportWithoutThePlayerSaysSoAndWritesNothing) {
    fs::remove_all(app.host("ruffle"));
    auto& form = begin();
    prepare([](frmExportAll& d) {
        d.txtOutFilename.Text = "cat";
        d.txtDataFolder[0].Text = "GLWDATA";
        d.fName.Text = "index";
    });
    exportWith({"OK"});
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Error|The Flash player that the page needs to show its movie in a browser is missing "
                             "from ",
                             0),
              0u)
        << boxes[0];
    EXPECT_EQ(outFiles(), std::vector<std::string>{});
}

TEST_F(ExportDialog, ExecutableWithExtraFiles) {
    auto& form = begin();
    out.file("extra.dat", "EXTRA");
    prepare([](frmExportAll& d) {
        d.optExport[1].Value = true;
        d.Text2.Text = "cat";
    });
    script("click frmExportAll.Command6");
    ui().chooseFile(out.system("extra.dat"));
    script("click frmExportAll.Command8\ntype InputForm.Text1 \"x.txt\"\nanswer OK");
    exportWith({"OK"});
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Glintwave SE|Executable Export Complete."}));
    const std::string exe = out.read("cat.exe");
    ASSERT_EQ(exe.rfind("PLAYER-STUB", 0), 0u);
    const std::string package = exe.substr(11 + jpk::kJpkMarkerLength);
    auto walker = jpk::walkJpkBytes(package);
    std::vector<std::string> names;
    while (auto next = walker.next()) {
        if (!next.value()) {
            break;
        }
        names.push_back(next.value()->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"glwmovie.swf", "extra.dat", "startup.ini"}));
    EXPECT_NE(package.find("\r\nx.txt\r\n"), std::string::npos);
    EXPECT_EQ(setting("LastEXE"), "cat.exe");
}

TEST_F(ExportDialog, ScreenSaverWithItsInstaller) {
    auto& form = begin();
    prepare([](frmExportAll& d) {
        d.optExport[3].Value = true;
        d.txtSCRName.Text = "cat";
        d.Text4.Text = "setup";
    });
    exportWith({"OK"});
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Glintwave SE|Screen Saver Export Complete."}));
    EXPECT_EQ(outFiles(), (std::vector<std::string>{"cat.scr", "setup.exe"}));
    EXPECT_NE(out.read("setup.exe").find(out.read("cat.scr")), std::string::npos);
    EXPECT_EQ(setting("LastSCR"), "cat.scr");
    EXPECT_EQ(setting("LastSCRInst"), "setup.exe");
}

TEST_F(ExportDialog, HandBackPutsTheReplyOnTheClipboardAndEnds) {
    auto& form = begin("(WBLFPCommand)(@a.htm@)[C:\\site]{GLWDATA}");
    prepare([](frmExportAll& d) {
        EXPECT_TRUE(d.optExport[2].Value);
        EXPECT_TRUE(d.frmExport3.Visible);
        EXPECT_EQ(d.txtDataFolder[2].Text(), "GLWDATA");
        d.Text1.Text = "cat";
    });
    script("click frmExportAll.Command20");
    EXPECT_THROW(form.Command8.userClick(), vb::EndProgram);
    const std::string reply = clipboard->getText();
    EXPECT_EQ(reply.rfind("(GLWFPRetClip)[Exit]<GLWCODE><OBJECT  ID='GLINTWAVECL", 0), 0u) << reply;
    EXPECT_NE(reply.find("</GLWCODE><GLWFILES>GLWDATA," + sys("Working\\cat.swf") + "</GLWFILES>"), std::string::npos)
        << reply;
    EXPECT_EQ(reply.find('\n'), std::string::npos);
    EXPECT_EQ(app.read("Working/cat.swf"), clip);
    EXPECT_EQ(settings->entries().size(), 0u);
}

TEST_F(ExportDialog, PresentationHandBackAsksNothingAndWritesPpoint) {
    auto& form = begin("(WBLFPCommand)[RunningGLWPowerPoint]");
    prepare([](frmExportAll& d) { EXPECT_TRUE(d.frmPowerPoint.Visible); });
    script("click frmExportAll.Command20");
    EXPECT_THROW(form.Command8.userClick(), vb::EndProgram);
    EXPECT_EQ(app.read("Working/ppoint.swf"), clip);
    EXPECT_NE(clipboard->getText().find("<GLWFILES>," + sys("Working\\ppoint.swf")), std::string::npos);
}

// Failures: one message titled "Error" in place of the completion message, the settings untouched, and
// no file lost or half-written.
TEST_F(ExportDialog, FailuresAreReportedOnceAndLoseNothing) {
    struct Case {
        const char* what;
        std::function<void(frmExportAll&)> set;
        const char* message; // start of the error's text
    };
    const Case cases[] = {
        {"page without a closing body tag",
         [this](frmExportAll& d) {
             out.file("page.htm", "<html>no end");
             d.fName.Text = "page.htm";
             d.txtOutFilename.Text = "a.swf";
         },
         "Unable to locate final body tag"},
        {"SWF name leaving its folder",
         [](frmExportAll& d) {
             d.fName.Text = "p.htm";
             d.txtOutFilename.Text = "../a.swf";
         },
         "The SWF file name"},
        {"data folder leaving its folder",
         [](frmExportAll& d) {
             d.fName.Text = "p.htm";
             d.txtOutFilename.Text = "a.swf";
             d.txtDataFolder[0].Text = "../up";
         },
         "The data folder"},
        {"SWF name shadowing the movie",
         [](frmExportAll& d) {
             d.optExport[2].Enabled = true;
             d.fName.Text = "p.htm";
             d.txtOutFilename.Text = "NEWCLIP.SWF";
         },
         "The SWF file name"},
        {"executable over its own stub",
         [this](frmExportAll& d) {
             d.Dir2.Path = app.system();
             d.optExport[1].Value = true;
             d.Text2.Text = "glwbase.exe";
         },
         "The output may not be"},
        {"width that is no number",
         [](frmExportAll& d) {
             d.optExport[1].Value = true;
             d.Text2.Text = "x.exe";
             d.fWidth.Text = "wide";
         },
         "The width"},
        {"author with a comma",
         [](frmExportAll& d) {
             d.optExport[3].Value = true;
             d.txtAuthorName.Text = "Vorel, Media";
         },
         "The author name"},
        {"variable value with an ampersand",
         [](frmExportAll& d) {
             d.fName.Text = "p.htm";
             d.txtOutFilename.Text = "a.swf";
             d.lstVars.AddItem("v");
             d.lstVarVals.AddItem("1&2");
         },
         "The value of v"},
        {"missing stub",
         [this](frmExportAll& d) {
             fs::remove(app.host("glwbase.scr"));
             d.optExport[3].Value = true;
         },
         "The program glwbase.scr"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        auto& form = begin();
        prepare([&](frmExportAll& d) {
            if (c.set) {
                c.set(d);
            }
        });
        const bool pageCase = std::string(c.what) == "page without a closing body tag";
        if (pageCase) {
            exportWith({"No", "OK"}); // append to the existing page
        } else {
            exportWith({"OK"});
        }
        script("click frmExportAll.Command3");
        form.Command8.userClick();
        ASSERT_EQ(boxes.size(), pageCase ? 2u : 1u) << c.what;
        EXPECT_EQ(boxes.back().rfind(std::string("Error|") + c.message, 0), 0u) << c.what << ": " << boxes.back();
        EXPECT_EQ(settings->entries().size(), 0u) << c.what;
        EXPECT_FALSE(app.exists("Working/glwexe.dta")) << c.what;
        EXPECT_EQ(app.read("glwbase.exe"), "PLAYER-STUB") << c.what;
        if (pageCase) {
            EXPECT_EQ(out.read("page.htm"), "<html>no end");
        }
        for (const auto& f : outFiles()) {
            EXPECT_TRUE(f == "page.htm" || f.rfind("a.swf") != std::string::npos) << c.what << " left " << f;
        }
    }
}

TEST_F(ExportDialog, EmptyNamesAndDeclinedQuestionsStopBeforeAnythingIsWritten) {
    struct Case {
        int kind;
        std::function<void(frmExportAll&)> set;
        std::vector<const char*> answers;
        const char* firstBox;
    };
    const Case cases[] = {
        {0, [](frmExportAll& d) { d.fName.Text = ""; }, {"OK"}, "Error|No output filename given for HTML file."},
        {0,
         [](frmExportAll& d) { d.txtOutFilename.Text = ""; },
         {"OK"},
         "Error|No output filename given for SWF file."},
        {1, [](frmExportAll& d) { d.Text2.Text = ""; }, {"OK"}, "Error|No output filename given for Executable file."},
        {3,
         [](frmExportAll& d) { d.txtSCRName.Text = ""; },
         {"OK"},
         "Error|No output filename given for ScreenSaver file."},
        {3,
         [](frmExportAll& d) { d.Text4.Text = ""; },
         {"OK"},
         "Error|No output filename given for ScreenSaver Installer file."},
        {1, [this](frmExportAll&) { out.file("glwmovie.exe", "KEEP"); }, {"No"}, "Overwrite|File Exists! Overwrite?"},
        {3,
         [this](frmExportAll&) { out.file("glwmovie.scr", "KEEP"); },
         {"Cancel"},
         "Overwrite|Screensaver (SCR) File Exists! Overwrite?"},
        {0,
         [this](frmExportAll& d) {
             d.txtOutFilename.Text = "k.swf";
             out.file("glwmovie.htm", "KEEP");
         },
         {"Cancel"},
         "Overwrite|HTML File Exists! Overwrite (YES), Append To File (NO) or Abort (CANCEL) ?"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        auto& form = begin();
        prepare([&](frmExportAll& d) {
            d.optExport[c.kind].Value = true;
            if (c.kind == 0 && d.txtOutFilename.Text().empty()) {
                d.txtOutFilename.Text = "a.swf";
            }
            c.set(d);
        });
        script("click frmExportAll.Command20");
        for (const char* a : c.answers) {
            answerBox(a);
        }
        script("click frmExportAll.Command3");
        form.Command8.userClick();
        ASSERT_EQ(boxes.size(), 1u) << c.firstBox;
        EXPECT_EQ(boxes[0], c.firstBox);
        EXPECT_EQ(settings->entries().size(), 0u);
        for (const auto& f : outFiles()) {
            EXPECT_EQ(out.read(f), "KEEP") << f;
        }
        for (const auto& f : outFiles()) {
            fs::remove(out.host(f));
        }
    }
}

TEST_F(ExportDialog, ASecondClickWhileAnExportRunsDoesNothing) {
    auto& form = begin();
    prepare([](frmExportAll& d) {
        d.optExport[1].Value = true;
        d.Text2.Text = "one.exe";
    });
    script("click frmExportAll.Command20");
    // While the completion message of the first export is open, the button is clicked again.
    ui().then("second click", [](forms::Runtime& runtime) {
        auto* d = dynamic_cast<frmExportAll*>(runtime.findForm("frmExportAll"));
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->busy());
        d->Command20.userClick();
        d->Command3.userClick();
        d->userClose();
        EXPECT_TRUE(d->loaded());
    });
    answerBox("OK");
    script("click frmExportAll.Command3");
    form.Command8.userClick();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Glintwave SE|Executable Export Complete."}));
}

TEST(ExportExtension, TheFourCharacterRule) {
    struct Case {
        const char* text;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {{"index.html", ".htm", "index.html.htm"},
                          {"INDEX.HTM", ".htm", "INDEX.HTM"},
                          {"a", ".exe", "a.exe"},
                          {"exe", ".exe", "exe.exe"},
                          {".exe", ".exe", ".exe"},
                          {"clip.SWF", ".swf", "clip.SWF"}};
    for (const auto& c : cases) {
        EXPECT_EQ(withExtension(c.text, c.ext), c.expected) << c.text;
    }
}

} // namespace
} // namespace glw::main::test

namespace glw::main::test {
namespace {

// DoMainExport on its own: the description it leaves, the clip it writes, and the faults it reports.
TEST_F(ExportDialog, DoMainExportDescribesAndWritesTheClip) {
    auto& form = begin();
    struct Case {
        const char* swf;
        const char* folder;
        const char* movie;
        const char* files; // behind the folder's comma, relative to the application folder
    };
    const Case cases[] = {
        {"glwmovie.swf", "", "glwmovie.swf", "Working\\glwmovie.swf"},
        {"clip.swf", "GLWDATA", "GLWDATA/clip.swf", "Working\\clip.swf"},
        {"clip.swf", "GLWDATA/", "GLWDATA/clip.swf", "Working\\clip.swf"},
    };
    for (const auto& c : cases) {
        auto r = form.DoMainExport(c.swf, c.folder);
        ASSERT_TRUE(r.ok()) << r.error().detail;
        const auto& g = program->aModule;
        EXPECT_EQ(formats::writeExportFiles(g.ExportFiles).value(), std::string(c.folder) + "," + sys(c.files));
        const std::string code = formats::writeExportDescription(g.ExportCode.description).value();
        EXPECT_FALSE(g.ExportCode.hasTag());
        const auto bar1 = code.find('|');
        const auto bar2 = code.find('|', bar1 + 1);
        EXPECT_EQ(code.substr(0, 11), "GLINTWAVECL");
        EXPECT_EQ(code.substr(bar1 + 1, bar2 - bar1 - 1), c.movie);
        EXPECT_EQ(code.substr(bar2 + 1), "#FFFFFF");
        EXPECT_TRUE(app.read(std::string("Working/") + c.swf) == clip) << c.swf;
    }
    // The clip is the target itself: it is kept, not deleted before the copy.
    app.file("Working/glwmovie.swf", clip);
    form.CurrentClip = sys("Working\\glwmovie.swf");
    ASSERT_TRUE(form.DoMainExport("glwmovie.swf", "").ok());
    EXPECT_TRUE(app.read("Working/glwmovie.swf") == clip);
    // A missing clip is reported; the description is still written.
    form.CurrentClip = sys("CLTemplates\\gone.swf");
    program->aModule.ExportFiles.clear();
    auto missing = form.DoMainExport("x.swf", "");
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(program->aModule.ExportFiles.empty());
    EXPECT_FALSE(app.exists("Working/x.swf"));
    EXPECT_FALSE(form.DoMainExport("../x.swf", "").ok());
    EXPECT_EQ(form.FPReturnCode(), "GLWFPRetClip");
}

// With "Apply" ticked the clip is rebuilt by the generator at the size of the size boxes.
TEST_F(ExportDialog, DoMainExportWithApplyRebuildsAtTheBoxesSize) {
    auto& form = begin();
    auto& apply = form.chkDoChange; // the editor's "Apply" box
    apply.Value = forms::vbChecked;
    form.EWidth.Text = "240";
    form.EHeight.Text = "160";
    auto r = form.DoMainExport("applied.swf", "");
    ASSERT_TRUE(r.ok()) << r.error().detail;
    const auto size = app::SwfMovieProbe().size(app.host("Working/applied.swf"));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 240);
    EXPECT_EQ(size->height, 160);
    // Unticked: a byte-for-byte copy.
    apply.Value = forms::vbUnchecked;
    ASSERT_TRUE(form.DoMainExport("copied.swf", "").ok());
    EXPECT_TRUE(app.read("Working/copied.swf") == clip);
}

} // namespace
} // namespace glw::main::test
