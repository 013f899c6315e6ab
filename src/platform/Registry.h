// The registry functions the installer calls (RegCreateKey, RegSetValueEx, RegCloseKey) over a per-user
// store of our own: the interface and the store's file format (the file store is FileRegistry.h, the
// in-memory one is in ServicesMemory.h). No desktop
// configuration of the machine is ever read or written.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::platform {

// A key handle as RegCreateKey gives it; 0 is no key.
using HKEY = std::uint32_t;
// The one root the system writes under: the current user's settings.
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
// Value types. Only text values are kept on this system.
enum RegValueType : int { REG_SZ = 1 };

// Keys and values as the store keeps them. A key's path is its root's name and its sub-key's parts joined
// by "\" ("HKEY_CURRENT_USER\Control Panel\Desktop"); keys and value names are matched without regard to
// ASCII case, and the spelling first written stays.
struct RegistryData {
    struct Value {
        std::string name;
        std::string data;
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::string path;
        std::vector<Value> values;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys;

    Key* findKey(std::string_view path);
    const Key* findKey(std::string_view path) const;
};

// The registry functions. Handles are valid from RegCreateKey to RegCloseKey on the same object.
class Registry {
public:
    virtual ~Registry() = default;

    // Opens the key `subKey` under `root`, creating it when missing. "\" separates
    // the parts; a leading or closing "\" and runs of them do not count ("Control Panel\Desktop\" is
    // "Control Panel\Desktop"). Invalid for another root or a part that holds a control character;
    // Io when the store cannot be written.
    virtual Result<HKEY> RegCreateKey(HKEY root, std::string_view subKey);
    // Stores `data` as the value `valueName` of the open key `key` ("" is the key's default value).
    // Unsupported for a type other than REG_SZ; Invalid for a handle that is not open; Io when the store
    // cannot be written (the stored values are then as they were).
    virtual Result<void> RegSetValueEx(HKEY key, std::string_view valueName, int type, std::string_view data);
    // Closes a handle; Invalid for one that is not open.
    virtual Result<void> RegCloseKey(HKEY key);

    // The text of a value; nullopt when the key or the value is missing or the store cannot be read.
    std::optional<std::string> queryValue(HKEY root, std::string_view subKey, std::string_view valueName);

protected:
    using Change = std::function<Result<void>(RegistryData& data)>;
    // The whole store as it is now; a missing store is empty.
    virtual Result<RegistryData> load() = 0;
    // Reads the store, applies `change` and keeps the result, all or nothing: when `change` or the
    // writing fails, the store stays as it was.
    virtual Result<void> update(const Change& change) = 0;

private:
    std::map<HKEY, std::string> m_open; // handle -> key path
    HKEY m_next = 1;
};

// The text of a store file and back (FileRegistry's format).
std::string formatRegistryFile(const RegistryData& data);
RegistryData parseRegistryFile(std::string_view text);

} // namespace glw::platform
