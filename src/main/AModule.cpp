// The main program's shared procedures: copies, pop-up placement, names and the link chooser's call.
#include "AModuleProcedures.h"
#include "FrmUrl.h"
#include "MainProgram.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "vb/VbError.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace glw::main {

namespace {

void requireWindow(const forms::Control& ctl) {
    // Labels and images are drawn by their container and have no window whose rectangle could be asked.
    if (ctl.kind() == forms::ControlKind::Label || ctl.kind() == forms::ControlKind::Image) {
        vb::raise(438, "Object doesn't support this property or method");
    }
}

void placeAbove(forms::Form& frm, const forms::Control& ctl, bool leftOf) {
    requireWindow(ctl);
    auto& rt = frm.runtime();
    const forms::PixelRect rect = rt.ui().screenRect(ctl);
    const double top = double(rect.top + 1) * rt.Screen.TwipsPerPixelY - frm.Height;
    double left = double(rect.left) * rt.Screen.TwipsPerPixelX;
    if (leftOf) {
        left -= frm.Width;
    }
    frm.Move(int(std::lround(left)), int(std::lround(top)));
}

} // namespace

void PlaceFormAboveControl(forms::Form& frm, const forms::Control& ctl) {
    placeAbove(frm, ctl, false);
}

void PlaceFormAboveLeftOfControl(forms::Form& frm, const forms::Control& ctl) {
    placeAbove(frm, ctl, true);
}

void PlaceFormBesideControl(forms::Form& frm, const forms::Control& ctl) {
    requireWindow(ctl);
    auto& rt = frm.runtime();
    const forms::PixelRect rect = rt.ui().screenRect(ctl);
    const double screenWidth = rt.Screen.Width;
    const double screenHeight = rt.Screen.Height;
    double left = double(rect.left) * rt.Screen.TwipsPerPixelX;
    double top = double(rect.bottom) * rt.Screen.TwipsPerPixelY;
    if (top + frm.Height > screenHeight) {
        top = double(rect.top) * rt.Screen.TwipsPerPixelY - frm.Height;
    }
    left = std::max(0.0, std::min(left, screenWidth - frm.Width));
    top = std::max(0.0, std::min(top, screenHeight - frm.Height));
    frm.Move(int(std::lround(left)), int(std::lround(top)));
}

bool CopyFileIntoFolder(MainProgram& program, const std::string& sourceFile, const std::string& folder) {
    auto& rt = program.runtime;
    rt.DoEvents();
    rt.DoEvents();
    vb::ResumeNext step(rt.errorLog(), "AModule.CopyFileIntoFolder");
    step([&] { vb::MkDir(folder); }); // an existing folder is fine
    std::string failure;
    if (APICopy(sourceFile, folder + "\\" + FileNameFromPath(sourceFile), failure)) {
        return true;
    }
    // A refused copy is reported as well, so that no caller goes on as if the file were there.
    program.MsgBoxEx("An error occured copying the file " + platform::toDisplayPath(sourceFile) + ".  " + failure,
                     common::msgOk, "Glintwave SE");
    return false;
}

std::string MakeRandomName(forms::Runtime& runtime) {
    runtime.Randomize();
    // Int(Rnd * 99) in single precision; a value just below 1 can round up to 99, which the orders treat as 98.
    auto draw = [&] { return std::min(98, int(std::floor(runtime.Rnd() * 99.0f))); };
    const int n = draw();
    const int r1 = draw();
    const int r2 = draw();
    const std::string h = std::to_string(runtime.Hour());
    const std::string s = std::to_string(runtime.Second());
    const std::string a = std::to_string(r1);
    const std::string b = std::to_string(r2);
    if (n <= 25) {
        return h + a + s + b;
    }
    if (n <= 50) {
        return h + s + a + b;
    }
    if (n <= 75) {
        return a + h + s + b;
    }
    return h + a + b + s;
}

std::string AskForURL(MainProgram& program, const forms::Control* opener) {
    // The link chooser leaves the chosen address in LinkURL, or nothing when cancelled.
    {
        frmURL chooser(program);
        if (opener) {
            vb::ResumeNext step(program.runtime.errorLog(), "AModule.AskForURL");
            step([&] { PlaceFormBesideControl(chooser, *opener); });
        }
        chooser.Show(forms::vbModal);
    }
    return program.aModule.LinkURL;
}

} // namespace glw::main
