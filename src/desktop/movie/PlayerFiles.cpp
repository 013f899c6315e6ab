// The player's files on disk: checking a folder against its manifest and unpacking a carried pack into the
// user's cache.
#include "PlayerFiles.h"

#include "base/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace glw::qt::movie {

namespace {

std::string join(const std::string& folder, std::string_view name) {
    return folder + (folder.empty() || folder.back() != '/' ? "/" : "") + std::string(name);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A folder others may not change: a real folder (lstat, so never a link), owned by this user (or by the
// system, for the folders above ours), and not writable by group or others unless it is sticky (/tmp).
Result<void> checkSafeFolder(const std::string& path, bool mustBeOurs) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return base::systemError("look at", path, errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return makeError(ErrorCode::Unsafe, path + " is not a folder (a link or a file stands there)");
    }
    const uid_t me = ::geteuid();
    if (st.st_uid != me && (mustBeOurs || st.st_uid != 0)) {
        return makeError(ErrorCode::Unsafe, path + " belongs to another user");
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && (mustBeOurs || !(st.st_mode & S_ISVTX))) {
        return makeError(ErrorCode::Unsafe, path + " can be written by other users");
    }
    return {};
}

// Makes `path` (and its missing parents) as folders of this user alone; checks every one that exists.
Result<void> makeSafeFolder(const std::string& path) {
    if (path.empty() || path == "/") {
        return checkSafeFolder("/", false);
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return base::systemError("look at", path, errno);
        }
        if (auto parent = makeSafeFolder(parentOf(path)); !parent) {
            return parent;
        }
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            return base::systemError("create the folder", path, errno);
        }
        return checkSafeFolder(path, true);
    }
    // A folder that was there already: ours, or one of the system's above it (home, /tmp).
    if (auto parent = checkSafeFolder(parentOf(path), false); !parent && parentOf(path) != path) {
        return parent;
    }
    return checkSafeFolder(path, false);
}

Result<void> writeNewFile(const std::string& path, std::string_view bytes) {
    base::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return base::systemError("create", path, errno);
    }
    if (auto written = base::writeAt(fd.get(), 0, bytes.data(), bytes.size()); !written) {
        return written;
    }
    return fd.close();
}

// Removes a folder of plain files that this code wrote (a partial unpack, a damaged copy); anything else
// standing there (a link above all) is removed itself, never followed.
void removeFlatFolder(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(folder.c_str());
        return;
    }
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                ::unlink(join(folder, name).c_str());
            }
        }
        ::closedir(dir);
    }
    ::rmdir(folder.c_str());
}

// Copies of other player versions stay while a program that carries one may still start from them; one
// that no program has started from for this long goes, so the cache does not keep every version ever run.
constexpr time_t kUnusedCopyAge = 30 * 24 * 60 * 60;
// What a run that ended half-way left (an unpack or a removal cut off) is stale after a day.
constexpr time_t kLeftoverAge = 24 * 60 * 60;

// Marks `folder` as used now, then removes from `root` the copies of other versions that have not been used
// for kUnusedCopyAge and the leftovers of cut-off runs. Only real folders of this user's are removed, and
// only their plain files (removeFlatFolder); links and anything else are left alone.
void pruneOtherCopies(const std::string& root, const std::string& folder) {
    ::utimensat(AT_FDCWD, folder.c_str(), nullptr, 0);
    DIR* dir = ::opendir(root.c_str());
    if (!dir) {
        return;
    }
    const time_t now = ::time(nullptr);
    std::vector<std::string> old;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = join(root, name);
        struct stat st {};
        if (path == folder || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
            continue;
        }
        const bool leftover = name.starts_with(".unpack-") || name.starts_with(".stale-");
        if (now - st.st_mtime > (leftover ? kLeftoverAge : kUnusedCopyAge) && (leftover || name[0] != '.')) {
            old.push_back(path);
        }
    }
    ::closedir(dir);
    for (const auto& path : old) {
        if (path.find("/.stale-") != std::string::npos) {
            removeFlatFolder(join(path, "old"));
        }
        removeFlatFolder(path);
    }
}

