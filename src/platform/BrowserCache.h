// The URL cache of the desktop browsers' disk caches on this system.
#pragma once

#include "Cache.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glw::platform {

// Where one browser cache file holds the cached body, and the address it came from ("" when the file names
// none).
struct CachedBody {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::string url;
};

// `count` bytes at `offset` of one cache file; nullopt when the file holds fewer or cannot be read.
using CacheFileBytes = std::function<std::optional<std::string>(std::uint64_t offset, std::uint64_t count)>;

// The body of one cache file of `size` bytes, read through `bytes`: a Chromium simple-cache entry, else a
// Firefox cache2 entry; nullopt when the bytes follow neither. A body found lies inside the file, and no read
// asks for more than a key's cap (64 KiB) or the few bytes of a record.
std::optional<CachedBody> cachedBody(const CacheFileBytes& bytes, std::uint64_t size);
// The bytes of a cache file held whole in memory, for cachedBody and startsAsMovie; `file` must outlive them.
CacheFileBytes cacheFileBytes(std::string_view file);
// Whether the body starts as a Flash movie ("FWS", "CWS" or "ZWS", and at least a header's length).
bool startsAsMovie(const CacheFileBytes& bytes, const CachedBody& body);

// The file name a movie from `url` is copied out under, before it is made unique: the address's last part
// (without query or fragment) in plain characters ("_" for others), with no leading dots, short enough for
// any file system, ending in ".swf"; the cache file's own name when the address leaves nothing.
std::string movieCopyName(std::string_view url, std::string_view cacheFileName);

// The disk caches of the desktop's browsers for this user:
//  - Firefox (cache2): <cache home>/mozilla/firefox/<profile>/cache2/entries/<hash>; the body comes first,
//    then the metadata with the entry's key (its address); the last 4 bytes (big-endian) give the body's
//    length.
//  - Chromium and the browsers built on it (Chrome, Brave, Edge, Vivaldi), simple cache:
//    <cache home>/<browser>/<profile>/Cache[/Cache_Data]/<hash>_0; a header with the key, the body, an
//    end record, the response headers and a closing end record that gives their length.
// <cache home> is $XDG_CACHE_HOME or ~/.cache, and the snap package's ~/snap/firefox/common/.cache.
//
// Every cache file is one entry. Unlike the platform whose cache this stands for, these browsers keep their
// files under hashed names with their own records around the body, so a body that is a Flash movie (it
// starts with "FWS", "CWS" or "ZWS") is copied out into a folder of our own under the last part of its
// address (ending in ".swf", made unique with "[1]", "[2]"...), and that copy is the entry's local file.
// Other entries keep the cache file itself as their local file. Copies of an earlier walk are removed when a
// new walk starts. Files that are links, cannot be read or do not follow their format are taken as plain
// entries; movies larger than `maxMovieBytes` are not copied.
class BrowserCache : public Cache {
public:
    // `cacheHomes`: host folders to look in (the defaults when empty); `movieFolder`: host folder for the
    // copies (when empty, a folder of this process's own, named by its process number, under CachedMovies in
    // the user's temporary folder; a walk also removes the folders of processes that have ended).
    explicit BrowserCache(std::vector<std::string> cacheHomes = {}, std::string movieFolder = {},
                          std::uint64_t maxMovieBytes = 64u << 20);
    ~BrowserCache() override;

    static std::vector<std::string> defaultCacheHomes();

    bool firstEntry() override;
    bool nextEntry() override;
    void close() override;
    const CacheEntry& current() const override { return m_current; }

private:
    bool load(std::size_t index);
    static void removeMovieCopies(const std::string& folder);
    std::string uniqueMovieCopyName(const std::string& url, const std::string& cacheFile);

    std::vector<std::string> m_homes;
    std::string m_movieFolder;
    std::string m_sharedParent; // the folder of every process's copies, when the copies go to the default place
    std::uint64_t m_maxMovieBytes;
    std::vector<std::string> m_files; // host paths of the walk's cache files
    std::vector<std::string> m_usedNames;
    std::size_t m_position = 0;
    bool m_open = false;
    CacheEntry m_current;
};

} // namespace glw::platform
