// The presentation program's request, hand-back and script code.
#include "PresentationConnect.h"

#include "addins/AddinEntry.h"
#include "addins/ClipText.h"
#include "common/ModText.h"
#include "platform/WinPath.h"

namespace glw::addins {

namespace {

constexpr const char* kScriptTitle = "VBA Code.";
constexpr const char* kHowToPaste = "Right click on the new Flash Object, Select View Code, Choose the FSCommand "
                                    "Subroutine (ShockwaveFlashXX_FSCommand), Paste the Code!.";
constexpr int kSlideMasterView = 2;

std::string scriptMessage(const std::string& what) {
    return "VBA code has been copied to you clipboard to use for " + what + ".  To implement this code : \r\r" +
           kHowToPaste;
}

} // namespace

PresentationConnect::PresentationConnect(AddinServices services)
    : ConnectFrame(std::move(services), "PPLegacyMenuPos",
                   {{"FSCommand Script To Clipboard", 1695, 2, false}, {"Insert Flash Clipart", 1851, 1, false}}) {}

hostapi::PresentationApplication& PresentationConnect::host() {
    auto* application = must(FPApplic).asPresentation();
    if (!application) {
        throw hostapi::HostError("the host is not the presentation program");
    }
    return *application;
}

void PresentationConnect::hookHostEvents() {
    bindHostEvent(host().WindowActivate(), [this](hostapi::Presentation* pres, hostapi::DocumentWindow* wn) {
        entry("FPApplic_WindowActivate", [&] { FPApplic_WindowActivate(pres, wn); });
    });
}

void PresentationConnect::m_cbbMenu_Click(hostapi::CommandBarControl& /*ctrl*/, bool& /*cancelDefault*/) {
    auto step = steps("m_cbbMenu_Click");
    step([&] { m_services.clipboard->setText(kPresentationRequest); });
    step([&] { m_services.shell->open(m_services.folder + "\\glwclipart"); });
}

void PresentationConnect::m_cbbMenu2_Click(hostapi::CommandBarControl& /*ctrl*/, bool& /*cancelDefault*/) {
    offerScriptCode(scriptMessage("Flash PowerPoint Navigation Commands"));
}

void PresentationConnect::FPApplic_WindowActivate(hostapi::Presentation* /*pres*/, hostapi::DocumentWindow* /*wn*/) {
    auto step = steps("FPApplic_WindowActivate");
    std::string text;
    step([&] { text = m_services.clipboard->getText(); });
    if (looksLikeReply(text)) {
        auto reply = readClipReply(text, platform::toHostPath(m_services.folder + "\\Working"));
        if (!reply) {
            if (m_services.log) {
                m_services.log("FPApplic_WindowActivate", vb::ErrInvalidCall, "reply refused: " + reply.error().detail);
            }
        } else if (insertFlashObject(reply->tag)) {
            // The reply is consumed only once its clip is on the slide; until then the next activation retries.
            step([&] { m_services.clipboard->clear(); });
            offerScriptCode(scriptMessage("FSCommands"));
        }
    }
    AddMenus();
}

bool PresentationConnect::insertFlashObject(const std::string& tag) {
    auto step = steps("FPApplic_WindowActivate");
    const FlashPlacement placement = readFlashPlacement(tag);

    std::shared_ptr<hostapi::DocumentWindow> window;
    int viewType = 0;
    if (!step([&] {
            window = host().ActiveWindow();
            viewType = must(must(window).ActivePane()).ViewType();
        })) {
        return false;
    }
    hostapi::OleObjectArgs args;
    args.left = 20;
    args.top = 20;
    args.width = placement.width;
    args.height = placement.height;
    args.className = "ShockwaveFlash.ShockwaveFlash.1";
    std::shared_ptr<hostapi::Shape> shape;
    step([&] {
        auto shapes = viewType == kSlideMasterView ? must(must(window->presentation()).slideMaster()).shapes()
                                                   : must(must(window->selection()).slideRange()).shapes();
        shape = must(shapes).AddOLEObject(args);
    });
    if (!shape) {
        return false;
    }

    pumpMessages();
    std::shared_ptr<hostapi::OLEFormat> format;
    std::shared_ptr<hostapi::FlashObject> flash;
    step([&] { shape->Select(); });
    step([&] { format = shape->oleFormat(); });
    step([&] { flash = must(format).Object(); });
    const std::string movie = platform::toHostPath(m_services.folder + "\\Working\\ppoint.swf");
    step([&] { must(flash).setMovie(movie + "?" + placement.variables); });
    step([&] { must(flash).setEmbedMovie(true); });
    step([&] { must(flash).setWMode("Transparent"); });
    step([&] { must(flash).setFlashVars(placement.variables); });
    step([&] { must(format).Activate(); });
    step([&] { must(flash).Play(); });
    pumpMessages();
    pumpMessages();
    return true;
}

bool PresentationConnect::offerScriptCode(const std::string& message) {
    const std::string script = m_services.folder + "\\ppointvb.dat";
    if (!common::FileExists(script)) {
        return false;
    }
    auto step = steps("offerScriptCode");
    step([&] { m_services.clipboard->setText(common::ReadFileText(script)); });
    MsgBoxEx(message, 0, kScriptTitle);
    return true;
}

} // namespace glw::addins

GLW_DEFINE_ADDIN_ENTRY_POINTS(glw::addins::PresentationConnect, glw::addins::kPresentationProgId,
                              glw::addins::kPresentationDisplayName)
