// Zip listing, all-or-nothing extraction through a staging folder, and archive creation, on libzip.
#include "zip/ZipArchive.h"

#include "base/FileIo.h"
#include "vb/VbFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace glw::zip {

namespace {

namespace fs = std::filesystem;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

using Fd = base::UniqueFd;

Error sysError(const std::string& what, const std::string& path, int e) {
    return makeError(e == ENOENT ? ErrorCode::NotFound : ErrorCode::Io, what + " " + path + ": " + std::strerror(e));
}

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

Error openError(int code, const std::string& zipPath) {
    ErrorCode kind = ErrorCode::Io;
    switch (code) {
    case ZIP_ER_NOENT:
        kind = ErrorCode::NotFound;
        break;
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_MULTIDISK:
        kind = ErrorCode::Malformed;
        break;
    default:
        break;
    }
    return makeError(kind, zipPath + ": " + zipErrorText(code));
}

// The failure of reading one entry's data. With encryption, a damaged stream is what a wrong password
// that passed the check byte looks like, so both read as a wrong password.
Error entryError(const zip_error_t* error, const ZipEntryInfo& entry) {
    int code = zip_error_code_zip(error);
    std::string text = entry.name + ": " + zip_error_strerror(const_cast<zip_error_t*>(error));
    switch (code) {
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_NOPASSWD:
        return makeError(ErrorCode::WrongPassword, text);
    case ZIP_ER_CRC:
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
        if (entry.encryptionMethod != ZIP_EM_NONE) {
            return makeError(ErrorCode::WrongPassword, entry.name + ": wrong password or damaged archive (" +
                                                           zip_error_strerror(const_cast<zip_error_t*>(error)) + ")");
        }
        return makeError(ErrorCode::Malformed, text);
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_COMPNOTSUPP:
        return makeError(ErrorCode::Unsupported, text);
    default:
        return makeError(ErrorCode::Io, text);
    }
}

Result<ArchivePtr> openArchive(const std::string& zipPath) {
    int code = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        return openError(code, zipPath);
    }
    return ArchivePtr(archive);
}

Result<std::vector<ZipEntryInfo>> readDirectory(zip_t* archive, const std::string& zipPath) {
    zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0) {
        return makeError(ErrorCode::Malformed, zipPath + ": no directory");
    }
    std::vector<ZipEntryInfo> entries;
    entries.reserve(static_cast<std::size_t>(std::min<zip_int64_t>(count, 65536)));
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive, i, 0, &st) != 0 || st.name == nullptr) {
            return makeError(ErrorCode::Malformed, zipPath + ": entry " + std::to_string(i) + " cannot be read");
        }
        ZipEntryInfo entry;
        entry.name = st.name;
        entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        entry.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
        entry.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
        entry.compressionMethod = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : 0;
        entry.encryptionMethod = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) ? st.encryption_method : 0;
        entry.directory = !entry.name.empty() && (entry.name.back() == '/' || entry.name.back() == '\\');
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(archive, i, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX) {
            mode_t mode = static_cast<mode_t>(attributes >> 16);
            entry.link = S_ISLNK(mode);
            entry.executable = (mode & 0111) != 0 && !S_ISDIR(mode);
            if (S_ISDIR(mode)) {
                entry.directory = true;
            }
        }
        entry.path = entry.link ? std::string() : safeZipEntryPath(entry.name);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string lastPart(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= path.size()) {
        std::string::size_type slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

// A hidden folder inside the target that holds the checked entries until all of them are whole.
class StagingFolder {
public:
    static Result<StagingFolder> create(const std::string& folder) {
        std::string pattern = folder + "/.glwzip-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) == nullptr) {
            return sysError("create a staging folder in", folder, errno);
        }
        Fd fd(::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.valid()) {
            int e = errno;
            ::rmdir(buffer.data());
            return sysError("open", buffer.data(), e);
        }
        return StagingFolder(buffer.data(), std::move(fd));
    }
    StagingFolder(StagingFolder&& other) noexcept
        : m_path(std::move(other.m_path)), m_fd(std::move(other.m_fd)), m_names(std::move(other.m_names)) {
        other.m_path.clear();
    }
    StagingFolder& operator=(StagingFolder&&) = delete;
    ~StagingFolder() {
        if (m_path.empty()) {
            return;
        }
        for (const std::string& name : m_names) {
            ::unlinkat(m_fd.get(), name.c_str(), 0);
        }
        ::rmdir(m_path.c_str());
    }
    int fd() const { return m_fd.get(); }
    void note(const std::string& name) { m_names.push_back(name); }

private:
    StagingFolder(std::string path, Fd fd) : m_path(std::move(path)), m_fd(std::move(fd)) {}
    std::string m_path;
    Fd m_fd;
    std::vector<std::string> m_names;
};

