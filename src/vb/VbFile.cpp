// File statements over system paths: each maps its path to the host, does the work with POSIX calls and
// turns a refusal into the original language's error number.
#include "VbFile.h"

#include "VbError.h"
#include "VbText.h"
#include "base/Ascii.h"
#include "base/FileIo.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::vb {

namespace {

constexpr int ErrBadFileMode = 54;
constexpr int ErrDeviceIo = 57;
constexpr int ErrTooManyFiles = 67;

// The description is the standard text alone: the system shows it to the user as it stands.
[[noreturn]] void raiseNumber(int number, std::string_view /*systemPath*/) {
    raise(number, errorDescription(number));
}

std::string parentOf(const std::string& hostPath) {
    std::string trimmed = hostPath;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    std::size_t cut = trimmed.rfind('/');
    if (cut == std::string::npos) {
        return ".";
    }
    return cut == 0 ? std::string("/") : trimmed.substr(0, cut);
}

// The error number for a failed call on `hostPath`. A missing entry is 53 when its folder exists and 76
// when the folder is missing too.
int numberFor(int error, const std::string& hostPath) {
    switch (error) {
    case ENOENT:
        return base::isFolder(parentOf(hostPath)) ? ErrFileNotFound : ErrPathNotFound;
    case ENOTDIR:
        return ErrPathNotFound;
    case EEXIST:
    case ENOTEMPTY:
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return ErrPathFileAccess;
    case EBUSY:
    case ETXTBSY:
        return ErrPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrDiskFull;
    case EMFILE:
    case ENFILE:
        return ErrTooManyFiles;
    default:
        return ErrDeviceIo;
    }
}

[[noreturn]] void raiseErrno(int error, const std::string& hostPath, std::string_view systemPath) {
    raiseNumber(numberFor(error, hostPath), systemPath);
}

// The host path of a system path; a path that names no place here raises 76.
std::string hostOf(std::string_view systemPath) {
    std::string host = platform::toHostPath(systemPath);
    if (host.empty()) {
        raiseNumber(ErrPathNotFound, systemPath);
    }
    return host;
}

bool hasWildcards(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool isHiddenName(std::string_view name) {
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

std::string lastComponent(const std::string& hostPath) {
    std::string trimmed = hostPath;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    std::size_t cut = trimmed.rfind('/');
    return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

// Read-only as the user sees it: the permission check for a normal user (it knows group, ACLs and read-only
// mounts); for root, who may write anything, the absence of every write bit, so that a folder marked
// read-only stays read-only in every account.
bool isReadOnly(int dirFd, const char* name, const struct stat& st) {
    if (::geteuid() == 0) {
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    }
    return ::faccessat(dirFd, name, W_OK, AT_EACCESS) != 0;
}

int attributesOf(int dirFd, const char* name, const struct stat& st, std::string_view shownName) {
    int attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes |= vbDirectory;
    }
    if (isHiddenName(shownName)) {
        attributes |= vbHidden;
    }
    if (isReadOnly(dirFd, name, st)) {
        attributes |= vbReadOnly;
    }
    return attributes;
}

bool matchFrom(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one back-tracking point (the last "*").
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || base::iequals(name.substr(n, 1), pattern.substr(p, 1)))) {
            ++n;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

struct Listed {
    std::string name;
    int attributes = 0;
};

// Whether a listing marks its entries read-only: that costs a look at each entry, which a listing of
// names does without.
enum class ReadOnlyMarks { Skip, Mark };

// The entries of a host folder that a Dir with `attributes` returns and that match `pattern`. An entry is
// looked at (stat) only where the folder's listing leaves its kind open (a link, a file system that does
// not say) or where read-only marks are asked for; a folder of 10,000 clips is then one read of the folder.
std::vector<Listed> listFolder(const std::string& hostFolder, std::string_view pattern, int attributes,
                               ReadOnlyMarks marks) {
    std::vector<Listed> found;
    DIR* dir = ::opendir(hostFolder.c_str());
    if (!dir) {
        return found;
    }
    const int dirFd = ::dirfd(dir);
    const bool atRoot = hostFolder.find_first_not_of('/') == std::string::npos;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!platform::isRepresentableName(name) || !matchesFilePattern(name, pattern)) {
            continue;
        }
        if (name == "." || name == "..") {
            if ((attributes & vbDirectory) && !atRoot) {
                found.push_back({std::string(name), vbDirectory});
            }
            continue;
        }
        const bool known = entry->d_type == DT_REG || entry->d_type == DT_DIR;
        bool folder = entry->d_type == DT_DIR;
        struct stat st {};
        if (!known || marks == ReadOnlyMarks::Mark) {
            if (::fstatat(dirFd, entry->d_name, &st, 0) != 0) { // a link to nothing is no file
                continue;
            }
            if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) {
                continue;
            }
            folder = S_ISDIR(st.st_mode);
        }
        int entryAttributes = (folder ? vbDirectory : 0) | (isHiddenName(name) ? vbHidden : 0);
        if (marks == ReadOnlyMarks::Mark && isReadOnly(dirFd, entry->d_name, st)) {
            entryAttributes |= vbReadOnly;
        }
        if ((entryAttributes & vbDirectory) && !(attributes & vbDirectory)) {
            continue;
        }
        if ((entryAttributes & vbHidden) && !(attributes & vbHidden)) {
            continue;
        }
        found.push_back({std::string(name), entryAttributes});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const Listed& a, const Listed& b) {
        bool aDots = a.name == "." || a.name == "..";
        bool bDots = b.name == "." || b.name == "..";
        if (aDots != bDots) {
            return aDots;
        }
        int order = base::icompare(a.name, b.name);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return found;
}

// The folder and the name pattern of a listing pattern, the folder mapped to the host.
std::pair<std::string, std::string> splitPattern(std::string_view pattern) {
    auto [folder, name] = platform::splitSystemPath(pattern);
    if (name.empty()) {
        name.push_back('*'); // (an assignment of "*" here trips a false -Wrestrict of GCC 12)
    }
    std::string hostFolder = platform::toHostPath(folder.empty() ? std::string_view(".") : std::string_view(folder));
    return {hostFolder, name};
}

// A unique hidden name for a temporary file in `folder`.
std::string temporaryName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 generator{std::random_device{}()};
    char name[64];
    std::snprintf(name, sizeof name, ".glw-%d-%u-%08x.tmp", int(::getpid()), counter.fetch_add(1),
                  unsigned(generator()));
    return (folder == "/" ? std::string() : folder) + "/" + name;
}

