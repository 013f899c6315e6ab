// In-memory implementations of the platform services, for tests and headless runs: nothing here touches
// the desktop, and each records what it was given so that a test can read it back.
#pragma once

#include "Cache.h"
#include "Registry.h"
#include "Services.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace glw::platform {

// Clipboard text that lives in this object.
class MemoryClipboard : public Clipboard {
public:
    explicit MemoryClipboard(std::string text = {}) : m_text(std::move(text)) {}
    std::string getText() override { return m_text; }
    void setText(const std::string& text) override { m_text = text; }
    void clear() override { m_text.clear(); }

private:
    std::string m_text;
};

// Settings kept in memory. Names are matched without regard to ASCII case, as the per-user store does;
// the spelling of the first save is kept.
class MemorySettingsStore : public SettingsStore {
public:
    struct Entry {
        std::string appName;
        std::string section;
        std::string key;
        std::string value;
        bool operator==(const Entry&) const = default;
    };

    std::string getSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void saveSetting(const std::string& appName, const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Every stored value, in the order each name was first saved.
    const std::vector<Entry>& entries() const { return m_entries; }
    // The stored value, or nothing.
    std::optional<std::string> find(const std::string& appName, const std::string& section,
                                    const std::string& key) const;

private:
    std::vector<Entry> m_entries;
};

// A shell that opens nothing: it records each target and answers a result set by the test (42 at first).
class RecordingShell : public Shell {
public:
    long open(const std::string& target) override {
        m_targets.push_back(target);
        return m_result;
    }
    void setResult(long result) { m_result = result; }
    const std::vector<std::string>& targets() const { return m_targets; }

private:
    std::vector<std::string> m_targets;
    long m_result = 42;
};

// A font list given by the test, returned as it stands (order and duplicates included).
class FixedFontList : public FontList {
public:
    explicit FixedFontList(std::vector<std::string> names) : m_names(std::move(names)) {}
    std::vector<std::string> names() override { return m_names; }

private:
    std::vector<std::string> m_names;
};

// Pictures known by system path (matched without regard to ASCII case); any other path fails as missing.
class MemoryPictureLoader : public PictureLoader {
public:
    void add(const std::string& systemPath, int width, int height) {
        m_pictures.push_back(Picture{systemPath, width, height});
    }
    Result<Picture> load(const std::string& systemPath) override;

private:
    std::vector<Picture> m_pictures;
};

// A clock that stands still until the test moves it.
class FixedClock : public Clock {
public:
    explicit FixedClock(std::chrono::system_clock::time_point now = {}, std::uint32_t tickCount = 0)
        : m_now(now), m_tick(tickCount) {}
    // A time point for a local date and time (as the machine's time zone reads it).
    static std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                                           int second, int millisecond = 0);

    std::chrono::system_clock::time_point now() override { return m_now; }
    std::uint32_t tickCount() override { return m_tick; }
    void set(std::chrono::system_clock::time_point now) { m_now = now; }
    void setTickCount(std::uint32_t tick) { m_tick = tick; }
    // Moves both the wall time and the tick count forward.
    void advance(std::chrono::milliseconds step) {
        m_now += step;
        m_tick += std::uint32_t(step.count());
    }

private:
    std::chrono::system_clock::time_point m_now;
    std::uint32_t m_tick;
};

// Random numbers from a list given by the test, taken in turn and repeated from the start when used up
// (0 when the list is empty). Randomize only records its seeds.
class SequenceRandom : public Random {
public:
    explicit SequenceRandom(std::vector<float> values) : m_values(std::move(values)) {}
    void randomize(double seed) override { m_seeds.push_back(seed); }
    float rnd() override;
    const std::vector<double>& seeds() const { return m_seeds; }

private:
    std::vector<float> m_values;
    std::size_t m_next = 0;
    std::vector<double> m_seeds;
};

// A cache given by the test, walked in order; it counts the walks so that a test can tell a list was
// built once.
class MemoryCache : public Cache {
public:
    explicit MemoryCache(std::vector<CacheEntry> entries = {}) : m_entries(std::move(entries)) {}

    bool firstEntry() override;
    bool nextEntry() override;
    void close() override { m_open = false; }
    const CacheEntry& current() const override;

    int walks() const { return m_walks; }
    bool open() const { return m_open; }

private:
    std::vector<CacheEntry> m_entries;
    std::size_t m_position = 0;
    bool m_open = false;
    int m_walks = 0;
};

// The store in memory (tests).
class MemoryRegistry : public Registry {
public:
    const RegistryData& data() const { return m_data; }

protected:
    Result<RegistryData> load() override { return m_data; }
    Result<void> update(const Change& change) override;

private:
    RegistryData m_data;
};

// Movie sizes given by the test: one for every movie, or per host path; records the paths probed.
class MemoryMovieProbe : public MovieProbe {
public:
    explicit MemoryMovieProbe(std::optional<MovieSize> size = std::nullopt) : m_size(size) {}
    std::optional<MovieSize> size(const std::string& hostPath) override;
    // The size of every movie without one of its own (nullopt: not a readable movie).
    void setSize(std::optional<MovieSize> size) { m_size = size; }
    void setSize(const std::string& hostPath, std::optional<MovieSize> size) { m_sizes[hostPath] = size; }
    const std::vector<std::string>& probed() const { return m_probed; }

private:
    std::optional<MovieSize> m_size;
    std::map<std::string, std::optional<MovieSize>> m_sizes;
    std::vector<std::string> m_probed;
};

} // namespace glw::platform