// Decrypts, inflates and CRC-checks one entry into the staging folder under `stagedName`.
Result<void> stageEntry(zip_t* archive, zip_uint64_t index, const ZipEntryInfo& entry, const std::string& password,
                        StagingFolder& staging, const std::string& stagedName) {
    zip_file_t* raw = password.empty() ? zip_fopen_index(archive, index, 0)
                                       : zip_fopen_index_encrypted(archive, index, 0, password.c_str());
    if (raw == nullptr) {
        return entryError(zip_get_error(archive), entry);
    }
    EntryPtr file(raw);
    Fd out(::openat(staging.fd(), stagedName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid()) {
        return sysError("stage", entry.name, errno);
    }
    staging.note(stagedName);
    std::vector<char> buffer(1 << 16);
    std::uint64_t total = 0;
    for (;;) {
        zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
        if (n < 0) {
            return entryError(zip_file_get_error(file.get()), entry);
        }
        if (n == 0) {
            break;
        }
        // libzip compares the length only at the end of the data: a bomb with a small stated size would
        // have filled the disk by then.
        if (std::uint64_t(n) > entry.size - total) {
            return makeError(entry.encryptionMethod != ZIP_EM_NONE ? ErrorCode::WrongPassword : ErrorCode::Malformed,
                             entry.name + ": the data runs past its stated size");
        }
        const char* data = buffer.data();
        std::size_t left = static_cast<std::size_t>(n);
        while (left > 0) {
            ssize_t written = ::write(out.get(), data, left);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return sysError("write", entry.name, errno);
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
        total += static_cast<std::uint64_t>(n);
    }
    if (total != entry.size) {
        return makeError(entry.encryptionMethod != ZIP_EM_NONE ? ErrorCode::WrongPassword : ErrorCode::Malformed,
                         entry.name + ": the data does not have its stored length");
    }
    if (::fchmod(out.get(), entry.executable ? 0755 : 0644) != 0) {
        return sysError("set the permissions of", entry.name, errno);
    }
    if (auto closed = out.close(); !closed) {
        return sysError("write", entry.name, closed.error().osError);
    }
    return {};
}

// Opens (and with `create`, makes) the folder `parts[0..count)` below `root`, never following a link.
Result<Fd> openFolderChain(int root, const std::vector<std::string>& parts, std::size_t count, bool create,
                           const std::string& what) {
    Fd current(::dup(root));
    if (!current.valid()) {
        return sysError("open", what, errno);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& part = parts[i];
        if (create && ::mkdirat(current.get(), part.c_str(), 0755) != 0 && errno != EEXIST) {
            return sysError("create a folder for", what, errno);
        }
        Fd next(::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            if (errno == ENOENT && !create) {
                return Fd(); // the rest does not exist yet: nothing in the way
            }
            if (errno == ELOOP || errno == ENOTDIR) {
                return makeError(ErrorCode::Unsafe, what + ": \"" + part + "\" on the way is a link or a file");
            }
            return sysError("open a folder for", what, errno);
        }
        current = std::move(next);
    }
    return current;
}

struct Selected {
    zip_uint64_t index;
    const ZipEntryInfo* entry;
    std::string stagedName;
};

// Checks, before anything is moved, that every target can be written without following a link and that
// no entry needs a file where another needs a folder.
Result<void> checkTargets(int root, const std::vector<Selected>& selected) {
    std::set<std::string> files;
    std::set<std::string> folders;
    for (const Selected& s : selected) {
        std::vector<std::string> parts = splitPath(s.entry->path);
        std::string prefix;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i ? "/" : "") + parts[i];
            folders.insert(prefix);
        }
        (s.entry->directory ? folders : files).insert(s.entry->path);
    }
    for (const std::string& file : files) {
        if (folders.count(file)) {
            return makeError(ErrorCode::Malformed, file + ": both a file and a folder in the archive");
        }
    }

    for (const Selected& s : selected) {
        std::vector<std::string> parts = splitPath(s.entry->path);
        auto parent = openFolderChain(root, parts, parts.size() - 1, false, s.entry->name);
        if (!parent) {
            return parent.error();
        }
        if (!parent->valid()) {
            continue;
        }
        struct stat st {};
        if (::fstatat(parent->get(), parts.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (s.entry->directory ? !S_ISDIR(st.st_mode) : S_ISDIR(st.st_mode)) {
            return makeError(ErrorCode::Unsafe, s.entry->name + ": something else is in the way");
        }
    }
    return {};
}

// The folders that extracting creates on the way to the target, removed again (while empty) unless the
// extraction succeeds: a refused archive leaves no new folder behind.
class CreatedFolders {
public:
    explicit CreatedFolders(const std::string& folder) {
        std::error_code ec;
        for (fs::path p = fs::path(folder).lexically_normal(); !p.empty() && !fs::exists(fs::symlink_status(p, ec));
             p = p.parent_path()) {
            m_missing.push_back(p);
            if (p == p.parent_path()) {
                break;
            }
        }
    }
    CreatedFolders(const CreatedFolders&) = delete;
    CreatedFolders& operator=(const CreatedFolders&) = delete;
    ~CreatedFolders() {
        for (const fs::path& p : m_missing) {
            if (::rmdir(p.c_str()) != 0) {
                break;
            }
        }
    }
    void keep() { m_missing.clear(); }

private:
    std::vector<fs::path> m_missing; // deepest first
};

// Refuses, before anything is written, entries that state more than the bound and selections that would
// not fit on the target's file system.
Result<void> checkSizes(const std::vector<Selected>& selected, const std::string& folder,
                        const ZipExtractOptions& options) {
    std::uint64_t total = 0;
    for (const Selected& s : selected) {
        if (s.entry->directory) {
            continue;
        }
        if (options.maxEntrySize != 0 && s.entry->size > options.maxEntrySize) {
            return makeError(ErrorCode::TooLarge, s.entry->name + ": states " + std::to_string(s.entry->size) +
                                                      " bytes, more than the " + std::to_string(options.maxEntrySize) +
                                                      " an entry may hold");
        }
        const std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
        total = s.entry->size > most - total ? most : total + s.entry->size;
    }
    const auto free = options.freeSpace ? options.freeSpace(folder) : fileSystemFreeSpace(folder);
    if (free && total > *free) {
        return makeError(ErrorCode::TooLarge, "the entries need " + std::to_string(total) + " bytes, " + folder +
                                                  " has " + std::to_string(*free) + " free");
    }
    return {};
}

} // namespace

std::string safeZipEntryPath(std::string_view storedName) {
    if (storedName.empty() || storedName.front() == '/' || storedName.front() == '\\') {
        return {};
    }
    if (storedName.find(':') != std::string_view::npos || storedName.find('\0') != std::string_view::npos) {
        return {};
    }
    std::string path;
    std::size_t start = 0;
    while (start <= storedName.size()) {
        std::size_t end = storedName.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = storedName.size();
        }
        std::string_view part = storedName.substr(start, end - start);
        if (part == "..") {
            return {};
        }
        if (!part.empty() && part != ".") {
            if (!path.empty()) {
                path.push_back('/');
            }
            path.append(part);
        }
        start = end + 1;
    }
    return path;
}

