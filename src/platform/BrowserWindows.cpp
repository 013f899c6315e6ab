// The open pages of the user's browsers, from their session files.
#include "BrowserWindows.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <lz4.h>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <unistd.h>

namespace glw::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxSessionFile = 64u << 20;

Error malformed(std::string detail) {
    return makeError(ErrorCode::Malformed, std::move(detail));
}

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | (unsigned char)bytes[at + i];
    }
    return v;
}

// A file read whole, or "" when it is missing, not a plain file, too large or unreadable.
std::string readSmallFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxSessionFile || ec) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// A reader of one pickled command payload: 32-bit fields aligned to 4 bytes, every length checked.
class PickleReader {
public:
    explicit PickleReader(std::string_view data) : m_data(data) {}
    bool int32(std::int32_t& out) {
        if (m_pos + 4 > m_data.size()) {
            return false;
        }
        out = std::int32_t(le32(m_data, m_pos));
        m_pos += 4;
        return true;
    }
    bool string8(std::string& out) {
        std::int32_t n = 0;
        if (!int32(n) || n < 0 || std::size_t(n) > m_data.size() - m_pos) {
            return false;
        }
        out.assign(m_data.substr(m_pos, std::size_t(n)));
        m_pos += align(std::size_t(n));
        return true;
    }
    bool string16(std::string& out) {
        std::int32_t n = 0;
        if (!int32(n) || n < 0 || std::size_t(n) > (m_data.size() - m_pos) / 2) {
            return false;
        }
        out.clear();
        for (std::size_t i = 0; i < std::size_t(n); ++i) {
            std::uint32_t u = (unsigned char)m_data[m_pos + 2 * i] | ((unsigned char)m_data[m_pos + 2 * i + 1] << 8);
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < std::size_t(n)) {
                const std::uint32_t lo =
                    (unsigned char)m_data[m_pos + 2 * i + 2] | ((unsigned char)m_data[m_pos + 2 * i + 3] << 8);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
            appendUtf8(out, u);
        }
        m_pos += align(std::size_t(n) * 2);
        return true;
    }

private:
    std::size_t align(std::size_t n) const { return std::min((n + 3) & ~std::size_t(3), m_data.size() - m_pos); }
    std::string_view m_data;
    std::size_t m_pos = 0;
};

} // namespace

bool MemoryBrowserWindows::navigate(std::int32_t handle, const std::string& url) {
    navigated.emplace_back(handle, url);
    for (auto& w : windows) {
        if (w.handle == handle) {
            w.url = url;
            return true;
        }
    }
    return false;
}

Result<std::string> decodeMozLz4(std::string_view bytes, std::uint32_t maxSize) {
    constexpr std::string_view magic("mozLz40\0", 8);
    if (bytes.size() < 12 || bytes.substr(0, 8) != magic) {
        return malformed("not a mozLz4 file");
    }
    const std::uint32_t size = le32(bytes, 8);
    if (size > maxSize || bytes.size() - 12 > std::size_t(INT32_MAX)) {
        return makeError(ErrorCode::TooLarge, "session of " + std::to_string(size) + " bytes");
    }
    std::string out(size, '\0');
    const int n = LZ4_decompress_safe(bytes.data() + 12, out.data(), int(bytes.size() - 12), int(size));
    if (n < 0 || std::uint32_t(n) != size) {
        return malformed("the LZ4 block does not decode to its declared size");
    }
    return out;
}

