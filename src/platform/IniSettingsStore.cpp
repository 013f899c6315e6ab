// Settings in INI files, one per application, replaced whole under a lock on their folder.
#include "IniSettingsStore.h"

#include "WinPath.h"
#include "base/Ascii.h"
#include "base/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::platform {

namespace {

bool makeFolders(const std::string& path) {
    std::size_t at = 0;
    while (at != std::string::npos) {
        at = path.find('/', at + 1);
        std::string part = path.substr(0, at);
        if (part.empty()) {
            continue;
        }
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// INI text

std::string escapeIni(std::string_view text, std::string_view specials, std::string_view leadingSpecials) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            if (specials.find(c) != std::string_view::npos ||
                (i == 0 && leadingSpecials.find(c) != std::string_view::npos)) {
                out += '\\';
            }
            out += c;
        }
    }
    return out;
}

std::string unescapeIni(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
    }
    return out;
}

// The position of the first `wanted` that is not escaped, or npos.
std::size_t findUnescaped(std::string_view text, char wanted) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};

std::vector<IniSection> parseIni(std::string_view text) {
    std::vector<IniSection> sections;
    IniSection* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            std::size_t close = findUnescaped(line.substr(1), ']');
            if (close == std::string_view::npos) {
                continue;
            }
            std::string name = unescapeIni(line.substr(1, close));
            current = nullptr;
            for (IniSection& s : sections) {
                if (base::iequals(s.name, name)) {
                    current = &s;
                }
            }
            if (!current) {
                current = &sections.emplace_back(IniSection{name, {}});
            }
            continue;
        }
        std::size_t eq = findUnescaped(line, '=');
        if (!current || eq == std::string_view::npos) {
            continue;
        }
        std::string key = unescapeIni(line.substr(0, eq));
        std::string value = unescapeIni(line.substr(eq + 1));
        auto found = std::find_if(current->values.begin(), current->values.end(),
                                  [&](const auto& kv) { return base::iequals(kv.first, key); });
        if (found != current->values.end()) {
            found->second = std::move(value);
        } else {
            current->values.emplace_back(std::move(key), std::move(value));
        }
    }
    return sections;
}

std::string formatIni(const std::vector<IniSection>& sections) {
    std::string out;
    for (const IniSection& s : sections) {
        if (!out.empty()) {
            out += '\n';
        }
        out += '[' + escapeIni(s.name, "]", "") + "]\n";
        for (const auto& [key, value] : s.values) {
            out += escapeIni(key, "=", "[;#") + '=' + escapeIni(value, "", "") + '\n';
        }
    }
    return out;
}

std::string fileNameFor(const std::string& appName) {
    std::string out;
    for (std::size_t i = 0; i < appName.size(); ++i) {
        auto c = static_cast<unsigned char>(appName[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '%' || (i == 0 && c == '.')) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return (out.empty() ? std::string("%") : out) + ".ini";
}

} // namespace

// IniSettingsStore

IniSettingsStore::IniSettingsStore(std::string folder, ServiceLog log)
    : m_folder(std::move(folder)), m_log(std::move(log)) {
    while (m_folder.size() > 1 && m_folder.back() == '/') {
        m_folder.pop_back();
    }
}

std::string IniSettingsStore::defaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        return std::string(config) + "/glw";
    }
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        home = "/tmp";
    }
    return home + "/.config/glw";
}

std::string IniSettingsStore::filePath(const std::string& appName) const {
    std::string name = fileNameFor(appName);
    if (DIR* dir = ::opendir(m_folder.c_str())) {
        std::string best;
        while (dirent* entry = ::readdir(dir)) {
            std::string_view candidate = entry->d_name;
            if (base::iequals(candidate, name) && (best.empty() || candidate < std::string_view(best))) {
                best = std::string(candidate);
            }
        }
        ::closedir(dir);
        if (!best.empty()) {
            name = best;
        }
    }
    return m_folder + "/" + name;
}

std::string IniSettingsStore::getSetting(const std::string& appName, const std::string& section, const std::string& key,
                                         const std::string& defaultValue) {
    auto text = base::readWholeFile(filePath(appName));
    if (!text) {
        return defaultValue;
    }
    for (const IniSection& s : parseIni(*text)) {
        if (!base::iequals(s.name, section)) {
            continue;
        }
        for (const auto& [k, v] : s.values) {
            if (base::iequals(k, key)) {
                return v;
            }
        }
    }
    return defaultValue;
}

void IniSettingsStore::saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                                   const std::string& value) {
    if (!makeFolders(m_folder)) {
        logLine(m_log, "settings: cannot create " + m_folder + ": " + std::strerror(errno));
        return;
    }
    // The lock on the folder is held until the file is rewritten, and let go however this is left.
    const base::UniqueFd lock(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lock.valid()) {
        while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    std::string path = filePath(appName);
    auto text = base::readWholeFile(path);
    if (!text && text.error().osError != ENOENT) {
        // Rewriting a file that could not be read would lose every other value in it.
        logLine(m_log, "settings: cannot read " + path + ": " + text.error().detail);
        return;
    }
    std::vector<IniSection> sections = parseIni(text ? *text : std::string());
    auto s = std::find_if(sections.begin(), sections.end(),
                          [&](const IniSection& x) { return base::iequals(x.name, section); });
    if (s == sections.end()) {
        s = sections.insert(sections.end(), IniSection{section, {}});
    }
    auto kv =
        std::find_if(s->values.begin(), s->values.end(), [&](const auto& x) { return base::iequals(x.first, key); });
    if (kv != s->values.end()) {
        kv->second = value;
    } else {
        s->values.emplace_back(key, value);
    }
    // The store is private to the user whatever the file had.
    auto replaced = base::replaceFileWith(path, formatIni(sections), base::Permissions{0600, false, false});
    if (!replaced) {
        logLine(m_log, "settings: " + replaced.error().detail);
    }
}

} // namespace glw::platform