Result<std::string> unpackUnder(const formats::PlayerPack& pack, const std::string& root) {
    if (auto made = makeSafeFolder(root); !made) {
        return made.error();
    }
    const std::string folder = join(root, formats::playerManifestKey(pack.manifest));
    const std::string expected = formats::writePlayerManifest(pack.manifest);
    const auto reusable = [&]() -> bool {
        if (!checkSafeFolder(folder, true)) {
            return false;
        }
        auto text = base::readWholeFile(join(folder, formats::kPlayerManifestName));
        return text && *text == expected && formats::checkPlayerFolder(folder).ok();
    };
    if (reusable()) {
        return folder;
    }

    std::string temp = join(root, ".unpack-XXXXXX");
    if (!::mkdtemp(temp.data())) {
        return base::systemError("create a folder in", root, errno);
    }
    auto written = formats::unpackPlayer(pack, [&](const formats::PlayerFileEntry& file, std::string_view bytes) {
        return writeNewFile(join(temp, file.name), bytes);
    });
    if (written) {
        written = writeNewFile(join(temp, formats::kPlayerManifestName), expected);
    }
    if (!written) {
        removeFlatFolder(temp);
        return written.error();
    }
    // A damaged or foreign copy under the name goes first; a copy that another process has just finished
    // under it is taken instead of ours.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0) {
        std::string stale = join(root, ".stale-XXXXXX");
        if (::mkdtemp(stale.data()) && ::rename(folder.c_str(), join(stale, "old").c_str()) == 0) {
            removeFlatFolder(join(stale, "old"));
        }
        ::rmdir(stale.c_str());
    }
    if (::rename(temp.c_str(), folder.c_str()) != 0) {
        const int error = errno;
        removeFlatFolder(temp);
        if (reusable()) {
            return folder;
        }
        return base::systemError("move the unpacked player to", folder, error);
    }
    return folder;
}

} // namespace

std::vector<std::string> userCacheRoots(std::string_view name) {
    std::vector<std::string> roots;
    const auto absolute = [](const char* value) { return value && value[0] == '/'; };
    const std::string below = "glw/" + std::string(name);
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); absolute(cache)) {
        roots.push_back(join(cache, below));
    }
    if (const char* home = std::getenv("HOME"); absolute(home)) {
        roots.push_back(join(join(home, ".cache"), below));
    }
    const char* tmp = std::getenv("TMPDIR");
    roots.push_back(join(absolute(tmp) ? tmp : "/tmp", "glw-" + std::string(name) + "-" + std::to_string(::geteuid())));
    return roots;
}

std::vector<std::string> playerCacheRoots() {
    return userCacheRoots("player");
}

Result<std::string> safeCacheFolder(const std::vector<std::string>& roots) {
    std::string tried;
    for (const auto& root : roots) {
        auto made = makeSafeFolder(root);
        if (made) {
            if (auto ours = checkSafeFolder(root, true); ours) {
                return root;
            } else {
                made = ours;
            }
        }
        tried += (tried.empty() ? "" : "; ") + made.error().detail;
    }
    return makeError(ErrorCode::Io, "No cache folder of this user's could be used: " + tried + ".");
}

Result<std::string> unpackPlayerToCache(std::string_view packBytes, const std::vector<std::string>& roots) {
    auto pack = formats::readPlayerPack(packBytes);
    if (!pack) {
        return makeError(ErrorCode::Malformed,
                         "The copy this program carries is damaged (" + pack.error().detail + ").");
    }
    std::string tried;
    for (const auto& root : roots) {
        auto folder = unpackUnder(*pack, root);
        if (folder) {
            pruneOtherCopies(root, *folder);
            return folder;
        }
        if (folder.error().code == ErrorCode::Malformed) {
            return makeError(ErrorCode::Malformed,
                             "The copy this program carries is damaged (" + folder.error().detail + ").");
        }
        tried += (tried.empty() ? "" : "; ") + folder.error().detail;
    }
    return makeError(ErrorCode::Io, "It could not be unpacked for this user: " + tried + ".");
}

} // namespace glw::qt::movie
