// The screen saver's forms: the movie over the screen, the About box and the unpacking form.
#include "stubs/saver/SaverForms.h"

#include "common/ModText.h"
#include "formats/StartupList.h"
#include "stubs/StubMsgBox.h"
#include "stubs/saver/Module1.h"
#include "vb/VbError.h"
#include "vb/VbText.h"

namespace glw::stubs::saver {

// ---- frmScreen ----

frmScreen::frmScreen(Module1& m) : Form(m.runtime, "frmScreen"), module(m) {
    Caption = "Glintwave Player 1.0";
    // Designed as a full-screen window without a border.
    BorderStyle = 0;
    WindowState = 2;
    ShowInTaskbar = false;
    FBit.Visible = false;
    FBit.WMode = "Window";
    FBit.ScaleMode = 0;
    // Text1 only takes the keys; it lies outside the visible area.
    Text1.Move(-2000, 0, 300, 285);
    FBit.FSCommand = [this](const std::string& command, const std::string& args) { FBit_FSCommand(command, args); };
    Text1.KeyDown = [this](int& KeyCode, int Shift) { Text1_KeyDown(KeyCode, Shift); };
    Text1.KeyPress = [this](int& KeyAscii) { Text1_KeyPress(KeyAscii); };
    Text1.LostFocus = [this] { Text1_LostFocus(); };
}

void frmScreen::Form_Load() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "frmScreen.Form_Load");
    step([&] { FBit.BGColor = module.MovieBgColor; });
    step([&] { FBit.Movie = module.core.TempFolder + "glwmovie.swf?" + module.FlashVars; });
    step([&] { FBit.BGColor = module.MovieBgColor; });
    step([&] { Width = rt.Screen.Width; });
    step([&] { Height = rt.Screen.Height; });
    step([&] { FBit.Visible = true; });
    step([&] { Show(); });
    if (!InPreview) {
        step([&] { Text1.SetFocus(); });
    }
}

void frmScreen::Form_Resize() {
    vb::ResumeNext step(runtime().errorLog(), "frmScreen.Form_Resize");
    step([&] { FBit.Move(0, 0, ScaleWidth(), ScaleHeight()); });
}

// Any key ends the saver, also keys that type no character (arrows, function keys).
void frmScreen::Text1_KeyDown(int&, int) {
    Unload();
}
void frmScreen::Text1_KeyPress(int&) {
    Unload();
}
// The focus leaves Text1 when the user clicks into the movie or another window is activated.
void frmScreen::Text1_LostFocus() {
    if (!InPreview) {
        Unload();
    }
}
void frmScreen::Form_Deactivate() {
    if (!InPreview) {
        Unload();
    }
}
void frmScreen::Form_Click() {
    Unload();
}

void frmScreen::FBit_FSCommand(const std::string& command, const std::string& args) {
    const std::string word = vb::LCase(command);
    if (word == "exit") {
        Unload();
    } else if (word == "run") {
        common::ShellOpen(runtime(), module.core.runTarget(args));
    } else if (word == "maximize") {
        WindowState = 2;
    } else if (word == "minimise") {
        WindowState = 1;
    }
}

void frmScreen::Form_Unload(int&) {
    vb::ResumeNext step(runtime().errorLog(), "frmScreen.Form_Unload");
    step([&] { module.ShowTaskbarPart("Taskbar"); });
    step([&] { module.core.cleanUp(); });
    module.releaseInstance();
}

// ---- frmConfig ----

frmConfig::frmConfig(Module1& m) : Form(m.runtime, "frmConfig"), module(m) {
    Caption = "About";
    Width = 4800;
    Height = 2700;
    BorderStyle = 3;
    Label2.Move(240, 240, 4200, 300);
    Label3.Move(240, 600, 4200, 300);
    Label3.ForeColor = forms::rgb(0, 0, 255);
    Label4.Move(240, 1080, 4200, 540);
    Label4.Caption = std::string("Created using Glintwave SE. ") + kMakerWebSite;
    Command1.Caption = "Close";
    Command1.Cancel = true;
    Command1.Default = true;
    Command1.Move(3240, 1740, 1215, 375);
    Label3.Click = [this] { Label3_Click(); };
    Label4.Click = [this] { Label4_Click(); };
    Command1.Click = [this] { Command1_Click(); };
}

void frmConfig::Form_Load() {
    vb::ResumeNext step(runtime().errorLog(), "frmConfig.Form_Load");
    step([&] { Label2.Caption = module.AuthorName; });
    step([&] { Label3.Caption = module.AuthorWeb; });
    step([&] { common::CenterForm(*this); });
}

void frmConfig::Label3_Click() {
    common::ShellOpen(runtime(), module.AuthorWeb);
}
void frmConfig::Label4_Click() {
    common::ShellOpen(runtime(), kMakerWebSite);
}
void frmConfig::Command1_Click() {
    Unload();
}

// The About box needs nothing of the work folder: its run's files go when it closes, as no later run
// looks into this run's folder.
void frmConfig::Form_Unload(int&) {
    module.core.cleanUp();
}

// ---- Form1 ----

Form1::Form1(Module1& m) : Form(m.runtime, "Form1"), module(m) {
    Caption = "Form1";
    List1.Visible = false;
    Timer1.Enabled = false;
    Timer1.Interval = 100;
    Timer1.TimerEvent = [this] { Timer1_Timer(); };
}

void Form1::Form_Load() {
    auto& rt = runtime();
    module.core.DelFileList = stubs::DelFileList();
    if (!module.core.ExtractAppendedData()) {
        MsgBox(rt, module.core.withFailure("No data found to run screensaver.  Aborting."), vbCritical, "Error");
        rt.End(1);
    }
    // No progress bar here: the loop only lets the window repaint.
    module.core.extractEntries(List1, [&rt](double) { rt.DoEvents(); });

    const formats::StartupList startup =
        formats::readStartupList(formats::StartupKind::Saver, readStartupFile(module.core.TempFolder + "startup.ini"));
    module.MovieHeight = formats::startupNumber(startup.height);
    module.MovieWidth = formats::startupNumber(startup.width);
    module.MovieBgColor = startup.bgColor;
    module.AuthorName = startup.authorName;
    module.AuthorWeb = startup.authorWeb;
    module.MovieScale = startup.scale;
    module.FlashVars = startup.flashVars;

    Timer1.Enabled = true;
}

void Form1::Timer1_Timer() {
    Unload();
}

} // namespace glw::stubs::saver
