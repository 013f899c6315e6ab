// Zip archives on libzip: listing, extracting into a folder and creating, with passwords, in place of a zip control.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::zip {

// One entry of an archive's directory.
struct ZipEntryInfo {
    std::string name;       // as stored; "\" and "/" both separate folders
    std::string path;       // the relative path it would be written to ("/"-separated); empty when unsafe
    std::uint64_t size = 0; // uncompressed bytes
    std::uint64_t compressedSize = 0;
    std::uint32_t crc = 0;
    std::uint16_t compressionMethod = 0; // 0 stored, 8 deflated
    std::uint16_t encryptionMethod = 0;  // 0 none, 1 traditional PKWARE, 0x0101-0x0103 AES
    bool directory = false;
    bool link = false;       // a symbolic link (never written)
    bool executable = false; // stored with an execute permission (written 0755 instead of 0644)

    bool safe() const { return !path.empty(); }
};

// The relative "/"-separated path that a stored entry name stands for inside a target folder, or "" when
// the name would leave it or cannot be a path there: empty, absolute or with a leading separator, with a
// drive letter or any ":", with a ".." part, or with a zero byte. "." parts and doubled separators drop out.
std::string safeZipEntryPath(std::string_view storedName);

// The archive's entries in directory order. NotFound for a missing file, Malformed for one that is not a
// zip archive or is inconsistent, Io when it cannot be read.
Result<std::vector<ZipEntryInfo>> listZipEntries(const std::string& zipPath);

// Called with each entry's stored name as it is processed.
using ZipEntryCallback = std::function<void(const std::string& name)>;

// The bytes free for an unprivileged writer on the file system that holds a folder; nothing when unknown.
using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

// The file system's own answer (statvfs of the folder, or of its nearest existing parent).
std::optional<std::uint64_t> fileSystemFreeSpace(const std::string& folder);

struct ZipExtractOptions {
    std::string mask = "*.*"; // matched against the last part of each name, letters without regard to case
    std::string password;     // for encrypted entries (traditional PKWARE or AES); "" for none
    ZipEntryCallback onEntry;
    std::uint64_t maxEntrySize = 0; // the largest size an entry may state; 0 for no bound
    FreeSpaceQuery freeSpace = {};  // empty: fileSystemFreeSpace
};

// Extracts every entry whose last name part matches the mask into `folder` (created when missing), keeping
// the folders stored in the archive and replacing files of the same names. Returns the number of files
// written.
//
// All or nothing: every selected entry is first decrypted, inflated and CRC-checked into a hidden staging
// folder inside `folder`; only when all of them are whole are they moved into place. So a wrong password,
// a damaged entry or a full disk leaves `folder` as it was, and never a partly written file; a `folder`
// that did not exist is gone again.
//
// Nothing is written when the selected entries state more bytes together than the target's file system has
// free, or one states more than `maxEntrySize` (TooLarge): the sizes come from the archive's directory,
// and an entry whose data runs past its stated size is stopped there (Malformed, or WrongPassword when it
// is encrypted), so a small archive can never fill the disk. An archive
// that holds any entry whose name would leave the folder (see safeZipEntryPath) or that is a link is
// refused as a whole (Unsafe), as is a target path whose folders on the way are links or files (Unsafe).
// WrongPassword for a missing or wrong password, including the one wrong password in about 128 that gets
// past traditional encryption's check byte and then fails the inflation or the CRC ("wrong password or
// damaged"); Malformed for a damaged entry that is not encrypted; Unsupported for a method libzip lacks.
Result<std::size_t> extractZip(const std::string& zipPath, const std::string& folder,
                               const ZipExtractOptions& options = {});

struct ZipCreateOptions {
    std::string mask = "*.*"; // matched against each file's name
    std::string password;     // "" for none; otherwise every entry gets traditional PKWARE encryption
    ZipEntryCallback onEntry;
};

// Writes a new archive at `zipPath` holding every regular file under `sourceFolder` whose name matches
// the mask, sub-folders included with their relative names ("/"-separated), deflated. Links are not
// followed. The archive is built under a temporary name beside `zipPath` and replaces an old one only when
// complete. Returns the number of files packed. NotFound when there is nothing to pack (the old archive
// then stays), Io when a file cannot be read or the archive cannot be written.
Result<std::size_t> createZip(const std::string& zipPath, const std::string& sourceFolder,
                              const ZipCreateOptions& options = {});

// The zip control as the system's code drives it: set the properties, then call the methods. Paths are
// host paths; callers convert system paths first. Every method reports its outcome.
class ZipArchive {
public:
    std::string ZipFile;       // the archive
    std::string ExtractFolder; // where ZipExtract writes
    std::string SourceFolder;  // what ZipCreate packs
    std::string FileMask = "*.*";
    std::string Password;
    std::uint64_t MaxEntrySize = 0; // see ZipExtractOptions
    FreeSpaceQuery FreeSpace;       // see ZipExtractOptions
    // Options the callers set before extracting or creating. What they selected in the old control is
    // always so here (stored folders kept, files of the same names replaced, sub-folders packed), so they
    // change nothing.
    bool ZipOption1 = false;
    bool ZipOption1000 = false;
    bool ZipOption1004 = false;
    // Raised with each entry's stored name during ZipExtract and ZipCreate.
    ZipEntryCallback ZipEntryEvent;

    // Opens ZipFile and reads its directory.
    Result<std::vector<ZipEntryInfo>> ZipPrepare() const;
    // extractZip(ZipFile, ExtractFolder) with FileMask and Password.
    Result<std::size_t> ZipExtract() const;
    // createZip(ZipFile, SourceFolder) with FileMask and Password.
    Result<std::size_t> ZipCreate() const;
};

} // namespace glw::zip