std::optional<std::uint64_t> fileSystemFreeSpace(const std::string& folder) {
    std::error_code ec;
    for (fs::path p = fs::path(folder).lexically_normal(); !p.empty(); p = p.parent_path()) {
        struct statvfs st {};
        if (::statvfs(p.c_str(), &st) == 0) {
            return std::uint64_t(st.f_bavail) * std::uint64_t(st.f_frsize);
        }
        if (errno != ENOENT || p == p.parent_path()) {
            break;
        }
    }
    return std::nullopt;
}

Result<std::vector<ZipEntryInfo>> listZipEntries(const std::string& zipPath) {
    auto archive = openArchive(zipPath);
    if (!archive) {
        return archive.error();
    }
    return readDirectory(archive->get(), zipPath);
}

Result<std::size_t> extractZip(const std::string& zipPath, const std::string& folder,
                               const ZipExtractOptions& options) {
    auto archive = openArchive(zipPath);
    if (!archive) {
        return archive.error();
    }
    auto entries = readDirectory(archive->get(), zipPath);
    if (!entries) {
        return entries.error();
    }
    for (const ZipEntryInfo& entry : *entries) {
        if (!entry.safe()) {
            return makeError(ErrorCode::Unsafe,
                             zipPath + ": the entry \"" + entry.name + "\" would be written outside its folder");
        }
    }

    std::vector<Selected> selected;
    for (zip_uint64_t i = 0; i < entries->size(); ++i) {
        const ZipEntryInfo& entry = (*entries)[i];
        if (vb::matchesFilePattern(lastPart(entry.path), options.mask)) {
            selected.push_back({i, &entry, std::to_string(i)});
        }
    }

    if (auto fits = checkSizes(selected, folder, options); !fits) {
        return fits.error();
    }

    CreatedFolders created(folder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return makeError(ErrorCode::Io, "create the folder " + folder + ": " + ec.message());
    }
    Fd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.valid()) {
        return sysError("open", folder, errno);
    }

    auto staging = StagingFolder::create(folder);
    if (!staging) {
        return staging.error();
    }
    for (const Selected& s : selected) {
        if (options.onEntry) {
            options.onEntry(s.entry->name);
        }
        if (s.entry->directory) {
            continue;
        }
        if (auto staged = stageEntry(archive->get(), s.index, *s.entry, options.password, *staging, s.stagedName);
            !staged) {
            return staged.error();
        }
    }
    if (auto checked = checkTargets(root.get(), selected); !checked) {
        return checked.error();
    }

    std::size_t written = 0;
    for (const Selected& s : selected) {
        std::vector<std::string> parts = splitPath(s.entry->path);
        std::size_t folders = s.entry->directory ? parts.size() : parts.size() - 1;
        auto parent = openFolderChain(root.get(), parts, folders, true, s.entry->name);
        if (!parent) {
            return parent.error();
        }
        if (s.entry->directory) {
            continue;
        }
        if (::renameat(staging->fd(), s.stagedName.c_str(), parent->get(), parts.back().c_str()) != 0) {
            return sysError("write", s.entry->name, errno);
        }
        ++written;
    }
    created.keep();
    return written;
}

