// The real services of an add-in library.
#include "AddinServices.h"

#include "platform/HolderClipboard.h"
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

std::shared_ptr<platform::Clipboard> addinClipboard(const std::string& folder, platform::ServiceLog log) {
    const char* clipboardFile = std::getenv("GLW_CLIPBOARD");
    if (clipboardFile && *clipboardFile) {
        return std::make_shared<platform::FileClipboard>(clipboardFile, std::move(log));
    }
    const std::string holder = folder.empty() ? std::string() : folder + "/glwclipholder";
    if (platform::HolderClipboard::usable(holder)) {
        return std::make_shared<platform::HolderClipboard>(holder, std::move(log));
    }
    return std::make_shared<platform::MemoryClipboard>();
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
    const std::string folder = libraryFolder(address);
    services.clipboard = addinClipboard(folder, serviceLog);
    services.settings =
        std::make_shared<platform::IniSettingsStore>(platform::IniSettingsStore::defaultFolder(), serviceLog);
    services.shell = std::make_shared<platform::DesktopShell>("xdg-open", serviceLog);
    services.folder = folder.empty() ? std::string() : platform::toSystemPath(folder);
    return services;
}

} // namespace glw::addins
