// The per-user registration file of the add-ins, kept in the settings store's per-user files.
#include "Registration.h"

#include "hostapi/HostApi.h"

#include <dlfcn.h>
#include <filesystem>

namespace glw::addins {

void registerAddin(platform::SettingsStore& store, const AddinRegistration& entry) {
    store.saveSetting(kRegistrationApp, entry.progId, "Path", entry.libraryPath);
    store.saveSetting(kRegistrationApp, entry.progId, "FriendlyName", entry.displayName);
}

Result<AddinRegistration> findRegisteredAddin(platform::SettingsStore& store, const std::string& progId) {
    AddinRegistration entry{progId, store.getSetting(kRegistrationApp, progId, "Path", ""),
                            store.getSetting(kRegistrationApp, progId, "FriendlyName", "")};
    if (entry.libraryPath.empty()) {
        return makeError(ErrorCode::NotFound, "no add-in is registered as " + progId);
    }
    return entry;
}

Result<AddinRegistration> describeAddinLibrary(const std::string& libraryPath) {
    std::error_code ec;
    const auto path = std::filesystem::absolute(libraryPath, ec);
    if (ec) {
        return makeError(ErrorCode::NotFound, libraryPath);
    }
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        return makeError(ErrorCode::NotFound, why ? why : libraryPath);
    }
    auto info = reinterpret_cast<GlwAddinInfoFn>(::dlsym(library, "glw_addin_info"));
    Result<AddinRegistration> result = makeError(ErrorCode::Unsupported, libraryPath + " is not an add-in");
    if (info) {
        const char* progId = nullptr;
        const char* displayName = nullptr;
        info(&progId, &displayName);
        if (progId && displayName) {
            result = AddinRegistration{progId, path.string(), displayName};
        }
    }
    ::dlclose(library);
    return result;
}

} // namespace glw::addins
