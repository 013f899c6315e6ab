// The browser's URL cache as a walk over its entries: the interface (the desktop browsers' caches are
// BrowserCache.h, the in-memory one is in ServicesMemory.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glw::platform {

// The entry type bit of an ordinary cached file (as opposed to cookies, history or other records).
inline constexpr long kNormalCacheEntry = 1;

// One entry of the cache.
struct CacheEntry {
    std::string sourceUrl;     // the address it was fetched from; "" when the cache does not say
    std::string localFileName; // system path of the cached file on this machine
    long entryType = kNormalCacheEntry;
};

// One walk at a time: firstEntry, then nextEntry until it gives false, then close. The current entry stays
// valid until the next step of the walk. Nothing here changes or deletes a browser's cache.
class Cache {
public:
    virtual ~Cache() = default;
    // Closes a walk that is still open and starts a new one; false when the cache is empty or cannot be read.
    virtual bool firstEntry() = 0;
    // Steps to the next entry; false when no walk is open or at the end of the cache.
    virtual bool nextEntry() = 0;
    virtual void close() = 0;
    // The current entry; an empty one before the first step or after the end.
    virtual const CacheEntry& current() const = 0;
};

} // namespace glw::platform
