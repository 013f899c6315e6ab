// Registration of the add-ins with their hosts: a per-user file that maps each add-in's ProgID to its
// library and the name the host shows it under. The install step writes it; a host reads it to find the
// add-ins it loads.
#pragma once

#include "base/Result.h"
#include "platform/Services.h"

#include <string>

namespace glw::addins {

// The settings-store application name of the registration file.
inline constexpr const char* kRegistrationApp = "Host Add-ins";

struct AddinRegistration {
    std::string progId;
    std::string libraryPath; // host path of the shared library
    std::string displayName;
    bool operator==(const AddinRegistration&) const = default;
};

// Writes (or replaces) the entry of `entry.progId`.
void registerAddin(platform::SettingsStore& store, const AddinRegistration& entry);
// The entry of `progId`, NotFound when none is registered.
Result<AddinRegistration> findRegisteredAddin(platform::SettingsStore& store, const std::string& progId);

// Asks a library for its ProgID and display name through its entry point (the library is loaded and released
// again). Fails when it cannot be loaded or is not an add-in.
Result<AddinRegistration> describeAddinLibrary(const std::string& libraryPath);

} // namespace glw::addins