Result<std::vector<BrowserWindow>> firefoxSessionTabs(std::string_view json) {
    const auto doc = nlohmann::json::parse(json, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) {
        return malformed("the session is not JSON");
    }
    std::vector<BrowserWindow> out;
    const auto windows = doc.find("windows");
    if (windows == doc.end() || !windows->is_array()) {
        return out;
    }
    for (const auto& window : *windows) {
        const auto tabs = window.find("tabs");
        if (!window.is_object() || tabs == window.end() || !tabs->is_array()) {
            continue;
        }
        for (const auto& tab : *tabs) {
            const auto entries = tab.is_object() ? tab.find("entries") : tab.end();
            if (entries == tab.end() || !entries->is_array() || entries->empty()) {
                continue;
            }
            std::size_t current = entries->size();
            if (const auto index = tab.find("index"); index != tab.end() && index->is_number_integer()) {
                const auto i = index->get<long long>();
                if (i >= 1 && std::size_t(i) <= entries->size()) {
                    current = std::size_t(i);
                }
            }
            const auto& entry = (*entries)[current - 1];
            if (!entry.is_object()) {
                continue;
            }
            BrowserWindow w;
            if (const auto url = entry.find("url"); url != entry.end() && url->is_string()) {
                w.url = url->get<std::string>();
            }
            if (const auto title = entry.find("title"); title != entry.end() && title->is_string()) {
                w.caption = title->get<std::string>();
            }
            if (!w.url.empty()) {
                out.push_back(std::move(w));
            }
        }
    }
    return out;
}

Result<std::vector<BrowserWindow>> chromiumSessionTabs(std::string_view snss) {
    if (snss.size() < 8 || snss.substr(0, 4) != "SNSS") {
        return malformed("not a session file");
    }
    constexpr int kUpdateTabNavigation = 6;
    constexpr int kSetSelectedNavigationIndex = 7;
    constexpr int kTabClosed = 16;
    struct Tab {
        std::map<std::int32_t, std::pair<std::string, std::string>> navigations; // index -> url, title
        std::int32_t selected = -1;
    };
    std::map<std::int32_t, Tab> tabs;
    std::vector<std::int32_t> order;
    std::set<std::int32_t> closed;
    std::size_t pos = 8;
    while (pos + 3 <= snss.size()) {
        const std::size_t size = (unsigned char)snss[pos] | ((unsigned char)snss[pos + 1] << 8);
        if (size == 0 || pos + 2 + size > snss.size()) {
            break; // a command cut off by a crash: keep what came before
        }
        const int id = (unsigned char)snss[pos + 2];
        const std::string_view payload = snss.substr(pos + 3, size - 1);
        pos += 2 + size;
        if (id == kUpdateTabNavigation && payload.size() >= 4) {
            PickleReader pickle(payload.substr(4)); // behind the pickle's own length
            std::int32_t tab = 0;
            std::int32_t index = 0;
            std::string url;
            std::string title;
            if (!pickle.int32(tab) || !pickle.int32(index) || !pickle.string8(url)) {
                continue;
            }
            (void)pickle.string16(title);
            if (!tabs.count(tab)) {
                order.push_back(tab);
            }
            tabs[tab].navigations[index] = {url, title};
        } else if (id == kSetSelectedNavigationIndex && payload.size() >= 8) {
            const auto tab = std::int32_t(le32(payload, 0));
            if (!tabs.count(tab)) {
                order.push_back(tab);
            }
            tabs[tab].selected = std::int32_t(le32(payload, 4));
        } else if (id == kTabClosed && payload.size() >= 4) {
            closed.insert(std::int32_t(le32(payload, 0)));
        }
    }
    std::vector<BrowserWindow> out;
    for (const auto tabId : order) {
        const auto& tab = tabs[tabId];
        if (closed.count(tabId) || tab.navigations.empty()) {
            continue;
        }
        auto it = tab.navigations.find(tab.selected);
        if (it == tab.navigations.end()) {
            it = std::prev(tab.navigations.end());
        }
        if (!it->second.first.empty()) {
            out.push_back({0, 0, it->second.second, it->second.first});
        }
    }
    return out;
}

namespace {

bool processLives(long pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

std::string thisHost() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// The lock link's text, or nothing when there is no link.
std::optional<std::string> lockTarget(const fs::path& link) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) {
        return std::nullopt;
    }
    const auto target = fs::read_symlink(link, ec);
    return ec ? std::nullopt : std::optional<std::string>(target.string());
}

// The number after `at` in `text` (digits to the end), or -1.
long pidAfter(const std::string& text, std::size_t at) {
    if (at >= text.size() || text.find_first_not_of("0123456789", at) != std::string::npos || text.size() - at > 9) {
        return -1;
    }
    return std::stol(text.substr(at));
}

} // namespace

