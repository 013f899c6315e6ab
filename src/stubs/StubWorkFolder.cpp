// The stub's private run folder, its extraction loop over the package copy, and the clean-up at exit.
#include "stubs/StubWorkFolder.h"

#include "base/FileIo.h"
#include "jpk/JpkPackage.h"
#include "jpk/JpkReader.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace glw::stubs {

bool DelFileList::add(std::string_view name) {
    if (!jpk::isBareEntryName(name)) {
        return false;
    }
    m_names.emplace_back(name);
    return true;
}

std::string DelFileList::text() const {
    std::string joined;
    for (const std::string& name : m_names) {
        if (!joined.empty()) {
            joined.push_back('|');
        }
        joined += name;
    }
    return joined;
}

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

// A folder this user owns, that is no link and that nobody else may write into. Makes it (mode 0700) when
// missing; takes group and other write away from a folder of our own.
Result<void> ensurePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return base::systemError("create the folder", folder, errno);
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return base::systemError("stat", folder, errno);
    }
    if (S_ISLNK(st.st_mode)) {
        return makeError(ErrorCode::Unsafe, "a link, which is never followed, instead of a folder: " + folder);
    }
    if (!S_ISDIR(st.st_mode)) {
        return makeError(ErrorCode::Unsafe, "not a folder: " + folder);
    }
    if (st.st_uid != ::geteuid()) {
        return makeError(ErrorCode::Unsafe, "a folder of another user: " + folder);
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return makeError(ErrorCode::Unsafe, "a folder that others may write into: " + folder);
    }
    return {};
}

} // namespace

Result<StubWorkFolder> StubWorkFolder::setUp(const std::string& userTempFolder) {
    if (userTempFolder.empty()) {
        return makeError(ErrorCode::Invalid, "no temporary folder");
    }
    std::string base = withSlash(userTempFolder);
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
        return base::systemError("create the folder", base, errno);
    }
    std::string tempSwf = base + "TempSWF";
    if (auto ok = ensurePrivateFolder(tempSwf); !ok) {
        return ok.error();
    }
    std::string pattern = tempSwf + "/run-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        return base::systemError("create a run folder in", tempSwf, errno);
    }
    return StubWorkFolder(withSlash(tempSwf), withSlash(buffer.data()));
}

std::string StubWorkFolder::dataFile() const {
    return m_runFolder + std::string(jpk::kJpkDataFileName);
}

JpkExtraction StubWorkFolder::extractAll(DelFileList& delFileList, const SetBarCallback& setBar,
                                         const std::function<void(const std::string& name)>& ListItem) const {
    JpkExtraction result;
    if (setBar) {
        setBar(40);
    }
    // One walk lists every entry with where its data lies; each entry is then copied from there.
    auto package = jpk::JpkPackageReader::open(dataFile());
    if (!package) {
        result.listingError = package.error();
    } else {
        result.listingError = package->listingError();
        for (const jpk::JpkEntry& entry : package->entries()) {
            result.listed.push_back(entry.name);
            if (ListItem) {
                ListItem(entry.name);
            }
        }
    }
    if (setBar) {
        setBar(50);
    }
    // The run folder is new and this run's alone, so each file is created in place; a name that comes
    // twice is the same file with the same (first) data.
    std::unordered_set<std::string> written;
    const std::size_t n = result.listed.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& name = result.listed[i];
        if (!jpk::isBareEntryName(name)) {
            result.skipped.push_back(name);
        } else if (written.count(name) != 0) {
            result.extracted.push_back(name);
            delFileList.add(name);
        } else if (auto extracted = package->extractNew(*package->find(name), m_runFolder + name); extracted) {
            written.insert(name);
            result.extracted.push_back(name);
            delFileList.add(name);
        } else {
            result.failed.emplace_back(name, extracted.error());
        }
        if (setBar) {
            setBar(50.0 + 20.0 / static_cast<double>(n) * static_cast<double>(i + 1));
        }
    }
    return result;
}

void StubWorkFolder::cleanUp(const DelFileList& delFileList) const {
    for (const std::string& name : delFileList.names()) {
        if (jpk::isBareEntryName(name)) {
            ::unlink((m_runFolder + name).c_str());
        }
    }
    ::unlink(dataFile().c_str());
    ::unlink((m_runFolder + std::string(jpk::kJpkStartupFileName)).c_str());
    ::rmdir(m_runFolder.c_str());
}

} // namespace glw::stubs