bool writeFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

// Replaces `hostTarget` whole through a base::FreshFile that `fill` writes (0 or the errno of its failure).
// On any failure the temporary file is removed and the target is left as it was.
template <class Fill>
void replaceFile(const std::string& hostTarget, std::string_view systemTarget, base::Permissions permissions,
                 Fill fill) {
    auto file = base::FreshFile::create(hostTarget, permissions);
    if (!file) {
        raiseErrno(file.error().osError ? file.error().osError : EACCES, hostTarget, systemTarget);
    }
    if (int error = fill(file->fd()); error != 0) {
        raiseErrno(error, hostTarget, systemTarget);
    }
    if (auto done = file->commit(); !done) {
        raiseErrno(done.error().osError ? done.error().osError : EIO, hostTarget, systemTarget);
    }
}

// Refuses a target that is a folder, a read-only file or anything else but a plain file or a link, and
// gives the permission bits of what it replaces. A link at the target is replaced itself, never written
// through: the file stays in the folder the caller named.
void checkReplaceable(const std::string& hostTarget, std::string_view systemTarget, mode_t& mode) {
    struct stat st {};
    if (::lstat(hostTarget.c_str(), &st) != 0) {
        if (!base::isFolder(parentOf(hostTarget))) {
            raiseNumber(ErrPathNotFound, systemTarget);
        }
        return;
    }
    if (S_ISLNK(st.st_mode)) {
        return;
    }
    if (!S_ISREG(st.st_mode) || isReadOnly(AT_FDCWD, hostTarget.c_str(), st)) {
        raiseNumber(ErrPathFileAccess, systemTarget);
    }
    mode = st.st_mode & 07777;
}

// Opens an existing file for reading; a folder raises 75.
base::UniqueFd openForReading(const std::string& host, std::string_view systemPath) {
    base::UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        raiseErrno(errno, host, systemPath);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        raiseNumber(ErrPathFileAccess, systemPath);
    }
    return fd;
}

// Copies all of `in` to `out`; 0 or the errno of the failure.
int copyAll(int in, int out) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
        ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        if (!writeFully(out, std::string_view(buffer.data(), std::size_t(got)))) {
            return errno;
        }
    }
}

} // namespace

bool matchesFilePattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") {
        pattern = "*";
    }
    if (matchFrom(name, pattern)) {
        return true;
    }
    // "name." asks for "name" without extension, as the file system's own matching has it.
    if (pattern.size() > 1 && pattern.back() == '.' && pattern != ".." && name.find('.') == std::string_view::npos) {
        while (!pattern.empty() && pattern.back() == '.') {
            pattern.remove_suffix(1);
        }
        return matchFrom(name, pattern);
    }
    return false;
}

