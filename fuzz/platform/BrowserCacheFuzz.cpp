// Fuzz target: any bytes taken as one browser cache file must give a body inside the file or none, in bounded
// reads, without a fault; the name its movie would be copied under must be a plain, short file name.
#include "platform/BrowserCache.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const glw::platform::CacheFileBytes inMemory = glw::platform::cacheFileBytes(file);
    const glw::platform::CacheFileBytes bytes = [&inMemory](std::uint64_t offset, std::uint64_t count) {
        // No record asks for more than a key: a huge read of a file that claims a huge record would be a fault.
        check(count <= 64 * 1024);
        return inMemory(offset, count);
    };
    const auto body = glw::platform::cachedBody(bytes, size);
    if (!body) {
        return 0;
    }
    check(body->offset <= size && body->length <= size - body->offset);
    (void)glw::platform::startsAsMovie(bytes, *body);
    const std::string name = glw::platform::movieCopyName(body->url, "0123456789abcdef_0");
    check(name.size() > 4 && name.size() <= 255 - 12 && name.ends_with(".swf") && name[0] != '.');
    check(name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-_") ==
          std::string::npos);
    return 0;
}
