// The desktop implementations of the platform services on Linux: settings in INI files, the shell through
// xdg-open and direct spawns, fonts from fontconfig, JPEG pictures through libjpeg, the system clock.
#pragma once

#include "Services.h"

#include <functional>
#include <random>
#include <string>

namespace glw::platform {

// Where a service reports what it could not do and did not throw (one line, no line end).
using ServiceLog = std::function<void(const std::string& line)>;

// Settings in one INI-style file per application: <folder>/<application name>.ini, created with mode 0600.
//  - "[section]" lines open a section, "key=value" lines hold values; lines starting with ";" or "#" and
//    lines without "=" are ignored.
//  - Names and values are written with "\" escapes ("\\", "\n", "\r", "\0"; "\=" in keys, "\]" in
//    sections), so line breaks, "=" and "]" round-trip; blanks are kept as they stand.
//  - Application, section and key names are matched without regard to ASCII case; the spelling of the
//    first save stays. A file name character that the file system cannot hold ("/", "\", "%", control
//    characters, a leading ".") is written as "%" and two hexadecimal digits.
//  - Every save reads the file again, changes the one value and replaces the file through a temporary file
//    and a rename, under a lock on the folder, so concurrent programs do not lose each other's values and a
//    reader never sees half a file. Failures are passed to the log; reads of a missing or unreadable file
//    give the default.
class IniSettingsStore : public SettingsStore {
public:
    // `folder` is a host path; it is created when a value is first saved.
    explicit IniSettingsStore(std::string folder = defaultFolder(), ServiceLog log = {});

    // $XDG_CONFIG_HOME/glw, or ~/.config/glw when that is unset or not absolute.
    static std::string defaultFolder();
    // The host path of an application's file (an existing file whose name differs only in case is used).
    std::string filePath(const std::string& appName) const;

    std::string getSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    std::string m_folder;
    ServiceLog m_log;
};

// The shell's default action:
//  - an address ("http:", "mailto:", any scheme of two or more letters) goes to the opener as it stands;
//  - a system path is mapped to the host; a missing target gives 2;
//  - a target that is one of our programs (an executable file that starts as a program: ELF or "#!") is
//    started directly, with no arguments, in the current folder;
//  - anything else (documents, folders) goes to the opener.
// The child runs detached in a session of its own (a double fork: only the short-lived middle process is
// waited for) with its standard input from /dev/null; the target is its one argument, never read by a
// shell. Returns 42 when the program was started, 2 for a missing target or program, 5 when it may not be
// run, 31 when no opener is found.
class DesktopShell : public Shell {
public:
    // `opener`: a program name looked up in $PATH, or a host path.
    explicit DesktopShell(std::string opener = "xdg-open", ServiceLog log = {});
    long open(const std::string& target) override;

private:
    std::string m_opener;
    ServiceLog m_log;
};

// Clipboard text kept in a file, so that processes without a desktop (and the host add-ins in tests) can
// hand text to each other. A missing file reads as "". Every change replaces the file through a temporary
// file and a rename, so a reader never sees half a text.
class FileClipboard : public Clipboard {
public:
    explicit FileClipboard(std::string hostPath) : m_path(std::move(hostPath)) {}
    std::string getText() override;
    void setText(const std::string& text) override;
    void clear() override { setText(""); }

private:
    std::string m_path;
};

// The family names of the installed fonts, sorted without regard to case, each once.
class FontconfigFontList : public FontList {
public:
    std::vector<std::string> names() override;
};

// JPEG pictures: the header gives the size, and the whole image is decoded so that a damaged or cut-off
// file fails (NotFound for a missing file, Malformed for one that does not decode). Other formats fail
// with Unsupported.
class JpegPictureLoader : public PictureLoader {
public:
    Result<Picture> load(const std::string& systemPath) override;
};

// The wall clock and a monotonic millisecond tick count.
class SystemClock : public Clock {
public:
    std::chrono::system_clock::time_point now() override { return std::chrono::system_clock::now(); }
    std::uint32_t tickCount() override;
};

// Pseudo-random numbers from a Mersenne Twister; the same seed gives the same sequence. Seeded from the
// system's entropy until randomize is called.
class StdRandom : public Random {
public:
    StdRandom();
    void randomize(double seed) override;
    float rnd() override;

private:
    std::mt19937 m_engine;
};

} // namespace glw::platform
