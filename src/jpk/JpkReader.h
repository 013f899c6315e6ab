// The reading side of the packages: finding a stub's package in its own file, listing and extracting entries.
#pragma once

#include "base/Result.h"
#include "jpk/JpkPackage.h"

#include <cstdint>
#include <functional>
#include <string>

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

} // namespace glw::jpk