std::vector<std::string> DirList(std::string_view pattern, int attributes) {
    auto [hostFolder, namePattern] = splitPattern(pattern);
    std::vector<std::string> names;
    if (hostFolder.empty()) {
        return names;
    }
    for (Listed& entry : listFolder(hostFolder, namePattern, attributes, ReadOnlyMarks::Skip)) {
        names.push_back(std::move(entry.name));
    }
    return names;
}

void Kill(std::string_view pattern) {
    auto [folderPart, namePart] = platform::splitSystemPath(pattern);
    if (!hasWildcards(namePart)) {
        std::string host = hostOf(pattern);
        struct stat st {};
        if (::lstat(host.c_str(), &st) != 0) {
            raiseErrno(errno, host, pattern);
        }
        if (S_ISDIR(st.st_mode)) {
            raiseNumber(ErrPathFileAccess, pattern);
        }
        if (!S_ISLNK(st.st_mode) && isReadOnly(AT_FDCWD, host.c_str(), st)) {
            raiseNumber(ErrPathFileAccess, pattern);
        }
        if (::unlink(host.c_str()) != 0) {
            raiseErrno(errno, host, pattern);
        }
        return;
    }
    auto [hostFolder, namePattern] = splitPattern(pattern);
    if (hostFolder.empty() || !base::isFolder(hostFolder)) {
        raiseNumber(ErrPathNotFound, pattern);
    }
    std::vector<Listed> files = listFolder(hostFolder, namePattern, vbNormal, ReadOnlyMarks::Mark);
    if (files.empty()) {
        raiseNumber(ErrFileNotFound, pattern);
    }
    int firstFailure = 0;
    std::string failedName;
    for (const Listed& file : files) {
        std::string host = (hostFolder.back() == '/' ? hostFolder : hostFolder + "/") + file.name;
        int number = 0;
        if (file.attributes & vbReadOnly) {
            number = ErrPathFileAccess;
        } else if (::unlink(host.c_str()) != 0) {
            number = numberFor(errno, host);
        }
        if (number != 0 && firstFailure == 0) {
            firstFailure = number;
            failedName = folderPart + file.name;
        }
    }
    if (firstFailure != 0) {
        raiseNumber(firstFailure, failedName);
    }
}

void MkDir(std::string_view path) {
    std::string host = hostOf(path);
    if (::mkdir(host.c_str(), 0777) != 0) {
        raiseErrno(errno, host, path);
    }
}

void RmDir(std::string_view path) {
    std::string host = hostOf(path);
    if (::rmdir(host.c_str()) != 0) {
        int error = errno;
        raiseNumber(error == ENOENT ? ErrPathNotFound : numberFor(error, host), path);
    }
}

void FileCopy(std::string_view source, std::string_view destination) {
    std::string hostSource = hostOf(source);
    std::string hostTarget = hostOf(destination);
    const base::UniqueFd in = openForReading(hostSource, source);
    struct stat st {};
    ::fstat(in.get(), &st);
    mode_t mode = st.st_mode & 0777;
    mode_t ignored = 0;
    checkReplaceable(hostTarget, destination, ignored);
    // The copy carries the source's permission bits, less the umask, as a new file would.
    replaceFile(hostTarget, destination, base::Permissions{mode, true, false},
                [&](int out) { return copyAll(in.get(), out); });
}

