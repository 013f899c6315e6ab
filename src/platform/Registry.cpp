// The per-user registry store: key paths, handles, and the text file it lives in.
#include "Registry.h"

#include "ServicesReal.h"
#include "WinPath.h"
#include "base/Ascii.h"
#include "base/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glw::platform {

namespace {

constexpr std::string_view kCurrentUserName = "HKEY_CURRENT_USER";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The key's full path, or Invalid. Empty parts (doubled, leading or closing "\") are dropped.
Result<std::string> keyPath(HKEY root, std::string_view subKey) {
    if (root != HKEY_CURRENT_USER) {
        return makeError(ErrorCode::Invalid, "unknown registry root " + std::to_string(root));
    }
    std::string path(kCurrentUserName);
    std::string part;
    auto flush = [&] {
        if (!part.empty()) {
            path += "\\" + part;
        }
        part.clear();
    };
    for (char c : subKey) {
        if (c == '\\') {
            flush();
            continue;
        }
        if (isControl(static_cast<unsigned char>(c))) {
            return makeError(ErrorCode::Invalid, "a registry key name holds a control character");
        }
        part += c;
    }
    flush();
    return path;
}

RegistryData::Value* findValue(RegistryData::Key& key, std::string_view name) {
    for (auto& value : key.values) {
        if (base::iequals(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

// "%" and two hexadecimal digits for "%", control characters and the extra characters of `special`.
std::string escape(std::string_view text, std::string_view special) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '%' || isControl(c) || special.find(ch) != std::string_view::npos) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// A "%" that is not followed by two hexadecimal digits stands for itself (a file edited by hand).
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace

RegistryData::Key* RegistryData::findKey(std::string_view path) {
    for (auto& key : keys) {
        if (base::iequals(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

const RegistryData::Key* RegistryData::findKey(std::string_view path) const {
    return const_cast<RegistryData*>(this)->findKey(path);
}

// ---- Registry ----

Result<HKEY> Registry::RegCreateKey(HKEY root, std::string_view subKey) {
    auto path = keyPath(root, subKey);
    if (!path) {
        return path.error();
    }
    auto created = update([&](RegistryData& data) -> Result<void> {
        if (!data.findKey(*path)) {
            data.keys.push_back(RegistryData::Key{*path, {}});
        }
        return {};
    });
    if (!created) {
        return created.error();
    }
    const HKEY handle = m_next++;
    m_open[handle] = *path;
    return handle;
}

Result<void> Registry::RegSetValueEx(HKEY key, std::string_view valueName, int type, std::string_view data) {
    auto open = m_open.find(key);
    if (open == m_open.end()) {
        return makeError(ErrorCode::Invalid, "registry key handle " + std::to_string(key) + " is not open");
    }
    if (type != REG_SZ) {
        return makeError(ErrorCode::Unsupported, "only text values (REG_SZ) are kept");
    }
    const std::string path = open->second;
    return update([&](RegistryData& store) -> Result<void> {
        RegistryData::Key* found = store.findKey(path);
        if (!found) {
            store.keys.push_back(RegistryData::Key{path, {}});
            found = &store.keys.back();
        }
        if (RegistryData::Value* value = findValue(*found, valueName)) {
            value->data = std::string(data);
        } else {
            found->values.push_back(RegistryData::Value{std::string(valueName), std::string(data)});
        }
        return {};
    });
}

Result<void> Registry::RegCloseKey(HKEY key) {
    if (m_open.erase(key) == 0) {
        return makeError(ErrorCode::Invalid, "registry key handle " + std::to_string(key) + " is not open");
    }
    return {};
}

std::optional<std::string> Registry::queryValue(HKEY root, std::string_view subKey, std::string_view valueName) {
    auto path = keyPath(root, subKey);
    if (!path) {
        return std::nullopt;
    }
    auto data = load();
    if (!data) {
        return std::nullopt;
    }
    RegistryData::Key* key = data->findKey(*path);
    if (!key) {
        return std::nullopt;
    }
    if (const RegistryData::Value* value = findValue(*key, valueName)) {
        return value->data;
    }
    return std::nullopt;
}

// ---- the file format ----

std::string formatRegistryFile(const RegistryData& data) {
    std::string text = "; Per-user registry of the Glintwave programs: text values only.\n";
    for (const auto& key : data.keys) {
        text += "[" + escape(key.path, "[]=") + "]\n";
        for (const auto& value : key.values) {
            text += escape(value.name, "[]=") + "=" + escape(value.data, "") + "\n";
        }
    }
    return text;
}

RegistryData parseRegistryFile(std::string_view text) {
    RegistryData data;
    RegistryData::Key* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        if (line[0] == '[' && line.back() == ']') {
            const std::string path = unescape(line.substr(1, line.size() - 2));
            current = data.findKey(path);
            if (!current) {
                data.keys.push_back(RegistryData::Key{path, {}});
                current = &data.keys.back();
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !current) {
            continue;
        }
        const std::string name = unescape(line.substr(0, eq));
        const std::string value = unescape(line.substr(eq + 1));
        if (RegistryData::Value* existing = findValue(*current, name)) {
            existing->data = value;
        } else {
            current->values.push_back(RegistryData::Value{name, value});
        }
    }
    return data;
}

} // namespace glw::platform
