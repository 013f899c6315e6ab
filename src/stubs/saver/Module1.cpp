// The screen saver's entry routine and module procedures.
#include "stubs/saver/Module1.h"

#include "common/ModText.h"
#include "stubs/StubMsgBox.h"
#include "stubs/saver/SaverForms.h"
#include "vb/VbError.h"
#include "vb/VbText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace glw::stubs::saver {

namespace {

// The preview window of the display settings is this many pixels inside, the usual size on the original;
// the form takes it until the desktop gives it the real window's size.
constexpr int kPreviewWidthPixels = 152;
constexpr int kPreviewHeightPixels = 112;

} // namespace

Module1::Module1(forms::Runtime& rt, StubEnvironment environment) : runtime(rt), core(rt, std::move(environment)) {}

Module1::~Module1() {
    // The forms go first: they refer to the module.
    m_frmScreen.reset();
    m_frmConfig.reset();
    m_form1.reset();
    // A run that ends without its forms being closed (the end of a scripted run) leaves nothing behind.
    core.cleanUp();
    releaseInstance();
}

frmScreen& Module1::screen() {
    if (!m_frmScreen) {
        m_frmScreen = std::make_unique<frmScreen>(*this);
    }
    return *m_frmScreen;
}

frmConfig& Module1::config() {
    if (!m_frmConfig) {
        m_frmConfig = std::make_unique<frmConfig>(*this);
    }
    return *m_frmConfig;
}

Form1& Module1::form1() {
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(*this);
    }
    return *m_form1;
}

void Module1::Main() {
    core.setUpWorkFolder();

    const std::string line = vb::UCase(vb::Trim(runtime.Command));
    const std::string mode = vb::Left(line, 2);
    if (mode == "/S") {
        RunMode = modeShow;
    } else if (mode == "/P") {
        RunMode = modePreview;
    } else {
        RunMode = modeConfigure;
    }

    if (RunMode == modeConfigure) {
        LoadPackageForm();
        config().Show();
    } else if (RunMode == modeShow) {
        CheckPrevInstance();
        LoadPackageForm();
        HideTaskbarPart("Taskbar");
        screen().Load();
        screen().Show();
    } else {
        PreviewHwnd = ParsePreviewHwnd(line);
        if (PreviewHwnd <= 0) {
            MsgBox(runtime, kNoPreviewWindowMessage, vbCritical, "Error");
            runtime.End(1);
        }
        LoadPackageForm();
        frmScreen& preview = screen();
        preview.InPreview = true;
        preview.Load();
        preview.Caption = "Preview";
        // The preview lives inside the display settings' window whose handle the line gives, as its child:
        // no frame, neither maximised nor over the whole screen; the desktop gives it that window's size.
        vb::ResumeNext step(runtime.errorLog(), "Module1.Main");
        step([&] {
            preview.WindowState = 0;
            preview.BorderStyle = 0;
            preview.Move(0, 0, int(kPreviewWidthPixels * runtime.Screen.TwipsPerPixelX),
                         int(kPreviewHeightPixels * runtime.Screen.TwipsPerPixelY));
        });
        if (!runtime.ui().embedIn(preview, static_cast<unsigned long>(PreviewHwnd))) {
            step([&] { preview.Visible = false; }); // never a window of its own elsewhere on the screen
            MsgBox(runtime, kNoPreviewWindowMessage, vbCritical, "Error");
            runtime.End(1);
        }
        if (runtime.trace().enabled()) {
            runtime.trace().write("preview in window " + std::to_string(PreviewHwnd));
        }
    }
}

long Module1::ParsePreviewHwnd(const std::string& line) {
    const std::string text = vb::Trim(line);
    std::size_t start = text.size();
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') {
        --start;
    }
    const std::string digits = text.substr(start);
    if (digits.empty()) {
        return 0;
    }
    try {
        return vb::CLng(vb::Val(digits));
    } catch (const vb::RuntimeError&) {
        return 0;
    }
}

void Module1::CheckPrevInstance() {
    // The desktop cannot be searched for the other saver's window here. A saver that shows holds a lock
    // on this user's TempSWF folder instead, and a second one that finds it taken ends at once.
    const std::string folder = core.hostTempSwfFolder();
    if (folder.empty()) {
        return;
    }
    base::UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        return;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        fd = base::UniqueFd();
        if (taken) {
            if (runtime.trace().enabled()) {
                runtime.trace().write("another screen saver shows");
            }
            runtime.End(0);
        }
        return;
    }
    m_instanceLock = std::move(fd);
}

void Module1::releaseInstance() {
    m_instanceLock = base::UniqueFd();
}

bool Module1::HideTaskbarPart(const std::string& part) {
    // This desktop has no taskbar windows of that layout to find (as on a shell of another layout): nothing
    // is hidden. The full-screen form covers the desktop's panels by itself.
    (void)part;
    return false;
}

bool Module1::ShowTaskbarPart(const std::string& part) {
    (void)part;
    return false;
}

void Module1::LoadPackageForm() {
    form1().Load();
}

} // namespace glw::stubs::saver