void Name(std::string_view oldPath, std::string_view newPath) {
    std::string hostOld = hostOf(oldPath);
    struct stat oldStat {};
    if (::lstat(hostOld.c_str(), &oldStat) != 0) {
        raiseErrno(errno, hostOld, oldPath);
    }

    auto [newFolder, newName] = platform::splitSystemPath(newPath);
    if (newName.empty() || newName == "." || newName == "..") {
        raiseNumber(ErrPathFileAccess, newPath);
    }
    std::string hostFolder =
        platform::toHostPath(newFolder.empty() ? std::string_view(".") : std::string_view(newFolder));
    if (hostFolder.empty() || !base::isFolder(hostFolder)) {
        raiseNumber(ErrPathNotFound, newPath);
    }
    if (hostFolder.back() != '/') {
        hostFolder += '/';
    }

    // The new name must not exist in any case, unless it is the same entry (a change of case only).
    std::string hostExisting = platform::toHostPath(std::string(newFolder) + newName);
    struct stat newStat {};
    bool sameEntry = false;
    if (!hostExisting.empty() && ::lstat(hostExisting.c_str(), &newStat) == 0) {
        sameEntry = newStat.st_dev == oldStat.st_dev && newStat.st_ino == oldStat.st_ino;
        if (!sameEntry) {
            raiseNumber(ErrFileExists, newPath);
        }
    }
    std::string hostNew = hostFolder + newName;
    if (hostNew == hostOld) {
        return;
    }

    if (::renameat2(AT_FDCWD, hostOld.c_str(), AT_FDCWD, hostNew.c_str(), sameEntry ? 0 : RENAME_NOREPLACE) == 0) {
        return;
    }
    int error = errno;
    if (error == EEXIST) {
        raiseNumber(ErrFileExists, newPath);
    }
    if ((error == EINVAL || error == ENOSYS) && ::rename(hostOld.c_str(), hostNew.c_str()) == 0) {
        return;
    }
    if (error == EXDEV && S_ISREG(oldStat.st_mode)) {
        // Another file system: copy, then remove the original once the copy is in place.
        const base::UniqueFd in = openForReading(hostOld, oldPath);
        int copyError = 0;
        std::string temp = temporaryName(parentOf(hostNew));
        base::UniqueFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, oldStat.st_mode & 0777));
        if (!out.valid()) {
            copyError = errno;
        } else {
            copyError = copyAll(in.get(), out.get());
            if (copyError == 0 && ::fsync(out.get()) != 0) {
                copyError = errno;
            }
            if (auto closed = out.close(); !closed && copyError == 0) {
                copyError = closed.error().osError;
            }
            if (copyError == 0 &&
                ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, hostNew.c_str(), RENAME_NOREPLACE) != 0) {
                copyError = errno;
            }
            if (copyError != 0) {
                ::unlink(temp.c_str());
            }
        }
        if (copyError == EEXIST) {
            raiseNumber(ErrFileExists, newPath);
        }
        if (copyError != 0) {
            raiseErrno(copyError, hostNew, newPath);
        }
        ::unlink(hostOld.c_str());
        return;
    }
    raiseErrno(error, hostNew, newPath);
}

std::int64_t FileLen(std::string_view path) {
    std::string host = hostOf(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        raiseErrno(errno, host, path);
    }
    if (S_ISDIR(st.st_mode)) {
        raiseNumber(ErrFileNotFound, path);
    }
    return std::int64_t(st.st_size);
}

int GetAttr(std::string_view path) {
    std::string host = hostOf(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        raiseErrno(errno, host, path);
    }
    return attributesOf(AT_FDCWD, host.c_str(), st, lastComponent(host));
}

void SetAttr(std::string_view path, int attributes) {
    std::string host = hostOf(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        raiseErrno(errno, host, path);
    }
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & vbReadOnly) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (::chmod(host.c_str(), mode) != 0) {
        raiseErrno(errno, host, path);
    }
}

std::string readAllBytes(std::string_view path, std::size_t atMost) {
    std::string host = hostOf(path);
    const base::UniqueFd fd = openForReading(host, path);
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < atMost) {
        ssize_t got = ::read(fd.get(), buffer, std::min(sizeof buffer, atMost - bytes.size()));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno(errno, host, path);
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, std::size_t(got));
    }
    return bytes;
}

void writeAllBytes(std::string_view path, std::string_view bytes) {
    std::string host = hostOf(path);
    mode_t mode = 0666;
    checkReplaceable(host, path, mode);
    replaceFile(host, path, base::Permissions{mode, true, true},
                [&](int fd) { return writeFully(fd, bytes) ? 0 : errno; });
}

// ---- VbFileHandle ----

VbFileHandle::VbFileHandle(std::string_view path, OpenMode mode) : m_mode(mode), m_path(path) {
    std::string host = hostOf(path);
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Input:
        flags |= O_RDONLY;
        break;
    case OpenMode::Output:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case OpenMode::Append:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    case OpenMode::Binary:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    m_fd = base::UniqueFd(::open(host.c_str(), flags, 0666));
    if (!m_fd.valid() && mode == OpenMode::Binary && (errno == EACCES || errno == EROFS || errno == ETXTBSY)) {
        // A file that cannot be written (a running program reading its own file) still opens to read.
        m_fd = base::UniqueFd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    }
    if (!m_fd.valid()) {
        raiseErrno(errno, host, path);
    }
    struct stat st {};
    if (::fstat(m_fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        m_fd = base::UniqueFd();
        raiseNumber(ErrPathFileAccess, path);
    }
    m_writable = (::fcntl(m_fd.get(), F_GETFL) & O_ACCMODE) != O_RDONLY;
    if (mode == OpenMode::Append) {
        m_pos = std::int64_t(st.st_size);
    }
}

VbFileHandle::~VbFileHandle() {
    close();
}

VbFileHandle::VbFileHandle(VbFileHandle&& other) noexcept {
    *this = std::move(other);
}

VbFileHandle& VbFileHandle::operator=(VbFileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::move(other.m_fd);
        m_mode = other.m_mode;
        m_writable = other.m_writable;
        m_pos = other.m_pos;
        m_path = std::move(other.m_path);
        m_cache = std::move(other.m_cache);
        m_cacheStart = other.m_cacheStart;
    }
    return *this;
}

