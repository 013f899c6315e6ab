// Appending files to packages and joining stubs, markers and packages, all streamed in pieces.
#include "jpk/JpkWriter.h"

#include "base/FileIo.h"
#include "jpk/JpkMarker.h"
#include "jpk/JpkPackage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::jpk {

using base::UniqueFd;

namespace {

std::string inFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    path += name;
    return path;
}

} // namespace

Result<void> JpkAdd(const std::string& JpkFile, const std::string& FileName, const std::string& AddName) {
    if (auto checked = encodeJpkEntryHeader(AddName, 0); !checked) {
        return checked.error();
    }
    if (!isBareEntryName(AddName)) {
        return makeError(ErrorCode::Unsafe, "not a bare file name a stub may extract: " + AddName);
    }

    auto source = base::openForReading(FileName);
    if (!source) {
        return source.error();
    }
    auto size = base::fileSize(source->get());
    if (!size) {
        return size.error();
    }
    auto header = encodeJpkEntryHeader(AddName, *size);
    if (!header) {
        return header.error();
    }

    bool existed = ::access(JpkFile.c_str(), F_OK) == 0;
    int fd = ::open(JpkFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return base::systemError("open", JpkFile, errno);
    }
    UniqueFd package(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return base::systemError("stat", JpkFile, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return makeError(ErrorCode::Io, "not a regular file: " + JpkFile);
    }
    const std::uint64_t oldLength = static_cast<std::uint64_t>(st.st_size);

    // Undo a partial append: the package keeps the entries it had and nothing of this one.
    auto undo = [&](Error error) -> Result<void> {
        if (existed) {
            // By name: the descriptor may be closed already when its close was what failed.
            if (::truncate(JpkFile.c_str(), static_cast<off_t>(oldLength)) != 0) {
                error.detail += std::string(" (and the package could not be restored: ") + std::strerror(errno) + ")";
            }
        } else {
            ::unlink(JpkFile.c_str());
        }
        return error;
    };

    if (auto put = base::writeAt(package.get(), oldLength, header->data(), header->size()); !put) {
        return undo(put.error());
    }
    if (auto copied =
            base::copyRange(source->get(), 0, *size, package.get(), oldLength + header->size(), kJpkPieceSize);
        !copied) {
        return undo(copied.error());
    }
    if (auto closed = package.close(); !closed) {
        return undo(closed.error()); // a failed close may have lost the data: no half entry stays
    }
    return {};
}

Result<JpkPackageData> LoadData(const std::string& FileName) {
    auto file = base::openForReading(FileName);
    if (!file) {
        return file.error();
    }
    auto size = base::fileSize(file->get());
    if (!size) {
        return size.error();
    }
    if (*size == 0) {
        return makeError(ErrorCode::Invalid, "the package is empty: " + FileName);
    }
    return JpkPackageData{FileName, *size};
}

Result<void> joinSelfExtractingFile(const std::string& stubPath, const JpkPackageData& Data,
                                    const std::string& outputPath) {
    if (Data.size == 0) {
        return makeError(ErrorCode::Invalid, "no package to join");
    }
    auto stub = base::openForReading(stubPath);
    if (!stub) {
        return stub.error();
    }
    struct stat stubStat {};
    if (::fstat(stub->get(), &stubStat) != 0) {
        return base::systemError("stat", stubPath, errno);
    }
    const std::uint64_t stubLength = static_cast<std::uint64_t>(stubStat.st_size);

    auto package = base::openForReading(Data.path);
    if (!package) {
        return package.error();
    }
    auto packageLength = base::fileSize(package->get());
    if (!packageLength) {
        return packageLength.error();
    }
    if (*packageLength != Data.size) {
        return makeError(ErrorCode::Truncated, "the package changed since it was loaded: " + Data.path);
    }

    auto output = base::FreshFile::create(outputPath, stubStat.st_mode & 0777);
    if (!output) {
        return output.error();
    }
    if (auto copied = output->copyIn(stub->get(), 0, stubLength, 0, kJpkPieceSize); !copied) {
        return copied;
    }
    auto marker = JpkMarker();
    if (auto put = base::writeAt(output->fd(), stubLength, reinterpret_cast<const char*>(marker.data()), marker.size());
        !put) {
        return put;
    }
    if (auto copied = output->copyIn(package->get(), 0, Data.size, stubLength + kJpkMarkerLength, kJpkPieceSize);
        !copied) {
        return copied;
    }
    return output->commit();
}

Result<void> NewExe(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data) {
    return joinSelfExtractingFile(inFolder(appFolder, kPlayerStubName), Data, FileName);
}

Result<void> NewSCR(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data) {
    return joinSelfExtractingFile(inFolder(appFolder, kSaverStubName), Data, FileName);
}

Result<void> NewQuillseter(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data) {
    return joinSelfExtractingFile(inFolder(appFolder, kInstallerStubName), Data, FileName);
}

} // namespace glw::jpk
