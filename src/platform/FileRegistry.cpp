// The registry in one text file, replaced whole under a lock on its folder.
#include "FileRegistry.h"

#include "IniSettingsStore.h"
#include "base/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::platform {

namespace {

Error systemError(const std::string& what, const std::string& path) {
    return makeError(ErrorCode::Io, what + " " + path + ": " + std::strerror(errno));
}

} // namespace

FileRegistry::FileRegistry(std::string path) : m_path(std::move(path)) {}

std::string FileRegistry::defaultPath() {
    return IniSettingsStore::defaultFolder() + "/registry.ini";
}

Result<RegistryData> FileRegistry::load() {
    base::UniqueFd file{::open(m_path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (!file.valid()) {
        if (errno == ENOENT) {
            return RegistryData{};
        }
        return systemError("cannot read", m_path);
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError("cannot read", m_path);
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return parseRegistryFile(text);
}

Result<void> FileRegistry::update(const Change& change) {
    const std::filesystem::path file(m_path);
    const std::string folder = file.parent_path().empty() ? std::string(".") : file.parent_path().string();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            return makeError(ErrorCode::Io, "cannot create " + folder + ": " + ec.message());
        }
        ::chmod(folder.c_str(), 0700);
    }
    // The lock on the folder covers the read, the change and the rename.
    base::UniqueFd lock{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (!lock.valid()) {
        return systemError("cannot open", folder);
    }
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return systemError("cannot lock", folder);
        }
    }

    auto data = load();
    if (!data) {
        return data.error();
    }
    if (auto changed = change(*data); !changed) {
        return changed;
    }
    const std::string text = formatRegistryFile(*data);

    // The registry is private to the user whatever the file had.
    return base::replaceFileWith(m_path, text, base::Permissions{0600, false, false});
}

} // namespace glw::platform
