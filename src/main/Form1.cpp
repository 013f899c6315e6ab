// The main window's design (controls, captions, positions), its start-up road, the end of the program,
// the shortcuts, the toolbar, Exit, Help and the support menu.
#include "Form1.h"

#include "MainProgram.h"
#include "common/ModText.h"
#include "formats/ClipText.h"
#include "forms/Runtime.h"
#include "vb/VbFile.h"

namespace glw::main {

namespace {

// The support menu's addresses: placeholders of our own until the product has real ones.
constexpr const char* kHomePage = "http://www.example.com/";
constexpr const char* kSupportForm = "http://support.example.net/contact.asp";
constexpr const char* kSupportMail = "mailto:support@example.com?Subject=Glintwave SE";

constexpr int kPixel = forms::kTwipsPerDesignPixel;

using forms::place;

} // namespace

const char* const Form1::kPanelTitles[6] = {
    "Clipart", "Files", "Cache", "Browse What ", "Detected Resources ", "Selected Properties"};

Form1::Form1(MainProgram& owner) : Form(owner.runtime, "Form1"), program(owner) {
    layOut();
    bindEvents();
}

Form1::~Form1() = default;

void Form1::layOut() {
    Caption = "Glintwave SE Flash Browser/Transformer";
    Width = 960 * kPixel;
    Height = 640 * kPixel;
    KeyPreview = true; // the shortcuts work whichever control has the focus

    // Toolbar.
    fBut.add(0).ToolTipText = "Check and Download Updates of Software";
    fBut.add(5).ToolTipText = "Get Online Support ";
    place(fBut[0], 8, 6, 72, 32);
    place(fBut[5], 84, 6, 72, 32);
    fBut[0].Caption = "Updates";
    fBut[5].Caption = "Support";

    // Left: the browse panels.
    place(TitleBar.add(3), 8, 46, 200, 20);
    place(Extend1.add(3), 208, 46, 20, 20);
    frmBrowseWhat.Caption = " Browse What :";
    place(frmBrowseWhat, 8, 68, 220, 84);
    const char* sources[] = {"GLW Clipart", "SWF Files", "IE Cache"};
    for (int i = 0; i < 3; ++i) {
        auto& option = chkBrowseWhat.add(i);
        option.Caption = sources[i];
        option.setContainer(&frmBrowseWhat);
        place(option, 12, 20 + i * 20, 196, 18);
    }
    chkBrowseWhat[0].Value.store(true);
    place(TitleBar.add(0), 8, 160, 200, 20);
    place(Extend1.add(0), 208, 160, 20, 20);
    place(Cats, 8, 182, 220, 200);
    place(TitleBar.add(1), 8, 160, 200, 20);
    place(Extend1.add(1), 208, 160, 20, 20);
    place(TitleBar.add(2), 8, 160, 200, 20);
    place(Extend1.add(2), 208, 160, 20, 20);
    TitleBar[1].Visible = false;
    Extend1[1].Visible = false;
    TitleBar[2].Visible = false;
    Extend1[2].Visible = false;
    place(CatsSave, 8, 560, 220, 22);

    // Middle: the preview over the page of cells.
    place(FlashDemo, 236, 46, 480, 400);
    FlashDemo.Visible = false;

    // Right: detected resources and properties.
    place(TitleBar.add(4), 724, 46, 208, 20);
    place(Extend1.add(4), 932, 46, 20, 20);
    const char* kinds[] = {"Text", "Images", "Sound", "Links"};
    for (int i = 0; i < 4; ++i) {
        auto& option = Option1.add(i);
        option.Caption = kinds[i];
        place(option, 724 + i * 57, 70, 56, 18);
    }
    place(TitleBar.add(5), 724, 300, 208, 20);
    place(Extend1.add(5), 932, 300, 20, 20);

    // Bottom: Help, the preview/edit toggle, Export and Exit.
    Command1.Caption = "Preview / Edit";
    Command1.ToolTipText = "Preview and edit the selected clip (Ctrl+P)";
    place(Command1, 88, 596, 120, 32);
    Command6.ToolTipText = "Help";
    Command6.Caption = "Help";
    place(Command6, 8, 596, 72, 32);
    Command8.ToolTipText = "Export";
    Command8.Caption = "Export";
    Command8.Style = 1;
    place(Command8, 788, 596, 80, 32);
    Command3.ToolTipText = "Exit Glintwave";
    Command3.Caption = "Exit";
    Command3.Style = 1;
    place(Command3, 876, 596, 76, 32);
    picFP.Visible = false;

    mnuSupport.Caption = "Support";
    mnuSupport.Visible = false; // a popup menu only
    mnuWeb.Caption = "Visit Website Home";
    mnuWebSupport.Caption = "Online Support Form";
    mnuEmail.Caption = "Email Support";

    layOutLibrary();
    layOutEditor();
}

void Form1::bindEvents() {
    fBut.on(&forms::CommandButton::Click, [this](int Index) { fBut_Click(Index); });
    Command3.Click = [this] { Command3_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    mnuWeb.Click = [this] { mnuWeb_Click(); };
    mnuWebSupport.Click = [this] { mnuWebSupport_Click(); };
    mnuEmail.Click = [this] { mnuEmail_Click(); };
    chkBrowseWhat.on(&forms::OptionButton::Click, [this](int Index) { chkBrowseWhat_Click(Index); });
    Cats.Click = [this] { Cats_Click(); };
    Option1.on(&forms::OptionButton::Click, [this](int Index) { Option1_Click(Index); });
    bindLibraryEvents();
    bindEditorEvents();
}

void Form1::Form_Load() {
    auto& rt = runtime();
    auto& g = program.aModule;
    const std::string appPath = rt.App.Path;
    vb::ResumeNext step(rt.errorLog(), "Form1.Form_Load");

    // 1. The scratch folder starts empty (its sub-folders stay).
    step([&] { vb::Kill(appPath + "\\Working\\*.*"); });

    // 2. No clip is chosen yet: no variables, no browse source, no browser cache read.
    g.ClipFlashVars = "";
    BrowseSource = 0;
    CacheLoaded = false;

    // picFP holds the hand-back picture that the Export button shows in add-in mode.
    step([&] { picFP.Picture = rt.LoadPicture(appPath + "\\resource\\handback.jpg"); });

    // 3. The Export button's picture.
    step([&] { Command8.Picture = rt.LoadPicture(appPath + "\\resource\\export.jpg"); });

    // 4. The title movies.
    for (int i = TitleBar.LBound(); i <= TitleBar.UBound(); ++i) {
        step([&] { TitleBar[i].Movie = appPath + "\\Resource\\titlebar.swf"; });
        step([&] { Extend1[i].Movie = appPath + "\\Resource\\titlebar.swf"; });
    }

    // 5. An add-in's request on the clipboard puts the program in add-in mode.
    std::string request;
    step([&] { request = rt.ClipboardGetText(); });
    if (auto read = formats::readClipRequest(request)) {
        g.AddinMode = -1;
        g.HostPageFiles = std::move(read->pageFiles);
        g.HostPageFolder = std::move(read->pageFolder);
        step([&] { Command8.Picture = picFP.Picture(); });
        g.ExportDataFolder = std::move(read->dataFolder);
        g.HostProgram = g.HostPageFolder == formats::kPresentationPageFolder ? "PowerPoint" : "FrontPage";
        // The request is taken: a later start by hand must not enter add-in mode with it again.
        step([&] { rt.ClipboardClear(); });
    } else {
        g.AddinMode = 0;
    }

    // 6. Fonts.
    step([&] { program.modText.LoadScreenFonts(); });
    step([&] { program.modText.FillFontList(lstFonts); });

    // 7 and 8. The categories, and the first one lists its clips.
    listCategories(step);

    // 9. Panel titles.
    for (int i = 0; i <= 5; ++i) {
        step([&] { TitleBar[i].SetVariable("txtTitle", kPanelTitles[i]); });
        step([&] { Extend1[i].SetVariable("txtTitle", " "); });
    }

    // 10. The window stands in the middle of the screen.
    step([&] { common::CenterForm(*this); });
}

void Form1::listCategories(vb::ResumeNext& step) {
    // The plain folders of CLTemplates (a read-only or hidden folder is not listed), in listing order.
    const std::string templates = runtime().App.Path + "\\CLTemplates\\";
    std::vector<std::string> names;
    step([&] { names = vb::DirList(templates, vb::vbDirectory); });
    for (const auto& name : names) {
        if (name == "." || name == "..") {
            continue;
        }
        step([&] {
            if (vb::GetAttr(templates + name) == vb::vbDirectory) {
                Cats.AddItem(name);
                CatsSave.AddItem(name);
            }
        });
    }
    step([&] { Cats.ListIndex = 0; });
    step([&] { CatsSave.ListIndex = 0; });
}

void Form1::Form_Unload(int&) {
    runtime().End();
}

void Form1::Form_KeyDown(int& KeyCode, int Shift) {
    if (Shift != forms::vbCtrlMask) {
        return;
    }
    if (KeyCode == 'P') {
        Command1_Click();
    } else if (KeyCode == 'E') {
        Command8_Click();
    }
    // The view is tested after Ctrl+P has run, so one press never triggers two actions.
    if (!inEditView()) {
        if (KeyCode == '1') {
            chkBrowseWhat[0].Value = true;
        } else if (KeyCode == '2') {
            chkBrowseWhat[1].Value = true;
        }
        return;
    }
    const int letters[] = {'T', 'I', 'S', 'L'};
    for (int i = 0; i < 4; ++i) {
        if (KeyCode == letters[i]) {
            Option1[i].Value = true;
            Option1_Click(i);
        }
    }
    if (KeyCode == 'R') {
        Command11_Click();
    } else if (KeyCode == 'A') {
        Command12_Click();
    }
}

void Form1::fBut_Click(int Index) {
    auto& rt = runtime();
    if (Index == 0) {
        const std::string question =
            "This program will now be shutdown and the auto updater launched.  (If you are using FrontPage we "
            "recommend it also be closed before updating)"
            "\r\rAre you sure you wish to check/run updates?";
        if (program.MsgBoxEx(question, common::msgYesNoCancel, "Closing") != common::answerYes) {
            return;
        }
        const std::string updater = rt.App.Path + "\\glwupdate.exe";
        if (common::ShellOpen(rt, updater) <= 32) {
            // Ending now would leave the user with neither program: say so and keep running.
            program.MsgBoxEx("The auto updater could not be started (" + updater + ").", common::msgOk, "Glintwave SE");
            return;
        }
        Unload();
    } else if (Index == 5) {
        PopupMenu(mnuSupport);
    }
}

void Form1::Command3_Click() {
    program.aModule.LinkURL = "";
    Unload();
}

void Form1::Command6_Click() {
    CallHelp();
}

void Form1::CallHelp() {
    // Where the desktop cannot open the help file (no program for it, or the file is missing), the help
    // page opens in the browser instead, so that Help never does nothing.
    const std::string help = runtime().App.Path + "\\Help\\";
    if (common::ShellOpen(runtime(), help + "glwtrans.chm") <= 32) {
        common::ShellOpen(runtime(), help + "index.htm");
    }
}

void Form1::mnuWeb_Click() {
    common::ShellOpen(runtime(), kHomePage);
}
void Form1::mnuWebSupport_Click() {
    common::ShellOpen(runtime(), kSupportForm);
}
void Form1::mnuEmail_Click() {
    common::ShellOpen(runtime(), kSupportMail);
}

} // namespace glw::main
