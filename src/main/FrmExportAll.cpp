// The export dialog and its Export button.
#include "FrmExportAll.h"

#include "AModuleProcedures.h"
#include "ExportBuilders.h"
#include "ExportTag.h"
#include "Form1.h"
#include "MainProgram.h"
#include "base/FileIo.h"
#include "common/ModText.h"
#include "formats/ClipText.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

namespace glw::main {

namespace {

constexpr int kPixel = forms::kTwipsPerDesignPixel;
constexpr int kBottomMargin = 375; // twips below the button bar
constexpr const char* kTitle = "Glintwave SE";
constexpr const char* kDataFolderNote =
    "A folder will be created under the selected HTML files folder that will contain the SWF file and any other "
    "required data files (such as JPG's, MP3's etc)";

using forms::place;

// A control placed inside one of the dialog's frames.
constexpr auto inFrame = &forms::placeInside;

void label(forms::Label& l, forms::Frame& frame, const char* caption, int x, int y, int w) {
    l.Caption = caption;
    inFrame(l, frame, x, y, w, 18);
}

// Sets the pointer for the time of a step; the arrow comes back however the step ends.
class Hourglass {
public:
    explicit Hourglass(forms::Form& form) : m_form(form) { m_form.MousePointer = forms::vbHourglass; }
    ~Hourglass() { m_form.MousePointer = forms::vbDefault; }

private:
    forms::Form& m_form;
};

} // namespace

std::string withExtension(const std::string& text, const std::string& extension) {
    const std::string tail = vb::LCase(text.size() < 4 ? text : text.substr(text.size() - 4));
    if (tail != extension) {
        return text + extension;
    }
    return text;
}

frmExportAll::frmExportAll(MainProgram& owner) : Form(owner.runtime, "frmExportAll"), program(owner) {
    layOut();
    bindEvents();
}

void frmExportAll::layOut() {
    Caption = "Export";
    Width = 540 * kPixel;
    BorderStyle = 3;

    place(Frame1, 0, 0, 536, 44);
    Label1.Caption = "  Export To :";
    inFrame(Label1, Frame1, 8, 14, 80, 18);
    const char* kinds[] = {"Into Web Page File ", " Executable Movie. (.EXE)", "To MS Office Product", "Screen Saver"};
    const int xs[] = {88, 214, 380, 0};
    for (int i = 0; i < 4; ++i) {
        auto& option = optExport.add(i);
        option.Caption = kinds[i];
        option.setContainer(&Frame1);
        place(option, i == 3 ? 88 : xs[i], i == 3 ? 24 : 4, i == 1 ? 160 : 130, 18);
    }

    // The location page. This system has one drive: its list is folded into the folder list.
    place(frmExport, 0, 44, 536, 176);
    label(lblDrive, frmExport, "Drive :", 8, 8, 60);
    inFrame(Drive2, frmExport, 70, 6, 180, 22);
    lblDrive.Visible = false;
    Drive2.Visible = false;
    label(lblFolder, frmExport, "Folder :", 8, 8, 60);
    inFrame(Dir2, frmExport, 8, 28, 256, 140);
    inFrame(File1, frmExport, 272, 28, 256, 140);
    File1.Pattern = "*.htm;*.html;*.asp;*.php";
    List2.Visible = false;
    List3.Visible = false;

    place(frmExport1, 0, 220, 536, 120);
    label(lblHtml, frmExport1, "HTML File :", 8, 10, 100);
    inFrame(fName, frmExport1, 110, 8, 300, 22);
    label(lblSwf, frmExport1, "SWF Filename :", 8, 38, 100);
    inFrame(txtOutFilename, frmExport1, 110, 36, 300, 22);
    label(lblData0, frmExport1, "Data Folder :", 8, 66, 100);
    inFrame(txtDataFolder.add(0), frmExport1, 110, 64, 300, 22);
    label(Label20, frmExport1, kDataFolderNote, 8, 90, 520);
    Label20.Height = 28 * kPixel;

    place(frmExport2, 0, 220, 536, 150);
    label(lblExe, frmExport2, "EXE Filename :", 8, 10, 100);
    inFrame(Text2, frmExport2, 110, 8, 300, 22);
    label(lblAllow1, frmExport2, "Other Files To Include In .EXE", 8, 38, 250);
    inFrame(lstAllow1, frmExport2, 8, 58, 200, 84);
    Command6.Caption = "+";
    inFrame(Command6, frmExport2, 212, 58, 28, 24);
    Command1.Caption = "-";
    inFrame(Command1, frmExport2, 212, 86, 28, 24);
    label(lblAllow2, frmExport2, "Files To Use From .EXE Folder At Runtime :", 272, 38, 260);
    inFrame(lstAllow2, frmExport2, 272, 58, 200, 84);
    Command8.Caption = "+";
    inFrame(Command8, frmExport2, 476, 58, 28, 24);
    Command7.Caption = "-";
    inFrame(Command7, frmExport2, 476, 86, 28, 24);

    place(frmExport3, 0, 44, 536, 100);
    label(lblSwf2, frmExport3, "SWF Filename :", 8, 10, 100);
    inFrame(Text1, frmExport3, 110, 8, 300, 22);
    label(lblData2, frmExport3, "Data Folder :", 8, 38, 100);
    inFrame(txtDataFolder.add(2), frmExport3, 110, 36, 300, 22);
    label(Label6, frmExport3, kDataFolderNote, 8, 64, 520);
    Label6.Height = 28 * kPixel;
    place(frmPowerPoint, 0, 44, 536, 50);
    label(Label14, frmPowerPoint, "No File Settings Required for PowerPoint Export.", 8, 16, 400);

    place(frmExport4, 0, 220, 536, 150);
    label(lblScr, frmExport4, "SCR Filename :", 8, 10, 120);
    inFrame(txtSCRName, frmExport4, 130, 8, 280, 22);
    label(lblInst, frmExport4, "Installer Filename  :", 8, 38, 120);
    inFrame(Text4, frmExport4, 130, 36, 280, 22);
    label(lblAuthor, frmExport4, "Author Name :", 8, 66, 120);
    inFrame(txtAuthorName, frmExport4, 130, 64, 280, 22);
    label(lblWeb, frmExport4, "Author Website :", 8, 94, 120);
    inFrame(txtAuthorWeb, frmExport4, 130, 92, 280, 22);
    label(Label11, frmExport4, "It is recommended to change Property settings to Exact Fit on Scale for ScreenSavers.",
          8, 122, 520);

    // The output properties panel, hidden until asked for.
    place(Picture1, 0, 0, 536, 210);
    Picture1.Visible = false;
    lblProps.Caption = "  Export Properties :";
    lblProps.setContainer(&Picture1);
    place(lblProps, 4, 4, 200, 18);
    auto prop = [this](forms::Label& l, const char* caption, forms::Control& c, int y) {
        l.Caption = caption;
        l.setContainer(&Picture1);
        place(l, 8, y + 2, 130, 18);
        c.setContainer(&Picture1);
        place(c, 140, y, 110, 22);
    };
    prop(lblScale, "Scale Mode :", lstScale, 26);
    prop(lblWidth, "Width in Page :", fWidth, 54);
    prop(lblHeight, "Height in Page :", fHeight, 82);
    prop(lblWMode, "Window Mode :", WMode, 110);
    prop(lblHAlign, "Horizontal Alignment :", HAlign, 138);
    prop(lblVAlign, "Vertical Alignment:", VAlign, 166);
    wPerc.Caption = "%";
    wPerc.setContainer(&Picture1);
    place(wPerc, 254, 56, 40, 18);
    hPerc.Caption = "%";
    hPerc.setContainer(&Picture1);
    place(hPerc, 254, 84, 40, 18);
    for (const char* s : {"showAll", "noBorder", "exactFit", "noScale"}) {
        lstScale.AddItem(s);
    }
    for (const char* s : {"Opaque", "Transparent"}) {
        WMode.AddItem(s);
    }
    for (const char* s : {"Center", "Left", "Right"}) {
        HAlign.AddItem(s);
    }
    for (const char* s : {"Center", "Top", "Bottom"}) {
        VAlign.AddItem(s);
    }
    lstScale.Style = forms::vbComboDropdownList;
    WMode.Style = forms::vbComboDropdownList;
    HAlign.Style = forms::vbComboDropdownList;
    VAlign.Style = forms::vbComboDropdownList;
    frmVars.Caption = " Flash Variables ";
    frmVars.setContainer(&Picture1);
    place(frmVars, 300, 20, 228, 184);
    inFrame(lstVars, frmVars, 8, 20, 104, 90);
    inFrame(lstVarVals, frmVars, 116, 20, 104, 90);
    label(lblVName, frmVars, "Name :", 8, 118, 50);
    inFrame(txtVName, frmVars, 60, 116, 160, 22);
    txtVName.Locked = true;
    label(lblVValue, frmVars, "Value :", 8, 146, 50);
    inFrame(txtVValue, frmVars, 60, 144, 104, 22);
    Command2.ToolTipText = "Add New Flash Variable";
    Command2.Caption = "Add";
    Command2.Style = 1;
    inFrame(Command2, frmVars, 168, 144, 26, 24);
    Command4.ToolTipText = "Save Flash Variable";
    Command4.Caption = "Save";
    Command4.Style = 1;
    inFrame(Command4, frmVars, 196, 144, 26, 24);

    place(frmButtons, 0, 370, 536, 48);
    const std::pair<forms::CommandButton*, const char*> buttons[] = {
        {&Command14, "Output Properties"}, {&Command5, "Help"}, {&Command20, "Complete Export"}, {&Command3, "Cancel"}};
    int x = 8;
    for (const auto& [button, tip] : buttons) {
        button->ToolTipText = tip;
        button->Caption = tip;
        button->Style = 1;
        inFrame(*button, frmButtons, x, 8, 120, 32);
        x += 130;
    }
}

void frmExportAll::bindEvents() {
    optExport.on(&forms::OptionButton::Click, [this](int Index) { optExport_Click(Index); });
    Command14.Click = [this] { Command14_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    lstVars.Click = [this] { lstVars_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command8.Click = [this] { Command8_Click(); };
    Command7.Click = [this] { Command7_Click(); };
    Drive2.Change = [this] { Drive2_Change(); };
    Dir2.Change = [this] { Dir2_Change(); };
    Text1.Change = [this] { Text1_Change(); };
    txtOutFilename.Change = [this] { txtOutFilename_Change(); };
    txtDataFolder.on(&forms::TextBox::Change, [this](int Index) { txtDataFolder_Change(Index); });
    Command5.Click = [this] { Command5_Click(); };
    Command20.Click = [this] { Command20_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

void frmExportAll::Form_Load() {
    auto& rt = runtime();
    auto& g = program.aModule;
    vb::ResumeNext step(rt.errorLog(), "frmExportAll.Form_Load");

    // 1. The object tag's choices start at their first entries.
    step([&] { HAlign.ListIndex = 0; });
    step([&] { VAlign.ListIndex = 0; });
    step([&] { WMode.ListIndex = 0; });
    step([&] { lstScale.ListIndex = 0; });
    // 2. The size the movie is exported at.
    fWidth.Text = std::to_string(g.ExportWidth);
    fHeight.Text = std::to_string(g.ExportHeight);
    // 3. The hand-back can be chosen only when an add-in started the program.
    if (g.AddinMode != 0) {
        optExport[2].Enabled = true;
        optExport[2].Value = true;
    } else {
        optExport[0].Value = true;
        optExport[2].Enabled = false;
    }
    // 4. The movie variables; the first occurrence of a name wins.
    if (vb::Trim(g.ClipFlashVars) != "") {
        std::size_t start = 0;
        const std::string& vars = g.ClipFlashVars;
        while (start <= vars.size()) {
            auto amp = vars.find('&', start);
            if (amp == std::string::npos) {
                amp = vars.size();
            }
            const std::string part = vars.substr(start, amp - start);
            const auto eq = part.find('=');
            const std::string name = part.substr(0, eq);
            std::string value;
            if (eq != std::string::npos) {
                value = part.substr(eq + 1);
                value = value.substr(0, value.find('='));
            }
            const auto& names = lstVars.items();
            if (!part.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
                lstVars.AddItem(name);
                lstVarVals.AddItem(value);
            }
            start = amp + 1;
        }
    }
    // 5. The remembered settings.
    auto get = [&](const char* key, const char* def = "") {
        return rt.GetSetting(kExportSettingsApp, kExportSettingsSection, key, def);
    };
    const std::string drive = get("Drive");
    if (!drive.empty()) {
        step([&] { Drive2.Drive = drive; });
    }
    step([&] { lstScale.ListIndex = vb::CInt(get("LastScale", "0")); });
    const std::string folder = get("Folder");
    if (!folder.empty()) {
        step([&] { Dir2.Path = folder; });
    }
    step([&] { Dir2_Change(); });
    txtOutFilename.Text = get("LastSWF");
    fName.Text = get("LastHTM", "glwmovie.htm");
    Text2.Text = get("LastEXE", "glwmovie.exe");
    txtSCRName.Text = get("LastSCR", "glwmovie.scr");
    Text4.Text = get("LastSCRInst", "vrquillset.exe");
    txtAuthorName.Text = get("LastSCRAuthor1", "Vorel Media");
    txtAuthorWeb.Text = get("LastSCRAuthor2", kDefaultAuthorWeb);
    // 6. The data folder: the add-in's, else the one of the last export.
    if (!g.ExportDataFolder.empty()) {
        txtDataFolder[2].Text = g.ExportDataFolder;
    } else {
        g.ExportDataFolder = get("ExportFolder");
        txtDataFolder[2].Text = g.ExportDataFolder;
    }
}

int frmExportAll::selectedKind() const {
    for (int i = 0; i < 4; ++i) {
        if (optExport[i].Value) {
            return i;
        }
    }
    return -1;
}

void frmExportAll::layOutPage(int kind) {
    for (forms::Frame* f : {&frmExport, &frmExport1, &frmExport2, &frmExport3, &frmExport4, &frmPowerPoint}) {
        f->Visible = false;
    }
    forms::Frame* page = nullptr;
    if (kind == 2) {
        page = program.aModule.HostProgram == "PowerPoint" ? &frmPowerPoint : &frmExport3;
        page->Top = Frame1.Height;
    } else {
        page = kind == 0 ? &frmExport1 : kind == 1 ? &frmExport2 : &frmExport4;
        frmExport.Top = Frame1.Height;
        frmExport.Visible = true;
        page->Top = Frame1.Height + frmExport.Height;
    }
    page->Visible = true;
    frmButtons.Top = page->Top + page->Height;
    Height = frmButtons.Top + frmButtons.Height + kBottomMargin;
    common::CenterForm(*this);
}

void frmExportAll::optExport_Click(int Index) {
    Picture1.Visible = false;
    m_propertiesShown = false;
    layOutPage(Index);
}

void frmExportAll::Command14_Click() {
    if (!Picture1.Visible) {
        Picture1.Top = frmButtons.Top;
        Picture1.Visible = true;
        frmButtons.Top = Picture1.Top + Picture1.Height;
        Height = frmButtons.Top + frmButtons.Height + kBottomMargin;
        common::CenterForm(*this);
    } else {
        Picture1.Visible = false;
        layOutPage(std::max(0, selectedKind()));
    }
}

void frmExportAll::Command2_Click() {
    std::string name = program.InputBoxEx("Name of new variable to add : ", "Add Variable", "");
    if (name.empty() || name == common::kHaveCancelled) {
        return;
    }
    for (char& c : name) {
        if (c == ' ') {
            c = '_';
        }
    }
    if (auto ok = checkFlashVariable(name, ""); !ok) {
        showError(ok.error());
        return;
    }
    lstVars.AddItem(name);
    lstVarVals.AddItem("NoValue");
    lstVars.ListIndex = lstVars.NewIndex();
}

void frmExportAll::lstVars_Click() {
    if (lstVars.ListIndex < 0) {
        return;
    }
    txtVName.Text = lstVars.List(lstVars.ListIndex);
    txtVValue.Text = lstVarVals.List(lstVars.ListIndex);
}

void frmExportAll::Command4_Click() {
    const int row = lstVars.ListIndex;
    if (row < 0) {
        return;
    }
    if (auto ok = checkFlashVariable(lstVars.List(row), txtVValue.Text()); !ok) {
        showError(ok.error());
        return;
    }
    lstVarVals.setList(row, txtVValue.Text);
}

void frmExportAll::Command6_Click() {
    auto& rt = runtime();
    CDL1.DialogTitle = "Please select a file to add to exe :";
    CDL1.Filter = "All Files|*.*";
    CDL1.InitDir = rt.App.Path;
    CDL1.FileName = "";
    CDL1.ShowOpen();
    if (!CDL1.lastOk() || CDL1.FileName().empty()) {
        return;
    }
    const std::string chosen = CDL1.FileName;
    const std::string name = FileNameFromPath(chosen);
    for (auto ok :
         {checkUserFileName(name, "The file to include"), checkExportFilesName(name, "The file to include")}) {
        if (!ok) {
            showError(ok.error());
            return;
        }
    }
    // The copy in Working is what gets packed; the name is listed only once that copy is there. The copy
    // replaces an older one whole, and a file chosen from Working itself is kept.
    Hourglass pointer(*this);
    rt.DoEvents();
    rt.DoEvents();
    std::string failure;
    if (!APICopy(chosen, rt.App.Path + "\\Working\\" + name, failure)) {
        showError(makeError(ErrorCode::Io,
                            "An error occured copying the file " + platform::toDisplayPath(chosen) + ".  " + failure));
        return;
    }
    lstAllow1.AddItem(name);
}

void frmExportAll::Command1_Click() {
    if (lstAllow1.ListIndex >= 0) {
        lstAllow1.RemoveItem(lstAllow1.ListIndex);
    }
}

void frmExportAll::Command8_Click() {
    const std::string name = program.InputBoxEx(
        "What file should try to be copied/used from the source .exe folder at runtime?", "Allow File", "");
    if (name.empty() || name == common::kHaveCancelled) {
        return;
    }
    for (auto ok : {checkUserFileName(name, "The runtime file"), checkExportFilesName(name, "The runtime file"),
                    checkStartupValue(name, "The runtime file")}) {
        if (!ok) {
            showError(ok.error());
            return;
        }
    }
    lstAllow2.AddItem(name);
}

void frmExportAll::Command7_Click() {
    if (lstAllow2.ListIndex >= 0) {
        lstAllow2.RemoveItem(lstAllow2.ListIndex);
    }
}

void frmExportAll::Drive2_Change() {
    vb::ResumeNext step(runtime().errorLog(), "frmExportAll.Drive2_Change");
    step([&] { Dir2.Path = Drive2.Drive(); });
}

void frmExportAll::Dir2_Change() {
    vb::ResumeNext step(runtime().errorLog(), "frmExportAll.Dir2_Change");
    step([&] {
        File1.Path = Dir2.Path();
        File1.Refresh();
    });
    const std::string typed = fName.Text;
    fName.Clear();
    for (int i = 0; i < File1.ListCount(); ++i) {
        fName.AddItem(File1.List(i));
    }
    fName.Text = typed;
}

void frmExportAll::Text1_Change() {
    if (txtOutFilename.Text() != Text1.Text()) {
        txtOutFilename.Text = Text1.Text();
    }
}

void frmExportAll::txtOutFilename_Change() {
    if (Text1.Text() != txtOutFilename.Text()) {
        Text1.Text = txtOutFilename.Text();
    }
}

void frmExportAll::txtDataFolder_Change(int Index) {
    const int other = Index == 2 ? 0 : 2;
    if (txtDataFolder[other].Text() != txtDataFolder[Index].Text()) {
        txtDataFolder[other].Text = txtDataFolder[Index].Text();
    }
    program.aModule.ExportDataFolder = txtDataFolder[0].Text;
}

void frmExportAll::Command5_Click() {
    program.form1().CallHelp();
}

void frmExportAll::Command3_Click() {
    if (m_busy) {
        return; // the dialog stays while its export runs
    }
    Unload();
}

void frmExportAll::Form_QueryUnload(int& Cancel, int UnloadMode) {
    // The close box waits for a running export; the hand-back ends the program as it is.
    if (m_busy && UnloadMode == forms::vbFormControlMenu) {
        Cancel = 1;
    }
}

std::string frmExportAll::outputFolder() const {
    return Dir2.Path;
}

std::string frmExportAll::inOutputFolder(const std::string& name) const {
    return platform::joinSystemPath(outputFolder(), name);
}

void frmExportAll::showError(const Error& error) {
    program.MsgBoxEx(error.detail, common::msgOk, "Error");
}

Result<void> frmExportAll::callDoMainExport(const std::string& swfName, const std::string& dataFolder) {
    // The main window is reached only through CallingForm and its DoMainExport operation.
    auto* host = dynamic_cast<Form1*>(program.aModule.CallingForm);
    if (!host) {
        return makeError(ErrorCode::NotFound, "The main window is not there to write the clip.");
    }
    return host->DoMainExport(swfName, dataFolder);
}

Result<void> frmExportAll::BuildObjectTag() {
    auto& g = program.aModule;
    // The tag is built once from the description; a built tag has no description left to build from.
    if (g.ExportCode.hasTag()) {
        return makeError(ErrorCode::Invalid, "The clip's description was used for its tag already.");
    }
    TagProperties p;
    p.Width = fWidth.Text;
    p.Height = fHeight.Text;
    p.WidthPercent = wPerc.Value == forms::vbChecked;
    p.HeightPercent = hPerc.Value == forms::vbChecked;
    p.WMode = WMode.Text;
    p.Scale = lstScale.Text;
    p.HAlignIndex = HAlign.ListIndex;
    p.VAlignIndex = VAlign.ListIndex;
    for (int i = 0; i < lstVars.ListCount(); ++i) {
        p.Variables.emplace_back(lstVars.List(i), lstVarVals.List(i));
    }
    auto tag = buildObjectTag(g.ExportCode.description, p, g.ExportDataFolder);
    if (!tag) {
        return tag.error();
    }
    ExportBGColor = tag->BgColor;
    g.ExportDataFolder = tag->DataFolder;
    g.ClipFlashVars = tag->FlashVars;
    g.ExportCode = {.tag = tag->Tag};
    return {};
}

Result<void> frmExportAll::CompleteStandardExport(bool replacePage) {
    auto& rt = runtime();
    auto& g = program.aModule;
    const std::string pageFolder = outputFolder();
    const std::string pageFile = inOutputFolder(fName.Text);
    // A page that cannot take the tag is found out before any file is copied beside it.
    const std::string pageHost = platform::toHostPath(pageFile);
    if (!replacePage && !pageHost.empty() && base::isPlainFile(pageHost)) {
        try {
            if (!findClosingBodyTag(vb::readAllBytes(pageFile))) {
                return makeError(ErrorCode::NotFound, kNoBodyTagMessage);
            }
        } catch (const vb::RuntimeError& e) {
            return makeError(ErrorCode::Io, "The page " + platform::toDisplayPath(pageFile) + " could not be read.  " +
                                                e.Description());
        }
    }
    // The page carries its player: no browser of today plays the tag by itself. Checked and copied before
    // the clip's files, so a missing player stops the export before anything is written.
    std::string dataFolder = g.ExportDataFolder;
    while (!dataFolder.empty() && dataFolder.back() == '/') {
        dataFolder.pop_back();
    }
    if (auto player = copyPlayerInto(
            rt.App.Path, dataFolder.empty() ? pageFolder : platform::joinSystemPath(pageFolder, dataFolder));
        !player) {
        return player;
    }
    for (const auto& entry : g.ExportFiles) {
        rt.DoEvents();
        std::string folder = entry.folder;
        while (!folder.empty() && folder.back() == '/') {
            folder.pop_back();
        }
        const std::string target = folder.empty() ? pageFolder : platform::joinSystemPath(pageFolder, folder);
        const std::string host = platform::toHostPath(target);
        if (host.empty() || !base::createFolders(host)) {
            return makeError(ErrorCode::Io, "The folder " + platform::toDisplayPath(target) + " could not be created.");
        }
        std::string failure;
        if (!base::isPlainFile(platform::toHostPath(entry.source)) ||
            !APICopy(entry.source, platform::joinSystemPath(target, FileNameFromPath(entry.source)), failure)) {
            return makeError(ErrorCode::Io, "An error occured copying the file " +
                                                platform::toDisplayPath(entry.source) + ".  " + failure);
        }
    }
    auto written = writeTagIntoPage(pageFile, g.ExportCode.tag, replacePage, playerScriptFor(g.ExportDataFolder));
    rt.DoEvents();
    rt.DoEvents();
    return written;
}

std::vector<std::string> frmExportAll::packedNames() {
    std::vector<std::string> names;
    for (const auto& entry : program.aModule.ExportFiles) {
        runtime().DoEvents();
        names.push_back(FileNameFromPath(entry.source));
    }
    return names;
}

Result<void> frmExportAll::PrepareExeExport() {
    auto& g = program.aModule;
    for (const auto& name : lstAllow1.items()) {
        g.ExportFiles.push_back({"", runtime().App.Path + "\\Working\\" + name});
    }
    std::vector<std::string> names = packedNames();
    Hourglass pointer(*this);
    return BuildExeExport({runtime().App.Path, std::move(names), inOutputFolder(Text2.Text)}, startupList());
}

Result<void> frmExportAll::PrepareScrExport() {
    std::vector<std::string> names = packedNames();
    Hourglass pointer(*this);
    return BuildScrExport({runtime().App.Path, std::move(names), inOutputFolder(txtSCRName.Text)}, startupList());
}

formats::StartupList frmExportAll::startupList() const {
    // Both layouts from the one list: the player's leaves the author out, the screen saver's the extra files.
    return {.height = fHeight.Text,
            .width = fWidth.Text,
            .bgColor = ExportBGColor,
            .authorName = txtAuthorName.Text,
            .authorWeb = txtAuthorWeb.Text,
            .scale = lstScale.Text,
            .flashVars = program.aModule.ClipFlashVars,
            .extraFiles = lstAllow2.items()};
}

Result<void> frmExportAll::BuildInstallerExport() {
    Hourglass pointer(*this);
    return main::BuildInstallerExport(runtime().App.Path, inOutputFolder(txtSCRName.Text), txtSCRName.Text,
                                      inOutputFolder(Text4.Text));
}

void frmExportAll::saveSettings() {
    auto& rt = runtime();
    auto save = [&](const char* key, const std::string& value) {
        rt.SaveSetting(kExportSettingsApp, kExportSettingsSection, key, value);
    };
    save("ExportFolder", program.aModule.ExportDataFolder);
    save("Folder", Dir2.Path);
    save("Drive", ""); // one drive on this system: the folder says it all
    save("LastSWF", txtOutFilename.Text);
    save("LastHTM", fName.Text);
    save("LastEXE", Text2.Text);
    save("LastSCR", txtSCRName.Text);
    save("LastSCRInst", Text4.Text);
    save("LastSCRAuthor1", txtAuthorName.Text);
    save("LastSCRAuthor2", txtAuthorWeb.Text);
    save("LastScale", std::to_string(lstScale.ListIndex));
}

void frmExportAll::Command20_Click() {
    if (m_busy) {
        return; // one export at a time: a second click while one runs does nothing
    }
    m_busy = true;
    struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{m_busy};

    auto& rt = runtime();
    auto& g = program.aModule;
    auto error = [&](const char* message) { program.MsgBoxEx(message, common::msgOk, "Error"); };
    auto exists = [](const std::string& path) {
        const std::string host = platform::toHostPath(path);
        return !host.empty() && base::exists(host);
    };
    auto ask = [&](const char* question) {
        return program.MsgBoxEx(question, common::msgYesNoCancel, "Overwrite") == common::answerYes;
    };
    // Runs the steps in order; the first failure is shown once, titled "Error", and ends the export.
    auto run = [&](std::initializer_list<std::function<Result<void>()>> steps) {
        for (const auto& s : steps) {
            if (auto r = s(); !r) {
                showError(r.error());
                return false;
            }
        }
        return true;
    };
    auto checkNames = [&](std::initializer_list<std::pair<std::string, const char*>> names) {
        return run({[&]() -> Result<void> {
            for (const auto& [name, what] : names) {
                if (auto ok = checkUserFileName(name, what); !ok) {
                    return ok;
                }
            }
            return {};
        }});
    };

    switch (selectedKind()) {
    case 0: {
        if (fName.Text().empty()) {
            return error("No output filename given for HTML file.");
        }
        if (txtOutFilename.Text().empty()) {
            return error("No output filename given for SWF file.");
        }
        fName.Text = withExtension(fName.Text, ".htm");
        txtOutFilename.Text = withExtension(txtOutFilename.Text, ".swf");
        std::string data = txtDataFolder[0].Text;
        if (!data.empty() && data.back() == '/') {
            txtDataFolder[0].Text = data.substr(0, data.size() - 1);
        }
        data = txtDataFolder[0].Text;
        if (!checkNames({{fName.Text, "The page name"}, {txtOutFilename.Text, "The SWF file name"}}) ||
            !run({[&] { return checkDataFolder(data); },
                  [&] { return checkExportFilesName(txtOutFilename.Text(), "The SWF file name"); }})) {
            return;
        }
        const std::string swfPath = data.empty()
                                        ? inOutputFolder(txtOutFilename.Text)
                                        : platform::joinSystemPath(inOutputFolder(data), txtOutFilename.Text());
        if (exists(swfPath) && !ask("Flash File (SWF) Exists! Overwrite?")) {
            return;
        }
        bool replacePage = false;
        if (exists(inOutputFolder(fName.Text))) {
            const int answer =
                program.MsgBoxEx("HTML File Exists! Overwrite (YES), Append To File (NO) or Abort (CANCEL) ?",
                                 common::msgYesNoCancel, "Overwrite");
            if (answer == common::answerYes) {
                replacePage = true; // the page is replaced only by the complete new page
            } else if (answer != common::answerNo) {
                return;
            }
        }
        if (!run({[&] { return callDoMainExport(txtOutFilename.Text, txtDataFolder[0].Text); },
                  [&] { return BuildObjectTag(); }, [&] { return CompleteStandardExport(replacePage); }})) {
            return;
        }
        program.MsgBoxEx("HTML Export Complete.", common::msgOk, kTitle);
        break;
    }
    case 1: {
        if (Text2.Text().empty()) {
            return error("No output filename given for Executable file.");
        }
        Text2.Text = withExtension(Text2.Text, ".exe");
        if (!checkNames({{Text2.Text, "The executable's name"}}) ||
            !run({[&] { return checkNotAStub(rt.App.Path, inOutputFolder(Text2.Text)); }})) {
            return;
        }
        if (!run({[&] { return callDoMainExport("glwmovie.swf", ""); }, [&] { return BuildObjectTag(); }})) {
            return;
        }
        if (exists(inOutputFolder(Text2.Text)) && !ask("File Exists! Overwrite?")) {
            return;
        }
        if (!run({[&] { return PrepareExeExport(); }})) {
            return;
        }
        program.MsgBoxEx("Executable Export Complete.", common::msgOk, kTitle);
        break;
    }
    case 3: {
        if (txtSCRName.Text().empty()) {
            return error("No output filename given for ScreenSaver file.");
        }
        txtSCRName.Text = withExtension(txtSCRName.Text, ".scr");
        if (Text4.Text().empty()) {
            return error("No output filename given for ScreenSaver Installer file.");
        }
        Text4.Text = withExtension(Text4.Text, ".exe");
        if (!checkNames({{txtSCRName.Text, "The screen saver's name"}, {Text4.Text, "The installer's name"}}) ||
            !run({[&] { return checkNotAStub(rt.App.Path, inOutputFolder(txtSCRName.Text)); },
                  [&] { return checkNotAStub(rt.App.Path, inOutputFolder(Text4.Text)); }})) {
            return;
        }
        if (exists(inOutputFolder(txtSCRName.Text)) && !ask("Screensaver (SCR) File Exists! Overwrite?")) {
            return;
        }
        if (exists(inOutputFolder(Text4.Text)) && !ask("Installer (EXE) File Exists! Overwrite?")) {
            return;
        }
        if (!run({[&] { return callDoMainExport("glwmovie.swf", ""); }, [&] { return BuildObjectTag(); },
                  [&] { return PrepareScrExport(); }, [&] { return BuildInstallerExport(); }})) {
            return;
        }
        program.MsgBoxEx("Screen Saver Export Complete.", common::msgOk, kTitle);
        break;
    }
    case 2: {
        if (g.HostProgram != "PowerPoint") {
            if (Text1.Text().empty()) {
                return error("No output filename given for SWF file.");
            }
            Text1.Text = withExtension(Text1.Text, ".swf");
            const std::string data = txtDataFolder[2].Text;
            if (!checkNames({{Text1.Text, "The SWF file name"}}) ||
                !run({[&] { return checkDataFolder(data); },
                      [&] { return checkExportFilesName(Text1.Text(), "The SWF file name"); },
                      [&] { return callDoMainExport(Text1.Text, data); }})) {
                return;
            }
        } else if (!run({[&] { return callDoMainExport("ppoint.swf", ""); }})) {
            return;
        }
        if (!run({[&] { return BuildObjectTag(); }})) {
            return;
        }
        auto* host = dynamic_cast<Form1*>(g.CallingForm);
        const auto reply =
            formats::writeClipReply({.returnCode = host ? host->FPReturnCode() : std::string(formats::kReplyReturnCode),
                                     .tag = g.ExportCode.tag,
                                     .files = g.ExportFiles});
        if (!reply) {
            showError(reply.error());
            return;
        }
        // The desktop's clipboard keeps the text after the program has ended.
        rt.ClipboardSetText(*reply);
        if (g.CallingForm) {
            g.CallingForm->Unload();
        }
        rt.End();
    }
    default:
        return;
    }
    saveSettings();
}

} // namespace glw::main