void VbFileHandle::close() {
    m_fd = base::UniqueFd();
    m_cache.clear();
}

void VbFileHandle::requireOpen() const {
    if (!m_fd.valid()) {
        raiseNumber(52, m_path); // bad file name or number
    }
}

void VbFileHandle::requireReadable() const {
    requireOpen();
    if (m_mode == OpenMode::Output || m_mode == OpenMode::Append) {
        raiseNumber(ErrBadFileMode, m_path);
    }
}

void VbFileHandle::requireWritable() const {
    requireOpen();
    if (m_mode == OpenMode::Input) {
        raiseNumber(ErrBadFileMode, m_path);
    }
    if (!m_writable) {
        raiseNumber(ErrPathFileAccess, m_path);
    }
}

void VbFileHandle::writeRaw(std::string_view bytes) {
    requireWritable();
    m_cache.clear();
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = m_mode == OpenMode::Binary
                              ? ::pwrite(m_fd.get(), bytes.data() + done, bytes.size() - done, off_t(m_pos))
                              : ::write(m_fd.get(), bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseNumber(numberFor(errno, {}), m_path);
        }
        done += std::size_t(written);
        m_pos += written;
    }
}

void VbFileHandle::print(std::string_view text) {
    writeRaw(text);
}

void VbFileHandle::printLine(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    writeRaw(line);
}

bool VbFileHandle::fill() {
    m_cache.resize(65536);
    for (;;) {
        ssize_t got = ::pread(m_fd.get(), m_cache.data(), m_cache.size(), off_t(m_pos));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            raiseNumber(ErrDeviceIo, m_path);
        }
        m_cache.resize(std::size_t(got));
        m_cacheStart = m_pos;
        return got > 0;
    }
}

std::string VbFileHandle::lineInput() {
    requireReadable();
    std::string line;
    bool any = false;
    for (;;) {
        std::int64_t offset = m_pos - m_cacheStart;
        if (m_cache.empty() || offset < 0 || offset >= std::int64_t(m_cache.size())) {
            if (!fill()) {
                if (!any) {
                    raiseNumber(ErrInputPastEnd, m_path);
                }
                return line;
            }
            offset = 0;
        }
        any = true;
        std::string_view rest = std::string_view(m_cache).substr(std::size_t(offset));
        std::size_t end = rest.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            line.append(rest);
            m_pos += std::int64_t(rest.size());
            continue;
        }
        line.append(rest.substr(0, end));
        m_pos += std::int64_t(end) + 1;
        if (rest[end] == '\r') {
            // CR LF counts as one line end, even when the LF starts the next block.
            std::int64_t next = m_pos - m_cacheStart;
            if (next >= std::int64_t(m_cache.size()) && !fill()) {
                return line;
            }
            if (m_cache[std::size_t(m_pos - m_cacheStart)] == '\n') {
                ++m_pos;
            }
        }
        return line;
    }
}

bool VbFileHandle::eof() {
    requireOpen();
    return m_pos >= lof();
}

std::int64_t VbFileHandle::lof() {
    requireOpen();
    struct stat st {};
    if (::fstat(m_fd.get(), &st) != 0) {
        raiseNumber(ErrDeviceIo, m_path);
    }
    return std::int64_t(st.st_size);
}

void VbFileHandle::seek(std::int64_t position) {
    requireOpen();
    if (position < 1) {
        raiseNumber(63, m_path); // bad record number
    }
    m_pos = position - 1;
}

std::string VbFileHandle::get(std::size_t count) {
    requireReadable();
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(m_fd.get(), bytes.data() + done, count - done, off_t(m_pos));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            raiseNumber(ErrDeviceIo, m_path);
        }
        if (got == 0) {
            break;
        }
        done += std::size_t(got);
        m_pos += got;
    }
    bytes.resize(done);
    return bytes;
}

void VbFileHandle::put(std::string_view bytes) {
    writeRaw(bytes);
}

} // namespace glw::vb