Result<std::size_t> createZip(const std::string& zipPath, const std::string& sourceFolder,
                              const ZipCreateOptions& options) {
    std::error_code ec;
    if (!fs::is_directory(sourceFolder, ec)) {
        return makeError(ErrorCode::NotFound, "no folder " + sourceFolder);
    }
    fs::path base = fs::path(sourceFolder).lexically_normal();
    if (!base.has_filename() && base.has_parent_path()) {
        base = base.parent_path();
    }
    std::vector<std::pair<std::string, std::string>> files; // entry name, file path
    for (fs::recursive_directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        fs::file_status status = it->symlink_status(ec);
        if (ec) {
            break;
        }
        if (!fs::is_regular_file(status)) {
            continue;
        }
        if (fs::equivalent(it->path(), zipPath, ec)) {
            continue;
        }
        ec.clear();
        std::string name = it->path().lexically_relative(base).generic_string();
        if (vb::matchesFilePattern(it->path().filename().string(), options.mask)) {
            files.emplace_back(name, it->path().string());
        }
    }
    if (ec) {
        return makeError(ErrorCode::Io, "list " + sourceFolder + ": " + ec.message());
    }
    if (files.empty()) {
        return makeError(ErrorCode::NotFound, "nothing to pack in " + sourceFolder);
    }
    std::sort(files.begin(), files.end());

    int code = 0;
    zip_t* raw = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (raw == nullptr) {
        return openError(code, zipPath);
    }
    ArchivePtr archive(raw);
    for (const auto& [name, path] : files) {
        zip_source_t* source = zip_source_file(archive.get(), path.c_str(), 0, 0);
        if (source == nullptr) {
            return makeError(ErrorCode::Io, path + ": " + zip_strerror(archive.get()));
        }
        zip_int64_t index = zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            return makeError(ErrorCode::Io, name + ": " + zip_strerror(archive.get()));
        }
        auto at = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive.get(), at, ZIP_CM_DEFLATE, 0) != 0 ||
            (!options.password.empty() &&
             zip_file_set_encryption(archive.get(), at, ZIP_EM_TRAD_PKWARE, options.password.c_str()) != 0)) {
            return makeError(ErrorCode::Unsupported, name + ": " + zip_strerror(archive.get()));
        }
        if (options.onEntry) {
            options.onEntry(name);
        }
    }
    // libzip writes the archive to a temporary file beside zipPath and renames it over it at the end.
    if (zip_close(archive.get()) != 0) {
        return makeError(ErrorCode::Io, zipPath + ": " + zip_strerror(archive.get()));
    }
    (void)archive.release();
    return files.size();
}

Result<std::vector<ZipEntryInfo>> ZipArchive::ZipPrepare() const {
    return listZipEntries(ZipFile);
}

Result<std::size_t> ZipArchive::ZipExtract() const {
    return extractZip(ZipFile, ExtractFolder,
                      ZipExtractOptions{FileMask, Password, ZipEntryEvent, MaxEntrySize, FreeSpace});
}

Result<std::size_t> ZipArchive::ZipCreate() const {
    return createZip(ZipFile, SourceFolder, ZipCreateOptions{FileMask, Password, ZipEntryEvent});
}

} // namespace glw::zip
