// What an add-in needs besides its host: the clipboard, the settings store, a shell that starts programs
// detached, its own folder and a log. Each add-in library carries one set; tests choose it through the
// environment, as a host process would.
#pragma once

#include "platform/Services.h"
#include "vb/VbError.h"

#include <memory>
#include <string>

namespace glw::addins {

struct AddinServices {
    std::shared_ptr<platform::Clipboard> clipboard;
    std::shared_ptr<platform::SettingsStore> settings;
    std::shared_ptr<platform::Shell> shell;
    std::string folder; // the add-in library's folder, a system path without a closing "\"
    vb::ErrorLog log;   // where skipped host failures are reported
};

// The host path of the folder of the library (or program) that holds `address`; "" when it is unknown.
std::string libraryFolder(const void* address);

// The clipboard of an add-in whose library lies in `folder` (a host path): the file named by GLW_CLIPBOARD
// when it is set (headless runs and tests); else, on an X display, the desktop's clipboard through the
// holder program beside the library (glwclipholder), the same clipboard the main program uses in a window,
// so that the request and the reply cross between them and outlive the process that set them; else
// (no display, or a build without the holder) one that lives in the host process.
std::shared_ptr<platform::Clipboard> addinClipboard(const std::string& folder, platform::ServiceLog log = {});

// The real services of an add-in whose library holds `address`:
//  - the clipboard of addinClipboard;
//  - the per-user settings store, and the desktop shell (programs start detached, never waited for);
//  - the log goes to standard error when GLW_ADDIN_LOG is set, else nowhere.
AddinServices desktopAddinServices(const void* address);

} // namespace glw::addins
