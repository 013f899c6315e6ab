// The registry kept in a file under the user's configuration folder.
#pragma once

#include "Registry.h"

#include <string>

namespace glw::platform {

// The store in one text file, created with mode 0600 in a folder of mode 0700:
//  - "[path]" lines open a key, "name=data" lines hold its values; lines that start with ";" or "#" and
//    lines without "=" are ignored.
//  - "%", control characters (line breaks included) and, in names and paths, "=", "[" and "]" are written
//    as "%" and two hexadecimal digits, so that every text round-trips and paths stay readable.
//  - Every change reads the file again, changes it and replaces it through a temporary file and a rename,
//    under a lock, so that programs running at once do not lose each other's values and no reader ever
//    sees half a file.
class FileRegistry : public Registry {
public:
    // `path` is a host path.
    explicit FileRegistry(std::string path = defaultPath());

    // $XDG_CONFIG_HOME/glw/registry.ini, or ~/.config/glw/registry.ini when that is unset or not absolute.
    static std::string defaultPath();
    const std::string& path() const { return m_path; }

protected:
    Result<RegistryData> load() override;
    Result<void> update(const Change& change) override;

private:
    std::string m_path;
};

} // namespace glw::platform
