// The settings store on INI files.
#pragma once

#include "Services.h"

#include <string>

namespace glw::platform {

// Settings in one INI-style file per application: <folder>/<application name>.ini, created with mode 0600.
//  - "[section]" lines open a section, "key=value" lines hold values; lines starting with ";" or "#" and
//    lines without "=" are ignored.
//  - Names and values are written with "\" escapes ("\\", "\n", "\r", "\0"; "\=" in keys, "\]" in
//    sections), so line breaks, "=" and "]" round-trip; blanks are kept as they stand.
//  - Application, section and key names are matched without regard to ASCII case; the spelling of the
//    first save stays. A file name character that the file system cannot hold ("/", "\", "%", control
//    characters, a leading ".") is written as "%" and two hexadecimal digits.
//  - Every save reads the file again, changes the one value and replaces the file through a temporary file
//    and a rename, under a lock on the folder, so concurrent programs do not lose each other's values and a
//    reader never sees half a file. Failures are passed to the log; reads of a missing or unreadable file
//    give the default.
class IniSettingsStore : public SettingsStore {
public:
    // `folder` is a host path; it is created when a value is first saved.
    explicit IniSettingsStore(std::string folder = defaultFolder(), ServiceLog log = {});

    // $XDG_CONFIG_HOME/glw, or ~/.config/glw when that is unset or not absolute.
    static std::string defaultFolder();
    // The host path of an application's file (an existing file whose name differs only in case is used).
    std::string filePath(const std::string& appName) const;

    std::string getSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    std::string m_folder;
    ServiceLog m_log;
};

} // namespace glw::platform
