// POSIX file helpers: an owned descriptor, piecewise reads and copies, and the one way a file is replaced whole.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace glw::base {

// An open file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    // Closes now and reports a failing close (a delayed write error on some file systems).
    Result<void> close();

private:
    int m_fd = -1;
};

// The two ends of a new pipe. Both are closed on exec: a child gets an end only by dup2() onto its own number.
struct Pipe {
    UniqueFd readEnd;
    UniqueFd writeEnd;
};

// An Error of kind Io (NotFound for ENOENT) that names the failing call, the path and the system's reason.
Error systemError(const std::string& what, const std::string& path, int errnoValue);

// A new pipe (see Pipe); Io with the system's reason when none can be made.
Result<Pipe> openPipe();

// Opens an existing regular file for reading. NotFound when it is missing; Io when it is a folder or unreadable.
Result<UniqueFd> openForReading(const std::string& path);

// A whole file's bytes. NotFound (osError ENOENT) when it is missing.
Result<std::string> readWholeFile(const std::string& path);

// Whether a host path names a plain file, a folder, or anything at all, following links. Never throws: a
// path that cannot be looked at (missing, unreadable folder on the way, too long) is none of them.
bool isPlainFile(const std::string& path);
bool isFolder(const std::string& path);
bool exists(const std::string& path);
// Whether two host paths name the same file (the same device and inode, following links). False when either
// cannot be looked at.
bool sameFile(const std::string& a, const std::string& b);
// Removes a file or link (never a folder); a path where nothing is counts as removed. Io with the system's
// reason otherwise.
Result<void> removeFile(const std::string& path);
// Creates a folder and any missing folders above it; a folder that is there already is fine. Io when a part
// of the path is a file or cannot be created.
Result<void> createFolders(const std::string& path);

// Deletes the one plain file at a host path. A link (never followed), a folder or anything else at the path
// is refused (Invalid) and left as it is; a missing file is NotFound.
Result<void> removePlainFile(const std::string& path);

// The size in bytes of an open file.
Result<std::uint64_t> fileSize(int fd);

// Reads up to `length` bytes at `offset`, retrying short reads; fewer bytes only at the end of the file.
Result<std::size_t> readAt(int fd, std::uint64_t offset, char* buffer, std::size_t length);

// Writes all `length` bytes at `offset`, retrying short writes.
Result<void> writeAt(int fd, std::uint64_t offset, const char* data, std::size_t length);

// Copies `length` bytes from `srcOffset` of one file to `dstOffset` of another. The kernel copies where it can
// (copy_file_range: nothing passes through this process, in as few calls as it allows); otherwise one buffer
// of `pieceSize` bytes carries the data piece by piece. A source that ends early is Truncated; nothing is
// retried then.
Result<void> copyRange(int srcFd, std::uint64_t srcOffset, std::uint64_t length, int dstFd, std::uint64_t dstOffset,
                       std::size_t pieceSize);

// The permission bits of a file written whole: `bits` for a new file (less the process's umask, as open()
// would, with `applyUmask`); with `keepExisting`, a file that is replaced keeps its own bits.
struct Permissions {
    mode_t bits = 0666;
    bool applyUmask = true;
    bool keepExisting = true;
};

// Whether the entry `st` (from lstat) at `path` may be replaced whole: a plain file or a link (the link itself
// is replaced; what it points to is never written). Anything else (a folder, a device, a FIFO, a socket)
// is refused as Io, with the kind in the detail and osError EISDIR for a folder, EINVAL for the others.
Result<void> checkReplaceable(const std::string& path, const struct stat& st);

// A new file written under a temporary name in the folder of its final path and renamed over that path only
// by commit(), so that a reader never sees a partial file and a stale longer file never shows through. The
// temporary is removed when the object dies uncommitted. Only a plain file or a link at the final path is
// replaced (see checkReplaceable): create() and commit() refuse anything else.
class FreshFile {
public:
    static Result<FreshFile> create(const std::string& finalPath, Permissions permissions = {});
    // `mode` is exactly the permission of the finished file (no umask, whatever the file it replaces had).
    static Result<FreshFile> create(const std::string& finalPath, mode_t mode) {
        return create(finalPath, Permissions{mode, false, false});
    }

    FreshFile(FreshFile&& other) noexcept;
    FreshFile& operator=(FreshFile&&) = delete;
    FreshFile(const FreshFile&) = delete;
    FreshFile& operator=(const FreshFile&) = delete;
    ~FreshFile();

    int fd() const { return m_fd.get(); }
    const std::string& finalPath() const { return m_finalPath; }
    // Where the bytes are until commit(), for a check of the whole file before it is put in place.
    const std::string& tempPath() const { return m_tempPath; }
    // copyRange into this file, starting the write-back of each piece as soon as it is copied: the disk
    // writes while the rest is copied, and the flush in commit() finds little left to write.
    Result<void> copyIn(int srcFd, std::uint64_t srcOffset, std::uint64_t length, std::uint64_t dstOffset,
                        std::size_t pieceSize);
    // Flushes the file to the disk, sets its permissions, closes it and renames it over the final path; on
    // failure the temporary is removed and the final path is left as it was.
    Result<void> commit();

private:
    FreshFile(UniqueFd fd, std::string tempPath, std::string finalPath, mode_t mode);

    UniqueFd m_fd;
    std::string m_tempPath;
    std::string m_finalPath;
    mode_t m_mode = 0644;
    bool m_done = false;
};

// The one way the system replaces a file whole: the bytes go to a FreshFile beside it, which is flushed and
// renamed over the path, so a reader never sees half a file and a failure leaves the old one.
Result<void> replaceFileWith(const std::string& path, std::string_view bytes, Permissions permissions = {});

} // namespace glw::base
