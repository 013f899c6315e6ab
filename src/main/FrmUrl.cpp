// The link chooser.
#include "FrmUrl.h"

#include "INetExplorer.h"
#include "MainProgram.h"
#include "base/FileIo.h"
#include "common/ModText.h"
#include "formats/NavScripts.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"

namespace glw::main {

namespace {

constexpr int kPixel = forms::kTwipsPerDesignPixel;
using forms::place;

constexpr const char* kFscHint =
    "See Help Files For Details on using FSCommands use in PowerPoint Presentation Navigation.  ";

} // namespace

frmURL::frmURL(MainProgram& owner) : Form(owner.runtime, "frmURL"), program(owner) {
    Caption = "Select URL";
    Width = 560 * kPixel;
    Height = 230 * kPixel;
    BorderStyle = 3;
    Label2.Caption = "Link Type   :";
    place(Label2, 12, 12, 90, 18);
    const char* kinds[] = {"Web Page From URL List", "File", "Email Address", "FSCommands", "Javascript"};
    const int widths[] = {170, 50, 110, 95, 96};
    int x = 12;
    for (int i = 0; i < 5; ++i) {
        auto& option = Option2.add(i);
        option.Caption = kinds[i];
        place(option, x, 34, widths[i], 18);
        x += widths[i] + 4;
    }
    Option2[0].Value.store(true);
    Label1.Caption = "URL : ";
    place(Label1, 12, 66, 50, 18);
    place(txtURL, 64, 64, 400, 22);
    Command1.Caption = "...";
    Command1.ToolTipText = "Refresh URL List/Select File";
    place(Command1, 470, 64, 32, 22);
    Label4.Caption = "* " + std::string(kFscHint);
    place(Label4, 12, 96, 490, 44);
    Command20.ToolTipText = "Okay";
    Command20.Caption = "Okay";
    Command20.Style = 1;
    place(Command20, 340, 150, 76, 32);
    Command3.ToolTipText = "Cancel";
    Command3.Caption = "Cancel";
    Command3.Style = 1;
    place(Command3, 424, 150, 76, 32);

    Option2.on(&forms::OptionButton::Click, [this](int Index) { Option2_Click(Index); });
    Command1.Click = [this] { Command1_Click(); };
    Command20.Click = [this] { Command20_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

void frmURL::Form_Load() {
    if (!program.aModule.LinkURL.empty()) {
        txtURL.Text = program.aModule.LinkURL;
    }
    FillIEURLS();
}

int frmURL::selectedKind() const {
    for (int i = 0; i < 5; ++i) {
        if (Option2[i].Value) {
            return i;
        }
    }
    return 0;
}

void frmURL::FillIEURLS() {
    txtURL.Clear();
    for (const auto& name : program.aModule.HostPageFiles) {
        txtURL.AddItem(name);
    }
    txtURL.AddItem("None");
    INetExplorer browsers(runtime().services().browserWindows);
    browsers.Refresh();
    for (int i = 1; i <= browsers.Count(); ++i) {
        txtURL.AddItem(browsers.ItemURL(i));
    }
}

void frmURL::Option2_Click(int Index) {
    vb::ResumeNext step(runtime().errorLog(), "frmURL.Option2_Click");
    switch (Index) {
    case 0:
        step([&] { txtURL.Text = "http://"; });
        step([&] { FillIEURLS(); });
        Label4.Caption = "Any open IE windows (or FP pages) will have their URL's available in the drop down list!";
        break;
    case 1:
        txtURL.Clear();
        Label4.Caption = "Use the file selector ... to select a file.";
        txtURL.Text = "file:";
        break;
    case 2:
        txtURL.Clear();
        txtURL.Text = "mailto:";
        Label4.Caption = "Enter the email address you wish this link to mail to.";
        break;
    case 3:
        Label4.Caption = kFscHint;
        txtURL.Clear();
        txtURL.Text = "FSC:";
        for (const char* entry : {"FSC:PowerPoint#NEXT", "FSC:PowerPoint#PREV", "FSC:PowerPoint#FIRST",
                                  "FSC:PowerPoint#LAST", "FSC:PowerPoint#ENDSHOW", "FSC:PowerPoint#GOTO(x)"}) {
            txtURL.AddItem(entry);
        }
        break;
    case 4:
        txtURL.Clear();
        Label4.Caption = "When using Javascript only use single quotes ' for string and function call parameters. "
                         "Some functions are available from the drop down!";
        txtURL.Text = "javascript:";
        txtURL.AddItem("javascript:");
        step([&] { LoadNavScripts(); });
        break;
    default:
        break;
    }
}

void frmURL::Command1_Click() {
    switch (selectedKind()) {
    case 0:
        FillIEURLS();
        break;
    case 1: {
        CDL1.ShowOpen();
        if (!CDL1.lastOk() || CDL1.FileName().empty()) {
            return;
        }
        // A file address names the absolute path on this system: "file://" and "/home/...".
        const std::string host = platform::toHostPath(CDL1.FileName());
        if (!host.empty()) {
            txtURL.Text = "file://" + host;
        }
        break;
    }
    case 4:
        askForScript();
        break;
    default:
        break;
    }
}

void frmURL::askForScript() {
    std::string script = program.InputBoxEx("Please enter the script to use on line :", "Javascript", "");
    if (script.empty() || script == common::kHaveCancelled) {
        return;
    }
    script = common::ReplaceText(script, "\"", "'");
    // A script is one line of the saved list and of the link: a pasted script's line breaks become blanks.
    for (char& c : script) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    if (script.empty() || script.back() != ';') {
        script += ";";
    }
    if (program.MsgBoxEx("Save this script for future shortcut?", common::msgYesNoCancel, "Save") ==
        common::answerYes) {
        const std::string file = runtime().App.Path + "\\" + kNavScriptsFile;
        std::string failure;
        try {
            std::string existing;
            if (base::isPlainFile(platform::toHostPath(file))) {
                existing = vb::readAllBytes(file);
            }
            if (auto appended = formats::appendNavScript(existing, script)) {
                vb::writeAllBytes(file, *appended);
            } else {
                failure = appended.error().detail;
            }
        } catch (const vb::RuntimeError& e) {
            failure = e.Description();
        }
        if (!failure.empty()) {
            program.MsgBoxEx("The script could not be saved.  " + failure, common::msgOk, "Error");
        }
    }
    txtURL.Text = "javascript:" + script;
}

void frmURL::LoadNavScripts() {
    const std::string file = runtime().App.Path + "\\" + kNavScriptsFile;
    if (!base::isPlainFile(platform::toHostPath(file))) {
        return;
    }
    std::string text;
    try {
        text = vb::readAllBytes(file);
    } catch (const vb::RuntimeError&) {
        return;
    }
    for (const std::string& script : formats::readNavScripts(text).scripts) {
        txtURL.AddItem("javascript:" + script);
    }
}

void frmURL::Command20_Click() {
    program.aModule.LinkURL = txtURL.Text;
    Unload();
}

void frmURL::Command3_Click() {
    program.aModule.LinkURL = "";
    Unload();
}

} // namespace glw::main
