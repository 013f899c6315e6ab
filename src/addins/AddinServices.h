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

// The real services of an add-in whose library holds `address`:
//  - the clipboard: the file named by GLW_CLIPBOARD when set (headless runs and tests), else one that lives
//    in the host process (the desktop's clipboard needs the host's own event loop);
//  - the per-user settings store, and the desktop shell (programs start detached, never waited for);
//  - the log goes to standard error when GLW_ADDIN_LOG is set, else nowhere.
AddinServices desktopAddinServices(const void* address);

} // namespace glw::addins
