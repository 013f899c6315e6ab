// Mapping between Windows-form system paths and host paths, with case-insensitive lookup of existing names.
#include "WinPath.h"

#include "base/Ascii.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace glw::platform {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string hostCurrentFolder() {
    std::vector<char> buffer(PATH_MAX);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) {
            return "/";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// Appends each component of `text` (split at `isSep`) to `out`, resolving "." and ".." by name.
// `keep`, when given, counts leading entries of `out` that must stay marked; ".." lowers it.
template <class IsSep>
void appendComponents(std::vector<std::string>& out, std::string_view text, IsSep isSep, std::size_t* keep = nullptr) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSep(text[i])) {
            ++i;
        }
        std::size_t start = i;
        while (i < text.size() && !isSep(text[i])) {
            ++i;
        }
        std::string_view part = text.substr(start, i - start);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!out.empty()) {
                out.pop_back();
            }
            if (keep && *keep > out.size()) {
                *keep = out.size();
            }
            continue;
        }
        out.emplace_back(part);
    }
}

bool entryExists(const std::string& hostPath) {
    struct stat st {};
    return ::lstat(hostPath.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without regard to ASCII case, or nothing. When several
// differ only in case the first in listing order wins, so the answer does not depend on readdir's order.
std::optional<std::string> findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == ".." || !isRepresentableName(candidate)) {
            continue;
        }
        if (!base::iequals(candidate, name)) {
            continue;
        }
        if (!best || candidate < std::string_view(*best)) {
            best = std::string(candidate);
        }
    }
    ::closedir(dir);
    return best;
}

} // namespace

bool isRepresentableName(std::string_view hostName) {
    return hostName.find('\\') == std::string_view::npos;
}

std::string joinSystemPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) {
        return std::string(name);
    }
    return std::string(folder) + (isSystemSeparator(folder.back()) ? "" : "\\") + std::string(name);
}

std::pair<std::string, std::string> splitSystemPath(std::string_view systemPath) {
    std::size_t cut = systemPath.find_last_of("\\/");
    if (cut != std::string_view::npos) {
        return {std::string(systemPath.substr(0, cut + 1)), std::string(systemPath.substr(cut + 1))};
    }
    if (systemPath.size() >= 2 && isDriveLetter(systemPath[0]) && systemPath[1] == ':') {
        return {std::string(systemPath.substr(0, 2)), std::string(systemPath.substr(2))};
    }
    return {std::string(), std::string(systemPath)};
}

std::string toHostPath(std::string_view systemPath) {
    if (systemPath.empty()) {
        return {};
    }
    std::string_view rest = systemPath;
    bool rooted = false;
    if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
        if (base::lowerAscii(rest[0]) != base::lowerAscii(kSystemDrive)) {
            return {};
        }
        rest.remove_prefix(2);
        rooted = !rest.empty() && isSystemSeparator(rest[0]);
    } else if (isSystemSeparator(rest[0])) {
        // "\\server\share" names another machine's folder.
        if (rest.size() >= 2 && isSystemSeparator(rest[1])) {
            return {};
        }
        rooted = true;
    }

    std::vector<std::string> parts;
    std::size_t knownExact = 0; // leading parts taken from the current folder: host names already
    if (!rooted) {
        appendComponents(parts, hostCurrentFolder(), [](char c) { return c == '/'; });
        knownExact = parts.size();
    }
    appendComponents(parts, rest, isSystemSeparator, &knownExact);

    std::string host;
    bool exists = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string folder = host.empty() ? std::string("/") : host;
        std::string candidate = host + "/" + parts[i];
        if (exists && i >= knownExact && !entryExists(candidate)) {
            if (auto match = findNoCase(folder, parts[i])) {
                candidate = host + "/" + *match;
            } else {
                exists = false;
            }
        }
        host = std::move(candidate);
    }
    if (host.empty()) {
        return "/";
    }
    if (isSystemSeparator(systemPath.back())) {
        host += '/';
    }
    return host;
}

std::string toSystemPath(std::string_view hostPath) {
    if (hostPath.empty()) {
        return {};
    }
    std::vector<std::string> parts;
    if (hostPath[0] != '/') {
        appendComponents(parts, hostCurrentFolder(), [](char c) { return c == '/'; });
    }
    appendComponents(parts, hostPath, [](char c) { return c == '/'; });
    std::string system{kSystemDrive, ':'};
    for (const std::string& part : parts) {
        if (!isRepresentableName(part)) {
            return {};
        }
        system += '\\';
        system += part;
    }
    if (parts.empty() || hostPath.back() == '/') {
        system += '\\';
    }
    return system;
}

std::string toDisplayPath(std::string_view systemPath) {
    const std::string host = toHostPath(systemPath);
    return host.empty() ? std::string(systemPath) : host;
}

std::string fromDisplayPath(std::string_view typed) {
    // Blanks are part of the names: a folder "my savers " exists as typed.
    const std::string_view text = typed;
    if (text == "~" || text.rfind("~/", 0) == 0) {
        const char* home = std::getenv("HOME");
        if (home && home[0] == '/') {
            return toSystemPath(std::string(home) + std::string(text.substr(1)));
        }
        return std::string(typed);
    }
    if (!text.empty() && text.front() == '/') {
        return toSystemPath(text);
    }
    return std::string(typed);
}

std::string currentSystemFolder() {
    return toSystemPath(hostCurrentFolder());
}

namespace {

bool isHostFolder(const char* hostPath) {
    struct stat st {};
    return ::stat(hostPath, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

Result<std::string> userTempFolder() {
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir && isHostFolder(tmpdir)) {
        std::string host = tmpdir;
        while (host.size() > 1 && host.back() == '/') {
            host.pop_back();
        }
        std::string system = toSystemPath(host);
        if (!system.empty()) {
            if (system.size() > 3 && system.back() == '\\') {
                system.pop_back();
            }
            return system;
        }
    }
    uid_t uid = ::geteuid();
    std::string host = "/tmp/glw-" + std::to_string(uid);
    if (::mkdir(host.c_str(), 0700) != 0 && errno != EEXIST) {
        return makeError(ErrorCode::Io, "cannot create " + host + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) {
        return makeError(ErrorCode::Io, "cannot read " + host + ": " + std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return makeError(ErrorCode::Unsafe, host + " is not a private folder of this user");
    }
    return toSystemPath(host);
}

} // namespace glw::platform
