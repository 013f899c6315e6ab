// The writing side of the packages: appending files to a package and joining stub, marker and package.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace glw::jpk {

// Stub programs, looked up in the application folder.
inline constexpr std::string_view kPlayerStubName = "glwbase.exe";
inline constexpr std::string_view kSaverStubName = "glwbase.scr";
inline constexpr std::string_view kInstallerStubName = "quillset.exe";

// JpkAdd: appends the file `FileName` to the package file `JpkFile` as one entry named `AddName`
// (host paths). The package is created when missing; an existing one grows behind its last byte. The data
// is copied in pieces of 1,000,000 bytes and never held whole.
//
// Errors, with the package left exactly as it was (a half-written entry would spoil every entry behind it):
// Unsafe when `AddName` is not a bare file name that a stub may extract (see isBareEntryName), Invalid for
// a name of more than 255 bytes, NotFound when `FileName` does not exist, TooLarge above 2,147,483,647
// bytes, Io when a file cannot be read or written.
Result<void> JpkAdd(const std::string& JpkFile, const std::string& FileName, const std::string& AddName);

// The package handed from LoadData to a joiner: the package file and the length it had when loaded. The
// bytes stay in the file and are streamed by the joiner.
struct JpkPackageData {
    std::string path;
    std::uint64_t size = 0;
};

// LoadData: takes the package file `FileName` for a join. NotFound when it is missing, Invalid when it is
// empty (a stub cannot read an empty package), Io when it cannot be read.
Result<JpkPackageData> LoadData(const std::string& FileName);

// Writes the self-extracting file `outputPath`: the whole stub file, the marker, the whole package, and
// nothing else (stub length + 11 + package length bytes; the marker at offset stub length). The output is
// written under a temporary name and replaces `outputPath` only when complete; it takes the stub's
// permission bits so that it runs like the stub. NotFound or Io when the stub is missing or unreadable,
// Invalid for an empty package, Truncated when the package changed length since LoadData, Io on a write
// failure; `outputPath` is then left as it was.
Result<void> joinSelfExtractingFile(const std::string& stubPath, const JpkPackageData& Data,
                                    const std::string& outputPath);

// The three joiners: `appFolder` is the application folder that holds the stubs.
Result<void> NewExe(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data);
Result<void> NewSCR(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data);
Result<void> NewQuillseter(const std::string& appFolder, const std::string& FileName, const JpkPackageData& Data);

} // namespace glw::jpk
