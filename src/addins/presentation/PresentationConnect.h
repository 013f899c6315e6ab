// The presentation program's add-in: "Insert Flash Clipart" starts the main program with its request, the
// window-activate event inserts the handed-back clip as a Flash object, and "FSCommand Script To Clipboard"
// offers the script code for the object's commands.
#pragma once

#include "addins/ConnectFrame.h"

namespace glw::addins {

inline constexpr const char* kPresentationProgId = "GLWSEClipartPP.Connect";
inline constexpr const char* kPresentationDisplayName = "Glintwave SE Clipart For MS PowerPoint";

class PresentationConnect : public ConnectFrame {
public:
    explicit PresentationConnect(AddinServices services);

protected:
    void hookHostEvents() override;
    void m_cbbMenu_Click(hostapi::CommandBarControl& ctrl, bool& cancelDefault) override;
    void m_cbbMenu2_Click(hostapi::CommandBarControl& ctrl, bool& cancelDefault) override;

private:
    hostapi::PresentationApplication& host();
    void FPApplic_WindowActivate(hostapi::Presentation* pres, hostapi::DocumentWindow* wn);
    // Inserts the clip of the reply's tag; true when the object was placed.
    bool insertFlashObject(const std::string& tag);
    // Puts "ppointvb.dat" on the clipboard and shows `message`; false when the file is missing.
    bool offerScriptCode(const std::string& message);
};

} // namespace glw::addins
