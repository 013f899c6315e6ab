// The per-user record of registered components.
#include "updater/ComponentRegistration.h"

#include "base/FileIo.h"
#include "platform/ServicesReal.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace glw::updater {

FileComponentRegistry::FileComponentRegistry(std::string folder) : m_folder(std::move(folder)) {}

std::string FileComponentRegistry::defaultFolder() {
    return platform::IniSettingsStore::defaultFolder();
}

std::vector<std::string> FileComponentRegistry::registered() const {
    std::vector<std::string> lines;
    std::ifstream in(filePath(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

Result<void> FileComponentRegistry::registerComponent(const std::vector<std::string>& arguments) {
    auto component = std::find_if(arguments.begin(), arguments.end(),
                                  [](const std::string& a) { return !a.empty() && a[0] != '/'; });
    if (component == arguments.end()) {
        return makeError(ErrorCode::Invalid, "no component named in the arguments");
    }
    const std::string host = platform::toHostPath(*component);
    std::error_code ec;
    if (host.empty() || !std::filesystem::is_regular_file(host, ec)) {
        return makeError(ErrorCode::NotFound, "no component file " + *component);
    }
    std::vector<std::string> lines = registered();
    if (std::find(lines.begin(), lines.end(), *component) != lines.end()) {
        return Result<void>();
    }
    lines.push_back(*component);
    std::filesystem::create_directories(m_folder, ec);
    ::chmod(m_folder.c_str(), 0700);
    std::ostringstream text;
    for (const std::string& line : lines) {
        text << line << '\n';
    }
    if (auto written = base::replaceFileWith(filePath(), text.str(), base::Permissions{0600, false, false}); !written) {
        return makeError(ErrorCode::Io, "cannot write " + filePath());
    }
    return Result<void>();
}

} // namespace glw::updater
