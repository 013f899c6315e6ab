// The real services of an add-in library.
#include "AddinServices.h"

#include "platform/ServicesMemory.h"
#include "platform/ServicesReal.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

namespace glw::addins {

std::string libraryFolder(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) {
        return {};
    }
    std::error_code ec;
    const auto file = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string() : file.parent_path().string();
}

AddinServices desktopAddinServices(const void* address) {
    AddinServices services;
    const char* logWanted = std::getenv("GLW_ADDIN_LOG");
    platform::ServiceLog serviceLog;
    if (logWanted && *logWanted) {
        serviceLog = [](const std::string& line) { std::fprintf(stderr, "add-in: %s\n", line.c_str()); };
        services.log = [](const std::string& where, int number, const std::string& description) {
            std::fprintf(stderr, "add-in: %s: error %d: %s\n", where.c_str(), number, description.c_str());
        };
    }
    const char* clipboardFile = std::getenv("GLW_CLIPBOARD");
    if (clipboardFile && *clipboardFile) {
        services.clipboard = std::make_shared<platform::FileClipboard>(clipboardFile);
    } else {
        services.clipboard = std::make_shared<platform::MemoryClipboard>();
    }
    services.settings =
        std::make_shared<platform::IniSettingsStore>(platform::IniSettingsStore::defaultFolder(), serviceLog);
    services.shell = std::make_shared<platform::DesktopShell>("xdg-open", serviceLog);
    const std::string folder = libraryFolder(address);
    services.folder = folder.empty() ? std::string() : platform::toSystemPath(folder);
    return services;
}

} // namespace glw::addins
