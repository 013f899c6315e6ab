// The platform services the system calls besides its windows: each an interface with a real
// implementation for the desktop and an in-memory one for tests, chosen where a program is put together.
#pragma once

#include "base/Result.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glw::platform {

// Where a real service reports what it could not do and did not throw (one line, no line end).
using ServiceLog = std::function<void(const std::string& line)>;
// Passes the line to the log, or to standard error when there is none.
void logLine(const ServiceLog& log, const std::string& line);

// Clipboard text. The desktop implementation crosses processes; the in-memory one lives in the process.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string getText() = 0; // "" when the clipboard holds no text
    virtual void setText(const std::string& text) = 0;
    virtual void clear() = 0;
};

// Per-user store of remembered values by application name, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when nothing is stored under that name.
    virtual std::string getSetting(const std::string& appName, const std::string& section, const std::string& key,
                                   const std::string& defaultValue) = 0;
    // Stores the value at once; a failure to write is logged, never thrown (the caller cannot act on it).
    virtual void saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

// The shell's default action on a file, folder, address or program, in the manner of ShellExecute.
class Shell {
public:
    virtual ~Shell() = default;
    // `target` is a system path ("C:\...") or an address ("http://...", "mailto:..."). Never waits.
    // Returns above 32 on success, a small error code (2 file not found, 31 no association) otherwise.
    virtual long open(const std::string& target) = 0;
};

// The names of the fonts installed for the screen, in the order the system lists them.
class FontList {
public:
    virtual ~FontList() = default;
    virtual std::vector<std::string> names() = 0;
};

// A picture loaded for a button or picture box. Empty when nothing is loaded.
struct Picture {
    std::string path; // system path it was loaded from
    int width = 0;    // pixels
    int height = 0;
    bool empty() const { return path.empty(); }
    bool operator==(const Picture&) const = default;
};

class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // Loads a JPEG (or other supported picture) from a system path. Fails on a missing or broken file.
    virtual Result<Picture> load(const std::string& systemPath) = 0;
};

// The clock: wall time for Hour/Second, Timer (seconds since midnight) and a millisecond tick count.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() = 0;
    virtual std::uint32_t tickCount() = 0; // milliseconds since an arbitrary start, wrapping
    double timer();                        // seconds since local midnight, as Timer gives it
    int hour();
    int second();
};

// The random generator behind Randomize and Rnd.
class Random {
public:
    virtual ~Random() = default;
    virtual void randomize(double seed) = 0;
    virtual float rnd() = 0; // uniform in [0, 1)
};

class Cache;
class Registry;
class BrowserWindows;

// The size of a movie's stage in pixels, as the movie player control reports it.
struct MovieSize {
    int width = 0;
    int height = 0;
};
// Reads a movie file's stage size from its header.
class MovieProbe {
public:
    virtual ~MovieProbe() = default;
    // The size of the movie at `hostPath`; nullopt when it is not a readable movie.
    virtual std::optional<MovieSize> size(const std::string& hostPath) = 0;
};

// Every service a program uses, chosen where the program is put together.
struct Services {
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<SettingsStore> settings;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<FontList> fonts;
    std::shared_ptr<PictureLoader> pictures;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Random> random;
    std::shared_ptr<Cache> cache;
    std::shared_ptr<MovieProbe> movieProbe;
    std::shared_ptr<Registry> registry;
    std::shared_ptr<BrowserWindows> browserWindows; // the open pages the link chooser offers
};

} // namespace glw::platform
