// Finding a stub's package behind its marker, and listing and extracting the package's entries from files.
#include "jpk/JpkReader.h"

#include "base/FileIo.h"
#include "jpk/JpkMarker.h"

#include <span>
#include <vector>

namespace glw::jpk {

namespace {

JpkWalker walkFile(int fd, std::uint64_t length) {
    return JpkWalker(length, [fd](std::uint64_t offset, char* buffer, std::size_t want) {
        return base::readAt(fd, offset, buffer, want);
    });
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
    if (auto copied =
            base::copyRange(file->get(), layout->packageOffset, layout->packageLength, out->fd(), 0, kJpkPieceSize);
        !copied) {
        return copied.error();
    }
    if (auto committed = out->commit(); !committed) {
        return committed.error();
    }
    return layout->packageLength;
}

Result<void> JpkList(const std::string& JpkFile, const std::function<void(const std::string& name)>& ListItem) {
    auto file = base::openForReading(JpkFile);
    if (!file) {
        return file.error();
    }
    auto length = base::fileSize(file->get());
    if (!length) {
        return length.error();
    }
    JpkWalker walker = walkFile(file->get(), *length);
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            return entry.error();
        }
        if (!entry->has_value()) {
            return {};
        }
        if (ListItem) {
            ListItem((*entry)->name);
        }
    }
}

Result<void> JpkExtract(const std::string& JpkFile, const std::string& FileName, const std::string& Destination) {
    auto file = base::openForReading(JpkFile);
    if (!file) {
        return file.error();
    }
    auto length = base::fileSize(file->get());
    if (!length) {
        return length.error();
    }
    JpkWalker walker = walkFile(file->get(), *length);
    for (;;) {
        auto entry = walker.next();
        if (!entry) {
            return entry.error();
        }
        if (!entry->has_value()) {
            return makeError(ErrorCode::NotFound, "no entry named " + FileName + " in " + JpkFile);
        }
        const JpkEntry& found = **entry;
        if (!sameEntryName(found.name, FileName)) {
            continue;
        }
        auto out = base::FreshFile::create(Destination, 0644);
        if (!out) {
            return out.error();
        }
        if (auto copied = base::copyRange(file->get(), found.dataOffset, found.size, out->fd(), 0, kJpkPieceSize);
            !copied) {
            return copied;
        }
        return out->commit();
    }
}

} // namespace glw::jpk
