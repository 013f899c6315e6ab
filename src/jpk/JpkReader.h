// The reading side of the packages: finding a stub's package in its own file, listing and extracting entries.
#pragma once

#include "base/FileIo.h"
#include "base/Result.h"
#include "jpk/JpkPackage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace glw::jpk {

// Where the parts of a self-extracting file lie.
struct SelfExtractingFile {
    std::uint64_t stubLength = 0;    // the marker starts here
    std::uint64_t packageOffset = 0; // stubLength + 11
    std::uint64_t packageLength = 0; // up to the end of the file
};

// Finds the first marker in the file `ownFile` (a host path), reading it in pieces.
// NotFound when the file holds no marker, Truncated when nothing follows the marker, Io when it cannot be read.
Result<SelfExtractingFile> locateJpkPackage(const std::string& ownFile);

// ExtractAppendedData: copies the package behind the first marker of `ownFile` into the new file
// `dataFile` (both host paths) and returns its length. The copy goes in pieces and replaces `dataFile`
// only when complete. Errors as locateJpkPackage, and Io when the data file cannot be written; the
// stubs treat every error as "no package".
Result<std::uint64_t> ExtractAppendedData(const std::string& ownFile, const std::string& dataFile);

// JpkList: calls `ListItem` with the name of every complete entry of the package file `JpkFile`, in package
// order. An error (Malformed, Truncated, Io, NotFound) ends the listing; the names delivered before it stand.
Result<void> JpkList(const std::string& JpkFile, const std::function<void(const std::string& name)>& ListItem);

// JpkExtract: writes the data of the first entry named `FileName` (letter case aside) of the package file
// `JpkFile` into the file `Destination`, in pieces of 1,000,000 bytes. The file is written fresh under a
// temporary name and replaces `Destination` only when complete, so no stale longer file shows through and
// no partial file is left. NotFound when no entry bears the name (nothing written), Malformed or Truncated
// when the package breaks before the entry is found, Io on a read or write failure.
Result<void> JpkExtract(const std::string& JpkFile, const std::string& FileName, const std::string& Destination);

// A package file opened once and walked once: its entries in package order, and each entry's data copied
// from where it lies. Extracting n entries this way costs one walk of the package, not n.
class JpkPackageReader {
public:
    // Opens the package file `JpkFile` (a host path) and walks it. A malformed or cut-off entry ends the
    // walk; the entries before it stand and listingError() says why. NotFound or Io when the file cannot be
    // opened.
    static Result<JpkPackageReader> open(const std::string& JpkFile);

    const std::vector<JpkEntry>& entries() const { return m_entries; }
    // Code None when the whole package was walked.
    const Error& listingError() const { return m_listingError; }
    // The first entry whose name equals `name`, letter case aside; null when none does.
    const JpkEntry* find(std::string_view name) const;

    // Writes the data of `entry` into `Destination`, a file that must not exist yet (it is created
    // exclusively, so nothing is written through a link or over a stale file, and removed again when the
    // copy fails). For folders that only this process writes into, such as a stub's run folder.
    Result<void> extractNew(const JpkEntry& entry, const std::string& Destination) const;
    // Writes the data of `entry` fresh under a temporary name that replaces `Destination` only when complete.
    Result<void> extractFresh(const JpkEntry& entry, const std::string& Destination) const;

private:
    explicit JpkPackageReader(base::UniqueFd fd) : m_fd(std::move(fd)) {}

    base::UniqueFd m_fd;
    std::vector<JpkEntry> m_entries;
    Error m_listingError;
    std::unordered_map<std::string, std::size_t> m_firstByName; // lower-cased name -> first entry
};

} // namespace glw::jpk
