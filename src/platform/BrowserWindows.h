// The web pages open in the user's browsers, read from the browsers' own session files: the source of the
// link chooser's list of open pages. An interface with the real reader and an in-memory list for tests.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glw::platform {

// One open page: a number that names it while the list stands, its title and its address.
struct BrowserWindow {
    std::int32_t handle = 0;
    std::int32_t editHandle = 0;
    std::string caption;
    std::string url;
};

class BrowserWindows {
public:
    virtual ~BrowserWindows() = default;
    // A snapshot of the open pages, front window first. Never waits on a browser: only files are read.
    virtual std::vector<BrowserWindow> list() = 0;
    // Sends the page `handle` to `url`; false when the provider cannot.
    virtual bool navigate(std::int32_t handle, const std::string& url) = 0;
};

// The test's pages; navigate() changes the page's address and records the call.
class MemoryBrowserWindows : public BrowserWindows {
public:
    std::vector<BrowserWindow> windows;
    std::vector<std::pair<std::int32_t, std::string>> navigated;
    std::vector<BrowserWindow> list() override { return windows; }
    bool navigate(std::int32_t handle, const std::string& url) override;
};

// Firefox's session file: "mozLz40\0", the decompressed size as a little-endian 32-bit number, one LZ4
// block. Malformed for another magic, a size above `maxSize` or a block that does not decode to that size.
Result<std::string> decodeMozLz4(std::string_view bytes, std::uint32_t maxSize = 64u << 20);
// The open tabs of a Firefox session (its JSON): windows[].tabs[], each at its current entry (the 1-based
// "index", else the last entry). Tabs without an address are left out. Malformed for text that is not JSON.
Result<std::vector<BrowserWindow>> firefoxSessionTabs(std::string_view json);
// The open tabs of a Chromium session file ("SNSS"): the current navigation of every tab not closed, in the
// order the tabs were first seen. Malformed when the file is not a session file.
Result<std::vector<BrowserWindow>> chromiumSessionTabs(std::string_view snss);

// Whether the browser that owns a profile runs now, from the lock it keeps there while it runs: Chromium's
// "SingletonLock" in its folder ("<host>-<pid>") or Firefox's "lock" in the profile ("<address>:+<pid>"),
// each a symbolic link. A lock of this machine counts only while its process lives (a browser that was
// killed leaves it behind); a lock of another machine (a shared home) cannot be checked and counts as
// running. No lock: not running.
bool chromiumProfileRuns(const std::string& folder);
bool firefoxProfileRuns(const std::string& profile);

// The real provider: the tabs of every Firefox profile (the recovery file of the running session) and of
// every Chromium or Chrome profile (its newest session file), the snap packages' included, read under `home`
// (the user's home folder when empty). Chromium and Chrome keep their folders in `configHome` (by default
// XDG_CONFIG_HOME when it is an absolute path) and in home/.config, both read, the first first. Only the
// profiles of a browser that runs are read (see chromiumProfileRuns): a closed browser's session file
// names pages that are no longer open. Only plain files are read, never a pipe, and files larger than 64 MB
// are skipped; unreadable or damaged files are left out without notice. Navigation is not possible from
// outside a browser: navigate() gives false.
class SessionFileBrowserWindows : public BrowserWindows {
public:
    explicit SessionFileBrowserWindows(std::string home = {});
    SessionFileBrowserWindows(std::string home, std::string configHome);
    std::vector<BrowserWindow> list() override;
    bool navigate(std::int32_t, const std::string&) override { return false; }

private:
    std::string m_home;
    std::string m_configHome;
};

} // namespace glw::platform
