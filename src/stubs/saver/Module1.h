// The screen saver's module: its entry routine Main with the command-line switches, the state its forms
// share, the single-instance check and the taskbar routines.
#pragma once

#include "base/FileIo.h"
#include "stubs/StubCore.h"

#include <memory>
#include <string>

namespace glw::stubs::saver {

class frmScreen;
class frmConfig;
class Form1;

// Shown by "/P" when its line names no window that the preview can live in; the saver then ends.
inline constexpr const char* kNoPreviewWindowMessage =
    "The preview needs the window to show in: the command line names none that can be found here.";

// The run modes of the command line.
enum RunMode : int { modeConfigure = 1, modeShow = 2, modePreview = 3 };

class Module1 {
public:
    Module1(forms::Runtime& runtime, StubEnvironment environment);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    forms::Runtime& runtime;
    // The work folder (TempFolder) and DelFileList.
    StubCore core;

    // Read from the startup list by the unpacking form.
    long MovieHeight = 0; // not used
    long MovieWidth = 0;  // not used
    std::string MovieBgColor;
    std::string AuthorName;
    std::string AuthorWeb;
    std::string MovieScale; // not used
    std::string FlashVars;
    int RunMode = 0;
    // The preview window's handle from "/P" (on this desktop an X window id); 0 when the line gives none.
    long PreviewHwnd = 0;

    // The entry routine: "/C" (or anything else) configure, "/S" show full screen, "/P <handle>" preview.
    void Main();
    // The taskbar parts "Taskbar", "Systray", "Clock", "Quickstart", "Tasklist", "Startbutton".
    bool HideTaskbarPart(const std::string& part);
    bool ShowTaskbarPart(const std::string& part);
    // Ends the program at once when another screen saver of this user already shows.
    void CheckPrevInstance();
    // Loads the unpacking form, which unpacks everything and reads startup.ini.
    void LoadPackageForm();
    // The number formed by the digits at the end of the trimmed line; 0 when it ends in none.
    static long ParsePreviewHwnd(const std::string& line);
    // Lets another screen saver show (at the end of a show).
    void releaseInstance();

    frmScreen& screen();
    frmConfig& config();
    Form1& form1();

private:
    base::UniqueFd m_instanceLock;
    std::unique_ptr<frmScreen> m_frmScreen;
    std::unique_ptr<frmConfig> m_frmConfig;
    std::unique_ptr<Form1> m_form1;
};

} // namespace glw::stubs::saver
