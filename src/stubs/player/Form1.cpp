// The movie player's window: loading with its progress bar, the movie's script commands, resize, unload.
#include "stubs/player/Form1.h"

#include "common/ModText.h"
#include "formats/StartupList.h"
#include "stubs/StubMsgBox.h"
#include "vb/VbError.h"
#include "vb/VbText.h"

namespace glw::stubs::player {

namespace {

// A size in twips for a control or window; negative sizes are refused as the original refused them.
int twips(double value) {
    if (value < 0) {
        vb::raise(vb::ErrInvalidProperty, "Invalid property value");
    }
    return vb::CLng(value);
}

} // namespace

Form1::Form1(forms::Runtime& runtime, StubEnvironment environment)
    : Form(runtime, "Form1"), core(runtime, std::move(environment)) {
    Caption = "Glintwave Flash Player";
    Width = 4920;
    Height = 1470;
    FBit.Visible = false;
    FBit.WMode = "Window";
    FBit.ScaleMode = 0;
    picProgbar.Move(0, 0, 4800, 900);
    Label1.setContainer(&picProgbar);
    Label1.Move(120, 60, 4560, 300);
    Label1.Caption = "Extracting Data....";
    lblPrgbar.setContainer(&picProgbar);
    lblPrgbar.Move(0, 480, 0, 420);
    lblPrgbar.BackColor = forms::rgb(0, 0, 128);
    List1.Visible = false;
    FBit.FSCommand = [this](const std::string& command, const std::string& args) { FBit_FSCommand(command, args); };
}

Form1::~Form1() {
    finishRun();
}

std::string Form1::programFolder() const {
    const std::string& path = runtime().App.Path;
    if (path.empty()) {
        return {};
    }
    return path.back() == '\\' ? path : path + "\\";
}

void Form1::SetBar(double precent) {
    stubs::SetBar(runtime(), picProgbar, lblPrgbar, precent);
}

void Form1::Form_Load() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Form_Load");

    step([&] { Show(); });
    MReady = false;
    // The window's inner area is exactly the progress box.
    step([&] { Height = twips(picProgbar.Height + (Height - ScaleHeight())); });
    step([&] { Width = twips(picProgbar.Width + (Width - ScaleWidth())); });

    core.setUpWorkFolder();
    IsLoading = true;
    SetBar(0);
    step([&] { Show(); });

    if (!core.ExtractAppendedData()) {
        MsgBox(rt, core.withFailure("No Flash data found to display.  Aborting."), vbCritical, "Error");
        rt.End(1);
    }

    core.extractEntries(List1, [this](double precent) { SetBar(precent); });

    const formats::StartupList startup =
        formats::readStartupList(formats::StartupKind::Player, readStartupFile(core.TempFolder + "startup.ini"));
    // A list without a usable size would give a window of its bare frame and a tiny movie in it.
    const std::string runFolder = core.hostTempFolder();
    const MovieSize size =
        playerMovieSize(formats::startupNumber(startup.width), formats::startupNumber(startup.height),
                        runFolder.empty() ? std::string() : runFolder + "glwmovie.swf", rt.Screen);
    MovieHeight = size.height;
    MovieWidth = size.width;
    MovieBgColor = startup.bgColor;
    MovieScale = startup.scale;
    FlashVars = startup.flashVars;
    ExtraFiles = startup.extraFiles;
    SetBar(90);

    // Extra files are working copies of files beside the program. Only bare names are taken: the list
    // comes with the package, and "..\x" or "/x" would reach outside the program's and the work folder.
    // A program folder whose name holds "\\" has no system path: joining the names onto nothing would
    // read them from the root folder and write them back there at the end.
    if (!ExtraFiles.empty() && programFolder().empty()) {
        MsgBox(rt, kNoProgramFolderMessage, vbExclamation, "Error");
    }
    for (const std::string& f : programFolder().empty() ? std::vector<std::string>{} : ExtraFiles) {
        if (!core.DelFileList.add(f)) {
            rt.logError("Form1.Form_Load", vb::ErrInvalidCall, "extra file name refused: " + f);
            continue;
        }
        if (APICopy(rt, programFolder() + f, core.TempFolder + f)) {
            m_copiedIn.push_back(f);
        }
    }

    core.deleteWorkFile("glwexe.dta");
    core.deleteWorkFile("startup.ini");
    SetBar(100);
    step([&] { Show(); });

    step([&] { picProgbar.Visible = false; });
    // Sizing the window to nothing leaves its bare frame and caption.
    step([&] {
        const FrameSize frame = frameOf(*this);
        Width = frame.width;
        Height = frame.height;
    });

    step([&] { FBit.Move(0, 0); });
    step([&] { FBit.Width = twips(MovieWidth * rt.Screen.TwipsPerPixelX); });
    step([&] { FBit.Height = twips(MovieHeight * rt.Screen.TwipsPerPixelY); });

    step([&] { Height = twips(double(FBit.Height) + Height); });
    step([&] { Width = FBit.Width(); });

    step([&] { FBit.BGColor = MovieBgColor; });
    step([&] { FBit.Movie = core.TempFolder + "glwmovie.swf?" + FlashVars + "&EXE=5"; });
    step([&] { FBit.BGColor = MovieBgColor; });

    const std::string scale = vb::LCase(MovieScale);
    if (scale == "showall") {
        FBit.ScaleMode = 0;
    } else if (scale == "noborder") {
        FBit.ScaleMode = 1;
    } else if (scale == "exactfit") {
        FBit.ScaleMode = 2;
    } else if (scale == "noscale") {
        FBit.ScaleMode = 3;
    }

    step([&] { FBit.Visible = true; });
    IsLoading = false;
    Form_Resize();
}

void Form1::FBit_FSCommand(const std::string& command, const std::string& args) {
    const std::string word = vb::LCase(command);
    if (word == "exit") {
        Unload();
    } else if (word == "pl") {
        return;
    } else if (word == "run") {
        common::ShellOpen(runtime(), core.runTarget(args));
    } else if (word == "maximize") {
        WindowState = 2;
    } else if (word == "minimise") {
        WindowState = 1;
    } else if (word == "xloaded") {
        MReady = true;
    }
}

void Form1::Form_Resize() {
    if (IsLoading) {
        return;
    }
    vb::ResumeNext step(runtime().errorLog(), "Form1.Form_Resize");
    step([&] { FBit.Move(0, 0, ScaleWidth(), ScaleHeight()); });
}

void Form1::finishRun() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    // Beside the program a link may stand where a file came from: it is never followed.
    for (const std::string& f : programFolder().empty() ? std::vector<std::string>{} : m_copiedIn) {
        copyBackNoFollow(runtime(), core.hostTempFolder() + f, programFolder() + f);
    }
    core.cleanUp();
}

void Form1::Form_Unload(int&) {
    finishRun();
    runtime().End(0);
}

} // namespace glw::stubs::player
