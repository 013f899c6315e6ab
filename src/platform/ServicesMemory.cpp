// In-memory services: settings with case-insensitive names, pictures by path, a clock and random numbers
// under the test's control.
#include "ServicesMemory.h"

#include "WinPath.h"
#include "base/Ascii.h"

#include <ctime>

namespace glw::platform {

namespace {

bool sameName(const MemorySettingsStore::Entry& e, const std::string& appName, const std::string& section,
              const std::string& key) {
    return base::iequals(e.appName, appName) && base::iequals(e.section, section) && base::iequals(e.key, key);
}

} // namespace

std::string MemorySettingsStore::getSetting(const std::string& appName, const std::string& section,
                                            const std::string& key, const std::string& defaultValue) {
    return find(appName, section, key).value_or(defaultValue);
}

void MemorySettingsStore::saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                                      const std::string& value) {
    for (Entry& e : m_entries) {
        if (sameName(e, appName, section, key)) {
            e.value = value;
            return;
        }
    }
    m_entries.push_back(Entry{appName, section, key, value});
}

std::optional<std::string> MemorySettingsStore::find(const std::string& appName, const std::string& section,
                                                     const std::string& key) const {
    for (const Entry& e : m_entries) {
        if (sameName(e, appName, section, key)) {
            return e.value;
        }
    }
    return std::nullopt;
}

Result<Picture> MemoryPictureLoader::load(const std::string& systemPath) {
    for (const Picture& picture : m_pictures) {
        if (base::iequals(picture.path, systemPath)) {
            return Picture{systemPath, picture.width, picture.height};
        }
    }
    return makeError(ErrorCode::NotFound, "no picture at " + systemPath);
}

std::chrono::system_clock::time_point FixedClock::localTime(int year, int month, int day, int hour, int minute,
                                                            int second, int millisecond) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    std::time_t t = std::mktime(&parts);
    return std::chrono::system_clock::from_time_t(t) + std::chrono::milliseconds(millisecond);
}

float SequenceRandom::rnd() {
    if (m_values.empty()) {
        return 0.0f;
    }
    float value = m_values[m_next];
    m_next = (m_next + 1) % m_values.size();
    return value;
}

// MemoryCache

bool MemoryCache::firstEntry() {
    ++m_walks;
    m_position = 0;
    m_open = !m_entries.empty();
    return m_open;
}

bool MemoryCache::nextEntry() {
    if (!m_open) {
        return false;
    }
    if (m_position + 1 >= m_entries.size()) {
        m_position = m_entries.size();
        return false;
    }
    ++m_position;
    return true;
}

const CacheEntry& MemoryCache::current() const {
    static const CacheEntry none{};
    return m_position < m_entries.size() ? m_entries[m_position] : none;
}

// MemoryRegistry

Result<void> MemoryRegistry::update(const Change& change) {
    RegistryData copy = m_data;
    if (auto changed = change(copy); !changed) {
        return changed;
    }
    m_data = std::move(copy);
    return {};
}

// MemoryMovieProbe

std::optional<MovieSize> MemoryMovieProbe::size(const std::string& hostPath) {
    m_probed.push_back(hostPath);
    auto own = m_sizes.find(hostPath);
    return own != m_sizes.end() ? own->second : m_size;
}

} // namespace glw::platform
