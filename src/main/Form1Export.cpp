// The main window's Export button and its side of every export: the clip written into Working and
// described for the export dialog.
#include "AModuleProcedures.h"
#include "ExportTag.h"
#include "Form1.h"
#include "FrmExportAll.h"
#include "MainProgram.h"
#include "base/FileIo.h"
#include "formats/ExportCode.h"
#include "forms/Runtime.h"
#include "platform/WinPath.h"
#include "swf/SwfGenerator.h"
#include "vb/VbFile.h"
#include "vb/VbText.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace glw::main {

namespace {

// Sizes beyond this many pixels are not movies anyone can show; they are refused with a message.
constexpr double kMaxExportPixels = 100000;

// The leading number of a size box, rounded to the nearest whole number, ties to the even one.
double sizeOf(const std::string& text) {
    double value = 0;
    try {
        value = vb::Val(text);
    } catch (const vb::RuntimeError&) {
        return std::numeric_limits<double>::infinity();
    }
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    value = std::nearbyint(value);
    std::fesetround(mode);
    return value;
}

} // namespace

void Form1::Command8_Click() {
    auto& g = program.aModule;
    // 1. The tint, red, green and blue.
    g.ClipFlashVars = tintText();
    // 2. The size in pixels.
    const double width = sizeOf(EWidth.Text);
    const double height = sizeOf(EHeight.Text);
    if (!(std::fabs(width) <= kMaxExportPixels) || !(std::fabs(height) <= kMaxExportPixels) || width < 0 ||
        height < 0) {
        program.MsgBoxEx("The movie size " + EWidth.Text() + " x " + EHeight.Text() +
                             " cannot be exported.  Width and height must be 0 to 100000 pixels.",
                         common::msgOk, "Glintwave SE");
        return;
    }
    g.ExportWidth = std::int32_t(width);
    g.ExportHeight = std::int32_t(height);
    // A clip must be chosen; the dialog then runs modally, with this window as its caller.
    if (CurrentClip.empty()) {
        program.MsgBoxEx("No movie has been selected! Unable to export.", common::msgOk, "Glintwave SE");
        return;
    }
    g.CallingForm = this;
    {
        frmExportAll dialog(program);
        dialog.Show(forms::vbModal);
    }
    g.CallingForm = nullptr;
}

Result<void> Form1::DoMainExport(const std::string& SWFFileName, const std::string& DataFolder) {
    auto& rt = runtime();
    auto& g = program.aModule;
    const std::string target = rt.App.Path + "\\Working\\" + SWFFileName;
    Error failure;

    if (SWFFileName.empty() || SWFFileName == "." || SWFFileName == ".." ||
        SWFFileName.find_first_of("\\/:") != std::string::npos) {
        failure = makeError(ErrorCode::Unsafe, "The SWF file name \"" + SWFFileName + "\" is not a file name.");
    } else if (CurrentClip.empty()) {
        failure = makeError(ErrorCode::NotFound, "No movie has been selected! Unable to export.");
    } else {
        const std::string sourceHost = platform::toHostPath(CurrentClip);
        const std::string targetHost = platform::toHostPath(target);
        const bool sameFile = !sourceHost.empty() && !targetHost.empty() && base::sameFile(sourceHost, targetHost);
        // A stale movie of that name never stands in for this one (the clip itself is never deleted). A movie
        // that cannot be removed is replaced or reported by the copy below.
        if (!sameFile && !targetHost.empty()) {
            (void)base::removeFile(targetHost);
        }
        ScanMode = false;
        if (chkDoChange.Value == forms::vbChecked) {
            // 4. The editor's apply pass: the clip rebuilt with the edits at the size of the size boxes, the
            // element events writing the rows of the clip they were scanned from.
            const Result<void> built = applyPass(true, target);
            if (!built) {
                failure = makeError(built.error().code,
                                    "The clip could not be written to " + target + ".  " + built.error().detail);
            }
        } else {
            // 5. The clip unchanged.
            std::string reason;
            if (!sameFile && !APICopy(CurrentClip, target, reason)) {
                failure = makeError(ErrorCode::Io, "The clip could not be copied to " + target + ".  " + reason);
            }
        }
    }

    // The files to hand on and the export code: the tag's id, the movie's address in the data folder and the
    // background colour. They are written even when the clip could not be, as the dialog expects them.
    g.ExportFiles = {{DataFolder, target}};
    const std::string movie = formats::joinUrlPath(DataFolder, SWFFileName);
    std::string back = colBack.ToolTipText;
    if (back.empty()) {
        back = "#FFFFFF";
    }
    g.ExportCode = {.description = {"GLINTWAVECL" + MakeRandomName(rt), movie, back}};
    if (failure.code != ErrorCode::None) {
        return failure;
    }
    return {};
}

} // namespace glw::main