bool chromiumProfileRuns(const std::string& folder) {
    const auto target = lockTarget(fs::path(folder) / "SingletonLock");
    if (!target) {
        return false;
    }
    const std::size_t dash = target->rfind('-');
    if (dash == std::string::npos) {
        return false;
    }
    if (target->substr(0, dash) != thisHost()) {
        return true;
    }
    return processLives(pidAfter(*target, dash + 1));
}

bool firefoxProfileRuns(const std::string& profile) {
    const auto target = lockTarget(fs::path(profile) / "lock");
    if (!target) {
        return false;
    }
    const std::size_t colon = target->rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::size_t at = colon + 1;
    if (at < target->size() && (*target)[at] == '+') {
        ++at;
    }
    const long pid = pidAfter(*target, at);
    if (pid <= 0) {
        return false;
    }
    // The address part names the machine by its network address, which this process cannot match
    // reliably: a process of that number must live here.
    return processLives(pid);
}

SessionFileBrowserWindows::SessionFileBrowserWindows(std::string home) : m_home(std::move(home)) {
    if (m_home.empty()) {
        const char* h = std::getenv("HOME");
        m_home = h ? h : "";
    }
    // Chromium takes XDG_CONFIG_HOME only as an absolute path, as the XDG rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        m_configHome = config;
    }
}

SessionFileBrowserWindows::SessionFileBrowserWindows(std::string home, std::string configHome)
    : m_home(std::move(home)), m_configHome(std::move(configHome)) {}

std::vector<BrowserWindow> SessionFileBrowserWindows::list() {
    std::vector<BrowserWindow> all;
    if (m_home.empty()) {
        return all;
    }
    auto subFolders = [](const fs::path& folder) {
        std::vector<fs::path> out;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_directory(ec)) {
                out.push_back(it->path());
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const fs::path home(m_home);
    for (const auto& root : {home / ".mozilla/firefox", home / "snap/firefox/common/.mozilla/firefox"}) {
        for (const auto& profile : subFolders(root)) {
            if (!firefoxProfileRuns(profile.string())) {
                continue;
            }
            auto json = decodeMozLz4(readSmallFile(profile / "sessionstore-backups/recovery.jsonlz4"));
            if (!json) {
                continue;
            }
            if (auto tabs = firefoxSessionTabs(*json)) {
                all.insert(all.end(), tabs->begin(), tabs->end());
            }
        }
    }
    std::vector<fs::path> chromiumRoots;
    std::set<std::string> seen;
    auto addConfigRoots = [&](const fs::path& config) {
        for (const char* name : {"chromium", "google-chrome"}) {
            std::error_code ec;
            const fs::path root = config / name;
            const auto key = fs::weakly_canonical(root, ec);
            if (seen.insert(ec ? root.string() : key.string()).second) {
                chromiumRoots.push_back(root);
            }
        }
    };
    if (!m_configHome.empty()) {
        addConfigRoots(m_configHome);
    }
    addConfigRoots(home / ".config");
    chromiumRoots.push_back(home / "snap/chromium/common/chromium");
    for (const auto& root : chromiumRoots) {
        if (!chromiumProfileRuns(root.string())) {
            continue;
        }
        for (const auto& profile : subFolders(root)) {
            // The newest "Session_<time>" file is the running session.
            fs::path newest;
            std::error_code ec;
            for (fs::directory_iterator it(profile / "Sessions", ec), end; !ec && it != end; it.increment(ec)) {
                const auto name = it->path().filename().string();
                if (name.rfind("Session_", 0) == 0 && (newest.empty() || it->path() > newest)) {
                    newest = it->path();
                }
            }
            if (newest.empty()) {
                continue;
            }
            if (auto tabs = chromiumSessionTabs(readSmallFile(newest))) {
                all.insert(all.end(), tabs->begin(), tabs->end());
            }
        }
    }
    std::int32_t next = 1;
    for (auto& w : all) {
        w.handle = next;
        w.editHandle = next;
        ++next;
    }
    return all;
}

} // namespace glw::platform
