// The installer's window: unpacking with its progress bar, Install, Cancel, the credit line and unload.
#include "stubs/installer/Form1.h"

#include "common/ModText.h"
#include "platform/WinPath.h"
#include "stubs/StubMsgBox.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <sys/stat.h>

namespace glw::stubs::installer {

namespace {

constexpr const char* kTitle = "GLW Screen Saver Installer 1.0";

std::string noSystemPathMessage(const std::string& typed) {
    return "The folder " + typed +
           " cannot be used: a name in it holds \"\\\", which no path of this system "
           "may hold.  Please choose another folder.";
}

// Gives execute permission wherever the file may be read: the installed screen saver is a program.
void makeRunnable(const std::string& systemPath) {
    const std::string host = platform::toHostPath(systemPath);
    struct stat st {};
    if (host.empty() || ::stat(host.c_str(), &st) != 0) {
        vb::raise(vb::ErrFileNotFound, vb::errorDescription(vb::ErrFileNotFound));
    }
    const mode_t read = st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    if (::chmod(host.c_str(), (st.st_mode & 07777) | (read >> 2)) != 0) {
        vb::raise(vb::ErrPathFileAccess, vb::errorDescription(vb::ErrPathFileAccess));
    }
}

} // namespace

Form1::Form1(forms::Runtime& runtime, StubEnvironment environment)
    : Form(runtime, "Form1"), core(runtime, std::move(environment)) {
    Caption = kTitle;
    Width = 6150;
    Height = 3870;
    BorderStyle = 1;
    picProgbar.Move(120, 1200, 5760, 900);
    Label1.setContainer(&picProgbar);
    Label1.Move(120, 60, 5520, 300);
    Label1.Caption = "Extracting Data....";
    lblPrgbar.setContainer(&picProgbar);
    lblPrgbar.Move(0, 480, 0, 420);
    lblPrgbar.BackColor = forms::rgb(0, 0, 128);
    List1.Visible = false;

    Picture1.Move(0, 0, 6000, 3360);
    for (forms::Control* c : std::initializer_list<forms::Control*>{&Label2, &Text1, &Check1, &Command15, &Command3,
                                                                    &Label4, &Image1, &Image2}) {
        c->setContainer(&Picture1);
    }
    Image1.Move(120, 120, 720, 720);
    Image2.Move(5160, 120, 720, 720);
    Label2.Move(120, 960, 5760, 255);
    Label2.Caption = "Install To (Windows Folder) : ";
    Text1.Move(120, 1260, 5760, 315);
    Check1.Move(120, 1680, 5760, 315);
    Check1.Caption = "Make This My Current Screensaver.";
    Command15.Move(3360, 2160, 1215, 375);
    Command15.Caption = "Install";
    Command15.Default = true;
    Command3.Move(4680, 2160, 1215, 375);
    Command3.Caption = "Cancel";
    Command3.Cancel = true;
    Label4.Move(120, 2700, 5760, 540);
    Label4.Caption = std::string("Created using Glintwave SE. ") + kMakerWebSite + " - Making Flash Easier.";

    Command15.Click = [this] { Command15_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Label4.Click = [this] { Label4_Click(); };
}

Form1::~Form1() {
    core.cleanUp();
}

void Form1::SetBar(double precent) {
    stubs::SetBar(runtime(), picProgbar, lblPrgbar, precent);
}

void Form1::Form_Load() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Form_Load");

    core.setUpWorkFolder();

    step([&] { Text1.Text = platform::toDisplayPath(sWindowsDirectory(core.environment())); });
    SetBar(0);
    step([&] { Picture1.Visible = false; });
    step([&] { common::CenterForm(*this); });
    step([&] { Show(); });

    if (!core.ExtractAppendedData()) {
        MsgBox(rt, core.withFailure("No screensaver data found to install.  Aborting."), vbCritical, "Error");
        rt.End(1);
    }

    const JpkExtraction extraction = core.extractEntries(List1, [this](double precent) { SetBar(precent); });
    for (const std::string& name : extraction.extracted) {
        if (vb::LCase(vb::Right(name, 4)) == ".scr") {
            ScrFileName = name;
        }
    }

    core.deleteWorkFile("glwexe.dta");
    step([&] { picProgbar.Visible = false; });
    step([&] { Picture1.Visible = true; });
}

void Form1::Command15_Click() {
    auto& rt = runtime();
    vb::ResumeNext step(rt.errorLog(), "Form1.Command15_Click");
    const std::string typed = Text1.Text;
    // An empty box would make the folder "\", the root of the file system: ask for a folder instead, and
    // leave the window open for it. Blanks count as empty here only: a folder may end in one.
    if (vb::Trim(typed).empty()) {
        MsgBox(rt, kNoFolderMessage, vbExclamation, kTitle);
        step([&] { Text1.SetFocus(); });
        return;
    }
    // The user reads and types the folder in the host's form; inside it is a system path. A host folder
    // whose name holds "\" has no system path, and an empty one would again be the root.
    std::string folder = platform::fromDisplayPath(typed);
    if (folder.empty()) {
        MsgBox(rt, noSystemPathMessage(typed), vbExclamation, kTitle);
        step([&] { Text1.SetFocus(); });
        return;
    }
    if (vb::Right(folder, 1) != "\\") {
        folder += "\\";
    }

    bool present = false;
    if (!ScrFileName.empty()) {
        try {
            present = common::FileExistsStrict(core.TempFolder + ScrFileName);
        } catch (const vb::RuntimeError& e) {
            // The extracted saver is there but cannot be read: the installation cannot go on.
            rt.logError("Form1.Command15_Click", e.Number(), e.what());
        }
    }

    if (present) {
        // A failed copy shows its own message, and then nothing is registered or announced.
        if (FileCopyTo(core.TempFolder + ScrFileName, folder + ScrFileName)) {
            if (Check1.Value == forms::vbChecked &&
                !RegSaveString(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop\\", "SCRNSAVE.EXE",
                               folder + ScrFileName)) {
                // Installed, but not current: saying only "installed" would hide that the setting failed.
                MsgBox(rt, kNotCurrentMessage + std::string("\r\n\r\n") + m_registryFailure, vbExclamation, kTitle);
            } else {
                MsgBox(rt, "Screen Saver Installed!", vbInformation, kTitle);
            }
        }
    } else {
        MsgBox(rt, "There seems to be an error in the installation. Aborting.", vbExclamation, "Error.");
    }
    Unload();
}

bool Form1::FileCopyTo(const std::string& FullPathFile, const std::string& DestPath) {
    auto& rt = runtime();
    rt.DoEvents();
    // FileCopy writes the whole copy beside the target and only then renames it over the target, so an
    // installed saver of that name is never left half replaced.
    vb::ResumeNext step(rt.errorLog(), "Form1.FileCopyTo");
    step([&] {
        vb::FileCopy(FullPathFile, DestPath);
        if (vb::FileLen(DestPath) != vb::FileLen(FullPathFile)) {
            vb::raise(vb::ErrPathFileAccess, vb::errorDescription(vb::ErrPathFileAccess));
        }
        makeRunnable(DestPath);
    });
    if (step.failed()) {
        MsgBox(rt,
               "An error occured copying the file " + platform::toDisplayPath(FullPathFile) + ".  " +
                   step.errDescription(),
               vbCritical, "Error.");
        return false;
    }
    return true;
}

bool Form1::RegSaveString(platform::HKEY hKey, const std::string& strPath, const std::string& strValue,
                          const std::string& strData) {
    auto& rt = runtime();
    const auto& registry = rt.services().registry;
    m_registryFailure.clear();
    auto fail = [&](const std::string& why) {
        rt.logError("Form1.RegSaveString", 0, why);
        m_registryFailure = why;
        return false;
    };
    if (!registry) {
        return fail("no registry on this system");
    }
    auto key = registry->RegCreateKey(hKey, strPath);
    if (!key) {
        return fail(key.error().detail);
    }
    auto set = registry->RegSetValueEx(*key, strValue, platform::REG_SZ, strData);
    if (auto closed = registry->RegCloseKey(*key); !closed) {
        rt.logError("Form1.RegSaveString", 0, closed.error().detail);
    }
    if (!set) {
        return fail(set.error().detail);
    }
    if (rt.trace().enabled()) {
        rt.trace().write("registry " + forms::Trace::quote(strPath) + " " + forms::Trace::quote(strValue) + " " +
                         forms::Trace::quote(strData));
    }
    return true;
}

void Form1::Command3_Click() {
    Unload();
}

void Form1::Label4_Click() {
    common::ShellOpen(runtime(), kMakerWebSite);
}

void Form1::Form_Unload(int&) {
    core.cleanUp();
}

} // namespace glw::stubs::installer
