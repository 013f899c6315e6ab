// Finding a stub's package behind its marker, and listing and extracting the package's entries from files.
#include "jpk/JpkReader.h"

#include "base/Ascii.h"
#include "base/FileIo.h"
#include "jpk/JpkMarker.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <span>
#include <unistd.h>
#include <vector>

namespace glw::jpk {

namespace {

// Headers are read through a block of this many bytes: a walk over many small entries then costs one read
// per block instead of two per entry.
constexpr std::size_t kWalkBlock = 64 * 1024;

JpkWalker walkFile(int fd, std::uint64_t length) {
    struct Block {
        std::vector<char> bytes = std::vector<char>(kWalkBlock);
        std::uint64_t offset = 0;
        std::size_t size = 0;
    };
    auto block = std::make_shared<Block>();
    return JpkWalker(length, [fd, block](std::uint64_t offset, char* buffer, std::size_t want) -> Result<std::size_t> {
        if (want > kWalkBlock) {
            return base::readAt(fd, offset, buffer, want);
        }
        if (offset < block->offset || offset + want > block->offset + block->size) {
            auto got = base::readAt(fd, offset, block->bytes.data(), kWalkBlock);
            if (!got) {
                return got.error();
            }
            block->offset = offset;
            block->size = *got;
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(want, block->offset + block->size - offset));
        std::copy_n(block->bytes.data() + (offset - block->offset), n, buffer);
        return n;
    });
}

// The data of `entry` of the package open as `packageFd`, written fresh: a temporary file that replaces
// `Destination` only when complete.
Result<void> writeEntryFresh(int packageFd, const JpkEntry& entry, const std::string& Destination) {
    auto out = base::FreshFile::create(Destination, 0644);
    if (!out) {
        return out.error();
    }
    if (auto copied = out->copyIn(packageFd, entry.dataOffset, entry.size, 0, kJpkPieceSize); !copied) {
        return copied;
    }
    return out->commit();
}

// A package file open for reading, with its length.
struct OpenPackage {
    base::UniqueFd fd;
    std::uint64_t length = 0;
};

Result<OpenPackage> openPackage(const std::string& path) {
    auto file = base::openForReading(path);
    if (!file) {
        return file.error();
    }
    auto length = base::fileSize(file->get());
    if (!length) {
        return length.error();
    }
    return OpenPackage{std::move(*file), *length};
}

std::string lowerName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), base::lowerAscii);
    return lower;
}

Result<SelfExtractingFile> locateIn(int fd, const std::string& ownFile) {
    auto length = base::fileSize(fd);
    if (!length) {
        return length.error();
    }
    MarkerSearch search;
    std::vector<unsigned char> piece(kJpkPieceSize);
    std::uint64_t offset = 0;
    while (offset < *length && !search.found()) {
        auto got = base::readAt(fd, offset, reinterpret_cast<char*>(piece.data()), piece.size());
        if (!got) {
            return got.error();
        }
        if (*got == 0) {
            break;
        }
        search.feed(std::span<const unsigned char>(piece.data(), *got));
        offset += *got;
    }
    if (!search.found()) {
        return makeError(ErrorCode::NotFound, "no package marker in " + ownFile);
    }
    SelfExtractingFile layout;
    layout.stubLength = search.markerStart();
    layout.packageOffset = search.packageStart();
    layout.packageLength = *length - layout.packageOffset;
    if (layout.packageLength == 0) {
        return makeError(ErrorCode::Truncated, "nothing follows the package marker in " + ownFile,
                         layout.packageOffset);
    }
    return layout;
}

// Opens the package at `path` and hands its entries in order to `visit` (with the package's descriptor, open
// for the call only) until it returns a result, which is then the walk's. After the last entry the result is
// `atEnd`; a package that cannot be opened or whose headers are damaged gives that error.
template <class Visit> Result<void> walkPackage(const std::string& path, Visit visit, Result<void> atEnd) {
    auto file = openPackage(path);
    if (!file) {
        return file.error();
    }
    JpkWalker walker = walkFile(file->fd.get(), file->length);
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            return entry.error();
        }
        if (!entry->has_value()) {
            return atEnd;
        }
        if (std::optional<Result<void>> done = visit(file->fd.get(), **entry)) {
            return std::move(*done);
        }
    }
}

} // namespace

Result<SelfExtractingFile> locateJpkPackage(const std::string& ownFile) {
    auto file = base::openForReading(ownFile);
    if (!file) {
        return file.error();
    }
    return locateIn(file->get(), ownFile);
}

Result<std::uint64_t> ExtractAppendedData(const std::string& ownFile, const std::string& dataFile) {
    auto file = base::openForReading(ownFile);
    if (!file) {
        return file.error();
    }
    auto layout = locateIn(file->get(), ownFile);
    if (!layout) {
        return layout.error();
    }
    auto out = base::FreshFile::create(dataFile, 0600);
    if (!out) {
        return out.error();
    }
    if (auto copied = out->copyIn(file->get(), layout->packageOffset, layout->packageLength, 0, kJpkPieceSize);
        !copied) {
        return copied.error();
    }
    if (auto committed = out->commit(); !committed) {
        return committed.error();
    }
    return layout->packageLength;
}

Result<void> JpkList(const std::string& JpkFile, const std::function<void(const std::string& name)>& ListItem) {
    return walkPackage(
        JpkFile,
        [&](int, const JpkEntry& entry) -> std::optional<Result<void>> {
            if (ListItem) {
                ListItem(entry.name);
            }
            return std::nullopt;
        },
        Result<void>{});
}

Result<void> JpkExtract(const std::string& JpkFile, const std::string& FileName, const std::string& Destination) {
    return walkPackage(
        JpkFile,
        [&](int fd, const JpkEntry& entry) -> std::optional<Result<void>> {
            if (!sameEntryName(entry.name, FileName)) {
                return std::nullopt;
            }
            return writeEntryFresh(fd, entry, Destination);
        },
        makeError(ErrorCode::NotFound, "no entry named " + FileName + " in " + JpkFile));
}

Result<JpkPackageReader> JpkPackageReader::open(const std::string& JpkFile) {
    auto file = openPackage(JpkFile);
    if (!file) {
        return file.error();
    }
    JpkPackageReader reader(std::move(file->fd));
    JpkWalker walker = walkFile(reader.m_fd.get(), file->length);
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            reader.m_listingError = entry.error();
            break;
        }
        if (!entry->has_value()) {
            break;
        }
        reader.m_firstByName.try_emplace(lowerName((*entry)->name), reader.m_entries.size());
        reader.m_entries.push_back(std::move(**entry));
    }
    return reader;
}

const JpkEntry* JpkPackageReader::find(std::string_view name) const {
    auto it = m_firstByName.find(lowerName(name));
    return it == m_firstByName.end() ? nullptr : &m_entries[it->second];
}

Result<void> JpkPackageReader::extractNew(const JpkEntry& entry, const std::string& Destination) const {
    const int fd = ::open(Destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return base::systemError("create", Destination, errno);
    }
    base::UniqueFd out(fd);
    auto copied = base::copyRange(m_fd.get(), entry.dataOffset, entry.size, out.get(), 0, kJpkPieceSize);
    if (copied) {
        copied = out.close();
    }
    if (!copied) {
        ::unlink(Destination.c_str());
    }
    return copied;
}

Result<void> JpkPackageReader::extractFresh(const JpkEntry& entry, const std::string& Destination) const {
    return writeEntryFresh(m_fd.get(), entry, Destination);
}

} // namespace glw::jpk
