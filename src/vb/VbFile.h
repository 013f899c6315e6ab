// The file statements of the system's original language over system paths (Kill, MkDir, Dir, Open ...),
// raising vb::RuntimeError with that language's error numbers so that handlers can skip failing steps.
#pragma once

#include "base/FileIo.h"
#include "base/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glw::vb {

// File attributes as GetAttr gives them and DirList takes them.
enum FileAttribute : int {
    vbNormal = 0,
    vbReadOnly = 1, // not writable for the user (for root: no write bit at all)
    vbHidden = 2,   // a name that starts with "."
    vbSystem = 4,   // never set on this system
    vbVolume = 8,   // never set on this system
    vbDirectory = 16,
    vbArchive = 32, // never set: a plain file has no attribute, so a plain folder is exactly vbDirectory
};

// Every function below takes system paths ("C:\...", see platform/WinPath.h) and raises RuntimeError:
// 53 file not found, 76 path not found (a folder on the way is missing), 75 path/file access error
// (refused by the system, a folder where a file is expected, a read-only file), 58 file already exists,
// 70 permission denied (the file is busy), 61 disk full.

// Deletes the files that match `pattern`: a path whose last component may hold "*" and "?" (matched without
// regard to case). Only plain files that are not hidden are deleted; folders are never touched. Every file
// that can be deleted is deleted; then the first failure (a read-only file: 75) is raised. 53 when nothing
// matches, 76 when the folder is missing.
void Kill(std::string_view pattern);

// Creates one folder; 75 when it exists, 76 when its parent is missing.
void MkDir(std::string_view path);
// Removes an empty folder; 75 when it is not empty, 76 when it is missing.
void RmDir(std::string_view path);
// Copies a file, replacing the target (which is written as a whole first, then put in place: a failed copy
// leaves the old target as it was). A link at the target is replaced itself and never written through, so
// the copy lands in the folder named. Raises 75 for a read-only target, a folder, or anything else but a
// plain file or a link (a device, a FIFO, a socket).
void FileCopy(std::string_view source, std::string_view destination);
// Renames or moves a file or folder. 58 when the new name exists (a change of case only is allowed).
void Name(std::string_view oldPath, std::string_view newPath);
// The length of a file in bytes; 53 when it is missing or is a folder.
std::int64_t FileLen(std::string_view path);
// The attributes of a file or folder (vbDirectory, vbReadOnly, vbHidden; nothing else); 53 when missing.
int GetAttr(std::string_view path);
// Sets or clears the read-only attribute (the write permission bits); the other attributes cannot be set
// on this system and are ignored. 53 when the path is missing.
void SetAttr(std::string_view path, int attributes);

// The names that Dir(pattern, attributes) and the calls of Dir() after it return, all at once, sorted
// without regard to case ("." and ".." first). `pattern` is a path whose last component may hold wildcards;
// a pattern that ends in a separator lists the whole folder. Plain files (read-only ones too) are always
// included; folders only with vbDirectory, together with the "." and ".." entries (except at the root);
// hidden entries only with vbHidden. Names that hold "\" cannot be written as system paths and are left
// out. A folder that is missing or cannot be listed gives an empty list, never an error.
std::vector<std::string> DirList(std::string_view pattern, int attributes = vbNormal);

// True when `name` matches a wildcard pattern of the file system: "*" any run, "?" one character, letters
// without regard to case; "*.*" matches every name, and a pattern ending in "." also matches names with no
// dot ("*." lists names without an extension).
bool matchesFilePattern(std::string_view name, std::string_view pattern);

// A whole file's bytes, or only its first atMost bytes (53/75/76 on failure).
std::string readAllBytes(std::string_view path, std::size_t atMost = std::string::npos);
// Writes a whole file: into a temporary file beside it, then renamed over the target, so readers never see
// a half-written file and a failure keeps the old one. A link at the target is replaced, not written
// through. Raises 75 for a read-only target, a folder, or anything else but a plain file or a link.
void writeAllBytes(std::string_view path, std::string_view bytes);

// How a file handle is opened, as in Open ... For Input / Output / Append / Binary.
enum class OpenMode { Input, Output, Append, Binary };

// An open file, in the manner of a file number of the original language. Closed by its destructor.
//  - Input: the file must exist (53, 76; a folder 75). Output: created or emptied. Append: created or
//    written at its end. Binary: read and write, created when missing; read-only when the file cannot be
//    written (a program file in use, for one).
//  - Text lines: printLine writes the text and CR LF; lineInput reads up to CR LF, CR or LF.
//  - Positions are 1-based, as Seek gives them.
// A statement that does not fit the mode raises 54 (bad file mode); reading a line at the end, 62.
class VbFileHandle {
public:
    VbFileHandle(std::string_view path, OpenMode mode);
    ~VbFileHandle();
    VbFileHandle(VbFileHandle&& other) noexcept;
    VbFileHandle& operator=(VbFileHandle&& other) noexcept;
    VbFileHandle(const VbFileHandle&) = delete;
    VbFileHandle& operator=(const VbFileHandle&) = delete;

    void close();
    OpenMode mode() const { return m_mode; }

    void print(std::string_view text);              // Print #n, text;
    void printLine(std::string_view text = {});     // Print #n, text
    std::string lineInput();                        // Line Input #n, variable
    bool eof();                                     // EOF(n): the position is at or past the end
    std::int64_t lof();                             // LOF(n): the length of the file
    std::int64_t seek() const { return m_pos + 1; } // Seek(n): the position of the next read or write
    void seek(std::int64_t position);               // Seek #n, position (1 is the first byte)
    // Get #n, , buffer: up to `count` bytes from the position; fewer at the end of the file.
    std::string get(std::size_t count);
    // Put #n, , bytes: writes at the position (Binary) or at the end (Output, Append).
    void put(std::string_view bytes);

private:
    void requireOpen() const;
    void requireReadable() const;
    void requireWritable() const;
    void writeRaw(std::string_view bytes);
    // Refills m_cache so that it starts at m_pos; false at the end of the file.
    bool fill();

    base::UniqueFd m_fd;
    OpenMode m_mode = OpenMode::Input;
    bool m_writable = false;
    std::int64_t m_pos = 0; // 0-based offset of the next read or write
    std::string m_path;     // system path, for messages
    std::string m_cache;    // bytes read ahead for lineInput, starting at m_cacheStart
    std::int64_t m_cacheStart = 0;
};

} // namespace glw::vb
